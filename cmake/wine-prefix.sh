#!/bin/sh
# wine-prefix.sh start|stop <prefix>
# start: creates the prefix if needed (64-bit, so that 32-bit programs see the
# 32-bit registry view and "Program Files (x86)" as on real Windows) and keeps
# one wineserver alive for the tests. stop: ends that wineserver.
set -eu
export WINEPREFIX="$2"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
case "$1" in
  start)
    mkdir -p "$WINEPREFIX"
    # Daemons inherit the test's output pipe, which would keep CTest waiting.
    wineserver -p120 >/dev/null 2>&1 </dev/null
    if [ ! -f "$WINEPREFIX/.ready" ]; then
      WINEARCH=win64 /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1 </dev/null
      wineserver -w
      "$(dirname "$0")/wine-isolate.sh" "$WINEPREFIX"
      wineserver -p120 >/dev/null 2>&1 </dev/null
      touch "$WINEPREFIX/.ready"
    fi
    # The first program of a session starts Wine's services; start them here,
    # away from the tests' output pipes.
    /usr/lib/wine/wine64 cmd.exe /c exit >/dev/null 2>&1 </dev/null
    ;;
  stop)
    wineserver -k >/dev/null 2>&1 </dev/null || true
    ;;
esac
