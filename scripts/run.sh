#!/usr/bin/env bash
# Builds the program and runs it under Wine. On $DISPLAY it simply runs; with no
# display it runs on a virtual one, saves a screenshot of the dialog to a PNG
# (the first argument, default docs/screenshot.png), prints its path and closes it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${BUILD_DIR:-$root/build}"

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release
cmake --build "$build" -j"$(nproc)" --target windows-i686
bin="$build/windows-i686/bin"

if [ -n "${DISPLAY:-}" ]; then
  "$root/scripts/with-wine.sh" wine "$bin/gl-renderer-info.exe"
else
  out=$(realpath -m "${1:-$root/docs/screenshot.png}")
  mkdir -p "$(dirname "$out")"
  "$root/scripts/with-wine.sh" wine "$bin/snapshot.exe" "$out"
  echo "$out"
fi
