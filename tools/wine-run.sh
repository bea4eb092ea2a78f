#!/usr/bin/env bash
# Runs a Windows program under Wine quietly; CTest uses it as the cross-compiling emulator.
# Wine's debugger is kept from starting: on a display it waits on a dialog, so
# a program that crashed would hang until CTest's timeout. Without it Wine
# prints the fault and its address, and the program ends at once with the
# exception's code.
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
export WINEARCH=win32
export WINEPREFIX="${WINEPREFIX:-$HOME/.wine-speedometer}"
exec wine "$@"
