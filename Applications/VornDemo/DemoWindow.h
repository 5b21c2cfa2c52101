// The demo's main window: a plain Win32 window that says what it is and which
// documents it was asked to open. It stands in for a window described in XML.
#pragma once

#include "VornLib/app/AppWindow.h"
#include "VornLib/core/Win32Handles.h"

namespace vorndemo {

class DemoWindow : public vorn::AppWindow {
public:
    explicit DemoWindow(const vorn::String& title);
    vorn::Result create() override;
    void show(bool activate) override;
    void close() override;
    HWND handle() const override { return handle_.get(); }
    void openDocuments(const std::vector<vorn::String>& documents) override;

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM w, LPARAM l);
    void paint();

    vorn::String title_;
    vorn::String documents_;
    vorn::WindowHandle handle_;
};

} // namespace vorndemo
