// "List" controls made from descriptions on a real window: the styles the
// words set, columns, items with pictures, groups with their stored state,
// sorting by a clicked header and the alternate row colour.
#include "ControlTestSupport.h"
#include "VornLib/core/Format.h"
#include "VornLib/gui/ListControl.h"

namespace vorn {
namespace {

class ListControlTest : public ControlTest {};

int ImageCount(HIMAGELIST list) {
    using Function = int(WINAPI*)(HIMAGELIST);
    auto count = SystemFunction<Function>(SystemLibraryId::Comctl32, "ImageList_GetImageCount");
    return list && count ? count(list) : -1;
}

std::wstring CellText(HWND list, int row, int column) {
    wchar_t buffer[128] = {};
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = 128;
    SendMessageW(list, LVM_GETITEMTEXTW, row, LPARAM(&item));
    return buffer;
}

TEST_F(ListControlTest, WordsSetTheListStyles) {
    ASSERT_EQ(0u, show(R"(<Window Type="MainWindow" Title="Lists" Width="600" Height="400">
        <List ID="Plain" Left="0" Top="0" Width="200" Height="100">
          <Columns><Column Name="A"/></Columns></List>
        <List ID="Sorted" Header="Sort" Left="0" Top="110" Width="200" Height="100">
          <Columns><Column Name="A"/></Columns></List>
        <List ID="Hidden" Header="Hidden" Selection="Single" ShowSelection="Always"
              Left="210" Top="0" Width="200" Height="100"/>
        <List ID="Icons" Style="Icon" Left="210" Top="110" Width="200" Height="100"/>
      </Window>)"));
    HWND plain = handleOf(u"Plain");
    ASSERT_NE(nullptr, plain);
    EXPECT_EQ(ClassName(plain), u"SysListView32");
    EXPECT_EQ(uint32_t(LVS_REPORT), StyleOf(plain) & LVS_TYPEMASK);
    EXPECT_TRUE(StyleOf(plain) & LVS_NOSORTHEADER);
    EXPECT_FALSE(StyleOf(plain) & (LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOCOLUMNHEADER));
    // The header answers clicks only when the list sorts.
    HWND plainHeader = HWND(SendMessageW(plain, LVM_GETHEADER, 0, 0));
    ASSERT_NE(nullptr, plainHeader);
    EXPECT_FALSE(StyleOf(plainHeader) & HDS_BUTTONS);

    HWND sorted = handleOf(u"Sorted");
    EXPECT_EQ(uint32_t(LVS_REPORT), StyleOf(sorted) & LVS_TYPEMASK);
    EXPECT_FALSE(StyleOf(sorted) & LVS_NOSORTHEADER);
    EXPECT_TRUE(StyleOf(HWND(SendMessageW(sorted, LVM_GETHEADER, 0, 0))) & HDS_BUTTONS);

    const uint32_t hidden = StyleOf(handleOf(u"Hidden"));
    EXPECT_TRUE(hidden & LVS_NOCOLUMNHEADER);
    EXPECT_TRUE(hidden & LVS_SINGLESEL);
    EXPECT_TRUE(hidden & LVS_SHOWSELALWAYS);
    EXPECT_EQ(uint32_t(LVS_ICON), StyleOf(handleOf(u"Icons")) & LVS_TYPEMASK);
}

TEST_F(ListControlTest, UnknownWordsAndChildrenAreRefused) {
    struct Case {
        const char* description;
        uint32_t expected;
    };
    const Case cases[] = {
        {R"(<List Header="Clickable"/>)", 5},
        {R"(<List Style="Tiles"/>)", 5},
        {R"(<List AlternateBackgroundColor="NoSuchColour"/>)", 5},
        {R"(<List><Columns><Column Name="A" Align="Middle"/></Columns></List>)", 5},
        {R"(<List><Columns><Column Name="A"/><Header/></Columns></List>)", 39},
        {R"(<List><Groups><Group Name="G"><SubItem/></Group></Groups></List>)", 39},
        {R"(<List><Items><Row/></Items></List>)", 39},
        {R"(<List><Rows/></List>)", 39},
        {R"(<List Pictures="Data/Pictures/Missing.png"/>)", 29},
        {R"(<List Pictures="Data/Pictures/ListPictures.png" PictureItemWidth="65"/>)", 5},
    };
    for (const Case& test : cases) {
        ListControl list;
        EXPECT_EQ(test.expected, readAlone(test.description, &list)) << test.description;
    }
}

TEST_F(ListControlTest, ColumnsItemsAndPicturesReachTheControl) {
    ASSERT_EQ(0u, show(R"(<Window Type="MainWindow" Title="Lists" Width="600" Height="400">
        <List ID="Files" Pictures="Data/Pictures/ListPictures.png" PictureItemWidth="16"
              Left="0" Top="0" Width="500" Height="200">
          <Columns>
            <Column Name="Name" Width="Auto"/>
            <Column Name="Size" Width="80" Align="Right"/>
            <Column/>
          </Columns>
          <Items>
            <Item PictureIndex="2">Readme.txt<SubItem>12 KB</SubItem><SubItem>Text</SubItem></Item>
            <Item>Program with a rather long name.exe<SubItem>3 MB</SubItem></Item>
          </Items>
        </List></Window>)"));
    HWND list = handleOf(u"Files");
    ASSERT_NE(nullptr, list);
    HWND header = HWND(SendMessageW(list, LVM_GETHEADER, 0, 0));
    ASSERT_EQ(3, SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
    wchar_t name[32] = {};
    LVCOLUMNW column = {};
    column.mask = LVCF_TEXT | LVCF_FMT | LVCF_WIDTH;
    column.pszText = name;
    column.cchTextMax = 32;
    ASSERT_TRUE(SendMessageW(list, LVM_GETCOLUMNW, 1, LPARAM(&column)));
    EXPECT_EQ(std::wstring(L"Size"), name);
    EXPECT_EQ(80, column.cx);
    EXPECT_EQ(LVCFMT_RIGHT, column.fmt & LVCFMT_JUSTIFYMASK);
    EXPECT_EQ(32, SendMessageW(list, LVM_GETCOLUMNWIDTH, 2, 0)) << "the default width";
    EXPECT_GT(SendMessageW(list, LVM_GETCOLUMNWIDTH, 0, 0), 150) << "sized to the long name";

    ASSERT_EQ(2, SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    EXPECT_EQ(L"Readme.txt", CellText(list, 0, 0));
    EXPECT_EQ(L"12 KB", CellText(list, 0, 1));
    EXPECT_EQ(L"Text", CellText(list, 0, 2));
    EXPECT_EQ(L"3 MB", CellText(list, 1, 1));
    LVITEMW item = {};
    item.mask = LVIF_IMAGE;
    item.iItem = 0;
    ASSERT_TRUE(SendMessageW(list, LVM_GETITEMW, 0, LPARAM(&item)));
    EXPECT_EQ(2, item.iImage);
    EXPECT_EQ(4, ImageCount(HIMAGELIST(SendMessageW(list, LVM_GETIMAGELIST, LVSIL_SMALL, 0))));
}

TEST_F(ListControlTest, GroupsKeepTheirCollapsedStateUnderThePreferencesPath) {
    // What an earlier run stored wins over the description.
    ASSERT_EQ(0u, preferences()->setBoolean(u"/User/Local/Lists/Downloads/Done/Collapsed", true));
    ListControl probe;
    ASSERT_EQ(0u, readAlone(R"(<List><Groups><Group Name="P"/></Groups></List>)", &probe));
    const String probeKey = probe.groups()[0].key;
    ASSERT_TRUE(probeKey.startsWith(u"ListCtrlGroup"));
    // The counter goes on from the probe's number.
    int32_t probeNumber = 0;
    for (uint32_t index = 13; index < probeKey.length(); ++index)
        probeNumber = probeNumber * 10 + (probeKey[index] - u'0');
    const int32_t next = probeNumber + 1;

    ASSERT_EQ(0u, show(R"(<Window Type="MainWindow" Title="Lists" Width="600" Height="400">
        <List ID="Downloads" Preferences="/User/Local/Lists/Downloads"
              Left="0" Top="0" Width="400" Height="300">
          <Columns><Column Name="File" Width="200"/></Columns>
          <Groups>
            <Group ID="Done" Name="Finished" Collapsible="true"><Item>a.zip</Item></Group>
            <Group Name="Running" Collapsible="true" Collapsed="true">
              <Item>b.zip</Item><Item>c.zip</Item></Group>
            <Group Name="Waiting"><Item>d.zip</Item></Group>
          </Groups>
          <Items><Item>loose.txt</Item></Items>
        </List></Window>)"));
    auto* list = control<ListControl>(u"Downloads");
    ASSERT_NE(nullptr, list);
    ASSERT_EQ(3u, list->groups().size());
    EXPECT_EQ(list->groups()[0].key, u"Done");
    EXPECT_EQ(list->groups()[1].key, Format(u"ListCtrlGroup{0}", {next}));
    EXPECT_EQ(list->groups()[2].key, Format(u"ListCtrlGroup{0}", {next + 1}));
    EXPECT_TRUE(list->groupCollapsed(u"Done")) << "read from the preferences";
    EXPECT_TRUE(list->groupCollapsed(list->groups()[1].key));
    EXPECT_FALSE(list->groupCollapsed(list->groups()[2].key));

    // Every item is in the control, each group's items in the group.
    EXPECT_EQ(5, SendMessageW(list->handle(), LVM_GETITEMCOUNT, 0, 0));
    ASSERT_EQ(5u, list->items().size());
    const int32_t expectedGroups[] = {1, 2, 2, 3, -1};
    for (size_t index = 0; index < 5; ++index)
        EXPECT_EQ(expectedGroups[index], list->items()[index].groupId) << index;

    // "Done" is opened and "Waiting" closed; closing the window keeps that.
    const String waiting = list->groups()[2].key;
    EXPECT_EQ(0u, list->setGroupCollapsed(u"Done", false));
    EXPECT_EQ(0u, list->setGroupCollapsed(waiting, true));
    EXPECT_EQ(29u, list->setGroupCollapsed(u"Elsewhere", true));
    EXPECT_FALSE(list->groupCollapsed(u"Done"));
    closeWindow();

    bool collapsed = true;
    ASSERT_EQ(0u,
              preferences()->getBoolean(u"/User/Local/Lists/Downloads/Done/Collapsed", &collapsed));
    EXPECT_FALSE(collapsed);
    ASSERT_EQ(0u,
              preferences()->getBoolean(
                  (u"/User/Local/Lists/Downloads/" + waiting + u"/Collapsed").data(), &collapsed));
    EXPECT_TRUE(collapsed);
    ASSERT_EQ(0u, preferences()->flush());
    RegistryKey stored;
    EXPECT_EQ(0u, stored.open(kRegistryCurrentUser,
                              u"Software\\VornLib Control Test\\Local\\Lists\\Downloads\\Done"));
}

TEST_F(ListControlTest, AGroupWithoutNameEndsTheGroups) {
    ListControl list;
    EXPECT_EQ(38u, readAlone(R"(<List><Groups>
        <Group ID="First" Name="First"><Item>one</Item></Group>
        <Group ID="Nameless"><Item>two</Item></Group>
        <Group ID="Late" Name="Late"/>
      </Groups></List>)",
                             &list));
    ASSERT_EQ(1u, list.groups().size());
    EXPECT_EQ(list.groups()[0].key, u"First");
    EXPECT_EQ(1u, list.items().size());
}

TEST_F(ListControlTest, AClickedSortHeaderOrdersTheRowsBothWays) {
    ASSERT_EQ(0u, show(R"(<Window Type="MainWindow" Title="Lists" Width="600" Height="400">
        <List ID="Names" Header="Sort" Left="0" Top="0" Width="400" Height="300">
          <Columns><Column Name="Name" Width="150"/><Column Name="Kind" Width="150"/></Columns>
          <Items><Item>beta<SubItem>z</SubItem></Item><Item>alpha<SubItem>y</SubItem></Item>
                 <Item>Gamma<SubItem>x</SubItem></Item></Items>
        </List></Window>)"));
    HWND list = handleOf(u"Names");
    HWND header = HWND(SendMessageW(list, LVM_GETHEADER, 0, 0));
    RECT first = {};
    ASSERT_TRUE(SendMessageW(header, HDM_GETITEMRECT, 0, LPARAM(&first)));
    POINT point = {(first.left + first.right) / 2, (first.top + first.bottom) / 2};
    ClientToScreen(header, &point);
    ClickAt(point);
    EXPECT_EQ(L"alpha", CellText(list, 0, 0));
    EXPECT_EQ(L"beta", CellText(list, 1, 0));
    EXPECT_EQ(L"Gamma", CellText(list, 2, 0));
    // A second click soon after would be a double click.
    PumpMessages(GetDoubleClickTime() + 100);
    ClickAt(point);
    EXPECT_EQ(L"Gamma", CellText(list, 0, 0));
    EXPECT_EQ(L"alpha", CellText(list, 2, 0));
    EXPECT_EQ(L"y", CellText(list, 2, 1)) << "sub-items travel with their rows";
}

TEST_F(ListControlTest, EverySecondRowHasTheAlternateBackground) {
    ASSERT_EQ(0u, show(R"(<Window Type="MainWindow" Title="Lists" Width="600" Height="400">
        <List ID="Striped" AlternateBackgroundColor="#FFE0A0" Left="0" Top="0" Width="400"
              Height="300">
          <Columns><Column Name="Name" Width="300"/></Columns>
          <Items><Item>one</Item><Item>two</Item><Item>three</Item></Items>
        </List></Window>)"));
    HWND list = handleOf(u"Striped");
    RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    PumpMessages(100);
    COLORREF colours[3] = {};
    HDC dc = GetDC(list);
    for (int row = 0; row < 3; ++row) {
        RECT bounds = {};
        bounds.left = LVIR_LABEL;
        SendMessageW(list, LVM_GETITEMRECT, row, LPARAM(&bounds));
        colours[row] = GetPixel(dc, bounds.right - 4, (bounds.top + bounds.bottom) / 2);
    }
    ReleaseDC(list, dc);
    EXPECT_EQ(RGB(0xFF, 0xE0, 0xA0), colours[1]);
    EXPECT_NE(colours[1], colours[0]);
    EXPECT_EQ(colours[0], colours[2]);
}

TEST_F(ListControlTest, CheckBoxesFollowTheUserButALockedRowKeepsItsBox) {
    ASSERT_EQ(0u, show(R"(<Window Type="MainWindow" Title="Lists" Width="600" Height="400">
        <List ID="Parts" CheckBoxes="true" Left="0" Top="0" Width="400" Height="300">
          <Columns><Column Name="Part" Width="Auto"/></Columns></List></Window>)"));
    auto* list = control<ListControl>(u"Parts");
    ASSERT_NE(nullptr, list);
    EXPECT_TRUE(SendMessageW(list->handle(), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) &
                LVS_EX_CHECKBOXES);
    ListItem free;
    free.text = u"Docs";
    ListItem locked;
    locked.text = u"Core";
    locked.checked = true;
    locked.locked = true;
    list->setItems({free, locked});
    EXPECT_EQ(L"Core", CellText(list->handle(), 1, 0));
    EXPECT_FALSE(list->isChecked(0));
    EXPECT_TRUE(list->isChecked(1));
    EXPECT_EQ(LVIS_FOCUSED, SendMessageW(list->handle(), LVM_GETITEMSTATE, 0, LVIS_FOCUSED))
        << "the keyboard starts at the first row";
    // As Space or a click changes a box.
    for (const int row : {0, 1}) {
        LVITEMW state = {};
        state.stateMask = LVIS_STATEIMAGEMASK;
        state.state = INDEXTOSTATEIMAGEMASK(row == 0 ? 2 : 1);
        SendMessageW(list->handle(), LVM_SETITEMSTATE, row, LPARAM(&state));
    }
    EXPECT_TRUE(list->isChecked(0));
    EXPECT_TRUE(list->isChecked(1)) << "the locked row keeps its box";
}

} // namespace
} // namespace vorn
