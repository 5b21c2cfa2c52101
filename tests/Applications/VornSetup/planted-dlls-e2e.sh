#!/bin/bash
# planted-dlls-e2e.sh <VornPack> <VornSetup stub> <VornDemo.exe> <definitions> <wine-run> <work folder> <WindowDriver.exe> <C compiler>
# A setup program is started from a downloads folder, where anyone can have
# dropped a DLL named like a system library. Small DLLs built here write a
# marker file beside themselves from DllMain; Wine is told to prefer such
# native DLLs over its own, so that a program searching its own or the
# current folder would load them. A quiet installation, the wizard's start,
# VornDemo's start and its removal must load none of them.
# shellcheck source-path=SCRIPTDIR
set -uo pipefail
# shellcheck disable=SC2034 # e2e-common.sh reads them
{ vornpack="$1"; stub="$2"; demo="$3"; definitions="$4"; run="$5"; work="$6"; driver="$7"; cc="$8"; }
# The programs run from the downloads folder: every path given must hold from there.
run="$(realpath "$run")"; work="$(realpath -m "$work")"; driver="$(realpath "$driver")"
source "$(dirname "$0")/../../../scripts/lib.sh"
start_xvfb
source "$(dirname "$0")/e2e-common.sh"

# The libraries the programs import or load through the system-folder loader,
# those that system libraries load on their behalf, and the usual suspects of
# planting reports.
planted=(
  advapi32 gdi32 ole32 shell32 user32
  comctl32 dwmapi riched20 uxtheme psapi ws2_32 dbghelp winhttp winmm
  version msimg32 cryptbase profapi
  oleaut32 shlwapi shcore propsys imm32 msctf usp10 setupapi cfgmgr32 wintrust crypt32
  secur32 sspicli userenv netapi32 iphlpapi dnsapi bcrypt ntmarta wtsapi32 textshaping
  apphelp rsaenh dwrite windowscodecs mpr
)
# A program that a planted DLL breaks ends at once instead of waiting in Wine's debugger.
overrides="$(IFS=,; echo "${planted[*]}")=n,b;mscoree,mshtml=;winemenubuilder.exe,winedbg.exe=d"

cat > "$work/marker.c" <<'EOF'
#include <windows.h>
/* Leaves "<its own path>.loaded" behind when a process loads it. */
BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved) {
    wchar_t path[MAX_PATH + 8];
    DWORD length;
    (void)reserved;
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    length = GetModuleFileNameW(module, path, MAX_PATH);
    if (length && length < MAX_PATH) {
        lstrcatW(path, L".loaded");
        CloseHandle(CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL));
    }
    return TRUE;
}
EOF
# A program that takes version.dll the ordinary way: the planting works.
cat > "$work/control.c" <<'EOF'
#include <windows.h>
int WINAPI WinMain(HINSTANCE a, HINSTANCE b, LPSTR c, int d) {
    (void)a; (void)b; (void)c; (void)d;
    return LoadLibraryW(L"version.dll") ? 0 : 1;
}
EOF
dll_entry=DllMain; "$cc" -dumpmachine | grep -q "^i686" && dll_entry=_DllMain@12
"$cc" -shared -nostdlib -o "$work/marker.dll" "$work/marker.c" -Wl,--entry,$dll_entry -lkernel32 ||
  { echo "cannot build the marker DLL with $cc"; exit 1; }
"$cc" -mwindows -o "$work/control.exe" "$work/control.c" || { echo "cannot build the control program"; exit 1; }

plant() { # folder
  local name
  for name in "${planted[@]}"; do cp "$work/marker.dll" "$1/$name.dll"; done
}
markers() { # prefix -> every marker file left in the prefix
  find "$1/drive_c" -name '*.dll.loaded' -printf '%P\n' 2>/dev/null | sort
}
downloads_of() { find "$1/drive_c/users" -mindepth 2 -maxdepth 2 -name Downloads | head -n 1; }
# Runs a program of the prefix from the downloads folder, preferring the planted DLLs.
planted_run() { # prefix folder program [arguments...]
  local prefix="$1" folder="$2"; shift 2
  (cd "$folder" && WINEDLLOVERRIDES="$overrides" timeout 300 "$run" "$prefix" "$@" >/dev/null 2>&1 </dev/null)
}
show_loaded() { [ -z "$left" ] || while IFS= read -r marker; do echo "    loaded: $marker"; done <<<"$left"; }
installed_in() { # prefix -> the install folder that the entry records, as a folder of the prefix
  local folder; folder="$(reg_value "$1" "$entry" VornLib.InstallFolder)"
  [ -n "$folder" ] && folder="${folder#[Cc]:\\}" && echo "$1/drive_c/${folder//\\//}"
}

echo "== the planted DLLs are loadable"
prefix="$(fresh_prefix control)"
downloads="$(downloads_of "$prefix")"
plant "$downloads"; cp "$work/control.exe" "$downloads/"
planted_run "$prefix" "$downloads" "$downloads/control.exe"
check "a program that loads version.dll the ordinary way takes the planted one" test -f "$downloads/version.dll.loaded"
finish_prefix "$prefix"

echo "== a quiet installation from the downloads folder"
prefix="$(fresh_prefix quiet)"
downloads="$(downloads_of "$prefix")"
plant "$downloads"; cp "$work/VornDemoSetup.exe" "$downloads/"
planted_run "$prefix" "$downloads" "$downloads/VornDemoSetup.exe" /Quiet; code=$?
check "the installation ends with 0 ($code)" test "$code" -eq 0
installed="$(installed_in "$prefix")"
check "VornDemo is installed" test -n "$installed" -a -f "$installed/VornDemo.exe"
left="$(markers "$prefix")"
check "no planted DLL was loaded" test -z "$left"
show_loaded

echo "== VornDemo started from the downloads folder, with DLLs planted in its own folder"
[ -n "$installed" ] && plant "$installed"
planted_run "$prefix" "$downloads" "$installed/VornDemo.exe" /DemoSeconds:3; code=$?
check "VornDemo ends with 0 ($code)" test "$code" -eq 0
left="$(markers "$prefix")"
check "no planted DLL was loaded" test -z "$left"
show_loaded

echo "== its removal through the uninstall entry"
uninstall="$(reg_value "$prefix" "$entry" UninstallString)"
printf '%s /Quiet\r\n' "$uninstall" > "$downloads/remove.bat"
planted_run "$prefix" "$downloads" cmd /c 'remove.bat'; code=$?
check "the removal ends with 0 ($code)" test "$code" -eq 0
wait_for_batch_file "$prefix"
check "VornDemo is removed" test ! -e "$installed/VornDemo.exe"
check "its entry is gone" reg_absent "$prefix" "$entry" DisplayName
left="$(markers "$prefix")"
check "no planted DLL was loaded" test -z "$left"
show_loaded
finish_prefix "$prefix"

echo "== the wizard started from the downloads folder"
prefix="$(fresh_prefix wizard)"
downloads="$(downloads_of "$prefix")"
plant "$downloads"; cp "$work/VornDemoSetup.exe" "$downloads/"
# Wine's messages kept: a wizard that never shows says why there.
(cd "$downloads" && WINEDEBUG=err+all WINEDLLOVERRIDES="$overrides" "$run" "$prefix" "$downloads/VornDemoSetup.exe" >/dev/null 2>"$work/wizard-wine.log" </dev/null) &
setup_pid=$!
# WindowDriver runs from elsewhere, with Wine's own DLLs. Every native DLL
# tried first makes this start slow on a busy machine.
shown="$("$run" "$prefix" "$driver" 'VornDemo Setup' --timeout 240 2>/dev/null | tr -d '\r')"
check "the wizard's window appears" grep -qF 'VornDemo Setup' <<<"$shown"
grep -qF 'VornDemo Setup' <<<"$shown" ||
  { kill -0 "$setup_pid" 2>/dev/null && echo "    (the setup is still running)"; tail -n 20 "$work/wizard-wine.log" | sed 's/^/    wine: /'; }
"$run" "$prefix" "$driver" 'VornDemo Setup' --close >/dev/null 2>&1 </dev/null
ended() { ! kill -0 "$1" 2>/dev/null; } # pid
wait_until 120 ended "$setup_pid"
check "closing it ends the setup" ended "$setup_pid"
kill "$setup_pid" 2>/dev/null; wait "$setup_pid" 2>/dev/null
left="$(markers "$prefix")"
check "no planted DLL was loaded" test -z "$left"
show_loaded
finish_prefix "$prefix"

finish_checks
