#!/usr/bin/env bash
# Makes the download: dist/gl-renderer-info-<version>.zip, holding the 32-bit
# program, the 64-bit build, README.txt, LICENSE.txt, the JSON's schema
# (report.schema.json) and SHA256SUMS.
#   release.sh                      builds both programs first (build/)
#   release.sh --from BUILD --to OUT    takes them from BUILD, writes to OUT
# The zip is byte-reproducible: fixed time stamps, a fixed order, no extra
# attributes, so the same programs always give the same zip.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${BUILD_DIR:-$root/build}"
out="$root/dist"
make_programs=1
while [ $# -gt 0 ]; do
  case "$1" in
    --from) build=$2; make_programs=0; shift 2 ;;
    --to) out=$2; shift 2 ;;
    *) echo "usage: release.sh [--from BUILD] [--to OUT]" >&2; exit 2 ;;
  esac
done
if [ "$make_programs" = 1 ]; then
  . "$root/scripts/wine-arch.sh"
  gri_install_deps
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$build" -j"$(nproc)" --target program-i686 program-x86_64 >/dev/null
fi
version=$(sed -n 's/^#define GRI_VERSION_TEXT "\(.*\)"$/\1/p' "$root/res/version.h")
stage=$(mktemp -d /tmp/gri-release.XXXXXX)
trap 'rm -rf "$stage"' EXIT
cp "$build/program-i686/bin/gl-renderer-info.exe" "$stage/gl-renderer-info.exe"
cp "$build/program-x86_64/bin/gl-renderer-info.exe" "$stage/gl-renderer-info-x64.exe"
sed 's/$/\r/' "$root/docs/README.txt" >"$stage/README.txt"
sed 's/$/\r/' "$root/LICENSE" >"$stage/LICENSE.txt"
cp "$root/docs/report.schema.json" "$stage/report.schema.json"
files="gl-renderer-info.exe gl-renderer-info-x64.exe README.txt LICENSE.txt report.schema.json"
(cd "$stage" && sha256sum $files >SHA256SUMS)
mkdir -p "$out"
zip="$out/gl-renderer-info-$version.zip"
/usr/bin/python3 - "$stage" "$zip" $files SHA256SUMS <<'PY'
import sys, zipfile
stage, target, names = sys.argv[1], sys.argv[2], sys.argv[3:]
with zipfile.ZipFile(target + ".tmp", "w") as z:
    for name in names:
        info = zipfile.ZipInfo(name, date_time=(2026, 1, 1, 0, 0, 0))
        info.compress_type = zipfile.ZIP_DEFLATED
        # Made on Unix with no owner, readable by all where it is unpacked
        # (rw-r--r--); Windows reads only the low byte, which stays 0.
        info.create_system = 3
        info.external_attr = 0o100644 << 16
        with open(f"{stage}/{name}", "rb") as f:
            z.writestr(info, f.read(), compresslevel=9)
import os
os.replace(target + ".tmp", target)
PY
echo "$zip"
