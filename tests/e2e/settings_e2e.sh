#!/usr/bin/env bash
# lenvoro-say --settings under Xvfb: the voice settings dialog opens in a
# window of its own; Esc closes it storing nothing, OK stores the default voice
# and rate, and the next reading uses the stored rate.
# usage: settings_e2e.sh LENVORO_SAY_BINARY
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/xvfb_session.sh"
e2e_skip_unless Xvfb xdotool soxi
say=$1
trap e2e_stop EXIT
E2E_DIR=$(mktemp -d)
export XDG_CONFIG_HOME=$E2E_DIR/config LANG=C LC_ALL= LANGUAGE=
settings=$XDG_CONFIG_HOME/lenvoro/engine.ini
e2e_start_display

# Opens the dialog, presses KEY in it and prints the exit status.
press_in_dialog() {
    "$say" --settings 2>"$E2E_DIR/stderr" &
    local pid=$! dialog status=0
    dialog=$(timeout 20 xdotool search --sync --onlyvisible --name 'Voice Setting' | head -n 1)
    [ -n "$dialog" ] || { kill "$pid"; e2e_fail "no settings dialog: $(cat "$E2E_DIR/stderr")"; }
    xdotool windowfocus --sync "$dialog" key "$1"
    timeout 10 tail --pid="$pid" -f /dev/null || { kill "$pid"; e2e_fail "the dialog did not close on $1"; }
    wait "$pid" || status=$?
    echo "$status"
}

status=$(press_in_dialog Escape)
[ "$status" = 0 ] || e2e_fail "Esc: exit status $status"
[ ! -e "$settings" ] || e2e_fail "Esc stored settings"

status=$(press_in_dialog Return)
[ "$status" = 0 ] || e2e_fail "OK: exit status $status"
grep -qi '^DefaultTTSRate=' "$settings" || e2e_fail "OK stored no rate: $(cat "$settings" 2>/dev/null)"

# The stored rate is what the next reading uses: the fastest rate reads the
# same text in well under half the time of the slowest.
text="Hello, this is a short sentence for the stored rate."
sed -i 's/^DefaultTTSRate=.*/DefaultTTSRate=10/I' "$settings"
LENVORO_AUDIO=null "$say" -w "$E2E_DIR/fast.wav" "$text" || e2e_fail "writing at the stored rate 10 failed"
sed -i 's/^DefaultTTSRate=.*/DefaultTTSRate=-10/I' "$settings"
LENVORO_AUDIO=null "$say" -w "$E2E_DIR/slow.wav" "$text" || e2e_fail "writing at the stored rate -10 failed"
fast=$(soxi -D "$E2E_DIR/fast.wav") slow=$(soxi -D "$E2E_DIR/slow.wav")
awk -v f="$fast" -v s="$slow" 'BEGIN { exit !(s > 2 * f) }' ||
    e2e_fail "the stored rate is not used: $fast s at rate 10, $slow s at rate -10"
echo "PASS: dialog closed by Esc and OK; stored rate used ($fast s fast, $slow s slow)"
