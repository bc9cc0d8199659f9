#!/usr/bin/env bash
# Checks the choice of Wine (scripts/wine-arch.sh) on any host, by pointing its
# probe at programs that fail or succeed as a 32-bit loader would.
set -uo pipefail
scripts=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d /tmp/gri-arch.XXXXXX)
trap 'rm -rf "$work"' EXIT
# There, but unable to run, as the 32-bit loader on a 64-bit-only host.
printf '#!/bin/sh\nexit 126\n' >"$work/cannot-run"
printf '#!/bin/sh\nexit 0\n' >"$work/runs"
chmod +x "$work/cannot-run" "$work/runs"

failed=0
check() {
  local what=$1
  shift
  if ( "$@" ); then echo "ok: $what"; else echo "FAILED: $what"; failed=1; fi
}
# Each check runs in a clean subshell: nothing of the caller's choice leaks in.
in_clean() {
  unset GRI_WINE_ARCH GRI_WINE_ARCHS GRI_HOST_WITHOUT_I686 GRI_I686_PROBE "GRI_WINE_PREFIX_i686" "GRI_WINE_PREFIX_x86_64"
  . "$scripts/wine-arch.sh"
}

cannot_run_selects_x86_64() {
  in_clean
  export GRI_I686_PROBE="$work/cannot-run"
  [ "$(gri_wine_archs all)" = x86_64 ] && [ "$(gri_wine_archs one)" = x86_64 ] || return 1
  gri_i686_notice | grep -q "could not be run on this host" || return 1
  local out status
  out=$("$scripts/wine-exec.sh" i686 prog.exe)
  status=$?
  [ "$status" -eq 77 ] && [[ $out == *"cannot execute 32-bit code"* ]]
}
runs_selects_both() {
  in_clean
  export GRI_I686_PROBE="$work/runs"
  [ "$(gri_wine_archs all)" = "i686 wow64 x86_64" ] && [ "$(gri_wine_archs one)" = i686 ] && [ -z "$(gri_i686_notice)" ]
}
rehearsal_goes_through_the_probe() {
  in_clean
  export GRI_HOST_WITHOUT_I686=1 GRI_I686_PROBE="$work/runs"
  [ "$(gri_i686_probe)" != "$work/runs" ] && [ "$(gri_wine_archs all)" = x86_64 ]
}
asking_for_i686_fails_at_once() {
  in_clean
  export GRI_I686_PROBE="$work/cannot-run"
  for want in i686 both; do
    local start=$SECONDS
    if GRI_WINE_ARCH=$want "$scripts/with-wine.sh" true >/dev/null 2>&1; then return 1; fi
    [ $((SECONDS - start)) -le 5 ] || return 1
  done
}
sixty_four_bit_loader_is_the_64_bit_one() {
  in_clean
  local loader
  loader=$(gri_wine_loader x86_64)
  [ "$loader" != "$(gri_wine_loader i686)" ] && [ "$(gri_winearch x86_64)" = win64 ] &&
    file -L "$loader" | grep -q "ELF 64-bit"
}

check "a 32-bit loader that cannot run selects x86_64, skips i686 and says so" cannot_run_selects_x86_64
check "a 32-bit loader that runs selects both" runs_selects_both
check "the rehearsal switch goes through the probe" rehearsal_goes_through_the_probe
check "asking for i686 where it cannot run fails at once" asking_for_i686_fails_at_once
check "the 64-bit path uses the 64-bit loader" sixty_four_bit_loader_is_the_64_bit_one
exit "$failed"
