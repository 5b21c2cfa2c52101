#!/bin/bash
# scope-e2e.sh <VornPack> <VornSetup stub> <VornDemo.exe> <definitions> <wine-run> <work folder>
# Installs VornDemo for the current user alone (/CurrentUser, quiet) and
# removes it again, each step checked against a snapshot of drive_c and of
# both registry hives; then a setup of the other scope over each kind of
# installation, and a scope the definitions do not allow.
#
# Wine grants every elevation request without a prompt, so the absence of
# one is shown from what the setup starts: Wine's "exec" trace lists every
# ShellExecuteEx with its verb and parameters. A launcher's elevated copy
# carries "-LaunchedAsAdministrator"; a per-user setup starts no such copy
# and nothing with the verb "runas". A quiet per-machine setup that has the
# rights already (every process has them under Wine) starts none either, and
# the trace of its "/Install" hand-off shows that the trace sees what it
# starts.
# shellcheck source-path=SCRIPTDIR
# shellcheck disable=SC2016,SC1003 # single quotes hold Windows paths and texts for bash -c
set -uo pipefail
# shellcheck disable=SC2034 # e2e-common.sh reads them
{ vornpack="$1"; stub="$2"; demo="$3"; definitions="$4"; run="$5"; work="$6"; }
source "$(dirname "$0")/e2e-common.sh"

user_entry='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\{7E3F2A91-5C4B-4D8E-9F10-2B3C4D5E6F70}'
traced_setup() { # prefix trace-file switches... (the setup: $setup_exe, else VornDemoSetup.exe)
  local prefix="$1" trace="$2"; shift 2
  WINEDEBUG=trace+exec "$run" "$prefix" "${setup_exe:-$work/VornDemoSetup.exe}" "$@" >/dev/null 2>"$trace" </dev/null
}
key_of() { # prefix key -> its values as reg lists them
  WINEPREFIX="$1" /usr/lib/wine/wine64 reg query "$2" 2>/dev/null | tr -d '\r'
}
refused_setup() { # prefix switches... -> the exit code in $code, the setup's line in $line
  local prefix="$1"; shift
  "$run" "$prefix" "$work/VornDemoSetup.exe" "$@" >/dev/null 2>"$work/said.txt" </dev/null; code=$?
  line="$(tr -d '\r' <"$work/said.txt")"
}
# Wine's own churn between two starts (devices, console settings).
churn='(HARDWARE|Enum|Control..Class|Control..Video|NetworkCards|DeviceClasses|user[.]reg:Console|Software..Wine)'
changes() { # before after -> the lines added or removed, without Wine's churn
  diff <(echo "$1") <(echo "$2") | grep '^[<>]' | grep -Ev "$churn"
}

# The first version carries a file the second no longer has: the update
# must take it away with the rest of the previous installation.
cp -r "$work/app" "$work/app-1"; printf 'retired in 2\n' >"$work/app-1/Retired.txt"
make_setup "$work/app-1" "$work/VornDemoSetup-1.exe"

echo "== for the current user alone: quietly, without asking for rights"
prefix="$(fresh_prefix user)"
files_before="$(files_of "$prefix")"; registry_before="$(registry_of "$prefix")"
# Its log and result file lie in Wine's own folder, which the listings leave out.
setup_exe="$work/VornDemoSetup-1.exe" traced_setup "$prefix" "$work/user-trace.txt" /Quiet /currentuser \
  '/Log:C:\windows\temp\user-install.log' '/ResultFile:C:\windows\temp\user-install.json'; code=$?
check "the setup exits 0" test "$code" -eq 0
check "the trace shows the setup's launches (the /Install hand-off)" grep -q 'verb=L"open" file=L".*VornDemo.exe" parm=L"/Install /Log[^"]*"' "$work/user-trace.txt"
check "no elevated copy was started" bash -c '! grep -q LaunchedAsAdministrator "$0"' "$work/user-trace.txt"
check "nothing was started with the verb runas" bash -c '! grep -q "verb=L\"runas\"" "$0"' "$work/user-trace.txt"
profile="$(echo "$prefix"/drive_c/users/*/AppData)"; profile="${profile%/AppData}"
installed="$profile/AppData/Local/Programs/VornDemo"
group="$profile/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/VornDemo"
check "VornDemo.exe in %LOCALAPPDATA%\\Programs\\VornDemo" cmp -s "$installed/VornDemo.exe" "$work/app/VornDemo.exe"
check "the program group in the user's start menu" test -f "$group/VornDemo.lnk"
check "the entry under HKEY_CURRENT_USER names the program" grep -qi 'AppData\\Local\\Programs\\VornDemo\\VornDemo.exe" /Uninstall' <<<"$(reg_value "$prefix" "$user_entry" UninstallString)"
files_list="$(key_of "$prefix" "$user_entry\\FilesList")"
check "the entry keeps the file list" grep -q 'REG_SZ *VornDemo.exe$' <<<"$files_list"
[[ "$files_list" == *VornDemo.exe* ]] || echo "$files_list"
check "the shortcut list names the user's shortcut" grep -qi 'Roaming\\Microsoft\\Windows\\Start Menu' <<<"$(reg_value "$prefix" "$user_entry\\ShortcutsList" 0)"
check "no entry under HKEY_LOCAL_MACHINE" reg_absent "$prefix" "$entry" DisplayName
check "the file type under the user's classes" grep -q '(Default) *REG_SZ *VornDemo.vdm' <<<"$(key_of "$prefix" 'HKCU\Software\Classes\.vdm')"
check "the protocol under the user's classes" grep -q 'URL Protocol' <<<"$(key_of "$prefix" 'HKCU\Software\Classes\vorndemo')"
check "App Paths under the user's hive" grep -qi '(Default) *REG_SZ *C:.users.*Local.Programs.VornDemo.VornDemo.exe' <<<"$(key_of "$prefix" 'HKCU\Software\Microsoft\Windows\CurrentVersion\App Paths\VornDemo.exe')"
added_files="$(changes "$files_before" "$(files_of "$prefix")")"
check "every file added lies in the user's profile" test -z "$(grep -v "^> ./users/" <<<"$added_files")"
added_keys="$(changes "$registry_before" "$(registry_of "$prefix")")"
check "every registry line added lies in the user's hive" test -z "$(grep -v '^> user[.]reg:' <<<"$added_keys")"
grep -v '^> user[.]reg:' <<<"$added_keys" | head -5
check "the user's hive holds the entry" grep -q 'Uninstall.*7E3F2A91' <<<"$added_keys"
log="$(tr -d '\r' <"$prefix/drive_c/windows/temp/user-install.log" | cut -d' ' -f2-)"
for line in 'Scope user$' 'InstallFolder C:\\users\\[^\\]+\\AppData\\Local\\Programs\\VornDemo$' \
            'RegistryKey HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\\{7E3F2A91' \
            'Shortcut C:\\users\\[^\\]+\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\VornDemo\\VornDemo.lnk' \
            'Result 0 installed'; do
  check "the log says \"$line\"" grep -qE "^$line" <<<"$log"
done
check "and names no key under HKEY_LOCAL_MACHINE" bash -c 'grep -q "^Scope user" <<<"$0" && ! grep -q "HKLM" <<<"$0"' "$log"
result="$prefix/drive_c/windows/temp/user-install.json"
check "the result file says the user's scope and folder" \
  grep -qE '^user\|C:\\users\\[^\\]+\\AppData\\Local\\Programs\\VornDemo$' <<<"$(result_of "$result" scope)|$(result_of "$result" installFolder)"
check "and the user's removal command" \
  test "$(result_of "$result" uninstallCommand)" = "$(reg_value "$prefix" "$user_entry" UninstallString)"

echo "== a setup without a scope switch updates the user's installation, into another group"
check "the first version's retired file is there" test -f "$installed/Retired.txt"
# All users' start menu holds a group of the same name, another installation's.
others="$prefix/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/VornDemo"
mkdir -p "$others/Extras"
traced_setup "$prefix" "$work/update-trace.txt" /Quiet /ProgramGroup:NewGroup \
  '/ResultFile:C:\windows\temp\user-update.json'; code=$?
check "it exits 0" test "$code" -eq 0
check "the previous version's removal ran with the user's rights" grep -q 'verb=L"open" file=L".*VornDemo.exe" parm=L"/Quiet /Update' "$work/update-trace.txt"
check "the update asked for no rights" bash -c '! grep -q "verb=L\"runas\"" "$0"' "$work/update-trace.txt"
check "the file the new version no longer has is gone" test ! -e "$installed/Retired.txt"
check "the user's installation is in place" test -f "$installed/VornDemo.exe"
check "the shortcut is in the user's new group" test -f "${group%/VornDemo}/NewGroup/VornDemo.lnk"
check "the user's previous group is gone" test ! -e "$group"
check "all users' group of that name is untouched" test -d "$others/Extras"
rm -r "$others"
result="$prefix/drive_c/windows/temp/user-update.json"
check "the result file names the user's removal command" \
  test "$(result_of "$result" uninstallCommand)" = "$(reg_value "$prefix" "$user_entry" UninstallString)"
check "which is the program's" grep -qi 'VornDemo.exe" /Uninstall$' <(result_of "$result" uninstallCommand)
check "the entry lists the new version's files alone" bash -c '! grep -q Retired <<<"$0"' "$(key_of "$prefix" "$user_entry\\FilesList")"
check "still no entry under HKEY_LOCAL_MACHINE" reg_absent "$prefix" "$entry" DisplayName
check "no update record left in the user's hive" reg_absent "$prefix" 'HKCU\Software\VornLib'
check "none in all users' hive" reg_absent "$prefix" 'HKLM\Software\WOW6432Node\VornLib'
check "nothing went to Program Files" test ! -e "$prefix/drive_c/Program Files (x86)/VornDemo"

echo "== for all users over the user's installation: refused, nothing touched"
files_mid="$(files_of "$prefix")"
refused_setup "$prefix" /Quiet /AllUsers
check "it ends with 46, installed in the other scope ($code)" test "$code" -eq 46
check "the line names the user's installation" grep -q 'installed just for you in ".*AppData.Local.Programs.VornDemo"' <<<"$line"
check "nothing touched" test "$files_mid" = "$(files_of "$prefix")"

echo "== the removal, without rights, leaves nothing"
program="$(reg_value "$prefix" "$user_entry" VornLib.UninstallProgram)"
# Its log lies in Wine's own folder, which the listings below leave out.
WINEDEBUG=trace+exec "$run" "$prefix" "$program" /Uninstall /Quiet '/Log:C:\windows\temp\user-removal.log' \
  >/dev/null 2>"$work/removal-trace.txt" </dev/null
check "the batch file ran and deleted itself" wait_for_batch_file "$prefix"
removal_log="$prefix/drive_c/windows/temp/user-removal.log"
check "its log names the entry it removes under HKEY_CURRENT_USER" \
  grep -qF "Remove $user_entry" "$removal_log"
check "and no key under HKEY_LOCAL_MACHINE" bash -c 'test -s "$0" && ! grep -q "Remove HKLM" "$0"' "$removal_log"
check "the removal started no elevated copy" bash -c '! grep -q "verb=L\"runas\"" "$0"' "$work/removal-trace.txt"
# What every Windows user has, which the installation made in the fresh
# prefix and the removal rightly leaves, empty: the known folder of per-user
# programs and the keys of the user's classes, App Paths and installed programs.
known_folder='^> ./users/[^/]*/AppData/Local/Programs [0-9]*$'
known_keys='^> user[.]reg:Software..(Classes|Microsoft..Windows..CurrentVersion..(App Paths|Uninstall))$'
left="$(changes "$files_before" "$(files_of "$prefix")" | grep -Ev "$known_folder")"
check "no file or folder left" test -z "$left"
[ -n "$left" ] && echo "$left" | head -5
check "the per-user programs folder left is empty" bash -c '! ls -A "$0"/AppData/Local/Programs | grep -q .' "$profile"
left="$(changes "$registry_before" "$(registry_of "$prefix")" | grep -Ev "$known_keys")"
check "no registry key or value left" test -z "$left"
[ -n "$left" ] && echo "$left" | head -10
finish_prefix "$prefix"

echo "== for the current user over an installation for all users: refused"
prefix="$(fresh_prefix machine)"
traced_setup "$prefix" "$work/machine-trace.txt" /Quiet; code=$?
check "the per-machine setup exits 0" test "$code" -eq 0
check "having the rights, it installed itself: no elevated copy" bash -c '! grep -q LaunchedAsAdministrator "$0"' "$work/machine-trace.txt"
check "the trace sees what it started: the hand-off" grep -q 'verb=L"open" file=L"C:\\\\Program Files (x86)\\\\VornDemo\\\\VornDemo.exe" parm=L"/Install"' "$work/machine-trace.txt"
files_mid="$(files_of "$prefix")"
refused_setup "$prefix" /Quiet /CurrentUser '/Log:C:\scope.log'
check "it ends with 46, installed in the other scope ($code)" test "$code" -eq 46
check "its log's result says so" grep -q ' Result 46 installedInOtherScope: ' "$prefix/drive_c/scope.log"
rm -f "$prefix/drive_c/scope.log"
check "the line names the installation for all users" grep -q 'installed for all users in "C:.Program Files (x86).VornDemo": remove it first' <<<"$line"
check "nothing touched" test "$files_mid" = "$(files_of "$prefix")"
check "no entry under HKEY_CURRENT_USER" reg_absent "$prefix" "$user_entry" DisplayName

echo "== a scope the definitions do not allow: 17, nothing touched"
cp -r "$definitions" "$work/only-machine"
sed -i 's/UserMayChoose="true"/UserMayChoose="false"/' "$work/only-machine/Configuration.xml"
definitions="$work/only-machine" make_setup "$work/app" "$work/VornDemoSetup.exe"
refused_setup "$prefix" /Quiet /CurrentUser
check "it ends with 17" test "$code" -eq 17
check "the line says what the setup allows" grep -q 'installs only for all users: /CurrentUser is not allowed' <<<"$line"
check "nothing touched" test "$files_mid" = "$(files_of "$prefix")"
sed -i 's/UserMayChoose="false"/UserMayChoose="sometimes"/' "$work/only-machine/Configuration.xml"
"$vornpack" setup --app "$work/app" --definitions "$work/only-machine" --stub "$stub" -o "$work/Refused.exe" >/dev/null 2>"$work/refused.txt"; code=$?
check "VornPack setup refuses an unknown UserMayChoose with 39" test "$code" -eq 39
check "in one line naming the value" test "$(grep -c 'UserMayChoose "sometimes"' "$work/refused.txt")" = 1
check "and writes no setup" test ! -e "$work/Refused.exe"
finish_prefix "$prefix"

# The prefixes take more than a gigabyte; a failure keeps them to look at.
[ "$failures" -eq 0 ] && rm -rf "$template" "$prefix"
finish_checks
