// DescribedMainWindow: a program's main window read from the payload's window
// descriptions ("Window" elements registered with the resource cache) by the
// name its application description gives, and handed to the runtime.
#pragma once

#include "VornLib/app/AppWindow.h"
#include "VornLib/gui/Window.h"

namespace vorn {

class DescribedMainWindow : public AppWindow {
public:
    // Takes ownership of `window`, the object the description is read into.
    DescribedMainWindow(const String& name, Window* window);
    ~DescribedMainWindow() override;

    // 29 when no description has that name; else the reading's or the
    // creation's result.
    Result create() override;
    // Maximised at its first showing when its stored placement says so.
    void show(bool activate) override;
    void close() override;
    HWND handle() const override { return window_->handle(); }
    void update(float seconds) override { window_->update(seconds); }
    bool isIdle() override { return window_->isIdle(); }
    void openDocuments(const std::vector<String>& documents) override {
        window_->openDocuments(documents);
    }
    void onStarted() override { window_->started(); }
    bool preTranslate(MSG* message) override { return window_->preTranslate(message); }
    Window& window() { return *window_; }

private:
    String name_;
    Window* window_;
    bool shown_ = false;
};

} // namespace vorn
