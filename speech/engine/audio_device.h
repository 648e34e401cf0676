// An audio output object: the system's audio output (or the null output) in a
// chosen stream format. A voice given one plays through it in that format.
#pragma once

#include <memory>
#include <mutex>

#include "lenvoro_audio/audio_output.h"
#include "output_target.h"
#include "result.h"

namespace lenvoro::engine {

class AudioDevice : public OutputTarget {
public:
    enum class Kind { Default, Null };

    explicit AudioDevice(Kind kind) : kind_(kind) {}

    Kind kind() const { return kind_; }

    // kUnsupportedFormat unless the record is one of the 36 PCM formats.
    Result setFormat(const WaveFormat& wave);
    StreamFormat format() const override;

    // Opens the output this object stands for; never nullptr.
    std::unique_ptr<audio::AudioOutput> open() const;

private:
    Kind kind_;
    mutable std::mutex mutex_;
    StreamFormat format_;
};

}  // namespace lenvoro::engine
