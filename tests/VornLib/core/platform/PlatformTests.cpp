// The platform layer's Win32 helpers against the real system (Wine in the automated runs).
#include <gtest/gtest.h>

#include <objbase.h>

#include "TestText.h"
#include "VornLib/core/platform/DynamicLibrary.h"
#include "VornLib/core/platform/FileSystem.h"
#include "VornLib/core/platform/NamedMutex.h"
#include "VornLib/core/platform/SystemErrorText.h"
#include "VornLib/core/platform/SystemInfo.h"
#include "VornLib/core/platform/WorkerThread.h"

// After <windows.h>, which it takes for granted.
#include <delayimp.h>

namespace vorn {
namespace {

bool IsFolder(const String& path) {
    const DWORD attributes = GetFileAttributesW(Wide(path.data()));
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

TEST(SystemInfo, FoldersEndWithBackslashAndExist) {
    const String folders[] = {TemporaryFolder(), ProgramFilesFolder(), StartMenuProgramsFolder(),
                              DesktopFolder(), AppDataFolder()};
    for (const String& folder : folders) {
        ASSERT_FALSE(folder.isEmpty());
        EXPECT_EQ(folder.lastCharacter(), u"\\") << ToPrintable(folder.data());
        EXPECT_TRUE(IsFolder(folder)) << ToPrintable(folder.data());
    }
    EXPECT_EQ(QuickLaunchFolder(),
              AppDataFolder() + u"Microsoft\\Internet Explorer\\Quick Launch\\");
}

TEST(FolderMakerTest, MakesMissingParentsOnceAndRefusesWhatCannotBeMade) {
    const String root = TemporaryFolder() + u"VornFolderMakerTest\\";
    (void)RemoveEmptyFolderTree(root);
    FolderMaker folders;
    EXPECT_EQ(0u, folders.make(root + u"a\\b\\c\\"));
    EXPECT_TRUE(IsFolder(root + u"a\\b\\c"));
    EXPECT_EQ(0u, folders.make(root + u"a\\b\\d\\")) << "a sibling";
    EXPECT_TRUE(IsFolder(root + u"a\\b\\d"));
    EXPECT_EQ(0u, folders.make(root + u"a\\")) << "one that exists";

    // A file stands where a folder should be: refused, and not remembered.
    {
        FileHandle file(CreateFileW(Wide((root + u"file").data()), GENERIC_WRITE, 0, nullptr,
                                    CREATE_ALWAYS, 0, nullptr));
        ASSERT_TRUE(file.isValid());
    }
    EXPECT_NE(0u, folders.make(root + u"file\\x\\"));
    EXPECT_NE(0u, folders.make(root + u"file\\x\\")) << "asked again, still refused";
    EXPECT_TRUE(DeleteFileW(Wide((root + u"file").data())));
    EXPECT_EQ(0u, folders.make(root + u"file\\x\\")) << "once the file is gone";
    EXPECT_TRUE(IsFolder(root + u"file\\x"));
    EXPECT_EQ(0u, RemoveEmptyFolderTree(root));
}

TEST(FileSystemTest, DeletesTreesEmptyFoldersAndReadOnlyFiles) {
    const String root = TemporaryFolder() + u"VornRemoveFolderTest\\";
    (void)DeleteFolderTree(root);
    EXPECT_EQ(5u, DeleteFolderTree(root.left(root.length() - 1)))
        << "a folder ends with a separator";
    (void)CreateFolderTree(root + u"Empty\\Deeper\\");
    const String kept = root + u"keep.txt";
    CloseHandle(CreateFileW(Wide(kept.data()), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_READONLY, nullptr));
    EXPECT_EQ(21u, RemoveEmptyFolderTree(root)) << "a file keeps its folder";
    EXPECT_FALSE(IsFolder(root + u"Empty"));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(Wide(kept.data())));
    EXPECT_EQ(0u, DeleteFileEvenIfReadOnly(kept)) << "read-only";
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(Wide(kept.data())));
    EXPECT_EQ(29u, DeleteFileEvenIfReadOnly(kept)) << "already gone";
    EXPECT_EQ(5u, DeleteFileEvenIfReadOnly(String()));
    (void)CreateFolderTree(root + u"Full\\");
    CloseHandle(CreateFileW(Wide((root + u"Full\\file.txt").data()), GENERIC_WRITE, 0, nullptr,
                            CREATE_ALWAYS, 0, nullptr));
    EXPECT_EQ(0u, DeleteFolderTree(root));
    EXPECT_FALSE(IsFolder(root));
    EXPECT_EQ(0u, RemoveEmptyFolderTree(root)) << "a missing folder counts as removed";
}

// Where no folder can be made, said before anything is made.
TEST(FileSystemTest, FolderUnavailableReasonNamesTheDriveOrTheFile) {
    wchar_t missing = 0;
    const DWORD drives = GetLogicalDrives();
    for (wchar_t letter = L'Z'; letter >= L'D' && !missing; --letter) {
        if (!(drives & (1u << (letter - L'A'))))
            missing = letter;
    }
    ASSERT_NE(0, missing) << "every drive letter is taken";
    const char16_t letter[] = {char16_t(missing), u':', 0};
    const String drive = letter;
    EXPECT_EQ(u"the drive " + drive + u" does not exist",
              FolderUnavailableReason(drive + u"\\Apps\\Demo"));

    const String root = TemporaryFolder() + u"VornUnavailableTest\\";
    ASSERT_EQ(0u, CreateFolderTree(root));
    CloseHandle(CreateFileW(Wide((root + u"file").data()), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            0, nullptr));
    EXPECT_EQ(u"the file \"" + root + u"file\" stands where a folder must be",
              FolderUnavailableReason(root + u"file\\Demo"));
    EXPECT_EQ(u"the file \"" + root + u"file\" stands where a folder must be",
              FolderUnavailableReason(root + u"file"));
    EXPECT_TRUE(FolderUnavailableReason(root + u"Missing\\Demo").isEmpty()) << "made later";
    EXPECT_TRUE(FolderUnavailableReason(root.left(root.length() - 1)).isEmpty());
    String forward = root + u"Missing";
    forward.replace(u'\\', u'/');
    EXPECT_TRUE(FolderUnavailableReason(forward).isEmpty());
    EXPECT_TRUE(DeleteFileW(Wide((root + u"file").data())));
    EXPECT_EQ(0u, RemoveEmptyFolderTree(root));
}

// The system's own words for an error, after its number.
TEST(SystemErrorTextTest, NumberAndTheSystemsText) {
    const String denied = SystemErrorText(ERROR_ACCESS_DENIED);
    EXPECT_TRUE(denied.startsWith(u"error 5 (")) << ToPrintable(denied.data());
    EXPECT_GT(denied.length(), 12u);
    EXPECT_EQ(denied.lastCharacter(), u")") << "no line break of the system's text";
    EXPECT_EQ(SystemErrorText(0xDEADBEEFu), u"error 3735928559");
}

TEST(SystemInfo, TemporaryFileIsCreatedWithPrefix) {
    const String path = TemporaryFileName();
    ASSERT_FALSE(path.isEmpty());
    EXPECT_TRUE(path.startsWith(TemporaryFolder().data()));
    EXPECT_EQ(path.mid(TemporaryFolder().length(), 3), u"vnl");
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(Wide(path.data())));
    EXPECT_TRUE(DeleteFileW(Wide(path.data())));
    EXPECT_NE(TemporaryFileName(), path);
}

TEST(SystemInfo, LevelAndBitness) {
    const uint32_t level = OperatingSystemLevel();
    EXPECT_GE(level, 2u) << "Wine reports Vista or later";
    EXPECT_LE(level, 5u);
    EXPECT_EQ(level, OperatingSystemLevel());
    // The test prefix is a 64-bit Windows: only a 32-bit build runs under WOW64.
    EXPECT_EQ(sizeof(void*) == 4, IsWow64());
    EXPECT_TRUE(ExecutablePath().find(u"VornPlatformTests") >= 0);
}

TEST(SystemInfo, MonotonicClockCountsSeconds) {
    const double start = MonotonicSeconds();
    Sleep(50);
    const double elapsed = MonotonicSeconds() - start;
    EXPECT_GE(elapsed, 0.045);
    EXPECT_LT(elapsed, 5.0);
}

TEST(DynamicLibraryTest, LoadsFromTheSystemFolderAndResolvesExports) {
    DynamicLibrary& kernel = SystemLibrary(SystemLibraryId::Kernel32);
    ASSERT_TRUE(kernel.isLoaded());
    String path = kernel.path();
    path.toLowerCase();
    EXPECT_GE(path.find(u"\\windows\\"), 0) << ToPrintable(path.data());
    EXPECT_NE(nullptr, kernel.procAddress("IsWow64Process"));
    EXPECT_EQ(nullptr, kernel.procAddress("NoSuchExportAnywhere"));
    EXPECT_EQ(&kernel, &SystemLibrary(SystemLibraryId::Kernel32)) << "one instance per library";

    const DynamicLibrary missing(L"vornlib-no-such-library.dll");
    EXPECT_FALSE(missing.isLoaded());
    EXPECT_EQ(29u, missing.lastError());
    EXPECT_EQ(nullptr, missing.procAddress("Anything"));
    EXPECT_EQ(20u, missing.version().size);
    EXPECT_EQ(0u, missing.version().major);

    const DynamicLibrary& controls = SystemLibrary(SystemLibraryId::Comctl32);
    ASSERT_TRUE(controls.isLoaded());
    EXPECT_GE(controls.version().major, 5u) << "comctl32 answers DllGetVersion";
}

TEST(DynamicLibraryTest, ManifestSelectsCommonControlsSix) {
    // The executable's manifest asks for version 6; without it the loader
    // hands out the old version 5 library from the system folder. (Wine's
    // version 6 answers DllGetVersion with 5, so the path tells them apart.)
    const DynamicLibrary& controls = SystemLibrary(SystemLibraryId::Comctl32);
    ASSERT_TRUE(controls.isLoaded());
    String path = controls.path();
    path.toLowerCase();
    EXPECT_GE(path.find(u"\\winsxs\\"), 0) << ToPrintable(path.data());
    EXPECT_GE(path.find(u"microsoft.windows.common-controls_6595b64144ccf1df_6."), 0)
        << ToPrintable(path.data());
    EXPECT_NE(nullptr, controls.procAddress("TaskDialogIndirect"));
}

// Windows 7 without the update that brings LOAD_LIBRARY_SEARCH_SYSTEM32
// refuses the flag; the loader then names the system folder itself.
TEST(DynamicLibraryTest, FallbackLoadsByFullSystemPath) {
    wchar_t folder[MAX_PATH] = {};
    ASSERT_GT(GetSystemDirectoryW(folder, MAX_PATH), 0u);
    const String systemFolder(Units(folder));
    EXPECT_EQ(SystemFolderLibraryPath(L"winmm.dll"), systemFolder + u"\\winmm.dll");
    for (const wchar_t* unsafe : {L"", L"..", L"..\\winmm.dll", L"sub/winmm.dll", L"C:winmm.dll"})
        EXPECT_TRUE(SystemFolderLibraryPath(unsafe).isEmpty()) << ToPrintable(Units(unsafe));

    ForceSystemLibraryFallback(true);
    const DynamicLibrary winmm(L"winmm.dll");
    const DynamicLibrary missing(L"vornlib-no-such-library.dll");
    const DynamicLibrary planted(L"..\\winmm.dll");
    // The manifest redirects the common controls to version 6.
    const DynamicLibrary controls(L"comctl32.dll");
    ForceSystemLibraryFallback(false);

    ASSERT_TRUE(winmm.isLoaded()) << winmm.lastError();
    String path = winmm.path();
    path.toLowerCase();
    String expected = systemFolder + u"\\winmm.dll";
    expected.toLowerCase();
    EXPECT_EQ(path, expected);
    EXPECT_NE(nullptr, winmm.procAddress("timeGetTime"));
    EXPECT_FALSE(missing.isLoaded());
    EXPECT_EQ(29u, missing.lastError());
    EXPECT_FALSE(planted.isLoaded());
    EXPECT_EQ(38u, planted.lastError());
    ASSERT_TRUE(controls.isLoaded()) << controls.lastError();
    String controlsPath = controls.path();
    controlsPath.toLowerCase();
    EXPECT_GE(controlsPath.find(u"\\winsxs\\"), 0) << ToPrintable(controlsPath.data());
    EXPECT_NE(nullptr, controls.procAddress("TaskDialogIndirect"));
}

// The delay-loaded system libraries (all but kernel32 and the C runtime) come
// through the framework's hook, which loads them from the system folder only.
TEST(DynamicLibraryTest, DelayLoadHookTakesTheSystemFolder) {
    ASSERT_NE(nullptr, __pfnDliNotifyHook2) << "the helper's empty default was linked";
    wchar_t folder[MAX_PATH] = {};
    ASSERT_GT(GetSystemDirectoryW(folder, MAX_PATH), 0u);
    String expected = String(Units(folder)) + u"\\winmm.dll";
    expected.toLowerCase();

    DelayLoadInfo info = {};
    info.cb = sizeof info;
    info.szDll = "winmm.dll";
    const HMODULE loaded =
        reinterpret_cast<HMODULE>(__pfnDliNotifyHook2(dliNotePreLoadLibrary, &info));
    ASSERT_NE(nullptr, loaded);
    wchar_t path[MAX_PATH] = {};
    ASSERT_GT(GetModuleFileNameW(loaded, path, MAX_PATH), 0u);
    String actual(Units(path));
    actual.toLowerCase();
    EXPECT_EQ(actual, expected);
    FreeLibrary(loaded);

    // Names with a folder, missing libraries and other notifications are left to the helper.
    for (const char* name : {"..\\winmm.dll", "C:winmm.dll", "vornlib-no-such-library.dll"}) {
        info.szDll = name;
        EXPECT_EQ(nullptr, __pfnDliNotifyHook2(dliNotePreLoadLibrary, &info)) << name;
    }
    info.szDll = "winmm.dll";
    EXPECT_EQ(nullptr, __pfnDliNotifyHook2(dliNotePreGetProcAddress, &info));
    EXPECT_EQ(nullptr, __pfnDliNotifyHook2(dliNotePreLoadLibrary, nullptr));
}

TEST(NamedMutexTest, SecondCreatorSeesTheFirst) {
    UUID uuid;
    ASSERT_EQ(0u, UUID::Parse(u"6F1C2D3E-4A5B-4C6D-8E9F-A0B1C2D3E4F5", &uuid));
    const String name = SingleInstanceName(uuid);
    EXPECT_EQ(name, u"VornLib.{6F1C2D3E-4A5B-4C6D-8E9F-A0B1C2D3E4F5}");
    {
        NamedMutex first;
        ASSERT_EQ(0u, first.create(name.data()));
        EXPECT_FALSE(first.alreadyExisted());
        NamedMutex second;
        ASSERT_EQ(0u, second.create(name.data()));
        EXPECT_TRUE(second.alreadyExisted());
    }
    NamedMutex again;
    ASSERT_EQ(0u, again.create(name.data()));
    EXPECT_FALSE(again.alreadyExisted()) << "the handles were closed";
    EXPECT_EQ(15u, again.create(nullptr));
    EXPECT_FALSE(again.isValid());
}

class ApartmentProbe : public WorkerThread {
public:
    APTTYPE apartment = APTTYPE_CURRENT;
    int polls = 0;

protected:
    Result run() override {
        APTTYPEQUALIFIER qualifier;
        if (FAILED(CoGetApartmentType(&apartment, &qualifier)))
            return kResultPlatformFailure;
        while (!stopRequested() && polls < 100000) {
            ++polls;
            Sleep(1);
        }
        return stopRequested() ? kResultCancelled : kResultOk;
    }
};

TEST(WorkerThreadTest, RunsInTheMultithreadedApartmentAndStops) {
    ApartmentProbe probe;
    ASSERT_EQ(0u, probe.start());
    EXPECT_TRUE(probe.isRunning());
    Sleep(20);
    probe.stop(true);
    EXPECT_FALSE(probe.isRunning());
    EXPECT_EQ(APTTYPE_MTA, probe.apartment);
    EXPECT_EQ(8u, probe.result());
    EXPECT_LT(probe.polls, 100000);
}

class Counter : public WorkerThread {
public:
    int runs = 0;

protected:
    Result run() override { return Result(++runs == 1 ? 7 : 9); }
};

TEST(WorkerThreadTest, RestartAndResult) {
    Counter counter;
    ASSERT_EQ(0u, counter.start());
    counter.wait();
    EXPECT_EQ(7u, counter.result());
    ASSERT_EQ(0u, counter.start());
    counter.wait();
    EXPECT_EQ(9u, counter.result());
    EXPECT_EQ(2, counter.runs);
}

} // namespace
} // namespace vorn
