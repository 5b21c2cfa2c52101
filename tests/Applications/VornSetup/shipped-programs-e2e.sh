#!/bin/bash
# The programs as they ship: no symbols and no debug information in them; the
# symbols in a .debug file beside each, which the program names in its debug
# link and which carries the same RSDS signature (the one a minidump names);
# and a setup packed from them that holds no .debug file, neither among its
# own files nor in the removal program it carries.
#
#   shipped-programs-e2e.sh <VornPack> <objdump> <definitions> <work> <VornSetup.exe> <VornDemo.exe> <program.exe>...
set -euo pipefail
source "$(dirname "$0")/../../checks.sh"
VORNPACK=$1 OBJDUMP=$2 DEFINITIONS=$3 WORK=$4 STUB=$5 DEMO=$6
shift 6
rm -rf "$WORK" && mkdir -p "$WORK"

# The COFF header's NumberOfSymbols (its string table stays: it holds the
# long section names, ".gnu_debuglink" among them).
symbol_table_empty() { # program
    local pe
    pe=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
    [ "$(od -An -tu4 -j$((pe + 16)) -N4 "$1" | tr -d ' ')" = 0 ]
}
no_debug_sections() { ! "$OBJDUMP" -h "$1" | grep -q ' \.debug_'; }
has_debug_sections() { "$OBJDUMP" -h "$1" | grep -q ' \.debug_'; }
signature() { "$OBJDUMP" -p "$1" | sed -n 's/.*RSDS signature \([0-9a-f]*\).*/\1/p'; }
same_signature() { # program
    local own debug
    own=$(signature "$1") debug=$(signature "$1.debug")
    [ -n "$own" ] && [ "$own" = "$debug" ]
}
names_debug_file() { # program
    "$OBJDUMP" -s -j .gnu_debuglink "$1" | grep -q "$(basename "$1" | cut -c1-14)"
}

echo "== each program without its symbols, the symbols beside it"
for program in "$STUB" "$DEMO" "$@"; do
    name=$(basename "$program")
    check "$name: no symbol table" symbol_table_empty "$program"
    check "$name: no debug sections" no_debug_sections "$program"
    check "$name.debug beside it, with the debug information" has_debug_sections "$program.debug"
    check "$name names $name.debug in its debug link" names_debug_file "$program"
    check "$name and $name.debug carry one RSDS signature" same_signature "$program"
done

echo "== a setup packed from them holds no .debug file"
mkdir -p "$WORK/app"
cp "$DEMO" "$WORK/app/"
cp -r "$DEFINITIONS" "$WORK/definitions"
# The removal program goes in too: the product says it is removed by it.
sed -i 's|<RemovedBy>Application</RemovedBy>|<RemovedBy>VornUninstall</RemovedBy>|' \
    "$WORK/definitions/Configuration.xml"
check "the definitions choose the removal program" grep -q '<RemovedBy>VornUninstall<' \
    "$WORK/definitions/Configuration.xml"
check "setup packs" "$VORNPACK" setup --app "$WORK/app" --definitions "$WORK/definitions" \
    --stub "$STUB" -o "$WORK/Setup.exe" --quiet
"$VORNPACK" list "$WORK/Setup.exe" >"$WORK/list.txt" 2>&1 || true
check "the setup's list names the program and the removal program" \
    grep -q 'VornUninstall.exe' "$WORK/list.txt"
check "the setup's list names no .debug file" not grep -qi '\.debug' "$WORK/list.txt"
# What VornPack writes: the stub's image with the payload; no symbol table
# of the stub is carried along behind it.
check "the setup itself: no symbol table" symbol_table_empty "$WORK/Setup.exe"
check "the setup itself: no debug sections" no_debug_sections "$WORK/Setup.exe"
finish_checks
