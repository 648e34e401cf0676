#include "speaking.h"

#include <algorithm>
#include <array>
#include <new>

#include "ansi_text.h"
#include "engine_state.h"
#include "lenvoro.h"
#include "library_interface.h"
#include "markup.h"
#include "prompt_dialogs.h"
#include "voices.h"
#include "window_host.h"

namespace lenvoro {

namespace {

// The punctuation a reading without punctuation hears as spaces. Kept on
// purpose: < > @ ` and the full-width colon and semicolon.
constexpr std::array<char16_t, 56> kSpokenAsSpace = {
    u'/',   u'-',   u'=',   u'\\',  u'[',   u']',   u';',   u',',   u'\'',  u'.',   u'~',   u'!',
    u'#',   u'$',   u'^',   u'&',   u'*',   u'(',   u')',   u'_',   u'%',   u'+',   u'|',   u'{',
    u'}',   u':',   u'"',   0xFF0C, 0x203B, u'?',   0xFF08, 0xFF09, 0xFF5E, 0xFF01, 0xFF03, 0x00B7,
    0xFFE5, 0xFF05, 0xFF0D, 0x2014, 0x2026, 0xFF0B, 0x3001, 0x3002, 0x300E, 0x300F, 0x3010, 0x3011,
    0x201C, 0x201D, 0x2018, 0x2019, 0x300A, 0x300B, 0xFF1F, 0xFF1D,
};

VoiceFactory& voiceFactory() {
    static VoiceFactory factory = &CreateVoice;
    return factory;
}

bool IsSpeakingMode(int32_t mode) {
    return mode == LENVORO_MODE_SYNC || mode == LENVORO_MODE_ASYNC ||
           mode == LENVORO_MODE_MIXED_SYNC || mode == LENVORO_MODE_MIXED_ASYNC;
}

bool IsMixedMode(int32_t mode) {
    return mode == LENVORO_MODE_MIXED_SYNC || mode == LENVORO_MODE_MIXED_ASYNC;
}

// Ends the current reading and lets its voice go. The voice's own end-of-stream
// event goes with it, so the reading state is set here: otherwise a call that
// reads nothing afterwards (an empty text, a missing voice, an engine that
// cannot speak) would leave the reader "reading" for good.
void EndCurrentReading(EngineState& state) {
    if (!state.voice)
        return;
    PurgeAndWait(*state.voice);
    state.voice.reset();
    state.idle = true;
    state.paused = false;
}

std::u16string WideText(const SpeakingText& text) {
    if (const auto* bytes = std::get_if<std::string_view>(&text))
        return codeset::toUtf16(*bytes, codeset::localeCodeSet());
    return std::u16string(std::get<std::u16string_view>(text));
}

bool TextIsEmpty(const SpeakingText& text) {
    return std::visit([](const auto& view) { return view.empty(); }, text);
}

// A fresh voice that reports its events to the caller's window.
Result CreateReportingVoice(EngineState& state) {
    std::shared_ptr<engine::Voice> created;
    Result result = voiceFactory()(&created);
    if (!created)
        return engine::failed(result) ? result : engine::kFail;
    if (engine::failed(result))
        return result;
    created->setInterest(engine::kAllSpeechEvents, engine::kAllSpeechEvents);
    const intptr_t window = state.window;
    created->setNotifyCallback([window] { PostEngineNotification(window); });
    state.voice = std::move(created);
    SetTextBoxSelection(ResolveWindow(state.window), 0, 0);
    return engine::kOk;
}

}  // namespace

bool IsSpokenAsSpace(char16_t unit) {
    return std::find(kSpokenAsSpace.begin(), kSpokenAsSpace.end(), unit) != kSpokenAsSpace.end();
}

void CleanSpokenText(std::u16string& text, bool keepPunctuation) {
    for (char16_t& unit : text) {
        if (!keepPunctuation && IsSpokenAsSpace(unit))
            unit = u' ';
        if (unit == kToadCharacter)
            unit = kHaCharacter;
    }
}

int32_t ReadingProgress(uint32_t position, uint32_t length, size_t textLength) {
    if (textLength == 0)
        return 0;
    const uint64_t reached = uint64_t{position} + length;
    return static_cast<int32_t>(std::min<uint64_t>(reached * 100 / textLength, 100));
}

TextSelection WordSelection(std::u16string_view spoken, uint32_t position, uint32_t length,
                            bool unicodePositions, const std::string& codeSet) {
    const size_t start = std::min<size_t>(position, spoken.size());
    const size_t count = std::min<size_t>(length, spoken.size() - start);
    if (unicodePositions)
        return {static_cast<int32_t>(start), static_cast<int32_t>(start + count)};
    const size_t before = codeset::encodedLength(spoken.substr(0, start), codeSet);
    const size_t word = codeset::encodedLength(spoken.substr(start, count), codeSet);
    return {static_cast<int32_t>(before), static_cast<int32_t>(before + word)};
}

int32_t Speak(const SpeakingText& text, int32_t mode, int32_t voice, int32_t rate, int32_t volume,
              int32_t punctuation, std::optional<std::u16string_view> page) {
    EngineState& state = engineState();
    if (RefuseWhenRetired(state.window))
        return kResultRefused;
    state.lastResult = engine::kOk;
    if (page)
        state.voicePage.assign(*page);
    // A mixed reading needs a voice pair; any other voice number has no tags
    // to insert, so it is refused with the other arguments.
    const bool voiceUsable = !IsMixedMode(mode) || VoicePairTagsFor(voice).has_value();
    if ((punctuation != 0 && punctuation != 1) || !InSettingRange(rate) ||
        !InSettingRange(volume) || !IsSpeakingMode(mode) || !voiceUsable) {
        ShowParameterError(state.window);
        return kResultRefused;
    }

    EndCurrentReading(state);
    state.lastResult = CreateReportingVoice(state);
    if (!state.voice)
        return kResultEngineFailed;  // nothing can be read; the reader stays idle

    if (IsMixedMode(mode)) {
        state.lastResult = TakeFirstInstalledVoice(*state.voice);
    } else {
        const int32_t missing = ChooseSpeakingVoice(voice, *state.voice, state.speakSelection);
        if (missing != 0)
            return missing;
    }
    if (engine::succeeded(state.lastResult) && rate >= 0)
        state.lastResult = state.voice->setRate(EngineRateFromInterface(rate));
    if (engine::succeeded(state.lastResult) && volume >= 0)
        state.lastResult = state.voice->setVolume(volume);

    if (TextIsEmpty(text))
        return kResultDone;  // the old text stays: nothing new is read
    state.spokenText.reset();
    try {
        state.spokenText = WideText(text);
    } catch (const std::bad_alloc&) {
        return kResultNoMemory;
    }
    std::u16string& spoken = *state.spokenText;
    if (spoken.empty())
        return kResultDone;
    CleanSpokenText(spoken, punctuation == 1);

    const bool asynchronous = mode == LENVORO_MODE_ASYNC || mode == LENVORO_MODE_MIXED_ASYNC;
    const uint32_t flags = asynchronous ? engine::kSpeakAsync : engine::kSpeakSync;
    state.highlight = mode == LENVORO_MODE_ASYNC;
    if (IsMixedMode(mode)) {
        if (BuildVoiceMarkup(spoken, voice) != MarkupBuild::Built)
            return kResultNoMemory;
        if (!CheckMarkupVoices(spoken))
            return kResultEngineFailed;
    }
    state.lastResult = state.voice->speak(spoken, flags);
    return kResultDone;
}

int32_t StopReading() {
    EngineState& state = engineState();
    if (RefuseWhenRetired(state.window))
        return kResultRefused;
    state.lastResult = engine::kOk;
    if (state.voice)
        PurgeAndWait(*state.voice);
    state.speakSelection.release();
    state.spokenText.reset();
    return kResultOk;
}

int32_t PauseOrContinue() {
    EngineState& state = engineState();
    if (state.idle)
        return kResultOk;
    if (!state.paused) {
        if (state.voice)
            state.lastResult = state.voice->pause();
        state.paused = true;
    } else {
        if (state.voice)
            state.lastResult = state.voice->resume();
        state.paused = false;
    }
    return kResultOk;
}

// Values above 100 are refused here: the rate's integer division would turn
// 101..104 into the fastest rate instead of refusing them.
int32_t SetVolume(int32_t volume) {
    EngineState& state = engineState();
    if (volume >= 0 && volume <= kSettingMax && state.voice)
        state.lastResult = state.voice->setVolume(volume);
    return kResultOk;
}

int32_t SetSpeed(int32_t rate) {
    EngineState& state = engineState();
    if (rate >= 0 && rate <= kSettingMax && state.voice)
        state.lastResult = state.voice->setRate(EngineRateFromInterface(rate));
    return kResultOk;
}

int32_t LocationInfo() {
    return engineState().progress;
}

void FollowEngineEvents(QWidget* window) {
    EngineState& state = engineState();
    engine::VoiceEvent event;
    // The voice is looked at again for every event: a handler of the text box's
    // own may have closed the engine meanwhile.
    while (state.voice && state.voice->getEvent(&event) == engine::kOk) {
        switch (event.id) {
            case engine::kEventStartInputStream:
                state.idle = false;
                state.paused = false;
                state.progress = 0;
                SetTextBoxSelection(window, 0, 0);
                break;
            case engine::kEventEndInputStream:
                state.idle = true;
                state.paused = false;
                state.progress = 100;
                SetTextBoxSelection(window, 0, 0);
                break;
            case engine::kEventWordBoundary: {
                // The text was freed by a stop or close: the event is stale.
                if (!state.spokenText || state.spokenText->empty())
                    break;
                // The event carries the word it was released for; the voice's
                // status would already name a later word when several events
                // wait, and the marking would skip words.
                const auto position = static_cast<uint32_t>(std::max(0, event.wordPosition));
                const auto length = static_cast<uint32_t>(std::max(0, event.wordLength));
                state.progress = ReadingProgress(position, length, state.spokenText->size());
                if (state.highlight) {
                    const TextSelection selection = WordSelection(
                        *state.spokenText, position, length, state.unicodeWindows,
                        state.unicodeWindows ? std::string() : codeset::localeCodeSet());
                    SetTextBoxSelection(window, selection.start, selection.end);
                }
                break;
            }
            default:
                break;
        }
    }
}

VoiceFactory SetSpeakingVoiceFactory(VoiceFactory factory) {
    VoiceFactory previous = voiceFactory();
    voiceFactory() = factory ? std::move(factory) : VoiceFactory(&CreateVoice);
    return previous;
}

}  // namespace lenvoro
