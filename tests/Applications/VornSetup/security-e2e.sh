#!/bin/bash
# security-e2e.sh <VornPack> <VornSetup stub> <VornDemo.exe> <definitions> <wine-run> <work folder> <VornLingeringProgram.exe>
# What a standard user can plant for a setup that runs with administrator
# rights (every process has them under Wine). The user's update record
# (HKCU\Software\VornLib\Updates\{uuid}) is planted as an attacker would
# write it, naming a folder of somebody else's, a system file and a program
# of the attacker's: a setup for all users (quiet in its own process, and
# /Passive through its elevated copy) leaves it alone, and a per-user setup
# refuses it; so does the removal of the installation for all users, which
# takes up all users' record alone. That the planted program would show if it ran, and that a
# per-user setup does take up a record that stays in the user's places, is
# shown with the same program at the end.
# shellcheck source-path=SCRIPTDIR
# shellcheck disable=SC2016,SC1003 # single quotes hold Windows paths and texts for bash -c
set -uo pipefail
# shellcheck disable=SC2034 # e2e-common.sh reads them
{ vornpack="$1"; stub="$2"; demo="$3"; definitions="$4"; run="$5"; work="$6"; lingering="$7"; }
source "$(dirname "$0")/e2e-common.sh"

record='HKCU\Software\VornLib\Updates\{7E3F2A91-5C4B-4D8E-9F10-2B3C4D5E6F70}'
# The record a setup interrupted while registering leaves, with what it names.
plant_record() { # prefix folder program file shortcut
  local prefix="$1"
  reg_set "$prefix" "$record" /v InstallFolder /d "$2" &&
    reg_set "$prefix" "$record" /v Program /d "$3" &&
    reg_set "$prefix" "$record" /v ProgramGroup /d VornDemo &&
    reg_set "$prefix" "$record\\Files" /v 0 /d "$4" &&
    reg_set "$prefix" "$record\\Shortcuts" /v 0 /d "$5" &&
    reg_set "$prefix" "$record" /v Step /t REG_DWORD /d 5
}
# The attacker's program: it ends at once (release.txt beside it) and leaves
# ended.txt behind when anything starts it.
plant_program() { # folder on the Linux side
  mkdir -p "$1"; cp "$lingering" "$1/planted.exe"; : >"$1/release.txt"
}
record_step() { reg_value "$1" "$record" Step; }
# The folder's listing: name, size, and the file's own bytes.
contents() { (cd "$1" && find . -type f -exec md5sum {} + | sort); }

echo "== a planted record of the user's, and a setup for all users"
prefix="$(fresh_prefix machine)"
victim="$prefix/drive_c/victim"
plant_program "$victim"; printf 'somebody else'"'"'s\n' >"$victim/a.txt"
win_ini="$prefix/drive_c/windows/win.ini"; printf '[vorn]\nkept=1\n' >>"$win_ini"
victim_before="$(contents "$victim")"; win_ini_before="$(cat "$win_ini")"
check "the record is planted" plant_record "$prefix" 'C:\victim\' 'C:\victim\planted.exe' a.txt 'C:\windows\win.ini'
setup "$prefix" /Quiet /Log:'C:\quiet.log'; code=$?
check "the quiet setup exits 0" test "$code" -eq 0
check "it installed for all users" test -n "$(reg_value "$prefix" "$entry" DisplayName)"
check "its log shows it ran in its own process, with the rights" grep -q 'Rights administrator' "$prefix/drive_c/quiet.log"
setup "$prefix" /Passive /Log:'C:\passive.log'; code=$?
check "the passive setup exits 0" test "$code" -eq 0
check "its log shows the elevated copy" grep -q 'Elevation.*-LaunchedAsAdministrator' "$prefix/drive_c/passive.log"
"$run" "$prefix" 'C:\Program Files (x86)\VornDemo\VornDemo.exe' /Uninstall /Quiet /Log:'C:\removal.log' >/dev/null 2>&1 </dev/null; code=$?
check "the removal for all users exits 0" test "$code" -eq 0
check "its batch file ran" wait_for_batch_file "$prefix"
check "the victim's folder is as it was" test "$victim_before" = "$(contents "$victim")"
check "the planted program never ran" test ! -e "$victim/ended.txt" -a -e "$victim/planted.exe"
check "win.ini is as it was" test "$win_ini_before" = "$(cat "$win_ini")"
check "the user's record was left alone (its step still 0x5)" test "$(record_step "$prefix")" = 0x5
check "no log takes up a record" bash -c '! grep -q Recovery "$0" "$1" "$2"' "$prefix/drive_c/quiet.log" "$prefix/drive_c/passive.log" "$prefix/drive_c/removal.log"
finish_prefix "$prefix"

echo "== the same record, and a setup for the user"
prefix="$(fresh_prefix user)"
victim="$prefix/drive_c/victim"
plant_program "$victim"; printf 'somebody else'"'"'s\n' >"$victim/a.txt"
victim_before="$(contents "$victim")"
check "the record is planted" plant_record "$prefix" 'C:\victim\' 'C:\victim\planted.exe' a.txt 'C:\victim\a.txt'
setup "$prefix" /Quiet /CurrentUser /Log:'C:\user.log'; code=$?
check "the per-user setup exits 0" test "$code" -eq 0
check "the victim's folder is as it was" test "$victim_before" = "$(contents "$victim")"
check "the planted program never ran" test ! -e "$victim/ended.txt"
check "the log says why the record was refused" grep -q "Recovery the user's record is refused: it names the folder C:.victim. outside the user's profile" "$prefix/drive_c/user.log"
check "the refused record is gone (reg read the hive and found no key)" reg_absent "$prefix" "$record"

echo "== a record that stays in the user's places is taken up"
user="$(basename "$(dirname "$(echo "$prefix"/drive_c/users/*/AppData)")")"
own="$prefix/drive_c/users/$user/AppData/Local/Programs/Planted"
plant_program "$own"; printf 'interrupted\n' >"$own/a.txt"
check "the record is planted" plant_record "$prefix" "C:\\users\\$user\\AppData\\Local\\Programs\\Planted\\" \
  "C:\\users\\$user\\AppData\\Local\\Programs\\Planted\\planted.exe" a.txt "C:\\users\\$user\\Desktop\\Planted.lnk"
setup "$prefix" /Quiet /CurrentUser /Log:'C:\taken.log'; code=$?
check "the per-user setup exits 0" test "$code" -eq 0
check "the record's program was run to undo its registration" test -e "$own/ended.txt"
check "the interrupted installation's file is gone" test ! -e "$own/a.txt" -a -e "$own/planted.exe"
check "the log says so" grep -q 'Recovery user installation interrupted at step 5: undone' "$prefix/drive_c/taken.log"
finish_prefix "$prefix"

echo "== files and values the caller names: the elevated copy makes none and passes none on"
prefix="$(fresh_prefix switches)"
"$run" "$prefix" "$work/VornDemoSetup.exe" /Passive '/DataCollection:a"&echo,pwned>C:\pwned.txt&"b' \
  >/dev/null 2>"$work/said.txt" </dev/null; code=$?
check "a value that would end its argument is refused with 5" test "$code" -eq 5
check "the line says which switch" grep -q '/DataCollection takes On or Off' "$work/said.txt"
check "no command ran (no C:\pwned.txt)" test ! -e "$prefix/drive_c/pwned.txt" -a -d "$prefix/drive_c/windows"
check "nothing was installed (the entry's key read: not there)" reg_absent "$prefix" "$entry"
mkdir -p "$prefix/drive_c/Deploy"
# Started as the elevated copy is, with paths of its own: it writes neither.
setup "$prefix" /LaunchedAsAdministrator /Quiet '/Log:C:\Deploy\copy.log' '/ResultFile:C:\Deploy\copy.json'; code=$?
check "a copy started with rights installs (42)" test "$code" -eq 42 -a -n "$(reg_value "$prefix" "$entry" DisplayName)"
check "it made no log and no result file at the paths it was given" test -z "$(ls -A "$prefix/drive_c/Deploy")"
setup "$prefix" /Passive '/Log:C:\Deploy\passive.log' '/ResultFile:C:\Deploy\passive.json'; code=$?
check "the passive setup exits 0" test "$code" -eq 0
check "its log holds the elevated copy's lines, appended to the file the setup made" grep -q 'Program VornDemo .* setup, elevated copy' "$prefix/drive_c/Deploy/passive.log"
check "the setup wrote the result file, with the files its copy installed" python3 -c '
import json, sys
result = json.load(open(sys.argv[1], encoding="utf-8"))
sys.exit(0 if result["exitCode"] == 0 and result["filesInstalled"] == 2 and result["uninstallCommand"] else 1)' "$prefix/drive_c/Deploy/passive.json"
finish_prefix "$prefix"

echo "== a folder for all users that standard users may change (777: Wine lets Everyone write)"
prefix="$(fresh_prefix writable)"
shared="$prefix/drive_c/Shared"; mkdir -p "$shared"; chmod 777 "$shared"
setup "$prefix" /Quiet '/InstallFolder:C:\Shared' '/Log:C:\writable.log'; code=$?
check "the setup is refused with 43" test "$code" -eq 43
check "its log says why" grep -q 'InstallFolder refused: standard users may change C:.Shared' "$prefix/drive_c/writable.log"
check "nothing was installed (the entry's key read: not there)" reg_absent "$prefix" "$entry"
check "nothing was put into the folder" test -z "$(ls -A "$shared")"
setup "$prefix" /Quiet '/InstallFolder:C:\Shared' /AllowUserWritableFolder; code=$?
check "with /AllowUserWritableFolder it installs there" test "$code" -eq 0 -a -f "$shared/VornDemo.exe"
finish_prefix "$prefix"

echo "== a folder of other programs' and the user's empty folders: the removal leaves them"
prefix="$(fresh_prefix shared)"
tools="$prefix/drive_c/Tools"
mkdir -p "$tools/My Projects/new" "$tools/OtherApp/cache" "$tools/OtherApp/plugins/disabled" "$tools/Help/Old"
folders_before="$(cd "$tools" && find . -type d | sort)"
setup "$prefix" /Quiet '/InstallFolder:C:\Tools'; code=$?
check "the setup into C:\Tools exits 0" test "$code" -eq 0
check "VornDemo is in C:\Tools" test -f "$tools/VornDemo.exe" -a -f "$tools/Help/Readme.txt"
uninstall="$(reg_value "$prefix" "$entry" UninstallString)"
check "the entry names the program in C:\Tools" grep -qi 'C:.Tools.VornDemo.exe' <<<"$uninstall"
printf '%s /Quiet\r\n' "$uninstall" >"$prefix/drive_c/remove.bat"
"$run" "$prefix" cmd /c 'C:\remove.bat' >/dev/null 2>&1 </dev/null
check "the removal's batch file ran and deleted itself" wait_for_batch_file "$prefix"
check "the program and its files are gone" test ! -e "$tools/VornDemo.exe" -a ! -e "$tools/Help/Readme.txt"
check "every folder that was there before stays, and no other" test "$folders_before" = "$(cd "$tools" && find . -type d | sort)"

echo "== a link where a listed file's folder was: the removal does not go through it"
setup "$prefix" /Quiet '/InstallFolder:C:\Tools'; code=$?
check "installed into C:\Tools again" test "$code" -eq 0 -a -f "$tools/Help/Readme.txt"
victim="$prefix/drive_c/Victim"; mkdir -p "$victim"; printf 'not the installation'"'"'s\n' >"$victim/Readme.txt"
rm -rf "$tools/Help"; ln -s "$victim" "$tools/Help"
"$run" "$prefix" cmd /c 'C:\remove.bat' >/dev/null 2>&1 </dev/null
check "the removal's batch file ran and deleted itself" wait_for_batch_file "$prefix"
check "the program is gone" test ! -e "$tools/VornDemo.exe"
check "the file behind the link stays" test -f "$victim/Readme.txt"
finish_prefix "$prefix"

finish_checks
