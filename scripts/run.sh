#!/usr/bin/env bash
# Builds the program and runs it under Wine: the 32-bit program where this host
# can run it, the 64-bit build otherwise (scripts/wine-arch.sh decides). On
# $DISPLAY it simply runs; with no display it runs on a virtual one, saves a
# screenshot of the dialog to a PNG (the first argument, default
# build/screenshot.png), prints its path and closes it. The Wine prefix is kept
# under the build folder and reused by the next run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${BUILD_DIR:-$root/build}"
. "$root/scripts/wine-arch.sh"

gri_install_deps
arch=$(gri_wine_archs one)
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release
cmake --build "$build" -j"$(nproc)" --target "windows-$(gri_build_arch "$arch")"
bin="$build/windows-$(gri_build_arch "$arch")/bin"
echo "Running $(gri_arch_words "$arch")."

export GRI_WINE_ARCHS="$arch" GRI_WINE_PREFIXES="$build/wine"
if [ -n "${DISPLAY:-}" ]; then
  "$root/scripts/with-wine.sh" "$root/scripts/wine-exec.sh" "$arch" "$bin/gl-renderer-info.exe"
else
  out=$(realpath -m "${1:-$build/screenshot.png}")
  mkdir -p "$(dirname "$out")"
  "$root/scripts/with-wine.sh" "$root/scripts/wine-exec.sh" "$arch" "$bin/snapshot.exe" "$out"
  echo "$out"
fi
