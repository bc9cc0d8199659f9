#!/usr/bin/env bash
# Fails when a program weighs more than its ceiling, and says what weighs most
# (from the linker's map beside its build):
#   check-size.sh PROGRAM.exe CEILING_KIB [MAP]
set -euo pipefail
program=$1
ceiling=$2
map=${3:-}
bytes=$(stat -c %s "$program")
kib=$(( (bytes + 1023) / 1024 ))
echo "$(basename "$program"): $bytes bytes ($kib KiB); ceiling $ceiling KiB"
if [ -n "$map" ] && [ -f "$map" ]; then
  echo "Largest contributors:"
  "$(dirname "$0")/map-sizes.py" "$map" 10
fi
if [ "$bytes" -gt $(( ceiling * 1024 )) ]; then
  echo "The program is larger than its ceiling of $ceiling KiB." >&2
  exit 1
fi
