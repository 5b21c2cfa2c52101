#include "Applications/VornDemo/DemoWindow.h"

namespace vorndemo {

using namespace vorn;

DemoWindow::DemoWindow(const String& title) : title_(title) {}

Result DemoWindow::create() {
    String className;
    const Result registered =
        RegisterProgramWindowClass(&DemoWindow::Procedure, COLOR_WINDOW, &className);
    if (registered != kResultOk)
        return registered;
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    handle_.reset(CreateWindowExW(0, Wide(className.data()), Wide(title_.data()),
                                  WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 480, 240,
                                  nullptr, nullptr, instance, this));
    return handle_ ? kResultOk : ResultFromSystemError(GetLastError());
}

void DemoWindow::show(bool activate) {
    ShowWindow(handle_.get(), activate ? SW_SHOW : SW_SHOWNA);
}

void DemoWindow::close() {
    handle_.reset();
}

void DemoWindow::openDocuments(const std::vector<String>& documents) {
    for (const String& document : documents)
        documents_ += (documents_.isEmpty() ? u"Opened: " : u", ") + document;
    if (handle_)
        InvalidateRect(handle_.get(), nullptr, TRUE);
}

void DemoWindow::paint() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(handle_.get(), &paint);
    RECT area;
    GetClientRect(handle_.get(), &area);
    InflateRect(&area, -16, -16);
    const String text = title_ + u"\n\nInstalled and running." +
                        (documents_.isEmpty() ? String() : u"\n\n" + documents_);
    SetBkMode(dc, TRANSPARENT);
    SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    DrawTextW(dc, Wide(text.data()), -1, &area, DT_LEFT | DT_TOP | DT_WORDBREAK);
    EndPaint(handle_.get(), &paint);
}

LRESULT CALLBACK DemoWindow::Procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_NCCREATE) {
        auto* created = reinterpret_cast<CREATESTRUCTW*>(l);
        SetWindowLongPtrW(window, GWLP_USERDATA, LONG_PTR(created->lpCreateParams));
    }
    auto* self = reinterpret_cast<DemoWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
    case WM_PAINT:
        if (self) {
            self->paint();
            return 0;
        }
        break;
    case WM_NCDESTROY:
        // The runtime sees the window gone and ends the main loop.
        if (self)
            self->handle_.release(); // the system destroyed it
        break;
    default:
        break;
    }
    return DefWindowProcW(window, message, w, l);
}

} // namespace vorndemo
