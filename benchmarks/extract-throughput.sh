#!/bin/sh
# Extraction throughput of VornPack per compression method, side by side with
# 7-Zip's 7zz extracting the same files packed file by file (not solid, like
# the container) with the same method and properties. Prints MB/s (unpacked
# bytes / wall time, best of RUNS) and peak memory; both outputs are compared
# with the source, file by file, before the figures print.
#
#   [RUNS=2] benchmarks/extract-throughput.sh <VornPack executable> [megabytes, default 100]
#
# The data is a mix of text, binaries, already-compressed bytes and zeros.
set -eu
VORNPACK=$(realpath "$1")
MEGABYTES=${2:-100}
RUNS=${RUNS:-2}
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
command -v 7zz >/dev/null || { echo "7zz not found (Debian package 7zip)"; exit 1; }

python3 - "$WORK/data" "$MEGABYTES" <<'PY'
import os, random, sys, zlib
root, total = sys.argv[1], int(sys.argv[2]) << 20
random.seed(7)
os.makedirs(root + "/text"); os.makedirs(root + "/bin"); os.makedirs(root + "/packed")
words = open("/usr/share/dict/words").read().split() if os.path.exists("/usr/share/dict/words") \
    else ["install", "folder", "<Window", "Name=", "setup", "copies", "files", "the", "\n"]
quarter = total // 4
def text(n):
    out = []; size = 0
    while size < n:
        w = random.choice(words); out.append(w); size += len(w) + 1
    return (" ".join(out)).encode()[:n]
def binary(n):
    # Executable-like: repeated structures with varying operands.
    chunk = bytearray()
    while len(chunk) < n:
        op = random.randrange(256)
        chunk += bytes([0x8B, op, random.randrange(16), 0, 0, 0x89, op ^ 0x40, 0xE8]) + os.urandom(4)
    return bytes(chunk[:n])
for i in range(16):
    open(f"{root}/text/t{i}.txt", "wb").write(text(quarter // 16))
    open(f"{root}/bin/b{i}.dll", "wb").write(binary(quarter // 16))
    open(f"{root}/packed/p{i}.png", "wb").write(b"\x89PNG" + os.urandom(quarter // 16 - 4))
open(f"{root}/zeros.bin", "wb").write(bytes(total - 3 * quarter))
PY
BYTES=$(du -sb "$WORK/data" | cut -f1)
(cd "$WORK/data" && find . -type f | sed 's|^\./||' | sort > "$WORK/names.txt")

# Wall seconds and peak resident kilobytes of one command, the shortest of
# RUNS runs into a fresh folder $1, which must then equal the source.
measure() {
    out=$1
    shift
    best=
    for run in $(seq "$RUNS"); do
        rm -rf "$out"
        /usr/bin/time -f "%e %M" -o "$WORK/time" "$@" >/dev/null 2>&1
        diff -r "$WORK/data" "$out" >/dev/null || { echo "DIFFERS 0"; return; }
        best=$(printf '%s\n%s\n' "$best" "$(cat "$WORK/time")" | awk 'NF && (b == "" || $1 < b) {b = $1; m = $2} END {print b, m}')
    done
    rm -rf "$out"
    echo "$best"
}

printf '%-8s %14s %14s %10s %12s %12s\n' method "VornPack MB/s" "7zz MB/s" ratio "VornPack MiB" "7zz MiB"
for row in "store Copy" "deflate Deflate" "lzo -" "lzma LZMA:d=4m:lc=8:lp=0:pb=0" \
           "lzma2 LZMA2:d=4m" "ppmd PPMd:o=32:mem=192m"; do
    set -- $row
    method=$1 sevenzip=$2
    "$VORNPACK" pack "$WORK/data" -o "$WORK/$method.strafile" --method "$method" >/dev/null
    set -- $(measure "$WORK/out" "$VORNPACK" extract "$WORK/$method.strafile" "$WORK/out" --names "$WORK/names.txt")
    [ "$1" != DIFFERS ] || { echo "VornPack extract ($method) differs from the source"; exit 1; }
    ours=$(echo "$BYTES $1" | awk '{printf "%.1f", $1 / 1048576 / ($2 > 0 ? $2 : 0.01)}')
    ourMemory=$(( $2 / 1024 ))
    theirs=- ratio=- theirMemory=-
    if [ "$sevenzip" != - ]; then
        (cd "$WORK/data" && 7zz a -bd -ms=off -m0="$sevenzip" "$WORK/$method.7z" . >/dev/null)
        set -- $(measure "$WORK/out7" 7zz x -bd -y -o"$WORK/out7" "$WORK/$method.7z")
        [ "$1" != DIFFERS ] || { echo "7zz ($method) differs from the source"; exit 1; }
        theirs=$(echo "$BYTES $1" | awk '{printf "%.1f", $1 / 1048576 / ($2 > 0 ? $2 : 0.01)}')
        theirMemory=$(( $2 / 1024 ))
        ratio=$(echo "$ours $theirs" | awk '{printf "%.2f", $1 / $2}')
    fi
    printf '%-8s %14s %14s %10s %12s %12s\n' "$method" "$ours" "$theirs" "$ratio" "$ourMemory" "$theirMemory"
done
echo "($(( BYTES / 1048576 )) MiB of data; 7z archives made file by file, like the container)"
