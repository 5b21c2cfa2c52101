#!/bin/bash
# delta-e2e.sh <VornPack> <VornSetup stub> <VornDemo.exe> <definitions> <wine-run> <work folder>
# The update from version 1 to 2 as a delta setup ("VornPack delta"): version
# 2 changes the program and the help file, keeps a data file, drops one and
# adds one. Applied quietly over a real installation of version 1, the
# installed files must be exactly those of a clean installation of version 2.
# A delta that finds another version, an installed file a user changed, or
# an installation for all users in a folder standard users may change, ends
# with 48 and leaves every file and registry value as it was; one killed
# while it writes leaves version 1, which it then updates.
# shellcheck source-path=SCRIPTDIR
set -uo pipefail
# shellcheck disable=SC2034 # e2e-common.sh reads them
{ vornpack="$1"; stub="$2"; demo="$3"; definitions="$4"; run="$5"; work="$6"; }
source "$(dirname "$0")/e2e-common.sh"

v1="$work/version-1"; v2="$work/version-2"
rm -rf "$v1" "$v2"; cp -a "$work/app" "$v1"; mkdir -p "$v1/Data"
printf 'kept by version 2\n' > "$v1/Data/Kept.txt"; touch -d '2022-02-02 02:02:02 UTC' "$v1/Data/Kept.txt"
printf 'dropped by version 2\n' > "$v1/Data/Dropped.txt"
cp -a "$v1" "$v2"; rm "$v2/Data/Dropped.txt"
# A changed program: a few bytes more after its image, where the loader
# does not look, so that it still runs.
cp "$v1/VornDemo.exe" "$v2/VornDemo.exe"; printf 'version 2' >> "$v2/VornDemo.exe"
touch -d '2024-06-07 08:09:10 UTC' "$v2/VornDemo.exe"
printf 'VornDemo help, version 2\n' > "$v2/Help/Readme.txt"; touch -d '2024-04-04 04:04:04 UTC' "$v2/Help/Readme.txt"
head -c 20000 /dev/urandom > "$v2/Data/Added.bin"; touch -d '2024-04-05 05:05:05 UTC' "$v2/Data/Added.bin"
definitions2="$work/definitions-2"; rm -rf "$definitions2"; cp -a "$definitions" "$definitions2"
sed -i 's/Name="VornDemo" Version="1.0.0"/Name="VornDemo" Version="2.0.0"/' "$definitions2/Configuration.xml"
make_setup "$v1" "$work/Setup1.exe"
"$vornpack" setup --app "$v2" --definitions "$definitions2" --stub "$stub" -o "$work/Setup2.exe" \
  >/dev/null || { echo "VornPack setup of version 2 failed"; exit 1; }

echo "== the delta setup"
said="$("$vornpack" delta --from "$work/Setup1.exe" --to "$work/Setup2.exe" --stub "$stub" -o "$work/Delta.exe" 2>&1 | tr '\r' '\n' | tail -1)"
echo "  $said"
check "VornPack delta counts what it carries" grep -qF 'files: 2 patched, 1 as installed, 1 whole, 1 removed' <<<"$said"
full=$(stat -c %s "$work/Setup2.exe"); delta=$(stat -c %s "$work/Delta.exe"); stub_size=$(stat -c %s "$stub")
echo "  full setup $full bytes, delta setup $delta bytes, payloads $((full - stub_size)) and $((delta - stub_size)) bytes"
check "what it adds to the stub is under a fifth of the full setup's" test $((delta - stub_size)) -lt $(((full - stub_size) / 5))
check "a delta of a delta is refused" not "$vornpack" delta --from "$work/Delta.exe" --to "$work/Setup2.exe" --stub "$stub" -o "$work/Twice.exe" --quiet
check "and so is a delta to an older version" not "$vornpack" delta --from "$work/Setup2.exe" --to "$work/Setup1.exe" --stub "$stub" -o "$work/Back.exe" --quiet

folder_in() { echo "$1/drive_c/Program Files (x86)/VornDemo"; }
# Every installed file: path, size, date and bytes.
installed_files() { # prefix
  (cd "$(folder_in "$1")" && find . -type f -printf '%p %s %TY-%Tm-%Td %TT ' -exec md5sum {} \; | cut -d' ' -f1-5 | sort)
}
quiet() { # prefix setup [switches...]
  local prefix="$1" file="$2"; shift 2
  "$run" "$prefix" "$file" /Quiet "$@" >/dev/null 2>&1 </dev/null
}
v1prefix="$(fresh_prefix v1)"
quiet "$v1prefix" "$work/Setup1.exe"
check "version 1 installed" test "$(reg_value "$v1prefix" "$entry" DisplayVersion)" = 1.0.0
keep_as_template "$v1prefix"
clean2="$(copy_prefix clean-2)"
quiet "$clean2" "$work/Setup2.exe"
expected="$(installed_files "$clean2" | grep -v VornLib.Setup.exe)"
finish_prefix "$clean2"; rm -rf "$clean2"

echo "== applied over version 1"
prefix="$(copy_prefix applied "$v1prefix")"
kept_inode="$(stat -c %i "$(folder_in "$prefix")/Data/Kept.txt")"
quiet "$prefix" "$work/Delta.exe" '/Log:C:\delta.log'; code=$?
check "the delta setup ends with 0 ($code)" test "$code" -eq 0
check "the installed files are version 2's, byte for byte and with their dates" test "$(installed_files "$prefix")" = "$expected"
check "the entry says 2.0.0" test "$(reg_value "$prefix" "$entry" DisplayVersion)" = 2.0.0
check "the unchanged file was left where it was, not written again" test "$(stat -c %i "$(folder_in "$prefix")/Data/Kept.txt")" = "$kept_inode"
check "FilesList lists version 2's files" test "$(files_listed "$prefix")" = 'Data/Added.bin|Data/Kept.txt|Help/Readme.txt|VornDemo.exe|'
check "no repair is offered without a full setup" reg_absent "$prefix" "$entry" ModifyPath
check "the log names the patched files" grep -q 'Delta.*VornDemo.exe: patched' "$prefix/drive_c/delta.log"
"$run" "$prefix" "$(folder_in "$prefix")/VornDemo.exe" /DemoSeconds:1 >/dev/null 2>&1 </dev/null; code=$?
check "version 2's program runs ($code)" test "$code" -eq 0
finish_prefix "$prefix"; rm -rf "$prefix"

product_keys() { registry_of "$1" | grep -i 'VornDemo\|7E3F2A91\|\.vdm'; } # prefix
refused() { # name why: the delta ends with 48 and changes nothing
  local before after
  before="$(snapshot "$prefix")$(product_keys "$prefix")"
  quiet "$prefix" "$work/Delta.exe" '/Log:C:\refused.log'; code=$?
  check "$2: the delta ends with 48 ($code)" test "$code" -eq 48
  after="$(snapshot "$prefix" | grep -v refused.log)$(product_keys "$prefix")"
  check "$2: nothing changed" test "$before" = "$after"
  check "$2: the log says why" grep -q 'Delta.*does not apply' "$prefix/drive_c/refused.log"
  finish_prefix "$prefix"; rm -rf "$prefix"
}
echo "== refused"
prefix="$(copy_prefix changed "$v1prefix")"
printf 'changed by its user\n' > "$(folder_in "$prefix")/Data/Kept.txt"
refused changed "a file the user changed"
prefix="$(copy_prefix missing "$v1prefix")"
rm "$(folder_in "$prefix")/Help/Readme.txt"
refused missing "a missing file"
prefix="$(fresh_prefix none)"
refused none "no installation"
# A standard user could have replaced what the elevated setup would patch:
# even where the administrator allowed such a folder, the full setup serves.
prefix="$(copy_prefix writable)"
mkdir -p "$prefix/drive_c/Shared"; chmod 777 "$prefix/drive_c/Shared"
quiet "$prefix" "$work/Setup1.exe" '/InstallFolder:C:\Shared' /AllowUserWritableFolder
check "version 1 installed into a folder standard users may change" test -f "$prefix/drive_c/Shared/VornDemo.exe"
before="$(snapshot "$prefix")"
quiet "$prefix" "$work/Delta.exe" /AllowUserWritableFolder '/Log:C:\refused.log'; code=$?
check "a folder standard users may change: the delta ends with 48 ($code)" test "$code" -eq 48
check "a folder standard users may change: nothing changed" test "$before" = "$(snapshot "$prefix" | grep -v refused.log)"
check "a folder standard users may change: the log says why" grep -q 'Delta.*does not apply: standard users may change' "$prefix/drive_c/refused.log"
finish_prefix "$prefix"; rm -rf "$prefix"

echo "== killed while it writes"
prefix="$(copy_prefix killed "$v1prefix")"
rm -f "$prefix/drive_c/paused"
VORNSETUP_TEST_PAUSE=DuringCopy VORNSETUP_TEST_PAUSE_FILE='C:\paused' \
  "$run" "$prefix" "$work/Delta.exe" /Quiet >/dev/null 2>&1 </dev/null &
launcher=$!
wait_until 180 test -e "$prefix/drive_c/paused"
pid="$(python3 "$(dirname "$0")/setup_processes.py" "$prefix" Delta.exe)"
check "the delta was held while writing" test -n "$pid"
# shellcheck disable=SC2086 # one id a line
[ -n "$pid" ] && kill -9 $pid
wait "$launcher" 2>/dev/null; WINEPREFIX="$prefix" wineserver -w; rm -f "$prefix/drive_c/paused"
check "version 1 is still installed" test "$(reg_value "$prefix" "$entry" DisplayVersion)" = 1.0.0
check "with its program" cmp -s "$(folder_in "$prefix")/VornDemo.exe" "$v1/VornDemo.exe"
quiet "$prefix" "$work/Delta.exe"; code=$?
check "the delta run again ends with 0 ($code)" test "$code" -eq 0
check "and leaves version 2's files" test "$(installed_files "$prefix")" = "$expected"
finish_prefix "$prefix"

finish_checks
