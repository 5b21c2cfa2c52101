#!/bin/bash
# update-demo-e2e.sh <VornPack> <VornSetup stub> <VornDemo.exe> <definitions> <wine-run> <work folder> <WindowDriver.exe> [<screenshot folder>]
# A program built on VornLib finds its own updates: VornDemo, installed from
# a setup whose definitions declare a feed (served from this computer by
# Python's HTTP server), asks nothing at its first start, checks in the
# background at the next, and offers version 2 in the framework's dialog,
# which the keyboard alone answers: Remind me later (Esc), Skip this version
# (remembered, yet offered again when the user asks) and Install now, which
# closes VornDemo, installs version 2 and starts it again; asked once more,
# in German, it says VornDemo is up to date. Every window is photographed in
# a Wine virtual desktop.
# shellcheck source-path=SCRIPTDIR
set -uo pipefail
# shellcheck disable=SC2034 # e2e-common.sh reads them
{ vornpack="$1"; stub="$2"; demo_program="$3"; original="$4"; run="$5"; work="$6"; driver="$7"; }
shots="${8:-$6/screenshots}"
source "$(dirname "$0")/../../../scripts/lib.sh"
start_xvfb
source "$(dirname "$0")/../VornSetup/e2e-common.sh"
mkdir -p "$shots"
source "$(dirname "$0")/../VornSetup/wizard-common.sh"
shot() { import -window root "$shots/update-$1.png" 2>/dev/null || echo "  (no screenshot: $1)"; }

port="$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')"
base="http://127.0.0.1:$port"
mkdir -p "$work/published"
python3 -m http.server --bind 127.0.0.1 --directory "$work/published" "$port" >"$work/server.log" 2>&1 &
server=$!
trap 'kill $server 2>/dev/null' EXIT
serving() { python3 -c 'import sys, urllib.request; urllib.request.urlopen(sys.argv[1])' "$base/" 2>/dev/null; }
wait_until 60 serving || { echo "the HTTP server did not start"; exit 1; }
feed_reads() { grep -c 'GET /feed.json ' "$work/server.log"; }

echo "== VornDemo 1.0.0 and 2.0.0 with a signed feed"
"$vornpack" keygen --out "$work/vendor" >/dev/null
for version in 1.0.0 2.0.0; do
  definitions="$work/definitions-$version"
  cp -r "$original" "$definitions"
  perl -0pi -e "s|(<InstallationSettings>)|\$1<UpdateFeed Url=\"$base/feed.json\" PublicKey=\"$(cat "$work/vendor.public")\"/>|; s|(Name=\"VornDemo\" Version=)\"1.0.0\"|\$1\"$version\"|" "$definitions/Configuration.xml"
  mkdir -p "$work/app-$version/Help"
  cp "$demo_program" "$work/app-$version/VornDemo.exe"
  printf 'VornDemo help, version %s\n' "$version" >"$work/app-$version/Help/Readme.txt"
  make_setup "$work/app-$version" "$work/VornDemo-$version.exe"
done
check "the feed is signed" "$vornpack" feed "$work/VornDemo-1.0.0.exe" "$work/VornDemo-2.0.0.exe" \
  --base-url "$base/" --key "$work/vendor.private" --out "$work/published" \
  --notes-url "https://vorn.example/notes/{version}.html"

prefix="$(fresh_prefix demo)"
cp "$work/VornDemo-1.0.0.exe" "$prefix/drive_c/"
"$run" "$prefix" 'C:\VornDemo-1.0.0.exe' /Quiet >/dev/null 2>&1 </dev/null; code=$?
check "version 1.0.0 is installed ($code)" test "$code" -eq 0
installed="$(program_files "$prefix")"
check "with the update program" test -f "$installed/VornUpdate.exe"
entry="HKLM\\Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{7E3F2A91-5C4B-4D8E-9F10-2B3C4D5E6F70}"
updates='HKCU\Software\Vorn Software\VornDemo\Global\Updates'
demo_title='VornDemo 1.0.0'
dialog="$demo_title - Updates"
start_demo() {
  "$run" "$prefix" 'C:\Program Files (x86)\VornDemo\VornDemo.exe' >/dev/null 2>&1 </dev/null &
  demo_pid=$!
}
demo_running() { window_of VornDemo.exe; }
close_demo() { drive "$prefix" "$demo_title" --close >/dev/null; wait_until 60 not demo_running; }

echo "== the first start asks nothing"
start_demo
check "VornDemo shows its window" wait_for_window_of VornDemo.exe
check "with the button Check for updates" waits wait_for_text "$prefix" "$demo_title" 'Check for updates…'
shot 1-first-start
check "VornDemo closes" close_demo
check "no feed was read at the first start" test "$(feed_reads)" -eq 0
check "the first start is recorded" test -n "$(reg_value "$prefix" "$updates" FirstStartDay)"

echo "== the next start checks in the background and offers version 2.0.0"
start_demo
shown="$(wait_for_text "$prefix" "$dialog" 'VornDemo 2.0.0 is available' 120)"
check "the dialog comes by itself" shows "$shown" 'VornDemo 2.0.0 is available'
check "it says which version is installed" grep -q 'You have version 1.0.0' <<<"$shown"
check "with the release notes' link" grep -q 'What is new in this version' <<<"$shown"
check "and offers Install now, Skip this version, Remind me later" shows_all "$shown" \
  'Install now' 'Skip this version' 'Remind me later'
check "the feed was read once" test "$(feed_reads)" -eq 1
shot 2-offer
keys Escape
check "Esc is Remind me later: the dialog goes" wait_until 30 not drive "$prefix" "$dialog" --timeout 1
check "and VornDemo stays" demo_running

echo "== Skip this version, then the user asks again"
keys alt+u
shown="$(wait_for_text "$prefix" "$dialog" 'VornDemo 2.0.0 is available' 120)"
check "Alt+U checks at once" shows "$shown" 'VornDemo 2.0.0 is available'
keys alt+s
check "Alt+S skips: the dialog goes" wait_until 30 not drive "$prefix" "$dialog" --timeout 1
check "VornDemo closes" close_demo
check "the skipped version is remembered" test "$(reg_value "$prefix" "$updates" SkippedVersion)" = 2.0.0
start_demo
check "VornDemo starts again" wait_for_window_of VornDemo.exe
keys alt+u
shown="$(wait_for_text "$prefix" "$dialog" 'VornDemo 2.0.0 is available' 120)"
check "asked for, the skipped version is offered again" shows "$shown" 'VornDemo 2.0.0 is available'

echo "== Install now: VornDemo closes, version 2.0.0 is installed, VornDemo starts again"
keys alt+i
check "the dialog goes" wait_until 30 not drive "$prefix" "$dialog" --timeout 1
check "VornDemo was asked to close and ended" wait_until 120 bash -c '! kill -0 "$0" 2>/dev/null' "$demo_pid"
entry_says() { test "$(reg_value "$prefix" "$entry" DisplayVersion)" = "$1"; } # version
check "the entry says 2.0.0" wait_until 300 entry_says 2.0.0
installed_is_two() { cmp -s "$installed/Help/Readme.txt" "$work/app-2.0.0/Help/Readme.txt"; }
check "version 2.0.0's files are in place" wait_until 120 installed_is_two
check "VornDemo runs again" wait_for_window_of VornDemo.exe
shot 3-after-update
check "VornDemo closes" close_demo

echo "== in German, asked again: up to date"
"$run" "$prefix" 'C:\Program Files (x86)\VornDemo\VornDemo.exe' /Language:de >/dev/null 2>&1 </dev/null &
check "VornDemo starts in German" waits wait_for_text "$prefix" "$demo_title" 'Nach Updates suchen…'
keys alt+u
shown="$(wait_for_text "$prefix" "$demo_title - Updates" 'VornDemo ist auf dem neuesten Stand' 120)"
check "Alt+U: the check says VornDemo is up to date" shows "$shown" 'VornDemo ist auf dem neuesten Stand'
shot 4-up-to-date-de
keys Return
check "Return closes the message" wait_until 30 not drive "$prefix" "$demo_title - Updates" --timeout 1
drive "$prefix" "$demo_title" --close >/dev/null
finish_prefix "$prefix"

finish_checks
