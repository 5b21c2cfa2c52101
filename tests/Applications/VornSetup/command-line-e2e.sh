#!/bin/bash
# command-line-e2e.sh <VornPack> <VornSetup stub> <VornDemo.exe> <definitions> <wine-run> <work folder>
# The command lines administrators write, each run from a batch file that
# keeps it exactly as written: "/?" of the setup and of the removal; a
# switch quoted whole, as PowerShell, .NET and Python quote an argument,
# whose folder holds "="; a typo in the removal's switches, which changes
# nothing; the uninstall entry's QuietUninstallString run as it is
# registered, which removes everything without a question; standard exit
# codes for deployment tools; and a choices
# file: refused with its reason, loaded and saved, and installed again.
# shellcheck source-path=SCRIPTDIR
# shellcheck disable=SC1003 # single quotes hold Windows paths
set -uo pipefail
# shellcheck disable=SC2034 # e2e-common.sh reads them
{ vornpack="$1"; stub="$2"; demo="$3"; definitions="$4"; run="$5"; work="$6"; }
source "$(dirname "$0")/e2e-common.sh"

# Runs a batch file of one command line; its standard error goes to C:\said.txt,
# and its whole exit code to `level` (a process's status keeps 8 bits of it).
said=''
level=''
run_line() { # prefix command-line
  printf 'cd \\\r\n%s 2> C:\\said.txt\r\necho %%ERRORLEVEL%%> C:\\level.txt\r\nexit %%ERRORLEVEL%%\r\n' "$2" > "$1/drive_c/line.bat"
  "$run" "$1" cmd /c 'C:\line.bat' >/dev/null 2>&1 </dev/null; local code=$?
  said="$(tr -d '\r' < "$1/drive_c/said.txt" 2>/dev/null)"
  level="$(tr -d '\r ' < "$1/drive_c/level.txt" 2>/dev/null)"
  rm -f "$1/drive_c/line.bat" "$1/drive_c/said.txt" "$1/drive_c/level.txt"
  return "$code"
}

prefix="$(fresh_prefix line)"
cp "$work/VornDemoSetup.exe" "$prefix/drive_c/"
before="$(snapshot "$prefix")"

echo "== /? of the setup (${SECONDS}s)"
run_line "$prefix" 'C:\VornDemoSetup.exe /? /SaveChoices:C:\choices.txt'; code=$?
check "/? ends with 0 ($code)" test "$code" -eq 0
for switch in /Quiet /Passive /NoCancel '/InstallFolder:<folder>' '/Log[:<file>]' '/ResultFile:<file>' '/SaveChoices:<file>' '/LoadChoices:<file>' /AllUsers /CurrentUser /AllowDowngrade /Repair '/ProgramGroup:<group>' '/CreateDesktopShortcut:0|1' /CloseApplications /NoCloseApplications /NoRestart /ForceRestart '/ExitCodes:Standard' '/?'; do
  check "/? names $switch" grep -qF -- "$switch" <<<"$said"
done
check "and installs nothing, nor saves choices" test "$(snapshot "$prefix")" = "$before"

echo "== standard exit codes (${SECONDS}s)"
run_line "$prefix" 'C:\VornDemoSetup.exe /Quiet /InstallFolder:Q:\Demo /ExitCodes:Standard /Log:C:\std.log /ResultFile:C:\std.json'
check "a missing drive (47) ends with 1603, failed, under /ExitCodes:Standard ($level)" test "$level" = 1603
check "the log's last line names both codes" grep -qF 'Result 47 folderUnavailable: ' "$prefix/drive_c/std.log"
check "and that the process ended with 1603" grep -qF 'The process ends with 1603 (/ExitCodes:Standard).' "$prefix/drive_c/std.log"
check "the result file keeps the setup's own code" grep -qF '"exitCode": 47,' "$prefix/drive_c/std.json"
rm -f "$prefix/drive_c/std.log" "$prefix/drive_c/std.json"
run_line "$prefix" 'C:\VornDemoSetup.exe /Quiet /Qiuet /ExitCodes:Standard'
check "a typo (5) ends with 1639, invalid command line ($level)" test "$level" = 1639
run_line "$prefix" 'C:\VornDemoSetup.exe /Quiet /ExitCodes:Msi'; code=$?
check "a convention it does not know ends with 5 ($code)" test "$code" -eq 5
check "saying which it knows" grep -qF 'The switch /ExitCodes takes Standard or Own ("/ExitCodes:Msi").' <<<"$said"
check "none of them installed anything" test "$(snapshot "$prefix")" = "$before"

echo "== a switch quoted whole, its folder holding \"=\" (${SECONDS}s)"
folder='C:\Apps\A=B Demo'
run_line "$prefix" "C:\\VornDemoSetup.exe /Quiet \"/InstallFolder:$folder\" \"/Log:C:\\Logs=1\\setup.log\" \"/ProgramGroup:Tools\\Quoted Group\" /CreateDesktopShortcut:0"; code=$?
WINEPREFIX="$prefix" wineserver -w
check "the setup ends with 0 ($code)" test "$code" -eq 0
check "the program is in the folder given" cmp -s "$prefix/drive_c/Apps/A=B Demo/VornDemo.exe" "$work/app/VornDemo.exe"
check "its shortcut in the group given" test -f "$prefix/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Tools/Quoted Group/VornDemo.lnk"
desktops="$(ls -d "$prefix"/drive_c/users/*/Desktop)"
check "and none on the desktop (in $(wc -l <<<"$desktops") desktops)" \
  test -n "$desktops" -a "$(find "$prefix"/drive_c/users/*/Desktop -name '*.lnk' | wc -l)" = 0
check "the entry names that folder" test "$(reg_value "$prefix" "$entry" VornLib.InstallFolder)" = "$folder"
check "the log, its name holding \"=\" too, has the command line as written" \
  grep -qF "\"/InstallFolder:$folder\"" "$prefix/drive_c/Logs=1/setup.log"
quiet="$(reg_value "$prefix" "$entry" QuietUninstallString)"
check "the entry's QuietUninstallString ($quiet)" test "$quiet" = "\"$folder\\VornDemo.exe\" /Uninstall /Quiet"
check "beside its UninstallString" test "$(reg_value "$prefix" "$entry" UninstallString)" = "\"$folder\\VornDemo.exe\" /Uninstall"
installed="$(snapshot "$prefix")"

echo "== the removal's switches (${SECONDS}s)"
run_line "$prefix" "\"$folder\\VornDemo.exe\" /Uninstall /Qiuet"; code=$?
check "a typo ends the removal with 5 ($code), without a question" test "$code" -eq 5
check "it says which switch and which it accepts" grep -qF 'Unknown switch "/Qiuet". The removal accepts /Uninstall, /Quiet, /Passive, /Log[:<file>], /Language:<code>, /CloseApplications, /NoCloseApplications, /NoRestart, /ForceRestart, /ExitCodes:Standard, /?.' <<<"$said"
check "nothing was removed" test "$(snapshot "$prefix")" = "$installed"
check "the entry stays" test -n "$(reg_value "$prefix" "$entry" QuietUninstallString)"
run_line "$prefix" "\"$folder\\VornDemo.exe\" /Uninstall /Quiet Readme.txt"; code=$?
check "a plain argument ends it with 5 too ($code)" test "$code" -eq 5
run_line "$prefix" "\"$folder\\VornDemo.exe\" /Uninstall /?"; code=$?
check "/Uninstall /? ends with 0 ($code)" test "$code" -eq 0
check "and names the removal's switches" grep -qF '/Uninstall, /Quiet, /Passive, /Log[:<file>], /Language:<code>, /CloseApplications, /NoCloseApplications, /NoRestart, /ForceRestart, /ExitCodes:Standard, /?' <<<"$said"
run_line "$prefix" "\"$folder\\VornDemo.exe\" /Uninstall /Qiuet /ExitCodes:Standard"
check "with /ExitCodes:Standard the typo ends the removal with 1639 ($level)" test "$level" = 1639
check "still nothing removed" test "$(snapshot "$prefix")" = "$installed"

echo "== the QuietUninstallString, run as registered (${SECONDS}s)"
run_line "$prefix" "$quiet"; code=$?
check "it ends with 0 without a question ($code)" test "$code" -eq 0
check "its batch file ran" wait_for_batch_file "$prefix"
check "the install folder is gone" test ! -e "$prefix/drive_c/Apps/A=B Demo"
check "nothing of the installation is left" test "$(snapshot "$prefix" | grep -v -e '^\./Logs=1' -e '^\./Apps ')" = "$before"
check "the entry is gone" reg_absent "$prefix" "$entry"
finish_prefix "$prefix"
rm -rf "$prefix"

echo "== a choices file refused, loaded, saved and installed again (${SECONDS}s)"
prefix="$(fresh_prefix choices)"
cp "$work/VornDemoSetup.exe" "$prefix/drive_c/"
mkdir -p "$prefix/drive_c/Deploy"
printf 'InstallFolder=C:\\Tools\\Demo\r\nColour=blue\r\n' > "$prefix/drive_c/Deploy/bad.txt"
printf 'InstallFolder=Tools\\Demo\r\n' > "$prefix/drive_c/Deploy/relative.txt"
# Written by hand: a group of its own, the Quick Launch shortcut alone.
printf '# by hand\r\nInstallFolder=C:\\Tools\\Demo\r\nProgramGroup=Tools\\Demo\r\nCreateDesktopShortcut=0\r\nCreateQuickLaunchShortcut=1\r\n' > "$prefix/drive_c/Deploy/given.txt"
# Planted: a folder for all users that standard users may change (777: Wine
# lets Everyone write), named by the file as /InstallFolder would name it.
mkdir -p "$prefix/drive_c/Shared"; chmod 777 "$prefix/drive_c/Shared"
printf 'InstallFolder=C:\\Shared\r\n' > "$prefix/drive_c/Deploy/shared.txt"
before="$(snapshot "$prefix")"
run_line "$prefix" 'C:\VornDemoSetup.exe /Quiet /LoadChoices:C:\Deploy\shared.txt'; code=$?
check "a folder standard users may change is refused with 43, as for the switch ($code)" test "$code" -eq 43
run_line "$prefix" 'C:\VornDemoSetup.exe /Quiet /LoadChoices:C:\Deploy\bad.txt'; code=$?
check "an unknown entry ends the setup with 5 ($code)" test "$code" -eq 5
check "naming the file, the line and the entry" grep -qF 'The choices file "C:\Deploy\bad.txt", line 2: unknown entry "Colour"' <<<"$said"
run_line "$prefix" 'C:\VornDemoSetup.exe /Quiet /LoadChoices:C:\Deploy\missing.txt'; code=$?
check "a missing file ends it with 5 ($code)" test "$code" -eq 5
check "saying it cannot be read" grep -qF 'The choices file "C:\Deploy\missing.txt" cannot be read (result ' <<<"$said"
run_line "$prefix" 'C:\VornDemoSetup.exe /Quiet /LoadChoices:C:\Deploy\relative.txt'; code=$?
check "a folder /InstallFolder would refuse ends it with 31 ($code)" test "$code" -eq 31
check "refused as the switch is" grep -qF 'line 1: The install folder "Tools\Demo" is refused' <<<"$said"
check "none of them touched anything" test "$(snapshot "$prefix")" = "$before"
check "nor registered anything" reg_absent "$prefix" "$entry"
run_line "$prefix" 'C:\VornDemoSetup.exe /Quiet /LoadChoices:C:\Deploy\given.txt /SaveChoices:C:\Deploy\saved.txt'; code=$?
check "the setup with the file's choices ends with 0 ($code)" test "$code" -eq 0
check "it saved them" test "$(tr -d '\r' < "$prefix/drive_c/Deploy/saved.txt" | grep -v '^#')" = "$(printf 'Scope=AllUsers\nInstallFolder=C:\\Tools\\Demo\nProgramGroup=Tools\\Demo\nCreateDesktopShortcut=0\nCreateQuickLaunchShortcut=1')"
saved="$work/saved.txt"; cp "$prefix/drive_c/Deploy/saved.txt" "$saved"
finish_prefix "$prefix"

prefix="$(fresh_prefix choices-again)"
cp "$work/VornDemoSetup.exe" "$prefix/drive_c/"
mkdir -p "$prefix/drive_c/Deploy"; cp "$saved" "$prefix/drive_c/Deploy/"
run_line "$prefix" 'C:\VornDemoSetup.exe /Quiet /LoadChoices:C:\Deploy\saved.txt /ExitCodes:Standard'; code=$?
check "another machine's setup with the saved file ends with 0, also in standard codes ($code)" test "$code" -eq 0
check "the program is in the folder saved" cmp -s "$prefix/drive_c/Tools/Demo/VornDemo.exe" "$work/app/VornDemo.exe"
check "the entry names the folder and the group" test "$(reg_value "$prefix" "$entry" VornLib.InstallFolder)|$(reg_value "$prefix" "$entry" VornLib.ProgramGroup)" = 'C:\Tools\Demo|Tools\Demo'
check "the group's shortcut is in that group" test -f "$prefix/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Tools/Demo/VornDemo.lnk"
desktops="$(ls -d "$prefix"/drive_c/users/*/Desktop)"
check "no desktop shortcut, where one is made by default (in $(wc -l <<<"$desktops") desktops)" \
  test -n "$desktops" -a "$(find "$prefix"/drive_c/users/*/Desktop -name '*.lnk' | wc -l)" = 0
# Wine's profile has no Quick Launch folder to make a shortcut in: the entry
# holds the choice, which the next installation proposes.
check "the entry remembers both shortcut choices" test "$(reg_value "$prefix" "$entry" VornLib.CreateDesktopShortcut)|$(reg_value "$prefix" "$entry" VornLib.CreateQuickLaunchShortcut)" = '0x0|0x1'
finish_prefix "$prefix"
rm -rf "$prefix"

finish_checks
