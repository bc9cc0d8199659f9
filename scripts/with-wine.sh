#!/usr/bin/env bash
# Runs a command with an X display and a throw-away 32-bit Wine prefix, then
# removes both, also when the command fails. With $DISPLAY set, that display is
# used; otherwise Xvfb starts on a free one.
set -euo pipefail

work=$(mktemp -d /tmp/gri-wine.XXXXXX)
xvfb_pid=""
cleanup() {
  local status=$?
  WINEPREFIX="$work/prefix" wineserver -k >/dev/null 2>&1 || true
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" >/dev/null 2>&1 || true; wait "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$work"
  exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

if [ -z "${DISPLAY:-}" ]; then
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || { cat "$work/xvfb.log" >&2; exit 1; }
    sleep 0.1
  done
  [ -s "$work/display" ] || { echo "Xvfb did not start" >&2; exit 1; }
  export DISPLAY=":$(tr -d '[:space:]' <"$work/display")"
fi

export WINEPREFIX="$work/prefix" WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wineboot -i </dev/null >/dev/null 2>&1
wineserver -w
# One server for the whole run saves its start-up on every program.
wineserver -p
# This first program also starts Wine's own background processes, which live as
# long as the server: they must not hold on to the command's output (ctest would
# wait for them). Without a window manager, Wine waits about 2 s for every
# closed window unless it manages none itself.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
"$@"
