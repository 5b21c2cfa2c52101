#!/bin/sh
# wine-prefix.sh start|stop|template <prefix>
# start: creates the prefix if needed (64-bit, so that 32-bit programs see the
# 32-bit registry view and "Program Files (x86)" as on real Windows) and keeps
# one wineserver alive for the tests. stop: ends that wineserver. template:
# creates the prefix if needed and leaves it at rest, for the end-to-end
# scripts to copy (booting one takes half a minute; a copy, a second or two).
set -eu
export WINEPREFIX="$2"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
prepare() {
  [ -f "$WINEPREFIX/.ready" ] && return 0
  mkdir -p "$WINEPREFIX"
  WINEARCH=win64 /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1 </dev/null
  wineserver -w
  "$(dirname "$0")/wine-isolate.sh" "$WINEPREFIX"
  touch "$WINEPREFIX/.ready"
}
case "$1" in
  start)
    prepare
    # Daemons inherit the test's output pipe, which would keep CTest waiting.
    wineserver -p120 >/dev/null 2>&1 </dev/null
    # The first program of a session starts Wine's services; start them here,
    # away from the tests' output pipes.
    /usr/lib/wine/wine64 cmd.exe /c exit >/dev/null 2>&1 </dev/null
    ;;
  template)
    prepare
    ;;
  stop)
    wineserver -k >/dev/null 2>&1 </dev/null || true
    ;;
esac
