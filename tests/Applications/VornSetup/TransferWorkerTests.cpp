// The installer's file transfer in-process: files come out of containers built
// in memory and mounted into the process's resource file system, and land in a
// scratch folder under the temporary folder. Covers bytes, dates and folders,
// the chunked progress, failures with their roll-back, files in the way,
// long paths and the hand-off.
#include "TransferWorkerTestSupport.h"

#include "VornLib/core/Win32.h"

#include <objbase.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "TestText.h"
#include "VornLib/app/UninstallEntry.h"
#include "VornLib/core/Win32Handles.h"
#include "VornLib/core/platform/FileSystem.h"
#include "VornLib/core/platform/SystemInfo.h"
#include "VornLib/data/FileStream.h"

namespace vornsetup::transfertests {
namespace {

struct FileTimes {
    bool ok = false;
    DateTime creation = 0;
    DateTime lastWrite = 0;
};

FileTimes TimesOf(const fs::path& path) {
    FileTimes times;
    vorn::FileHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.isValid())
        return times;
    FILETIME creation{}, access{}, write{};
    if (!GetFileTime(file.get(), &creation, &access, &write))
        return times;
    const auto value = [](const FILETIME& time) {
        return vorn::DateTimeFromFileTime(uint64_t(time.dwHighDateTime) << 32 | time.dwLowDateTime);
    };
    times.ok = true;
    times.creation = value(creation);
    times.lastWrite = value(write);
    return times;
}

// Whether this file system reports a creation time of its own: some (Wine on
// a Linux file system without birth times) derive it from the last-write time.
bool CreationTimeIsKept(const fs::path& folder) {
    const fs::path probe = folder / "creation-probe.tmp";
    vorn::WriteWholeFile(probe, {1, 2, 3});
    {
        vorn::FileHandle file(CreateFileW(probe.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        const uint64_t stamp = vorn::FileTimeFromDateTime(kDates[2]);
        const FILETIME write{DWORD(stamp), DWORD(stamp >> 32)};
        if (!file.isValid() || !SetFileTime(file.get(), nullptr, nullptr, &write))
            return false;
    }
    const bool kept = TimesOf(probe).creation != kDates[2];
    std::error_code error;
    fs::remove(probe, error);
    return kept;
}

DateTime Now() {
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    return vorn::DateTimeFromFileTime(uint64_t(now.dwHighDateTime) << 32 | now.dwLowDateTime);
}

bool Exists(const fs::path& path) {
    std::error_code error;
    return fs::exists(path, error);
}

TEST_F(TransferWorkerTest, FilesArriveWithTheirBytesDatesAndFolders) {
    InstallManifest manifest =
        Manifest(scratch, {"Readme.txt", "Bin/Tools/Helper.dll", "Data/Config.xml"});
    const bool creationKept = CreationTimeIsKept(scratch.path());
    const DateTime before = Now();
    TransferWorker worker(manifest, strings, &progress, nullptr);
    ASSERT_EQ(0u, worker.copyFiles());
    EXPECT_EQ(TransferState::Running, worker.state()) << "registration follows";
    const fs::path folder = InstallFolder(manifest);
    // Complete, but in a folder beside its place until every file is there.
    EXPECT_FALSE(Exists(folder));
    EXPECT_TRUE(Exists(PartialFolder(folder) / "Readme.txt"));
    ASSERT_EQ(0u, worker.placeFiles());
    EXPECT_FALSE(Exists(PartialFolder(folder)));
    for (size_t i = 0; i < manifest.files.size(); ++i) {
        const std::string name =
            fs::path(std::u16string(manifest.files[i].relativePath.data())).generic_string();
        SCOPED_TRACE(name);
        const fs::path path = folder / fs::path(name).make_preferred();
        EXPECT_TRUE(manifest.files[i].copied);
        EXPECT_TRUE(vorn::ReadWholeFile(path) == Contents(name)) << "bytes differ";
        const FileTimes times = TimesOf(path);
        ASSERT_TRUE(times.ok);
        EXPECT_EQ(kDates[i], times.lastWrite);
        // The creation time is the moment of the copy, not the file's date.
        if (creationKept) {
            EXPECT_NE(kDates[i], times.creation);
            EXPECT_GE(times.creation, before - 60 * vorn::kMicrosecondsPerSecond);
        }
    }
    if (!creationKept)
        std::cout << "note: creation times follow last-write times on this file system\n";
    EXPECT_TRUE(fs::is_directory(folder / "Bin" / "Tools"));
    EXPECT_EQ(1u, progress.ranges.size());
    EXPECT_EQ(double(manifest.totalSize), progress.ranges.at(0));
    // Each file is one chunk: the reset, then one update per file.
    const double readme = 5000, helper = 300000, config = 1234;
    EXPECT_EQ((std::vector<double>{0, readme, readme + helper, readme + helper + config}),
              progress.positions);
    ASSERT_EQ(3u, progress.progressTexts.size());
    EXPECT_EQ(progress.progressTexts.back(), u"100% completed");

    // A worker copies once.
    EXPECT_EQ(8u, worker.copyFiles());
    EXPECT_EQ(TransferState::Running, worker.state());
}

TEST_F(TransferWorkerTest, EmptyFileListCompletesAtOnce) {
    InstallManifest manifest = Manifest(scratch, {});
    TransferWorker worker(manifest, strings, &progress, nullptr);
    EXPECT_EQ(0u, Install(worker));
    EXPECT_EQ(TransferState::Running, worker.state());
    EXPECT_EQ((std::vector<double>{0}), progress.ranges);
    EXPECT_EQ((std::vector<double>{0}), progress.positions);
    EXPECT_TRUE(progress.timeTexts.empty());
    EXPECT_TRUE(progress.progressTexts.empty());
    EXPECT_FALSE(fs::exists(InstallFolder(manifest)));
}

TEST_F(TransferWorkerTest, ZeroLengthFileIsCreatedDatedWithoutProgress) {
    InstallManifest manifest = Manifest(scratch, {"Empty.dat"});
    TransferWorker worker(manifest, strings, &progress, nullptr);
    ASSERT_EQ(0u, Install(worker));
    const fs::path path = InstallFolder(manifest) / "Empty.dat";
    ASSERT_TRUE(fs::is_regular_file(path));
    EXPECT_EQ(0u, fs::file_size(path));
    EXPECT_TRUE(manifest.files[0].copied);
    const FileTimes times = TimesOf(path);
    ASSERT_TRUE(times.ok);
    EXPECT_EQ(kDates[0], times.lastWrite);
    EXPECT_EQ((std::vector<double>{0}), progress.positions) << "only the reset";
    EXPECT_TRUE(progress.timeTexts.empty());
    EXPECT_TRUE(progress.progressTexts.empty());
}

TEST_F(TransferWorkerTest, TenMegabytesArriveInChunksOfFourFourAndTwo) {
    InstallManifest manifest = Manifest(scratch, {"Big.bin"});
    ASSERT_EQ(10 * kMiB, manifest.totalSize);
    TransferWorker worker(manifest, strings, &progress, nullptr);
    ASSERT_EQ(0u, Install(worker));
    EXPECT_EQ((std::vector<double>{10.0 * kMiB}), progress.ranges);
    EXPECT_EQ((std::vector<double>{0, 4.0 * kMiB, 8.0 * kMiB, 10.0 * kMiB}), progress.positions);
    ASSERT_EQ(3u, progress.progressTexts.size());
    EXPECT_EQ(progress.progressTexts[0], u"40% completed");
    EXPECT_EQ(progress.progressTexts[1], u"80% completed");
    EXPECT_EQ(progress.progressTexts[2], u"100% completed");
    const String kPhrases[] = {u"?",
                               u"about a minute",
                               u"less than a minute",
                               u"about 10 seconds",
                               u"about 5 seconds",
                               u"0 seconds"};
    ASSERT_EQ(3u, progress.timeTexts.size());
    for (const String& text : progress.timeTexts) {
        const String prefix = u"Time remaining: ";
        ASSERT_TRUE(text.length() > prefix.length() && text.left(prefix.length()) == prefix)
            << vorn::ToPrintable(text.data());
        const String phrase = text.mid(prefix.length());
        const bool known = std::any_of(std::begin(kPhrases), std::end(kPhrases),
                                       [&](const String& p) { return p == phrase; }) ||
                           (phrase.left(6) == u"about " && phrase.find(u" minutes") > 0);
        EXPECT_TRUE(known) << vorn::ToPrintable(text.data());
    }
    const fs::path path = InstallFolder(manifest) / "Big.bin";
    EXPECT_TRUE(vorn::ReadWholeFile(path) == Contents("Big.bin"));
    EXPECT_EQ(kDates[0], TimesOf(path).lastWrite);
}

TEST_F(TransferWorkerTest, QuietTransferCopiesWithoutProgress) {
    InstallManifest manifest = Manifest(scratch, {"Readme.txt", "Empty.dat"});
    TransferWorker worker(manifest, strings, nullptr, nullptr);
    ASSERT_EQ(0u, Install(worker));
    EXPECT_TRUE(vorn::ReadWholeFile(InstallFolder(manifest) / "Readme.txt") ==
                Contents("Readme.txt"));
    EXPECT_TRUE(fs::is_regular_file(InstallFolder(manifest) / "Empty.dat"));
}

// Failures and the roll-back that follows them.

TEST_F(TransferWorkerTest, MissingSourceFailsAndRollBackRemovesEverything) {
    InstallManifest manifest =
        Manifest(scratch, {"Readme.txt", "Bin/Tools/Helper.dll", "Missing.bin", "Data/Config.xml"});
    manifest.files[2].size = 10;
    TransferWorker worker(manifest, strings, &progress, nullptr);
    EXPECT_EQ(29u, worker.copyFiles());
    const fs::path folder = InstallFolder(manifest);
    EXPECT_TRUE(manifest.files[0].copied);
    EXPECT_TRUE(manifest.files[1].copied);
    EXPECT_FALSE(manifest.files[2].copied);
    EXPECT_FALSE(manifest.files[3].copied);
    EXPECT_FALSE(fs::exists(folder / "Missing.bin"));
    EXPECT_FALSE(fs::exists(folder / "Data"));
    EXPECT_TRUE(fs::exists(PartialFolder(folder) / "Bin" / "Tools" / "Helper.dll"));
    EXPECT_FALSE(fs::exists(folder / "Bin" / "Tools" / "Helper.dll")) << "none takes its place";

    worker.rollBack();
    EXPECT_FALSE(fs::exists(folder / "Readme.txt"));
    EXPECT_FALSE(fs::exists(folder / "Bin")) << "emptied nested folders go";
    EXPECT_FALSE(fs::exists(folder)) << "the empty install folder goes";
    EXPECT_FALSE(fs::exists(PartialFolder(folder)));
    EXPECT_FALSE(fs::exists(scratch.path() / "Vorn Test Co")) << "the empty company folder goes";
    EXPECT_TRUE(fs::is_directory(scratch.path())) << "nothing above the company folder";
}

TEST_F(TransferWorkerTest, UncreatableDestinationFailsAndRollBackKeepsTheUsersFiles) {
    InstallManifest manifest =
        Manifest(scratch, {"Readme.txt", "Docs/Manual.txt", "Bin/Tools/Helper.dll", "Blocked.bin",
                           "Data/Config.xml"});
    const fs::path folder = InstallFolder(manifest);
    // There before the installation: the user's notes, and a folder where a file must go.
    fs::create_directories(folder / "Docs");
    vorn::WriteWholeFile(folder / "Notes.txt", vorn::SampleText(50));
    vorn::WriteWholeFile(folder / "Docs" / "Mine.txt", vorn::SampleText(60));
    fs::create_directories(folder / "Blocked.bin");
    // Also listed, but the copy never gets to it.
    fs::create_directories(folder / "Data");
    vorn::WriteWholeFile(folder / "Data" / "Config.xml", vorn::SampleText(70));

    TransferWorker worker(manifest, strings, &progress, nullptr);
    EXPECT_EQ(0u, worker.copyFiles());
    EXPECT_EQ(17u, worker.placeFiles()) << "access denied, before anything is moved";
    EXPECT_FALSE(fs::exists(folder / "Readme.txt")) << "none took its place";

    worker.rollBack();
    EXPECT_FALSE(fs::exists(folder / "Readme.txt"));
    EXPECT_FALSE(fs::exists(folder / "Docs" / "Manual.txt"));
    EXPECT_FALSE(fs::exists(folder / "Bin"));
    EXPECT_TRUE(vorn::ReadWholeFile(folder / "Notes.txt") == vorn::SampleText(50));
    EXPECT_TRUE(vorn::ReadWholeFile(folder / "Docs" / "Mine.txt") == vorn::SampleText(60));
    EXPECT_TRUE(fs::is_directory(folder / "Blocked.bin")) << "not made by the installation";
    EXPECT_TRUE(vorn::ReadWholeFile(folder / "Data" / "Config.xml") == vorn::SampleText(70))
        << "not written by the installation";
}

TEST_F(TransferWorkerTest, CompanyFolderWithOtherContentsStays) {
    InstallManifest manifest = Manifest(scratch, {"Readme.txt", "Missing.bin"});
    const fs::path company = scratch.path() / "Vorn Test Co";
    fs::create_directories(company / "Other Product");
    TransferWorker worker(manifest, strings, &progress, nullptr);
    EXPECT_EQ(29u, worker.copyFiles());
    worker.rollBack();
    EXPECT_FALSE(fs::exists(InstallFolder(manifest)));
    EXPECT_TRUE(fs::is_directory(company / "Other Product"));
}

TEST_F(TransferWorkerTest, DamagedEntryFailsAndLeavesNoPartialFile) {
    InstallManifest manifest = Manifest(scratch, {"Readme.txt", "Damaged.bin"});
    TransferWorker worker(manifest, strings, &progress, nullptr);
    const Result result = worker.copyFiles();
    EXPECT_EQ(22u, result) << "the setup file is damaged";
    EXPECT_TRUE(manifest.files[0].copied);
    EXPECT_FALSE(manifest.files[1].copied) << "marked only once in place";
    const fs::path folder = InstallFolder(manifest);
    EXPECT_FALSE(fs::exists(folder / "Damaged.bin")) << "no half-written file under its name";
    EXPECT_FALSE(fs::exists(PartialFolder(folder) / "Damaged.bin")) << "the unfinished file goes";
    EXPECT_TRUE(fs::exists(PartialFolder(folder) / "Readme.txt")) << "until the roll-back";

    worker.rollBack();
    EXPECT_FALSE(fs::exists(folder / "Readme.txt"));
    EXPECT_FALSE(fs::exists(scratch.path() / "Vorn Test Co"));
}

// A full disk: the platform's full device stands in for it (Wine's Z: is the
// Unix root). A small file's bytes wait in the stream's cache until the file
// is finished, so only finishing it can tell.
TEST_F(TransferWorkerTest, AFileFinishedOnAFullDiskIsNoSuccess) {
    vorn::FileStream destination;
    ASSERT_EQ(0u, destination.openWrite(u"Z:\\dev\\full"));
    const std::vector<uint8_t> bytes = Contents("Readme.txt");
    ASSERT_EQ(0u, destination.write(bytes.data(), uint32_t(bytes.size())));
    EXPECT_EQ(13u, TransferWorker::FinishFile(destination, kDates[0]));
}

// Files in the way of the installation.

TEST_F(TransferWorkerTest, ReadOnlyFileOfAnEarlierVersionIsReplaced) {
    InstallManifest manifest = Manifest(scratch, {"Readme.txt", "Docs/Manual.txt"});
    const fs::path folder = InstallFolder(manifest);
    const fs::path old = folder / "Docs" / "Manual.txt";
    fs::create_directories(old.parent_path());
    vorn::WriteWholeFile(old, vorn::SampleText(40));
    ASSERT_TRUE(SetFileAttributesW(old.c_str(), FILE_ATTRIBUTE_READONLY));
    const DateTime oldDate = TimesOf(old).lastWrite;
    TransferWorker worker(manifest, strings, &progress, nullptr);
    ASSERT_EQ(0u, Install(worker));
    EXPECT_TRUE(vorn::ReadWholeFile(old) == Contents("Docs/Manual.txt"));
    EXPECT_EQ(manifest.files[1].date, TimesOf(old).lastWrite);
    EXPECT_TRUE(manifest.files[1].copied);

    // Undone, the old file is back as it was: bytes, date, attribute.
    worker.rollBack();
    EXPECT_TRUE(vorn::ReadWholeFile(old) == vorn::SampleText(40));
    EXPECT_EQ(oldDate, TimesOf(old).lastWrite);
    EXPECT_EQ(DWORD(FILE_ATTRIBUTE_READONLY),
              GetFileAttributesW(old.c_str()) & FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(fs::exists(folder / "Readme.txt"));
    EXPECT_FALSE(fs::exists(fs::path(old.u16string() + u".VornLib-previous")));
    SetFileAttributesW(old.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(TransferWorkerTest, FileHeldOpenWithoutSharingFailsAndStays) {
    InstallManifest manifest =
        Manifest(scratch, {"Readme.txt", "Data/Config.xml", "Docs/Manual.txt"});
    const fs::path folder = InstallFolder(manifest);
    const fs::path held = folder / "Data" / "Config.xml";
    fs::create_directories(held.parent_path());
    vorn::WriteWholeFile(held, vorn::SampleText(70));
    {
        vorn::FileHandle holder(CreateFileW(held.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(holder.isValid());
        TransferWorker worker(manifest, strings, &progress, nullptr);
        EXPECT_EQ(0u, worker.copyFiles());
        EXPECT_EQ(27u, worker.placeFiles()) << "in use by another program: a sharing violation";
        EXPECT_FALSE(fs::exists(folder / "Readme.txt")) << "found before anything changed";
        worker.rollBack();
        EXPECT_FALSE(fs::exists(Partial(folder / "Readme.txt")));
        EXPECT_FALSE(fs::exists(folder / "Data" / "Config.xml.VornLib-partial"));
    }
    EXPECT_TRUE(vorn::ReadWholeFile(held) == vorn::SampleText(70)) << "the other program's file";
}

// Paths beyond the platform's 260 characters.

TEST_F(TransferWorkerTest, NestedFilesBeyondThePathLimitArrive) {
    InstallManifest manifest = Manifest(scratch, {kDeepName});
    const String full = JoinPath(manifest.installFolder, manifest.files[0].relativePath);
    ASSERT_GT(full.length(), 260u);
    TransferWorker worker(manifest, strings, &progress, nullptr);
    ASSERT_EQ(0u, Install(worker));
    EXPECT_EQ(0u, worker.checkPaths()) << "only the programs and shortcut targets must fit";
    const fs::path file = fs::path(std::u16string(vorn::LongPath(full).data()));
    EXPECT_TRUE(vorn::ReadWholeFile(file) == Contents(kDeepName));
    EXPECT_EQ(manifest.files[0].date, TimesOf(file).lastWrite);
    worker.rollBack();
    EXPECT_FALSE(fs::exists(scratch.path() / "Vorn Test Co"))
        << "rolled back through the long path";
}

TEST_F(TransferWorkerTest, ProgramsAndShortcutTargetsBeyondThePathLimitAreRefused) {
    InstallManifest manifest = Manifest(scratch, {"Readme.txt"});
    const String folder = manifest.installFolder;
    const auto repeat = [](char16_t unit, uint32_t count) {
        String text;
        while (text.length() < count)
            text += unit;
        return text;
    };
    const auto withFolderOf = [&](uint32_t length) {
        String padded = folder + u"\\";
        while (padded.length() < length)
            padded += u'x';
        return padded;
    };
    manifest.executable = u"Demo.exe";
    // 259 characters and the terminating zero fit; 260 do not.
    manifest.installFolder = withFolderOf(259 - 9);
    ASSERT_EQ(259u, manifest.executablePath().length());
    TransferWorker worker(manifest, strings, &progress, nullptr);
    EXPECT_EQ(0u, worker.checkPaths());
    manifest.installFolder = withFolderOf(260 - 9);
    EXPECT_EQ(31u, worker.checkPaths()) << "the program";
    manifest.installFolder = withFolderOf(200);
    manifest.executableX64 = String(u"x64\\") + repeat(u'y', 60) + u".exe";
    EXPECT_EQ(31u, worker.checkPaths()) << "the 64-bit program";
    manifest.executableX64.clear();
    ShortcutEntry shortcut;
    shortcut.target = String(u"Help\\") + repeat(u'z', 60) + u".txt";
    manifest.shortcuts.push_back(shortcut);
    EXPECT_EQ(31u, worker.checkPaths()) << "a shortcut's target";
    manifest.shortcuts.back().target = u"Help\\Readme.txt";
    EXPECT_EQ(0u, worker.checkPaths());
}

// The installed program's "/Install" run registers its file types; one that
// does not end holds the installation for a bounded time only.
TEST_F(TransferWorkerTest, AHandOffThatDoesNotEndIsLeftToItself) {
    InstallManifest manifest = Manifest(scratch, {});
    ASSERT_EQ(0u, vorn::UUID::Parse(u"6C1D2E3F-4A5B-4C6D-8E7F-901A2B3C4D5E", &manifest.uuid));
    manifest.name = u"Vorn Hand-off Test";
    manifest.programGroup = manifest.name;
    manifest.executable = u"Lingering.exe";
    for (bool& chosen : manifest.chosenShortcuts)
        chosen = false;
    const fs::path folder = InstallFolder(manifest);
    fs::create_directories(folder);
    fs::copy_file(VORN_LINGERING_PROGRAM, folder / "Lingering.exe");
    TransferWorker worker(manifest, strings, nullptr, nullptr);
    worker.setHandOffLimit(300);
    // The worker's own thread has COM for the shortcuts; this one needs it too.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    EXPECT_EQ(0u, worker.registerInstallation());
    if (SUCCEEDED(com))
        CoUninitialize();
    EXPECT_FALSE(fs::exists(folder / "ended.txt")) << "the installation went on while it ran";
    EXPECT_TRUE(vorn::UninstallEntry(manifest.uuid, manifest.scope).exists())
        << "the registration is complete";

    vorn::WriteWholeFile(folder / "release.txt", {});
    for (int i = 0; i < 200 && !fs::exists(folder / "ended.txt"); ++i)
        Sleep(50);
    EXPECT_TRUE(fs::exists(folder / "ended.txt")) << "the program ends on its own";
    // Its executable can go once the process has ended.
    const std::wstring program = (folder / "Lingering.exe").wstring();
    for (int i = 0; i < 200 && !DeleteFileW(program.c_str()); ++i)
        Sleep(20);
    (void)vorn::UninstallEntry(manifest.uuid, manifest.scope).remove();
    for (const String& shortcut : manifest.createdShortcuts)
        DeleteFileW(vorn::Wide(shortcut.data()));
    (void)vorn::RemoveEmptyFolderTree(
        vorn::NormalisedFolder(vorn::StartMenuProgramsFolder() + manifest.programGroup));
}

} // namespace
} // namespace vornsetup::transfertests
