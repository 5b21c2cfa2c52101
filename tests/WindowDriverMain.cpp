// WindowDriver <title> [--click <caption>] [--timeout <seconds>]
// WindowDriver --list
// Waits for a top-level window, prints its title and its children's texts
// (UTF-8, one per line), and optionally presses a button. Exit codes: 0 done,
// 1 no such window in time, 2 no such button, 3 bad arguments.
#include <cwchar>

#include "WindowDriver.h"

namespace {

void PrintLine(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), int(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string bytes(size_t(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), int(text.size()), bytes.data(), size, nullptr,
                        nullptr);
    bytes += '\n';
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), DWORD(bytes.size()), &written,
              nullptr);
}

BOOL CALLBACK PrintVisibleTitle(HWND window, LPARAM) {
    if (IsWindowVisible(window))
        PrintLine(vorntest::WindowText(window));
    return TRUE;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2)
        return 3;
    if (!wcscmp(argv[1], L"--list")) {
        EnumWindows(PrintVisibleTitle, 0);
        return 0;
    }
    std::wstring click;
    double timeout = 30;
    for (int i = 2; i + 1 < argc; i += 2) {
        if (!wcscmp(argv[i], L"--click"))
            click = argv[i + 1];
        else if (!wcscmp(argv[i], L"--timeout"))
            timeout = _wtof(argv[i + 1]);
        else
            return 3;
    }
    HWND window = vorntest::WaitForWindow(argv[1], timeout);
    if (!window)
        return 1;
    // Let the dialog finish laying itself out before reading it.
    Sleep(300);
    PrintLine(vorntest::WindowText(window));
    for (const auto& child : vorntest::ChildTexts(window)) {
        if (!child.second.empty())
            PrintLine(child.second);
    }
    if (!click.empty() && !vorntest::PressButton(window, click))
        return 2;
    return 0;
}
