#!/bin/sh
# wine-prefix.sh start|stop|template <prefix>
# start: creates the prefix if needed (64-bit, so that 32-bit programs see the
# 32-bit registry view and "Program Files (x86)" as on real Windows) and keeps
# one wineserver alive for the tests. stop: ends that wineserver. template:
# creates the prefix if needed and leaves it at rest, for the end-to-end
# scripts to copy (booting one takes half a minute; a copy, a second or two):
# the first script to start makes it, those that start meanwhile wait.
set -eu
export WINEPREFIX="$2"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# Made once: who comes while another makes it waits for it (the lock).
prepare() {
  mkdir -p "$WINEPREFIX"
  exec 9>"$WINEPREFIX/.lock"
  flock 9
  # Wine's daemons must not hold the lock.
  if [ ! -f "$WINEPREFIX/.ready" ]; then
    WINEARCH=win64 /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1 </dev/null 9>&-
    wineserver -w 9>&-
    "$(dirname "$0")/wine-isolate.sh" "$WINEPREFIX" 9>&-
    wineserver -w 9>&-
    touch "$WINEPREFIX/.ready"
  fi
  exec 9>&-
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
