#include "runtime.h"

#include "synthesizer.h"

namespace lenvoro::engine {

namespace {
thread_local int references = 0;
}

Result initializeRuntime() {
    // The engine must be able to start; a missing espeak-ng is reported here
    // once, like a runtime that cannot be initialised.
    if (Result result = Synthesizer::instance().initialize(); failed(result))
        return result;
    return references++ == 0 ? kOk : kFalse;
}

Result uninitializeRuntime() {
    if (references == 0)
        return kFalse;
    --references;
    return kOk;
}

int runtimeReferences() {
    return references;
}

}  // namespace lenvoro::engine
