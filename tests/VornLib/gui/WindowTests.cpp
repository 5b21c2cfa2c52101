// Described windows on the screen (Xvfb): read from small descriptions,
// created on the platform and measured the way the platform reports them.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "TestText.h"
#include "VornLib/core/Format.h"
#include "VornLib/core/PreferencesStore.h"
#include "VornLib/core/RegistryKey.h"
#include "VornLib/core/XmlTestSupport.h"
#include "VornLib/gui/ControlCatalogue.h"
#include "VornLib/gui/MainWindow.h"
#include "VornLib/gui/MessageLoop.h"
#include "VornLib/gui/WindowSystem.h"
#include "WindowDriver.h"

#include <commctrl.h>

namespace vorn {
namespace {

// What reached the windows of a test, in order.
std::vector<std::wstring> gMessageLog;
bool gLabelHandlesNotifications = true;

// A control of the static family as the catalogue makes one: a system class
// behind the framework's procedure, hearing its own notifications first.
class TestLabel : public Window {
public:
    TestLabel() { setBehaviour(kWrapsSystemClass | kReceivesReflected, true); }
    static std::unique_ptr<Window> Create() { return std::make_unique<TestLabel>(); }

protected:
    const wchar_t* systemClassName() const override { return L"STATIC"; }
    bool handleMessage(UINT message, WPARAM w, LPARAM l, LRESULT* result) override {
        if (message == WM_COMMAND || message == WM_NOTIFY) {
            gMessageLog.push_back(L"label");
            if (gLabelHandlesNotifications) {
                *result = 0;
                return true;
            }
        }
        return Window::handleMessage(message, w, l, result);
    }
};

// A kind that starts with every border, as edit controls do.
class EdgedPanel : public Window {
public:
    EdgedPanel() {
        setStyle(style() | WS_BORDER);
        setExtendedStyle(extendedStyle() | WS_EX_STATICEDGE | WS_EX_CLIENTEDGE);
    }
    static std::unique_ptr<Window> Create() { return std::make_unique<EdgedPanel>(); }
};

// A parent that notes the notifications that reach it and the data that
// other processes send.
class RecordingWindow : public MainWindow {
public:
    std::vector<std::string> copiedData;

    bool receiveCopyData(HWND, const COPYDATASTRUCT& data) override {
        copiedData.emplace_back(static_cast<const char*>(data.lpData), data.cbData);
        return true;
    }

protected:
    bool handleMessage(UINT message, WPARAM w, LPARAM l, LRESULT* result) override {
        if (message == WM_COMMAND || message == WM_NOTIFY) {
            gMessageLog.push_back(L"parent");
            *result = 0;
            return true;
        }
        return MainWindow::handleMessage(message, w, l, result);
    }
};

Result Describe(Window* window, const std::string& xml) {
    XmlDocument document;
    const Result parsed = ParseText(document, xml.c_str());
    if (parsed != kResultOk)
        return parsed;
    return window->readDescription(document.root());
}

template <class Kind = RecordingWindow> std::unique_ptr<Kind> Build(const std::string& xml) {
    std::unique_ptr<Kind> window(new Kind);
    EXPECT_EQ(0u, Describe(window.get(), xml)) << xml;
    EXPECT_EQ(0u, window->create()) << xml;
    return window;
}

struct Box {
    LONG left, top, width, height;
    bool operator==(const Box& other) const {
        return left == other.left && top == other.top && width == other.width &&
               height == other.height;
    }
};

void PrintTo(const Box& box, std::ostream* os) {
    *os << "{" << box.left << ", " << box.top << ", " << box.width << ", " << box.height << "}";
}

// The window's rectangle on the screen, or in its parent's client area.
Box Placement(const Window* window) {
    RECT rectangle = {};
    GetWindowRect(window->handle(), &rectangle);
    if (GetWindowLongW(window->handle(), GWL_STYLE) & WS_CHILD)
        MapWindowPoints(nullptr, GetParent(window->handle()), reinterpret_cast<POINT*>(&rectangle),
                        2);
    return {rectangle.left, rectangle.top, rectangle.right - rectangle.left,
            rectangle.bottom - rectangle.top};
}

SIZE ClientSize(const Window* window) {
    RECT client = {};
    GetClientRect(window->handle(), &client);
    return {client.right, client.bottom};
}

LOGFONTW FontOf(const Window* window) {
    LOGFONTW font = {};
    HGDIOBJ handle = HGDIOBJ(SendMessageW(window->handle(), WM_GETFONT, 0, 0));
    EXPECT_NE(nullptr, handle);
    EXPECT_EQ(int(sizeof font), GetObjectW(handle, sizeof font, &font));
    return font;
}

void PumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchToWindows(&message);
}

// A top-level host whose client area is 400 x 300 pixels.
std::string Host(const std::string& children) {
    return "<Window ID=\"Host\" Type=\"MainWindow\" Title=\"Window tests\" Left=\"10\" Top=\"10\" "
           "ClientWidth=\"400\" ClientHeight=\"300\">" +
           children + "</Window>";
}

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        WindowSystem::Instance().setApplicationName(u"WindowTests");
        (void)RegisterWindowKind({u"TestLabel", TestLabel::Create});
        (void)RegisterWindowKind({u"EdgedPanel", EdgedPanel::Create});
        gMessageLog.clear();
        gLabelHandlesNotifications = true;
    }
    void TearDown() override {
        WindowSystem& system = WindowSystem::Instance();
        system.setMainWindow(nullptr);
        system.setExitCodeSource(nullptr);
        PumpMessages();
    }
};

TEST_F(WindowTest, HostsHaveTheApplicationsClassAndTheDescribedClientArea) {
    auto host = Build(Host(""));
    ASSERT_NE(nullptr, host->handle());
    wchar_t className[64] = {};
    GetClassNameW(host->handle(), className, 64);
    EXPECT_STREQ(L"WindowTests::Window", className);
    EXPECT_EQ(400, ClientSize(host.get()).cx);
    EXPECT_EQ(300, ClientSize(host.get()).cy);
    EXPECT_EQ(14u, host->create()) << "a window is created once";
}

struct LayoutCase {
    const char* children;
    const char16_t* measured;
    Box expected;
};

// Children of a 400 x 300 client area whose base units are 6 and 16.
const LayoutCase kLayoutCases[] = {
    {R"(<Window ID="Box" Left="4" Top="4" Width="Parent.Width-8" Height="20"/>)",
     u"Box",
     {4, 4, 392, 20}},
    {R"(<Window ID="Box" Left="0" Top="0" Width="Parent.Width/2" Height="Parent.Height/2+10"/>)",
     u"Box",
     {0, 0, 200, 160}},
    {R"(<Window ID="Box" Left="0" Top="0" Width="Parent.Width/0" Height="10"/>)",
     u"Box",
     {0, 0, 400, 10}},
    {R"(<Window ID="Box" Left="0" Top="0" Width="Parent.Width-8+2" Height="10"/>)",
     u"Box",
     {0, 0, 402, 10}},
    {R"(<Window ID="Box" Left="10dlu" Top="10dlu" Width="10dlu" Height="10dlu"/>)",
     u"Box",
     {15, 20, 15, 20}},
    // Bounds clamp relative edges; a minimum above the maximum wins.
    {R"(<Window ID="Box" Left="0" Top="0" Width="Parent.Width" MaxWidth="150" Height="10"/>)",
     u"Box",
     {0, 0, 150, 10}},
    {R"(<Window ID="Box" Left="0" Top="0" Width="Parent.Width/4" MinWidth="120" Height="10"/>)",
     u"Box",
     {0, 0, 120, 10}},
    {R"(<Window ID="Box" Left="0" Top="0" Width="Parent.Width" MinWidth="250" MaxWidth="150"
                 Height="10"/>)",
     u"Box",
     {0, 0, 250, 10}},
    {R"(<Window ID="Box" Left="0" Top="0" Width="Parent.Width" MaxWidth="20dlu" Height="10"/>)",
     u"Box",
     {0, 0, 30, 10}},
    {R"(<Window ID="Box" Left="0" Top="0" Width="500" MaxWidth="150" Height="10"/>)",
     u"Box",
     {0, 0, 500, 10}},
    // An end and a size derive the start, whatever "Top" says.
    {R"(<Window ID="Box" Top="5" Left="0" Width="10" Bottom="Parent.Height-1" Height="50"/>)",
     u"Box",
     {0, 250, 10, 50}},
    {R"(<Window ID="Box" Top="10" Left="0" Width="10" Bottom="Parent.Height-11"/>)",
     u"Box",
     {0, 10, 10, 280}},
    {R"(<Window ID="Box" Top="0" Height="10" Right="Parent.Width-1" Width="100"/>)",
     u"Box",
     {300, 0, 100, 10}},
    // Siblings resolve when laid out, wherever they stand in the description.
    {R"(<Window ID="Box" Left="Later.Right+1" Top="Later.Bottom+2" Width="10" Height="10"/>
        <Window ID="Later" Left="20" Top="30" Width="50" Height="40"/>)",
     u"Box",
     {70, 71, 10, 10}},
    {R"(<Window ID="OK" Left="300" Top="250" Width="80" Height="20"/>
        <Window ID="Box" Left="OK.Left-4dlu-1" Top="OK.Top" Width="OK.Width" Height="OK.Height"/>)",
     u"Box",
     {293, 250, 80, 20}},
};

TEST_F(WindowTest, ChildrenArePlacedByTheirLayoutExpressions) {
    for (const LayoutCase& row : kLayoutCases) {
        std::unique_ptr<RecordingWindow> host(new RecordingWindow);
        ASSERT_EQ(0u, Describe(host.get(), Host(row.children))) << row.children;
        host->setBaseUnits(6, 16);
        ASSERT_EQ(0u, host->create()) << row.children;
        ASSERT_EQ(400, ClientSize(host.get()).cx);
        const Window* measured = host->child(row.measured);
        ASSERT_NE(nullptr, measured) << row.children;
        EXPECT_EQ(row.expected, Placement(measured)) << row.children;
    }
}

TEST_F(WindowTest, ClientSizeOfATopLevelWindowAddsItsFrame) {
    for (const char* caption : {"true", "false"}) {
        auto window = Build(std::string(R"(<Window Type="MainWindow" Caption=")") + caption +
                            R"(" Left="20" Top="20" ClientWidth="300" ClientHeight="200"/>)");
        EXPECT_EQ(300, ClientSize(window.get()).cx) << caption;
        EXPECT_EQ(200, ClientSize(window.get()).cy) << caption;
        RECT frame = {0, 0, 300, 200};
        ASSERT_TRUE(AdjustWindowRectEx(&frame, DWORD(GetWindowLongW(window->handle(), GWL_STYLE)),
                                       FALSE,
                                       DWORD(GetWindowLongW(window->handle(), GWL_EXSTYLE))));
        const Box expected = {20, 20, frame.right - frame.left, frame.bottom - frame.top};
        EXPECT_EQ(expected, Placement(window.get())) << caption;
        EXPECT_GT(expected.width, 300) << caption;
    }
}

TEST_F(WindowTest, ResizingTheParentLaysOutItsDependents) {
    auto host = Build(Host(R"(<Window ID="Box" Left="4" Top="4" Width="Parent.Width-8"
                                      Height="Parent.Height/2"/>
                              <Window ID="Fixed" Left="0" Top="200" Width="30" Height="30"/>)"));
    const Box outer = Placement(host.get());
    SetWindowPos(host->handle(), nullptr, 0, 0, outer.width + 100, outer.height - 40,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_EQ(500, ClientSize(host.get()).cx);
    ASSERT_EQ(260, ClientSize(host.get()).cy);
    EXPECT_EQ((Box{4, 4, 492, 130}), Placement(host->child(u"Box")));
    EXPECT_EQ((Box{0, 200, 30, 30}), Placement(host->child(u"Fixed")));
}

TEST_F(WindowTest, TheThirtyThirdDependentIsNotLaidOutAgain) {
    std::string children = R"(<Window ID="Anchor" Left="10" Top="0" Width="20" Height="4"/>)";
    for (int index = 1; index <= 33; ++index)
        children += "<Window ID=\"Follower" + std::to_string(index) +
                    "\" Left=\"Anchor.Right+1\" Top=\"" + std::to_string(index * 5) +
                    "\" Width=\"10\" Height=\"4\"/>";
    auto host = Build(Host(children));
    auto follower = [&](int index) { return host->child(Format(u"Follower{0}", {index}).data()); };
    for (int index = 1; index <= 33; ++index)
        ASSERT_EQ(30, Placement(follower(index)).left) << "laid out once: " << index;

    Window* anchor = host->child(u"Anchor");
    anchor->setEdge(Edge::Left, 100);
    anchor->layout();
    EXPECT_EQ(100, Placement(anchor).left);
    for (int index = 1; index <= 32; ++index)
        EXPECT_EQ(120, Placement(follower(index)).left) << index;
    EXPECT_EQ(30, Placement(follower(33)).left) << "not recorded as a dependent";
}

TEST_F(WindowTest, BorderReplacesEveryBorder) {
    const struct {
        const char* border; // null: no attribute
        bool solid, staticEdge, clientEdge;
    } rows[] = {
        {nullptr, true, true, true},        {"None", false, false, false},
        {"Solid", true, false, false},      {"StaticEdge", false, true, false},
        {"ClientEdge", false, false, true}, {"Groove", false, false, false},
        {"solid", false, false, false},
    };
    for (const auto& row : rows) {
        const std::string attribute =
            row.border ? std::string(" Border=\"") + row.border + "\"" : std::string();
        auto host =
            Build(Host("<EdgedPanel ID=\"Panel\" Left=\"0\" Top=\"0\" Width=\"50\" Height=\"50\"" +
                       attribute + "/>"));
        HWND panel = host->child(u"Panel")->handle();
        const LONG style = GetWindowLongW(panel, GWL_STYLE);
        const LONG extended = GetWindowLongW(panel, GWL_EXSTYLE);
        const std::string name = row.border ? row.border : "(none)";
        EXPECT_EQ(row.solid, (style & WS_BORDER) != 0) << name;
        EXPECT_EQ(row.staticEdge, (extended & WS_EX_STATICEDGE) != 0) << name;
        EXPECT_EQ(row.clientEdge, (extended & WS_EX_CLIENTEDGE) != 0) << name;
    }
}

TEST_F(WindowTest, FontTextReachesThePlatformWindow) {
    auto host = Build(Host(R"(<TestLabel ID="Named" Font="Tahoma,Bold,11" Left="0" Top="0"
                                         Width="100" Height="20"/>
                              <TestLabel ID="Scaled" Font="{Caption},*1.25" Left="0" Top="30"
                                         Width="100" Height="20"/>)"));
    const LOGFONTW named = FontOf(host->child(u"Named"));
    EXPECT_EQ(-11, named.lfHeight);
    EXPECT_EQ(700, named.lfWeight);
    EXPECT_STREQ(L"Tahoma", named.lfFaceName);

    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof metrics;
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0));
    const LONG base = metrics.lfCaptionFont.lfHeight;
    const LONG magnitude = LONG(std::fabs(float(base)) * 1.25f + 0.5f);
    const LOGFONTW scaled = FontOf(host->child(u"Scaled"));
    EXPECT_EQ(base < 0 ? -magnitude : magnitude, scaled.lfHeight) << "caption height " << base;
    EXPECT_EQ(metrics.lfCaptionFont.lfWeight, scaled.lfWeight);
    EXPECT_STREQ(metrics.lfCaptionFont.lfFaceName, scaled.lfFaceName);

    // A font set later is sent at once.
    ASSERT_EQ(0u, host->child(u"Named")->setFontText(u"Tahoma,Italic,14"));
    const LOGFONTW changed = FontOf(host->child(u"Named"));
    EXPECT_EQ(-14, changed.lfHeight);
    EXPECT_TRUE(changed.lfItalic);
}

TEST_F(WindowTest, DescriptionErrorsEndTheReading) {
    const struct {
        const char* xml;
        uint32_t expected;
    } rows[] = {
        {R"(<Window Redraw="Sideways"/>)", 5},
        {R"(<Window MouseCursor="{Arrow}"/>)", 5},
        {R"(<Window Type="Popup"/>)", 5},
        {R"(<Window Type="ClientWindow" Redraw="Both" MouseCursor="{Hand}"/>)", 0},
        {R"(<Window><Window/><NoSuchControl/></Window>)", 39},
        {R"(<Window><Window Redraw="Sideways"/></Window>)", 39},
    };
    for (const auto& row : rows) {
        Window window;
        EXPECT_EQ(row.expected, Describe(&window, row.xml)) << row.xml;
    }
    Window window;
    EXPECT_EQ(15u, window.readDescription(nullptr));

    // What was applied before the failure stays; nothing after it is read.
    Window applied;
    ASSERT_EQ(5u,
              Describe(&applied, R"(<Window Title="Applied" Redraw="x" ShortcutKeys="Keys"/>)"));
    EXPECT_EQ(applied.title(), u"Applied");
    EXPECT_TRUE(applied.shortcutKeysName().isEmpty());
    Window typed;
    ASSERT_EQ(5u, Describe(&typed, R"(<Window Type="Popup" Title="Never"/>)"));
    EXPECT_TRUE(typed.title().isEmpty());
}

TEST_F(WindowTest, NotificationsReachAReceivingControlBeforeItsParent) {
    const struct {
        UINT message;
        WORD code;
        bool receives, handles;
        std::vector<std::wstring> expected;
    } rows[] = {
        {WM_COMMAND, STN_ENABLE, true, true, {L"label"}},
        {WM_COMMAND, STN_ENABLE, true, false, {L"label", L"parent"}},
        {WM_COMMAND, STN_DBLCLK, true, true, {L"parent"}}, // code 1 is not reflected
        {WM_COMMAND, STN_ENABLE, false, true, {L"parent"}},
        {WM_NOTIFY, 0, true, true, {L"label"}},
    };
    auto host = Build(Host(R"(<TestLabel ID="Label" Left="0" Top="0" Width="80" Height="20"/>)"));
    Window* label = host->child(u"Label");
    const int id = GetDlgCtrlID(label->handle());
    EXPECT_EQ(label->name(), id) << "the name identifier is the control identifier";
    for (const auto& row : rows) {
        gMessageLog.clear();
        gLabelHandlesNotifications = row.handles;
        label->setBehaviour(kReceivesReflected, row.receives);
        if (row.message == WM_COMMAND) {
            SendMessageW(host->handle(), WM_COMMAND, MAKEWPARAM(id, row.code),
                         LPARAM(label->handle()));
        } else {
            NMHDR header = {label->handle(), UINT_PTR(id), NM_CLICK};
            SendMessageW(host->handle(), WM_NOTIFY, WPARAM(id), LPARAM(&header));
        }
        EXPECT_EQ(row.expected, gMessageLog) << row.message << " " << row.code;
    }
}

TEST_F(WindowTest, CopiedDataGoesToTheMainWindow) {
    const char* kTopLevel =
        R"(<Window Type="MainWindow" Left="0" Top="0" Width="100" Height="80"/>)";
    auto main = Build(kTopLevel);
    auto other = Build(kTopLevel);
    const char kData[] = "open this";
    COPYDATASTRUCT data = {1, sizeof kData - 1, const_cast<char*>(kData)};

    EXPECT_EQ(0, SendMessageW(other->handle(), WM_COPYDATA, 0, LPARAM(&data)))
        << "without a main window nobody takes it";
    WindowSystem::Instance().setMainWindow(main.get());
    EXPECT_EQ(TRUE,
              SendMessageW(other->handle(), WM_COPYDATA, WPARAM(other->handle()), LPARAM(&data)));
    EXPECT_EQ(TRUE, SendMessageW(main->handle(), WM_COPYDATA, 0, LPARAM(&data)));
    EXPECT_EQ((std::vector<std::string>{"open this", "open this"}), main->copiedData);
    EXPECT_TRUE(other->copiedData.empty());
}

int32_t TestExitCode() {
    return 23;
}

// The quit message's code, when one is waiting.
bool TakeQuitMessage(WPARAM* code) {
    MSG message;
    bool quit = false;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            quit = true;
            *code = message.wParam;
        } else {
            DispatchMessageW(&message);
        }
    }
    return quit;
}

TEST_F(WindowTest, DestroyingTheMainWindowPostsTheExitCode) {
    const char* kTopLevel =
        R"(<Window Type="MainWindow" Left="0" Top="0" Width="100" Height="80"/>)";
    auto main = Build(kTopLevel);
    auto other = Build(kTopLevel);
    WindowSystem& system = WindowSystem::Instance();
    system.setMainWindow(main.get());
    system.setExitCodeSource(TestExitCode);
    WPARAM code = 0;
    ASSERT_FALSE(TakeQuitMessage(&code));
    other->destroy();
    EXPECT_FALSE(TakeQuitMessage(&code)) << "only the main window ends the program";
    main->destroy();
    EXPECT_EQ(nullptr, main->handle());
    ASSERT_TRUE(TakeQuitMessage(&code));
    EXPECT_EQ(23u, code);
}

TEST_F(WindowTest, KeepOnScreenMovesWithoutResizing) {
    const LONG left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const LONG top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const LONG right = left + GetSystemMetrics(SM_CXVIRTUALSCREEN);
    const LONG bottom = top + GetSystemMetrics(SM_CYVIRTUALSCREEN);
    ASSERT_GT(right, left);
    const LONG widest = GetSystemMetrics(SM_CXMAXTRACK);
    ASSERT_GT(widest, right - left);
    const struct {
        Box start;
        LONG expectedLeft, expectedTop;
    } rows[] = {
        {{right + 5000, bottom + 5000, 200, 100}, right - 200, bottom - 100},
        {{left - 5000, top - 3000, 200, 100}, left, top},
        {{left + 100, top + 50, 200, 100}, left + 100, top + 50},
        {{right - 50, top + 50, 200, 100}, right - 200, top + 50},
        // Wider than the screen (as wide as the platform lets a window
        // grow): its left part stays reachable.
        {{left + 100, top + 50, widest, 100}, left, top + 50},
    };
    auto window = Build(R"(<Window Type="MainWindow" Left="0" Top="0" Width="10" Height="10"/>)");
    for (const auto& row : rows) {
        SetWindowPos(window->handle(), nullptr, row.start.left, row.start.top, row.start.width,
                     row.start.height, SWP_NOZORDER | SWP_NOACTIVATE);
        ASSERT_EQ(row.start, Placement(window.get()));
        window->keepOnScreen(false);
        const Box kept = Placement(window.get());
        const Box expected = {row.expectedLeft, row.expectedTop, row.start.width, row.start.height};
        EXPECT_EQ(expected, kept);
        EXPECT_LE(kept.left, right - 32);
        EXPECT_LE(kept.top, bottom - 32);
        EXPECT_GE(kept.left + kept.width, left + 32);
        EXPECT_GE(kept.top + kept.height, top + 32);
    }
}

TEST_F(WindowTest, ATransparentChildLetsItsAncestorsPaintBeneathIt) {
    const struct {
        const char* children;
        bool hostClips, middleClips;
    } rows[] = {
        // The walk ends at the first ancestor with a background of its own.
        {R"(<Window ID="Middle" BackgroundColor="#FFFFFF" Left="0" Top="0" Width="90" Height="90">
              <Window BackgroundColor="Transparent" Left="0" Top="0" Width="40" Height="40"/>
            </Window>)",
         true, false},
        {R"(<Window ID="Middle" Left="0" Top="0" Width="90" Height="90">
              <Window BackgroundColor="Transparent" Left="0" Top="0" Width="40" Height="40"/>
            </Window>)",
         false, false},
        {R"(<Window ID="Middle" Left="0" Top="0" Width="90" Height="90">
              <Window BackgroundColor="#000000" Left="0" Top="0" Width="40" Height="40"/>
            </Window>)",
         true, true},
    };
    for (const auto& row : rows) {
        auto host = Build(
            std::string(R"(<Window Type="MainWindow" BackgroundColor="#E0E0E0" Left="0" Top="0"
                                   Width="200" Height="200">)") +
            row.children + "</Window>");
        EXPECT_EQ(row.hostClips, (GetWindowLongW(host->handle(), GWL_STYLE) & WS_CLIPCHILDREN) != 0)
            << row.children;
        EXPECT_EQ(row.middleClips, (GetWindowLongW(host->child(u"Middle")->handle(), GWL_STYLE) &
                                    WS_CLIPCHILDREN) != 0)
            << row.children;
    }
}

// Magenta is a colour like any other; "None", and no attribute on a plain
// window, are no background: the window then erases nothing.
TEST_F(WindowTest, EveryColourPaintsAndNoneIsNoBackground) {
    for (const char* colour : {"#FF00FF", "Fuchsia", "#00FF00"}) {
        auto window = Build(std::string(R"(<Window Type="MainWindow" Visible="true" Left="40"
                Top="40" ClientWidth="80" ClientHeight="60" BackgroundColor=")") +
                            colour + R"("/>)");
        ASSERT_NE(nullptr, window->handle());
        EXPECT_TRUE(window->hasBackground()) << colour;
        RedrawWindow(window->handle(), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        PumpMessages();
        HDC screen = GetDC(window->handle());
        const COLORREF painted = GetPixel(screen, 40, 30);
        ReleaseDC(window->handle(), screen);
        const COLORREF expected =
            std::string(colour) == "#00FF00" ? RGB(0, 255, 0) : RGB(255, 0, 255);
        EXPECT_EQ(expected, painted) << colour;
    }
    // A main window is transparent unless told; "None" takes even that away.
    auto window = Build(R"(<Window Type="MainWindow" BackgroundColor="None" Left="40" Top="40"
                                   ClientWidth="80" ClientHeight="60">
                             <Window ID="Plain" Left="0" Top="0" Width="10" Height="10"/>
                           </Window>)");
    ASSERT_NE(nullptr, window->handle());
    EXPECT_FALSE(window->hasBackground());
    EXPECT_FALSE(window->child(u"Plain")->hasBackground());
}

TEST_F(WindowTest, ADescribedWindowOnTheScreen) {
    auto window = Build(R"(
        <Window Type="MainWindow" Title="Described window" Visible="true" Font="{Default}"
                BackgroundColor="WindowBackground" Left="40" Top="40" ClientWidth="360"
                ClientHeight="240">
          <Window ID="Header" BackgroundColor="#1F4E79" HorizontalGradientColor="#3A7BD5"
                  DoubleBuffered="true" Left="0" Top="0" Width="Parent.Width" Height="30dlu"/>
          <Window ID="Footer" BackgroundColor="DialogBoxBackground"
                  VerticalGradientColor="#A0A0A0" Left="0" Width="Parent.Width" Height="14dlu"
                  Bottom="Parent.Height-1"/>
          <TestLabel ID="Text" Title="Laid out from a description." Left="8dlu"
                     Top="Header.Bottom+8dlu" Right="Parent.Width-9dlu" Height="12dlu"/>
          <Window ID="Accent" BackgroundColor="#3A7BD5" Left="0" Top="Header.Bottom+1"
                  Width="3dlu" Bottom="Footer.Top-1"/>
        </Window>)");
    ASSERT_NE(nullptr, window->handle());
    UpdateWindow(window->handle());
    PumpMessages();
    Sleep(300);
    PumpMessages();
    const Box header = Placement(window->child(u"Header"));
    const Box footer = Placement(window->child(u"Footer"));
    const Box accent = Placement(window->child(u"Accent"));
    EXPECT_EQ(360, header.width);
    EXPECT_EQ(240, footer.top + footer.height);
    EXPECT_EQ(header.top + header.height, accent.top);
    EXPECT_EQ(footer.top, accent.top + accent.height);
    EXPECT_TRUE(
        vorntest::SaveScreenshot(std::wstring(VORN_SCREENSHOTS) + L"\\described-window.bmp"));
}

// Placements kept in the registry under a key of the tests' own.
class WindowPlacementTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        RemoveKey();
        WindowSystem::Instance().setPreferences(&store);
    }
    void TearDown() override {
        WindowSystem::Instance().setPreferences(nullptr);
        RemoveKey();
        WindowTest::TearDown();
    }
    static void RemoveKey() {
        RegistryKey software;
        if (software.open(kRegistryCurrentUser, u"Software") == kResultOk)
            (void)software.deleteSubkeyTree(u"VornLib Window Tests");
    }
    int32_t Stored(const char16_t* name) {
        int32_t value = -1;
        EXPECT_EQ(0u, store.getInt32((String(u"/User/Local/Placement/") + name).data(), &value))
            << ToPrintable(name);
        return value;
    }

    RegistryPreferenceStorage storage;
    PreferencesStore store{&storage, nullptr, u"Software\\VornLib Window Tests\\"};
};

TEST_F(WindowPlacementTest, AMovedWindowIsCreatedWhereItWasLeft) {
    {
        auto described = Build(R"(<Window Type="MainWindow" Position="Placement" Left="30"
                                          Top="40" Width="300" Height="200"/>)");
        EXPECT_EQ(described->placementPath(), u"/User/Local/Placement");
        EXPECT_EQ((Box{30, 40, 300, 200}), Placement(described.get()))
            << "nothing stored: the described layout";
        SetWindowPos(described->handle(), nullptr, 50, 60, 320, 240, SWP_NOZORDER | SWP_NOACTIVATE);
        described->destroy();
    }
    EXPECT_EQ(60, Stored(u"Top"));
    EXPECT_EQ(50, Stored(u"Left"));
    EXPECT_EQ(320, Stored(u"Width"));
    EXPECT_EQ(240, Stored(u"Height"));
    bool maximized = true;
    EXPECT_EQ(0u, store.getBoolean(u"/User/Local/Placement/Maximized", &maximized));
    EXPECT_FALSE(maximized);
    ASSERT_EQ(0u, store.flush());

    // A program started later reads the placement back from the registry.
    PreferencesStore later(&storage, nullptr, u"Software\\VornLib Window Tests\\");
    WindowSystem::Instance().setPreferences(&later);
    auto again = Build(R"(<Window Type="MainWindow" Position="Placement"/>)");
    EXPECT_EQ((Box{50, 60, 320, 240}), Placement(again.get()));
    auto constrained = Build(R"(<Window Type="MainWindow" Position="Placement" Left="5"/>)");
    EXPECT_EQ((Box{5, 60, 320, 240}), Placement(constrained.get()))
        << "a described edge stands over the stored one";
}

} // namespace
} // namespace vorn
