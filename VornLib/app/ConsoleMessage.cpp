#include "VornLib/app/ConsoleMessage.h"

#include <string>

#include "VornLib/core/Format.h"
#include "VornLib/core/Utf8.h"
#include "VornLib/core/Win32Handles.h"

namespace vorn {
namespace {

bool IsConsole(HANDLE handle) {
    DWORD mode = 0;
    return GetFileType(handle) == FILE_TYPE_CHAR && GetConsoleMode(handle, &mode);
}

void WriteTo(HANDLE handle, const String& text) {
    DWORD written = 0;
    if (IsConsole(handle)) {
        WriteConsoleW(handle, Wide(text.data()), DWORD(text.length()), &written, nullptr);
        return;
    }
    const std::string bytes = ToUtf8(text);
    WriteFile(handle, bytes.data(), DWORD(bytes.size()), &written, nullptr);
}

// The parent's console, attached once for the life of the process.
HANDLE ParentConsole() {
    static const FileHandle console = [] {
        if (!AttachConsole(ATTACH_PARENT_PROCESS))
            return FileHandle();
        return FileHandle(CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, 0, nullptr));
    }();
    return console.get();
}

} // namespace

bool WriteConsoleLine(const String& line) {
    const String text = TerminalSafe(line) + u"\r\n";
    HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    if (error && error != INVALID_HANDLE_VALUE && GetFileType(error) != FILE_TYPE_UNKNOWN) {
        WriteTo(error, text);
        return true;
    }
    HANDLE console = ParentConsole();
    if (console == INVALID_HANDLE_VALUE)
        return false;
    WriteTo(console, text);
    return true;
}

void ShowConsoleOrMessage(const String& caption, const String& text) {
    if (!WriteConsoleLine(text))
        MessageBoxW(nullptr, Wide(text.data()), Wide(caption.data()),
                    MB_OK | MB_ICONINFORMATION | MB_SETFOREGROUND);
}

} // namespace vorn
