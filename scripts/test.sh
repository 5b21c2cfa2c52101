#!/usr/bin/env bash
# Runs every test: the host build (plain and with ASan+UBSan) and the Windows
# build under Wine. The product (win32) is always built; its tests run under
# Wine where this machine can execute 32-bit code, else the 64-bit build of the
# same sources runs them. Installs what is missing first. Ends with the line
# "N passed, N failed" counted over every test case of every run.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
cd "$root"

"$root/scripts/install-deps.sh"
start_xvfb

wine_preset="$(wine_test_preset)"
presets=(${VORN_TEST_PRESETS:-host host-asan $wine_preset})
status=0
if [ "$wine_preset" != win32 ]; then
  echo "== win32: build (this machine cannot execute 32-bit code: Wine tests use $wine_preset)"
  build_preset win32 | grep -vE '^\[[0-9]+/[0-9]+\] ' || true
  ctest --preset win32 -L static || status=1
fi
if [[ " ${presets[*]} " == *" win32 "* ]]; then
  # The win32 tests install it beside the 32-bit one (ExecutableX64).
  echo "== win64: VornDemo for the win32 tests"
  build_preset win64 VornDemo | grep -vE '^\[[0-9]+/[0-9]+\] ' || true
fi
for preset in "${presets[@]}"; do
  echo "== $preset: build"
  build_preset "$preset" | grep -vE '^\[[0-9]+/[0-9]+\] ' || true
  rm -f "build/$preset/test-results/"*.xml "build/$preset/test-results/"*.checks
  echo "== $preset: test"
  ctest --preset "$preset" -j "$jobs" || status=1
done

# Fuzz smoke: each fuzz target a short run on its corpus where clang can build
# them (VORN_FUZZ_SECONDS=0 leaves it out); its checks count with the rest.
fuzz_status=0; "$root/scripts/fuzz.sh" "${VORN_FUZZ_SECONDS:-30}" || fuzz_status=$?
[ "$fuzz_status" -eq 2 ] || presets+=(fuzz)
[ "$fuzz_status" -eq 0 ] || [ "$fuzz_status" -eq 2 ] || status=1

# A case or check that could not run here (GTEST_SKIP, a refused mount) is
# counted as skipped, not as passed, and named in the summary.
passed=0; failed=0; skipped=0
skipped_note() { [ "$1" -eq 0 ] || echo ", $1 skipped"; }
for preset in "${presets[@]}"; do
  for xml in build/"$preset"/test-results/*.xml; do
    [ -f "$xml" ] || continue
    header="$(grep -m1 '<testsuites ' "$xml")"
    tests="$(sed -E 's/.* tests="([0-9]+)".*/\1/' <<<"$header")"
    failures="$(sed -E 's/.* failures="([0-9]+)".*/\1/' <<<"$header")"
    errors="$(sed -E 's/.* errors="([0-9]+)".*/\1/' <<<"$header")"
    skips="$(grep -o '<testsuite [^>]* skipped="[0-9]*"' "$xml" | sed -E 's/.* skipped="([0-9]+)"/\1/' |
      awk '{s += $1} END {print s + 0}')"
    echo "$preset $(basename "$xml" .xml): $tests cases, $((failures + errors)) failed$(skipped_note "$skips")"
    passed=$((passed + tests - failures - errors - skips)); failed=$((failed + failures + errors))
    skipped=$((skipped + skips))
  done
  # End-to-end scripts count their checks themselves.
  for counts in build/"$preset"/test-results/*.checks; do
    [ -f "$counts" ] || continue
    read -r ok bad skips < "$counts"
    skips="${skips:-0}"
    echo "$preset $(basename "$counts" .checks): $((ok + bad)) checks, $bad failed$(skipped_note "$skips")"
    passed=$((passed + ok)); failed=$((failed + bad)); skipped=$((skipped + skips))
  done
done
[ "$status" -eq 0 ] || [ "$failed" -gt 0 ] || failed=1
[ "$skipped" -eq 0 ] || echo "$skipped skipped: they could not run on this machine (the suites above say which)"
echo "$passed passed, $failed failed"
exit "$status"
