#!/bin/bash
# wizard-keyboard-e2e.sh <VornPack> <VornSetup stub> <VornDemo.exe> <definitions> <wine-run> <work folder> <WindowDriver.exe> [<screenshot folder>]
# The wizard driven by key presses alone (xdotool), as a user without a mouse
# does: the tabs by Ctrl+Tab, Ctrl+PgUp/PgDn and the arrows, the options by
# their access keys, a group picked from the list, Install by Return and the
# success page closed by Esc; a folder typed by keys that says why Install is
# unavailable; and an optional component left out by Space in its list. Each
# scenario in a fresh prefix, in a Wine virtual desktop on a private X
# display; the files and shortcuts left are checked.
# shellcheck source-path=SCRIPTDIR
set -uo pipefail
# shellcheck disable=SC2016 # single quotes hold scripts for bash -c
# shellcheck disable=SC2034 # e2e-common.sh reads them
{ vornpack="$1"; stub="$2"; demo="$3"; definitions="$4"; run="$5"; work="$6"; driver="$7"; }
shots="${8:-$6/screenshots}"
source "$(dirname "$0")/../../../scripts/lib.sh"
start_xvfb
source "$(dirname "$0")/e2e-common.sh"
mkdir -p "$shots"
source "$(dirname "$0")/wizard-common.sh"

total=$(( $(stat -c %s "$work/app/VornDemo.exe") + $(stat -c %s "$work/app/Help/Readme.txt") ))
required="Disk space required: $(( (total + 1048575) / 1048576 )) MB"

echo "== by the keyboard alone"
prefix="$(fresh_prefix keyboard)"
mkdir -p "$(dirname "$(group_in "$prefix")")/Games"
start_setup "$prefix"
wait_for_text "$prefix" "$title" 'Welcome to the VornDemo Setup Wizard' >/dev/null
check "the focus starts on Install, the default button" waits wait_for_focus "$prefix" "$title" Install
keys ctrl+Tab
shown="$(wait_for_text "$prefix" "$title" 'Please read the following license agreement carefully.' 30)"
check "Ctrl+Tab selects the licence tab" test "$(state_of "$shown" 'License Agreement')" = selected
shot kb-1-license
keys ctrl+Tab
shown="$(wait_for_text "$prefix" "$title" "$folder_label" 30)"
check "Ctrl+Tab again selects the options" test "$(state_of "$shown" Options)" = selected
check "the focus stays on Install" waits wait_for_focus "$prefix" "$title" Install
# Every other way to another page by keys: the page comes, a control has the
# focus, and Tab still moves it on.
licence='Please read the following license agreement carefully.'
to_page_by() { # text tab keys...
  local text="$1" tab="$2" shown line; shift 2
  keys "$@"
  shown="$(wait_for_text "$prefix" "$title" "$text" 30)"
  check "$* selects $tab" test "$(state_of "$shown" "$tab")" = selected
  check "  a control has the focus" waits wait_for_focus_moved "$prefix" "$title" ''
  line="$(focus_line "$(drive "$prefix" "$title" --controls)")"
  keys Tab
  check "  Tab moves it on" waits wait_for_focus_moved "$prefix" "$title" "$line"
}
to_page_by "$licence" 'License Agreement' ctrl+shift+Tab
to_page_by "$folder_label" Options ctrl+Next
to_page_by "$licence" 'License Agreement' ctrl+Prior
# The arrows on the tab strip itself, reached by Tab.
for _ in $(seq 8); do
  [ "$(cut -f1 <<<"$(focus_line "$(drive "$prefix" "$title" --controls)")")" = SysTabControl32 ] && break
  line="$(focus_line "$(drive "$prefix" "$title" --controls)")"
  keys Tab
  wait_for_focus_moved "$prefix" "$title" "$line" >/dev/null
done
to_page_by "$folder_label" Options Right
keys alt+f
shown="$(wait_for_focus "$prefix" "$title" "$default_folder")"
check "Alt+F moves to the folder's box" test "$(focused "$shown")" = "$default_folder"
typed 'C:\Keys\VornDemo'
# The list opens with F4; Games is as many Down presses away as its place in it.
place="$(drive "$prefix" "$title" --controls | awk -F'\t' '$1 == "Item" { n++ } $1 == "Item" && $3 == "Games" { print n; exit }')"
keys alt+s F4
for _ in $(seq "${place:-1}"); do keys Down; done
keys Return
keys alt+d Tab
shown="$(wait_for_focus "$prefix" "$title" 'Create a shortcut in the Quick Launch bar')"
check "Tab moves on to the next box" test "$(focused "$shown")" = 'Create a shortcut in the Quick Launch bar'
keys shift+Tab
shown="$(wait_for_focus "$prefix" "$title" 'Create a shortcut on the desktop')"
check "the typed folder replaced the proposed one" test "$(edit_after "$shown" "$folder_label")" = 'C:\Keys\VornDemo'
check "Alt+D unticked the desktop box, Shift+Tab came back to it" test "$(state_of "$shown" 'Create a shortcut on the desktop')" = enabled
check "a group was picked from the list" test "$(edit_after "$shown" 'Start menu folder:')" = 'Games\VornDemo'
shot kb-2-options
keys Return
shown="$(wait_for_text "$prefix" "$title" 'VornDemo has been installed successfully.' 60)"
check "Return pressed Install: the success page" shows "$shown" 'VornDemo has been installed successfully.'
check "the focus is on \"Start VornDemo\", the default button" waits wait_for_focus "$prefix" "$title" 'Start VornDemo'
shot kb-3-success
keys Escape
exit_code_of "$setup_pid" 30; code=$?
check "Esc closes the wizard: the launcher ends with 0 ($code)" test "$code" -eq 0
check "without starting VornDemo" bash -c '! grep -qxF "VornDemo 1.0.0" <<<"$1"' _ "$(drive "$prefix" --list)"
check "the files are in the typed folder" cmp -s "$prefix/drive_c/Keys/VornDemo/VornDemo.exe" "$work/app/VornDemo.exe"
check "no desktop shortcut" test -z "$(desktop_links "$prefix")"
check "the shortcut is in Games\\VornDemo" test -f "$(dirname "$(group_in "$prefix")")/Games/VornDemo/VornDemo.lnk"
end_scenario "$prefix"

echo "== a relative folder typed by keys: why Install is unavailable"
prefix="$(fresh_prefix folder-reason)"
start_setup "$prefix"
shown="$(wait_for_text "$prefix" "$title" 'Welcome to the VornDemo Setup Wizard')"
check "a fresh installation's welcome page names no installed version" \
  bash -c 'grep -qF "Welcome to the VornDemo Setup Wizard" <<<"$1" && ! grep -q "is installed;" <<<"$1"' _ "$shown"
drive "$prefix" "$title" --select-tab Options >/dev/null
wait_for_text "$prefix" "$title" "$folder_label" 10 >/dev/null
keys alt+f
wait_for_focus "$prefix" "$title" "$default_folder" >/dev/null
typed 'Tools\VornDemo'
reason='Type a full folder path, such as C:\Program Files\VornDemo.'
shown="$(wait_for_text "$prefix" "$title" "$reason" 30)"
check "\"Tools\\VornDemo\" says \"$reason\"" shows "$shown" "$reason"
check "Install is disabled meanwhile, the space required not on show" \
  test "$(state_of "$shown" Install)|$(grep -c 'Disk space required' <<<"$shown")" = 'disabled|0'
shot 20-folder-reason
keys End shift+Home
typed 'C:\Tools\VornDemo'
shown="$(wait_for_text "$prefix" "$title" "$required" 30)"
check "a full folder brings the space required back" shows "$shown" "$required"
check "and takes the reason away, Install enabled" \
  test "$(grep -cF "$reason" <<<"$shown")|$(state_of "$shown" Install)" = '0|enabled'
drive "$prefix" "$title" --click Close >/dev/null
exit_code_of "$setup_pid" 30 >/dev/null
end_scenario "$prefix"

echo "== a component left out by keys"
with_help="$work/definitions-components"; rm -rf "$with_help"; cp -a "$definitions" "$with_help"
sed -i 's|</InstallationSettings>|<Components><Component Name="Help" Title="Help files"><Files Folder="Help"/></Component></Components>&|' \
  "$with_help/Configuration.xml"
definitions="$with_help" make_setup "$work/app" "$work/ComponentsSetup.exe"
prefix="$(fresh_prefix components)"
start_setup_of "$prefix" "$work/ComponentsSetup.exe"
wait_for_text "$prefix" "$title" 'Welcome to the VornDemo Setup Wizard' >/dev/null
keys ctrl+Tab ctrl+Tab
shown="$(wait_for_text "$prefix" "$title" 'Choose the parts of VornDemo to install:' 30)"
check "Ctrl+Tab twice selects the components" test "$(state_of "$shown" Components)" = selected
help_row() { awk -F'\t' '$1 == "Row" && $3 == "Help files" { print $2 "|" $4 }' <<<"$1"; } # controls
check "Help files is listed ticked, with its size ($(help_row "$shown"))" \
  bash -c '[[ "$1" =~ ^enabled,checked(,focused)?\|0\.1\ MB$ ]]' _ "$(help_row "$shown")"
for _ in $(seq 8); do
  line="$(focus_line "$(drive "$prefix" "$title" --controls)")"
  [ "$(cut -f1 <<<"$line")" = SysListView32 ] && break
  keys Tab
  wait_for_focus_moved "$prefix" "$title" "$line" >/dev/null
done
check "Tab reaches the list" test "$(cut -f1 <<<"$line")" = SysListView32
keys space
unticked() { [ "$(help_row "$1")" = 'enabled,focused|0.1 MB' ]; } # controls
shown="$(wait_for_controls "$prefix" "$title" 20 unticked)"
check "Space unticks it ($(help_row "$shown"))" unticked "$shown"
shot kb-4-components
keys Return
shown="$(wait_for_text "$prefix" "$title" 'VornDemo has been installed successfully.' 60)"
check "Return pressed Install: the success page" shows "$shown" 'VornDemo has been installed successfully.'
keys Escape
exit_code_of "$setup_pid" 30; code=$?
check "the launcher ends with 0 ($code)" test "$code" -eq 0
check "the program is installed" cmp -s "$(program_files "$prefix")/VornDemo.exe" "$work/app/VornDemo.exe"
check "the help files are not" not test -e "$(program_files "$prefix")/Help"
check "the entry records Help as left out" test "$(reg_value "$prefix" "$entry" VornLib.ComponentsLeftOut)" = Help
end_scenario "$prefix"

finish_checks
