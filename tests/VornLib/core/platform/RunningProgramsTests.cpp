// Programs found running from a folder, against real processes (Wine in the
// automated runs): a small program copied into a folder of the test's own and
// started from there.
#include <gtest/gtest.h>

#include <string>

#include "TestText.h"
#include "VornLib/core/Path.h"
#include "VornLib/core/Win32Handles.h"
#include "VornLib/core/platform/FileSystem.h"
#include "VornLib/core/platform/RunningPrograms.h"
#include "VornLib/core/platform/SystemInfo.h"

namespace vorn {
namespace {

class RunningProgramsTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = TemporaryFolder() + u"VornRunning Test\\";
        program_ = root_ + u"Bin\\Lingerer.exe";
        ASSERT_EQ(0u, CreateFolderTree(root_ + u"Bin\\"));
        ASSERT_EQ(0u, CreateFolderTree(TemporaryFolder() + u"VornRunning Test2\\"));
        ASSERT_TRUE(CopyFileW(TEXT(VORN_LINGERER), Wide(program_.data()), FALSE));
        std::wstring commandLine = L"\"" + std::wstring(Wide(program_.data())) + L"\" 30";
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        ASSERT_TRUE(CreateProcessW(Wide(program_.data()), &commandLine[0], nullptr, nullptr, FALSE,
                                   0, nullptr, nullptr, &startup, &process));
        process_.reset(process.hProcess);
        KernelHandle thread(process.hThread);
        processId_ = process.dwProcessId;
    }
    void TearDown() override {
        if (process_.isValid()) {
            TerminateProcess(process_.get(), 0);
            WaitForSingleObject(process_.get(), 5000);
        }
        process_.reset();
        DeleteFileW(Wide(program_.data()));
        (void)RemoveEmptyFolderTree(root_.left(root_.length() - 1));
        RemoveDirectoryW(Wide((TemporaryFolder() + u"VornRunning Test2").data()));
    }

    String root_;
    String program_;
    KernelHandle process_;
    DWORD processId_ = 0;
};

TEST_F(RunningProgramsTest, FindsTheProgramInItsFolderAndBelowOnly) {
    wchar_t shortForm[MAX_PATH] = {};
    ASSERT_NE(0u, GetShortPathNameW(Wide(root_.data()), shortForm, MAX_PATH));
    const struct {
        String folder;
        bool found;
    } cases[] = {
        {root_ + u"Bin\\", true},
        {root_ + u"Bin", true},  // without the separator
        {root_, true},           // a folder above the program's
        {root_ + u"BIN/", true}, // letters and separators as a user may type them
        {String(Units(shortForm)), true},
        {TemporaryFolder() + u"VornRunning Test2\\", false}, // the name begins alike
        {root_ + u"Bin\\Lingerer.exe\\", false},
        {String(), false},
    };
    for (const auto& each : cases) {
        const std::vector<RunningProgram> found = ProgramsRunningIn(each.folder);
        ASSERT_EQ(each.found ? 1u : 0u, found.size()) << ToPrintable(each.folder.data());
        if (each.found) {
            EXPECT_EQ(processId_, found[0].processId);
            EXPECT_TRUE(SamePath(found[0].imagePath, program_))
                << ToPrintable(found[0].imagePath.data());
        }
    }
}

TEST_F(RunningProgramsTest, AnEndedProgramIsNoLongerFound) {
    TerminateProcess(process_.get(), 0);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process_.get(), 5000));
    EXPECT_TRUE(ProgramsRunningIn(root_).empty());
}

// Who holds a program file that must be replaced: the process that has it
// loaded, found by its modules; never this process for its own.
TEST_F(RunningProgramsTest, FindsTheProcessThatHasAFileLoaded) {
    RunningProgram holder;
    // The new process's modules are listed once it has started.
    for (int attempt = 0; attempt < 100 && !holder.processId; ++attempt) {
        holder = ProgramUsingModule(root_ + u"BIN/lingerer.exe");
        if (!holder.processId)
            Sleep(100);
    }
    EXPECT_EQ(processId_, holder.processId);
    EXPECT_TRUE(SamePath(holder.imagePath, program_)) << ToPrintable(holder.imagePath.data());
    EXPECT_EQ(0u, ProgramUsingModule(ExecutablePath()).processId);
    EXPECT_EQ(0u, ProgramUsingModule(root_ + u"Bin\\Missing.exe").processId);
}

TEST(RunningPrograms, NeverThisProcessNorCopiesOfItsExecutable) {
    // The test runs from its own folder: it is the only program there.
    EXPECT_TRUE(ProgramsRunningIn(ParentFolder(ExecutablePath())).empty());
}

} // namespace
} // namespace vorn
