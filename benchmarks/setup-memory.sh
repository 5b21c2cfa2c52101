#!/bin/sh
# Time and peak memory of `VornPack setup` for a large application, beside
# `VornPack pack` of the same files: the setup executable is written by
# streaming the container into the stub's copy, so its peak should stay close
# to pack's (which holds one file and its packed form at a time).
#
#   benchmarks/setup-memory.sh <VornPack executable> <stub.exe> [megabytes, default 200]
set -eu
VORNPACK=$(realpath "$1")
STUB=$(realpath "$2")
MEGABYTES=${3:-200}
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

python3 - "$WORK/app" "$MEGABYTES" <<'PY'
import os, random, sys
root, total = sys.argv[1], int(sys.argv[2]) << 20
random.seed(7)
os.makedirs(root + "/bin"); os.makedirs(root + "/media")
big = total // 4
open(f"{root}/media/video.png", "wb").write(b"\x89PNG" + os.urandom(big - 4))
rest = (total - big) // 64
for i in range(32):
    open(f"{root}/bin/b{i}.dll", "wb").write(bytes(random.randrange(8) for _ in range(4096)) * (rest // 4096))
    open(f"{root}/media/p{i}.jpg", "wb").write(b"\xff\xd8\xff" + os.urandom(rest - 3))
PY
# The example definitions, whose executable the application must carry.
cp -r "$(dirname "$0")/../Applications/VornSetup/definitions" "$WORK/definitions"
cp "$STUB" "$WORK/app/VornDemo.exe"
BYTES=$(du -sb "$WORK/app" | cut -f1)

measure() {
    /usr/bin/time -f "%e %M" -o "$WORK/time" "$@" >/dev/null 2>&1
    cat "$WORK/time"
}
printf '%-22s %8s %10s %12s %12s\n' command method seconds "MB/s" "peak MiB"
for method in store lzo; do
    for command in pack setup; do
        if [ "$command" = pack ]; then
            set -- $(measure "$VORNPACK" pack "$WORK/app" -o "$WORK/out.bin" --method $method)
        else
            set -- $(measure "$VORNPACK" setup --app "$WORK/app" --definitions "$WORK/definitions" \
                     -o "$WORK/Setup.exe" --stub "$STUB" --method $method)
        fi
        rate=$(echo "$BYTES $1" | awk '{printf "%.1f", $1 / 1048576 / ($2 > 0 ? $2 : 0.01)}')
        printf '%-22s %8s %10s %12s %12s\n' "$command" $method "$1" "$rate" $(( $2 / 1024 ))
    done
done
echo "application: $(( BYTES / 1048576 )) MiB, largest file $(( MEGABYTES / 4 )) MiB;" \
     "setup executable: $(( $(stat -c %s "$WORK/Setup.exe") / 1048576 )) MiB"
