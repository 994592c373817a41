#!/usr/bin/env bash
# Installs what is missing, builds the programs and starts the simulator window. Without a
# display it says so and runs a short korvale-batch demo instead.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install_dependencies.sh

cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release -j "$(nproc)"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display found: running a short korvale-batch demo instead of the window."
    exec build/release/batch/korvale-batch simulate normal --setting 6 --games 50000000 --seed 1
fi
exec build/release/app/korvale "$@"
