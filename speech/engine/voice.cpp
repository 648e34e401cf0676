#include "voice.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <limits>
#include <map>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "audio_device.h"
#include "data_folders.h"
#include "file_stream.h"
#include "ini_file.h"
#include "markup.h"
#include "synthesizer.h"
#include "text_splitter.h"
#include "voice_sinks.h"

namespace lenvoro::engine {

namespace {

// Synthesis stays at most this far ahead of what has been heard: enough to
// ride out another voice's turn at the synthesizer, little enough that a
// purge throws away only seconds.
constexpr double kSynthesisAheadSeconds = 2.0;
// How often the play position is checked while events wait to be released.
constexpr auto kEventPollInterval = std::chrono::milliseconds(3);
// Events nobody fetches are dropped beyond this many, oldest first.
constexpr size_t kMaximumKeptEvents = 4096;
constexpr size_t kSilenceBlockSamples = 2205;

// Where a word starts among the pieces being read.
struct WordPlace {
    size_t piece = 0;
    size_t character = 0;  // in the piece's text
};

struct PendingEvent {
    uint64_t frame = 0;
    VoiceEvent event;
    std::optional<WordPlace> place;  // word events of the stream being read
};

struct QueuedText {
    std::u16string text;
    uint32_t flags = 0;
    uint32_t number = 0;
};

}  // namespace

struct Voice::Core {
    mutable std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable done;
    std::thread worker;
    std::thread::id workerId;
    std::atomic<bool> ended = false;  // run() has returned
    bool stopping = false;
    bool notifying = false;  // the notification callback is running

    // Settings
    std::shared_ptr<const ObjectToken> token;
    int32_t rate = 0;
    int32_t volume = 100;
    bool paused = false;
    std::shared_ptr<OutputTarget> target;
    std::shared_ptr<AudioDevice> defaultDevice =
        std::make_shared<AudioDevice>(AudioDevice::Kind::Default);
    OutputFactory outputFactory;
    uint64_t interest = eventBit(kEventStartInputStream) | eventBit(kEventEndInputStream);
    uint64_t queuedInterest = interest;
    std::function<void()> notify;

    // Reading
    std::deque<QueuedText> queue;
    uint32_t nextStream = 1;
    uint32_t lastQueued = 0;
    uint32_t completed = 0;   // every stream up to this number has ended
    uint64_t generation = 0;  // grows on every purge and rewind; stale synthesis checks it
    bool active = false;
    uint32_t activeStream = 0;
    std::shared_ptr<const std::vector<SpeechPiece>> pieces;
    size_t pieceIndex = 0;
    std::vector<std::pair<size_t, size_t>> ranges;
    size_t rangeIndex = 0;
    std::map<std::pair<std::u16string, std::u16string>, std::shared_ptr<const ObjectToken>>
        tagVoices;

    std::unique_ptr<Sink> sink;
    const OutputTarget* sinkTarget = nullptr;

    std::deque<PendingEvent> pending;
    // Released at the worker's next turn without waiting for any audio: the
    // end of a purged stream. The voice is idle meanwhile.
    std::deque<VoiceEvent> unheard;
    std::deque<VoiceEvent> kept;
    VoiceStatus status;
    // The word being heard, when it belongs to the stream being read.
    std::optional<WordPlace> heardWord;
    uint32_t heardWordStream = 0;

    bool idle() const { return queue.empty() && !active && pending.empty(); }
    double ratio() const {
        return sink ? static_cast<double>(sink->format().sampleRate) / Synthesizer::kSampleRate
                    : 1.0;
    }
    uint64_t bytesAt(uint64_t frame) const {
        return sink ? frame * static_cast<uint64_t>(sink->format().blockAlign()) : 0;
    }

    void run();
    // One turn of the worker: deliver events, start, synthesise or wait.
    void step(std::unique_lock<std::mutex>& lock);
    // Ends the reading under way after a failure, reporting kOutOfMemory.
    void abandonStream() noexcept;
    bool releaseDueEvents();
    void purge();
    void startStream(std::unique_lock<std::mutex>& lock);
    void finishStream();
    void synthesizeNext(std::unique_lock<std::mutex>& lock);
    // Makes a rate change heard at once: drops the audio not yet heard and
    // reads on from the next word (or the word being heard) at the new rate.
    void rewindForRate();
    bool openSink();
    std::shared_ptr<const ObjectToken> voiceFor(const SpeechPiece& piece);
    bool workLeft() const { return active && pieces && pieceIndex < pieces->size(); }
    // Pending events count frames of the open output: a text for another
    // output waits until they are released, rather than cutting off the
    // audio they belong to and measuring them against the new output.
    bool outputChangeWaits() const {
        const OutputTarget* wanted = target ? target.get() : defaultDevice.get();
        return sink && !pending.empty() && sinkTarget != wanted;
    }
};

namespace {

// Forwards what the synthesizer produces into the voice, dropping it once a
// purge has made it stale.
class VoiceSynthesisSink final : public SynthesisSink {
public:
    VoiceSynthesisSink(Voice::Core& core, const SpeechPiece& piece, size_t pieceIndex,
                       size_t offset, uint64_t generation, uint64_t startFrame, double ratio,
                       float gain)
        : core_(core),
          piece_(piece),
          pieceIndex_(pieceIndex),
          offset_(offset),
          generation_(generation),
          startFrame_(startFrame),
          ratio_(ratio),
          gain_(gain) {}

    void onWord(uint64_t sampleOffset, size_t index, size_t count) override {
        std::lock_guard lock(core_.mutex);
        if (core_.generation != generation_ || core_.stopping)
            return;
        const size_t first = offset_ + index;
        const size_t last = std::min(first + count, piece_.text.size()) - 1;
        VoiceEvent event;
        event.id = kEventWordBoundary;
        event.streamNumber = core_.activeStream;
        event.wordPosition = static_cast<int32_t>(piece_.sourceOffset[first]);
        event.wordLength = static_cast<int32_t>(
            piece_.sourceOffset[last] + piece_.sourceLength[last] - piece_.sourceOffset[first]);
        const uint64_t frame = startFrame_ + static_cast<uint64_t>(sampleOffset * ratio_);
        // Positions never go backwards, so events stay in play order.
        const uint64_t floor = core_.pending.empty() ? 0 : core_.pending.back().frame;
        core_.pending.push_back({std::max(frame, floor), event, WordPlace{pieceIndex_, first}});
    }

    bool onAudio(const int16_t* samples, size_t count) override {
        std::lock_guard lock(core_.mutex);
        if (core_.generation != generation_ || core_.stopping)
            return false;
        core_.sink->write(samples, count, gain_);
        return true;
    }

private:
    Voice::Core& core_;
    const SpeechPiece& piece_;
    size_t pieceIndex_;
    size_t offset_;
    uint64_t generation_;
    uint64_t startFrame_;
    double ratio_;
    float gain_;
};

bool endsSentence(char32_t c) {
    return c == U'.' || c == U'!' || c == U'?' || c == U'。' || c == U'！' || c == U'？' ||
           c == U';' || c == U'；';
}

}  // namespace

bool Voice::Core::releaseDueEvents() {
    const uint64_t played = sink ? sink->played() : std::numeric_limits<uint64_t>::max();
    bool notifyNow = false;
    while (!unheard.empty() || (!pending.empty() && pending.front().frame <= played)) {
        VoiceEvent event;
        if (!unheard.empty()) {
            event = unheard.front();
            unheard.pop_front();
        } else {
            event = pending.front().event;
            event.audioStreamOffset = bytesAt(pending.front().frame);
            if (event.id == kEventWordBoundary) {
                heardWord = pending.front().place;
                heardWordStream = event.streamNumber;
            }
            pending.pop_front();
        }
        if (event.id == kEventWordBoundary) {
            status.inputWordPosition = event.wordPosition;
            status.inputWordLength = event.wordLength;
        } else if (event.id == kEventStartInputStream) {
            status.currentStream = event.streamNumber;
            status.inputWordPosition = status.inputWordLength = 0;
        } else if (event.id == kEventEndInputStream) {
            completed = std::max(completed, event.streamNumber);
        }
        if ((queuedInterest & eventBit(event.id)) != 0) {
            if (kept.size() >= kMaximumKeptEvents)
                kept.pop_front();
            kept.push_back(event);
        }
        notifyNow = notifyNow || (interest & eventBit(event.id)) != 0;
    }
    return notifyNow;
}

void Voice::Core::rewindForRate() {
    if (!active || !pieces || !sink || !sink->paced())
        return;
    // Up to this long of the word being heard is let finish; a longer rest
    // is cut, and that word is read again.
    constexpr double kLetFinishSeconds = 0.2;
    const uint64_t played = sink->played();
    const auto letFinish = static_cast<uint64_t>(kLetFinishSeconds * sink->format().sampleRate);
    const auto next = std::find_if(pending.begin(), pending.end(), [&](const PendingEvent& e) {
        return e.event.id == kEventWordBoundary && e.frame >= played;
    });
    auto dropFrom = next;
    uint64_t cut = 0;
    WordPlace resume;
    if (next != pending.end() && next->place && next->event.streamNumber == activeStream &&
        next->frame <= played + letFinish) {
        cut = next->frame;
        resume = *next->place;
    } else if (heardWord && heardWordStream == activeStream &&
               status.currentStream == activeStream) {
        cut = played;
        resume = *heardWord;
        dropFrom = std::find_if(pending.begin(), pending.end(),
                                [&](const PendingEvent& e) { return e.frame > played; });
    } else {
        return;  // nothing of this text is being heard yet, or all of it is read
    }
    // An end of stream before the cut belongs to an earlier text, which stays.
    pending.erase(dropFrom, pending.end());
    sink->discardAfter(cut);
    ++generation;  // what is being synthesised now belongs to the dropped audio
    pieceIndex = resume.piece;
    const SpeechPiece& piece = (*pieces)[pieceIndex];
    ranges = splitForSynthesis(std::u32string_view(piece.text).substr(resume.character));
    for (auto& [begin, end] : ranges) {
        begin += resume.character;
        end += resume.character;
    }
    rangeIndex = 0;
    if (ranges.empty())
        ++pieceIndex;
    wake.notify_all();
}

void Voice::Core::purge() {
    ++generation;
    if (!queue.empty())
        completed = std::max(completed, queue.back().number);
    queue.clear();
    // The streams whose audio is dropped end here, the one being read and
    // those still being heard. Listeners still hear of their ends, but
    // nobody waits for that: they have ended now.
    const auto endNow = [this](uint32_t stream) {
        completed = std::max(completed, stream);
        VoiceEvent end;
        end.id = kEventEndInputStream;
        end.streamNumber = stream;
        unheard.push_back(end);
    };
    for (const auto& waiting : pending) {
        if (waiting.event.id == kEventEndInputStream)
            endNow(waiting.event.streamNumber);
    }
    pending.clear();
    if (active) {
        active = false;
        pieces.reset();
        ranges.clear();
        endNow(activeStream);
    }
    if (sink)
        sink->discard();
    wake.notify_all();
    done.notify_all();
}

bool Voice::Core::openSink() {
    const OutputTarget* wanted = target ? target.get() : defaultDevice.get();
    if (sink && sinkTarget == wanted)
        return true;
    sink.reset();
    sinkTarget = wanted;
    if (auto file = std::dynamic_pointer_cast<FileStream>(target)) {
        sink = openFileSink(file);
    } else {
        auto device = target ? std::dynamic_pointer_cast<AudioDevice>(target) : defaultDevice;
        if (!device)
            return false;
        const StreamFormat format = device->format();
        std::unique_ptr<audio::AudioOutput> output;
        if (device->kind() == AudioDevice::Kind::Default && outputFactory) {
            output = outputFactory({format.sampleRate, format.channels});
        }
        if (!output)
            output = device->open();
        sink = openAudioSink(std::move(output), format);
    }
    sink->setPaused(paused);
    sink->setVolume(volume);
    return true;
}

std::shared_ptr<const ObjectToken> Voice::Core::voiceFor(const SpeechPiece& piece) {
    if (piece.voiceRequired().empty() && piece.voiceOptional().empty())
        return token;
    const auto key = std::make_pair(piece.voiceRequired(), piece.voiceOptional());
    if (auto it = tagVoices.find(key); it != tagVoices.end())
        return it->second;
    std::shared_ptr<TokenCategory> category;
    std::shared_ptr<TokenEnumeration> found;
    std::shared_ptr<const ObjectToken> chosen;
    if (succeeded(TokenCategory::open(kVoicesCategoryId, false, &category)) &&
        succeeded(category->enumTokens(piece.voiceRequired(), piece.voiceOptional(), &found))) {
        found->next(&chosen);
    }
    // A tag naming no installed voice leaves the voice as it was.
    if (!chosen)
        chosen = token;
    tagVoices.emplace(key, chosen);
    return chosen;
}

void Voice::Core::startStream(std::unique_lock<std::mutex>& lock) {
    QueuedText next = std::move(queue.front());
    queue.pop_front();
    const uint64_t startGeneration = generation;
    active = true;
    activeStream = next.number;
    pieces.reset();
    ranges.clear();
    pieceIndex = rangeIndex = 0;
    tagVoices.clear();
    if (!openSink())
        status.lastResult = kFail;

    VoiceEvent start;
    start.id = kEventStartInputStream;
    start.streamNumber = next.number;
    pending.push_back({sink ? sink->written() : 0, start, std::nullopt});

    // Reading a long text takes a while; do it without holding up the controls.
    lock.unlock();
    std::vector<SpeechPiece> read = readMarkup(next.text, (next.flags & kSpeakIsNotXml) == 0);
    lock.lock();
    if (generation != startGeneration || stopping)
        return;  // purged meanwhile
    pieces = std::make_shared<const std::vector<SpeechPiece>>(std::move(read));
}

void Voice::Core::finishStream() {
    if (sink)
        sink->endOfStream();
    // All of the stream's audio is written now: nothing of it can be heard
    // later than its last frame, whatever position the synthesis gave an
    // event. Events at or before that frame are always released, so the
    // stream always ends.
    const uint64_t last = sink ? sink->written() : 0;
    for (auto it = pending.rbegin(); it != pending.rend() && it->frame > last; ++it) {
        it->frame = last;
    }
    VoiceEvent end;
    end.id = kEventEndInputStream;
    end.streamNumber = activeStream;
    pending.push_back({last, end, std::nullopt});
    active = false;
    pieces.reset();
}

void Voice::Core::synthesizeNext(std::unique_lock<std::mutex>& lock) {
    const SpeechPiece& piece = (*pieces)[pieceIndex];
    if (!sink) {
        pieceIndex = pieces->size();
        return;
    }
    if (piece.isSilence()) {
        const size_t samples =
            static_cast<size_t>(piece.silenceMs) * Synthesizer::kSampleRate / 1000;
        std::vector<int16_t> zeros(std::min(samples, kSilenceBlockSamples), 0);
        for (size_t done = 0; done < samples; done += zeros.size()) {
            sink->write(zeros.data(), std::min(zeros.size(), samples - done), 1.0f);
        }
        ++pieceIndex;
        return;
    }
    if (rangeIndex == 0 && ranges.empty())
        ranges = splitForSynthesis(piece.text);
    if (rangeIndex >= ranges.size()) {
        ++pieceIndex;
        rangeIndex = 0;
        ranges.clear();
        return;
    }
    const auto [begin, end] = ranges[rangeIndex++];
    // Only what espeak-ng is asked for is kept: the token itself is not held
    // while synthesising, so a released voice lets go of it at once.
    const EspeakVoice espeak = [&] {
        const auto voiceToken = voiceFor(piece);
        return voiceToken ? voiceToken->espeakVoice() : EspeakVoice{};
    }();
    const int pieceRate = std::clamp(piece.absoluteRate.value_or(rate) + piece.relativeRate,
                                     kMinimumRate, kMaximumRate);
    const float gain = static_cast<float>(piece.volumePercent) / 100.0f;
    const bool endPause = endsSentence(piece.text[end - 1]) || end == piece.text.size();
    // Hold the pieces while unlocked: a purge may drop them meanwhile.
    const auto held = pieces;
    VoiceSynthesisSink forward(*this, piece, pieceIndex, begin, generation, sink->written(),
                               ratio(), gain);
    const std::u32string_view text = std::u32string_view(piece.text).substr(begin, end - begin);
    const uint64_t synthesisGeneration = generation;
    lock.unlock();
    const Result result =
        Synthesizer::instance().synthesize(text, espeak, pieceRate, endPause, forward);
    lock.lock();
    if (result == kOutOfMemory && generation == synthesisGeneration)
        abandonStream();
    else if (failed(result))
        status.lastResult = result;
}

void Voice::Core::step(std::unique_lock<std::mutex>& lock) {
    if (releaseDueEvents() && notify) {
        auto callback = notify;
        notifying = true;
        lock.unlock();
        callback();
        lock.lock();
        notifying = false;
        done.notify_all();
        return;
    }
    if (idle())
        done.notify_all();
    if (!active && !queue.empty() && !outputChangeWaits()) {
        startStream(lock);
        return;
    }
    if (active && !workLeft()) {
        finishStream();
        return;
    }
    if (workLeft()) {
        const uint64_t ahead =
            sink ? sink->written() - std::min(sink->written(), sink->played()) : 0;
        const double aheadLimit = kSynthesisAheadSeconds * (sink ? sink->format().sampleRate : 1);
        const bool roomAhead = !sink || (!sink->paced() ? !paused : ahead < aheadLimit);
        if (roomAhead) {
            synthesizeNext(lock);
            return;
        }
    }
    if (!pending.empty() || workLeft()) {
        wake.wait_for(lock, kEventPollInterval);
    } else {
        done.notify_all();
        wake.wait(lock);
    }
}

void Voice::Core::abandonStream() noexcept {
    notifying = false;
    status.lastResult = kOutOfMemory;
    pieces.reset();
    ranges = {};
    pieceIndex = rangeIndex = 0;
    if (active) {
        try {
            finishStream();  // the end event still reaches the caller
        } catch (...) {
            active = false;
        }
    }
    done.notify_all();
}

void Voice::Core::run() {
    std::unique_lock lock(mutex);
    while (!stopping) {
        try {
            step(lock);
        } catch (const std::exception&) {
            // Memory ran out (a huge text, a limit on the process): the
            // reading under way ends here, and the voice reads the next text.
            if (!lock.owns_lock())
                lock.lock();
            abandonStream();
        }
    }
    done.notify_all();
    // An audio output of a released voice is closed here rather than by
    // the releasing caller: closing a device stream takes its time.
    std::unique_ptr<Sink> released = std::move(sink);
    lock.unlock();
    released.reset();
    ended = true;
}

namespace {

// Set once the retired workers below are gone, at the end of the process or
// when the library is unloaded: a voice released after that joins its own.
std::atomic<bool> retiredWorkersClosed = false;

// The workers of released voices. A released voice's worker stops by
// itself within one synthesis callback, so whoever releases the voice does
// not wait for it; it is joined here once it has ended, and what is left is
// joined before the engine's own state goes (this object is first used
// after the synthesizer exists, so it is destroyed before it).
class RetiredWorkers {
public:
    static RetiredWorkers& instance() {
        static RetiredWorkers workers;
        return workers;
    }
    ~RetiredWorkers() {
        std::lock_guard lock(mutex_);
        retiredWorkersClosed = true;
        for (auto& [thread, core] : workers_)
            thread.join();
    }

    void retire(std::thread worker, std::shared_ptr<Voice::Core> core) {
        std::lock_guard lock(mutex_);
        joinEnded();
        workers_.emplace_back(std::move(worker), std::move(core));
    }
    void joinEnded() {
        std::erase_if(workers_, [](auto& retired) {
            if (!retired.second->ended)
                return false;
            retired.first.join();  // only the return from the thread is left
            return true;
        });
    }
    void joinEndedNow() {
        std::lock_guard lock(mutex_);
        joinEnded();
    }

private:
    RetiredWorkers() = default;
    std::mutex mutex_;
    std::vector<std::pair<std::thread, std::shared_ptr<Voice::Core>>> workers_;
};

}  // namespace

Voice::Voice(std::shared_ptr<Core> core) : core_(std::move(core)) {}

Result Voice::create(std::shared_ptr<Voice>* voice) {
    if (voice == nullptr)
        return kPointer;
    *voice = nullptr;
    if (Result result = Synthesizer::instance().initialize(); failed(result))
        return result;
    RetiredWorkers::instance().joinEndedNow();
    auto core = std::make_shared<Core>();
    std::shared_ptr<TokenCategory> category;
    std::string defaultId;
    if (succeeded(TokenCategory::open(kVoicesCategoryId, false, &category)) &&
        succeeded(category->getDefaultTokenId(&defaultId))) {
        category->getToken(defaultId, &core->token);
    }
    const auto storedRate = IniFile::load(engineSettingsPath()).value("Voices", "DefaultTTSRate");
    if (storedRate && !storedRate->empty() && storedRate->size() < 4) {
        try {
            core->rate = std::clamp(std::stoi(*storedRate), kMinimumRate, kMaximumRate);
        } catch (...) {
            // an unreadable stored rate leaves the normal rate
        }
    }
    core->worker = std::thread([core] { core->run(); });
    core->workerId = core->worker.get_id();
    voice->reset(new Voice(core));
    return kOk;
}

Voice::~Voice() {
    const bool onWorker = std::this_thread::get_id() == core_->workerId;
    // What the voice holds is let go here, on the releasing thread, as soon
    // as the voice is released: its voice tokens, the file it writes to,
    // whom it tells (an audio output is closed by the worker). Once
    // stopping, the worker touches none of it.
    std::unique_ptr<Sink> fileSink;
    std::shared_ptr<OutputTarget> target;
    std::shared_ptr<AudioDevice> defaultDevice;
    std::shared_ptr<const ObjectToken> token;
    decltype(core_->tagVoices) tagVoices;
    std::function<void()> notify;
    OutputFactory outputFactory;
    std::thread worker;
    {
        std::unique_lock lock(core_->mutex);
        core_->purge();
        core_->stopping = true;
        core_->wake.notify_all();
        // No notification after the release: one under way is let finish.
        if (!onWorker)
            core_->done.wait(lock, [this] { return !core_->notifying; });
        if (core_->sink && !core_->sink->paced())
            fileSink = std::move(core_->sink);
        target = std::move(core_->target);
        defaultDevice = std::move(core_->defaultDevice);
        token = std::move(core_->token);
        tagVoices = std::move(core_->tagVoices);
        notify = std::move(core_->notify);
        outputFactory = std::move(core_->outputFactory);
        worker = std::move(core_->worker);
    }
    if (onWorker) {
        worker.detach();  // released from its own callback: the thread ends by itself
    } else if (retiredWorkersClosed) {
        worker.join();
    } else {
        RetiredWorkers::instance().retire(std::move(worker), core_);
    }
}

Result Voice::speak(std::u16string_view text, uint32_t flags, uint32_t* streamNumber) {
    if ((flags & ~kSupportedSpeakFlags) != 0)
        return kInvalidFlags;
    if ((flags & kSpeakIsXml) != 0 && (flags & kSpeakIsNotXml) != 0)
        return kInvalidFlags;
    if (text.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max()))
        return kInvalidArg;
    const bool synchronous = (flags & kSpeakAsync) == 0;
    if (synchronous && std::this_thread::get_id() == core_->workerId && !text.empty()) {
        return kWrongThread;
    }
    uint32_t number = 0;
    {
        std::lock_guard lock(core_->mutex);
        if ((flags & kSpeakPurgeBeforeSpeak) != 0)
            core_->purge();
        if (text.empty()) {
            if (streamNumber)
                *streamNumber = 0;
            return kOk;
        }
        number = core_->nextStream++;
        core_->lastQueued = number;
        core_->status.lastStreamQueued = number;
        core_->queue.push_back({std::u16string(text), flags, number});
    }
    core_->wake.notify_all();
    if (streamNumber)
        *streamNumber = number;
    if (!synchronous)
        return kOk;
    std::unique_lock lock(core_->mutex);
    core_->done.wait(lock, [&] { return core_->completed >= number || core_->stopping; });
    return kOk;
}

Result Voice::waitUntilDone(int64_t timeoutMs) {
    if (std::this_thread::get_id() == core_->workerId)
        return kWrongThread;
    std::unique_lock lock(core_->mutex);
    const auto finished = [&] { return core_->idle() || core_->stopping; };
    if (timeoutMs < 0) {
        core_->done.wait(lock, finished);
        return kOk;
    }
    return core_->done.wait_for(lock, std::chrono::milliseconds(timeoutMs), finished) ? kOk
                                                                                      : kFalse;
}

Result Voice::pause() {
    std::lock_guard lock(core_->mutex);
    core_->paused = true;
    if (core_->sink)
        core_->sink->setPaused(true);
    return kOk;
}

Result Voice::resume() {
    {
        std::lock_guard lock(core_->mutex);
        core_->paused = false;
        if (core_->sink)
            core_->sink->setPaused(false);
    }
    core_->wake.notify_all();
    return kOk;
}

Result Voice::setVoice(std::shared_ptr<const ObjectToken> token) {
    if (token && token->kind() != ObjectToken::Kind::Voice)
        return kInvalidArg;
    if (!token) {
        std::shared_ptr<TokenCategory> category;
        std::string id;
        if (succeeded(TokenCategory::open(kVoicesCategoryId, false, &category)) &&
            succeeded(category->getDefaultTokenId(&id))) {
            category->getToken(id, &token);
        }
    }
    std::lock_guard lock(core_->mutex);
    core_->token = std::move(token);
    return kOk;
}

Result Voice::getVoice(std::shared_ptr<const ObjectToken>* token) const {
    if (token == nullptr)
        return kPointer;
    std::lock_guard lock(core_->mutex);
    *token = core_->token;
    return *token ? kOk : kNotFound;
}

Result Voice::setRate(int32_t rate) {
    if (rate < kMinimumRate || rate > kMaximumRate)
        return kInvalidArg;
    std::lock_guard lock(core_->mutex);
    if (core_->rate == rate)
        return kOk;
    core_->rate = rate;
    core_->rewindForRate();
    return kOk;
}

Result Voice::getRate(int32_t* rate) const {
    if (rate == nullptr)
        return kPointer;
    std::lock_guard lock(core_->mutex);
    *rate = core_->rate;
    return kOk;
}

Result Voice::setVolume(int32_t volume) {
    if (volume < kMinimumVolume || volume > kMaximumVolume)
        return kInvalidArg;
    std::lock_guard lock(core_->mutex);
    core_->volume = volume;
    if (core_->sink)
        core_->sink->setVolume(volume);
    return kOk;
}

Result Voice::getVolume(int32_t* volume) const {
    if (volume == nullptr)
        return kPointer;
    std::lock_guard lock(core_->mutex);
    *volume = core_->volume;
    return kOk;
}

Result Voice::setOutput(std::shared_ptr<OutputTarget> target, bool allowFormatChanges) {
    (void)allowFormatChanges;  // an output object is always played in its own format
    std::lock_guard lock(core_->mutex);
    core_->target = std::move(target);
    return kOk;
}

Result Voice::getOutputStream(std::shared_ptr<OutputTarget>* target) const {
    if (target == nullptr)
        return kPointer;
    std::lock_guard lock(core_->mutex);
    *target = core_->target ? core_->target : core_->defaultDevice;
    return kOk;
}

Result Voice::setInterest(uint64_t eventMask, uint64_t queuedMask) {
    std::lock_guard lock(core_->mutex);
    core_->interest = eventMask;
    core_->queuedInterest = queuedMask;
    return kOk;
}

void Voice::setNotifyCallback(std::function<void()> callback) {
    std::lock_guard lock(core_->mutex);
    core_->notify = std::move(callback);
}

Result Voice::getEvent(VoiceEvent* event) {
    if (event == nullptr)
        return kPointer;
    std::lock_guard lock(core_->mutex);
    if (core_->kept.empty())
        return kFalse;
    *event = core_->kept.front();
    core_->kept.pop_front();
    return kOk;
}

VoiceStatus Voice::status() const {
    std::lock_guard lock(core_->mutex);
    VoiceStatus status = core_->status;
    status.runningState = core_->idle() ? kRunningStateDone : kRunningStateSpeaking;
    return status;
}

void Voice::setOutputFactory(OutputFactory factory) {
    std::lock_guard lock(core_->mutex);
    core_->outputFactory = std::move(factory);
}

}  // namespace lenvoro::engine
