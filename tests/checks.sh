#!/bin/bash
# Sourced by the end-to-end scripts: one check per line of output, and the
# closing counts for the test run's summary when it asks for them
# (VORN_CHECK_RESULTS: a file to write "<passed> <failed> <skipped>" to). A
# check that cannot run here (a mount refused) is skipped, never passed: it
# shows in the counts, and scripts/test.sh prints it.
failures=0; checks=0; skipped=0
check() { # description, command...
  local what="$1"; shift
  checks=$((checks + 1))
  if "$@"; then echo "  ok   $what"; else echo "  FAIL $what"; failures=$((failures + 1)); fi
}
not() { ! "$@"; } # command...: a check that the command fails
# Tries `command` until it holds, for at most `seconds` (a bound for a busy
# machine, not a measure): the outcome of the last try.
wait_until() { # seconds command...
  local end=$((SECONDS + $1)); shift
  until "$@"; do [ "$SECONDS" -ge "$end" ] && return 1; sleep 0.2; done
}
skip_check() { # description, reason
  echo "  SKIP $1: $2"; skipped=$((skipped + 1))
}

finish_checks() {
  echo "$((checks - failures)) passed, $failures failed, $skipped skipped"
  [ -n "${VORN_CHECK_RESULTS:-}" ] && echo "$((checks - failures)) $failures $skipped" > "$VORN_CHECK_RESULTS"
  test "$failures" -eq 0
}
