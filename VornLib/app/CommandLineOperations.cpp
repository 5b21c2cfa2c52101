// The framework's command-line operations, run while the runtime prepares the
// command line and before any module exists. Each operation except Language
// ends the process with its own result; the first of them wins.
#include <memory>

#include "VornLib/app/AppRuntime.h"
#include "VornLib/app/InstallLog.h"
#include "VornLib/app/Preferences.h"
#include "VornLib/app/RemovalSwitches.h"
#include "VornLib/app/ShellRegistration.h"
#include "VornLib/app/Uninstaller.h"
#include "VornLib/core/Format.h"
#include "VornLib/core/Language.h"
#include "VornLib/core/platform/SystemInfo.h"
#include "VornLib/data/ResourceCache.h"

namespace vorn {
namespace {

enum class Operation {
    RegisterFileTypes,
    UnregisterFileTypes,
    Install,
    Uninstall,
    Update,
    Language
};

struct OperationName {
    const char16_t* name;
    Operation operation;
};

constexpr OperationName kOperations[] = {
    {u"RegisterFileTypes", Operation::RegisterFileTypes},
    {u"UnregisterFileTypes", Operation::UnregisterFileTypes},
    {u"Install", Operation::Install},
    {u"Uninstall", Operation::Uninstall},
    {u"Update", Operation::Update},
    {u"Language", Operation::Language},
};

void ApplyLanguage(const String& code) {
    if (IsKnownLanguage(code.data()) && Preferences().setLanguage(code.data()))
        ResourceCache::Instance().setChosenLanguage(LanguageIndex(code.data()));
}

} // namespace

// "/Passive" asks nothing and says nothing, as "/Quiet" does: the removal
// has no progress to show. Its elevated copy ("LaunchedAsAdministrator")
// logs into the setup's or removal's file, whose last line is not its own.
void AppRuntime::runRemoval(bool update, AppModule* (*createProgramModule)()) {
    // The elevated copy's code is its starter's to read: only the removal
    // the caller started ends with a standard code.
    const bool elevatedCopy = commandLine_.hasSwitch(u"LaunchedAsAdministrator");
    const ExitCodeConvention convention =
        elevatedCopy ? ExitCodeConvention::Own : ExitCodeConventionOf(commandLine_);
    if (AnswerRemovalCommandLine(commandLine_, RemovalTitle(description_), &exitCode_)) {
        exitCode_ = ConventionalExitCode(ExitCodeProgram::Removal, exitCode_, convention);
        return;
    }
    // The questions' language, also when it is given after "/Uninstall".
    String language;
    if (commandLine_.switchValue(u"Language", &language))
        ApplyLanguage(language);
    (void)OpenRequestedLog(commandLine_, description_.name, u"Removal", nullptr);
    LogProgramStart(Format(u"{0} {1} removal{2} (VornLib {3})",
                           {EntryDisplayName(description_.name, description_.tag),
                            EntryDisplayVersion(description_.version, description_.tag),
                            elevatedCopy ? u", elevated copy" : u"", FrameworkBuild()}));
    const bool unattended = quiet_ || commandLine_.hasSwitch(u"Passive");
    Uninstaller uninstaller(description_, ExecutablePath(), unattended, createProgramModule);
    uninstaller.setElevatedCopy(elevatedCopy);
    uninstaller.setHeldFiles(HeldFilesChoiceOf(commandLine_, unattended),
                             FilesInUseSwitches(commandLine_));
    exitCode_ = int32_t(uninstaller.uninstall(update));
    if (exitCode_ == int32_t(kResultOk))
        exitCode_ = FinishWithRestart(commandLine_, exitCode_, uninstaller.restartNeeded());
    if (!elevatedCopy)
        exitCode_ = LogResult(ExitCodeProgram::Removal, exitCode_, convention);
    InstallLog::Instance().close();
}

void AppRuntime::runCommandLineOperations(AppModule* (*createProgramModule)()) {
    // By index: looking a switch up marks it used but leaves the list alone.
    for (size_t index = 0; index < commandLine_.switches().size() && !quitRequested_; ++index) {
        const CommandLineSwitch entry = commandLine_.switches()[index];
        const OperationName* operation = FindNamed(kOperations, entry.name);
        if (!operation)
            continue;
        commandLine_.hasSwitch(operation->name);
        switch (operation->operation) {
        case Operation::RegisterFileTypes:
        case Operation::UnregisterFileTypes: {
            const bool registering = operation->operation == Operation::RegisterFileTypes;
            exitCode_ =
                int32_t(ShellRegistration::ForProcess().registerShellTypes(registering, true));
            requestQuit();
            break;
        }
        case Operation::Install: {
            // What it registers goes into the installation's log, which only
            // the file the setup made and names by "/LogFileId" can be.
            if (commandLine_.hasSwitch(u"LogFileId"))
                (void)OpenRequestedLog(commandLine_, description_.name, u"Setup", nullptr);
            // The installer starts us elevated; unelevated, nothing is written
            // and the program's own hook still runs.
            (void)ShellRegistration::ForProcess().registerShellTypes(true, false);
            // The program module is added only after this preparation, so a
            // fresh one is made for the hook alone and is never started.
            if (createProgramModule) {
                const std::unique_ptr<AppModule> module(createProgramModule());
                if (module)
                    module->onInstall();
            }
            InstallLog::Instance().close();
            exitCode_ = 0;
            requestQuit();
            break;
        }
        case Operation::Uninstall:
        case Operation::Update: {
            runRemoval(operation->operation == Operation::Update, createProgramModule);
            requestQuit();
            break;
        }
        case Operation::Language:
            if (entry.hasValue)
                ApplyLanguage(entry.value);
            break;
        }
    }
}

} // namespace vorn
