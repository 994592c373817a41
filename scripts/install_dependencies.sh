#!/usr/bin/env bash
# Installs the Debian packages that are missing, with apt-get (as root, or through sudo).
#   scripts/install_dependencies.sh              everything: the build, the tests, the window and
#                                                the web page
#   scripts/install_dependencies.sh --web        only what builds and serves the web page
#   scripts/install_dependencies.sh --web-tests  that and what the page's tests drive
set -euo pipefail

web=(cmake ninja-build emscripten)
web_tests=(chromium fonts-ipafont-gothic)
everything=(
    cmake g++ make ninja-build mold pkg-config
    libgtest-dev googletest libbenchmark-dev
    qt6-base-dev qt6-charts-dev libqt6opengl6-dev libgl-dev qt6-translations-l10n
    libcli11-dev nlohmann-json3-dev libfmt-dev
    fonts-ipafont-gothic
    universal-ctags
    xvfb xauth
    dpkg-dev desktop-file-utils appstream man-db lintian
    "${web[@]}" "${web_tests[@]}"
)

case "${1:-}" in
    "") packages=("${everything[@]}") ;;
    --web) packages=("${web[@]}") ;;
    --web-tests) packages=("${web[@]}" "${web_tests[@]}") ;;
    *) echo "install_dependencies.sh: unknown option $1" >&2; exit 2 ;;
esac
# The web page's build and tests run under Node (the tests' playwright-core comes from npm):
# Debian's, unless the machine has a Node.js of its own.
if ! command -v node >/dev/null || ! command -v npm >/dev/null; then
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
