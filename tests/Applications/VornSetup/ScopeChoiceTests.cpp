// For whom the setup installs: the definitions' rule, the switches that
// choose, and what the setup refuses before touching anything.
#include <string>

#include <gtest/gtest.h>

#include "Applications/VornSetup/ScopeChoice.h"
#include "TestText.h"
#include "VornLib/app/ExitCodes.h"
#include "VornLib/core/XmlDocument.h"

namespace vornsetup {
namespace {

using namespace vorn;

struct Rule {
    Result result;
    InstallScopeRule rule;
    String problem;
    explicit Rule(const std::string& element) {
        const std::string xml = "<InstallationSettings>" + element + "</InstallationSettings>";
        XmlDocument document;
        EXPECT_EQ(0u, document.parse(xml.data(), uint32_t(xml.size()), u"test"));
        result = ReadInstallScopeRule(*document.root(), &rule, &problem);
    }
};

TEST(InstallScopeRule, ReadsTheWordsAndRefusesAnyOther) {
    const Rule absent("");
    EXPECT_EQ(kResultOk, absent.result);
    EXPECT_EQ(InstallScope::Machine, absent.rule.proposed);
    EXPECT_FALSE(absent.rule.allows(InstallScope::User));

    const Rule user(R"(<InstallScope Default="CurrentUser" UserMayChoose="false"/>)");
    EXPECT_EQ(kResultOk, user.result);
    EXPECT_EQ(InstallScope::User, user.rule.proposed);
    EXPECT_TRUE(user.rule.allows(InstallScope::User));
    EXPECT_FALSE(user.rule.allows(InstallScope::Machine));

    const Rule choice(R"(<InstallScope Default="AllUsers" UserMayChoose="true"/>)");
    EXPECT_TRUE(choice.rule.allows(InstallScope::User));
    EXPECT_TRUE(choice.rule.allows(InstallScope::Machine));

    // Words are written exactly: a guess could install where nobody meant.
    for (const char* bad :
         {R"(<InstallScope Default="allusers"/>)", R"(<InstallScope Default="PerUser"/>)",
          R"(<InstallScope UserMayChoose="yes"/>)"}) {
        SCOPED_TRACE(bad);
        const Rule refused(bad);
        EXPECT_EQ(kResultKindMismatch, refused.result);
        EXPECT_FALSE(refused.problem.isEmpty());
        EXPECT_EQ(-1, refused.problem.find(u'\n'));
        EXPECT_EQ(InstallScope::Machine, refused.rule.proposed);
        EXPECT_FALSE(refused.rule.userMayChoose);
    }
    EXPECT_NE(-1, Rule(R"(<InstallScope UserMayChoose="yes"/>)").problem.find(u"\"yes\""));
}

struct Case {
    const char16_t* commandLine;
    bool userMayChoose;
    bool installedForUser; // else not installed
    InstallScope chosen;
    Result expected;
    const char16_t* said;
};

TEST(ScopeChoice, SwitchesRuleAndExistingInstallation) {
    const Case cases[] = {
        // The definitions' default, or the existing installation's scope.
        {u"setup.exe /Quiet", false, false, InstallScope::Machine, kResultOk, nullptr},
        {u"setup.exe /Quiet", false, true, InstallScope::User, kResultOk, nullptr},
        // Switches ignore case, as every switch does.
        {u"setup.exe /currentuser", true, false, InstallScope::User, kResultOk, nullptr},
        {u"setup.exe /ALLUSERS", false, false, InstallScope::Machine, kResultOk, nullptr},
        {u"setup.exe /CurrentUser", true, true, InstallScope::User, kResultOk, nullptr},
        {u"setup.exe /CurrentUser", false, false, InstallScope::User, kResultAccessDenied,
         u"Tool Setup installs only for all users: /CurrentUser is not allowed."},
        {u"setup.exe /AllUsers /CurrentUser", true, false, InstallScope::User,
         kResultInvalidArgument, u"exclude each other"},
        {u"setup.exe /AllUsers", true, true, InstallScope::Machine,
         Result(kExitInstalledInOtherScope),
         u"Tool is installed just for you in \"C:\\Users\\Ann\\AppData\\Local\\Programs\\Tool\": "
         u"remove it first to install it for all users, or give /CurrentUser to update it."},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(ToPrintable(test.commandLine));
        InstallManifest manifest;
        manifest.name = u"Tool";
        manifest.scopeRule.userMayChoose = test.userMayChoose;
        manifest.installed = test.installedForUser;
        manifest.installedScope = InstallScope::User;
        manifest.installedFolder = u"C:\\Users\\Ann\\AppData\\Local\\Programs\\Tool";
        CommandLine commandLine;
        commandLine.parse(test.commandLine);
        manifest.chooseScope(commandLine);
        EXPECT_EQ(test.chosen, manifest.scope);
        String message;
        EXPECT_EQ(test.expected, CheckScopeChoice(manifest, commandLine, &message));
        if (test.said)
            EXPECT_NE(-1, message.find(test.said)) << ToPrintable(message.data());
        else
            EXPECT_TRUE(message.isEmpty()) << ToPrintable(message.data());
    }
}

TEST(ScopeChoice, ARefusedRuleStopsTheSetupInOneLine) {
    InstallManifest manifest;
    manifest.scopeProblem =
        u"InstallScope Default \"Everyone\" is none of AllUsers and CurrentUser";
    CommandLine commandLine;
    commandLine.parse(u"setup.exe /Quiet");
    String message;
    EXPECT_EQ(kResultKindMismatch, CheckScopeChoice(manifest, commandLine, &message));
    EXPECT_NE(-1, message.find(u"\"Everyone\""));
}

// A setup whose InstallationSettings holds a word the configuration's
// vocabulary lacks refuses at once, naming it and where it is, rather than
// install as if the element were absent.
TEST(ScopeChoice, AnUnknownElementOfTheSettingsStopsTheSetup) {
    const std::string xml = "<InstallationSettings>\n"
                            "  <Application UUID=\"7E3F2A91-5C4B-4D8E-9F10-2B3C4D5E6F70\" "
                            "Name=\"P\" Version=\"1\" Company=\"C\"/>\n"
                            "  <InstallScpe Default=\"CurrentUser\" UserMayChoose=\"false\"/>\n"
                            "</InstallationSettings>";
    XmlDocument document;
    ASSERT_EQ(0u, document.parse(xml.data(), uint32_t(xml.size()), u"test"));
    InstallManifest manifest;
    (void)manifest.readSettings(*document.root(), nullptr);
    CommandLine commandLine;
    commandLine.parse(u"setup.exe /Quiet /CurrentUser");
    String message;
    EXPECT_EQ(kResultMalformed, CheckScopeChoice(manifest, commandLine, &message));
    EXPECT_NE(-1, message.find(u"Configuration.xml is refused: line 3, column 4: \"InstallScpe\" "
                               u"is no element of InstallationSettings (did you mean "
                               u"\"InstallScope\"?)"))
        << ToPrintable(message.data());
}

TEST(ScopeChoice, TheWizardOffersItOnlyWhereNothingElseChose) {
    struct Offer {
        const char16_t* commandLine;
        bool userMayChoose;
        bool installed;
        bool quiet;
        bool offered;
    };
    const Offer offers[] = {
        {u"setup.exe", true, false, false, true},
        {u"setup.exe", false, false, false, false},
        // A switch, a quiet or passive setup and an existing installation
        // have decided already; the elevated copy's launcher has chosen.
        {u"setup.exe /allusers", true, false, false, false},
        {u"setup.exe /CurrentUser", true, false, false, false},
        {u"setup.exe", true, false, true, false},
        {u"setup.exe /Passive", true, false, false, false},
        {u"setup.exe", true, true, false, false},
        {u"setup.exe -LaunchedAsAdministrator", true, false, false, false},
    };
    for (const Offer& test : offers) {
        SCOPED_TRACE(ToPrintable(test.commandLine));
        InstallManifest manifest;
        manifest.scopeRule.userMayChoose = test.userMayChoose;
        manifest.installed = test.installed;
        CommandLine commandLine;
        commandLine.parse(test.commandLine);
        EXPECT_EQ(test.offered, ScopeChoiceOffered(manifest, commandLine, test.quiet));
    }
}

TEST(ScopeChoice, TheFolderFollowsTheChoiceUntilTheUserTypesOne) {
    const String machine = DefaultInstallFolder(u"C:\\Program Files (x86)", u"Tool");
    const String user =
        DefaultInstallFolder(u"C:\\Users\\Ann\\AppData\\Local\\Programs\\", u"Tool");
    EXPECT_EQ(String(u"C:\\Program Files (x86)\\Tool"), machine);
    EXPECT_EQ(String(u"C:\\Users\\Ann\\AppData\\Local\\Programs\\Tool"), user);
    EXPECT_EQ(user, FolderAfterScopeChange(machine, machine, user));
    EXPECT_EQ(machine, FolderAfterScopeChange(user, user, machine));
    // The proposal as the user left it, only the letters' case changed.
    EXPECT_EQ(user, FolderAfterScopeChange(u"c:\\program files (x86)\\TOOL", machine, user));
    // A folder of the user's own stays, even one inside the other scope's place.
    EXPECT_EQ(String(u"D:\\Tools\\Tool"),
              FolderAfterScopeChange(u"D:\\Tools\\Tool", machine, user));
    EXPECT_EQ(String(u"C:\\Program Files (x86)\\Tool2"),
              FolderAfterScopeChange(u"C:\\Program Files (x86)\\Tool2", machine, user));
}

} // namespace
} // namespace vornsetup
