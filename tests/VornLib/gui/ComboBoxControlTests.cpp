// Extended combo boxes created from descriptions.
#include "ControlTestSupport.h"
#include "VornLib/gui/ComboBoxControl.h"

namespace vorn {
namespace {

constexpr uint32_t kComboTypeBits = 0x03;

TEST(ComboBoxControl, TypesBecomeComboStyles) {
    Host host(R"(<ComboBox ID="Default" Left="10" Top="10" Width="200" Height="120"/>
                 <ComboBox ID="List" Type="List" Left="10" Top="40" Width="200" Height="80"/>
                 <ComboBox ID="Editable" Type="Editable" Left="220" Top="10" Width="200"
                           Height="120"/>
                 <ComboBox ID="DropDown" Type="DropDown" Left="220" Top="130" Width="200"
                           Height="120"/>)");
    ASSERT_EQ(0u, host.read);
    ASSERT_EQ(0u, host.created);
    EXPECT_EQ(ClassName(host.handle(u"Default")), u"ComboBoxEx32");
    EXPECT_EQ(uint32_t(CBS_DROPDOWNLIST), StyleOf(host.handle(u"Default")) & kComboTypeBits);
    EXPECT_EQ(uint32_t(CBS_SIMPLE), StyleOf(host.handle(u"List")) & kComboTypeBits);
    EXPECT_EQ(uint32_t(CBS_DROPDOWN), StyleOf(host.handle(u"Editable")) & kComboTypeBits);
    EXPECT_EQ(uint32_t(CBS_DROPDOWNLIST), StyleOf(host.handle(u"DropDown")) & kComboTypeBits);
    // Only the editable kind has an edit field.
    EXPECT_NE(0, SendMessageW(host.handle(u"Editable"), CBEM_GETEDITCONTROL, 0, 0));
    EXPECT_EQ(0, SendMessageW(host.handle(u"DropDown"), CBEM_GETEDITCONTROL, 0, 0));

    EXPECT_EQ(5u, ReadAlone<ComboBoxControl>(R"(<ComboBox Type="Spinner"/>)"));
    EXPECT_EQ(39u, ReadAlone<ComboBoxControl>(R"(<ComboBox><Option/></ComboBox>)"));
    EXPECT_EQ(29u, ReadAlone<ComboBoxControl>(R"(<ComboBox Pictures="Data/Pictures/None.png"/>)"));
}

TEST(ComboBoxControl, ItemsWithPicturesAndTheSelection) {
    Host host(R"(<ComboBox ID="Language" Left="10" Top="10" Width="200" Height="150"
                           Pictures="Data/Pictures/Tabs.png" PictureItemWidth="16">
                   <Item PictureIndex="0">English</Item>
                   <Item PictureIndex="2" Selected="true">Deutsch</Item>
                   <Item>##Fran&#231;ais</Item>
                 </ComboBox>)");
    ASSERT_EQ(0u, host.read);
    ASSERT_EQ(0u, host.created);
    HWND box = host.handle(u"Language");
    ComboBoxControl* combo = host.control<ComboBoxControl>(u"Language");
    EXPECT_EQ(3, SendMessageW(box, CB_GETCOUNT, 0, 0));
    EXPECT_EQ(1, SendMessageW(box, CB_GETCURSEL, 0, 0));
    EXPECT_EQ(1, combo->selection());
    EXPECT_EQ(String(u"Deutsch"), combo->text());
    EXPECT_EQ(String(u"#Fran\u00E7ais"), combo->itemText(2));
    HIMAGELIST pictures = HIMAGELIST(SendMessageW(box, CBEM_GETIMAGELIST, 0, 0));
    ASSERT_NE(nullptr, pictures);
    wchar_t text[64] = {};
    COMBOBOXEXITEMW item = {};
    item.mask = CBEIF_TEXT | CBEIF_IMAGE;
    item.iItem = 1;
    item.pszText = text;
    item.cchTextMax = 64;
    ASSERT_TRUE(SendMessageW(box, CBEM_GETITEMW, 0, LPARAM(&item)));
    EXPECT_EQ(std::wstring(L"Deutsch"), text);
    EXPECT_EQ(2, item.iImage);

    // What an options page does with it.
    EXPECT_EQ(3u, combo->addItem(u"Nederlands", 1));
    EXPECT_EQ(4, SendMessageW(box, CB_GETCOUNT, 0, 0));
    ASSERT_EQ(0u, combo->select(3));
    EXPECT_EQ(3, SendMessageW(box, CB_GETCURSEL, 0, 0));
    EXPECT_EQ(String(u"Nederlands"), combo->text());
    EXPECT_EQ(37u, combo->select(4));
    EXPECT_EQ(3, combo->selection());
}

TEST(ComboBoxControl, AnEditableBoxAnswersWhatWasTyped) {
    Host host(R"(<ComboBox ID="Folder" Type="Editable" Left="10" Top="10" Width="300" Height="120">
                   <Item>C:\Program Files</Item></ComboBox>)");
    ASSERT_EQ(0u, host.created);
    HWND edit = HWND(SendMessageW(host.handle(u"Folder"), CBEM_GETEDITCONTROL, 0, 0));
    ASSERT_NE(nullptr, edit);
    SetWindowTextW(edit, L"D:\\Tools");
    EXPECT_EQ(String(u"D:\\Tools"), host.control<ComboBoxControl>(u"Folder")->text());
    EXPECT_EQ(-1, host.control<ComboBoxControl>(u"Folder")->selection());
}

} // namespace
} // namespace vorn
