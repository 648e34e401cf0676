#!/usr/bin/python3
"""Runs a Speech Dispatcher output module and notes when things pass.

Usage: module_tap.py LOG MODULE [MODULE ARGUMENTS...]

Relays the server's commands to the module and the module's replies back,
line by line (a 705 AUDIO block escapes its line feeds, so lines stay whole),
and appends to LOG one line per event that matters for timing, with the
system's monotonic clock in seconds, which every process shares:
"SPEAK", "STOP", "PAUSE" as the server sends them, and "701", "702", "703",
"704" and "705" (each audio block) as the module sends them.
"""
import subprocess
import sys
import threading
import time

log = open(sys.argv[1], "a", buffering=1)
module = subprocess.Popen(sys.argv[2:], stdin=subprocess.PIPE, stdout=subprocess.PIPE, bufsize=0)
lock = threading.Lock()


def note(what):
    with lock:
        log.write("%.6f %s\n" % (time.monotonic(), what))


def from_module():
    for line in iter(module.stdout.readline, b""):
        code = line[:3]
        if code == b"705" and line.startswith(b"705 AUDIO"):
            note("705")
        elif code in (b"701", b"702", b"703", b"704") and line[3:4] == b" ":
            note(code.decode())
        sys.stdout.buffer.write(line)
        sys.stdout.buffer.flush()


threading.Thread(target=from_module, daemon=True).start()
for line in iter(sys.stdin.buffer.readline, b""):
    command = line.rstrip(b"\n")
    if command in (b"SPEAK", b"STOP", b"PAUSE"):
        note(command.decode())
    module.stdin.write(line)
    module.stdin.flush()
module.stdin.close()
module.wait()
