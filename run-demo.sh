#!/usr/bin/env bash
# The main job: installs what is missing, builds the module and its atlas,
# loads the module into the simulated host, plays a session and writes the
# frames it drew to out/demo/.
set -euo pipefail
cd "$(dirname "$0")"
./tools/setup.sh

# The atlas artwork and the host's texture dictionary files (km/h and mph
# faces), drawn by our tool: DXT5 as players get them, and 32-bit beside them
# to measure what compression costs.
cmake -S tools/atlas -B build/atlas-tool -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/atlas-tool
mkdir -p out/assets/models out/assets-rgba32/models
build/atlas-tool/speedometer_atlas out/atlas.png out/assets/models/speedometer.txd
build/atlas-tool/speedometer_atlas --mph out/atlas_mph.png out/assets/models/speedometer_mph.txd
build/atlas-tool/speedometer_atlas --rgba32 out/atlas.png out/assets-rgba32/models/speedometer.txd
build/atlas-tool/speedometer_atlas --rgba32 --mph out/atlas_mph.png \
  out/assets-rgba32/models/speedometer_mph.txd
# The example skin "light", packed from its PNGs by the skin kit's packer.
for units in "" _mph; do
  # The packer never writes the shipped skin's own files, and writes only
  # the dictionary a PNG's name makes: a PNG named example, its file moved.
  build/atlas-tool/speedometer_atlas --light ${units:+--mph} "out/example$units.png" \
    "out/atlas_light$units.txd"
  build/atlas-tool/skin/speedometer_skin "out/example$units.png" \
    "out/speedometer_example$units.txd" >/dev/null
  mv "out/speedometer_example$units.txd" "out/assets/models/speedometer_light$units.txd"
  build/atlas-tool/skin/speedometer_skin --32bit "out/example$units.png" \
    "out/speedometer_example$units.txd" >/dev/null
  mv "out/speedometer_example$units.txd" "out/assets-rgba32/models/speedometer_light$units.txd"
done

# The module and the simulated host.
cmake --preset windows >/dev/null
cmake --build --preset windows --target speedometer_module simulated_host

mkdir -p out/demo out/demo-rgba32
cp build/windows/speedometer.asi out/demo/
cp build/windows/speedometer.asi out/demo-rgba32/
cd out
# It draws through Wine's Direct3D 9, on a virtual X display of its own. The
# same session again from the 32-bit dictionaries, for comparison.
../tools/with-display.sh ../tools/wine-run.sh ../build/windows/simhost/simulated_host.exe \
  demo/speedometer.asi assets demo
../tools/with-display.sh ../tools/wine-run.sh ../build/windows/simhost/simulated_host.exe \
  demo-rgba32/speedometer.asi assets-rgba32 demo-rgba32 >/dev/null
echo "frames: $(pwd)/demo/*.png"

# How sharp the dial face is on each screen, against the face drawn at size,
# from the DXT5 and the 32-bit dictionaries, and how close the DXT5 gauge is
# to the 32-bit one.
for screen in 1280x720_scale_0.5:0.5:kmh 1920x1080:1:kmh 2560x1440:1:kmh 3840x2160:1:kmh \
    1920x1080_mph:1:mph; do
  IFS=: read -r name scale units <<<"$screen"
  for demo in demo demo-rgba32; do
    echo -n "$demo: "
    ../build/atlas-tool/face_sharpness "$demo/sharpness/${name}_rest.png" \
      "$demo/sharpness/${name}_backdrop.png" "$scale" "$units"
  done
  ../build/atlas-tool/gauge_psnr "demo/sharpness/${name}_rest.png" \
    "demo-rgba32/sharpness/${name}_rest.png" "demo/sharpness/${name}_backdrop.png"
done | tee demo/sharpness/figures.txt
# What compression costs the atlas itself, level by level and at the needle.
../build/atlas-tool/dxt_figures | tee demo/dxt_figures.txt
