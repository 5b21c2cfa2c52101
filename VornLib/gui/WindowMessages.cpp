// How messages reach a framework window: one window procedure for every
// framework window and subclassed control, notifications and colour requests
// reflected to the control that sent them, the handling every window shares,
// and the answer a dialog keeps where dialog code reads it.
#include "VornLib/core/platform/SystemInfo.h"
#include "VornLib/gui/MainWindow.h"
#include "VornLib/gui/Menu.h"
#include "VornLib/gui/Window.h"
#include "VornLib/gui/WindowSystem.h"

namespace vorn {
namespace {

// The object of a framework window travels with its handle as a property, so
// subclassed system controls keep their own window data untouched.
const wchar_t kWindowProperty[] = L"VornLib.Window";

} // namespace

Window* Window::FromHandle(HWND handle) {
    return handle ? static_cast<Window*>(GetPropW(handle, kWindowProperty)) : nullptr;
}

void Window::attach(HWND handle) {
    handle_ = handle;
    SetPropW(handle, kWindowProperty, this);
}

void Window::requestClose() {
    DestroyWindow(handle_);
}

void Window::onDestroy() {
    placement_.save(handle_, style() & WS_MAXIMIZEBOX);
    WindowSystem& system = WindowSystem::Instance();
    if (system.mainWindow() == this) {
        system.releaseTaskbarList();
        PostQuitMessage(system.exitCode());
    }
}

bool Window::handleMessage(UINT message, WPARAM w, LPARAM l, LRESULT* result) {
    return handleCommon(message, w, l, result);
}

bool Window::answerCopyData(WPARAM w, LPARAM l, LRESULT* result) {
    MainWindow* main = WindowSystem::Instance().mainWindow();
    if (!main || !l)
        return false;
    if (main != this)
        *result = main->handle() ? SendMessageW(main->handle(), WM_COPYDATA, w, l) : FALSE;
    else
        *result = main->receiveCopyData(HWND(w), *reinterpret_cast<const COPYDATASTRUCT*>(l));
    return true;
}

bool Window::answerEraseBackground(HDC dc, LRESULT* result) {
    if (systemClassName() || !background_.isPainted())
        return false;
    if (!(behaviour_ & kDoubleBuffered) && !background_.isTransparent()) {
        RECT client = {};
        GetClientRect(handle_, &client);
        background_.erase(dc, client);
    }
    *result = 1;
    return true;
}

// Texts and buttons sit on the window's own colour, not in boxes of the
// platform's default face colour.
bool Window::answerControlColour(HDC dc, LRESULT* result) {
    HBRUSH brush = systemClassName() ? nullptr : background_.solidBrush();
    if (!brush)
        return false;
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    SetBkColor(dc, ToColorRef(background_.colour().resolved()));
    *result = LRESULT(brush);
    return true;
}

bool Window::answerCommand(WPARAM w, LPARAM l, LRESULT* result) {
    // A plain container is no stop for its controls' commands: the page or
    // dialog around it handles them.
    if ((behaviour_ & kForwardsCommands) && l && GetParent(handle_)) {
        *result = SendMessageW(GetParent(handle_), WM_COMMAND, w, l);
        return true;
    }
    // Escape's cancel command: the close button's request, where the window
    // has one to press.
    if (w == IDCANCEL && !l && !(style() & WS_CHILD)) {
        if (closeButton_ && (GetWindowLongW(handle_, GWL_STYLE) & WS_SYSMENU))
            requestClose();
        *result = 0;
        return true;
    }
    return false;
}

bool Window::handleCommon(UINT message, WPARAM w, LPARAM l, LRESULT* result) {
    WindowSystem& system = WindowSystem::Instance();
    switch (message) {
    case WM_CREATE:
        onCreate();
        *result = 0;
        return true;
    case WM_ERASEBKGND:
        return answerEraseBackground(HDC(w), result);
    case WM_PAINT:
        if (systemClassName())
            return false;
        background_.paint(handle_, behaviour_ & kDoubleBuffered,
                          [this](HDC dc, const RECT& area) { paint(dc, area); });
        *result = 0;
        return true;
    case WM_MOVE:
    case WM_SIZE:
        onPlacementChanged();
        return false;
    case WM_SETCURSOR:
        if (cursor_ && LOWORD(l) == HTCLIENT) {
            SetCursor(cursor_);
            *result = TRUE;
            return true;
        }
        return false;
    case WM_SETFOCUS:
        if (!acceptsFocus_) {
            HWND parent = GetParent(handle_);
            if (parent && IsWindowEnabled(parent))
                SetFocus(parent);
            *result = 0;
            return true;
        }
        return false;
    case WM_CLOSE:
        requestClose();
        *result = 0;
        return true;
    case WM_COPYDATA:
        return answerCopyData(w, l, result);
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        return answerControlColour(HDC(w), result);
    case WM_COMMAND:
        return answerCommand(w, l, result);
    case WM_DPICHANGED:
        if (l && !(style() & WS_CHILD)) {
            onDpiChanged(LOWORD(w), *reinterpret_cast<const RECT*>(l));
            *result = 0;
            return true;
        }
        return false;
    case WM_DESTROY:
        onDestroy();
        return false;
    case WM_MENUSELECT:
        if (Menu::TrackedOwner() == this) {
            String help;
            Menu::TrackedHelp(LOWORD(w), (HIWORD(w) & MF_POPUP) != 0, &help);
            ShowStatusText(this, help);
        }
        return false;
    default:
        break;
    }
    if (message == system.taskbarButtonCreated() && message != 0) {
        if (OperatingSystemLevel() >= 3)
            system.renewTaskbarList();
        *result = 0;
        return true;
    }
    return false;
}

bool Window::routeReflected(UINT message, WPARAM w, LPARAM l, LRESULT* result) {
    HWND childHandle = nullptr;
    switch (message) {
    case WM_COMMAND:
        if (HIWORD(w) > 1)
            childHandle = HWND(l);
        break;
    case WM_NOTIFY:
        if (l)
            childHandle = reinterpret_cast<const NMHDR*>(l)->hwndFrom;
        break;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
        childHandle = HWND(l);
        break;
    default:
        return false;
    }
    Window* child = FromHandle(childHandle);
    if (!child || child == this || !(child->behaviour_ & kReceivesReflected))
        return false;
    return child->handleMessage(message, w, l, result);
}

LRESULT Window::dispatch(UINT message, WPARAM w, LPARAM l) {
    HWND handle = handle_;
    LRESULT result = 0;
    bool handled = routeReflected(message, w, l, &result);
    if (!handled)
        handled = handleMessage(message, w, l, &result);
    if (!handled)
        result = CallWindowProcW(chain_, handle, message, w, l);
    if (message == WM_NCDESTROY) {
        RemovePropW(handle, kWindowProperty);
        handle_ = nullptr;
        background_.releaseBuffers();
        return result;
    }
    // A dialog keeps the answer where dialog code reads it; the caller of the
    // window procedure gets it too (answers such as DM_GETDEFID's would be
    // lost behind a bare TRUE).
    if (handled && (behaviour_ & kDialogClass))
        SetWindowLongPtrW(handle, DWLP_MSGRESULT, result);
    return result;
}

// The framework is built without exceptions, so none can cross from a
// handler into the platform's message dispatch.
LRESULT CALLBACK FrameworkWindowProcedure(HWND handle, UINT message, WPARAM w, LPARAM l) {
    Window* window = Window::FromHandle(handle);
    if (!window) {
        window = WindowSystem::Instance().takeCreating();
        if (!window)
            return DefWindowProcW(handle, message, w, l);
        window->attach(handle);
        window->chain_ = (window->behaviour_ & kDialogClass) ? DefDlgProcW : DefWindowProcW;
    }
    return window->dispatch(message, w, l);
}

} // namespace vorn
