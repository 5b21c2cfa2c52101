#include <map>
#include <string>

#include <gtest/gtest.h>

#include "TestText.h"
#include "VornLib/core/XmlDocument.h"
#include "VornLib/gui/MessageBox.h"

namespace vorn {
namespace {

// String entries by key, answered in one language.
class Strings : public LocalizedElementSource {
public:
    explicit Strings(const char* xml) {
        EXPECT_EQ(0u, table.parse(xml, uint32_t(std::string(xml).size()), u"strings"));
        for (XmlNode* entry = table.root()->firstChild(); entry; entry = entry->nextSibling()) {
            String id;
            (void)entry->getAttribute(u"ID", &id, u"");
            entries[id.data()] = entry;
        }
    }
    Result getLocalizedElement(const char16_t*, const char16_t* id, const XmlNode** out) override {
        auto found = entries.find(id);
        *out = found == entries.end() ? nullptr : found->second;
        return *out ? kResultOk : kResultNotFound;
    }
    Result release(const void*) override { return kResultOk; }

    XmlDocument table;
    std::map<std::u16string, XmlNode*> entries;
};

const char kStrings[] = R"(<Strings Language="en">
  <String ID="QuitHeader">Quit {0}?</String>
  <String ID="QuitBody">Setup of {0} is not complete. See <a href="https://vorn.example/help">the help</a>.</String>
  <String ID="Yes">Yes</String>
  <String ID="No">No</String>
</Strings>)";

Result Read(const std::string& description, MessageBoxContent* content) {
    XmlDocument document;
    EXPECT_EQ(0u, document.parse(description.data(), uint32_t(description.size()), u"box"));
    Strings strings(kStrings);
    return ReadMessageBox(*document.root(), strings, FormatArgument(u"VornDemo"), u"VornDemo Setup",
                          content);
}

TEST(MessageBoxDescription, TextsAreResolvedFormattedAndSplit) {
    MessageBoxContent content;
    ASSERT_EQ(0u, Read(R"(<MessageBox ID="CancelConfirmation" Type="Warning" Title="Cancel">
        <Header>#QuitHeader</Header><Body>#QuitBody</Body><Footer Icon="Error">{0} footer</Footer>
        <Yes>#Yes</Yes><No DefaultButton="true">#No</No></MessageBox>)",
                       &content));
    EXPECT_EQ(MessageIcon::Warning, content.icon);
    EXPECT_EQ(content.title, u"VornDemo Setup - Cancel");
    EXPECT_EQ(content.header, u"Quit VornDemo?");
    EXPECT_EQ(content.body,
              u"Setup of VornDemo is not complete. See <a href=\"https://vorn.example/help\">the "
              u"help</a>.");
    EXPECT_EQ(content.details, u"");
    EXPECT_EQ(content.footer, u"VornDemo footer") << "one argument fills every part";
    EXPECT_EQ(MessageIcon::Error, content.footerIcon);
    EXPECT_EQ(content.captions[kButtonNo], u"No");
    EXPECT_EQ(kButtonNo, DefaultButtonOf(content));
    EXPECT_EQ(FallbackText(content), u"Quit VornDemo?\n\nSetup of VornDemo is not complete. See "
                                     u"https://vorn.example/help.\n\nVornDemo footer")
        << "links show their target, labels are dropped";
}

TEST(MessageBoxDescription, OneMessageChildHoldsEveryPart) {
    MessageBoxContent content;
    ASSERT_EQ(
        0u, Read("<MessageBox Type=\"Information\"><Message FooterIcon=\"Warning\">"
                 "Head {0}\u00A4Body\u00A4\u00A4Foot\u00A4extra</Message><OK>OK</OK></MessageBox>",
                 &content));
    EXPECT_EQ(content.header, u"Head VornDemo");
    EXPECT_EQ(content.body, u"Body");
    EXPECT_EQ(content.details, u"");
    EXPECT_EQ(content.footer, u"Foot\u00A4extra") << "split at the first three separators only";
    EXPECT_EQ(MessageIcon::Warning, content.footerIcon);
    EXPECT_EQ(kButtonOK, DefaultButtonOf(content));
}

TEST(MessageBoxDescription, ButtonSetsAndDefaults) {
    const struct {
        const char* buttons;
        bool allowed;
        uint32_t defaultButton;
    } cases[] = {
        {"<Yes/><No/>", true, kButtonYes},
        {"<OK/>", true, kButtonOK},
        {"<Yes/><No/><Cancel/>", true, kButtonYes},
        {"<OK/><Cancel/>", true, kButtonOK},
        {"<OK/><Cancel DefaultButton=\"1\"/>", true, kButtonCancel},
        {"<Retry/><Cancel/>", true, kButtonRetry},
        {"<Abort/><Retry/><Ignore/>", true, kButtonAbort},
        {"<Yes/>", false, 0},
        {"<OK/><No/>", false, 0},
        {"", false, 0},
    };
    for (const auto& c : cases) {
        MessageBoxContent content;
        const Result result = Read(
            std::string("<MessageBox Type=\"Simple\">") + c.buttons + "</MessageBox>", &content);
        EXPECT_EQ(c.allowed ? 0u : 5u, result) << c.buttons;
        if (c.allowed) {
            EXPECT_EQ(c.defaultButton, DefaultButtonOf(content)) << c.buttons;
        }
    }
}

TEST(MessageBoxDescription, UnknownTypeFails) {
    MessageBoxContent content;
    EXPECT_EQ(5u, Read("<MessageBox Type=\"Question\"><OK/></MessageBox>", &content));
    EXPECT_EQ(5u, Read("<MessageBox><OK/></MessageBox>", &content)) << "a type is required";
}

TEST(MessageBoxDescription, CancellableSets) {
    bool present[kButtonCount] = {};
    present[kButtonYes] = present[kButtonNo] = true;
    EXPECT_FALSE(SetAllowsCancel(ButtonSetOf(present)));
    present[kButtonCancel] = true;
    EXPECT_TRUE(SetAllowsCancel(ButtonSetOf(present)));
}

} // namespace
} // namespace vorn
