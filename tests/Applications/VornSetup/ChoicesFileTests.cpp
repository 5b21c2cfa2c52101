// The choices file: what one setup writes is what another installs, the
// command line winning; a file with anything wrong is refused whole, with
// its name, its line and the switch's own reason.
#include <gtest/gtest.h>

#include "Applications/VornSetup/ChoicesFile.h"
#include "Applications/VornSetup/InstallerSwitches.h"
#include "TestText.h"

namespace vornsetup {
namespace {

using vorn::CommandLine;

constexpr char16_t kPath[] = u"C:\\Deploy\\choices.txt";

String ValueOf(CommandLine& commandLine, const char16_t* name) {
    String value;
    return commandLine.switchValue(name, &value) ? value : String(u"(none)");
}

TEST(ChoicesFile, WhatIsWrittenIsReadBack) {
    InstallManifest manifest;
    manifest.name = u"Tool";
    manifest.scope = vorn::InstallScope::User;
    manifest.installFolder = u"C:\\Users\\ann\\Tools\\Tool";
    manifest.programGroup = u"Company\\Tool";
    manifest.chosenShortcuts[kDesktopShortcut] = false;
    manifest.chosenShortcuts[kQuickLaunchShortcut] = true;
    const String document = ChoicesDocument(manifest);
    EXPECT_EQ(document, u"# Tool Setup's choices; /LoadChoices:<file> reads them back.\r\n"
                        u"Scope=CurrentUser\r\nInstallFolder=C:\\Users\\ann\\Tools\\Tool\r\n"
                        u"ProgramGroup=Company\\Tool\r\nCreateDesktopShortcut=0\r\n"
                        u"CreateQuickLaunchShortcut=1\r\n");

    CommandLine commandLine;
    commandLine.parse(u"setup.exe /Quiet");
    String message;
    ASSERT_EQ(ApplyChoices(document, kPath, commandLine, &message), vorn::kResultOk)
        << vorn::ToPrintable(message.data());
    EXPECT_TRUE(commandLine.hasSwitch(u"CurrentUser"));
    EXPECT_FALSE(commandLine.hasSwitch(u"AllUsers"));
    EXPECT_EQ(ValueOf(commandLine, u"InstallFolder"), u"C:\\Users\\ann\\Tools\\Tool");
    EXPECT_EQ(ValueOf(commandLine, u"ProgramGroup"), u"Company\\Tool");
    EXPECT_EQ(ValueOf(commandLine, u"CreateDesktopShortcut"), u"0");
    EXPECT_EQ(ValueOf(commandLine, u"CreateQuickLaunchShortcut"), u"1");
}

TEST(ChoicesFile, TheCommandLineWinsAndWritingMayVary) {
    CommandLine commandLine;
    commandLine.parse(u"setup.exe /AllUsers /InstallFolder:D:\\Mine");
    String message;
    // Hand-written: LF alone, blanks around, names in any case, a comment.
    ASSERT_EQ(ApplyChoices(u"# ours\n  scope = CurrentUser \n\ninstallfolder= C:\\A B \n"
                           u"ProgramGroup =Tools\\A B",
                           kPath, commandLine, &message),
              vorn::kResultOk)
        << vorn::ToPrintable(message.data());
    EXPECT_FALSE(commandLine.hasSwitch(u"CurrentUser"));
    EXPECT_EQ(ValueOf(commandLine, u"InstallFolder"), u"D:\\Mine");
    EXPECT_EQ(ValueOf(commandLine, u"ProgramGroup"), u"Tools\\A B");
    EXPECT_FALSE(commandLine.hasSwitch(u"CreateDesktopShortcut"));
}

// The elevated copy reads no file: it gets the entries as switches.
TEST(ChoicesFile, TheElevatedCopyGetsTheEntriesNotTheFile) {
    CommandLine launcher;
    launcher.parse(u"setup.exe /Passive /LoadChoices:C:\\Deploy\\choices.txt /SaveChoices:s.txt");
    String message;
    ASSERT_EQ(ApplyChoices(u"ProgramGroup=Tools\\Demo\nCreateDesktopShortcut=0\nScope=AllUsers",
                           kPath, launcher, &message),
              vorn::kResultOk);
    const String arguments = ChildArguments(false, launcher, String());
    EXPECT_EQ(arguments, u" -AllowMultipleInstances -LaunchedAsAdministrator -Passive -AllUsers"
                         u" -ProgramGroup:\"Tools\\Demo\" -CreateDesktopShortcut:\"0\"");
    CommandLine copy;
    copy.parse((u"setup.exe" + arguments).data());
    EXPECT_EQ(CheckInstallerCommandLine(copy, &message), vorn::kResultOk)
        << vorn::ToPrintable(message.data());
}

TEST(ChoicesFile, RefusedWholeWithItsNameLineAndReason) {
    struct Case {
        const char16_t* text;
        Result expected;
        const char16_t* said;
    };
    const Case cases[] = {
        {u"InstallFolder C:\\Tool", vorn::kResultInvalidArgument,
         u"The choices file \"C:\\Deploy\\choices.txt\", line 1: \"InstallFolder C:\\Tool\" is "
         u"not Name=value."},
        {u"# a comment\r\n\r\nColour=blue", vorn::kResultInvalidArgument,
         u"line 3: unknown entry \"Colour\"; the file holds Scope, InstallFolder, ProgramGroup, "
         u"CreateDesktopShortcut, CreateQuickLaunchShortcut, Components."},
        {u"ProgramGroup=A\nprogramgroup=B", vorn::kResultInvalidArgument,
         u"line 2: ProgramGroup is given a second time."},
        {u"Scope=Everyone", vorn::kResultInvalidArgument,
         u"line 1: Scope takes AllUsers or CurrentUser (\"Everyone\")."},
        {u"CreateDesktopShortcut=yes", vorn::kResultInvalidArgument,
         u"line 1: The switch /CreateDesktopShortcut"},
        // The switches' own checks: 31 for a folder or group refused.
        {u"InstallFolder=Tools\\Tool", vorn::kResultBadPath,
         u"line 1: The install folder \"Tools\\Tool\" is refused"},
        {u"InstallFolder=", vorn::kResultBadPath, u"line 1: The switch /InstallFolder"},
        {u"ProgramGroup=C:\\Group", vorn::kResultBadPath,
         u"line 1: The program group \"C:\\Group\" is refused"},
        // A good entry before a bad one is not taken either.
        {u"InstallFolder=C:\\Tool\nScope=AllUsers\nColour=1", vorn::kResultInvalidArgument,
         u"line 3: unknown entry \"Colour\""},
    };
    for (const Case& c : cases) {
        CommandLine commandLine;
        commandLine.parse(u"setup.exe /Quiet");
        String message;
        EXPECT_EQ(ApplyChoices(c.text, kPath, commandLine, &message), c.expected)
            << vorn::ToPrintable(c.said);
        EXPECT_GE(message.find(c.said), 0) << vorn::ToPrintable(message.data());
        EXPECT_GE(message.find(u"The choices file \"C:\\Deploy\\choices.txt\", line "), 0);
        EXPECT_EQ(commandLine.switches().size(), 1u) << vorn::ToPrintable(message.data());
    }
}

} // namespace
} // namespace vornsetup
