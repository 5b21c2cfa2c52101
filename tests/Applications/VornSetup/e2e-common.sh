#!/bin/bash
# Sourced by the end-to-end scripts once vornpack, stub, demo, definitions, run
# and work are set: checks, a setup executable with VornDemo in it, fresh Wine
# prefixes copied from one template, and readers for the registry and files.
# Without `demo`, only the prefixes and the readers.
export WINEDEBUG=-all
source "$(dirname "${BASH_SOURCE[0]}")/../../checks.sh"
source "$(dirname "${BASH_SOURCE[0]}")/../../wine-registry.sh"

# A test given VORN_OWN_DISPLAY (by CMake) has an X display of its own: it runs
# beside another test that shows windows, and its pictures show only its own.
if [ -n "${VORN_OWN_DISPLAY:-}" ]; then
  source "$(dirname "${BASH_SOURCE[0]}")/../../../scripts/lib.sh"
  start_xvfb
fi

# The command lines of the programs matching a pattern that run in this prefix
# (other tests may run the same programs in theirs at the same time).
prefix_processes() { # prefix pattern
  local pid
  for pid in $(pgrep -f "$2"); do
    tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$1" || continue
    tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null; echo
  done
}

# A program shows its window on this display (by then it has taken its
# single-instance mutex). Wine names a window's class after its program.
window_of() { xdotool search --class "^$1\$" >/dev/null 2>&1; } # program file
wait_for_window_of() { wait_until 120 window_of "$1"; } # program file, e.g. VornDemo.exe

rm -rf "$work"; mkdir -p "$work/app"
make_setup() { # application folder, setup to write [, method]
  "$vornpack" setup --app "$1" --definitions "$definitions" --stub "$stub" -o "$2" \
    ${3:+--method "$3"} >/dev/null || { echo "VornPack setup failed"; exit 1; }
}
if [ -n "${demo:-}" ]; then
  cp "$demo" "$work/app/VornDemo.exe"
  touch -d '2024-05-06 07:08:09 UTC' "$work/app/VornDemo.exe"
  mkdir -p "$work/app/Help"; printf 'VornDemo help\n' > "$work/app/Help/Readme.txt"
  touch -d '2023-01-02 03:04:05 UTC' "$work/app/Help/Readme.txt"
  make_setup "$work/app" "$work/VornDemoSetup.exe"
fi

# One scenario's prefix at a time beside the templates (the blank one, and
# those a script prepares and marks with keep_as_template); the system's
# program files are most of a prefix's size (over a gigabyte) and no test
# writes them: the copies share them by hard links.
fresh_prefix() { # name [template]
  local old
  for old in "$work"/*/drive_c; do
    old="$(dirname "$old")"
    [ -d "$old/drive_c" ] && [ "$old" != "$template" ] && [ ! -e "$old/.vorn-template" ] && rm -rf "$old"
  done
  copy_prefix "$@"
}
# A copy that leaves the other prefixes alone, for scenarios run side by side
# (each deletes its own).
copy_prefix() { # name [template]
  local prefix="$work/$1" source="${2:-$template}" shared=(drive_c/windows/system32 drive_c/windows/syswow64) folder
  rm -rf "$prefix"; mkdir -p "$prefix"
  # The POSIX format keeps the files' dates to the nanosecond.
  tar -C "$source" --format=posix "${shared[@]/#/--exclude=./}" --exclude=./.vorn-template -cf - . |
    tar -C "$prefix" -xf -
  for folder in "${shared[@]}"; do
    [ -d "$source/$folder" ] && cp -al "$source/$folder" "$prefix/$(dirname "$folder")/"
  done
  echo "$prefix"
}
# The blank template: a copy of the prefix prepared once for every script
# (CMake names it in VORN_WINE_TEMPLATE; run by hand, one beside the work
# folder), which a script may then change for all its scenarios.
prepared="${VORN_WINE_TEMPLATE:-$work.template}"
"$(dirname "$run")/wine-prefix.sh" template "$prepared"
template="$(copy_prefix template "$prepared")"
keep_as_template() { WINEPREFIX="$1" wineserver -w; touch "$1/.vorn-template"; } # prefix
finish_prefix() { WINEPREFIX="$1" wineserver -k >/dev/null 2>&1 || true; }
setup() { local prefix="$1"; shift; "$run" "$prefix" "$work/VornDemoSetup.exe" "$@" >/dev/null 2>&1 </dev/null; }
# The program group of an installation for all users.
group_in() { echo "$1/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/VornDemo"; } # prefix
entry='HKLM\Software\WOW6432Node\Microsoft\Windows\CurrentVersion\Uninstall\{7E3F2A91-5C4B-4D8E-9F10-2B3C4D5E6F70}'
files_listed() { # prefix -> the uninstall entry's FilesList values sorted, each ended by "|"
  # (listed in the order the setup copies them, which packing chooses)
  local i=0 value
  while value="$(reg_value "$1" "$entry\\FilesList" $i)" && [ -n "$value" ]; do
    echo "$value"; i=$((i + 1))
  done | sort | tr '\n' '|'
}
snapshot() { # prefix -> listing of files with sizes, without Wine's own churn
  (cd "$1/drive_c" && find . -path ./windows -prune -o -path ./users/*/AppData/Local/Temp -prune \
     -o -printf '%p %s\n' | sort)
}

files_of() { # prefix -> every file and folder under drive_c except Wine's own windows folder
  (cd "$1/drive_c" && find . -path ./windows -prune -o -printf '%p %s\n' | sort)
}
registry_of() { # prefix -> one line per key and per value, without time stamps
  WINEPREFIX="$1" wineserver -k >/dev/null 2>&1 || true
  python3 - "$1" <<'PY'
import sys
lines = []
for hive in ("system.reg", "user.reg", "userdef.reg"):
    key = None
    with open(f"{sys.argv[1]}/{hive}", encoding="utf-8", errors="replace") as text:
        for line in text:
            line = line.rstrip("\n")
            if line.startswith("["):
                key = hive + ":" + line[1:line.rindex("]")]
                lines.append(key)
            elif key and line and not line.startswith("#") and not line.startswith(";"):
                lines.append(key + " | " + line)
print("\n".join(sorted(lines)))
PY
}
# A value of a result file, "null" for JSON's null.
result_of() { python3 -c 'import json,sys; v=json.load(open(sys.argv[1]))[sys.argv[2]]; print("null" if v is None else v)' "$1" "$2"; } # file name
# The removal's batch files: in a folder of their own in the system's
# temporary folder (an elevated removal), or in the user's.
batch_files_in() { # prefix
  ls -d "$1"/drive_c/windows/temp/VornLib-Removal-* "$1"/drive_c/users/*/AppData/Local/Temp/*Uninstall.cmd 2>/dev/null
}
# Started by the uninstaller, the removal batch file outlives it: wait until
# it has deleted itself (and its folder).
no_batch_file_in() { [ -z "$(batch_files_in "$1")" ]; } # prefix
wait_for_batch_file() { # prefix
  wait_until 120 no_batch_file_in "$1" && sleep 1
}
# The control id of a named window: CRC-16/CCITT-FALSE of the name in UTF-16LE.
name_id() { # name
  python3 -c '
import sys
crc = 0xFFFF
for byte in sys.argv[1].encode("utf-16-le"):
    crc ^= byte << 8
    for _ in range(8):
        crc = ((crc << 1) ^ 0x1021 if crc & 0x8000 else crc << 1) & 0xFFFF
print(f"0x{crc:04x}")' "$1"
}

# Definitions of Hello, a product not built on the framework (PlainProgram as
# Hello.exe, removed by the framework's removal program), at `version`, with
# `declarations` added to its InstallationSettings.
hello_definitions() { # out version declarations
  rm -rf "$1"; cp -a "$definitions" "$1"
  python3 - "$1/Configuration.xml" "$2" "$3" <<'PY'
import sys
path, version, declarations = sys.argv[1:4]
text = open(path, encoding="utf-8").read()
text = text.replace("<RemovedBy>Application</RemovedBy>", "<RemovedBy>VornUninstall</RemovedBy>")
text = text.replace('Version="1.0.0"\n                 Company="Vorn Software"', f'Version="{version}"\n                 Company="Vorn Software"')
text = text.replace("VornDemo.exe</Executable>", "Hello.exe</Executable>")
text = text.replace(">VornDemo.exe</Shortcut>", ">Hello.exe</Shortcut>")
text = text.replace("</InstallationSettings>", "  " + declarations + "\n  </InstallationSettings>")
open(path, "w", encoding="utf-8").write(text)
PY
}

# VornPack refuses the definitions: it writes no setup, and says why.
packing_refuses() { # definitions what pattern-of-the-message
  local said
  rm -f "$work/Refused.exe"
  said="$("$vornpack" setup --app "$work/app" --definitions "$1" --stub "$stub" -o "$work/Refused.exe" 2>&1)"
  check "VornPack refuses $2" test ! -e "$work/Refused.exe"
  check "and says why: $said" grep -q "$3" <<<"$said"
}

# Runs `<command> machine` in a lane of its own beside `<command> user`; the
# lane's checks and counts join this script's when both have ended.
in_both_scopes() { # command
  local lane
  # shellcheck disable=SC2030,SC2031 # the lane's counts come back through its file
  ( checks=0; failures=0; skipped=0; "$1" machine
    echo "$checks $failures $skipped" > "$work/machine.counts" ) > "$work/machine.log" 2>&1 &
  lane=$!
  "$1" user
  wait "$lane"
  cat "$work/machine.log"
  # shellcheck disable=SC2031
  if read -r counted failed skips < "$work/machine.counts"; then
    checks=$((checks + counted)); failures=$((failures + failed)); skipped=$((skipped + skips))
  else
    check "the machine's lane ran to its end" false
  fi
}
