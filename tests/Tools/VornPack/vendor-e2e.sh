#!/bin/bash
# vendor-e2e.sh <VornPack> <work folder> [<VornSetup stub> <VornDemo.exe> <wine-run>]
# A vendor's path with the real VornPack: progress on a terminal (through a
# pseudo-terminal made by `script`), in a log and with --quiet; the same inputs
# giving the same bytes; input refused (a link loop, malformed XML under a
# non-ASCII name). With a stub, VornDemo and Wine also: a new product's
# definitions from `init`, refused while their licence is the placeholder, a
# setup made from them once it is replaced, its PE checksum,
# signed with a throw-away certificate (afterwards and through --sign-command,
# which must leave a signature), read by verify, VornDemo.exe refused as the
# stub, the signed setup installed quietly and removed again, its signature
# intact.
set -uo pipefail
vornpack="$1"; work="$2"; stub="${3:-}"; demo="${4:-}"; run="${5:-}"
export WINEDEBUG=-all
source "$(dirname "$0")/../../checks.sh"
source "$(dirname "$0")/../../wine-registry.sh"
contains() { grep -q -- "$2" <<<"$1"; }
# Runs a command line in a pseudo-terminal; its output, carriage returns kept.
in_terminal() { script -qefc "$1" /dev/null </dev/null; }
quoted() { printf '%q' "$1"; }
verifies() { osslsigncode verify -CAfile "$work/cert.pem" -in "$1" >/dev/null 2>&1; }

rm -rf "$work"; mkdir -p "$work/big"
# Text that packs a few MB per second: long enough for several redraws.
head -c 6000000 /dev/urandom | base64 > "$work/big/data.txt"
for i in 1 2 3 4 5; do printf 'small %s\n' "$i" > "$work/big/small$i.txt"; done

echo "== pack: progress on a terminal, one summary line in a log, nothing with --quiet"
start=$(date +%s.%N)
shown="$(in_terminal "$(quoted "$vornpack") pack $(quoted "$work/big") -o $(quoted "$work/big.vpk") --method lzma")"
seconds=$(awk "BEGIN { print $(date +%s.%N) - $start }")
draws=$(grep -o 'entries, [0-9.]*/[0-9.]* MB, [^,]* MB/s, [^ ]* left' <<<"$shown" | wc -l)
check "the status line names entries, MB, MB/s and the time left" contains "$shown" '/6 entries, .*/8.1 MB, .* MB/s, .* left'
check "it is rewritten in place ($draws times in $seconds s)" test "$draws" -ge 3
check "at most four times a second" awk "BEGIN { exit !($draws <= 4 * $seconds + 1) }"
check "a rate once there is one" contains "$shown" '[0-9]\.[0-9] MB/s, [0-9]*:[0-9][0-9] left'
check "the summary line ends it" contains "$(tr '\r' '\n' <<<"$shown" | tail -2)" '^packed 6 files'
logged="$("$vornpack" pack "$work/big" -o "$work/big2.vpk" --method lzma)"
check "in a log: only the summary line" test "$(printf '%s\n' "$logged" | wc -l)" -eq 1
check "without a carriage return" test -z "$(tr -cd '\r' <<<"$logged")"
check "the same container twice" cmp -s "$work/big.vpk" "$work/big2.vpk"
quiet="$(in_terminal "$(quoted "$vornpack") pack $(quoted "$work/big") -o $(quoted "$work/big3.vpk") --quiet")"
check "--quiet prints nothing on a terminal" test -z "$quiet"
failed="$(in_terminal "$(quoted "$vornpack") pack $(quoted "$work/missing") -o $(quoted "$work/x.vpk") --quiet")"
check "--quiet still prints errors" contains "$failed" 'VornPack pack: the folder .*missing" does not exist'

echo "== input that would lose files or break a setup is refused, in one line naming it"
mkdir -p "$work/looped/sub"; printf 'x\n' > "$work/looped/sub/a.txt"; ln -s .. "$work/looped/sub/up"
"$vornpack" pack "$work/looped" -o "$work/looped.vpk" 2>"$work/loop.txt"; code=$?
check "a link back to a parent folder ends pack with 2" test "$code" -eq 2
check "in one line naming the link" test "$(wc -l <"$work/loop.txt")" -eq 1 -a -n "$(grep -F "$work/looped/sub/up" "$work/loop.txt")"
check "and leaves no output" test -z "$(ls "$work" | grep looped.vpk)"
printf '<a>\n  <b x=1/>\n</a>\n' > "$work/Prüfung.xml"
shown="$("$vornpack" check-xml "$work/Prüfung.xml" 2>&1)"; code=$?
check "check-xml names Prüfung.xml as it is written" contains "$shown" "Prüfung.xml:2:"
check "and ends with 33 for malformed XML, as setup does ($code)" test "$code" -eq 33

[ -n "$stub" ] || { finish_checks; exit; }

echo "== init: a new product's definitions"
uuid=7E3F2A91-5C4B-4D8E-9F10-2B3C4D5E6F70 # VornDemo's own: it finds its entry by it
definitions="$work/definitions"
"$vornpack" init "$definitions" --name "Acme Paint" --company "Acme Corp" --version 3.1.4 \
  --executable VornDemo.exe --website https://acme.example/paint/ --support help@acme.example \
  --uuid "$uuid" >"$work/init.txt"; code=$?
check "init ends with 0" test "$code" -eq 0
check "init wrote 41 files" test "$(find "$definitions" -type f | wc -l)" -eq 41
check "every XML file checks" "$vornpack" check-xml "$definitions"/*.xml >/dev/null
"$vornpack" init "$definitions" --name "Other" --company "Acme Corp" --version 1 2>"$work/again.txt"; code=$?
check "a second init into it is refused (21), in one line" test "$code" -eq 21 -a "$(wc -l <"$work/again.txt")" -eq 1
check "and overwrites nothing" grep -q 'Acme Paint' "$definitions/Configuration.xml"

mkdir -p "$work/app/Help"
cp "$demo" "$work/app/VornDemo.exe"
printf 'Acme Paint help\n' > "$work/app/Help/Readme.txt"
touch -d '2024-05-06 07:08:09 UTC' "$work/app/VornDemo.exe" "$work/app/Help/Readme.txt"

echo "== setup: init's placeholder licence is refused until the vendor's own is in place"
"$vornpack" setup --app "$work/app" --definitions "$definitions" --stub "$stub" \
  -o "$work/Placeholder.exe" 2>"$work/licence.txt"; code=$?
check "the placeholder licence ends setup with 6 ($code)" test "$code" -eq 6
check "in one line naming a licence file" test "$(wc -l <"$work/licence.txt")" -eq 1 -a -n "$(grep -F "$definitions/VornSetup-License-" "$work/licence.txt")"
check "and leaves no output" test ! -e "$work/Placeholder.exe"
for licence in "$definitions"/VornSetup-License-*.xml; do
  perl -0pi -e 's|(<String ID="LicenseText">).*?(</String>)|${1}Acme Corp licenses Acme Paint to you.$2|s' "$licence"
done

echo "== setup: progress, and the same bytes from the same inputs"
shown="$(in_terminal "$(quoted "$vornpack") setup --app $(quoted "$work/app") --definitions $(quoted "$definitions") --stub $(quoted "$stub") -o $(quoted "$work/AcmePaintSetup.exe")")"
check "a status line on a terminal" contains "$shown" '/44 entries, .* MB, .* MB/s, .* left'
check "then the summary" contains "$shown" 'wrote .*AcmePaintSetup.exe": 2 application files'
"$vornpack" setup --app "$work/app" --definitions "$definitions" --stub "$stub" -o "$work/again.exe" >"$work/log.txt"
check "one line in a log" test "$(wc -l <"$work/log.txt")" -eq 1
check "a second run gives the same bytes" cmp "$work/AcmePaintSetup.exe" "$work/again.exe"
# The inputs again, made and touched in the opposite order, dated as before.
for tree in app definitions; do
  (cd "$work/$tree" && find . -type f | sort -r) | while read -r file; do
    mkdir -p "$(dirname "$work/$tree-copy/$file")"; cp "$work/$tree/$file" "$work/$tree-copy/$file"
  done
  (cd "$work/$tree" && find . -type f | sort) | while read -r file; do
    touch -r "$work/$tree/$file" "$work/$tree-copy/$file"
  done
done
"$vornpack" setup --app "$work/app-copy" --definitions "$work/definitions-copy" --stub "$stub" \
  -o "$work/third.exe" --quiet
check "inputs touched in another order give the same bytes" cmp "$work/AcmePaintSetup.exe" "$work/third.exe"

echo "== ready to be signed, and signed"
verified="$(osslsigncode verify -in "$work/AcmePaintSetup.exe" 2>&1)"
check "osslsigncode finds the PE checksum correct" contains "$verified" '^PE checksum'
check "and does not call it invalid" test -z "$(grep -i 'invalid PE checksum\|Calculated PE checksum' <<<"$verified")"
check "no data after the last section" python3 - "$work/AcmePaintSetup.exe" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
pe = struct.unpack_from("<I", data, 0x3C)[0]
count, optional = struct.unpack_from("<H", data, pe + 6)[0], struct.unpack_from("<H", data, pe + 20)[0]
table = pe + 24 + optional
ends = [sum(struct.unpack_from("<II", data, table + 40 * i + 16)) for i in range(count)]
sys.exit(0 if max(ends) == len(data) else 1)
PY
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Acme Corp Test Signing" \
  -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null
osslsigncode sign -certs "$work/cert.pem" -key "$work/key.pem" -n "Acme Paint" \
  -in "$work/AcmePaintSetup.exe" -out "$work/AcmePaintSetup-signed.exe" >/dev/null
check "osslsigncode verify succeeds on the signed setup" verifies "$work/AcmePaintSetup-signed.exe"
sign="osslsigncode sign -certs $(quoted "$work/cert.pem") -key $(quoted "$work/key.pem") -n 'Acme Paint' -in {} -out {}.signed && mv {}.signed {}"
"$vornpack" setup --app "$work/app" --definitions "$definitions" --stub "$stub" \
  -o "$work/SignedInOneStep.exe" --sign-command "$sign" >"$work/sign.txt"; code=$?
check "--sign-command ends with 0" test "$code" -eq 0
check "its setup verifies" verifies "$work/SignedInOneStep.exe"
"$vornpack" setup --app "$work/app" --definitions "$definitions" --stub "$stub" \
  -o "$work/NotSigned.exe" --sign-command "osslsigncode sign -certs $(quoted "$work/missing.pem") -key $(quoted "$work/key.pem") -in {} -out {}.signed >/dev/null 2>&1 && mv {}.signed {}" \
  >/dev/null 2>"$work/sign-error.txt"; code=$?
check "a failing sign command fails the setup ($code)" test "$code" -ne 0
check "with a clear error" grep -q 'VornPack setup: the sign command failed' "$work/sign-error.txt"
check "and leaves no output" test -z "$(ls "$work" | grep NotSigned)"
"$vornpack" setup --app "$work/app" --definitions "$definitions" --stub "$stub" \
  -o "$work/NotSigned.exe" --sign-command "true {}" >/dev/null 2>"$work/sign-error.txt"; code=$?
check "a sign command that signs nothing fails the setup ($code)" test "$code" -eq 1
check "saying so" grep -q 'without a signature' "$work/sign-error.txt"
check "and leaves no output" test -z "$(ls "$work" | grep NotSigned)"
shown="$("$vornpack" verify "$work/SignedInOneStep.exe")"; code=$?
check "verify reads the signed setup's payload ($code)" contains "$shown" 'all readable'
check "list too" "$vornpack" list "$work/SignedInOneStep.exe" >/dev/null
"$vornpack" setup --app "$work/app" --definitions "$definitions" --stub "$demo" \
  -o "$work/DemoStub.exe" >/dev/null 2>"$work/stub-error.txt"; code=$?
check "VornDemo.exe is refused as the stub (39, $code)" test "$code" -eq 39
check "as not the setup program" grep -q 'is not the setup program' "$work/stub-error.txt"
check "and leaves no output" test -z "$(ls "$work" | grep DemoStub)"

echo "== the signed setup installs quietly and is removed again"
# The prefix prepared once for the end-to-end scripts (one of its own when run by hand).
template="${VORN_WINE_TEMPLATE:-$work.template}"
"$(dirname "$run")/wine-prefix.sh" template "$template"
prefix="$work/prefix"; cp -a "$template" "$prefix"
files_of() { (cd "$prefix/drive_c" && find . -path ./windows -prune -o -path './users/*/AppData/Local/Temp' -prune -o -printf '%p %s\n' | sort); }
entry="HKLM\\Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{$uuid}"
before="$(files_of)"
signed_sum="$(sha256sum <"$work/AcmePaintSetup-signed.exe")"
cp "$work/AcmePaintSetup-signed.exe" "$prefix/drive_c/AcmePaintSetup.exe"
"$run" "$prefix" 'C:\AcmePaintSetup.exe' /Quiet >/dev/null 2>&1 </dev/null; code=$?
check "the signed setup installs quietly (exit code $code)" test "$code" -eq 0
installed="$prefix/drive_c/Program Files (x86)/Acme Paint"
check "the program is in the product's folder" cmp -s "$installed/VornDemo.exe" "$work/app/VornDemo.exe"
check "with its nested file" cmp -s "$installed/Help/Readme.txt" "$work/app/Help/Readme.txt"
check "the entry names the product" test "$(reg_value "$prefix" "$entry" DisplayName)" = "Acme Paint"
check "its version" test "$(reg_value "$prefix" "$entry" DisplayVersion)" = "3.1.4"
check "its publisher" test "$(reg_value "$prefix" "$entry" Publisher)" = "Acme Corp"
check "the shortcut has the product's name" test -f "$prefix/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Acme Paint/Acme Paint.lnk"
check "and is the program group's only one" test "$(ls "$prefix/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Acme Paint/"*.lnk | wc -l)" -eq 1
check "the setup's signature is untouched" test "$signed_sum" = "$(sha256sum <"$prefix/drive_c/AcmePaintSetup.exe")"
check "and still verifies" verifies "$prefix/drive_c/AcmePaintSetup.exe"
uninstall="$(reg_value "$prefix" "$entry" UninstallString)"
printf '%s /Quiet\r\n' "$uninstall" > "$prefix/drive_c/remove.bat"
"$run" "$prefix" cmd /c 'C:\remove.bat' >/dev/null 2>&1 </dev/null
for _ in $(seq 1 150); do
  ls -d "$prefix"/drive_c/windows/temp/VornLib-Removal-* \
    "$prefix"/drive_c/users/*/AppData/Local/Temp/*Uninstall.cmd >/dev/null 2>&1 || break
  sleep 0.2
done
sleep 1
rm -f "$prefix/drive_c/remove.bat" "$prefix/drive_c/AcmePaintSetup.exe"
check "removal leaves no file or folder" test "$before" = "$(files_of)"
[ "$before" = "$(files_of)" ] || diff <(echo "$before") <(files_of) | head
check "and no entry" reg_absent "$prefix" "$entry"
WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true

finish_checks
