# Helpers for end-to-end tests: a private X display, a fixture program
# folder, and reading pixels from screenshots. Source this file.

# In sanitizer builds, leaks of system libraries are not ours to report.
export LSAN_OPTIONS="suppressions=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"

# Runs COMMAND [ARGS...] every tenth of a second until it succeeds; fails
# when it has not after SECONDS (a whole number).
e2e_wait_for() {
    local seconds=$1
    shift
    local deadline=$(( $(date +%s) + seconds ))
    until "$@"; do
        [ "$(date +%s)" -lt "$deadline" ] || return 1
        sleep 0.1
    done
}

e2e_skip_unless() {
    for tool in "$@"; do
        command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
    done
}

# Starts Xvfb on the first free display and exports DISPLAY. The screen is
# 1024 x 768 unless another size (WIDTHxHEIGHT) is given.
e2e_start_display() {
    local n size=${1:-1024x768}
    export XDG_RUNTIME_DIR XDG_DATA_HOME XDG_CONFIG_HOME
    XDG_RUNTIME_DIR=$(mktemp -d)
    # What the programs remember (the pictures completed, the window's size,
    # the voice settings) stays in the test, in folders a test may have
    # chosen itself.
    XDG_DATA_HOME=${E2E_DIR:+$E2E_DIR/data}
    XDG_DATA_HOME=${XDG_DATA_HOME:-$XDG_RUNTIME_DIR/data}
    XDG_CONFIG_HOME=${E2E_DIR:+$E2E_DIR/config}
    XDG_CONFIG_HOME=${XDG_CONFIG_HOME:-$XDG_RUNTIME_DIR/config}
    for n in $(seq 90 130); do
        [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
        Xvfb ":$n" -screen 0 "${size}x24" -nolisten tcp >/dev/null 2>&1 &
        E2E_XVFB_PID=$!
        e2e_wait_for 5 test -e "/tmp/.X11-unix/X$n"
        if kill -0 "$E2E_XVFB_PID" 2>/dev/null; then
            export DISPLAY=":$n"
            return 0
        fi
    done
    echo "FAIL: no free X display" >&2
    exit 1
}

e2e_stop() {
    [ -n "${E2E_APP_PID:-}" ] && kill "$E2E_APP_PID" 2>/dev/null && wait "$E2E_APP_PID" 2>/dev/null
    [ -n "${E2E_XVFB_PID:-}" ] && kill "$E2E_XVFB_PID" 2>/dev/null && wait "$E2E_XVFB_PID" 2>/dev/null
    [ -n "${E2E_DIR:-}" ] && rm -rf "$E2E_DIR"
    [ -n "${XDG_RUNTIME_DIR:-}" ] && [ "${XDG_RUNTIME_DIR#/tmp/tmp.}" != "$XDG_RUNTIME_DIR" ] && rm -rf "$XDG_RUNTIME_DIR"
    return 0
}

# Makes a program folder in $E2E_DIR with a copy of the game and N fixture
# pictures whose nine pieces differ from each other.
e2e_make_program_folder() {
    local game=$1 pictures=$2 n k
    E2E_DIR=$(mktemp -d)
    cp "$game" "$E2E_DIR/tukomi"
    cp "$(dirname "$game")/../share/tukomi/merlin.acs" "$E2E_DIR/" || e2e_fail "no merlin.acs beside $game"
    for n in $(seq 1 "$pictures"); do
        mkdir -p "$E2E_DIR/999/$n"
        for k in $(seq 1 9); do
            convert -size 109x120 "xc:hsl($(( (k * 40 + n * 7) % 360 )),80%,45%)" \
                -fill white -draw "rectangle 10,10 $(( 10 + k * 9 )),30" "$E2E_DIR/999/$n/$k.gif"
        done
    done
    printf '; picture texts\r\n[1.小猫]\r\n[2.小狗]\r\n' | iconv -f UTF-8 -t GBK > "$E2E_DIR/pictext.ini"
}

# True once the game's window `window` has painted itself: its bottom-right
# corner, which no control covers at any size, shows the background's pink.
# Sets X, Y, WIDTH and HEIGHT from the window's geometry.
e2e_window_painted() {
    eval "$(xdotool getwindowgeometry --shell "$window")"
    import -window root "$E2E_DIR/painted.png" 2>/dev/null &&
        [ "$(e2e_pixel "$E2E_DIR/painted.png" $(( X + WIDTH - 2 )) $(( Y + HEIGHT - 2 )))" = "255 202 202" ]
}

# Waits for the game's main window, started as E2E_APP_PID, to show and
# paint itself; sets `window`, X, Y, WIDTH and HEIGHT.
e2e_wait_for_game_window() {
    window=$(timeout 20 xdotool search --sync --onlyvisible --name 'Mibaro' | head -n 1)
    [ -n "$window" ] || e2e_fail "no window appeared; stderr: $(cat "$E2E_DIR/stderr")"
    e2e_wait_for 10 e2e_window_painted || e2e_fail "the window did not paint itself"
}

# Starts the game of the program folder and waits for its main window; sets
# `window` and, from its geometry, X, Y, WIDTH and HEIGHT.
e2e_start_game() {
    "$E2E_DIR/tukomi" 2>"$E2E_DIR/stderr" &
    E2E_APP_PID=$!
    e2e_wait_for_game_window
}

# Prints "R G B" of the pixel at X Y of a screenshot.
e2e_pixel() {
    convert "$1" -format "%[fx:int(255*p{$2,$3}.r)] %[fx:int(255*p{$2,$3}.g)] %[fx:int(255*p{$2,$3}.b)]" info:
}

e2e_fail() {
    echo "FAIL: $*" >&2
    exit 1
}
