// Shortcut-key texts and tables: the modifiers in any order, then exactly one
// known key name; one bad entry fails the whole table.
#include <gtest/gtest.h>

#include <cstring>

#include "TestText.h"
#include "VornLib/core/XmlDocument.h"
#include "VornLib/gui/ShortcutKeys.h"

namespace vorn {
namespace {

struct KeysCase {
    const char16_t* text;
    Result result;
    uint8_t modifiers;
    uint16_t virtualKey;
};

TEST(ShortcutKeys, Grammar) {
    const KeysCase cases[] = {
        {u"Ctrl+Shift+F10", kResultOk, kShortcutControl | kShortcutShift, 0x79},
        {u"Shift+Ctrl+S", kResultOk, kShortcutControl | kShortcutShift, 'S'},
        {u"Alt+F4", kResultOk, kShortcutAlt, 0x73},
        {u"F1", kResultOk, 0, 0x70},
        {u"F19", kResultOk, 0, 0x82},
        {u"Ctrl+Alt+Shift+PAUSE", kResultOk, 7, 0x13},
        {u"ESCAPE", kResultOk, 0, 0x1B},
        {u"Ctrl+RETURN", kResultOk, kShortcutControl, 0x0D},
        {u"SPACE", kResultOk, 0, 0x20},
        {u"Shift+TAB", kResultOk, kShortcutShift, 0x09},
        {u"Ctrl+O", kResultOk, kShortcutControl, 'O'},
        {u"Ctrl+R", kResultOk, kShortcutControl, 'R'},
        {u"Ctrl+V", kResultOk, kShortcutControl, 'V'},
        {u"Ctrl+C", kResultOk, kShortcutControl, 'C'},
        {u"ctrl+S", kResultMalformed, 0, 0},
        {u"Ctrl+A", kResultMalformed, 0, 0},
        {u"Ctrl+s", kResultMalformed, 0, 0},
        {u"F20", kResultMalformed, 0, 0},
        {u"F0", kResultMalformed, 0, 0},
        {u"F01", kResultMalformed, 0, 0},
        {u"Ctrl+", kResultMalformed, 0, 0},
        {u"", kResultMalformed, 0, 0},
        {u"Ctrl+S+Shift", kResultMalformed, 0, 0},
        {u"Ctrl + S", kResultMalformed, 0, 0},
        {u"Escape", kResultMalformed, 0, 0},
        {u"1", kResultMalformed, 0, 0},
    };
    for (const KeysCase& entry : cases) {
        ShortcutKey key;
        key.modifiers = 99;
        EXPECT_EQ(entry.result, ParseShortcutKeys(entry.text, &key)) << ToPrintable(entry.text);
        EXPECT_EQ(entry.modifiers, key.modifiers) << ToPrintable(entry.text);
        EXPECT_EQ(entry.virtualKey, key.virtualKey) << ToPrintable(entry.text);
    }
    ShortcutKey key;
    EXPECT_EQ(kResultMalformed, ParseShortcutKeys(nullptr, &key));
}

Result ReadTable(const char* xml, std::vector<ShortcutKey>* keys) {
    XmlDocument document;
    EXPECT_EQ(kResultOk, document.parse(xml, uint32_t(std::strlen(xml)), u"keys"));
    return ReadShortcutKeys(*document.root(), keys);
}

TEST(ShortcutKeys, TableCarriesCommandIdentifiers) {
    std::vector<ShortcutKey> keys;
    ASSERT_EQ(kResultOk, ReadTable("<ShortcutKeys ID='Main'>"
                                   "<Command ID='QuitCmd' Keys='Ctrl+Shift+F10'/>"
                                   "<!-- a note --><Command ID='SaveCmd' Keys='Ctrl+S'/>"
                                   "</ShortcutKeys>",
                                   &keys));
    ASSERT_EQ(2u, keys.size());
    EXPECT_EQ(CommandId(u"QuitCmd"), keys[0].command);
    EXPECT_EQ(0x79, keys[0].virtualKey);
    EXPECT_EQ(CommandId(u"SaveCmd"), keys[1].command);
    EXPECT_EQ(kShortcutControl, keys[1].modifiers);
}

TEST(ShortcutKeys, OneBadEntryFailsTheWholeTable) {
    const char* tables[] = {
        "<ShortcutKeys><Command ID='A' Keys='Ctrl+S'/><Command ID='B' "
        "Keys='Ctrl+A'/></ShortcutKeys>",
        "<ShortcutKeys><Command ID='A' Keys='Ctrl+S'/><Command Keys='Ctrl+O'/></ShortcutKeys>",
        "<ShortcutKeys><Command ID='A' Keys='Ctrl+S'/><Command ID='B'/></ShortcutKeys>",
        "<ShortcutKeys><Command ID='A' Keys='Ctrl+S'/><Key ID='B' Keys='Ctrl+O'/></ShortcutKeys>",
    };
    for (const char* table : tables) {
        std::vector<ShortcutKey> keys(3);
        EXPECT_EQ(kResultMalformed, ReadTable(table, &keys)) << table;
        EXPECT_TRUE(keys.empty()) << "no table is made";
    }
}

TEST(Commands, IdentifierRule) {
    const uint16_t quit = CommandId(u"QuitCmd");
    EXPECT_TRUE(IsCommand(quit, quit)) << "a menu item";
    EXPECT_TRUE(IsCommand(0x10000 | quit, quit)) << "an accelerator";
    EXPECT_FALSE(IsCommand(0x20000 | quit, quit)) << "a control notification";
    EXPECT_FALSE(IsCommand(uint16_t(quit + 1), quit));
}

} // namespace
} // namespace vorn
