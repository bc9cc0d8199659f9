#!/usr/bin/env bash
# check-packages.py fails where it must: told that the install step installs
# only the build tools, none of the libraries Wine maps to draw, it must
# refuse; and so it must for a program that never draws.
#   test-check-packages.sh ARCH PROGRAM.exe NOT_DRAWING.exe
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
list=$(mktemp)
trap 'rm -f "$list"' EXIT
printf '%s\n' cmake make g++ >"$list"
GRI_PACKAGE_LIST=$list "$here/check-packages.py" "$1" "$2"
code=$?
[ "$code" -eq 77 ] && exit 77
status=0
if [ "$code" -eq 0 ]; then
  echo "check-packages.py passed a list of build tools alone"
  status=1
else
  echo "check-packages.py refuses a list of build tools alone"
fi
said=$("$here/check-packages.py" "$1" "$3")
code=$?
if [ "$code" -eq 0 ] || ! grep -q "never loaded a Mesa driver" <<<"$said"; then
  echo "check-packages.py did not refuse a program that never draws ($code): $said"
  status=1
else
  echo "check-packages.py refuses a program that never draws"
fi
exit "$status"
