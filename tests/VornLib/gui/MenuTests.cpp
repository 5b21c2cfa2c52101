// Menus and shortcut keys on the screen (Xvfb): menus built from descriptions
// and read back from the platform, a popup menu driven with real keys while
// its help texts show in the owner's status bar, and shortcut keys pressed as
// real keys reaching the window through its message loop.
#include <atomic>
#include <string>
#include <thread>

#include "ControlTestSupport.h"
#include "TestText.h"
#include "VornLib/core/Format.h"
#include "VornLib/core/XmlTestSupport.h"
#include "VornLib/data/ResourceCache.h"
#include "VornLib/gui/Menu.h"
#include "VornLib/gui/ShortcutKeys.h"
#include "VornLib/gui/StatusBarControl.h"
#include "WindowDriver.h"

namespace vorn {
namespace {

// The owner of the menus: inserts items of its own at the "PluginsCallback"
// place, knows their help texts, and keeps the documents it is asked to open.
class MenuOwner : public RecordingWindow {
public:
    std::vector<uint16_t> callbacks;
    std::vector<String> opened;

    void insertMenuItems(HMENU menu, uint16_t place) override {
        callbacks.push_back(place);
        if (place != CommandId(u"PluginsCallback"))
            return;
        AppendMenuW(menu, MF_STRING, CommandId(u"PluginOneCmd"), L"Plugin one");
        AppendMenuW(menu, MF_STRING, CommandId(u"PluginTwoCmd"), L"Plugin two");
    }
    bool commandHelp(uint16_t command, String* text) override {
        if (command != CommandId(u"PluginOneCmd"))
            return false;
        *text = u"Runs the first plugin";
        return true;
    }
    void openDocuments(const std::vector<String>& names) override {
        opened.insert(opened.end(), names.begin(), names.end());
    }
};

// One line per item as the platform shows it: "---" for a separator, else
// the text with " >" for a submenu and its marks in brackets.
std::vector<std::wstring> Shown(HMENU menu) {
    std::vector<std::wstring> lines;
    const int count = GetMenuItemCount(menu);
    for (int index = 0; index < count; ++index) {
        MENUITEMINFOW info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_SUBMENU;
        EXPECT_TRUE(GetMenuItemInfoW(menu, UINT(index), TRUE, &info));
        if (info.fType & MFT_SEPARATOR) {
            lines.push_back(L"---");
            continue;
        }
        wchar_t text[256] = {};
        GetMenuStringW(menu, UINT(index), text, 256, MF_BYPOSITION);
        std::wstring line = text;
        if (info.hSubMenu)
            line += L" >";
        if (info.fState & MFS_GRAYED)
            line += L" [grey]";
        if (info.fType & MFT_RADIOCHECK)
            line += L" [radio]";
        if (info.fState & MFS_CHECKED)
            line += L" [checked]";
        lines.push_back(line);
    }
    return lines;
}

UINT IdAt(HMENU menu, int index) {
    return GetMenuItemID(menu, index);
}

HMENU SubmenuAt(HMENU menu, int index) {
    return GetSubMenu(menu, index);
}

class MenuTest : public ControlTest {
public:
    static void SetUpTestSuite() {
        ControlTest::SetUpTestSuite();
        ResourceCache& resources = ResourceCache::Instance();
        ASSERT_EQ(0u, resources.registerDocument(u"Data/Xml/VornLib-Strings-en.xml"));
        ASSERT_EQ(0u, resources.registerDocument(u"Data/Xml/CommandTests.xml"));
    }

protected:
    void TearDown() override {
        if (owner_) {
            owner_->destroy();
            owner_.reset();
        }
        ControlTest::TearDown();
    }

    // Reads a "Menu" description from text.
    void read(Menu* menu, const char* xml) {
        XmlDocument document;
        ASSERT_EQ(0u, ParseText(document, xml)) << xml;
        ASSERT_EQ(0u, menu->read(*document.root())) << xml;
    }

    // Stores `names` as the recent documents, in the registry under the
    // test's key, where the preferences store finds them.
    void storeRecentFiles(std::initializer_list<const char16_t*> names) {
        uint32_t number = 1;
        for (const char16_t* name : names) {
            RegistryKey key;
            const String path =
                String(kPreferencesKey) + Format(u"Local\\Recent Files\\File{0}", {number++});
            ASSERT_EQ(0u, key.open(kRegistryCurrentUser, path.data()));
            ASSERT_EQ(0u, key.writeText(u"Name", name));
        }
    }

    // A shown owner window with a status bar, made from a description.
    MenuOwner* showOwner(const char* xml) {
        EXPECT_EQ(0u, ParseText(ownerDocument_, xml));
        owner_.reset(new MenuOwner);
        EXPECT_EQ(0u, owner_->readDescription(ownerDocument_.root()));
        EXPECT_EQ(0u, owner_->create());
        ShowWindow(owner_->handle(), SW_SHOWNORMAL);
        SetForegroundWindow(owner_->handle());
        UpdateWindow(owner_->handle());
        PumpMessages(200);
        return owner_.get();
    }

    MenuOwner builder_;

private:
    XmlDocument ownerDocument_;
    std::unique_ptr<MenuOwner> owner_;
};

struct BuildCase {
    const char* what;
    const char* xml;
    std::vector<std::wstring> shown;
};

const BuildCase kBuildCases[] = {
    {"groups, separators only between groups that produced items, marks",
     R"(<Menu ID="Main">
          <Group><Command ID="NewCmd">&amp;New</Command>
                 <Command ID="OpenCmd" Help="Opens a document">&amp;Open</Command></Group>
          <Group><Command ID="HiddenCmd" Visible="false">Hidden</Command></Group>
          <Group/>
          <Group><Command ID="PrintCmd" Enabled="false">&amp;Print</Command></Group>
          <Group Type="ExclusiveOptions"><Command ID="SmallCmd">Small</Command>
                 <Command ID="LargeCmd">Large</Command></Group>
          <Group><Menu ID="ViewMenu" Title="&amp;View">
                   <Group><Command ID="ZoomCmd">Zoom</Command></Group>
                   <Group><Command ID="GridCmd">Grid</Command></Group></Menu></Group>
          <Group><Command ID="QuitCmd">&amp;Quit</Command></Group>
        </Menu>)",
     {L"&New", L"&Open", L"---", L"&Print [grey]", L"---", L"Small [radio]", L"Large [radio]",
      L"---", L"&View >", L"---", L"&Quit"}},
    {"the owner fills callback places; an empty place adds no separator",
     R"(<Menu ID="Main">
          <Group><Command ID="NewCmd">New</Command></Group>
          <Group><Callback ID="EmptyCallback"/></Group>
          <Group><Callback ID="PluginsCallback"/></Group>
          <Group><Command ID="QuitCmd">Quit</Command></Group>
        </Menu>)",
     {L"New", L"---", L"Plugin one", L"Plugin two", L"---", L"Quit"}},
    {"an item lacking what it needs ends its group, later groups stay",
     R"(<Menu ID="Main">
          <Group><Command ID="NewCmd">New</Command><Command ID="BrokenCmd"/>
                 <Command ID="LostCmd">Lost</Command></Group>
          <Group><Command>No name</Command><Command ID="AlsoLostCmd">Also lost</Command></Group>
          <Group><Menu ID="Untitled"><Group><Command ID="InnerCmd">Inner</Command></Group></Menu>
                 <Command ID="AfterCmd">After</Command></Group>
          <Group><Note/><Command ID="KeptCmd">Kept</Command></Group>
          <Group><Command ID="QuitCmd">Quit</Command></Group>
        </Menu>)",
     {L"New", L"---", L"Kept", L"---", L"Quit"}},
};

TEST_F(MenuTest, DescribedMenusAsThePlatformShowsThem) {
    for (const BuildCase& row : kBuildCases) {
        builder_.callbacks.clear();
        Menu menu;
        read(&menu, row.xml);
        ASSERT_EQ(0u, menu.build(&builder_, true)) << row.what;
        EXPECT_EQ(row.shown, Shown(menu.handle())) << row.what;
    }
}

TEST_F(MenuTest, ItemsCarryTheirCommandsAndSubmenusTheirOwnGroups) {
    Menu menu;
    read(&menu, kBuildCases[0].xml);
    ASSERT_EQ(0u, menu.build(&builder_, false));
    const HMENU bar = menu.handle();
    EXPECT_EQ(CommandId(u"NewCmd"), IdAt(bar, 0));
    EXPECT_EQ(CommandId(u"PrintCmd"), IdAt(bar, 3));
    EXPECT_EQ(CommandId(u"LargeCmd"), IdAt(bar, 6));
    EXPECT_EQ(CommandId(u"QuitCmd"), IdAt(bar, 10));
    const HMENU view = SubmenuAt(bar, 8);
    ASSERT_NE(nullptr, view);
    EXPECT_EQ((std::vector<std::wstring>{L"Zoom", L"---", L"Grid"}), Shown(view));
    EXPECT_EQ(CommandId(u"GridCmd"), IdAt(view, 2));
    EXPECT_EQ(u"Opens a document", menu.find(CommandId(u"OpenCmd"))->help);
    EXPECT_FALSE(menu.find(CommandId(u"HiddenCmd"))->visible) << "read, though not shown";

    EXPECT_EQ(4u, menu.build(&builder_, false)) << "built twice";
    EXPECT_EQ(4u, menu.build(&builder_, true));
    EXPECT_EQ(bar, menu.handle()) << "the first build stays";
    menu.destroy();
    EXPECT_EQ(0u, menu.build(&builder_, true)) << "built again once destroyed";
}

TEST_F(MenuTest, ChecksReachItemsInSubmenus) {
    Menu menu;
    read(&menu, kBuildCases[0].xml);
    EXPECT_EQ(0u, menu.check(CommandId(u"SmallCmd"), true)) << "before the menu is built";
    ASSERT_EQ(0u, menu.build(&builder_, true));
    EXPECT_EQ(L"Small [radio] [checked]", Shown(menu.handle())[5]);

    const HMENU view = SubmenuAt(menu.handle(), 8);
    EXPECT_EQ(0u, menu.check(CommandId(u"GridCmd"), true));
    EXPECT_EQ(L"Grid [checked]", Shown(view)[2]);
    EXPECT_TRUE(menu.find(CommandId(u"GridCmd"))->checked);
    EXPECT_EQ(0u, menu.check(CommandId(u"GridCmd"), false));
    EXPECT_EQ(L"Grid", Shown(view)[2]);

    EXPECT_EQ(36u, menu.check(CommandId(u"AbsentCmd"), true));
    EXPECT_EQ(36u, menu.check(CommandId(u"LostCmd"), true)) << "never read";
}

TEST_F(MenuTest, WithoutRecentDocumentsOneDisabledItemSaysSo) {
    Menu menu;
    read(&menu, R"(<Menu ID="Main"><Group><Command ID="OpenCmd">Open</Command></Group>
                                   <Group><RecentFiles/></Group></Menu>)");
    ASSERT_EQ(0u, menu.build(&builder_, true));
    EXPECT_EQ((std::vector<std::wstring>{L"Open", L"---", L"No recent documents [grey]"}),
              Shown(menu.handle()));
    EXPECT_EQ(0u, IdAt(menu.handle(), 2));
}

TEST_F(MenuTest, RecentDocumentsAreNumberedAndOpenedByTheirCommands) {
    storeRecentFiles({u"C:\\Docs\\one.txt", u"C:\\Docs\\two.txt", u"C:\\Docs\\three.txt",
                      u"C:\\Docs\\four.txt"});
    Menu menu;
    ASSERT_EQ(0u, menu.load(u"FileMenu"));
    ASSERT_EQ(0u, menu.build(&builder_, true));
    EXPECT_EQ((std::vector<std::wstring>{L"&Open", L"&Save", L"---", L"Plugin one", L"Plugin two",
                                         L"---", L"&1 C:\\Docs\\one.txt", L"&2 C:\\Docs\\two.txt",
                                         L"&3 C:\\Docs\\three.txt", L"&4 C:\\Docs\\four.txt"}),
              Shown(menu.handle()));
    EXPECT_EQ(CommandId(u"RecentFile4"), IdAt(menu.handle(), 9));
    EXPECT_EQ(CommandId(u"RecentFile1"), IdAt(menu.handle(), 6));

    EXPECT_TRUE(RunRecentFileCommand(builder_, CommandId(u"RecentFile4")));
    EXPECT_EQ((std::vector<String>{u"C:\\Docs\\four.txt"}), builder_.opened);
    EXPECT_TRUE(RunRecentFileCommand(builder_, CommandId(u"RecentFile5")))
        << "a recent-file command, though nothing is stored for it";
    EXPECT_FALSE(RunRecentFileCommand(builder_, CommandId(u"SaveCmd")));
    EXPECT_EQ(1u, builder_.opened.size());
    EXPECT_EQ(29u, menu.load(u"NoSuchMenu"));
}

constexpr const char* kOwnerWindow = R"(<Window Type="MainWindow" Title="Menu owner"
    Left="40" Top="40" ClientWidth="480" ClientHeight="300" BackgroundColor="WindowBackground">
  <StatusBar ID="Status" Left="0" Top="Parent.Height-24" Width="Parent.Width" Height="24">
    <Section>Ready</Section>
  </StatusBar>
</Window>)";

std::wstring StatusText(HWND bar) {
    wchar_t text[512] = {};
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(bar, SB_GETTEXTW, 0, LPARAM(text), SMTO_BLOCK, 2000, &ignored);
    return text;
}

// The visible popup menu window of the process; null after ten seconds.
HWND WaitForPopupMenu() {
    for (int attempt = 0; attempt < 200; ++attempt) {
        HWND menu = FindWindowW(L"#32768", nullptr);
        if (menu && IsWindowVisible(menu))
            return menu;
        Sleep(50);
    }
    return nullptr;
}

// The status bar's text once it says `expected`, or what it says after ten
// seconds: a loaded machine may take its time to move the highlight.
std::wstring StatusTextOnceItSays(HWND bar, const std::wstring& expected) {
    std::wstring text = StatusText(bar);
    for (int attempt = 0; attempt < 200 && text != expected; ++attempt) {
        Sleep(50);
        text = StatusText(bar);
    }
    return text;
}

struct TrackCase {
    std::vector<WORD> keys;                // each pressed alone, the last one ends the menu
    std::vector<std::wstring> statusTexts; // the status bar after each key but the last
    const char16_t* chosen;                // null: nothing chosen
    const wchar_t* screenshot;
};

TEST_F(MenuTest, PopupMenusFollowRealKeysAndShowHelpInTheStatusBar) {
    storeRecentFiles({u"C:\\Docs\\report.txt"});
    MenuOwner* owner = showOwner(kOwnerWindow);
    HWND bar = owner->child(u"Status")->handle();
    const TrackCase cases[] = {
        {{VK_DOWN, VK_DOWN, VK_RETURN},
         {L"Opens a document", L"Saves the document"},
         u"SaveCmd",
         L"\\menu-popup-help.bmp"},
        // Separators are skipped; the owner supplies the help of its own item.
        {{VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN},
         {L"Opens a document", L"Saves the document", L"Runs the first plugin", L"",
          L"Opens the document C:\\Docs\\report.txt"},
         u"RecentFile1",
         nullptr},
        {{VK_DOWN, VK_ESCAPE}, {L"Opens a document"}, nullptr, nullptr},
    };
    for (const TrackCase& row : cases) {
        Menu menu;
        ASSERT_EQ(0u, menu.load(u"FileMenu"));
        std::vector<std::wstring> seen;
        std::atomic<bool> tracking{true};
        HWND window = owner->handle();
        std::thread driver([&] {
            if (!WaitForPopupMenu()) {
                PostMessageW(window, WM_CANCELMODE, 0, 0);
                return;
            }
            Sleep(200);
            for (size_t index = 0; index < row.keys.size(); ++index) {
                PressKeys({row.keys[index]});
                if (index + 1 < row.keys.size())
                    seen.push_back(StatusTextOnceItSays(
                        bar, index < row.statusTexts.size() ? row.statusTexts[index] : L""));
                if (index + 2 == row.keys.size() && row.screenshot)
                    vorntest::SaveScreenshot(std::wstring(VORN_SCREENSHOTS) + row.screenshot);
            }
            // A menu the keys did not end is closed, so that the test goes on.
            for (int wait = 0; wait < 200 && tracking; ++wait)
                Sleep(50);
            if (tracking)
                PostMessageW(window, WM_CANCELMODE, 0, 0);
        });
        // The pointer, where earlier tests left it, would highlight items too.
        SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 10, GetSystemMetrics(SM_CYSCREEN) - 10);
        POINT point = {40, 40};
        ClientToScreen(window, &point);
        const uint16_t chosen = menu.track(owner, point);
        tracking = false;
        driver.join();
        EXPECT_EQ(row.statusTexts, seen);
        EXPECT_EQ(row.chosen ? CommandId(row.chosen) : 0u, chosen);
        EXPECT_EQ(L"", StatusText(bar)) << "cleared when the menu closes";
        EXPECT_EQ(nullptr, menu.handle()) << "destroyed after tracking";
    }
}

TEST_F(MenuTest, ShortcutKeysPressedOnTheKeyboardSendTheirCommands) {
    ASSERT_EQ(0u, show(R"(<Window Type="MainWindow" Title="Shortcut keys" ShortcutKeys="TestKeys"
                                  Left="60" Top="60" ClientWidth="300" ClientHeight="160"/>)"));
    RecordingWindow* main = window();
    ASSERT_NE(nullptr, main->shortcutKeys());
    EXPECT_EQ(u"TestKeys", main->shortcutKeysName());
    // A window in front of the main window, owned by it, as a dialog is (one
    // that opens no context menu of its own on Shift+F10).
    HWND palette = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE | WS_BORDER, 120, 120,
                                   160, 40, main->handle(), nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, palette);
    const WPARAM toggle = MAKEWPARAM(CommandId(u"ToggleCmd"), 1);
    const WPARAM save = MAKEWPARAM(CommandId(u"SaveCmd"), 1);
    struct Press {
        std::vector<WORD> keys;
        HWND focus;
        bool enabled;
        std::vector<WPARAM> commands;
    };
    const Press presses[] = {
        {{VK_CONTROL, VK_SHIFT, VK_F10}, main->handle(), true, {toggle}},
        {{VK_CONTROL, 'S'}, main->handle(), true, {save}},
        {{VK_SHIFT, VK_F10}, main->handle(), true, {}},
        {{VK_CONTROL, VK_SHIFT, VK_F10}, palette, true, {toggle}},
        {{VK_CONTROL, VK_SHIFT, VK_F10}, palette, false, {}},
        {{VK_CONTROL, 'S'}, palette, false, {}},
    };
    for (const Press& press : presses) {
        EnableWindow(main->handle(), press.enabled);
        SetForegroundWindow(press.focus);
        SetFocus(press.focus);
        PumpMessages(150);
        ASSERT_EQ(press.focus, GetFocus());
        main->commands.clear();
        PressKeys(press.keys);
        PumpMessages(250);
        EXPECT_EQ(press.commands, main->commandWords())
            << "focus on " << (press.focus == palette ? "palette" : "main window")
            << (press.enabled ? ", enabled" : ", disabled");
    }
    EnableWindow(main->handle(), TRUE);
    DestroyWindow(palette);
}

TEST_F(MenuTest, ShortcutTablesComeFromTheirDescriptions) {
    Window window;
    EXPECT_EQ(0u, window.loadShortcutKeys(u"TestKeys"));
    HACCEL table = window.shortcutKeys();
    ASSERT_NE(nullptr, table);
    ACCEL entries[4] = {};
    ASSERT_EQ(2, CopyAcceleratorTableW(table, entries, 4));
    EXPECT_EQ(CommandId(u"ToggleCmd"), entries[0].cmd);
    EXPECT_EQ(VK_F10, entries[0].key);
    EXPECT_EQ(FVIRTKEY | FCONTROL | FSHIFT,
              entries[0].fVirt & (FVIRTKEY | FCONTROL | FSHIFT | FALT));
    EXPECT_EQ(33u, window.loadShortcutKeys(u"BrokenKeys"));
    EXPECT_EQ(nullptr, window.shortcutKeys()) << "no table for a bad entry";
    EXPECT_EQ(29u, window.loadShortcutKeys(u"NoSuchKeys"));
}

} // namespace
} // namespace vorn
