// Sanitizer settings every harness runs with, whatever the environment says.

// A report of undefined behaviour ends the run, so that the fuzzer keeps the
// input that caused it.
extern "C" const char* __ubsan_default_options() {
    return "halt_on_error=1:print_stacktrace=1";
}
