/*
 * The exports of an installed liblenvoro as dlsym finds them: all 29 names
 * are there, names that are one entry point share one address, and every
 * other pair of functions has its own.
 *
 *     export_addresses /path/to/liblenvoro.so.2
 */
#include <dlfcn.h>
#include <stdio.h>
#include <string.h>

/* Names with the same group number are one entry point. */
static const struct {
    const char* name;
    int group;
} kExports[] = {
    {"Lenvoro_InitialAuth", 1},
    {"Dll_Lenvoro_InitialAuthA", 2},
    {"Dll_Lenvoro_InitialAuthW", 3},
    {"Lenvoro_Initial", 4},
    {"Dll_Lenvoro_InitialA", 4},
    {"Dll_Lenvoro_InitialW", 4},
    {"Lenvoro_Close", 5},
    {"Dll_Lenvoro_Close", 5},
    {"Lenvoro_Version", 6},
    {"Dll_Lenvoro_Version", 7},
    {"Lenvoro_Speak", 8},
    {"Dll_Lenvoro_SpeakA", 9},
    {"Dll_Lenvoro_SpeakW", 10},
    {"Lenvoro_Stop", 11},
    {"Dll_Lenvoro_Stop", 11},
    {"Lenvoro_PauseORContinue", 12},
    {"Dll_Lenvoro_PauseORContinue", 12},
    {"Lenvoro_SetVolume", 13},
    {"Dll_Lenvoro_SetVolume", 14},
    {"Lenvoro_SetSpeed", 15},
    {"Dll_Lenvoro_SetSpeed", 16},
    {"Lenvoro_GetLocationInfo", 17},
    {"Dll_Lenvoro_GetLocationInfo", 17},
    {"Lenvoro_SpeakToWave", 18},
    {"Dll_Lenvoro_SpeakToWaveA", 19},
    {"Dll_Lenvoro_SpeakToWaveW", 20},
    {"Lenvoro_SetDialog", 21},
    {"Dll_Lenvoro_SetDialogA", 22},
    {"Dll_Lenvoro_SetDialogW", 23},
};
#define EXPORT_COUNT (sizeof kExports / sizeof kExports[0])

int main(int argc, char** argv) {
    void* addresses[EXPORT_COUNT];
    void* library;
    size_t i, j;
    int faults = 0;

    if (argc != 2) {
        fprintf(stderr, "usage: %s LIBRARY\n", argv[0]);
        return 2;
    }
    library = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (library == NULL) {
        fprintf(stderr, "cannot load %s: %s\n", argv[1], dlerror());
        return 2;
    }
    for (i = 0; i < EXPORT_COUNT; ++i) {
        addresses[i] = dlsym(library, kExports[i].name);
        if (addresses[i] == NULL) {
            printf("missing: %s\n", kExports[i].name);
            ++faults;
        }
    }
    for (i = 0; i < EXPORT_COUNT; ++i) {
        for (j = i + 1; j < EXPORT_COUNT; ++j) {
            const int same = addresses[i] == addresses[j];
            if (addresses[i] == NULL || addresses[j] == NULL)
                continue;
            if (kExports[i].group == kExports[j].group && !same) {
                printf("not one entry point: %s, %s\n", kExports[i].name, kExports[j].name);
                ++faults;
            } else if (kExports[i].group != kExports[j].group && same) {
                printf("share an address: %s, %s\n", kExports[i].name, kExports[j].name);
                ++faults;
            }
        }
    }
    printf("%u exports, %d faults\n", (unsigned)EXPORT_COUNT, faults);
    return faults == 0 ? 0 : 1;
}
