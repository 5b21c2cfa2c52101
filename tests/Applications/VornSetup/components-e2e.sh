#!/bin/bash
# components-e2e.sh <VornPack> <VornSetup stub> <PlainProgram.exe> <definitions> <wine-run> <work folder>
# Two optional components of a product not built on the framework, for all
# users and per user: "Docs" (chosen by default; a folder, and a registry
# value of its own) and "Samples" (left out by default; a pattern, and an
# environment variable of its own). Installed quietly, the default choice is
# in the world and the result file; a component the product does not declare
# is refused before anything is touched; an update keeps the choice; an
# update that chooses otherwise takes the left-out component's files and
# declarations away and makes the chosen one's; the removal leaves nothing.
# VornPack refuses an executable in a component that may be left out.
# shellcheck source-path=SCRIPTDIR
set -uo pipefail
# shellcheck disable=SC2034 # e2e-common.sh reads them
{ vornpack="$1"; stub="$2"; plain="$3"; definitions="$4"; run="$5"; work="$6"; }
source "$(dirname "$0")/e2e-common.sh"

cp "$plain" "$work/app/Hello.exe"
mkdir -p "$work/app/docs" "$work/app/samples"
printf 'Hello guide\n' > "$work/app/docs/guide.txt"
printf 'int main(void) { return 0; }\n' > "$work/app/samples/first.c"
printf 'Hello\n' > "$work/app/readme.txt"
declare_components() { # version out
  hello_definitions "$2" "$1" '<Components>
      <Component Name="Docs" Title="Documentation"><Files Folder="docs"/></Component>
      <Component Name="Samples" Default="false"><Files Pattern="samples\*.c"/></Component>
    </Components>
    <Registry>
      <Value Key="Software\Vorn Software\Hello" Name="Docs" Type="String" Data="{InstallFolder}\docs" Component="Docs"/>
    </Registry>
    <Environment>
      <Variable Name="HELLO_SAMPLES" Value="{InstallFolder}\samples" Component="Samples"/>
    </Environment>'
  definitions="$2" make_setup "$work/app" "$work/Setup-$1.exe"
}
declare_components 1.0.0 "$work/definitions-1"
declare_components 2.0.0 "$work/definitions-2"
declare_components 3.0.0 "$work/definitions-3"
bad="$work/definitions-bad"; rm -rf "$bad"; cp -a "$work/definitions-1" "$bad"
sed -i 's|<Files Pattern="samples\\\*.c"/>|&<Files Pattern="Hello.exe"/>|' "$bad/Configuration.xml"
packing_refuses "$bad" "an executable that may be left out" \
  'line [0-9]*, column [0-9]*: the component "Samples" holds the executable "Hello.exe"'

user_entry='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\{7E3F2A91-5C4B-4D8E-9F10-2B3C4D5E6F70}'
quiet() { "$run" "$1" "$2" /Quiet "${@:3}" >/dev/null 2>&1 </dev/null; } # prefix setup [switches]
installed() { test -e "$1/drive_c/$folder/$2"; } # prefix relative
components_in_result() { python3 -c 'import json,sys; print(",".join(json.load(open(sys.argv[1]))["components"]))' "$1/drive_c/result.json"; } # prefix

scenario() { # machine|user
  local scope="$1" prefix switches=() key="$entry" software='HKLM\Software\WOW6432Node' code
  local environment='HKLM\System\CurrentControlSet\Control\Session Manager\Environment'
  local folder='Program Files (x86)/VornDemo' windows_folder='C:\Program Files (x86)\VornDemo'
  prefix="$(copy_prefix "$scope")"
  if [ "$scope" = user ]; then
    switches=(/CurrentUser); key="$user_entry"; software='HKCU\Software'; environment='HKCU\Environment'
    local user
    for user in "$prefix"/drive_c/users/*; do [ "${user##*/}" != Public ] && break; done
    user="${user##*/}"
    folder="users/$user/AppData/Local/Programs/VornDemo"
    windows_folder="C:\\users\\$user\\AppData\\Local\\Programs\\VornDemo"
  fi
  echo "== $scope: installed with the default components"
  quiet "$prefix" "$work/Setup-1.0.0.exe" "${switches[@]}" '/ResultFile:C:\result.json' '/Log:C:\install.log'; code=$?
  check "[$scope] version 1 installs ($code)" test "$code" -eq 0
  check "[$scope] Docs' files are there" installed "$prefix" docs/guide.txt
  check "[$scope] and the files of no component" installed "$prefix" readme.txt
  check "[$scope] Samples' files are not" not installed "$prefix" samples
  check "[$scope] Docs' value is in the scope's hive" test "$(reg_value "$prefix" "$software\\Vorn Software\\Hello" Docs)" = "$windows_folder\\docs"
  check "[$scope] Samples' variable is not in the environment" reg_absent "$prefix" "$environment" HELLO_SAMPLES
  check "[$scope] the result file lists Docs ($(components_in_result "$prefix"))" test "$(components_in_result "$prefix")" = Docs
  check "[$scope] the log names the choice" grep -q 'Components Docs; left out: Samples' "$prefix/drive_c/install.log"

  echo "== $scope: a component the product does not declare"
  quiet "$prefix" "$work/Setup-2.0.0.exe" /Components:Docs,Tools '/Log:C:\refused.log'; code=$?
  check "[$scope] the setup ends with 5 ($code)" test "$code" -eq 5
  check "[$scope] its log names the name and what is offered" grep -q 'Unknown component "Tools" in /Components. VornDemo offers Docs,Samples.' "$prefix/drive_c/refused.log"
  check "[$scope] version 1 is installed as before" test "$(reg_value "$prefix" "$key" DisplayVersion)" = 1.0.0

  echo "== $scope: an update keeps the choice"
  quiet "$prefix" "$work/Setup-2.0.0.exe"; code=$?
  check "[$scope] version 2 installs ($code)" test "$code" -eq 0
  check "[$scope] over version 1" test "$(reg_value "$prefix" "$key" DisplayVersion)" = 2.0.0
  check "[$scope] Docs is still there" installed "$prefix" docs/guide.txt
  check "[$scope] Samples still not" not installed "$prefix" samples

  echo "== $scope: an update that chooses Samples"
  quiet "$prefix" "$work/Setup-3.0.0.exe" /Components:samples '/ResultFile:C:\result.json'; code=$?
  check "[$scope] version 3 installs ($code)" test "$code" -eq 0
  check "[$scope] Samples' files are there" installed "$prefix" samples/first.c
  check "[$scope] and its variable" test "$(reg_value "$prefix" "$environment" HELLO_SAMPLES)" = "$windows_folder\\samples"
  check "[$scope] Docs' files are gone" not installed "$prefix" docs
  check "[$scope] and its value" reg_absent "$prefix" "$software\\Vorn Software\\Hello" Docs
  check "[$scope] the result file lists Samples ($(components_in_result "$prefix"))" test "$(components_in_result "$prefix")" = Samples

  echo "== $scope: removed"
  local program
  program="$(reg_value "$prefix" "$key" QuietUninstallString | sed 's/^"\([^"]*\)".*/\1/')"
  "$run" "$prefix" "$program" /Uninstall /Quiet >/dev/null 2>&1 </dev/null; code=$?
  check "[$scope] the removal ends with 0 ($code)" test "$code" -eq 0
  check "[$scope] its batch file ran" wait_for_batch_file "$prefix"
  check "[$scope] Samples' variable is gone" reg_absent "$prefix" "$environment" HELLO_SAMPLES
  check "[$scope] the install folder is gone" not installed "$prefix" .
  check "[$scope] the entry is gone" reg_absent "$prefix" "$key"
  finish_prefix "$prefix"; rm -rf "$prefix"
}

in_both_scopes scenario
finish_checks
