#!/bin/sh
# check-imports.sh <objdump> <folder>
# Fails when an executable under <folder> imports a DLL that Windows does not
# always load from the system folder (its KnownDLLs): any other DLL could be
# planted beside a setup program in a downloads folder. Such libraries must be
# loaded at run time from the system folder instead.
set -eu
objdump="$1"
folder="$2"
known=" advapi32.dll clbcatq.dll comdlg32.dll gdi32.dll imagehlp.dll imm32.dll kernel32.dll msctf.dll msvcrt.dll normaliz.dll nsi.dll ole32.dll oleaut32.dll psapi.dll rpcrt4.dll sechost.dll setupapi.dll shell32.dll shlwapi.dll user32.dll wldap32.dll ws2_32.dll "
status=0
count=0
# Wine prefixes of the tests hold Wine's own programs: only ours are checked.
list="$(mktemp)"
find "$folder" -name '*.exe' -not -path '*/drive_c/*' -not -path '*/wineprefix/*' \
  -not -path '*/CMakeFiles/*' > "$list"
while IFS= read -r exe; do
  count=$((count + 1))
  for dll in $("$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z'); do
    case "$known" in
      *" $dll "*) ;;
      *) echo "$exe imports $dll, which is not a KnownDLL"; status=1 ;;
    esac
  done
done < "$list"
rm -f "$list"
[ "$count" -gt 0 ] || { echo "no executables under $folder"; exit 1; }
echo "$count executables checked"
exit $status
