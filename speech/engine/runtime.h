// The engine's per-thread initialisation, which callers pair like the
// component runtime's: the first initialize() on a thread returns kOk, later
// ones kFalse; each successful call needs one uninitialize().
#pragma once

#include "result.h"

namespace lenvoro::engine {

Result initializeRuntime();
// kFalse when the thread was not initialised.
Result uninitializeRuntime();
int runtimeReferences();  // on this thread

}  // namespace lenvoro::engine
