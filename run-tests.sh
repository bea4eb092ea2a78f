#!/usr/bin/env bash
# Installs what is missing, builds the module, the simulated host and the
# tests, runs every test under Wine, then builds and tests the atlas tool.
# The simulated host draws through Wine's Direct3D 9, which needs an X
# display: the tests get a virtual one of their own, gone when they end.
set -euo pipefail
cd "$(dirname "$0")"
./tools/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows
tools/with-display.sh ctest --preset windows "$@"

# The atlas artwork tool is a native program with tests of its own.
cmake -S tools/atlas -B build/atlas-tool -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/atlas-tool
ctest --test-dir build/atlas-tool --output-on-failure "$@"
