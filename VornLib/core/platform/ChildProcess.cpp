#include "VornLib/core/platform/ChildProcess.h"

#include <utility>

#include "VornLib/core/Path.h"

namespace vorn {

Result StartProgram(const ProgramStart& start, KernelHandle* process) {
    std::u16string line(start.commandLine.data(), start.commandLine.length());
    const String folder = start.folder.isEmpty() ? ParentFolder(start.image) : start.folder;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    DWORD flags = start.environment ? CREATE_UNICODE_ENVIRONMENT : 0;
    if (start.hidden) {
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_HIDE;
        flags |= CREATE_NO_WINDOW;
    }
    PROCESS_INFORMATION started = {};
    if (!CreateProcessW(Wide(start.image.data()), Wide(&line[0]), nullptr, nullptr, FALSE, flags,
                        start.environment ? &(*start.environment)[0] : nullptr, Wide(folder.data()),
                        &startup, &started))
        return ResultFromSystemError(GetLastError());
    KernelHandle owned(started.hProcess);
    const KernelHandle thread(started.hThread);
    if (process)
        *process = std::move(owned);
    return kResultOk;
}

Result RunProgramToEnd(const ProgramStart& start, uint32_t milliseconds, uint32_t* exitCode) {
    *exitCode = 0;
    KernelHandle process;
    const Result result = StartProgram(start, &process);
    if (result != kResultOk)
        return result;
    if (WaitForSingleObject(process.get(), milliseconds) == WAIT_TIMEOUT) {
        // What runs past its time is ended, so that nothing of it acts later.
        TerminateProcess(process.get(), ERROR_TIMEOUT);
        WaitForSingleObject(process.get(), INFINITE);
        return kResultTimedOut;
    }
    DWORD code = 0;
    GetExitCodeProcess(process.get(), &code);
    *exitCode = code;
    return kResultOk;
}

} // namespace vorn
