#!/usr/bin/env bash
# The main job: installs what is missing, builds the module and its atlas,
# loads the module into the simulated host, plays a session and writes the
# frames it drew to out/demo/.
set -euo pipefail
cd "$(dirname "$0")"
./tools/setup.sh

# The atlas artwork and the host's texture dictionary files (km/h and mph
# faces), drawn by our tool.
cmake -S tools/atlas -B build/atlas-tool -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/atlas-tool
mkdir -p out/assets/models
build/atlas-tool/speedometer_atlas out/atlas.png out/assets/models/speedometer.txd
build/atlas-tool/speedometer_atlas --mph out/atlas_mph.png out/assets/models/speedometer_mph.txd

# The module and the simulated host.
cmake --preset windows >/dev/null
cmake --build --preset windows --target speedometer_module simulated_host

mkdir -p out/demo
cp build/windows/speedometer.asi out/demo/
cd out
# It draws through Wine's Direct3D 9, on a virtual X display of its own.
../tools/with-display.sh ../tools/wine-run.sh ../build/windows/simhost/simulated_host.exe \
  demo/speedometer.asi assets demo
echo "frames: $(pwd)/demo/*.png"

# How sharp the dial face is on each screen, against the face drawn at size.
for screen in 1280x720_scale_0.5:0.5:kmh 1920x1080:1:kmh 2560x1440:1:kmh 3840x2160:1:kmh \
    1920x1080_mph:1:mph; do
  IFS=: read -r name scale units <<<"$screen"
  ../build/atlas-tool/face_sharpness "demo/sharpness/${name}_rest.png" \
    "demo/sharpness/${name}_backdrop.png" "$scale" "$units"
done | tee demo/sharpness/figures.txt
