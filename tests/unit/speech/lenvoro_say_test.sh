#!/bin/sh
# lenvoro-say as a shell script meets it: wave files in the asked format,
# text from arguments or standard input, the voice list, and an exit code
# for every kind of failure, with nothing left behind.
#
#   lenvoro_say_test.sh LENVORO_SAY SOX WORK_FOLDER
set -u

say=$1
sox=$2
work=$3
rm -rf "$work"
mkdir -p "$work"
# No stored settings of the user, and a locale each check sets for itself.
export XDG_CONFIG_HOME="$work/config"
unset LC_ALL LC_CTYPE LC_MESSAGES LANGUAGE
export LANG=C.UTF-8
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# expect CODE DESCRIPTION COMMAND...: runs the command, checks its exit code.
expect() {
    code=$1
    what=$2
    shift 2
    "$@" > "$work/out.txt" 2> "$work/err.txt"
    got=$?
    [ "$got" -eq "$code" ] || fail "$what: exit $got, expected $code ($(cat "$work/err.txt"))"
}

# The done-when line: 44.1 kHz 16-bit stereo for format 31, as sox reads it.
expect 0 "format 31" "$say" -w "$work/out.wav" --format 31 "你好 world"
[ "$("$sox" --i -r "$work/out.wav")" = 44100 ] || fail "format 31 rate: $("$sox" --i -r "$work/out.wav")"
[ "$("$sox" --i -c "$work/out.wav")" = 2 ] || fail "format 31 channels"
[ "$("$sox" --i -b "$work/out.wav")" = 16 ] || fail "format 31 bits"

# Formats by name, in any spelling of the dialog's names; the default is 22 kHz 16-bit mono.
expect 0 "format by name" "$say" -w "$work/named.wav" --format 8kHz8BitStereo "hello"
[ "$("$sox" --i -r "$work/named.wav")/$("$sox" --i -c "$work/named.wav")/$("$sox" --i -b "$work/named.wav")" = 8000/2/8 ] ||
    fail "8kHz8BitStereo is not 8000 Hz, 2 channels, 8 bits"
expect 0 "format by spaced name" "$say" -w "$work/spaced.wav" -f "48kHz 16 Bit Mono" "hello"
[ "$("$sox" --i -r "$work/spaced.wav")" = 48000 ] || fail "48kHz 16 Bit Mono rate"
expect 0 "default format" "$say" -w "$work/default.wav" "hello"
[ "$("$sox" --i -r "$work/default.wav")/$("$sox" --i -b "$work/default.wav")" = 22050/16 ] ||
    fail "the default format is not 22050 Hz 16-bit"

# Standard input, voices, rate: a text from stdin written by the Sam voice slowly
# lasts longer than the same text at normal speed.
echo "The quick brown fox jumps over the lazy dog." |
    "$say" -w "$work/stdin.wav" --voice sam --rate 50 || fail "text from standard input"
echo "The quick brown fox jumps over the lazy dog." |
    "$say" -w "$work/slow.wav" --voice 1 --rate 0 - || fail "text from standard input with -"
normal=$("$sox" --i -s "$work/stdin.wav")
slow=$("$sox" --i -s "$work/slow.wav")
[ "${normal:-0}" -gt 0 ] && [ "${slow:-0}" -gt $((normal * 2)) ] ||
    fail "rate 0 ($slow samples) is not slower than rate 50 ($normal samples)"
expect 0 "mixed voices" "$say" --mixed --voice 2 -w "$work/mixed.wav" "你好 Mary"
expect 0 "volume" "$say" --volume 30 -w "$work/volume.wav" "hello"

# Reading aloud: what would be heard goes to a capture file instead of a sound card.
expect 0 "read aloud" env LENVORO_AUDIO="capture:$work/aloud.wav" "$say" --rate 70 "hello world"
heard=$("$sox" --i -D "$work/aloud.wav" 2> /dev/null || echo 0)
awk "BEGIN { exit !($heard > 0.3) }" || fail "reading aloud was not heard ($heard s)"
expect 0 "read aloud, mixed" env LENVORO_AUDIO="capture:$work/mixed-aloud.wav" "$say" --mixed \
    --rate 70 "你好 world"
[ -s "$work/mixed-aloud.wav" ] || fail "the mixed reading was not heard"
rm -f "$work/aloud.wav" "$work/mixed-aloud.wav"

# What a Chinese voice says: its readings with tone marks, and espeak-ng's
# phonemes with tone numbers, English marked (en); nothing is left behind.
expect 0 "pinyin" "$say" --pinyin "银行在哪里？Hello！"
[ "$(cat "$work/out.txt")" = "yínháng zài nǎlǐ？Hello！" ] || fail "pinyin: $(cat "$work/out.txt")"
expect 0 "phonemes" "$say" --phonemes --voice 0 "你好。Hello world."
[ "$(wc -l < "$work/out.txt")" -eq 2 ] && grep -q "^(en) " "$work/out.txt" &&
    grep -q "^[^(].*214" "$work/out.txt" || fail "phonemes: $(cat "$work/out.txt")"

# The list names every voice, pair and format.
expect 0 "list voices" "$say" --list-voices
grep -q "Microsoft Simplified Chinese.*installed" "$work/out.txt" || fail "list: no Chinese voice"
[ "$(grep -c 'Bit' "$work/out.txt")" -eq 36 ] || fail "list: not 36 formats"
expect 0 "help" "$say" --help
grep -q -- "--list-voices" "$work/out.txt" || fail "help does not name the options"

# The default voice, until one is chosen with --settings, is the first voice
# of the locale's language, and --list-voices and --help say which and why:
# locale | voice that reads for -1 | what the list says of it.
while IFS='|' read -r locale same said; do
    LANG=$locale "$say" -w "$work/default.wav" "Hello world" &&
        LANG=$locale "$say" -w "$work/chosen.wav" --voice "$same" "Hello world" ||
        fail "$locale: default voice: no wave file"
    cmp -s "$work/default.wav" "$work/chosen.wav" || fail "$locale: -1 is not voice $same"
    LANG=$locale "$say" --list-voices | grep -q -- "^  -1  default  *$said" ||
        fail "$locale: list: $(LANG=$locale "$say" --list-voices | grep -- '-1')"
    LANG=$locale "$say" --help | tr '\n' ' ' | grep -q "$said" || fail "$locale: help: no default"
done << 'END'
en_US.UTF-8|sam|Microsoft Sam, as no voice is chosen with --settings and the locale en_US.UTF-8 is English
zh_CN.UTF-8|0|Microsoft Simplified Chinese，因为还没有用 --settings 选择语音，而区域设置 zh_CN.UTF-8 是中文
zh_TW.Big5|0|Microsoft Simplified Chinese，因為還沒有用 --settings 選擇語音，而地區設定 zh_TW.Big5 是中文
END
mkdir -p "$XDG_CONFIG_HOME/lenvoro"
printf '[Voices]\nDefaultTokenId=%s\n' 'HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Speech\Voices\Tokens\04-mary' \
    > "$XDG_CONFIG_HOME/lenvoro/engine.ini"
LANG=zh_CN.UTF-8 "$say" -w "$work/default.wav" "Hello world"
"$say" -w "$work/chosen.wav" --voice mary "Hello world"
cmp -s "$work/default.wav" "$work/chosen.wav" || fail "a stored default voice does not read"
"$say" --list-voices | grep -q -- "-1  default  *Microsoft Mary, chosen with --settings" ||
    fail "list: the stored default is not named"
rm -r "$XDG_CONFIG_HOME/lenvoro" "$work/default.wav" "$work/chosen.wav"

# Messages in the interface language of the locale: locale | a wrong rate's message.
while IFS='|' read -r locale said; do
    expect 2 "$locale: rate over 100" env LANG="$locale" "$say" --rate 101 "hello"
    grep -q -- "$said" "$work/err.txt" || fail "$locale: message: $(cat "$work/err.txt")"
done << 'END'
en_US.UTF-8|--rate takes a number from 0 to 100, not '101'
zh_CN.GBK|--rate 需要 0 到 100 之间的数字
zh_HK.UTF-8|--rate 需要 0 到 100 之間的數字
zh_MO.UTF-8|--rate takes a number
END

# A long GBK text is cut between characters: 銆侫 is E3 80 82 41 in GBK, and
# E3 80 82 is 。 in UTF-8. A cut there would read half a character and "A".
printf '\304\343\272\303%0260d\343\200\202\101%0200d\304\343\272\303' 0 0 | tr 0 ' ' > "$work/gbk.txt"
LC_ALL=zh_CN.GBK LENVORO_PHONEMES="$work/gbk-phonemes.txt" "$say" --voice 0 < "$work/gbk.txt" ||
    fail "long GBK text: not read"
grep -q "n'i51N" "$work/gbk-phonemes.txt" && ! grep -q "(en)" "$work/gbk-phonemes.txt" ||
    fail "long GBK text: read as $(cat "$work/gbk-phonemes.txt")"
rm -f "$work/gbk.txt" "$work/gbk-phonemes.txt"

# Usage errors: 2, and no file.
expect 2 "unknown format" "$say" -w "$work/bad.wav" --format 36 "hello"
expect 2 "unknown format name" "$say" -w "$work/bad.wav" --format 96kHz "hello"
expect 2 "format without a file" "$say" --format 31 "hello"
expect 2 "unknown voice" "$say" -w "$work/bad.wav" --voice 5 "hello"
expect 2 "pair 4 does not exist" "$say" --mixed --voice 4 -w "$work/bad.wav" "hello"
expect 2 "rate over 100" "$say" -w "$work/bad.wav" --rate 101 "hello"
expect 2 "volume not a number" "$say" -w "$work/bad.wav" --volume loud "hello"
expect 2 "unknown option" "$say" --shout "hello"
expect 2 "option without its value" "$say" "hello" -w
expect 2 "empty text" "$say" -w "$work/bad.wav" "  "
[ -e "$work/bad.wav" ] && fail "a refused call wrote a file"

# A file that cannot be written: 1, and an existing file stays as it was.
expect 1 "missing folder" "$say" -w "$work/missing/out.wav" "hello"
grep -q "cannot write" "$work/err.txt" || fail "no message for an unwritable file"
echo "keep me" > "$work/kept.wav"
long=$(printf '%0300d' 0)
expect 1 "name over 255 characters" "$say" -w "$work/$long.wav" "hello"
[ "$(cat "$work/kept.wav")" = "keep me" ] || fail "the existing file was touched"

# A missing voice: 3, with the voices of a data folder that lacks them.
mkdir -p "$work/voices-data/voices"
cp "$LENVORO_DATA_DIR/voices/01-simplified-chinese.ini" "$LENVORO_DATA_DIR/voices/03-sam.ini" \
    "$work/voices-data/voices/"
expect 3 "missing one voice" env LENVORO_DATA_DIR="$work/voices-data" "$say" --voice mary \
    -w "$work/kept.wav" "hello"
grep -q 'not installed: "Microsoft Mary"' "$work/err.txt" || fail "missing voice: $(cat "$work/err.txt")"
expect 3 "missing one voice, Chinese" env LANG=zh_CN.UTF-8 LENVORO_DATA_DIR="$work/voices-data" \
    "$say" --voice mary -w "$work/kept.wav" "hello"
grep -q '没有安装语音库 "Microsoft Mary"' "$work/err.txt" || fail "missing voice: $(cat "$work/err.txt")"
expect 3 "missing voice, reading aloud" env LENVORO_DATA_DIR="$work/voices-data" "$say" --voice mike \
    "hello"
expect 3 "missing pair voice" env LENVORO_DATA_DIR="$work/voices-data" "$say" --mixed --voice 6 \
    -w "$work/kept.wav" "你好 hello"
grep -q 'not installed: "Chinese Female Voice", "Microsoft Mary"' "$work/err.txt" ||
    fail "missing pair voice: $(cat "$work/err.txt")"
[ "$(cat "$work/kept.wav")" = "keep me" ] || fail "a missing voice touched the existing file"
mkdir -p "$work/no-voices/voices"
expect 4 "no voice at all" env LENVORO_DATA_DIR="$work/no-voices" "$say" -w "$work/kept.wav" "hello"

# Nothing but the files asked for is left in the folder.
leftovers=$(ls -A "$work" | grep '^\.' || true)
[ -z "$leftovers" ] || fail "temporary files left behind: $leftovers"

[ "$failures" -eq 0 ] || { echo "$failures failure(s)"; exit 1; }
echo "all lenvoro-say checks passed"
