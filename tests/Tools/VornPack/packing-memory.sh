#!/bin/bash
# packing-memory.sh <VornPack> <work folder>
# Packing holds pieces of files, never whole ones: a sparse file of 768 MiB
# packs, with every method that decodes quickly, within a peak resident size
# far below the file's (the bound is the encoder's budget of pieces ahead plus
# a piece and a coder per thread; a 5 GB file measures the same).
set -uo pipefail
vornpack="$1"; work="$2"
source "$(dirname "$0")/../../checks.sh"
# Under AddressSanitizer freed pieces would otherwise wait in its quarantine.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}quarantine_size_mb=16"
limit_kib=$((200 * 1024))

rm -rf "$work"; mkdir -p "$work/app"
truncate -s 768M "$work/app/large.bin"
printf 'small\n' > "$work/app/small.txt"
peak() { # command... ; prints the peak resident KiB of the command
  /usr/bin/time -f %M -o "$work/peak" "$@" >/dev/null 2>&1 || echo "failed: $*" >&2
  cat "$work/peak"
}
for method in store lzo deflate; do
  kib=$(peak "$vornpack" pack "$work/app" -o "$work/app.vpk" --method "$method" --jobs 2 --quiet)
  check "--method $method: peak $((kib / 1024)) MiB for a 768 MiB file" test "$kib" -lt "$limit_kib"
done
check "what it packed verifies" "$vornpack" verify "$work/app.vpk"
rm -rf "$work"
finish_checks
