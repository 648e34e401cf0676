#!/usr/bin/env bash
# The real game on a 1920 x 1080 screen: Ctrl + and Ctrl - step the window's
# size, F11 fills the screen with the layout three times as large, where a
# piece dragged with the mouse still snaps into its cell; the next start
# opens full screen again.
# usage: zoom_e2e.sh TUKOMI_BINARY SCREENSHOT_FOLDER
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/xvfb_session.sh"
e2e_skip_unless Xvfb xdotool import convert iconv
game=$1 shots=$2
mkdir -p "$shots"
trap e2e_stop EXIT

e2e_make_program_folder "$game" 1
e2e_start_display 1920x1080
e2e_start_game

has_size() {
    eval "$(xdotool getwindowgeometry --shell "$window")"
    [ "$WIDTH" = "$1" ] && [ "$HEIGHT" = "$2" ]
}
expect_size() {
    local what=$1 width=$2 height=$3
    e2e_wait_for 5 has_size "$width" "$height" ||
        e2e_fail "$what: the window is ${WIDTH}x$HEIGHT, not ${width}x$height"
    echo "ok: $what -> ${WIDTH}x$HEIGHT"
}
# True when the screen shows colour $3 at $1 $2.
shows_colour_at() {
    import -window root "$E2E_DIR/now.png" && [ "$(e2e_pixel "$E2E_DIR/now.png" "$1" "$2")" = "$3" ]
}
# The keyboard goes to the window the pointer clicked, here its empty middle.
xdotool mousemove --sync $(( X + 460 )) $(( Y + 220 )) click 1
xdotool key ctrl+equal
expect_size "Ctrl +" 748 450
xdotool key ctrl+minus
expect_size "Ctrl -" 598 360
xdotool key F11
expect_size "F11" 1920 1080
grep -q '^mode=fullscreen$' "$XDG_CONFIG_HOME/tukomi/window.ini" || e2e_fail "full screen is not remembered"

# Three times as large, 63 pixels in from the left: Start, then the piece on
# top of the pile into its own cell, let go 20 pixels off its corner.
xdotool mousemove --sync $(( 63 + 1008 + 171 )) $(( 24 + 70 )) click 1
pile_x=$(( 63 + 1008 )) pile_y=447 probe_x=162 probe_y=300
piece_on_pile() {
    import -window root "$shots/zoom-started.png" || return 1
    colour=$(e2e_pixel "$shots/zoom-started.png" $(( pile_x + probe_x )) $(( pile_y + probe_y )))
    piece=
    for k in $(seq 1 9); do
        [ "$(e2e_pixel "$E2E_DIR/999/1/$k.gif" 54 100)" = "$colour" ] && piece=$k
    done
    [ -n "$piece" ]
}
e2e_wait_for 5 piece_on_pile || e2e_fail "no piece on the pile (colour $colour there)"
cell_x=$(( 63 + (piece - 1) % 3 * 327 )) cell_y=$(( (piece - 1) / 3 * 360 ))
xdotool mousemove --sync $(( pile_x + probe_x )) $(( pile_y + probe_y )) mousedown 1
for to in "$(( cell_x + probe_x + 200 )) $(( cell_y + probe_y + 100 ))" \
          "$(( cell_x + probe_x + 20 )) $(( cell_y + probe_y + 20 ))"; do
    xdotool mousemove --sync $to
    e2e_wait_for 5 shows_colour_at $to "$colour" || e2e_fail "piece $piece does not follow the pointer"
done
xdotool mouseup 1
# Snapped: the piece's colour starts at the cell's left edge and ends at its right.
e2e_wait_for 5 shows_colour_at $(( cell_x + 2 )) $(( cell_y + probe_y )) "$colour" ||
    e2e_fail "piece $piece did not snap into its cell"
import -window root "$shots/zoom-dropped.png"
[ "$(e2e_pixel "$shots/zoom-dropped.png" $(( cell_x + 327 + 10 )) $(( cell_y + probe_y )))" != "$colour" ] ||
    e2e_fail "piece $piece lies 20 pixels off its cell"
echo "ok: piece $piece snapped into its cell at three times the size"

# The next start opens the way this one was left.
kill "$E2E_APP_PID"
wait "$E2E_APP_PID" 2>/dev/null
e2e_start_game
expect_size "next start" 1920 1080
echo "PASS"
