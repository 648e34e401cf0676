// Reading wave files (any format libsndfile reads) into 16-bit frames.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "lenvoro_audio/audio_output.h"

namespace lenvoro::audio {

struct WaveData {
    AudioFormat format;
    std::vector<int16_t> samples;  // interleaved, format.channels per frame

    size_t frameCount() const {
        return format.channels > 0 ? samples.size() / static_cast<size_t>(format.channels) : 0;
    }
    double durationSeconds() const {
        return format.sampleRate > 0 ? static_cast<double>(frameCount()) / format.sampleRate : 0.0;
    }
};

// The most a wave file may hold, whatever its header claims: eight channels,
// and as many samples (frames times channels) as ten minutes at 48 kHz stereo.
inline constexpr int kMaxWaveChannels = 8;
inline constexpr uint64_t kMaxWaveSamples = uint64_t{48000} * 2 * 600;

// Reads the whole file. Returns nothing, with a message in error, when the file
// is missing, unreadable, not audio, larger than maxFrames frames or than the
// bounds above, or when the memory for it cannot be had.
LENVORO_AUDIO_API std::optional<WaveData> readWaveFile(const std::string& path,
                                                       std::string* error = nullptr,
                                                       size_t maxFrames = size_t{1} << 28);

}  // namespace lenvoro::audio
