#!/usr/bin/env bash
# The Windows packer, under Wine, packs the shipped artwork's PNGs (km/h, mph
# and the example skin) into byte for byte the dictionaries the native atlas
# tool writes from the same pixels: one encoder, one mip chain, everywhere;
# and with no warning, since the kit's own artwork is what skin makers copy.
# Usage: same_as_atlas.sh ATLAS_TOOL WINDOWS_PACKER.exe
set -euo pipefail
atlas=$(realpath "$1")
packer=$(realpath "$2")
wine_run=$(realpath "$(dirname "$0")/../../wine-run.sh")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
for face in --kmh --mph --light; do
  "$atlas" $([ "$face" = --kmh ] || echo "$face") atlas.png atlas.txd
  said=$("$wine_run" "$packer" atlas.png speedometer_atlas.txd </dev/null 2>&1)
  ! grep '^warning' <<<"$said" || { echo "${face#--}: the kit's own artwork warns" >&2; exit 1; }
  cmp atlas.txd speedometer_atlas.txd
  echo "${face#--}: $(stat -c %s speedometer_atlas.txd) bytes, the same, no warning"
done
