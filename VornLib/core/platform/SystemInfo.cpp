#include "VornLib/core/platform/SystemInfo.h"

#include "VornLib/core/Format.h"
#include "VornLib/core/Win32Handles.h"
#include "VornLib/core/platform/DynamicLibrary.h"

#include <shlobj.h>

namespace vorn {
namespace {

bool VersionAtLeast(DWORD major, DWORD minor, WORD servicePack) {
    OSVERSIONINFOEXW info = {};
    info.dwOSVersionInfoSize = sizeof info;
    info.dwMajorVersion = major;
    info.dwMinorVersion = minor;
    info.wServicePackMajor = servicePack;
    DWORDLONG mask = 0;
    mask = VerSetConditionMask(mask, VER_MAJORVERSION, VER_GREATER_EQUAL);
    mask = VerSetConditionMask(mask, VER_MINORVERSION, VER_GREATER_EQUAL);
    mask = VerSetConditionMask(mask, VER_SERVICEPACKMAJOR, VER_GREATER_EQUAL);
    return VerifyVersionInfoW(&info, VER_MAJORVERSION | VER_MINORVERSION | VER_SERVICEPACKMAJOR,
                              mask) != FALSE;
}

String WithBackslash(const wchar_t* path) {
    String text(Units(path));
    if (!text.isEmpty() && text[text.length() - 1] != u'\\')
        text += u'\\';
    return text;
}

String ShellFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)))
        return String();
    return WithBackslash(path);
}

struct ClockFrequency {
    LARGE_INTEGER ticksPerSecond = {};
    bool usable = false;
    ClockFrequency() {
        usable = QueryPerformanceFrequency(&ticksPerSecond) && ticksPerSecond.QuadPart > 0;
    }
};

} // namespace

uint32_t OperatingSystemLevel() {
    static uint32_t cached = 0;
    if (cached)
        return cached;
    struct Level {
        DWORD major, minor;
        uint32_t level;
    };
    static const Level kLevels[] = {{10, 0, kWindows10},
                                    {6, 2, kWindows8},
                                    {6, 1, kWindows7},
                                    {6, 0, kWindowsVista},
                                    {5, 1, kWindowsXP}};
    for (const Level& level : kLevels) {
        if (VersionAtLeast(level.major, level.minor, 0)) {
            cached = level.level;
            return cached;
        }
    }
    return kWindows10; // not cached: an unknown system is asked again next time
}

namespace {

// Unknown (-1) when the token cannot be read.
int TokenElevationOf(HANDLE process) {
    KernelHandle token;
    if (!OpenProcessToken(process, TOKEN_QUERY, token.receive())) {
        token.release();
        return -1;
    }
    TOKEN_ELEVATION elevation = {};
    DWORD size = 0;
    if (!GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof elevation, &size))
        return -1;
    return elevation.TokenIsElevated != 0;
}

} // namespace

bool IsProcessElevated() {
    return OperatingSystemLevel() <= kWindowsXP || TokenElevationOf(GetCurrentProcess()) != 0;
}

bool IsElevatedProcess(void* process) {
    return OperatingSystemLevel() <= kWindowsXP || TokenElevationOf(process) == 1;
}

bool IsWow64() {
    BOOL wow64 = FALSE;
    return CallIsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

double MonotonicSeconds() {
    static const ClockFrequency frequency;
    if (frequency.usable) {
        LARGE_INTEGER now;
        if (QueryPerformanceCounter(&now) && now.QuadPart != 0)
            return double(now.QuadPart) / double(frequency.ticksPerSecond.QuadPart);
    }
    return double(CallTimeGetTime()) / 1000.0;
}

DateTime CurrentDateTime() {
    FILETIME now = {};
    GetSystemTimeAsFileTime(&now);
    return DateTimeFromFileTime((uint64_t(now.dwHighDateTime) << 32) | now.dwLowDateTime);
}

String WindowsVersionText() {
    // The version as it is: the one programs are told depends on their manifest.
    using GetVersion = LONG(WINAPI*)(OSVERSIONINFOW*);
    using GetWineVersion = const char*(CDECL*)();
    const auto getVersion = SystemFunction<GetVersion>(SystemLibraryId::Ntdll, "RtlGetVersion");
    const auto getWineVersion =
        SystemFunction<GetWineVersion>(SystemLibraryId::Ntdll, "wine_get_version");
    OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof info;
    String text =
        getVersion && getVersion(&info) == 0
            ? Format(u"{0}.{1}.{2}", {unsigned(info.dwMajorVersion), unsigned(info.dwMinorVersion),
                                      unsigned(info.dwBuildNumber)})
            : String(u"unknown");
    if (getWineVersion) {
        String wine;
        for (const char* at = getWineVersion(); at && *at; ++at)
            wine += char16_t(uint8_t(*at));
        text += u" (Wine " + wine + u')';
    }
    const bool wide = sizeof(void*) == 8 || IsWow64();
    return text + (wide ? u", 64-bit" : u", 32-bit");
}

String TemporaryFolder() {
    wchar_t path[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, path);
    if (!length || length > MAX_PATH)
        return String();
    return WithBackslash(path);
}

String SystemTemporaryFolder() {
    wchar_t path[MAX_PATH] = {};
    const UINT length = GetSystemWindowsDirectoryW(path, MAX_PATH);
    if (!length || length >= MAX_PATH)
        return String();
    return WithBackslash(path) + u"Temp\\";
}

String TemporaryFileName() {
    const String folder = TemporaryFolder();
    wchar_t path[MAX_PATH] = {};
    if (folder.isEmpty() || !GetTempFileNameW(Wide(folder.data()), L"vnl", 0, path))
        return String();
    return String(Units(path));
}

// The product is a 32-bit program, which Windows shows the 32-bit folder;
// 64-bit builds of the same code ask for that folder explicitly.
String ProgramFilesFolder() {
    return ShellFolder(sizeof(void*) == 8 ? CSIDL_PROGRAM_FILESX86 : CSIDL_PROGRAM_FILES);
}

String StartMenuProgramsFolder() {
    const String common = ShellFolder(CSIDL_COMMON_PROGRAMS);
    return common.isEmpty() ? ShellFolder(CSIDL_PROGRAMS) : common;
}

String UserProgramFilesFolder() {
    // FOLDERID_UserProgramFiles, which has no CSIDL; where the system does
    // not know it, its default place serves. Asked without making it: a
    // wizard that only proposes it leaves nothing behind.
    static const GUID kUserProgramFiles = {
        0x5CD7AEE2, 0x2219, 0x4A67, {0xB8, 0x5D, 0x6C, 0x9C, 0xE1, 0x56, 0x60, 0xCB}};
    wchar_t* known = nullptr;
    if (SUCCEEDED(SHGetKnownFolderPath(kUserProgramFiles, KF_FLAG_DONT_VERIFY, nullptr, &known)) &&
        known) {
        const String folder = WithBackslash(known);
        CoTaskMemFree(known);
        return folder;
    }
    CoTaskMemFree(known);
    const String localAppData = ShellFolder(CSIDL_LOCAL_APPDATA);
    return localAppData.isEmpty() ? String() : localAppData + u"Programs\\";
}

String UserStartMenuProgramsFolder() {
    return ShellFolder(CSIDL_PROGRAMS);
}

String UserProfileFolder() {
    return ShellFolder(CSIDL_PROFILE);
}

String DesktopFolder() {
    return ShellFolder(CSIDL_DESKTOPDIRECTORY);
}

String AppDataFolder() {
    return ShellFolder(CSIDL_APPDATA);
}

String QuickLaunchFolder() {
    const String appData = AppDataFolder();
    if (appData.isEmpty())
        return String();
    return appData + u"Microsoft\\Internet Explorer\\Quick Launch\\";
}

String ExecutablePath() {
    wchar_t path[1024];
    const DWORD length = GetModuleFileNameW(nullptr, path, 1024);
    if (!length || length >= 1024)
        return String();
    return String(Units(path), length);
}

} // namespace vorn
