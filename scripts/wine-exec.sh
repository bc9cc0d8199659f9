#!/usr/bin/env bash
# Runs a Windows program of one architecture in the prefix that with-wine.sh
# made for it:  wine-exec.sh i686|x86_64 PROGRAM.exe [ARGUMENTS...]
# Exits with 77 (a skipped test, for ctest) when that architecture is not run here.
set -euo pipefail
. "$(dirname "$0")/wine-arch.sh"
arch=$1
shift
prefix_var="GRI_WINE_PREFIX_$arch"
prefix=${!prefix_var:-}
if [ -z "$prefix" ]; then
  if [ "$arch" = i686 ] && ! gri_host_runs_i686; then
    echo "skipped: this host cannot execute 32-bit code, so the 32-bit program cannot run here"
  elif [ -n "${GRI_WINE_ARCHS:-}" ]; then
    echo "skipped: only '${GRI_WINE_ARCHS}' is run (GRI_WINE_ARCH=${GRI_WINE_ARCH:-})"
  else
    echo "skipped: no Wine prefix; run through scripts/with-wine.sh (scripts/test.sh does)"
  fi
  exit 77
fi
loader=$(gri_wine_loader "$arch")
export WINEPREFIX="$prefix" WINEARCH="$(gri_winearch "$arch")" WINELOADER="$loader"
exec "$loader" "$@"
