// The log of an installation or a removal, asked for with "/Log:<file>", or
// with "/Log" alone for a file in the temporary folder named after the
// product, the program and the local time ("VornDemo Setup 20250304-050607.log",
// "VornDemo Removal 20250304-050607.log"). Plain UTF-8 text without a byte
// order mark, one line per event: the time in UTC to the millisecond, the
// event's name from the table below, and what it concerns:
//
//   2025-03-04T05:06:07.089Z File Help/Readme.txt (14 bytes)
//
// A line reaches the file with one write before the step it announces
// begins, so that a crash or a kill leaves the log up to that step. The
// setup, its elevated copy and the removal they start append to one file.
// The log holds no more than the paths and values the work writes: no
// environment, no user data. A log that cannot be created stops nothing:
// the program says so on its console and goes on without it.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "VornLib/core/DateTime.h"
#include "VornLib/core/Format.h"
#include "VornLib/core/String.h"

namespace vorn {

enum class LogEvent : uint8_t {
    Program,
    CommandLine,
    Windows,
    Rights,
    Scope,
    Elevation,
    InstallFolder,
    ProgramGroup,
    Components,
    Previous,
    File,
    Repair,
    Delta,
    Failure,
    RollBack,
    Recovery,
    RegistryKey,
    Setting,
    Step,
    Prerequisite,
    Service,
    Shortcut,
    HandOff,
    ProgramInTheWay,
    Registration,
    Feed,
    Download,
    Mode,
    Remove,
    ResultFile,
    Result,
};

struct LogEventName {
    LogEvent event;
    const char16_t* name;
    const char16_t* meaning; // as the README's table of events says it
};
extern const LogEventName kLogEvents[];
extern const uint32_t kLogEventCount;

const char16_t* LogEventNameOf(LogEvent event);

// "<time> <event> <text>" and a line break; a line break inside the text
// becomes a blank, so that every event stays one line.
String LogLine(DateTime time, LogEvent event, const String& text);

// The name of "/Log" alone: "<product> <program> <yyyyMMdd-HHmmss>.log",
// `program` "Setup", "Removal" or "Update", `local` the local time.
String DefaultLogName(const String& product, const char16_t* program, const CalendarTime& local);

} // namespace vorn

#ifdef _WIN32
#include <mutex>

#include "VornLib/app/ExitCodes.h"
#include "VornLib/core/CommandLine.h"
#include "VornLib/core/Win32Handles.h"

namespace vorn {

class InstallLog {
public:
    static InstallLog& Instance();

    // Opens `path` for appending (made, with its folders, when missing).
    // 0, or the platform's reason; the log stays closed then.
    Result open(const String& path);
    // Opens the file at `path` only when it is there, is no link, and is the
    // file `identity` names (as identity() gave it in the process that made
    // it): a process with rights appends to the file its caller made with
    // the caller's own, never to one the path was turned to meanwhile. 5
    // otherwise.
    Result openMade(const String& path, const String& identity);
    void close();
    bool isOpen();
    // The file's full path while open.
    String path();
    // The open file's volume and index, "<volume>.<high>.<low>"; empty when
    // closed.
    String identity();
    void write(LogEvent event, const String& text);

private:
    InstallLog() = default;

    std::mutex lock_;
    FileHandle file_;
    String path_;
};

// The log's file as the command line asks for it, in full: "/Log:<file>"
// (relative to the current folder), or the documented name in the temporary
// folder for "/Log" alone; empty without "/Log".
String RequestedLogPath(CommandLine& commandLine, const String& product, const char16_t* program);

// Opens the log the command line asks for (nothing without "/Log"). A copy
// started with rights by another process ("LaunchedAsAdministrator") appends
// only to the file that process made and names by "/LogFileId", and makes
// none: a path from the command line is the caller's, whose rights it must
// not lend. A log that cannot be opened is said on the console, and in
// `problem` when given; 0 or its reason.
Result OpenRequestedLog(CommandLine& commandLine, const String& product, const char16_t* program,
                        String* problem);

// The one-line calls at the steps; nothing when no log is open.
void Log(LogEvent event, const String& text);
void Log(LogEvent event, const char16_t* format, std::initializer_list<FormatArgument> arguments);

// The "Failure" line of a step that failed on `path`: `step` ("writing"),
// the path and `systemError` (GetLastError, taken right after the failing
// call) with the system's text for it, and what more is known.
void LogFailure(const char16_t* step, const String& path, uint32_t systemError,
                const String& more = String());

// A program's first lines: "Program" saying `program`, then its command line,
// the system's version and the rights the process has.
void LogProgramStart(const String& program);
// The last line of a setup or removal: the exit code, its name and meaning,
// and the code the process ends with under `convention` when that is
// another; returns that code.
int32_t LogResult(ExitCodeProgram program, int32_t exitCode, ExitCodeConvention convention);

// The switch that hands the open log on to another program (an elevated
// copy, a removal), led by a blank: " /Log:\"<file>\""; empty without a log.
String LogSwitch();

// "<version>, build <commit>, <32|64>-bit": which build of the framework
// runs, for a log's first line.
String FrameworkBuild();

} // namespace vorn
#endif
