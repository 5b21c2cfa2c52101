#!/bin/bash
# Host extraction of one application two ways, run after run in turn so that
# both see the same load: 7-Zip's 7zz x of a solid 7z archive of the files,
# and VornPack extract of a container packed as setup packs it (solid groups).
# Both outputs are compared with the source, file by file, before the figures
# print: wall seconds (best and median of RUNS), CPU seconds (user + system)
# of the best run, and how many times faster VornPack is.
#
#   [RUNS=5] [PAYLOAD=debian|generated|executables] [JOBS=N] benchmarks/host-extract.sh [megabytes, default 100] [VornPack]
#
# PAYLOAD as in installer-comparison.sh; JOBS is passed to extract as --jobs
# (unset: its default). The load average before and after is printed too:
# on a shared machine, compare figures of one run of this script only.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
MEGABYTES=${1:-100}
VORNPACK=$(realpath "${2:-$root/build/host/Tools/VornPack/VornPack}")
RUNS=${RUNS:-5}
PAYLOAD=${PAYLOAD:-debian}
SEVENZIP=$(command -v 7zz || command -v 7z) || { echo "7zz not found (Debian package 7zip)"; exit 1; }
WORK=$(mktemp -d /tmp/host-extract.XXXXXX)
trap 'rm -rf "$WORK"' EXIT

case $PAYLOAD in
    generated) python3 "$root/benchmarks/generate-application.py" "$WORK/app" "$MEGABYTES" >/dev/null ;;
    debian | executables) python3 "$root/benchmarks/collect-application.py" "$WORK/app" "$MEGABYTES" "$PAYLOAD" >/dev/null ;;
    *) echo "PAYLOAD is generated, debian or executables, not $PAYLOAD"; exit 1 ;;
esac
(cd "$WORK/app" && find . -type f | sed 's|^\./||' | sort >"$WORK/names.txt")
BYTES=$(find "$WORK/app" -type f -printf '%s\n' | awk '{s += $1} END {print s}')
echo "$(wc -l <"$WORK/names.txt") files, $BYTES bytes; packing both..."
(cd "$WORK/app" && "$SEVENZIP" a -bd "$WORK/app.7z" . >/dev/null)
"$VORNPACK" pack "$WORK/app" -o "$WORK/app.container" --quiet >/dev/null
echo "sizes: 7z $(stat -c %s "$WORK/app.7z"), container $(stat -c %s "$WORK/app.container")"
echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"

# Appends "wall cpu" of one run to $WORK/<label>; the output must equal the source.
run() { # label output command...
    local label=$1 output=$2
    shift 2
    rm -rf "$output"
    sync
    /usr/bin/time -f "%e %U %S" -o "$WORK/time" "$@" >/dev/null 2>&1 || { echo "$label failed"; exit 1; }
    diff -rq "$WORK/app" "$output" >/dev/null || { echo "$label: output differs from the source"; exit 1; }
    awk '{printf "%s %.2f\n", $1, $2 + $3}' "$WORK/time" >>"$WORK/$label"
}
jobs=()
[ -n "${JOBS:-}" ] && jobs=(--jobs "$JOBS")
for _ in $(seq "$RUNS"); do
    run 7z "$WORK/out-7z" "$SEVENZIP" x -bd -y -o"$WORK/out-7z" "$WORK/app.7z"
    run extract "$WORK/out-extract" "$VORNPACK" extract "$WORK/app.container" "$WORK/out-extract" \
        --names "$WORK/names.txt" "${jobs[@]}"
done
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"

# "best median cpu-of-best" of a label's runs.
figures() { sort -n "$WORK/$1" | awk '{w[NR] = $1; c[NR] = $2} END {printf "%s %s %s\n", w[1], w[int((NR + 1) / 2)], c[1]}'; }
read -r best7 median7 cpu7 < <(figures 7z)
read -r bestx medianx cpux < <(figures extract)
printf '%-28s %8s %8s %8s\n' "" "best s" "median s" "CPU s"
printf '%-28s %8s %8s %8s\n' "7zz x, solid 7z archive" "$best7" "$median7" "$cpu7"
printf '%-28s %8s %8s %8s\n' "VornPack extract, groups" "$bestx" "$medianx" "$cpux"
echo "$best7 $bestx $median7 $medianx" |
    awk '{printf "VornPack extract vs 7zz x: %.2fx (best), %.2fx (median); files equal\n", $1 / $2, $3 / $4}'
