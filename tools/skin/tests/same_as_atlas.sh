#!/usr/bin/env bash
# The Windows packer, under Wine, packs the shipped artwork's PNGs (km/h, mph
# and the example skin) into byte for byte the dictionaries the native atlas
# tool writes from the same pixels: one encoder, one mip chain, everywhere.
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
  "$wine_run" "$packer" atlas.png speedometer_packed.txd >/dev/null
  cmp atlas.txd speedometer_packed.txd
  echo "${face#--}: $(stat -c %s speedometer_packed.txd) bytes, the same"
done
