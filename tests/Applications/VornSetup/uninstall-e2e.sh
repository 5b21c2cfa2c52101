#!/bin/bash
# uninstall-e2e.sh <VornPack> <VornSetup stub> <VornDemo.exe> <definitions> <wine-run> <work folder> <WindowDriver.exe> [<screenshot folder>]
# Installs VornDemo quietly under Wine and removes it again the ways a user
# and a newer installer do, each scenario in a fresh prefix: quietly through
# the uninstall entry's command, answering the confirmation in a window, in
# update mode, while VornDemo runs, and after an installation over another.
# Files and registry are compared with the prefix as it was before.
set -uo pipefail
vornpack="$1"; stub="$2"; demo="$3"; definitions="$4"; run="$5"; work="$6"; driver="$7"
shots="${8:-$6/screenshots}"
source "$(dirname "$0")/e2e-common.sh"
mkdir -p "$shots"

program='C:\Program Files (x86)\VornDemo\VornDemo.exe'
installed_in() { echo "$1/drive_c/Program Files (x86)/VornDemo"; }
demo_run() { local prefix="$1"; shift; "$run" "$prefix" "$@" >/dev/null 2>&1 </dev/null; }
# Differences that are not the installation's: Wine re-enumerates its devices
# on every start and keeps console settings once a console program ran; the
# list of installed programs is a key every Windows has. VornDemo's removal
# hook takes away what its install hook recorded: no settings key is left.
justified='(HARDWARE|Enum|Control..Class|Control..Video|NetworkCards|DeviceClasses|^[<>] user[.]reg:Console|Software..Wine|Wow6432Node..Microsoft..Windows..CurrentVersion..Uninstall$)'
residue() { # before-registry after-registry
  diff <(echo "$1") <(echo "$2") | grep '^[<>]' | grep -Ev "$justified"
}
shot() { import -window root "$shots/$1.png" 2>/dev/null || echo "  (no screenshot: $1)"; }
# Removes through the windows as a user who answers Yes and then OK: the
# question in $asked, the final message in $told, the exit code in $code.
remove_answering_yes() { # prefix screenshot-suffix [switches...]
  local prefix="$1" name="$2"; shift 2
  "$run" "$prefix" "$program" "$@" /Uninstall >/dev/null 2>&1 </dev/null &
  local pid=$!
  asked="$("$run" "$prefix" "$driver" 'VornDemo - Uninstall' 2>/dev/null | tr -d '\r')"
  shot "uninstall-confirmation-$name"
  demo_run "$prefix" "$driver" 'VornDemo - Uninstall' --click Yes
  told="$("$run" "$prefix" "$driver" 'VornDemo - Uninstall' 2>/dev/null | tr -d '\r')"
  shot "uninstall-succeeded-$name"
  demo_run "$prefix" "$driver" 'VornDemo - Uninstall' --click OK
  wait "$pid"; code=$?
}

echo "== quiet removal through the uninstall entry leaves nothing but the user's files"
prefix="$(fresh_prefix residue)"
files_before="$(files_of "$prefix")"; registry_before="$(registry_of "$prefix")"
# A one-off language leaves nothing of the setup's own behind either.
setup "$prefix" /Quiet /Language:de
settings='HKCU\Software\Vorn Software\VornDemo\Global'
check "the install hook recorded the version" test "$(reg_value "$prefix" "$settings" InstalledVersion)" = "1.0.0"
uninstall="$(reg_value "$prefix" "$entry" UninstallString)"
check "the entry names the removal command" test "$uninstall" = "\"$program\" /Uninstall"
installed="$(installed_in "$prefix")"; group="$(group_in "$prefix")"
printf 'mine\n' > "$installed/notes.txt"; printf 'mine\n' > "$installed/cache.dat"
cp "$group/VornDemo.lnk" "$group/Mine.lnk"
printf '%s /Quiet\r\n' "$uninstall" > "$prefix/drive_c/remove.bat"
demo_run "$prefix" cmd /c 'C:\remove.bat'
check "the batch file ran and deleted itself" wait_for_batch_file "$prefix"
check "the program is gone" test ! -e "$installed/VornDemo.exe"
check "the listed nested file is gone" test ! -e "$installed/Help"
check "the user's notes.txt survives" test -f "$installed/notes.txt"
check "the user's cache.dat survives" test -f "$installed/cache.dat"
check "the user's shortcut survives" test -f "$group/Mine.lnk"
check "the installation's shortcut is gone" test ! -e "$group/VornDemo.lnk"
check "no desktop shortcut left" test -z "$(ls "$prefix"/drive_c/users/*/Desktop/*.lnk 2>/dev/null)"
rm -f "$installed/notes.txt" "$installed/cache.dat" "$group/Mine.lnk"
rmdir "$installed" "$group"
rm -f "$prefix/drive_c/remove.bat"
check "no file or folder left" test "$files_before" = "$(files_of "$prefix")"
left="$(residue "$registry_before" "$(registry_of "$prefix")")"
check "no VornDemo settings key left" reg_absent "$prefix" 'HKCU\Software\Vorn Software\VornDemo'
check "no registry key or value left" test -z "$left"
[ -n "$left" ] && echo "$left" | head -20
finish_prefix "$prefix"

echo "== removing twice"
prefix="$(fresh_prefix twice)"
setup "$prefix" /Quiet
# A copy outside the install folder survives the first removal's batch file.
cp "$(installed_in "$prefix")/VornDemo.exe" "$prefix/drive_c/VornDemoCopy.exe"
demo_run "$prefix" "$program" /Quiet /Uninstall; code=$?
check "the first removal ends with 0" test "$code" -eq 0
wait_for_batch_file "$prefix"
demo_run "$prefix" 'C:\VornDemoCopy.exe' /Quiet /Uninstall; code=$?
check "the second ends with 4" test "$code" -eq 4
finish_prefix "$prefix"

echo "== a running VornDemo"
prefix="$(fresh_prefix running)"
setup "$prefix" /Quiet
"$run" "$prefix" "$program" /DemoSeconds:60 >/dev/null 2>&1 </dev/null &
demo_pid=$!
check "VornDemo shows its window" wait_for_window_of VornDemo.exe
files_before="$(files_of "$prefix")"
demo_run "$prefix" "$program" /Quiet /Uninstall; code=$?
check "a full removal ends with 14" test "$code" -eq 14
check "and removes nothing" test "$files_before" = "$(files_of "$prefix")"
check "the entry stays" test -n "$(reg_value "$prefix" "$entry" DisplayName)"
demo_run "$prefix" "$program" /Quiet /Update; code=$?
check "update mode goes on (0)" test "$code" -eq 0
check "update mode removes the listed files" test ! -e "$(installed_in "$prefix")/Help/Readme.txt"
check "update mode removes the shortcuts" test ! -e "$(group_in "$prefix")/VornDemo.lnk"
check "update mode deletes the entry" reg_absent "$prefix" "$entry" DisplayName
check "update mode writes no batch file" test -z "$(batch_files_in "$prefix")"
kill "$demo_pid" 2>/dev/null; finish_prefix "$prefix"; wait "$demo_pid" 2>/dev/null

echo "== installing over an installation in another folder, then removing"
prefix="$(fresh_prefix over)"
files_before="$(files_of "$prefix")"
setup "$prefix" /Quiet
printf 'mine\n' > "$(installed_in "$prefix")/notes.dat"
cp "$work/VornDemoSetup.exe" "$prefix/drive_c/"
printf 'C:\\VornDemoSetup.exe /Quiet /InstallFolder:"C:\\Demo Elsewhere"\r\n' > "$prefix/drive_c/again.bat"
demo_run "$prefix" cmd /c 'C:\again.bat'
WINEPREFIX="$prefix" wineserver -w
check "the new folder holds the program" test -f "$prefix/drive_c/Demo Elsewhere/VornDemo.exe"
check "the old program is gone" test ! -e "$(installed_in "$prefix")/VornDemo.exe"
check "the old folder keeps only the user's file" test "$(ls -A "$(installed_in "$prefix")")" = "notes.dat"
files="$(WINEPREFIX="$prefix" /usr/lib/wine/wine64 reg query "$entry\\FilesList" 2>/dev/null | grep -c REG_SZ)"
check "FilesList lists the two files and the kept setup once ($files)" test "$files" -eq 3
shortcuts="$(WINEPREFIX="$prefix" /usr/lib/wine/wine64 reg query "$entry\\ShortcutsList" 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_SZ *//p')"
made="$( (ls "$(group_in "$prefix")"/*.lnk; ls "$prefix"/drive_c/users/*/Desktop/*.lnk) 2>/dev/null | wc -l)"
check "ShortcutsList lists the shortcuts made once ($made)" test "$(echo "$shortcuts" | grep -c .)" -eq "$made"
check "every listed shortcut exists" bash -c 'while read -r s; do [ -z "$s" ] && continue; f="$0/drive_c/${s:3}"; test -f "${f//\\//}" || exit 1; done <<<"$1"' "$prefix" "$shortcuts"
demo_run "$prefix" 'C:\Demo Elsewhere\VornDemo.exe' /Quiet /Uninstall
wait_for_batch_file "$prefix"
rm -f "$(installed_in "$prefix")/notes.dat" "$prefix/drive_c/VornDemoSetup.exe" "$prefix/drive_c/again.bat"
rmdir "$(installed_in "$prefix")" 2>/dev/null
check "nothing of either installation remains" test "$files_before" = "$(files_of "$prefix")"
[ "$files_before" = "$(files_of "$prefix")" ] || diff <(echo "$files_before") <(files_of "$prefix") | head
finish_prefix "$prefix"

echo "== a program whose payload cannot be read still removes itself"
prefix="$(fresh_prefix damaged)"
files_before="$(files_of "$prefix")"
setup "$prefix" /Quiet
# The container's magic in the program's payload (its last copy: the first is
# the reader's own constant) no longer reads: no definitions, no string tables.
python3 - "$(installed_in "$prefix")/VornDemo.exe" <<'PY'
import sys
data = bytearray(open(sys.argv[1], "rb").read())
at = data.rfind(b"StraFiLe\x1a\x00")
data[at] ^= 0xFF
open(sys.argv[1], "wb").write(data)
PY
remove_answering_yes "$prefix" damaged
check "it asks in the framework's English" grep -q '^Do you want to uninstall VornDemo.1.0.0?$' <<<"$asked"
check "and tells that it is done" grep -q '^VornDemo.1.0.0 has been uninstalled$' <<<"$told"
check "the removal ends with 0 ($code)" test "$code" -eq 0
check "the batch file ran" wait_for_batch_file "$prefix"
check "nothing of the installation is left" test "$files_before" = "$(files_of "$prefix")"
[ "$files_before" = "$(files_of "$prefix")" ] || diff <(echo "$files_before") <(files_of "$prefix") | head
check "nor its entry" reg_absent "$prefix" "$entry" DisplayName
finish_prefix "$prefix"

echo "== answering the confirmation in a window"
prefix="$(fresh_prefix dialog)"
setup "$prefix" /Quiet
"$run" "$prefix" "$program" /Language:de /Uninstall >/dev/null 2>&1 </dev/null &
pid=$!
texts="$("$run" "$prefix" "$driver" 'VornDemo - Deinstallation' 2>/dev/null | tr -d '\r')"
shot uninstall-confirmation-de
check "the German confirmation asks the question" grep -q '^Möchten Sie VornDemo.1.0.0 deinstallieren?$' <<<"$texts"
check "with the buttons Ja and Nein, their access keys marked" test "$(grep -c '^&Ja$\|^&Nein$' <<<"$texts")" -eq 2
demo_run "$prefix" "$driver" 'VornDemo - Deinstallation' --click Nein
wait "$pid"; code=$?
check "No ends with 8" test "$code" -eq 8
check "No removes nothing" test -f "$(installed_in "$prefix")/Help/Readme.txt" -a -f "$(group_in "$prefix")/VornDemo.lnk"
check "No keeps the entry" test -n "$(reg_value "$prefix" "$entry" DisplayName)"
remove_answering_yes "$prefix" en /Language:en
check "the English confirmation asks the question" grep -q '^Do you want to uninstall VornDemo.1.0.0?$' <<<"$asked"
check "the final message says so" grep -q '^VornDemo.1.0.0 has been uninstalled$' <<<"$told"
check "Yes ends with 0" test "$code" -eq 0
wait_for_batch_file "$prefix"
check "Yes removed the installation" test ! -e "$(installed_in "$prefix")" -a ! -e "$(group_in "$prefix")"
finish_prefix "$prefix"

echo "== a folder named in other scripts and with the command processor's characters"
# The removal's batch file runs with administrator rights; the folder's name
# reaches it through its environment, never its text. Wine's cmd (unlike
# Windows') reads a "%" again in a value it has put in, so the name holds no
# "%"; the host test RemovalText shows that the text quotes every reference.
prefix="$(fresh_prefix named)"
folder='C:\Apps\Тест 测试 & ^ !x (1)'
installed="$prefix/drive_c/Apps/Тест 测试 & ^ !x (1)"
mkdir -p "$prefix/drive_c/Apps"
cp "$work/VornDemoSetup.exe" "$prefix/drive_c/"
printf 'C:\\VornDemoSetup.exe /Quiet /InstallFolder:"%%VORN_TEST_FOLDER%%"\r\n' > "$prefix/drive_c/named.bat"
files_before="$(files_of "$prefix")"
LC_ALL=C.UTF-8 VORN_TEST_FOLDER="$folder" demo_run "$prefix" cmd /c 'C:\named.bat'
WINEPREFIX="$prefix" wineserver -w
check "the program is installed in the named folder" test -f "$installed/VornDemo.exe"
# The entry's command, read from the registry's file (reg.exe would write it
# in a code page): Wine writes other characters there as \x escapes.
uninstall="$(WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1; python3 - "$prefix/system.reg" <<'PY2'
import re, sys
key = None
for line in open(sys.argv[1], encoding="utf-8"):
    if line.startswith("["):
        key = line
    elif "{7E3F2A91-5C4B-4D8E-9F10-2B3C4D5E6F70}]" in (key or "") and "wow6432node" in key.lower() \
            and line.startswith('"UninstallString"="'):
        value = line[len('"UninstallString"="'):].rstrip("\n")[:-1]
        print(re.sub(r'\\x([0-9a-fA-F]{1,4})|\\(.)',
                     lambda m: chr(int(m.group(1), 16)) if m.group(1) else m.group(2), value))
PY2
)"
check "the entry names the removal command ($uninstall)" test "$uninstall" = "\"$folder\\VornDemo.exe\" /Uninstall"
LC_ALL=C.UTF-8 demo_run "$prefix" "$folder\\VornDemo.exe" /Uninstall /Quiet; code=$?
check "the removal ends with 0 ($code)" test "$code" -eq 0
check "the batch file and its folder are gone" wait_for_batch_file "$prefix"
check "the named folder is gone" test ! -e "$installed"
check "the folder above it is kept" test -d "$prefix/drive_c/Apps"
after="$(files_of "$prefix")"
check "the listing ran" grep -q '^\./named\.bat ' <<<"$after"
check "nothing was made or left elsewhere" test "$files_before" = "$after"
[ "$files_before" = "$after" ] || diff <(echo "$files_before") <(echo "$after") | head
finish_prefix "$prefix"

finish_checks
