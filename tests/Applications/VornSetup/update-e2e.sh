#!/bin/bash
# update-e2e.sh <VornPack> <VornSetup stub> <VornDemo.exe> <definitions> <wine-run> <work folder> <WindowDriver.exe> <HoldOpen.exe> [<screenshot folder>]
# Updates that do not go through, over a real earlier installation: version 1
# installed once (its prefix copied for each scenario), then a setup of
# version 2 (a file changed, one added, one removed) cancelled in the wizard
# at three moments, failing in the wizard on a file held open, meeting a full
# drive and a damaged payload entry, and killed (kill -9 of the elevated
# setup) at each step of the update, held there by the worker's test hook.
# The quiet scenarios run in two lanes beside the wizard's. Judged by the prefix, not
# by the setup's report: version 1's files (bytes, dates, attributes), its
# entry with its lists, its shortcuts and its file type exactly as before and
# its program starting; or, for the kills past the copy, a quiet run of either
# setup leaving exactly a clean installation of its own version. A successful
# update is compared with a clean installation of version 2. Each kill is
# also followed, on a copy of its prefix, by a quiet removal as a user starts
# it (the entry's command, or the program in the folder where the update had
# taken the entry away), which leaves nothing of either version and no
# record; once per user too.
# shellcheck source-path=SCRIPTDIR
# shellcheck disable=SC2016 # single quotes hold Windows paths
set -uo pipefail
# shellcheck disable=SC2034 # e2e-common.sh and wizard-common.sh read them
{ vornpack="$1"; stub="$2"; demo="$3"; definitions="$4"; run="$5"; work="$6"; driver="$7"; helper="$8"; }
shots="${9:-$6/screenshots}"
source "$(dirname "$0")/../../../scripts/lib.sh"
start_xvfb
source "$(dirname "$0")/e2e-common.sh"
mkdir -p "$shots"
source "$(dirname "$0")/wizard-common.sh"

# Version 1: the demo, a file that version 2 changes (read-only, as a user
# may have made it), one it keeps and one it drops. Version 2 adds a file.
v1="$work/version-1"; v2="$work/version-2"
rm -rf "$v1" "$v2"; cp -a "$work/app" "$v1"; mkdir -p "$v1/Data"
printf 'kept by version 2\n' > "$v1/Data/Kept.txt"; touch -d '2022-02-02 02:02:02 UTC' "$v1/Data/Kept.txt"
printf 'dropped by version 2\n' > "$v1/Data/Dropped.txt"; touch -d '2021-01-01 01:01:01 UTC' "$v1/Data/Dropped.txt"
cp -a "$v1" "$v2"; rm "$v2/Data/Dropped.txt"
printf 'VornDemo help, version 2\n' > "$v2/Help/Readme.txt"; touch -d '2024-04-04 04:04:04 UTC' "$v2/Help/Readme.txt"
# Large enough to fill the small drive below; zeros pack small and fast.
head -c 10485760 /dev/zero > "$v2/Data/Added.bin"; touch -d '2024-04-05 05:05:05 UTC' "$v2/Data/Added.bin"
definitions2="$work/definitions-2"; rm -rf "$definitions2"; cp -a "$definitions" "$definitions2"
sed -i 's/Name="VornDemo" Version="1.0.0"/Name="VornDemo" Version="2.0.0"/' "$definitions2/Configuration.xml"
make_setup "$v1" "$work/Setup1.exe"
"$vornpack" setup --app "$v2" --definitions "$definitions2" --stub "$stub" -o "$work/Setup2.exe" \
  >/dev/null || { echo "VornPack setup of version 2 failed"; exit 1; }
setup_of() { local prefix="$1" file="$2"; shift 2; "$run" "$prefix" "$file" "$@" >/dev/null 2>&1 </dev/null; }

folder_in() { echo "$1/drive_c/Program Files (x86)/VornDemo"; }
# What an installation is, as its user and the system see it: its folders and
# files (size, date, mode, bytes), the shortcuts in its group, on the desktop
# and in Quick Launch, and the registry keys and values that name it (the
# entry with its lists, the file type, the protocol, App Paths, its own
# settings). With `clean`, what two equal installations made at different
# times differ in is left out: the shortcuts' bytes and dates, the date.
world() { # prefix install-folder [clean]
  python3 - "$1/drive_c" "$2" "${3:-}" <<'PY'
import hashlib, os, sys
root, folder, clean = sys.argv[1:4]
places = [folder, f"{root}/ProgramData/Microsoft/Windows/Start Menu/Programs/VornDemo"]
for user in sorted(os.listdir(f"{root}/users")):
    places += [f"{root}/users/{user}/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/VornDemo",
               f"{root}/users/{user}/Desktop",
               f"{root}/users/{user}/AppData/Roaming/Microsoft/Internet Explorer/Quick Launch"]
for place in places:
    for base, folders, files in os.walk(place):
        folders.sort()
        print(os.path.relpath(base, root) + "/")
        for name in sorted(files):
            path = os.path.join(base, name)
            line = os.path.relpath(path, root)
            if not (clean and name.endswith(".lnk")):
                status = os.lstat(path)
                with open(path, "rb") as data:
                    digest = hashlib.md5(data.read()).hexdigest()
                line += f" {status.st_size} {status.st_mtime_ns} {status.st_mode & 0o777:o} {digest}"
            print(line)
PY
  registry_of "$1" | grep -i 'VornDemo\|7E3F2A91\|\.vdm' | if [ -n "${3:-}" ]; then grep -v '"InstallDate"'; else cat; fi
}
# What the update may leave beside version 1 until the next setup: its files
# under partial names and its record in the registry.
without_leftovers() { grep -v '\.VornLib-partial \|VornLib\\\\Updates'; }
starts() { # prefix [folder]: version 1's VornDemo starts, and ends with 0
  local program="${2:-C:\\Program Files (x86)\\VornDemo}\\VornDemo.exe"
  "$run" "$1" "$program" /DemoSeconds:0 >/dev/null 2>&1 </dev/null
}
# Version 1 exactly as before (its program, once started, keeps its window's
# place among its settings: that comes last).
version_1_intact() { # prefix [install folder]
  local now; now="$(world "$1" "${2:-$(folder_in "$1")}")"
  check "version 1's files, entry, lists, shortcuts and file type are as before" \
    test "$v1_world" = "$(without_leftovers <<<"$now")"
  [ "$v1_world" = "$(without_leftovers <<<"$now")" ] || diff <(echo "$v1_world") <(without_leftovers <<<"$now") | head -20
}
clean_as() { # prefix reference-world version
  local now; now="$(world "$1" "$(folder_in "$1")" clean)"
  check "exactly a clean installation of version $3" test "$2" = "$now"
  [ "$2" = "$now" ] || diff <(echo "$2") <(echo "$now") | head -20
}

# Scenarios side by side, on prefixes of their own: a lane runs its
# scenarios one after the other in the background, on an X display of its own
# (the wizard's screenshots show only the wizard), and its check lines and
# counts join this script's when `collect` waits for it.
lanes=()
# shellcheck disable=SC2030 # a lane counts its own checks; collect adds them here
lane() { # name scenario-command...
  local name="$1"; shift
  (
    checks=0; failures=0; skipped=0
    unset VORN_XVFB_PID; start_xvfb
    for scenario in "$@"; do eval "$scenario"; done
    echo "$checks $failures $skipped" > "$work/$name.counts"
  ) > "$work/$name.log" 2>&1 &
  lanes+=("$name $!")
}
# shellcheck disable=SC2031 # the lanes' counts come back through their files
collect() {
  local entry name pid counted failed skips
  for entry in "${lanes[@]}"; do
    read -r name pid <<<"$entry"
    wait "$pid"
    cat "$work/$name.log"
    if read -r counted failed skips < "$work/$name.counts" 2>/dev/null; then
      checks=$((checks + counted)); failures=$((failures + failed)); skipped=$((skipped + skips))
    else
      check "the lane $name ran to its end" false
    fi
    rm -f "$work/$name.log" "$work/$name.counts"
  done
  lanes=()
}
# A scenario's prefix goes once its checks (and those before it in its lane)
# passed; a failure keeps it to look at.
done_with() { finish_prefix "$1"; [ "$failures" -eq 0 ] && rm -rf "$1"; } # prefix

echo "== clean installations of both versions, for comparison"
install_clean_2() {
  local prefix code; prefix="$(copy_prefix clean-2)"
  setup_of "$prefix" "$work/Setup2.exe" /Quiet; code=$?
  check "version 2 installs (0, got $code)" test "$code" -eq 0
  world "$prefix" "$(folder_in "$prefix")" clean > "$work/clean-2.world"
  done_with "$prefix"
}
lane clean-2 install_clean_2
v1prefix="$(copy_prefix installed-1)"
setup_of "$v1prefix" "$work/Setup1.exe" /Quiet; code=$?
check "version 1 installs (0, got $code)" test "$code" -eq 0
clean_1="$(world "$v1prefix" "$(folder_in "$v1prefix")" clean)"
check "its file type is registered" grep -q 'VornDemo.vdm' <<<"$clean_1"
check "it has shortcuts" grep -q '\.lnk$' <<<"$clean_1"
"$run" "$v1prefix" cmd /c attrib +r 'C:\Program Files (x86)\VornDemo\Help\Readme.txt' >/dev/null 2>&1
v1_world="$(world "$v1prefix" "$(folder_in "$v1prefix")")"
check "a file of version 1 is read-only" grep -q 'Help/Readme.txt [0-9]* [0-9]* 444 ' <<<"$v1_world"
keep_as_template "$v1prefix"
collect
clean_2="$(cat "$work/clean-2.world")"

pause_file() { echo "$1/drive_c/paused"; }
# Version 2's setup, quiet, held at `point` by the worker's test hook and
# killed there.
kill_at() { # prefix point [switches...]
  local prefix="$1" point="$2" launcher pid=""
  shift 2
  rm -f "$(pause_file "$prefix")"
  VORNSETUP_TEST_PAUSE="$point" VORNSETUP_TEST_PAUSE_FILE='C:\paused' \
    "$run" "$prefix" "$work/Setup2.exe" /Quiet "$@" >/dev/null 2>&1 </dev/null &
  launcher=$!
  wait_until 180 test -e "$(pause_file "$prefix")"
  [ -e "$(pause_file "$prefix")" ] && pid="$(python3 "$(dirname "$0")/setup_processes.py" "$prefix" Setup2.exe)"
  [ -n "$pid" ] && kill -9 $pid
  wait "$launcher" 2>/dev/null
  WINEPREFIX="$prefix" wineserver -w
  rm -f "$(pause_file "$prefix")"
  [ -n "$pid" ]
}
machine_uninstall='HKLM\Software\WOW6432Node\Microsoft\Windows\CurrentVersion\Uninstall'
user_uninstall='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall'
uuid_key='{7E3F2A91-5C4B-4D8E-9F10-2B3C4D5E6F70}'
# A quiet removal of a killed update, on a copy of its prefix, started as a
# user starts it: the entry's command where there is an entry (version 1's
# or 2's), else the program in the install folder. It finishes (after the
# commit point) or undoes the update first, then removes what the entry
# lists: afterwards no file of either version, none beside their places, no
# entry, no record, no shortcut, no registration, and an exit code of 0.
removed_after_kill() { # killed-prefix point step finished|undone [user]
  local point="$2" step="$3" how="$4" scope="${5:-machine}" prefix program uninstall code folder group
  local uninstall_list="$machine_uninstall" software='HKLM\Software\WOW6432Node' hive=HKLM
  prefix="$(copy_prefix "remove-$point-$scope" "$1")"
  program='C:\Program Files (x86)\VornDemo\VornDemo.exe'; folder="$(folder_in "$prefix")"
  group="$prefix/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs"
  if [ "$scope" = user ]; then
    uninstall_list="$user_uninstall" software='HKCU\Software' hive=HKCU
    folder="$(echo "$prefix"/drive_c/users/*/AppData/Local/Programs/VornDemo)"
    group="$(dirname "$(dirname "$(dirname "$folder")")")/Roaming/Microsoft/Windows/Start Menu/Programs"
    program="C:\\users\\$(basename "$(dirname "$(dirname "$(dirname "$(dirname "$folder")")")")")\\AppData\\Local\\Programs\\VornDemo\\VornDemo.exe"
  fi
  echo "-- killed at $point, then removed ($scope)"
  uninstall="$(reg_value "$prefix" "$uninstall_list\\$uuid_key" UninstallString)"
  case "$point" in
    PreviousRemoved | FilesInPlace) check "no entry: the update had taken it away" reg_absent "$prefix" "$uninstall_list\\$uuid_key" ;;
    *) check "the entry names the removal" test "$uninstall" = "\"$program\" /Uninstall" ;;
  esac
  "$run" "$prefix" "$program" /Uninstall /Quiet '/Log:C:\removal.log' >/dev/null 2>&1 </dev/null; code=$?
  check "the removal ends with 0 (got $code)" test "$code" -eq 0
  check "its batch file ran" wait_for_batch_file "$prefix"
  check "the log says the update was $how first" \
    grep -q "Recovery $scope installation interrupted at step $step: $how" "$prefix/drive_c/removal.log"
  # Version 2's program, which runs the removal, stood where version 1's goes back.
  case "$point" in FilesInPlace | Registered)
    check "the running program was renamed out of the way" \
      grep -qF "VornDemo.exe runs: renamed to $program.VornLib-removing" "$prefix/drive_c/removal.log" ;;
  esac
  check "the log names the entry's key in $hive" grep -qF "Remove $hive\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$uuid_key" "$prefix/drive_c/removal.log"
  check "the install folder is gone" bash -c 'test -d "$(dirname "$0")" && test ! -e "$0"' "$folder"
  check "the program group is gone" bash -c 'test -d "$0" && test ! -e "$0/VornDemo"' "$group"
  check "no file beside its place is left" bash -c 'left="$(find "$0" -path "$0/windows" -prune -o -name "*.VornLib-*" -print)" && test -z "$left"' "$prefix/drive_c"
  check "no entry is left" reg_absent "$prefix" "$uninstall_list\\$uuid_key"
  check "no record is left (the framework's key goes with the last)" reg_absent "$prefix" "$software\\VornLib"
  local left; left="$(world "$prefix" "$folder" | grep -v '/$')"
  check "no file, shortcut or registration of VornDemo is left" test -z "$left"
  [ -z "$left" ] || head -20 <<<"$left"
  done_with "$prefix"
}
# Killed up to the previous version's removal, the setup leaves version 1
# working, with the new files beside it under partial names.
killed_before_removal() { # point
  local point="$1" prefix left code
  echo "-- killed at $point: version 1 stays"
  prefix="$(copy_prefix "kill-$point" "$v1prefix")"
  check "the setup was held and killed at $point" kill_at "$prefix" "$point"
  removed_after_kill "$prefix" "$point" 1 undone
  left="$(world "$prefix" "$(folder_in "$prefix")" | grep -c '\.VornLib-partial ')"
  [ "$point" = BeforeCopy ] && check "no file was written" test "$left" -eq 0
  [ "$point" != BeforeCopy ] && check "version 2's files wait beside it ($left)" test "$left" -gt 0
  version_1_intact "$prefix"
  if [ "$point" = DuringCopy ]; then
    setup_of "$prefix" "$work/Setup1.exe" /Quiet; code=$?
    check "version 1's setup then runs (0, got $code)" test "$code" -eq 0
    clean_as "$prefix" "$clean_1" 1
  fi
  check "version 1's VornDemo starts" starts "$prefix"
  done_with "$prefix"
}
# Killed later, the next setup of either version first puts version 1 back
# (before the commit point) or finishes version 2 (after it), then installs.
killed_after_removal() { # point version step-it-reached
  local point="$1" version="$2" step="$3" prefix code
  echo "-- killed at $point: version $version's setup repairs"
  prefix="$(copy_prefix "kill-$point" "$v1prefix")"
  check "the setup was held and killed at $point" kill_at "$prefix" "$point"
  removed_after_kill "$prefix" "$point" "$step" "$( [ "$step" = 6 ] && echo finished || echo undone)"
  setup_of "$prefix" "$work/Setup$version.exe" /Quiet; code=$?
  check "version $version's setup then runs (0, got $code)" test "$code" -eq 0
  [ "$version" = 1 ] && clean_as "$prefix" "$clean_1" 1
  [ "$version" = 2 ] && clean_as "$prefix" "$clean_2" 2
  done_with "$prefix"
}

# Per user: version 1 for the current user alone, the update killed with
# its files in place (version 1 aside, no entry), then removed.
removed_per_user() {
  local prefix code
  echo "-- per user: killed at FilesInPlace"
  prefix="$(copy_prefix user-installed)"
  setup_of "$prefix" "$work/Setup1.exe" /Quiet /CurrentUser; code=$?
  check "version 1 installs for the current user (0, got $code)" test "$code" -eq 0
  check "the setup was held and killed at FilesInPlace" kill_at "$prefix" FilesInPlace /CurrentUser
  removed_after_kill "$prefix" FilesInPlace 4 undone user
  done_with "$prefix"
}

# Per user: the update killed after the previous version's removal, then
# version 2's setup run again: it finishes in the user's places alone.
repaired_per_user() {
  local prefix code folder
  echo "-- per user: killed at Registered, version 2's setup repairs"
  prefix="$(copy_prefix user-repaired)"
  setup_of "$prefix" "$work/Setup1.exe" /Quiet /CurrentUser; code=$?
  check "version 1 installs for the current user (0, got $code)" test "$code" -eq 0
  check "the setup was held and killed at Registered" kill_at "$prefix" Registered /CurrentUser
  setup_of "$prefix" "$work/Setup2.exe" /Quiet; code=$?
  check "version 2's setup then runs (0, got $code)" test "$code" -eq 0
  folder="$(echo "$prefix"/drive_c/users/*/AppData/Local/Programs/VornDemo)"
  check "the user's folder holds version 2's files exactly" diff -r -x VornLib.Setup.exe "$v2" "$folder"
  check "and version 2's setup, kept for a repair" cmp -s "$work/Setup2.exe" "$folder/VornLib.Setup.exe"
  check "the user's entry says 2.0.0" test "$(reg_value "$prefix" "$user_uninstall\\$uuid_key" DisplayVersion)" = 2.0.0
  check "no file beside its place is left" bash -c 'left="$(find "$0" -path "$0/windows" -prune -o -name "*.VornLib-*" -print)" && test -z "$left"' "$prefix/drive_c"
  check "no record is left in the user's hive" reg_absent "$prefix" 'HKCU\Software\VornLib'
  check "no entry under HKEY_LOCAL_MACHINE" reg_absent "$prefix" "$machine_uninstall\\$uuid_key" DisplayName
  check "nothing went to Program Files" test ! -e "$(folder_in "$prefix")"
  done_with "$prefix"
}

full_drive() {
  echo "-- a drive that fills up during the copy"
  local prefix code before drive_d="$work/drive-d" mount_error
  prefix="$(copy_prefix full)"
  mkdir -p "$drive_d"
  if mount_error="$(mount -t tmpfs -o size=12m vorn-update "$drive_d" 2>&1)"; then
    ln -sfn "$drive_d" "$prefix/dosdevices/d:"
    setup_of "$prefix" "$work/Setup1.exe" /Quiet '/InstallFolder:D:\VornDemo'; code=$?
    check "version 1 installs on the small drive (0, got $code)" test "$code" -eq 0
    before="$(world "$prefix" "$drive_d/VornDemo")"
    setup_of "$prefix" "$work/Setup2.exe" /Quiet; code=$?
    check "version 2 ends with 13 (disk full, got $code)" test "$code" -eq 13
    v1_world="$before" version_1_intact "$prefix" "$drive_d/VornDemo"
    check "version 1's VornDemo starts" starts "$prefix" 'D:\VornDemo'
    check "nothing of version 2 is left on the drive" test -z "$(find "$drive_d" -name '*.VornLib-*')"
    finish_prefix "$prefix"
    umount "$drive_d"
  else
    skip_check "a drive that fills up during the copy" "mount -t tmpfs refused: $mount_error"
  fi
  rmdir "$drive_d" 2>/dev/null
  done_with "$prefix"
}

damaged_payload() {
  echo "-- a damaged entry in the middle of version 2's payload"
  local prefix offset packed code
  prefix="$(copy_prefix damaged "$v1prefix")"
  # The program's packed bytes (its entry's offset and packed size, from the
  # listing), halfway: the payload follows the stub.
  read -r offset packed < <("$vornpack" list "$work/Setup2.exe" |
    awk -v size="$(stat -c %s "$work/version-2/VornDemo.exe")" '$5 == size { print $2, $4; exit }')
  cp "$work/Setup2.exe" "$work/Damaged2.exe"
  printf '\377\000\377\000\377\000\377\000' |
    dd of="$work/Damaged2.exe" bs=1 seek=$(( $(stat -c %s "$stub") + offset + packed / 2 )) conv=notrunc 2>/dev/null
  setup_of "$prefix" "$work/Damaged2.exe" /Quiet; code=$?
  check "version 2 ends with 22 (the setup is damaged, got $code)" test "$code" -eq 22
  version_1_intact "$prefix"
  check "version 1's VornDemo starts" starts "$prefix"
  done_with "$prefix"
}

updated() {
  echo "-- an update that goes through"
  local prefix code
  prefix="$(copy_prefix updated "$v1prefix")"
  setup_of "$prefix" "$work/Setup2.exe" /Quiet; code=$?
  check "version 2 installs over version 1 (0, got $code)" test "$code" -eq 0
  clean_as "$prefix" "$clean_2" 2
  check "the dropped file is gone" test ! -e "$(folder_in "$prefix")/Data/Dropped.txt"
  # Version 1 again, with nobody to see it: refused, unless allowed.
  local before; before="$(world "$prefix" "$(folder_in "$prefix")")"
  "$run" "$prefix" "$work/Setup1.exe" /Quiet >/dev/null 2>"$prefix/said.txt" </dev/null; code=$?
  check "version 1 quietly over version 2 ends with 44 (got $code)" test "$code" -eq 44
  check "its line names both versions" grep -q "VornDemo 2.0.0 is installed, newer than this setup's 1.0.0" "$prefix/said.txt"
  check "version 2 stays exactly as it was" test "$before" = "$(world "$prefix" "$(folder_in "$prefix")")"
  setup_of "$prefix" "$work/Setup1.exe" /Quiet /AllowDowngrade; code=$?
  check "with /AllowDowngrade version 1 takes its place (0, got $code)" test "$code" -eq 0
  clean_as "$prefix" "$clean_1" 1
  done_with "$prefix"
}

# The quiet scenarios in two lanes, while the wizard is cancelled here.
lane kills-1 'killed_before_removal BeforeCopy' 'killed_before_removal DuringCopy' \
  'killed_before_removal AfterCopy' 'killed_after_removal PreviousRemoved 2 2' full_drive \
  removed_per_user
lane kills-2 'killed_after_removal FilesInPlace 1 4' 'killed_after_removal Registered 1 5' \
  'killed_after_removal Committed 2 6' damaged_payload updated repaired_per_user

echo "== cancelled in the wizard"
question="$title - Cancel installation"
# Version 2's wizard over the installation in `folder`, held at `point` and
# cancelled there: version 1 stays exactly as `v1_world` says.
cancelled_at() { # prefix point install-folder windows-install-folder
  local prefix="$1" point="$2" shown code
  rm -f "$(pause_file "$prefix")"
  VORNSETUP_TEST_PAUSE="$point" VORNSETUP_TEST_PAUSE_FILE='C:\paused' start_setup_of "$prefix" "$work/Setup2.exe"
  wait_for_text "$prefix" "$title" 'Welcome to the VornDemo Setup Wizard' >/dev/null
  drive "$prefix" "$title" --click Install >/dev/null
  wait_until 180 test -e "$(pause_file "$prefix")"
  check "the update reached $point" test -e "$(pause_file "$prefix")"
  drive "$prefix" "$title" --close --window "$question" >/dev/null; code=$?
  check "closing the wizard asks \"$question\" ($code)" test "$code" -eq 0
  shown="$(drive "$prefix" "$question" --timeout 5 --controls)"
  check "the question says that the installed version stays" \
    grep -qF 'If you cancel now, VornDemo will not be updated: your installed version stays as it is.' <<<"$shown"
  [ "$point" = DuringCopy ] && { sleep 1; shot update-cancel-question; }
  drive "$prefix" "$question" --click Yes >/dev/null
  rm -f "$(pause_file "$prefix")"
  shown="$(wait_for_text "$prefix" "$title" 'Installation cancelled' 120)"
  check "the cancelled page says so" shows "$shown" 'The update was cancelled. Your installed version stays as it is.'
  [ "$point" = Registered ] && shot update-cancelled
  drive "$prefix" "$title" --click Close >/dev/null
  exit_code_of "$setup_pid" 30; code=$?
  check "Close ends the launcher with 8, cancelled ($code)" test "$code" -eq 8
  WINEPREFIX="$prefix" wineserver -w
  check "nothing of version 2 is left" test -z "$(world "$prefix" "$3" | grep 'VornLib-partial\|VornLib-previous\|VornLib\\\\Updates')"
  version_1_intact "$prefix" "$3"
  check "version 1's VornDemo starts" starts "$prefix" "$4"
}
for point in BeforeCopy DuringCopy Registered; do
  echo "-- at $point"
  prefix="$(copy_prefix "cancel-$point" "$v1prefix")"
  cancelled_at "$prefix" "$point" "$(folder_in "$prefix")" 'C:\Program Files (x86)\VornDemo'
  end_scenario "$prefix"
done
echo "-- per user, at DuringCopy"
prefix="$(copy_prefix cancel-user)"
setup_of "$prefix" "$work/Setup1.exe" /Quiet /CurrentUser; code=$?
check "version 1 installs for the current user (0, got $code)" test "$code" -eq 0
user_folder="$(echo "$prefix"/drive_c/users/*/AppData/Local/Programs/VornDemo)"
user_name="${user_folder#"$prefix"/drive_c/users/}"; user_name="${user_name%%/*}"
v1_user_world="$(world "$prefix" "$user_folder")"
check "its group is in the user's start menu" grep -q 'Roaming/Microsoft/Windows/Start Menu/Programs/VornDemo/VornDemo.lnk ' <<<"$v1_user_world"
v1_world="$v1_user_world" cancelled_at "$prefix" DuringCopy "$user_folder" "C:\\users\\$user_name\\AppData\\Local\\Programs\\VornDemo"
check "no entry under HKEY_LOCAL_MACHINE" reg_absent "$prefix" "$machine_uninstall\\$uuid_key" DisplayName
check "no record in all users' hive" reg_absent "$prefix" 'HKLM\Software\WOW6432Node\VornLib'
end_scenario "$prefix"

echo "-- at once after Install"
prefix="$(copy_prefix cancel-at-once "$v1prefix")"
start_setup_of "$prefix" "$work/Setup2.exe"
wait_for_text "$prefix" "$title" 'Welcome to the VornDemo Setup Wizard' >/dev/null
drive "$prefix" "$title" --click Install --close >/dev/null
# Closed before the worker began, the wizard goes at once; once it has begun,
# the wizard asks. Either way version 1 stays. Which of the two happened is
# known once the setup has ended or the question is on show.
asked=false
for _ in $(seq 1 120); do
  kill -0 "$setup_pid" 2>/dev/null || break
  drive "$prefix" "$question" --timeout 1 --click Yes >/dev/null && { asked=true; break; }
done
if $asked; then
  echo "  (the worker had begun: asked)"
  shown="$(wait_for_text "$prefix" "$title" 'Installation cancelled' 120)"
  check "the cancelled page says so" shows "$shown" 'The update was cancelled. Your installed version stays as it is.'
  drive "$prefix" "$title" --click Close >/dev/null
fi
exit_code_of "$setup_pid" 30; code=$?
check "the launcher ends with 8, cancelled ($code)" test "$code" -eq 8
WINEPREFIX="$prefix" wineserver -w
check "nothing of version 2 is left" test -z "$(world "$prefix" "$(folder_in "$prefix")" | grep 'VornLib-partial\|VornLib-previous\|VornLib\\\\Updates')"
version_1_intact "$prefix"
check "version 1's VornDemo starts" starts "$prefix"
end_scenario "$prefix"

echo "== a file of version 1 held open by another program, in the wizard"
prefix="$(copy_prefix held "$v1prefix")"
"$run" "$prefix" "$helper" 'C:\Program Files (x86)\VornDemo\Data\Kept.txt' 'C:\held.txt' >/dev/null 2>&1 </dev/null &
holder=$!
wait_until 120 test -e "$prefix/drive_c/held.txt"
check "the helper holds the file (HoldOpen started)" test -e "$prefix/drive_c/held.txt"
rm -f "$prefix/drive_c/held.txt"
start_setup_of "$prefix" "$work/Setup2.exe"
wait_for_text "$prefix" "$title" 'Welcome to the VornDemo Setup Wizard' >/dev/null
drive "$prefix" "$title" --click Install >/dev/null
shown="$(wait_for_text "$prefix" "$title" 'Installation failed' 120)"
check "the failure page says that the installed version stays" grep -qF \
  'then try again. Your installed version stays as it is.' <<<"$shown"
shot update-failed
drive "$prefix" "$title" --click Close >/dev/null
exit_code_of "$setup_pid" 30; code=$?
check "version 2 ends with 27 (in use, got $code)" test "$code" -eq 27
kill "$holder" 2>/dev/null; wait "$holder" 2>/dev/null
WINEPREFIX="$prefix" wineserver -w
version_1_intact "$prefix"
check "version 1's VornDemo starts" starts "$prefix"
end_scenario "$prefix"

echo "== the welcome page names the installed version and this setup's"
# Version 2's wizard over version 1 says it updates it; once version 2 is in
# place, version 1's says it replaces it with an older one.
welcome_names_versions() { # prefix setup sentence screenshot
  local shown
  start_setup_of "$1" "$2"
  shown="$(wait_for_text "$1" "$title" "$3" 60)"
  check "the welcome page says \"$3\"" shows "$shown" "$3"
  check "under its welcome title" shows "$shown" 'Welcome to the VornDemo Setup Wizard'
  shot "$4"
  drive "$1" "$title" --click Close >/dev/null
  exit_code_of "$setup_pid" 30 >/dev/null
}
prefix="$(copy_prefix welcome-versions "$v1prefix")"
welcome_names_versions "$prefix" "$work/Setup2.exe" 'Version 1.0.0 is installed; this will update it to 2.0.0' update-welcome
setup_of "$prefix" "$work/Setup2.exe" /Quiet; code=$?
check "version 2 installs quietly over version 1 (0, got $code)" test "$code" -eq 0
welcome_names_versions "$prefix" "$work/Setup1.exe" \
  'Version 2.0.0 is installed; this will replace it with the older version 1.0.0' downgrade-welcome
end_scenario "$prefix"

echo "== killed, failing and going through, side by side"
collect
# The prefixes take more than a gigabyte; a failure keeps them to look at.
[ "$failures" -eq 0 ] && rm -rf "$template" "$v1prefix"
finish_checks
