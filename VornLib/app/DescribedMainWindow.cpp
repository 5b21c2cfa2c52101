#include "VornLib/app/DescribedMainWindow.h"

#include "VornLib/data/ResourceCache.h"
#include "VornLib/gui/WindowSystem.h"

namespace vorn {

DescribedMainWindow::DescribedMainWindow(const String& name, Window* window)
    : name_(name), window_(window) {}

DescribedMainWindow::~DescribedMainWindow() {
    WindowSystem& system = WindowSystem::Instance();
    if (system.mainWindow() == window_)
        system.setMainWindow(nullptr);
    delete window_;
}

Result DescribedMainWindow::create() {
    WindowSystem& system = WindowSystem::Instance();
    system.setMainWindow(window_);
    // A quiet program shows no window: its description is not needed.
    if (system.quiet())
        return kResultOk;
    ResourceCache& resources = ResourceCache::Instance();
    const XmlNode* element = nullptr;
    Result result = resources.getLocalizedElement(u"Window", name_.data(), &element);
    if (result != kResultOk)
        return result;
    result = window_->readDescription(element);
    (void)resources.release(element);
    if (result != kResultOk)
        return result;
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
