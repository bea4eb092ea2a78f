#!/usr/bin/env bash
# Assembles what a player installs: the module as speedometer.asi, the atlas
# dictionaries (km/h and mph faces), the commented settings file with the defaults and a short
# readme with the release's version and what each release changed, zipped as
# out/speedometer.zip.
set -euo pipefail
cd "$(dirname "$0")"
./tools/setup.sh

cmake -S tools/atlas -B build/atlas-tool -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/atlas-tool
cmake --preset windows >/dev/null
cmake --build --preset windows --target speedometer_module

stage=out/package
rm -rf "$stage" out/speedometer.zip
mkdir -p "$stage/models"
cp build/windows/speedometer.asi "$stage/"
build/atlas-tool/speedometer_atlas out/atlas.png "$stage/models/speedometer.txd"
build/atlas-tool/speedometer_atlas --mph out/atlas_mph.png "$stage/models/speedometer_mph.txd"
# The release, as the build defines it, in the player's readme.
version=$(sed -n 's/^project(speedometer VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
sed "s/@VERSION@/$version/" package/README.txt >"$stage/README.txt"
cp package/CHANGES.txt "$stage/CHANGES.txt"
cp package/speedometer.ini "$stage/speedometer.ini"
(cd "$stage" && zip -q -X -r ../speedometer.zip speedometer.asi speedometer.ini \
    models/speedometer.txd models/speedometer_mph.txd README.txt CHANGES.txt)
unzip -l out/speedometer.zip
