#!/usr/bin/env bash
# The web page in one command: installs what is missing (Debian's emscripten, cmake, ninja, Node),
# builds the engine with emscripten, builds the site and serves it on this machine.
#   scripts/web.sh [--lan] [--port N]   build, then serve (--lan: to the local network too)
#   scripts/web.sh --build-only        build build/web/site and build/web/korvale.html, no server
#   scripts/web.sh --for-tests ...     also installs chromium, which the page's tests drive
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

serve=1
needs=--web
serve_args=()
while [ $# -gt 0 ]; do
    case "$1" in
        --build-only) serve=0 ;;
        --for-tests) needs=--web-tests ;;
        --lan) serve_args+=(--lan) ;;
        --port)
            [ $# -ge 2 ] || { echo "web.sh: --port needs a number" >&2; exit 2; }
            serve_args+=(--port "$2")
            shift ;;
        -h|--help) sed -n '2,7p' "$0"; exit 0 ;;
        *) echo "web.sh: unknown option $1 (see --help)" >&2; exit 2 ;;
    esac
    shift
done
"$root/scripts/install_dependencies.sh" "$needs"

# Debian's em++ runs its tools under the machine's Node, which finds Debian's modules only here.
[ -d /usr/share/nodejs ] && export NODE_PATH=/usr/share/nodejs

build="$root/build/web"
[ -f "$build/CMakeCache.txt" ] ||
    emcmake cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j "$(nproc)" --target korvale_engine
node "$root/web/tools/build_site.mjs" --engine "$build/web/korvale_engine.js" --out "$build"

[ "$serve" -eq 1 ] || exit 0
exec node "$root/web/tools/serve.mjs" --root "$build/site" "${serve_args[@]}"
