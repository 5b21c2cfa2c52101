#!/bin/bash
# foreign-e2e.sh <VornPack> <VornSetup stub> <ForeignProgram.exe> <wine-run> <work folder> <WindowDriver.exe> [<screenshot folder>]
# A program that is not built on VornLib, packed as a vendor does it (init,
# a file type and a protocol declared, a signed setup; the removal program
# lies beside the stub) and installed under Wine: quietly and through the
# wizard, updated from version 1 to 2, refused while it runs from the install
# folder, removed through the uninstall entry's command passively (its log
# read back) and with the question answered. The program appends to
# C:\ForeignStarted.txt whenever it starts, so the test sees that neither the
# installer nor the removal starts it. Files and registry are compared with
# the prefix as it was before.
# shellcheck source-path=SCRIPTDIR
# shellcheck disable=SC1003 # single quotes hold Windows paths
set -uo pipefail
vornpack="$1"; stub="$2"; foreign="$3"; run="$4"; work="$5"; driver="$6"
shots="${7:-$5/screenshots}"
source "$(dirname "$0")/../../../scripts/lib.sh"
start_xvfb
source "$(dirname "$0")/../VornSetup/e2e-common.sh"
source "$(dirname "$0")/../VornSetup/wizard-common.sh"
mkdir -p "$shots"
contains() { grep -qF -- "$2" <<<"$1"; }
verifies() { osslsigncode verify -CAfile "$work/cert.pem" -in "$1" >/dev/null 2>&1; }

uuid=3C2B1A09-8F7E-4D6C-9B5A-0F1E2D3C4B5A
entry="HKLM\\Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{$uuid}"
folder='C:\Program Files (x86)\Hello World'
title='Hello World Setup'
installed_in() { echo "$1/drive_c/Program Files (x86)/Hello World"; }
group_in() { echo "$1/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Hello World"; }
started() { test -e "$1/drive_c/ForeignStarted.txt"; } # prefix: Hello.exe ran
in_prefix() { local prefix="$1"; shift; "$run" "$prefix" "$@" >/dev/null 2>&1 </dev/null; }
default_of() { # prefix key -> its default value
  WINEPREFIX="$1" /usr/lib/wine/wine64 reg query "$2" /ve 2>/dev/null | tr -d '\r' |
    sed -n 's/^ *(Default) *REG_[A-Z_]* *//p'
}
list_of() { # prefix list -> the values of a list of the entry
  WINEPREFIX="$1" /usr/lib/wine/wine64 reg query "$entry\\$2" 2>/dev/null | tr -d '\r' |
    sed -n 's/^ *[0-9]* *REG_SZ *//p' | sort
}
# Differences that are not the installation's: Wine re-enumerates its devices
# on every start and keeps console settings once a console program ran; the
# list of installed programs is a key every Windows has.
justified='(HARDWARE|Enum|Control..Class|Control..Video|NetworkCards|DeviceClasses|^[<>] user[.]reg:Console|Software..Wine|Wow6432Node..Microsoft..Windows..CurrentVersion..Uninstall$)'
residue() { # before-registry after-registry
  diff <(echo "$1") <(echo "$2") | grep '^[<>]' | grep -Ev "$justified"
}
nothing_left() { # prefix files-before registry-before
  check "no file or folder left" test "$2" = "$(files_of "$1")"
  [ "$2" = "$(files_of "$1")" ] || diff <(echo "$2") <(files_of "$1") | head
  local left; left="$(residue "$3" "$(registry_of "$1")")"
  check "no registry key or value left" test -z "$left"
  [ -n "$left" ] && echo "$left" | head -20
}

echo "== a vendor packs a program that is not built on VornLib"
definitions="$work/definitions"
"$vornpack" init "$definitions" --name "Hello World" --company "Hello Corp" --version 1.0 \
  --executable Hello.exe --website https://hello.example/ --support help@hello.example \
  --uuid "$uuid" >/dev/null; code=$?
check "init ends with 0 ($code)" test "$code" -eq 0
check "it writes RemovedBy" grep -q '<RemovedBy>Auto</RemovedBy>' "$definitions/Configuration.xml"
sed -i -e 's|<FileTypes>|&<FileType Extension=".hello" Description="Hello Document"/>|' \
  -e 's|<CustomProtocols>|&<Protocol Name="hello-world" Command="-Open:" Description="Hello Link"/>|' \
  "$definitions/Configuration.xml"
check "the declarations check" "$vornpack" check-xml "$definitions"/*.xml >/dev/null
# The vendor's own licence in place of init's placeholder, which does not ship.
for licence in "$definitions"/VornSetup-License-*.xml; do
  perl -0pi -e 's|(<String ID="LicenseText">).*?(</String>)|${1}Hello Corp licenses Hello World to you.$2|s' "$licence"
done
cp -r "$definitions" "$work/definitions2"
sed -i 's/Version="1.0"/Version="2.0"/g' "$work/definitions2/Configuration.xml"
for version in 1 2; do
  mkdir -p "$work/app$version"
  cp "$foreign" "$work/app$version/Hello.exe"
  printf 'Version %s\n' "$version" > "$work/app$version/Readme.txt"
done
printf 'only in 1\n' > "$work/app1/Old.txt"
mkdir -p "$work/app2/Extra"; printf 'new in 2\n' > "$work/app2/Extra/Notes.txt"
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Hello Corp Test Signing" \
  -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null
sign="osslsigncode sign -certs '$work/cert.pem' -key '$work/key.pem' -n 'Hello World' -in {} -out {}.signed >/dev/null && mv {}.signed {}"
shown="$("$vornpack" setup --app "$work/app1" --definitions "$definitions" --stub "$stub" \
  -o "$work/HelloSetup1.exe" --sign-command "$sign")"; code=$?
check "setup ends with 0 ($code)" test "$code" -eq 0
check "and says who removes it" contains "$shown" '; VornUninstall.exe removes it ("Hello.exe" is not built on VornLib)'
check "counting the removal program among the application files" contains "$shown" ': 4 application files ('
check "the setup is signed" verifies "$work/HelloSetup1.exe"
definitions="$work/definitions2" make_setup "$work/app2" "$work/HelloSetup2.exe"

echo "== a quiet installation registers Hello.exe, and the removal program removes it"
prefix="$(fresh_prefix quiet)"
files_before="$(files_of "$prefix")"; registry_before="$(registry_of "$prefix")"
cp "$work/HelloSetup1.exe" "$work/HelloSetup2.exe" "$prefix/drive_c/"
in_prefix "$prefix" 'C:\HelloSetup1.exe' /Quiet; code=$?
check "the quiet installation ends with 0 ($code)" test "$code" -eq 0
installed="$(installed_in "$prefix")"
check "Hello.exe is in place" cmp -s "$installed/Hello.exe" "$foreign"
check "with the removal program beside it" test -f "$installed/VornUninstall.exe"
check "which carries the vendor's signature" verifies "$installed/VornUninstall.exe"
check "the hand-off never started Hello.exe" bash -c '! test -e "$0/drive_c/ForeignStarted.txt"' "$prefix"
check "UninstallString runs the removal program" test "$(reg_value "$prefix" "$entry" UninstallString)" = "\"$folder\\VornUninstall.exe\" /Uninstall"
check "QuietUninstallString runs it without a question" test "$(reg_value "$prefix" "$entry" QuietUninstallString)" = "\"$folder\\VornUninstall.exe\" /Uninstall /Quiet"
check "VornLib.UninstallProgram names it" test "$(reg_value "$prefix" "$entry" VornLib.UninstallProgram)" = "$folder\\VornUninstall.exe"
check "DisplayIcon stays Hello.exe" test "$(reg_value "$prefix" "$entry" DisplayIcon)" = "$folder\\Hello.exe"
check "FilesList lists it with the program's files" test "$(list_of "$prefix" FilesList | tr '\n' ' ')" = "Hello.exe Old.txt Readme.txt VornLib.Setup.exe VornUninstall.exe "
check ".hello is Hello World.hello" test "$(default_of "$prefix" 'HKCR\.hello')" = "Hello World.hello"
check "which Hello.exe opens" test "$(default_of "$prefix" 'HKCR\Hello World.hello\shell\open\command')" = "\"$folder\\Hello.exe\" \"%1\""
check "hello-world: links open with Hello.exe" test "$(default_of "$prefix" 'HKCR\hello-world\shell\open\command')" = "\"$folder\\Hello.exe\" -Open:\"%1\""
check "App Paths is named after Hello.exe" test "$(default_of "$prefix" 'HKLM\Software\Microsoft\Windows\CurrentVersion\App Paths\Hello.exe')" = "$folder\\Hello.exe"
check "and not after the removal program" reg_absent "$prefix" 'HKLM\Software\Microsoft\Windows\CurrentVersion\App Paths\VornUninstall.exe'
group="$(group_in "$prefix")"
check "the program group's shortcut starts Hello.exe" grep -q 'Hello.exe' <(strings -el "$group/Hello World.lnk"; strings "$group/Hello World.lnk")
check "so does the desktop's" grep -q 'Hello.exe' <(cat "$prefix"/drive_c/users/*/Desktop/'Hello World.lnk' | strings -el; cat "$prefix"/drive_c/users/*/Desktop/'Hello World.lnk' | strings)

echo "== while Hello.exe runs from the install folder, nothing is updated or removed"
"$run" "$prefix" "$folder\\Hello.exe" /Stay >/dev/null 2>&1 </dev/null &
hello=$!
wait_until 120 started "$prefix"
check "Hello.exe started by hand leaves its mark" started "$prefix"
files_running="$(snapshot "$prefix")"
in_prefix "$prefix" 'C:\HelloSetup2.exe' /Quiet; code=$?
check "the quiet update ends with 14 ($code)" test "$code" -eq 14
check "and changes no file" test "$files_running" = "$(snapshot "$prefix")"
check "nor the entry's version" test "$(reg_value "$prefix" "$entry" DisplayVersion)" = "1.0"
start_setup_of "$prefix" 'C:\HelloSetup2.exe' /Language:de
texts="$(drive "$prefix" "$title" --timeout 30)"
shot foreign-running-de
check "the wizard's message names the running program, in German" contains "$texts" 'Hello World wird ausgeführt'
drive "$prefix" "$title" --click OK >/dev/null
exit_code_of "$setup_pid" 30; code=$?
check "and the setup ends ($code)" test "$code" -ne 124
check "still changing no file" test "$files_running" = "$(snapshot "$prefix")"
# Opened without a switch, the removal program asks as "/Uninstall" would.
in_prefix "$prefix" "$folder\\VornUninstall.exe" /Quiet; code=$?
check "the removal ends with 14 ($code)" test "$code" -eq 14
check "and removes nothing" test "$files_running" = "$(snapshot "$prefix")"
check "the entry stays" test -n "$(reg_value "$prefix" "$entry" DisplayName)"
touch "$prefix/drive_c/ForeignStop.txt"; wait "$hello"
rm -f "$prefix/drive_c/ForeignStop.txt" "$prefix/drive_c/ForeignStarted.txt"

# A typo in its switches: refused before it asks or removes anything.
files_installed="$(snapshot "$prefix")"
in_prefix "$prefix" "$folder\\VornUninstall.exe" /Qiuet; code=$?
check "a typo ends the removal program with 5 ($code)" test "$code" -eq 5
check "and removes nothing" test "$files_installed" = "$(snapshot "$prefix")"
check "the entry stays" test -n "$(reg_value "$prefix" "$entry" QuietUninstallString)"

echo "== the uninstall entry's command removes it, passive and logged"
printf '%s /Passive /Log:C:\\removal.log\r\n' "$(reg_value "$prefix" "$entry" UninstallString)" > "$prefix/drive_c/remove.bat"
in_prefix "$prefix" cmd /c 'C:\remove.bat'
check "the batch file ran and deleted itself" wait_for_batch_file "$prefix"
removal_log="$(tr -d '\r' <"$prefix/drive_c/removal.log" | cut -d' ' -f2-)"
check "its log begins with the removal of Hello World" grep -q '^Program Hello World 1.0 removal (VornLib ' <<<"$(head -1 <<<"$removal_log")"
check "names Hello.exe removed" grep -qxF "Remove $folder\\Hello.exe" <<<"$removal_log"
check "and ends with the result" test "$(tail -1 <<<"$removal_log")" = 'Result 0 removed: The program is removed.'
rm -f "$prefix/drive_c/removal.log"
check "the removal never started Hello.exe" bash -c '! test -e "$0/drive_c/ForeignStarted.txt"' "$prefix"
check "the file type is gone" reg_absent "$prefix" 'HKCR\.hello'
rm -f "$prefix/drive_c/remove.bat" "$prefix"/drive_c/HelloSetup?.exe
check "the product has no settings key" reg_absent "$prefix" 'HKCU\Software\Hello Corp\Hello World'
# The language chosen above stays a setting of the setup, in a key of its own.
WINEPREFIX="$prefix" /usr/lib/wine/wine64 reg delete 'HKCU\Software\Hello Corp' /f >/dev/null 2>&1
nothing_left "$prefix" "$files_before" "$registry_before"
finish_prefix "$prefix"

echo "== the wizard installs version 2 over version 1"
prefix="$(fresh_prefix wizard)"
files_before="$(files_of "$prefix")"; registry_before="$(registry_of "$prefix")"
cp "$work/HelloSetup1.exe" "$work/HelloSetup2.exe" "$prefix/drive_c/"
in_prefix "$prefix" 'C:\HelloSetup1.exe' /Quiet
start_setup_of "$prefix" 'C:\HelloSetup2.exe'
shown="$(wait_for_text "$prefix" "$title" 'Welcome to the Hello World Setup Wizard')"
check "the wizard opens" shows "$shown" 'Welcome to the Hello World Setup Wizard'
shot foreign-welcome
drive "$prefix" "$title" --click Install >/dev/null
shown="$(wait_for_text "$prefix" "$title" 'Hello World has been installed successfully.' 60)"
check "and installs" shows "$shown" 'Hello World has been installed successfully.'
shot foreign-success
drive "$prefix" "$title" --click Close >/dev/null
exit_code_of "$setup_pid" 30; code=$?
check "Close ends the setup with 0 ($code)" test "$code" -eq 0
installed="$(installed_in "$prefix")"
check "the entry is version 2.0" test "$(reg_value "$prefix" "$entry" DisplayVersion)" = "2.0"
check "version 2's files are in place" test "$(cat "$installed/Readme.txt")" = "Version 2" -a -f "$installed/Extra/Notes.txt"
check "version 1's own file is gone" test ! -e "$installed/Old.txt"
check "FilesList lists version 2's files" test "$(list_of "$prefix" FilesList | tr '\n' ' ')" = "Extra/Notes.txt Hello.exe Readme.txt VornLib.Setup.exe VornUninstall.exe "
check "the file type is registered again" test "$(default_of "$prefix" 'HKCR\.hello')" = "Hello World.hello"
check "neither installation started Hello.exe" bash -c '! test -e "$0/drive_c/ForeignStarted.txt"' "$prefix"

echo "== the uninstall entry's command removes it, the question answered"
uninstall="$(reg_value "$prefix" "$entry" UninstallString)"
printf '%s\r\n' "$uninstall" > "$prefix/drive_c/remove.bat"
"$run" "$prefix" cmd /c 'C:\remove.bat' >/dev/null 2>&1 </dev/null &
pid=$!
# The question's window may be found a moment before its text is on show.
says() { cut -f3 <<<"$1" | grep -q "$2"; } # controls pattern
texts="$(wait_for_controls "$prefix" 'Hello World - Uninstall' 120 says '^Do you want to uninstall Hello World.2.0?$')"
shot foreign-uninstall-question
check "it asks whether to uninstall Hello World 2.0" says "$texts" '^Do you want to uninstall Hello World.2.0?$'
drive "$prefix" 'Hello World - Uninstall' --click Yes >/dev/null
texts="$(wait_for_controls "$prefix" 'Hello World - Uninstall' 120 says '^Hello World.2.0 has been uninstalled$')"
check "then says it is done" says "$texts" '^Hello World.2.0 has been uninstalled$'
drive "$prefix" 'Hello World - Uninstall' --click OK >/dev/null
wait "$pid"
check "the batch file ran and deleted itself" wait_for_batch_file "$prefix"
check "the removal never started Hello.exe" bash -c '! test -e "$0/drive_c/ForeignStarted.txt"' "$prefix"
rm -f "$prefix/drive_c/remove.bat" "$prefix"/drive_c/HelloSetup?.exe
nothing_left "$prefix" "$files_before" "$registry_before"
finish_prefix "$prefix"

echo "== for the current user alone: the removal program works in the user's hive"
prefix="$(fresh_prefix user)"
files_before="$(files_of "$prefix")"; registry_before="$(registry_of "$prefix")"
cp "$work/HelloSetup1.exe" "$prefix/drive_c/"
in_prefix "$prefix" 'C:\HelloSetup1.exe' /Quiet /CurrentUser; code=$?
check "the per-user installation ends with 0 ($code)" test "$code" -eq 0
user_entry="HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{$uuid}"
uninstall="$(reg_value "$prefix" "$user_entry" UninstallString)"
check "the entry under HKEY_CURRENT_USER runs the removal program" grep -q 'AppData.Local.Programs.Hello World.VornUninstall.exe" /Uninstall$' <<<"$uninstall"
check "no entry under HKEY_LOCAL_MACHINE" reg_absent "$prefix" "$entry" DisplayName
check "the removal program registered .hello in the user's classes" test "$(default_of "$prefix" 'HKCU\Software\Classes\.hello')" = "Hello World.hello"
quiet="$(reg_value "$prefix" "$user_entry" QuietUninstallString)"
check "its QuietUninstallString is the command with /Quiet" test "$quiet" = "$uninstall /Quiet"
# Run exactly as registered, as winget runs it.
printf '%s\r\n' "$quiet" > "$prefix/drive_c/remove.bat"
in_prefix "$prefix" cmd /c 'C:\remove.bat'
check "the batch file ran and deleted itself" wait_for_batch_file "$prefix"
check "the removal never started Hello.exe" bash -c '! test -e "$0/drive_c/ForeignStarted.txt"' "$prefix"
rm -f "$prefix/drive_c/remove.bat" "$prefix/drive_c/HelloSetup1.exe"
# What every Windows user has stays: the per-user programs folder and the keys
# of the user's classes and installed programs (made in this fresh prefix).
rmdir "$(echo "$prefix"/drive_c/users/*/AppData/Local/Programs)"
known='^> user[.]reg:Software..(Classes|Microsoft..Windows..CurrentVersion..(App Paths|Uninstall))$'
check "no file or folder left" test "$files_before" = "$(files_of "$prefix")"
left="$(residue "$registry_before" "$(registry_of "$prefix")" | grep -Ev "$known")"
check "no registry key or value left" test -z "$left"
[ -n "$left" ] && echo "$left" | head -20
finish_prefix "$prefix"

# The prefixes take more than a gigabyte; a failure keeps them to look at.
[ "$failures" -eq 0 ] && rm -rf "$template" "$prefix"
finish_checks
