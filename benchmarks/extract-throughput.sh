#!/bin/sh
# Extraction throughput of VornPack per compression method, side by side with
# 7-Zip's 7zz extracting the same files packed with the same method and
# properties. Prints MB/s (unpacked bytes / wall time) and peak memory.
#
#   benchmarks/extract-throughput.sh <VornPack executable> [megabytes, default 100]
#
# The data is a mix of text, binaries, already-compressed bytes and zeros.
set -eu
VORNPACK=$(realpath "$1")
MEGABYTES=${2:-100}
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

# Wall seconds and peak resident kilobytes of one command.
measure() {
    /usr/bin/time -f "%e %M" -o "$WORK/time" "$@" >/dev/null 2>&1
    cat "$WORK/time"
}

printf '%-8s %14s %14s %10s %12s %12s\n' method "VornPack MB/s" "7zz MB/s" ratio "VornPack MiB" "7zz MiB"
for row in "store Copy" "deflate Deflate" "lzo -" "lzma LZMA:d=4m:lc=8:lp=0:pb=0" \
           "lzma2 LZMA2:d=4m" "ppmd PPMd:o=32:mem=192m"; do
    set -- $row
    method=$1 sevenzip=$2
    "$VORNPACK" pack "$WORK/data" -o "$WORK/$method.strafile" --method "$method" >/dev/null
    rm -rf "$WORK/out"
    set -- $(measure "$VORNPACK" extract "$WORK/$method.strafile" "$WORK/out" --names "$WORK/names.txt")
    ours=$(echo "$BYTES $1" | awk '{printf "%.1f", $1 / 1048576 / ($2 > 0 ? $2 : 0.01)}')
    ourMemory=$(( $2 / 1024 ))
    theirs=- ratio=- theirMemory=-
    if [ "$sevenzip" != - ]; then
        (cd "$WORK/data" && 7zz a -bd -ms=4m -m0="$sevenzip" "$WORK/$method.7z" . >/dev/null)
        rm -rf "$WORK/out7"
        set -- $(measure 7zz x -bd -y -o"$WORK/out7" "$WORK/$method.7z")
        theirs=$(echo "$BYTES $1" | awk '{printf "%.1f", $1 / 1048576 / ($2 > 0 ? $2 : 0.01)}')
        theirMemory=$(( $2 / 1024 ))
        ratio=$(echo "$ours $theirs" | awk '{printf "%.2f", $1 / $2}')
        cmp -s "$WORK/out/text/t0.txt" "$WORK/out7/text/t0.txt" || echo "outputs differ!"
    fi
    printf '%-8s %14s %14s %10s %12s %12s\n' "$method" "$ours" "$theirs" "$ratio" "$ourMemory" "$theirMemory"
done
echo "($(( BYTES / 1048576 )) MiB of data; 7z solid blocks of 4 MiB like VornPack's blocks)"
