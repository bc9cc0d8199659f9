#!/usr/bin/env bash
# Installs what building, running and testing need on a fresh Debian machine.
# Skips apt entirely when everything is already there.
set -euo pipefail

packages=(
  cmake make g++ mingw-w64 googletest libgtest-dev libbenchmark-dev
  libosmesa6-dev libgl1-mesa-dev libglu1-mesa-dev
  wine wine32
  libgl1:i386 libglx0:i386 libglx-mesa0:i386 libgl1-mesa-dri:i386
  libxcomposite1:i386 libxrandr2:i386 libxi6:i386 libxcursor1:i386
  libxinerama1:i386 libxrender1:i386 libxext6:i386 libxxf86vm1:i386 libxfixes3:i386
  xvfb x11-utils imagemagick file
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
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
apt-get install -y -q --no-install-recommends "${missing[@]}"
