#!/bin/sh
# idle-cpu.sh <wine-run> <prefix> <program> <window-class> [seconds]
# Starts a framework program under Wine, lets it sit idle and reads the
# processor time its Linux process used from /proc (Wine's own accounting of
# other processes is too coarse). Fails above 1% of one core.
set -eu
run="$1"; prefix="$2"; program="$3"; seconds="${5:-10}"
"$run" "$prefix" "$program" /AllowMultipleInstances >/dev/null 2>&1 &
launcher=$!
name="$(basename "$program")"
short="$(echo "$name" | cut -c1-15)"
# The newest process of that name in this prefix: an instance of an earlier
# test may still be ending, and other tests run the same program in theirs.
find_pid() {
  for p in $(pgrep -n -f "$name"; pgrep -f "$name" | sort -rn); do
    [ "$(cat /proc/$p/comm 2>/dev/null)" = "$short" ] || continue
    tr '\0' '\n' <"/proc/$p/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$prefix" || continue
    echo "$p"; return
  done
}
sleep 3 # start-up work is not idleness
pid=""
for _ in $(seq 1 300); do
  pid="$(find_pid)"
  [ -n "$pid" ] && break
  sleep 0.1
done
[ -n "$pid" ] || { echo "$name did not start"; exit 1; }
ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
before="$(ticks "$pid")"
sleep "$seconds"
after="$(ticks "$pid")"
kill "$pid" 2>/dev/null || true
wait "$launcher" 2>/dev/null || true
hz="$(getconf CLK_TCK)"
used_ms=$(( (after - before) * 1000 / hz ))
limit_ms=$(( seconds * 10 ))
echo "$name idle for ${seconds} s: ${used_ms} ms of processor time (limit ${limit_ms} ms)"
[ "$used_ms" -le "$limit_ms" ]
