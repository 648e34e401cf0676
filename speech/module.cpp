// Load and unload of the shared library.
#include "engine_state.h"

namespace {

// At load the engine state comes into being with its start values and the
// library's module handle; nothing else happens then (espeak-ng and the
// audio device start on first use).
__attribute__((constructor)) void onLibraryLoad() { lenvoro::engineState(); }

// At unload the engine objects still held are released while the rest of the
// library is still there to release them.
__attribute__((destructor)) void onLibraryUnload() { lenvoro::engineState().releaseEngineObjects(); }

}  // namespace
