#!/bin/bash
# Throughput of a quiet installation under Wine, beside host extraction of the
# same files by `VornPack extract` and by 7-Zip. The application is a mix of
# compressible binaries, incompressible media, many small texts in nested
# folders and structured data, generated with a fixed seed. Every output is
# compared with the source before its figure is printed. Beside 7-Zip's
# default (solid) archive, one made file by file like the container; beside the
# installation, one of the same files stored, which shows what creating and
# writing them costs under Wine when there is nothing to decode.
#
#   [RUNS=3] benchmarks/install-throughput.sh [VornPack] [VornSetup stub] [megabytes, default 200] [method, default auto]
#
# Defaults: build/host/Tools/VornPack/VornPack and the win64 stub (this
# machine's Wine runs 64-bit programs). MB/s is unpacked bytes / wall time;
# peak MiB is the largest VmHWM of the processes running each tool. Nothing is
# deleted before the end (about 1.5 GB of disk a Wine run); TMPDIR chooses where
# it works.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
VORNPACK=$(realpath "${1:-$root/build/host/Tools/VornPack/VornPack}")
STUB=$(realpath "${2:-$root/build/win64/Applications/VornSetup/VornSetup.exe}")
MEGABYTES=${3:-200}
METHOD=${4:-auto}
RUNS=${RUNS:-3}
RUN="$root/cmake/wine-run.sh"
SEVENZIP=$(command -v 7z || command -v 7zz) || { echo "7z/7zz not found (Debian package 7zip)"; exit 1; }
WORK=$(mktemp -d "${TMPDIR:-/tmp}/install-throughput.XXXXXX")
POLLER=
XVFB=
cleanup() {
    set +e
    [ -n "$POLLER" ] && kill "$POLLER" 2>/dev/null
    [ -n "$XVFB" ] && kill "$XVFB" 2>/dev/null
    for prefix in "$WORK"/prefix-*; do
        [ -d "$prefix" ] && WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1
    done
    rm -rf "$WORK"
}
trap 'status=$?; cleanup; exit $status' EXIT
export WINEDEBUG=-all

echo "generating $MEGABYTES MiB of application files..."
python3 "$root/benchmarks/generate-application.py" "$WORK/app" "$MEGABYTES"
# The program the definitions declare, which a setup must carry.
cp "$(dirname "$STUB")/../VornDemo/VornDemo.exe" "$WORK/app/"
BYTES=$(find "$WORK/app" -type f -printf '%s\n' | awk '{s += $1} END {print s}')
FILES=$(find "$WORK/app" -type f | wc -l)
(cd "$WORK/app" && find . -type f | sed 's|^\./||' | sort > "$WORK/names.txt")

# Complete when it holds as many files and bytes as the source, with equal contents.
verify() { # folder label
    local files bytes
    files=$(find "$1" -type f | wc -l)
    bytes=$(find "$1" -type f -printf '%s\n' | awk '{s += $1} END {print s + 0}')
    if [ "$files" = "$FILES" ] && [ "$bytes" = "$BYTES" ] && diff -rq "$WORK/app" "$1" >/dev/null; then
        echo "  $2: $files files, $bytes bytes, contents equal"
        return 0
    fi
    echo "  $2: INCOMPLETE: $files of $FILES files, $bytes of $BYTES bytes"
    return 1
}
rate() { echo "$BYTES $1" | awk '{printf "%.1f", $1 / 1048576 / ($2 > 0 ? $2 : 0.01)}'; }
now() { date +%s.%N; }
elapsed() { echo "$1 $(now)" | awk '{printf "%.2f", $2 - $1}'; }

# Host extraction: wall seconds and peak resident KiB of the command.
measure() {
    /usr/bin/time -f "%e %M" -o "$WORK/time" "$@" >/dev/null 2>&1
    cat "$WORK/time"
}
echo "packing (not timed)..."
"$VORNPACK" pack "$WORK/app" -o "$WORK/app.container" --method "$METHOD" >/dev/null
(cd "$WORK/app" && "$SEVENZIP" a -bd "$WORK/app.7z" . >/dev/null)
# The container compresses every file on its own; 7-Zip's default is one solid
# stream over all files, which finds repeats across files. -ms=off makes its
# archive like the container, file by file.
(cd "$WORK/app" && "$SEVENZIP" a -bd -ms=off "$WORK/files.7z" . >/dev/null)
cp -r "$root/Applications/VornSetup/definitions" "$WORK/definitions"
"$VORNPACK" setup --app "$WORK/app" --definitions "$WORK/definitions" \
    --stub "$STUB" --method "$METHOD" -o "$WORK/BenchSetup.exe" >/dev/null
# Nothing to decode: what creating and writing the files costs under Wine.
"$VORNPACK" setup --app "$WORK/app" --definitions "$WORK/definitions" \
    --stub "$STUB" --method store -o "$WORK/StoredSetup.exe" >/dev/null
declare -A seconds peak complete
# Each row is run $RUNS times: the shortest time counts (this machine's speed
# varies from run to run), the largest peak, and every run must be complete.
best() { [ -z "$1" ] && echo "$2" || echo "$1 $2" | awk '{print ($2 < $1) ? $2 : $1}'; }
most() { [ -z "$1" ] && echo "$2" || echo "$1 $2" | awk '{print ($2 > $1) ? $2 : $1}'; }
host_row() { # row, output folder, command...
    local row=$1 out=$2 run time kib
    shift 2
    complete[$row]=1
    for run in $(seq "$RUNS"); do
        read -r time kib < <(measure "$@")
        seconds[$row]=$(best "${seconds[$row]:-}" "$time")
        peak[$row]=$(most "${peak[$row]:-}" "$kib")
        verify "$out" "$row, run $run" || complete[$row]=0
        # Kept, under another name, until the end: ext4 makes files slowly for
        # minutes after thousands were deleted, which would weigh on the next run.
        mv "$out" "$out-$run"
    done
}
host_row 7z "$WORK/out-7z" "$SEVENZIP" x -bd -y -o"$WORK/out-7z" "$WORK/app.7z"
# 7-Zip decodes LZMA2 on every core; the installer decodes on one thread.
host_row 7z1 "$WORK/out-7z1" "$SEVENZIP" x -bd -y -mmt1 -o"$WORK/out-7z1" "$WORK/app.7z"
host_row 7zfiles "$WORK/out-7zfiles" "$SEVENZIP" x -bd -y -o"$WORK/out-7zfiles" "$WORK/files.7z"
host_row extract "$WORK/out-extract" "$VORNPACK" extract "$WORK/app.container" \
    "$WORK/out-extract" --names "$WORK/names.txt"

# Wine: one template prefix, a fresh copy of it per installation. A quiet
# installation shows no window but still creates one, so Wine needs a display.
echo "preparing Wine prefixes (not timed)..."
fifo="$WORK/display"
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
XVFB=$!
read -r display <"$fifo"
export DISPLAY=":$display"
template="$WORK/prefix-template"
mkdir -p "$template"
WINEPREFIX="$template" WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" \
    /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1 </dev/null
WINEPREFIX="$template" wineserver -w
"$root/cmake/wine-isolate.sh" "$template"
# On Windows the desktop is always there; Wine starts its desktop process with
# the first window and ends it after the last, which would add its start-up
# (about 0.3 s) to the first measured run. A notepad keeps it up, as a logged-on
# user's session does.
fresh_prefix() { # name: a copy of the template whose wineserver, services and desktop already run
    local prefix="$WORK/prefix-$1"
    cp -a "$template" "$prefix"
    WINEPREFIX="$prefix" wineserver -p120 >/dev/null 2>&1 </dev/null
    "$RUN" "$prefix" cmd.exe /c exit >/dev/null 2>&1 </dev/null
    "$RUN" "$prefix" notepad.exe >/dev/null 2>&1 </dev/null &
    sleep 2
    echo "$prefix"
}

# Samples every setup process's VmHWM; the elevated copy is the one started
# with LaunchedAsAdministrator. Writes: launcher KiB, copy KiB, copy seconds.
start_poller() { # output file, setup file name
    python3 - "$1" "$2" <<'PY' &
import os, sys, time
output, name = sys.argv[1], sys.argv[2].encode()
peak = {False: 0, True: 0}
seen = {}
stop = output + ".stop"
while not os.path.exists(stop):
    for pid in os.listdir("/proc"):
        if not pid.isdigit():
            continue
        try:
            with open(f"/proc/{pid}/cmdline", "rb") as f:
                cmdline = f.read()
            if name not in cmdline:
                continue
            with open(f"/proc/{pid}/status") as f:
                hwm = next(int(l.split()[1]) for l in f if l.startswith("VmHWM:"))
        except (OSError, StopIteration, ValueError):
            continue
        child = b"LaunchedAsAdministrator" in cmdline
        peak[child] = max(peak[child], hwm)
        if child:
            first, _ = seen.get(pid, (time.monotonic(), 0))
            seen[pid] = (first, time.monotonic())
    time.sleep(0.05)
span = max((last - first for first, last in seen.values()), default=0)
with open(output, "w") as f:
    f.write(f"{peak[False]} {peak[True]} {span:.2f}\n")
PY
    POLLER=$!
}
stop_poller() { # output file
    touch "$1.stop"
    wait "$POLLER" || true
    POLLER=
}
run_setup() { # row, prefix, setup, arguments...
    local row=$1 prefix=$2 setup=$3 start code
    shift 3
    start_poller "$WORK/$row.poll" "$(basename "$setup")"
    start=$(now)
    "$RUN" "$prefix" "$setup" "$@" >/dev/null 2>&1 </dev/null && code=0 || code=$?
    seconds[$row.last]=$(elapsed "$start")
    stop_poller "$WORK/$row.poll"
    read -r launcherPeak childPeak childSeconds < "$WORK/$row.poll"
    echo "  $row: exit code $code"
    setupCode=$code
    installed="$prefix/drive_c/Bench/App"
}

wine_row() { # row, setup, exit code of success, arguments...
    local row=$1 setup=$2 success=$3 run prefix
    shift 3
    complete[$row]=1
    for run in $(seq "$RUNS"); do
        prefix=$(fresh_prefix "$row-$run")
        run_setup "$row" "$prefix" "$setup" "$@"
        seconds[$row]=$(best "${seconds[$row]:-}" "${seconds[$row.last]}")
        peak[$row]=$(most "${peak[$row]:-}" "$(most "$launcherPeak" "$childPeak")")
        [ "$childSeconds" = 0.00 ] ||
            seconds[$row.child]=$(best "${seconds[$row.child]:-}" "$childSeconds")
        peak[$row.child]=$(most "${peak[$row.child]:-}" "$childPeak")
        verify "$installed" "$row, run $run" && [ "$setupCode" = "$success" ] || complete[$row]=0
        WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true
    done
}
echo "installing..."
# The launcher ends with 0 after a successful installation, the elevated copy with 42.
wine_row launcher "$WORK/BenchSetup.exe" 0 /Quiet '/InstallFolder:C:\Bench\App'
seconds[within]=${seconds[launcher.child]}
peak[within]=${peak[launcher.child]}
complete[within]=${complete[launcher]}
wine_row alone "$WORK/BenchSetup.exe" 42 /Quiet /AllowMultipleInstances /LaunchedAsAdministrator \
    '/InstallFolder:C:\Bench\App'
wine_row stored "$WORK/StoredSetup.exe" 42 /Quiet /AllowMultipleInstances /LaunchedAsAdministrator \
    '/InstallFolder:C:\Bench\App'

sevenRate=$(rate "${seconds[7z]}")
echo
printf '%-40s %8s %8s %11s %9s\n' tool seconds "MB/s" "ratio to 7z" "peak MiB"
for row in 7z 7z1 7zfiles extract launcher within alone stored; do
    case $row in
        7z) label="7z x (host, $(basename "$SEVENZIP"))" ;;
        7z1) label="  the same on one thread (-mmt1)" ;;
        7zfiles) label="7z x, archive made file by file" ;;
        extract) label="VornPack extract (host)" ;;
        launcher) label="setup /Quiet, whole launcher run (Wine)" ;;
        within) label="  its elevated copy (sampled)" ;;
        alone) label="setup elevated copy alone (Wine)" ;;
        stored) label="  the same, stored payload" ;;
    esac
    [ "${complete[$row]}" = 1 ] || label="$label INCOMPLETE"
    ourRate=$(rate "${seconds[$row]}")
    ratio=$(echo "$ourRate $sevenRate" | awk '{printf "%.2f", $1 / $2}')
    printf '%-40s %8s %8s %11s %9s\n' "$label" "${seconds[$row]}" "$ourRate" "$ratio" \
        $(( ${peak[$row]} / 1024 ))
done
echo "(method $METHOD; $FILES files, $(( BYTES / 1048576 )) MiB; setup executable $(( $(stat -c %s "$WORK/BenchSetup.exe") / 1048576 )) MiB," \
     "container $(( $(stat -c %s "$WORK/app.container") / 1048576 )) MiB, 7z archive $(( $(stat -c %s "$WORK/app.7z") / 1048576 )) MiB," \
     "file by file $(( $(stat -c %s "$WORK/files.7z") / 1048576 )) MiB)"
# What `auto` chose decides the decoding speed: PPMd decodes far slower than LZMA.
"$VORNPACK" list "$WORK/app.container" | awk '{files[$3]++; packed[$3] += $4; size[$3] += $5}
    END {printf "container by method:"; for (m in files) printf "  %s %d files %.1f MiB (packed %.1f MiB)",
         m, files[m], size[m] / 1048576, packed[m] / 1048576; print ""}'
goal=$(echo "$(rate "${seconds[launcher]}") $sevenRate" | awk '{printf "%.2f", $1 / $2}')
if [ "${complete[launcher]}" != 1 ]; then
    verdict="NOT MET (the installation is incomplete)"
elif awk -v r="$goal" 'BEGIN {exit !(r >= 0.8)}'; then
    verdict="met"
else
    verdict="NOT MET"
fi
echo "goal: installer under Wine >= 0.8x native 7z: ${goal}x, $verdict"
echo "(against 7z x of the file-by-file archive: $(echo "$(rate "${seconds[launcher]}") $(rate "${seconds[7zfiles]}")" | awk '{printf "%.2f", $1 / $2}')x)"
