#!/usr/bin/env bash
# Rebuilds skinpainter and redraws the main window's pictures into src/app/skins (commit the result).
# Pass a folder to also get preview pictures there: tools/skinpainter/regenerate.sh /tmp/skin-preview
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build="$root/build-art"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target skinpainter
"$build/tools/skinpainter/skinpainter" "$root/src/app/skins" ${1:+--preview "$1"}
