#!/usr/bin/env bash
# Runs a Windows program under Wine quietly; CTest uses it as the cross-compiling emulator.
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win32
export WINEPREFIX="${WINEPREFIX:-$HOME/.wine-speedometer}"
exec wine "$@"
