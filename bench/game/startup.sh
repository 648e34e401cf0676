#!/usr/bin/env bash
# Times the game from process start to its first painted frame against a
# minimal Qt Widgets window of the same size, both under one Xvfb display and
# in alternation, so both see the same machine load.
# usage: bench/game/startup.sh [BUILD_DIR] [RUNS]
#   COMPARE_WITH=/other/bin/tukomi also times another build of the game in the
#   same run (for example one without a feature, to see what it costs).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build}
runs=${2:-30}
game=$build/bin/tukomi
minimal=$build/bench/minimal_window
[ -x "$game" ] && [ -x "$minimal" ] || {
    echo "build first: CMAKE_OPTIONS=-DLENVORO_BENCH=ON scripts/build tukomi minimal_window" >&2
    exit 1
}

for n in $(seq 150 190); do [ -e "/tmp/.X11-unix/X$n" ] || break; done
Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null' EXIT
export DISPLAY=":$n" XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
sleep 1

time_ms() {
    local t0 t1
    t0=$(date +%s%N)
    "$@" >/dev/null 2>&1
    t1=$(date +%s%N)
    echo $(( (t1 - t0) / 1000 ))
}

median() { sort -n | awk '{a[NR]=$1} END {print (NR % 2 ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2)}'; }

# One warm-up each, so that both start from a warm file cache.
time_ms "$game" --quit-after-first-frame >/dev/null
time_ms "$minimal" >/dev/null
game_times=() minimal_times=() text_times=() other_times=()
for _ in $(seq "$runs"); do
    game_times+=("$(time_ms "$game" --quit-after-first-frame)")
    [ -n "${COMPARE_WITH:-}" ] && other_times+=("$(time_ms "$COMPARE_WITH" --quit-after-first-frame)")
    minimal_times+=("$(time_ms "$minimal")")
    text_times+=("$(time_ms "$minimal" --with-text)")
done
g=$(printf '%s\n' "${game_times[@]}" | median)
m=$(printf '%s\n' "${minimal_times[@]}" | median)
t=$(printf '%s\n' "${text_times[@]}" | median)
awk -v g="$g" -v m="$m" -v t="$t" -v r="$runs" 'BEGIN {
    printf "runs: %d each, medians of start to first frame and exit\n", r
    printf "minimal Qt window:                 %6.1f ms\n", m / 1000
    printf "minimal Qt window with one label:  %6.1f ms\n", t / 1000
    printf "tukomi:                            %6.1f ms\n", g / 1000
    printf "tukomi / minimal window:           %6.2f\n", g / m
    printf "tukomi / window with one label:    %6.2f\n", g / t
}'
if [ -n "${COMPARE_WITH:-}" ]; then
    o=$(printf '%s\n' "${other_times[@]}" | median)
    awk -v o="$o" -v g="$g" 'BEGIN { printf "compared build:                    %6.1f ms (tukomi - compared: %+.1f ms)\n", o / 1000, (g - o) / 1000 }'
fi
