#!/usr/bin/env bash
# check-packages.py fails where it must: told that the install step installs
# only the build tools, none of the libraries Wine maps to draw, it must refuse.
#   test-check-packages.sh ARCH PROGRAM.exe
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
list=$(mktemp)
trap 'rm -f "$list"' EXIT
printf '%s\n' cmake make g++ >"$list"
GRI_PACKAGE_LIST=$list "$here/check-packages.py" "$1" "$2"
code=$?
[ "$code" -eq 77 ] && exit 77
if [ "$code" -eq 0 ]; then
  echo "check-packages.py passed a list of build tools alone"
  exit 1
fi
echo "check-packages.py refuses a list of build tools alone"
