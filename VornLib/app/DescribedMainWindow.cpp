#include "VornLib/app/DescribedMainWindow.h"

#include "VornLib/data/ResourceLease.h"
#include "VornLib/gui/DescriptionFailure.h"
#include "VornLib/gui/WindowSystem.h"

namespace vorn {

DescribedMainWindow::DescribedMainWindow(const String& name, std::unique_ptr<MainWindow> window)
    : name_(name), window_(std::move(window)) {}

DescribedMainWindow::~DescribedMainWindow() {
    WindowSystem& system = WindowSystem::Instance();
    if (system.mainWindow() == window_.get())
        system.setMainWindow(nullptr);
}

Result DescribedMainWindow::create() {
    WindowSystem& system = WindowSystem::Instance();
    system.setMainWindow(window_.get());
    // A quiet program shows no window: its description is not needed.
    if (system.quiet())
        return kResultOk;
    ResourceLease<XmlNode> element;
    Result result =
        ResourceCache::Instance().getLocalizedElement(u"Window", name_.data(), element.receive());
    if (result != kResultOk)
        return result;
    result = window_->readDescription(element.get());
    if (result != kResultOk) {
        ShowDescriptionFailure(name_.data(), element.get(), result, nullptr);
        return result;
    }
    result = window_->create();
    if (result != kResultOk)
        return result;
    // A stored position may lie on a monitor that is gone.
    if (!window_->placementPath().isEmpty())
        window_->keepOnScreen(false);
    return kResultOk;
}

void DescribedMainWindow::show(bool activate) {
    HWND handle = window_->handle();
    if (!handle)
        return;
    int command = activate ? SW_SHOW : SW_SHOWNA;
    if (!shown_ && window_->wasMaximized())
        command = SW_SHOWMAXIMIZED;
    shown_ = true;
    ShowWindow(handle, command);
    // Started by another program of the user (the setup's launcher), the
    // window comes to the front as the one the user works with now.
    if (activate)
        SetForegroundWindow(handle);
}

void DescribedMainWindow::close() {
    window_->destroy();
}

} // namespace vorn
