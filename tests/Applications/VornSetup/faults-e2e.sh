#!/bin/bash
# faults-e2e.sh <VornPack> <VornSetup stub> <VornDemo.exe> <definitions> <wine-run> <work folder> <HoldOpen.exe>
# Installations that meet trouble, each in a fresh prefix, judged by the files
# (sizes and dates) and the registry they leave, not by the installer's report:
# the elevated installer killed in the middle of the copy and run again, a
# drive that fills up, files in the way (read-only, held open by another
# process), and folders whose files lie beyond the 260-character path limit.
set -uo pipefail
vornpack="$1"; stub="$2"; demo="$3"; definitions="$4"; run="$5"; work="$6"; helper="$7"
source "$(dirname "$0")/e2e-common.sh"

program_files() { echo "$1/drive_c/Program Files (x86)/VornDemo"; }
demo_run() { local prefix="$1"; shift; "$run" "$prefix" "$@" >/dev/null 2>&1 </dev/null; }
# What an installation leaves: every file and folder with its size, installed
# files also with their dates (a shortcut's date is the day it was made), and
# the registry keys and values that name VornDemo.
world_of() { # prefix install-folder
  (cd "$1/drive_c" && find . -path ./windows -prune -o -path ./users/*/AppData/Local/Temp -prune \
     -o -type d -printf '%p/\n' -o -printf '%p %s\n' | sort)
  (cd "$2" && find . -type f -printf '%p %s %TY-%Tm-%Td %TH:%TM:%.2TS\n' | sort)
  registry_of "$1" | grep -i 'VornDemo\|7E3F2A91\|\.vdm' | grep -v 'InstallDate'
}
# Files of an app folder as "path size date", for comparing with an install folder.
# The application's files: an installation holds its setup beside them, kept for a repair.
listing_of() { (cd "$1" && find . -type f ! -path ./VornLib.Setup.exe -printf '%p %s %TY-%Tm-%Td %TH:%TM:%.2TS\n' | sort); }
# A setup of the demo's files and more: make_setup <name> <app folder> [method]
make_setup() {
  "$vornpack" setup --app "$2" --definitions "$definitions" --stub "$stub" \
    --method "${3:-auto}" -o "$work/$1" >/dev/null || { echo "VornPack setup $1 failed"; exit 1; }
}
# A folder with blanks, typed as a user types it: a batch file keeps the
# command line as written. install_into <prefix> <setup file> <folder>
install_into() {
  cp "$2" "$1/drive_c/"
  printf 'C:\\%s /Quiet /InstallFolder:"%s"\r\n' "$(basename "$2")" "$3" > "$1/drive_c/install.bat"
  "$run" "$1" cmd /c 'C:\install.bat' >/dev/null 2>&1 </dev/null; local code=$?
  WINEPREFIX="$1" wineserver -w
  rm -f "$1/drive_c/install.bat" "$1/drive_c/$(basename "$2")"
  return $code
}

echo "== killed in the middle of the copy, then run again"
# About 50 MiB: noise does not shrink, so the copy takes its time writing.
big="$work/big-app"; rm -rf "$big"; cp -a "$work/app" "$big"
python3 - "$big" <<'PY'
import os, random, sys
rng = random.Random(19)
os.makedirs(f"{sys.argv[1]}/Data", exist_ok=True)
for i in range(2):
    with open(f"{sys.argv[1]}/Data/Part{i}.bin", "wb") as f:
        f.write(rng.randbytes(25 << 20))
    os.utime(f"{sys.argv[1]}/Data/Part{i}.bin", (1577934245 + i, 1577934245 + i))
PY
make_setup BigSetup.exe "$big" store
total_bytes=$(find "$big" -type f -printf '%s\n' | awk '{s += $1} END {print s}')
# First a clean installation, to compare the repaired one with.
prefix="$(fresh_prefix clean)"
"$run" "$prefix" "$work/BigSetup.exe" /Quiet >/dev/null 2>&1 </dev/null; code=$?
check "a clean installation ends with 0" test "$code" -eq 0
check "the clean installation holds every file with its size and date" \
  test "$(listing_of "$big")" = "$(listing_of "$(program_files "$prefix")")"
clean="$(world_of "$prefix" "$(program_files "$prefix")")"
finish_prefix "$prefix"

prefix="$(fresh_prefix killed)"
installed="$(program_files "$prefix")"
# A new folder is written whole beside its place until every file is there.
partial="${installed%/}.VornLib-partial"
"$run" "$prefix" "$work/BigSetup.exe" /Quiet >/dev/null 2>&1 </dev/null &
launcher=$!
# The setup of this prefix, killed a little past half the bytes: in the
# middle of the second large file.
killed="$(python3 - "$prefix" "$partial" "$total_bytes" "$(dirname "$0")" <<'PY'
import os, sys, time, signal
prefix, folder, total = sys.argv[1], sys.argv[2], int(sys.argv[3])
sys.path.insert(0, sys.argv[4])
from setup_processes import setup_processes
def written():
    size = 0
    try:
        for item in os.scandir(f"{folder}/Data"):
            size += item.stat().st_size
    except OSError:
        pass
    return size
deadline = time.monotonic() + 120
while time.monotonic() < deadline:
    if written() >= total // 2 + (2 << 20):
        pids = setup_processes(prefix, "BigSetup.exe")
        for pid in pids:
            os.kill(pid, signal.SIGKILL)
        if pids:
            print(f"killed at {written() >> 20} MiB")
        break
    time.sleep(0.002)
PY
)"
wait "$launcher" 2>/dev/null
WINEPREFIX="$prefix" wineserver -w
check "the installing setup was killed halfway ($killed)" test -n "$killed"
# What the user finds after the kill alone.
found="$( (cd "$partial" 2>/dev/null && find . -type f -printf '%p %s %TY-%Tm-%Td %TH:%TM:%.2TS\n') | sort)"
echo "  after the kill: $(echo "$found" | grep -c .) files"; echo "$found" | sed 's/^/    /'
# Nothing takes an installed name before every file is copied: each file is
# complete in the partial folder, but the one that was being written.
check "nothing at the installation folder" test ! -e "$installed"
complete=$(comm -12 <(echo "$found") <(listing_of "$big") | grep -c .)
unfinished="$(comm -23 <(echo "$found") <(listing_of "$big"))"
check "at most one unfinished file ($complete complete)" test "$(echo "$unfinished" | grep -c .)" -le 1
check "no uninstall entry after the kill" reg_absent "$prefix" "$entry" DisplayName
check "no program group after the kill" test ! -e "$(group_in "$prefix")"
"$run" "$prefix" "$work/BigSetup.exe" /Quiet >/dev/null 2>&1 </dev/null; code=$?
check "the quiet installation run again ends with 0" test "$code" -eq 0
again="$(world_of "$prefix" "$installed")"
check "the result is exactly a clean installation" test "$clean" = "$again"
[ "$clean" = "$again" ] || diff <(echo "$clean") <(echo "$again") | head -20
finish_prefix "$prefix"

echo "== a drive that fills up"
prefix="$(fresh_prefix full)"
drive="$work/drive-d"; mkdir -p "$drive"
if mount_error="$(mount -t tmpfs -o size=12m vorn-faults "$drive" 2>&1)"; then
  printf 'mine\n' > "$drive/Mine.txt"; mkdir -p "$drive/Games"
  ln -sfn "$drive" "$prefix/dosdevices/d:"
  # Names, sizes and file dates (a folder's date changes with its entries).
  drive_of() { (cd "$drive" && find . -type d -printf '%p/\n' -o -printf '%p %s %T@\n' | sort); }
  before="$(drive_of)"
  "$run" "$prefix" "$work/BigSetup.exe" /Quiet '/InstallFolder:D:\VornDemo' >/dev/null 2>&1 </dev/null; code=$?
  WINEPREFIX="$prefix" wineserver -w
  check "the quiet installation ends with 13 (disk full, got $code)" test "$code" -eq 13
  check "the drive is as before" test "$before" = "$(drive_of)"
  [ "$before" = "$(drive_of)" ] || diff <(echo "$before") <(drive_of) | head
  check "no uninstall entry" reg_absent "$prefix" "$entry" DisplayName
  check "no program group" test ! -e "$(group_in "$prefix")"
  finish_prefix "$prefix"
  umount "$drive"
else
  skip_check "a drive that fills up" "mount -t tmpfs refused: $mount_error"
  finish_prefix "$prefix"
fi
rmdir "$drive" 2>/dev/null

echo "== a read-only file of an earlier version where a new file goes"
prefix="$(fresh_prefix readonly)"
installed="$(program_files "$prefix")"
mkdir -p "$installed/Help"
printf 'VornDemo help, version 0.9\n' > "$installed/Help/Readme.txt"
touch -d '2020-01-01 00:00:00 UTC' "$installed/Help/Readme.txt"
demo_run "$prefix" cmd /c attrib +r 'C:\Program Files (x86)\VornDemo\Help\Readme.txt'
# Wine keeps the read-only attribute as the file's missing write permissions.
check "the old file is read-only" test -z "$(find "$installed/Help/Readme.txt" -perm /222)"
setup "$prefix" /Quiet; code=$?
# The file belongs to the installation, as a read-only shortcut does: it is replaced.
check "the installation ends with 0 (got $code)" test "$code" -eq 0
check "the new file replaced it, with its size and date" \
  test "$(listing_of "$work/app" | grep Readme)" = "$(listing_of "$installed" | grep Readme)"
check "the entry is there" test -n "$(reg_value "$prefix" "$entry" DisplayName)"
# Made read-only again by the user, a listed file still goes with the removal.
demo_run "$prefix" cmd /c attrib +r 'C:\Program Files (x86)\VornDemo\Help\Readme.txt'
demo_run "$prefix" 'C:\Program Files (x86)\VornDemo\VornDemo.exe' /Quiet /Uninstall
wait_for_batch_file "$prefix"
check "the removal deletes the read-only file too" test ! -e "$installed/Help/Readme.txt"
finish_prefix "$prefix"

echo "== a file held open by another program"
# The helper (HoldOpen.c) opens a file without sharing and keeps it until killed.
prefix="$(fresh_prefix held)"
installed="$(program_files "$prefix")"
# An old copy of the program where the new one goes; the help file comes first.
mkdir -p "$installed"; printf 'old program\n' > "$installed/VornDemo.exe"
"$run" "$prefix" "$helper" 'C:\Program Files (x86)\VornDemo\VornDemo.exe' 'C:\held.txt' >/dev/null 2>&1 </dev/null &
holder=$!
wait_until 120 test -e "$prefix/drive_c/held.txt"
# Without the holder the scenario shows nothing: say so instead of failing obscurely below.
check "the helper holds the file (HoldOpen started)" test -e "$prefix/drive_c/held.txt"
rm -f "$prefix/drive_c/held.txt"
before="$(snapshot "$prefix")"
setup "$prefix" /Quiet /NoCloseApplications; code=$?
# Replacing a file that a running program uses would leave a mixture: told
# not to ask it to close, the installation fails and takes back what it wrote.
check "the installation fails with a clear code (27 sharing violation, got $code)" test "$code" -eq 27
check "the old file is untouched" test "$(cat "$installed/VornDemo.exe")" = "old program"
check "the files are as before" test "$before" = "$(snapshot "$prefix")"
check "no uninstall entry" reg_absent "$prefix" "$entry" DisplayName
kill "$holder" 2>/dev/null; finish_prefix "$prefix"; wait "$holder" 2>/dev/null

echo "== files beyond 260 characters, then removal"
deep="$work/deep-app"; rm -rf "$deep"; cp -a "$work/app" "$deep"
nested="Help/Chapter one of the manual, with a long name/Section two, also long enough/Subsection three of the demonstration"
mkdir -p "$deep/$nested"
printf 'deep\n' > "$deep/$nested/A page whose full path is far beyond the limit.txt"
touch -d '2022-02-03 04:05:06 UTC' "$deep/$nested/A page whose full path is far beyond the limit.txt"
make_setup DeepSetup.exe "$deep"
prefix="$(fresh_prefix deep)"
parent='Users Folder With A Long Name\Projects and other things kept for a long time\Installed programs of many kinds'
folder="C:\\$parent\\VornDemo"
mkdir -p "$prefix/drive_c/${parent//\\//}"
files_before="$(files_of "$prefix")"
install_into "$prefix" "$work/DeepSetup.exe" "$folder"; code=$?
installed="$prefix/drive_c/${parent//\\//}/VornDemo"
deepest=$(cd "$installed" && find . -type f -printf '%P\n' | awk '{print length($0)}' | sort -n | tail -1)
longest=$(( ${#folder} + 1 + ${deepest:-0} ))
check "the installation ends with 0 (longest path $longest characters)" test "$code" -eq 0
check "beyond 260 characters" test "$longest" -gt 260
check "every file with its size and date" test "$(listing_of "$deep")" = "$(listing_of "$installed")"
check "the program group shortcut names the program" \
  grep -q "VornDemo.exe" <(strings -el "$(group_in "$prefix")/VornDemo.lnk"; strings "$(group_in "$prefix")/VornDemo.lnk")
check "the hand-off registered the file type" \
  grep -q 'VornDemo.vdm' <(WINEPREFIX="$prefix" /usr/lib/wine/wine64 reg query 'HKCR\.vdm' 2>/dev/null | tr -d '\r')
uninstall="$(reg_value "$prefix" "$entry" UninstallString)"
printf '%s /Quiet\r\n' "$uninstall" > "$prefix/drive_c/remove.bat"
demo_run "$prefix" cmd /c 'C:\remove.bat'
check "the removal's batch file ran" wait_for_batch_file "$prefix"
rm -f "$prefix/drive_c/remove.bat"
check "the removal leaves nothing" test "$files_before" = "$(files_of "$prefix")"
[ "$files_before" = "$(files_of "$prefix")" ] || diff <(echo "$files_before") <(files_of "$prefix") | head
check "no uninstall entry after the removal" reg_absent "$prefix" "$entry" DisplayName
finish_prefix "$prefix"

echo "== a folder too long for the program's own path is refused up front"
prefix="$(fresh_prefix toolong)"
parent='Users Folder With A Long Name\Projects and other things kept for a long time\Installed programs of many kinds\and a few more folders\each of them with a long name too\until the limit\and yet another folder level, to pass the platform limit'
folder="C:\\$parent\\VornDemo"
mkdir -p "$prefix/drive_c/${parent//\\//}"
before="$(snapshot "$prefix")"
install_into "$prefix" "$work/VornDemoSetup.exe" "$folder"; code=$?
check "a program path of $(( ${#folder} + 13 )) characters ends with 31 (got $code)" test "$code" -eq 31
check "nothing was written" test "$before" = "$(snapshot "$prefix")"
[ "$before" = "$(snapshot "$prefix")" ] || diff <(echo "$before") <(snapshot "$prefix") | head
check "no uninstall entry" reg_absent "$prefix" "$entry" DisplayName
finish_prefix "$prefix"

finish_checks
