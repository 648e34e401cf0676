#!/usr/bin/env python3
"""A Python program on liblenvoro through ctypes alone.

Prints the library's version, starts the engine with each of the five known
voices to see which are installed (the UTF-16 entry point, with a Chinese
message), and closes it. The library is found with pkg-config, as a C program
would be built against it:

    python3 lenvoro_example.py

Exits with 0 when the engine started and closed, 1 when it could not start.
"""
import ctypes
import subprocess
import sys
from pathlib import Path

RESULT_OK = 1
RESULT_DONE = 10
KEEP_SETTING = -1
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
    library.Lenvoro_Close.argtypes = []
    library.Lenvoro_Close.restype = ctypes.c_int32
    library.Lenvoro_Version.argtypes = [ctypes.POINTER(VersionRecord)]
    library.Lenvoro_Version.restype = ctypes.POINTER(VersionRecord)
    return library


def main():
    assert ctypes.sizeof(VersionRecord) == 16
    lenvoro = load_library()

    version = VersionRecord()
    lenvoro.Lenvoro_Version(ctypes.byref(version))
    print(f"lenvoro {version.major}.{version.minor} of "
          f"{version.year:04d}-{version.month:02d}-{version.day:02d}")

    message, caption = utf16("语音引擎无法启动。"), utf16("lenvoro 示例")
    installed = 0
    for number, name in KNOWN_VOICES:
        # No window (0): the library's messages go to stderr.
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
