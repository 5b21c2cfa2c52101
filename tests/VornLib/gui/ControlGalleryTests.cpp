// Every control kind of the catalogue's first half in one window, saved as a
// picture of the screen for a person to look at. The group box comes after the
// controls it frames: the platform paints siblings in that order.
#include "ControlTestSupport.h"
#include "VornLib/gui/ProgressBarControl.h"
#include "WindowDriver.h"

namespace vorn {
namespace {

TEST(ControlGallery, EveryKindInOneWindow) {
    Host host(R"(
      <Static ID="Heading" Left="10" Top="10" Width="280" Font="Bold" TextColor="#1F4E79">Controls from descriptions</Static>
      <Static ID="Rule" Left="10" Top="32" Width="570" Height="4" Border="EtchedHorizontal"/>
      <Picture ID="Badge" Name="Data/Pictures/Badge.png" Left="300" Top="44"/>
      <Picture ID="Photo" Name="Data/Pictures/Photo.png" Left="340" Top="48"/>
      <Static ID="Path" Left="10" Top="44" Width="280" PathEllipsis="true" Border="Sunken">C:\Program Files\Vorn\Very Long Folder Name\Application\Data\file.txt</Static>
      <Static ID="Centre" Left="10" Top="66" Width="280" HorizontalAlign="Center" Border="StaticEdge">Centred in a static edge</Static>
      <Button ID="InstallCmd" Type="DefaultButton" Left="10" Top="92" Width="100" Height="26" Title="Install"/>
      <Button ID="Browse" Picture="Data/Pictures/Photo.png" Left="120" Top="86" Width="130" Height="36" Title="Browse"/>
      <Button ID="Options" Left="260" Top="92" Width="110" Height="26" Title="Options">
        <Menu ID="OptionsMenu"/>
      </Button>
      <CheckBox ID="Desktop" Left="10" Top="128" Width="200" Height="20" Title="Desktop shortcut"/>
      <CheckBox ID="Toggle" Type="PushCheckButton" Left="220" Top="126" Width="120" Height="24" Title="Push to check"/>
      <Slider ID="Volume" Left="400" Top="106" Width="170" Height="34" Ticks="10" DefaultValue="60"/>
      <ComboBox ID="Language" Left="400" Top="150" Width="170" Height="150" Pictures="Data/Pictures/Tabs.png" PictureItemWidth="16">
        <Item PictureIndex="0">English</Item><Item PictureIndex="1" Selected="true">Deutsch</Item><Item PictureIndex="2">Fran&#231;ais</Item>
      </ComboBox>
      <GroupBox ID="Group" Left="390" Top="86" Width="190" Height="110" Title="Settings"/>
      <EditBox ID="Folder" Left="10" Top="158" Width="370" OnReturn="BrowseCmd">C:\Program Files\Vorn</EditBox>
      <ComboBox ID="Editable" Type="Editable" Left="10" Top="186" Width="370" Height="120"><Item Selected="true">Typed or chosen</Item></ComboBox>
      <ProgressBar ID="Progress" Left="10" Top="216" Width="370" Height="18"/>
      <ProgressBar ID="Upright" Left="560" Top="210" Width="18" Height="200"/>
      <TabCtrl ID="Tabs" Left="10" Top="244" Width="540" Height="170" Pictures="Data/Pictures/Tabs.png" PictureItemWidth="16">
        <Window ID="Welcome" Title="Welcome" PictureIndex="0" BackgroundColor="#FFFFFF">
          <Static ID="Hello" Left="10" Top="10" Width="400" TextColor="#A02020">A page of the tab control, with coloured text on white.</Static>
          <EditBox ID="Notes" Left="10" Top="34" Width="400" Height="60" MultiLine="true" WantReturn="true">Several
lines of notes</EditBox>
        </Window>
        <Window ID="Licence" Title="Licence" PictureIndex="1"/>
        <Window ID="Finish" Title="Finish" PictureIndex="2"/>
      </TabCtrl>)",
              R"(ClientWidth="590" ClientHeight="424")");
    ASSERT_EQ(0u, host.read);
    ASSERT_EQ(0u, host.created);
    host.control<ProgressBarControl>(u"Progress")->setProgress(3, 8, 1, 0.5);
    host.control<ProgressBarControl>(u"Upright")->setProgress(1, 3);
    EXPECT_EQ(7168, SendMessageW(host.handle(u"Progress"), PBM_GETPOS, 0, 0));
    SendMessageW(host.handle(u"Desktop"), BM_SETCHECK, BST_CHECKED, 0);
    RedrawWindow(host.window.handle(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpMessages(400);
    EXPECT_TRUE(
        vorntest::SaveScreenshot(std::wstring(VORN_SCREENSHOTS) + L"\\control-gallery.bmp"));
}

} // namespace
} // namespace vorn
