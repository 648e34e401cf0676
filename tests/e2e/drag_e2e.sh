#!/usr/bin/env bash
# Completes a whole picture in the real game with the mouse: presses Start,
# then repeatedly finds which piece lies on top of the pile (by its colour),
# drags it into its own cell with xdotool, and finally checks that the
# assistant character appears and leaves, and that the board shows the
# assembled picture without its grid, and that the completion is remembered.
# usage: drag_e2e.sh TUKOMI_BINARY SCREENSHOT_FOLDER
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/xvfb_session.sh"
e2e_skip_unless Xvfb xdotool import convert iconv
game=$1 shots=$2
mkdir -p "$shots"
trap e2e_stop EXIT

e2e_make_program_folder "$game" 1
e2e_start_display
e2e_start_game

# A point of plain colour inside every fixture piece, and each piece's colour there.
probe_x=54 probe_y=100
declare -A colour_of_piece
for k in $(seq 1 9); do
    colour_of_piece[$k]=$(e2e_pixel "$E2E_DIR/999/1/$k.gif" $probe_x $probe_y)
done
piece_with_colour() {
    local k
    for k in $(seq 1 9); do
        [ "${colour_of_piece[$k]}" = "$1" ] && { echo "$k"; return; }
    done
}
# True when the screen shows colour $3 at $1 $2.
shows_colour_at() {
    import -window root "$E2E_DIR/now.png" && [ "$(e2e_pixel "$E2E_DIR/now.png" "$1" "$2")" = "$3" ]
}
# True when a piece lies on top of the pile; leaves the screenshot in $1
# and the colour there in `colour`.
piece_on_pile() {
    import -window root "$1" || return 1
    colour=$(e2e_pixel "$1" $(( pile_x + probe_x )) $(( pile_y + probe_y )))
    [ -n "$(piece_with_colour "$colour")" ]
}

pile_x=$(( X + 336 )) pile_y=$(( Y + 149 ))
xdotool mousemove --sync $(( X + 336 + 57 )) $(( Y + 8 + 23 )) click 1

for step in $(seq 1 9); do
    e2e_wait_for 5 piece_on_pile "$shots/drag-step-$step.png" ||
        e2e_fail "step $step: no piece on the pile (colour $colour there)"
    piece=$(piece_with_colour "$colour")
    cell_x=$(( X + (piece - 1) % 3 * 109 )) cell_y=$(( Y + (piece - 1) / 3 * 120 ))
    # Grab the piece at the probe point, carry it halfway, then drop it 10 px
    # off its cell's corner; it follows the pointer all the way.
    xdotool mousemove --sync $(( pile_x + probe_x )) $(( pile_y + probe_y )) mousedown 1
    for to in "$(( (pile_x + cell_x) / 2 + probe_x )) $(( (pile_y + cell_y) / 2 + probe_y ))" \
              "$(( cell_x + probe_x + 10 )) $(( cell_y + probe_y - 6 ))"; do
        xdotool mousemove --sync $to
        e2e_wait_for 5 shows_colour_at $to "$colour" || e2e_fail "step $step: piece $piece does not follow the pointer"
    done
    xdotool mouseup 1
    # Snapped into its cell: its colour starts at the cell's left edge. The
    # last piece's cell lies under the character, looked for below.
    [ "$step" = 9 ] || e2e_wait_for 5 shows_colour_at $(( cell_x + 2 )) $(( cell_y + probe_y )) "$colour" ||
        e2e_fail "step $step: piece $piece did not snap into its cell"
done

# The assistant character stands over the board's lower right: the plain
# piece there now shows a figure of many colours.
character_shown() {
    import -window root "$shots/completed.png" || return 1
    colours=$(convert "$shots/completed.png" -crop "100x100+$(( X + 222 ))+$(( Y + 250 ))" -format %k info:)
    [ "$colours" -gt 20 ]
}
e2e_wait_for 15 character_shown || e2e_fail "no character over the board after completion ($colours colours there)"
# The explanation window opens above the game with the picture's text.
explanation=$(timeout 10 xdotool search --sync --onlyvisible --name '图片解释' | head -n 1)
[ -n "$explanation" ] || e2e_fail "no explanation window after completion"
# The completion is remembered in the user's data folder for the next run.
grep -qE '^1=[0-9]+$' "$XDG_DATA_HOME/tukomi/progress.ini" ||
    e2e_fail "picture 1 is not in $XDG_DATA_HOME/tukomi/progress.ini"
# When the character has gone, every cell shows its own piece.
character_gone() {
    import -window root "$shots/character-gone.png" || return 1
    for k in $(seq 1 9); do
        at=$(e2e_pixel "$shots/character-gone.png" $(( X + (k - 1) % 3 * 109 + probe_x )) $(( Y + (k - 1) / 3 * 120 + probe_y )))
        [ "$at" = "${colour_of_piece[$k]}" ] || return 1
    done
}
e2e_wait_for 15 character_gone || e2e_fail "cell $k shows $at, not piece $k (${colour_of_piece[$k]})"
# The grid's middle line no longer runs between cells 1 and 4.
read -r r g b <<<"$(e2e_pixel "$shots/character-gone.png" $(( X + 50 )) $(( Y + 120 )))"
[ "$r $g $b" != "0 0 0" ] || e2e_fail "the grid is still drawn after completion"
# Closing it gives the game back: Start piles the pieces again.
xdotool windowfocus --sync "$explanation" key Escape
explanation_closed() { ! xdotool search --onlyvisible --name '图片解释' >/dev/null 2>&1; }
e2e_wait_for 5 explanation_closed || e2e_fail "Escape did not close the explanation window"
xdotool mousemove --sync $(( X + 336 + 57 )) $(( Y + 8 + 23 )) click 1
board_emptied() {
    import -window root "$shots/after-explanation.png" || return 1
    at=$(e2e_pixel "$shots/after-explanation.png" $(( X + 50 )) $(( Y + 50 )))
    [ "$at" = "255 202 202" ]
}
e2e_wait_for 5 board_emptied || e2e_fail "Start after closing the explanation left a piece on the board ($at)"
kill -0 "$E2E_APP_PID" 2>/dev/null || e2e_fail "the game ended"
echo "PASS: nine pieces dragged into their cells, picture complete, the character came and went"
