#!/bin/bash
# wizard-e2e.sh <VornPack> <VornSetup stub> <VornDemo.exe> <definitions> <wine-run> <work folder> <WindowDriver.exe> [<screenshot folder>]
# Installs VornDemo through the wizard as a user does, each scenario in a
# fresh prefix: reads the pages, picks the tabs, types a folder, unticks a
# box, presses only what is visible and enabled (WindowDriver), and checks
# the files, registry and shortcuts that the installation left (the keyboard
# alone drives it in wizard-keyboard-e2e.sh). Every prefix
# runs its programs in a Wine virtual desktop on a private X display, so that
# the screenshots of each page show the window with its title bar.
# shellcheck source-path=SCRIPTDIR
# shellcheck disable=SC2016,SC1003 # single quotes hold Windows paths and texts for bash -c
set -uo pipefail
# shellcheck disable=SC2034 # e2e-common.sh reads them
{ vornpack="$1"; stub="$2"; demo="$3"; definitions="$4"; run="$5"; work="$6"; driver="$7"; }
shots="${8:-$6/screenshots}"
source "$(dirname "$0")/../../../scripts/lib.sh"
start_xvfb
source "$(dirname "$0")/e2e-common.sh"
mkdir -p "$shots"

source "$(dirname "$0")/wizard-common.sh"

all_users='for all users (administrator rights)'
just_me='just for me'
user_folder='^C:\\users\\[^\\]*\\AppData\\Local\\Programs\\VornDemo$'
made_links() { # prefix -> every shortcut in the program group, on the desktop and in Quick Launch
  find "$1/drive_c/ProgramData/Microsoft/Windows/Start Menu" "$1/drive_c/users" -name '*.lnk' 2>/dev/null | sort
}
listed_links() { # prefix -> the shortcuts that the uninstall entry lists, as files of the prefix
  WINEPREFIX="$1" /usr/lib/wine/wine64 reg query "$entry\\ShortcutsList" 2>/dev/null | tr -d '\r' |
    sed -n 's/.*REG_SZ *C:\\//p' | tr '\\' / | sed "s|^|$1/drive_c/|" | sort
}

# Install from the options page, then the success page's Close: the wizard
# started as $setup_pid ends with 0.
install_and_close() { # prefix what-the-exit-code-check-says
  drive "$1" "$title" --click Install >/dev/null
  shown="$(wait_for_text "$1" "$title" 'VornDemo has been installed successfully.' 60)"
  check "the success page says so" shows "$shown" 'VornDemo has been installed successfully.'
  drive "$1" "$title" --click Close >/dev/null
  exit_code_of "$setup_pid" 30; code=$?
  check "$2 ($code)" test "$code" -eq 0
}

echo "== a quiet installation, for comparison"
reference="$(fresh_prefix reference)"
setup "$reference" /Quiet
reference_files="$(snapshot "$reference")"
reference_entry="$(WINEPREFIX="$reference" /usr/lib/wine/wine64 reg query "$entry" /s 2>/dev/null | tr -d '\r')"
check "the quiet installation left VornDemo" test -f "$(program_files "$reference")/VornDemo.exe"
finish_prefix "$reference"; rm -rf "$reference"

echo "== the default installation, page by page"
prefix="$(fresh_prefix default)"
start_setup "$prefix"
shown="$(wait_for_text "$prefix" "$title" 'Welcome to the VornDemo Setup Wizard')"
check "a window titled \"$title\" opens on the welcome title" shows "$shown" 'Welcome to the VornDemo Setup Wizard'
check "the welcome page links to the web site" shows "$shown" 'Learn more about VornDemo on its web site'
check "the welcome tab is the selected one" test "$(state_of "$shown" Welcome)" = selected
check "the beta notices are hidden" bash -c '! grep -q "beta\|test version" <<<"$1"' _ "$shown"
check "Install and Close are on show" test "$(state_of "$shown" Install)|$(state_of "$shown" Close)" = 'enabled|enabled'
shot 1-welcome
drive "$prefix" "$title" --select-tab 'License Agreement' >/dev/null
shown="$(wait_for_text "$prefix" "$title" 'Please read the following license agreement carefully.' 30)"
check "the licence tab shows the agreement" grep -q $'^RichEdit[^\t]*\t[^\t]*\tThis agreement is between you and Vorn Software' <<<"$shown"
check "and hides the welcome page" bash -c '! grep -qF "Welcome to the VornDemo Setup Wizard" <<<"$1"' _ "$shown"
shot 2-license
drive "$prefix" "$title" --select-tab Options >/dev/null
shown="$(wait_for_text "$prefix" "$title" "$folder_label" 30)"
check "the options tab is the selected one" test "$(state_of "$shown" Options)" = selected
check "the folder is \"$default_folder\"" test "$(edit_after "$shown" "$folder_label")" = "$default_folder"
check "the program group is \"VornDemo\"" test "$(edit_after "$shown" 'Start menu folder:')" = VornDemo
total=$(( $(stat -c %s "$work/app/VornDemo.exe") + $(stat -c %s "$work/app/Help/Readme.txt") ))
required="Disk space required: $(( (total + 1048575) / 1048576 )) MB"
check "\"$required\"" shows "$shown" "$required"
check "both shortcut boxes are ticked" test "$(state_of "$shown" 'Create a shortcut on the desktop')|$(state_of "$shown" 'Create a shortcut in the Quick Launch bar')" = 'enabled,checked|enabled,checked'
check "the choice of scope is offered, \"$all_users\" selected" test "$(state_of "$shown" "$all_users")|$(state_of "$shown" "$just_me")" = 'enabled,checked|enabled'
shot 3-options
drive "$prefix" "$title" --click "$just_me" >/dev/null
shown="$(drive "$prefix" "$title" --controls)"
check "\"$just_me\" proposes %LOCALAPPDATA%\\Programs\\VornDemo" grep -q "$user_folder" <<<"$(edit_after "$shown" "$folder_label")"
drive "$prefix" "$title" --click "$all_users" >/dev/null
check "\"$all_users\" proposes \"$default_folder\" again" test "$(edit_after "$(drive "$prefix" "$title" --controls)" "$folder_label")" = "$default_folder"
drive "$prefix" "$title" --click Install >/dev/null; code=$?
check "Install can be pressed" test "$code" -eq 0
shown="$(wait_for_text "$prefix" "$title" 'VornDemo has been installed successfully.' 60)"
check "the success page says so" shows "$shown" 'VornDemo has been installed successfully.'
# The wizard that offered the choice runs without rights and waits, hidden,
# for the elevated copy whose success page is on show.
copies="$(prefix_processes "$prefix" 'VornDemoSetup[.]exe')"
check "an elevated copy with the choices shows it" grep -q 'LaunchedAsAdministrator -AllUsers -OptionsChosen -InstallFolder:"\?C:.Program Files (x86).VornDemo' <<<"$copies"
check "under the title \"Installation complete\"" shows "$shown" 'Installation complete'
check "it offers \"Start VornDemo\"" test "$(state_of "$shown" 'Start VornDemo')" = enabled
check "no button of another page is on show" test "$(grep -c '^Button' <<<"$shown")" -eq 2
shot 4-success
drive "$prefix" "$title" --click Close >/dev/null
exit_code_of "$setup_pid" 30; code=$?
check "Close ends the launcher with 0 ($code)" test "$code" -eq 0
installed="$(program_files "$prefix")"
check "VornDemo.exe in place" cmp -s "$installed/VornDemo.exe" "$work/app/VornDemo.exe"
check "VornDemo.exe keeps its date" test "$(stat -c %Y "$installed/VornDemo.exe")" = "$(stat -c %Y "$work/app/VornDemo.exe")"
check "the nested file in place" cmp -s "$installed/Help/Readme.txt" "$work/app/Help/Readme.txt"
check "the files are those of a quiet installation" test "$(snapshot "$prefix")" = "$reference_files"
[ "$(snapshot "$prefix")" = "$reference_files" ] || diff <(echo "$reference_files") <(snapshot "$prefix") | head
wizard_entry="$(WINEPREFIX="$prefix" /usr/lib/wine/wine64 reg query "$entry" /s 2>/dev/null | tr -d '\r')"
check "the uninstall entry is that of a quiet installation" test "$wizard_entry" = "$reference_entry"
[ "$wizard_entry" = "$reference_entry" ] || diff <(echo "$reference_entry") <(echo "$wizard_entry") | head
check "FilesList lists exactly the files, and the kept setup" test "$(files_listed "$prefix")" = 'Help/Readme.txt|VornDemo.exe|VornLib.Setup.exe|'
check "the program group's shortcut" test -f "$(group_in "$prefix")/VornDemo.lnk"
check "a desktop shortcut, as ticked" test -n "$(desktop_links "$prefix")"
check "ShortcutsList lists exactly the shortcuts made" test "$(listed_links "$prefix")" = "$(made_links "$prefix")"
check "the installed VornDemo registered .vdm" grep -q 'VornDemo.vdm' <(WINEPREFIX="$prefix" /usr/lib/wine/wine64 reg query 'HKCR\.vdm' 2>/dev/null)
end_scenario "$prefix"

echo "== another folder, no desktop shortcut"
prefix="$(fresh_prefix options)"
start_setup "$prefix"
wait_for_text "$prefix" "$title" 'Welcome to the VornDemo Setup Wizard' >/dev/null
drive "$prefix" "$title" --select-tab Options >/dev/null
wait_for_text "$prefix" "$title" "$folder_label" 30 >/dev/null
for folder in 'C:\Tools\App\' 'Tools\App' 'C:\Tools\\App' 'C:\A|B'; do
  drive "$prefix" "$title" --set-text "$folder_label" "$folder" >/dev/null
  shown="$(drive "$prefix" "$title" --controls)"
  check "\"$folder\" disables Install" test "$(edit_after "$shown" "$folder_label")|$(state_of "$shown" Install)" = "$folder|disabled"
done
shot 5-invalid-folder
drive "$prefix" "$title" --click Install >/dev/null; code=$?
check "a disabled Install cannot be pressed" test "$code" -eq 2
drive "$prefix" "$title" --set-text "$folder_label" 'C:\Tools\VornDemo' --click 'Create a shortcut on the desktop' >/dev/null
shown="$(drive "$prefix" "$title" --controls)"
check "C:\\Tools\\VornDemo enables Install" test "$(state_of "$shown" Install)" = enabled
drive "$prefix" "$title" --click "$just_me" >/dev/null
shown="$(drive "$prefix" "$title" --controls)"
check "a typed folder stays when \"$just_me\" is chosen" test "$(edit_after "$shown" "$folder_label")|$(state_of "$shown" "$just_me")" = 'C:\Tools\VornDemo|enabled,checked'
drive "$prefix" "$title" --click "$all_users" >/dev/null
check "the desktop box is no longer ticked" test "$(state_of "$shown" 'Create a shortcut on the desktop')" = enabled
shot 6-options-changed
install_and_close "$prefix" "the launcher ends with 0"
check "the files are in the typed folder" cmp -s "$prefix/drive_c/Tools/VornDemo/VornDemo.exe" "$work/app/VornDemo.exe"
check "nothing went to the default folder" test ! -e "$(program_files "$prefix")"
check "the entry records the folder" test "$(reg_value "$prefix" "$entry" VornLib.InstallFolder)" = 'C:\Tools\VornDemo'
check "the removal command names it" test "$(reg_value "$prefix" "$entry" UninstallString)" = '"C:\Tools\VornDemo\VornDemo.exe" /Uninstall'
check "no desktop shortcut" test -z "$(desktop_links "$prefix")"
check "the program group's shortcut all the same" test -f "$(group_in "$prefix")/VornDemo.lnk"
check "ShortcutsList lists exactly the shortcuts made" test "$(listed_links "$prefix")" = "$(made_links "$prefix")"
check "the entry remembers the unticked box" test "$(reg_value "$prefix" "$entry" VornLib.CreateDesktopShortcut)|$(reg_value "$prefix" "$entry" VornLib.CreateQuickLaunchShortcut)" = '0x0|0x1'
check "the setup keeps no settings of its own" reg_absent "$prefix" 'HKCU\Software\Vorn Software\VornSetup'
# The next setup proposes the choices of this installation.
start_setup "$prefix"
wait_for_text "$prefix" "$title" 'Welcome to the VornDemo Setup Wizard' >/dev/null
drive "$prefix" "$title" --select-tab Options >/dev/null
shown="$(wait_for_text "$prefix" "$title" "$folder_label" 30)"
check "the next setup proposes the folder and the unticked box" test "$(edit_after "$shown" "$folder_label")|$(state_of "$shown" 'Create a shortcut on the desktop')" = 'C:\Tools\VornDemo|enabled'
check "an installed product keeps its scope: no choice offered" bash -c '! grep -qF "$1" <<<"$2"' _ "$just_me" "$shown"
drive "$prefix" "$title" --click Close >/dev/null
exit_code_of "$setup_pid" 30 >/dev/null
end_scenario "$prefix"

echo "== Close on the main page"
prefix="$(fresh_prefix close)"
before="$(snapshot "$prefix")"
start_setup "$prefix"
shown="$(wait_for_text "$prefix" "$title" 'Welcome to the VornDemo Setup Wizard')"
check "the wizard is on show" shows "$shown" 'Welcome to the VornDemo Setup Wizard'
# A second setup meanwhile says why it does not start, and ends with 45.
first_pid=$setup_pid
start_setup "$prefix"
shown="$(wait_for_text "$prefix" VornSetup 'VornDemo Setup is already running')"
check "a second setup says \"VornDemo Setup is already running\"" shows "$shown" 'VornDemo Setup is already running'
shot 7-already-running
drive "$prefix" VornSetup --click OK >/dev/null
exit_code_of "$setup_pid" 30; code=$?
check "and ends with 45, another setup running ($code)" test "$code" -eq 45
setup_pid=$first_pid
drive "$prefix" "$title" --click Close >/dev/null
exit_code_of "$setup_pid" 30; code=$?
# Nothing installed: a package manager must not take it for an installation.
check "the launcher ends with 8, cancelled ($code)" test "$code" -eq 8
check "no window of the wizard is left" bash -c '! grep -qxF "$1" <<<"$2"' _ "$title" "$(drive "$prefix" --list)"
check "nothing was installed" test "$before" = "$(snapshot "$prefix")"
[ "$before" = "$(snapshot "$prefix")" ] || diff <(echo "$before") <(snapshot "$prefix") | head
check "no uninstall entry" reg_absent "$prefix" "$entry" DisplayName
end_scenario "$prefix"

echo "== Start VornDemo on the success page"
prefix="$(fresh_prefix start)"
start_setup "$prefix"
wait_for_text "$prefix" "$title" 'Welcome to the VornDemo Setup Wizard' >/dev/null
drive "$prefix" "$title" --click Install >/dev/null
wait_for_text "$prefix" "$title" 'Start VornDemo' 60 >/dev/null
drive "$prefix" "$title" --click 'Start VornDemo' >/dev/null; code=$?
check "Start VornDemo can be pressed" test "$code" -eq 0
exit_code_of "$setup_pid" 30; code=$?
check "the launcher ends with 0 ($code)" test "$code" -eq 0
shown="$(drive "$prefix" 'VornDemo 1.0.0' --timeout 30 --controls)"; code=$?
check "a \"VornDemo 1.0.0\" window appears" test "$code" -eq 0
check "the started VornDemo is the installed one" grep -qF 'C:\Program Files (x86)\VornDemo\VornDemo.exe' <(prefix_processes "$prefix" VornDemo.exe)
shot 11-vorndemo-started
drive "$prefix" 'VornDemo 1.0.0' --close >/dev/null
listed() { drive "$prefix" --list | grep -qxF "$1"; } # window title
check "VornDemo closes" wait_until 60 not listed 'VornDemo 1.0.0'
end_scenario "$prefix"

echo "== a group picked from the list, groups and folders typed"
prefix="$(fresh_prefix group)"
mkdir -p "$(dirname "$(group_in "$prefix")")/Games"
start_setup "$prefix"
wait_for_text "$prefix" "$title" 'Welcome to the VornDemo Setup Wizard' >/dev/null
drive "$prefix" "$title" --select-tab Options >/dev/null
shown="$(wait_for_text "$prefix" "$title" "$folder_label" 30)"
check "the controls carry the ids of their names" test "$(awk -F'\t' '$3 == "Install" { print $4 }' <<<"$shown")" = "$(name_id InstallCmd)"
check "the group list holds the programs folder's \"Games\"" grep -qxF $'Item\tenabled\tGames' <<<"$shown"
drive "$prefix" "$title" --set-text "$folder_label" 'C:\Tools\App' >/dev/null
check "C:\\Tools\\App enables Install" test "$(state_of "$(drive "$prefix" "$title" --controls)" Install)" = enabled
for group in 'Vendor\App:enabled' '\App:disabled' 'Vendor\:disabled'; do
  drive "$prefix" "$title" --set-text 'Start menu folder:' "${group%:*}" >/dev/null
  shown="$(drive "$prefix" "$title" --controls)"
  check "the group \"${group%:*}\" leaves Install ${group##*:}" test "$(edit_after "$shown" 'Start menu folder:')|$(state_of "$shown" Install)" = "${group%:*}|${group##*:}"
done
drive "$prefix" "$title" --pick 'Start menu folder:' Games >/dev/null; code=$?
shown="$(drive "$prefix" "$title" --controls)"
check "\"Games\" can be picked ($code)" test "$code" -eq 0
check "a picked group gets a folder of the program's own" test "$(edit_after "$shown" 'Start menu folder:')" = 'Games\VornDemo'
check "and Install stays enabled" test "$(state_of "$shown" Install)" = enabled
shot 12-group-picked
drive "$prefix" "$title" --click Install >/dev/null
wait_for_text "$prefix" "$title" 'VornDemo has been installed successfully.' 60 >/dev/null
drive "$prefix" "$title" --click Close >/dev/null
exit_code_of "$setup_pid" 30; code=$?
check "the launcher ends with 0 ($code)" test "$code" -eq 0
check "the shortcut is in Games\\VornDemo" test -f "$(dirname "$(group_in "$prefix")")/Games/VornDemo/VornDemo.lnk"
check "not in a group of its own" test ! -e "$(group_in "$prefix")"
check "the files are in C:\\Tools\\App" cmp -s "$prefix/drive_c/Tools/App/VornDemo.exe" "$work/app/VornDemo.exe"
check "ShortcutsList lists exactly the shortcuts made" test "$(listed_links "$prefix")" = "$(made_links "$prefix")"
end_scenario "$prefix"

echo "== the space required, rounded up to whole megabytes"
prefix="$(fresh_prefix space)"
for size in 1:1 1048576:1 1048577:2; do
  rm -rf "$work/sized"; mkdir -p "$work/sized"
  head -c "${size%:*}" /dev/zero >"$work/sized/VornDemo.exe"
  make_setup "$work/sized" "$work/SizedSetup.exe" store
  start_setup_of "$prefix" "$work/SizedSetup.exe"
  wait_for_text "$prefix" "$title" 'Welcome to the VornDemo Setup Wizard' >/dev/null
  drive "$prefix" "$title" --select-tab Options >/dev/null
  shown="$(wait_for_text "$prefix" "$title" "$folder_label" 30)"
  check "${size%:*} bytes need \"Disk space required: ${size#*:} MB\"" shows "$shown" "Disk space required: ${size#*:} MB"
  drive "$prefix" "$title" --click Close >/dev/null
  exit_code_of "$setup_pid" 30 >/dev/null
done
end_scenario "$prefix"

echo "== cancelled during the copy"
make_many_files_setup
question="$title - Cancel installation"
for answer in No Yes; do
  prefix="$(fresh_prefix "cancel-$answer")"
  before="$(snapshot "$prefix")"
  start_setup_of "$prefix" "$work/ManySetup.exe"
  wait_for_text "$prefix" "$title" 'Welcome to the VornDemo Setup Wizard' >/dev/null
  if [ "$answer" = No ]; then # by the keyboard: Esc on the copy page asks
    drive "$prefix" "$title" --click Install >/dev/null
    wait_for_text "$prefix" "$title" 'Please wait while the files are copied to your computer.' 30 >/dev/null
    keys Escape
    drive "$prefix" "$question" --timeout 10 >/dev/null; code=$?
    check "Esc while copying asks \"$question\" ($code)" test "$code" -eq 0
  else
    drive "$prefix" "$title" --click Install >/dev/null
    wait_for_text "$prefix" "$title" 'Please wait while the files are copied to your computer.' 30 >/dev/null
    drive "$prefix" "$title" --close --window "$question" >/dev/null; code=$?
    check "closing while copying asks \"$question\" ($code)" test "$code" -eq 0
  fi
  shown="$(drive "$prefix" "$question" --timeout 5 --controls)"
  check "the question says what cancelling does" grep -qF 'If you cancel now, VornDemo will not be installed' <<<"$shown"
  check "the wizard stays on the copy page meanwhile" shows "$(drive "$prefix" "$title" --controls)" 'Please wait while the files are copied to your computer.'
  [ "$answer" = No ] && { sleep 1; shot 13-cancel-question; }
  if [ "$answer" = No ]; then keys alt+n; else drive "$prefix" "$question" --click "$answer" >/dev/null; fi
  if [ "$answer" = No ]; then
    shown="$(wait_for_text "$prefix" "$title" 'VornDemo has been installed successfully.' 120)"
    check "\"No\" lets the copy finish" shows "$shown" 'VornDemo has been installed successfully.'
    check "with every file complete" diff -rq -x VornLib.Setup.exe "$work/many" "$(program_files "$prefix")"
    check "and the uninstall entry made" test -n "$(reg_value "$prefix" "$entry" DisplayName)"
  else
    shown="$(wait_for_text "$prefix" "$title" 'Installation cancelled' 120)"
    check "\"Yes\" shows the cancelled page" shows "$shown" 'The installation was cancelled. The files copied so far have been removed.'
    check "with Close alone to press" test "$(grep -c '^Button' <<<"$shown")|$(state_of "$shown" Close)" = '1|enabled'
    # The focus arrives as the question's owner is activated again.
    check "which has the focus" waits wait_for_focus "$prefix" "$title" Close
    shot 14-cancelled
    check "the prefix's files are as before" test "$(snapshot "$prefix")" = "$before"
    [ "$(snapshot "$prefix")" = "$before" ] || diff <(echo "$before") <(snapshot "$prefix") | head
    check "no uninstall entry" reg_absent "$prefix" "$entry" DisplayName
  fi
  drive "$prefix" "$title" --click Close >/dev/null
  exit_code_of "$setup_pid" 30; code=$?
  expected=$([ "$answer" = No ] && echo 0 || echo 8)
  check "Close then ends the launcher with $expected ($code)" test "$code" -eq "$expected"
  end_scenario "$prefix"
done

echo "== a choices file and /NoCancel: the wizard proposes the file's choices, its copy cannot be stopped"
prefix="$(fresh_prefix loaded)"
mkdir -p "$prefix/drive_c/Deploy"
printf 'InstallFolder=C:\\Tools\\Loaded\r\nCreateDesktopShortcut=0\r\n' > "$prefix/drive_c/Deploy/choices.txt"
start_setup_of "$prefix" "$work/ManySetup.exe" '/LoadChoices:C:\Deploy\choices.txt' /NoCancel
wait_for_text "$prefix" "$title" 'Welcome to the VornDemo Setup Wizard' >/dev/null
drive "$prefix" "$title" --select-tab Options >/dev/null
shown="$(wait_for_text "$prefix" "$title" "$folder_label" 30)"
check "the options page proposes the file's folder and unticked box" test "$(edit_after "$shown" "$folder_label")|$(state_of "$shown" 'Create a shortcut on the desktop')" = 'C:\Tools\Loaded|enabled'
drive "$prefix" "$title" --click Install >/dev/null
shown="$(wait_for_text "$prefix" "$title" 'Please wait while the files are copied to your computer.' 30)"
check "the copy page's Cancel is disabled" test "$(state_of "$shown" Cancel)" = disabled
drive "$prefix" "$title" --close >/dev/null
shown="$(wait_for_text "$prefix" "$title" 'VornDemo has been installed successfully.' 120)"
check "closed meanwhile, the copy goes on to the success page" shows "$shown" 'VornDemo has been installed successfully.'
# A question would still be open: nobody answered it.
windows="$(drive "$prefix" --list)"
check "without asking whether to cancel" test "$(grep -cxF -e "$title" -e "$title - Cancel installation" <<<"$windows")|$(grep -cxF "$title" <<<"$windows")" = '1|1'
drive "$prefix" "$title" --click Close >/dev/null
exit_code_of "$setup_pid" 30; code=$?
check "the launcher ends with 0 ($code)" test "$code" -eq 0
check "every file is in the file's folder" diff -rq -x VornLib.Setup.exe "$work/many" "$prefix/drive_c/Tools/Loaded"
check "no desktop shortcut, as the file chose" test -z "$(desktop_links "$prefix")"
end_scenario "$prefix"

echo "== a failing copy"
prefix="$(fresh_prefix failure)"
# A folder stands where the program's file must go.
mkdir -p "$(program_files "$prefix")/VornDemo.exe"
before="$(snapshot "$prefix")"
start_setup "$prefix"
wait_for_text "$prefix" "$title" 'Welcome to the VornDemo Setup Wizard' >/dev/null
drive "$prefix" "$title" --click Install >/dev/null
shown="$(wait_for_text "$prefix" "$title" 'Installation failed' 60)"
check "the failure page is shown" shows "$shown" 'Installation failed'
check "with the link to technical support" shows "$shown" 'Get help from technical support'
check "and Close alone to press" test "$(grep -c '^Button' <<<"$shown")|$(state_of "$shown" Close)" = '1|enabled'
check "which has the focus" waits wait_for_focus "$prefix" "$title" Close
shot 15-failure
check "what the copy wrote is gone again" test "$(snapshot "$prefix")" = "$before"
[ "$(snapshot "$prefix")" = "$before" ] || diff <(echo "$before") <(snapshot "$prefix") | head
check "no uninstall entry" reg_absent "$prefix" "$entry" DisplayName
check "no shortcut" test -z "$(made_links "$prefix")"
drive "$prefix" "$title" --click Close >/dev/null
exit_code_of "$setup_pid" 30; code=$?
check "Close ends the launcher with the failure's code (17 access denied, got $code)" test "$code" -eq 17
end_scenario "$prefix"

echo "== a damaged setup file"
prefix="$(fresh_prefix damaged)"
# Bytes in the middle of the payload belong to VornDemo.exe, its largest entry.
cp "$work/VornDemoSetup.exe" "$work/Damaged.exe"
printf '\377\000\377\000\377\000\377\000' |
  dd of="$work/Damaged.exe" bs=1 seek=$(( $(stat -c %s "$work/Damaged.exe") - ($(stat -c %s "$work/Damaged.exe") - $(stat -c %s "$stub")) / 2 )) conv=notrunc 2>/dev/null
before="$(snapshot "$prefix")"
start_setup_of "$prefix" "$work/Damaged.exe"
wait_for_text "$prefix" "$title" 'Welcome to the VornDemo Setup Wizard' >/dev/null
drive "$prefix" "$title" --click Install >/dev/null
shown="$(wait_for_text "$prefix" "$title" 'Installation failed' 180)"
check "the failure page says the setup file is damaged" shows "$shown" 'The setup file is damaged, so the installation could not be completed. Download the setup again, then run the new copy.'
shot 17-damaged
check "what the copy wrote is gone again" test "$(snapshot "$prefix")" = "$before"
check "no uninstall entry" reg_absent "$prefix" "$entry" DisplayName
drive "$prefix" "$title" --click Close >/dev/null
exit_code_of "$setup_pid" 30; code=$?
check "Close ends the launcher with 22 ($code)" test "$code" -eq 22
end_scenario "$prefix"

echo "== \"just for me\" chosen in the wizard: no rights, the user's own places"
prefix="$(fresh_prefix user)"
files_before="$(files_of "$prefix")"; registry_before="$(registry_of "$prefix")"; before="$(snapshot "$prefix")"
# Wine grants every elevation request: its exec trace shows what the setup
# starts (an elevated copy carries -LaunchedAsAdministrator). The user first
# declines the prompt for "for all users" (Wine shows none: the test hook
# stands in for it).
VORNSETUP_TEST_DECLINE_ELEVATION=1 WINEDEBUG=trace+exec "$run" "$prefix" "$work/VornDemoSetup.exe" >/dev/null 2>"$work/user-trace.txt" </dev/null &
setup_pid=$!
wait_for_text "$prefix" "$title" 'Welcome to the VornDemo Setup Wizard' >/dev/null
drive "$prefix" "$title" --select-tab Options >/dev/null
wait_for_text "$prefix" "$title" "$folder_label" 30 >/dev/null
drive "$prefix" "$title" --click Install >/dev/null
# The message, owned by the wizard, carries its title and is in front of it.
shown="$(wait_for_text "$prefix" "$title" 'VornDemo was not installed' 20)"
check "a declined prompt says VornDemo was not installed" shows "$shown" 'VornDemo was not installed'
shot 19-rights-refused
drive "$prefix" "$title" --click OK >/dev/null
shown="$(wait_for_text "$prefix" "$title" "$folder_label" 30)"
check "the options are back, \"$all_users\" still selected" test "$(state_of "$shown" "$all_users")|$(edit_after "$shown" "$folder_label")" = "enabled,checked|$default_folder"
check "nothing was touched" test "$before" = "$(snapshot "$prefix")"
drive "$prefix" "$title" --click "$just_me" >/dev/null
shown="$(drive "$prefix" "$title" --controls)"
check "the folder proposed is in %LOCALAPPDATA%\\Programs" grep -q "$user_folder" <<<"$(edit_after "$shown" "$folder_label")"
check "\"$just_me\" is selected" test "$(state_of "$shown" "$just_me")|$(state_of "$shown" "$all_users")" = 'enabled,checked|enabled'
shot 18-options-current-user
install_and_close "$prefix" "Close ends the setup with 0"
check "the trace shows the setup's launches (the /Install hand-off)" grep -q 'parm=L"/Install"' "$work/user-trace.txt"
check "no elevated copy was started" bash -c '! grep -q LaunchedAsAdministrator "$0"' "$work/user-trace.txt"
check "nothing was started with the verb runas" bash -c '! grep -q "verb=L\"runas\"" "$0"' "$work/user-trace.txt"
check "the program lies in the user's profile" test -f "$(echo "$prefix"/drive_c/users/*/AppData/Local/Programs/VornDemo/VornDemo.exe)"
added="$(diff <(echo "$files_before") <(files_of "$prefix") | grep '^[<>]')"
check "every file added lies in the user's profile" test -z "$(grep -v '^> ./users/' <<<"$added")"
added="$(diff <(echo "$registry_before") <(registry_of "$prefix") | grep '^[<>]' |
  grep -Ev '(HARDWARE|Enum|Control..Class|Control..Video|NetworkCards|DeviceClasses|user[.]reg:Console|Software..Wine)')"
check "every registry line added lies in the user's hive" test -z "$(grep -v '^> user[.]reg:' <<<"$added")"
check "the user's hive holds the entry" grep -q 'Uninstall.*7E3F2A91' <<<"$added"
end_scenario "$prefix"

echo "== a drive too small for the application"
prefix="$(fresh_prefix full)"
drive="$work/drive-d"; mkdir -p "$drive"
if mount_error="$(mount -t tmpfs -o size=8m vorn-wizard "$drive" 2>&1)"; then
  ln -sfn "$drive" "$prefix/dosdevices/d:"
  make_many_files_setup
  start_setup_of "$prefix" "$work/ManySetup.exe"
  wait_for_text "$prefix" "$title" 'Welcome to the VornDemo Setup Wizard' >/dev/null
  drive "$prefix" "$title" --select-tab Options >/dev/null
  wait_for_text "$prefix" "$title" "$folder_label" 30 >/dev/null
  drive "$prefix" "$title" --set-text "$folder_label" 'D:\VornDemo' --click Install >/dev/null
  shown="$(wait_for_text "$prefix" "$title" 'Installation failed' 120)"
  check "a full drive shows the failure page" shows "$shown" 'Installation failed'
  check "with the link to technical support" shows "$shown" 'Get help from technical support'
  shot 16-disk-full
  check "the drive is empty again" test -z "$(ls -A "$drive")"
  check "no uninstall entry" reg_absent "$prefix" "$entry" DisplayName
  drive "$prefix" "$title" --click Close >/dev/null
  exit_code_of "$setup_pid" 30; code=$?
  check "Close ends the launcher with 13, disk full ($code)" test "$code" -eq 13
  end_scenario "$prefix"
  umount "$drive"
else
  skip_check "a drive too small for the application" "mount -t tmpfs refused: $mount_error"
  end_scenario "$prefix"
fi

finish_checks
