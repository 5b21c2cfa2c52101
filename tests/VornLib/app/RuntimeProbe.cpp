// A small framework program for the runtime tests. Its description comes from
// the text below instead of a payload; switches choose what it does:
//   /PostQuit:N        posts WM_QUIT with N on the first tick
//   /NoApplication     has no "Application" element
//   /Multiple          its description allows several instances
//   /ExitAfter:S       closes its window after S seconds
// It prints "module started" when its module starts.
#include <cstdio>
#include <cwchar>
#include <string>

#include "VornLib/app/AppRuntime.h"
#include "VornLib/app/Entry.h"
#include "VornLib/core/TextParse.h"
#include "VornLib/core/Win32Handles.h"
#include "VornLib/core/XmlDocument.h"
#include "VornLib/core/platform/SystemInfo.h"

namespace {

using namespace vorn;

class ProbeWindow : public AppWindow {
public:
    Result create() override {
        WNDCLASSEXW windowClass = {};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = &ProbeWindow::Procedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hbrBackground = HBRUSH(COLOR_WINDOW + 1);
        windowClass.lpszClassName = L"RuntimeProbe::Window";
        RegisterClassExW(&windowClass);
        handle_.reset(CreateWindowExW(0, windowClass.lpszClassName, L"Runtime probe",
                                      WS_OVERLAPPEDWINDOW, 40, 40, 320, 200, nullptr, nullptr,
                                      windowClass.hInstance, this));
        return handle_ ? kResultOk : ResultFromSystemError(GetLastError());
    }
    void show(bool activate) override { ShowWindow(handle_.get(), activate ? SW_SHOW : SW_SHOWNA); }
    void close() override { handle_.reset(); }
    HWND handle() const override { return handle_.get(); }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
        if (message == WM_NCCREATE) {
            auto* self =
                static_cast<ProbeWindow*>(reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams);
            SetWindowLongPtrW(window, GWLP_USERDATA, LONG_PTR(self));
        }
        auto* self = reinterpret_cast<ProbeWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (message == WM_NCDESTROY && self)
            self->handle_.release(); // the system destroyed it
        return DefWindowProcW(window, message, w, l);
    }
    WindowHandle handle_;
};

class ProbeModule : public AppModule {
public:
    Result start() override {
        std::printf("module started\n");
        std::fflush(stdout);
        AppRuntime& runtime = AppRuntime::instance();
        String value;
        if (runtime.commandLine().switchValue(u"PostQuit", &value))
            postQuit_ = ReadInt32(value.data());
        if (runtime.commandLine().switchValue(u"ExitAfter", &value))
            exitAt_ = MonotonicSeconds() + ReadInt32(value.data());
        runtime.setMainWindow(new ProbeWindow);
        return kResultOk;
    }
    bool isIdle() override { return exitAt_ == 0; }
    Result tick(float) override {
        if (postQuit_ >= 0) {
            PostQuitMessage(postQuit_);
            postQuit_ = -1;
        }
        if (exitAt_ > 0 && MonotonicSeconds() >= exitAt_) {
            exitAt_ = 0;
            AppRuntime::instance().requestQuit();
        }
        return kResultOk;
    }
    void stop() override {}

private:
    int postQuit_ = -1;
    double exitAt_ = 0;
};

Result LoadDescription(ApplicationDescription* description) {
    const wchar_t* commandLine = GetCommandLineW();
    const bool none = wcsstr(commandLine, L"/NoApplication") != nullptr;
    const bool multiple = wcsstr(commandLine, L"/Multiple") != nullptr;
    const std::string xml = std::string("<Definitions>") +
                            (none ? ""
                                  : "<Application UUID=\"3C9E5A41-7B2D-4F60-9A8B-1C2D3E4F5A6B\" "
                                    "Name=\"RuntimeProbe\" Version=\"1.0\" Company=\"Vorn\" "
                                    "MultipleInstancesAllowed=\"") +
                            (none ? "" : (multiple ? "true\"/>" : "false\"/>")) + "</Definitions>";
    XmlDocument document;
    if (document.parse(xml.data(), uint32_t(xml.size()), u"probe") != kResultOk)
        return kResultMalformed;
    const XmlNode* element = document.root()->find(u"/Application");
    if (!element)
        return kResultNotFound;
    return ApplicationDescription::Read(*element, description);
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
