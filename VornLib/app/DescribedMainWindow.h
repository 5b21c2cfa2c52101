// DescribedMainWindow: a program's main window read from the payload's window
// descriptions ("Window" elements registered with the resource cache) by the
// name its application description gives, and handed to the runtime.
#pragma once

#include <memory>

#include "VornLib/app/AppWindow.h"
#include "VornLib/gui/MainWindow.h"

namespace vorn {

class DescribedMainWindow : public AppWindow {
public:
    // `window` is the object the description is read into.
    DescribedMainWindow(const String& name, std::unique_ptr<MainWindow> window);
    ~DescribedMainWindow() override;

    // 29 when no description has that name; else the reading's or the
    // creation's result.
    Result create() override;
    // Maximised at its first showing when its stored placement says so.
    void show(bool activate) override;
    void close() override;
    HWND handle() const override { return window_->handle(); }
    MainWindow* mainWindow() override { return window_.get(); }

private:
    String name_;
    std::unique_ptr<MainWindow> window_;
    bool shown_ = false;
};

} // namespace vorn
