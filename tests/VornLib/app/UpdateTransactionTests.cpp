// An installation over a previous one, step by step, in a scratch folder and
// the test prefix's registry: interrupted after each step (the object goes,
// as with a killed setup, and the next run recovers from the record) or
// undone in the same run, the previous installation is back exactly (files
// with bytes, dates and attributes, the entry with its lists, the
// shortcuts); committed, the new version stands with the user's files.
#include <gtest/gtest.h>

#include "VornLib/core/Win32.h"

#include <filesystem>
#include <string>
#include <vector>

#include "VornLib/app/UninstallEntry.h"
#include "VornLib/app/UpdateTransaction.h"
#include "VornLib/core/Format.h"
#include "VornLib/core/platform/SystemInfo.h"
#include "VornLib/data/DataTestSupport.h"

namespace vorn {
namespace {

namespace fs = std::filesystem;

constexpr uint32_t kProgramLimit = 1000;

// Every file and folder below `root`: path, size, bytes, date, attributes.
std::string FilesOf(const fs::path& root) {
    std::string listing;
    for (const auto& item : fs::recursive_directory_iterator(root)) {
        const fs::path path = item.path();
        listing += fs::relative(path, root).generic_string();
        const DWORD attributes = GetFileAttributesW(path.c_str());
        listing += " attributes " + std::to_string(attributes & (FILE_ATTRIBUTE_READONLY |
                                                                 FILE_ATTRIBUTE_DIRECTORY));
        if (!item.is_directory()) {
            const std::vector<uint8_t> bytes = ReadWholeFile(path);
            listing += " bytes " + std::string(bytes.begin(), bytes.end());
            WIN32_FILE_ATTRIBUTE_DATA data{};
            GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
            listing += " date " + std::to_string(data.ftLastWriteTime.dwHighDateTime) + ":" +
                       std::to_string(data.ftLastWriteTime.dwLowDateTime);
        }
        listing += "\n";
    }
    return listing;
}

// A key with its values (name, type, data) and subkeys, where an
// installation of `scope` keeps it (all users' in the 32-bit view).
std::string KeyOf(InstallScope scope, const std::wstring& path) {
    const bool user = scope == InstallScope::User;
    HKEY key = nullptr;
    if (RegOpenKeyExW(user ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE, path.c_str(), 0,
                      KEY_READ | (user ? 0 : KEY_WOW64_32KEY), &key) != ERROR_SUCCESS)
        return "(none)";
    std::string text;
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        DWORD nameLength = 256, type = 0, size = 4096;
        BYTE data[4096];
        if (RegEnumValueW(key, index, name, &nameLength, nullptr, &type, data, &size) !=
            ERROR_SUCCESS)
            break;
        text += fs::path(name).string() + " " + std::to_string(type) + " " +
                std::string(reinterpret_cast<char*>(data), size) + "\n";
    }
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        DWORD nameLength = 256;
        if (RegEnumKeyExW(key, index, name, &nameLength, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        text += "[" + fs::path(name).string() + "]\n" + KeyOf(scope, path + L"\\" + name);
    }
    RegCloseKey(key);
    return text;
}

std::vector<uint8_t> Bytes(const std::string& text) {
    return std::vector<uint8_t>(text.begin(), text.end());
}

void Write(const fs::path& path, const std::string& text, int year) {
    fs::create_directories(path.parent_path());
    WriteWholeFile(path, Bytes(text));
    const HANDLE file = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    SYSTEMTIME time{WORD(year), 3, 0, 4, 5, 6, 7, 0};
    FILETIME stamp{};
    SystemTimeToFileTime(&time, &stamp);
    SetFileTime(file, nullptr, nullptr, &stamp);
    CloseHandle(file);
}

enum class Ending { Killed, RolledBack };

class UpdateTransactionTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Not the removal tests' product: the two may run at once in one prefix.
        ASSERT_EQ(0u, UUID::Parse(u"6B2C3D4E-5F60-4B7C-9D8E-0F1A2B3C4D5E", &uuid));
        entryPath = fs::path(std::u16string(UninstallEntryPath(uuid).data())).wstring();
        folder = scratch.path() / "Vorn Test Co" / "Demo";
        plan.company = u"Vorn Test Co";
        plan.product.folder = folder.u16string().c_str();
        // No program of the new version runs in these tests.
        plan.product.program = (folder / "Absent.exe").u16string().c_str();
        for (const char* name : {"Demo.exe", "Help\\Readme.txt", "Added\\New.txt"})
            plan.product.files.push_back(fs::path(name).u16string().c_str());
    }
    void TearDown() override {
        (void)UninstallEntry(uuid, scope).remove();
        (void)UpdateJournal(uuid, scope).remove();
        SetFileAttributesW((folder / "Help" / "Readme.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
    }

    // Version 1: three files (one read-only), two shortcuts, an entry that
    // lists them, and a file of the user's own.
    void InstallPrevious() {
        Write(folder / "Demo.exe", "program 1", 2020);
        Write(folder / "Help" / "Readme.txt", "readme 1", 2021);
        SetFileAttributesW((folder / "Help" / "Readme.txt").c_str(), FILE_ATTRIBUTE_READONLY);
        Write(folder / "Old" / "Removed.txt", "removed in 2", 2019);
        Write(folder / "Notes.txt", "the user's", 2022);
        Write(scratch.path() / "Menu" / "Demo.lnk", "group shortcut 1", 2020);
        Write(scratch.path() / "Desktop" / "Demo.lnk", "desktop shortcut 1", 2020);
        UninstallEntry entry(uuid, scope);
        (void)entry.key().writeText(u"DisplayVersion", u"1.0");
        (void)entry.key().writeInt32(u"EstimatedSize", 7);
        (void)entry.key().writeText(EntryValueName(EntryValue::InstallFolder),
                                    folder.u16string().c_str());
        (void)entry.key().writeText(EntryValueName(EntryValue::UninstallProgram),
                                    (folder / "Gone.exe").u16string().c_str());
        entry.writeList(kFilesList, {u"Demo.exe", u"Help/Readme.txt", u"Old/Removed.txt"});
        entry.writeList(kShortcutsList,
                        {(scratch.path() / "Menu" / "Demo.lnk").u16string().c_str(),
                         (scratch.path() / "Desktop" / "Demo.lnk").u16string().c_str()});
    }

    // The copy: version 2's files where the transaction has them written
    // (beside their places, or in the partial folder of a new folder).
    void CopyNext(const UpdateTransaction& transaction) {
        const auto at = [&transaction](const char16_t* relative) {
            return fs::path(std::u16string(transaction.copyPath(relative).data()));
        };
        Write(at(u"Demo.exe"), "program 2", 2024);
        Write(at(u"Help\\Readme.txt"), "readme 2", 2024);
        Write(at(u"Added\\New.txt"), "added in 2", 2024);
    }

    // Up to and with `last`, as the worker takes them.
    void StepTo(UpdateTransaction& transaction, UpdateStep last) {
        ASSERT_EQ(0u, transaction.start(plan));
        CopyNext(transaction);
        if (last >= UpdateStep::RemovingPrevious) {
            ASSERT_EQ(0u, transaction.checkInTheWay(HeldFilesChoice::Refuse));
            ASSERT_EQ(0u, transaction.removePrevious());
            EXPECT_FALSE(UninstallEntry(uuid, scope).exists()) << "its removal's last step";
        }
        if (last >= UpdateStep::MovingAside) {
            ASSERT_EQ(0u, transaction.moveAside());
        }
        if (last >= UpdateStep::PuttingInPlace) {
            ASSERT_EQ(0u, transaction.putInPlace());
        }
        if (last >= UpdateStep::Registering) {
            const fs::path shortcut = scratch.path() / "Menu" / "Demo.lnk";
            ASSERT_EQ(0u, transaction.beginRegistration({shortcut.u16string().c_str()}));
            Write(shortcut, "group shortcut 2", 2024);
            UninstallEntry entry(uuid, scope);
            (void)entry.key().writeText(u"DisplayVersion", u"2.0");
            entry.writeList(kFilesList, {u"Demo.exe", u"Help/Readme.txt", u"Added/New.txt"});
        }
        EXPECT_EQ(last, transaction.step());
    }

    UUID uuid;
    InstallScope scope = InstallScope::Machine;
    std::wstring entryPath;
    // On the user's desktop: per user, an interrupted installation is taken
    // up only where its folder and shortcuts lie in the user's own places.
    ScratchFolder scratch{fs::path(std::u16string(DesktopFolder().data()))};
    fs::path folder;
    InstallationPlan plan;
};

// Per user, everything the transaction keeps lives in the user's own hive,
// beside the entry it replaces.
class UpdateInterrupted
    : public UpdateTransactionTest,
      public ::testing::WithParamInterface<std::tuple<UpdateStep, Ending, InstallScope>> {};

TEST_P(UpdateInterrupted, ThePreviousInstallationIsBackExactly) {
    const UpdateStep last = std::get<0>(GetParam());
    scope = std::get<2>(GetParam());
    InstallPrevious();
    const std::string files = FilesOf(scratch.path());
    const std::string entry = KeyOf(scope, entryPath);
    ASSERT_NE("(none)", entry);
    {
        UpdateTransaction transaction(uuid, scope, kProgramLimit);
        StepTo(transaction, last);
        if (std::get<1>(GetParam()) == Ending::RolledBack)
            transaction.rollBack();
    }
    // A killed setup leaves its record for the next run.
    EXPECT_EQ(std::get<1>(GetParam()) == Ending::Killed,
              UpdateTransaction::Recover(uuid, scope, kProgramLimit));
    EXPECT_EQ(files, FilesOf(scratch.path()));
    EXPECT_EQ(entry, KeyOf(scope, entryPath));
    const InstallScope other =
        scope == InstallScope::User ? InstallScope::Machine : InstallScope::User;
    EXPECT_EQ("(none)", KeyOf(other, entryPath)) << "nothing in the other scope's hive";
    EXPECT_FALSE(UpdateJournal(uuid, scope).exists());
    EXPECT_FALSE(UpdateTransaction::Recover(uuid, scope, kProgramLimit))
        << "nothing left to recover";
}

INSTANTIATE_TEST_SUITE_P(
    EveryStep, UpdateInterrupted,
    ::testing::Combine(::testing::Values(UpdateStep::Copying, UpdateStep::RemovingPrevious,
                                         UpdateStep::MovingAside, UpdateStep::PuttingInPlace,
                                         UpdateStep::Registering),
                       ::testing::Values(Ending::Killed, Ending::RolledBack),
                       ::testing::Values(InstallScope::Machine, InstallScope::User)));

TEST_F(UpdateTransactionTest, AnInstallationOverNothingIsUndoneToNothing) {
    Write(folder / "Notes.txt", "the user's", 2022);
    fs::create_directories(scratch.path() / "Menu");
    const std::string files = FilesOf(scratch.path());
    {
        UpdateTransaction transaction(uuid, scope, kProgramLimit);
        StepTo(transaction, UpdateStep::Registering);
        EXPECT_FALSE(transaction.replacesPrevious());
    }
    EXPECT_TRUE(UpdateTransaction::Recover(uuid, scope, kProgramLimit));
    EXPECT_EQ(files, FilesOf(scratch.path()));
    EXPECT_FALSE(UninstallEntry(uuid, scope).exists());
}

// A folder that was not there is written whole beside its place and put in
// place by one rename; interrupted at any step, nothing of it is left.
class NewFolderInterrupted : public UpdateTransactionTest,
                             public ::testing::WithParamInterface<std::tuple<UpdateStep, Ending>> {
};

TEST_P(NewFolderInterrupted, NothingIsLeft) {
    fs::create_directories(scratch.path() / "Menu");
    const std::string files = FilesOf(scratch.path());
    const fs::path partial = scratch.path() / "Vorn Test Co" / "Demo.VornLib-partial";
    {
        UpdateTransaction transaction(uuid, scope, kProgramLimit);
        StepTo(transaction, std::get<0>(GetParam()));
        if (std::get<0>(GetParam()) == UpdateStep::Copying) {
            EXPECT_TRUE(ReadWholeFile(partial / "Help" / "Readme.txt") == Bytes("readme 2"));
            EXPECT_FALSE(fs::exists(folder)) << "nothing stands at its place yet";
        } else {
            EXPECT_TRUE(ReadWholeFile(folder / "Help" / "Readme.txt") == Bytes("readme 2"));
            EXPECT_FALSE(fs::exists(partial)) << "renamed whole";
        }
        if (std::get<1>(GetParam()) == Ending::RolledBack)
            transaction.rollBack();
    }
    EXPECT_EQ(std::get<1>(GetParam()) == Ending::Killed,
              UpdateTransaction::Recover(uuid, scope, kProgramLimit));
    EXPECT_EQ(files, FilesOf(scratch.path())) << "the company folder made for it goes too";
    EXPECT_FALSE(UninstallEntry(uuid, scope).exists());
}

INSTANTIATE_TEST_SUITE_P(EveryStep, NewFolderInterrupted,
                         ::testing::Combine(::testing::Values(UpdateStep::Copying,
                                                              UpdateStep::PuttingInPlace,
                                                              UpdateStep::Registering),
                                            ::testing::Values(Ending::Killed, Ending::RolledBack)));

// A folder made while the files were copied takes them one by one, beside
// what was put there; a partial folder an earlier run left is never
// written into, so that its strays do not go into place.
TEST_F(UpdateTransactionTest, ANewFolderMadeMeanwhileTakesTheFilesOneByOne) {
    UpdateTransaction transaction(uuid, scope, kProgramLimit);
    StepTo(transaction, UpdateStep::MovingAside);
    Write(folder / "Notes.txt", "the user's", 2022);
    ASSERT_EQ(0u, transaction.putInPlace());
    EXPECT_TRUE(ReadWholeFile(folder / "Added" / "New.txt") == Bytes("added in 2"));
    EXPECT_TRUE(ReadWholeFile(folder / "Notes.txt") == Bytes("the user's"));
    EXPECT_FALSE(fs::exists(scratch.path() / "Vorn Test Co" / "Demo.VornLib-partial"));
    transaction.rollBack();
    EXPECT_FALSE(fs::exists(folder / "Added"));
    EXPECT_TRUE(ReadWholeFile(folder / "Notes.txt") == Bytes("the user's"));
}

TEST_F(UpdateTransactionTest, AFileMadeMeanwhileWhereANewOneGoesIsKept) {
    UpdateTransaction transaction(uuid, scope, kProgramLimit);
    StepTo(transaction, UpdateStep::MovingAside);
    Write(folder / "Help" / "Readme.txt", "someone else's", 2022);
    EXPECT_EQ(14u, transaction.putInPlace());
    transaction.rollBack();
    EXPECT_TRUE(ReadWholeFile(folder / "Help" / "Readme.txt") == Bytes("someone else's"));
    EXPECT_FALSE(fs::exists(scratch.path() / "Vorn Test Co" / "Demo.VornLib-partial"));
}

TEST_F(UpdateTransactionTest, ALeftOverPartialFolderIsNotWrittenInto) {
    const fs::path partial = scratch.path() / "Vorn Test Co" / "Demo.VornLib-partial";
    Write(partial / "Stray.txt", "from a run nobody recovered", 2023);
    UpdateTransaction transaction(uuid, scope, kProgramLimit);
    StepTo(transaction, UpdateStep::PuttingInPlace);
    EXPECT_TRUE(ReadWholeFile(folder / "Demo.exe") == Bytes("program 2"));
    EXPECT_FALSE(fs::exists(folder / "Stray.txt"));
    transaction.rollBack();
    EXPECT_FALSE(fs::exists(folder));
}

// A removal run by the new version's program recovers too: the program
// runs, so its place is taken by renaming it, never by deleting or
// replacing it; the removal learns where it went.
TEST_F(UpdateTransactionTest, TheRemovalsRunningProgramIsRenamedOutOfTheWay) {
    InstallPrevious();
    {
        UpdateTransaction transaction(uuid, scope, kProgramLimit);
        StepTo(transaction, UpdateStep::Registering);
    }
    const fs::path program = folder / "Demo.exe";
    String running = program.u16string().c_str();
    EXPECT_TRUE(UpdateTransaction::Recover(uuid, scope, kProgramLimit, &running));
    EXPECT_TRUE(running == (program.u16string() + u".VornLib-removing").c_str());
    EXPECT_TRUE(ReadWholeFile(fs::path(std::u16string(running.data()))) == Bytes("program 2"));
    EXPECT_TRUE(ReadWholeFile(program) == Bytes("program 1")) << "version 1 is back";
}

// After the commit point the new version stays, whether the setup that
// reached it cleans up or, killed, the next one does.
class UpdateCommitted : public UpdateTransactionTest,
                        public ::testing::WithParamInterface<Ending> {};

TEST_P(UpdateCommitted, TheNewVersionStandsWithTheUsersFiles) {
    InstallPrevious();
    {
        UpdateTransaction transaction(uuid, scope, kProgramLimit);
        StepTo(transaction, UpdateStep::Registering);
        ASSERT_EQ(0u, transaction.commit());
        if (GetParam() == Ending::RolledBack) {
            transaction.rollBack();
            EXPECT_EQ(UpdateStep::None, transaction.step());
        }
    }
    EXPECT_EQ(GetParam() == Ending::Killed, UpdateTransaction::Recover(uuid, scope, kProgramLimit));
    EXPECT_TRUE(ReadWholeFile(folder / "Demo.exe") == Bytes("program 2"));
    EXPECT_TRUE(ReadWholeFile(folder / "Help" / "Readme.txt") == Bytes("readme 2"));
    EXPECT_TRUE(ReadWholeFile(folder / "Added" / "New.txt") == Bytes("added in 2"));
    EXPECT_TRUE(ReadWholeFile(folder / "Notes.txt") == Bytes("the user's"));
    EXPECT_FALSE(fs::exists(folder / "Old")) << "its file and then its folder went";
    EXPECT_TRUE(ReadWholeFile(scratch.path() / "Menu" / "Demo.lnk") == Bytes("group shortcut 2"));
    EXPECT_FALSE(fs::exists(scratch.path() / "Desktop" / "Demo.lnk")) << "not made again";
    for (const auto& item : fs::recursive_directory_iterator(scratch.path())) {
        EXPECT_EQ(std::string::npos, item.path().string().find(".VornLib-"))
            << item.path().string();
    }
    String version;
    EXPECT_EQ(0u, UninstallEntry(uuid, scope).key().readText(u"DisplayVersion", &version));
    EXPECT_TRUE(version == u"2.0");
    EXPECT_FALSE(UpdateJournal(uuid, scope).exists());
}

INSTANTIATE_TEST_SUITE_P(BothWays, UpdateCommitted,
                         ::testing::Values(Ending::Killed, Ending::RolledBack));

// A repair writes only the files that differ from its setup's: those it keeps
// stay where they are, whether it is undone or committed.
TEST_F(UpdateTransactionTest, ARepairLeavesTheFilesItKeeps) {
    InstallPrevious();
    plan.product.files = {u"Help\\Readme.txt"};
    plan.kept = {u"Demo.exe", u"Old\\Removed.txt"};
    const std::string files = FilesOf(scratch.path());
    for (const bool committed : {false, true}) {
        UpdateTransaction transaction(uuid, scope, kProgramLimit);
        ASSERT_EQ(0u, transaction.start(plan));
        Write(fs::path(std::u16string(transaction.copyPath(u"Help\\Readme.txt").data())),
              "readme 1, repaired", 2021);
        ASSERT_EQ(0u, transaction.checkInTheWay(HeldFilesChoice::Refuse));
        ASSERT_EQ(0u, transaction.removePrevious());
        ASSERT_EQ(0u, transaction.moveAside());
        EXPECT_TRUE(ReadWholeFile(folder / "Demo.exe") == Bytes("program 1")) << "not moved";
        ASSERT_EQ(0u, transaction.putInPlace());
        if (!committed) {
            transaction.rollBack();
            EXPECT_EQ(files, FilesOf(scratch.path())) << "as it was";
            continue;
        }
        ASSERT_EQ(0u, transaction.beginRegistration({}));
        ASSERT_EQ(0u, transaction.commit());
        transaction.cleanUp();
    }
    EXPECT_TRUE(ReadWholeFile(folder / "Demo.exe") == Bytes("program 1"));
    EXPECT_TRUE(ReadWholeFile(folder / "Old" / "Removed.txt") == Bytes("removed in 2"));
    EXPECT_TRUE(ReadWholeFile(folder / "Help" / "Readme.txt") == Bytes("readme 1, repaired"));
    for (const auto& item : fs::recursive_directory_iterator(scratch.path())) {
        EXPECT_EQ(std::string::npos, item.path().string().find(".VornLib-"))
            << item.path().string();
    }
}

// A file that another program holds open is found before anything changes.
TEST_F(UpdateTransactionTest, AFileHeldOpenStopsTheUpdateBeforeItBegins) {
    InstallPrevious();
    const std::string entry = KeyOf(scope, entryPath);
    UpdateTransaction transaction(uuid, scope, kProgramLimit);
    ASSERT_EQ(0u, transaction.start(plan));
    CopyNext(transaction);
    const HANDLE holder = CreateFileW((folder / "Old" / "Removed.txt").c_str(), GENERIC_READ, 0,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    EXPECT_EQ(27u, transaction.checkInTheWay(HeldFilesChoice::Refuse));
    EXPECT_EQ(27u, transaction.moveAside()) << "moving it aside is refused as well";
    CloseHandle(holder);
    transaction.rollBack();
    EXPECT_TRUE(ReadWholeFile(folder / "Demo.exe") == Bytes("program 1"));
    EXPECT_FALSE(fs::exists(folder / "Demo.exe.VornLib-previous"));
    EXPECT_FALSE(fs::exists(folder / "Demo.exe.VornLib-partial"));
    EXPECT_EQ(entry, KeyOf(scope, entryPath));
}

// The system's pending renames that name `folder`, one a line.
std::string PendingRenamesIn(const fs::path& folder) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Control\\Session Manager", 0,
                      KEY_READ, &key) != ERROR_SUCCESS)
        return "(no key)";
    std::vector<wchar_t> data(65536);
    DWORD size = DWORD(data.size() * sizeof(wchar_t));
    const LONG read = RegQueryValueExW(key, L"PendingFileRenameOperations", nullptr, nullptr,
                                       reinterpret_cast<BYTE*>(data.data()), &size);
    RegCloseKey(key);
    if (read != ERROR_SUCCESS)
        return "";
    std::string names;
    for (const wchar_t* name = data.data(); name < data.data() + size / sizeof(wchar_t);
         name += wcslen(name) + 1) {
        const std::string text = fs::path(name).string();
        if (text.find(folder.filename().string()) != std::string::npos)
            names += text + "\n";
    }
    return names;
}

// Asked to close, nobody lets go of a file this process holds: it stays in
// place through every step, its new file beside it. Undone, nothing waits for
// a restart; committed, the new file goes over it at the next restart.
TEST_F(UpdateTransactionTest, AFileStillHeldChangesOnlyAtTheNextRestart) {
    for (const bool committed : {false, true}) {
        SCOPED_TRACE(committed ? "committed" : "rolled back");
        InstallPrevious();
        const HANDLE holder = CreateFileW((folder / "Help" / "Readme.txt").c_str(), GENERIC_READ, 0,
                                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, holder);
        UpdateTransaction transaction(uuid, scope, kProgramLimit);
        ASSERT_EQ(0u, transaction.start(plan));
        CopyNext(transaction);
        ASSERT_EQ(0u, transaction.checkInTheWay(HeldFilesChoice::Close));
        ASSERT_EQ(0u, transaction.removePrevious());
        ASSERT_EQ(0u, transaction.moveAside());
        ASSERT_EQ(0u, transaction.putInPlace());
        EXPECT_TRUE(ReadWholeFile(folder / "Demo.exe") == Bytes("program 2"));
        if (committed) {
            ASSERT_EQ(0u, transaction.beginRegistration({}));
            ASSERT_EQ(0u, transaction.commit());
            transaction.cleanUp();
        } else {
            transaction.rollBack();
        }
        CloseHandle(holder);
        EXPECT_EQ(committed, transaction.restartNeeded());
        EXPECT_TRUE(ReadWholeFile(folder / "Help" / "Readme.txt") == Bytes("readme 1"))
            << "the held file is never deleted";
        EXPECT_EQ(committed, fs::exists(folder / "Help" / "Readme.txt.VornLib-partial"));
        const std::string pending = PendingRenamesIn(folder);
        if (committed) {
            EXPECT_NE(std::string::npos, pending.find("Readme.txt.VornLib-partial\n")) << pending;
            EXPECT_NE(std::string::npos, pending.find("Readme.txt\n")) << pending;
        } else {
            EXPECT_EQ("", pending);
            EXPECT_TRUE(ReadWholeFile(folder / "Demo.exe") == Bytes("program 1"));
        }
        // The prefix restarts for other tests too: nothing of this one waits.
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE,
                          L"System\\CurrentControlSet\\Control\\Session Manager", 0, KEY_SET_VALUE,
                          &key) == ERROR_SUCCESS) {
            RegDeleteValueW(key, L"PendingFileRenameOperations");
            RegCloseKey(key);
        }
        SetFileAttributesW((folder / "Help" / "Readme.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
        fs::remove_all(folder);
        (void)UninstallEntry(uuid, scope).remove();
    }
}

} // namespace
} // namespace vorn
