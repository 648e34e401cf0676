/*
 * A caller that loads the library with dlopen, starts the engine, leaves an
 * asynchronous reading running and returns from main without
 * Lenvoro_Close, as a Python program on ctypes does. The library must tear
 * itself down at exit without touching freed memory: run it under valgrind
 * or AddressSanitizer.
 *
 *     exit_without_close /path/to/liblenvoro.so.2
 */
#include <dlfcn.h>
#include <stdint.h>
#include <stdio.h>

#include "lenvoro.h"

typedef int32_t (*InitialAuth)(intptr_t, int32_t, int32_t, int32_t, const char*, const char*,
                               const char*, const char*);
typedef int32_t (*Speak)(const char*, int32_t, int32_t, int32_t, int32_t, int32_t, const char*);

int main(int argc, char** argv) {
    void* library;
    InitialAuth initialAuth;
    Speak speak;
    int32_t started, spoken;

    if (argc != 2) {
        fprintf(stderr, "usage: %s LIBRARY\n", argv[0]);
        return 2;
    }
    library = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (library == NULL) {
        fprintf(stderr, "cannot load %s: %s\n", argv[1], dlerror());
        return 2;
    }
    *(void**)&initialAuth = dlsym(library, "Lenvoro_InitialAuth");
    *(void**)&speak = dlsym(library, "Lenvoro_Speak");
    if (initialAuth == NULL || speak == NULL) {
        fprintf(stderr, "missing exports\n");
        return 2;
    }
    /* No window, the default voice, the default rate and volume. */
    started = initialAuth(0, LENVORO_VOICE_DEFAULT, LENVORO_KEEP_SETTING, LENVORO_KEEP_SETTING,
                          "cannot start", "exit test", "", "");
    if (started != LENVORO_RESULT_DONE) {
        fprintf(stderr, "start returned %d\n", (int)started);
        return 1;
    }
    /* Asynchronous, punctuation kept: still reading when main returns. */
    spoken = speak(
        "The engine is still reading this sentence when the program ends, "
        "and the library is left to tidy up by itself.",
        LENVORO_MODE_ASYNC, LENVORO_VOICE_DEFAULT, LENVORO_KEEP_SETTING, LENVORO_KEEP_SETTING,
        LENVORO_PUNCTUATION_KEEP, NULL);
    if (spoken != LENVORO_RESULT_DONE) {
        fprintf(stderr, "speak returned %d\n", (int)spoken);
        return 1;
    }
    printf("returning without close\n");
    return 0;
}
