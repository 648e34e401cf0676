#include "lenvoro_audio/audio_output.h"

#include <algorithm>
#include <cmath>

namespace lenvoro::audio {

AudioOutput::AudioOutput(const AudioFormat& format) : format_(format) {
    format_.channels = std::clamp(format_.channels, 1, 8);
    format_.sampleRate = std::clamp(format_.sampleRate, 1000, 384000);
}

AudioOutput::~AudioOutput() = default;

void AudioOutput::write(const int16_t* samples, size_t frameCount) {
    if (samples == nullptr || frameCount == 0)
        return;
    const size_t sampleCount = frameCount * static_cast<size_t>(format_.channels);
    std::lock_guard lock(mutex_);
    queue_.insert(queue_.end(), samples, samples + sampleCount);
    written_ += frameCount;
}

uint64_t AudioOutput::framesWritten() const {
    std::lock_guard lock(mutex_);
    return written_;
}

uint64_t AudioOutput::framesPlayed() const {
    std::lock_guard lock(mutex_);
    return played_;
}

void AudioOutput::setPaused(bool paused) {
    std::lock_guard lock(mutex_);
    paused_ = paused;
}

bool AudioOutput::paused() const {
    std::lock_guard lock(mutex_);
    return paused_;
}

void AudioOutput::discard() {
    std::lock_guard lock(mutex_);
    queue_.clear();
    played_ = written_;
}

void AudioOutput::discardAfter(uint64_t frame) {
    std::lock_guard lock(mutex_);
    if (frame >= written_)
        return;
    frame = std::max(frame, played_);
    queue_.resize(static_cast<size_t>(frame - played_) * static_cast<size_t>(format_.channels));
    written_ = frame;
}

void AudioOutput::setGain(float gain) {
    if (!std::isfinite(gain))
        gain = 0.0f;
    gain_.store(std::clamp(gain, 0.0f, 1.0f));
}

float AudioOutput::gain() const {
    return gain_.load();
}

size_t AudioOutput::pull(int16_t* out, size_t frameCount) {
    const float gain = gain_.load();
    std::lock_guard lock(mutex_);
    if (paused_)
        return 0;
    const size_t channels = static_cast<size_t>(format_.channels);
    const size_t frames = std::min(frameCount, queue_.size() / channels);
    const size_t samples = frames * channels;
    if (out != nullptr) {
        auto it = queue_.begin();
        if (gain >= 1.0f) {
            std::copy(it, it + static_cast<std::ptrdiff_t>(samples), out);
        } else {
            for (size_t i = 0; i < samples; ++i, ++it) {
                out[i] = static_cast<int16_t>(std::lround(static_cast<float>(*it) * gain));
            }
        }
    }
    queue_.erase(queue_.begin(), queue_.begin() + static_cast<std::ptrdiff_t>(samples));
    played_ += frames;
    return frames;
}

}  // namespace lenvoro::audio
