// The install log: its line and name formats, the README's table of events,
// and (on Windows) a file that two writers append to in turn, a log that
// cannot be made, and the switch that hands it on.
#include <gtest/gtest.h>

#include <string>

#include "FileContents.h"
#include "ReadmeTable.h"
#include "TestText.h"
#include "VornLib/app/InstallLog.h"
#include "VornLib/core/Utf8.h"

#ifdef _WIN32
#include "VornLib/core/Win32.h"
#include "VornLib/core/platform/SystemInfo.h"
#endif

namespace vorn {
namespace {

CalendarTime At(uint32_t hour, uint32_t microsecond) {
    CalendarTime time;
    time.year = 2025;
    time.month = 3;
    time.day = 4;
    time.hour = hour;
    time.minute = 6;
    time.second = 7;
    time.microsecond = microsecond;
    return time;
}

TEST(InstallLog, ALineIsTheUtcTimeToTheMillisecondTheEventAndOneLineOfText) {
    EXPECT_EQ(
        String(u"2025-03-04T05:06:07.089Z File Help/Readme.txt (14 bytes)\r\n"),
        LogLine(DateTimeFromCalendar(At(5, 89999)), LogEvent::File, u"Help/Readme.txt (14 bytes)"));
    // A line break in a value cannot start a line that looks like an event.
    EXPECT_EQ(
        String(u"2025-03-04T23:06:07.000Z CommandLine a  2025 Result 0\r\n"),
        LogLine(DateTimeFromCalendar(At(23, 0)), LogEvent::CommandLine, u"a\r\n2025 Result 0"));
}

TEST(InstallLog, LogAloneIsNamedAfterTheProductTheProgramAndTheLocalTime) {
    EXPECT_EQ(String(u"VornDemo Setup 20250304-050607.log"),
              DefaultLogName(u"VornDemo", u"Setup", At(5, 0)));
    EXPECT_EQ(String(u"Demo Paint (Beta) Removal 20250304-230607.log"),
              DefaultLogName(u"Demo Paint (Beta)", u"Removal", At(23, 0)));
}

TEST(InstallLog, TheReadmeTableOfEventsIsTheCodesTable) {
    const std::vector<ReadmeRow> rows = ReadmeTable("| event | what the line says |");
    ASSERT_EQ(kLogEventCount, rows.size());
    for (uint32_t i = 0; i < kLogEventCount; ++i) {
        const ReadmeRow expected = {"`" + ToUtf8(String(kLogEvents[i].name)) + "`",
                                    ToUtf8(String(kLogEvents[i].meaning))};
        EXPECT_EQ(expected, rows[i]);
        EXPECT_EQ(String(kLogEvents[i].name), LogEventNameOf(kLogEvents[i].event));
    }
}

#ifdef _WIN32

// Each line without its time: "<event> <text>".
std::vector<std::string> EventsOf(const std::string& log) {
    std::vector<std::string> events;
    for (size_t start = 0, end; (end = log.find("\r\n", start)) != std::string::npos;
         start = end + 2)
        events.push_back(log.substr(start + 25, end - start - 25));
    return events;
}

class InstallLogFile : public ::testing::Test {
protected:
    // The log as a program given `switches` opens it.
    Result openAsAsked(const String& switches, String* problem = nullptr) {
        CommandLine commandLine;
        const String text = u"setup.exe " + switches;
        commandLine.parse(text.data());
        return OpenRequestedLog(commandLine, u"Demo", u"Setup", problem);
    }
    String logSwitch() { return String(u"/Log:\"" + path_ + u'"'); }
    void TearDown() override {
        InstallLog::Instance().close();
        DeleteFileW(Wide(path_.data()));
        RemoveDirectoryW(Wide(folder_.data()));
    }
    String folder_ = TemporaryFolder() + u"VornLogTest \u00e9";
    String path_ = folder_ + u"\\setup.log";
};

TEST_F(InstallLogFile, WritersAppendInTurnToOneFileTheyMake) {
    InstallLog& log = InstallLog::Instance();
    ASSERT_EQ(0u, openAsAsked(logSwitch())) << "its folder is made";
    EXPECT_EQ(path_, log.path());
    Log(LogEvent::Program, u"Demo 1.0 setup");
    EXPECT_EQ(String(u" " + logSwitch() + u" /LogFileId:" + log.identity()), LogSwitch());
    // A second writer (the elevated copy) while the first keeps the file open.
    FileHandle other(CreateFileW(Wide(path_.data()), FILE_APPEND_DATA,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(other.isValid()) << "the log shares its file";
    const std::string line = ToUtf8(LogLine(CurrentDateTime(), LogEvent::File, u"a (1 bytes)"));
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(other.get(), line.data(), DWORD(line.size()), &written, nullptr));
    Log(LogEvent::Result, u"{0} {1}", {0, u"installed \u00fc"});
    log.close();
    Log(LogEvent::Result, u"not written: the log is closed");
    EXPECT_TRUE(LogSwitch().isEmpty());
    ASSERT_EQ(0u, openAsAsked(logSwitch()));
    Log(LogEvent::Result, u"appended");
    log.close();
    const std::vector<std::string> expected = {"Program Demo 1.0 setup", "File a (1 bytes)",
                                               "Result 0 installed \xc3\xbc", "Result appended"};
    EXPECT_EQ(expected, EventsOf(FileContents(path_)));
}

TEST_F(InstallLogFile, ALogThatCannotBeMadeLeavesTheLogClosedAndSaysWhy) {
    ASSERT_TRUE(CreateDirectoryW(Wide(folder_.data()), nullptr));
    String problem;
    // A folder stands where the file must go.
    EXPECT_NE(0u, openAsAsked(u"/Log:\"" + folder_ + u'"', &problem));
    EXPECT_FALSE(InstallLog::Instance().isOpen());
    EXPECT_NE(-1, problem.find(u"cannot be created")) << ToPrintable(problem.data());
    EXPECT_TRUE(LogSwitch().isEmpty());
    // Nothing asked, nothing said.
    EXPECT_EQ(0u, openAsAsked(u"/Quiet", &problem));
    EXPECT_TRUE(problem.isEmpty());
}

// The elevated copy writes where its launcher could, and nowhere else.
TEST_F(InstallLogFile, AnElevatedCopyAppendsOnlyToTheFileItsLauncherMade) {
    InstallLog& log = InstallLog::Instance();
    const String copy = u"/LaunchedAsAdministrator " + logSwitch();
    String problem;
    EXPECT_NE(0u, openAsAsked(copy, &problem)) << "a path alone is not enough";
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(Wide(path_.data()))) << "nothing made";
    EXPECT_NE(-1, problem.find(u"cannot be created")) << ToPrintable(problem.data());

    ASSERT_EQ(0u, openAsAsked(logSwitch()));
    const String made = log.identity();
    Log(LogEvent::Program, u"launcher");
    log.close();
    ASSERT_EQ(0u, openAsAsked(copy + u" /LogFileId:" + made));
    Log(LogEvent::Program, u"elevated copy");
    log.close();
    EXPECT_EQ((std::vector<std::string>{"Program launcher", "Program elevated copy"}),
              EventsOf(FileContents(path_)));

    // The path turned to another file meanwhile (the made one still there,
    // as its launcher holds it open): refused, and left as it is.
    const String aside = path_ + u".aside";
    ASSERT_TRUE(MoveFileW(Wide(path_.data()), Wide(aside.data())));
    FileHandle other(CreateFileW(Wide(path_.data()), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                 CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(other.isValid());
    other.reset();
    EXPECT_NE(0u, openAsAsked(copy + u" /LogFileId:" + made));
    EXPECT_FALSE(log.isOpen());
    EXPECT_EQ("", FileContents(path_));
    DeleteFileW(Wide(aside.data()));
}

#endif

} // namespace
} // namespace vorn
