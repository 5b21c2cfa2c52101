#!/bin/bash
# declarations-e2e.sh <VornPack> <VornSetup stub> <PlainProgram.exe> <definitions> <wine-run> <work folder>
# Declared steps and a prerequisite of a product not built on the framework
# (PlainProgram as its executable, its registration tool and its runtime's
# setup; the framework's removal program removes it), for all users and per
# user. The runtime is installed once, before the copy, its restart code
# passed on, and is not among the product's files; a prerequisite that fails
# leaves nothing of the product. Its Windows service (PlainProgram again, a
# real one) installs for all users only: created and running after the
# installation (as `sc query` and the service manager's registry tell),
# stopped before its files are replaced, put back on a failed update, gone
# after a kill and at removal; one that does not stop fails the update with
# 52 and leaves the version in place; per user the setup refuses it. Each step leaves a mark file in
# C:\marks, or takes one away, so the checks read what the steps did to the
# world: installed quietly, its AfterInstall step ran (and is in the result
# file); an update runs the new version's steps and its AfterUpdate step; an
# update whose step fails (an exit code, or a step that runs past its time)
# ends with 49 and undoes the steps that had run, the installed version
# untouched; killed after its steps, the installation is undone by the
# removal; the removal runs the BeforeRemoval step and the undo. A program
# outside the installation's folder is refused at packing.
# shellcheck source-path=SCRIPTDIR
set -uo pipefail
# shellcheck disable=SC2034 # e2e-common.sh reads them
{ vornpack="$1"; stub="$2"; plain="$3"; definitions="$4"; run="$5"; work="$6"; }
source "$(dirname "$0")/e2e-common.sh"

cp "$plain" "$work/app/Hello.exe"
mkdir -p "$work/app/redist"; cp "$plain" "$work/app/redist/hello-runtime.exe"
# definitions <version> <out> <extra steps> [<extra prerequisite>]: Hello with
# its runtime, its registration step (undone at removal), and a mark of its
# removal.
declare_steps() {
  hello_definitions "$2" "$1" "<Prerequisites>
      ${4:-}
      <Prerequisite Name=\"Hello Runtime\" Program=\"redist\\hello-runtime.exe\"
                    Arguments=\"/runtime C:\\marks &quot;Software\\Hello Runtime&quot;\" SuccessCodes=\"0,3010\"
                    Detect=\"HKLM\\Software\\Hello Runtime;Installed=1\"/>
    </Prerequisites>
    <Run>
      <Step When=\"AfterInstall\" Program=\"{InstallFolder}\\Hello.exe\" Arguments=\"/register C:\\marks {Version}\"
            UndoArguments=\"/unregister C:\\marks {Version}\" TimeoutSeconds=\"60\"/>
      $3
      <Step When=\"AfterUpdate\" Program=\"{InstallFolder}\\Hello.exe\" Arguments=\"/register C:\\marks updated-to-{Version}\"/>
      <Step When=\"BeforeRemoval\" Program=\"{InstallFolder}\\Hello.exe\" Arguments=\"/register C:\\marks removing-{Version}\"/>
    </Run>"
  definitions="$2" make_setup "$work/app" "$work/Setup-$1.exe"
}
declare_steps 1.0.0 "$work/definitions-1" ""
declare_steps 2.0.0 "$work/definitions-2" ""
# Version 3's second step fails after the first ran: with an exit code it
# does not call success, or (4) by running past its time.
declare_steps 3.0.0 "$work/definitions-3" '<Step When="AfterInstall" Program="{InstallFolder}\Hello.exe" Arguments="/exit 7" SuccessCodes="0,3010"/>'
# (A failed step's own undo never runs: it would leave the mark "hang-undone".)
declare_steps 4.0.0 "$work/definitions-4" '<Step When="AfterInstall" Program="{InstallFolder}\Hello.exe" Arguments="/hang" UndoArguments="/register C:\marks hang-undone" TimeoutSeconds="2"/>'
# Version 5 needs a second runtime first, whose setup fails.
declare_steps 5.0.0 "$work/definitions-5" "" '<Prerequisite Name="Broken Runtime" Program="redist\hello-runtime.exe" Arguments="/exit 7" Detect="HKLM\Software\Broken Runtime"/>'

# Versions 1 and 2 with a Windows service, and version 3 (whose step fails);
# a version 1 whose service does not stop when asked.
declare_service() { # version out display-name [arguments]
  rm -rf "$2"; cp -a "$work/definitions-${1%%.*}" "$2"
  sed -i "s|</InstallationSettings>|  <Services><Service Name=\"HelloSync\" DisplayName=\"$3\" Program=\"Hello.exe\" Arguments=\"/service C:\\\\marks${4:+ $4}\" Description=\"Keeps Hello in step\" StartAfterInstall=\"true\"/></Services>\n  </InstallationSettings>|" "$2/Configuration.xml"
  definitions="$2" make_setup "$work/app" "$work/Service-$1${4:+-stubborn}.exe"
}
declare_service 1.0.0 "$work/services-1" "Hello Sync"
declare_service 2.0.0 "$work/services-2" "Hello Sync 2"
declare_service 3.0.0 "$work/services-3" "Hello Sync 3"
declare_service 1.0.0 "$work/services-stubborn" "Hello Sync" /stubborn
# A service where the scope allows only the current user is refused at packing.
bad="$work/services-user"; rm -rf "$bad"; cp -a "$work/services-1" "$bad"
sed -i 's|<InstallScope Default="AllUsers" UserMayChoose="true"/>|<InstallScope Default="CurrentUser" UserMayChoose="false"/>|' "$bad/Configuration.xml"
packing_refuses "$bad" "a service that only a per-user installation would carry" \
  'line [0-9]*, column [0-9]*: the service "HelloSync" needs an installation for all users'

# A program outside the installation's own folder is refused at packing.
bad="$work/definitions-bad"; rm -rf "$bad"; cp -a "$work/definitions-1" "$bad"
sed -i 's|Program="{InstallFolder}\\Hello.exe" Arguments="/register C:\\marks {Version}"|Program="C:\\Tools\\Hello.exe" Arguments=""|' "$bad/Configuration.xml"
packing_refuses "$bad" "a step's program outside the installation" \
  'Configuration.xml.*line [0-9]*, column [0-9]*: Program "C:\\Tools\\Hello.exe" is not a program of the installation'

user_entry='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\{7E3F2A91-5C4B-4D8E-9F10-2B3C4D5E6F70}'
marks_of() { # prefix
  local mark
  for mark in "$1"/drive_c/marks/*; do
    [ -e "$mark" ] && [ "${mark##*/}" != runtime-runs.txt ] && printf '%s ' "${mark##*/}"
  done
}
runtime_runs() { wc -l 2>/dev/null < "$1/drive_c/marks/runtime-runs.txt"; } # prefix
# Whether the scope's install folder (or a folder in it) exists.
files_in_folder() { # prefix relative
  local folder='Program Files (x86)/VornDemo'
  [ "$scope" = user ] && folder="users/$(ls "$1/drive_c/users" | grep -v Public | head -1)/AppData/Local/Programs/VornDemo"
  test -e "$1/drive_c/$folder/$2"
}
quiet() { "$run" "$1" "$2" /Quiet "${@:3}" >/dev/null 2>&1 </dev/null; } # prefix setup [switches]
removal() { # prefix uninstall-key
  local code program
  program="$(reg_value "$1" "$2" QuietUninstallString | sed 's/^"\([^"]*\)".*/\1/')"
  check "the entry names the framework's removal program" grep -q 'VornUninstall.exe$' <<<"$program"
  "$run" "$1" "$program" /Uninstall /Quiet '/Log:C:\removal.log' >/dev/null 2>&1 </dev/null; code=$?
  check "the removal ends with 0 ($code)" test "$code" -eq 0
  check "its batch file ran" wait_for_batch_file "$1"
}

scenario() { # machine|user
  local scope="$1" prefix switches=() key="$entry" code
  [ "$scope" = user ] && { switches=(/CurrentUser); key="$user_entry"; }
  prefix="$(copy_prefix "$scope")"
  echo "== $scope: installed"
  quiet "$prefix" "$work/Setup-1.0.0.exe" "${switches[@]}" '/ResultFile:C:\result.json' '/Log:C:\install.log'; code=$?
  # (A process's exit code reaches this script in its last 8 bits.)
  check "[$scope] version 1 installs, asking for the runtime's restart (3010, got $code)" test "$(result_of "$prefix/drive_c/result.json" exitCode)" = 3010
  check "[$scope] the runtime's setup ran once" test "$(runtime_runs "$prefix")" = 1
  # In the view of the runtime's setup, 32-bit or 64-bit as it was built.
  check "[$scope] and left its detection value" grep -qx 0x1 <<<"$(reg_value "$prefix" 'HKLM\Software\WOW6432Node\Hello Runtime' Installed; reg_value "$prefix" 'HKLM\Software\Hello Runtime' Installed)"
  check "[$scope] the result file says installed (3010) and restartNeeded" python3 -c 'import json,sys; r=json.load(open(sys.argv[1])); sys.exit(not (r["prerequisites"] == ["Hello Runtime: installed (3010)"] and r["restartNeeded"] is True))' "$prefix/drive_c/result.json"
  check "[$scope] the product's program is installed" files_in_folder "$prefix" Hello.exe
  check "[$scope] the runtime's setup is not installed with it" not files_in_folder "$prefix" redist
  check "[$scope] its AfterInstall step ran, and no AfterUpdate one ($(marks_of "$prefix"))" test "$(marks_of "$prefix")" = "1.0.0 "
  check "[$scope] the result file names the step and its code" grep -q 'Hello.exe\\" /register C:\\\\marks 1.0.0: 0"' "$prefix/drive_c/result.json"
  check "[$scope] the log shows the step's command line and code" grep -q 'Step ended with 0' "$prefix/drive_c/install.log"

  echo "== $scope: updated"
  quiet "$prefix" "$work/Setup-2.0.0.exe" '/Log:C:\update.log'; code=$?
  check "[$scope] version 2 installs (0, got $code)" test "$code" -eq 0
  check "[$scope] the runtime was found: its setup did not run again" test "$(runtime_runs "$prefix")" = 1
  check "[$scope] the log says it was found" grep -q 'Prerequisite Hello Runtime: found' "$prefix/drive_c/update.log"
  check "[$scope] its AfterInstall and AfterUpdate steps ran ($(marks_of "$prefix"))" test "$(marks_of "$prefix")" = "1.0.0 2.0.0 updated-to-2.0.0 "
  keep_as_template "$prefix"

  local failing said
  for failing in 3.0.0:'ended with 7, which is no success code' 4.0.0:'still running after 2 seconds: ended'; do
    said="${failing#*:}"; failing="${failing%%:*}"
    echo "== $scope: an update whose step fails ($failing)"
    local failed; failed="$(copy_prefix "$scope-$failing" "$prefix")"
    quiet "$failed" "$work/Setup-$failing.exe" '/Log:C:\failed.log'; code=$?
    check "[$scope] the update ends with 49 ($code)" test "$code" -eq 49
    check "[$scope] its log says why: $said" grep -q "Step $said" "$failed/drive_c/failed.log"
    check "[$scope] the step that had run was undone ($(marks_of "$failed"))" test "$(marks_of "$failed")" = "1.0.0 2.0.0 updated-to-2.0.0 "
    check "[$scope] version 2 is installed as before" test "$(reg_value "$failed" "$key" DisplayVersion)" = 2.0.0
    check "[$scope] its removal step is back in its entry" grep -q 'removing-2.0.0' <<<"$(reg_listing "$failed" "$key\\StepsList")"
    finish_prefix "$failed"; rm -rf "$failed"
  done

  echo "== $scope: removed"
  # A record names a program elsewhere (the user's entry is the user's to
  # write): the removal does not run it.
  local planted='C:\planted\Hello.exe' arguments='/register C:\marks planted'
  mkdir -p "$prefix/drive_c/planted"; cp "$work/app/Hello.exe" "$prefix/drive_c/planted/"
  "$run" "$prefix" reg add "$key\\StepsList" /v 2 /d "${#planted}:$planted${#arguments}:${arguments}6:hidden3:3001:0" /f >/dev/null 2>&1
  check "[$scope] the planted record is in the entry" grep -q 'planted' <<<"$(reg_listing "$prefix" "$key\\StepsList")"
  removal "$prefix" "$key"
  check "[$scope] the removal refused the program outside its folder" grep -q 'Step not run: "C:.planted.Hello.exe" is not inside' "$prefix/drive_c/removal.log"
  check "[$scope] the BeforeRemoval step ran and the registration was undone ($(marks_of "$prefix"))" test "$(marks_of "$prefix")" = "1.0.0 removing-2.0.0 updated-to-2.0.0 "
  check "[$scope] the entry is gone" reg_absent "$prefix" "$key"
  finish_prefix "$prefix"
}

# Killed once its steps ran, the installation is undone by the removal: the
# step's undo runs.
killed() { # machine|user
  local scope="$1" prefix switches=() pid="" launcher key="$entry"
  [ "$scope" = user ] && { switches=(/CurrentUser); key="$user_entry"; }
  prefix="$(copy_prefix "$scope-killed")"
  echo "== $scope: a prerequisite that fails"
  quiet "$prefix" "$work/Setup-5.0.0.exe" "${switches[@]}" '/Log:C:\broken.log'; code=$?
  check "[$scope] the setup ends with 51 ($code)" test "$code" -eq 51
  check "[$scope] its log names the prerequisite and its code ($(grep -h 'Prerequisite\|Failure' "$prefix/drive_c/broken.log" 2>&1 | cut -c26- | tr '\n' '|'))" \
    grep -q 'Prerequisite Broken Runtime: ended with 7' "$prefix/drive_c/broken.log"
  check "[$scope] nothing of the product is there: no entry" reg_absent "$prefix" "$key"
  check "[$scope] no install folder" not files_in_folder "$prefix" .
  echo "== $scope: killed after the steps ran"
  VORNSETUP_TEST_PAUSE=Registered VORNSETUP_TEST_PAUSE_FILE='C:\paused' \
    "$run" "$prefix" "$work/Setup-1.0.0.exe" /Quiet "${switches[@]}" >/dev/null 2>&1 </dev/null &
  launcher=$!
  wait_until 180 test -e "$prefix/drive_c/paused"
  check "[$scope] the step ran before the kill" test "$(marks_of "$prefix")" = "1.0.0 "
  [ -e "$prefix/drive_c/paused" ] && pid="$(python3 "$(dirname "$0")/setup_processes.py" "$prefix" Setup-1.0.0.exe)"
  check "[$scope] the setup was held and killed" test -n "$pid"
  [ -n "$pid" ] && kill -9 $pid # one or more
  wait "$launcher" 2>/dev/null
  WINEPREFIX="$prefix" wineserver -w; rm -f "$prefix/drive_c/paused"
  removal "$prefix" "$key"
  check "[$scope] the removal undid the installation first" grep -q 'Recovery .*interrupted at step 5: undone' "$prefix/drive_c/removal.log"
  check "[$scope] the step's undo ran: no mark is left ($(marks_of "$prefix"))" test -d "$prefix/drive_c/marks" -a -z "$(marks_of "$prefix")"
  finish_prefix "$prefix"; rm -rf "$prefix"
}

service_key='HKLM\System\CurrentControlSet\Services\HelloSync'
# What the service manager says of HelloSync: "RUNNING", "STOPPED", or
# "absent" when sc finds none and the manager's key of services lists none
# (Wine's sc says nothing of a missing service); else what sc said.
service_state() { # prefix
  local said
  said="$("$run" "$1" sc query HelloSync 2>&1 | tr -d '\r')"
  case "$said" in
    *"STATE"*": 4"*) echo RUNNING ;;
    *"STATE"*": 1"*) echo STOPPED ;;
    *) if [ -z "$said" ] && reg_absent "$1" "$service_key"; then echo absent; else echo "sc: $said"; fi ;;
  esac
}
hello_version() { reg_value "$1" "$entry" DisplayVersion; } # prefix

# A product with a service, for all users; per user it is refused.
services() { # machine|user
  local scope="$1" prefix code
  prefix="$(copy_prefix "$scope-services")"
  if [ "$scope" = user ]; then
    echo "== user: a product with a service"
    quiet "$prefix" "$work/Service-1.0.0.exe" /CurrentUser; code=$?
    check "[user] the setup refuses to install it per user (17, got $code)" test "$code" -eq 17
    check "[user] no entry was made" reg_absent "$prefix" "$user_entry"
    check "[user] no service was made" test "$(service_state "$prefix")" = absent
    finish_prefix "$prefix"; rm -rf "$prefix"
    return
  fi
  echo "== machine: a service installed"
  quiet "$prefix" "$work/Service-1.0.0.exe" '/Log:C:\service.log'
  check "[machine] version 1 is installed" test "$(hello_version "$prefix")" = 1.0.0
  check "[machine] the service runs, as sc query says" test "$(service_state "$prefix")" = RUNNING
  check "[machine] it ran its program" test -e "$prefix/drive_c/marks/service-ran"
  check "[machine] its program in quotes, with its arguments" test "$(reg_value "$prefix" "$service_key" ImagePath)" = '"C:\Program Files (x86)\VornDemo\Hello.exe" /service C:\marks'
  check "[machine] as LocalService" test "$(reg_value "$prefix" "$service_key" ObjectName)" = 'NT AUTHORITY\LocalService'
  check "[machine] started automatically" test "$(reg_value "$prefix" "$service_key" Start)" = 0x2
  check "[machine] with its description" test "$(reg_value "$prefix" "$service_key" Description)" = 'Keeps Hello in step'

  echo "== machine: a service updated"
  rm -f "$prefix/drive_c/marks/service-ran"
  quiet "$prefix" "$work/Service-2.0.0.exe" '/Log:C:\service-update.log'
  check "[machine] version 2 is installed" test "$(hello_version "$prefix")" = 2.0.0
  check "[machine] the service was stopped before the files were replaced" grep -q 'Service HelloSync stopped' "$prefix/drive_c/service-update.log"
  check "[machine] it runs again, as version 2 names it" test "$(service_state "$prefix"):$(reg_value "$prefix" "$service_key" DisplayName)" = 'RUNNING:Hello Sync 2'
  check "[machine] its program was started again" test -e "$prefix/drive_c/marks/service-ran"
  keep_as_template "$prefix"

  echo "== machine: an update with a service fails late"
  local failed; failed="$(copy_prefix machine-services-failed "$prefix")"
  quiet "$failed" "$work/Service-3.0.0.exe"; code=$?
  check "[machine] the update ends with 49 ($code)" test "$code" -eq 49
  check "[machine] version 2 is installed as before" test "$(hello_version "$failed")" = 2.0.0
  check "[machine] its service is back as it was, and runs" test "$(service_state "$failed"):$(reg_value "$failed" "$service_key" DisplayName)" = 'RUNNING:Hello Sync 2'
  finish_prefix "$failed"; rm -rf "$failed"

  echo "== machine: a service removed"
  removal "$prefix" "$entry"
  check "[machine] the service manager knows no HelloSync" test "$(service_state "$prefix")" = absent
  finish_prefix "$prefix"; rm -rf "$prefix"

  echo "== machine: killed after the service was made"
  local pid="" launcher
  prefix="$(copy_prefix machine-services-killed)"
  VORNSETUP_TEST_PAUSE=Registered VORNSETUP_TEST_PAUSE_FILE='C:\paused' \
    "$run" "$prefix" "$work/Service-1.0.0.exe" /Quiet >/dev/null 2>&1 </dev/null &
  launcher=$!
  wait_until 180 test -e "$prefix/drive_c/paused"
  check "[machine] the service ran before the kill" test "$(service_state "$prefix")" = RUNNING
  [ -e "$prefix/drive_c/paused" ] && pid="$(python3 "$(dirname "$0")/setup_processes.py" "$prefix" Service-1.0.0.exe)"
  check "[machine] the setup was held and killed" test -n "$pid"
  [ -n "$pid" ] && kill -9 $pid # one or more
  wait "$launcher" 2>/dev/null
  rm -f "$prefix/drive_c/paused"
  removal "$prefix" "$entry"
  check "[machine] the removal undid the installation: no service is left" test "$(service_state "$prefix")" = absent
  finish_prefix "$prefix"; rm -rf "$prefix"

  echo "== machine: a service that does not stop"
  prefix="$(copy_prefix machine-services-stubborn)"
  quiet "$prefix" "$work/Service-1.0.0-stubborn.exe"
  check "[machine] the stubborn service runs" test "$(service_state "$prefix")" = RUNNING
  quiet "$prefix" "$work/Service-2.0.0.exe" '/Log:C:\stubborn.log'; code=$?
  check "[machine] the update ends with 52 ($code)" test "$code" -eq 52
  check "[machine] its log says which service did not stop" grep -q 'Failure the service HelloSync has not stopped after 30 seconds' "$prefix/drive_c/stubborn.log"
  check "[machine] version 1 is installed as before, its service running" test "$(hello_version "$prefix"):$(service_state "$prefix")" = 1.0.0:RUNNING
  finish_prefix "$prefix"; rm -rf "$prefix"
}

both() { scenario "$1"; killed "$1"; services "$1"; } # machine|user
in_both_scopes both
finish_checks
