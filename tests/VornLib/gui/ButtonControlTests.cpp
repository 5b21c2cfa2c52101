// Push buttons, check boxes and group boxes created from descriptions.
#include <atomic>
#include <thread>

#include "ControlTestSupport.h"
#include "VornLib/gui/ButtonControl.h"

namespace vorn {
namespace {

constexpr uint32_t kTypeBits = 0x0F;

TEST(ButtonControl, KindsAndTypesBecomeButtonStyles) {
    Host host(R"(<Button ID="Push" Left="10" Top="10" Width="120" Height="26" Title="Push"/>
                 <CheckBox ID="Check" Left="10" Top="40" Width="120" Height="20" Title="Check"/>
                 <CheckBox ID="Default" Type="DefaultButton" Left="10" Top="70" Width="120"
                           Height="26" Title="Default"/>
                 <Button ID="Toggle" Type="PushCheckButton" HorizontalAlign="Center" Left="10"
                         Top="100" Width="120" Height="26" Title="Toggle"/>
                 <GroupBox ID="Group" Left="150" Top="10" Width="200" Height="100" Title="Group"/>)");
    ASSERT_EQ(0u, host.read);
    ASSERT_EQ(0u, host.created);
    for (const char16_t* name : {u"Push", u"Check", u"Default", u"Toggle", u"Group"})
        EXPECT_EQ(ClassName(host.handle(name)), u"Button");
    const uint32_t push = StyleOf(host.handle(u"Push"));
    EXPECT_EQ(uint32_t(BS_PUSHBUTTON), push & kTypeBits);
    EXPECT_TRUE(push & WS_TABSTOP);
    const uint32_t check = StyleOf(host.handle(u"Check"));
    EXPECT_EQ(uint32_t(BS_AUTOCHECKBOX), check & kTypeBits);
    EXPECT_TRUE(check & WS_GROUP);
    // A check box whose "Type" makes it a default push button.
    const uint32_t turned = StyleOf(host.handle(u"Default"));
    EXPECT_EQ(uint32_t(BS_DEFPUSHBUTTON), turned & kTypeBits);
    EXPECT_TRUE(turned & WS_GROUP);
    const uint32_t toggle = StyleOf(host.handle(u"Toggle"));
    EXPECT_EQ(uint32_t(BS_AUTOCHECKBOX), toggle & kTypeBits);
    EXPECT_TRUE(toggle & BS_PUSHLIKE);
    EXPECT_EQ(uint32_t(BS_CENTER), toggle & BS_CENTER);
    EXPECT_EQ(uint32_t(BS_GROUPBOX), StyleOf(host.handle(u"Group")) & kTypeBits);

    ButtonControl* check_ = host.control<ButtonControl>(u"Check");
    EXPECT_FALSE(check_->isChecked());
    SendMessageW(host.handle(u"Check"), BM_CLICK, 0, 0);
    EXPECT_TRUE(check_->isChecked());
}

TEST(ButtonControl, AClickReachesTheParentAsItsCommand) {
    Host host(R"(<Button ID="InstallCmd" Left="10" Top="10" Width="120" Height="26"
                         Title="Install"/>)");
    ASSERT_EQ(0u, host.created);
    HWND button = host.handle(u"InstallCmd");
    EXPECT_EQ(WindowNameId(u"InstallCmd"), GetDlgCtrlID(button));
    host.window.commands.clear();
    SendMessageW(button, BM_CLICK, 0, 0);
    PumpMessages(50);
    ASSERT_EQ(1u, host.window.commands.size());
    EXPECT_EQ(MAKEWPARAM(WindowNameId(u"InstallCmd"), 0), host.window.commands[0].w);
    EXPECT_EQ(LPARAM(button), host.window.commands[0].l);
}

TEST(ButtonControl, AMenuChildMakesASplitButton) {
    Host host(R"(<Button ID="Options" Left="10" Top="10" Width="140" Height="26" Title="Options">
                   <Menu ID="OptionsMenu"><Group><Command ID="QuitCmd">Quit</Command></Group></Menu>
                 </Button>
                 <Button ID="Plain" Left="10" Top="40" Width="140" Height="26" Title="Plain"/>)");
    ASSERT_EQ(0u, host.read);
    ASSERT_EQ(0u, host.created);
    EXPECT_EQ(uint32_t(BS_SPLITBUTTON), StyleOf(host.handle(u"Options")) & kTypeBits);
    ButtonControl* split = host.control<ButtonControl>(u"Options");
    EXPECT_TRUE(split->isSplitButton());
    EXPECT_EQ(String(u"OptionsMenu"), split->menuName());
    ASSERT_NE(nullptr, split->menu());
    EXPECT_NE(nullptr, split->menu()->find(WindowNameId(u"QuitCmd"))) << "the menu was read";
    EXPECT_FALSE(host.control<ButtonControl>(u"Plain")->isSplitButton());
}

// The arrow's notification reaches the split button itself, which opens its
// menu below it; the chosen command goes to the parent like a click.
TEST(ButtonControl, TheSplitArrowOpensTheMenuAndSendsTheChoice) {
    Host host(R"(<Button ID="Options" Left="10" Top="10" Width="140" Height="26" Title="Options">
                   <Menu ID="OptionsMenu"><Group><Command ID="QuitCmd">Quit</Command></Group></Menu>
                 </Button>)");
    ASSERT_EQ(0u, host.created);
    HWND button = host.handle(u"Options");
    HWND window = host.window.handle();
    SetForegroundWindow(window);
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 10, GetSystemMetrics(SM_CYSCREEN) - 10);
    std::atomic<bool> menuShown{false};
    std::thread driver([&] {
        for (int attempt = 0; attempt < 40 && !menuShown; ++attempt) {
            HWND menu = FindWindowW(L"#32768", nullptr);
            menuShown = menu && IsWindowVisible(menu);
            Sleep(50);
        }
        if (!menuShown) {
            PostMessageW(window, WM_CANCELMODE, 0, 0);
            return;
        }
        PressKeys({VK_DOWN});
        PressKeys({VK_RETURN});
    });
    host.window.commands.clear();
    NMBCDROPDOWN arrow = {};
    arrow.hdr = {button, UINT_PTR(GetDlgCtrlID(button)), UINT(BCN_DROPDOWN)};
    GetClientRect(button, &arrow.rcButton);
    SendMessageW(window, WM_NOTIFY, WPARAM(arrow.hdr.idFrom), LPARAM(&arrow));
    driver.join();
    PumpMessages(100);
    EXPECT_TRUE(menuShown);
    ASSERT_EQ(1u, host.window.commands.size());
    EXPECT_EQ(MAKEWPARAM(WindowNameId(u"QuitCmd"), 0), host.window.commands[0].w);
}

TEST(ButtonControl, FailuresOfTheButtonWords) {
    EXPECT_EQ(5u, ReadAlone<ButtonControl>(R"(<Button Type="Toggle"/>)"));
    EXPECT_EQ(5u, ReadAlone<CheckBoxControl>(R"(<CheckBox Type="MainWindow"/>)"));
    EXPECT_EQ(5u, ReadAlone<ButtonControl>(R"(<Button HorizontalAlign="Middle"/>)"));
    EXPECT_EQ(39u, ReadAlone<ButtonControl>(R"(<Button><Static/></Button>)"));
    EXPECT_EQ(39u, ReadAlone<ButtonControl>(R"(<Button><Menu ID="A"/><Menu ID="B"/></Button>)"));
    EXPECT_EQ(29u, ReadAlone<ButtonControl>(R"(<Button Picture="Data/Pictures/None.png"/>)"));
}

TEST(ButtonControl, APictureIsDrawnOnTheButton) {
    Host host(R"(<Button ID="Pictured" Picture="Data/Pictures/Badge.png" Left="10" Top="10"
                         Width="140" Height="40" Title="Pictured"/>)");
    ASSERT_EQ(0u, host.created);
    EXPECT_NE(0, SendMessageW(host.handle(u"Pictured"), BM_GETIMAGE, IMAGE_BITMAP, 0));
}

} // namespace
} // namespace vorn
