#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test twice: a normal build with warnings
# as errors, and a build with AddressSanitizer and UndefinedBehaviorSanitizer; between the two,
# the web page: its engine built with emscripten and the page's tests in headless chromium.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install_dependencies.sh

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen
# Ninja for new build folders; one made before keeps the generator it was made with.
export CMAKE_GENERATOR=Ninja

echo "== Release build, warnings as errors"
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DKORVALE_WERROR=ON >/dev/null
cmake --build build/release -j "$jobs"
ctest --test-dir build/release --output-on-failure -j "$jobs"

echo "== Release pass done after ${SECONDS} s"

echo "== Web page: the engine built by emscripten, warnings as errors; the page driven in chromium"
# Debian's em++ runs its tools under the machine's Node, which finds Debian's modules only here.
export NODE_PATH=/usr/share/nodejs
emcmake cmake -S . -B build/web -DCMAKE_BUILD_TYPE=Release -DKORVALE_WERROR=ON >/dev/null
web/run_tests.sh
echo "== Web pass done after ${SECONDS} s"

echo "== Sanitizer build (AddressSanitizer, UndefinedBehaviorSanitizer)"
# -O1 and line tables only: what the sanitizers need for their reports, built in far less time.
cmake -S . -B build/sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVALE_WERROR=ON \
    -DKORVALE_SANITIZE=ON "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1 -DNDEBUG" >/dev/null
cmake --build build/sanitize -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build/sanitize --output-on-failure -j "$jobs"
echo "== Sanitizer pass done after ${SECONDS} s"
