#!/usr/bin/env bash
# Installs what is missing, builds the programs and starts the simulator window.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install_dependencies.sh

cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release -j "$(nproc)"

if [ ! -x build/release/app/korvale ]; then
    echo "Built the machine model; the window is not part of this build yet."
    exit 0
fi
exec build/release/app/korvale "$@"
