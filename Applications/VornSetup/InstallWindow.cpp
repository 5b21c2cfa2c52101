#include "Applications/VornSetup/InstallWindow.h"

#include <commctrl.h>

#include "VornLib/app/AppRuntime.h"
#include "VornLib/core/Format.h"
#include "VornLib/data/ResourceCache.h"
#include "VornLib/telemetry/Analytics.h"

namespace vornsetup {

using namespace vorn;

namespace {

constexpr int kCloseButtonId = 100;
// The progress bar takes 32-bit positions: large totals are scaled down.
constexpr double kProgressRange = 1000000;

// A "#Key" text with the application's display name as {0}.
String Text(const char16_t* key, const String& name) {
    String text;
    (void)ResolveLocalizedText(ResourceCache::Instance(), key, &text);
    return Format(text.data(), {name});
}

HWND Child(HWND parent, const wchar_t* windowClass, const String& text, DWORD style, int id = 0) {
    HWND child = CreateWindowExW(0, windowClass, Wide(text.data()), WS_CHILD | WS_VISIBLE | style,
                                 0, 0, 0, 0, parent, reinterpret_cast<HMENU>(INT_PTR(id)),
                                 GetModuleHandleW(nullptr), nullptr);
    SendMessageW(child, WM_SETFONT, WPARAM(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
    return child;
}

} // namespace

InstallWindow::InstallWindow(InstallManifest& manifest) : manifest_(manifest) {}

InstallWindow::~InstallWindow() {
    // The program never ends while a transfer runs.
    if (worker_)
        worker_->wait();
    close();
}

Result InstallWindow::create() {
    String className;
    const Result registered =
        RegisterProgramWindowClass(&InstallWindow::Procedure, COLOR_BTNFACE, &className);
    if (registered != kResultOk)
        return registered;
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    const String name = manifest_.displayName();
    handle_.reset(
        CreateWindowExW(0, Wide(className.data()), Wide(Text(u"#InstallTitle", name).data()),
                        WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, CW_USEDEFAULT,
                        CW_USEDEFAULT, 520, 220, nullptr, nullptr, instance, this));
    if (!handle_)
        return ResultFromSystemError(GetLastError());
    label_ = Child(handle_.get(), L"STATIC", Text(u"#InstallLabel", name), SS_LEFT);
    progressBar_ = Child(handle_.get(), PROGRESS_CLASSW, String(), 0);
    timeText_ = Child(handle_.get(), L"STATIC", String(), SS_LEFT);
    status_ = Child(handle_.get(), L"STATIC", String(), SS_LEFT);
    closeButton_ = Child(handle_.get(), L"BUTTON", Text(u"#QuitButton", name),
                         BS_PUSHBUTTON | WS_DISABLED, kCloseButtonId);
    SendMessageW(progressBar_, PBM_SETRANGE32, 0, LPARAM(kProgressRange));
    layout();
    return kResultOk;
}

void InstallWindow::layout() {
    RECT area;
    GetClientRect(handle_.get(), &area);
    const int width = area.right - 32;
    MoveWindow(label_, 16, 16, width, 20, TRUE);
    MoveWindow(progressBar_, 16, 44, width, 20, TRUE);
    MoveWindow(timeText_, 16, 72, width, 20, TRUE);
    MoveWindow(status_, 16, 100, width, 40, TRUE);
    MoveWindow(closeButton_, area.right - 112, area.bottom - 40, 96, 26, TRUE);
}

void InstallWindow::show(bool activate) {
    ShowWindow(handle_.get(), activate ? SW_SHOW : SW_SHOWNA);
}

void InstallWindow::close() {
    handle_.reset();
}

void InstallWindow::onStarted() {
    // Quiet installations run in the module; with a window the transfer starts here.
    if (!AppRuntime::instance().quiet())
        PostMessageW(handle_.get(), kInstallerMessage, kStartInstallation, 0);
}

void InstallWindow::setRange(double total) {
    scale_ = total > 0 ? kProgressRange / total : 1;
}

void InstallWindow::setPosition(double done) {
    PostMessageW(progressBar_, PBM_SETPOS, WPARAM(done * scale_), 0);
}

void InstallWindow::setTimeText(const String& text) {
    SetWindowTextW(timeText_, Wide(text.data()));
}

void InstallWindow::setProgressText(const String& text) {
    SetWindowTextW(label_, Wide(text.data()));
}

void InstallWindow::onCommand(WPARAM command) {
    switch (command) {
    case kStartInstallation:
        worker_.reset(
            new TransferWorker(manifest_, ResourceCache::Instance(), this, handle_.get()));
        // A worker that cannot start would leave the page waiting for ever.
        if (worker_->start() != kResultOk)
            PostMessageW(handle_.get(), kInstallerMessage, kShowFailurePage, 0);
        break;
    case kShowSuccessPage:
    case kShowFailurePage:
    case kShowCanceledPage: {
        static const char16_t* const kOutcomes[] = {u"#CanceledMessage", u"#FailureMessage",
                                                    u"#SuccessMessage"};
        static const char16_t* const kLabels[] = {u"Canceled", u"Failure", u"Success"};
        (void)SendAnalyticsEvent(u"Install", kLabels[command - kShowCanceledPage]);
        const String text = Text(kOutcomes[command - kShowCanceledPage], manifest_.displayName());
        SetWindowTextW(status_, Wide(text.data()));
        if (command == kShowSuccessPage)
            PostMessageW(progressBar_, PBM_SETPOS, WPARAM(kProgressRange), 0);
        EnableWindow(closeButton_, TRUE);
        SetFocus(closeButton_);
        break;
    }
    case kCloseMainWindow:
        close();
        break;
    default:
        break;
    }
}

LRESULT CALLBACK InstallWindow::Procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_NCCREATE) {
        auto* created = reinterpret_cast<CREATESTRUCTW*>(l);
        SetWindowLongPtrW(window, GWLP_USERDATA, LONG_PTR(created->lpCreateParams));
    }
    auto* self = reinterpret_cast<InstallWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self)
        return DefWindowProcW(window, message, w, l);
    switch (message) {
    case kInstallerMessage:
        self->onCommand(w);
        return 0;
    case WM_COMMAND:
        if (LOWORD(w) == kCloseButtonId)
            self->close();
        return 0;
    case WM_CLOSE:
        // Closing while files are copied would leave a half installation.
        if (self->worker_ && self->worker_->isRunning())
            return 0;
        self->close();
        return 0;
    case WM_NCDESTROY:
        self->handle_.release(); // the system destroyed it
        break;
    default:
        break;
    }
    return DefWindowProcW(window, message, w, l);
}

} // namespace vornsetup
