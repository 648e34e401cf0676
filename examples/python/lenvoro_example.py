#!/usr/bin/env python3
"""A Python program on liblenvoro through ctypes alone.

Starts the engine (the UTF-16 entry points, with a Chinese message), reads a
sentence that mixes Chinese and English aloud with a Chinese and an English
voice, writes the same sentence to a wave file, tells which of the five known
voices are installed, and closes the engine. The library is found with
pkg-config, as a C program would be built against it:

    python3 lenvoro_example.py [FILE.wav]

The wave file is FILE.wav, or lenvoro-example.wav in the current folder.
Exits with 0 when all went well, 1 when the engine could not start or could
not read or write.
"""
import ctypes
import subprocess
import sys
from pathlib import Path

RESULT_OK = 1
RESULT_DONE = 10
KEEP_SETTING = -1
VOICE_DEFAULT = -1
MODE_MIXED_SYNC = 20  # Chinese runs in a Chinese voice, English runs in an English one
PAIR_SIMPLIFIED_CHINESE_SAM = 1
PUNCTUATION_KEEP = 1
FORMAT_22KHZ_16BIT_MONO = 18
SENTENCE = "小猫喜欢喝牛奶。The kitten likes milk."
KNOWN_VOICES = [
    (0, "Microsoft Simplified Chinese"),
    (1, "Microsoft Sam"),
    (2, "Microsoft Mary"),
    (3, "Microsoft Mike"),
    (4, "Chinese Female Voice"),
]


class VersionRecord(ctypes.Structure):
    """The 16-byte version record of lenvoro.h."""
    _pack_ = 1
    _fields_ = [
        ("major", ctypes.c_uint8),
        ("minor", ctypes.c_uint8),
        ("reserved", ctypes.c_uint8 * 2),
        ("day", ctypes.c_int32),
        ("month", ctypes.c_int32),
        ("year", ctypes.c_int32),
    ]


def utf16(text):
    """A NUL-terminated UTF-16 text for the W entry points (ctypes' wchar_t is 32-bit here)."""
    units = text.encode("utf-16-le")
    return ctypes.cast(ctypes.create_string_buffer(units + b"\0\0", len(units) + 2),
                       ctypes.POINTER(ctypes.c_uint16))


def load_library():
    libdir = subprocess.run(["pkg-config", "--variable=libdir", "lenvoro"],
                            check=True, capture_output=True, text=True).stdout.strip()
    library = ctypes.CDLL(str(Path(libdir) / "liblenvoro.so.2"))
    wide = ctypes.POINTER(ctypes.c_uint16)
    library.Dll_Lenvoro_InitialAuthW.argtypes = [
        ctypes.c_ssize_t, ctypes.c_int32, ctypes.c_int32, ctypes.c_int32, wide, wide, wide, wide]
    library.Dll_Lenvoro_InitialAuthW.restype = ctypes.c_int32
    library.Dll_Lenvoro_SpeakW.argtypes = [
        wide, ctypes.c_int32, ctypes.c_int32, ctypes.c_int32, ctypes.c_int32, ctypes.c_int32, wide]
    library.Dll_Lenvoro_SpeakW.restype = ctypes.c_int32
    library.Dll_Lenvoro_SpeakToWaveW.argtypes = [
        wide, wide, ctypes.c_int32, ctypes.c_int32, ctypes.c_int32, ctypes.c_int32,
        ctypes.c_int32, ctypes.c_int32, wide]
    library.Dll_Lenvoro_SpeakToWaveW.restype = ctypes.c_int32
    library.Lenvoro_Close.argtypes = []
    library.Lenvoro_Close.restype = ctypes.c_int32
    library.Lenvoro_Version.argtypes = [ctypes.POINTER(VersionRecord)]
    library.Lenvoro_Version.restype = ctypes.POINTER(VersionRecord)
    return library


def main():
    assert ctypes.sizeof(VersionRecord) == 16
    wave_file = sys.argv[1] if len(sys.argv) > 1 else "lenvoro-example.wav"
    lenvoro = load_library()

    version = VersionRecord()
    lenvoro.Lenvoro_Version(ctypes.byref(version))
    print(f"lenvoro {version.major}.{version.minor} of "
          f"{version.year:04d}-{version.month:02d}-{version.day:02d}")

    # No window (0): the library's messages go to stderr.
    message, caption = utf16("语音引擎无法启动。"), utf16("lenvoro 示例")
    result = lenvoro.Dll_Lenvoro_InitialAuthW(0, VOICE_DEFAULT, KEEP_SETTING, 80,
                                              message, caption, None, None)
    if result != RESULT_DONE:
        print(f"lenvoro example: the engine did not start (result {result})", file=sys.stderr)
        return 1

    # Read aloud; the synchronous mode returns when the sentence has been heard.
    sentence = utf16(SENTENCE)
    result = lenvoro.Dll_Lenvoro_SpeakW(sentence, MODE_MIXED_SYNC, PAIR_SIMPLIFIED_CHINESE_SAM,
                                        KEEP_SETTING, KEEP_SETTING, PUNCTUATION_KEEP, None)
    if result != RESULT_DONE:
        print(f"lenvoro example: the sentence was not read (result {result})", file=sys.stderr)
        return 1
    print(f"read aloud: {SENTENCE}")

    # The same sentence into a wave file: 22.05 kHz, 16 bit, mono.
    result = lenvoro.Dll_Lenvoro_SpeakToWaveW(
        sentence, utf16(wave_file), MODE_MIXED_SYNC, PAIR_SIMPLIFIED_CHINESE_SAM, KEEP_SETTING,
        KEEP_SETTING, FORMAT_22KHZ_16BIT_MONO, PUNCTUATION_KEEP, None)
    if result != RESULT_DONE:
        print(f"lenvoro example: {wave_file} was not written (result {result})", file=sys.stderr)
        return 1
    print(f"wrote: {wave_file}")

    installed = 0
    for number, name in KNOWN_VOICES:
        # A start with a chosen voice tells, silently, whether it is installed.
        result = lenvoro.Dll_Lenvoro_InitialAuthW(0, number, KEEP_SETTING, 80,
                                                  message, caption, None, None)
        if result == RESULT_DONE:
            print(f"installed: {name}")
            installed += 1
        elif 50 <= result <= 90:
            print(f"missing:   {name}")  # still started, with the default voice
        else:
            print(f"lenvoro example: the engine did not start (result {result})", file=sys.stderr)
            return 1
    print(f"{installed} of 5 voices installed")

    if lenvoro.Lenvoro_Close() != RESULT_OK:
        print("lenvoro example: close failed", file=sys.stderr)
        return 1
    print("closed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
