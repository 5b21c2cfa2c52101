// The setup's command line: what it refuses before touching anything, with
// which code and which words, and what the launcher hands on to the elevated
// copy.
#include <gtest/gtest.h>

#include <string>

#include "Applications/VornSetup/InstallerSwitches.h"
#include "TestText.h"

namespace vornsetup {
namespace {

using vorn::CommandLine;

struct Case {
    const char16_t* commandLine;
    Result expected;
    const char16_t* said; // a part of the message; null for none
};

TEST(InstallerSwitches, RefusesWhatTheSetupDoesNotAccept) {
    const Case cases[] = {
        {u"setup.exe", vorn::kResultOk, nullptr},
        {u"setup.exe /Quiet -language:DE /InstallFolder:\"C:\\Program Files\\Demo\"",
         vorn::kResultOk, nullptr},
        {u"setup.exe /DataCollection /ConfigSet:Lab /AllowMultipleInstances", vorn::kResultOk,
         nullptr},
        // A typo says which switch is unknown and which exist.
        {u"setup.exe /Quite", vorn::kResultInvalidArgument,
         u"Unknown switch \"/Quite\". The setup accepts /Quiet, /InstallFolder:<folder>, "
         u"/Language:<code>, /DataCollection:Off."},
        {u"setup.exe /Quiet:no", vorn::kResultInvalidArgument, u"/Quiet takes no value"},
        {u"setup.exe /Language", vorn::kResultInvalidArgument, u"/Language needs a value"},
        {u"setup.exe /Language:xx /Quiet", vorn::kResultInvalidArgument,
         u"Unknown language \"xx\" in /Language. The setup speaks de, en, es, fr, it, ko, ru, "
         u"zh."},
        // The framework knows Hebrew; the setup carries no texts for it.
        {u"setup.exe /Language:he", vorn::kResultInvalidArgument, u"Unknown language \"he\""},
        {u"setup.exe Readme.txt", vorn::kResultInvalidArgument,
         u"Unexpected argument \"Readme.txt\""},
        // Folders as the options page judges them.
        {u"setup.exe /InstallFolder:relative\\path /Quiet", vorn::kResultBadPath,
         u"The install folder \"relative\\path\" is refused"},
        {u"setup.exe /InstallFolder:C:\\Tools\\App\\", vorn::kResultBadPath, u"refused"},
        {u"setup.exe /InstallFolder:C:Tools", vorn::kResultBadPath, u"refused"},
        {u"setup.exe /InstallFolder:\\\\server\\share\\App", vorn::kResultBadPath, u"refused"},
        {u"setup.exe /InstallFolder:", vorn::kResultBadPath, u"/InstallFolder needs a value"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(vorn::ToPrintable(test.commandLine));
        CommandLine commandLine;
        commandLine.parse(test.commandLine);
        String message;
        EXPECT_EQ(test.expected, CheckInstallerCommandLine(commandLine, &message));
        if (test.said) {
            EXPECT_NE(-1, message.find(test.said)) << vorn::ToPrintable(message.data());
        } else {
            EXPECT_TRUE(message.isEmpty()) << vorn::ToPrintable(message.data());
        }
    }
}

TEST(InstallerSwitches, TheElevatedCopyGetsWhatWasGivenAndItsOwnSwitches) {
    CommandLine commandLine;
    commandLine.parse(u"setup.exe /language:de /Quiet /InstallFolder:\"C:\\Some Where\\Demo\" "
                      u"/DataCollection:Off");
    EXPECT_EQ(String(u" -Quiet -AllowMultipleInstances -LaunchedAsAdministrator"
                     u" -InstallFolder:\"C:\\Some Where\\Demo\" -Language:\"de\""
                     u" -DataCollection:\"Off\""),
              ChildArguments(true, commandLine));
    CommandLine plain;
    plain.parse(u"setup.exe /DataCollection");
    EXPECT_EQ(String(u" -AllowMultipleInstances -LaunchedAsAdministrator -DataCollection"),
              ChildArguments(false, plain));
}

} // namespace
} // namespace vornsetup
