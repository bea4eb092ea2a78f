#!/usr/bin/env bash
# Installs everything the build, the tests and the artwork tools need on Debian 12.
# Safe to run again: it returns quickly when all is in place.
set -euo pipefail

packages=(
  g++-mingw-w64-i686 cmake ninja-build googletest libstb-dev
  wine wine32:i386
  xvfb xauth libgl1:i386 libgl1-mesa-dri:i386 libglx-mesa0:i386
  libcairo2-dev fonts-dejavu-core pkgconf zip unzip dpkg-dev
)
# libsquish is built from Debian's own source package, for the Windows
# programs and the native tools alike (cmake/squish.cmake): Debian ships it
# compiled for the native machine only. It is unpacked here once, as
# googletest's sources are in /usr/src, so that no build fetches anything.
squish_source=/usr/src/libsquish

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && [ -f "$squish_source/squish.h" ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "setup: missing packages (${missing[*]}) or $squish_source; run as root to install them" >&2
  exit 1
fi
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
# Other builds on the machine may hold apt's lock for a while.
apt_options=(-o DPkg::Lock::Timeout=600)
if [ ${#missing[@]} -ne 0 ]; then
  apt-get "${apt_options[@]}" update -qq
  apt-get "${apt_options[@]}" install -y -qq --no-install-recommends "${missing[@]}"
fi

if [ ! -f "$squish_source/squish.h" ]; then
  # Source packages from the same archive and suite as the binary ones.
  if ! grep -rqsE '^(deb-src|Types:.*deb-src)' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    archive=$(sed -n 's|^URIs: *\(\S*/debian\)/*$|\1|p' /etc/apt/sources.list.d/*.sources 2>/dev/null |
      head -n 1)
    [ -n "$archive" ] ||
      archive=$(sed -n 's|^deb \(\[[^]]*\] \)\?\(\S*/debian\)/* .*|\2|p' /etc/apt/sources.list \
        2>/dev/null | head -n 1)
    suite=$(. /etc/os-release && echo "$VERSION_CODENAME")
    cat >/etc/apt/sources.list.d/debian-source.sources <<SOURCES
Types: deb-src
URIs: ${archive:-http://deb.debian.org/debian}
Suites: $suite
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
  fi
  apt-get "${apt_options[@]}" update -qq
  unpack=$(mktemp -d)
  (cd "$unpack" && apt-get source -qq libsquish >/dev/null)
  rm -rf "$squish_source"
  mv "$unpack"/libsquish-*/ "$squish_source"
  rm -rf "$unpack"
fi
