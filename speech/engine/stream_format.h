// The 36 PCM stream formats, numbered as the speech interface numbers them:
// 4 = 8 kHz 8-bit mono ... 39 = 48 kHz 16-bit stereo.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace lenvoro::engine {

// The nine sample rates, in the order the formats take them: each rate comes
// as 8-bit mono, 8-bit stereo, 16-bit mono and 16-bit stereo.
inline constexpr std::array<int, 9> kPcmSampleRates = {8000,  11025, 12000, 16000, 22050,
                                                       24000, 32000, 44100, 48000};

constexpr int32_t kFirstPcmFormat = 4;
constexpr int32_t kLastPcmFormat = 39;
// espeak-ng speaks at 22.05 kHz 16-bit mono: format 22.
constexpr int32_t kEngineNativeFormat = 22;

// The standard wave format record (format tag 1 = PCM).
struct WaveFormat {
    uint16_t formatTag = 1;
    uint16_t channels = 1;
    uint32_t samplesPerSecond = 22050;
    uint32_t averageBytesPerSecond = 44100;
    uint16_t blockAlign = 2;
    uint16_t bitsPerSample = 16;
    uint16_t extraSize = 0;
};

struct StreamFormat {
    int32_t id = kEngineNativeFormat;
    int sampleRate = 22050;
    int bitsPerSample = 16;
    int channels = 1;

    int blockAlign() const { return channels * bitsPerSample / 8; }
    int bytesPerSecond() const { return blockAlign() * sampleRate; }
    WaveFormat waveFormat() const;
    // "8kHz 8 Bit Mono" ... "48kHz 16 Bit Stereo"; empty outside 4..39.
    std::u16string_view name() const;
    bool operator==(const StreamFormat&) const = default;
};

// Nothing for numbers outside 4..39.
std::optional<StreamFormat> streamFormatFromId(int32_t id);
// The format number of a wave format record; nothing when it is not one of the 36.
std::optional<StreamFormat> streamFormatFromWave(const WaveFormat& wave);

}  // namespace lenvoro::engine
