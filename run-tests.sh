#!/usr/bin/env bash
# Installs what is missing, builds the module, the simulated host and the
# tests, and runs every test under Wine.
set -euo pipefail
cd "$(dirname "$0")"
./tools/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows
ctest --preset windows "$@"
