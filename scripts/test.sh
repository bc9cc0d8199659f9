#!/usr/bin/env bash
# Builds every target (native, i686 and x86_64 Windows) and runs every test:
# the native unit tests and, under Wine, the tests that drive the real program,
# once per architecture this host runs (scripts/wine-arch.sh decides; each in a
# throw-away prefix with a display of its own). Independent tests run side by
# side, one per core; those of one Wine prefix one at a time. The exit status
# is the tests' alone. Ends with the time each phase took.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${BUILD_DIR:-$root/build}"
. "$root/scripts/wine-arch.sh"

start=$SECONDS
gri_install_deps
installed=$SECONDS
archs=$(gri_wine_archs all)
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release
cmake --build "$build" -j"$(nproc)"
built=$SECONDS
status=0
GRI_WINE_ARCHS="$archs" "$root/scripts/with-wine.sh" \
  ctest --test-dir "$build" --output-on-failure -j"$(nproc)" || status=$?
tested=$SECONDS
echo "SHA-256 of the programs built and of the release zip (compare a copy you were given):"
for arch in i686 x86_64; do
  echo "  $(sha256sum <"$build/program-$arch/bin/gl-renderer-info.exe" | cut -d' ' -f1)  $arch  build/program-$arch/bin/gl-renderer-info.exe"
done
for zip in "$build"/dist/gl-renderer-info-*.zip; do
  [ -f "$zip" ] && echo "  $(sha256sum <"$zip" | cut -d' ' -f1)  zip  build/dist/$(basename "$zip")"
done
gri_i686_notice
echo "Time: install $((installed - start)) s, build $((built - installed)) s, tests $((tested - built)) s, in all $((tested - start)) s (Wine: $archs)."
exit "$status"
