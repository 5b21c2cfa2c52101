// Components: read with their defaults and refused with line and column where
// a choice could not be named or would hold nothing; files matched to the
// first component that claims them; a choice read from a list, written back,
// and kept over an update that adds or drops components; the declarations of
// a component left out taken away.
#include <gtest/gtest.h>

#include <string>

#include "../core/XmlTestSupport.h"
#include "VornLib/app/InstallationDeclarations.h"
#include "VornLib/core/Utf8.h"

namespace vorn {
namespace {

Result Read(const std::string& inside, InstallationDeclarations* out, String* problem) {
    XmlDocument document;
    const std::string text = "<InstallationSettings>\n" + inside + "</InstallationSettings>";
    EXPECT_EQ(0u, ParseText(document, text.c_str()));
    return ReadInstallationDeclarations(*document.root(), out, problem);
}

const char kThree[] =
    "<Components>"
    "<Component Name=\"Core\" Required=\"true\"><Files Folder=\"bin/\"/></Component>"
    "<Component Name=\"Docs\" Title=\"#DocsTitle\"><Files Folder=\"docs\"/>"
    "<Files Pattern=\"*.chm\"/></Component>"
    "<Component Name=\"Samples\" Default=\"false\"><Files Pattern=\"samples\\*.c\"/>"
    "<Files Pattern=\"*.chm\"/></Component>"
    "</Components>";

std::vector<ComponentDeclaration> Three() {
    InstallationDeclarations read;
    String problem;
    EXPECT_EQ(0u, Read(kThree, &read, &problem)) << ToUtf8(problem);
    return read.components;
}

TEST(ComponentDeclarations, ReadsComponentsWithTheirDefaults) {
    const std::vector<ComponentDeclaration> components = Three();
    ASSERT_EQ(3u, components.size());
    EXPECT_TRUE(components[0].required);
    EXPECT_EQ(std::vector<String>{u"bin"}, components[0].folders);
    EXPECT_EQ(String(u"#DocsTitle"), components[1].title);
    EXPECT_TRUE(components[1].chosenByDefault);
    EXPECT_FALSE(components[2].chosenByDefault);
    EXPECT_EQ((ComponentChoice{true, true, false}), DefaultComponentChoice(components));
}

TEST(ComponentDeclarations, RefusesWhatCannotBeChosenOrHoldsNothing) {
    const struct {
        const char* inside;
        Result result;
        const char* problem;
    } cases[] = {
        {"<Components><Component Name=\"Docs,Help\"><Files Folder=\"d\"/></Component>"
         "</Components>",
         kResultInvalidArgument, "line 2, column 14: the name \"Docs,Help\""},
        {"<Components><Component Name=\"Docs\"><Files Folder=\"d\"/></Component>\n"
         "<Component Name=\"docs\"><Files Folder=\"e\"/></Component></Components>",
         kResultInvalidArgument, "line 3, column 2: a component named \"docs\""},
        {"<Components><Component Name=\"Docs\"><Files Folder=\"..\\d\"/></Component>"
         "</Components>",
         kResultInvalidArgument, "Folder \"..\\d\" is not inside"},
        {"<Components><Component Name=\"Docs\"/></Components>", kResultInvalidArgument,
         "the component \"Docs\" names no files"},
        {"<Components><Component Name=\"Docs\"><Files/></Component></Components>",
         kResultMissingDefinition, "Files has neither"},
        {"<Components><Component Name=\"Docs\" Default=\"yes\"><Files Folder=\"d\"/>"
         "</Component></Components>",
         kResultInvalidArgument, "Default \"yes\""},
        // A declaration may name only a component that is declared.
        {"<Registry><Value Key=\"Software\\V\" Type=\"String\" Component=\"Docs\"/></Registry>",
         kResultInvalidArgument, "line 2, column 12: Component \"Docs\" is not declared"},
    };
    for (const auto& c : cases) {
        InstallationDeclarations read;
        String problem;
        EXPECT_EQ(c.result, Read(c.inside, &read, &problem)) << c.inside;
        EXPECT_NE(std::string::npos, ToUtf8(problem).find(c.problem)) << ToUtf8(problem);
    }
}

TEST(ComponentDeclarations, AFileBelongsToTheFirstComponentThatClaimsIt) {
    const std::vector<ComponentDeclaration> components = Three();
    const struct {
        const char16_t* path;
        int32_t component;
    } cases[] = {
        {u"bin\\hello.exe", 0},       {u"BIN/sub/x.dll", 0},       {u"bin", -1},
        {u"binary\\x.dll", -1},       {u"docs\\guide.html", 1},    {u"help\\Guide.CHM", 1},
        {u"samples\\a.c", 2},         {u"samples\\deep\\a.c", -1}, {u"samples\\a.cpp", -1},
        {u"other\\samples\\a.c", -1}, {u"readme.txt", -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.component, ComponentOfFile(components, c.path)) << ToUtf8(String(c.path));
    EXPECT_TRUE(MatchesFilePattern(u"?ello.*", u"x\\hello.txt"));
    EXPECT_FALSE(MatchesFilePattern(u"?ello.*", u"hello"));
    EXPECT_TRUE(MatchesFilePattern(u"*\\*.txt", u"a\\b.txt"));
    EXPECT_FALSE(MatchesFilePattern(u"*\\*.txt", u"a\\b\\c.txt"));
}

TEST(ComponentDeclarations, AChoiceIsReadWrittenAndKeptOverAnUpdate) {
    const std::vector<ComponentDeclaration> components = Three();
    ComponentChoice choice;
    String unknown;
    // Required ones are chosen anyway; blanks and letters' case do not matter.
    ASSERT_EQ(0u, ParseComponentList(components, u" samples ,", &choice, &unknown));
    EXPECT_EQ((ComponentChoice{true, false, true}), choice);
    EXPECT_EQ(String(u"Core,Samples"), ComponentListText(components, choice));
    EXPECT_EQ(String(u"Docs"), ComponentListText(components, choice, false));
    ASSERT_EQ(0u, ParseComponentList(components, u"", &choice, &unknown));
    EXPECT_EQ((ComponentChoice{true, false, false}), choice);
    EXPECT_EQ(kResultInvalidArgument,
              ParseComponentList(components, u"Docs,Tools", &choice, &unknown));
    EXPECT_EQ(String(u"Tools"), unknown);
    EXPECT_EQ((ComponentChoice{true, false, false}), choice);

    // The earlier version chose Samples and left Docs out; "Old" is gone and
    // the newer Core was unknown to it: Core keeps its default.
    choice = DefaultComponentChoice(components);
    KeepEarlierComponentChoice(components, u"Samples,Old", u"Docs,Core", &choice);
    EXPECT_EQ((ComponentChoice{true, false, true}), choice);
}

TEST(ComponentDeclarations, DeclarationsOfAComponentLeftOutAreTakenAway) {
    InstallationDeclarations read;
    String problem;
    ASSERT_EQ(0u, Read(std::string(kThree) +
                           "<Environment><PathEntry Folder=\"{InstallFolder}\\bin\"/>"
                           "<Variable Name=\"HELLO_DOCS\" Value=\"d\" Component=\"docs\"/>"
                           "</Environment><Run><Step When=\"AfterInstall\" "
                           "Program=\"{InstallFolder}\\s.exe\" Component=\"Samples\"/></Run>",
                       &read, &problem))
        << ToUtf8(problem);
    LeaveOutComponents({true, false, true}, &read);
    ASSERT_EQ(1u, read.settings.size());
    EXPECT_TRUE(read.settings[0].pathEntry);
    EXPECT_EQ(1u, read.steps.size());
    LeaveOutComponents({true, true, false}, &read);
    EXPECT_TRUE(read.steps.empty());
    EXPECT_EQ(3u, read.components.size());
}

} // namespace
} // namespace vorn
