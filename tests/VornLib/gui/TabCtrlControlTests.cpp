// Tab controls and their pages created from descriptions.
#include "ControlTestSupport.h"
#include "VornLib/gui/TabCtrlControl.h"

namespace vorn {
namespace {

std::wstring TabText(HWND tabs, int index) {
    wchar_t text[64] = {};
    TCITEMW item = {};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = 64;
    SendMessageW(tabs, TCM_GETITEMW, index, LPARAM(&item));
    return text;
}

int TabPicture(HWND tabs, int index) {
    TCITEMW item = {};
    item.mask = TCIF_IMAGE;
    SendMessageW(tabs, TCM_GETITEMW, index, LPARAM(&item));
    return item.iImage;
}

bool IsShown(Window* page) {
    return IsWindowVisible(page->handle()) && IsWindowEnabled(page->handle());
}
bool IsHidden(Window* page) {
    return !IsWindowVisible(page->handle()) && !IsWindowEnabled(page->handle());
}

RECT ParentRect(HWND window) {
    RECT rectangle = {};
    GetWindowRect(window, &rectangle);
    MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&rectangle), 2);
    return rectangle;
}

const char kTabs[] = R"(
    <TabCtrl ID="Tabs" Left="10" Top="10" Width="400" Height="250"
             Pictures="Data/Pictures/Tabs.png" PictureItemWidth="16">
      <Window ID="Welcome" Title="Welcome" PictureIndex="0" BackgroundColor="#FFFFFF">
        <Static ID="Hello" Left="10" Top="10" Width="200">Welcome page</Static>
      </Window>
      <Window ID="Licence" Title="Licence" PictureIndex="1" BackgroundColor="#FFFFFF">
        <EditBox ID="LicenceText" Left="10" Top="10" Width="200"/>
      </Window>
      <Window ID="Options" Title="Options" BackgroundColor="#FFFFFF"/>
    </TabCtrl>)";

TEST(TabCtrlControl, DescribedWindowsBecomePagesAndTheFirstIsShown) {
    Host host(kTabs);
    ASSERT_EQ(0u, host.read);
    ASSERT_EQ(0u, host.created);
    HWND tabs = host.handle(u"Tabs");
    EXPECT_EQ(ClassName(tabs), u"SysTabControl32");
    TabCtrlControl* control = host.control<TabCtrlControl>(u"Tabs");
    ASSERT_EQ(3u, control->pageCount());
    EXPECT_EQ(3, SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0));
    EXPECT_EQ(L"Welcome", TabText(tabs, 0));
    EXPECT_EQ(L"Licence", TabText(tabs, 1));
    EXPECT_EQ(L"Options", TabText(tabs, 2));
    EXPECT_NE(0, SendMessageW(tabs, TCM_GETIMAGELIST, 0, 0));
    EXPECT_EQ(0, TabPicture(tabs, 0));
    EXPECT_EQ(1, TabPicture(tabs, 1));
    EXPECT_EQ(-1, TabPicture(tabs, 2));

    EXPECT_EQ(0, control->selectedIndex());
    EXPECT_EQ(0, SendMessageW(tabs, TCM_GETCURSEL, 0, 0));
    EXPECT_TRUE(IsShown(control->page(0)));
    EXPECT_TRUE(IsHidden(control->page(1)));
    EXPECT_TRUE(IsHidden(control->page(2)));
    // The display area, two pixels wider to the left.
    RECT area = {};
    GetClientRect(tabs, &area);
    SendMessageW(tabs, TCM_ADJUSTRECT, FALSE, LPARAM(&area));
    const RECT placed = ParentRect(control->page(0)->handle());
    EXPECT_EQ(area.left - 2, placed.left);
    EXPECT_EQ(area.top, placed.top);
    EXPECT_EQ(area.right, placed.right);
    EXPECT_EQ(area.bottom, placed.bottom);
}

TEST(TabCtrlControl, ARemovedPageLeavesItsTabAndTheFirstPageIsShown) {
    Host host(kTabs);
    ASSERT_EQ(0u, host.created);
    HWND tabs = host.handle(u"Tabs");
    TabCtrlControl* control = host.control<TabCtrlControl>(u"Tabs");
    Window* licence = control->page(1);
    ASSERT_EQ(0u, control->selectPage(1));
    ASSERT_EQ(0u, control->removePage(licence));
    ASSERT_EQ(2u, control->pageCount());
    EXPECT_EQ(2, SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0));
    EXPECT_EQ(L"Options", TabText(tabs, 1));
    EXPECT_EQ(0, control->selectedIndex());
    EXPECT_TRUE(IsShown(control->page(0)));
    EXPECT_TRUE(IsHidden(licence));
    EXPECT_EQ(37u, control->removePage(licence));
}

TEST(TabCtrlControl, SelectingAPageSwitchesPages) {
    Host host(kTabs);
    ASSERT_EQ(0u, host.created);
    HWND tabs = host.handle(u"Tabs");
    TabCtrlControl* control = host.control<TabCtrlControl>(u"Tabs");
    SetForegroundWindow(host.window.handle());
    ASSERT_EQ(0u, control->selectPage(1, true));
    EXPECT_EQ(1, SendMessageW(tabs, TCM_GETCURSEL, 0, 0));
    EXPECT_TRUE(IsShown(control->page(1)));
    EXPECT_TRUE(IsHidden(control->page(0)));
    EXPECT_EQ(control->page(1)->handle(), GetFocus());
    EXPECT_EQ(ParentRect(control->page(0)->handle()).left,
              ParentRect(control->page(1)->handle()).left);
    EXPECT_EQ(37u, control->selectPage(3));

    // The user's choice of a tab reaches the control as the platform's notification.
    SendMessageW(tabs, TCM_SETCURFOCUS, 2, 0);
    PumpMessages(50);
    EXPECT_EQ(2, control->selectedIndex());
    EXPECT_TRUE(IsShown(control->page(2)));
    EXPECT_TRUE(IsHidden(control->page(1)));
}

TEST(TabCtrlControl, AddingAPageCreatesItsWindowHidden) {
    Host host(kTabs);
    ASSERT_EQ(0u, host.created);
    TabCtrlControl* control = host.control<TabCtrlControl>(u"Tabs");
    Window* page = new Window;
    page->setTitle(u"Extra");
    ASSERT_EQ(0u, control->addPage(std::unique_ptr<Window>(page), 2));
    ASSERT_NE(nullptr, page->handle());
    EXPECT_EQ(control->handle(), GetParent(page->handle()));
    EXPECT_TRUE(IsHidden(page));
    EXPECT_EQ(L"Extra", TabText(control->handle(), 3));
    EXPECT_EQ(2, TabPicture(control->handle(), 3));
    EXPECT_EQ(14u, control->addPage(page));
    EXPECT_EQ(15u, control->addPage(nullptr));
    ASSERT_EQ(0u, control->selectPage(3));
    EXPECT_TRUE(IsShown(page));
}

TEST(TabCtrlControl, AMissingPictureStripFails) {
    EXPECT_EQ(29u, ReadAlone<TabCtrlControl>(R"(<TabCtrl Pictures="Data/Pictures/None.png"/>)"));
    // Before its window exists a tab control takes no pages.
    TabCtrlControl alone;
    Window page;
    EXPECT_EQ(4u, alone.addPage(&page));
}

} // namespace
} // namespace vorn
