#include <set>

#include <gtest/gtest.h>

#include "VornLib/core/Format.h"
#include "VornLib/gui/WindowName.h"
#include "VornLib/gui/WindowRecord.h"

namespace vorn {
namespace {

// Expected identifiers computed apart from this code (a reference
// CRC-16/CCITT-FALSE over the UTF-16LE bytes).
TEST(WindowName, IdentifiersMatchKnownCrcValues) {
    struct Case {
        const char16_t* name;
        uint16_t id;
    };
    const Case cases[] = {
        {u"", 0xFFFF},      {u"1", 0x2BAB},      {u"A", 0x23F2},      {u"123456789", 0x4D64},
        {u"Title", 0xDF33}, {u"\u00C4", 0xC79F}, {u"\u20AC", 0x617E}, // high byte of the code unit
                                                                      // counts too
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.id, WindowNameId(c.name)) << "name " << String(c.name).length() << " units";
        EXPECT_EQ(c.id, WindowNameId(String(c.name)));
    }
    EXPECT_EQ(kNoWindowName, WindowNameId(static_cast<const char16_t*>(nullptr)));
}

TEST(WindowName, FixedNamesAreTheIdentifiersOfTheirTexts) {
    EXPECT_EQ(0x561D, FixedNames().parent);
    EXPECT_EQ(0x995A, FixedNames().self);
    EXPECT_EQ(0xEF84, FixedNames().ok);
    EXPECT_EQ(0x51F5, FixedNames().cancel);
}

// An automatic name is the identifier of the decimal text of a process-wide
// counter; its value depends on how many windows came before, so the test
// finds the counter from the first name.
TEST(WindowName, AutomaticNamesCountUpAndDoNotMatchEachOther) {
    constexpr uint32_t kWindows = 64;
    WindowRecord windows[kWindows];
    const uint16_t next = NextAutomaticWindowName();

    uint32_t counter = 0;
    for (uint32_t number = 1; number < 100000 && !counter; ++number) {
        if (WindowNameId(Format(u"{0}", {number})) == windows[0].name())
            counter = number;
    }
    ASSERT_NE(0u, counter) << "the first name is no decimal counter text";
    std::set<uint16_t> names;
    for (uint32_t index = 0; index < kWindows; ++index) {
        EXPECT_EQ(WindowNameId(Format(u"{0}", {counter + index})), windows[index].name());
        EXPECT_NE(kNoWindowName, windows[index].name());
        names.insert(windows[index].name());
    }
    EXPECT_EQ(kWindows, names.size());
    EXPECT_EQ(WindowNameId(Format(u"{0}", {counter + kWindows})), next);
}

} // namespace
} // namespace vorn
