#!/usr/bin/env bash
# Installs what building, running and testing need on a fresh Debian machine.
# Skips apt entirely when everything is already there.
#
# Exit status: 0 when everything is installed; 3 when the 64-bit side is but
# the i386 side could not be (the host then builds and tests the 64-bit path,
# as one that cannot execute 32-bit code does); 1 when a 64-bit package is
# missing, with its name.
#
# A mirror in the middle of a sync can break one index file, and security
# updates on the amd64 side that the i386 side does not have yet can leave the
# i386 libraries uninstallable from the lists as they are. So: the update is
# retried and then done without; a failed install is tried again against the
# release's own suite; the 64-bit packages go in a transaction of their own,
# first, so that a broken i386 side cannot keep them out.
#
# GRI_APT_RETRY_PAUSE: seconds between update attempts (default 5).
# GRI_OS_RELEASE: the os-release file to read the release from (the check of
# this script points both at its own).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-arch.sh"

packages64=(
  cmake make g++ clang libclang-rt-14-dev mingw-w64 googletest libgtest-dev libbenchmark-dev nlohmann-json3-dev
  libosmesa6-dev libgl1-mesa-dev libglu1-mesa-dev
  wine wine64
  libgl1:amd64 libglx-mesa0:amd64 libgl1-mesa-dri:amd64
  libxcomposite1:amd64 libxrandr2:amd64 libxi6:amd64 libxcursor1:amd64
  libxinerama1:amd64 libxrender1:amd64 libxext6:amd64 libxxf86vm1:amd64 libxfixes3:amd64
  xvfb x11-utils imagemagick file python3 python3-jsonschema unzip
  khronos-api zlib1g-dev chromium
)
packages32=(
  wine32
  libgl1:i386 libglx0:i386 libglx-mesa0:i386 libgl1-mesa-dri:i386
  libxcomposite1:i386 libxrandr2:i386 libxi6:i386 libxcursor1:i386
  libxinerama1:i386 libxrender1:i386 libxext6:i386 libxxf86vm1:i386 libxfixes3:i386
)

# The list, for the check that it still holds what the test bed loads.
if [ "${1:-}" = --list ]; then
  printf '%s\n' "${packages64[@]}" "${packages32[@]}"
  exit 0
fi

# On a host that cannot execute 32-bit code, the i386 packages' own scripts
# fail and leave them unpacked but not configured; only the 64-bit Wine path
# runs there, so that is as installed as they can be.
present() {
  local status
  status=$(dpkg-query -W -f='${Status}' "$1" 2>/dev/null) || return 1
  case "$status" in
    "install ok installed") return 0 ;;
    "install ok "*) [ -x "$(gri_wine_loader i686)" ] && ! gri_host_runs_i686 ;;
    *) return 1 ;;
  esac
}

# missing NAME...: prints those of the packages not installed.
missing() {
  local p
  for p in "$@"; do
    present "$p" || printf '%s\n' "$p"
  done
}

mapfile -t want64 < <(missing "${packages64[@]}")
mapfile -t want32 < <(missing "${packages32[@]}")
[ ${#want64[@]} -eq 0 ] && [ ${#want32[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "missing packages: ${want64[*]} ${want32[*]}; run as root to install them" >&2
  exit 1
fi
if [ ${#want32[@]} -ne 0 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive

updated=0
for attempt in 1 2 3; do
  if apt-get update -q; then
    updated=1
    break
  fi
  [ "$attempt" -lt 3 ] && sleep "${GRI_APT_RETRY_PAUSE:-5}"
done
# The release's own suite, for an install that the lists with its updates cannot satisfy.
suite=$( (. "${GRI_OS_RELEASE:-/etc/os-release}" && echo "${VERSION_CODENAME:-}") 2>/dev/null || true)
# With a list missing, the amd64 side may get updates that the i386 side cannot
# match (multiarch libraries must be of one version): then both sides come
# from the release's suite from the start.
first=()
if [ "$updated" != 1 ]; then
  from=""
  if [ -n "$suite" ]; then
    first=(-t "$suite")
    from=", from the release's own suite ($suite)"
  fi
  echo "note: apt-get update failed 3 times; installing from the package lists as they are$from" >&2
fi

# install NAME...: installs them, then once more from the release's suite;
# true when none of them is missing afterwards.
install() {
  apt-get install -y -q --no-install-recommends "${first[@]}" "$@" || true
  local left
  mapfile -t left < <(missing "$@")
  [ ${#left[@]} -eq 0 ] && return 0
  if [ -n "$suite" ] && [ ${#first[@]} -eq 0 ]; then
    echo "note: installing ${left[*]} failed; trying again from the release's own suite ($suite)" >&2
    apt-get install -y -q --no-install-recommends -t "$suite" "${left[@]}" || true
    mapfile -t left < <(missing "$@")
  fi
  [ ${#left[@]} -eq 0 ]
}

if [ ${#want64[@]} -ne 0 ] && ! install "${want64[@]}"; then
  echo "could not install: $(missing "${want64[@]}" | tr '\n' ' ')" >&2
  exit 1
fi
if [ ${#want32[@]} -ne 0 ] && ! install "${want32[@]}"; then
  echo "note: the i386 packages could not be installed ($(missing "${want32[@]}" | tr '\n' ' ' | sed 's/ $//')), so this host builds and tests the 64-bit path only" >&2
  exit 3
fi
exit 0
