#!/usr/bin/env bash
# Soak: runs the window under Xvfb, each run kind for a while, sampling the process's memory.
# A run that reaches its 32-bit limit ends with a message box (the per-mode run after about a
# minute and a half, the attempt run after some seconds); the soak closes the box and presses
# Start again, so each run kind keeps playing for the whole time. Every Start empties the grid,
# so memory should rise with the grid's rows within a run and come back to the same level
# from one run to the next.
# Usage: bench/soak.sh [seconds per run kind, default 600] [display number, default 77]
#        [seconds between samples, default 15] [run kinds, default "per-mode attempts"]
# Prints one line per sample: run kind, seconds, resident memory, and how many Starts so far.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
display=:${2:-77}
interval=${3:-15}

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
    local kind=$1 restarts=0
    start
    for ((t = 0; t <= seconds; t += interval)); do
        rss=$(awk '/VmRSS/ {print $2}' "/proc/$app/status")
        echo "$kind ${t}s rss=${rss}kB starts=$((restarts + 1))"
        [ "$t" -ge "$seconds" ] && break
        sleep "$interval"
        # A message box after a limit: close it, then Start again. While a run goes on, Start
        # is disabled and the click does nothing.
        if [ "$(xdotool search --onlyvisible --name 'Korvale' | wc -l)" -gt 1 ]; then
            xdotool key Return
            sleep 0.5
            start
            restarts=$((restarts + 1))
        fi
    done
    stop
    sleep 1
}

for kind in ${4:-per-mode attempts}; do
    [ "$kind" = attempts ] && click 88 132  # opt(1), the attempt run
    soak "$kind"
done
