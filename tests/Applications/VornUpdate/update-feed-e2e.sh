#!/bin/bash
# update-feed-e2e.sh <VornPack> <VornSetup stub> <ForeignProgram.exe> <wine-run> <work folder>
# A vendor publishes a signed feed; version 1 of a plain program, installed
# for all users and for the current user, finds version 2 in it and installs
# it with its update program (VornUpdate.exe), served from this computer by
# Python's HTTP server. A setup changed by one byte, a feed signed with
# another key, a feed that offers nothing newer and a server that answers
# nothing each end with their documented code and leave version 1 as it was.
# shellcheck source-path=SCRIPTDIR
# shellcheck disable=SC1003 # single quotes hold Windows paths
set -uo pipefail
vornpack="$1"; stub="$2"; foreign="$3"; run="$4"; work="$5"
source "$(dirname "$0")/../VornSetup/e2e-common.sh"
contains() { grep -qF -- "$2" <<<"$1"; }

uuid=5A4B3C2D-1E0F-4A9B-8C7D-6E5F4A3B2C1D
machine_entry="HKLM\\Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{$uuid}"
user_entry="HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{$uuid}"
machine_folder='C:\Program Files (x86)\Hello Update'
machine_files() { echo "$1/drive_c/Program Files (x86)/Hello Update"; } # prefix
user_files() { echo "$(ls -d "$1"/drive_c/users/*/AppData/Local/Programs | grep -v /Public/ | head -1)/Hello Update"; }
in_prefix() { local prefix="$1"; shift; "$run" "$prefix" "$@" >/dev/null 2>"$work/said.txt" </dev/null; }

# The feed is served from "served", a link the scenarios turn to the folder
# they publish ("feed-<name>", apart from the prefixes' folders).
port="$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')"
base="http://127.0.0.1:$port"
mkdir -p "$work/feed-none"; ln -sfn feed-none "$work/served"
python3 -m http.server --bind 127.0.0.1 --directory "$work/served" "$port" >"$work/server.log" 2>&1 &
server=$!
trap 'kill $server 2>/dev/null' EXIT
serving() { python3 -c 'import sys, urllib.request; urllib.request.urlopen(sys.argv[1])' "$base/" 2>/dev/null; }
wait_until 60 serving || { echo "the HTTP server did not start"; exit 1; }
publish() { ln -sfn "feed-$1" "$work/served.new" && mv -T "$work/served.new" "$work/served"; } # folder name

echo "== a vendor makes a key pair, two versions and a signed feed"
check "keygen writes the vendor's key pair" "$vornpack" keygen --out "$work/vendor"
"$vornpack" keygen --out "$work/other" >/dev/null
definitions="$work/definitions"
"$vornpack" init "$definitions" --name "Hello Update" --company "Hello Corp" --version 1.0 \
  --executable Hello.exe --website https://hello.example/ --support help@hello.example \
  --uuid "$uuid" >/dev/null
for licence in "$definitions"/VornSetup-License-*.xml; do
  perl -0pi -e 's|(<String ID="LicenseText">).*?(</String>)|${1}Hello Corp licenses Hello Update to you.$2|s' "$licence"
done
feed_element="<UpdateFeed Url=\"$base/feed.json\" PublicKey=\"$(cat "$work/vendor.public")\"/>"
scope_element='<InstallScope Default="AllUsers" UserMayChoose="true"/>'
perl -0pi -e "s|(<InstallationSettings>)|\$1$feed_element$scope_element|" "$definitions/Configuration.xml"
check "the definitions with the feed check" "$vornpack" check-xml "$definitions"/*.xml
version_of() { # version -> definitions folder of that version
  local folder="$work/definitions-$1"
  rm -rf "$folder"; cp -r "$definitions" "$folder"
  sed -i "s/Version=\"1.0\"/Version=\"$1\"/g" "$folder/Configuration.xml"
  echo "$folder"
}
for version in 0.9 1.0 2.0; do
  mkdir -p "$work/app$version"
  cp "$foreign" "$work/app$version/Hello.exe"
  printf 'Version %s\n' "$version" > "$work/app$version/Readme.txt"
done
printf 'only in 1\n' > "$work/app1.0/Old.txt"
mkdir -p "$work/app2.0/Extra"; printf 'new in 2\n' > "$work/app2.0/Extra/Notes.txt"
for version in 0.9 1.0 2.0; do
  definitions="$(version_of $version)" make_setup "$work/app$version" "$work/Hello-$version.exe"
done
check "version 2's setup was made" test -f "$work/Hello-2.0.exe"

feed() { # folder key setups...
  local folder="$work/feed-$1" key="$2"; shift 2
  "$vornpack" feed "$@" --base-url "$base/" --key "$work/$key.private" --out "$folder" >/dev/null
}
check "feed signs versions 1 and 2" feed good vendor "$work/Hello-1.0.exe" "$work/Hello-2.0.exe"
check "and with another key" feed other-key other "$work/Hello-1.0.exe" "$work/Hello-2.0.exe"
check "a feed of version 0.9 alone" feed older vendor "$work/Hello-0.9.exe"
mkdir -p "$work/feed-tampered"; cp "$work/feed-good/"* "$work/feed-tampered/"
# One byte of the new setup's payload changed; the feed still names the original.
size="$(stat -c %s "$work/feed-tampered/Hello-2.0.exe")"
printf '\x5a' | dd of="$work/feed-tampered/Hello-2.0.exe" bs=1 seek=$((size - 4000)) conv=notrunc 2>/dev/null
check "the tampered setup differs from the published one" not cmp -s "$work/feed-tampered/Hello-2.0.exe" "$work/feed-good/Hello-2.0.exe"

echo "== version 1 is installed for all users, with the update program beside it"
prefix="$(fresh_prefix machine)"
cp "$work/Hello-1.0.exe" "$prefix/drive_c/"
in_prefix "$prefix" 'C:\Hello-1.0.exe' /Quiet; code=$?
check "the quiet installation ends with 0 ($code)" test "$code" -eq 0
installed="$(machine_files "$prefix")"
check "VornUpdate.exe is in the install folder" test -f "$installed/VornUpdate.exe"
check "and listed among the installation's files" grep -q 'REG_SZ *VornUpdate.exe$' <(reg_listing "$prefix" "$machine_entry\\FilesList")
check "the entry says 1.0" test "$(reg_value "$prefix" "$machine_entry" DisplayVersion)" = 1.0
keep_as_template "$prefix"
version1="$prefix"
updater="$machine_folder\\VornUpdate.exe"

unchanged() { # prefix files: version 1 as installed
  cmp -s "$2/Readme.txt" "$work/app1.0/Readme.txt" && test -f "$2/Old.txt" && test ! -e "$2/Extra" &&
    test "$(reg_value "$1" "$machine_entry" DisplayVersion)" = 1.0
}
no_download_left() { # prefix: the update's private folders are gone
  test -z "$(find "$1/drive_c/users" -maxdepth 6 -name 'VornUpdate-*' 2>/dev/null)" &&
    test -d "$1/drive_c/users"
}

echo "== a feed that cannot be reached"
prefix="$(fresh_prefix unreachable "$version1")"
publish none
in_prefix "$prefix" "$updater" /Check; code=$?
check "/Check ends with 61 feedUnavailable ($code)" test "$code" -eq 61
check "and says which address" grep -q "feed.json" "$work/said.txt"
check "version 1 is as it was" unchanged "$prefix" "$(machine_files "$prefix")"
finish_prefix "$prefix"

echo "== a feed signed with another key"
prefix="$(fresh_prefix other-key "$version1")"
publish other-key
in_prefix "$prefix" "$updater" /Apply /Quiet; code=$?
check "/Apply ends with 62 notTrusted ($code)" test "$code" -eq 62
check "it says the feed is not signed with the product's key" grep -q "not signed with Hello Update's key" "$work/said.txt"
check "version 1 is as it was" unchanged "$prefix" "$(machine_files "$prefix")"
check "and no setup was downloaded" not grep -q "Hello-2.0.exe" "$work/server.log"
finish_prefix "$prefix"

echo "== a feed that offers nothing newer"
prefix="$(fresh_prefix older "$version1")"
publish older
in_prefix "$prefix" "$updater" /Check; code=$?
check "/Check ends with 0 upToDate ($code)" test "$code" -eq 0
in_prefix "$prefix" "$updater" /Apply /Quiet; code=$?
check "/Apply ends with 0 too ($code)" test "$code" -eq 0
check "version 0.9's setup was never downloaded" not grep -q "Hello-0.9.exe" "$work/server.log"
check "version 1 is as it was" unchanged "$prefix" "$(machine_files "$prefix")"
finish_prefix "$prefix"

echo "== a setup changed by one byte on the server"
prefix="$(fresh_prefix tampered "$version1")"
publish tampered
in_prefix "$prefix" "$updater" /Apply /Quiet "/Log:C:\\update.log"; code=$?
check "/Apply ends with 62 notTrusted ($code)" test "$code" -eq 62
check "the setup was downloaded" grep -q "GET /Hello-2.0.exe" "$work/server.log"
check "version 1 is as it was" unchanged "$prefix" "$(machine_files "$prefix")"
check "the download is deleted" no_download_left "$prefix"
check "the log's Failure line says the setup is not the signed one" grep -q "Failure .*is not the one the feed signed" "$prefix/drive_c/update.log"
check "and its Result line 62" grep -q "Result 62 notTrusted" "$prefix/drive_c/update.log"
finish_prefix "$prefix"

echo "== version 2 found and installed for all users"
prefix="$(fresh_prefix apply "$version1")"
publish good
in_prefix "$prefix" "$updater" /Check; code=$?
check "/Check ends with 60 updateAvailable ($code)" test "$code" -eq 60
check "and names version 2.0" grep -q "Hello Update 2.0 is available (installed: 1.0)" "$work/said.txt"
# The user has the program open: it is asked to close, and started again.
"$run" "$prefix" "$machine_folder\\Hello.exe" /Window >/dev/null 2>&1 </dev/null &
hello=$!
started_times() { test "$(grep -c Hello.exe "$prefix/drive_c/ForeignStarted.txt" 2>/dev/null)" = "$1"; }
wait_until 120 started_times 1
# Its mark comes before its window, which the request to close needs.
check "the program shows its window" wait_until 120 window_of Hello.exe
in_prefix "$prefix" "$updater" /Apply /Quiet "/Log:C:\\update.log"; code=$?
check "/Apply /Quiet ends with 0 ($code)" test "$code" -eq 0
gone() { ! kill -0 "$1" 2>/dev/null; } # pid
check "the open program was asked to close and ended" wait_until 60 gone "$hello"
check "the log says so" grep -q "ProgramInTheWay .*Hello.exe.* asked to close: it ended" "$prefix/drive_c/update.log"
check "it is started again once version 2 is installed" wait_until 120 started_times 2
check "without the arguments it had" not grep -q /Window <(tail -1 "$prefix/drive_c/ForeignStarted.txt")
installed="$(machine_files "$prefix")"
check "version 2's files are in place" cmp -s "$installed/Readme.txt" "$work/app2.0/Readme.txt"
check "with its new file" cmp -s "$installed/Extra/Notes.txt" "$work/app2.0/Extra/Notes.txt"
check "and without version 1's own" test ! -e "$installed/Old.txt"
check "the entry says 2.0" test "$(reg_value "$prefix" "$machine_entry" DisplayVersion)" = 2.0
check "the update program is still there" test -f "$installed/VornUpdate.exe"
check "the download is deleted" no_download_left "$prefix"
check "the log has the feed's line" grep -q "Feed $base/feed.json: signature holds, 2 releases, newest 2.0" "$prefix/drive_c/update.log"
check "the download's line" grep -q "Download $base/Hello-2.0.exe ([0-9]* bytes): size, SHA-256 and signature hold" "$prefix/drive_c/update.log"
check "and the setup's own lines after them" grep -q "Program .*Setup" "$prefix/drive_c/update.log"
in_prefix "$prefix" "$updater" /Check; code=$?
check "a second /Check ends with 0 ($code)" test "$code" -eq 0
finish_prefix "$prefix"

# The setup that /Apply started, held at `point` by its test hook and killed
# there as a power cut would; then /Apply again.
killed_then_applied() { # point what-the-entry-says-meanwhile
  local point="$1" meanwhile="$2" updating pids
  echo "== the update killed at $point, then applied again"
  prefix="$(fresh_prefix "killed-$point" "$version1")"
  VORNSETUP_TEST_PAUSE="$point" VORNSETUP_TEST_PAUSE_FILE='C:\paused' \
    "$run" "$prefix" "$updater" /Apply /Quiet >/dev/null 2>&1 </dev/null &
  updating=$!
  check "the setup reaches $point" wait_until 180 test -e "$prefix/drive_c/paused"
  pids="$(python3 "$(dirname "$0")/../VornSetup/setup_processes.py" "$prefix" '\Setup.exe')"
  check "and is killed there" test -n "$pids"
  # shellcheck disable=SC2086 # one id a word
  kill -9 $pids
  wait "$updating"; code=$?
  WINEPREFIX="$prefix" wineserver -w
  check "the update program ends with a failure, not 0 ($code)" test "$code" -eq 1
  check "and deletes its download" no_download_left "$prefix"
  check "the entry says $meanwhile meanwhile" entry_says "$prefix" "$meanwhile"
  in_prefix "$prefix" "$updater" /Apply /Quiet; code=$?
  check "/Apply again ends with 0 ($code)" test "$code" -eq 0
  installed="$(machine_files "$prefix")"
  check "version 2's files are in place" cmp -s "$installed/Readme.txt" "$work/app2.0/Readme.txt"
  check "without version 1's own" test ! -e "$installed/Old.txt"
  check "the entry says 2.0" entry_says "$prefix" 2.0
  # The update program ran from its file while the setup replaced it: the
  # file waits aside until the program's next start.
  check "the update program's previous file waits beside it" test -f "$installed/VornUpdate.exe.VornLib-previous"
  in_prefix "$prefix" "$updater" /Check; code=$?
  check "the next /Check ends with 0 ($code)" test "$code" -eq 0
  check "and nothing is left aside or half written" nothing_aside "$installed"
  finish_prefix "$prefix"
}
nothing_aside() { # folder: no file of an update's steps in it (those found are shown)
  local left
  left="$(find "$1" -name '*.VornLib-previous' -o -name '*.VornLib-partial*')"
  [ -z "$left" ] || { sed 's/^/      /' <<<"$left"; return 1; }
}
entry_says() { # prefix version ("none": no entry)
  if [ "$2" = none ]; then reg_absent "$1" "$machine_entry"; else
    test "$(reg_value "$1" "$machine_entry" DisplayVersion)" = "$2"; fi
}
killed_then_applied DuringCopy 1.0
killed_then_applied FilesInPlace none

echo "== a delta setup from 1.0, and the full setup where it does not fit"
check "VornPack delta makes the update from 1.0 to 2.0" "$vornpack" delta --from "$work/Hello-1.0.exe" \
  --to "$work/Hello-2.0.exe" --stub "$stub" -o "$work/Hello-1.0-2.0.exe" --quiet
check "the feed names it beside the full setups" feed delta vendor "$work/Hello-1.0.exe" "$work/Hello-2.0.exe" "$work/Hello-1.0-2.0.exe"
check "and refuses it without the full setup of 2.0" not feed delta-alone vendor "$work/Hello-1.0.exe" "$work/Hello-1.0-2.0.exe"
check "feed.json lists it under 2.0" grep -q '"from": "1.0"' "$work/feed-delta/feed.json"
publish delta
downloads() { grep -c "GET /$1 " "$work/server.log"; } # file name
prefix="$(fresh_prefix delta "$version1")"
full_before="$(downloads Hello-2.0.exe)"
in_prefix "$prefix" "$updater" /Apply /Quiet "/Log:C:\\update.log"; code=$?
check "/Apply with a delta ends with 0 ($code)" test "$code" -eq 0
check "it downloaded the delta setup" test "$(downloads Hello-1.0-2.0.exe)" -eq 1
check "and not the full one" test "$(downloads Hello-2.0.exe)" -eq "$full_before"
installed="$(machine_files "$prefix")"
check "version 2's files are in place" cmp -s "$installed/Readme.txt" "$work/app2.0/Readme.txt"
check "with its new file" cmp -s "$installed/Extra/Notes.txt" "$work/app2.0/Extra/Notes.txt"
check "without version 1's own" test ! -e "$installed/Old.txt"
check "the program is version 2's" cmp -s "$installed/Hello.exe" "$work/app2.0/Hello.exe"
check "the entry says 2.0" test "$(reg_value "$prefix" "$machine_entry" DisplayVersion)" = 2.0
check "the download is deleted" no_download_left "$prefix"
finish_prefix "$prefix"
prefix="$(fresh_prefix delta-changed "$version1")"
printf 'changed by its user\n' > "$(machine_files "$prefix")/Readme.txt"
in_prefix "$prefix" "$updater" /Apply /Quiet "/Log:C:\\update.log"; code=$?
check "/Apply over a changed file ends with 0 ($code)" test "$code" -eq 0
check "the delta did not apply, and the log says so" grep -q "the delta setup from 1.0 did not install (48)" "$prefix/drive_c/update.log"
check "the full setup was downloaded after it" test "$(downloads Hello-2.0.exe)" -eq $((full_before + 1))
installed="$(machine_files "$prefix")"
check "version 2's files are in place" cmp -s "$installed/Readme.txt" "$work/app2.0/Readme.txt"
check "the entry says 2.0" test "$(reg_value "$prefix" "$machine_entry" DisplayVersion)" = 2.0
finish_prefix "$prefix"

echo "== version 2 found and installed for the current user (the feed with the delta)"
prefix="$(fresh_prefix user)"
cp "$work/Hello-1.0.exe" "$prefix/drive_c/"
in_prefix "$prefix" 'C:\Hello-1.0.exe' /Quiet /CurrentUser; code=$?
check "version 1 is installed for the current user ($code)" test "$code" -eq 0
check "its entry is the user's" test "$(reg_value "$prefix" "$user_entry" DisplayVersion)" = 1.0
user_folder="$(reg_value "$prefix" "$user_entry" InstallLocation)"
user_folder="${user_folder%\\}"
deltas_before="$(downloads Hello-1.0-2.0.exe)"
in_prefix "$prefix" "$user_folder\\VornUpdate.exe" /Apply /Quiet; code=$?
check "/Apply /Quiet ends with 0 ($code)" test "$code" -eq 0
check "through the delta setup" test "$(downloads Hello-1.0-2.0.exe)" -eq $((deltas_before + 1))
check "version 2's files are in the user's folder" cmp -s "$(user_files "$prefix")/Readme.txt" "$work/app2.0/Readme.txt"
check "the user's entry says 2.0" test "$(reg_value "$prefix" "$user_entry" DisplayVersion)" = 2.0
check "nothing was installed for all users" reg_absent "$prefix" "$machine_entry"
finish_prefix "$prefix"

echo "== a command line the update program does not take"
prefix="$(fresh_prefix switches "$version1")"
fetched="$(grep -c 'GET /feed.json ' "$work/server.log")"
for line in "/Check /Apply" "" "/Check /Quiet" "/Apply /Qiuet" "/Check extra"; do
  # shellcheck disable=SC2086 # each line is its switches
  in_prefix "$prefix" "$updater" $line; code=$?
  check "\"$line\" ends with 5 ($code)" test "$code" -eq 5
done
check "and no feed was fetched for them" test "$(grep -c 'GET /feed.json ' "$work/server.log")" -eq "$fetched"
finish_prefix "$prefix"

finish_checks
