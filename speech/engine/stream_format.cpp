#include "stream_format.h"

namespace lenvoro::engine {

namespace {

// Named as the voice-setting dialog lists them: 11025, 22050 and 44100 Hz by
// their whole kilohertz.
constexpr std::array<std::u16string_view, kLastPcmFormat - kFirstPcmFormat + 1> kNames = {
    u"8kHz 8 Bit Mono",  u"8kHz 8 Bit Stereo",  u"8kHz 16 Bit Mono",  u"8kHz 16 Bit Stereo",
    u"11kHz 8 Bit Mono", u"11kHz 8 Bit Stereo", u"11kHz 16 Bit Mono", u"11kHz 16 Bit Stereo",
    u"12kHz 8 Bit Mono", u"12kHz 8 Bit Stereo", u"12kHz 16 Bit Mono", u"12kHz 16 Bit Stereo",
    u"16kHz 8 Bit Mono", u"16kHz 8 Bit Stereo", u"16kHz 16 Bit Mono", u"16kHz 16 Bit Stereo",
    u"22kHz 8 Bit Mono", u"22kHz 8 Bit Stereo", u"22kHz 16 Bit Mono", u"22kHz 16 Bit Stereo",
    u"24kHz 8 Bit Mono", u"24kHz 8 Bit Stereo", u"24kHz 16 Bit Mono", u"24kHz 16 Bit Stereo",
    u"32kHz 8 Bit Mono", u"32kHz 8 Bit Stereo", u"32kHz 16 Bit Mono", u"32kHz 16 Bit Stereo",
    u"44kHz 8 Bit Mono", u"44kHz 8 Bit Stereo", u"44kHz 16 Bit Mono", u"44kHz 16 Bit Stereo",
    u"48kHz 8 Bit Mono", u"48kHz 8 Bit Stereo", u"48kHz 16 Bit Mono", u"48kHz 16 Bit Stereo",
};

}  // namespace

WaveFormat StreamFormat::waveFormat() const {
    WaveFormat wave;
    wave.channels = static_cast<uint16_t>(channels);
    wave.samplesPerSecond = static_cast<uint32_t>(sampleRate);
    wave.bitsPerSample = static_cast<uint16_t>(bitsPerSample);
    wave.blockAlign = static_cast<uint16_t>(blockAlign());
    wave.averageBytesPerSecond = static_cast<uint32_t>(bytesPerSecond());
    return wave;
}

std::u16string_view StreamFormat::name() const {
    if (id < kFirstPcmFormat || id > kLastPcmFormat)
        return {};
    return kNames[static_cast<size_t>(id - kFirstPcmFormat)];
}

std::optional<StreamFormat> streamFormatFromId(int32_t id) {
    if (id < kFirstPcmFormat || id > kLastPcmFormat)
        return std::nullopt;
    const int index = id - kFirstPcmFormat;
    StreamFormat format;
    format.id = id;
    format.sampleRate = kPcmSampleRates[static_cast<size_t>(index / 4)];
    format.bitsPerSample = (index & 2) != 0 ? 16 : 8;
    format.channels = (index & 1) != 0 ? 2 : 1;
    return format;
}

std::optional<StreamFormat> streamFormatFromWave(const WaveFormat& wave) {
    if (wave.formatTag != 1 || (wave.channels != 1 && wave.channels != 2) ||
        (wave.bitsPerSample != 8 && wave.bitsPerSample != 16)) {
        return std::nullopt;
    }
    for (int r = 0; r < static_cast<int>(kPcmSampleRates.size()); ++r) {
        if (static_cast<uint32_t>(kPcmSampleRates[static_cast<size_t>(r)]) ==
            wave.samplesPerSecond) {
            const int32_t id = kFirstPcmFormat + 4 * r + (wave.bitsPerSample == 16 ? 2 : 0) +
                               (wave.channels == 2 ? 1 : 0);
            return streamFormatFromId(id);
        }
    }
    return std::nullopt;
}

}  // namespace lenvoro::engine
