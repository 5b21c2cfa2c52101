// VornDemo: a small application on the framework. The installer installs it,
// and it removes itself again through the framework's uninstall operation.
//   /DemoSeconds:N   closes itself after N seconds (for scripted runs)
#include "Applications/VornDemo/DemoWindow.h"
#include "VornLib/app/AppRuntime.h"
#include "VornLib/app/Entry.h"
#include "VornLib/app/Preferences.h"
#include "VornLib/core/Format.h"
#include "VornLib/core/RegistryKey.h"
#include "VornLib/core/TextParse.h"
#include "VornLib/core/platform/SystemInfo.h"

namespace vorndemo {
namespace {

using namespace vorn;

class DemoModule : public AppModule {
public:
    Result start() override {
        AppRuntime& runtime = AppRuntime::instance();
        String seconds;
        if (runtime.commandLine().switchValue(u"DemoSeconds", &seconds))
            closeAt_ = MonotonicSeconds() + ReadInt32(seconds.data());
        return kResultOk;
    }
    // A timed run must keep ticking; otherwise the demo waits for input.
    bool isIdle() override { return closeAt_ == 0; }
    Result tick(float) override {
        if (closeAt_ > 0 && MonotonicSeconds() >= closeAt_) {
            closeAt_ = 0;
            AppRuntime::instance().requestQuit();
        }
        return kResultOk;
    }
    void stop() override {}
    // The installer's hand-off ("/Install"): remember which version was
    // installed, so that a later version can tell an update from a first run.
    void onInstall() override {
        (void)Preferences().setText(u"/User/Global/InstalledVersion",
                                    AppRuntime::instance().description().version.data());
    }
    // The removal (also before a newer version installs over this one): what
    // the install hook recorded goes again, and so do the settings keys that
    // are left empty, so that removing the program leaves nothing behind.
    void onUninstall() override {
        const String base = Preferences().baseKey();
        RegistryKey global;
        (void)global.open(kRegistryCurrentUser, (base + u"Global").data());
        (void)global.deleteValue(u"InstalledVersion");
        (void)global.deleteIfEmpty();
        // The application's key, then the company's when no other program uses it.
        String key = base.left(base.length() - 1);
        for (int level = 0; level < 2 && key.find(u'\\') > 0; ++level) {
            RegistryKey parent;
            (void)parent.open(kRegistryCurrentUser, key.data());
            if (parent.deleteIfEmpty() != kResultOk)
                break;
            key = key.left(uint32_t(key.findLast(u'\\')));
        }
    }

private:
    double closeAt_ = 0;
};

Result LoadDescription(ApplicationDescription* description) {
    return LoadApplicationDescription({u"Data/Xml/VornDemo.xml", u"Data/Xml/Windows.xml"},
                                      description);
}

AppModule* CreateModule() {
    return new DemoModule;
}

} // namespace
} // namespace vorndemo

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    vorn::ProgramDefinition program;
    program.loadDescription = vorndemo::LoadDescription;
    program.createModule = vorndemo::CreateModule;
    program.createMainWindow = vorndemo::DemoWindow::Create;
    vorndemo::DemoWindow::RegisterKinds();
    return vorn::RunApplication(program);
}
