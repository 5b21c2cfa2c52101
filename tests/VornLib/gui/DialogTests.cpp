// Dialogs on the screen (Xvfb): the styles of each type as the platform
// reports them, the default button, modal dialogs ended by a driver on a
// second thread with real clicks, keys and messages as a user ends them,
// modeless dialogs, and the platform's folder browser.
#include <atomic>
#include <string>
#include <thread>

#include "ControlTestSupport.h"
#include "TestText.h"
#include "VornLib/core/XmlTestSupport.h"
#include "VornLib/data/ResourceCache.h"
#include "VornLib/gui/BrowseFolderDialog.h"
#include "VornLib/gui/ControlCatalogue.h"
#include "VornLib/gui/Dialog.h"
#include "VornLib/gui/ShortcutKeys.h"
#include "WindowDriver.h"

namespace vorn {
namespace {

const uint16_t kOK = CommandId(u"OK");
const uint16_t kCancel = CommandId(u"Cancel");

class DialogTest : public ControlTest {
public:
    static void SetUpTestSuite() {
        ControlTest::SetUpTestSuite();
        ASSERT_EQ(0u, ResourceCache::Instance().registerDocument(u"Data/Xml/CommandTests.xml"));
    }

protected:
    Result describe(Dialog* dialog, const char* xml) {
        XmlDocument document;
        const Result parsed = ParseText(document, xml);
        return parsed != kResultOk ? parsed : dialog->readDescription(document.root());
    }
};

struct TypeCase {
    const char* type;
    uint32_t style;
    uint32_t extendedStyle; // the bits of the extended style that the type sets
};

constexpr uint32_t kPopupBase = WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN |
                                DS_SETFONT | DS_FIXEDSYS | DS_3DLOOK;
constexpr uint32_t kTypeExtendedBits = WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;

// A window with a modal dialog frame drops the low 16 style bits when made.
const TypeCase kTypeCases[] = {
    {"Popup", (kPopupBase | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME) & 0xFFFF0000u,
     WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE},
    {"StatusPopup", (kPopupBase | WS_DLGFRAME | DS_MODALFRAME) & 0xFFFF0000u,
     WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE},
    {"SimplePopup", kPopupBase | WS_CAPTION, 0},
    {"ThinPopup", kPopupBase | WS_BORDER, 0},
};

TEST_F(DialogTest, EachTypeHasItsStylesOnThePlatform) {
    for (const TypeCase& row : kTypeCases) {
        Dialog dialog;
        ASSERT_EQ(0u, describe(&dialog, (std::string("<DialogBox Type=\"") + row.type +
                                         "\" Left=\"20\" Top=\"20\" Width=\"200\" Height=\"100\"/>")
                                            .c_str()));
        ASSERT_EQ(0u, dialog.create()) << row.type;
        EXPECT_EQ(row.style, StyleOf(dialog.handle())) << row.type;
        // The platform adds an edge to any window with a dialog frame.
        const uint32_t platformEdge = (row.style & WS_DLGFRAME) ? WS_EX_WINDOWEDGE : 0;
        EXPECT_EQ(row.extendedStyle | platformEdge,
                  ExtendedStyleOf(dialog.handle()) & kTypeExtendedBits)
            << row.type;
        EXPECT_EQ(ClassName(dialog.handle()), u"VornControlTests::Dialog");
        dialog.destroy();
    }
    Dialog unknown;
    EXPECT_EQ(5u, describe(&unknown, R"(<DialogBox Type="Overlay"/>)"));
    EXPECT_EQ(5u, describe(&unknown, R"(<DialogBox Type="popup"/>)")) << "compared exactly";
}

TEST_F(DialogTest, TitlesAndTheDefaultButton) {
    Dialog untitled;
    ASSERT_EQ(0u, describe(&untitled, R"(<DialogBox Type="Popup" Width="200" Height="100"/>)"));
    ASSERT_EQ(0u, untitled.create());
    EXPECT_EQ(L"VornControlTests", vorntest::WindowText(untitled.handle()))
        << "without a title, the application's name";

    Dialog titled;
    ASSERT_EQ(0u, titled.load(u"ConfirmDialog"));
    ASSERT_EQ(0u, titled.create());
    EXPECT_EQ(L"Confirm the test", vorntest::WindowText(titled.handle()));
    const LRESULT answer = SendMessageW(titled.handle(), DM_GETDEFID, 0, 0);
    EXPECT_EQ(kOK, LOWORD(answer));
    EXPECT_EQ(0x534B, HIWORD(answer));
    titled.setDefaultButton(kCancel);
    EXPECT_EQ(kCancel, LOWORD(SendMessageW(titled.handle(), DM_GETDEFID, 0, 0)));
    EXPECT_EQ(29u, titled.load(u"NoSuchDialog"));
}

enum class Act { ClickOK, PressEscape, PressReturn, PostClose, PostOK };

void Perform(Act act, HWND dialog) {
    switch (act) {
    case Act::ClickOK: {
        RECT button = {};
        GetWindowRect(GetDlgItem(dialog, kOK), &button);
        ClickAt({(button.left + button.right) / 2, (button.top + button.bottom) / 2});
        break;
    }
    case Act::PressEscape:
        PressKeys({VK_ESCAPE});
        break;
    case Act::PressReturn:
        PressKeys({VK_RETURN});
        break;
    case Act::PostClose:
        PostMessageW(dialog, WM_CLOSE, 0, 0);
        break;
    case Act::PostOK:
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        break;
    }
}

struct ModalCase {
    const char* what;
    const char* xml; // null: the "ConfirmDialog" description
    std::vector<Act> acts;
    size_t endingAct; // the act after which the dialog is gone
    uint16_t result;
};

constexpr const char* kBare = R"(<DialogBox Type="Popup" Title="Bare dialog" Left="80" Top="80"
                                             Width="240" Height="120"/>)";
constexpr const char* kNoClose = R"(<DialogBox Type="Popup" Title="No close" CloseButton="false"
                                    WantOK="true" Left="80" Top="80" Width="240" Height="120"/>)";
constexpr const char* kWantsCancel = R"(<DialogBox Type="Popup" Title="Wants cancel"
    CloseButton="false" WantCancel="true" Left="80" Top="80" Width="240" Height="120"/>)";
constexpr const char* kRefusesOK = R"(<DialogBox Type="Popup" Title="Refuses OK" WantOK="false"
    Left="80" Top="80" Width="240" Height="120">
  <Button ID="OK" Title="OK" Left="20" Top="40" Width="80" Height="26"/>
  <Button ID="Cancel" Title="Cancel" Left="120" Top="40" Width="80" Height="26"/>
</DialogBox>)";

const ModalCase kModalCases[] = {
    {"a click on OK", nullptr, {Act::ClickOK}, 0, kOK},
    {"Escape with a Cancel button", nullptr, {Act::PressEscape}, 0, kCancel},
    {"Return presses the default button", nullptr, {Act::PressReturn}, 0, kOK},
    {"closing a dialog with buttons cancels it", nullptr, {Act::PostClose}, 0, kCancel},
    {"a usable Close entry lets a bare dialog close", kBare, {Act::PostClose}, 0, kCancel},
    {"no buttons and a disabled Close entry: closing is ignored",
     kNoClose,
     {Act::PostClose, Act::PressEscape, Act::PostOK},
     2,
     kOK},
    {"WantCancel closes despite the disabled Close entry",
     kWantsCancel,
     {Act::PostClose},
     0,
     kCancel},
    {"WantOK false keeps the dialog open on OK",
     kRefusesOK,
     {Act::ClickOK, Act::PressEscape},
     1,
     kCancel},
};

TEST_F(DialogTest, ModalDialogsEndAsTheUserEndsThem) {
    ASSERT_EQ(0u, show(R"(<Window Type="MainWindow" Title="Dialog owner" Left="20" Top="20"
                                  ClientWidth="500" ClientHeight="360"/>)"));
    HWND owner = window()->handle();
    const DWORD mainThread = GetCurrentThreadId();
    bool screenshotTaken = false;
    for (const ModalCase& row : kModalCases) {
        Dialog dialog;
        ASSERT_EQ(0u, row.xml ? describe(&dialog, row.xml) : dialog.load(u"ConfirmDialog"))
            << row.what;
        const std::wstring title(Wide(dialog.title().data()));
        std::vector<bool> openAfter;
        bool ownerDisabled = false;
        std::atomic<bool> running{true};
        std::thread driver([&] {
            HWND shown = vorntest::WaitForWindow(title, 5);
            if (shown) {
                SetForegroundWindow(shown);
                Sleep(250);
                ownerDisabled = !IsWindowEnabled(owner);
                if (!screenshotTaken) {
                    screenshotTaken = vorntest::SaveScreenshot(std::wstring(VORN_SCREENSHOTS) +
                                                               L"\\dialog-modal.bmp");
                }
                for (Act act : row.acts) {
                    Perform(act, shown);
                    Sleep(300);
                    openAfter.push_back(IsWindow(shown) && IsWindowVisible(shown));
                }
            }
            // A dialog that did not end is stopped, so that the test goes on
            // (Wine takes up to two seconds to take a closed window away).
            for (int wait = 0; wait < 100 && running; ++wait)
                Sleep(50);
            if (running)
                PostThreadMessageW(mainThread, WM_QUIT, 0, 0);
        });
        uint32_t result = 0;
        EXPECT_EQ(0u, dialog.runModal(owner, &result)) << row.what;
        running = false;
        driver.join();
        MSG quit;
        EXPECT_FALSE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << row.what;
        std::vector<bool> expectedOpen(row.acts.size(), false);
        for (size_t index = 0; index < row.endingAct; ++index)
            expectedOpen[index] = true;
        EXPECT_EQ(expectedOpen, openAfter) << row.what;
        EXPECT_EQ(row.result, result) << row.what;
        EXPECT_TRUE(ownerDisabled) << row.what << ": the owner is disabled meanwhile";
        EXPECT_TRUE(IsWindowEnabled(owner)) << row.what;
        EXPECT_EQ(nullptr, dialog.handle()) << row.what;
    }
    EXPECT_TRUE(screenshotTaken);
}

TEST_F(DialogTest, AModelessDialogIsDestroyedWhenItEnds) {
    Dialog dialog;
    ASSERT_EQ(0u, dialog.load(u"ConfirmDialog"));
    ASSERT_EQ(0u, dialog.showModeless(nullptr));
    HWND shown = dialog.handle();
    ASSERT_NE(nullptr, shown);
    EXPECT_TRUE(IsWindowVisible(shown));
    PumpMessages(100);
    dialog.endDialog(kOK);
    EXPECT_FALSE(IsWindow(shown));
    EXPECT_EQ(nullptr, dialog.handle());
    EXPECT_EQ(kOK, dialog.result());
}

BOOL CALLBACK FindDialogWindow(HWND window, LPARAM out) {
    if (!IsWindowVisible(window) || !(ClassName(window) == u"#32770"))
        return TRUE;
    *reinterpret_cast<HWND*>(out) = window;
    return FALSE;
}

// Folders of the test's own under the temporary folder.
class BrowseFolderTest : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        // Not below the temporary folder: the browser hides AppData's tree.
        base_ = L"C:\\VornBrowseTest";
        CreateDirectoryW(base_.c_str(), nullptr);
        CreateDirectoryW((base_ + L"\\Inner").c_str(), nullptr);
    }
    void TearDown() override {
        RemoveDirectoryW((base_ + L"\\Inner").c_str());
        RemoveDirectoryW(base_.c_str());
        DialogTest::TearDown();
    }

    // The platform's folder browser of this process; null after five seconds.
    static HWND WaitForBrowser(DWORD thread) {
        for (int attempt = 0; attempt < 100; ++attempt) {
            HWND found = nullptr;
            EnumThreadWindows(thread, FindDialogWindow, LPARAM(&found));
            if (found)
                return found;
            Sleep(50);
        }
        return nullptr;
    }

    static HWND TreeOf(HWND browser) {
        HWND tree = nullptr;
        for (const auto& child : vorntest::ChildTexts(browser))
            if (ClassName(child.first) == u"SysTreeView32")
                tree = child.first;
        return tree;
    }

    static std::wstring ItemText(HWND tree, HTREEITEM item) {
        wchar_t text[MAX_PATH] = {};
        TVITEMW data = {};
        data.mask = TVIF_TEXT;
        data.hItem = item;
        data.pszText = text;
        data.cchTextMax = MAX_PATH;
        SendMessageW(tree, TVM_GETITEMW, 0, LPARAM(&data));
        return text;
    }

    std::wstring base_;
};

struct BrowseCase {
    const char* what;
    const wchar_t* preset; // below the test's folder
    bool chooseInner;      // select the preset's subfolder in the tree
    bool cancel;
    uint32_t result;
    const wchar_t* folder; // below the test's folder
};

TEST_F(BrowseFolderTest, TheUserChoosesAFolderFromThePreset) {
    ASSERT_EQ(0u, show(R"(<Window Type="MainWindow" Title="Browse owner" Left="20" Top="20"
                                  ClientWidth="400" ClientHeight="300"/>)"));
    const BrowseCase cases[] = {
        {"OK on the preset folder", L"", false, false, 0, L"\\"},
        {"a preset as this dialog returns it", L"\\", false, false, 0, L"\\"},
        {"a subfolder chosen in the tree", L"\\", true, false, 0, L"\\Inner\\"},
        {"cancelled", L"", false, true, 8, nullptr},
    };
    const DWORD mainThread = GetCurrentThreadId();
    for (const BrowseCase& row : cases) {
        BrowseFolderDialog dialog;
        XmlDocument document;
        ASSERT_EQ(0u, ParseText(document, R"(<BrowseFolderDialog Title="Choose the folder"
                                                     NewFolderButton="false"/>)"));
        ASSERT_EQ(0u, dialog.readDescription(document.root()));
        EXPECT_FALSE(dialog.newFolderButton());
        std::wstring presetText, chosenText;
        bool okWithoutPath = true, okOnFolder = false;
        std::thread driver([&] {
            HWND browser = WaitForBrowser(mainThread);
            HWND tree = browser ? TreeOf(browser) : nullptr;
            if (!tree) {
                if (browser)
                    PostMessageW(browser, WM_COMMAND, IDCANCEL, 0);
                return;
            }
            HWND ok = GetDlgItem(browser, IDOK);
            // The browser may still be walking down to the preset.
            HTREEITEM preset = nullptr;
            for (int attempt = 0; attempt < 50 && presetText != L"VornBrowseTest"; ++attempt) {
                Sleep(100);
                preset = HTREEITEM(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
                presetText = ItemText(tree, preset);
            }
            // The computer itself is no file-system folder: OK is disabled there.
            const HTREEITEM root = HTREEITEM(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
            SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, LPARAM(root));
            Sleep(200);
            okWithoutPath = IsWindowEnabled(ok);
            SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, LPARAM(preset));
            Sleep(200);
            okOnFolder = IsWindowEnabled(ok);
            if (row.chooseInner) {
                SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, LPARAM(preset));
                const HTREEITEM inner =
                    HTREEITEM(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CHILD, LPARAM(preset)));
                chosenText = ItemText(tree, inner);
                SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, LPARAM(inner));
                Sleep(200);
            }
            PostMessageW(GetDlgItem(browser, row.cancel ? IDCANCEL : IDOK), BM_CLICK, 0, 0);
        });
        String folder = u"unchanged";
        const Result result =
            dialog.run(window()->handle(), String(Units((base_ + row.preset).c_str())), &folder);
        driver.join();
        EXPECT_EQ(row.result, result) << row.what;
        EXPECT_EQ(L"VornBrowseTest", presetText) << row.what << ": the preset is selected";
        EXPECT_FALSE(okWithoutPath) << row.what;
        EXPECT_TRUE(okOnFolder) << row.what;
        if (row.chooseInner) {
            EXPECT_EQ(L"Inner", chosenText);
        }
        const std::wstring expected = row.folder ? base_ + row.folder : L"";
        EXPECT_EQ(expected, std::wstring(Wide(folder.data()))) << row.what;
    }
}

} // namespace
} // namespace vorn
