// VornUpdate: an installation's update program. VornPack puts it into the
// install folder of every product whose definitions declare an UpdateFeed,
// with a payload that describes the product (UpdateInstallation.h):
//   /Check                    reads the feed: 0 when the installed version
//                             is the newest, 60 when a newer one is offered
//   /Apply [/Quiet|/Passive]  installs the newest version through its setup
//                             (NewVersionSetup.h); 0 once it is installed
// and "/Log[:<file>]", "/ResultFile:<file>" (UpdateResult.h),
// "/ExitCodes:Standard", "/?" (UpdateSwitches.h). Its
// exit codes are the update program's rows of the framework's table
// (VornLib/app/ExitCodes.h). It shows no window of its own: it says what it
// found on the console it was started from, and in the log.
#include "Applications/VornUpdate/FeedCheck.h"
#include "Applications/VornUpdate/NewVersionSetup.h"
#include "Applications/VornUpdate/UpdateInstallation.h"
#include "Applications/VornUpdate/UpdateResult.h"
#include "Applications/VornUpdate/UpdateSwitches.h"
#include "VornLib/app/ConsoleMessage.h"
#include "VornLib/app/ExitCodes.h"
#include "VornLib/app/InstallLog.h"
#include "VornLib/app/UpdateTransaction.h"
#include "VornLib/core/Format.h"
#include "VornLib/core/Utf8.h"
#include "VornLib/core/platform/DynamicLibrary.h"
#include "VornLib/core/platform/FileSystem.h"
#include "VornLib/core/platform/SystemInfo.h"

namespace vornupdate {
namespace {

using namespace vorn;

int32_t Update(const UpdateRequest& request, const Installation& installation,
               UpdateOutcome* outcome) {
    Feed feed;
    String message;
    int32_t code = FetchFeed(installation, &feed, &message);
    const FeedRelease* newer = code == 0 ? NewerRelease(feed, installation.version) : nullptr;
    if (newer) {
        outcome->newVersion = newer->version;
        outcome->notesUrl = newer->notesUrl;
    }
    if (code == 0 && !newer) {
        message = Format(u"{0} {1} is up to date.", {installation.name, installation.version});
    } else if (newer && request.action == UpdateAction::Check) {
        code = kExitUpdateAvailable;
        message = Format(u"{0} {1} is available (installed: {2}).",
                         {installation.name, newer->version, installation.version});
    } else if (newer) {
        code = InstallRelease(installation, *newer, request.windows, &message);
        if (message.isEmpty())
            message = Format(u"The setup of {0} {1} ended with {2}.",
                             {installation.name, newer->version, code});
    }
    Log(code == 0 || code == kExitUpdateAvailable ? LogEvent::Feed : LogEvent::Failure, message);
    (void)WriteConsoleLine(message);
    return code;
}

int Run() {
    // It lies in the install folder beside the product's own files.
    RestrictLibrarySearch();
    CommandLine commandLine;
    commandLine.parse(Units(GetCommandLineW()));
    UpdateRequest request;
    String message;
    if (ReadUpdateCommandLine(commandLine, &request, &message) != kResultOk) {
        (void)WriteConsoleLine(message);
        return ConventionalExitCode(ExitCodeProgram::Update, kResultInvalidArgument,
                                    ExitCodeConventionOf(commandLine));
    }
    if (request.usage) {
        ShowConsoleOrMessage(u"VornUpdate", UpdateUsage());
        return 0;
    }
    // The file this program ran from during the last update, which the setup
    // could only move aside (where this program may delete it).
    (void)DeleteFileW(Wide((ExecutablePath() + UpdateTransaction::kAsideSuffix).data()));
    Installation installation;
    UpdateOutcome outcome;
    int32_t code = FindInstallation(&installation, &message);
    outcome.installedVersion = installation.version;
    outcome.checkEveryDays = installation.feed.checkEveryDays;
    (void)OpenRequestedLog(commandLine,
                           installation.name.isEmpty() ? u"VornUpdate" : installation.name,
                           u"Update", nullptr);
    LogProgramStart(u"VornUpdate");
    if (code == 0) {
        Log(LogEvent::Scope, InstallScopeName(installation.scope));
        Log(LogEvent::InstallFolder, installation.folder);
        if (installation.interrupted)
            Log(LogEvent::Recovery, u"an interrupted installation is recorded: the newest "
                                    u"version's setup finishes it");
        code = Update(request, installation, &outcome);
    } else {
        Log(LogEvent::Failure, message);
        (void)WriteConsoleLine(message);
    }
    String resultFile;
    if (commandLine.switchValue(u"ResultFile", &resultFile)) {
        outcome.exitCode = code;
        const Result written =
            WriteWholeFile(FullPath(resultFile), ToUtf8(UpdateResultDocument(outcome)));
        Log(LogEvent::ResultFile, u"\"{0}\": {1}",
            {resultFile, written == kResultOk ? u"written" : u"cannot be written"});
    }
    return LogResult(ExitCodeProgram::Update, code, ExitCodeConventionOf(commandLine));
}

} // namespace
} // namespace vornupdate

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    return vornupdate::Run();
}
