#!/bin/bash
# The setup's fixed overhead: a setup of one small program (about 100 KiB,
# the same executable-like bytes every time) packed by VornPack beside the
# same file packed by NSIS (/SOLID lzma and zlib), with the parts that make up
# ours: the stub, the removal program it carries (the program is not built on
# VornLib, so VornUninstall.exe goes in), the definitions (texts and pictures
# that `init` writes) and the program itself. Packing is timed by nothing and
# nothing runs under Wine; the figures are sizes only. Goal: our setup of the
# 100 KiB program <= 1.0 MiB in all.
#
#   benchmarks/small-setup.sh [VornPack] [VornSetup stub] [kibibytes, default 100]
#
# Defaults: build/host/Tools/VornPack/VornPack (else the one the Windows build
# made for itself in build/<preset>/host-tools) and the win32 stub where this
# machine runs 32-bit code (the win64 one elsewhere); VornUninstall.exe is
# taken from beside the stub, as `setup` does. Installs NSIS (Debian package
# nsis) when makensis is missing. TMPDIR chooses where it works.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/lib.sh"
preset=$(wine_test_preset)
default_vornpack=$root/build/host/Tools/VornPack/VornPack
[ -x "$default_vornpack" ] || default_vornpack=$root/build/$preset/host-tools/Tools/VornPack/VornPack
VORNPACK=$(realpath "${1:-$default_vornpack}")
STUB=$(realpath "${2:-$root/build/$preset/Applications/VornSetup/VornSetup.exe}")
KIBIBYTES=${3:-100}
UNINSTALLER=$(dirname "$STUB")/VornUninstall.exe
[ -x "$VORNPACK" ] || { echo "no VornPack at $VORNPACK"; exit 1; }
[ -f "$STUB" ] && [ -f "$UNINSTALLER" ] || { echo "no VornSetup.exe and VornUninstall.exe in $(dirname "$STUB")"; exit 1; }
if ! command -v makensis >/dev/null; then
    echo "installing NSIS..."
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q nsis >/dev/null
fi
WORK=$(mktemp -d "${TMPDIR:-/tmp}/small-setup.XXXXXX")
trap 'rm -rf "$WORK"' EXIT

# Executable-like bytes (generate-application.py's kind); fixed seed.
mkdir -p "$WORK/app"
python3 - "$root/benchmarks" "$WORK/app/SmallApp.exe" "$KIBIBYTES" <<'PY'
import random, sys
sys.path.insert(0, sys.argv[1])
from executable_like import executable_bytes, function_pool
rng = random.Random(100)
with open(sys.argv[2], "wb") as f:
    f.write(executable_bytes(rng, function_pool(rng, 256), int(sys.argv[3]) << 10))
PY

# The definitions a vendor starts from, with the licence placeholder left in.
"$VORNPACK" init "$WORK/definitions" --name "Small App" --company "Small Corp" --version 1.0.0 \
    --executable SmallApp.exe --website https://example.com/small/ --support support@example.com \
    --uuid 5B1D0C2E-7A43-4F6B-9E21-3C4D5E6F7A8B >/dev/null
pack() { # output
    "$VORNPACK" setup --app "$WORK/app" --definitions "$WORK/definitions" --stub "$STUB" \
        -o "$1" --allow-placeholder-licence --quiet 2>/dev/null
}
pack "$WORK/SmallSetup.exe"
pack "$WORK/SmallSetup2.exe"
cmp -s "$WORK/SmallSetup.exe" "$WORK/SmallSetup2.exe" && identical=identical || identical=DIFFERENT

# The same work for NSIS: the file, an uninstaller, an uninstall entry and a shortcut.
source "$root/benchmarks/nsis-script.sh"
nsis_script "SetCompressor /SOLID lzma" "$WORK/NsisLzmaSetup.exe" "$WORK/app" '$PROGRAMFILES\Small App' \
    SmallApp.exe >"$WORK/lzma.nsi"
nsis_script "SetCompressor zlib" "$WORK/NsisZlibSetup.exe" "$WORK/app" '$PROGRAMFILES\Small App' \
    SmallApp.exe >"$WORK/zlib.nsi"
makensis -V1 "$WORK/lzma.nsi" >/dev/null
makensis -V1 "$WORK/zlib.nsi" >/dev/null

size() { stat -c %s "$1"; }
kib() { awk -v b="$1" 'BEGIN {printf "%.1f", b / 1024}'; }
# What xz -9 makes of a file: about what it adds to a payload, LZMA-packed.
packed() { xz -9e -c "$1" | wc -c; }
row() { printf '%-52s %10s %9s\n' "$1" "$2" "$(kib "$2")"; }
definition_bytes() { find "$WORK/definitions" -type f "$@" -printf '%s\n' | awk '{s += $1} END {print s + 0}'; }
pictures=$(definition_bytes -name '*.png')
texts=$(definition_bytes -not -name '*.png')

printf '%-52s %10s %9s\n' "" bytes KiB
row "the program (SmallApp.exe)" "$(size "$WORK/app/SmallApp.exe")"
row "  xz -9e of it" "$(packed "$WORK/app/SmallApp.exe")"
row "stub VornSetup.exe" "$(size "$STUB")"
row "removal program VornUninstall.exe" "$(size "$UNINSTALLER")"
row "  xz -9e of it (what it adds, packed)" "$(packed "$UNINSTALLER")"
row "definitions: pictures ($(find "$WORK/definitions" -name '*.png' | wc -l) PNG)" "$pictures"
row "definitions: texts ($(find "$WORK/definitions" -type f -not -name '*.png' | wc -l) files)" "$texts"
row "  xz -9e of the definitions (tar)" "$(tar -C "$WORK" -cf - definitions | xz -9e -c | wc -c)"
echo
row "VornSetup (VornPack setup)" "$(size "$WORK/SmallSetup.exe")"
row "NSIS /SOLID lzma" "$(size "$WORK/NsisLzmaSetup.exe")"
row "NSIS zlib" "$(size "$WORK/NsisZlibSetup.exe")"
echo "(stub $STUB; VornPack setup run twice: output $identical)"

ours=$(size "$WORK/SmallSetup.exe")
goal=$((1 << 20))
if [ "$ours" -le "$goal" ]; then verdict=met; else verdict="NOT MET"; fi
echo "goal: a setup of one ${KIBIBYTES} KiB program <= 1.0 MiB: $(awk -v b="$ours" 'BEGIN {printf "%.2f", b / 1048576}') MiB, $verdict"
