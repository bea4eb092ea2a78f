#!/usr/bin/env bash
# Assembles what a player installs: the module as speedometer.asi, the atlas
# dictionaries (km/h and mph faces), the commented settings file with the defaults and a short
# readme with the release's version and what each release changed, zipped as
# out/speedometer.zip, with the example skin "light"; and the skin kit for
# people who draw skins, out/speedometer-skin-kit.zip. Each zip holds a
# SHA256SUMS.txt of its files; beside it in out/ go the same list and the
# zip's own SHA-256. Two clones of one commit give the same bytes
# (tools/package-zip.sh).
# With --texts-only DIR it stages only the text files, into DIR/package and
# DIR/kit, for tools/check-release-scripts.sh.
set -euo pipefail
cd "$(dirname "$0")"

# Text files with Windows line endings, which every Notepad shows as lines;
# the player's readme with the release, as the build defines it.
crlf() { sed 's/\r*$/\r/' "$1" >"$2"; }
stage_texts() {
    local package=$1 kit=$2 version
    version=$(sed -n 's/^project(speedometer VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
    sed "s/@VERSION@/$version/" package/README.txt | sed 's/\r*$/\r/' >"$package/README.txt"
    crlf package/CHANGES.txt "$package/CHANGES.txt"
    crlf package/speedometer.ini "$package/speedometer.ini"
    crlf package/skin-kit/README.txt "$kit/README.txt"
}
if [ "${1:-}" = --texts-only ]; then
    mkdir -p "$2/package" "$2/kit"
    stage_texts "$2/package" "$2/kit"
    exit 0
fi

./tools/setup.sh
# Files the steps below make get one mode whatever the clone's umask.
umask 022

# What each zip holds, in the zip's order; its SHA256SUMS.txt comes last.
package_files=(speedometer.asi speedometer.ini models/speedometer.txd models/speedometer_mph.txd
  models/speedometer_light.txd models/speedometer_light_mph.txd README.txt CHANGES.txt)
kit_files=(speedometer_skin.exe speedometer_preview.exe speedometer.asi template.png
  speedometer.png speedometer_mph.png example/light.png example/light_mph.png README.txt)

cmake -S tools/atlas -B build/atlas-tool -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/atlas-tool
cmake --preset windows >/dev/null
cmake --build --preset windows --target speedometer_module speedometer_skin speedometer_preview

stage=out/package
rm -rf "$stage"
mkdir -p "$stage/models"
cp build/windows/speedometer.asi "$stage/"
build/atlas-tool/speedometer_atlas out/atlas.png "$stage/models/speedometer.txd"
build/atlas-tool/speedometer_atlas --mph out/atlas_mph.png "$stage/models/speedometer_mph.txd"

# The example skin, drawn by the atlas tool and packed by the kit's own
# Windows packer under Wine, as a skin maker would pack it.
kit=out/skin-kit
rm -rf "$kit"
mkdir -p "$kit/example"
stage_texts "$stage" "$kit"
build/atlas-tool/speedometer_atlas --light "$kit/example/light.png" out/atlas_light.txd
build/atlas-tool/speedometer_atlas --light --mph "$kit/example/light_mph.png" \
  out/atlas_light_mph.txd
# The packer refuses to write the shipped skin's own files, which a skin
# maker's skin must never replace: it packs copies named example, into a
# folder (no key waited for, no preview), moved after.
packed=out/example-packed
rm -rf "$packed"
mkdir -p "$packed"
for face in "" _mph; do
  cp "$kit/example/light$face.png" "$packed/example$face.png"
  ./tools/wine-run.sh build/windows/tools/skin/speedometer_skin.exe "$packed/example$face.png" \
    "$packed/" </dev/null
  mv "$packed/speedometer_example$face.txd" "$stage/models/speedometer_light$face.txd"
done
./tools/package-zip.sh "$stage" out/speedometer.zip "${package_files[@]}"
unzip -l out/speedometer.zip

cp build/windows/tools/skin/speedometer_skin.exe "$kit/"
# The previewer draws with the module the game loads, beside it in the kit.
cp build/windows/tools/preview/speedometer_preview.exe build/windows/speedometer.asi "$kit/"
build/atlas-tool/skin_template "$kit/template.png"
cp out/atlas.png "$kit/speedometer.png"
cp out/atlas_mph.png "$kit/speedometer_mph.png"
./tools/package-zip.sh "$kit" out/speedometer-skin-kit.zip "${kit_files[@]}"
unzip -l out/speedometer-skin-kit.zip
cat out/speedometer.zip.sha256 out/speedometer-skin-kit.zip.sha256
