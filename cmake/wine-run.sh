#!/bin/sh
# Runs a Windows program under Wine in the given prefix: wine-run.sh <prefix> <program> [arguments]
# The 64-bit loader runs 64-bit programs itself and hands 32-bit ones to the
# 32-bit loader (WoW64), so it serves every target.
export WINEPREFIX="$1"
shift
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}"
export WINELOADER=/usr/lib/wine/wine64
exec /usr/lib/wine/wine64 "$@"
