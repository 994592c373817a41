#!/usr/bin/env bash
# Builds the Debian package: a Release build for any x86-64 machine in build/package (or the
# folder given), and the package CPack makes of it there, korvale_<version>-1_<arch>.deb.
# Install it with `apt install ./build/package/korvale_*.deb`.
#
# The files' times in the package are those of the last commit, or of the Debian changelog's
# entry outside a git checkout (SOURCE_DATE_EPOCH, unless it is set already), and nothing else of the build's time or place goes in: the same commit gives the
# same package bytes wherever it is built (scripts/check_reproducible.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/package}
scripts/install_dependencies.sh

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
    SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null ||
        dpkg-parsechangelog -l packaging/debian/changelog -S Timestamp)
    export SOURCE_DATE_EPOCH
fi
launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
# Ninja for a new build folder; one made before keeps the generator it was made with.
export CMAKE_GENERATOR=${CMAKE_GENERATOR:-Ninja}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DKORVALE_BUILD_BENCH=OFF \
    "${launcher[@]}" >/dev/null
# Only what the package holds: the tests are not needed for it.
cmake --build "$build" -j "$(nproc)" --target korvale korvale-batch korvale_package_files
rm -f "$build"/korvale_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
realpath "$build"/korvale_*.deb
