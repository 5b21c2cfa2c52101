// A program that crashes on purpose: the crash report test starts it and
// checks the dump and the message it leaves.
#include <cstdio>

#include "VornLib/app/CrashReport.h"

namespace {

void PrintMessage(HWND, const vorn::String& text) {
    for (uint32_t i = 0; i < text.length(); ++i)
        std::putchar(text[i] < 0x80 ? char(text[i]) : '?');
    std::fflush(stdout);
}

DWORD WINAPI CrashingThread(void*) {
    return *static_cast<volatile DWORD*>(nullptr);
}

} // namespace

int main(int argc, char** argv) {
    vorn::CrashReportSettings settings;
    settings.supportAddress = u"support@vorn.example";
    settings.showMessage = PrintMessage;
    vorn::InstallCrashReport(settings);
    if (argc > 1 && argv[1][0] == 'w') {
        // The same on a worker thread.
        HANDLE thread = CreateThread(nullptr, 0, CrashingThread, nullptr, 0, nullptr);
        WaitForSingleObject(thread, INFINITE);
        return 3;
    }
    return *static_cast<volatile int*>(nullptr);
}
