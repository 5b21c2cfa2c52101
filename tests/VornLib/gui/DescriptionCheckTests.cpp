// The description check finds a vendor's mistakes at their line and column
// and says what is allowed, and passes what the framework reads: every
// legal colour among them.
#include <gtest/gtest.h>

#include "VornLib/core/Utf8.h"
#include "VornLib/core/XmlTestSupport.h"
#include "VornLib/gui/DescriptionCheck.h"

namespace vorn {
namespace {

struct Found {
    uint32_t line;
    uint32_t column;
    std::string text;
};

std::vector<Found> Check(const char* text, const DescriptionContext* context = nullptr) {
    XmlDocument document;
    EXPECT_EQ(0u, ParseText(document, text));
    DescriptionCheck check(context);
    check.addContainerKind(u"MainPage");
    check.checkDocument(*document.root());
    std::vector<Found> found;
    for (const DescriptionProblem& problem : check.problems())
        found.push_back({problem.position.line, problem.position.column,
                         ToUtf8(problem.text.data(), problem.text.length())});
    return found;
}

bool Contains(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
}

TEST(DescriptionCheck, EachPlantedMistakeIsReportedAtItsLineWithWhatIsAllowed) {
    const std::vector<Found> found = Check(R"(<Windows>
  <Window ID="Main" Type="MainDialogBox" ClientWidth="200dlu" ClientHeight="100dlu">
    <Static ID="Text" HorizontalAlign="Justify" Top="8dlu" Left="8dlu" Right="Parent.Width-8dlu"/>
    <Static ID="Other" Top="Text.Bottom + 4" Left="8dlu" Width="Parent.Width - 8"/>
    <Button ID="Go" Top="Missing.Bottom" Left="8dlu"/>
    <EditBox ID="Box" BackgroundColor="Fuschia" Font="{Default},*0" OnReturn="Go" Top="0" Left="0"/>
    <Statik ID="Typo" Top="0" Left="0"/>
    <Static ID="Text" Wdth="10" Top="0" Left="0"/>
  </Window>
</Windows>)");
    auto at = [&](uint32_t line, const char* part) {
        for (const Found& problem : found)
            if (problem.line == line && Contains(problem.text, part))
                return true;
        ADD_FAILURE() << "line " << line << " lacks \"" << part << "\"";
        for (const Found& problem : found)
            ADD_FAILURE() << problem.line << ": " << problem.text;
        return false;
    };
    at(3, "HorizontalAlign=\"Justify\" is not allowed; allowed: ");
    at(4, "Top");
    at(4, "Width");
    at(5, "names \"Missing\", which is no window beside this one");
    at(6, "is no colour (did you mean \"Fuchsia\"?)");
    at(6, "Font=\"{Default},*0\": \"*0\" is no scale");
    at(6, "OnReturn=\"Go\" is no command: a command's name ends in \"Cmd\"");
    at(7, "\"Statik\" is no element of Window (did you mean \"Static\"?)");
    at(8, "the ID \"Text\" is taken by the Static of line 3");
    at(8, "\"Wdth\" is no attribute of Static (did you mean \"Width\"?)");
    EXPECT_EQ(10u, found.size()) << "one line per mistake, no more";
    // The column is the attribute's own, counted from 1 as editors do.
    EXPECT_EQ(23u, found[0].column) << found[0].text;
}

TEST(DescriptionCheck, EveryColourPaintsAndNoneIsOnlyForBackgrounds) {
    EXPECT_TRUE(Check(R"(<Windows><Window ID="W" ClientWidth="10" ClientHeight="10">
    <Window ID="A" BackgroundColor="Fuchsia" Top="0" Left="0"/>
    <Window ID="B" BackgroundColor="#FF00FF" Top="0" Left="0"/>
    <Window ID="C" BackgroundColor="None" Top="0" Left="0"/>
    <Window ID="D" BackgroundColor="Transparent" Top="0" Left="0"/>
    <Static ID="E" TextColor="#F0F" Top="0" Left="0"/>
  </Window></Windows>)")
                    .empty());
    const std::vector<Found> found = Check(R"(<Windows><Window ID="W">
    <Static ID="E" TextColor="None" Top="0" Left="0"/>
  </Window></Windows>)");
    ASSERT_EQ(1u, found.size());
    EXPECT_TRUE(Contains(found[0].text, "TextColor=\"None\" is no colour")) << found[0].text;
    EXPECT_FALSE(Contains(found[0].text, "for no background")) << found[0].text;
}

class NothingThere : public DescriptionContext {
public:
    bool hasPicture(const String& name) const override { return name == u"Data/Pictures/A.png"; }
    bool hasDescription(const char16_t* element, const String& name) const override {
        return String(element) == u"Menu" && name == u"Known";
    }
};

TEST(DescriptionCheck, PicturesAndMenusAreLookedForOnlyWithAContext) {
    const char* text = R"(<Windows><Window ID="W">
    <ToolBar ID="T" Menu="Unknown" Top="0" Left="0"/>
    <Picture ID="P" Name="Data/Pictures/B.png" Top="0" Left="0"/>
    <Picture ID="Q" Name="Data/Pictures/A.png" Top="0" Left="0"/>
  </Window></Windows>)";
    EXPECT_TRUE(Check(text).empty());
    NothingThere context;
    const std::vector<Found> found = Check(text, &context);
    ASSERT_EQ(2u, found.size());
    EXPECT_EQ(2u, found[0].line);
    EXPECT_TRUE(Contains(found[0].text, "there is no Menu of that ID")) << found[0].text;
    EXPECT_EQ(3u, found[1].line);
    EXPECT_TRUE(Contains(found[1].text, "there is no such picture")) << found[1].text;
}

TEST(DescriptionCheck, MessageBoxButtonsAreOneOfTheSets) {
    const std::vector<Found> found = Check(R"(<Windows>
  <MessageBox ID="Good"><Yes/><No/></MessageBox>
  <MessageBox ID="Bad"><Yes/><Retry/></MessageBox>
</Windows>)");
    ASSERT_EQ(1u, found.size());
    EXPECT_EQ(3u, found[0].line);
}

} // namespace
} // namespace vorn
