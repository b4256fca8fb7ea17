#!/usr/bin/env bash
# Shared by ./run and ./test: installs the Debian packages that are missing, then configures and builds build/.
# "prepare.sh program" (./run) builds the program alone; "prepare.sh all" (./test) builds every target, the
# benchmark and the development programs included, so that a change that breaks them fails the tests.
set -euo pipefail
what=${1:-all}
case "$what" in
program | all) ;;
*)
    echo "usage: tools/prepare.sh [program|all]" >&2
    exit 2
    ;;
esac

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
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQINGHE_BUILD_TOOLS=ON -DQINGHE_BUILD_BENCH=ON
elif [ "$what" = all ] && ! { grep -qx 'QINGHE_BUILD_TOOLS:BOOL=ON' "$build/CMakeCache.txt" \
    && grep -qx 'QINGHE_BUILD_BENCH:BOOL=ON' "$build/CMakeCache.txt"; }; then
    # A tree configured without them (by hand, or by an older ./test): the tests build and run them too.
    cmake -S "$root" -B "$build" -DQINGHE_BUILD_TOOLS=ON -DQINGHE_BUILD_BENCH=ON
fi
if [ "$what" = program ]; then
    cmake --build "$build" --target qinghe-renamer
else
    cmake --build "$build"
fi
