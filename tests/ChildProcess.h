// Starts a program from the test's own folder with its output captured, for
// the tests that check what a whole process does.
#pragma once

#include <string>

#include "VornLib/core/Win32Handles.h"

namespace vorn {

class ChildProcess {
public:
    // `program` is a file name beside the test executable.
    bool start(const wchar_t* program, const wchar_t* arguments) {
        wchar_t self[MAX_PATH];
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        std::wstring path(self);
        path = path.substr(0, path.find_last_of(L'\\') + 1) + program;
        std::wstring commandLine = L"\"" + path + L"\" " + arguments;

        SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
        HANDLE readEnd = nullptr, writeEnd = nullptr;
        if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0))
            return false;
        reader_.reset(readEnd);
        KernelHandle writer(writeEnd);
        SetHandleInformation(reader_.get(), HANDLE_FLAG_INHERIT, 0);
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = writer.get();
        startup.hStdError = writer.get();
        PROCESS_INFORMATION process = {};
        if (!CreateProcessW(path.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr,
                            nullptr, &startup, &process))
            return false;
        process_.reset(process.hProcess);
        KernelHandle thread(process.hThread);
        processId_ = process.dwProcessId;
        return true;
    }

    // Waits for the end; reads the whole output. False on time-out (the process is killed).
    bool wait(DWORD milliseconds) {
        if (WaitForSingleObject(process_.get(), milliseconds) != WAIT_OBJECT_0) {
            TerminateProcess(process_.get(), 999);
            WaitForSingleObject(process_.get(), 5000);
            return false;
        }
        char buffer[4096];
        DWORD read = 0;
        DWORD available = 0;
        while (PeekNamedPipe(reader_.get(), nullptr, 0, nullptr, &available, nullptr) &&
               available && ReadFile(reader_.get(), buffer, sizeof buffer, &read, nullptr) && read)
            output_.append(buffer, read);
        return true;
    }

    DWORD exitCode() const {
        DWORD code = 0;
        GetExitCodeProcess(process_.get(), &code);
        return code;
    }
    HANDLE handle() const { return process_.get(); }
    DWORD id() const { return processId_; }
    const std::string& output() const { return output_; }

private:
    KernelHandle process_;
    KernelHandle reader_;
    DWORD processId_ = 0;
    std::string output_;
};

} // namespace vorn
