#!/usr/bin/env bash
# Runs a command on a virtual X display of its own (Wine's Direct3D 9 draws
# through one), then waits for the Wine server it started to end before the
# display goes. A Wine desktop cut off from its display would otherwise
# linger in the prefix and leave the next programs there without windows.
set -uo pipefail
export WINEPREFIX="${WINEPREFIX:-$HOME/.wine-speedometer}"
exec xvfb-run -a bash -c '"$@"; status=$?; wineserver -w; exit $status' with-display "$@"
