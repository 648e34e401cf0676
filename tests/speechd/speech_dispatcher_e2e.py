#!/usr/bin/python3
"""sd_lenvoro under a real Speech Dispatcher.

Starts speech-dispatcher with a private configuration, socket and log in a
temporary folder and our module as its only one, then speaks through
spd-say and the Python speechd client. The module plays into a capture file
(LENVORO_AUDIO=capture:) and writes the phonemes it speaks to
LENVORO_PHONEMES, one line per piece, English pieces after "(en)", Mandarin
with tone numbers. A second daemon checks that audio handed back to the
server (its own ALSA output, here a file) is heard too.

Usage: speech_dispatcher_e2e.py SD_LENVORO LENVORO_CONF [MODULE_BUILD_DIR CMAKE]
With the module's build folder, its "cmake --install" is checked as well.
Exit status 0 passed, 1 failed, 77 skipped (no Speech Dispatcher).
"""
import os
import re
import shutil
import socket
import struct
import subprocess
import sys
import tempfile
import threading
import time
import wave

try:
    import speechd
except ImportError:
    speechd = None

MODULE, MODULE_CONF = os.path.abspath(sys.argv[1]), sys.argv[2]
RATE = 22050
MANDARIN = re.compile(r"^(?!\(en\)).*[a-z.]+'?[a-z]*(55|35|214|51|21)")
STOP_LIMIT_S = 0.020


class Daemon:
    """A speech-dispatcher of our own, with sd_lenvoro as its only module."""

    def __init__(self, root, module_env, speechd_conf="", installed=None):
        self.root = root
        conf = os.path.join(root, "conf")
        os.makedirs(os.path.join(conf, "modules"))
        self.phonemes = os.path.join(root, "phonemes.txt")
        self.icons = os.path.join(root, "icons")
        os.makedirs(self.icons)
        # Installed, the server finds the module by itself, as with Debian's
        # speechd.conf, which names no modules.
        if installed is None:
            speechd_conf += 'AddModule "lenvoro" "%s" "lenvoro.conf"\n' % MODULE
        with open(os.path.join(conf, "speechd.conf"), "w") as f:
            f.write('LogLevel 3\nLogDir "%s"\nDefaultVolume 100\nDefaultModule lenvoro\n%s'
                    % (root, speechd_conf))
        config = os.path.join(installed[1], "lenvoro.conf") if installed else MODULE_CONF
        with open(config) as src, open(os.path.join(conf, "modules", "lenvoro.conf"), "w") as f:
            f.write(src.read() + '\nLenvoroSoundIconFolder "%s"\n' % self.icons)
        self.address = "unix_socket:" + os.path.join(root, "socket")
        env = dict(os.environ, HOME=root, XDG_CONFIG_HOME=root, XDG_RUNTIME_DIR=root,
                   LENVORO_PHONEMES=self.phonemes, SPEECHD_ADDRESS=self.address, **module_env)
        self.env = env
        self.process = subprocess.Popen(
            ["speech-dispatcher", "-s", "-t", "0", "-C", conf, "-c", "unix_socket",
             "-S", os.path.join(root, "socket"), "-P", os.path.join(root, "pid"), "-L", root]
            + (["-m", installed[0]] if installed else []),
            env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        deadline = time.monotonic() + 15
        while not os.path.exists(os.path.join(root, "socket")):
            assert time.monotonic() < deadline and self.process.poll() is None, \
                "speech-dispatcher did not start; see its log in " + root
            time.sleep(0.05)

    def say(self, *args):
        return subprocess.run(["spd-say", "-w", "-o", "lenvoro", *args], env=self.env,
                              capture_output=True, text=True, timeout=30)

    def client(self):
        client = speechd.SSIPClient("e2e", address=self.address, autospawn=False)
        client.set_output_module("lenvoro")
        return client

    def phoneme_lines(self):
        if not os.path.exists(self.phonemes):
            return []
        with open(self.phonemes, encoding="utf-8", errors="replace") as f:
            return f.read().splitlines()

    def new_phonemes(self, before, count=1, timeout=10):
        wait_until(lambda: len(self.phoneme_lines()) >= before + count, timeout)
        return self.phoneme_lines()[before:]

    def close(self):
        """Stops the server; a sanitizer's report in the module's log fails the test."""
        self.process.terminate()
        try:
            self.process.wait(10)
        except subprocess.TimeoutExpired:
            self.process.kill()
        log = os.path.join(self.root, "lenvoro.log")
        text = open(log, errors="replace").read() if os.path.exists(log) else ""
        assert "Sanitizer" not in text and "runtime error" not in text, text[-3000:]


def wait_until(condition, timeout=10, step=0.02):
    """Looks at condition until it holds or timeout seconds have passed; its last value."""
    deadline = time.monotonic() + timeout
    while not condition() and time.monotonic() < deadline:
        time.sleep(step)
    return condition()


def captured_seconds(path):
    """Seconds of audio in a capture file so far (its header is kept current)."""
    try:
        with open(path, "rb") as f:
            data = f.read(4096)
    except FileNotFoundError:
        return 0.0
    at = data.find(b"data")
    return struct.unpack("<I", data[at + 4:at + 8])[0] / 2 / RATE if at >= 0 else 0.0


class Events:
    """The events of one message, as the Python client reports them."""

    def __init__(self):
        self.seen = []
        self.done = threading.Event()

    def __call__(self, kind, index_mark=None):
        self.seen.append((kind, index_mark, time.monotonic()))
        if kind in (speechd.CallbackType.END, speechd.CallbackType.CANCEL,
                    speechd.CallbackType.PAUSE):
            self.done.set()

    def kinds(self):
        return [(kind, mark) for kind, mark, _ in self.seen]

    def wait(self, what):
        assert self.done.wait(15), "no %s; events: %s" % (what, self.kinds())
        self.done.clear()


LONG_TEXT = "这是一个很长的句子，它会一直读下去。" * 3 + "This sentence goes on and on for a while. " * 4


def test_voice_list(d, capture):
    listing = subprocess.run(["spd-say", "-o", "lenvoro", "-L"], env=d.env, capture_output=True,
                             text=True, timeout=30).stdout
    for name, language, gender in [("Microsoft Simplified Chinese", "zh-CN", "male"),
                                   ("Chinese Female Voice", "zh-CN", "female"),
                                   ("Microsoft Sam", "en-US", "male"),
                                   ("Microsoft Mary", "en-US", "female"),
                                   ("Microsoft Mike", "en-US", "male")]:
        assert re.search(r"%s\s+%s\s+%s" % (name, language, gender), listing), listing
    client = d.client()
    assert ("Chinese Female Voice", "zh-CN", "female") in client.list_synthesis_voices()
    client.close()


def test_mixed_and_plain_reading(d, capture):
    before, heard = len(d.phoneme_lines()), captured_seconds(capture)
    result = d.say("-l", "zh", "你好，世界。Hello world.")
    assert result.returncode == 0, result.stderr
    lines = d.new_phonemes(before, 2)
    assert len(lines) == 2 and MANDARIN.match(lines[0]) and "ni35" in lines[0], lines
    assert lines[1].startswith("(en) ") and "h@l'oU" in lines[1], lines
    assert captured_seconds(capture) - heard > 1.0, "the reading was not heard in full"

    before = len(d.phoneme_lines())
    assert d.say("-l", "en", "-t", "female1", "Good morning, everyone.").returncode == 0
    lines = d.new_phonemes(before)
    assert lines and all(line.startswith("(en) ") for line in lines), lines


def test_index_marks_follow_the_audio(d, capture):
    client = d.client()
    client.set_data_mode(speechd.DataMode.SSML)
    events = Events()
    client.speak('<speak>One.<mark name="first"/> Two, three.<mark name="second"/> Four.</speak>',
                 callback=events)
    events.wait("end")
    client.close()
    # The client may miss BEGIN: it registers its callback after sending.
    marks = [event for event in events.seen if event[0] != "begin"]
    assert [(kind, mark) for kind, mark, _ in marks] == [
        ("index_marks", "first"), ("index_marks", "second"), ("end", None)], events.kinds()
    first, second = marks[0][2], marks[1][2]
    # Two, three. takes more than half a second to say: the marks come as it
    # is heard, not as it is made.
    assert second - first > 0.5, "marks %.3f s apart" % (second - first)


def interrupt(d, capture, action, expected, text=LONG_TEXT):
    client = d.client()
    events = Events()
    heard = captured_seconds(capture)
    client.speak(text, callback=events)
    wait_until(lambda: captured_seconds(capture) - heard >= 0.8, step=0.01)
    heard_at_request = captured_seconds(capture)
    action(client)
    events.wait(expected)
    time.sleep(0.3)
    after = captured_seconds(capture) - heard_at_request
    assert events.kinds()[-1][0] == expected, events.kinds()
    assert after <= STOP_LIMIT_S, "%.1f ms heard after %s" % (after * 1000, expected)
    return client, events, after


def test_stop_and_pause_silence_within_20ms(d, capture):
    client, _, stopped = interrupt(d, capture, lambda c: c.cancel(), "cancel")
    client.close()
    # Paused before its first sentence ends, the message is read again from
    # its start when resumed.
    client, events, paused = interrupt(d, capture, lambda c: c.pause(), "pause",
                                       "这是第一句话，它不太长。This is the second one.")
    heard = captured_seconds(capture)
    client.resume()
    events.wait("end after resume")
    client.close()
    assert events.kinds()[-1][0] == "end", events.kinds()
    assert captured_seconds(capture) - heard > 1.0, "nothing was heard after resume"
    print("  heard after stop %.1f ms, after pause %.1f ms" % (stopped * 1000, paused * 1000))


def test_characters_keys_and_icons(d, capture):
    with wave.open(os.path.join(d.icons, "chime.wav"), "wb") as w:
        w.setnchannels(2)
        w.setsampwidth(2)
        w.setframerate(44100)
        w.writeframes(b"\x10\x00\x10\x00" * 22050)  # half a second
    client = d.client()
    before = len(d.phoneme_lines())
    client.char("一")
    lines = d.new_phonemes(before)
    # In isolation 一 keeps its own first tone (yī), never a changed one.
    assert lines == ["j'i55_|"], lines
    before = len(d.phoneme_lines())
    client.key("shift_a")
    lines = d.new_phonemes(before)
    assert lines and lines[0].startswith("(en) ") and "S'Ift" in lines[0], lines

    before, heard = len(d.phoneme_lines()), captured_seconds(capture)
    client.sound_icon("chime")
    wait_until(lambda: captured_seconds(capture) - heard >= 0.49, 5)
    assert 0.49 <= captured_seconds(capture) - heard < 0.6, "icon not played"
    assert len(d.phoneme_lines()) == before, "the icon was spoken"
    client.sound_icon("new_mail")
    lines = d.new_phonemes(before)
    assert lines and lines[0].startswith("(en) ") and "m'eIl" in lines[0], lines
    client.close()


def test_client_gone_mid_message(d, capture):
    raw = socket.socket(socket.AF_UNIX)
    raw.connect(d.address.split(":", 1)[1])
    raw.sendall(b"SET SELF CLIENT_NAME e2e:raw:main\r\nSPEAK\r\nhalf a mess")
    time.sleep(0.2)
    raw.close()
    client = d.client()
    heard = captured_seconds(capture)
    client.speak(LONG_TEXT)
    assert wait_until(lambda: captured_seconds(capture) > heard), "the message was not read"
    client.close()  # gone while its message is read, which the server goes on with
    subprocess.run(["spd-say", "-C"], env=d.env, timeout=30)
    before = len(d.phoneme_lines())
    assert d.say("-l", "en", "still here").returncode == 0
    assert any("st'Il" in line for line in d.new_phonemes(before)), d.phoneme_lines()[before:]


def test_module_alone_survives_bad_input(d, capture):
    """The module straight on pipes: errors are answered, closed input ends it."""
    env = dict(d.env, LENVORO_AUDIO="null")
    module = subprocess.Popen([MODULE, MODULE_CONF], stdin=subprocess.PIPE,
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, env=env)
    huge = b"x" * (5 << 20)
    script = (b"INIT\nBOGUS\nSET\nloudness=11\n.\nSPEAK\n" + huge + b"\n.\n"
              b"SPEAK\n<speak>cut off by the server going aw")
    out, _ = module.communicate(script, timeout=30)
    replies = out.decode().splitlines()
    assert replies[2:] == ["300 ERR UNKNOWN COMMAND", "203 OK RECEIVING SETTINGS",
                           "303 ERROR INVALID PARAMETER OR VALUE", "202 OK RECEIVING MESSAGE",
                           "301 ERROR CANT SPEAK", "202 OK RECEIVING MESSAGE"], replies
    assert module.returncode == 0, module.returncode


def test_audio_through_the_server(root):
    """Audio handed back to the server (705 events) reaches the server's output."""
    raw = os.path.join(root, "alsa.raw")
    alsa = os.path.join(root, "asound.conf")
    with open(alsa, "w") as f:
        f.write('</usr/share/alsa/alsa.conf>\npcm.!default { type file slave.pcm "null" '
                'file "%s" format "raw" }\n' % raw)
    d = Daemon(os.path.join(root, "server"), {"ALSA_CONFIG_PATH": alsa},
               'AudioOutputMethod "alsa"\n')
    try:
        client = d.client()
        client.set_data_mode(speechd.DataMode.SSML)
        events = Events()
        client.set_language("zh")
        client.speak('<speak>你好。<mark name="m"/>Hello.</speak>', callback=events)
        events.wait("end")
        client.close()
        assert [e for e in events.kinds() if e[0] != "begin"] == [
            ("index_marks", "m"), ("end", None)], events.kinds()
        assert "Initialized for server audio for lenvoro" in open(
            os.path.join(d.root, "speech-dispatcher.log"), errors="replace").read()
        samples = open(raw, "rb").read() if os.path.exists(raw) else b""
        assert len(samples) / 2 / RATE > 0.8 and samples.strip(b"\0"), \
            "%d bytes reached the server's output" % len(samples)
        lines = d.phoneme_lines()
        assert len(lines) == 2 and MANDARIN.match(lines[0]) and lines[1].startswith("(en)"), lines
    finally:
        d.close()


def test_installed_module_is_found(root, build, cmake):
    """cmake --install, then the server's own search finds sd_lenvoro and lenvoro.conf."""
    prefix = os.path.join(root, "prefix")
    # The module and the audio layer's library it links, built beside it.
    for folder in (os.path.join(os.path.dirname(build), "audio"), build):
        subprocess.run([cmake, "--install", folder, "--prefix", prefix], check=True,
                       stdout=subprocess.DEVNULL)
    installed = (os.path.join(prefix, "libexec", "speech-dispatcher-modules"),
                 os.path.join(prefix, "etc", "speech-dispatcher", "modules"))
    d = Daemon(os.path.join(root, "installed"), {"LENVORO_AUDIO": "null"}, installed=installed)
    try:
        result = d.say("-l", "zh", "你好，世界。Hello world.")
        assert result.returncode == 0, result.stderr
        lines = d.phoneme_lines()
        assert len(lines) == 2 and MANDARIN.match(lines[0]) and lines[1].startswith("(en)"), lines
    finally:
        d.close()


def main():
    if speechd is None or not shutil.which("speech-dispatcher") or not shutil.which("spd-say"):
        print("speech-dispatcher, spd-say or python3-speechd missing: skipped")
        return 77
    started = time.monotonic()
    failures = 0
    with tempfile.TemporaryDirectory(prefix="sd_lenvoro.") as root:
        capture = os.path.join(root, "capture.wav")
        d = Daemon(os.path.join(root, "module"), {"LENVORO_AUDIO": "capture:" + capture})
        tests = [test_voice_list, test_mixed_and_plain_reading, test_index_marks_follow_the_audio,
                 test_stop_and_pause_silence_within_20ms, test_characters_keys_and_icons,
                 test_client_gone_mid_message, test_module_alone_survives_bad_input]
        try:
            for test in tests:
                try:
                    test(d, capture)
                    print("ok  ", test.__name__)
                except Exception as error:  # report every test, then fail
                    failures += 1
                    print("FAIL", test.__name__, "-", error)
        finally:
            try:
                d.close()
            except AssertionError as error:
                failures += 1
                print("FAIL the module's log -", error)
        later = [(test_audio_through_the_server, (root,))]
        if len(sys.argv) > 4:
            later.append((test_installed_module_is_found, (root, sys.argv[3], sys.argv[4])))
        for test, arguments in later:
            try:
                test(*arguments)
                print("ok  ", test.__name__)
            except Exception as error:
                failures += 1
                print("FAIL", test.__name__, "-", error)
    print("%d failed, %.1f s" % (failures, time.monotonic() - started))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
