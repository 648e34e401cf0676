/*
 * lenvoro: text-to-speech for programs.
 *
 * The library reads texts aloud in a chosen voice, or a text that mixes
 * Chinese and English in a Chinese and an English voice; synchronously or
 * asynchronously, with pause, continue, stop, volume, rate and the reading
 * position; it writes speech to wave files in 36 PCM formats.
 *
 * Every function returns a 32-bit result code (LENVORO_RESULT_*), never
 * throws, and never crashes on bad arguments. All integers are 32-bit.
 * Texts are in the system's character set (ANSI forms) or UTF-16 (W forms).
 *
 * This header is the whole interface of liblenvoro.so.2.
 */
#ifndef LENVORO_H
#define LENVORO_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define LENVORO_VERSION_MAJOR 2
#define LENVORO_VERSION_MINOR 8

/* Result codes of the entry points. */
#define LENVORO_RESULT_REFUSED 0         /* an argument out of range, or the library retired */
#define LENVORO_RESULT_OK 1              /* a control function did its work */
#define LENVORO_RESULT_DONE 10           /* a start or speaking function did its work */
#define LENVORO_RESULT_ENGINE_FAILED 20  /* no engine, or a voice of mixed markup missing */
#define LENVORO_RESULT_NO_MEMORY 40      /* out of memory, or no runtime for this thread */
#define LENVORO_RESULT_NO_SIMPLIFIED_CHINESE 50
#define LENVORO_RESULT_NO_SAM 60
#define LENVORO_RESULT_NO_MARY 70
#define LENVORO_RESULT_NO_MIKE 80
#define LENVORO_RESULT_NO_CHINESE_FEMALE 90

/* Voice choice numbers. */
#define LENVORO_VOICE_DEFAULT (-1)
#define LENVORO_VOICE_SIMPLIFIED_CHINESE 0 /* "Microsoft Simplified Chinese" */
#define LENVORO_VOICE_SAM 1                /* "Microsoft Sam" */
#define LENVORO_VOICE_MARY 2               /* "Microsoft Mary" */
#define LENVORO_VOICE_MIKE 3               /* "Microsoft Mike" */
#define LENVORO_VOICE_CHINESE_FEMALE 4     /* "Chinese Female Voice" */

/* Speaking modes. */
#define LENVORO_MODE_SYNC 10
#define LENVORO_MODE_ASYNC 11
#define LENVORO_MODE_MIXED_SYNC 20
#define LENVORO_MODE_MIXED_ASYNC 21

/* Rate and volume: 0..100, or this value to leave the setting as it is. */
#define LENVORO_KEEP_SETTING (-1)

/*
 * Wave formats 0..35: sample rate (8000, 11025, 12000, 16000, 22050, 24000,
 * 32000, 44100, 48000)[format / 4], 16 bits when bit 1 of format is set
 * (else 8), two channels when format is odd (else one).
 */
#define LENVORO_FORMAT_FIRST 0
#define LENVORO_FORMAT_8KHZ_8BIT_MONO 0
#define LENVORO_FORMAT_22KHZ_16BIT_MONO 18
#define LENVORO_FORMAT_44KHZ_16BIT_STEREO 31
#define LENVORO_FORMAT_48KHZ_16BIT_STEREO 35
#define LENVORO_FORMAT_LAST 35

/* The version record filled by the version function; its layout is fixed. */
#pragma pack(push, 1)
typedef struct LenvoroVersionRecord {
    uint8_t major;    /* 2 */
    uint8_t minor;    /* 8 */
    uint8_t reserved[2];
    int32_t day;      /* 29 */
    int32_t month;    /* 2 */
    int32_t year;     /* 2004 */
} LenvoroVersionRecord;
#pragma pack(pop)

#ifdef __cplusplus
static_assert(sizeof(LenvoroVersionRecord) == 16, "the version record is 16 bytes");
#else
_Static_assert(sizeof(LenvoroVersionRecord) == 16, "the version record is 16 bytes");
#endif

#ifdef __cplusplus
}
#endif

#endif /* LENVORO_H */
