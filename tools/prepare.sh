#!/usr/bin/env bash
# Shared by ./run and ./test: installs the Debian packages that are missing, then configures and builds build/.
set -euo pipefail

# dbus-daemon, at-spi2-core and python3-pyatspi let the accessibility test read the window as a screen reader
# does; dpkg-dev, lintian, appstream and desktop-file-utils build, check and install the Debian package in the
# package test (tests/install).
packages=(qt6-base-dev qt6-translations-l10n libcurl4-openssl-dev ninja-build cmake g++ xvfb xauth fonts-noto-cjk openbox
    dbus-daemon at-spi2-core python3-pyatspi dpkg-dev lintian appstream desktop-file-utils)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if ((${#missing[@]})); then
    echo "Installing missing packages: ${missing[*]}"
    if [ "$(id -u)" -eq 0 ]; then
        sudo_cmd=()
    elif command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
        sudo_cmd=(sudo)
    else
        echo "Cannot install packages: not root and sudo is unavailable." >&2
        echo "Please install them yourself: apt-get install ${missing[*]}" >&2
        exit 1
    fi
    export DEBIAN_FRONTEND=noninteractive
    "${sudo_cmd[@]}" apt-get update -qq
    "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build"
if [ ! -f "$build/build.ninja" ]; then
    # No test runs the development programs or the benchmark, so ./run and ./test build without them.
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQINGHE_BUILD_TOOLS=OFF -DQINGHE_BUILD_BENCH=OFF
fi
cmake --build "$build"
