#!/usr/bin/env bash
# Installs what building, running and testing need on a fresh Debian machine.
# Skips apt entirely when everything is already there.
set -euo pipefail

packages=(
  cmake make g++ clang libclang-rt-14-dev mingw-w64 googletest libgtest-dev libbenchmark-dev nlohmann-json3-dev
  libosmesa6-dev libgl1-mesa-dev libglu1-mesa-dev
  wine wine32 wine64
  libgl1:amd64 libglx-mesa0:amd64 libgl1-mesa-dri:amd64
  libxcomposite1:amd64 libxrandr2:amd64 libxi6:amd64 libxcursor1:amd64
  libxinerama1:amd64 libxrender1:amd64 libxext6:amd64 libxxf86vm1:amd64 libxfixes3:amd64
  libgl1:i386 libglx0:i386 libglx-mesa0:i386 libgl1-mesa-dri:i386
  libxcomposite1:i386 libxrandr2:i386 libxi6:i386 libxcursor1:i386
  libxinerama1:i386 libxrender1:i386 libxext6:i386 libxxf86vm1:i386 libxfixes3:i386
  xvfb x11-utils imagemagick file python3 python3-jsonschema unzip
)

# The list, for the check that it still holds what the test bed loads.
if [ "${1:-}" = --list ]; then
  printf '%s\n' "${packages[@]}"
  exit 0
fi

# On a host that cannot execute 32-bit code, the i386 packages' own scripts
# fail and leave them unpacked but not configured; only the 64-bit Wine path
# runs there, so that is as installed as they can be.
runs_i686() { /usr/lib/wine/wine --version >/dev/null 2>&1; }
present() {
  local status
  status=$(dpkg-query -W -f='${Status}' "$1" 2>/dev/null) || return 1
  case "$status" in
    "install ok installed") return 0 ;;
    "install ok "*) [ -x /usr/lib/wine/wine ] && ! runs_i686 ;;
    *) return 1 ;;
  esac
}

missing=()
for p in "${packages[@]}"; do
  present "$p" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "missing packages: ${missing[*]}; run as root to install them" >&2
  exit 1
fi
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -q
if ! apt-get install -y -q --no-install-recommends "${missing[@]}"; then
  failed=()
  for p in "${packages[@]}"; do
    present "$p" || failed+=("$p")
  done
  if [ ${#failed[@]} -ne 0 ]; then
    echo "could not install: ${failed[*]}" >&2
    exit 1
  fi
  echo "note: this host cannot execute 32-bit code, so the i386 packages stay unconfigured; the 64-bit Wine does not need them" >&2
fi
