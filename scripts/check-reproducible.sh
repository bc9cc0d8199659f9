#!/usr/bin/env bash
# Builds the program again, for each architecture, from a copy of the sources
# in another folder, and checks that the result is byte for byte the one in
# the build folder; then makes the release zip from each folder's programs and
# checks that the two are the same, and that the SHA256SUMS inside hold.
# Prints each program's SHA-256 and the zip's, so that a user can compare a
# copy they were given. The build folder's zip stays in BUILD_DIR/dist.
#   check-reproducible.sh SOURCE_DIR BUILD_DIR BUILD_TYPE
#   check-reproducible.sh --same FILE FILE   exits 1 unless the two are identical
#   check-reproducible.sh --zip ZIP          exits 1 unless the zip unpacks as a download must
set -euo pipefail

# Two files' SHA-256 side by side; false when they differ.
same() {
  local a b
  a=$(sha256sum <"$1" | cut -d' ' -f1)
  b=$(sha256sum <"$2" | cut -d' ' -f1)
  echo "$3  $a  $4"
  echo "$3  $b  $5"
  [ "$a" = "$b" ]
}
# A release zip, unpacked: its SHA256SUMS hold, everyone can read every file,
# and the JSON's schema is there. False otherwise.
zip_sound() {
  local unpacked ok=0 file mode
  unpacked=$(mktemp -d /tmp/gri-unzip.XXXXXX)
  (umask 022 && unzip -q "$1" -d "$unpacked") || ok=1
  (cd "$unpacked" && sha256sum --quiet -c SHA256SUMS) || ok=1
  for file in "$unpacked"/*; do
    mode=$(stat -c %a "$file")
    if [ "$mode" != 644 ]; then
      echo "$(basename "$file") unpacks with mode $mode, not 644" >&2
      ok=1
    fi
  done
  [ -f "$unpacked/report.schema.json" ] || { echo "the zip holds no report.schema.json" >&2; ok=1; }
  rm -rf "$unpacked"
  return "$ok"
}
if [ "${1:-}" = --same ]; then
  same "$2" "$3" "file" "$2" "$3" || { echo "the two differ" >&2; exit 1; }
  exit 0
fi
if [ "${1:-}" = --zip ]; then
  zip_sound "$2"
  exit
fi

src=$1
build=$2
type=$3
work=$(mktemp -d /tmp/gri-repro.XXXXXX)
trap 'rm -rf "$work"' EXIT

# Everything but build output and version control, in a folder of another name.
mkdir -p "$work/elsewhere/sources"
tar -C "$src" --exclude=./.git --exclude="./$(basename "$build")" --exclude='./build*' --exclude=./dist -cf - . |
  tar -C "$work/elsewhere/sources" -xf -
# What the bytes must not depend on, varied: the folder (above), the files'
# times (another year), the time zone (below) and so the local time.
find "$work/elsewhere/sources" -exec touch -h -d '2001-02-03 04:05:06' {} +
elsewhere_tz=Pacific/Kiritimati

status=0
for arch in i686 x86_64; do
  first="$build/program-$arch/bin/gl-renderer-info.exe"
  second="$work/elsewhere/program-$arch/bin/gl-renderer-info.exe"
  TZ=$elsewhere_tz cmake -S "$work/elsewhere/sources" -B "$work/elsewhere/program-$arch" \
    -DCMAKE_TOOLCHAIN_FILE="$work/elsewhere/sources/cmake/toolchain-$arch-mingw.cmake" \
    -DGRI_THREAD_MODEL=win32 -DGRI_PROGRAM_ONLY=ON -DGRI_WITH_TESTS=OFF -DGRI_WITH_BENCH=OFF \
    -DCMAKE_BUILD_TYPE="$type" >/dev/null
  TZ=$elsewhere_tz cmake --build "$work/elsewhere/program-$arch" -j"$(nproc)" >/dev/null
  if ! same "$first" "$second" "$arch" "gl-renderer-info.exe (build folder)" "gl-renderer-info.exe (built again elsewhere)"; then
    echo "$arch: the two builds differ" >&2
    cmp -l "$first" "$second" | head -5 >&2 || true
    status=1
  fi
done
# The download, made in both places.
first_zip=$("$src/scripts/release.sh" --from "$build" --to "$build/dist")
sleep 2  # another second, and minute, as a clock would have it
second_zip=$(TZ=$elsewhere_tz "$work/elsewhere/sources/scripts/release.sh" --from "$work/elsewhere" --to "$work/elsewhere/dist")
if ! same "$first_zip" "$second_zip" "zip   " "$(basename "$first_zip") (build folder)" "$(basename "$second_zip") (made again elsewhere)"; then
  echo "the two release zips differ" >&2
  status=1
fi
zip_sound "$first_zip" || status=1
exit "$status"
