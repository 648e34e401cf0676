#!/usr/bin/env bash
# Starts the real game under Xvfb: checks the window's title and client size,
# clicks Start and checks that the pieces went onto the pile beside the board.
# usage: startup_e2e.sh TUKOMI_BINARY SCREENSHOT_FOLDER
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/xvfb_session.sh"
e2e_skip_unless Xvfb xdotool import convert compare iconv
game=$1 shots=$2
mkdir -p "$shots"
trap e2e_stop EXIT

e2e_make_program_folder "$game" 2
e2e_start_display
e2e_start_game

title=$(xdotool getwindowname "$window")
[ "$title" = "Mibaro 1.0版" ] || e2e_fail "title is '$title'"
[ "$WIDTH" = 598 ] && [ "$HEIGHT" = 360 ] || e2e_fail "client size is ${WIDTH}x${HEIGHT}, not 598x360"
# Centred on the 1024 x 768 screen.
[ "$X" = $(( (1024 - 598) / 2 )) ] || e2e_fail "window not centred: x = $X"

import -window root "$shots/before-start.png"
# Where the pile will be: left of the Start button, three button heights down.
pile_x=$(( X + 336 + 54 )) pile_y=$(( Y + 149 + 100 ))
read -r r g b <<<"$(e2e_pixel "$shots/before-start.png" "$pile_x" "$pile_y")"
[ "$r $g $b" = "255 202 202" ] || e2e_fail "before Start the pile place shows $r $g $b, not the background"

# Click the middle of the Start button: a piece lies on the pile, and the
# grid's top line runs along the top of the empty board.
xdotool mousemove --window "$window" $(( 336 + 57 )) $(( 8 + 23 )) click 1
started() {
    import -window root "$shots/after-start.png" &&
        [ "$(e2e_pixel "$shots/after-start.png" "$pile_x" "$pile_y")" != "255 202 202" ] &&
        [ "$(e2e_pixel "$shots/after-start.png" $(( X + 150 )) "$Y")" = "0 0 0" ]
}
e2e_wait_for 5 started || e2e_fail "after Start: the pile shows $(e2e_pixel "$shots/after-start.png" "$pile_x" "$pile_y"), the board's top $(e2e_pixel "$shots/after-start.png" $(( X + 150 )) "$Y")"
changed=$(compare -metric AE "$shots/before-start.png" "$shots/after-start.png" null: 2>&1)
[ "${changed%% *}" -gt 20000 ] || e2e_fail "only $changed pixels changed after Start"

kill -0 "$E2E_APP_PID" 2>/dev/null || e2e_fail "the game ended after Start"
echo "PASS: window $title ${WIDTH}x${HEIGHT}; $changed pixels changed after Start"
