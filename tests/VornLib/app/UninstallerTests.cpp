// The removal against the real registry and file system (under Wine): an
// uninstall entry written here the way the installer writes it, removed by
// the framework's uninstaller. Names are this test's own.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestText.h"
#include "VornLib/app/AppModule.h"
#include "VornLib/app/ShellRegistration.h"
#include "VornLib/app/Uninstaller.h"
#include "VornLib/core/Format.h"
#include "VornLib/core/Path.h"
#include "VornLib/core/RegistryKey.h"
#include "VornLib/core/platform/FileSystem.h"
#include "VornLib/core/platform/NamedMutex.h"
#include "VornLib/core/platform/SystemInfo.h"

namespace vorn {
namespace {

constexpr char16_t kUninstallKey[] = u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr char16_t kUuid[] = u"5A1B2C3D-4E5F-4A6B-8C7D-9E0F1A2B3C4D";

int gUninstallHooks = 0;

class HookModule : public AppModule {
public:
    Result start() override { return kResultOk; }
    bool isIdle() override { return true; }
    Result tick(float) override { return kResultOk; }
    void stop() override {}
    void onUninstall() override { ++gUninstallHooks; }
};

AppModule* CreateHookModule() {
    return new HookModule;
}

bool Exists(const String& path) {
    return GetFileAttributesW(Wide(LongPath(path).data())) != INVALID_FILE_ATTRIBUTES;
}

void MakeFile(const String& path) {
    (void)CreateFolderTree(ParentFolder(path));
    FileHandle file(
        CreateFileW(Wide(path.data()), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(file.isValid()) << ToPrintable(path.data());
}

class UninstallerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(0u, UUID::Parse(kUuid, &description_.uuid));
        description_.name = u"VornUninstallTest";
        description_.version = u"1.0";
        description_.company = u"VornUninstallTestCo";
        folder_ = TemporaryFolder() + u"VornUninstallTest\\";
        programs_ = NormalisedFolder(StartMenuProgramsFolder());
        executable_ = folder_ + u"Tool.exe";
        gUninstallHooks = 0;
        Clean();
    }
    void TearDown() override { Clean(); }

    void Clean() {
        (void)DeleteFolderTree(folder_);
        (void)DeleteFolderTree(programs_ + description_.company + u'\\');
        (void)DeleteFolderTree(programs_ + u"VornUninstallTestOther\\");
        (void)DeleteFolderTree(NormalisedFolder(UserStartMenuProgramsFolder()) +
                               u"VornUninstallTestMine\\");
        for (const uint32_t root : {kRegistryLocalMachine32, kRegistryCurrentUser}) {
            RegistryKey list;
            if (list.open(root, kUninstallKey) == kResultOk)
                (void)list.deleteSubkeyTree((String(u"{") + kUuid + u'}').data());
        }
    }

    String entryPath() const { return String(kUninstallKey) + u"\\{" + kUuid + u'}'; }

    // The entry as the installer leaves it, with the lists' values "0", "1", …
    // unless `indexes` names others.
    void WriteEntry(const String& group, const std::vector<String>& files,
                    const std::vector<String>& shortcuts,
                    const std::vector<uint32_t>& shortcutIndexes = {}) {
        RegistryKey entry;
        ASSERT_EQ(0u, entry.open(root_, entryPath().data()));
        ASSERT_EQ(0u, entry.writeText(u"VornLib.InstallFolder",
                                      folder_.left(folder_.length() - 1).data()));
        ASSERT_EQ(0u, entry.writeText(u"VornLib.ProgramGroup", group.data()));
        RegistryKey fileList, shortcutList;
        ASSERT_EQ(0u, fileList.open(root_, (entryPath() + u"\\FilesList").data()));
        for (uint32_t i = 0; i < files.size(); ++i)
            ASSERT_EQ(0u, fileList.writeText(Format(u"{0}", {i}).data(), files[i].data()));
        ASSERT_EQ(0u, shortcutList.open(root_, (entryPath() + u"\\ShortcutsList").data()));
        for (uint32_t i = 0; i < shortcuts.size(); ++i) {
            const uint32_t index = shortcutIndexes.empty() ? i : shortcutIndexes[i];
            ASSERT_EQ(0u,
                      shortcutList.writeText(Format(u"{0}", {index}).data(), shortcuts[i].data()));
        }
    }

    bool EntryExists() {
        RegistryKey entry;
        return entry.open(root_, entryPath().data()) == kResultOk && entry.exists();
    }

    Result Remove(bool update, bool quiet = true) {
        Uninstaller uninstaller(description_, executable_, quiet, CreateHookModule);
        ShellElevation elevated;
        elevated.isElevated = [] { return true; };
        uninstaller.setElevation(elevated);
        return uninstaller.uninstall(update);
    }

    ApplicationDescription description_;
    String folder_, programs_, executable_;
    // Where the entry lies: for all users, or for the current user alone.
    uint32_t root_ = kRegistryLocalMachine32;
};

TEST_F(UninstallerTest, WithoutAnEntryNothingIsInstalled) {
    EXPECT_EQ(4u, Remove(false));
    EXPECT_EQ(0, gUninstallHooks);
}

TEST_F(UninstallerTest, RemovesWhatIsListedAndKeepsEverythingElse) {
    const String outside = TemporaryFolder() + u"VornUninstallOutside.txt";
    for (const char16_t* name : {u"Tool.exe", u"Data/a.dat", u"Data/Deep/b.txt", u"notes.txt"})
        MakeFile(JoinPath(folder_, name));
    MakeFile(outside);
    WriteEntry(
        u"", {u"Tool.exe", u"Data/a.dat", u"Data/Deep/b.txt", u"../VornUninstallOutside.txt"}, {});
    EXPECT_EQ(0u, Remove(true));
    EXPECT_EQ(1, gUninstallHooks);
    EXPECT_FALSE(Exists(folder_ + u"Tool.exe"));
    EXPECT_FALSE(Exists(folder_ + u"Data")) << "emptied folders go";
    EXPECT_TRUE(Exists(folder_ + u"notes.txt")) << "the user's file stays";
    EXPECT_TRUE(Exists(outside)) << "a listed name outside the folder is not followed";
    EXPECT_FALSE(EntryExists());
    (void)DeleteFileEvenIfReadOnly(outside);
}

TEST_F(UninstallerTest, ShortcutsStopAtTheFirstGapAndTheGroupKeepsOthers) {
    const String group = programs_ + description_.company + u"\\Tool\\";
    std::vector<String> shortcuts;
    for (const char16_t* name : {u"s0.lnk", u"s1.lnk", u"s3.lnk"}) {
        MakeFile(group + name);
        shortcuts.push_back(group + name);
    }
    WriteEntry(description_.company + u"\\Tool", {}, shortcuts, {0, 1, 3});
    EXPECT_EQ(0u, Remove(true));
    EXPECT_FALSE(Exists(group + u"s0.lnk"));
    EXPECT_FALSE(Exists(group + u"s1.lnk"));
    EXPECT_TRUE(Exists(group + u"s3.lnk")) << "after the gap";
    EXPECT_TRUE(Exists(group)) << "a group that still holds a shortcut stays";
}

TEST_F(UninstallerTest, AtMost256Shortcuts) {
    const String group = programs_ + u"VornUninstallTestOther\\";
    std::vector<String> shortcuts;
    for (uint32_t i = 0; i < 258; ++i) {
        shortcuts.push_back(group + Format(u"s{0}.lnk", {i}));
        MakeFile(shortcuts.back());
    }
    WriteEntry(u"", {}, shortcuts);
    EXPECT_EQ(0u, Remove(true));
    EXPECT_FALSE(Exists(shortcuts[255]));
    EXPECT_TRUE(Exists(shortcuts[256]));
    EXPECT_TRUE(Exists(shortcuts[257]));
}

// The folders the group's name made go with it once empty, the company's or
// any other; one that holds something else stays.
TEST_F(UninstallerTest, EmptyGroupGoesWithTheEmptyFoldersOfItsPath) {
    const String company = programs_ + description_.company + u'\\';
    const String other = programs_ + u"VornUninstallTestOther\\";
    MakeFile(company + u"Tool\\Tool.lnk");
    WriteEntry(description_.company + u"\\Tool", {}, {company + u"Tool\\Tool.lnk"});
    EXPECT_EQ(0u, Remove(true));
    EXPECT_FALSE(Exists(company));

    MakeFile(other + u"Nested\\Tool\\Tool.lnk");
    WriteEntry(u"VornUninstallTestOther\\Nested\\Tool", {}, {other + u"Nested\\Tool\\Tool.lnk"});
    EXPECT_EQ(0u, Remove(true));
    EXPECT_FALSE(Exists(other)) << "every folder of the path was left empty";

    MakeFile(other + u"Tool\\Tool.lnk");
    MakeFile(other + u"Someone else's.lnk");
    WriteEntry(u"VornUninstallTestOther\\Tool", {}, {other + u"Tool\\Tool.lnk"});
    EXPECT_EQ(0u, Remove(true));
    EXPECT_FALSE(Exists(other + u"Tool"));
    EXPECT_TRUE(Exists(other + u"Someone else's.lnk")) << "a folder holding another file stays";
    (void)DeleteFileW(Wide((other + u"Someone else's.lnk").data()));
    (void)RemoveDirectoryW(Wide(other.data()));
}

TEST_F(UninstallerTest, RunningProgramStopsOnlyAFullRemoval) {
    MakeFile(folder_ + u"Tool.exe");
    WriteEntry(u"", {u"Tool.exe"}, {});
    NamedMutex running;
    ASSERT_EQ(0u, running.create(SingleInstanceName(description_.uuid).data()));
    EXPECT_EQ(14u, Remove(false));
    EXPECT_TRUE(EntryExists());
    EXPECT_TRUE(Exists(folder_ + u"Tool.exe"));
    EXPECT_EQ(0, gUninstallHooks);
    EXPECT_EQ(0u, Remove(true));
    EXPECT_FALSE(EntryExists());
    EXPECT_FALSE(Exists(folder_ + u"Tool.exe"));
}

// The framework's removal program, beside a product not built on VornLib.
TEST_F(UninstallerTest, AProductNotBuiltOnVornLibIsFoundRunningByItsProcesses) {
    description_.executable = u"Tool.exe";
    const String product = folder_ + u"Tool.exe";
    executable_ = folder_ + u"VornUninstall.exe";
    WriteEntry(u"", {u"Tool.exe"}, {});
    ASSERT_EQ(0u, ShellRegistration::registerAppPath(product.data(), InstallScope::Machine));
    ASSERT_EQ(0u, CreateFolderTree(folder_));
    ASSERT_TRUE(CopyFileW(TEXT(VORN_LINGERER), Wide(product.data()), FALSE));
    std::wstring commandLine = L"\"" + std::wstring(Wide(product.data())) + L"\" 30";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    ASSERT_TRUE(CreateProcessW(Wide(product.data()), &commandLine[0], nullptr, nullptr, FALSE, 0,
                               nullptr, nullptr, &startup, &started));
    const KernelHandle process(started.hProcess);
    const KernelHandle thread(started.hThread);
    EXPECT_EQ(14u, Remove(false)) << "no mutex, but its process";
    EXPECT_TRUE(EntryExists());
    EXPECT_EQ(0, gUninstallHooks);
    TerminateProcess(process.get(), 0);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.get(), 5000));
    EXPECT_EQ(0u, Remove(true));
    EXPECT_FALSE(Exists(product));
    RegistryKey appPath;
    ASSERT_EQ(0u,
              appPath.open(kRegistryLocalMachine,
                           u"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Tool.exe"));
    EXPECT_FALSE(appPath.exists()) << "named after the product's executable";
}

TEST_F(UninstallerTest, WithoutRightsAnElevatedCopyRemoves) {
    WriteEntry(u"", {}, {});
    static String launched;
    Uninstaller uninstaller(description_, executable_, true, CreateHookModule);
    ShellElevation user;
    user.isElevated = [] { return false; };
    user.launchElevated = [](const char16_t* file, const char16_t* parameters) {
        launched = String(file) + u'|' + parameters;
        return Result(8);
    };
    uninstaller.setElevation(user);
    EXPECT_EQ(8u, uninstaller.uninstall(false)) << "the copy's result";
    EXPECT_EQ(executable_ + u"|/Quiet /Uninstall /LaunchedAsAdministrator", launched);
    EXPECT_TRUE(EntryExists());
    EXPECT_EQ(0, gUninstallHooks);
}

TEST_F(UninstallerTest, AnInstallationForTheCurrentUserIsRemovedWithoutRights) {
    root_ = kRegistryCurrentUser;
    const String group =
        NormalisedFolder(UserStartMenuProgramsFolder()) + u"VornUninstallTestMine\\";
    MakeFile(folder_ + u"Data\\a.dat");
    MakeFile(group + u"Tool.lnk");
    WriteEntry(u"VornUninstallTestMine", {u"Data/a.dat"}, {group + u"Tool.lnk"});
    {
        // A program whose payload is damaged finds its entry in the user's hive.
        RegistryKey entry;
        ASSERT_EQ(0u, entry.open(root_, entryPath().data()));
        ASSERT_EQ(0u, entry.writeText(u"VornLib.UninstallProgram", executable_.data()));
        ASSERT_EQ(0u, entry.writeText(u"DisplayName", u"Mine"));
        ApplicationDescription found;
        ASSERT_EQ(0u, DescriptionFromUninstallEntry(executable_, &found));
        EXPECT_EQ(description_.uuid, found.uuid);
        EXPECT_EQ(String(u"Mine"), found.name);
    }
    static int launches = 0;
    Uninstaller uninstaller(description_, executable_, true, CreateHookModule);
    ShellElevation user;
    user.isElevated = [] { return false; };
    user.launchElevated = [](const char16_t*, const char16_t*) {
        ++launches;
        return Result(8);
    };
    uninstaller.setElevation(user);
    EXPECT_EQ(0u, uninstaller.uninstall(true));
    EXPECT_EQ(0, launches) << "nothing asks for rights";
    EXPECT_EQ(1, gUninstallHooks);
    EXPECT_FALSE(EntryExists());
    EXPECT_FALSE(Exists(folder_ + u"Data\\a.dat"));
    EXPECT_FALSE(Exists(group)) << "the user's own program group";
}

TEST_F(UninstallerTest, FullRemovalLeavesABatchFileThatFinishesTheFolder) {
    MakeFile(folder_ + u"Tool.exe");
    MakeFile(folder_ + u"Data\\a.dat");
    WriteEntry(u"", {u"Data/a.dat"}, {});
    // The executable is not listed: the batch file deletes it once this
    // "program" is gone, and then the empty folder.
    EXPECT_EQ(0u, Remove(false));
    // An elevated removal's batch file lies in a folder made for it.
    const String batchFolders = SystemTemporaryFolder() + u"VornLib-Removal-*";
    const auto left = [](const String& pattern) {
        WIN32_FIND_DATAW found;
        const FindHandle search(FindFirstFileW(Wide(pattern.data()), &found));
        return search.isValid();
    };
    for (int i = 0; i < 100 && (Exists(folder_) || left(batchFolders)); ++i)
        Sleep(100);
    EXPECT_FALSE(Exists(folder_ + u"Tool.exe"));
    EXPECT_FALSE(Exists(folder_));
    EXPECT_FALSE(left(batchFolders)) << "the batch file takes its folder along";
    EXPECT_FALSE(left(TemporaryFolder() + u"*Uninstall.cmd")) << "none in the user's folder";
}

} // namespace
} // namespace vorn
