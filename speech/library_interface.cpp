#include "library_interface.h"

#include <algorithm>
#include <new>
#include <string>

#include "ansi_text.h"
#include "interface_language.h"
#include "lenvoro.h"
#include "prompt_dialogs.h"
#include "settings_dialog.h"
#include "speaking.h"
#include "speech_engine.h"
#include "voices.h"
#include "wave_output.h"
#include "window_host.h"

namespace lenvoro {

namespace {

bool IsStartVoice(int32_t voice) {
    return voice >= -1 && voice <= 4;
}

// A start call that already holds a voice (no close in between) stops and
// releases it before it creates the next, so that no second reader is left
// speaking and nothing of the earlier start is kept.
void ReleaseEarlierStart(EngineState& state) {
    if (state.voice) {
        PurgeAndWait(*state.voice);
        state.voice.reset();
    }
    state.startSelection.release();
}

// Steps 9 to 13 of a start: the voice object, a look at the installed voices,
// the chosen voice, rate, volume and output. The voice's missing-voice result
// when the chosen voice is not installed; 0 when the engine is ready; a
// negative engine result when a step failed.
int32_t PrepareVoice(EngineState& state, int32_t voice, int32_t rate, int32_t volume) {
    std::shared_ptr<engine::Voice> created;
    state.lastResult = CreateVoice(&created);
    if (!created) {
        state.lastResult = engine::kFail;
        return engine::kFail;
    }
    state.voice = std::move(created);
    if (engine::failed(state.lastResult))
        return state.lastResult;

    std::shared_ptr<engine::TokenEnumeration> installed;
    uint32_t count = 0;
    state.lastResult = FindVoices(std::nullopt, &installed, &count);
    installed.reset();
    if (engine::failed(state.lastResult) || count == 0)
        return state.lastResult = engine::kFail;

    if (voice != kKeepSetting) {
        const VoiceChoice choice = ChooseOneVoice(voice, *state.voice, state.startSelection);
        if (choice.status == VoiceChoice::Status::Missing)
            return choice.known->missingResult;
        if (choice.status == VoiceChoice::Status::Failed) {
            state.lastResult =
                engine::failed(choice.engineResult) ? choice.engineResult : engine::kFail;
            return state.lastResult;
        }
    }
    if (rate >= 0) {
        state.lastResult = state.voice->setRate(EngineRateFromInterface(rate));
        if (engine::failed(state.lastResult))
            return state.lastResult;
    }
    if (volume >= 0) {
        state.lastResult = state.voice->setVolume(volume);
        if (engine::failed(state.lastResult))
            return state.lastResult;
    }
    state.lastResult = state.voice->setOutput(nullptr, true);
    if (engine::failed(state.lastResult))
        return state.lastResult;
    return 0;
}

}  // namespace

int32_t InitialAuth(intptr_t window, int32_t voice, int32_t rate, int32_t volume,
                    const StartTexts& texts, HandlerFamily family) {
    EngineState& state = engineState();
    state.window = window;
    // The message and caption are short texts of the library: 255 units at most.
    const FixedText message(texts.message);
    const FixedText caption(texts.caption);
    state.lastResult = engine::kOk;
    state.unicodeWindows = true;  // UTF-16 everywhere on this system
    state.usable = true;
    ChooseInterfaceLanguage();

    if (!IsStartVoice(voice) || !InSettingRange(rate) || !InSettingRange(volume)) {
        ShowParameterError(window);
        return kResultRefused;
    }

    // The engine cannot start: the caller's message, when it gave one, and
    // nothing left running.
    const auto cannotStart = [&] {
        if (!message.empty() && !caption.empty()) {
            ShowMessageBox(window, message.view(), caption.view(), MessageBoxIcon::None);
        }
        state.voice.reset();
        state.startSelection.release();
        state.lastResult = engine::kFail;
        return kResultEngineFailed;
    };

    // The runtime is initialised once per start; a second start without a
    // close keeps the one it has rather than taking a reference it never gives back.
    if (!state.comReady) {
        const engine::Result runtime = InitializeEngineRuntime();
        // Without espeak-ng's data no voice can speak: the engine cannot start.
        if (runtime == engine::kEngineDataMissing)
            return cannotStart();
        if (engine::failed(runtime))
            return kResultNoRuntime;
        state.comReady = true;
    }

    if (IsTextBox(ResolveWindow(window))) {
        TakeOverWindow(window, family, [](QWidget* textBox) { HandleEngineNotification(textBox); });
    }

    ReleaseEarlierStart(state);
    const int32_t prepared = PrepareVoice(state, voice, rate, volume);
    if (prepared > 0)
        return prepared;  // the chosen voice is missing; default voice ready
    if (prepared == 0)
        return kResultDone;
    return cannotStart();
}

bool RefuseWhenRetired(intptr_t owner) {
    if (engineState().usable)
        return false;
    ShowInitialInfo(owner);
    return true;
}

int32_t RetiredInitial(intptr_t window) {
    ShowInitialInfo(window);
    engineState().usable = false;
    return kResultDone;
}

int32_t CloseEngine() {
    EngineState& state = engineState();
    if (RefuseWhenRetired(state.window))
        return kResultRefused;
    state.lastResult = engine::kOk;
    if (state.voice)
        PurgeAndWait(*state.voice);
    state.releaseEngineObjects();
    if (state.comReady) {
        UninitializeEngineRuntime();
        state.comReady = false;
    }
    state.lastResult = engine::kFail;
    return kResultOk;
}

int32_t SetDialogEntry(intptr_t window, PageArgument page) {
    EngineState& state = engineState();
    if (RefuseWhenRetired(window))
        return kResultRefused;
    // A longer address is cut at the buffer's 255 units, never inside a
    // surrogate pair; no page leaves the one of the last call.
    if (page)
        state.moreVoicesPage.assign(*page);
    // A dialog that could not be shown has not been closed by the user.
    return RunSettingsDialog(window) == DialogOutcome::Closed ? kResultOk : kResultRefused;
}

void HandleEngineNotification(QWidget* window) {
    // Another thread inside the library (a synchronous reading, a dialog)
    // must not keep the caller's window from answering: look again shortly.
    std::unique_lock lock(engineStateLock(), std::try_to_lock);
    if (!lock) {
        RepeatEngineNotificationSoon(window);
        return;
    }
    FollowEngineEvents(window);
}

}  // namespace lenvoro

// ---------------------------------------------------------------------------
// The exports. Each converts its texts, runs the entry point and turns any
// exception into a result code: nothing is thrown into the caller.

namespace {

using lenvoro::HandlerFamily;
using lenvoro::PageArgument;

// Runs body, one call at a time; an exception becomes noMemory (out of
// memory) or failure.
template <typename Body>
int32_t Guarded(int32_t failure, int32_t noMemory, Body&& body) noexcept {
    try {
        std::lock_guard lock(lenvoro::engineStateLock());
        return body();
    } catch (const std::bad_alloc&) {
        return noMemory;
    } catch (...) {
        return failure;
    }
}

PageArgument WidePage(const LenvoroWideChar* page) {
    if (page == nullptr)
        return std::nullopt;
    return std::u16string_view(page);
}

int32_t InitialAuthAnsi(intptr_t window, int32_t voice, int32_t rate, int32_t volume,
                        const char* message, const char* caption, const char* id1,
                        const char* id2) {
    return Guarded(lenvoro::kResultEngineFailed, lenvoro::kResultNoMemory, [&] {
        const std::string codeSet = codeset::localeCodeSet();
        // Each text is kept as a short text: converted, then cut at 255 units.
        const lenvoro::FixedText wideMessage(lenvoro::AnsiArgument(message, codeSet));
        const lenvoro::FixedText wideCaption(lenvoro::AnsiArgument(caption, codeSet));
        const lenvoro::FixedText wideId1(lenvoro::AnsiArgument(id1, codeSet));
        const lenvoro::FixedText wideId2(lenvoro::AnsiArgument(id2, codeSet));
        return lenvoro::InitialAuth(
            window, voice, rate, volume,
            {wideMessage.view(), wideCaption.view(), wideId1.view(), wideId2.view()},
            HandlerFamily::Ansi);
    });
}

int32_t SpeakAnsi(const char* text, int32_t mode, int32_t voice, int32_t rate, int32_t volume,
                  int32_t punctuation, const char* page) {
    return Guarded(lenvoro::kResultRefused, lenvoro::kResultNoMemory, [&] {
        std::u16string widePage;
        if (page != nullptr)
            widePage = lenvoro::AnsiArgument(page);
        const std::string_view bytes =
            text != nullptr ? std::string_view(text) : std::string_view();
        return lenvoro::Speak(bytes, mode, voice, rate, volume, punctuation,
                              page != nullptr ? PageArgument(widePage) : std::nullopt);
    });
}

int32_t SpeakToWaveAnsi(const char* text, const char* file, int32_t mode, int32_t voice,
                        int32_t rate, int32_t volume, int32_t format, int32_t punctuation,
                        const char* page) {
    return Guarded(lenvoro::kResultEngineFailed, lenvoro::kResultNoMemory, [&] {
        const std::string codeSet = codeset::localeCodeSet();
        const std::u16string wideFile = lenvoro::AnsiArgument(file, codeSet);
        std::u16string widePage;
        if (page != nullptr)
            widePage = lenvoro::AnsiArgument(page, codeSet);
        lenvoro::WaveRequest request;
        request.text = [&] { return lenvoro::AnsiArgument(text, codeSet); };
        request.file = wideFile;
        request.mode = mode;
        request.voice = voice;
        request.rate = rate;
        request.volume = volume;
        request.format = format;
        request.punctuation = punctuation;
        if (page != nullptr)
            request.page = widePage;
        return lenvoro::SpeakToWave(request);
    });
}

int32_t SetDialogAnsi(intptr_t window, const char* page) {
    return Guarded(lenvoro::kResultRefused, lenvoro::kResultRefused, [&] {
        std::u16string widePage;
        if (page != nullptr)
            widePage = lenvoro::AnsiArgument(page);
        return lenvoro::SetDialogEntry(window,
                                       page != nullptr ? PageArgument(widePage) : std::nullopt);
    });
}

void FillVersion(LenvoroVersionRecord& record) {
    record.major = LENVORO_VERSION_MAJOR;
    record.minor = LENVORO_VERSION_MINOR;
    record.reserved[0] = 0;
    record.reserved[1] = 0;
    record.day = 29;
    record.month = 2;
    record.year = 2004;
}

}  // namespace

extern "C" {

// --- Starting and ending ---------------------------------------------------

int32_t Lenvoro_InitialAuth(intptr_t window, int32_t voice, int32_t rate, int32_t volume,
                            const char* message, const char* caption, const char* id1,
                            const char* id2) {
    return InitialAuthAnsi(window, voice, rate, volume, message, caption, id1, id2);
}

int32_t Dll_Lenvoro_InitialAuthA(intptr_t window, int32_t voice, int32_t rate, int32_t volume,
                                 const char* message, const char* caption, const char* id1,
                                 const char* id2) {
    return InitialAuthAnsi(window, voice, rate, volume, message, caption, id1, id2);
}

int32_t Dll_Lenvoro_InitialAuthW(intptr_t window, int32_t voice, int32_t rate, int32_t volume,
                                 const LenvoroWideChar* message, const LenvoroWideChar* caption,
                                 const LenvoroWideChar* id1, const LenvoroWideChar* id2) {
    return Guarded(lenvoro::kResultEngineFailed, lenvoro::kResultNoMemory, [&] {
        const lenvoro::FixedText wideMessage(lenvoro::WideArgument(message));
        const lenvoro::FixedText wideCaption(lenvoro::WideArgument(caption));
        const lenvoro::FixedText wideId1(lenvoro::WideArgument(id1));
        const lenvoro::FixedText wideId2(lenvoro::WideArgument(id2));
        return lenvoro::InitialAuth(
            window, voice, rate, volume,
            {wideMessage.view(), wideCaption.view(), wideId1.view(), wideId2.view()},
            HandlerFamily::Wide);
    });
}

int32_t Lenvoro_Initial(intptr_t window, int32_t, int32_t, int32_t, int32_t, int32_t) {
    return Guarded(lenvoro::kResultDone, lenvoro::kResultDone,
                   [&] { return lenvoro::RetiredInitial(window); });
}
int32_t Dll_Lenvoro_InitialA(intptr_t, int32_t, int32_t, int32_t, int32_t, int32_t)
    __attribute__((alias("Lenvoro_Initial")));
int32_t Dll_Lenvoro_InitialW(intptr_t, int32_t, int32_t, int32_t, int32_t, int32_t)
    __attribute__((alias("Lenvoro_Initial")));

int32_t Lenvoro_Close(void) {
    return Guarded(lenvoro::kResultRefused, lenvoro::kResultRefused,
                   [] { return lenvoro::CloseEngine(); });
}
int32_t Dll_Lenvoro_Close(void) __attribute__((alias("Lenvoro_Close")));

LenvoroVersionRecord* Lenvoro_Version(LenvoroVersionRecord* record) {
    if (record != nullptr)
        FillVersion(*record);
    return record;
}

int32_t Dll_Lenvoro_Version(LenvoroVersionRecord* record) {
    if (record == nullptr)
        return lenvoro::kResultRefused;
    FillVersion(*record);
    return lenvoro::kResultOk;
}

// --- Reading aloud and its controls ------------------------------------------

int32_t Lenvoro_Speak(const char* text, int32_t mode, int32_t voice, int32_t rate, int32_t volume,
                      int32_t punctuation, const char* page) {
    return SpeakAnsi(text, mode, voice, rate, volume, punctuation, page);
}

int32_t Dll_Lenvoro_SpeakA(const char* text, int32_t mode, int32_t voice, int32_t rate,
                           int32_t volume, int32_t punctuation, const char* page) {
    return SpeakAnsi(text, mode, voice, rate, volume, punctuation, page);
}

int32_t Dll_Lenvoro_SpeakW(const LenvoroWideChar* text, int32_t mode, int32_t voice, int32_t rate,
                           int32_t volume, int32_t punctuation, const LenvoroWideChar* page) {
    return Guarded(lenvoro::kResultRefused, lenvoro::kResultNoMemory, [&] {
        return lenvoro::Speak(lenvoro::WideArgument(text), mode, voice, rate, volume, punctuation,
                              WidePage(page));
    });
}

int32_t Lenvoro_Stop(void) {
    return Guarded(lenvoro::kResultRefused, lenvoro::kResultRefused,
                   [] { return lenvoro::StopReading(); });
}
int32_t Dll_Lenvoro_Stop(void) __attribute__((alias("Lenvoro_Stop")));

int32_t Lenvoro_PauseORContinue(void) {
    return Guarded(lenvoro::kResultOk, lenvoro::kResultOk,
                   [] { return lenvoro::PauseOrContinue(); });
}
int32_t Dll_Lenvoro_PauseORContinue(void) __attribute__((alias("Lenvoro_PauseORContinue")));

int32_t Lenvoro_SetVolume(int32_t volume) {
    return Guarded(lenvoro::kResultOk, lenvoro::kResultOk,
                   [&] { return lenvoro::SetVolume(volume); });
}

int32_t Dll_Lenvoro_SetVolume(int32_t volume) {
    return Lenvoro_SetVolume(volume);
}

int32_t Lenvoro_SetSpeed(int32_t rate) {
    return Guarded(lenvoro::kResultOk, lenvoro::kResultOk, [&] { return lenvoro::SetSpeed(rate); });
}

int32_t Dll_Lenvoro_SetSpeed(int32_t rate) {
    return Lenvoro_SetSpeed(rate);
}

int32_t Lenvoro_GetLocationInfo(void) {
    return Guarded(0, 0, [] { return lenvoro::LocationInfo(); });
}
int32_t Dll_Lenvoro_GetLocationInfo(void) __attribute__((alias("Lenvoro_GetLocationInfo")));

// --- Speaking to a wave file -------------------------------------------------

int32_t Lenvoro_SpeakToWave(const char* text, const char* file, int32_t mode, int32_t voice,
                            int32_t rate, int32_t volume, int32_t format, int32_t punctuation,
                            const char* page) {
    return SpeakToWaveAnsi(text, file, mode, voice, rate, volume, format, punctuation, page);
}

int32_t Dll_Lenvoro_SpeakToWaveA(const char* text, const char* file, int32_t mode, int32_t voice,
                                 int32_t rate, int32_t volume, int32_t format, int32_t punctuation,
                                 const char* page) {
    return SpeakToWaveAnsi(text, file, mode, voice, rate, volume, format, punctuation, page);
}

int32_t Dll_Lenvoro_SpeakToWaveW(const LenvoroWideChar* text, const LenvoroWideChar* file,
                                 int32_t mode, int32_t voice, int32_t rate, int32_t volume,
                                 int32_t format, int32_t punctuation, const LenvoroWideChar* page) {
    return Guarded(lenvoro::kResultEngineFailed, lenvoro::kResultNoMemory, [&] {
        lenvoro::WaveRequest request;
        request.text = [&] { return std::u16string(lenvoro::WideArgument(text)); };
        request.file = lenvoro::WideArgument(file);
        request.mode = mode;
        request.voice = voice;
        request.rate = rate;
        request.volume = volume;
        request.format = format;
        request.punctuation = punctuation;
        request.page = WidePage(page);
        return lenvoro::SpeakToWave(request);
    });
}

// --- The voice-setting dialog --------------------------------------------------

int32_t Lenvoro_SetDialog(intptr_t window, const char* page) {
    return SetDialogAnsi(window, page);
}

int32_t Dll_Lenvoro_SetDialogA(intptr_t window, const char* page) {
    return SetDialogAnsi(window, page);
}

int32_t Dll_Lenvoro_SetDialogW(intptr_t window, const LenvoroWideChar* page) {
    return Guarded(lenvoro::kResultRefused, lenvoro::kResultRefused,
                   [&] { return lenvoro::SetDialogEntry(window, WidePage(page)); });
}

}  // extern "C"
