#!/usr/bin/env bash
# Builds every target (native, i686 and x86_64 Windows) and runs every test:
# the native unit tests and, under Wine, the tests that drive the real program.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${BUILD_DIR:-$root/build}"

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release
cmake --build "$build" -j"$(nproc)"
"$root/scripts/with-wine.sh" ctest --test-dir "$build" --output-on-failure
