#include <map>
#include <string>

#include <gtest/gtest.h>

#include "TestText.h"
#include "VornLib/core/LocalizedStrings.h"
#include "VornLib/core/XmlDocument.h"

namespace vorn {
namespace {

const char kTable[] = R"(<Strings Language="en">
  <String ID="Cancel">Cancel</String>
  <String ID="">Empty key</String>
  <String ID="Rich">Read the <b>licence</b> first</String>
  <String ID="Number">0</String>
</Strings>)";

// Entries of one parsed table by ID; counts hand-outs and releases.
class TableSource : public LocalizedElementSource {
public:
    TableSource() {
        EXPECT_EQ(0u, table.parse(kTable, sizeof kTable - 1, u"table"));
        for (XmlNode* entry = table.root()->firstChild(); entry; entry = entry->nextSibling()) {
            String id;
            (void)entry->getAttribute(u"ID", &id, u"");
            entries[id.data()] = entry;
        }
        entries[u"Number"]->setInt32(0); // a value that is not text
    }
    Result getLocalizedElement(const char16_t* kind, const char16_t* id,
                               const XmlNode** element) override {
        *element = nullptr;
        if (std::u16string(kind) != u"String")
            return kResultNotFound;
        auto found = entries.find(id);
        if (found == entries.end())
            return kResultNotFound;
        ++handedOut;
        *element = found->second;
        return kResultOk;
    }
    Result release(const void*) override {
        ++released;
        return kResultOk;
    }

    XmlDocument table;
    std::map<std::u16string, XmlNode*> entries;
    int handedOut = 0;
    int released = 0;
};

TEST(LocalizedText, ResolutionRules) {
    TableSource source;
    const struct {
        const char16_t* text;
        uint32_t result;
        const char16_t* expected;
    } cases[] = {
        {u"Cancel", 0, u"Cancel"},
        {u"#Cancel", 0, u"Cancel"},
        {u"##5", 0, u"#5"},
        {u"#", 0, u"Empty key"},
        {u"#Missing", 36, u"<Localized Text: Missing>"},
        {u"#Rich", 0, u"Read the <b>licence</b> first"},
        {u"#Number", 7, u""},
        {u"", 0, u""},
    };
    for (const auto& c : cases) {
        String out(u"stale");
        EXPECT_EQ(c.result, ResolveLocalizedText(source, c.text, &out)) << ToPrintable(c.text);
        EXPECT_EQ(out, c.expected) << ToPrintable(c.text);
    }
    EXPECT_EQ(source.handedOut, source.released) << "every element handed back";

    String out(u"stale");
    EXPECT_EQ(36u, ResolveLocalizedText(source, nullptr, &out));
    EXPECT_TRUE(out.isEmpty());
    EXPECT_EQ(23u, ResolveLocalizedText(source, u"#Cancel", nullptr));
}

TEST(LocalizedText, EmptyKeyWithoutEntryShowsThePlaceholder) {
    TableSource source;
    source.entries.erase(u"");
    String out;
    EXPECT_EQ(36u, ResolveLocalizedText(source, u"#", &out));
    EXPECT_EQ(out, u"<Localized Text: >");
}

} // namespace
} // namespace vorn
