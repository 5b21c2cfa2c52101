#include "VornLib/core/platform/ProgramsInTheWay.h"

#include "VornLib/core/Path.h"
#include "VornLib/core/UniqueHandle.h"
#include "VornLib/core/Win32Handles.h"
#include "VornLib/core/platform/ChildProcess.h"
#include "VornLib/core/platform/DynamicLibrary.h"
#include "VornLib/core/platform/SystemInfo.h"

#include <string>

#include <restartmanager.h>

namespace vorn {
namespace {

using StartSessionFunction = DWORD(WINAPI*)(DWORD*, DWORD, WCHAR*);
using EndSessionFunction = DWORD(WINAPI*)(DWORD);
using RegisterResourcesFunction = DWORD(WINAPI*)(DWORD, UINT, LPCWSTR*, UINT, RM_UNIQUE_PROCESS*,
                                                 UINT, LPCWSTR*);
using GetListFunction = DWORD(WINAPI*)(DWORD, UINT*, UINT*, RM_PROCESS_INFO*, DWORD*);

// The library, once a process; its functions are null where it is missing.
struct RestartManager {
    DynamicLibrary library{L"rstrtmgr.dll"};
    StartSessionFunction startSession =
        reinterpret_cast<StartSessionFunction>(library.procAddress("RmStartSession"));
    EndSessionFunction endSession =
        reinterpret_cast<EndSessionFunction>(library.procAddress("RmEndSession"));
    RegisterResourcesFunction registerResources =
        reinterpret_cast<RegisterResourcesFunction>(library.procAddress("RmRegisterResources"));
    GetListFunction getList = reinterpret_cast<GetListFunction>(library.procAddress("RmGetList"));

    bool available() const { return startSession && endSession && registerResources && getList; }
    static RestartManager& Instance() {
        static RestartManager manager;
        return manager;
    }
};

struct RestartSessionTraits {
    using Handle = DWORD;
    static Handle Invalid() { return ~DWORD(0); }
    static void Close(Handle handle) { RestartManager::Instance().endSession(handle); }
};
using RestartSession = UniqueHandle<RestartSessionTraits>;

void AddOnce(std::vector<RunningProgram>* programs, const RunningProgram& program) {
    if (!program.processId || program.processId == GetCurrentProcessId())
        return;
    for (const RunningProgram& known : *programs) {
        if (known.processId == program.processId)
            return;
    }
    programs->push_back(program);
}

// The Restart Manager's list; empty where it cannot give one.
std::vector<RunningProgram> RestartManagerList(const std::vector<String>& paths) {
    std::vector<RunningProgram> programs;
    RestartManager& manager = RestartManager::Instance();
    if (!manager.available() || paths.empty())
        return programs;
    DWORD handle = 0;
    WCHAR key[CCH_RM_SESSION_KEY + 1] = {};
    if (manager.startSession(&handle, 0, key) != ERROR_SUCCESS)
        return programs;
    const RestartSession session(handle);
    std::vector<LPCWSTR> files;
    for (const String& path : paths)
        files.push_back(Wide(path.data()));
    if (manager.registerResources(session.get(), UINT(files.size()), files.data(), 0, nullptr, 0,
                                  nullptr) != ERROR_SUCCESS)
        return programs;
    // The list may grow between the two calls: asked again, a few times.
    std::vector<RM_PROCESS_INFO> found;
    for (int attempt = 0; attempt < 3; ++attempt) {
        UINT needed = 0;
        UINT count = UINT(found.size());
        DWORD reasons = 0;
        const DWORD status =
            manager.getList(session.get(), &needed, &count, found.data(), &reasons);
        if (status == ERROR_SUCCESS) {
            found.resize(count);
            break;
        }
        found.clear();
        if (status != ERROR_MORE_DATA)
            return programs;
        found.resize(needed);
    }
    for (const RM_PROCESS_INFO& info : found) {
        // The system's critical processes are not asked to close.
        if (info.ApplicationType == RmCritical)
            continue;
        AddOnce(&programs, {info.Process.dwProcessId, ProcessImagePath(info.Process.dwProcessId)});
    }
    return programs;
}

struct WindowSearch {
    DWORD processId;
    uint32_t asked;
};

BOOL CALLBACK AskWindowToClose(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<WindowSearch*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId && IsWindowVisible(window) && !GetWindow(window, GW_OWNER)) {
        PostMessageW(window, WM_CLOSE, 0, 0);
        ++search->asked;
    }
    return TRUE;
}

} // namespace

std::vector<RunningProgram> ProgramsHoldingFiles(const std::vector<String>& paths,
                                                 const String& folder) {
    std::vector<RunningProgram> programs = RestartManagerList(paths);
    if (!programs.empty())
        return programs;
    for (const String& path : paths)
        AddOnce(&programs, ProgramUsingModule(path));
    // The folder may come from the command line: a program found there is
    // only asked to close, which any program of the desktop may ask of it
    // (and Windows keeps a standard user's from asking an elevated one).
    for (const RunningProgram& program : ProgramsRunningIn(folder))
        AddOnce(&programs, program);
    return programs;
}

String RestartCommandOf(uint32_t processId) {
    using GetRestartSettings = HRESULT(WINAPI*)(HANDLE, PWSTR, DWORD*, DWORD*);
    const auto getSettings = SystemFunction<GetRestartSettings>(SystemLibraryId::Kernel32,
                                                                "GetApplicationRestartSettings");
    const KernelHandle process(
        OpenProcess(PROCESS_VM_READ | PROCESS_QUERY_INFORMATION | PROCESS_QUERY_LIMITED_INFORMATION,
                    FALSE, processId));
    if (!getSettings || !process.isValid() ||
        (IsProcessElevated() && !IsElevatedProcess(process.get())))
        return String();
    wchar_t arguments[RESTART_MAX_CMD_LINE] = {};
    DWORD size = RESTART_MAX_CMD_LINE;
    DWORD flags = 0;
    if (getSettings(process.get(), arguments, &size, &flags) != S_OK)
        return String();
    const String image = ProcessImagePath(processId);
    if (image.isEmpty())
        return String();
    return u"\"" + image + u"\" " + String(Units(arguments));
}

Result StartRestartCommand(const String& command) {
    const int32_t imageEnd = command.isEmpty() ? -1 : command.find(u"\" ");
    if (imageEnd <= 1)
        return kResultInvalidArgument;
    const String image = command.mid(1, uint32_t(imageEnd - 1));
    ProgramStart start;
    start.image = image;
    start.commandLine = command;
    return StartProgram(start);
}

CloseOutcome AskProgramToClose(uint32_t processId, uint32_t milliseconds) {
    const KernelHandle process(OpenProcess(SYNCHRONIZE, FALSE, processId));
    if (!process.isValid() || WaitForSingleObject(process.get(), 0) == WAIT_OBJECT_0)
        return CloseOutcome::AlreadyEnded;
    WindowSearch search = {processId, 0};
    EnumWindows(AskWindowToClose, reinterpret_cast<LPARAM>(&search));
    if (!search.asked)
        return CloseOutcome::NoWindow;
    return WaitForSingleObject(process.get(), milliseconds) == WAIT_OBJECT_0
               ? CloseOutcome::Closed
               : CloseOutcome::StillRunning;
}

} // namespace vorn
