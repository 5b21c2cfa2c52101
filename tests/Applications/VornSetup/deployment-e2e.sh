#!/bin/bash
# deployment-e2e.sh <VornPack> <VornSetup stub> <VornDemo.exe> <definitions> <wine-run> <work folder> <WindowDriver.exe> <HoldOpen.exe> [<screenshot folder>]
# What an administrator deploying the setup relies on, judged by the world
# the setup leaves and by reading its log and result file back: "/Passive"
# (the copy page alone, photographed, ending by itself, with "/NoCancel" not
# to be stopped; cancelled without it), the log of
# an installation that succeeds, fails and is killed, and of a removal, the
# result file of each exit code the setup can be driven into, checked against
# the README's tables (and a removal's 4), and VornPack manifest on the setup,
# held to the winget schemas' rules.
# shellcheck source-path=SCRIPTDIR
# shellcheck disable=SC2016,SC1003 # single quotes hold Windows paths
set -uo pipefail
# shellcheck disable=SC2034 # e2e-common.sh reads them
{ vornpack="$1"; stub="$2"; demo="$3"; definitions="$4"; run="$5"; work="$6"; driver="$7"; helper="$8"; }
shots="${9:-$6/screenshots}"
source "$(dirname "$0")/../../../scripts/lib.sh"
start_xvfb
source "$(dirname "$0")/e2e-common.sh"
mkdir -p "$shots"
source "$(dirname "$0")/wizard-common.sh"
readme="$(dirname "$0")/../../../README.md"

deploy() { echo "$1/drive_c/Deploy"; } # C:\Deploy of a prefix

# Judges a result file against the README: its fields exactly those of the
# table of fields, in order and with their types, and its exit code with the
# name and meaning that the table of exit codes gives. Prints what is wrong.
judge_result() { # file expected-exit-code
  python3 - "$readme" "$1" "$2" 2>&1 <<'PY'
import json, re, sys
readme, path, expected = open(sys.argv[1], encoding="utf-8").read(), sys.argv[2], int(sys.argv[3])
def table(header):
    lines = readme.split("\n")
    start = lines.index(header) + 2
    rows = []
    for line in lines[start:]:
        if not line.startswith("|"):
            break
        rows.append([cell.strip() for cell in line.strip("|").split("|")])
    return rows
try:
    text = open(path, encoding="utf-8").read()
    document = json.loads(text, object_pairs_hook=lambda pairs: pairs)
except (OSError, ValueError) as error:
    sys.exit(print(f"no document: {error}"))
fields = table("| field | type | meaning |")
names = [row[0].strip("`") for row in fields]
if [key for key, _ in document] != names:
    print(f"fields {[key for key, _ in document]}, the README's {names}")
types = {"integer": lambda v: type(v) is int, "number": lambda v: type(v) in (int, float),
         "string": lambda v: type(v) is str, "boolean": lambda v: type(v) is bool,
         "string or null": lambda v: v is None or type(v) is str,
         "array of strings": lambda v: type(v) is list and all(type(i) is str for i in v)}
values = dict(document)
for row in fields:
    name, kind = row[0].strip("`"), row[1]
    if name in values and not types[kind](values[name]):
        print(f"{name} = {values[name]!r} is no {kind}")
codes = {(row[0], row[1]): row for row in table("| program | exit code | name | meaning | winget response | standard code |")}
row = codes.get(("setup", str(expected)), codes[("setup", "any other")])
said = (values.get("exitCode"), values.get("exitCodeName"), values.get("exitCodeMeaning"))
if said != (expected, row[2].strip("`"), row[3]):
    print(f"says {said}, the README {expected} {row[2]} {row[3]}")
PY
}
# Judges a log: every line complete, "<UTC time> <event> <text>" with an event
# of the README's table, times in order. Prints what is wrong.
judge_log() { # file
  python3 - "$readme" "$1" 2>&1 <<'PY'
import re, sys
readme, path = open(sys.argv[1], encoding="utf-8").read(), sys.argv[2]
events = set(re.findall(r"^\| `([A-Za-z]+)` \| ", readme, re.M))
try:
    data = open(path, "rb").read().decode("utf-8")
except (OSError, UnicodeDecodeError) as error:
    sys.exit(print(f"unreadable: {error}"))
if not data.endswith("\r\n"):
    print("the last line is not complete")
last = ""
for line in data.split("\r\n")[:-1]:
    match = re.match(r"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z) ([A-Za-z]+) ", line)
    if not match or match.group(2) not in events:
        print(f"not an event line: {line!r}")
    elif match.group(1) < last:
        print(f"out of order: {line!r}")
    else:
        last = match.group(1)
PY
}
# The prefix's files without the logs and result files the test asked for.
outside_reports() { snapshot "$1" | grep -v -e '^\./Deploy' -e '/Temp/VornDemo Setup [0-9-]*\.log '; }
events_of() { tr -d '\r' <"$1" | cut -d' ' -f2- ; } # a log's lines without their times
# Every file a log says was written, except the last `spare`, in the folder with the size the line names.
judge_files() { # log install-folder spare [suffix of a file finished beside its place]
  python3 - "$1" "$2" "$3" "${4:-}" <<'PY'
import os, re, sys
lines = re.findall(r"^\S+ File (.*) \((\d+) bytes\)\r$", open(sys.argv[1], encoding="utf-8", newline="").read(), re.M)
lines = lines[:len(lines) - int(sys.argv[3])]
for relative, size in lines:
    path = os.path.join(sys.argv[2], relative)
    places = [path, path + sys.argv[4]] if sys.argv[4] else [path]
    if not any(os.path.isfile(p) and os.path.getsize(p) == int(size) for p in places):
        print(f"{relative}: not there with {size} bytes")
print(f"{len(lines)} files") if not lines else None
PY
}
shows_only_copy_page() { # controls Cancel's-state
  shows "$1" 'Please wait while the files are copied to your computer.' &&
    test "$(grep -c '^Button' <<<"$1")|$(state_of "$1" Cancel)" = "1|$2" &&
    ! grep -qE 'Welcome|License|Options|Install$|Close' <<<"$(cut -f3 <<<"$1")"
}

make_many_files_setup
many_files=$(find "$work/many" -type f | wc -l)
many_bytes=$(find "$work/many" -type f -printf '%s\n' | awk '{s += $1} END {print s}')

echo "== /Passive /NoCancel: the copy page alone, not to be stopped, closing by itself (${SECONDS}s)"
prefix="$(fresh_prefix passive)"
before="$(snapshot "$prefix")"
start_setup_of "$prefix" "$work/ManySetup.exe" /Passive /NoCancel '/Log:C:\Deploy\passive.log' '/ResultFile:C:\Deploy\passive.json'
passive_pid=$setup_pid
shown="$(wait_for_text "$prefix" "$title" 'Please wait while the files are copied to your computer.' 60)"
check "the copy page comes at once" shows "$shown" 'Please wait while the files are copied to your computer.'
check "alone, its Cancel button disabled: no tab, no Install, no Close" shows_only_copy_page "$shown" disabled
shot passive-copy
# Closed as its title bar's button closes it: no question, the copy goes on
# (the setup ends with 0 and every file below).
drive "$prefix" "$title" --close >/dev/null; code=$?
check "its window takes the close ($code)" test "$code" -eq 0
windows="$(drive "$prefix" --list)"
check "and stays, copying, without asking to cancel" test "$(grep -cxF -e "$title" -e "$title - Cancel installation" <<<"$windows")|$(grep -cxF "$title" <<<"$windows")" = '1|1'
# Another setup meanwhile: 45, said in its result file and its log, with no window.
"$run" "$prefix" "$work/VornDemoSetup.exe" /Passive '/ResultFile:C:\Deploy\second.json' '/Log:C:\Deploy\second.log' >/dev/null 2>&1 </dev/null; code=$?
check "a second setup meanwhile ends with 45, another setup running ($code)" test "$code" -eq 45
check "its result file says 45 as the README does" test -z "$(judge_result "$(deploy "$prefix")/second.json" 45)"
judge_result "$(deploy "$prefix")/second.json" 45
check "its log says another setup runs" grep -qxF 'Failure another setup of VornDemo is running' <(events_of "$(deploy "$prefix")/second.log")
setup_pid=$passive_pid
exit_code_of "$setup_pid" 120; code=$?
check "the passive setup ends by itself with 0 ($code)" test "$code" -eq 0
check "no window of it is left" bash -c '! grep -qxF "$1" <<<"$2"' _ "$title" "$(drive "$prefix" --list)"
installed="$(program_files "$prefix")"
check "every file installed" diff -rq -x VornLib.Setup.exe "$work/many" "$installed"
log="$(deploy "$prefix")/passive.log"
check "the log is made of event lines" test -z "$(judge_log "$log")"
judge_log "$log" | head -5
events="$(events_of "$log")"
check "it begins with the setup and its build" grep -qE '^Program VornDemo 1\.0\.0 setup \(VornSetup [0-9.]+, build ([0-9a-f]+|unknown), (32|64)-bit\)$' <<<"$(head -1 <<<"$events")"
for line in 'CommandLine .*/Passive' 'Windows [0-9.]+.*-bit' 'Rights ' 'Scope machine' \
            'InstallFolder C:\\Program Files \(x86\)\\VornDemo$' 'ProgramGroup VornDemo$' \
            'Previous none' 'Elevation starting the elevated copy:.*-Passive -NoCancel' \
            'RegistryKey HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\\{7E3F2A91' \
            'Shortcut C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\VornDemo\\VornDemo.lnk' \
            'HandOff "C:\\Program Files \(x86\)\\VornDemo\\VornDemo.exe" /Install /Log:' 'HandOff ended with 0' \
            'Registration HKCR\\\.vdm \(default\) = VornDemo\.vdm$' \
            'Registration HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\VornDemo\.exe Path = C:\\Program Files \(x86\)\\VornDemo$' \
            'Elevation the elevated copy ended with 42'; do
  check "the log says \"$line\"" grep -qE "^$line" <<<"$events"
done
check "one File line for each of the $many_files files, and the kept setup" test "$(grep -c '^File ' <<<"$events")" -eq "$((many_files + 1))"
check "each File line names a file installed with its size" test -z "$(judge_files "$log" "$installed" 0)"
check "the last line is the result" test "$(tail -1 <<<"$events")" = 'Result 0 installed: The application is installed.'
result="$(deploy "$prefix")/passive.json"
check "the result file says 0 as the README does" test -z "$(judge_result "$result" 0)"
judge_result "$result" 0
check "with the files and bytes installed" test "$(result_of "$result" filesInstalled) $(result_of "$result" bytesInstalled)" = "$many_files $many_bytes"
check "the removal command of the entry" test "$(result_of "$result" uninstallCommand)" = "$(reg_value "$prefix" "$entry" UninstallString)"
check "the product, the folder and the log" test "$(result_of "$result" productUuid)|$(result_of "$result" scope)|$(result_of "$result" installFolder)|$(result_of "$result" logFile)" = '7E3F2A91-5C4B-4D8E-9F10-2B3C4D5E6F70|machine|C:\Program Files (x86)\VornDemo|C:\Deploy\passive.log'

echo "== VornPack manifest on the demo setup (${SECONDS}s)"
"$vornpack" manifest "$work/VornDemoSetup.exe" --url https://vorn.example/download/VornDemoSetup.exe --out "$work/manifests" >/dev/null; code=$?
check "VornPack manifest ends with 0 ($code)" test "$code" -eq 0
check "three files" test "$(find "$work/manifests" -type f | sort | xargs -n1 basename | tr '\n' ' ')" = 'VornSoftware.VornDemo.installer.yaml VornSoftware.VornDemo.locale.en-US.yaml VornSoftware.VornDemo.yaml '
yaml_value() { sed -n "s/^[ -]*$2: '\\{0,1\\}\\([^']*\\)'\\{0,1\\}\$/\\1/p" "$work/manifests/VornSoftware.VornDemo.$1" | head -1; }
check "InstallerSha256 is sha256sum of the setup" test "$(yaml_value installer.yaml InstallerSha256 | tr A-F a-f)" = "$(sha256sum "$work/VornDemoSetup.exe" | cut -d' ' -f1)"
# What the manifest says the list of installed programs shows is what the setup registered.
check "ProductCode is the uninstall entry's key name" test "{$(yaml_value installer.yaml ProductCode | tr -d '{}')}" = "{${entry##*\{}"
for value in DisplayName Publisher DisplayVersion; do
  check "$value is the entry's" test "$(yaml_value installer.yaml "$value")" = "$(reg_value "$prefix" "$entry" "$value")"
done
check "the installer switches are the setup's" test "$(yaml_value installer.yaml Silent)|$(yaml_value installer.yaml SilentWithProgress)|$(yaml_value installer.yaml Log)" = '/Quiet|/Passive|/Log:"<LOGPATH>"'
check "the demo, which lets the user choose, is listed for all users first, then for the user" test "$(sed -n 's/^  Scope: //p' "$work/manifests/VornSoftware.VornDemo.installer.yaml" | tr '\n' ' ')" = 'machine user '
check "every version file says 1.10.0" test "$(grep -h '^ManifestVersion:' "$work/manifests"/*.yaml | sort -u)" = 'ManifestVersion: 1.10.0'
# The rules of the 1.10.0 schemas for what VornPack writes (required fields,
# patterns, lengths, the values of the enumerations), on the YAML as winget
# reads it. Prints what is wrong.
judge_manifests() { # folder
  python3 - "$1" <<'PY'
import glob, re, sys, yaml
identifier = r'[^.\s\\/:*?"<>|\x01-\x1f]{1,32}(\.[^.\s\\/:*?"<>|\x01-\x1f]{1,32}){1,7}'
common = {"PackageIdentifier": identifier, "PackageVersion": r'[^\\/:*?"<>|\x01-\x1f]{1,128}',
          "ManifestVersion": r"(0|[1-9]\d{0,4})(\.(0|[1-9]\d{0,4})){2}"}
kinds = {
    "version": {"DefaultLocale": r"[a-zA-Z]{2,3}(-[a-zA-Z0-9]{1,8})*"},
    "defaultLocale": {"PackageLocale": r"[a-zA-Z]{2,3}(-[a-zA-Z0-9]{1,8})*", "Publisher": r".{2,256}",
                      "PackageName": r".{2,256}", "License": r".{3,512}", "ShortDescription": r".{3,256}"},
    "installer": {"InstallerType": "exe", "UpgradeBehavior": "install|uninstallPrevious|deny",
                  "ProductCode": r".{1,255}"},
}
responses = set("packageInUse packageInUseByApplication installInProgress fileInUse missingDependency diskFull "
                "insufficientMemory invalidParameter noNetwork contactSupport rebootRequiredToFinish "
                "rebootRequiredForInstall rebootInitiated cancelledByUser alreadyInstalled downgrade "
                "blockedByPolicy systemNotSupported custom".split())
def match(name, pattern, value):
    if not isinstance(value, str) or not re.fullmatch(pattern, value):
        print(f"{name}: {value!r} breaks {pattern}")
seen = set()
for path in sorted(glob.glob(sys.argv[1] + "/*.yaml")):
    document = yaml.safe_load(open(path, encoding="utf-8"))
    kind = document.get("ManifestType")
    if kind not in kinds:
        print(f"{path}: ManifestType {kind!r}"); continue
    seen.add(kind)
    for name, pattern in {**common, **kinds[kind]}.items():
        match(name, pattern, document.get(name))
    if kind != "installer":
        continue
    if sorted(document.get("InstallModes", [])) != ["interactive", "silent", "silentWithProgress"]:
        print(f"InstallModes {document.get('InstallModes')}")
    switches = document.get("InstallerSwitches", {})
    for name in ("Silent", "SilentWithProgress", "InstallLocation", "Log"):
        match(name, r".{1,512}", switches.get(name))
    codes = [entry.get("InstallerReturnCode") for entry in document.get("ExpectedReturnCodes", [])]
    if 0 in codes or len(set(codes)) != len(codes) or not all(type(code) is int for code in codes):
        print(f"InstallerReturnCode {codes}: integers, unique, never 0")
    for entry in document.get("ExpectedReturnCodes", []):
        if entry.get("ReturnResponse") not in responses:
            print(f"ReturnResponse {entry.get('ReturnResponse')!r}")
    for entry in document.get("AppsAndFeaturesEntries", []):
        for name in ("DisplayName", "Publisher", "DisplayVersion"):
            match(name, r".{1,256}", entry.get(name))
    # A setup that lets the user choose is one installer per scope, each
    # with the switch that chooses it; the package's own fields hold for both.
    installers = document.get("Installers", [])
    scopes = [installer.get("Scope", document.get("Scope")) for installer in installers]
    if sorted(scopes) not in (["machine"], ["user"], ["machine", "user"]):
        print(f"installers of the scopes {scopes}")
    for installer, scope in zip(installers, scopes):
        elevation = installer.get("ElevationRequirement", document.get("ElevationRequirement"))
        if (elevation == "elevatesSelf") != (scope == "machine"):
            print(f"ElevationRequirement {elevation!r} for the scope {scope}")
        custom = installer.get("InstallerSwitches", {}).get("Custom")
        if len(installers) > 1 and custom != {"machine": "/AllUsers", "user": "/CurrentUser"}[scope]:
            print(f"Custom {custom!r} for the scope {scope}")
        match("Architecture", "x86|x64|arm|arm64|neutral", installer.get("Architecture"))
        match("InstallerUrl", r"[Hh][Tt][Tt][Pp][Ss]?://.{1,2040}", installer.get("InstallerUrl"))
        match("InstallerSha256", "[A-Fa-f0-9]{64}", installer.get("InstallerSha256"))
if seen != set(kinds):
    print(f"manifest types {sorted(seen)}")
PY
}
if python3 -c 'import yaml' 2>/dev/null; then
  check "the files keep the rules of the winget schemas" test -z "$(judge_manifests "$work/manifests")"
  judge_manifests "$work/manifests"
else
  skip_check "the files keep the rules of the winget schemas" "python3-yaml is not installed"
fi

echo "== the removal, passive and logged (${SECONDS}s)"
shortcuts=$(WINEPREFIX="$prefix" /usr/lib/wine/wine64 reg query "$entry\\ShortcutsList" 2>/dev/null | grep -c REG_SZ)
"$run" "$prefix" 'C:\Program Files (x86)\VornDemo\VornDemo.exe' /Uninstall /Passive '/Log:C:\Deploy\removal.log' >/dev/null 2>&1 </dev/null; code=$?
check "the removal ends with 0 without a question ($code)" test "$code" -eq 0
check "its batch file ran" wait_for_batch_file "$prefix"
check "nothing of the installation is left" test "$(outside_reports "$prefix")" = "$before"
log="$(deploy "$prefix")/removal.log"
check "the removal's log is made of event lines" test -z "$(judge_log "$log")"
events="$(events_of "$log")"
check "it begins with the removal" grep -qE '^Program VornDemo 1\.0\.0 removal' <<<"$(head -1 <<<"$events")"
check "in uninstall mode" grep -qx 'Mode uninstall' <<<"$events"
check "one Remove line for each file" test "$(grep -c '^Remove C:\\Program Files (x86)\\VornDemo\\Data' <<<"$events")" -eq $((many_files - 2))
check "and each of the $shortcuts shortcuts and the entry" test "$(grep -c '^Remove .*\.lnk$' <<<"$events")|$(grep -c '^Remove HKLM\\.*{7E3F2A91' <<<"$events")" = "$shortcuts|1"
check "its last line is the result" test "$(tail -1 <<<"$events")" = 'Result 0 removed: The program is removed.'
end_scenario "$prefix"

echo "== /Passive cancelled, with /Log alone (${SECONDS}s)"
prefix="$(fresh_prefix cancel)"
before="$(snapshot "$prefix")"
question="$title - Cancel installation"
start_setup_of "$prefix" "$work/ManySetup.exe" /Passive /Log '/ResultFile:C:\Deploy\cancel.json'
shown="$(wait_for_text "$prefix" "$title" 'Please wait while the files are copied to your computer.' 60)"
check "its Cancel button is enabled without /NoCancel" shows_only_copy_page "$shown" enabled
drive "$prefix" "$title" --click Cancel --window "$question" --click Yes >/dev/null; code=$?
check "Cancel asks, and Yes can be pressed ($code)" test "$code" -eq 0
exit_code_of "$setup_pid" 60; code=$?
check "the cancelled setup ends with 8 ($code)" test "$code" -eq 8
check "without a page after the copy" bash -c '! grep -qxF "$1" <<<"$2"' _ "$title" "$(drive "$prefix" --list)"
check "nothing installed" test "$before" = "$(outside_reports "$prefix")"
result="$(deploy "$prefix")/cancel.json"
check "the result file says 8 as the README does" test -z "$(judge_result "$result" 8)"
judge_result "$result" 8
check "with nothing installed and nothing to remove" test "$(result_of "$result" filesInstalled)|$(result_of "$result" uninstallCommand)" = '0|null'
logfile="$(result_of "$result" logFile)"
# The user's %TEMP%: AppData\Local\Temp on Windows, Temp in some Wine profiles.
check "/Log alone names \"VornDemo Setup <time>.log\" in the temporary folder ($logfile)" grep -qE '^C:\\users\\[^\\]+\\(AppData\\Local\\)?Temp\\VornDemo Setup [0-9]{8}-[0-9]{6}\.log$' <<<"$logfile"
log="$prefix/drive_c/$(tr '\\' / <<<"${logfile#C:\\}")"
check "the log is there, made of event lines" test -z "$(judge_log "$log")"
check "it says the copy was taken back" grep -q '^RollBack ' <(events_of "$log")
check "and ends with the result" test "$(events_of "$log" | tail -1)" = "Result 8 cancelled: $(sed -n 's/^| setup | 8 | `cancelled` | \(.*\) | `cancelledByUser` | 1602 |$/\1/p' "$readme")"
end_scenario "$prefix"

echo "== each exit code the setup can be driven into, and its result file (${SECONDS}s)"
prefix="$(fresh_prefix codes)"
installed="$(program_files "$prefix")"
run_code() { # expected result-name switches...
  local expected="$1" name="$2"; shift 2
  "$run" "$prefix" "$@" "/ResultFile:C:\\Deploy\\$name.json" >/dev/null 2>&1 </dev/null; local code=$?
  check "$name ends with $expected ($code)" test "$code" -eq "$expected"
  check "its result file says $expected as the README does" test -z "$(judge_result "$(deploy "$prefix")/$name.json" "$expected")"
  judge_result "$(deploy "$prefix")/$name.json" "$expected"
}
run_code 5 refused "$work/VornDemoSetup.exe" /Quite '/Log:C:\Deploy\refused.log'
check "the refused command line's log says why" grep -q '^CommandLine refused: Unknown switch "/Quite"' <(events_of "$(deploy "$prefix")/refused.log")
run_code 31 folder "$work/VornDemoSetup.exe" /Quiet '/InstallFolder:relative\VornDemo'
before="$(outside_reports "$prefix")"
run_code 31 device "$work/VornDemoSetup.exe" /Quiet '/InstallFolder:C:\Apps\COM1.txt\Demo' '/Log:C:\Deploy\device.log'
check "a device's name: the log says which rule" grep -qF 'CommandLine refused: The install folder "C:\Apps\COM1.txt\Demo" is refused (a part that names a device' <(events_of "$(deploy "$prefix")/device.log")
long='C:'; for part in 1 2 3 4; do long+="\\$(printf "Part$part%.0s-long-folder-name" {1..5})"; done; long+='\VornDemo'
run_code 31 toolong "$work/VornDemoSetup.exe" /Quiet "/InstallFolder:$long" '/Log:C:\Deploy\toolong.log'
check "a folder of ${#long} characters: the log says it is too long" grep -qF "InstallFolder refused: too long, \"$long\\VornDemo.exe\" would have $(( ${#long} + 13 )) characters" <(events_of "$(deploy "$prefix")/toolong.log")
# A drive that does not exist: its own code, decided before anything is written.
run_code 47 unavailable "$work/VornDemoSetup.exe" /Quiet '/InstallFolder:Q:\Demo' '/Log:C:\Deploy\unavailable.log'
check "the log says the drive does not exist" grep -qxF 'InstallFolder unavailable: the drive Q: does not exist' <(events_of "$(deploy "$prefix")/unavailable.log")
check "nothing was touched by the refused folders" test "$before" = "$(outside_reports "$prefix")"
check "no uninstall entry" reg_absent "$prefix" "$entry" DisplayName
# A folder stands where the program's file must go.
mkdir -p "$installed/VornDemo.exe"
before="$(outside_reports "$prefix")"
run_code 17 failed "$work/VornDemoSetup.exe" /Quiet '/Log:C:\Deploy\failed.log'
log="$(deploy "$prefix")/failed.log"
check "the failed installation's log is made of event lines" test -z "$(judge_log "$log")"
events="$(events_of "$log")"
check "it names the file that could not be put in place" grep -qxF "File VornDemo.exe ($(stat -c %s "$work/app/VornDemo.exe") bytes)" <<<"$events"
check "then the roll-back, and the result" test "$(sed -n '/^File VornDemo.exe/,$p' <<<"$events" | grep -c '^RollBack ')|$(tail -1 <<<"$events" | cut -d' ' -f1-3)" = '1|Result 17 accessDenied:'
check "the failing step names the full path and the Windows error" grep -qF 'Failure replacing "C:\Program Files (x86)\VornDemo\VornDemo.exe": error 5 (' <<<"$events"
check "and nothing is left" test "$before" = "$(outside_reports "$prefix")"
rm -rf "$installed"
# The damaged setup of the wizard's test: bytes in the middle of the payload changed.
cp "$work/VornDemoSetup.exe" "$work/Damaged.exe"
size=$(stat -c %s "$work/Damaged.exe")
printf '\377\000\377\000\377\000\377\000' | dd of="$work/Damaged.exe" bs=1 seek=$((size - (size - $(stat -c %s "$stub")) / 2)) conv=notrunc 2>/dev/null
run_code 22 damaged "$work/Damaged.exe" /Quiet
# An old program that another program holds open.
mkdir -p "$installed"; printf 'old program\n' > "$installed/VornDemo.exe"
"$run" "$prefix" "$helper" 'C:\Program Files (x86)\VornDemo\VornDemo.exe' 'C:\held.txt' >/dev/null 2>&1 </dev/null &
holder=$!
wait_until 120 test -e "$prefix/drive_c/held.txt"
check "the helper holds the file (HoldOpen started)" test -e "$prefix/drive_c/held.txt"
# Not asked to close (programs-in-the-way-e2e.sh has the default): refused.
run_code 27 held "$work/VornDemoSetup.exe" /Quiet /NoCloseApplications '/Log:C:\Deploy\held.log'
check "the log names the file held, with the Windows error" grep -qF 'Failure replacing "C:\Program Files (x86)\VornDemo\VornDemo.exe": error 32 (' <(events_of "$(deploy "$prefix")/held.log")
kill "$holder" 2>/dev/null; wait "$holder" 2>/dev/null; rm -rf "$installed" "$prefix/drive_c/held.txt"
drive_d="$work/drive-d"; mkdir -p "$drive_d"
if mount_error="$(mount -t tmpfs -o size=8m vorn-deploy "$drive_d" 2>&1)"; then
  ln -sfn "$drive_d" "$prefix/dosdevices/d:"
  run_code 13 full "$work/ManySetup.exe" /Quiet '/InstallFolder:D:\VornDemo' '/Log:C:\Deploy\full.log'
  check "the log names the file that did not fit, with the Windows error" grep -qE '^Failure writing "D:.VornDemo.+": error 112 [(]' <(events_of "$(deploy "$prefix")/full.log")
  check "the drive is empty again" test -z "$(ls -A "$drive_d")"
  WINEPREFIX="$prefix" wineserver -k; umount "$drive_d"
else
  skip_check "a full drive's result file" "mount -t tmpfs refused: $mount_error"
fi
# A log that cannot be made (a folder has its name) stops nothing.
mkdir -p "$(deploy "$prefix")/folder.log"
run_code 0 installed "$work/VornDemoSetup.exe" /Quiet '/Log:C:\Deploy\folder.log'
check "with the log's problem in the result file" grep -q 'cannot be created' <<<"$(result_of "$(deploy "$prefix")/installed.json" logProblem)"
check "and the installation made" cmp -s "$installed/VornDemo.exe" "$work/app/VornDemo.exe"
# Its removal once the uninstall entry is gone: 4, in words the README's.
WINEPREFIX="$prefix" /usr/lib/wine/wine64 reg delete "$entry" /f >/dev/null 2>&1
# Its wineserver gone before the removal starts one (a client that meets a
# server as it shuts down can fail to start).
WINEPREFIX="$prefix" wineserver -w
"$run" "$prefix" 'C:\Program Files (x86)\VornDemo\VornDemo.exe' /Uninstall /Passive '/Log:C:\Deploy\orphan.log' >/dev/null 2>&1 </dev/null; code=$?
check "a removal without its entry ends with 4 ($code)" test "$code" -eq 4
check "its log ends with the README's meaning" test "$(events_of "$(deploy "$prefix")/orphan.log" | tail -1)" = "Result 4 notInstalled: $(sed -n 's/^| removal | 4 | `notInstalled` | \(.*\) | none | 1605 |$/\1/p' "$readme")"
# A folder written with "/" is the folder Windows shows, "\", everywhere after it.
run_code 0 forward "$work/VornDemoSetup.exe" /Quiet '/InstallFolder:C:/Apps/Fwd' '/Log:C:\Deploy\forward.log'
check "the result file names C:\Apps\Fwd" test "$(result_of "$(deploy "$prefix")/forward.json" installFolder)" = 'C:\Apps\Fwd'
check "so does the log" grep -qxF 'InstallFolder C:\Apps\Fwd' <(events_of "$(deploy "$prefix")/forward.log")
check "and the entry" test "$(reg_value "$prefix" "$entry" VornLib.InstallFolder)|$(reg_value "$prefix" "$entry" InstallLocation)" = 'C:\Apps\Fwd|C:\Apps\Fwd\'
check "the program is there" cmp -s "$prefix/drive_c/Apps/Fwd/VornDemo.exe" "$work/app/VornDemo.exe"
# The setup again: an update, whose log names the version it replaces and how its removal ended.
run_code 0 update "$work/VornDemoSetup.exe" /Quiet '/Log:C:\Deploy\update.log'
events="$(events_of "$(deploy "$prefix")/update.log")"
check "the update names the version it replaces" grep -qxF 'Previous version 1.0.0 in "C:\Apps\Fwd\", replaced by this installation' <<<"$events"
check "and the exit code of its removal" grep -qxF "Previous the previous installation's removal ended with 0" <<<"$events"
check "the program is still there" cmp -s "$prefix/drive_c/Apps/Fwd/VornDemo.exe" "$work/app/VornDemo.exe"
end_scenario "$prefix"

echo "== the log of an installation killed in the middle of the copy (${SECONDS}s)"
prefix="$(fresh_prefix killed)"
# A new folder is written whole beside its place until every file is there.
partial="$(program_files "$prefix")"; partial="${partial%/}.VornLib-partial"
"$run" "$prefix" "$work/ManySetup.exe" /Quiet '/Log:C:\Deploy\killed.log' >/dev/null 2>&1 </dev/null &
launcher=$!
# The setup in this prefix, once half the files are in place: as a power cut
# would.
killed="$(python3 - "$prefix" "$partial" "$((many_files / 2))" "$(dirname "$0")" <<'PY'
import os, signal, sys, time
prefix, folder, half = sys.argv[1], sys.argv[2], int(sys.argv[3])
sys.path.insert(0, sys.argv[4])
from setup_processes import setup_processes
deadline = time.monotonic() + 120
while time.monotonic() < deadline:
    count = sum(len(files) for _, _, files in os.walk(folder))
    if count >= half:
        for pid in setup_processes(prefix, "ManySetup.exe"):
            os.kill(pid, signal.SIGKILL)
        print(f"killed at {count} files")
        break
    time.sleep(0.05)
PY
)"
wait "$launcher" 2>/dev/null
finish_prefix "$prefix"
check "the setup was killed halfway ($killed)" test -n "$killed"
log="$(deploy "$prefix")/killed.log"
check "the log is made of complete event lines" test -z "$(judge_log "$log")"
judge_log "$log" | head -5
events="$(events_of "$log")"
check "its last line is the file being written" grep -q '^File Data/' <<<"$(tail -1 <<<"$events")"
check "no result: the setup never ended" test -z "$(grep '^Result ' <<<"$events")"
# Until the whole copy is done, files are finished in the partial folder.
check "every file the log names before it is finished with its size" test -z "$(judge_files "$log" "$partial" 1)"
check "and the log names each file written" test "$(grep -c '^File ' <<<"$events")" -ge "$(find "$partial" -type f | wc -l)"
rm -rf "$prefix"

finish_checks
