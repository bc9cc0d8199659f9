#!/usr/bin/env bash
# Runs a command with one Wine prefix and one X display per architecture, then
# stops what it started, also when the command fails.
#
# GRI_WINE_ARCHS: the architectures to prepare (default: what wine-arch.sh
# decides for the tests). GRI_WINE_PREFIXES: a folder whose prefixes are kept
# and reused; without it they are throw-away ones, removed at the end. The
# command finds the prefix of each architecture in GRI_WINE_PREFIX_<arch>, its
# display in GRI_WINE_DISPLAY_<arch>, and runs programs with
# scripts/wine-exec.sh. Each architecture has a server and a display of its
# own, so that their tests can run side by side: windows, focus, the
# clipboard and the off-screen frames of one never meet another's. With
# $DISPLAY set, that display is used for all of them; otherwise an Xvfb starts
# for each on a free display.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-arch.sh"

archs=${GRI_WINE_ARCHS:-$(gri_wine_archs all)}
work=$(mktemp -d /tmp/gri-wine.XXXXXX)
prefixes=${GRI_WINE_PREFIXES:-$work}
xvfb_pids=()
cleanup() {
  local status=$?
  for arch in $archs; do
    WINEPREFIX="$prefixes/prefix-$arch" wineserver -k >/dev/null 2>&1 || true
  done
  for arch in $archs; do
    WINEPREFIX="$prefixes/prefix-$arch" timeout 20 wineserver -w >/dev/null 2>&1 || true
  done
  for pid in "${xvfb_pids[@]}"; do kill "$pid" >/dev/null 2>&1 || true; wait "$pid" 2>/dev/null || true; done
  rm -rf "$work"
  exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# start_xvfb NAME: a virtual display; its name (":N") in $work/display-NAME.
start_xvfb() {
  local said="$work/display-$1"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$said.fd" >"$work/xvfb-$1.log" 2>&1 &
  xvfb_pids+=($!)
  for _ in $(seq 100); do
    [ -s "$said.fd" ] && break
    kill -0 "$!" 2>/dev/null || { cat "$work/xvfb-$1.log" >&2; exit 1; }
    sleep 0.1
  done
  [ -s "$said.fd" ] || { echo "Xvfb did not start" >&2; exit 1; }
  echo ":$(tr -d '[:space:]' <"$said.fd")" >"$said"
}
for arch in $archs; do
  if [ -n "${DISPLAY:-}" ]; then echo "$DISPLAY" >"$work/display-$arch"; else start_xvfb "$arch"; fi
done

export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

# A new prefix takes 8 to 60 s; a kept one is only started.
prepare_prefix() {
  local arch=$1 loader
  loader=$(gri_wine_boot_loader "$arch")
  export WINEPREFIX="$prefixes/prefix-$arch" WINEARCH="$(gri_winearch "$arch")" WINELOADER="$loader"
  DISPLAY=$(cat "$work/display-$arch")
  export DISPLAY
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$prefixes"
    "$loader" wineboot.exe -i </dev/null >/dev/null 2>&1
    # Without a window manager, Wine waits about 2 s for every closed window
    # unless it manages none itself.
    "$loader" reg.exe add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
    # A crashing program ends at once, with its exception as exit code, after
    # the debugger has printed a backtrace, instead of waiting on a crash dialog.
    "$loader" reg.exe add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
      </dev/null >/dev/null 2>&1
    # Windows loads a DLL named by its full path from that path; Wine prefers
    # its built-in opengl32 unless told otherwise for the program. So that
    # --opengl32 loads the library it names, as on Windows.
    "$loader" reg.exe add 'HKCU\Software\Wine\AppDefaults\gl-renderer-info.exe\DllOverrides' \
      /v opengl32 /d native,builtin /f </dev/null >/dev/null 2>&1
  fi
  # One server for the whole run saves its start-up on every program. Its first
  # program also starts Wine's background processes, which live as long as the
  # server: they must not hold on to the command's output (ctest would wait).
  wineserver -w
  wineserver -p
  "$loader" reg.exe query 'HKCU\Software\Wine\X11 Driver' </dev/null >/dev/null 2>&1 || true
  # The desktop process too, which Wine would otherwise start with the first
  # program's output: it outlives the display and would print its X errors
  # there ("X connection ... broken", "BadWindow") when the display goes away.
  "$loader" explorer.exe /desktop </dev/null >/dev/null 2>&1 &
}

for arch in $archs; do
  ( prepare_prefix "$arch" ) &
done
wait_status=0
for job in $(jobs -p); do
  [[ " ${xvfb_pids[*]} " == *" $job "* ]] && continue
  wait "$job" || wait_status=$?
done
[ "$wait_status" -eq 0 ] || { echo "a Wine prefix could not be made" >&2; exit 1; }

for arch in $archs; do
  export "GRI_WINE_PREFIX_$arch=$prefixes/prefix-$arch" "GRI_WINE_DISPLAY_$arch=$(cat "$work/display-$arch")"
done
export GRI_WINE_ARCHS="$archs"
unset WINEPREFIX WINEARCH WINELOADER
"$@"
