#!/usr/bin/env bash
# The explanation window with the real speech library: the game from the
# build tree (its own pictures, the library in ../lib) completes picture 1 by
# a click, the explanation window opens, and a click on its machine-reading
# picture makes the library read the text: the capture output then holds
# seconds of new sound (the file is started afresh when every earlier output
# has closed, so new sound is either added to it or makes up all of it).
# usage: explanation_e2e.sh TUKOMI_BINARY SCREENSHOT_FOLDER
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/xvfb_session.sh"
e2e_skip_unless Xvfb xdotool import convert compare soxi sox
game=$1 shots=$2
mkdir -p "$shots"
trap e2e_stop EXIT
E2E_DIR=$(mktemp -d)
said=$E2E_DIR/said.wav
export LENVORO_AUDIO="capture:$said" LANG=C.UTF-8 LC_ALL=
e2e_start_display

"$game" 2>"$E2E_DIR/stderr" &
E2E_APP_PID=$!
e2e_wait_for_game_window

# A click on a piece of the assembled picture completes it.
board="327x360+$X+$Y"
import -window root -crop "$board" "$E2E_DIR/board-before.png"
xdotool mousemove --sync $(( X + 50 )) $(( Y + 50 )) click 1
form2=$(timeout 10 xdotool search --sync --onlyvisible --name '图片解释' | head -n 1)
[ -n "$form2" ] || e2e_fail "no explanation window; stderr: $(cat "$E2E_DIR/stderr")"
eval "$(xdotool getwindowgeometry --shell "$form2" | sed 's/^/FORM2_/')"
[ "$FORM2_WIDTH" = 672 ] && [ "$FORM2_HEIGHT" = 106 ] || e2e_fail "explanation window is ${FORM2_WIDTH}x${FORM2_HEIGHT}"
[ $(( FORM2_Y + FORM2_HEIGHT )) -le "$Y" ] || e2e_fail "the explanation window is not above the game"

# Let the helper character finish saying the recording: it comes over the
# board, and once it has left, the board looks as it did before and its sound
# output is closed.
pixels_changed_on_board() {
    import -window root -crop "$board" "$E2E_DIR/board-now.png" || return 1
    # compare's status tells whether the pictures differ; the count says it too.
    changed=$(compare -metric AE "$E2E_DIR/board-before.png" "$E2E_DIR/board-now.png" null: 2>&1)
    [ -n "$changed" ]
}
character_shown() { pixels_changed_on_board && [ "${changed%% *}" != 0 ]; }
character_gone() { pixels_changed_on_board && [ "${changed%% *}" = 0 ]; }
e2e_wait_for 15 character_shown || e2e_fail "no helper character over the board"
e2e_wait_for 15 character_gone || e2e_fail "the helper character did not leave the board"
before=$(soxi -D "$said" 2>/dev/null || echo 0)
changed_before=$(stat -c %Y.%s "$said" 2>/dev/null || echo none)
import -window root "$shots/explanation.png"
# The machine-reading picture: 616, 48, 56 x 56 in the window.
xdotool mousemove --sync $(( FORM2_X + 644 )) $(( FORM2_Y + 73 )) click 1
# Read for more than 0.8 s: added to the capture, or all of a new one. An
# unchanged file is neither, however long it is.
capture_changed() { [ "$(stat -c %Y.%s "$said" 2>/dev/null)" != "$changed_before" ]; }
read_aloud() {
    capture_changed || return 1
    after=$(soxi -D "$said" 2>/dev/null || echo 0)
    new=$(awk -v a="$after" -v b="$before" 'BEGIN { print (a > b ? a - b : a) }')
    awk -v n="$new" 'BEGIN { exit !(n > 0.8) }'
}
e2e_wait_for 15 read_aloud
capture_changed ||
    e2e_fail "the library read nothing: the capture did not change; stderr: $(cat "$E2E_DIR/stderr")"
read_aloud || e2e_fail "the library read too little: capture went from $before s to $after s"
# What was added is speech, not silence.
rms=$(sox "$said" -n trim "-$new" stat 2>&1 | awk '/RMS +amplitude/ { print $3 }')
awk -v r="$rms" 'BEGIN { exit !(r > 0.01) }' || e2e_fail "the reading is silent (RMS $rms)"

xdotool windowfocus --sync "$form2" key Escape
explanation_closed() { ! xdotool search --onlyvisible --name '图片解释' >/dev/null 2>&1; }
e2e_wait_for 5 explanation_closed || e2e_fail "Esc did not close the explanation window"
kill -0 "$E2E_APP_PID" 2>/dev/null || e2e_fail "the game ended"
echo "PASS: machine reading gave $new s of speech (RMS $rms)"
