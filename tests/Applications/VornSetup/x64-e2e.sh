#!/bin/bash
# x64-e2e.sh <VornPack> <VornSetup stub> <VornDemo.exe> <definitions> <wine-run> <work folder> <64-bit VornDemo.exe>
# The payload carries VornDemo twice: the 32-bit build as "Executable" and the
# x86-64 build as "ExecutableX64" (VornDemo64.exe). On 64-bit Windows (Wine's
# default prefix runs 32-bit programs through WoW64) the 32-bit setup hands
# over to the 64-bit program, and shortcuts, App Paths and the removal command
# name it; its removal takes everything away, the entry through the 32-bit
# registry view. Files, registry and shortcuts are checked, each scenario in a
# fresh prefix.
# shellcheck source-path=SCRIPTDIR
set -uo pipefail
# shellcheck disable=SC2034 # e2e-common.sh reads them
{ vornpack="$1"; stub="$2"; demo="$3"; definitions="$4"; run="$5"; work="$6"; demo64="$7"; }

# Only a 32-bit setup shows the choice: a 64-bit build of it (the tests of
# machines without 32-bit support) is no WoW64 process and starts the 32-bit
# executable by design, and such a machine cannot start the 32-bit programs.
pe_machine() { # executable -> 332 (x86) or 34404 (x86-64)
  local header
  header="$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ')" || return
  [ -n "$header" ] && od -An -tu2 -j$((header + 4)) -N2 "$1" | tr -d ' '
}
if [ "$(pe_machine "$stub")" != 332 ]; then
  echo "skipped: $stub is no 32-bit setup; shown only by the win32 build on a machine that runs"
  echo "32-bit programs: the hand-off to the 64-bit VornDemo, its shortcuts, App Paths and"
  echo "removal command, and its removal through the 32-bit registry view"
  exit 77
fi
if [ "$(pe_machine "$demo64")" != 34404 ]; then
  echo "no 64-bit VornDemo at $demo64: build it with"
  echo "  source scripts/lib.sh && build_preset win64 VornDemo"
  exit 1
fi
source "$(dirname "$0")/e2e-common.sh"

# The same application folder as the other tests, with the 64-bit program beside.
cp "$demo64" "$work/app/VornDemo64.exe"
touch -d '2024-05-06 07:08:09 UTC' "$work/app/VornDemo64.exe"
"$vornpack" setup --app "$work/app" --definitions "$definitions" --stub "$stub" \
  -o "$work/VornDemoSetup.exe" >/dev/null || { echo "VornPack setup failed"; exit 1; }

folder='C:\Program Files (x86)\VornDemo'
program64="$folder\\VornDemo64.exe"
installed_in() { echo "$1/drive_c/Program Files (x86)/VornDemo"; }
links_in() { # prefix -> every shortcut the installation may have made
  find "$(group_in "$1")" "$1"/drive_c/users/*/Desktop "$1"/drive_c/users/*/AppData/Roaming/Microsoft/Internet\ Explorer \
    -name '*.lnk' 2>/dev/null | sort
}
link_names() { strings -el "$1"; strings "$1"; } # the paths a shortcut holds
app_paths64='HKLM\Software\Microsoft\Windows\CurrentVersion\App Paths'
app_paths32='HKLM\Software\WOW6432Node\Microsoft\Windows\CurrentVersion\App Paths'
entry64='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\{7E3F2A91-5C4B-4D8E-9F10-2B3C4D5E6F70}'
default_value() { # prefix key
  WINEPREFIX="$1" /usr/lib/wine/wine64 reg query "$2" /ve 2>/dev/null | tr -d '\r' |
    sed -n 's/^ *(Default) *REG_SZ *//p'
}
has_key() { WINEPREFIX="$1" /usr/lib/wine/wine64 reg query "$2" >/dev/null 2>&1; }
# As in uninstall-e2e.sh: differences that are not the installation's.
justified='(HARDWARE|Enum|Control..Class|Control..Video|NetworkCards|DeviceClasses|^[<>] user[.]reg:Console|Software..Wine|Wow6432Node..Microsoft..Windows..CurrentVersion..Uninstall$|Vorn Software..VornDemo)'

echo "== a quiet installation on 64-bit Windows"
prefix="$(fresh_prefix install)"
files_before="$(files_of "$prefix")"; registry_before="$(registry_of "$prefix")"
setup "$prefix" /Quiet; code=$?
check "the launcher exits 0 ($code)" test "$code" -eq 0
installed="$(installed_in "$prefix")"
check "VornDemo.exe (32-bit) in place" cmp -s "$installed/VornDemo.exe" "$work/app/VornDemo.exe"
check "VornDemo64.exe (64-bit) in place" cmp -s "$installed/VornDemo64.exe" "$work/app/VornDemo64.exe"
check "VornDemo64.exe keeps its date" test "$(stat -c %Y "$installed/VornDemo64.exe")" = "$(stat -c %Y "$work/app/VornDemo64.exe")"
check "FilesList lists both programs" test "$(files_listed "$prefix")" = 'Help/Readme.txt|VornDemo.exe|VornDemo64.exe|VornLib.Setup.exe|'
check "the entry is in the 32-bit registry view" test -n "$(reg_value "$prefix" "$entry" DisplayName)"
check "and not in the 64-bit one" reg_absent "$prefix" "$entry64"
check "UninstallString names the 64-bit program" test "$(reg_value "$prefix" "$entry" UninstallString)" = "\"$program64\" /Uninstall"
check "VornLib.UninstallProgram is the 64-bit program" test "$(reg_value "$prefix" "$entry" VornLib.UninstallProgram)" = "$program64"
# The hand-off "/Install" went to the 64-bit program: it registered App Paths
# under its own name, in the 64-bit view.
check "App Paths names VornDemo64.exe (64-bit view)" test "$(default_value "$prefix" "$app_paths64\\VornDemo64.exe")" = "$program64"
check "with its folder as Path" test "$(reg_value "$prefix" "$app_paths64\\VornDemo64.exe" Path)" = "$folder"
check "no App Paths entry for the 32-bit program (64-bit view)" reg_absent "$prefix" "$app_paths64\\VornDemo.exe"
check "nor in the 32-bit view" reg_absent "$prefix" "$app_paths32\\VornDemo.exe"
check "the file type .vdm is registered" has_key "$prefix" 'HKCR\.vdm'
links="$(links_in "$prefix")"
check "shortcuts were made ($(echo "$links" | grep -c .))" test "$(echo "$links" | grep -c .)" -ge 2
all64=true
while IFS= read -r link; do
  [ -z "$link" ] && continue
  names="$(link_names "$link")"
  if ! grep -q 'VornDemo64\.exe' <<<"$names" || grep -qi 'VornDemo\\VornDemo\.exe' <<<"$names"; then
    echo "    $(basename "$link") does not point at VornDemo64.exe"; all64=false
  fi
done <<<"$links"
check "every shortcut points at VornDemo64.exe" $all64
"$run" "$prefix" "$program64" /DemoSeconds:2 >/dev/null 2>&1 </dev/null; code=$?
check "the 64-bit VornDemo runs and ends with 0 ($code)" test "$code" -eq 0

echo "== installing again: the 64-bit program removes the first installation"
setup "$prefix" /Quiet; code=$?
check "the second installation exits 0 ($code)" test "$code" -eq 0
check "both programs in place" test -s "$installed/VornDemo.exe" -a -s "$installed/VornDemo64.exe"
# Sorted but not made unique: a file listed twice would show twice.
check "FilesList lists the four files once" test "$(files_listed "$prefix")" = 'Help/Readme.txt|VornDemo.exe|VornDemo64.exe|VornLib.Setup.exe|'
check "the shortcuts are listed once" test "$(WINEPREFIX="$prefix" /usr/lib/wine/wine64 reg query "$entry\\ShortcutsList" 2>/dev/null | grep -c REG_SZ)" -eq "$(links_in "$prefix" | grep -c .)"

echo "== removal through the uninstall entry's command"
uninstall="$(reg_value "$prefix" "$entry" UninstallString)"
printf '%s /Quiet\r\n' "$uninstall" > "$prefix/drive_c/remove.bat"
"$run" "$prefix" cmd /c 'C:\remove.bat' >/dev/null 2>&1 </dev/null; code=$?
check "the removal ends with 0 ($code)" test "$code" -eq 0
check "the batch file ran and deleted itself" wait_for_batch_file "$prefix"
rm -f "$prefix/drive_c/remove.bat"
check "the install folder is gone" test ! -e "$installed"
check "no shortcut left" test -z "$(links_in "$prefix")"
check "the entry is gone from the 32-bit view" reg_absent "$prefix" "$entry" DisplayName
check "the 64-bit App Paths entry is gone" reg_absent "$prefix" "$app_paths64\\VornDemo64.exe"
check "the file type is gone" reg_absent "$prefix" 'HKCR\.vdm'
check "no file or folder left" test "$files_before" = "$(files_of "$prefix")"
[ "$files_before" = "$(files_of "$prefix")" ] || diff <(echo "$files_before") <(files_of "$prefix") | head
left="$(diff <(echo "$registry_before") <(registry_of "$prefix") | grep '^[<>]' | grep -Ev "$justified")"
check "no registry key or value left" test -z "$left"
[ -n "$left" ] && echo "$left" | head -20
finish_prefix "$prefix"

finish_checks
