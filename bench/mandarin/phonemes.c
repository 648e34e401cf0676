/* Prints espeak-ng's phoneme mnemonics (the notation of `espeak-ng -q -x`)
 * for many texts with one engine start.
 *
 * Each line of standard input is one item: VOICE<TAB>TEXT, optionally
 * followed by more <TAB>VOICE<TAB>TEXT pairs that are spoken in turn. Each
 * item gives one line of output: the phonemes of all its parts, the lines of
 * espeak-ng's trace joined with spaces.
 *
 *   cc -O2 -o phonemes phonemes.c -lespeak-ng
 */
#include <espeak-ng/speak_lib.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static int discard(short* wav, int samples, espeak_EVENT* events) {
    (void)wav;
    (void)samples;
    (void)events;
    return 0;
}

/* Speaks TEXT with VOICE and appends its phoneme trace to OUT. */
static int speak(const char* voice, const char* text, char** current, FILE* out) {
    if (*current == NULL || strcmp(*current, voice) != 0) {
        if (espeak_SetVoiceByName(voice) != EE_OK) {
            fprintf(stderr, "phonemes: no voice %s\n", voice);
            return -1;
        }
        free(*current);
        *current = strdup(voice);
    }
    char* trace = NULL;
    size_t size = 0;
    FILE* mem = open_memstream(&trace, &size);
    if (mem == NULL)
        return -1;
    espeak_SetPhonemeTrace(espeakPHONEMES_SHOW, mem);
    espeak_Synth(text, strlen(text) + 1, 0, POS_CHARACTER, 0, espeakCHARS_UTF8, NULL, NULL);
    espeak_Synchronize();
    espeak_SetPhonemeTrace(0, NULL);
    fclose(mem);
    for (size_t i = 0; i < size; i++)
        fputc(trace[i] == '\n' ? ' ' : trace[i], out);
    free(trace);
    return 0;
}

int main(void) {
    if (espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, NULL, 0) < 0) {
        fprintf(stderr, "phonemes: espeak-ng did not start\n");
        return 1;
    }
    espeak_SetSynthCallback(discard);

    char* line = NULL;
    size_t cap = 0;
    ssize_t len;
    char* current = NULL;
    int status = 0;
    while ((len = getline(&line, &cap, stdin)) >= 0) {
        if (len > 0 && line[len - 1] == '\n')
            line[--len] = '\0';
        char* save = NULL;
        char* voice = strtok_r(line, "\t", &save);
        while (voice != NULL) {
            char* text = strtok_r(NULL, "\t", &save);
            if (text == NULL)
                break;
            if (speak(voice, text, &current, stdout) != 0)
                status = 1;
            voice = strtok_r(NULL, "\t", &save);
        }
        fputc('\n', stdout);
        fflush(stdout);
    }
    free(line);
    free(current);
    espeak_Terminate();
    return status;
}
