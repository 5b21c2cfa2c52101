// Keyboard navigation in a described dialog window: Tab and Shift+Tab over
// the visible, enabled tab stops and round, the arrows within a group, an
// access key on a label and on a button, Return for the default button and
// Escape for the cancel command. Keys are given as the message pump gets them;
// the wizard's test drives real key presses.
#include "ControlTestSupport.h"
#include "VornLib/gui/KeyboardNavigation.h"

namespace vorn {
namespace {

const char* const kPage = R"(
  <Static ID="NameLabel" AccessKey="true" Title="&amp;Name:" Left="10" Top="10" Width="100"
          Height="20"/>
  <EditBox ID="Name" Left="10" Top="30" Width="200" Height="24"/>
  <CheckBox ID="One" Title="&amp;One" Left="10" Top="60" Width="120" Height="20"/>
  <Button ID="Off" Title="Off" Enabled="false" Left="10" Top="90" Width="80" Height="26"/>
  <Button ID="Hidden" Title="Hidden" Visible="false" Left="100" Top="90" Width="80" Height="26"/>
  <Button ID="LeftCmd" Title="Left" FirstOfGroup="true" Left="10" Top="120" Width="80" Height="26"/>
  <Button ID="MiddleCmd" Title="Middle" Left="100" Top="120" Width="80" Height="26"/>
  <Button ID="RightCmd" Title="&amp;Right" Left="190" Top="120" Width="80" Height="26"/>
  <Button ID="GoCmd" Type="DefaultButton" Title="Go" FirstOfGroup="true" Left="10" Top="160"
          Width="80" Height="26"/>)";

// Sends one key to the focused control (or `to`) as the pump would; whether it was used.
bool Press(HWND root, UINT message, WPARAM key, bool shift = false, HWND to = nullptr) {
    BYTE state[256] = {};
    GetKeyboardState(state);
    state[VK_SHIFT] = shift ? 0x80 : 0;
    state[VK_CONTROL] = 0;
    SetKeyboardState(state);
    MSG msg = {to ? to : GetFocus(), message, key, 0, 0, {}};
    const bool used = NavigateByKeyboard(root, KeyboardMode::Dialog, &msg);
    state[VK_SHIFT] = 0;
    SetKeyboardState(state);
    PumpMessages(20);
    return used;
}

std::string FocusName(Host& host) {
    for (const char* name : {"NameLabel", "Name", "One", "Off", "Hidden", "LeftCmd", "MiddleCmd",
                             "RightCmd", "GoCmd"}) {
        const std::u16string wide(name, name + strlen(name));
        if (host.handle(wide.c_str()) == GetFocus())
            return name;
    }
    return "another window";
}

TEST(KeyboardNavigation, TabVisitsTheStopsInOrderAndArrowsStayInTheGroup) {
    Host host(kPage);
    ASSERT_EQ(0u, host.created);
    const HWND root = host.window.handle();
    EXPECT_EQ(host.handle(u"GoCmd"), InitialFocus(root)) << "the default button first";
    SetFocus(host.handle(u"Name"));
    // Every push button is a stop of its own; the disabled and the hidden are not.
    const char16_t* const order[] = {u"One",      u"LeftCmd", u"MiddleCmd",
                                     u"RightCmd", u"GoCmd",   u"Name"};
    for (size_t step = 0; step < 6; ++step) {
        EXPECT_TRUE(Press(root, WM_KEYDOWN, VK_TAB));
        EXPECT_EQ(host.handle(order[step]), GetFocus())
            << "Tab " << step + 1 << " " << FocusName(host);
    }
    EXPECT_TRUE(Press(root, WM_KEYDOWN, VK_TAB, true));
    EXPECT_EQ(host.handle(u"GoCmd"), GetFocus()) << "Shift+Tab goes back round";

    SetFocus(host.handle(u"LeftCmd"));
    EXPECT_TRUE(Press(root, WM_KEYDOWN, VK_RIGHT));
    EXPECT_EQ(host.handle(u"MiddleCmd"), GetFocus());
    EXPECT_TRUE(Press(root, WM_KEYDOWN, VK_RIGHT));
    EXPECT_TRUE(Press(root, WM_KEYDOWN, VK_RIGHT));
    EXPECT_EQ(host.handle(u"LeftCmd"), GetFocus()) << "round within the group, not to Go";
    EXPECT_TRUE(Press(root, WM_KEYDOWN, VK_UP));
    EXPECT_EQ(host.handle(u"RightCmd"), GetFocus());
    SetFocus(host.handle(u"Name"));
    EXPECT_FALSE(Press(root, WM_KEYDOWN, VK_LEFT)) << "an edit box keeps its arrows";
}

TEST(KeyboardNavigation, AccessKeysReturnAndEscape) {
    Host host(kPage);
    ASSERT_EQ(0u, host.created);
    const HWND root = host.window.handle();
    SetFocus(host.handle(u"One"));
    EXPECT_TRUE(Press(root, WM_SYSCHAR, u'n'));
    EXPECT_EQ(host.handle(u"Name"), GetFocus()) << "a label's key moves to the control after it";
    EXPECT_FALSE(Press(root, WM_CHAR, u'o')) << "typed into the edit box, no access key";
    EXPECT_TRUE(Press(root, WM_SYSCHAR, u'O'));
    EXPECT_EQ(BST_CHECKED, SendMessageW(host.handle(u"One"), BM_GETCHECK, 0, 0));
    host.window.commands.clear();
    EXPECT_TRUE(Press(root, WM_KEYDOWN, VK_RETURN));
    EXPECT_TRUE(Press(root, WM_CHAR, u'r')) << "alone where no text is typed";
    EXPECT_TRUE(Press(root, WM_KEYDOWN, VK_ESCAPE));
    const std::vector<WPARAM> words = host.window.commandWords();
    ASSERT_EQ(3u, words.size());
    EXPECT_EQ(WindowNameId(u"GoCmd"), int(LOWORD(words[0])))
        << "Return on a check box presses the default button";
    EXPECT_EQ(WindowNameId(u"RightCmd"), int(LOWORD(words[1])));
    EXPECT_EQ(IDCANCEL, int(LOWORD(words[2])));
}

TEST(KeyboardNavigation, TheKeysFindAControlAfterTheFocusedOneIsDisabled) {
    Host host(kPage);
    ASSERT_EQ(0u, host.created);
    const HWND root = host.window.handle();
    SetFocus(host.handle(u"GoCmd"));
    EnableControl(host.handle(u"GoCmd"), false);
    EXPECT_EQ(host.handle(u"Name"), GetFocus()) << "passed on round to the next stop";
    EXPECT_FALSE(IsWindowEnabled(host.handle(u"GoCmd")));
    EnableControl(host.handle(u"GoCmd"), true);
    EXPECT_EQ(host.handle(u"Name"), GetFocus()) << "enabling takes nothing";

    // Disabled the plain way, a control leaves no focus, and keys come to the
    // window as system keys without Alt.
    SetFocus(host.handle(u"One"));
    EnableWindow(host.handle(u"One"), FALSE);
    ASSERT_EQ(nullptr, GetFocus());
    EXPECT_TRUE(Press(root, WM_SYSKEYDOWN, VK_TAB, false, root));
    EXPECT_EQ(host.handle(u"Name"), GetFocus()) << "Tab finds the first stop again";
    SetFocus(nullptr);
    EXPECT_FALSE(Press(root, WM_SYSKEYDOWN, VK_F4, false, root)) << "a key it has no use for";
}

} // namespace
} // namespace vorn
