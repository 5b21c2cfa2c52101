// VornDemo as a user runs it: under Wine, with a display (Xvfb).
#include <gtest/gtest.h>

#include "ChildProcess.h"
#include "TestText.h"
#include "VornLib/core/RegistryKey.h"

namespace vorn {
namespace {

HWND WaitForDemoWindow(DWORD milliseconds) {
    for (DWORD waited = 0; waited < milliseconds; waited += 50) {
        if (HWND window = FindWindowW(L"VornDemo::Window", nullptr))
            return window;
        Sleep(50);
    }
    return nullptr;
}

TEST(VornDemoProcess, TimedRunEndsByItself) {
    ChildProcess demo;
    ASSERT_TRUE(demo.start(L"VornDemo.exe", L"/DemoSeconds:1"));
    ASSERT_TRUE(demo.wait(60000));
    EXPECT_EQ(0u, demo.exitCode());
}

TEST(VornDemoProcess, QuitMessageCodeIsTheExitCode) {
    ChildProcess demo;
    ASSERT_TRUE(demo.start(L"VornDemo.exe", L""));
    HWND window = WaitForDemoWindow(60000);
    ASSERT_NE(nullptr, window);
    wchar_t title[64] = {};
    GetWindowTextW(window, title, 64);
    EXPECT_STREQ(L"VornDemo 1.0.0", title) << "name and version from the payload";
    PostThreadMessageW(GetWindowThreadProcessId(window, nullptr), WM_QUIT, 7, 0);
    ASSERT_TRUE(demo.wait(60000));
    EXPECT_EQ(7u, demo.exitCode());
}

TEST(VornDemoProcess, SecondStartActivatesTheFirst) {
    ChildProcess first;
    ASSERT_TRUE(first.start(L"VornDemo.exe", L""));
    HWND window = WaitForDemoWindow(60000);
    ASSERT_NE(nullptr, window);
    ShowWindow(window, SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(window));

    ChildProcess second;
    ASSERT_TRUE(second.start(L"VornDemo.exe", L""));
    ASSERT_TRUE(second.wait(60000));
    EXPECT_EQ(14u, second.exitCode());
    EXPECT_FALSE(IsIconic(window)) << "the first one's window is restored";

    ChildProcess both;
    ASSERT_TRUE(both.start(L"VornDemo.exe", L"/AllowMultipleInstances /DemoSeconds:1"));
    ASSERT_TRUE(both.wait(60000));
    EXPECT_EQ(0u, both.exitCode()) << "with AllowMultipleInstances both run";
    EXPECT_TRUE(IsWindow(window));

    PostMessageW(window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(first.wait(60000));
    EXPECT_EQ(0u, first.exitCode());
}

constexpr char16_t kAppPath[] =
    u"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\VornDemo.exe";
// A set of its own, so that the test leaves the demo's real settings alone.
constexpr char16_t kTestSettings[] = u"Software\\Vorn Software\\VornDemo\\Custom Sets\\ShellTest";

String ReadText(uint32_t root, const char16_t* key, const char16_t* name) {
    RegistryKey registry;
    String value;
    if (registry.open(root, key) != kResultOk || registry.readText(name, &value) != kResultOk)
        return u"<missing>";
    return value;
}

bool KeyExists(uint32_t root, const char16_t* key) {
    RegistryKey registry;
    return registry.open(root, key) == kResultOk && registry.exists();
}

// The demo beside this test, as it sees its own path.
String DemoPath() {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const String path(Units(self));
    return path.left(uint32_t(path.findLast(u'\\')) + 1) + u"VornDemo.exe";
}

void RemoveTestSettings(const char16_t* set = u"ShellTest") {
    RegistryKey parent;
    if (parent.open(kRegistryCurrentUser, u"Software\\Vorn Software\\VornDemo\\Custom Sets") ==
        kResultOk)
        (void)parent.deleteSubkeyTree(set);
}

// What the installer's hand-off does, then the explicit removal.
TEST(VornDemoProcess, InstallRegistersShellTypesAndUnregisterRemovesThem) {
    const String demo = DemoPath();
    const String folder = demo.left(uint32_t(demo.findLast(u'\\')));
    RemoveTestSettings();

    ChildProcess install;
    ASSERT_TRUE(install.start(L"VornDemo.exe", L"/ConfigSet:ShellTest /Language:fr /Install"));
    ASSERT_TRUE(install.wait(60000));
    EXPECT_EQ(0u, install.exitCode());
    const struct {
        uint32_t root;
        const char16_t* key;
        const char16_t* name;
        String expected;
    } values[] = {
        {kRegistryClassesRoot, u".vdm", u"", u"VornDemo.vdm"},
        {kRegistryClassesRoot, u"VornDemo.vdm", u"", u"VornDemo Document"},
        {kRegistryClassesRoot, u"VornDemo.vdm\\DefaultIcon", u"", u"\"" + demo + u"\",0"},
        {kRegistryClassesRoot, u"VornDemo.vdm\\shell\\open\\command", u"",
         u"\"" + demo + u"\" \"%1\""},
        {kRegistryClassesRoot, u"vorndemo", u"URL Protocol", u""},
        {kRegistryClassesRoot, u"vorndemo", u"", u"URL:VornDemo Link"},
        // "-Open: " loses its blank in the XML reader: the URL is the switch's value.
        {kRegistryClassesRoot, u"vorndemo\\shell\\open\\command", u"",
         u"\"" + demo + u"\" -Open:\"%1\""},
        {kRegistryLocalMachine, kAppPath, u"", demo},
        {kRegistryLocalMachine, kAppPath, u"Path", folder},
        // Written at exit by the preferences store: the Language switch and
        // the demo's own install hook.
        {kRegistryCurrentUser, u"Software\\Vorn Software\\VornDemo\\Custom Sets\\ShellTest\\Global",
         u"Language", u"fr"},
        {kRegistryCurrentUser, u"Software\\Vorn Software\\VornDemo\\Custom Sets\\ShellTest\\Global",
         u"InstalledVersion", u"1.0.0"},
    };
    for (const auto& value : values)
        EXPECT_EQ(value.expected, ReadText(value.root, value.key, value.name))
            << ToPrintable(value.key) << " " << ToPrintable(value.name);
    EXPECT_FALSE(FindWindowW(L"VornDemo::Window", nullptr)) << "no window for an operation";

    ChildProcess remove;
    ASSERT_TRUE(remove.start(L"VornDemo.exe", L"/UnregisterFileTypes"));
    ASSERT_TRUE(remove.wait(60000));
    EXPECT_EQ(0u, remove.exitCode());
    for (const char16_t* key : {u".vdm", u"VornDemo.vdm", u"vorndemo"})
        EXPECT_FALSE(KeyExists(kRegistryClassesRoot, key)) << ToPrintable(key);
    EXPECT_FALSE(KeyExists(kRegistryLocalMachine, kAppPath));
    EXPECT_TRUE(KeyExists(kRegistryCurrentUser, kTestSettings)) << "settings are not file types";
    RemoveTestSettings();
}

// The main window's "Position": where the demo keeps its placement in its
// settings set (here one of the test's own).
constexpr char16_t kPlacementKey[] =
    u"Software\\Vorn Software\\VornDemo\\Custom Sets\\PlacementTest\\Local\\MainWindow";

// The demo's main window once it is shown.
HWND WaitForShownDemoWindow(DWORD milliseconds) {
    for (DWORD waited = 0; waited < milliseconds; waited += 50) {
        HWND window = FindWindowW(L"VornDemo::Window", nullptr);
        if (window && IsWindowVisible(window))
            return window;
        Sleep(50);
    }
    return nullptr;
}

TEST(VornDemoProcess, MainWindowReturnsWhereTheUserLeftIt) {
    RemoveTestSettings(u"PlacementTest");
    const RECT moved = {140, 90, 140 + 520, 90 + 380};

    ChildProcess first;
    ASSERT_TRUE(first.start(L"VornDemo.exe", L"/ConfigSet:PlacementTest"));
    HWND window = WaitForShownDemoWindow(60000);
    ASSERT_NE(nullptr, window);
    SetWindowPos(window, nullptr, moved.left, moved.top, moved.right - moved.left,
                 moved.bottom - moved.top, SWP_NOZORDER | SWP_NOACTIVATE);
    RECT placed = {};
    GetWindowRect(window, &placed);
    ASSERT_TRUE(EqualRect(&moved, &placed));
    PostMessageW(window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(first.wait(60000));
    EXPECT_EQ(0u, first.exitCode());

    RegistryKey stored;
    ASSERT_EQ(0u, stored.open(kRegistryCurrentUser, kPlacementKey));
    const struct {
        const char16_t* name;
        int32_t expected;
    } values[] = {
        {u"Top", moved.top},
        {u"Left", moved.left},
        {u"Width", moved.right - moved.left},
        {u"Height", moved.bottom - moved.top},
    };
    for (const auto& value : values) {
        int32_t number = -1;
        EXPECT_EQ(0u, stored.readInt32(value.name, &number)) << ToPrintable(value.name);
        EXPECT_EQ(value.expected, number) << ToPrintable(value.name);
    }
    bool maximized = true;
    EXPECT_EQ(0u, stored.readBoolean(u"Maximized", &maximized));
    EXPECT_FALSE(maximized);

    ChildProcess second;
    ASSERT_TRUE(second.start(L"VornDemo.exe", L"/ConfigSet:PlacementTest"));
    window = WaitForShownDemoWindow(60000);
    ASSERT_NE(nullptr, window);
    GetWindowRect(window, &placed);
    EXPECT_TRUE(EqualRect(&moved, &placed))
        << placed.left << "," << placed.top << " " << placed.right - placed.left << "x"
        << placed.bottom - placed.top;
    PostMessageW(window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(second.wait(60000));
    EXPECT_EQ(0u, second.exitCode());
    RemoveTestSettings(u"PlacementTest");
}

} // namespace
} // namespace vorn
