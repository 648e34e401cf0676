#include "lenvoro_audio/wave_file.h"

#include <sndfile.h>

#include <new>

namespace lenvoro::audio {

std::optional<WaveData> readWaveFile(const std::string& path, std::string* error,
                                     size_t maxFrames) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr) {
        if (error)
            *error = "cannot read " + path + ": " + sf_strerror(nullptr);
        return std::nullopt;
    }
    struct Closer {
        SNDFILE* file;
        ~Closer() { sf_close(file); }
    } closer{file};
    // Frames and channels are both bounded before their product is, so the
    // product cannot overflow and nothing is allocated for a header's claim.
    if (info.channels <= 0 || info.channels > kMaxWaveChannels || info.samplerate <= 0 ||
        info.frames < 0 || static_cast<uint64_t>(info.frames) > maxFrames ||
        static_cast<uint64_t>(info.frames) > kMaxWaveSamples ||
        static_cast<uint64_t>(info.frames) * static_cast<uint64_t>(info.channels) >
            kMaxWaveSamples) {
        if (error)
            *error = path + ": unsupported or too long";
        return std::nullopt;
    }
    WaveData wave;
    wave.format = {info.samplerate, info.channels};
    try {
        wave.samples.resize(static_cast<size_t>(info.frames) * static_cast<size_t>(info.channels));
    } catch (const std::bad_alloc&) {
        if (error)
            *error = path + ": too long to read into memory";
        return std::nullopt;
    }
    const sf_count_t read = sf_readf_short(file, wave.samples.data(), info.frames);
    wave.samples.resize(static_cast<size_t>(read < 0 ? 0 : read) *
                        static_cast<size_t>(info.channels));
    return wave;
}

}  // namespace lenvoro::audio
