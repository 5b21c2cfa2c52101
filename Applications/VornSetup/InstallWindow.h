// The installer's main window while the wizard pages are not there: it shows
// the transfer's progress and its outcome, and starts the transfer when the
// program has started.
#pragma once

#include <memory>

#include "Applications/VornSetup/TransferWorker.h"
#include "VornLib/app/AppWindow.h"
#include "VornLib/core/Win32Handles.h"

namespace vornsetup {

class InstallWindow : public vorn::AppWindow, public TransferProgress {
public:
    explicit InstallWindow(InstallManifest& manifest);
    ~InstallWindow() override;

    vorn::Result create() override;
    void show(bool activate) override;
    void close() override;
    HWND handle() const override { return handle_.get(); }
    void onStarted() override;

    void setRange(double total) override;
    void setPosition(double done) override;
    void setTimeText(const String& text) override;
    void setProgressText(const String& text) override;

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM w, LPARAM l);
    void onCommand(WPARAM command);
    void layout();

    InstallManifest& manifest_;
    std::unique_ptr<TransferWorker> worker_;
    vorn::WindowHandle handle_;
    HWND label_ = nullptr;
    HWND progressBar_ = nullptr;
    HWND timeText_ = nullptr;
    HWND status_ = nullptr;
    HWND closeButton_ = nullptr;
    double scale_ = 1;
};

} // namespace vornsetup
