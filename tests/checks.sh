#!/bin/bash
# Sourced by the end-to-end scripts: one check per line of output, and the
# closing counts for the test run's summary when it asks for them
# (VORN_CHECK_RESULTS: a file to write "<passed> <failed>" to).
failures=0; checks=0
check() { # description, command...
  local what="$1"; shift
  checks=$((checks + 1))
  if "$@"; then echo "  ok   $what"; else echo "  FAIL $what"; failures=$((failures + 1)); fi
}

finish_checks() {
  echo "$((checks - failures)) passed, $failures failed"
  [ -n "${VORN_CHECK_RESULTS:-}" ] && echo "$((checks - failures)) $failures" > "$VORN_CHECK_RESULTS"
  test "$failures" -eq 0
}
