#!/bin/bash
# Sourced by the wizard's end-to-end scripts after e2e-common.sh (and with
# `shots` and `driver` set): every program of a prefix made from now on runs
# in one Wine virtual desktop, so that screenshots show the title bar, and the
# helpers that drive the wizard through WindowDriver.
# shellcheck disable=SC2154 # set by the sourcing script

# Every program of a prefix made from now on shares one virtual desktop.
for value in 'Explorer /v Desktop /d Default' 'Explorer\Desktops /v Default /d 1024x768'; do
  read -r key rest <<<"$value"
  # shellcheck disable=SC2086 # the value's words are reg's arguments
  reg_set "$template" "HKCU\\Software\\Wine\\$key" $rest || echo "the virtual desktop is not set up" >&2
done
WINEPREFIX="$template" wineserver -w

# shellcheck disable=SC2034 # the sourcing scripts read them
title='VornDemo Setup'
folder_label='Install VornDemo in this folder:'
default_folder='C:\Program Files (x86)\VornDemo'
desktop_links() { ls "$1"/drive_c/users/*/Desktop/*.lnk 2>/dev/null; } # prefix
windows_path() { echo "Z:${1//\//\\}"; } # a path of this machine as Wine's programs see it
shot() { import -window root "$shots/wizard-$1.png" 2>/dev/null || echo "  (no screenshot: $1)"; }

# WindowDriver in the prefix: its output without carriage returns, its exit code.
drive() { # prefix window [options...]
  local prefix="$1"; shift
  "$run" "$prefix" "$driver" "$@" 2>/dev/null </dev/null | tr -d '\r'
  return "${PIPESTATUS[0]}"
}
# The visible controls ("class<TAB>state<TAB>text") once `predicate controls
# [arguments...]` holds for them; what is on show when that does not happen in
# time. The page on show and its focus are read again until then: a page
# appears a moment before its focus arrives.
wait_for_controls() { # prefix window seconds predicate [arguments...]
  local prefix="$1" window="$2" end=$((SECONDS + $3)) shown
  shift 3
  while :; do
    shown="$(drive "$prefix" "$window" --timeout 10 --controls)"
    "$1" "$shown" "${@:2}" && { echo "$shown"; return 0; }
    [ "$SECONDS" -ge "$end" ] && { echo "$shown"; return 1; }
    sleep 0.3
  done
}
# For a check: a wait_for_* that prints what was on show only when it failed.
waits() { local shown; shown="$("$@")" && return 0; sed 's/^/      /' <<<"$shown"; return 1; }
wait_for_text() { wait_for_controls "$1" "$2" "${4:-30}" shows "$3"; } # prefix window text [seconds]
shows() { cut -f3 <<<"$1" | grep -qxF -- "$2"; } # controls text
shows_all() { local controls="$1" text; shift; for text; do shows "$controls" "$text" || return 1; done; } # controls texts...
state_of() { awk -F'\t' -v text="$2" '$3 == text { print $2; exit }' <<<"$1"; } # controls text
# The text of the visible edit box right after the label (or the combo box after it).
edit_after() { # controls label
  awk -F'\t' -v label="$2" 'seen && $1 == "Edit" { print $3; exit } $3 == label { seen = 1 }' <<<"$1"
}
# Key presses as a user makes them, to the window that has the focus
# (xdotool's names: "Tab", "ctrl+Tab", "alt+f", "Return", "Escape").
keys() { xdotool key --delay 120 "$@"; }
typed() { xdotool type --delay 40 "$1"; }
focused() { awk -F'\t' '$5 == "focus" { print $3; exit }' <<<"$1"; } # controls -> the focused text
focus_on() { [ "$(focused "$1")" = "$2" ]; } # controls text
focus_line() { awk -F'\t' '$5 == "focus" { print; exit }' <<<"$1"; } # controls -> the focused control
focus_moved() { local now; now="$(focus_line "$1")"; [ -n "$now" ] && [ "$now" != "$2" ]; } # controls line
# The visible controls once the control showing `text` has the focus.
wait_for_focus() { wait_for_controls "$1" "$2" "${4:-20}" focus_on "$3"; } # prefix window text [seconds]
# The visible controls once a control other than `line` (as focus_line gives
# it; "" for none) has the focus.
wait_for_focus_moved() { wait_for_controls "$1" "$2" "${4:-20}" focus_moved "$3"; } # prefix window line [seconds]
# A setup's launcher, started in the background; its process is $setup_pid.
start_setup_of() { # prefix setup [switches...]
  local prefix="$1" program="$2"; shift 2
  "$run" "$prefix" "$program" "$@" >/dev/null 2>&1 </dev/null &
  setup_pid=$!
}
start_setup() { local prefix="$1"; shift; start_setup_of "$prefix" "$work/VornDemoSetup.exe" "$@"; }
# The exit code of a background process, or 124 when it still runs after `seconds`.
exit_code_of() { # pid seconds
  local end=$((SECONDS + $2))
  while kill -0 "$1" 2>/dev/null; do
    [ "$SECONDS" -ge "$end" ] && return 124
    sleep 0.2
  done
  wait "$1"
}
# Ends the scenario: no Wine process left, and the prefix's space given back.
end_scenario() { # prefix
  kill "$setup_pid" 2>/dev/null; finish_prefix "$1"; wait "$setup_pid" 2>/dev/null; rm -rf "$1"
}
program_files() { echo "$1/drive_c/Program Files (x86)/VornDemo"; }
# $work/ManySetup.exe: VornDemo with thousands of small files beside it, whose
# copy takes seconds under Wine (each file costs a few system calls), so that
# the copy page can be seen and closed while it runs.
make_many_files_setup() {
  [ -f "$work/ManySetup.exe" ] && return
  rm -rf "$work/many"; mkdir -p "$work/many"; cp -a "$work/app/." "$work/many/"
  python3 - "$work/many" <<'PY'
import os, random, sys
random.seed(7)
for part in range(50):
    folder = f"{sys.argv[1]}/Data/Part{part:02}"
    os.makedirs(folder)
    for number in range(100):
        with open(f"{folder}/Item{number:03}.bin", "wb") as file:
            file.write(random.randbytes(4096))
PY
  make_setup "$work/many" "$work/ManySetup.exe" store
}
