#!/bin/sh
# The library as a program outside the source tree meets it: installed into a
# temporary prefix, found with pkg-config, called from C and from Python.
#
#   run_installed_library_tests.sh BUILD_DIR SOURCE_DIR [SANITIZE=ON|OFF]
set -eu

build=$1
source=$2
sanitize=${3:-OFF}

work=$(mktemp -d "${TMPDIR:-/tmp}/lenvoro-installed-XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

prefix="$work/prefix"
# The library and the audio layer's private library it links.
cmake --install "$build/audio" --prefix "$prefix" > "$work/install.log"
cmake --install "$build/speech" --prefix "$prefix" >> "$work/install.log"
pcdir=$(dirname "$(find "$prefix" -name lenvoro.pc | head -n 1)")
export PKG_CONFIG_PATH="$pcdir"
libdir=$(pkg-config --variable=libdir lenvoro)
[ -f "$libdir/liblenvoro.so.2" ] || fail "pkg-config names $libdir, which has no liblenvoro.so.2"

# The library finds the audio layer beside itself, whatever the caller's
# library path; the audio layer exports its own API and nothing else.
if command -v ldd > /dev/null; then
    env -u LD_LIBRARY_PATH ldd "$libdir/liblenvoro.so.2" | grep -q "liblenvoro-audio\.so\.2 => $libdir/" ||
        fail "liblenvoro.so.2 does not find liblenvoro-audio.so.2 beside it: $(ldd "$libdir/liblenvoro.so.2")"
fi
if command -v nm > /dev/null; then
    nm -DC --defined-only "$libdir/liblenvoro-audio.so.2" | awk '$2 ~ /^[TWVDBRui]$/' |
        grep -v 'lenvoro::audio::' > "$work/audio-foreign.txt" || true
    [ ! -s "$work/audio-foreign.txt" ] ||
        fail "the audio layer exports more than its API: $(cat "$work/audio-foreign.txt")"
fi

# Nothing of the caller's system decides which voices are found: only the
# voices installed beside the library, no sound card, no settings of the user.
mkdir -p "$work/data-home" "$work/config" "$work/no-voices/voices" "$work/build"
export XDG_DATA_HOME="$work/data-home" XDG_DATA_DIRS="$work/data-home" XDG_CONFIG_HOME="$work/config"
export LENVORO_AUDIO=null LC_ALL=C.UTF-8 LD_LIBRARY_PATH="$libdir"
unset LENVORO_DATA_DIR || true

cflags=""
preload=""
if [ "$sanitize" = ON ]; then
    # An instrumented library needs the sanitizer runtime loaded first.
    cflags="-fsanitize=address,undefined"
    preload="$(cc -print-file-name=libasan.so) $(cc -print-file-name=libubsan.so)"
fi
# The C programs are checked for leaks too; the Python interpreter's own
# allocations at exit are not ours to judge, nor those of the programs it starts
# to find the library. The last setting of an option wins, so ours goes last.
python_asan_options="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"

# --- The exports: exactly the 29 names, aliases at one address --------------
cc -std=c99 -Wall -Wextra -pedantic -Werror $cflags "$source/tests/e2e/library/export_addresses.c" \
    -o "$work/build/export_addresses" -ldl
"$work/build/export_addresses" "$libdir/liblenvoro.so.2" > "$work/addresses.txt" ||
    fail "export addresses: $(cat "$work/addresses.txt")"
if command -v nm > /dev/null; then
    nm -D --defined-only "$libdir/liblenvoro.so.2" | awk '$2 ~ /^[TWi]$/ { print $3 }' | sort > "$work/exported.txt"
    if [ "$(wc -l < "$work/exported.txt")" -ne 29 ] || grep -qv 'Lenvoro_' "$work/exported.txt"; then
        fail "the library exports other functions than its 29: $(tr '\n' ' ' < "$work/exported.txt")"
    fi
fi

# --- The C example, built from outside the source tree ------------------------
cp "$source/examples/c/lenvoro_example.c" "$work/build/"
(cd "$work/build" && cc -std=c99 -Wall -Wextra -pedantic -Werror $cflags lenvoro_example.c \
    $(pkg-config --cflags --libs lenvoro) -o lenvoro_example) || fail "the C example does not build"

expect_started() {  # name, output file
    grep -q '^lenvoro 2\.8 of 2004-02-29$' "$2" || fail "$1: no version line"
    grep -q '^5 of 5 voices installed$' "$2" || fail "$1: did not find the five voices"
    grep -q '^closed$' "$2" || fail "$1: did not close"
}

# An example read its sentence aloud and into a wave file: the engine's
# phoneme trace holds each given part of the sentence twice (once heard, once
# written), and the file is a wave file with a second or more of sound in it.
expect_spoken() {  # name, output file, wave file, phoneme trace, phonemes...
    name=$1 out=$2 wave=$3 trace=$4
    shift 4
    grep -q '^read aloud: ' "$out" || fail "$name: read nothing aloud"
    grep -qx "wrote: $wave" "$out" || fail "$name: wrote no wave file"
    for phonemes in "$@"; do
        [ "$(grep -cF -- "$phonemes" "$trace")" -eq 2 ] ||
            fail "$name: '$phonemes' not heard and written: $(cat "$trace")"
    done
    [ "$(head -c 4 "$wave")" = RIFF ] && [ "$(dd if="$wave" bs=1 skip=8 count=4 2> /dev/null)" = WAVE ] ||
        fail "$name: $wave is no wave file"
    [ "$(wc -c < "$wave")" -gt 44100 ] || fail "$name: $wave holds less than a second"
    if command -v sox > /dev/null; then
        rms=$(sox "$wave" -n stat 2>&1 | awk '/RMS +amplitude/ { print $3 }')
        awk "BEGIN { exit !(${rms:-0} > 0.02) }" || fail "$name: $wave is silent (RMS ${rms:-?})"
    fi
}

if LENVORO_PHONEMES="$work/c.phonemes" "$work/build/lenvoro_example" "$work/c.wav" \
    > "$work/c.out" 2> "$work/c.err"; then
    expect_started "C example" "$work/c.out"
    expect_spoken "C example" "$work/c.out" "$work/c.wav" "$work/c.phonemes" \
        "(en) h@l'oU DIs s'Ent@ns"
else
    fail "C example exited with $?: $(cat "$work/c.out" "$work/c.err")"
fi
# Without any voice the engine cannot start; the caller's message is shown.
if LENVORO_DATA_DIR="$work/no-voices" "$work/build/lenvoro_example" > "$work/c2.out" 2> "$work/c2.err"; then
    fail "C example started without voices"
else
    grep -q '^lenvoro example: The speech engine cannot start\.$' "$work/c2.err" ||
        fail "C example without voices: message not shown: $(cat "$work/c2.err")"
fi

# --- The Python example, with ctypes alone ------------------------------------
if command -v python3 > /dev/null; then
    cp "$source/examples/python/lenvoro_example.py" "$work/build/"
    if (cd "$work/build" && LENVORO_PHONEMES="$work/py.phonemes" LD_PRELOAD="$preload" ASAN_OPTIONS="$python_asan_options" python3 lenvoro_example.py "$work/py.wav") > "$work/py.out" 2> "$work/py.err"; then
        expect_started "Python example" "$work/py.out"
        # 小猫喜欢喝牛奶 in the Chinese voice (tone numbers), the rest in the English one.
        expect_spoken "Python example" "$work/py.out" "$work/py.wav" "$work/py.phonemes" \
            "niou35n'ai214" "(en) D@2 k'I?n- l'aIks m'Ilk"
    else
        fail "Python example exited with $?: $(cat "$work/py.out" "$work/py.err")"
    fi
    if (cd "$work/build" && LENVORO_DATA_DIR="$work/no-voices" LD_PRELOAD="$preload" ASAN_OPTIONS="$python_asan_options" python3 lenvoro_example.py) \
        > "$work/py2.out" 2> "$work/py2.err"; then
        fail "Python example started without voices"
    else
        grep -q '^lenvoro 示例: 语音引擎无法启动。$' "$work/py2.err" ||
            fail "Python example without voices: message not shown: $(cat "$work/py2.err")"
    fi
else
    echo "python3 not found: the Python example was not run"
fi

if [ "$failures" -ne 0 ]; then
    echo "$failures failures"
    exit 1
fi
echo "installed library: all checks passed"
