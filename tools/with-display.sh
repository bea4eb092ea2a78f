#!/usr/bin/env bash
# Runs a command on a virtual X display of its own (Wine's Direct3D 9 draws
# through one), then waits for the Wine server it started to end before the
# display goes. A Wine desktop cut off from its display would otherwise
# linger in the prefix and leave the next programs there without windows.
# The wait is bounded (WINE_END_WAIT seconds, 120 by default): a program
# still running then (a test killed at its time-out can leave one) would
# hold the server, and this command, for ever. What is left is ended, and
# said, and the command fails.
set -uo pipefail
export WINEPREFIX="${WINEPREFIX:-$HOME/.wine-speedometer}"
export WINE_END_WAIT="${WINE_END_WAIT:-120}"
exec xvfb-run -a bash -c '"$@"; status=$?
if ! timeout "$WINE_END_WAIT" wineserver -w; then
    echo "with-display: Wine programs were still running $WINE_END_WAIT s after the command" \
        "ended; ended them with wineserver -k" >&2
    wineserver -k
    [ "$status" -ne 0 ] || status=1
fi
exit $status' with-display "$@"
