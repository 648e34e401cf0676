// Where a voice's audio goes: an audio output, heard at its own pace, or a
// wave file, which takes everything at once. The voice's worker writes the
// synthesised samples (22.05 kHz 16-bit mono) to its sink, which converts
// them to the format of its output, and measures events against the sink's
// written and played positions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "lenvoro_audio/audio_output.h"
#include "stream_format.h"

namespace lenvoro::engine {

class FileStream;

// Positions are counted in frames of the output's own format.
class Sink {
public:
    virtual ~Sink() = default;
    virtual void write(const int16_t* samples, size_t count, float gain) = 0;
    virtual void endOfStream() = 0;
    virtual uint64_t written() const = 0;
    virtual uint64_t played() const = 0;
    // True when the output plays at its own pace (a device or a clock), so
    // that synthesis waits for it; a file is never behind.
    virtual bool paced() const = 0;
    virtual void setPaused(bool paused) = 0;
    virtual void setVolume(int32_t volume) = 0;
    virtual void discard() = 0;
    // Drops what is written after frame and not yet played (paced sinks).
    virtual void discardAfter(uint64_t frame) = 0;
    virtual const StreamFormat& format() const = 0;
};

// Plays through output, converting to format (8-bit formats quantised).
std::unique_ptr<Sink> openAudioSink(std::unique_ptr<audio::AudioOutput> output,
                                    const StreamFormat& format);

// Writes to a wave file's stream: what is written counts as heard.
std::unique_ptr<Sink> openFileSink(std::shared_ptr<FileStream> stream);

}  // namespace lenvoro::engine
