// Tests drive windows the way a user does: find a top-level window by its
// title, read what it shows, press one of its buttons by caption. Works
// across processes, so a script can answer another program's dialog.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace vorntest {

// The visible top-level window with this exact title; null after `seconds`.
inline HWND WaitForWindow(const std::wstring& title, double seconds) {
    const DWORD end = GetTickCount() + DWORD(seconds * 1000);
    do {
        HWND found = FindWindowW(nullptr, title.c_str());
        if (found && IsWindowVisible(found))
            return found;
        Sleep(50);
    } while (int32_t(end - GetTickCount()) > 0);
    return nullptr;
}

inline std::wstring WindowText(HWND window) {
    wchar_t text[4096] = {};
    SendMessageTimeoutW(window, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                        2000, nullptr);
    return text;
}

using ChildList = std::vector<std::pair<HWND, std::wstring>>;

inline BOOL CALLBACK CollectChild(HWND child, LPARAM list) {
    reinterpret_cast<ChildList*>(list)->emplace_back(child, WindowText(child));
    return TRUE;
}

// The window's children, depth first, with their texts.
inline ChildList ChildTexts(HWND window) {
    ChildList children;
    EnumChildWindows(window, CollectChild, reinterpret_cast<LPARAM>(&children));
    return children;
}

// Presses the button whose caption (without "&") equals `caption`, as a click
// would: the dialog gets the button's notification.
inline bool PressButton(HWND window, const std::wstring& caption) {
    for (const auto& child : ChildTexts(window)) {
        std::wstring text;
        for (wchar_t unit : child.second)
            if (unit != L'&')
                text += unit;
        wchar_t className[64] = {};
        GetClassNameW(child.first, className, 64);
        if (text != caption || _wcsicmp(className, L"Button") != 0)
            continue;
        const int id = GetDlgCtrlID(child.first);
        return PostMessageW(GetParent(child.first), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                            reinterpret_cast<LPARAM>(child.first)) != FALSE;
    }
    return false;
}

// Writes what the screen shows as a 24-bit BMP file, for a person to look at.
inline bool SaveScreenshot(const std::wstring& path) {
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool saved = false;
    if (bitmap) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
        SelectObject(memory, old);
        const DWORD rowBytes = DWORD((width * 3 + 3) & ~3), imageBytes = rowBytes * DWORD(height);
        BITMAPFILEHEADER header = {
            0x4D42, DWORD(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + imageBytes), 0, 0,
            DWORD(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER))};
        HANDLE file =
            CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            saved = WriteFile(file, &header, sizeof header, &written, nullptr) &&
                    WriteFile(file, &info.bmiHeader, sizeof info.bmiHeader, &written, nullptr) &&
                    WriteFile(file, bits, imageBytes, &written, nullptr);
            CloseHandle(file);
        }
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return saved;
}

} // namespace vorntest
