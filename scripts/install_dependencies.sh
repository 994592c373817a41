#!/usr/bin/env bash
# Installs the Debian packages the build, the tests, the window and the web page need, when any
# is missing.
# Runs apt-get as root, or through sudo otherwise.
set -euo pipefail

packages=(
    cmake g++ make ninja-build mold pkg-config
    libgtest-dev googletest libbenchmark-dev
    qt6-base-dev qt6-charts-dev libqt6opengl6-dev libgl-dev qt6-translations-l10n
    libcli11-dev nlohmann-json3-dev libfmt-dev
    fonts-ipafont-gothic
    universal-ctags
    xvfb xauth
    dpkg-dev desktop-file-utils appstream man-db lintian
    emscripten chromium
)
# The web page's tests run playwright-core (from npm, web/package-lock.json) with Node's npm:
# Debian's, unless the machine has a Node.js of its own.
if ! command -v npm >/dev/null; then
    packages+=(nodejs npm)
fi

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
    sudo=()
else
    sudo=(sudo)
fi
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" >/dev/null
