#!/usr/bin/env bash
# Chooses pictures in the real game: the next and previous buttons (with
# wrap-around), a list entry and a number typed into the number box, each
# time checking the board's first cell by screenshot and the caption.
# usage: navigation_e2e.sh TUKOMI_BINARY SCREENSHOT_FOLDER
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/xvfb_session.sh"
e2e_skip_unless Xvfb xdotool import convert iconv
game=$1 shots=$2
mkdir -p "$shots"
trap e2e_stop EXIT

e2e_make_program_folder "$game" 3
e2e_start_display
e2e_start_game

probe_x=54 probe_y=100
# True when the board's first cell shows picture $2's and the caption is $3;
# leaves what it saw in `got` and `title`.
shows_picture() {
    local shot=$1 picture=$2 caption=$3
    import -window root "$shot" || return 1
    got=$(e2e_pixel "$shot" $(( X + probe_x )) $(( Y + probe_y )))
    title=$(xdotool getwindowname "$window")
    [ "$got" = "$(e2e_pixel "$E2E_DIR/999/$picture/1.gif" $probe_x $probe_y)" ] && [ "$title" = "$caption" ]
}
expect_picture() {
    local what=$1 picture=$2 caption=$3 got title
    e2e_wait_for 5 shows_picture "$shots/navigation-$1.png" "$picture" "$caption" ||
        e2e_fail "$what: the board shows $got, not picture $picture's $(e2e_pixel "$E2E_DIR/999/$picture/1.gif" $probe_x $probe_y); caption '$title', not '$caption'"
    echo "ok: $what -> picture $picture"
}
click() { xdotool mousemove --sync $(( X + $1 )) $(( Y + $2 )) click 1; }

next_button="$(( 336 + 57 )) $(( 56 + 23 ))"
previous_button="$(( 336 + 57 )) $(( 104 + 24 ))"

click $next_button
expect_picture next 2 "Mibaro 1.0版  文字解释：小狗"
click $previous_button
click $previous_button
expect_picture previous-wraps 3 "Mibaro 1.0版  文字解释："
# The list's first entry (the list starts at 456, 8).
click $(( 456 + 40 )) $(( 8 + 8 ))
expect_picture list 1 "Mibaro 1.0版  文字解释：小猫"
# Type 2 into the number box (at 376, 272): the caption stays.
click $(( 376 + 20 )) $(( 272 + 12 ))
xdotool key --clearmodifiers ctrl+a type 2
expect_picture typed 2 "Mibaro 1.0版  文字解释：小猫"
kill -0 "$E2E_APP_PID" 2>/dev/null || e2e_fail "the game ended"
echo "PASS"
