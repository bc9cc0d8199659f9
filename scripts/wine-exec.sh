#!/usr/bin/env bash
# Runs a Windows program of one architecture in the prefix that with-wine.sh
# made for it, on its display:  wine-exec.sh i686|wow64|x86_64 PROGRAM.exe [ARGUMENTS...]
# Exits with 77 (a skipped test, for ctest) when that architecture is not run here.
set -euo pipefail
. "$(dirname "$0")/wine-arch.sh"
arch=$1
shift
prefix_var="GRI_WINE_PREFIX_$arch"
prefix=${!prefix_var:-}
if [ -z "$prefix" ]; then
  if [ "$(gri_build_arch "$arch")" = i686 ] && ! gri_host_runs_i686; then
    echo "skipped: the 32-bit program cannot run on this host ($(gri_i686_why))"
  elif [ -n "${GRI_WINE_ARCHS:-}" ]; then
    echo "skipped: only '${GRI_WINE_ARCHS}' is run (GRI_WINE_ARCH=${GRI_WINE_ARCH:-})"
  else
    echo "skipped: no Wine prefix; run through scripts/with-wine.sh (scripts/test.sh does)"
  fi
  exit 77
fi
loader=$(gri_wine_loader "$arch")
display_var="GRI_WINE_DISPLAY_$arch"
export WINEPREFIX="$prefix" WINEARCH="$(gri_winearch "$arch")" WINELOADER="$loader" DISPLAY="${!display_var:-${DISPLAY:-}}"
# Temporary files of the tests, apart from those of other architectures run
# at the same time (Wine's process ids are per prefix, so they may meet).
export GRI_WINE_SET="$arch"
exec "$loader" "$@"
