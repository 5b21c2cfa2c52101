#include "VornLib/core/platform/DynamicLibrary.h"

#include <mutex>

#include <delayimp.h>
#include <shlwapi.h>

namespace vorn {
namespace {

struct LibraryName {
    SystemLibraryId id;
    const wchar_t* name;
};

constexpr LibraryName kLibraryNames[] = {
    {SystemLibraryId::Comctl32, L"comctl32.dll"}, {SystemLibraryId::Dwmapi, L"dwmapi.dll"},
    {SystemLibraryId::Kernel32, L"kernel32.dll"}, {SystemLibraryId::Riched20, L"riched20.dll"},
    {SystemLibraryId::Shell32, L"shell32.dll"},   {SystemLibraryId::User32, L"user32.dll"},
    {SystemLibraryId::UxTheme, L"UxTheme.dll"},   {SystemLibraryId::Psapi, L"psapi.dll"},
    {SystemLibraryId::Ws2_32, L"Ws2_32.dll"},     {SystemLibraryId::DbgHelp, L"DbgHelp.dll"},
    {SystemLibraryId::WinHttp, L"winhttp.dll"},   {SystemLibraryId::WinMm, L"winmm.dll"},
    {SystemLibraryId::Ntdll, L"ntdll.dll"},
};
constexpr size_t kLibraryCount = sizeof kLibraryNames / sizeof kLibraryNames[0];

using DllGetVersionFunction = HRESULT(CALLBACK*)(DLLVERSIONINFO*);

bool gFallbackForced = false;

// The update that brings the search flags brings AddDllDirectory with them.
bool SearchFlagsSupported() {
    static const bool supported =
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "AddDllDirectory") != nullptr;
    return supported && !gFallbackForced;
}

bool IsBareFileName(const wchar_t* name) {
    if (!name || !*name || (name[0] == L'.' && (!name[1] || (name[1] == L'.' && !name[2]))))
        return false;
    for (const wchar_t* at = name; *at; ++at) {
        if (*at == L'\\' || *at == L'/' || *at == L':')
            return false;
    }
    return true;
}

bool RedirectedByManifest(const wchar_t* name) {
    ACTCTX_SECTION_KEYED_DATA data = {};
    data.cbSize = sizeof data;
    return FindActCtxSectionStringW(0, nullptr, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION, name,
                                    &data) != FALSE;
}

// The delay-load helper asks before it loads a library itself; a handle given
// here is the one it keeps for the rest of the process.
FARPROC WINAPI LoadDelayedLibrary(unsigned notification, PDelayLoadInfo info) {
    if (notification != dliNotePreLoadLibrary || !info || !info->szDll)
        return nullptr;
    static const bool restricted = (RestrictLibrarySearch(), true);
    (void)restricted;
    wchar_t name[MAX_PATH] = {};
    if (!MultiByteToWideChar(CP_ACP, 0, info->szDll, -1, name, MAX_PATH))
        return nullptr;
    LibraryHandle library;
    if (LoadSystemLibrary(name, &library) != kResultOk)
        return nullptr;
    return reinterpret_cast<FARPROC>(library.release());
}

} // namespace

void RestrictLibrarySearch() {
    using Function = BOOL(WINAPI*)(DWORD);
    const auto restrict = reinterpret_cast<Function>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
    if (restrict)
        restrict(LOAD_LIBRARY_SEARCH_SYSTEM32);
    SetDllDirectoryW(L"");
    // Libraries that system libraries import and that are no KnownDLLs (the
    // theme library's msimg32, which a themed button loads): Wine, and
    // Windows before 10, look for a system library's imports in the
    // program's folder first. Loaded from the system folder now, they are
    // found loaded then; kept for the whole process.
    static const bool preloaded = [] {
        for (const wchar_t* name : {L"msimg32.dll"}) {
            LibraryHandle library;
            if (LoadSystemLibrary(name, &library) == kResultOk)
                (void)library.release();
        }
        return true;
    }();
    (void)preloaded;
}

String SystemFolderLibraryPath(const wchar_t* name) {
    if (!IsBareFileName(name))
        return String();
    wchar_t folder[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (!length || length >= MAX_PATH)
        return String();
    return String(Units(folder)) + u'\\' + Units(name);
}

void ForceSystemLibraryFallback(bool force) {
    gFallbackForced = force;
}

Result LoadSystemLibrary(const wchar_t* name, LibraryHandle* library) {
    if (!library)
        return kResultNullOutput;
    library->reset();
    if (!IsBareFileName(name))
        return kResultInvalidName;
    if (SearchFlagsSupported()) {
        library->reset(LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
        if (*library)
            return kResultOk;
        if (GetLastError() != ERROR_INVALID_PARAMETER)
            return ResultFromSystemError(GetLastError());
    }
    // The name alone is safe only where the manifest decides where it comes from.
    if (RedirectedByManifest(name)) {
        library->reset(LoadLibraryW(name));
    } else {
        // Its own imports are then looked for beside it, not beside the program.
        library->reset(LoadLibraryExW(Wide(SystemFolderLibraryPath(name).data()), nullptr,
                                      LOAD_WITH_ALTERED_SEARCH_PATH));
    }
    return *library ? kResultOk : ResultFromSystemError(GetLastError());
}

DynamicLibrary::DynamicLibrary(const wchar_t* name) {
    lastError_ = LoadSystemLibrary(name, &library_);
    if (lastError_ != kResultOk)
        return;
    wchar_t path[512] = {};
    const DWORD length = GetModuleFileNameW(library_.get(), path, 511);
    path_.assign(Units(path), length);
    auto getVersion = reinterpret_cast<DllGetVersionFunction>(procAddress("DllGetVersion"));
    DLLVERSIONINFO info = {};
    info.cbSize = sizeof info;
    if (getVersion && SUCCEEDED(getVersion(&info))) {
        version_.major = info.dwMajorVersion;
        version_.minor = info.dwMinorVersion;
        version_.build = info.dwBuildNumber;
        version_.platform = info.dwPlatformID;
    }
}

void* DynamicLibrary::procAddress(const char* exportName) const {
    if (!library_ || !exportName)
        return nullptr;
    return reinterpret_cast<void*>(GetProcAddress(library_.get(), exportName));
}

DynamicLibrary& SystemLibrary(SystemLibraryId id) {
    // One slot per library, each created on first use; statics initialise thread-safely.
    static std::mutex lock;
    static DynamicLibrary* libraries[kLibraryCount] = {}; // live until process exit
    const size_t index = size_t(id);
    std::lock_guard<std::mutex> guard(lock);
    if (!libraries[index])
        libraries[index] = new DynamicLibrary(kLibraryNames[index].name);
    return *libraries[index];
}

BOOL CallIsWow64Process(HANDLE process, BOOL* wow64) {
    using Function = BOOL(WINAPI*)(HANDLE, PBOOL);
    static const Function function =
        SystemFunction<Function>(SystemLibraryId::Kernel32, "IsWow64Process");
    if (wow64)
        *wow64 = FALSE;
    return function ? function(process, wow64) : FALSE;
}

int CallGetUserDefaultLocaleName(wchar_t* name, int capacity) {
    using Function = int(WINAPI*)(LPWSTR, int);
    static const Function function =
        SystemFunction<Function>(SystemLibraryId::Kernel32, "GetUserDefaultLocaleName");
    return function ? function(name, capacity) : 0;
}

DWORD CallTimeGetTime() {
    using Function = DWORD(WINAPI*)();
    static const Function function =
        SystemFunction<Function>(SystemLibraryId::WinMm, "timeGetTime");
    return function ? function() : GetTickCount();
}

HRESULT CallSetCurrentProcessExplicitAppUserModelID(const wchar_t* id) {
    using Function = HRESULT(WINAPI*)(PCWSTR);
    static const Function function = SystemFunction<Function>(
        SystemLibraryId::Shell32, "SetCurrentProcessExplicitAppUserModelID");
    return function ? function(id) : E_NOTIMPL;
}

} // namespace vorn

// Read by the toolchain's delay-load helper; defined here, the helper's own
// empty default is not linked.
extern "C" {
PfnDliHook __pfnDliNotifyHook2 = vorn::LoadDelayedLibrary;
}
