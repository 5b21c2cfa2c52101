#include "VornLib/app/Entry.h"

#include "VornLib/core/Win32.h"

#include <ole2.h>

#include "VornLib/app/AppRuntime.h"
#include "VornLib/app/CrashReport.h"
#include "VornLib/app/Preferences.h"
#include "VornLib/app/ShellLaunch.h"
#include "VornLib/app/UninstallEntry.h"
#include "VornLib/core/platform/DynamicLibrary.h"
#include "VornLib/core/platform/SystemInfo.h"
#include "VornLib/core/platform/ThreadRecord.h"
#include "VornLib/data/ResourceCache.h"
#include "VornLib/gui/MainWindow.h"
#include "VornLib/gui/MessageLoop.h"
#include "VornLib/telemetry/Analytics.h"

namespace vorn {
namespace {

constexpr char16_t kNoSse2Message[] =
    u"Your computer does not meet the minimum system requirements. This program requires a CPU "
    u"that supports the SSE2 instruction set.\n\nTry an older version of this program or upgrade "
    u"your computer to Intel\u00AE Pentium\u00AE 4 and later processors or AMD Athlon\u2122 64 "
    u"and later processors.";

// OLE and the common controls, for the life of the process.
class SystemObject {
public:
    SystemObject() {
        oleResult_ = OleInitialize(nullptr);
        (void)InitializeCommonControls();
    }
    ~SystemObject() {
        if (SUCCEEDED(oleResult_))
            OleUninitialize();
    }

private:
    HRESULT oleResult_ = E_FAIL;
};

HWND MainWindowHandle() {
    return AppRuntime::instance().mainWindowHandle();
}

bool IsRemoval(const char16_t* commandLine) {
    CommandLine parsed;
    parsed.parse(commandLine);
    return parsed.hasSwitch(u"Uninstall") || parsed.hasSwitch(u"Update");
}

} // namespace

Result ReadApplicationElement(ApplicationDescription* description) {
    if (!description)
        return kResultNullOutput;
    ResourceCache& resources = ResourceCache::Instance();
    const XmlNode* application = nullptr;
    const Result found = resources.getElement(u"Application", &application);
    if (found != kResultOk)
        return found;
    const Result result = ApplicationDescription::Read(*application, description);
    (void)resources.release(application);
    return result;
}

Result LoadApplicationDescription(const std::vector<String>& documents,
                                  ApplicationDescription* description) {
    ResourceCache& resources = ResourceCache::Instance();
    for (const String& document : documents)
        (void)resources.registerDocument(document.data());
    return ReadApplicationElement(description);
}

int RunApplication(const ProgramDefinition& program) {
    RestrictLibrarySearch();
    AllocateThreadSlots();
    if (!IsProcessorFeaturePresent(PF_XMMI64_INSTRUCTIONS_AVAILABLE)) {
        const String caption = CaptionFromFileName(ExecutablePath());
        MessageBoxW(nullptr, Wide(kNoSse2Message), Wide(caption.data()),
                    MB_TASKMODAL | MB_ICONERROR);
        FreeThreadSlots();
        return int(kResultNotSupported);
    }
    CurrentThreadRecord()->mainThread = true;
    Result result = kResultOk;
    {
        const SystemObject system;
        AppRuntime& runtime = AppRuntime::instance();

        ApplicationDescription description;
        Result loaded = program.loadDescription ? program.loadDescription(&description)
                                                : Result(kResultNotFound);
        // A program whose payload cannot be read (a damaged file) still
        // removes itself: its uninstall entry knows what the removal needs.
        if (loaded != kResultOk && IsRemoval(Units(GetCommandLineW())))
            loaded = DescriptionFromUninstallEntry(ExecutablePath(), &description);
        ShellLaunchHooks launchHooks;
        launchHooks.ownerWindow = MainWindowHandle;
        launchHooks.beforeLaunch = program.keepsPreferences ? FlushPreferences : nullptr;
        SetShellLaunchHooks(launchHooks);
        runtime.prepare(Units(GetCommandLineW()), loaded, description, program.createModule);
        runtime.setMainWindowFactory(program.createMainWindow);

        CrashReportSettings crash;
        crash.supportAddress = runtime.description().supportEmail;
        crash.ownerWindow = MainWindowHandle;
        InstallCrashReport(crash);

        result = runtime.addModule(new WindowSystemModule);
        if (result == kResultAlreadyExists && program.alreadyRunning)
            result = program.alreadyRunning();
        if (result == kResultOk && program.createModule)
            result = runtime.addModule(program.createModule());
        if (result == kResultOk) {
            result = runtime.start();
            if (result == kResultOk) {
                result = runtime.run();
                runtime.stop();
                if (result == kResultOk)
                    result = Result(runtime.exitCode());
            }
        } else {
            runtime.stop();
        }
        if (program.ended)
            result = Result(program.ended(int(result)));
        if (program.keepsPreferences)
            FlushPreferences();
        ShutdownAnalytics();
    }
    ReleaseThreadRecord();
    FreeThreadSlots();
    return int(result);
}

} // namespace vorn
