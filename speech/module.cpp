// Load and unload of the shared library.
#include "engine_state.h"
#include "interface_language.h"
#include "prompt_dialogs.h"
#include "voices.h"

namespace {

// At load the engine state comes into being with its start values and the
// library's module handle, the interface language is chosen so that a dialog
// or message needed before the first start call has its texts, and the voice
// inventory learns to raise the prompt as a dialog. Nothing else happens then
// (espeak-ng and the audio device start on first use). Loading never fails.
__attribute__((constructor)) void onLibraryLoad() {
    try {
        lenvoro::engineState();
        lenvoro::ChooseInterfaceLanguage();
        lenvoro::SetVoicePromptHandler(&lenvoro::ShowVoicePrompt);
    } catch (...) {
        // The texts are chosen again by the first start call.
    }
}

// At unload the engine objects still held (a caller that never closed) are
// released while the rest of the library is still there to release them:
// the voice lookups' references, the voice and its worker, the text. At the
// end of the process an exit handler of the engine state has already done
// so, before the engine's own objects went; then this does nothing.
__attribute__((destructor)) void onLibraryUnload() {
    try {
        lenvoro::releaseEngineStateForGood();
    } catch (...) {
    }
}

}  // namespace
