// A voice object: a queue of texts read one after another by a worker thread.
//
// speak() queues a text (synchronously or not); the worker reads its markup,
// synthesises it a piece at a time behind the Synthesizer's lock, staying no
// more than a couple of seconds ahead of the output, and hands the audio to
// the output. Events (start of stream, word boundary, end of stream) are
// released when the output's play position passes them, so a word event
// means the word is being heard. Purging drops the queue, the synthesis in
// progress and the unplayed audio at once.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

#include "lenvoro_audio/audio_output.h"
#include "output_target.h"
#include "result.h"
#include "voice_tokens.h"

namespace lenvoro::engine {

enum SpeakFlags : uint32_t {
    kSpeakSync = 0,
    kSpeakAsync = 1,
    kSpeakPurgeBeforeSpeak = 2,
    kSpeakIsXml = 8,      // read tags (the default)
    kSpeakIsNotXml = 16,  // read every character as text
    kSpeakPersistXml = 32,
    kSpeakNlpSpeakPunctuation = 64,
};
constexpr uint32_t kSupportedSpeakFlags = 1 | 2 | 8 | 16 | 32 | 64;

enum EventId : int32_t {
    kEventStartInputStream = 1,
    kEventEndInputStream = 2,
    kEventWordBoundary = 5,
};
constexpr uint64_t eventBit(int32_t id) {
    return uint64_t{1} << id;
}
// Every speech-output event, as the speech interface spells that mask.
constexpr uint64_t kAllSpeechEvents = 0xFFFEull | (uint64_t{1} << 30) | (uint64_t{1} << 33);

struct VoiceEvent {
    int32_t id = 0;
    uint32_t streamNumber = 0;
    uint64_t audioStreamOffset = 0;  // bytes of output audio before the event
    int32_t wordPosition = 0;        // word boundary: UTF-16 offset in the text given to speak()
    int32_t wordLength = 0;          // word boundary: UTF-16 units
};

constexpr int32_t kRunningStateDone = 1;
constexpr int32_t kRunningStateSpeaking = 2;

struct VoiceStatus {
    int32_t runningState = kRunningStateDone;
    uint32_t currentStream = 0;
    uint32_t lastStreamQueued = 0;
    int32_t inputWordPosition = 0;  // the word being heard, in UTF-16 units of its text
    int32_t inputWordLength = 0;
    Result lastResult = kOk;  // of the latest synthesis
};

constexpr int32_t kMinimumVolume = 0;
constexpr int32_t kMaximumVolume = 100;

class Voice {
public:
    using OutputFactory =
        std::function<std::unique_ptr<audio::AudioOutput>(const audio::AudioFormat&)>;

    // A voice with the user's default voice token and default rate, speaking
    // to the default audio output. Fails only when the engine cannot start.
    static Result create(std::shared_ptr<Voice>* voice);
    ~Voice();
    Voice(const Voice&) = delete;
    Voice& operator=(const Voice&) = delete;

    // Queues text (kSpeakAsync) or reads it and returns when it has been heard.
    // kSpeakPurgeBeforeSpeak first drops everything queued or playing; with an
    // empty text that is all it does. kInvalidFlags for unknown flags,
    // kInvalidArg for texts over 2^31 UTF-16 units, kWrongThread for a
    // synchronous call from the notification callback.
    Result speak(std::u16string_view text, uint32_t flags, uint32_t* streamNumber = nullptr);

    // Waits until every queued text has been heard. timeoutMs < 0 waits
    // without limit. kOk when done, kFalse when the time ran out.
    Result waitUntilDone(int64_t timeoutMs = -1);

    Result pause();
    Result resume();

    // nullptr selects the user's default voice. The change applies from the
    // next piece of text read.
    Result setVoice(std::shared_ptr<const ObjectToken> token);
    Result getVoice(std::shared_ptr<const ObjectToken>* token) const;

    Result setRate(int32_t rate);  // kInvalidArg outside -10..10
    Result getRate(int32_t* rate) const;
    Result setVolume(int32_t volume);  // kInvalidArg outside 0..100; heard at once
    Result getVolume(int32_t* volume) const;

    // nullptr: the default audio output. Takes effect from the next text.
    Result setOutput(std::shared_ptr<OutputTarget> target, bool allowFormatChanges);
    Result getOutputStream(std::shared_ptr<OutputTarget>* target) const;

    // Events in eventMask call the notification callback; those in
    // queuedMask are kept for getEvent().
    Result setInterest(uint64_t eventMask, uint64_t queuedMask);
    // Called on the voice's own thread whenever events were released.
    void setNotifyCallback(std::function<void()> callback);
    // The oldest kept event: kOk, or kFalse when there is none.
    Result getEvent(VoiceEvent* event);

    VoiceStatus status() const;

    // Replaces how the default audio output is opened (tests use a faster
    // null output). Applies to outputs opened afterwards.
    void setOutputFactory(OutputFactory factory);

    struct Core;

private:
    explicit Voice(std::shared_ptr<Core> core);
    std::shared_ptr<Core> core_;
};

}  // namespace lenvoro::engine
