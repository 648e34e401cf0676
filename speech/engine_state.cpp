#include "engine_state.h"

#include <dlfcn.h>

namespace lenvoro {

namespace {

void* thisModule() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&thisModule), &info) == 0) return nullptr;
    return info.dli_fbase;
}

}  // namespace

void EngineState::releaseEngineObjects() {
    voice.reset();
    startSelection.release();
    speakSelection.release();
    spokenText.reset();
}

EngineState& engineState() {
    // Built on first use, which the library's load hook makes happen at load.
    static EngineState state = [] {
        EngineState s;
        s.instance = thisModule();
        return s;
    }();
    return state;
}

}  // namespace lenvoro
