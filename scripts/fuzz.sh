#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, ASan and UBSan on) and runs each on its
# committed corpus for a while: `scripts/fuzz.sh [seconds per target]` (30 by
# default). New inputs go to a scratch folder, never into the corpus; a crash,
# leak, timeout or undefined behaviour fails the target and its input is kept
# in build/fuzz/test-results/artifacts. The counts go to
# build/fuzz/test-results/Fuzz.checks ("passed failed") for scripts/test.sh.
# `scripts/fuzz.sh merge <target> <folder>...` minimises what a longer run
# found into the target's corpus.
# Ends with 0 when every target ran clean, 1 on a finding, 2 when skipped (no
# time given, or no clang++ with the libFuzzer runtime on this machine).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
cd "$root"

# Target, its folder in the fuzz build and in the sources, its corpus there.
targets=(
  "TextReaderFuzz tests/VornLib/core/fuzz corpus/text"
  "XmlReaderFuzz tests/VornLib/core/fuzz corpus/xml"
  "ArchiveFuzz tests/VornLib/data/fuzz corpus/archive"
  "BinaryDeltaFuzz tests/VornLib/data/fuzz corpus/binarydelta"
  "BlockStreamFuzz tests/VornLib/data/fuzz corpus/blocks"
  "PictureFuzz tests/VornLib/data/fuzz corpus/picture"
  "PeResourcesFuzz tests/Tools/VornPack/fuzz corpus/pe"
)
# Inputs above this size only slow the search down; the corpora stay small.
max_len=4096

can_build_fuzzers() {
  command -v clang++ >/dev/null 2>&1 || return 1
  local probe; probe="$(mktemp)"
  echo 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }' |
    clang++ -x c++ -fsanitize=fuzzer,address,undefined - -o "$probe" >/dev/null 2>&1
  local built=$?
  rm -f "$probe"
  return $built
}

if [ "${1:-}" = 0 ]; then
  echo "== fuzz: skipped (no time given)"
  exit 2
fi
if ! can_build_fuzzers; then
  echo "== fuzz: skipped, clang++ with the libFuzzer runtime is missing (scripts/install-deps.sh installs both)"
  exit 2
fi

names=(); for entry in "${targets[@]}"; do read -r name _ <<<"$entry"; names+=("$name"); done
echo "== fuzz: build"
build_preset fuzz "${names[@]}" | grep -vE '^\[[0-9]+/[0-9]+\] ' || true

if [ "${1:-}" = merge ]; then
  [ $# -ge 3 ] || { echo "usage: scripts/fuzz.sh merge <target> <folder>..." >&2; exit 64; }
  wanted="$2"; shift 2
  for entry in "${targets[@]}"; do
    read -r name folder corpus <<<"$entry"
    [ "$name" = "$wanted" ] || continue
    # Edges, not hit counts, decide what is kept: a few dozen files a target.
    "build/fuzz/$folder/$name" -merge=1 -use_counters=0 -max_len="$max_len" "$folder/$corpus" "$@"
    exit
  done
  echo "fuzz: no target $wanted" >&2; exit 64
fi

seconds="${1:-30}"
results=build/fuzz/test-results
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
rm -rf "$results/artifacts" "$results/Fuzz.checks"; mkdir -p "$results/artifacts"
ok=0; bad=0
for entry in "${targets[@]}"; do
  read -r name folder corpus <<<"$entry"
  log="$results/$name.log"
  mkdir -p "$scratch/$name"
  if "build/fuzz/$folder/$name" -max_total_time="$seconds" -max_len="$max_len" -timeout=10 \
      -print_final_stats=1 -artifact_prefix="$results/artifacts/$name-" \
      "$scratch/$name" "$folder/$corpus" >"$log" 2>&1; then
    ok=$((ok + 1)); verdict=ok
  else
    bad=$((bad + 1)); verdict="FAILED (see $log)"
  fi
  # A target that died early printed none of these.
  runs="$(sed -nE 's/^stat::number_of_executed_units: *([0-9]+)/\1/p' "$log")"
  speed="$(sed -nE 's/^stat::average_exec_per_sec: *([0-9]+)/\1/p' "$log")"
  coverage="$(grep -oE 'cov: [0-9]+' "$log" | tail -n 1 || true)"
  echo "$name: ${runs:-?} runs, ${speed:-?} exec/s, ${coverage:-cov: ?}, corpus $(ls "$folder/$corpus" | wc -l) files: $verdict"
done
echo "$ok $bad" >"$results/Fuzz.checks"
[ "$bad" -eq 0 ]
