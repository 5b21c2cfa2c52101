// Toolbars, status bars, control bars and the small kinds (links, hints,
// separators, containers) made from descriptions on a real window, and a
// gallery of every kind of this file and the lists' and rich edits' for a
// person to look at.
#include <richedit.h>

#include "ControlTestSupport.h"
#include "VornLib/gui/ControlBarControl.h"
#include "VornLib/gui/HintControl.h"
#include "VornLib/gui/StatusBarControl.h"
#include "VornLib/gui/ToolBarControl.h"
#include "VornLib/gui/UrlControl.h"
#include "WindowDriver.h"

namespace vorn {
namespace {

class BarControlTest : public ControlTest {};

constexpr const char* kGallery = R"(<Window Type="MainWindow" Title="Control gallery"
    BackgroundColor="DialogBoxBackground" Left="20" Top="20" Width="900" Height="640">
  <ControlBar ID="Bands" Transparent="true" Left="0" Top="0" Width="880" Height="34">
    <ToolBar ID="Tools" Pictures="Data/Pictures/ToolBarPictures.png" Menu="ToolsMenu"
             Left="0" Top="0" Width="600" Height="26">
      <Button ID="NewCmd" PictureIndex="0" Text="New" Tooltip="Make a new file" Help="Starts afresh"/>
      <Button ID="BoldCmd" PictureIndex="1" Type="CheckButton" Tooltip="Bold"/>
      <Separator/>
      <Button ID="OpenCmd" PictureIndex="2" Text="Open" Type="Menu"><Menu ID="RecentMenu"/></Button>
      <Button ID="PrintCmd" Text="Print" Enabled="false"/>
      <Button ID="LeftCmd" Type="RadioButton" Text="Left"/>
      <Button ID="RightCmd" Type="RadioButton" Text="Right"/>
    </ToolBar>
  </ControlBar>
  <ToolBar ID="MenuBar" Type="Menu" Left="0" Top="40" Width="400" Height="24">
    <Button ID="FileMenuCmd" Text="File"/><Button ID="HelpMenuCmd" Text="Help"/>
  </ToolBar>
  <List ID="Files" Pictures="Data/Pictures/ListPictures.png" AlternateBackgroundColor="#EAF2FF"
        Header="Sort" Left="10" Top="74" Width="430" Height="220">
    <Columns><Column Name="Name" Width="200"/><Column Name="Size" Width="90" Align="Right"/>
             <Column Name="Kind" Width="Auto"/></Columns>
    <Items>
      <Item PictureIndex="0">Readme.txt<SubItem>12 KB</SubItem><SubItem>Text</SubItem></Item>
      <Item PictureIndex="1">Setup.exe<SubItem>3 MB</SubItem><SubItem>Program</SubItem></Item>
      <Item PictureIndex="2">Licence.rtf<SubItem>40 KB</SubItem><SubItem>Document</SubItem></Item>
      <Item PictureIndex="3">Data.pak<SubItem>210 MB</SubItem><SubItem>Archive</SubItem></Item>
    </Items>
  </List>
  <List ID="Icons" Style="Icon" Pictures="Data/Pictures/ListPictures.png"
        Left="450" Top="74" Width="430" Height="220">
    <Items><Item PictureIndex="0">Blue</Item><Item PictureIndex="1">Red</Item>
           <Item PictureIndex="2">Green</Item></Items>
  </List>
  <RichEdit ID="Licence" TextMode="HTML" ReadOnly="true" Border="ClientEdge"
            Left="10" Top="304" Width="430" Height="170"><p align="center"><b>Licence terms</b></p><p>Read <a href="cmd:ShowLicenceCmd">the whole licence</a> or write to <a href="mailto:help@example.com">help@example.com</a>.</p><ul><li>Install on any computer you use.</li><li>Do not sell copies.</li></ul></RichEdit>
  <HintCtrl ID="Hint" Left="450" Top="304" Width="430" Height="60">Hint: the installer keeps your settings when it updates the program.</HintCtrl>
  <Separator ID="Line" Left="450" Top="376" Width="430"/>
  <URL ID="Site" Title="Visit example.com" Target="https://example.com/" Left="450" Top="390" Width="200"/>
  <URL ID="Mail" Title="support@example.com" Left="450" Top="414" Width="200"/>
  <URL ID="More" Title="Show more options" Target="MoreOptionsCmd" Left="450" Top="438" Width="200"/>
  <PropertySheet ID="Sheet" Left="660" Top="390" Width="220" Height="84" BackgroundColor="#FFFFFF">
    <Separator ID="Upright" Left="100" Top="4" Width="8" Height="76"/>
  </PropertySheet>
  <DockWindow ID="Dock" Left="450" Top="484" Width="430" Height="40" BackgroundColor="#D8E4F0"/>
  <StatusBar ID="Status" Left="0" Top="572" Width="884" Height="24">
    <Section Width="320" PictureIndex="0">Ready</Section>
    <Section Width="200" PictureIndex="1">3 warnings</Section>
    <Section>Version 2.0</Section>
  </StatusBar>
</Window>)";

TEST_F(BarControlTest, ToolBarButtonsCarryTheirCommandsAndKinds) {
    ASSERT_EQ(0u, show(kGallery));
    HWND bar = handleOf(u"Tools");
    ASSERT_EQ(nullptr, bar) << "the toolbar is the control bar's child, not the window's";
    auto* tools = static_cast<ToolBarControl*>(control(u"Bands")->child(u"Tools"));
    ASSERT_NE(nullptr, tools);
    bar = tools->handle();
    EXPECT_EQ(ClassName(bar), u"ToolbarWindow32");
    EXPECT_TRUE(StyleOf(bar) & TBSTYLE_TOOLTIPS);
    EXPECT_FALSE(tools->isMenuBar());
    EXPECT_EQ(tools->menuName(), u"ToolsMenu");
    ASSERT_EQ(7, SendMessageW(bar, TB_BUTTONCOUNT, 0, 0));

    struct Expected {
        const char16_t* command; // null: a separator
        BYTE style;
        int image;
        bool enabled;
    };
    const Expected expected[] = {
        {u"NewCmd", BTNS_BUTTON, 0, true},
        {u"BoldCmd", BTNS_CHECK, 1, true},
        {nullptr, BTNS_SEP, 0, true},
        {u"OpenCmd", BTNS_DROPDOWN, 2, true},
        {u"PrintCmd", BTNS_BUTTON, I_IMAGENONE, false},
        {u"LeftCmd", BTNS_CHECKGROUP, I_IMAGENONE, true},
        {u"RightCmd", BTNS_CHECKGROUP, I_IMAGENONE, true},
    };
    for (int index = 0; index < 7; ++index) {
        TBBUTTON button = {};
        ASSERT_TRUE(SendMessageW(bar, TB_GETBUTTON, index, LPARAM(&button)));
        const BYTE kindMask = BTNS_SEP | BTNS_CHECK | BTNS_GROUP | BTNS_DROPDOWN;
        EXPECT_EQ(expected[index].style, button.fsStyle & kindMask) << index;
        if (!expected[index].command)
            continue;
        EXPECT_EQ(WindowNameId(expected[index].command), button.idCommand) << index;
        EXPECT_EQ(expected[index].image, button.iBitmap) << index;
        EXPECT_EQ(expected[index].enabled, (button.fsState & TBSTATE_ENABLED) != 0) << index;
    }
    const ToolButton* open = tools->button(WindowNameId(u"OpenCmd"));
    ASSERT_NE(nullptr, open);
    EXPECT_EQ(open->menu, u"RecentMenu");
    EXPECT_EQ(tools->button(WindowNameId(u"NewCmd"))->help, u"Starts afresh");

    // A real click on "New" reaches the toolbar's owner as the command.
    RECT area = {};
    SendMessageW(bar, TB_GETRECT, WindowNameId(u"NewCmd"), LPARAM(&area));
    POINT point = {(area.left + area.right) / 2, (area.top + area.bottom) / 2};
    ClientToScreen(bar, &point);
    window()->commands.clear();
    ClickAt(point);
    // The control bar passes its bands' commands on to the window.
    ASSERT_EQ(1u, window()->commands.size());
    EXPECT_EQ(WPARAM(WindowNameId(u"NewCmd")), window()->commands[0].w);

    auto* menuBar = control<ToolBarControl>(u"MenuBar");
    EXPECT_TRUE(menuBar->isMenuBar());
    EXPECT_EQ(0, SendMessageW(menuBar->handle(), TB_GETIMAGELIST, 0, 0));
}

TEST_F(BarControlTest, ToolBarRefusesOtherTypesAndChildren) {
    ToolBarControl badType;
    EXPECT_EQ(5u, readAlone(R"(<ToolBar Type="Ribbon"/>)", &badType));
    ToolBarControl badChild;
    EXPECT_EQ(39u, readAlone(R"(<ToolBar><Button ID="ACmd"/><Label/></ToolBar>)", &badChild));
    EXPECT_EQ(1u, badChild.buttons().size());
    ToolBarControl missing;
    EXPECT_EQ(29u, readAlone(R"(<ToolBar Pictures="Data/Pictures/None.png"/>)", &missing));
}

TEST_F(BarControlTest, StatusBarSectionsAndTheirTexts) {
    ASSERT_EQ(0u, show(kGallery));
    auto* status = control<StatusBarControl>(u"Status");
    HWND bar = status->handle();
    EXPECT_EQ(ClassName(bar), u"msctls_statusbar32");
    ASSERT_EQ(3, SendMessageW(bar, SB_GETPARTS, 0, 0));
    int edges[3] = {};
    SendMessageW(bar, SB_GETPARTS, 3, LPARAM(edges));
    EXPECT_EQ(320, edges[0]);
    EXPECT_EQ(520, edges[1]);
    EXPECT_EQ(-1, edges[2]);
    wchar_t text[64] = {};
    SendMessageW(bar, SB_GETTEXTW, 1, LPARAM(text));
    EXPECT_EQ(std::wstring(L"3 warnings"), text);
    EXPECT_NE(nullptr, HICON(SendMessageW(bar, SB_GETICON, 0, 0))) << "the status icons";
    EXPECT_EQ(nullptr, HICON(SendMessageW(bar, SB_GETICON, 2, 0)));

    EXPECT_EQ(status, StatusBarControl::Find(*window()));
    EXPECT_EQ(0u, status->setText(0, u"Opens a file"));
    SendMessageW(bar, SB_GETTEXTW, 0, LPARAM(text));
    EXPECT_EQ(std::wstring(L"Opens a file"), text);
    EXPECT_EQ(0u, status->setText(0, u""));
    SendMessageW(bar, SB_GETTEXTW, 0, LPARAM(text));
    EXPECT_EQ(std::wstring(L""), text);
    EXPECT_EQ(37u, status->setText(3, u"nowhere"));

    StatusBarControl bad;
    EXPECT_EQ(39u, readAlone(R"(<StatusBar><Section/><Pane/></StatusBar>)", &bad));
}

TEST_F(BarControlTest, ControlBarBandsAndTheSmallKinds) {
    ASSERT_EQ(0u, show(kGallery));
    auto* bands = control<ControlBarControl>(u"Bands");
    EXPECT_EQ(ClassName(bands->handle()), u"ReBarWindow32");
    EXPECT_TRUE(bands->isTransparent());
    EXPECT_TRUE(ExtendedStyleOf(bands->handle()) & WS_EX_TRANSPARENT);
    EXPECT_EQ(1, SendMessageW(bands->handle(), RB_GETBANDCOUNT, 0, 0));

    const String framework = String(u"VornControlTests::Window");
    for (const char16_t* name : {u"Hint", u"Line", u"Site", u"Sheet", u"Dock"})
        EXPECT_EQ(ClassName(handleOf(name)), framework) << Wide(name);
    EXPECT_TRUE(ExtendedStyleOf(handleOf(u"Sheet")) & WS_EX_CONTROLPARENT);
    EXPECT_TRUE(ExtendedStyleOf(handleOf(u"Dock")) & WS_EX_CONTROLPARENT);
    RECT line = {};
    GetWindowRect(handleOf(u"Line"), &line);
    EXPECT_EQ(2, line.bottom - line.top) << "a separator without a height";
    EXPECT_EQ(control<HintControl>(u"Hint")->text(),
              u"Hint: the installer keeps your settings when it updates the program.");

    // A link without ":" or "@" hands its target to its window as a command.
    auto* more = control<UrlControl>(u"More");
    EXPECT_EQ(more->target(), u"MoreOptionsCmd");
    EXPECT_EQ(control<UrlControl>(u"Mail")->target(), u"support@example.com");
    RECT area = {};
    GetWindowRect(more->handle(), &area);
    window()->commands.clear();
    ClickAt({area.left + 10, (area.top + area.bottom) / 2});
    ASSERT_EQ(1u, window()->commands.size());
    EXPECT_EQ(WPARAM(WindowNameId(u"MoreOptionsCmd")), window()->commands[0].w);
}

TEST_F(BarControlTest, GalleryScreenshot) {
    ASSERT_EQ(0u, show(kGallery));
    PumpMessages(500);
    EXPECT_TRUE(
        vorntest::SaveScreenshot(std::wstring(VORN_SCREENSHOTS) + L"\\controls-b-gallery.bmp"));
}

} // namespace
} // namespace vorn
