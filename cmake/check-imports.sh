#!/bin/sh
# check-imports.sh <objdump> <folder>
# Fails when an executable under <folder> imports a DLL that Windows does not
# always load from the system folder (its KnownDLLs): any other DLL could be
# planted beside a setup program in a downloads folder. Such libraries must be
# loaded at run time from the system folder instead.
# Also fails when a delay-loaded function (the lists in <folder>/delay-imports,
# see cmake/VornSystemLibraries.cmake) lost its stub: GNU ld drops the stub of
# a function called only through its import slot, and the first call would
# then jump to address 0.
set -eu
objdump="$1"
folder="$2"
nm="${objdump%objdump}nm"
delayed="$(mktemp)"
if [ -d "$folder/delay-imports" ]; then
  cat "$folder"/delay-imports/*.def | grep -v '^LIBRARY \|^EXPORTS$' | sort -u > "$delayed"
fi
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
  if [ -s "$delayed" ]; then
    # An absolute symbol at 0 is a stub that was dropped.
    for function in $("$nm" "$exe" | awk '$1 ~ /^0+$/ && $2 == "A" { print $3; sub(/^_/, "", $3); print $3 }' |
                      sort -u | comm -12 - "$delayed"); do
      echo "$exe calls the delay-loaded $function only through its import slot"; status=1
    done
  fi
done < "$list"
rm -f "$list" "$delayed"
[ "$count" -gt 0 ] || { echo "no executables under $folder"; exit 1; }
echo "$count executables checked"
exit $status
