#include "voice_sinks.h"

#include <span>
#include <utility>

#include "file_stream.h"
#include "format_converter.h"
#include "synthesizer.h"

namespace lenvoro::engine {

namespace {

class AudioSink final : public Sink {
public:
    AudioSink(std::unique_ptr<audio::AudioOutput> output, const StreamFormat& format)
        : output_(std::move(output)), format_(format), converter_(format) {}

    void write(const int16_t* samples, size_t count, float gain) override {
        push(converter_.convert(samples, count, gain));
    }
    void endOfStream() override { push(converter_.flush()); }
    uint64_t written() const override { return output_->framesWritten(); }
    uint64_t played() const override { return output_->framesPlayed(); }
    bool paced() const override { return true; }
    void setPaused(bool paused) override { output_->setPaused(paused); }
    void setVolume(int32_t volume) override { output_->setGain(volume / 100.0f); }
    void discard() override {
        converter_.flush();  // what the converter held belongs to the old text
        output_->discard();
    }
    void discardAfter(uint64_t frame) override {
        converter_.flush();  // it holds samples of what is dropped
        output_->discardAfter(frame);
    }
    const StreamFormat& format() const override { return format_; }

private:
    void push(std::span<int16_t> frames) {
        if (frames.empty())
            return;
        if (format_.bitsPerSample == 8)
            FormatConverter::quantizeTo8Bits(frames);
        output_->write(frames.data(), frames.size() / static_cast<size_t>(format_.channels));
    }

    std::unique_ptr<audio::AudioOutput> output_;
    StreamFormat format_;
    FormatConverter converter_;
};

// A file has no play position: what is written counts as heard.
class FileSink final : public Sink {
public:
    explicit FileSink(std::shared_ptr<FileStream> stream)
        : stream_(std::move(stream)),
          format_(stream_->format()),
          ratio_(static_cast<double>(format_.sampleRate) / Synthesizer::kSampleRate) {}

    void write(const int16_t* samples, size_t count, float gain) override {
        stream_->write(samples, count, gain * volume_ / 100.0f);
        source_ += count;
    }
    void endOfStream() override {}
    uint64_t written() const override { return static_cast<uint64_t>(source_ * ratio_); }
    uint64_t played() const override { return written(); }
    bool paced() const override { return false; }
    void setPaused(bool) override {}
    void setVolume(int32_t volume) override { volume_ = volume; }
    void discard() override {}
    void discardAfter(uint64_t) override {}
    const StreamFormat& format() const override { return format_; }

private:
    std::shared_ptr<FileStream> stream_;
    StreamFormat format_;
    double ratio_;
    uint64_t source_ = 0;
    int32_t volume_ = 100;
};

}  // namespace

std::unique_ptr<Sink> openAudioSink(std::unique_ptr<audio::AudioOutput> output,
                                    const StreamFormat& format) {
    return std::make_unique<AudioSink>(std::move(output), format);
}

std::unique_ptr<Sink> openFileSink(std::shared_ptr<FileStream> stream) {
    return std::make_unique<FileSink>(std::move(stream));
}

}  // namespace lenvoro::engine
