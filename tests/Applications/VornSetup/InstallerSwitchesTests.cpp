// The setup's command line: what it refuses before touching anything, with
// which code and which words, and what the launcher hands on to the elevated
// copy.
#include <gtest/gtest.h>

#include <string>

#include "Applications/VornSetup/InstallManifest.h"
#include "Applications/VornSetup/InstallerSwitches.h"
#include "ReadmeTable.h"
#include "TestText.h"
#include "VornLib/core/Utf8.h"

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
        {u"setup.exe /Passive /Log /ResultFile:\"C:\\Deploy Logs\\result.json\"", vorn::kResultOk,
         nullptr},
        {u"setup.exe /Log:setup.log /ResultFile:out\\result.json", vorn::kResultOk, nullptr},
        // A typo says which switch is unknown and which exist.
        {u"setup.exe /Quite", vorn::kResultInvalidArgument,
         u"Unknown switch \"/Quite\". The setup accepts /Quiet, /Passive, /NoCancel, "
         u"/InstallFolder:<folder>, /Language:<code>, /DataCollection:Off, /Log[:<file>], "
         u"/ResultFile:<file>, /SaveChoices:<file>, /LoadChoices:<file>, /AllUsers, "
         u"/CurrentUser, /AllowUserWritableFolder, /AllowDowngrade, /Repair, "
         u"/ProgramGroup:<group>, /CreateDesktopShortcut:0|1, /CreateQuickLaunchShortcut:0|1, "
         u"/Components:<name>,<name>, /CloseApplications, /NoCloseApplications, /NoRestart, "
         u"/ForceRestart, "
         u"/ExitCodes:Standard, /?."},
        // Quoted as PowerShell, .NET and Python quote an argument: the whole
        // switch; and a value may hold "=" and ":".
        {u"setup.exe /Quiet \"/InstallFolder:C:\\My Apps\\Demo\" \"/Log:C:\\Logs\\a=b.log\"",
         vorn::kResultOk, nullptr},
        {u"setup.exe /InstallFolder:\"C:\\Apps\\A=B\" /? -Language=de", vorn::kResultOk, nullptr},
        // A "\" before the closing quote keeps the quote: said so.
        {u"setup.exe /InstallFolder:\"C:\\My Apps\\\" /Quiet", vorn::kResultBadPath,
         u"A \\ before a closing quote keeps the quote"},
        {u"setup.exe /InstallFolder:\"\"", vorn::kResultBadPath, u"/InstallFolder needs a value"},
        {u"setup.exe /Passive:yes", vorn::kResultInvalidArgument, u"/Passive takes no value"},
        {u"setup.exe /ResultFile", vorn::kResultInvalidArgument,
         u"/ResultFile needs a value, as in /ResultFile:<file>"},
        // A name no file may have would be found out only at the end.
        {u"setup.exe /ResultFile:C:\\out\\*.json", vorn::kResultInvalidArgument,
         u"The switch /ResultFile names \"C:\\out\\*.json\", which no file may be called"},
        {u"setup.exe /Log:\"a|b.log\"", vorn::kResultInvalidArgument, u"/Log names \"a|b.log\""},
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
        {u"setup.exe /InstallFolder:C:\\Tools\\App\\", vorn::kResultBadPath,
         u"is refused (a separator at its end)"},
        {u"setup.exe /InstallFolder:C:Tools", vorn::kResultBadPath, u"refused"},
        {u"setup.exe /InstallFolder:\\\\server\\share\\App", vorn::kResultBadPath, u"refused"},
        {u"setup.exe /InstallFolder:", vorn::kResultBadPath, u"/InstallFolder needs a value"},
        // Names Windows gives other meanings, and parts that leave the folder.
        // The message says which rule the folder breaks.
        {u"setup.exe /InstallFolder:C:\\CON", vorn::kResultBadPath,
         u"\"C:\\CON\" is refused (a part that names a device (CON, NUL, COM1, LPT1…))"},
        {u"setup.exe /InstallFolder:C:\\Demo\\nul.txt", vorn::kResultBadPath, u"names a device"},
        {u"setup.exe /InstallFolder:C:\\Apps\\COM1.txt\\x", vorn::kResultBadPath,
         u"names a device"},
        {u"setup.exe /InstallFolder:C:\\Apps\\a|b", vorn::kResultBadPath,
         u"is refused (a character no folder may hold"},
        {u"setup.exe /InstallFolder:C:\\Apps\\..\\Windows", vorn::kResultBadPath, u"refused"},
        {u"setup.exe /InstallFolder:\"C:\\Demo. \"", vorn::kResultBadPath, u"refused"},
        {u"setup.exe /InstallFolder:C:\\Com1\\Demo", vorn::kResultBadPath, u"refused"},
        {u"setup.exe /InstallFolder:C:\\Console\\Demo.2", vorn::kResultOk, nullptr},
        // Values the elevated copy gets: nothing that could end its argument.
        {u"setup.exe /DataCollection:a\"&echo,pwned>C:\\pwned.txt&\"b",
         vorn::kResultInvalidArgument, u"/DataCollection takes On or Off"},
        {u"setup.exe /DataCollection:off /ConfigSet:Lab-2_x.y", vorn::kResultOk, nullptr},
        {u"setup.exe /ConfigSet:\"a b\"", vorn::kResultInvalidArgument, u"/ConfigSet takes a name"},
        // What a wizard hands to its elevated copy, judged like the options page.
        {u"setup.exe /OptionsChosen /ProgramGroup:\"Games\\Demo\" /CreateDesktopShortcut:0 "
         u"/CreateQuickLaunchShortcut:1",
         vorn::kResultOk, nullptr},
        {u"setup.exe /CreateDesktopShortcut:yes", vorn::kResultInvalidArgument,
         u"/CreateDesktopShortcut takes 0 or 1"},
        {u"setup.exe /CreateQuickLaunchShortcut", vorn::kResultInvalidArgument, u"needs a value"},
        {u"setup.exe /Components:\"Core, Docs\" /Components", vorn::kResultOk, nullptr},
        {u"setup.exe /Components:Core;Docs", vorn::kResultInvalidArgument,
         u"/Components takes names"},
        {u"setup.exe /ProgramGroup:\\Demo", vorn::kResultBadPath,
         u"The program group \"\\Demo\" is refused"},
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

// Every switch of README's table of the setup's command line is in what the
// setup says it accepts ("/?" and the refusals), as the table writes it.
TEST(InstallerSwitches, TheUsageNamesEverySwitchReadmeDocuments) {
    const std::vector<vorn::ReadmeRow> rows = vorn::ReadmeTable("| switch | what it does |");
    ASSERT_GE(rows.size(), 12u);
    const std::string usage = vorn::ToUtf8(InstallerUsage());
    for (const vorn::ReadmeRow& row : rows) {
        const std::string written = row[0].substr(1, row[0].size() - 2); // without backticks
        EXPECT_NE(std::string::npos, usage.find(written)) << written;
    }
}

// What the copy reads back is what the user gave, whatever the value holds.
TEST(InstallerSwitches, ValuesSurviveTheElevatedCopysCommandLine) {
    CommandLine given;
    given.parse(u"setup.exe \"/InstallFolder:C:\\Apps\\A=B \\\"x\\\"\" /Language=de");
    String folder;
    ASSERT_TRUE(given.switchValue(u"InstallFolder", &folder));
    EXPECT_EQ(String(u"C:\\Apps\\A=B \"x\""), folder);
    CommandLine copy;
    copy.parse((u"setup.exe" + ChildArguments(false, given, String())).data());
    String read;
    EXPECT_TRUE(copy.switchValue(u"InstallFolder", &read));
    EXPECT_EQ(folder, read);
    EXPECT_TRUE(copy.switchValue(u"Language", &read));
    EXPECT_EQ(String(u"de"), read);
}

TEST(InstallerSwitches, TheElevatedCopyGetsWhatWasGivenAndItsOwnSwitches) {
    CommandLine commandLine;
    commandLine.parse(u"setup.exe /language:de /Quiet /InstallFolder:\"C:\\Some Where\\Demo\" "
                      u"/DataCollection:Off");
    EXPECT_EQ(String(u" -Quiet -AllowMultipleInstances -LaunchedAsAdministrator"
                     u" -InstallFolder:\"C:\\Some Where\\Demo\" -Language:\"de\""
                     u" -DataCollection:\"Off\""),
              ChildArguments(true, commandLine, String()));
    CommandLine plain;
    plain.parse(u"setup.exe /DataCollection");
    EXPECT_EQ(String(u" -AllowMultipleInstances -LaunchedAsAdministrator -DataCollection"),
              ChildArguments(false, plain, String()));
    // The log and the result file go by the full paths the setup gives, not
    // as written: the elevated copy starts in another folder.
    CommandLine passive;
    passive.parse(u"setup.exe /Log:setup.log /Passive /ResultFile:result.json");
    EXPECT_EQ(String(u" -AllowMultipleInstances -LaunchedAsAdministrator -Passive"
                     u" /Log:\"C:\\Work\\setup.log\""),
              ChildArguments(false, passive, u" /Log:\"C:\\Work\\setup.log\""));
    EXPECT_TRUE(IsPassive(passive));
    EXPECT_FALSE(IsPassive(plain));
}

TEST(InstallerSwitches, TheWizardHandsItsChoicesToTheElevatedCopy) {
    CommandLine given;
    given.parse(u"setup.exe /InstallFolder:C:\\Old /Language:fr /DataCollection:Off");
    WizardChoices choices;
    choices.installFolder = u"C:\\Program Files (x86)\\Demo";
    choices.programGroup = u"Games\\Demo";
    choices.shortcuts[kDesktopShortcut] = false;
    choices.language = u"de";
    choices.offersComponents = true;
    choices.components = u"Core";
    const String arguments = HandOffArguments(given, choices, u" /Log:\"C:\\Work\\setup.log\"");
    // The choices replace the folder and language given; the rest goes on.
    EXPECT_EQ(String(u" -AllowMultipleInstances -LaunchedAsAdministrator -AllUsers -OptionsChosen"
                     u" -DataCollection:\"Off\" -InstallFolder:\"C:\\Program Files (x86)\\Demo\""
                     u" -ProgramGroup:\"Games\\Demo\" -Components:\"Core\" -CreateDesktopShortcut:0"
                     u" -CreateQuickLaunchShortcut:1 -Language:\"de\""
                     u" /Log:\"C:\\Work\\setup.log\""),
              arguments);

    // The copy reads them back as they were chosen, and accepts them.
    CommandLine copy;
    copy.parse((u"setup.exe" + arguments).data());
    String message;
    EXPECT_EQ(vorn::kResultOk, CheckInstallerCommandLine(copy, &message))
        << vorn::ToPrintable(message.data());
    InstallManifest manifest;
    manifest.programGroup = u"Earlier";
    manifest.declared.components.resize(2);
    manifest.declared.components[0].name = u"Core";
    manifest.declared.components[1].name = u"Docs";
    manifest.chosenComponents = {false, true};
    manifest.applyHandedOnChoices(copy);
    manifest.applyDefaults(nullptr, u"C:\\Program Files (x86)");
    String folder;
    EXPECT_TRUE(copy.switchValue(u"InstallFolder", &folder));
    EXPECT_EQ(choices.installFolder, folder);
    EXPECT_EQ(choices.programGroup, manifest.programGroup);
    EXPECT_FALSE(manifest.chosenShortcuts[kDesktopShortcut]);
    EXPECT_TRUE(manifest.chosenShortcuts[kQuickLaunchShortcut]);
    EXPECT_EQ((vorn::ComponentChoice{true, false}), manifest.chosenComponents);
    EXPECT_TRUE(copy.hasSwitch(u"OptionsChosen"));

    // Without a language of the wizard's, the one given goes on.
    choices.language = String();
    EXPECT_NE(-1, HandOffArguments(given, choices, String()).find(u" -Language:\"fr\""));
}

} // namespace
} // namespace vornsetup
