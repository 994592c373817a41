#!/usr/bin/env bash
# The engine's speed in the browser: builds the page (scripts/web.sh), then drives its benchmark
# page in Debian's headless chromium beside the native korvale-batch on the same games, and
# prints the medians against the goals (the figures also in build/web/bench.json).
#   scripts/web_bench.sh [--runs R] [--games N] [--seed S] [--out FILE]   (web/tools/run_bench.mjs)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
case " $* " in *" --help "* | *" -h "*) exec node "$root/web/tools/run_bench.mjs" --help ;; esac

"$root/scripts/web.sh" --build-only --for-tests
[ -d "$root/web/node_modules/playwright-core" ] ||
    (cd "$root/web" && npm ci --no-audit --no-fund --loglevel=error)
# The native reference: the release build's korvale-batch, built when the folder has none.
if [ ! -x "$root/build/release/batch/korvale-batch" ]; then
    cmake -S "$root" -B "$root/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$root/build/release" -j "$(nproc)" --target korvale-batch
fi
exec node "$root/web/tools/run_bench.mjs" "$@"
