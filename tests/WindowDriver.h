// Tests drive windows the way a user does: find a top-level window by its
// title, read what it shows, press one of its visible buttons by caption,
// type into an edit box, pick a tab. Works across processes, so a script can
// answer another program's dialog or walk through a wizard.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

namespace vorntest {

// The visible top-level window with this exact title; null after `seconds`.
// A hidden one of the same title (a setup that waits for its elevated copy)
// is passed over.
inline HWND WaitForWindow(const std::wstring& title, double seconds) {
    const DWORD end = GetTickCount() + DWORD(seconds * 1000);
    do {
        for (HWND found = FindWindowExW(nullptr, nullptr, nullptr, title.c_str()); found;
             found = FindWindowExW(nullptr, found, nullptr, title.c_str())) {
            if (IsWindowVisible(found))
                return found;
        }
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

inline std::wstring ClassName(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

// A caption as the user reads it: without the "&" that marks the access key
// ("&&" shows one "&").
inline std::wstring Caption(const std::wstring& text) {
    std::wstring caption;
    for (size_t index = 0; index < text.size(); ++index) {
        if (text[index] == L'&' && index + 1 < text.size())
            ++index;
        caption += text[index];
    }
    return caption;
}

// Whether the control's text marks an access key: a button's always does, a
// label's unless it shows "&" as it is (SS_NOPREFIX).
inline bool MarksAccessKey(HWND control) {
    const std::wstring name = ClassName(control);
    if (_wcsicmp(name.c_str(), L"Button") == 0)
        return true;
    return _wcsicmp(name.c_str(), L"Static") == 0 &&
           !(GetWindowLongW(control, GWL_STYLE) & SS_NOPREFIX);
}

// The text the user reads on the control.
inline std::wstring ShownText(HWND control, const std::wstring& text) {
    return MarksAccessKey(control) ? Caption(text) : text;
}

// The window of `window`'s thread that has the keyboard focus; null for none.
inline HWND FocusOf(HWND window) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    const DWORD thread = GetWindowThreadProcessId(window, nullptr);
    return GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
}

// The visible button with this caption; null when there is none. A user can
// only press what is on show: the hidden pages of a wizard hold buttons with
// the same captions.
inline HWND FindButton(HWND window, const std::wstring& caption) {
    for (const auto& child : ChildTexts(window)) {
        if (Caption(child.second) == caption &&
            _wcsicmp(ClassName(child.first).c_str(), L"Button") == 0 &&
            IsWindowVisible(child.first))
            return child.first;
    }
    return nullptr;
}

inline bool IsCheckable(HWND button) {
    switch (GetWindowLongW(button, GWL_STYLE) & BS_TYPEMASK) {
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_3STATE:
    case BS_AUTO3STATE:
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
        return true;
    default:
        return false;
    }
}

// Presses the visible, enabled button whose caption (without "&") equals
// `caption`, as a click would: the dialog gets the button's notification, and
// a check box changes its state first.
inline bool PressButton(HWND window, const std::wstring& caption) {
    HWND button = FindButton(window, caption);
    if (!button || !IsWindowEnabled(button))
        return false;
    if (IsCheckable(button))
        return SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr) != 0;
    const int id = GetDlgCtrlID(button);
    return PostMessageW(GetParent(button), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                        reinterpret_cast<LPARAM>(button)) != FALSE;
}

// Sets the text of the first visible edit box after the visible control
// captioned `label`, as typing would: the edit box tells its parent of the
// change (EN_CHANGE; an editable combo box passes it on as CBN_EDITCHANGE).
inline bool SetEditText(HWND window, const std::wstring& label, const std::wstring& text) {
    bool labelSeen = false;
    for (const auto& child : ChildTexts(window)) {
        if (!IsWindowVisible(child.first))
            continue;
        if (!labelSeen) {
            labelSeen = ShownText(child.first, child.second) == label;
            continue;
        }
        if (_wcsicmp(ClassName(child.first).c_str(), L"Edit") != 0)
            continue;
        if (!IsWindowEnabled(child.first))
            return false;
        return SendMessageTimeoutW(child.first, WM_SETTEXT, 0,
                                   reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG, 5000,
                                   nullptr) != 0;
    }
    return false;
}

// Memory in the process that owns `window`: the common controls' messages
// carry pointers that the system does not copy between processes. The
// driver must be built for the same processor as the program it drives.
class RemoteBuffer {
public:
    RemoteBuffer(HWND window, SIZE_T size) {
        DWORD id = 0;
        GetWindowThreadProcessId(window, &id);
        process_ =
            OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, id);
        if (process_)
            address_ = static_cast<char*>(
                VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    }
    ~RemoteBuffer() {
        if (address_)
            VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
        if (process_)
            CloseHandle(process_);
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    bool valid() const { return address_ != nullptr; }
    char* at(SIZE_T offset) const { return address_ + offset; }
    bool write(SIZE_T offset, const void* data, SIZE_T size) const {
        return WriteProcessMemory(process_, at(offset), data, size, nullptr) != FALSE;
    }
    bool read(SIZE_T offset, void* data, SIZE_T size) const {
        return ReadProcessMemory(process_, at(offset), data, size, nullptr) != FALSE;
    }

private:
    HANDLE process_ = nullptr;
    char* address_ = nullptr;
};

// A text on one line of the driver's output: line breaks and tabs as blanks.
inline std::wstring OneLine(std::wstring text) {
    for (wchar_t& unit : text)
        if (unit == L'\r' || unit == L'\n' || unit == L'\t')
            unit = L' ';
    return text;
}

// The text of one item of a common control whose message fills `item` (a
// TCITEMW, COMBOBOXEXITEMW or LVITEMW, its other fields set) in the control's
// own process; empty when it cannot be read.
constexpr int kItemTextUnits = 260;
template <typename Item>
std::wstring RemoteItemText(HWND control, UINT message, WPARAM w, Item item) {
    RemoteBuffer remote(control, sizeof(Item) + kItemTextUnits * sizeof(wchar_t));
    wchar_t text[kItemTextUnits] = {};
    item.pszText = reinterpret_cast<wchar_t*>(remote.at(sizeof item));
    item.cchTextMax = kItemTextUnits;
    if (!remote.valid() || !remote.write(0, &item, sizeof item) ||
        !remote.write(sizeof item, text, sizeof text))
        return std::wstring();
    SendMessageTimeoutW(control, message, w, LPARAM(remote.at(0)), SMTO_ABORTIFHUNG, 2000, nullptr);
    remote.read(sizeof item, text, sizeof text);
    text[kItemTextUnits - 1] = 0;
    return text;
}

// The texts of a tab control's tabs, in order.
inline std::vector<std::wstring> TabTexts(HWND tabs) {
    std::vector<std::wstring> texts;
    const LRESULT count = SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0);
    for (LRESULT index = 0; index < count; ++index) {
        TCITEMW item = {};
        item.mask = TCIF_TEXT;
        texts.push_back(RemoteItemText(tabs, TCM_GETITEMW, WPARAM(index), item));
    }
    return texts;
}

// Clicks the tab titled `text` in a visible tab control, as the mouse does:
// the control selects it and tells its parent (TCN_SELCHANGING, TCN_SELCHANGE).
inline bool SelectTab(HWND window, const std::wstring& text) {
    for (const auto& child : ChildTexts(window)) {
        if (_wcsicmp(ClassName(child.first).c_str(), WC_TABCONTROLW) != 0 ||
            !IsWindowVisible(child.first) || !IsWindowEnabled(child.first))
            continue;
        const std::vector<std::wstring> texts = TabTexts(child.first);
        for (size_t index = 0; index < texts.size(); ++index) {
            if (Caption(texts[index]) != text)
                continue;
            RemoteBuffer remote(child.first, sizeof(RECT));
            RECT place = {};
            if (!remote.valid() ||
                !SendMessageW(child.first, TCM_GETITEMRECT, index, LPARAM(remote.at(0))) ||
                !remote.read(0, &place, sizeof place))
                return false;
            const LPARAM point =
                MAKELPARAM((place.left + place.right) / 2, (place.top + place.bottom) / 2);
            SendMessageTimeoutW(child.first, WM_LBUTTONDOWN, MK_LBUTTON, point, SMTO_ABORTIFHUNG,
                                5000, nullptr);
            SendMessageTimeoutW(child.first, WM_LBUTTONUP, 0, point, SMTO_ABORTIFHUNG, 5000,
                                nullptr);
            return SendMessageW(child.first, TCM_GETCURSEL, 0, 0) == LRESULT(index);
        }
    }
    return false;
}

// The texts of a ComboBoxEx32 control's items, in order.
inline std::vector<std::wstring> ComboItemTexts(HWND combo) {
    std::vector<std::wstring> texts;
    const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT index = 0; index < count; ++index) {
        COMBOBOXEXITEMW item = {};
        item.mask = CBEIF_TEXT;
        item.iItem = index;
        texts.push_back(RemoteItemText(combo, CBEM_GETITEMW, 0, item));
    }
    return texts;
}

// A list view's rows as "<state>\t<text>\t<column 2>..." (state "enabled",
// then ",checked" for a ticked box and ",focused" for the row with the focus).
inline std::vector<std::wstring> ListRows(HWND list) {
    std::vector<std::wstring> rows;
    const LRESULT count = SendMessageW(list, LVM_GETITEMCOUNT, 0, 0);
    HWND header = HWND(SendMessageW(list, LVM_GETHEADER, 0, 0));
    const LRESULT columns =
        header ? std::max<LRESULT>(1, SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 1;
    for (LRESULT index = 0; index < count; ++index) {
        const LRESULT state =
            SendMessageW(list, LVM_GETITEMSTATE, WPARAM(index), LVIS_STATEIMAGEMASK | LVIS_FOCUSED);
        std::wstring row = L"enabled";
        if ((state & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2))
            row += L",checked";
        if (state & LVIS_FOCUSED)
            row += L",focused";
        for (LRESULT column = 0; column < columns; ++column) {
            LVITEMW item = {};
            item.iSubItem = int(column);
            row += L"\t" + OneLine(RemoteItemText(list, LVM_GETITEMTEXTW, WPARAM(index), item));
        }
        rows.push_back(row);
    }
    return rows;
}

// Picks `text` from the list of the first visible ComboBoxEx32 after the
// control captioned `label`, as a click on the dropped list does: the combo
// box selects it, then tells its parent that the pick is confirmed and that
// the list closed (CBN_SELCHANGE, CBN_SELENDOK, CBN_CLOSEUP).
inline bool PickComboItem(HWND window, const std::wstring& label, const std::wstring& text) {
    bool labelSeen = false;
    for (const auto& child : ChildTexts(window)) {
        if (!IsWindowVisible(child.first))
            continue;
        if (!labelSeen) {
            labelSeen = ShownText(child.first, child.second) == label;
            continue;
        }
        if (_wcsicmp(ClassName(child.first).c_str(), WC_COMBOBOXEXW) != 0)
            continue;
        if (!IsWindowEnabled(child.first))
            return false;
        const std::vector<std::wstring> items = ComboItemTexts(child.first);
        for (size_t index = 0; index < items.size(); ++index) {
            if (items[index] != text)
                continue;
            SendMessageTimeoutW(child.first, CB_SETCURSEL, index, 0, SMTO_ABORTIFHUNG, 5000,
                                nullptr);
            const int id = GetDlgCtrlID(child.first);
            for (WORD code : {WORD(CBN_SELCHANGE), WORD(CBN_SELENDOK), WORD(CBN_CLOSEUP)})
                SendMessageTimeoutW(GetParent(child.first), WM_COMMAND, MAKEWPARAM(id, code),
                                    LPARAM(child.first), SMTO_ABORTIFHUNG, 5000, nullptr);
            return true;
        }
        return false;
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
