#!/usr/bin/env bash
# Installs everything the build, the tests and the artwork tools need on Debian 12.
# Safe to run again: it returns quickly when all is in place.
set -euo pipefail

packages=(
  g++-mingw-w64-i686 cmake ninja-build googletest libstb-dev
  wine wine32:i386
  xvfb xauth libgl1:i386 libglx-mesa0:i386 libgl1-mesa-dri:i386
  libcairo2-dev fonts-dejavu-core pkgconf zip unzip libsquish-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "setup: missing packages (${missing[*]}); run as root to install them" >&2
  exit 1
fi
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
