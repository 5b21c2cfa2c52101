// The removal's command line: what it refuses before it asks or touches
// anything, and what the setup's and its own elevated copy's give it.
#include <gtest/gtest.h>

#include "TestText.h"
#include "VornLib/app/RemovalSwitches.h"

namespace vorn {
namespace {

TEST(RemovalSwitches, RefusesWhatTheRemovalDoesNotAccept) {
    const struct {
        const char16_t* commandLine;
        Result expected;
        const char16_t* said;
    } cases[] = {
        {u"app.exe /Uninstall", kResultOk, nullptr},
        {u"app.exe /Uninstall /Quiet", kResultOk, nullptr},
        {u"app.exe /uninstall -passive \"/Log:C:\\Deploy Logs\\a=b.log\"", kResultOk, nullptr},
        {u"app.exe /Quiet /Update /Log:\"C:\\Temp\\s.log\" /LogFileId:1-2", kResultOk, nullptr},
        {u"app.exe /Quiet /Uninstall /LaunchedAsAdministrator /Log", kResultOk, nullptr},
        {u"app.exe /Uninstall /?", kResultOk, nullptr},
        {u"app.exe /Language:de /Uninstall", kResultOk, nullptr},
        {u"app.exe /Uninstall /Quiet /CloseApplications /ForceRestart", kResultOk, nullptr},
        {u"app.exe /Uninstall /NoCloseApplications /NoRestart", kResultOk, nullptr},
        {u"app.exe /Uninstall /Language:xx", kResultInvalidArgument, u"Unknown language \"xx\""},
        {u"app.exe /Uninstall /Qiuet", kResultInvalidArgument,
         u"Unknown switch \"/Qiuet\". The removal accepts /Uninstall, /Quiet, /Passive, "
         u"/Log[:<file>], /Language:<code>, /CloseApplications, /NoCloseApplications, "
         u"/NoRestart, /ForceRestart, /ExitCodes:Standard, /?."},
        {u"app.exe /Uninstall /Quiet:yes", kResultInvalidArgument, u"/Quiet takes no value"},
        {u"app.exe /Uninstall /Log:a|b.log", kResultInvalidArgument, u"/Log names \"a|b.log\""},
        {u"app.exe /Uninstall /LogFileId", kResultInvalidArgument, u"/LogFileId needs a value"},
        {u"app.exe /Uninstall Readme.txt", kResultInvalidArgument,
         u"Unexpected argument \"Readme.txt\""},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(ToPrintable(test.commandLine));
        CommandLine commandLine;
        commandLine.parse(test.commandLine);
        String message;
        EXPECT_EQ(test.expected, CheckRemovalCommandLine(commandLine, &message));
        if (test.said)
            EXPECT_NE(-1, message.find(test.said)) << ToPrintable(message.data());
        else
            EXPECT_TRUE(message.isEmpty()) << ToPrintable(message.data());
    }
}

} // namespace
} // namespace vorn
