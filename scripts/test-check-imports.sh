#!/usr/bin/env bash
# Shows that check-imports.sh fails where it must:
#   test-check-imports.sh FORBIDDEN.exe GOOD.exe
# FORBIDDEN.exe imports opengl32 and GetTickCount64: the check must exit 1 and
# name both. GOOD.exe (the program) must pass.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
status=0
said=$("$here/check-imports.sh" "$1"); code=$?
if [ "$code" -ne 1 ]; then echo "check-imports.sh exited $code on $1, not 1"; status=1; fi
for expected in "opengl32.dll" "not allowed" "GetTickCount64: not on Windows XP"; do
  grep -qF "$expected" <<<"$said" || { echo "check-imports.sh did not say: $expected"; status=1; }
done
"$here/check-imports.sh" "$2" >/dev/null || { echo "check-imports.sh refused $2"; status=1; }
[ "$status" -eq 0 ] && echo "check-imports.sh refuses a forbidden DLL and function, and passes the program"
exit "$status"
