// WindowDriver <title> [--timeout <seconds>] [--controls] [<action>...]
// WindowDriver --list
// Waits for a top-level window and prints its title and its children's texts
// (UTF-8, one per line); with --controls, only the visible children, each as
// "<class>\t<state>\t<text>\t<control id>" (state: "enabled" or
// "disabled", then ",checked" for a ticked box; a text as the user reads it,
// without the "&" of an access key; the control with the keyboard focus has a
// fifth field, "focus"; every tab of a tab control is
// a line of class "Tab" whose state says "selected" for the chosen one, every
// item of a ComboBoxEx32 list a line of class "Item", every row of a list view
// a line "Row\t<state>\t<text>\t<column 2>..." whose state adds ",checked" for
// a ticked box and ",focused" for the row with the focus; line breaks inside a
// text become blanks; the id in hexadecimal, as "0x1a2b"). Then it acts as a
// user would, in the order given:
//   --select-tab <text>        click the tab with this text
//   --set-text <label> <text>  type into the edit box that follows the label
//   --pick <label> <text>      pick an item of the combo box after the label
//   --click <caption>          press the visible, enabled button
//   --close                    close the window as its title bar's button does
//   --window <title>           wait for another top-level window and act on it
//   --shot <file.bmp>          save what the screen shows, between two actions
// Exit codes: 0 done, 1 no such window in time, 2 no such visible and
// enabled control (or no such window for --window), 3 bad arguments.
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

void PrintControls(HWND window) {
    HWND focus = vorntest::FocusOf(window);
    for (const auto& child : vorntest::ChildTexts(window)) {
        if (!IsWindowVisible(child.first))
            continue;
        const std::wstring className = vorntest::ClassName(child.first);
        std::wstring state = IsWindowEnabled(child.first) ? L"enabled" : L"disabled";
        if (_wcsicmp(className.c_str(), L"Button") == 0 && vorntest::IsCheckable(child.first) &&
            SendMessageW(child.first, BM_GETCHECK, 0, 0) == BST_CHECKED)
            state += L",checked";
        wchar_t id[16] = {};
        swprintf(id, 16, L"0x%04x", unsigned(GetDlgCtrlID(child.first)) & 0xFFFFu);
        PrintLine(className + L"\t" + state + L"\t" +
                  vorntest::OneLine(vorntest::ShownText(child.first, child.second)) + L"\t" + id +
                  (child.first == focus ? L"\tfocus" : L""));
        if (_wcsicmp(className.c_str(), WC_COMBOBOXEXW) == 0)
            for (const std::wstring& item : vorntest::ComboItemTexts(child.first))
                PrintLine(L"Item\tenabled\t" + vorntest::OneLine(item));
        if (_wcsicmp(className.c_str(), WC_LISTVIEWW) == 0)
            for (const std::wstring& row : vorntest::ListRows(child.first))
                PrintLine(L"Row\t" + row);
        if (_wcsicmp(className.c_str(), WC_TABCONTROLW) != 0)
            continue;
        const LRESULT selected = SendMessageW(child.first, TCM_GETCURSEL, 0, 0);
        const std::vector<std::wstring> tabs = vorntest::TabTexts(child.first);
        for (size_t index = 0; index < tabs.size(); ++index)
            PrintLine(std::wstring(L"Tab\t") +
                      (LRESULT(index) == selected ? L"selected" : L"enabled") + L"\t" +
                      vorntest::OneLine(tabs[index]));
    }
}

struct Action {
    const wchar_t* option;
    int values;
};
const Action kActions[] = {{L"--select-tab", 1}, {L"--set-text", 2}, {L"--pick", 2},
                           {L"--click", 1},      {L"--close", 0},    {L"--window", 1},
                           {L"--shot", 1}};

bool Act(HWND& window, const std::wstring& option, wchar_t** values, double timeout) {
    if (option == L"--window") {
        window = vorntest::WaitForWindow(values[0], timeout);
        return window != nullptr;
    }
    if (option == L"--shot")
        return vorntest::SaveScreenshot(values[0]);
    if (option == L"--pick")
        return vorntest::PickComboItem(window, values[0], values[1]);
    if (option == L"--select-tab")
        return vorntest::SelectTab(window, values[0]);
    if (option == L"--set-text")
        return vorntest::SetEditText(window, values[0], values[1]);
    if (option == L"--click")
        return vorntest::PressButton(window, values[0]);
    return PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0) != FALSE;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2)
        return 3;
    if (!wcscmp(argv[1], L"--list")) {
        EnumWindows(PrintVisibleTitle, 0);
        return 0;
    }
    double timeout = 30;
    bool controls = false;
    std::vector<int> actions; // indexes into argv of the action options
    for (int i = 2; i < argc;) {
        if (!wcscmp(argv[i], L"--timeout") && i + 1 < argc) {
            timeout = _wtof(argv[i + 1]);
            i += 2;
            continue;
        }
        if (!wcscmp(argv[i], L"--controls")) {
            controls = true;
            ++i;
            continue;
        }
        const Action* action = nullptr;
        for (const Action& known : kActions)
            if (!wcscmp(argv[i], known.option))
                action = &known;
        if (!action || i + action->values >= argc)
            return 3;
        actions.push_back(i);
        i += 1 + action->values;
    }
    HWND window = vorntest::WaitForWindow(argv[1], timeout);
    if (!window)
        return 1;
    // Let the window finish laying itself out before reading it, and finish
    // what its thread is handling: a page is shown a moment before its focus
    // and texts are set in the same handler.
    Sleep(300);
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_BLOCK, DWORD(timeout * 1000), &answer);
    if (controls) {
        PrintControls(window);
    } else {
        PrintLine(vorntest::WindowText(window));
        for (const auto& child : vorntest::ChildTexts(window)) {
            if (!child.second.empty())
                PrintLine(child.second);
        }
    }
    for (int index : actions) {
        if (!Act(window, argv[index], argv + index + 1, timeout))
            return 2;
        // What the action started (a page change, a validation) is posted:
        // give it its turn before the next action looks.
        Sleep(200);
    }
    return 0;
}
