#!/bin/bash
# install-e2e.sh <VornPack> <VornSetup stub> <VornDemo.exe> <definitions> <wine-run> <work folder>
# Packs VornDemo into a setup executable and installs it quietly under Wine,
# each scenario in a fresh prefix, checking the files, the registry and the
# shortcuts that the installation left (not what the installer reports).
set -uo pipefail
vornpack="$1"; stub="$2"; demo="$3"; definitions="$4"; run="$5"; work="$6"
source "$(dirname "$0")/e2e-common.sh"

echo "== quiet installation through the launcher"
prefix="$(fresh_prefix quiet)"
setup "$prefix" /Quiet; code=$?
check "the launcher exits 0" test "$code" -eq 0
installed="$prefix/drive_c/Program Files (x86)/VornDemo"
check "VornDemo.exe in place with its size" cmp -s "$installed/VornDemo.exe" "$work/app/VornDemo.exe"
check "VornDemo.exe keeps its date" test "$(stat -c %Y "$installed/VornDemo.exe")" = "$(stat -c %Y "$work/app/VornDemo.exe")"
check "a nested file in place with its date" test "$(stat -c %Y "$installed/Help/Readme.txt")" = "$(stat -c %Y "$work/app/Help/Readme.txt")"
total=$(( $(stat -c %s "$work/app/VornDemo.exe") + $(stat -c %s "$work/app/Help/Readme.txt") ))
check "EstimatedSize is the total / 1024" test "$(reg_value "$prefix" "$entry" EstimatedSize)" = "$(printf '0x%x' $((total / 1024)))"
check "InstallDate is today" test "$(reg_value "$prefix" "$entry" InstallDate)" = "$(date +%Y%m%d)"
check "DisplayVersion without a tag" test "$(reg_value "$prefix" "$entry" DisplayVersion)" = "1.0.0"
check "UninstallString" test "$(reg_value "$prefix" "$entry" UninstallString)" = '"C:\Program Files (x86)\VornDemo\VornDemo.exe" /Uninstall'
check "HelpLink is the technical support address" test "$(reg_value "$prefix" "$entry" HelpLink)" = 'https://vorn.example/support/'
check "URLInfoAbout is the web site" test "$(reg_value "$prefix" "$entry" URLInfoAbout)" = 'https://vorn.example/vorndemo/'
for value in DisplayName Contact Comments DisplayIcon Publisher URLUpdateInfo InstallLocation NoModify ModifyPath VornLib.InstallFolder VornLib.ProgramGroup VornLib.UninstallProgram; do
  check "entry value $value" test -n "$(reg_value "$prefix" "$entry" "$value")"
done
# Every script's absence checks are findings: a planted value or key is seen,
# and a query that cannot run proves nothing.
check "reg_absent sees a value that is there" not reg_absent "$prefix" "$entry" DisplayName
check "and a key" not reg_absent "$prefix" "$entry"
check "it finds a value that is not there" reg_absent "$prefix" "$entry" NoSuchValue
check "and a key two levels down" reg_absent "$prefix" "$entry\\NoSuchKey\\Deeper"
check "no prefix, no finding" not reg_absent "$work/no-prefix" "$entry" NoSuchValue
# The entry holds no value rather than an empty one; the listing read the entry.
values="$(WINEPREFIX="$prefix" /usr/lib/wine/wine64 reg query "$entry" 2>/dev/null | tr -d '\r')"
check "the entry's values are listed" grep -q '^ *DisplayName *REG_SZ *VornDemo$' <<<"$values"
check "no empty text value in the entry" test -z "$(grep -E '^ *[^ ].* REG_(EXPAND_)?SZ *$' <<<"$values")"
check "FilesList lists exactly the files, and the kept setup" test "$(files_listed "$prefix")" = 'Help/Readme.txt|VornDemo.exe|VornLib.Setup.exe|'
group="$prefix/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/VornDemo"
check "program group shortcut" test -f "$group/VornDemo.lnk"
check "the shortcut points at the installed program" grep -q "VornDemo.exe" <(strings -el "$group/VornDemo.lnk"; strings "$group/VornDemo.lnk")
shortcuts="$(WINEPREFIX="$prefix" /usr/lib/wine/wine64 reg query "$entry\\ShortcutsList" 2>/dev/null | grep -c 'REG_SZ')"
made="$( (ls "$group"/*.lnk; ls "$prefix"/drive_c/users/*/Desktop/*.lnk) 2>/dev/null | wc -l)"
check "ShortcutsList lists exactly the shortcuts made ($made)" test "$shortcuts" = "$made"
# The hand-off "/Install": the installed VornDemo registered itself.
check "the file type .vdm names VornDemo.vdm" grep -q '(Default) *REG_SZ *VornDemo.vdm' <(WINEPREFIX="$prefix" /usr/lib/wine/wine64 reg query 'HKCR\.vdm' 2>/dev/null | tr -d '\r')
check "the protocol vorndemo is a URL protocol" test -n "$(WINEPREFIX="$prefix" /usr/lib/wine/wine64 reg query 'HKCR\vorndemo' /v 'URL Protocol' 2>/dev/null | grep 'URL Protocol')"
check "App Paths names the installed program" grep -qi 'Program Files (x86)\\VornDemo\\VornDemo.exe' <(WINEPREFIX="$prefix" /usr/lib/wine/wine64 reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\App Paths\VornDemo.exe' 2>/dev/null)
finish_prefix "$prefix"

echo "== the elevated copy's exit code"
prefix="$(fresh_prefix elevated)"
setup "$prefix" /Quiet /LaunchedAsAdministrator; code=$?
check "the elevated copy exits 42" test "$code" -eq 42
finish_prefix "$prefix"

echo "== a chosen folder, remembered by the next installation"
prefix="$(fresh_prefix folder)"
# Typed as a user types it; a batch file keeps the command line as written.
cp "$work/VornDemoSetup.exe" "$prefix/drive_c/"
printf 'C:\\VornDemoSetup.exe /Quiet /LaunchedAsAdministrator /InstallFolder:"C:\\Some Where\\Demo" /Log:C:\\folder.log\r\necho %%ERRORLEVEL%%> C:\\level.txt\r\n' \
  > "$prefix/drive_c/install.bat"
"$run" "$prefix" cmd /c 'C:\install.bat' >/dev/null 2>&1 </dev/null
WINEPREFIX="$prefix" wineserver -w
code="$(tr -d '\r\n ' <"$prefix/drive_c/level.txt" 2>/dev/null)"
check "the installation into a chosen folder ends with 42 (${code:-no code})" test "$code" = 42
[ "$code" = 42 ] || sed 's/^/    log: /' "$prefix/drive_c/folder.log" 2>/dev/null
check "InstallFolder is honoured" test -f "$prefix/drive_c/Some Where/Demo/VornDemo.exe"
setup "$prefix" /Quiet /LaunchedAsAdministrator; code=$?
check "a second installation exits 42" test "$code" -eq 42
check "the second installation uses the remembered folder" test "$(reg_value "$prefix" "$entry" VornLib.InstallFolder)" = 'C:\Some Where\Demo'
check "nothing went to the default folder" test ! -e "$prefix/drive_c/Program Files (x86)/VornDemo"
finish_prefix "$prefix"

echo "== a destination that cannot be written leaves nothing behind"
prefix="$(fresh_prefix blocked)"
mkdir -p "$prefix/drive_c/Program Files (x86)/VornDemo/Help/Readme.txt"
before="$(snapshot "$prefix")"
setup "$prefix" /Quiet /LaunchedAsAdministrator; code=$?
check "the installation fails with a non-zero code ($code)" test "$code" -ne 0 -a "$code" -ne 42
check "the files are as before" test "$before" = "$(snapshot "$prefix")"
check "no uninstall entry" reg_absent "$prefix" "$entry" DisplayName
finish_prefix "$prefix"

echo "== a damaged payload entry leaves nothing behind"
prefix="$(fresh_prefix damaged)"
# The payload is the setup's last part and VornDemo.exe its largest entry:
# bytes in the middle of the payload belong to it.
setup_size=$(stat -c %s "$work/VornDemoSetup.exe")
payload_size=$((setup_size - $(stat -c %s "$stub")))
cp "$work/VornDemoSetup.exe" "$work/Damaged.exe"
printf '\377\000\377\000\377\000\377\000' |
  dd of="$work/Damaged.exe" bs=1 seek=$((setup_size - payload_size / 2)) conv=notrunc 2>/dev/null
before="$(snapshot "$prefix")"
"$run" "$prefix" "$work/Damaged.exe" /Quiet /LaunchedAsAdministrator >/dev/null 2>&1 </dev/null; code=$?
check "the installation fails with 22, the setup file is damaged ($code)" test "$code" -eq 22
check "the files are as before" test "$before" = "$(snapshot "$prefix")"
check "no uninstall entry" reg_absent "$prefix" "$entry" DisplayName
finish_prefix "$prefix"

echo "== switches the setup refuses, before it touches anything"
prefix="$(fresh_prefix switches)"
cp "$work/VornDemoSetup.exe" "$prefix/drive_c/"
before="$(snapshot "$prefix")"
# As a script runs it: a batch file waits for the setup and keeps what it says.
refused() { # expected-code expected-text switches...
  local code="$1" text="$2"; shift 2
  printf 'cd \\\r\nC:\\VornDemoSetup.exe %s 2> C:\\said.txt\r\nexit %%ERRORLEVEL%%\r\n' "$*" > "$prefix/drive_c/refused.bat"
  "$run" "$prefix" cmd /c 'C:\refused.bat' >/dev/null 2>&1 </dev/null; local got=$?
  local said; said="$(tr -d '\r' < "$prefix/drive_c/said.txt" 2>/dev/null)"
  rm -f "$prefix/drive_c/refused.bat" "$prefix/drive_c/said.txt"
  check "$* ends with $code (got $got)" test "$got" -eq "$code"
  check "$* says: $text" grep -qF -- "$text" <<<"$said"
}
refused 5 'Unknown switch "/Quite". The setup accepts /Quiet, /Passive, /NoCancel, /InstallFolder:<folder>, /Language:<code>' /Quite
refused 31 'The install folder "relative\path" is refused' '/InstallFolder:relative\path' /Quiet
refused 5 'Unknown language "xx" in /Language. The setup speaks de, en, es, fr, it, ko, ru, zh.' /Language:xx /Quiet
check "no file was touched (not even C:\\relative)" test "$before" = "$(snapshot "$prefix")"
check "no uninstall entry" reg_absent "$prefix" "$entry" DisplayName
finish_prefix "$prefix"

echo "== a running VornDemo stops the installer"
prefix="$(fresh_prefix running)"
"$run" "$prefix" "$demo" >/dev/null 2>&1 &
demo_pid=$!
check "VornDemo shows its window" wait_for_window_of VornDemo.exe
before="$(snapshot "$prefix")"
setup "$prefix" /Quiet /LaunchedAsAdministrator; code=$?
check "the installer ends with 14" test "$code" -eq 14
check "nothing was touched" test "$before" = "$(snapshot "$prefix")"
finish_prefix "$prefix"
wait "$demo_pid" 2>/dev/null

finish_checks
