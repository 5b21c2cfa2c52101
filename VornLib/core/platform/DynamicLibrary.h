// DynamicLibrary: a system library loaded at run time from the system folder,
// with its path and version record. Functions that older systems lack, and
// libraries that are not always loaded from the system folder, are reached
// only through here, so the executables' import tables stay minimal. The
// system libraries that the executables call directly are delay-loaded (see
// cmake/VornSystemLibraries.cmake): the hook here loads them on first call
// through the same system-folder loader.
#pragma once

#include "VornLib/core/Result.h"
#include "VornLib/core/String.h"
#include "VornLib/core/Win32Handles.h"

namespace vorn {

// The library's DllGetVersion answer (all zero, size 20, when it has none).
struct LibraryVersion {
    uint32_t size = 20;
    uint32_t major = 0;
    uint32_t minor = 0;
    uint32_t build = 0;
    uint32_t platform = 0;
};

class DynamicLibrary {
public:
    // Loads `name` from the system folder.
    explicit DynamicLibrary(const wchar_t* name);

    bool isLoaded() const { return library_.isValid(); }
    // Null when the library or the export is missing.
    void* procAddress(const char* exportName) const;
    Result lastError() const { return lastError_; }
    const String& path() const { return path_; }
    const LibraryVersion& version() const { return version_; }

private:
    LibraryHandle library_;
    Result lastError_ = kResultOk;
    String path_;
    LibraryVersion version_;
};

enum class SystemLibraryId {
    Comctl32,
    Dwmapi,
    Kernel32,
    Riched20,
    Shell32,
    User32,
    UxTheme,
    Psapi,
    Ws2_32,
    DbgHelp,
    WinHttp,
    WinMm,
    Ntdll,
};

// The one process-lifetime instance of a system library, loaded on first use.
DynamicLibrary& SystemLibrary(SystemLibraryId id);

// An export of a system library, typed; null when missing.
template <typename Function> Function SystemFunction(SystemLibraryId id, const char* name) {
    return reinterpret_cast<Function>(SystemLibrary(id).procAddress(name));
}

// Limits every later search for a library (the system's own ones included) to
// the system folder, where the system allows it, and takes the current folder
// out of the search. Called first thing at start; the delay-load hook calls it
// too, in case a library is needed before.
void RestrictLibrarySearch();

// Loads a library of the system folder only: a setup program often starts from
// a downloads folder where anyone can drop a DLL of the same name. `name` is a
// bare file name (else 38). Where the system refuses the search flags (Windows 7
// without update KB2533623) the library is loaded by its full path in the
// system folder, unless the program's manifest redirects the name (the common
// controls 6), which the loader then takes from the side-by-side store.
Result LoadSystemLibrary(const wchar_t* name, LibraryHandle* library);
// The library's full path in the system folder; empty for a name that is not
// a bare file name.
String SystemFolderLibraryPath(const wchar_t* name);
// Tests take the way of systems without the search flags.
void ForceSystemLibraryFallback(bool force);

// Wrappers resolved once; when the function is missing they fail without calling it.
BOOL CallIsWow64Process(HANDLE process, BOOL* wow64);
int CallGetUserDefaultLocaleName(wchar_t* name, int capacity);
HRESULT CallSetCurrentProcessExplicitAppUserModelID(const wchar_t* id);
// The multimedia millisecond timer (the tick count when winmm is missing).
DWORD CallTimeGetTime();

} // namespace vorn
