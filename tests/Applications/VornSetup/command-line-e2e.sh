#!/bin/bash
# command-line-e2e.sh <VornPack> <VornSetup stub> <VornDemo.exe> <definitions> <wine-run> <work folder>
# The command lines administrators write, each run from a batch file that
# keeps it exactly as written: "/?" of the setup and of the removal; a
# switch quoted whole, as PowerShell, .NET and Python quote an argument,
# whose folder holds "="; a typo in the removal's switches, which changes
# nothing; and the uninstall entry's QuietUninstallString run as it is
# registered, which removes everything without a question.
# shellcheck source-path=SCRIPTDIR
# shellcheck disable=SC1003 # single quotes hold Windows paths
set -uo pipefail
# shellcheck disable=SC2034 # e2e-common.sh reads them
{ vornpack="$1"; stub="$2"; demo="$3"; definitions="$4"; run="$5"; work="$6"; }
source "$(dirname "$0")/e2e-common.sh"

# Runs a batch file of one command line; its standard error goes to C:\said.txt.
said=''
run_line() { # prefix command-line
  printf 'cd \\\r\n%s 2> C:\\said.txt\r\nexit %%ERRORLEVEL%%\r\n' "$2" > "$1/drive_c/line.bat"
  "$run" "$1" cmd /c 'C:\line.bat' >/dev/null 2>&1 </dev/null; local code=$?
  said="$(tr -d '\r' < "$1/drive_c/said.txt" 2>/dev/null)"
  rm -f "$1/drive_c/line.bat" "$1/drive_c/said.txt"
  return "$code"
}

prefix="$(fresh_prefix line)"
cp "$work/VornDemoSetup.exe" "$prefix/drive_c/"
before="$(snapshot "$prefix")"

echo "== /? of the setup (${SECONDS}s)"
run_line "$prefix" 'C:\VornDemoSetup.exe /?'; code=$?
check "/? ends with 0 ($code)" test "$code" -eq 0
for switch in /Quiet /Passive '/InstallFolder:<folder>' '/Log[:<file>]' '/ResultFile:<file>' /AllUsers /CurrentUser /AllowDowngrade '/?'; do
  check "/? names $switch" grep -qF -- "$switch" <<<"$said"
done
check "and installs nothing" test "$(snapshot "$prefix")" = "$before"

echo "== a switch quoted whole, its folder holding \"=\" (${SECONDS}s)"
folder='C:\Apps\A=B Demo'
run_line "$prefix" "C:\\VornDemoSetup.exe /Quiet \"/InstallFolder:$folder\" \"/Log:C:\\Logs=1\\setup.log\""; code=$?
WINEPREFIX="$prefix" wineserver -w
check "the setup ends with 0 ($code)" test "$code" -eq 0
check "the program is in the folder given" cmp -s "$prefix/drive_c/Apps/A=B Demo/VornDemo.exe" "$work/app/VornDemo.exe"
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
check "it says which switch and which it accepts" grep -qF 'Unknown switch "/Qiuet". The removal accepts /Uninstall, /Quiet, /Passive, /Log[:<file>], /Language:<code>, /?.' <<<"$said"
check "nothing was removed" test "$(snapshot "$prefix")" = "$installed"
check "the entry stays" test -n "$(reg_value "$prefix" "$entry" QuietUninstallString)"
run_line "$prefix" "\"$folder\\VornDemo.exe\" /Uninstall /Quiet Readme.txt"; code=$?
check "a plain argument ends it with 5 too ($code)" test "$code" -eq 5
run_line "$prefix" "\"$folder\\VornDemo.exe\" /Uninstall /?"; code=$?
check "/Uninstall /? ends with 0 ($code)" test "$code" -eq 0
check "and names the removal's switches" grep -qF '/Uninstall, /Quiet, /Passive, /Log[:<file>], /Language:<code>, /?' <<<"$said"
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

finish_checks
