#!/usr/bin/env bash
# The main job: build everything, pack VornDemo into VornDemoSetup.exe, install
# it quietly under Wine, show what the installation left, start the installed
# VornDemo once, and remove it again through its uninstall entry.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
cd "$root"

"$root/scripts/install-deps.sh"
start_xvfb
build_preset host VornPack | tail -n 1
build_preset win32 VornSetup VornDemo | tail -n 1
# Carried as the 64-bit program (ExecutableX64), which 64-bit Windows starts.
build_preset win64 VornDemo | tail -n 1
windows="$(wine_test_preset)"
[ "$windows" = win32 ] || build_preset "$windows" VornSetup VornDemo | tail -n 1

pack() { # preset output
  local app="build/$1/demo-app"
  rm -rf "$app"; mkdir -p "$app"
  cp "build/$1/Applications/VornDemo/VornDemo.exe" "$app/"
  cp build/win64/Applications/VornDemo/VornDemo.exe "$app/VornDemo64.exe"
  build/host/Tools/VornPack/VornPack setup --app "$app" --definitions Applications/VornSetup/definitions \
    --stub "build/$1/Applications/VornSetup/VornSetup.exe" -o "$2"
}
echo "== packing"
pack win32 build/VornDemoSetup.exe
[ "$windows" = win32 ] || pack "$windows" "build/VornDemoSetup-$windows.exe"
setup_exe=build/VornDemoSetup.exe
[ "$windows" = win32 ] || setup_exe="build/VornDemoSetup-$windows.exe"
[ "$windows" = win32 ] || echo "   (this machine cannot run 32-bit code: Wine installs the $windows build of the same sources)"

prefix="$root/build/demo-prefix"
rm -rf "$prefix"
"$root/cmake/wine-prefix.sh" start "$prefix"
trap '"$root/cmake/wine-prefix.sh" stop "$prefix"; kill "${VORN_XVFB_PID:-}" 2>/dev/null || true' EXIT
wine() { "$root/cmake/wine-run.sh" "$prefix" "$@"; }

echo "== installing quietly: $setup_exe /Quiet"
set +e; wine "$setup_exe" /Quiet; code=$?; set -e
echo "   exit code $code"
echo "== installed files"
(cd "$prefix/drive_c/Program Files (x86)/VornDemo" && find . -type f -printf '   %p  %s bytes  %TY-%Tm-%Td %TH:%TM\n')
echo "== uninstall entry"
WINEPREFIX="$prefix" /usr/lib/wine/wine64 reg query \
  'HKLM\Software\WOW6432Node\Microsoft\Windows\CurrentVersion\Uninstall\{7E3F2A91-5C4B-4D8E-9F10-2B3C4D5E6F70}' /s \
  2>/dev/null | tr -d '\r' | sed -n 's/^ \+/   /p'
echo "== shortcuts"
find "$prefix/drive_c" -name '*.lnk' -path '*VornDemo*' -printf '   %P\n'
echo "== starting the installed VornDemo for 3 seconds"
set +e; wine 'C:\Program Files (x86)\VornDemo\VornDemo.exe' /DemoSeconds:3; code=$?; set -e
echo "   VornDemo exit code $code"
echo "== removing it quietly through the uninstall entry"
entry='HKLM\Software\WOW6432Node\Microsoft\Windows\CurrentVersion\Uninstall\{7E3F2A91-5C4B-4D8E-9F10-2B3C4D5E6F70}'
uninstall="$(WINEPREFIX="$prefix" /usr/lib/wine/wine64 reg query "$entry" /v UninstallString 2>/dev/null |
  tr -d '\r' | sed -n 's/^ *UninstallString *REG_SZ *//p')"
echo "   $uninstall /Quiet"
printf '@%s /Quiet\r\n' "$uninstall" > "$prefix/drive_c/remove.bat"
set +e; wine cmd /c 'C:\remove.bat'; code=$?; set -e
rm -f "$prefix/drive_c/remove.bat"
echo "   exit code $code"
# The removal batch file deletes the executable once the program has ended.
for _ in $(seq 1 100); do
  [ -e "$prefix/drive_c/Program Files (x86)/VornDemo" ] || break
  sleep 0.2
done
echo "== what is left"
left="$(find "$prefix/drive_c" \( -path '*VornDemo*' -o -name '*Uninstall.cmd' \) -printf '   %P\n')"
echo "${left:-   no file, folder or shortcut of VornDemo}"
WINEPREFIX="$prefix" /usr/lib/wine/wine64 reg query "$entry" >/dev/null 2>&1 &&
  echo "   the uninstall entry is still there" || echo "   no uninstall entry"
