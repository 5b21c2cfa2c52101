#!/usr/bin/env bash
# The main job: builds both targets and runs the Windows programs under Wine.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
cd "$root"

"$root/scripts/install-deps.sh"
build_preset host VornPack | tail -n 1
build_preset win32 VornPack | tail -n 1
windows="$(wine_test_preset)"
[ "$windows" = win32 ] || build_preset "$windows" VornPack | tail -n 1

prefix="$root/build/$windows/wineprefix"
"$root/cmake/wine-prefix.sh" start "$prefix"
echo "host:  $(build/host/Tools/VornPack/VornPack version)"
echo "$windows: $("$root/cmake/wine-run.sh" "$prefix" "build/$windows/Tools/VornPack/VornPack.exe" version | tr -d '\r')"
"$root/cmake/wine-prefix.sh" stop "$prefix"
