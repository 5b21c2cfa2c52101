// Edit boxes created from descriptions, typed into with real keys.
#include "ControlTestSupport.h"
#include "VornLib/gui/EditBoxControl.h"
#include "VornLib/gui/RichEditControl.h"

namespace vorn {
namespace {

// Presses and releases a key, and lets the windows hear of it.
void PressKey(WORD key) {
    PressKeys({key});
    PumpMessages(150);
}

// Gives the box the keyboard focus inside its foreground window.
void Focus(Host& host, HWND box) {
    SetForegroundWindow(host.window.handle());
    SetActiveWindow(host.window.handle());
    SetFocus(box);
    PumpMessages(100);
}

TEST(EditBoxControl, AttributesBecomeEditStyles) {
    Host host(R"(<EditBox ID="Plain" Left="10" Top="10" Width="200">text</EditBox>
                 <EditBox ID="Locked" Left="10" Top="40" Width="200" ReadOnly="true"/>
                 <EditBox ID="Upper" Left="10" Top="70" Width="200" Case="Upper"/>
                 <EditBox ID="Lower" Left="10" Top="100" Width="200" Case="Lower"/>
                 <EditBox ID="Secret" Left="10" Top="130" Width="200" Password="true"/>
                 <EditBox ID="Lines" Left="10" Top="160" Width="200" Height="60"
                          MultiLine="true" WantReturn="true"/>)");
    ASSERT_EQ(0u, host.read);
    ASSERT_EQ(0u, host.created);
    HWND plain = host.handle(u"Plain");
    EXPECT_EQ(ClassName(plain), u"Edit");
    EXPECT_EQ(L"text", TextOf(plain));
    EXPECT_EQ(0u, StyleOf(plain) & (ES_READONLY | ES_MULTILINE | ES_PASSWORD));
    // Fourteen dialog units unless the description gives a height.
    EXPECT_EQ(VerticalUnits(*host.control(u"Plain"), 14), SizeOf(plain).cy);
    EXPECT_TRUE(StyleOf(host.handle(u"Locked")) & ES_READONLY);
    EXPECT_TRUE(StyleOf(host.handle(u"Upper")) & ES_UPPERCASE);
    EXPECT_TRUE(StyleOf(host.handle(u"Lower")) & ES_LOWERCASE);
    EXPECT_TRUE(StyleOf(host.handle(u"Secret")) & ES_PASSWORD);
    EXPECT_EQ(uint32_t(ES_MULTILINE | ES_WANTRETURN),
              StyleOf(host.handle(u"Lines")) & (ES_MULTILINE | ES_WANTRETURN));
    EXPECT_EQ(60, SizeOf(host.handle(u"Lines")).cy);

    EXPECT_EQ(5u, ReadAlone<EditBoxControl>(R"(<EditBox Case="Title"/>)"));
}

TEST(EditBoxControl, ReadOnlyClearsWantReturn) {
    Description description(R"(<EditBox MultiLine="true" ReadOnly="true"/>)");
    EditBoxControl box;
    box.setStyle(box.style() | ES_WANTRETURN);
    ASSERT_EQ(0u, box.readDescription(description.root()));
    EXPECT_TRUE(box.style() & ES_READONLY);
    EXPECT_FALSE(box.style() & ES_WANTRETURN);
}

TEST(EditBoxControl, AMultiLineBoxDoesNotAskToSelectAllOnFocus) {
    Host host(R"(<EditBox ID="Single" Left="10" Top="10" Width="200"/>
                 <EditBox ID="Lines" Left="10" Top="40" Width="200" Height="60"
                          MultiLine="true"/>)");
    ASSERT_EQ(0u, host.created);
    EXPECT_TRUE(SendMessageW(host.handle(u"Single"), WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL);
    const LRESULT lines = SendMessageW(host.handle(u"Lines"), WM_GETDLGCODE, 0, 0);
    EXPECT_FALSE(lines & DLGC_HASSETSEL);
    EXPECT_TRUE(lines & DLGC_WANTCHARS);
}

TEST(EditBoxControl, ReturnPostsTheCommandAndGoesNoFurther) {
    Host host(R"(<EditBox ID="Search" Left="10" Top="10" Width="200" Height="60" MultiLine="true"
                          WantReturn="true" OnReturn="SearchCmd">abc</EditBox>
                 <EditBox ID="Notes" Left="10" Top="80" Width="200" Height="60" MultiLine="true"
                          WantReturn="true">abc</EditBox>)");
    ASSERT_EQ(0u, host.created);
    HWND search = host.handle(u"Search");
    EXPECT_EQ(WindowNameId(u"SearchCmd"), host.control<EditBoxControl>(u"Search")->returnCommand());
    Focus(host, search);
    ASSERT_EQ(search, GetFocus());
    host.window.commands.clear();
    PressKey(VK_RETURN);
    ASSERT_EQ(1u, host.window.commands.size());
    EXPECT_EQ(MAKEWPARAM(WindowNameId(u"SearchCmd"), 0), host.window.commands[0].w);
    EXPECT_EQ(LPARAM(search), host.window.commands[0].l);
    EXPECT_EQ(L"abc", TextOf(search)); // no new line

    // Without "OnReturn" the key is the platform's: a new line.
    HWND notes = host.handle(u"Notes");
    Focus(host, notes);
    ASSERT_EQ(notes, GetFocus());
    host.window.commands.clear();
    SendMessageW(notes, EM_SETSEL, 3, 3);
    PressKey(VK_RETURN);
    EXPECT_TRUE(host.window.commands.empty());
    EXPECT_EQ(L"abc\r\n", TextOf(notes));
}

// The edit box and the rich edit share their keyboard answer to the dialog:
// Return is theirs while it runs their command, and a multi-line control
// keeps its caret when focused.
TEST(EditBoxControl, BothEditKindsAskForTheReturnThatRunsTheirCommand) {
    Host host(R"(<EditBox ID="Box" Left="10" Top="10" Width="200" OnReturn="SearchCmd"/>
                 <RichEdit ID="Rich" Left="10" Top="40" Width="200" Height="60"
                           OnReturn="SearchCmd"/>
                 <EditBox ID="Lines" Left="10" Top="110" Width="200" Height="60"
                          MultiLine="true"/>)");
    ASSERT_EQ(0u, host.created);
    MSG returnKey = {};
    returnKey.message = WM_KEYDOWN;
    returnKey.wParam = VK_RETURN;
    MSG otherKey = returnKey;
    otherKey.wParam = 'A';
    const struct {
        const char16_t* name;
        const MSG* pending;
        bool wantsAllKeys;
    } keys[] = {
        {u"Box", &returnKey, true},
        {u"Box", &otherKey, false},
        {u"Rich", &returnKey, true},
    };
    for (const auto& row : keys) {
        const LRESULT code = SendMessageW(host.handle(row.name), WM_GETDLGCODE, row.pending->wParam,
                                          LPARAM(row.pending));
        EXPECT_EQ(row.wantsAllKeys, (code & DLGC_WANTALLKEYS) != 0) << Wide(row.name);
    }
    const struct {
        const char16_t* name;
        bool selectsAll;
    } focus[] = {{u"Box", true}, {u"Rich", false}, {u"Lines", false}};
    for (const auto& row : focus) {
        const LRESULT code = SendMessageW(host.handle(row.name), WM_GETDLGCODE, 0, 0);
        EXPECT_EQ(row.selectsAll, (code & DLGC_HASSETSEL) != 0) << Wide(row.name);
    }
}

} // namespace
} // namespace vorn
