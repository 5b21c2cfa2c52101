#include "VornLib/app/InstallLog.h"

#ifdef _WIN32
#include <string>

#include "VornLib/app/ConsoleMessage.h"
#include "VornLib/core/Path.h"
#include "VornLib/core/Utf8.h"
#include "VornLib/core/platform/FileSystem.h"
#include "VornLib/core/platform/SystemErrorText.h"
#include "VornLib/core/platform/SystemInfo.h"
#endif

namespace vorn {

const LogEventName kLogEvents[] = {
    {LogEvent::Program, u"Program",
     u"which program runs: the product and its version, setup or removal, the framework's build"},
    {LogEvent::CommandLine, u"CommandLine", u"the command line as the program got it"},
    {LogEvent::Windows, u"Windows", u"the system's version and width"},
    {LogEvent::Rights, u"Rights", u"administrator or standard user"},
    {LogEvent::Scope, u"Scope",
     u"for whom the program is installed: machine; or why that scope is refused"},
    {LogEvent::Elevation, u"Elevation",
     u"the elevated copy about to start, with its switches, and its exit code"},
    {LogEvent::InstallFolder, u"InstallFolder",
     u"the folder the installation goes to; or why it is refused or cannot be reached"},
    {LogEvent::ProgramGroup, u"ProgramGroup", u"the start menu folder of its shortcuts"},
    {LogEvent::Components, u"Components", u"the components chosen, and those left out"},
    {LogEvent::Previous, u"Previous",
     u"the previous installation found: the version it replaces and its folder, its removal "
     u"about to start, and that removal's exit code"},
    {LogEvent::File, u"File",
     u"a file about to be written: its path in the install folder and "
     u"its size"},
    {LogEvent::Repair, u"Repair",
     u"a file that a repair writes again, and why: \"missing\" or \"changed\" (its bytes differ "
     u"from the setup's)"},
    {LogEvent::Delta, u"Delta",
     u"a delta setup: the installed version and files it checked, and each file it patches or "
     u"takes as installed"},
    {LogEvent::Failure, u"Failure",
     u"the step that failed: what it did, the full path, the Windows error with its text, and "
     u"for a file in use the program that holds it"},
    {LogEvent::RollBack, u"RollBack",
     u"a failed or cancelled copy about to delete the files it wrote"},
    {LogEvent::Recovery, u"Recovery",
     u"an interrupted installation found: the step it reached, its undoing or finishing, its "
     u"folder and files and the previous installation kept; the previous installation's "
     u"program registering again; or why its record is refused"},
    {LogEvent::RegistryKey, u"RegistryKey", u"a registry key about to be written"},
    {LogEvent::Setting, u"Setting",
     u"a declared registry value, environment variable or PATH entry set, put back or taken away"},
    {LogEvent::Service, u"Service",
     u"a declared Windows service created, changed, stopped, started, put back or deleted"},
    {LogEvent::Prerequisite, u"Prerequisite",
     u"a declared prerequisite found, or its program's command line and exit code"},
    {LogEvent::Step, u"Step",
     u"a declared program run (a Run step, or its undo): its command line and its exit code, or "
     u"why it did not run"},
    {LogEvent::Shortcut, u"Shortcut", u"a shortcut about to be made"},
    {LogEvent::HandOff, u"HandOff",
     u"the installed program about to register its file types (\"/Install\"), and its exit code"},
    {LogEvent::ProgramInTheWay, u"ProgramInTheWay",
     u"a program that holds a file to replace or delete: asked to close, closed or left "
     u"running; a file replaced or deleted at the next restart; the restart"},
    {LogEvent::Registration, u"Registration",
     u"a value of a file type, a protocol or the App Paths entry about to be written by the "
     u"installed program at the hand-off: its key, name and data"},
    {LogEvent::Feed, u"Feed",
     u"the update program's feed: its address, that its signature holds, its releases, and "
     u"what the program found"},
    {LogEvent::Download, u"Download",
     u"a new version's setup downloaded, its size, SHA-256 and signature checked"},
    {LogEvent::Mode, u"Mode", u"the removal's mode: uninstall, or update before a newer setup"},
    {LogEvent::Remove, u"Remove",
     u"a shortcut, file, folder or registry key about to be removed, and the batch file that "
     u"removes the program once it has ended"},
    {LogEvent::ResultFile, u"ResultFile", u"the result file written, or why it could not be"},
    {LogEvent::Result, u"Result",
     u"the exit code with its name and meaning: the last line of a setup or removal"},
};
const uint32_t kLogEventCount = uint32_t(sizeof kLogEvents / sizeof *kLogEvents);

const char16_t* LogEventNameOf(LogEvent event) {
    for (const LogEventName& entry : kLogEvents) {
        if (entry.event == event)
            return entry.name;
    }
    return u"Event";
}

String LogLine(DateTime time, LogEvent event, const String& text) {
    const CalendarTime at = CalendarFromDateTime(time);
    String line = Format(u"{0,04}-{1,02}-{2,02}T{3,02}:{4,02}:{5,02}.{6,03}Z {7} ",
                         {at.year, at.month, at.day, at.hour, at.minute, at.second,
                          at.microsecond / 1000, LogEventNameOf(event)});
    for (uint32_t i = 0; i < text.length(); ++i)
        line += text[i] == u'\r' || text[i] == u'\n' ? u' ' : text[i];
    return line + u"\r\n";
}

String DefaultLogName(const String& product, const char16_t* program, const CalendarTime& local) {
    return Format(u"{0} {1} {2,04}{3,02}{4,02}-{5,02}{6,02}{7,02}.log",
                  {product, program, local.year, local.month, local.day, local.hour, local.minute,
                   local.second});
}

#ifdef _WIN32

namespace {

String IdentityOf(const BY_HANDLE_FILE_INFORMATION& information) {
    return Format(u"{0}.{1}.{2}",
                  {uint32_t(information.dwVolumeSerialNumber), uint32_t(information.nFileIndexHigh),
                   uint32_t(information.nFileIndexLow)});
}

} // namespace

InstallLog& InstallLog::Instance() {
    static InstallLog log;
    return log;
}

Result InstallLog::open(const String& path) {
    std::lock_guard<std::mutex> guard(lock_);
    file_.reset();
    path_.clear();
    if (path.isEmpty())
        return kResultBadPath;
    const String full = FullPath(path);
    (void)CreateFolderTree(ParentFolder(full));
    // Appended to by one process after another, each write whole: the
    // setup, its elevated copy and a removal write one file in turn.
    FileHandle file(CreateFileW(Wide(LongPath(full).data()), FILE_APPEND_DATA,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.isValid())
        return ResultFromSystemError(GetLastError());
    file_ = std::move(file);
    path_ = full;
    return kResultOk;
}

Result InstallLog::openMade(const String& path, const String& identity) {
    std::lock_guard<std::mutex> guard(lock_);
    file_.reset();
    path_.clear();
    const String full = FullPath(path);
    FileHandle file(CreateFileW(Wide(LongPath(full).data()), FILE_APPEND_DATA,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file.isValid())
        return ResultFromSystemError(GetLastError());
    BY_HANDLE_FILE_INFORMATION information = {};
    if (!GetFileInformationByHandle(file.get(), &information) ||
        (information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ||
        IdentityOf(information) != identity)
        return kResultAccessDenied;
    file_ = std::move(file);
    path_ = full;
    return kResultOk;
}

String InstallLog::identity() {
    std::lock_guard<std::mutex> guard(lock_);
    BY_HANDLE_FILE_INFORMATION information = {};
    if (!file_.isValid() || !GetFileInformationByHandle(file_.get(), &information))
        return String();
    return IdentityOf(information);
}

void InstallLog::close() {
    std::lock_guard<std::mutex> guard(lock_);
    file_.reset();
    path_.clear();
}

bool InstallLog::isOpen() {
    std::lock_guard<std::mutex> guard(lock_);
    return file_.isValid();
}

String InstallLog::path() {
    std::lock_guard<std::mutex> guard(lock_);
    return path_;
}

void InstallLog::write(LogEvent event, const String& text) {
    std::lock_guard<std::mutex> guard(lock_);
    if (!file_.isValid())
        return;
    // One write a line, unbuffered: what is written is the system's to keep
    // even when this process is killed a moment later.
    const std::string bytes = ToUtf8(LogLine(CurrentDateTime(), event, text));
    DWORD written = 0;
    WriteFile(file_.get(), bytes.data(), DWORD(bytes.size()), &written, nullptr);
}

String RequestedLogPath(CommandLine& commandLine, const String& product, const char16_t* program) {
    if (!commandLine.hasSwitch(u"Log"))
        return String();
    String path;
    if (commandLine.switchValue(u"Log", &path) && !path.isEmpty())
        return FullPath(path);
    SYSTEMTIME now = {};
    GetLocalTime(&now);
    CalendarTime local;
    local.year = now.wYear;
    local.month = now.wMonth;
    local.day = now.wDay;
    local.hour = now.wHour;
    local.minute = now.wMinute;
    local.second = now.wSecond;
    return TemporaryFolder() + DefaultLogName(product, program, local);
}

Result OpenRequestedLog(CommandLine& commandLine, const String& product, const char16_t* program,
                        String* problem) {
    if (problem)
        problem->clear();
    const String path = RequestedLogPath(commandLine, product, program);
    if (path.isEmpty())
        return kResultOk;
    String identity;
    (void)commandLine.switchValue(u"LogFileId", &identity);
    const bool elevatedCopy = commandLine.hasSwitch(u"LaunchedAsAdministrator");
    const Result result = !identity.isEmpty() ? InstallLog::Instance().openMade(path, identity)
                          : elevatedCopy      ? kResultAccessDenied
                                              : InstallLog::Instance().open(path);
    if (result != kResultOk) {
        const String said =
            Format(u"The log \"{0}\" cannot be created (result {1}); the work goes on without it.",
                   {path, result});
        WriteConsoleLine(said);
        if (problem)
            *problem = said;
    }
    return result;
}

void Log(LogEvent event, const String& text) {
    InstallLog::Instance().write(event, text);
}

void Log(LogEvent event, const char16_t* format, std::initializer_list<FormatArgument> arguments) {
    InstallLog& log = InstallLog::Instance();
    if (log.isOpen())
        log.write(event, Format(format, arguments));
}

void LogFailure(const char16_t* step, const String& path, uint32_t systemError,
                const String& more) {
    const String text = Format(u"{0} \"{1}\": {2}", {step, path, SystemErrorText(systemError)});
    Log(LogEvent::Failure, more.isEmpty() ? text : text + u"; " + more);
}

void LogProgramStart(const String& program) {
    Log(LogEvent::Program, program);
    Log(LogEvent::CommandLine, String(Units(GetCommandLineW())));
    Log(LogEvent::Windows, WindowsVersionText());
    Log(LogEvent::Rights, IsProcessElevated() ? u"administrator" : u"standard user");
}

int32_t LogResult(ExitCodeProgram program, int32_t exitCode, ExitCodeConvention convention) {
    const ExitCode& row = FindExitCode(program, exitCode);
    const int32_t ended = ConventionalExitCode(program, exitCode, convention);
    if (ended == exitCode)
        Log(LogEvent::Result, u"{0} {1}: {2}", {exitCode, row.name, row.meaning});
    else
        Log(LogEvent::Result, u"{0} {1}: {2} The process ends with {3} (/ExitCodes:Standard).",
            {exitCode, row.name, row.meaning, ended});
    return ended;
}

String LogSwitch() {
    InstallLog& log = InstallLog::Instance();
    const String path = log.path();
    const String identity = log.identity();
    if (path.isEmpty() || identity.isEmpty())
        return String();
    // The identity is digits and dots; the path is quoted to read back whole.
    return QuoteSwitch(u"Log", path) + u" /LogFileId:" + identity;
}

String FrameworkBuild() {
    return Format(u"{0}, build {1}, {2}-bit",
                  {VORN_BUILD_VERSION, VORN_BUILD_COMMIT, unsigned(sizeof(void*) * 8)});
}

#endif

} // namespace vorn
