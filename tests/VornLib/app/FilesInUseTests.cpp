// What the command line says about programs that hold files, and the code a
// completed installation or removal ends with.
#include <gtest/gtest.h>

#include "TestText.h"
#include "VornLib/app/ExitCodes.h"
#include "VornLib/app/FilesInUse.h"

namespace vorn {
namespace {

TEST(FilesInUse, TheCommandLineDecidesWhetherHoldersAreAskedAndWindowsRestarted) {
    const struct {
        const char16_t* commandLine;
        bool unattended;
        HeldFilesChoice held;
        RestartChoice restart;
        const char16_t* passedOn;
    } cases[] = {
        // The wizard keeps refusing; without windows, holders are asked.
        {u"setup.exe", false, HeldFilesChoice::Refuse, RestartChoice::Never, u""},
        {u"setup.exe /Quiet", true, HeldFilesChoice::Close, RestartChoice::Never, u""},
        {u"setup.exe /CloseApplications", false, HeldFilesChoice::Close, RestartChoice::Never,
         u" /CloseApplications"},
        {u"setup.exe /Quiet /NoCloseApplications", true, HeldFilesChoice::Refuse,
         RestartChoice::Never, u" /NoCloseApplications"},
        // Both: refusing is the safe reading, as never restarting is.
        {u"setup.exe /CloseApplications /NoCloseApplications", true, HeldFilesChoice::Refuse,
         RestartChoice::Never, u" /CloseApplications /NoCloseApplications"},
        {u"setup.exe /Passive /ForceRestart", true, HeldFilesChoice::Close, RestartChoice::Force,
         u" /ForceRestart"},
        {u"setup.exe /ForceRestart /NoRestart", true, HeldFilesChoice::Close, RestartChoice::Never,
         u" /NoRestart /ForceRestart"},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(ToPrintable(test.commandLine));
        CommandLine commandLine;
        commandLine.parse(test.commandLine);
        EXPECT_EQ(test.held, HeldFilesChoiceOf(commandLine, test.unattended));
        EXPECT_EQ(test.restart, RestartChoiceOf(commandLine));
        EXPECT_EQ(String(test.passedOn), FilesInUseSwitches(commandLine));
    }
}

TEST(FilesInUse, ARestartStillNeededOrBegunReplacesTheCompletedCode) {
    EXPECT_EQ(0, CompletedExitCode(0, false, false));
    EXPECT_EQ(kExitInstalledByElevatedCopy,
              CompletedExitCode(kExitInstalledByElevatedCopy, false, false));
    EXPECT_EQ(3010, CompletedExitCode(0, true, false));
    EXPECT_EQ(3010, CompletedExitCode(kExitInstalledByElevatedCopy, true, false))
        << "the launcher passes it on";
    EXPECT_EQ(1641, CompletedExitCode(0, true, true));
}

} // namespace
} // namespace vorn
