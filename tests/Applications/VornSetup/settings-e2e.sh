#!/bin/bash
# settings-e2e.sh <VornPack> <VornSetup stub> <VornDemo.exe> <definitions> <wine-run> <work folder>
# Registry values, an environment variable and a PATH entry declared in the
# definitions of a product removed by the framework's removal program, for
# all users and per user: installed quietly, they are in the hive and the
# environment of the scope (and in the result file); an update changes them
# and takes away what it no longer declares; killed after it made them, the
# installation is undone by the removal, which puts back someone else's value
# it had replaced; a removal takes away only its own, keeping the PATH entry
# another program added since and a value of another program in a shared key.
# shellcheck source-path=SCRIPTDIR
set -uo pipefail
# shellcheck disable=SC2034 # e2e-common.sh reads them
{ vornpack="$1"; stub="$2"; demo="$3"; definitions="$4"; run="$5"; work="$6"; }
source "$(dirname "$0")/e2e-common.sh"

declared="$work/definitions-1"; rm -rf "$declared"; cp -a "$definitions" "$declared"
python3 - "$declared/Configuration.xml" <<'PY'
import sys
path = sys.argv[1]
text = open(path, encoding="utf-8").read()
text = text.replace("<RemovedBy>Application</RemovedBy>", "<RemovedBy>VornUninstall</RemovedBy>")
text = text.replace("</InstallationSettings>", """  <Registry>
      <Value Key="Software\\Vorn Software\\Hello" Name="Home" Type="String" Data="{InstallFolder}"/>
      <Value Key="Software\\Vorn Software\\Hello\\Options" Name="Level" Type="DWord" Data="42"/>
      <Value Key="Software\\Vorn Software\\Hello" Name="Plugins" Type="MultiString"><String>{InstallFolder}\\plugins</String><String>{Company}</String></Value>
      <Value Key="Software\\Shared Tools" Name="Version" Type="String" Data="{Version}"/>
    </Registry>
    <Environment>
      <PathEntry Folder="{InstallFolder}\\bin"/>
      <Variable Name="HELLO_HOME" Value="{InstallFolder}"/>
    </Environment>
  </InstallationSettings>""")
open(path, "w", encoding="utf-8").write(text)
PY
# Version 2 keeps the value and the PATH entry, changes the version's value,
# and no longer declares the variable and the option.
declared2="$work/definitions-2"; rm -rf "$declared2"; cp -a "$declared" "$declared2"
sed -i -e 's/Name="VornDemo" Version="1.0.0"/Name="VornDemo" Version="2.0.0"/' \
  -e '/Name="Level"/d' -e '/HELLO_HOME/d' "$declared2/Configuration.xml"
definitions="$declared" make_setup "$work/app" "$work/Setup1.exe"
definitions="$declared2" make_setup "$work/app" "$work/Setup2.exe"
# A key outside Software is refused at packing, where it is written.
bad="$work/definitions-bad"; rm -rf "$bad"; cp -a "$declared" "$bad"
sed -i 's|Key="Software\\Shared Tools"|Key="System\\Shared Tools"|' "$bad/Configuration.xml"
packing_refuses "$bad" "a key outside Software" 'Configuration.xml.*line [0-9]*, column [0-9]*: the key "System'

software_uninstall="$entry"
user_entry='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\{7E3F2A91-5C4B-4D8E-9F10-2B3C4D5E6F70}'
env_key='HKLM\System\CurrentControlSet\Control\Session Manager\Environment'
# The scope's places: hive, environment key, install folder as Windows names it.
places() { # machine|user prefix
  uninstall_key="$software_uninstall"
  if [ "$1" = machine ]; then
    software='HKLM\Software\WOW6432Node'; environment="$env_key"
    folder='C:\Program Files (x86)\VornDemo'
  else
    software='HKCU\Software'; environment='HKCU\Environment'; uninstall_key="$user_entry"
    folder="C:\\users\\$(ls "$2/drive_c/users" | grep -v Public | head -1)\\AppData\\Local\\Programs\\VornDemo"
  fi
}
path_of() { reg_value "$1" "$environment" Path; } # prefix
# Someone else's: a value where a declared one goes, beside one of their own,
# and the PATH every scope starts from.
plant() { # prefix
  reg_set "$1" "$software\\Shared Tools" /v Version /d theirs &&
    reg_set "$1" "$software\\Shared Tools" /v Other /d kept &&
    { [ "$environment" = "$env_key" ] || reg_set "$1" "$environment" /v Path /t REG_EXPAND_SZ /d 'C:\Mine'; } &&
    WINEPREFIX="$1" wineserver -w
}
quiet() { "$run" "$1" "$2" /Quiet "${@:3}" >/dev/null 2>&1 </dev/null; } # prefix setup [switches]
# The quiet removal as the entry names it.
removal() { # prefix
  local code program
  program="$(reg_value "$1" "$uninstall_key" QuietUninstallString | sed 's/^"\([^"]*\)".*/\1/')"
  check "the entry names the framework's removal program" grep -q 'VornUninstall.exe$' <<<"$program"
  "$run" "$1" "$program" /Uninstall /Quiet '/Log:C:\removal.log' >/dev/null 2>&1 </dev/null; code=$?
  check "the removal ends with 0 ($code)" test "$code" -eq 0
  check "its batch file ran" wait_for_batch_file "$1"
}
nothing_left() { # prefix path-expected
  check "no value of Hello is left" reg_absent "$1" "$software\\Vorn Software"
  check "the variable is gone" reg_absent "$1" "$environment" HELLO_HOME
  check "PATH is as expected ($(path_of "$1"))" test "$(path_of "$1")" = "$2"
  check "the other program's value is kept" test "$(reg_value "$1" "$software\\Shared Tools" Other)" = kept
}

scenario() { # machine|user
  local scope="$1" prefix switches=() mine
  [ "$scope" = user ] && switches=(/CurrentUser)
  prefix="$(copy_prefix "$scope")"
  places "$scope" "$prefix"
  check "[$scope] someone else's values are planted" plant "$prefix"
  mine="$(path_of "$prefix")"
  check "[$scope] the PATH others made is there ($mine)" test -n "$mine"
  echo "== $scope: installed"
  quiet "$prefix" "$work/Setup1.exe" "${switches[@]}" '/ResultFile:C:\result.json'; code=$?
  check "[$scope] version 1 installs (0, got $code)" test "$code" -eq 0
  check "[$scope] Home names the install folder" test "$(reg_value "$prefix" "$software\\Vorn Software\\Hello" Home)" = "$folder"
  check "[$scope] Level is a DWord of 42" test "$(reg_value "$prefix" "$software\\Vorn Software\\Hello\\Options" Level)" = 0x2a
  check "[$scope] Plugins lists two strings" test "$(reg_value "$prefix" "$software\\Vorn Software\\Hello" Plugins)" = "$folder\\plugins\\0Vorn Software"
  check "[$scope] the shared value says 1.0.0" test "$(reg_value "$prefix" "$software\\Shared Tools" Version)" = 1.0.0
  check "[$scope] the variable names the folder" test "$(reg_value "$prefix" "$environment" HELLO_HOME)" = "$folder"
  check "[$scope] PATH ends with the folder's bin" test "$(path_of "$prefix")" = "$mine;$folder\\bin"
  check "[$scope] the result file lists six settings" test "$(python3 -c 'import json,sys; print(len(json.load(open(sys.argv[1]))["settings"]))' "$prefix/drive_c/result.json")" = 6
  keep_as_template "$prefix"

  echo "== $scope: updated"
  local updated; updated="$(copy_prefix "$scope-updated" "$prefix")"
  quiet "$updated" "$work/Setup2.exe" '/Log:C:\update.log'; code=$?
  check "[$scope] version 2 installs (0, got $code)" test "$code" -eq 0
  check "[$scope] the shared value says 2.0.0" test "$(reg_value "$updated" "$software\\Shared Tools" Version)" = 2.0.0
  check "[$scope] the option it no longer declares is gone" reg_absent "$updated" "$software\\Vorn Software\\Hello\\Options"
  check "[$scope] so is the variable" reg_absent "$updated" "$environment" HELLO_HOME
  check "[$scope] Home stays" test "$(reg_value "$updated" "$software\\Vorn Software\\Hello" Home)" = "$folder"
  check "[$scope] PATH holds the folder's bin once" test "$(path_of "$updated")" = "$mine;$folder\\bin"
  check "[$scope] the log says what went" grep -q 'Setting .*HELLO_HOME% taken away: the new version does not declare it' "$updated/drive_c/update.log"

  echo "== $scope: removed after another program added to PATH"
  check "[$scope] another program adds to PATH" reg_set "$updated" "$environment" /v Path /t REG_EXPAND_SZ /d "$(path_of "$updated");C:\\Later"
  removal "$updated"
  nothing_left "$updated" "$mine;C:\\Later"
  check "[$scope] the shared value it wrote is gone" reg_absent "$updated" "$software\\Shared Tools" Version
  finish_prefix "$updated"; rm -rf "$updated"
  finish_prefix "$prefix"
}

# Killed once its settings are made, the installation is undone by the
# removal: someone else's value is back as it was.
killed() { # machine|user
  local scope="$1" prefix switches=() pid="" launcher mine
  [ "$scope" = user ] && switches=(/CurrentUser)
  prefix="$(copy_prefix "$scope-killed")"
  places "$scope" "$prefix"
  check "[$scope] someone else's values are planted" plant "$prefix"
  mine="$(path_of "$prefix")"
  echo "== $scope: killed after the settings were made"
  VORNSETUP_TEST_PAUSE=Registered VORNSETUP_TEST_PAUSE_FILE='C:\paused' \
    "$run" "$prefix" "$work/Setup1.exe" /Quiet "${switches[@]}" >/dev/null 2>&1 </dev/null &
  launcher=$!
  wait_until 180 test -e "$prefix/drive_c/paused"
  check "[$scope] the variable was made before the kill" test "$(reg_value "$prefix" "$environment" HELLO_HOME)" = "$folder"
  [ -e "$prefix/drive_c/paused" ] && pid="$(python3 "$(dirname "$0")/setup_processes.py" "$prefix" Setup1.exe)"
  check "[$scope] the setup was held and killed" test -n "$pid"
  [ -n "$pid" ] && kill -9 $pid
  wait "$launcher" 2>/dev/null
  WINEPREFIX="$prefix" wineserver -w; rm -f "$prefix/drive_c/paused"
  removal "$prefix"
  check "[$scope] the removal undid the installation first" grep -q 'Recovery .*interrupted at step 5: undone' "$prefix/drive_c/removal.log"
  nothing_left "$prefix" "$mine"
  check "[$scope] someone else's value is back" test "$(reg_value "$prefix" "$software\\Shared Tools" Version)" = theirs
  finish_prefix "$prefix"; rm -rf "$prefix"
}

both() { scenario "$1"; killed "$1"; } # machine|user
in_both_scopes both
finish_checks
