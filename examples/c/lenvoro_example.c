/*
 * A C program on liblenvoro: starts the engine, reads a sentence aloud,
 * writes the same sentence to a wave file, tells which of the five known
 * voices are installed, and closes the engine. Build it against the installed
 * library with
 *
 *     cc -std=c99 lenvoro_example.c $(pkg-config --cflags --libs lenvoro)
 *     ./a.out [FILE.wav]
 *
 * The wave file is FILE.wav, or lenvoro-example.wav in the current folder.
 * It exits with 0 when all went well, and 1 when the engine could not start
 * (the library then shows the message given to Lenvoro_InitialAuth; a
 * program without a window sees it on stderr) or could not read or write.
 */
#include <stdio.h>

#include <lenvoro.h>

/* Texts of the plain entry points are in the code set of the user's locale;
 * ASCII reads the same in every one. */
static const char kSentence[] = "Hello! This sentence is read by lenvoro.";

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

int main(int argc, char** argv) {
    const char* waveFile = argc > 1 ? argv[1] : "lenvoro-example.wav";
    LenvoroVersionRecord version;
    int32_t result;
    size_t i;
    int installed = 0;

    Lenvoro_Version(&version);
    printf("lenvoro %d.%d of %04d-%02d-%02d\n", version.major, version.minor, (int)version.year,
           (int)version.month, (int)version.day);

    /* No window (0): the library's messages go to stderr. The default voice
     * is the one of the user's voice settings, or else the first installed
     * voice in the language of the user's locale. */
    result = Lenvoro_InitialAuth(0, LENVORO_VOICE_DEFAULT, LENVORO_KEEP_SETTING, 80,
                                 "The speech engine cannot start.", "lenvoro example", NULL, NULL);
    if (result != LENVORO_RESULT_DONE) {
        fprintf(stderr, "lenvoro example: the engine did not start (result %d)\n", (int)result);
        return 1;
    }

    /* Read aloud; LENVORO_MODE_SYNC returns when the sentence has been heard. */
    result =
        Lenvoro_Speak(kSentence, LENVORO_MODE_SYNC, LENVORO_VOICE_DEFAULT, LENVORO_KEEP_SETTING,
                      LENVORO_KEEP_SETTING, LENVORO_PUNCTUATION_KEEP, NULL);
    if (result != LENVORO_RESULT_DONE) {
        fprintf(stderr, "lenvoro example: the sentence was not read (result %d)\n", (int)result);
        return 1;
    }
    printf("read aloud: %s\n", kSentence);

    /* The same sentence into a wave file: 22.05 kHz, 16 bit, mono. */
    result = Lenvoro_SpeakToWave(kSentence, waveFile, LENVORO_MODE_SYNC, LENVORO_VOICE_DEFAULT,
                                 LENVORO_KEEP_SETTING, LENVORO_KEEP_SETTING,
                                 LENVORO_FORMAT_22KHZ_16BIT_MONO, LENVORO_PUNCTUATION_KEEP, NULL);
    if (result != LENVORO_RESULT_DONE) {
        fprintf(stderr, "lenvoro example: %s was not written (result %d)\n", waveFile, (int)result);
        return 1;
    }
    printf("wrote: %s\n", waveFile);

    /* A start with a chosen voice tells, silently, whether it is installed. */
    for (i = 0; i < sizeof kKnownVoices / sizeof kKnownVoices[0]; ++i) {
        result = Lenvoro_InitialAuth(0, kKnownVoices[i].voice, LENVORO_KEEP_SETTING, 80, "", "",
                                     NULL, NULL);
        if (result == LENVORO_RESULT_DONE) {
            printf("installed: %s\n", kKnownVoices[i].name);
            ++installed;
        } else if (result >= LENVORO_RESULT_NO_SIMPLIFIED_CHINESE &&
                   result <= LENVORO_RESULT_NO_CHINESE_FEMALE) {
            /* Still started, with the default voice. */
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
