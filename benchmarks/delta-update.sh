#!/bin/bash
# What a delta setup saves: version 1 of the comparison payload (Debian's
# DLLs and text files, as installer-comparison.sh's PAYLOAD=debian) with a
# program of its own; version 2 rebuilds that program after a small code
# change (one function grows by a statement, so the code after it moves, as
# a real change moves it) and adds one small file. Prints the full setup of
# version 2 beside the delta setup from version 1 ("VornPack delta"), the
# program's patch beside zstd's --patch-from and bsdiff of the same two files
# (each compressed as its tool ships it: ours as the setup's container packs
# it, LZMA2), and the time under Wine of the delta setup and of the full
# setup, each run quietly over an installation of version 1 in a fresh prefix
# and compared file by file with version 2 before its figure prints.
#
#   benchmarks/delta-update.sh [megabytes, default 100] [VornPack] [VornSetup stub]
#
# Defaults as installer-comparison.sh's. Installs zstd and bsdiff (Debian
# packages) when missing; TMPDIR chooses where it works (about 3 GB), and
# KEEP=1 keeps it, with each timed setup's log in its prefix (C:\<row>.log).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/lib.sh"
MEGABYTES=${1:-100}
VORNPACK=$(realpath "${2:-$root/build/host/Tools/VornPack/VornPack}")
STUB=$(realpath "${3:-$root/build/$(wine_test_preset)/Applications/VornSetup/VornSetup.exe}")
RUN="$root/cmake/wine-run.sh"
for tool in zstd bsdiff; do
    command -v $tool >/dev/null ||
        DEBIAN_FRONTEND=noninteractive apt-get install -y -q $tool >/dev/null
done
case "$(file -b "$STUB")" in *x86-64*) CC=x86_64-w64-mingw32-gcc ;; *) CC=i686-w64-mingw32-gcc ;; esac
WORK=$(mktemp -d "${TMPDIR:-/tmp}/delta-update.XXXXXX")
start_xvfb
cleanup() {
    set +e
    for prefix in "$WORK"/prefix-*; do
        [ -d "$prefix" ] && WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1
    done
    kill "$VORN_XVFB_PID" 2>/dev/null
    if [ -n "${KEEP:-}" ]; then echo "kept $WORK"; else rm -rf "$WORK"; fi
}
on_exit() { local status=$?; cleanup; exit "$status"; }
trap on_exit EXIT
export WINEDEBUG=-all
now() { date +%s.%N; }
elapsed() { echo "$1 $(now)" | awk '{printf "%.2f", $2 - $1}'; }
kib() { echo "$1" | awk '{printf "%.1f", $1 / 1024}'; }
share() { echo "$1 $2" | awk '{printf "%.2f %%", 100 * $1 / $2}'; }

echo "collecting $MEGABYTES MiB of Debian's DLLs and text files..."
python3 "$root/benchmarks/collect-application.py" "$WORK/v1" "$MEGABYTES" >/dev/null
cp "$(dirname "$STUB")/../VornDemo/VornDemo.exe" "$WORK/v1/"

# The vendor's program: many functions calling one another; version 2 gives
# one of the first an extra statement.
program() { # source file, changed 0|1
    python3 - "$1" "$2" <<'PY'
import random, sys
path, changed = sys.argv[1], sys.argv[2] == "1"
rng = random.Random(7)
lines = ["#include <stdio.h>", "volatile int sink;"]
for i in range(6000):
    a, b, c = rng.randrange(1, 97), rng.randrange(1, 89), rng.randrange(2, 13)
    call = f"sink += f{i - 1 - rng.randrange(min(i, 40))}(x + {c});" if i else ""
    extra = "sink ^= x * 31 + 7;" if changed and i == 150 else ""
    lines.append(f"int f{i}(int x) {{ int y = x * {a} + {b}; {call} {extra}"
                 f" if (y % {c} == 0) y ^= {a * b}; return y + sink; }}")
lines.append('int main(int argc, char** argv) { printf("%d\\n", f5999(argc)); return 0; }')
open(path, "w").write("\n".join(lines) + "\n")
PY
}
cp -a "$WORK/v1" "$WORK/v2"
for version in 1 2; do
    program "$WORK/tool$version.c" $((version - 1))
    $CC -O2 -o "$WORK/v$version/Tool.exe" "$WORK/tool$version.c"
done
touch -d '2024-01-01 00:00:00 UTC' "$WORK/v1/Tool.exe"
printf 'What is new in version 2\n' > "$WORK/v2/Notes.txt"
definitions() { # version -> a copy of the example definitions at that version
    rm -rf "$WORK/definitions-$1"
    cp -r "$root/Applications/VornSetup/definitions" "$WORK/definitions-$1"
    sed -i "s/Name=\"VornDemo\" Version=\"1.0.0\"/Name=\"VornDemo\" Version=\"$1.0.0\"/" \
        "$WORK/definitions-$1/Configuration.xml"
    echo "$WORK/definitions-$1"
}
echo "packing both versions..."
for version in 1 2; do
    "$VORNPACK" setup --app "$WORK/v$version" --definitions "$(definitions $version)" --stub "$STUB" \
        -o "$WORK/Setup$version.exe" --quiet
done
start=$(now)
"$VORNPACK" delta --from "$WORK/Setup1.exe" --to "$WORK/Setup2.exe" --stub "$STUB" \
    -o "$WORK/Delta.exe" --quiet
making=$(elapsed "$start")

# The program's patch, as the delta setup carries it, beside its peers.
mkdir -p "$WORK/extracted"
echo "Application/Tool.exe" > "$WORK/patch.names"
"$VORNPACK" extract "$WORK/Delta.exe" "$WORK/extracted" --names "$WORK/patch.names" >/dev/null
ours=$("$VORNPACK" pack "$WORK/extracted" -o "$WORK/patch.container" --quiet >/dev/null &&
    stat -c %s "$WORK/patch.container")
zstd -q -19 --long=27 --patch-from="$WORK/v1/Tool.exe" "$WORK/v2/Tool.exe" -o "$WORK/tool.zst"
bsdiff "$WORK/v1/Tool.exe" "$WORK/v2/Tool.exe" "$WORK/tool.bsdiff"
whole=$(xz -9 -c "$WORK/v2/Tool.exe" | wc -c)

echo "preparing Wine prefixes with version 1 installed (not timed)..."
template="$WORK/prefix-template"
WINEPREFIX="$template" WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" \
    /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1 </dev/null
WINEPREFIX="$template" wineserver -w
"$root/cmake/wine-isolate.sh" "$template"
"$RUN" "$template" "$WORK/Setup1.exe" /Quiet >/dev/null 2>&1 </dev/null
WINEPREFIX="$template" wineserver -w
installed() { echo "$1/drive_c/Program Files (x86)/VornDemo"; } # prefix
[ -f "$(installed "$template")/Tool.exe" ] || { echo "version 1 did not install"; exit 1; }
declare -A seconds
for row in delta full; do
    cp -a "$template" "$WORK/prefix-$row"
done
sync
for row in delta full; do
    prefix="$WORK/prefix-$row"
    setup="$WORK/Setup2.exe"; [ $row = delta ] && setup="$WORK/Delta.exe"
    start=$(now)
    "$RUN" "$prefix" "$setup" /Quiet "/Log:C:\\$row.log" >/dev/null 2>&1 </dev/null ||
        { echo "$row: exit code $?"; exit 1; }
    seconds[$row]=$(elapsed "$start")
    WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true
    diff -rq -x VornLib.Setup.exe "$WORK/v2" "$(installed "$prefix")" >/dev/null ||
        { echo "$row: the installation is not version 2"; exit 1; }
done

full=$(stat -c %s "$WORK/Setup2.exe"); delta=$(stat -c %s "$WORK/Delta.exe"); stub=$(stat -c %s "$STUB")
echo
echo "payload: $(find "$WORK/v2" -type f | wc -l) files, $(du -sm "$WORK/v2" | cut -f1) MiB; Tool.exe $(stat -c %s "$WORK/v1/Tool.exe") -> $(stat -c %s "$WORK/v2/Tool.exe") bytes, $(cmp -l "$WORK/v1/Tool.exe" "$WORK/v2/Tool.exe" 2>/dev/null | wc -l) bytes differ"
printf '%-44s %12s %10s\n' "" bytes "of full"
printf '%-44s %12s %10s\n' "full setup of version 2" "$full" "100 %"
printf '%-44s %12s %10s\n' "delta setup 1 -> 2" "$delta" "$(share "$delta" "$full")"
printf '%-44s %12s %10s\n' "  of which the setup stub" "$stub" "$(share "$stub" "$full")"
printf '%-44s %12s %10s\n' "  of which the payload" "$((delta - stub))" "$(share $((delta - stub)) "$full")"
printf '%-44s %12s\n' "Tool.exe whole, xz -9" "$whole"
printf '%-44s %12s\n' "Tool.exe patch, ours (LZMA2 container)" "$ours"
printf '%-44s %12s\n' "Tool.exe patch, zstd -19 --patch-from" "$(stat -c %s "$WORK/tool.zst")"
printf '%-44s %12s\n' "Tool.exe patch, bsdiff" "$(stat -c %s "$WORK/tool.bsdiff")"
echo "making the delta setup: $making s (host)"
echo "applying over version 1 under Wine, /Quiet: delta setup ${seconds[delta]} s, full setup ${seconds[full]} s"
