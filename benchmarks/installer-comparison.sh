#!/bin/bash
# Our setup beside two NSIS installers of the same application, each
# installed quietly under the same Wine in a fresh prefix with the desktop up:
# one NSIS installer with "SetCompressor /SOLID lzma", one with NSIS's default
# zlib. Both NSIS scripts copy the tree, write an uninstaller, an uninstall
# entry and one shortcut, as our setup does. Every installation is compared
# file by file with the source before its figure prints; the best of RUNS
# counts. Extra rows: host extraction of a solid 7z archive by 7z x and of a
# container (packed as setup packs, in solid groups) by VornPack extract.
# One more Wine row, not a competitor: our setup packed with --method store,
# which decodes nothing: what writing the files costs under Wine alone, the
# floor below which no compressed installer's time can go here.
#
#   [RUNS=2] [PAYLOAD=generated|debian|executables] benchmarks/installer-comparison.sh [megabytes, default 100] [VornPack] [VornSetup stub]
#
# PAYLOAD=generated (the default) is generate-application.py's mix of made-up
# binaries, media, texts and records; PAYLOAD=debian is collect-application.py's
# real files: large Windows DLLs and many small text files; PAYLOAD=executables
# the same with Wine's 64-bit DLLs, each a different program, as the DLLs.
#
# Defaults: build/host/Tools/VornPack/VornPack and the win32 stub where this
# machine runs 32-bit code (the win64 one elsewhere). Installs NSIS (Debian
# package nsis) when makensis is missing. MB/s is application bytes / wall
# time; "x LZMA" and "x zlib" are how many times faster than each NSIS
# installer; peak MiB is the largest VmHWM of the installer's processes
# (for ours: the launcher or its elevated copy), which counts the pages of the
# setup executable that were read. Nothing is deleted before the end (about
# 1.5 GB of disk a Wine run); TMPDIR chooses where it works.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/lib.sh"
MEGABYTES=${1:-100}
VORNPACK=$(realpath "${2:-$root/build/host/Tools/VornPack/VornPack}")
STUB=$(realpath "${3:-$root/build/$(wine_test_preset)/Applications/VornSetup/VornSetup.exe}")
RUNS=${RUNS:-2}
PAYLOAD=${PAYLOAD:-generated}
RUN="$root/cmake/wine-run.sh"
SEVENZIP=$(command -v 7z || command -v 7zz) || { echo "7z/7zz not found (Debian package 7zip)"; exit 1; }
if ! command -v makensis >/dev/null; then
    echo "installing NSIS..."
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q nsis >/dev/null
fi
WORK=$(mktemp -d "${TMPDIR:-/tmp}/installer-comparison.XXXXXX")
POLLER=
start_xvfb
cleanup() {
    set +e
    [ -n "$POLLER" ] && kill "$POLLER" 2>/dev/null
    for prefix in "$WORK"/prefix-*; do
        [ -d "$prefix" ] && WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1
    done
    kill "$VORN_XVFB_PID" 2>/dev/null
    rm -rf "$WORK"
}
trap 'status=$?; cleanup; exit $status' EXIT
export WINEDEBUG=-all
INSTALL_FOLDER='C:\Bench\App'

case $PAYLOAD in
    generated)
        echo "generating $MEGABYTES MiB of application files..."
        python3 "$root/benchmarks/generate-application.py" "$WORK/app" "$MEGABYTES" ;;
    debian)
        echo "collecting $MEGABYTES MiB of Debian's DLLs and text files..."
        python3 "$root/benchmarks/collect-application.py" "$WORK/app" "$MEGABYTES" ;;
    executables)
        echo "collecting $MEGABYTES MiB of Wine's 64-bit DLLs and text files..."
        python3 "$root/benchmarks/collect-application.py" "$WORK/app" "$MEGABYTES" executables ;;
    *) echo "PAYLOAD is generated, debian or executables, not $PAYLOAD"; exit 1 ;;
esac
# The program the definitions declare, which a setup must carry; every
# installer packs it with the rest.
cp "$(dirname "$STUB")/../VornDemo/VornDemo.exe" "$WORK/app/"
# The shortcut of both NSIS scripts points at the first file.
FIRST=$(cd "$WORK/app" && find . -type f | sort | sed -n 1p | sed 's|^\./||; s|/|\\|g')
BYTES=$(find "$WORK/app" -type f -printf '%s\n' | awk '{s += $1} END {print s}')
FILES=$(find "$WORK/app" -type f | wc -l)
(cd "$WORK/app" && find . -type f | sed 's|^\./||' | sort >"$WORK/names.txt")

# Complete when it holds the source's files, bytes and contents; `extra` names
# one more file the installer writes there itself (NSIS's uninstaller).
verify() { # folder label [extra]
    local folder=$1 label=$2 extra=${3:-} files bytes exclude=()
    if [ -n "$extra" ]; then
        [ -f "$folder/$extra" ] || { echo "  $label: $extra MISSING"; return 1; }
        exclude=(-not -name "$extra")
    fi
    files=$(find "$folder" -type f "${exclude[@]}" | wc -l)
    bytes=$(find "$folder" -type f "${exclude[@]}" -printf '%s\n' | awk '{s += $1} END {print s + 0}')
    if [ "$files" = "$FILES" ] && [ "$bytes" = "$BYTES" ] &&
        diff -rq ${extra:+-x "$extra"} "$WORK/app" "$folder" >/dev/null; then
        echo "  $label: $files files, $bytes bytes, contents equal"
        return 0
    fi
    echo "  $label: INCOMPLETE: $files of $FILES files, $bytes of $BYTES bytes"
    return 1
}
rate() { echo "$BYTES $1" | awk '{printf "%.1f", $1 / 1048576 / ($2 > 0 ? $2 : 0.01)}'; }
now() { date +%s.%N; }
elapsed() { echo "$1 $(now)" | awk '{printf "%.2f", $2 - $1}'; }
best() { [ -z "$1" ] && echo "$2" || echo "$1 $2" | awk '{print ($2 < $1) ? $2 : $1}'; }
most() { [ -z "$1" ] && echo "$2" || echo "$1 $2" | awk '{print ($2 > $1) ? $2 : $1}'; }
mib() { echo $(($1 / 1048576)); }
# Wall seconds and peak resident KiB of a host command.
measure() {
    /usr/bin/time -f "%e %M" -o "$WORK/time" "$@" >/dev/null 2>&1
    cat "$WORK/time"
}
declare -A seconds peak complete packing size

echo "packing..."
cp -r "$root/Applications/VornSetup/definitions" "$WORK/definitions"
read -r packing[vorn] _ < <(measure "$VORNPACK" setup --app "$WORK/app" --definitions "$WORK/definitions" \
    --stub "$STUB" -o "$WORK/VornSetup.exe" --quiet)
[ -f "$WORK/VornSetup.exe" ] || { echo "VornPack setup failed"; exit 1; }
read -r packing[vorn1] _ < <(measure "$VORNPACK" setup --app "$WORK/app" --definitions "$WORK/definitions" \
    --stub "$STUB" -o "$WORK/VornSetup1.exe" --quiet --jobs 1)
if cmp -s "$WORK/VornSetup.exe" "$WORK/VornSetup1.exe"; then
    identical="identical"
else
    identical="DIFFERENT"
fi
rm -f "$WORK/VornSetup1.exe"
read -r packing[stored] _ < <(measure "$VORNPACK" setup --app "$WORK/app" --definitions \
    "$WORK/definitions" --stub "$STUB" -o "$WORK/VornStoredSetup.exe" --quiet --method store)

source "$root/benchmarks/nsis-script.sh"
nsis_script "SetCompressor /SOLID lzma" "$WORK/NsisLzmaSetup.exe" "$WORK/app" "$INSTALL_FOLDER" "$FIRST" >"$WORK/lzma.nsi"
nsis_script "SetCompressor zlib" "$WORK/NsisZlibSetup.exe" "$WORK/app" "$INSTALL_FOLDER" "$FIRST" >"$WORK/zlib.nsi"
read -r packing[lzma] _ < <(measure makensis -V2 "$WORK/lzma.nsi")
read -r packing[zlib] _ < <(measure makensis -V2 "$WORK/zlib.nsi")
for setup in NsisLzmaSetup NsisZlibSetup; do
    [ -f "$WORK/$setup.exe" ] || { echo "makensis failed for $setup"; exit 1; }
done
size[vorn]=$(stat -c %s "$WORK/VornSetup.exe")
size[lzma]=$(stat -c %s "$WORK/NsisLzmaSetup.exe")
size[zlib]=$(stat -c %s "$WORK/NsisZlibSetup.exe")
size[stored]=$(stat -c %s "$WORK/VornStoredSetup.exe")

# One timed run of a host row into a folder of its own. Nothing is deleted
# until every row has run: creating thousands of files in the minutes after
# thousands were deleted costs the file system far more (ext4 looks at each
# recently freed inode), which would weigh on whichever row came next.
host_run() { # row, run, output folder, command...
    local row=$1 run=$2 out=$3 time kib
    shift 3
    sync
    read -r time kib < <(measure "$@")
    seconds[$row]=$(best "${seconds[$row]:-}" "$time")
    peak[$row]=$(most "${peak[$row]:-}" "$kib")
    verify "$out" "$row, run $run" || complete[$row]=0
}
echo "host extraction..."
read -r packing[7z] _ < <(cd "$WORK/app" && measure "$SEVENZIP" a -bd "$WORK/app.7z" .)
size[7z]=$(stat -c %s "$WORK/app.7z")
read -r packing[extract] _ < <(measure "$VORNPACK" pack "$WORK/app" -o "$WORK/app.container" --quiet)
size[extract]=$(stat -c %s "$WORK/app.container")
complete[7z]=1
complete[extract]=1
# In turn, run after run, so that both rows see the same load.
for run in $(seq "$RUNS"); do
    host_run 7z "$run" "$WORK/out-7z-$run" "$SEVENZIP" x -bd -y -o"$WORK/out-7z-$run" "$WORK/app.7z"
    host_run extract "$run" "$WORK/out-extract-$run" "$VORNPACK" extract "$WORK/app.container" \
        "$WORK/out-extract-$run" --names "$WORK/names.txt"
done

# Wine: one template prefix, a fresh copy of it per installation.
echo "preparing Wine prefixes (not timed)..."
template="$WORK/prefix-template"
mkdir -p "$template"
WINEPREFIX="$template" WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" \
    /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1 </dev/null
WINEPREFIX="$template" wineserver -w
"$root/cmake/wine-isolate.sh" "$template"
# Every prefix is copied before the first installation, and the copies are
# on disk, so that no installer runs while they are written out.
ROWS="vorn lzma zlib stored"
for row in $ROWS; do
    for run in $(seq "$RUNS"); do cp -a "$template" "$WORK/prefix-$row-$run"; done
done
sync
# A running notepad keeps Wine's desktop process up, as a logged-on user's
# session does; otherwise its start-up would count for the first installer.
fresh_prefix() { # name
    local prefix="$WORK/prefix-$1"
    WINEPREFIX="$prefix" wineserver -p120 >/dev/null 2>&1 </dev/null
    "$RUN" "$prefix" cmd.exe /c exit >/dev/null 2>&1 </dev/null
    "$RUN" "$prefix" notepad.exe >/dev/null 2>&1 </dev/null &
    sleep 2
    echo "$prefix"
}
# Samples the VmHWM of every process whose command line names the setup.
start_poller() { # output file, setup file name
    python3 - "$1" "$2" <<'PY' &
import os, sys, time
output, name = sys.argv[1], sys.argv[2].encode()
peak = 0
stop = output + ".stop"
while not os.path.exists(stop):
    for pid in os.listdir("/proc"):
        if not pid.isdigit():
            continue
        try:
            with open(f"/proc/{pid}/cmdline", "rb") as f:
                if name not in f.read():
                    continue
            with open(f"/proc/{pid}/status") as f:
                peak = max(peak, next(int(l.split()[1]) for l in f if l.startswith("VmHWM:")))
        except (OSError, StopIteration, ValueError):
            continue
    time.sleep(0.05)
with open(output, "w") as f:
    f.write(f"{peak}\n")
PY
    POLLER=$!
}
stop_poller() { # output file
    touch "$1.stop"
    wait "$POLLER" || true
    POLLER=
}
wine_row() { # row, setup, exit code of success, extra file in the folder, arguments...
    local row=$1 setup=$2 success=$3 extra=$4 run prefix start code
    shift 4
    complete[$row]=1
    for run in $(seq "$RUNS"); do
        prefix=$(fresh_prefix "$row-$run")
        start_poller "$WORK/$row.poll" "$(basename "$setup")"
        start=$(now)
        "$RUN" "$prefix" "$setup" "$@" >/dev/null 2>&1 </dev/null && code=0 || code=$?
        seconds[$row]=$(best "${seconds[$row]:-}" "$(elapsed "$start")")
        stop_poller "$WORK/$row.poll"
        peak[$row]=$(most "${peak[$row]:-}" "$(cat "$WORK/$row.poll")")
        [ "$code" = "$success" ] || echo "  $row, run $run: exit code $code"
        verify "$prefix/drive_c/Bench/App" "$row, run $run" "$extra" && [ "$code" = "$success" ] ||
            complete[$row]=0
        WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true
    done
}
echo "installing..."
# Our launcher ends with 0 after a successful installation; NSIS with 0; "/D=" comes last.
wine_row vorn "$WORK/VornSetup.exe" 0 "" /Quiet "/InstallFolder:$INSTALL_FOLDER"
wine_row lzma "$WORK/NsisLzmaSetup.exe" 0 Uninstall.exe /S "/D=$INSTALL_FOLDER"
wine_row zlib "$WORK/NsisZlibSetup.exe" 0 Uninstall.exe /S "/D=$INSTALL_FOLDER"
wine_row stored "$WORK/VornStoredSetup.exe" 0 "" /Quiet "/InstallFolder:$INSTALL_FOLDER"

echo
printf '%-34s %9s %7s %7s %7s %10s %10s %9s\n' installer "install s" "MB/s" "x LZMA" "x zlib" \
    "setup MiB" "packing s" "peak MiB"
for row in vorn lzma zlib stored 7z extract; do
    case $row in
        vorn) label="VornSetup /Quiet (Wine)" ;;
        lzma) label="NSIS /SOLID lzma /S (Wine)" ;;
        zlib) label="NSIS zlib /S (Wine)" ;;
        stored) label="VornSetup stored, the floor (Wine)" ;;
        7z) label="7z x, solid archive (host)" ;;
        extract) label="VornPack extract (host)" ;;
    esac
    [ "${complete[$row]}" = 1 ] || label="$label INCOMPLETE"
    printf '%-34s %9s %7s %7s %7s %10s %10s %9s\n' "$label" "${seconds[$row]}" "$(rate "${seconds[$row]}")" \
        "$(echo "${seconds[lzma]} ${seconds[$row]}" | awk '{printf "%.2f", $1 / $2}')" \
        "$(echo "${seconds[zlib]} ${seconds[$row]}" | awk '{printf "%.2f", $1 / $2}')" \
        "$(mib "${size[$row]}")" "${packing[$row]}" $((peak[$row] / 1024))
done
echo "($PAYLOAD payload: $FILES files, $(mib "$BYTES") MiB; best of $RUNS; this machine has $(nproc) cores;" \
    "VornPack setup with --jobs 1: ${packing[vorn1]} s, output $identical)"

verdict() { # condition text, figure, met?
    if [ "${complete[vorn]}" != 1 ]; then
        echo "goal: $1: $2, NOT MET (the installation is incomplete)"
    elif [ "$3" = 1 ]; then
        echo "goal: $1: $2, met"
    else
        echo "goal: $1: $2, NOT MET"
    fi
}
# Shown with three decimals; a goal is judged on the ratio itself, so that
# 0.995 does not pass for 1.00.
ratio() { echo "$1 $2" | awk '{printf "%.3f", $1 / $2}'; }
at_least() { # numerator denominator goal
    awk -v a="$1" -v b="$2" -v goal="$3" 'BEGIN {print (a / b >= goal) ? 1 : 0}'
}
at_most() { awk -v a="$1" -v b="$2" 'BEGIN {print (a <= b) ? 1 : 0}'; }
verdict "setup size <= NSIS LZMA solid" "$(mib "${size[vorn]}") vs $(mib "${size[lzma]}") MiB" \
    "$(at_most "${size[vorn]}" "${size[lzma]}")"
r=$(ratio "${seconds[lzma]}" "${seconds[vorn]}")
verdict "installation >= 2x NSIS LZMA solid" "${r}x" "$(at_least "${seconds[lzma]}" "${seconds[vorn]}" 2.0)"
r=$(ratio "${seconds[zlib]}" "${seconds[vorn]}")
verdict "installation >= 1.0x NSIS zlib" "${r}x" "$(at_least "${seconds[zlib]}" "${seconds[vorn]}" 1.0)"
r=$(ratio "${packing[lzma]}" "${packing[vorn]}")
verdict "packing >= 2x makensis LZMA solid, same bytes for any --jobs" "${r}x, $identical" \
    "$([ "$identical" = identical ] && at_least "${packing[lzma]}" "${packing[vorn]}" 2.0 || echo 0)"
limit=$((size[vorn] / 1024 + 128 * 1024))
verdict "peak memory <= setup image + 128 MiB ($((limit / 1024)) MiB)" "$((peak[vorn] / 1024)) MiB" \
    "$([ "${peak[vorn]}" -le "$limit" ] && echo 1 || echo 0)"
r=$(ratio "${seconds[7z]}" "${seconds[extract]}")
verdict "host extraction >= 7z x of the solid archive" "${r}x" "$(at_least "${seconds[7z]}" "${seconds[extract]}" 1.0)"
