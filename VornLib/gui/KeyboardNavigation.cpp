#include "VornLib/gui/KeyboardNavigation.h"

#include <commctrl.h>

#include <vector>

#include "VornLib/gui/AccessKeys.h"
#include "VornLib/gui/Window.h"

namespace vorn {
namespace {

constexpr LRESULT kPushButtons = DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON;

// A key message's context code: Alt is held.
constexpr LPARAM kAltHeld = LPARAM(1) << 29;

bool IsShown(HWND window) {
    const LONG style = GetWindowLongW(window, GWL_STYLE);
    return (style & WS_VISIBLE) && !(style & WS_DISABLED);
}

// Pages and panels are walked into; a system control only when it says it
// holds controls of its own (a tab control and its pages).
bool HoldsControls(HWND window) {
    if (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_CONTROLPARENT)
        return true;
    const Window* object = Window::FromHandle(window);
    return object && !object->hasBehaviour(kWrapsSystemClass);
}

bool IsClass(HWND window, const wchar_t* name) {
    wchar_t found[32] = {};
    GetClassNameW(window, found, 32);
    return lstrcmpiW(found, name) == 0;
}

LRESULT DialogCode(HWND window, MSG* message = nullptr) {
    return SendMessageW(window, WM_GETDLGCODE, message ? message->wParam : 0, LPARAM(message));
}

// The visible, enabled windows inside `container` in the order they were
// made, each before what it holds.
void CollectShown(HWND container, std::vector<HWND>* windows) {
    for (HWND child = GetWindow(container, GW_CHILD); child;
         child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsShown(child))
            continue;
        windows->push_back(child);
        if (HoldsControls(child))
            CollectShown(child, windows);
    }
}

std::vector<HWND> TabStops(HWND container) {
    std::vector<HWND> shown;
    CollectShown(container, &shown);
    std::vector<HWND> stops;
    for (HWND window : shown) {
        if (GetWindowLongW(window, GWL_STYLE) & WS_TABSTOP)
            stops.push_back(window);
    }
    return stops;
}

// The last entry that is `focus` or holds it (the deepest, as holders come
// first); `windows.size()` for none.
size_t PositionOf(const std::vector<HWND>& windows, HWND focus) {
    size_t position = windows.size();
    for (size_t index = 0; index < windows.size(); ++index) {
        if (windows[index] == focus || IsChild(windows[index], focus))
            position = index;
    }
    return position;
}

// The group of `control`: its siblings from the last one that begins a group.
std::vector<HWND> GroupOf(HWND control) {
    HWND first = control;
    while (!(GetWindowLongW(first, GWL_STYLE) & WS_GROUP)) {
        HWND previous = GetWindow(first, GW_HWNDPREV);
        if (!previous)
            break;
        first = previous;
    }
    std::vector<HWND> group;
    for (HWND member = first; member; member = GetWindow(member, GW_HWNDNEXT)) {
        if (member != first && (GetWindowLongW(member, GWL_STYLE) & WS_GROUP))
            break;
        if (member == control || (IsShown(member) && !(DialogCode(member) & DLGC_STATIC)))
            group.push_back(member);
    }
    return group;
}

bool IsRadioButton(HWND window) {
    return (DialogCode(window) & DLGC_RADIOBUTTON) != 0;
}

// A radio group is entered at its ticked button.
HWND EntryOf(HWND stop) {
    if (!IsRadioButton(stop))
        return stop;
    for (HWND member : GroupOf(stop)) {
        if (IsRadioButton(member) && SendMessageW(member, BM_GETCHECK, 0, 0) == BST_CHECKED)
            return member;
    }
    return stop;
}

void Focus(HWND control) {
    SetFocus(control);
    // A text to be replaced is selected whole, as a dialog does it.
    HWND focus = GetFocus();
    if (focus && (DialogCode(focus) & DLGC_HASSETSEL))
        SendMessageW(focus, EM_SETSEL, 0, -1);
}

void ShowCues(HWND root, WORD cues) {
    const LRESULT hidden = SendMessageW(root, WM_QUERYUISTATE, 0, 0);
    if (hidden & cues)
        SendMessageW(root, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, cues), 0);
}

bool MoveFocus(HWND root, HWND focus, bool backwards) {
    const std::vector<HWND> stops = TabStops(root);
    if (stops.empty())
        return false;
    const size_t count = stops.size();
    const size_t at = PositionOf(stops, focus);
    size_t next = backwards ? count - 1 : 0;
    if (at < count)
        next = (at + (backwards ? count - 1 : 1)) % count;
    Focus(EntryOf(stops[next]));
    return true;
}

bool MoveInGroup(HWND focus, bool backwards) {
    const std::vector<HWND> group = GroupOf(focus);
    const size_t count = group.size();
    size_t at = 0;
    while (at < count && group[at] != focus)
        ++at;
    if (count < 2 || at == count)
        return false;
    HWND next = group[(at + (backwards ? count - 1 : 1)) % count];
    SetFocus(next);
    // An automatic radio button is chosen by moving onto it.
    if ((GetWindowLongW(next, GWL_STYLE) & BS_TYPEMASK) == BS_AUTORADIOBUTTON)
        SendMessageW(next, BM_CLICK, 0, 0);
    return true;
}

bool SwitchTab(HWND root, HWND focus, bool backwards) {
    HWND tabs = nullptr;
    for (HWND step = focus; step && step != root; step = GetParent(step)) {
        if (IsClass(step, WC_TABCONTROLW)) {
            tabs = step;
            break;
        }
    }
    if (!tabs) {
        std::vector<HWND> shown;
        CollectShown(root, &shown);
        for (size_t index = 0; index < shown.size() && !tabs; ++index) {
            if (IsClass(shown[index], WC_TABCONTROLW))
                tabs = shown[index];
        }
    }
    const LRESULT count = tabs ? SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0) : 0;
    if (count < 1)
        return false;
    const LRESULT current = SendMessageW(tabs, TCM_GETCURSEL, 0, 0);
    const LRESULT next = current < 0 ? 0 : (current + (backwards ? count - 1 : 1)) % count;
    // Told as a click on the tab tells it: the owner may refuse the change.
    HWND owner = GetParent(tabs);
    NMHDR header = {tabs, UINT_PTR(GetDlgCtrlID(tabs)), UINT(TCN_SELCHANGING)};
    if (SendMessageW(owner, WM_NOTIFY, header.idFrom, LPARAM(&header)))
        return true;
    const bool focusInPage = focus != tabs && IsChild(tabs, focus);
    SendMessageW(tabs, TCM_SETCURSEL, WPARAM(next), 0);
    header.code = UINT(TCN_SELCHANGE);
    SendMessageW(owner, WM_NOTIFY, header.idFrom, LPARAM(&header));
    // The page that held the focus is hidden now.
    if (focusInPage)
        SetFocus(tabs);
    return true;
}

void Click(HWND button) {
    SendMessageW(GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                 LPARAM(button));
}

HWND DefaultButtonIn(const std::vector<HWND>& shown) {
    for (HWND window : shown) {
        if (DialogCode(window) & DLGC_DEFPUSHBUTTON)
            return window;
    }
    return nullptr;
}

void PressDefault(HWND root, HWND focus, LRESULT focusCode) {
    if (focus != root && (focusCode & kPushButtons)) {
        Click(focus);
        return;
    }
    std::vector<HWND> shown;
    CollectShown(root, &shown);
    const Window* object = Window::FromHandle(root);
    if (object && object->hasBehaviour(kDialogClass)) {
        const LRESULT answer = SendMessageW(root, DM_GETDEFID, 0, 0);
        for (HWND window : shown) {
            if (HIWORD(answer) == DC_HASDEFID && GetDlgCtrlID(window) == LOWORD(answer)) {
                Click(window);
                return;
            }
        }
    }
    if (HWND button = DefaultButtonIn(shown))
        Click(button);
    else
        SendMessageW(root, WM_COMMAND, MAKEWPARAM(IDOK, 0), 0);
}

// A label's "&" marks an access key unless it shows "&" as it is; a button's
// always does (a group box is a label of the button class).
bool IsLabelOrButton(HWND window) {
    const LRESULT code = DialogCode(window);
    if (code & DLGC_BUTTON)
        return true;
    const bool prefixed =
        IsClass(window, L"Button") || !(GetWindowLongW(window, GWL_STYLE) & SS_NOPREFIX);
    return (code & DLGC_STATIC) && prefixed;
}

// The button or label whose access key is `key`, searched after the focus
// and round, so that a key used twice reaches each in turn.
HWND FindAccessKey(const std::vector<HWND>& shown, HWND focus, char16_t key) {
    const size_t count = shown.size();
    const size_t at = PositionOf(shown, focus);
    for (size_t step = 1; step <= count; ++step) {
        HWND window = shown[(at + step) % count];
        if (!IsLabelOrButton(window))
            continue;
        wchar_t text[256] = {};
        GetWindowTextW(window, text, 256);
        if (AccessKeyOf(Units(text)) == key)
            return window;
    }
    return nullptr;
}

bool UseAccessKey(HWND root, HWND focus, char16_t key) {
    std::vector<HWND> shown;
    CollectShown(root, &shown);
    HWND target = FindAccessKey(shown, focus, AccessKeyCase(key));
    if (!target)
        return false;
    ShowCues(root, UISF_HIDEACCEL | UISF_HIDEFOCUS);
    // Group boxes answer as labels do.
    if (!(DialogCode(target) & DLGC_STATIC)) {
        SendMessageW(target, BM_CLICK, 0, 0);
        return true;
    }
    // A label leads to the first tab stop after it.
    const std::vector<HWND> stops = TabStops(root);
    size_t label = 0;
    while (label < shown.size() && shown[label] != target)
        ++label;
    for (size_t index = label + 1; index < shown.size(); ++index) {
        for (HWND stop : stops) {
            if (stop == shown[index]) {
                Focus(EntryOf(stop));
                return true;
            }
        }
    }
    return true;
}

bool HandleKeyDown(HWND root, KeyboardMode mode, MSG* message, HWND focus, LRESULT code) {
    const bool control = GetKeyState(VK_CONTROL) < 0;
    const bool shift = GetKeyState(VK_SHIFT) < 0;
    switch (message->wParam) {
    case VK_TAB:
        ShowCues(root, UISF_HIDEFOCUS);
        if (control)
            return SwitchTab(root, focus, shift);
        return !(code & DLGC_WANTTAB) && MoveFocus(root, focus, shift);
    case VK_PRIOR:
    case VK_NEXT:
        return control && SwitchTab(root, focus, message->wParam == VK_PRIOR);
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
        if (code & DLGC_WANTARROWS || focus == root)
            return false;
        ShowCues(root, UISF_HIDEFOCUS);
        return MoveInGroup(focus, message->wParam == VK_LEFT || message->wParam == VK_UP);
    case VK_RETURN:
        if (mode != KeyboardMode::Dialog || (code & DLGC_WANTALLKEYS))
            return false;
        PressDefault(root, focus, code);
        return true;
    case VK_ESCAPE:
        if (mode != KeyboardMode::Dialog)
            return false;
        SendMessageW(root, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
        return true;
    default:
        return false;
    }
}

} // namespace

bool NavigateByKeyboard(HWND root, KeyboardMode mode, MSG* message) {
    if (mode == KeyboardMode::None || !root || !message)
        return false;
    switch (message->message) {
    case WM_KEYDOWN:
    case WM_CHAR:
    case WM_SYSCHAR:
        break;
    case WM_SYSKEYDOWN:
        if (message->wParam == VK_MENU && (message->hwnd == root || IsChild(root, message->hwnd)))
            ShowCues(root, UISF_HIDEACCEL);
        // With no window focused, every key comes to the active window as a
        // system key; one pressed without Alt is the window's own.
        if (message->hwnd == root && !GetFocus() && !(message->lParam & kAltHeld))
            return HandleKeyDown(root, mode, message, root, 0);
        return false;
    default:
        return false;
    }
    HWND focus = message->hwnd;
    if (focus != root && !IsChild(root, focus))
        return false;
    const LRESULT code = focus == root ? 0 : DialogCode(focus, message);
    if (code & DLGC_WANTMESSAGE)
        return false;
    if (message->message == WM_KEYDOWN)
        return HandleKeyDown(root, mode, message, focus, code);
    // Characters: an access key with Alt, or alone where no text is typed.
    const char16_t key = char16_t(message->wParam);
    if (key <= u' ' || (message->message == WM_CHAR && (code & DLGC_WANTCHARS)))
        return false;
    if (message->message == WM_CHAR && GetKeyState(VK_CONTROL) < 0)
        return false;
    return UseAccessKey(root, focus, key);
}

void EnableControl(HWND control, bool enabled) {
    if (!control)
        return;
    const HWND focus = GetFocus();
    if (!enabled && focus && (focus == control || IsChild(control, focus))) {
        const HWND root = GetAncestor(control, GA_ROOT);
        (void)MoveFocus(root, focus, false);
        // The only stop: the window keeps the keys itself.
        if (GetFocus() == focus)
            SetFocus(root);
    }
    EnableWindow(control, enabled);
}

HWND InitialFocus(HWND container) {
    if (!container)
        return nullptr;
    std::vector<HWND> shown;
    CollectShown(container, &shown);
    if (HWND button = DefaultButtonIn(shown))
        return button;
    const std::vector<HWND> stops = TabStops(container);
    return stops.empty() ? nullptr : EntryOf(stops.front());
}

} // namespace vorn
