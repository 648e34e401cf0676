/*
 * A C program on liblenvoro: prints the library's version, starts the engine
 * with each of the five known voices to see which are installed, and closes
 * it. Build it against the installed library with
 *
 *     cc -std=c99 lenvoro_example.c $(pkg-config --cflags --libs lenvoro)
 *
 * It exits with 0 when the engine started and closed, and 1 when it could not
 * start (the library then shows the message given to Lenvoro_InitialAuth; a
 * program without a window sees it on stderr).
 */
#include <stdio.h>

#include <lenvoro.h>

static const struct {
    int32_t voice;
    const char* name;
} kKnownVoices[] = {
    {LENVORO_VOICE_SIMPLIFIED_CHINESE, "Microsoft Simplified Chinese"},
    {LENVORO_VOICE_SAM, "Microsoft Sam"},
    {LENVORO_VOICE_MARY, "Microsoft Mary"},
    {LENVORO_VOICE_MIKE, "Microsoft Mike"},
    {LENVORO_VOICE_CHINESE_FEMALE, "Chinese Female Voice"},
};

int main(void) {
    LenvoroVersionRecord version;
    size_t i;
    int installed = 0;

    Lenvoro_Version(&version);
    printf("lenvoro %d.%d of %04d-%02d-%02d\n", version.major, version.minor, (int)version.year,
           (int)version.month, (int)version.day);

    for (i = 0; i < sizeof kKnownVoices / sizeof kKnownVoices[0]; ++i) {
        /* No window: the library's messages go to stderr. */
        int32_t result = Lenvoro_InitialAuth(0, kKnownVoices[i].voice, LENVORO_KEEP_SETTING, 80,
                                             "The speech engine cannot start.", "lenvoro example",
                                             NULL, NULL);
        if (result == LENVORO_RESULT_DONE) {
            printf("installed: %s\n", kKnownVoices[i].name);
            ++installed;
        } else if (result >= LENVORO_RESULT_NO_SIMPLIFIED_CHINESE &&
                   result <= LENVORO_RESULT_NO_CHINESE_FEMALE) {
            /* Still started, with the engine's default voice. */
            printf("missing:   %s\n", kKnownVoices[i].name);
        } else {
            fprintf(stderr, "lenvoro example: the engine did not start (result %d)\n", (int)result);
            return 1;
        }
    }
    printf("%d of 5 voices installed\n", installed);

    if (Lenvoro_Close() != LENVORO_RESULT_OK) {
        fprintf(stderr, "lenvoro example: close failed\n");
        return 1;
    }
    printf("closed\n");
    return 0;
}
