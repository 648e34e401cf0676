#!/usr/bin/env bash
# A game whose "pictext.ini" is missing or faulty tells the user which file and
# line is wrong, on the terminal and in a message box, in the language of the
# user's locale, and ends with a non-zero status without showing its main
# window.
# usage: startup_failure_e2e.sh TUKOMI_BINARY [SCREENSHOT_FOLDER]
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/xvfb_session.sh"
e2e_skip_unless Xvfb xdotool convert iconv import
game=$1 shots=${2:-}
trap e2e_stop EXIT

e2e_make_program_folder "$game" 1
e2e_start_display

# expect_failure WHAT EXPECTED_ON_STDERR [LOCALE]
expect_failure() {
    local what=$1 expected=$2 locale=${3:-C.UTF-8}
    env LC_ALL="$locale" "$E2E_DIR/tukomi" 2>"$E2E_DIR/stderr" &
    E2E_APP_PID=$!
    local box
    box=$(timeout 20 xdotool search --sync --onlyvisible --name 'Mibaro' | head -n 1)
    [ -n "$box" ] || e2e_fail "$what: no message box; stderr: $(cat "$E2E_DIR/stderr")"
    eval "$(xdotool getwindowgeometry --shell "$box")"
    [ "$WIDTH" != 598 ] || [ "$HEIGHT" != 360 ] || e2e_fail "$what: the main window showed"
    [ -z "$shots" ] || { mkdir -p "$shots"; import -window root "$shots/startup-failure-${locale%%.*}.png"; }
    grep -qF -- "$expected" "$E2E_DIR/stderr" || e2e_fail "$what: stderr lacks '$expected': $(cat "$E2E_DIR/stderr")"
    xdotool windowactivate --sync "$box" key --clearmodifiers Return 2>/dev/null ||
        xdotool key --window "$box" Return
    local status=0
    timeout 10 tail --pid="$E2E_APP_PID" -f /dev/null || e2e_fail "$what: the game did not end"
    wait "$E2E_APP_PID" || status=$?
    E2E_APP_PID=
    [ "$status" -ne 0 ] || e2e_fail "$what: exit status 0"
    echo "ok: $what -> status $status, $(cat "$E2E_DIR/stderr")"
}

rm "$E2E_DIR/pictext.ini"
expect_failure "missing pictext.ini" "$E2E_DIR/pictext.ini: cannot be read"

printf '[1.a]\r\n[2.b]\r\n[33.c]\r\n' > "$E2E_DIR/pictext.ini"
expect_failure "record 33" "$E2E_DIR/pictext.ini, line 3: "

# A Chinese user reads it in Chinese, the way the speech library chooses.
expect_failure "record 33 in Chinese" "文件 $E2E_DIR/pictext.ini 第 3 行：记录编号“33”" zh_CN.UTF-8
rm "$E2E_DIR/pictext.ini"
expect_failure "missing pictext.ini in traditional Chinese" "找不到檔案 $E2E_DIR/pictext.ini" zh_TW.UTF-8
echo "PASS"
