#!/usr/bin/env bash
# Soak: runs the program under Xvfb, each run kind for a while, sampling the process's memory.
# Usage: bench/soak.sh [seconds per run kind, default 600] [display number, default 77]
#        [seconds between samples, default 30] [run kinds, default "per-mode attempts"]
# A per-mode run reaches its 32-bit limit after about a minute and a half and ends with a
# message box; soak the attempt run on its own then.
# Prints one line per sample: run kind, seconds, resident memory in kB.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
display=:${2:-77}
interval=${3:-30}

Xvfb "$display" -screen 0 1280x1024x24 >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$app" "$xvfb" 2>/dev/null || true' EXIT
sleep 1
export DISPLAY=$display
build/release/app/korvale >/dev/null 2>&1 &
app=$!
sleep 2
window=$(xdotool search --sync --onlyvisible --name 'Korvale' | head -1)
# Controls by their place in the window (pixels = twips / 15).
eval "$(xdotool getwindowgeometry --shell "$window")"
click() { xdotool mousemove $((X + $1)) $((Y + $2)) click 1; }
start() { click 44 32; }
stop() { click 44 76; }

soak() {
    local kind=$1
    start
    for ((t = 0; t <= seconds; t += interval)); do
        rss=$(awk '/VmRSS/ {print $2}' "/proc/$app/status")
        echo "$kind $t $rss"
        [ "$t" -lt "$seconds" ] && sleep "$interval"
    done
    stop
    sleep 1
}

for kind in ${4:-per-mode attempts}; do
    [ "$kind" = attempts ] && click 88 132  # opt(1), the attempt run
    soak "$kind"
done
