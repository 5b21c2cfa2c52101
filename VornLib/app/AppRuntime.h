// AppRuntime: the one runtime of the process. It reads the program's
// description, runs the framework's command-line operations, keeps the module
// list and runs the frame-paced main loop until a module, a WM_QUIT or the
// disappearance of the main window ends it.
#pragma once

#include <memory>

#include "VornLib/app/AppModule.h"
#include "VornLib/app/AppWindow.h"
#include "VornLib/core/ApplicationDescription.h"
#include "VornLib/core/CommandLine.h"

namespace vorn {

class MainWindow;

// Input devices are not part of this system: the manager has no devices, but
// the loop hands it the frame time as it would to real ones.
class InputDeviceManager {
public:
    void tick(float seconds);
};

class AppRuntime {
public:
    static AppRuntime& instance();

    // Parses the command line and takes the program's description; a failed
    // description (29 no element, 6 bad attribute) requests quit at once.
    // Otherwise runs the framework's command-line operations; "Install" calls
    // onInstall on a module from `createProgramModule` that is never started.
    void prepare(const char16_t* commandLine, Result descriptionResult,
                 const ApplicationDescription& description,
                 AppModule* (*createProgramModule)() = nullptr);

    // Starts the module and puts it at the head of the list (taking ownership);
    // does nothing once quit was requested.
    Result addModule(AppModule* module);
    Result start();
    Result run();
    void stop();
    void requestQuit();

    bool quiet() const { return quiet_; }
    int32_t exitCode() const { return exitCode_; }
    void setExitCode(int32_t code) { exitCode_ = code; }
    const ApplicationDescription& description() const { return description_; }
    CommandLine& commandLine() { return commandLine_; }

    // The object of the described main window, when the description names
    // one and the program set no main window of its own.
    void setMainWindowFactory(std::unique_ptr<MainWindow> (*factory)()) {
        mainWindowFactory_ = factory;
    }

    // The runtime owns the main window; setting another destroys the old one.
    AppWindow* mainWindow() const { return mainWindow_; }
    void setMainWindow(AppWindow* window);
    HWND mainWindowHandle() const { return mainWindow_ ? mainWindow_->handle() : nullptr; }

    bool allIdle() const { return allIdle_; }

private:
    AppRuntime() = default;
    void stopModules();
    void pace();
    void runCommandLineOperations(AppModule* (*createProgramModule)());
    void runRemoval(bool update, AppModule* (*createProgramModule)());

    ApplicationDescription description_;
    CommandLine commandLine_;
    AppModule* modules_ = nullptr;
    AppWindow* mainWindow_ = nullptr;
    std::unique_ptr<MainWindow> (*mainWindowFactory_)() = nullptr;
    InputDeviceManager inputDevices_;
    bool quitRequested_ = false;
    bool quiet_ = false;
    int32_t exitCode_ = 0;
    bool allIdle_ = false;
    bool wasIdle_ = false;
    bool firstPass_ = true;
    double lastTickTime_ = 0;
    bool haveLastTick_ = false;
};

// The framework's own first module: single-instance control and the message pump.
class WindowSystemModule : public AppModule {
public:
    Result start() override;
    bool isIdle() override;
    Result tick(float seconds) override;
    void stop() override {}
};

} // namespace vorn
