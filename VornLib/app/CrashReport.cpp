#include "VornLib/app/CrashReport.h"

#include <shellapi.h>

#include "VornLib/core/platform/DynamicLibrary.h"

namespace vorn {
namespace {

// MiniDumpWithHandleData | FilterMemory | ScanMemory | WithUnloadedModules |
// WithIndirectlyReferencedMemory | WithProcessThreadData | WithFullMemoryInfo |
// WithThreadInfo | WithFullAuxiliaryState | IgnoreInaccessibleMemory | WithTokenInformation
constexpr DWORD kDumpType = 0x6997C;

struct DumpExceptionInformation {
    DWORD threadId;
    EXCEPTION_POINTERS* exceptionPointers;
    BOOL clientPointers;
};
using MiniDumpWriteDumpFunction = BOOL(WINAPI*)(HANDLE, DWORD, HANDLE, DWORD,
                                                DumpExceptionInformation*, void*, void*);

CrashReportSettings gSettings;

void ShowWithMessageBox(HWND owner, const String& text) {
    MessageBoxW(owner, Wide(text.data()), Wide(kCrashCaption), MB_OK | MB_ICONERROR);
}

LONG WINAPI UnhandledFilter(EXCEPTION_POINTERS* exception) {
    const DWORD code =
        exception && exception->ExceptionRecord ? exception->ExceptionRecord->ExceptionCode : 0;
    return CrashFilter(code, exception);
}

} // namespace

String CrashDumpPath() {
    // The current folder when the temporary one cannot be had.
    wchar_t folder[516] = {};
    const DWORD length = GetTempPathW(516, folder);
    if (!length || length >= 516)
        return String(u".\\") + kCrashDumpName;
    return String(Units(folder)) + kCrashDumpName;
}

void OpenMailLink(const char16_t* address, const char16_t* subject, const char16_t* body) {
    if (!address)
        return;
    const String link = MailLink(address, subject, body);
    ShellExecuteW(nullptr, L"open", Wide(link.data()), nullptr, nullptr, SW_SHOWNORMAL);
}

LONG CrashFilter(DWORD exceptionCode, EXCEPTION_POINTERS* exception) {
    if (!exception)
        return 0;
    // Resolved now, not at start-up: the library may have been missing then.
    const auto writeDump =
        SystemFunction<MiniDumpWriteDumpFunction>(SystemLibraryId::DbgHelp, "MiniDumpWriteDump");
    HWND owner = gSettings.ownerWindow ? gSettings.ownerWindow() : nullptr;
    if (owner && !IsWindowVisible(owner))
        owner = nullptr;
    String text;
    if (writeDump) {
        const String path = CrashDumpPath();
        const FileHandle file(
            CreateFileW(Wide(path.data()), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                        FILE_FLAG_SEQUENTIAL_SCAN | FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file) {
            DumpExceptionInformation information = {GetCurrentThreadId(), exception, FALSE};
            writeDump(GetCurrentProcess(), GetCurrentProcessId(), file.get(), kDumpType,
                      &information, nullptr, nullptr);
        }
        text = CrashMessage(exceptionCode, path, gSettings.supportAddress, true);
    } else {
        text = CrashMessage(exceptionCode, String(), gSettings.supportAddress, false);
    }
    (gSettings.showMessage ? gSettings.showMessage : ShowWithMessageBox)(owner, text);
    return 1;
}

void InstallCrashReport(const CrashReportSettings& settings) {
    gSettings = settings;
    SystemLibrary(SystemLibraryId::DbgHelp);
    SetUnhandledExceptionFilter(&UnhandledFilter);
}

} // namespace vorn
