#!/usr/bin/python3
"""Time to first audio and to silence: sd_lenvoro against Speech Dispatcher's
own espeak-ng module, in the same run.

Usage: latency.py SD_LENVORO LENVORO_CONF [ROUNDS]

1. Both modules under one private speech-dispatcher, handing their audio to
   the server (its ALSA output goes to the null device), each run through
   module_tap.py, which notes when commands and events pass:
   - spd-say to first audio: from starting spd-say to the module's first
     705 AUDIO block, for an English and a Chinese sentence;
   - stop to ready: from the client's CANCEL to the module's 703 STOP,
     after which the server may send the next message, and the module's
     part of it (from the server's STOP); and how many audio blocks the
     module's pipe still held when the server sent STOP (the server reads them
     before it sees 703).
2. sd_lenvoro playing through our own audio layer (a capture file paced in
   real time, as a sound card would be): from spd-say to the first captured
   audio, and how much is still heard after CANCEL.

Needs speech-dispatcher, speech-dispatcher-espeak-ng and python3-speechd.
Prints a Markdown table of medians (and ranges) over ROUNDS rounds (default 10).
"""
import os
import shutil
import statistics
import struct
import subprocess
import sys
import tempfile
import time

import speechd

SD_LENVORO, LENVORO_CONF = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
ROUNDS = int(sys.argv[3]) if len(sys.argv) > 3 else 10
TAP = os.path.join(os.path.dirname(os.path.abspath(__file__)), "module_tap.py")
ESPEAK = "/usr/lib/speech-dispatcher-modules/sd_espeak-ng"
TEXTS = {"en": "Hello world, this is a short test.", "zh": "你好，世界。今天天气很好。"}
LONG = "This long sentence goes on for a while before it stops. " * 60


class Daemon:
    def __init__(self, root, modules, env):
        conf = os.path.join(root, "conf")
        os.makedirs(os.path.join(conf, "modules"))
        lines = ['LogLevel 2', 'LogDir "%s"' % root, 'DefaultVolume 100',
                 'AudioOutputMethod "alsa"']
        for name, command, config in modules:
            lines.append('AddModule "%s" "%s" "%s"' % (name, command, os.path.basename(config)))
            shutil.copy(config, os.path.join(conf, "modules"))
        open(os.path.join(conf, "speechd.conf"), "w").write("\n".join(lines) + "\n")
        alsa = os.path.join(root, "asound.conf")
        open(alsa, "w").write('</usr/share/alsa/alsa.conf>\npcm.!default { type null }\n')
        self.address = "unix_socket:" + os.path.join(root, "socket")
        self.env = dict(os.environ, HOME=root, XDG_CONFIG_HOME=root, ALSA_CONFIG_PATH=alsa,
                        SPEECHD_ADDRESS=self.address, **env)
        self.process = subprocess.Popen(
            ["speech-dispatcher", "-s", "-t", "0", "-C", conf, "-c", "unix_socket",
             "-S", os.path.join(root, "socket"), "-P", os.path.join(root, "pid"), "-L", root],
            env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        while not os.path.exists(os.path.join(root, "socket")):
            time.sleep(0.02)

    def say(self, module, language, text):
        subprocess.Popen(["spd-say", "-o", module, "-l", language, text], env=self.env).wait()

    def client(self, module):
        client = speechd.SSIPClient("bench", address=self.address, autospawn=False)
        client.set_output_module(module)
        return client

    def close(self):
        self.process.terminate()
        try:
            self.process.wait(10)
        except subprocess.TimeoutExpired:
            self.process.kill()


def tapped(root, name, binary, config):
    log = os.path.join(root, name + ".tap")
    wrapper = os.path.join(root, "sd_" + name + "_tap")
    with open(wrapper, "w") as f:
        f.write('#!/bin/sh\nexec /usr/bin/python3 "%s" "%s" "%s" "$@"\n' % (TAP, log, binary))
    os.chmod(wrapper, 0o755)
    return (name, wrapper, config), log


def wait_for(log, code, after, timeout=10):
    """The time of the first event code noted after the given time."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        for line in open(log):
            at, what = line.split()
            if what == code and float(at) > after:
                return float(at)
        time.sleep(0.005)
    raise TimeoutError("no %s in %s" % (code, log))


def count_after(log, code, start, end):
    return sum(1 for line in open(log)
               if line.split()[1] == code and start < float(line.split()[0]) <= end)


def captured_frames(path):
    try:
        data = open(path, "rb").read(4096)
    except FileNotFoundError:
        return 0
    at = data.find(b"data")
    return struct.unpack("<I", data[at + 4:at + 8])[0] // 2 if at >= 0 else 0


def ms(values):
    values = [v * 1000 for v in values]
    return "%.1f ms (%.1f–%.1f)" % (statistics.median(values), min(values), max(values))


def server_audio(root):
    espeak, espeak_log = tapped(root, "espeak-ng", ESPEAK, "/etc/speech-dispatcher/modules/espeak-ng.conf")
    lenvoro, lenvoro_log = tapped(root, "lenvoro", SD_LENVORO, LENVORO_CONF)
    daemon = Daemon(os.path.join(root, "server"), [espeak, lenvoro], {})
    results = {}
    try:
        for name, log in (("espeak-ng", espeak_log), ("lenvoro", lenvoro_log)):
            for language, text in TEXTS.items():
                firsts = []
                for _ in range(ROUNDS):
                    start = time.monotonic()
                    daemon.say(name, language, text)
                    firsts.append(wait_for(log, "705", start) - start)
                    wait_for(log, "702", start)
                results[(name, "first " + language)] = ms(firsts)
            stops, module_stops, stale = [], [], []
            client = daemon.client(name)
            for _ in range(ROUNDS):
                start = time.monotonic()
                client.speak(LONG)
                wait_for(log, "705", start)
                time.sleep(0.05)
                cancel = time.monotonic()
                client.cancel()
                stopped = wait_for(log, "703", cancel)
                received = wait_for(log, "STOP", cancel)
                stops.append(stopped - cancel)
                module_stops.append(stopped - received)
                stale.append(count_after(log, "705", received, stopped))
            client.close()
            results[(name, "stop")] = ms(stops)
            results[(name, "module stop")] = ms(module_stops)
            results[(name, "stale")] = "%d (most in a round)" % max(stale)
    finally:
        daemon.close()
    return results


def own_audio(root):
    capture = os.path.join(root, "capture.wav")
    daemon = Daemon(os.path.join(root, "own"), [("lenvoro", SD_LENVORO, LENVORO_CONF)],
                    {"LENVORO_AUDIO": "capture:" + capture})
    firsts, after_stop = [], []
    try:
        for _ in range(ROUNDS):
            frames = captured_frames(capture)
            start = time.monotonic()
            daemon.say("lenvoro", "zh", TEXTS["zh"])
            while captured_frames(capture) == frames:
                time.sleep(0.0005)
            firsts.append(time.monotonic() - start)
            time.sleep(3)
        client = daemon.client("lenvoro")
        for _ in range(ROUNDS):
            frames = captured_frames(capture)
            client.speak(LONG)
            while captured_frames(capture) - frames < 22050 // 2:
                time.sleep(0.005)
            heard = captured_frames(capture)
            client.cancel()
            time.sleep(0.3)
            after_stop.append((captured_frames(capture) - heard) / 22050)
        client.close()
    finally:
        daemon.close()
    return ms(firsts), ms(after_stop)


def main():
    with tempfile.TemporaryDirectory(prefix="speechd-bench.") as root:
        server = server_audio(root)
        first_own, stop_own = own_audio(root)
    print("| measure | espeak-ng module | sd_lenvoro |")
    print("|---|---|---|")
    for label, key in (("spd-say to first audio block, English", "first en"),
                       ("spd-say to first audio block, Chinese", "first zh"),
                       ("cancel to 703 STOP (ready for the next message)", "stop"),
                       ("of which the module's part: STOP to 703 STOP", "module stop"),
                       ("audio blocks still reaching the server after its STOP", "stale")):
        print("| %s | %s | %s |" % (label, server[("espeak-ng", key)], server[("lenvoro", key)]))
    print("| spd-say to first audio heard (own output, Chinese) | — | %s |" % first_own)
    print("| audio heard after cancel (own output) | — | %s |" % stop_own)


if __name__ == "__main__":
    main()
