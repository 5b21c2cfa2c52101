// A framework program for the analytics tests. It reports to the collector
// named by /Collector:<url> for the company /Company:<name>, like the
// installer does:
//   quiet (/Quiet)  names the screen "Install", starts the session itself and
//                   sends its events while its module starts;
//   otherwise       names the screen and opens a window; the runtime sends the
//                   start screen view, the first tick sends the events and quits.
// The events: Install/Success, "a b&c"/"100%", Install with an empty label.
// Prints "cid=<id>" when the tracker is sampled.
#include <cstdio>

#include "VornLib/app/AppRuntime.h"
#include "VornLib/app/Entry.h"
#include "VornLib/core/Win32Handles.h"
#include "VornLib/telemetry/Analytics.h"

namespace {

using namespace vorn;

class ProbeWindow : public AppWindow {
public:
    Result create() override {
        WNDCLASSEXW windowClass = {};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"TelemetryProbe::Window";
        RegisterClassExW(&windowClass);
        handle_.reset(CreateWindowExW(0, windowClass.lpszClassName, L"Telemetry probe",
                                      WS_OVERLAPPEDWINDOW, 40, 40, 320, 200, nullptr, nullptr,
                                      windowClass.hInstance, nullptr));
        return handle_ ? kResultOk : ResultFromSystemError(GetLastError());
    }
    void show(bool activate) override { ShowWindow(handle_.get(), activate ? SW_SHOW : SW_SHOWNA); }
    void close() override { handle_.reset(); }
    HWND handle() const override { return handle_.get(); }

private:
    WindowHandle handle_;
};

void SendEvents() {
    (void)SendAnalyticsEvent(u"Install", u"Success");
    (void)SendAnalyticsEvent(u"a b&c", u"100%");
    (void)SendAnalyticsEvent(u"Install", u"");
}

class ProbeModule : public AppModule {
public:
    Result start() override {
        AppRuntime& runtime = AppRuntime::instance();
        if (AnalyticsTracker* tracker = Analytics(); tracker && tracker->sampled())
            std::printf("cid=%ls\n", Wide(tracker->clientId().data()));
        std::fflush(stdout);
        if (runtime.quiet()) {
            (void)SendAnalyticsScreenView(u"Install");
            SendEvents();
            return kResultOk;
        }
        if (AnalyticsTracker* tracker = Analytics())
            (void)tracker->setScreenName(u"Install");
        runtime.setMainWindow(new ProbeWindow);
        return kResultOk;
    }
    bool isIdle() override { return false; }
    Result tick(float) override {
        SendEvents();
        AppRuntime::instance().requestQuit();
        return kResultOk;
    }
    void stop() override {}
};

Result LoadDescription(ApplicationDescription* description) {
    CommandLine commandLine;
    commandLine.parse(Units(GetCommandLineW()));
    (void)UUID::Parse(u"7D1F0B52-3A4C-4E6D-8F90-A1B2C3D4E5F6", &description->uuid);
    description->name = u"Telemetry Probe";
    description->version = u"2.5";
    description->tag = u"beta";
    description->multipleInstancesAllowed = true;
    description->trackingId = u"UA-TEST-1";
    commandLine.switchValue(u"Company", &description->company);
    commandLine.switchValue(u"Collector", &description->analyticsUrl);
    return description->company.isEmpty() ? kResultMissingDefinition : kResultOk;
}

AppModule* CreateModule() {
    return new ProbeModule;
}

} // namespace

int main() {
    ProgramDefinition program;
    program.loadDescription = LoadDescription;
    program.createModule = CreateModule;
    return RunApplication(program);
}
