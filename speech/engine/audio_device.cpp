#include "audio_device.h"

namespace lenvoro::engine {

Result AudioDevice::setFormat(const WaveFormat& wave) {
    const auto format = streamFormatFromWave(wave);
    if (!format)
        return kUnsupportedFormat;
    std::lock_guard lock(mutex_);
    format_ = *format;
    return kOk;
}

StreamFormat AudioDevice::format() const {
    std::lock_guard lock(mutex_);
    return format_;
}

std::unique_ptr<audio::AudioOutput> AudioDevice::open() const {
    const StreamFormat f = format();
    const audio::AudioFormat audioFormat{f.sampleRate, f.channels};
    return kind_ == Kind::Null ? audio::openNullOutput(audioFormat)
                               : audio::openDefaultOutput(audioFormat);
}

}  // namespace lenvoro::engine
