// The library's engine state: everything that lasts between calls, in one
// record per process. Entry points and their helpers read and write it by
// field name; it is used only from the thread that called the library and its
// notification handler, so it has no lock of its own.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "engine/audio_device.h"
#include "engine/result.h"
#include "engine/voice.h"
#include "engine/voice_tokens.h"
#include "fixed_text.h"

namespace lenvoro {

// A voice lookup's enumeration and the token taken from it.
struct SelectionReferences {
    std::shared_ptr<engine::TokenEnumeration> enumeration;
    std::shared_ptr<const engine::ObjectToken> token;

    void release() {
        token.reset();
        enumeration.reset();
    }
    bool held() const { return enumeration || token; }
};

// Texts of the interface language, filled when the language is chosen.
struct InterfaceTexts {
    FixedText settingsDialogTemplate;  // IDD_SETDIALOG_*
    FixedText voicePromptTemplate;     // the missing-voice prompt's template
    FixedText initialInfoTemplate;     // IDD_INITIALINFO_*
    FixedText defaultDownloadPage;
    FixedText parameterErrorText;
    FixedText parameterErrorCaption;
};

// Which family of entry points took a text box over: each family installs
// its own notification handler on the window (see window_host.h).
enum class HandlerFamily { Ansi = 0, Wide = 1 };

struct EngineState {
    void* instance = nullptr;  // the library's own module (its dlopen handle base)
    intptr_t window = 0;       // the caller's window given to the start call
    std::shared_ptr<engine::Voice> voice;
    bool usable = true;
    bool comReady = false;
    bool idle = true;
    bool paused = false;
    int32_t progress = 0;  // 0..100
    bool highlight = false;
    std::optional<std::u16string> spokenText;  // none, or the text (or markup) being read
    engine::Result lastResult = engine::kFail;
    bool unicodeWindows = true;
    int32_t voicePromptCase = 0;
    FixedText voicePage;
    SelectionReferences startSelection;  // kept by the start call
    SelectionReferences speakSelection;  // kept by the speaking calls
    InterfaceTexts texts;
    // The voice-setting dialog's "more voices" address, replaced by each call
    // that gives one, and the default audio output it opens for format
    // choices, which outlives the dialog.
    FixedText moreVoicesPage;
    std::shared_ptr<engine::AudioDevice> settingsAudioOutput;

    // What closing the engine releases: the voice, both selections and the text.
    void releaseEngineObjects();
};

// The one record of this process, created before any entry point runs. It
// is never destroyed, so that whatever runs late at the end of the process
// (the unload hook, a caller's own exit code, a notification under way)
// still finds it; what it holds is let go by releaseEngineStateForGood().
EngineState& engineState();

// Releases what the record still holds (what closing releases, and the
// settings dialog's audio output) the first time it is called and does
// nothing after that. The end of the process calls it before the engine's
// own objects are destroyed, and the unload hook calls it too: whichever
// comes first releases the voice, once.
void releaseEngineStateForGood();

// Calls from several threads are taken one at a time: every entry point, and
// the notification handler, holds this lock while it uses the record. It is
// recursive because a dialog's event loop may run a handler that calls the
// library again on the same thread. Never destroyed.
std::recursive_mutex& engineStateLock();

}  // namespace lenvoro
