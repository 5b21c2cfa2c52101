#!/bin/bash
# programs-in-the-way-e2e.sh <VornPack> <VornSetup stub> <VornDemo.exe> <definitions> <wine-run> <work folder> <HoldWindow.exe> <HoldOpen.exe>
# An update while another program holds one of the installed files open
# without sharing. Version 1 carries a viewer (HoldWindow.c) that holds the
# help file and ends when its window is asked to close; version 2 changes the
# help file. Judged by the prefix: the viewer's process, the help file's
# bytes, the registry's pending renames, and the setup's log.
#   - quiet (closing by default): the viewer is closed, the file replaced, 0;
#   - "/NoCloseApplications": 27, nothing changed, the holder named;
#   - a holder without a window (HoldOpen.c): 3010, "restartNeeded" true, the
#     old file in place and its replacement in the pending renames until
#     Wine restarts (wineboot -r), the new file afterwards;
#   - the same with "/ForceRestart": 1641 (Wine's restart is a stub that
#     reports success: the restart itself is not seen here);
#   - a quiet removal meanwhile: 3010, the held file deleted at the restart.
# Wine's Restart Manager lists nobody: the viewer is found as a program
# running from the installation's folder.
# shellcheck source-path=SCRIPTDIR
# shellcheck disable=SC2016 # single quotes hold Windows paths
set -uo pipefail
# shellcheck disable=SC2034 # e2e-common.sh reads them
{ vornpack="$1"; stub="$2"; demo="$3"; definitions="$4"; run="$5"; work="$6"; viewer="$7"; holder="$8"; }
source "$(dirname "$0")/e2e-common.sh"

v1="$work/version-1"; v2="$work/version-2"
rm -rf "$v1" "$v2"; cp -a "$work/app" "$v1"; cp "$viewer" "$v1/Viewer.exe"
cp -a "$v1" "$v2"; printf 'VornDemo help, version 2\n' > "$v2/Help/Readme.txt"
definitions2="$work/definitions-2"; rm -rf "$definitions2"; cp -a "$definitions" "$definitions2"
sed -i 's/Name="VornDemo" Version="1.0.0"/Name="VornDemo" Version="2.0.0"/' "$definitions2/Configuration.xml"
make_setup "$v1" "$work/Setup1.exe"
"$vornpack" setup --app "$v2" --definitions "$definitions2" --stub "$stub" -o "$work/Setup2.exe" \
  >/dev/null || { echo "VornPack setup of version 2 failed"; exit 1; }

folder='C:\Program Files (x86)\VornDemo'
help_in() { echo "$1/drive_c/Program Files (x86)/VornDemo/Help/Readme.txt"; } # prefix
events_of() { tr -d '\r' <"$1" | cut -d' ' -f2-; } # log file: its lines without the time
pending_key='HKLM\System\CurrentControlSet\Control\Session Manager'
pending_of() { reg_value "$1" "$pending_key" PendingFileRenameOperations; } # prefix
# Every program of the prefix ends (HoldOpen too), then Wine restarts, doing
# the pending renames as Windows does at a restart.
restart_wine() { # prefix
  finish_prefix "$1"
  WINEPREFIX="$1" /usr/lib/wine/wine64 wineboot -r >/dev/null 2>&1 </dev/null
  WINEPREFIX="$1" wineserver -w
}
no_process() { test -z "$(prefix_processes "$1" "$2")"; } # prefix program
# Starts `program` holding the help file; true once it holds it.
hold_help() { # prefix program
  "$run" "$1" "$2" "$folder\\Help\\Readme.txt" 'C:\held.txt' >/dev/null 2>&1 </dev/null &
  wait_until 120 test -e "$1/drive_c/held.txt"
}
# Runs a program through a batch file and prints its exit code: a process's
# code reaches this script in eight bits, the batch file writes it whole
# (3010 is 194 here).
code_of() { # prefix name program arguments...
  local prefix="$1" name="$2" program="$3"; shift 3
  printf '@start "" /wait "%s" %s\r\n@echo %%ERRORLEVEL%%> C:\\%s.code\r\n' "$program" "$*" "$name" \
    > "$prefix/drive_c/$name.cmd"
  "$run" "$prefix" cmd /c "C:\\$name.cmd" >/dev/null 2>&1 </dev/null
  tr -d '\r\n ' < "$prefix/drive_c/$name.code" 2>/dev/null || echo none
}
update() { # prefix name switches...: version 2's setup, quiet, with a log and a result file
  code_of "$1" "$2" "Z:${work//\//\\}\\Setup2.exe" /Quiet "/Log:C:\\$2.log" "/ResultFile:C:\\$2.json" "${@:3}"
}

echo "== version 1 installed, with its viewer"
installed="$(fresh_prefix installed)"
"$run" "$installed" "$work/Setup1.exe" /Quiet >/dev/null 2>&1 </dev/null; code=$?
check "version 1 installs (0, got $code)" test "$code" = 0
check "its help file is version 1's" test "$(cat "$(help_in "$installed")")" = 'VornDemo help'
keep_as_template "$installed"

echo "== the viewer holds the help file: a quiet update closes it"
prefix="$(copy_prefix closed "$installed")"
check "the viewer holds the help file" hold_help "$prefix" "$folder\\Viewer.exe"
code="$(update "$prefix" closed)"
check "the update ends with 0 (got $code)" test "$code" = 0
check "the viewer's process is gone" wait_until 60 no_process "$prefix" Viewer.exe
check "the help file is version 2's" test "$(cat "$(help_in "$prefix")")" = 'VornDemo help, version 2'
events="$(events_of "$prefix/drive_c/closed.log")"
check "the log says the viewer was asked to close" \
  grep -qE '^ProgramInTheWay ".*\\VornDemo\\Viewer\.exe" \(process [0-9]+\) asked to close$' <<<"$events"
check "and that it closed" grep -qE '^ProgramInTheWay ".*\\Viewer\.exe" \(process [0-9]+\) closed$' <<<"$events"
check "the result file says no restart is needed" test "$(result_of "$prefix/drive_c/closed.json" restartNeeded)" = False
check "no rename waits for a restart" reg_absent "$prefix" "$pending_key" PendingFileRenameOperations
finish_prefix "$prefix"

echo "== /NoCloseApplications: refused, the viewer named"
prefix="$(copy_prefix refused "$installed")"
check "the viewer holds the help file" hold_help "$prefix" "$folder\\Viewer.exe"
before="$(snapshot "$prefix")"
code="$(update "$prefix" refused /NoCloseApplications)"
check "the update ends with 27 (got $code)" test "$code" = 27
check "the viewer still runs" not no_process "$prefix" Viewer.exe
check "the help file is version 1's" test "$(cat "$(help_in "$prefix")")" = 'VornDemo help'
check "the files are as before (the log and result file aside)" \
  test "$before" = "$(snapshot "$prefix" | grep -v '^\./refused\.')"
check "the log names the file and its holder" grep -qE \
  '^Failure replacing ".*\\Help\\Readme\.txt": error 32 \(.*held by ".*\\Viewer\.exe" \(process [0-9]+\)' \
  <(events_of "$prefix/drive_c/refused.log")
check "no rename waits for a restart" reg_absent "$prefix" "$pending_key" PendingFileRenameOperations
finish_prefix "$prefix"

# HoldOpen, which has no window to close, holds the help file while version
# 2's setup runs with `switches`: the new file waits beside it for the
# restart. Leaves `prefix` set.
held_until_restart() { # name expected-code switches...
  local name="$1" expected="$2" code
  shift 2
  prefix="$(copy_prefix "$name" "$installed")"
  check "HoldOpen holds the help file" hold_help "$prefix" "$holder"
  code="$(update "$prefix" "$name" "$@")"
  check "the update ends with $expected (got $code)" test "$code" = "$expected"
  check "the result file says a restart is needed" test "$(result_of "$prefix/drive_c/$name.json" restartNeeded)" = True
  check "the help file is still version 1's" test "$(cat "$(help_in "$prefix")")" = 'VornDemo help'
  check "version 2's waits beside it" \
    test "$(cat "$(help_in "$prefix").VornLib-partial")" = 'VornDemo help, version 2'
  check "the pending renames put it over the help file" \
    grep -qi 'Help\\Readme.txt.VornLib-partial.*Help\\Readme.txt' <<<"$(pending_of "$prefix")"
}

echo "== a holder without a window: replaced at the next restart"
held_until_restart restart 3010
check "the log says the file changes at the next restart" grep -qF \
  'ProgramInTheWay C:\Program Files (x86)\VornDemo\Help\Readme.txt is replaced at the next restart' \
  <(events_of "$prefix/drive_c/restart.log")
check "the entry is version 2's" test "$(reg_value "$prefix" "$entry" DisplayVersion)" = 2.0.0
restart_wine "$prefix"
check "after the restart the help file is version 2's" test "$(cat "$(help_in "$prefix")")" = 'VornDemo help, version 2'
check "nothing waits beside it" test ! -e "$(help_in "$prefix").VornLib-partial"
check "no rename waits any longer" reg_absent "$prefix" "$pending_key" PendingFileRenameOperations
finish_prefix "$prefix"

echo "== /ForceRestart: Windows is asked to restart"
held_until_restart force 1641 /ForceRestart
check "the log says Windows restarts" grep -qxF 'ProgramInTheWay Windows restarts in a minute to finish' \
  <(events_of "$prefix/drive_c/force.log")
finish_prefix "$prefix"

echo "== a quiet removal while HoldOpen holds the help file"
prefix="$(copy_prefix removal "$installed")"
check "HoldOpen holds the help file" hold_help "$prefix" "$holder"
code="$(code_of "$prefix" removal "$folder\\VornDemo.exe" /Uninstall /Quiet '/Log:C:\removal.log')"
check "the removal ends with 3010 (got $code)" test "$code" = 3010
wait_for_batch_file "$prefix"
check "the entry is gone" reg_absent "$prefix" "$entry"
check "the program is gone" test ! -e "$prefix/drive_c/Program Files (x86)/VornDemo/VornDemo.exe"
check "the help file is still there" test -e "$(help_in "$prefix")"
check "the pending renames delete it" grep -qi 'Help\\Readme.txt' <<<"$(pending_of "$prefix")"
check "the log says so" grep -qF \
  'ProgramInTheWay C:\Program Files (x86)\VornDemo\Help\Readme.txt is deleted at the next restart' \
  <(events_of "$prefix/drive_c/removal.log")
restart_wine "$prefix"
check "after the restart the help file is gone" test ! -e "$(help_in "$prefix")"
check "no rename waits any longer" reg_absent "$prefix" "$pending_key" PendingFileRenameOperations
finish_prefix "$prefix"

finish_checks
