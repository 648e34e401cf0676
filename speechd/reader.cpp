#include "reader.h"

#include <algorithm>

#include "engine/synthesizer.h"
#include "engine/text_splitter.h"

namespace lenvoro::speechd {

namespace {

constexpr size_t kSilenceBlockSamples = kSampleRate / 50;  // 20 ms: a stop is never kept waiting

// Hands what the synthesizer makes to the sink; a refused block stops it.
class Forward final : public engine::SynthesisSink {
public:
    explicit Forward(AudioSink& sink) : sink_(sink) {}
    void onWord(uint64_t, size_t, size_t) override {}
    bool onAudio(const int16_t* samples, size_t count) override {
        return sink_.write(samples, count);
    }

private:
    AudioSink& sink_;
};

}  // namespace

Reader::Reader(Send send, Log log, DeviceAudioSink::OutputOpener opener)
    : send_(send),
      log_(std::move(log)),
      serverSink_(send),
      deviceSink_(send, std::move(opener)),
      thread_([this] { run(); }) {}

Reader::~Reader() {
    shutdown();
}

void Reader::useServerAudio(bool server) {
    std::lock_guard lock(mutex_);
    serverAudio_ = server;
}

bool Reader::busy() const {
    std::lock_guard lock(mutex_);
    return active_;
}

bool Reader::start(Reading reading) {
    std::lock_guard lock(mutex_);
    if (active_ || quitting_)
        return false;
    active_ = true;
    request_ = Request::None;
    sink_ = serverAudio_ ? static_cast<AudioSink*>(&serverSink_) : &deviceSink_;
    sink_->open(reading.gain);
    next_ = std::move(reading);
    wake_.notify_all();
    return true;
}

void Reader::stop() {
    std::lock_guard lock(mutex_);
    if (!active_ || request_ != Request::None)
        return;
    request_ = Request::Stop;
    sink_->cancel();
}

void Reader::pause() {
    std::lock_guard lock(mutex_);
    if (!active_ || request_ != Request::None)
        return;
    request_ = Request::Pause;
    sink_->cancel();
}

void Reader::shutdown() {
    {
        std::lock_guard lock(mutex_);
        quitting_ = true;
        if (sink_ != nullptr)
            sink_->cancel();
        wake_.notify_all();
    }
    if (thread_.joinable())
        thread_.join();
}

void Reader::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return quitting_ || next_.has_value(); });
        if (quitting_)
            return;
        const Reading reading = std::move(*next_);
        next_.reset();
        AudioSink& sink = *sink_;
        lock.unlock();
        const bool heard = perform(reading, sink);
        lock.lock();
        if (quitting_)
            return;
        // The server takes our closing event as leave to send the next
        // message, so the reader is idle before it is sent.
        active_ = false;
        sink.ensureBegun();
        send_(heard ? "702 END\n" : request_ == Request::Pause ? "704 PAUSE\n" : "703 STOP\n");
    }
}

bool Reader::perform(const Reading& reading, AudioSink& sink) {
    engine::Synthesizer& synthesizer = engine::Synthesizer::instance();
    for (const ReadingStep& step : reading.steps) {
        if (sink.cancelled())
            return false;
        switch (step.kind) {
            case ReadingStep::Kind::Speech: {
                // espeak-ng drops the end of very long Chinese runs, and
                // short pieces keep the first audio quick.
                const auto pieces = engine::splitForSynthesis(step.text);
                for (size_t i = 0; i < pieces.size(); ++i) {
                    const auto [begin, end] = pieces[i];
                    const std::u32string_view piece =
                        std::u32string_view(step.text).substr(begin, end - begin);
                    const bool endPause =
                        i + 1 == pieces.size() ? step.endPause : endsSentence(piece);
                    Forward forward(sink);
                    const engine::Result result =
                        synthesizer.synthesize(piece, step.voice, reading.rate, endPause, forward);
                    if (result == engine::kFalse || sink.cancelled())
                        return false;
                    if (engine::failed(result))
                        log_("synthesis failed for voice " + step.voice.name);
                }
                break;
            }
            case ReadingStep::Kind::Mark:
                sink.mark(step.mark);
                break;
            case ReadingStep::Kind::Silence: {
                const std::vector<int16_t> quiet(kSilenceBlockSamples, 0);
                for (size_t left = size_t{step.silenceMs} * kSampleRate / 1000; left > 0;) {
                    const size_t count = std::min(left, quiet.size());
                    if (!sink.write(quiet.data(), count))
                        return false;
                    left -= count;
                }
                break;
            }
            case ReadingStep::Kind::Sound:
                for (size_t at = 0; at < step.samples.size(); at += kSilenceBlockSamples) {
                    const size_t count = std::min(kSilenceBlockSamples, step.samples.size() - at);
                    if (!sink.write(step.samples.data() + at, count))
                        return false;
                }
                break;
        }
    }
    return sink.finish();
}

}  // namespace lenvoro::speechd
