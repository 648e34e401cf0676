/*
 * lenvoro.h -- text-to-speech for programs.
 *
 * liblenvoro.so.2 (version 2.8) reads texts aloud in a chosen voice, or reads
 * a text that mixes Chinese and English with a Chinese and an English voice;
 * synchronously or asynchronously, with pause, continue, stop, volume, rate
 * and the reading position; it writes speech to wave files in 36 PCM formats,
 * and tells the user which voice to install when one is missing. Its own
 * messages and dialogs are in simplified Chinese, traditional Chinese or
 * English, chosen from the user's locale.
 *
 * This header is the whole interface of the library. Build against it with
 *
 *     cc prog.c $(pkg-config --cflags --libs lenvoro)
 *
 * A minimal caller:
 *
 *     #include <stdio.h>
 *     #include <lenvoro.h>
 *
 *     int main(void) {
 *         int32_t rc = Lenvoro_InitialAuth(0, LENVORO_VOICE_SIMPLIFIED_CHINESE,
 *                                          LENVORO_KEEP_SETTING, 80,
 *                                          "Speech is not available", "My program",
 *                                          "", "");
 *         if (rc == LENVORO_RESULT_NO_SIMPLIFIED_CHINESE)
 *             printf("ready, but with the default voice\n");
 *         else if (rc != LENVORO_RESULT_DONE)
 *             return 1;
 *         Lenvoro_Close();
 *         return 0;
 *     }
 *
 * CONVENTIONS
 *
 * Two families of entry points are exported, 29 names in all. The plain
 * family (Lenvoro_...) takes its texts in the code set of the user's locale
 * (the "ANSI" texts: the code set named by LC_ALL, LC_CTYPE or LANG, such as
 * GBK in zh_CN.GBK, and UTF-8 when none is named). The Dll_ family
 * (Dll_Lenvoro_...) has an ANSI form (suffix A) and a UTF-16 form (suffix W)
 * of every function that takes texts. Both forms of a function behave alike;
 * the ANSI form first converts each text to UTF-16, and a byte that does not
 * belong to the code set becomes U+FFFD. Where the two families share a
 * function without texts (Close, Stop, PauseORContinue, GetLocationInfo), the
 * two names are one entry point, at one address.
 *
 * Every integer is 32 bits. Every function returns one of the result codes
 * LENVORO_RESULT_* (except Lenvoro_Version), never throws, and never crashes
 * on bad arguments: a NULL text is the empty text, a NULL record is refused.
 * Short texts (messages, captions, addresses, file names) are kept in buffers
 * of 256 UTF-16 units: a longer text is cut after 255 units, never between
 * the two halves of a surrogate pair. Longer texts to read have no limit.
 *
 * A window handle (intptr_t) is a QWidget* of the calling program, or the
 * native window id of one of its widgets. The library checks it against the
 * program's live widgets and never dereferences anything else; 0, or a value
 * that names no widget, means "no window". Message boxes and dialogs are
 * modal and owned by that window. A program without a QApplication (a plain
 * C program) sees no windows: the text of a message box goes to stderr, and
 * dialogs are not shown (a line on stderr says what they would have shown).
 *
 * CALLING ORDER AND THREADS
 *
 * Call Lenvoro_InitialAuth once before anything else, then any number of
 * speaking and control calls, and Lenvoro_Close last. All calls come from the
 * thread that called Lenvoro_InitialAuth; when its window is a text box, that
 * thread must run the Qt event loop for the asynchronous reading's position
 * and word marking to advance. Calls that other threads make at the same
 * time are safe but taken one at a time: such a call waits until the call
 * under way returns (a synchronous reading, a dialog, a wave file), then runs
 * on the engine as that call left it.
 */
#ifndef LENVORO_H
#define LENVORO_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__) || defined(__clang__)
#define LENVORO_API __attribute__((visibility("default")))
#else
#define LENVORO_API
#endif

/* A UTF-16 code unit, as the W forms take their texts. */
#ifdef __cplusplus
typedef char16_t LenvoroWideChar;
#else
typedef uint_least16_t LenvoroWideChar;
#endif

#define LENVORO_VERSION_MAJOR 2
#define LENVORO_VERSION_MINOR 8

/*
 * RESULT CODES
 *
 * Each function lists the codes it can return. The speech engine's own error
 * numbers are never returned.
 */
#define LENVORO_RESULT_REFUSED                                                     \
    0                          /* an argument out of range (the parameter-error    \
                                  message box was shown), the library is retired   \
                                  (see Lenvoro_Initial), or the entry point cannot \
                                  do that yet */
#define LENVORO_RESULT_OK 1    /* a control function did its work */
#define LENVORO_RESULT_DONE 10 /* a start or speaking function did its work */
#define LENVORO_RESULT_ENGINE_FAILED                        \
    20 /* the engine cannot start (no voice installed, or a \
         step failed); for mixed reading, a voice that the  \
         text needs is not installed */
#define LENVORO_RESULT_NO_RUNTIME                                                         \
    40                              /* the engine's runtime cannot be initialised on this \
                                       thread (Lenvoro_InitialAuth) */
#define LENVORO_RESULT_NO_MEMORY 40 /* out of memory (the speaking functions) */
/* The chosen voice is not installed; the engine is ready with its default voice. */
#define LENVORO_RESULT_NO_SIMPLIFIED_CHINESE 50 /* voice 0 */
#define LENVORO_RESULT_NO_SAM 60                /* voice 1 */
#define LENVORO_RESULT_NO_MARY 70               /* voice 2 */
#define LENVORO_RESULT_NO_MIKE 80               /* voice 3 */
#define LENVORO_RESULT_NO_CHINESE_FEMALE 90     /* voice 4 */

/*
 * VOICE CHOICE NUMBERS
 *
 * The argument voice of Lenvoro_InitialAuth and of the one-voice modes. Each
 * voice is found by its name among the installed voices.
 *
 * The engine's default voice is the one chosen in the voice settings dialog
 * (stored in engine.ini). While none is chosen, or the chosen one is gone,
 * it is the first installed voice of the user's language, as the locale
 * (LC_ALL, LC_CTYPE, LANG) names it: a Chinese voice for zh, an English one
 * for any other; failing that, the first installed voice.
 */
#define LENVORO_VOICE_DEFAULT (-1)         /* the engine's default voice */
#define LENVORO_VOICE_SIMPLIFIED_CHINESE 0 /* "Microsoft Simplified Chinese" */
#define LENVORO_VOICE_SAM 1                /* "Microsoft Sam" */
#define LENVORO_VOICE_MARY 2               /* "Microsoft Mary" */
#define LENVORO_VOICE_MIKE 3               /* "Microsoft Mike" */
#define LENVORO_VOICE_CHINESE_FEMALE 4     /* "Chinese Female Voice" */

/*
 * VOICE PAIRS of the mixed modes: the Chinese runs of the text are read by the
 * first voice, the English runs by the second.
 */
#define LENVORO_PAIR_SIMPLIFIED_CHINESE_SAM 1  /* Simplified Chinese + Sam */
#define LENVORO_PAIR_SIMPLIFIED_CHINESE_MARY 2 /* Simplified Chinese + Mary */
#define LENVORO_PAIR_SIMPLIFIED_CHINESE_MIKE 3 /* Simplified Chinese + Mike */
#define LENVORO_PAIR_CHINESE_FEMALE_SAM 5      /* Chinese Female Voice + Sam */
#define LENVORO_PAIR_CHINESE_FEMALE_MARY 6     /* Chinese Female Voice + Mary */
#define LENVORO_PAIR_CHINESE_FEMALE_MIKE 7     /* Chinese Female Voice + Mike */

/* SPEAKING MODES (argument mode of the speaking functions). */
#define LENVORO_MODE_SYNC 10        /* one voice; returns when the reading has ended */
#define LENVORO_MODE_ASYNC 11       /* one voice; returns at once, marks the word read */
#define LENVORO_MODE_MIXED_SYNC 20  /* Chinese and English voice pair; synchronous */
#define LENVORO_MODE_MIXED_ASYNC 21 /* Chinese and English voice pair; asynchronous */

/*
 * RATE AND VOLUME: 0..100, or LENVORO_KEEP_SETTING to leave the setting as it
 * is. A rate r reaches the engine as r / 5 - 10 (integer division: 0 is the
 * slowest, 50 normal, 100 the fastest); a volume as it is.
 */
#define LENVORO_KEEP_SETTING (-1)
#define LENVORO_SETTING_MIN 0
#define LENVORO_SETTING_MAX 100

/* PUNCTUATION (argument punctuation of the speaking functions). */
#define LENVORO_PUNCTUATION_AS_SPACE 0 /* common punctuation marks are read as spaces */
#define LENVORO_PUNCTUATION_KEEP 1     /* the text is read as it is */

/*
 * WAVE FORMATS 0..35 (argument format of Lenvoro_SpeakToWave), all PCM:
 * sample rate (8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100,
 * 48000)[format / 4]; 16 bits when bit 1 of format is set, else 8; two
 * channels when format is odd, else one.
 */
#define LENVORO_FORMAT_8KHZ_8BIT_MONO 0
#define LENVORO_FORMAT_8KHZ_8BIT_STEREO 1
#define LENVORO_FORMAT_8KHZ_16BIT_MONO 2
#define LENVORO_FORMAT_8KHZ_16BIT_STEREO 3
#define LENVORO_FORMAT_11KHZ_8BIT_MONO 4
#define LENVORO_FORMAT_11KHZ_8BIT_STEREO 5
#define LENVORO_FORMAT_11KHZ_16BIT_MONO 6
#define LENVORO_FORMAT_11KHZ_16BIT_STEREO 7
#define LENVORO_FORMAT_12KHZ_8BIT_MONO 8
#define LENVORO_FORMAT_12KHZ_8BIT_STEREO 9
#define LENVORO_FORMAT_12KHZ_16BIT_MONO 10
#define LENVORO_FORMAT_12KHZ_16BIT_STEREO 11
#define LENVORO_FORMAT_16KHZ_8BIT_MONO 12
#define LENVORO_FORMAT_16KHZ_8BIT_STEREO 13
#define LENVORO_FORMAT_16KHZ_16BIT_MONO 14
#define LENVORO_FORMAT_16KHZ_16BIT_STEREO 15
#define LENVORO_FORMAT_22KHZ_8BIT_MONO 16
#define LENVORO_FORMAT_22KHZ_8BIT_STEREO 17
#define LENVORO_FORMAT_22KHZ_16BIT_MONO 18
#define LENVORO_FORMAT_22KHZ_16BIT_STEREO 19
#define LENVORO_FORMAT_24KHZ_8BIT_MONO 20
#define LENVORO_FORMAT_24KHZ_8BIT_STEREO 21
#define LENVORO_FORMAT_24KHZ_16BIT_MONO 22
#define LENVORO_FORMAT_24KHZ_16BIT_STEREO 23
#define LENVORO_FORMAT_32KHZ_8BIT_MONO 24
#define LENVORO_FORMAT_32KHZ_8BIT_STEREO 25
#define LENVORO_FORMAT_32KHZ_16BIT_MONO 26
#define LENVORO_FORMAT_32KHZ_16BIT_STEREO 27
#define LENVORO_FORMAT_44KHZ_8BIT_MONO 28
#define LENVORO_FORMAT_44KHZ_8BIT_STEREO 29
#define LENVORO_FORMAT_44KHZ_16BIT_MONO 30
#define LENVORO_FORMAT_44KHZ_16BIT_STEREO 31
#define LENVORO_FORMAT_48KHZ_8BIT_MONO 32
#define LENVORO_FORMAT_48KHZ_8BIT_STEREO 33
#define LENVORO_FORMAT_48KHZ_16BIT_MONO 34
#define LENVORO_FORMAT_48KHZ_16BIT_STEREO 35
#define LENVORO_FORMAT_FIRST LENVORO_FORMAT_8KHZ_8BIT_MONO
#define LENVORO_FORMAT_LAST LENVORO_FORMAT_48KHZ_16BIT_STEREO

/*
 * THE VERSION RECORD, filled by Lenvoro_Version. Its layout is part of the
 * interface: 16 bytes, major at offset 0, minor at 1, two bytes without
 * meaning at 2 (do not rely on their content), day at 4, month at 8, year at
 * 12. Version 2.8 is dated 29 February 2004.
 */
#pragma pack(push, 1)
typedef struct LenvoroVersionRecord {
    uint8_t major;       /* 2 */
    uint8_t minor;       /* 8 */
    uint8_t reserved[2]; /* no meaning */
    int32_t day;         /* 29 */
    int32_t month;       /* 2 */
    int32_t year;        /* 2004 */
} LenvoroVersionRecord;
#pragma pack(pop)

#define LENVORO_LAYOUT_CHECK_(name, condition) \
    typedef char lenvoro_layout_check_##name[(condition) ? 1 : -1]
LENVORO_LAYOUT_CHECK_(size, sizeof(LenvoroVersionRecord) == 16);
LENVORO_LAYOUT_CHECK_(minor, offsetof(LenvoroVersionRecord, minor) == 1);
LENVORO_LAYOUT_CHECK_(day, offsetof(LenvoroVersionRecord, day) == 4);
LENVORO_LAYOUT_CHECK_(month, offsetof(LenvoroVersionRecord, month) == 8);
LENVORO_LAYOUT_CHECK_(year, offsetof(LenvoroVersionRecord, year) == 12);
#undef LENVORO_LAYOUT_CHECK_

/* ------------------------------------------------------------------------ */
/* Starting and ending                                                       */
/* ------------------------------------------------------------------------ */

/*
 * Lenvoro_InitialAuth -- start the engine.
 *
 * window   the caller's window: owner of the library's message boxes and
 *          dialogs. When it is a text box (QLineEdit, QTextEdit,
 *          QPlainTextEdit, or a widget whose object or class name is Edit,
 *          ThunderTextBox, TEdit, ThunderRT6TextBox, RICHEDIT or TRichEdit in
 *          any letter case) the library watches it for the engine's
 *          notifications and marks the word being read in it; it does so once
 *          per window, however often it is started. 0 for none.
 * voice    LENVORO_VOICE_DEFAULT (-1) or a voice choice number 0..4.
 * rate     LENVORO_KEEP_SETTING (-1) or 0..100.
 * volume   LENVORO_KEEP_SETTING (-1) or 0..100.
 * message  text of the message box shown when the engine cannot start.
 * caption  title of that message box. When either is empty (or NULL) no box
 *          is shown.
 * id1, id2 accepted and not used; may be NULL.
 *
 * The interface language is chosen again from the user's locale first, so
 * the parameter-error message of this very call is in it, and the address
 * of the missing-voice prompt returns to the language's default page.
 *
 * Returns
 *   LENVORO_RESULT_DONE (10)           the engine is ready.
 *   LENVORO_RESULT_REFUSED (0)         voice is not -1..4, or rate or volume not
 *                                      -1..100; the parameter-error message box
 *                                      was shown, nothing was started.
 *   LENVORO_RESULT_ENGINE_FAILED (20)  no voice is installed, or an engine step
 *                                      failed; the message box of message and
 *                                      caption was shown when both are given.
 *                                      Nothing is left running; call again later.
 *   LENVORO_RESULT_NO_RUNTIME (40)     the engine's runtime cannot start on this
 *                                      thread (for example its speech data is
 *                                      missing).
 *   50, 60, 70, 80, 90                 the chosen voice (0, 1, 2, 3, 4) is not
 *                                      installed. The engine is ready, with its
 *                                      default voice, rate and volume; no
 *                                      prompt is shown. Never for voice -1.
 *
 * Calling it again without Lenvoro_Close first stops and releases the
 * earlier engine before starting anew. It also ends the retired state that
 * Lenvoro_Initial leaves.
 */
LENVORO_API int32_t Lenvoro_InitialAuth(intptr_t window, int32_t voice, int32_t rate,
                                        int32_t volume, const char* message, const char* caption,
                                        const char* id1, const char* id2);
LENVORO_API int32_t Dll_Lenvoro_InitialAuthA(intptr_t window, int32_t voice, int32_t rate,
                                             int32_t volume, const char* message,
                                             const char* caption, const char* id1, const char* id2);
LENVORO_API int32_t Dll_Lenvoro_InitialAuthW(intptr_t window, int32_t voice, int32_t rate,
                                             int32_t volume, const LenvoroWideChar* message,
                                             const LenvoroWideChar* caption,
                                             const LenvoroWideChar* id1,
                                             const LenvoroWideChar* id2);

/*
 * Lenvoro_Initial -- the retired start entry. Do not use it.
 *
 * Shows the initialisation information dialog (owned by window), which tells
 * the developer to call Lenvoro_InitialAuth instead, and retires the library:
 * until the next Lenvoro_InitialAuth, Lenvoro_Speak, Lenvoro_Stop,
 * Lenvoro_Close, Lenvoro_SetDialog and Lenvoro_SpeakToWave (all forms) show
 * the same dialog and return LENVORO_RESULT_REFUSED without doing anything.
 * The other five arguments are ignored. Returns LENVORO_RESULT_DONE (10).
 * Lenvoro_Initial, Dll_Lenvoro_InitialA and Dll_Lenvoro_InitialW are one
 * entry point.
 */
LENVORO_API int32_t Lenvoro_Initial(intptr_t window, int32_t unused1, int32_t unused2,
                                    int32_t unused3, int32_t unused4, int32_t unused5);
LENVORO_API int32_t Dll_Lenvoro_InitialA(intptr_t window, int32_t unused1, int32_t unused2,
                                         int32_t unused3, int32_t unused4, int32_t unused5);
LENVORO_API int32_t Dll_Lenvoro_InitialW(intptr_t window, int32_t unused1, int32_t unused2,
                                         int32_t unused3, int32_t unused4, int32_t unused5);

/*
 * Lenvoro_Close -- end the engine.
 *
 * Stops any reading (dropping what is queued and waiting until the voice has
 * stopped), releases the voice and what the voice lookups hold, frees the
 * text being read and releases the engine's runtime on this thread. The
 * watching of a text box, the reading position and the interface language
 * stay. Calling it again finds nothing to release.
 *
 * Returns LENVORO_RESULT_OK (1); LENVORO_RESULT_REFUSED (0) in the retired
 * state (the information dialog was shown). Dll_Lenvoro_Close is the same
 * entry point.
 */
LENVORO_API int32_t Lenvoro_Close(void);
LENVORO_API int32_t Dll_Lenvoro_Close(void);

/*
 * Lenvoro_Version -- the library's version and date.
 *
 * Fills the 16 bytes of *record with major 2, minor 8, day 29, month 2,
 * year 2004. Lenvoro_Version returns record; Dll_Lenvoro_Version returns
 * LENVORO_RESULT_OK (1). A NULL record is not written: Lenvoro_Version then
 * returns NULL and Dll_Lenvoro_Version LENVORO_RESULT_REFUSED (0). Works in
 * every state, also before Lenvoro_InitialAuth.
 */
LENVORO_API LenvoroVersionRecord* Lenvoro_Version(LenvoroVersionRecord* record);
LENVORO_API int32_t Dll_Lenvoro_Version(LenvoroVersionRecord* record);

/* ------------------------------------------------------------------------ */
/* Reading aloud and its controls                                            */
/* ------------------------------------------------------------------------ */

/*
 * Lenvoro_Speak -- read a text aloud.
 *
 * Stops the current reading first, then reads with a fresh voice: the voice,
 * rate and volume are this call's (LENVORO_KEEP_SETTING gives the engine's
 * defaults, not an earlier call's values). In LENVORO_MODE_ASYNC the word
 * being heard is selected in the text box given to Lenvoro_InitialAuth, in
 * its UTF-16 positions, and Lenvoro_GetLocationInfo follows the reading; both
 * change only while the caller's event loop runs. The synchronous modes block
 * until the reading has ended. The text is copied; the caller keeps it.
 *
 * text         the text; NULL reads as the empty text. No length limit.
 * mode         LENVORO_MODE_SYNC, _ASYNC, _MIXED_SYNC or _MIXED_ASYNC.
 * voice        one-voice modes: a voice choice number (-1 or less the default
 *              voice, 4 or more "Chinese Female Voice"); mixed modes: a voice
 *              pair LENVORO_PAIR_*.
 * rate, volume LENVORO_KEEP_SETTING or 0..100.
 * punctuation  LENVORO_PUNCTUATION_AS_SPACE (56 common ASCII and full-width
 *              marks are read as spaces; < > @ ` and the full-width colon and
 *              semicolon stay) or LENVORO_PUNCTUATION_KEEP. Either way 蛤
 *              (U+86E4) is read as 哈 (U+54C8).
 * page         address that the missing-voice prompt's link opens from now on
 *              (up to 255 characters); NULL keeps the current one.
 *
 * Returns
 *   LENVORO_RESULT_REFUSED (0)  the retired state (information dialog shown);
 *                               punctuation, rate, volume or mode out of range,
 *                               or a mixed mode with a voice that is no pair
 *                               (parameter-error message box shown, the
 *                               current reading goes on).
 *   LENVORO_RESULT_DONE (10)    the text was handed to the engine (synchronous
 *                               modes: and has been read), or it was empty.
 *   LENVORO_RESULT_ENGINE_FAILED (20)  mixed modes: a voice the markup names is
 *                               not installed (missing-voice prompt shown); any
 *                               mode: the engine cannot create a voice (nothing
 *                               is read, the reader is idle).
 *   LENVORO_RESULT_NO_MEMORY (40)  no memory for the text or its markup.
 *   LENVORO_RESULT_NO_SIMPLIFIED_CHINESE (50) .. LENVORO_RESULT_NO_CHINESE_FEMALE
 *                               (90)  one-voice modes: the chosen voice is not
 *                               installed (missing-voice prompt shown).
 * In every case but 0 the earlier reading has been stopped.
 */
LENVORO_API int32_t Lenvoro_Speak(const char* text, int32_t mode, int32_t voice, int32_t rate,
                                  int32_t volume, int32_t punctuation, const char* page);
LENVORO_API int32_t Dll_Lenvoro_SpeakA(const char* text, int32_t mode, int32_t voice, int32_t rate,
                                       int32_t volume, int32_t punctuation, const char* page);
LENVORO_API int32_t Dll_Lenvoro_SpeakW(const LenvoroWideChar* text, int32_t mode, int32_t voice,
                                       int32_t rate, int32_t volume, int32_t punctuation,
                                       const LenvoroWideChar* page);

/*
 * Lenvoro_Stop -- stop the reading.
 *
 * Drops what is queued and waits until the voice has stopped; the voice
 * stays for the controls below. Frees the text that was being read: word
 * notifications still on their way are ignored, and the end of the reading
 * sets Lenvoro_GetLocationInfo to 100 and clears the marking.
 * Returns LENVORO_RESULT_OK (1); LENVORO_RESULT_REFUSED (0) in the retired
 * state (information dialog shown). Dll_Lenvoro_Stop is the same entry point.
 */
LENVORO_API int32_t Lenvoro_Stop(void);
LENVORO_API int32_t Dll_Lenvoro_Stop(void);

/*
 * Lenvoro_PauseORContinue -- pause a reading, or continue a paused one.
 *
 * While paused no word is heard and the progress stays where it was.
 * Does nothing while no reading is in progress (the library learns that a
 * reading started or ended through the text box given to
 * Lenvoro_InitialAuth; without one it always counts as idle). Returns
 * LENVORO_RESULT_OK (1). Dll_Lenvoro_PauseORContinue is the same entry point.
 */
LENVORO_API int32_t Lenvoro_PauseORContinue(void);
LENVORO_API int32_t Dll_Lenvoro_PauseORContinue(void);

/*
 * Lenvoro_SetVolume, Lenvoro_SetSpeed -- change the volume (0..100) or the
 * rate (0..100, reaching the engine as rate / 5 - 10) of the current voice at
 * once. A negative value or one above 100 changes nothing. The next
 * Lenvoro_Speak starts from its own arguments again.
 * Return LENVORO_RESULT_OK (1).
 */
LENVORO_API int32_t Lenvoro_SetVolume(int32_t volume);
LENVORO_API int32_t Dll_Lenvoro_SetVolume(int32_t volume);
LENVORO_API int32_t Lenvoro_SetSpeed(int32_t rate);
LENVORO_API int32_t Dll_Lenvoro_SetSpeed(int32_t rate);

/*
 * Lenvoro_GetLocationInfo -- how far the current reading has come, in
 * percent of the text (0..100); 100 after a reading ended, until the next one
 * starts. Advances only while a text box given to Lenvoro_InitialAuth
 * receives the engine's notifications. Dll_Lenvoro_GetLocationInfo is the
 * same entry point.
 */
LENVORO_API int32_t Lenvoro_GetLocationInfo(void);
LENVORO_API int32_t Dll_Lenvoro_GetLocationInfo(void);

/* ------------------------------------------------------------------------ */
/* Speaking to a wave file                                                   */
/* ------------------------------------------------------------------------ */

/*
 * Lenvoro_SpeakToWave -- read a text into a wave file.
 *
 * Prepares the text as Lenvoro_Speak does (punctuation, 蛤 read as 哈, the
 * mixed markup) and reads it synchronously, with a voice of its own, into
 * the file; the call returns when the file is complete. The voice of
 * Lenvoro_Speak keeps reading meanwhile, if it is reading.
 *
 * text         the text; NULL reads as the empty text. No length limit.
 * file         path of the wave file, up to 255 characters (UTF-16 units
 *              once converted); an existing regular file is replaced and
 *              keeps its permissions and owner. A symbolic link is followed:
 *              its target is written and the link stays. A path naming
 *              anything else (a folder, a device, a pipe) is refused (20).
 * mode         LENVORO_MODE_SYNC (one voice) or LENVORO_MODE_MIXED_SYNC.
 * voice        one voice: a voice choice number as for Lenvoro_Speak (-1 or
 *              less the engine's default voice); mixed: a voice pair LENVORO_PAIR_*.
 * rate, volume LENVORO_KEEP_SETTING (the engine's defaults) or 0..100.
 * format       a wave format LENVORO_FORMAT_*, 0..35: uncompressed PCM,
 *              8 bits unsigned or 16 bits signed, in a RIFF WAVE file.
 * punctuation  LENVORO_PUNCTUATION_AS_SPACE or LENVORO_PUNCTUATION_KEEP.
 * page         address for the missing-voice prompt from now on, or NULL.
 *
 * The file is written unnamed beside its path (so that nothing is left if the
 * process dies) and put in place only when the whole text has been read into
 * it: whenever the result is not
 * LENVORO_RESULT_DONE, and for an empty text, the path is left as it was (no
 * new file, an existing one untouched), and never holds a half-written file.
 *
 * Returns
 *   LENVORO_RESULT_REFUSED (0)        the retired state (information dialog
 *                                     shown); punctuation, rate, volume,
 *                                     format or mode out of range, or a mixed
 *                                     voice that is no voice pair
 *                                     (parameter-error message box shown).
 *   LENVORO_RESULT_DONE (10)          the file is written; or the text was
 *                                     empty and nothing was written.
 *   LENVORO_RESULT_ENGINE_FAILED (20) mixed mode: a voice of the markup is
 *                                     not installed (missing-voice prompt
 *                                     shown); or the file cannot be written
 *                                     (a missing folder, no permission, a
 *                                     path over 255 characters, a path that
 *                                     is no regular file, a full disk)
 *                                     or the engine cannot speak; no message.
 *   LENVORO_RESULT_NO_MEMORY (40)     out of memory.
 *   50, 60, 70, 80, 90                one voice: the chosen voice is not
 *                                     installed (missing-voice prompt shown).
 *
 * After the call the reader counts as busy: Lenvoro_PauseORContinue pauses
 * and continues the voice of Lenvoro_Speak until the end of one of its later
 * readings has been heard. And that voice, if there is one, plays in the
 * chosen format from now on, until the next Lenvoro_Speak replaces it.
 */
LENVORO_API int32_t Lenvoro_SpeakToWave(const char* text, const char* file, int32_t mode,
                                        int32_t voice, int32_t rate, int32_t volume, int32_t format,
                                        int32_t punctuation, const char* page);
LENVORO_API int32_t Dll_Lenvoro_SpeakToWaveA(const char* text, const char* file, int32_t mode,
                                             int32_t voice, int32_t rate, int32_t volume,
                                             int32_t format, int32_t punctuation, const char* page);
LENVORO_API int32_t Dll_Lenvoro_SpeakToWaveW(const LenvoroWideChar* text,
                                             const LenvoroWideChar* file, int32_t mode,
                                             int32_t voice, int32_t rate, int32_t volume,
                                             int32_t format, int32_t punctuation,
                                             const LenvoroWideChar* page);

/* ------------------------------------------------------------------------ */
/* The voice-setting dialog                                                  */
/* ------------------------------------------------------------------------ */

/*
 * Lenvoro_SetDialog -- let the user choose voice, rate, volume and format.
 *
 * Shows the voice-setting dialog of the interface language modally and
 * returns when the user has closed it. Every change acts at once on the
 * library's current voice (the one Lenvoro_InitialAuth or the last
 * Lenvoro_Speak made), also while it reads:
 *   - the voice list shows every installed voice under its name in the
 *     user's language, the voice in use selected; choosing another stops the
 *     reading and sets that voice;
 *   - the rate (-10..10) and volume (0..100) trackbars are heard at once;
 *   - choosing one of the 36 formats plays the voice through the default
 *     audio output in that format.
 * OK in addition makes the selected voice the user's default voice and the
 * rate the default rate of every voice created afterwards, in this and other
 * programs ($XDG_CONFIG_HOME/lenvoro/engine.ini, replaced in one step; when
 * it cannot be written nothing is stored, the old file stays as it was, and
 * the dialog closes all the same). Volume and format are not stored. Cancel
 * and the close box store nothing; the changes made stay on the voice.
 * Without a current voice (the library not started, or closed) the dialog
 * still opens: the voice list is empty, the trackbars show the stored rate
 * and the normal volume, and OK stores only the rate.
 *
 * window  owner of the dialog (a QWidget* or the native id of a widget of
 *         this process); 0 or an unknown value for none: the dialog is then
 *         modal to the whole application. It is centred on the screen.
 * page    address that the dialog's "Get More Voices..." link opens. Up to
 *         255 characters (UTF-16 units once converted) are kept; a longer
 *         address is cut there, never inside a character. NULL keeps the
 *         address of the previous call; when none was ever given the link
 *         opens the library's help page on installing voices.
 *
 * Must be called on the thread of the program's QApplication, which must
 * exist.
 *
 * Returns
 *   LENVORO_RESULT_OK (1)       the dialog was shown and has been closed
 *                               (by OK, Cancel, Esc or the close box).
 *   LENVORO_RESULT_REFUSED (0)  the retired state (the information dialog
 *                               was shown instead, owned by window); or no
 *                               dialog could be shown (no QApplication on
 *                               this thread: a line on stderr says so).
 * Dll_Lenvoro_SetDialogA takes page in the ANSI code page (as
 * Lenvoro_SetDialog does), Dll_Lenvoro_SetDialogW in UTF-16.
 */
LENVORO_API int32_t Lenvoro_SetDialog(intptr_t window, const char* page);
LENVORO_API int32_t Dll_Lenvoro_SetDialogA(intptr_t window, const char* page);
LENVORO_API int32_t Dll_Lenvoro_SetDialogW(intptr_t window, const LenvoroWideChar* page);

#ifdef __cplusplus
}
#endif

#endif /* LENVORO_H */
