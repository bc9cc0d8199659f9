#!/usr/bin/env bash
# Builds the program again, for each architecture, from a copy of the sources
# in another folder, and checks that the result is byte for byte the one in
# the build folder. Prints each program's SHA-256, so that a user can compare
# a copy they were given.
#   check-reproducible.sh SOURCE_DIR BUILD_DIR BUILD_TYPE
set -euo pipefail
src=$1
build=$2
type=$3
work=$(mktemp -d /tmp/gri-repro.XXXXXX)
trap 'rm -rf "$work"' EXIT

# Everything but build output and version control, in a folder of another name.
mkdir -p "$work/elsewhere/sources"
tar -C "$src" --exclude=./.git --exclude="./$(basename "$build")" --exclude='./build*' -cf - . |
  tar -C "$work/elsewhere/sources" -xf -

status=0
for arch in i686 x86_64; do
  first="$build/program-$arch/bin/gl-renderer-info.exe"
  second="$work/elsewhere/program-$arch/bin/gl-renderer-info.exe"
  cmake -S "$work/elsewhere/sources" -B "$work/elsewhere/program-$arch" \
    -DCMAKE_TOOLCHAIN_FILE="$work/elsewhere/sources/cmake/toolchain-$arch-mingw.cmake" \
    -DGRI_THREAD_MODEL=win32 -DGRI_PROGRAM_ONLY=ON -DGRI_WITH_TESTS=OFF -DGRI_WITH_BENCH=OFF \
    -DCMAKE_BUILD_TYPE="$type" >/dev/null
  cmake --build "$work/elsewhere/program-$arch" -j"$(nproc)" >/dev/null
  a=$(sha256sum <"$first" | cut -d' ' -f1)
  b=$(sha256sum <"$second" | cut -d' ' -f1)
  echo "$arch  $a  gl-renderer-info.exe (build folder)"
  echo "$arch  $b  gl-renderer-info.exe (built again elsewhere)"
  if [ "$a" != "$b" ]; then
    echo "$arch: the two builds differ" >&2
    cmp -l "$first" "$second" | head -5 >&2 || true
    status=1
  fi
done
exit "$status"
