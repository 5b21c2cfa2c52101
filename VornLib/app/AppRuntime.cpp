#include "VornLib/app/AppRuntime.h"

#include "VornLib/app/DescribedMainWindow.h"
#include "VornLib/app/Preferences.h"
#include "VornLib/core/platform/ApplicationIdentity.h"
#include "VornLib/core/platform/DynamicLibrary.h"
#include "VornLib/core/platform/NamedMutex.h"
#include "VornLib/core/platform/SystemInfo.h"
#include "VornLib/data/ResourceCache.h"
#include "VornLib/gui/MainWindow.h"
#include "VornLib/gui/MessageLoop.h"
#include "VornLib/gui/WindowSystem.h"
#include "VornLib/telemetry/Analytics.h"

namespace vorn {
namespace {

constexpr float kMaxFrameSeconds = 0.2f;

constexpr const char16_t* kFrameworkStrings[] = {
    u"Data/Xml/VornLib-Strings-de.xml", u"Data/Xml/VornLib-Strings-en.xml",
    u"Data/Xml/VornLib-Strings-es.xml", u"Data/Xml/VornLib-Strings-fr.xml",
    u"Data/Xml/VornLib-Strings-he.xml", u"Data/Xml/VornLib-Strings-it.xml",
    u"Data/Xml/VornLib-Strings-ko.xml", u"Data/Xml/VornLib-Strings-ru.xml",
    u"Data/Xml/VornLib-Strings-zh.xml",
};

int32_t RuntimeExitCode() {
    return AppRuntime::instance().exitCode();
}

} // namespace

void InputDeviceManager::tick(float) {}

AppRuntime& AppRuntime::instance() {
    static AppRuntime runtime;
    return runtime;
}

void AppRuntime::prepare(const char16_t* commandLine, Result descriptionResult,
                         const ApplicationDescription& description,
                         AppModule* (*createProgramModule)()) {
    commandLine_.parse(commandLine);
    description_ = description;
    if (descriptionResult != kResultOk) {
        exitCode_ = int32_t(descriptionResult);
        quitRequested_ = true;
    } else {
        (void)CreateAnalytics(description_, commandLine_);
    }
    // Every program carries the framework's own tables; one that lacks a
    // language falls back to another.
    for (const char16_t* table : kFrameworkStrings)
        (void)ResourceCache::Instance().registerDocument(table);
    if (descriptionResult == kResultOk)
        CallSetCurrentProcessExplicitAppUserModelID(Wide(description_.uuid.toText().data()));
    if (commandLine_.hasSwitch(u"Quiet"))
        quiet_ = true;
    ApplicationIdentity identity;
    identity.name = description_.name;
    identity.quiet = quiet_;
    identity.mainWindow = [] { return AppRuntime::instance().mainWindowHandle(); };
    SetCurrentApplication(identity);
    WindowSystem::Instance().setExitCodeSource(RuntimeExitCode);
    // Without a description the program has no name to register under.
    if (!quitRequested_) {
        // The language the user chose earlier ("Language" saved it), unless
        // this command line names another.
        ResourceCache::Instance().setChosenLanguage(Preferences().language());
        runCommandLineOperations(createProgramModule);
    }
}

Result AppRuntime::addModule(AppModule* module) {
    if (!module)
        return kResultNullInput;
    if (quitRequested_) {
        delete module;
        return kResultOk;
    }
    const Result result = module->start();
    if (result != kResultOk) {
        delete module;
        requestQuit();
        return result;
    }
    module->next_ = modules_;
    modules_ = module;
    return kResultOk;
}

void AppRuntime::setMainWindow(AppWindow* window) {
    if (mainWindow_ == window)
        return;
    if (mainWindow_) {
        mainWindow_->close();
        delete mainWindow_;
    }
    mainWindow_ = window;
}

Result AppRuntime::start() {
    if (quitRequested_) {
        stopModules();
        return Result(exitCode_);
    }
    if (!mainWindow_ && !description_.mainWindow.isEmpty()) {
        WindowSystem::Instance().setPreferences(&Preferences());
        std::unique_ptr<MainWindow> window =
            mainWindowFactory_ ? mainWindowFactory_() : std::make_unique<MainWindow>();
        setMainWindow(new DescribedMainWindow(description_.mainWindow, std::move(window)));
    }
    if (mainWindow_) {
        const Result created = mainWindow_->create();
        if (created != kResultOk) {
            stopModules();
            return created;
        }
        if (!quiet_) {
            mainWindow_->show(description_.activate);
            if (HWND handle = mainWindow_->handle())
                UpdateWindow(handle);
        }
        SendPendingAnalyticsHit();
        MainWindow* main = mainWindow_->mainWindow();
        if (main)
            main->started();
        if (main && description_.openCommandLineFiles) {
            // Plain arguments are document paths, in command-line order.
            const std::vector<String>& documents = commandLine_.arguments();
            if (!documents.empty())
                main->openDocuments(documents);
        }
    }
    if (quiet_)
        requestQuit();
    return kResultOk;
}

// Idle passes, and the first pass after one, run at once: the loop blocked in
// the message wait, so there is no frame to pace against.
void AppRuntime::pace() {
    const bool skip = firstPass_ || allIdle_ || wasIdle_;
    wasIdle_ = allIdle_;
    firstPass_ = false;
    if (skip) {
        haveLastTick_ = false;
        return;
    }
    const uint32_t rate = description_.maxFrameRate;
    if (rate <= 5 || !haveLastTick_)
        return;
    const double waitSeconds = 1.0 / rate - (MonotonicSeconds() - lastTickTime_);
    const int32_t waitMilliseconds = int32_t(waitSeconds * 1000);
    if (waitMilliseconds <= 0)
        return;
    if (rate > 10)
        Sleep(DWORD(waitMilliseconds));
    else
        MsgWaitForMultipleObjectsEx(0, nullptr, DWORD(waitMilliseconds), QS_ALLINPUT,
                                    MWMO_WAITALL | MWMO_INPUTAVAILABLE);
}

Result AppRuntime::run() {
    while (modules_ && !quitRequested_) {
        pace();
        const double now = MonotonicSeconds();
        float seconds = 0;
        if (haveLastTick_) {
            seconds = float(now - lastTickTime_);
            if (seconds > kMaxFrameSeconds)
                seconds = kMaxFrameSeconds;
            if (!(seconds > 0))
                seconds = 0;
        }
        lastTickTime_ = now;
        haveLastTick_ = true;

        inputDevices_.tick(seconds);
        const bool wasAllIdle = allIdle_;
        bool everyIdle = true;
        float moduleSeconds = seconds;
        for (AppModule* module = modules_; module; module = module->next_) {
            const Result result = module->tick(moduleSeconds);
            if (result != kResultOk) {
                requestQuit();
                return result;
            }
            if (quitRequested_)
                return kResultOk;
            if (everyIdle && !module->isIdle()) {
                everyIdle = false;
                allIdle_ = false;
                // Waking from idleness: the time spent blocked is no frame.
                if (wasAllIdle)
                    moduleSeconds = 0;
            }
        }
        allIdle_ = everyIdle;
    }
    return kResultOk;
}

void AppRuntime::stopModules() {
    while (AppModule* module = modules_) {
        module->stop();
        modules_ = module->next_;
        delete module;
    }
}

void AppRuntime::stop() {
    setMainWindow(nullptr);
    stopModules();
}

void AppRuntime::requestQuit() {
    if (mainWindow_)
        mainWindow_->close();
    quitRequested_ = true;
}

Result WindowSystemModule::start() {
    AppRuntime& runtime = AppRuntime::instance();
    const ApplicationDescription& description = runtime.description();
    // Held for the life of the process.
    static NamedMutex instanceMutex;
    (void)instanceMutex.create(SingleInstanceName(description.uuid).data());
    if (description.multipleInstancesAllowed ||
        runtime.commandLine().hasSwitch(u"AllowMultipleInstances"))
        return kResultOk;
    if (!instanceMutex.alreadyExisted())
        return kResultOk;
    const String windowClass = ProgramWindowClassName(description.name);
    if (HWND running = FindWindowW(Wide(windowClass.data()), nullptr)) {
        HWND popup = GetLastActivePopup(running);
        if (IsWindowVisible(running)) {
            BringWindowToTop(running);
            ShowWindow(running, IsZoomed(running) ? SW_SHOWMAXIMIZED : SW_RESTORE);
        }
        if (popup && IsWindowVisible(popup)) {
            if (popup != running)
                BringWindowToTop(popup);
            SetForegroundWindow(popup);
        }
    }
    return kResultAlreadyExists;
}

bool WindowSystemModule::isIdle() {
    AppWindow* window = AppRuntime::instance().mainWindow();
    MainWindow* main = window ? window->mainWindow() : nullptr;
    return main ? main->isIdle() : true;
}

Result WindowSystemModule::tick(float seconds) {
    AppRuntime& runtime = AppRuntime::instance();
    AppWindow* window = runtime.mainWindow();
    if (!window || !window->handle() || !IsWindow(window->handle())) {
        runtime.requestQuit();
        return kResultOk;
    }
    if (runtime.allIdle())
        WaitMessage();
    MSG message;
    while (window->handle() && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            runtime.setExitCode(int32_t(message.wParam));
            runtime.requestQuit();
            return kResultOk;
        }
        DispatchToWindows(&message);
    }
    MainWindow* main = window->mainWindow();
    if (main && window->handle())
        main->update(seconds);
    return kResultOk;
}

} // namespace vorn
