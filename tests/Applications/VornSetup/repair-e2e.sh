#!/bin/bash
# repair-e2e.sh <VornPack> <VornSetup stub> <VornDemo.exe> <definitions> <wine-run> <work folder>
# Installs VornDemo under Wine, damages the installation (a file deleted, one
# whose bytes changed at the same size, a file of the user's own beside
# them), then runs the repair command the uninstall entry registers, as the
# system would, quietly: only the two damaged files are written again, the
# rest keeps its very files, and the choices and registrations stay.
set -uo pipefail
vornpack="$1"; stub="$2"; demo="$3"; definitions="$4"; run="$5"; work="$6"
source "$(dirname "$0")/e2e-common.sh"
# Two more files: the repair tells a missing file from a changed one.
printf 'VornDemo guide\n' > "$work/app/Help/Guide.txt"
mkdir -p "$work/app/Data"; head -c 70000 /dev/urandom > "$work/app/Data/Table.bin"
make_setup "$work/app" "$work/VornDemoSetup.exe"

# The inode of each file below a folder: a file written again is a new one
# (its date is the payload's either way).
identities() { (cd "$1" && find . -type f -printf '%p %i\n' | sort); } # folder
# Runs a command line as a script types it, with extra switches; its code.
run_command() { # prefix command-line
  printf '%s\r\nexit %%ERRORLEVEL%%\r\n' "$2" > "$1/drive_c/repair.bat"
  "$run" "$1" cmd /c 'C:\repair.bat' >/dev/null 2>&1 </dev/null
}

listed() { # prefix key -> the entry's FilesList, sorted, each ended by "|"
  local i=0 value
  while value="$(reg_value "$1" "$2\\FilesList" $i)" && [ -n "$value" ]; do
    echo "$value"; i=$((i + 1))
  done | sort | tr '\n' '|'
}

repair_scope() { # name, entry key, scope switch, folder (Windows), start menu below drive_c, file type key
  local name="$1" key="$2" scope="$3" folder="$4" menu="$5" type="$6"
  echo "== $name: the registered repair writes again only what differs"
  local prefix; prefix="$(fresh_prefix "$name")"
  setup "$prefix" /Quiet "$scope" "/InstallFolder:$folder" '/ProgramGroup:Tools\Demo'; code=$?
  check "installed ($code)" test "$code" -eq 0
  local installed="$prefix/drive_c/${folder#C:\\}"; installed="${installed//\\//}"
  local command; command="$(reg_value "$prefix" "$key" ModifyPath)"
  check "ModifyPath runs the kept setup with /Repair ($command)" test "$command" = "\"$folder\\VornLib.Setup.exe\" /Repair"
  check "NoRepair is not written (the query ran)" reg_absent "$prefix" "$key" NoRepair
  check "the kept setup is this setup" cmp -s "$installed/VornLib.Setup.exe" "$work/VornDemoSetup.exe"
  check "the entry lists it among the files" test "$(listed "$prefix" "$key")" = 'Data/Table.bin|Help/Guide.txt|Help/Readme.txt|VornDemo.exe|VornLib.Setup.exe|'
  rm "$installed/Help/Guide.txt"
  head -c 70000 /dev/urandom > "$installed/Data/Table.bin"
  printf 'mine\n' > "$installed/Help/Mine.txt"
  local before; before="$(identities "$installed" | grep -v -e Guide.txt -e Table.bin)"
  local shortcut; shortcut="$(reg_value "$prefix" "$key\\ShortcutsList" 0)"
  run_command "$prefix" "$command /Quiet /Log:C:\\repair.log"; code=$?
  check "the repair ends with 0 ($code)" test "$code" -eq 0
  check "the deleted file is back" cmp -s "$installed/Help/Guide.txt" "$work/app/Help/Guide.txt"
  check "the changed file is the payload's again" cmp -s "$installed/Data/Table.bin" "$work/app/Data/Table.bin"
  check "with the payload's date" test "$(stat -c %Y "$installed/Data/Table.bin")" = "$(stat -c %Y "$work/app/Data/Table.bin")"
  check "every other file is the very same file, the user's own too" test "$before" = "$(identities "$installed" | grep -v -e Guide.txt -e Table.bin)"
  check "the user's file keeps its content" test "$(cat "$installed/Help/Mine.txt")" = mine
  check "nothing left aside or partial" test -z "$(find "$installed" -name '*.VornLib-*')"
  check "the log names the missing file" grep -q 'Repair Help.Guide.txt: missing' "$prefix/drive_c/repair.log"
  check "and the changed one" grep -q 'Repair Data.Table.bin: changed' "$prefix/drive_c/repair.log"
  check "and no other" test "$(grep -c 'Repair .*: \(missing\|changed\)' "$prefix/drive_c/repair.log")" -eq 2
  check "the folder is kept" test "$(reg_value "$prefix" "$key" VornLib.InstallFolder)" = "$folder"
  check "the group is kept" test "$(reg_value "$prefix" "$key" VornLib.ProgramGroup)" = 'Tools\Demo'
  check "the repair command is registered again" test "$(reg_value "$prefix" "$key" ModifyPath)" = "$command"
  check "the shortcut is listed again ($shortcut)" test "$(reg_value "$prefix" "$key\\ShortcutsList" 0)" = "$shortcut"
  check "the group's shortcut is there" compgen -G "$prefix/drive_c/$menu/Tools/Demo/VornDemo.lnk"
  check "the program registered its file type again" grep -q 'VornDemo.vdm' <(WINEPREFIX="$prefix" /usr/lib/wine/wine64 reg query "$type" 2>/dev/null)
  # With its copy page alone, as a deployment shows it.
  rm "$installed/Help/Guide.txt"
  run_command "$prefix" "$command /Passive"; code=$?
  check "a passive repair ends with 0 ($code)" test "$code" -eq 0
  check "and puts the file back" cmp -s "$installed/Help/Guide.txt" "$work/app/Help/Guide.txt"
  finish_prefix "$prefix"
}

repair_scope machine "$entry" /AllUsers 'C:\Apps\VornDemo' \
  'ProgramData/Microsoft/Windows/Start Menu/Programs' 'HKCR\.vdm'
repair_scope user 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\{7E3F2A91-5C4B-4D8E-9F10-2B3C4D5E6F70}' \
  /CurrentUser 'C:\UserApps\VornDemo' 'users/*/AppData/Roaming/Microsoft/Windows/Start Menu/Programs' \
  'HKCU\Software\Classes\.vdm'

echo "== a repair where nothing is installed is refused, and changes nothing"
prefix="$(fresh_prefix nothing)"
before="$(snapshot "$prefix")"
setup "$prefix" /Repair /Quiet '/Log:C:\refused.log'; code=$?
check "it ends with 50 ($code)" test "$code" -eq 50
check "its log says why" grep -q 'Repair refused: Nothing to repair: VornDemo is not installed' "$prefix/drive_c/refused.log"
check "no entry (the key's query ran)" reg_absent "$prefix" "$entry"
check "no file but the log" test "$before" = "$(snapshot "$prefix" | grep -v refused.log)"
finish_prefix "$prefix"

echo "== a folder that standard users may change offers no repair: its setup could be replaced"
prefix="$(fresh_prefix writable)"
shared="$prefix/drive_c/Shared"; mkdir -p "$shared"; chmod 777 "$shared"
setup "$prefix" /Quiet '/InstallFolder:C:\Shared' /AllowUserWritableFolder; code=$?
check "installed there ($code)" test "$code" -eq 0 -a -f "$shared/VornDemo.exe"
check "NoRepair is written" test "$(reg_value "$prefix" "$entry" NoRepair)" = 0x1
check "no repair command (the query ran)" reg_absent "$prefix" "$entry" ModifyPath
finish_prefix "$prefix"

finish_checks
