#!/usr/bin/env bash
# Assembles what a player installs: the module as speedometer.asi, the atlas
# dictionary, the commented settings file with the defaults and a short
# readme, zipped as out/speedometer.zip.
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
cp package/README.txt "$stage/README.txt"
cp package/speedometer.ini "$stage/speedometer.ini"
(cd "$stage" && zip -q -X -r ../speedometer.zip speedometer.asi speedometer.ini \
    models/speedometer.txd README.txt)
unzip -l out/speedometer.zip
