#include "engine_state.h"

#include <dlfcn.h>

#include <atomic>
#include <cstdlib>

#include "engine/synthesizer.h"

namespace lenvoro {

namespace {

void* thisModule() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&thisModule), &info) == 0)
        return nullptr;
    return info.dli_fbase;
}

// The record once made (it is never freed), and whether what it holds was
// already let go for good. Both are trivially destructible: they still hold
// their values in the unload hook, after every exit handler has run.
EngineState* theState = nullptr;
std::atomic<bool> releasedForGood = false;

void releaseAtExit() {
    try {
        releaseEngineStateForGood();
    } catch (...) {
        // An exit handler must not throw; the process ends anyway.
    }
}

}  // namespace

void EngineState::releaseEngineObjects() {
    voice.reset();
    startSelection.release();
    speakSelection.release();
    spokenText.reset();
}

EngineState& engineState() {
    // Made on first use, which the library's load hook makes happen at load.
    static EngineState* const state = [] {
        // Exit handlers run in the reverse order of their registration. The
        // synthesizer is made first so that the release at exit comes before
        // its destruction: releasing a voice waits for its worker, which may
        // be inside the synthesizer.
        engine::Synthesizer::instance();
        theState = new EngineState;
        theState->instance = thisModule();
        std::atexit(&releaseAtExit);
        return theState;
    }();
    return *state;
}

std::recursive_mutex& engineStateLock() {
    static auto* const lock = new std::recursive_mutex;
    return *lock;
}

void releaseEngineStateForGood() {
    if (theState == nullptr || releasedForGood.exchange(true))
        return;
    theState->releaseEngineObjects();
    theState->settingsAudioOutput.reset();
}

}  // namespace lenvoro
