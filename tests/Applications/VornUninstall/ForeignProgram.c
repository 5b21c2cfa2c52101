/* ForeignProgram: a plain Windows program, not built on VornLib, for the
   end-to-end test of its installation and removal. Each start appends its
   command line to C:\ForeignStarted.txt, so that the test sees whether the
   installer or the removal ever started it; with "/Stay" it keeps running
   until C:\ForeignStop.txt appears (at most a minute). Built by the tests' toolchain, so it runs
   wherever the programs under test run. */
#include <wchar.h>
#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR arguments, int show) {
    (void)instance;
    (void)previous;
    (void)show;
    HANDLE marker = CreateFileW(L"C:\\ForeignStarted.txt", FILE_APPEND_DATA,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_ALWAYS, 0, NULL);
    if (marker != INVALID_HANDLE_VALUE) {
        const wchar_t* line = GetCommandLineW();
        char bytes[2048];
        const int size =
            WideCharToMultiByte(CP_UTF8, 0, line, -1, bytes, sizeof bytes - 2, NULL, NULL);
        DWORD written = 0;
        if (size > 0) {
            bytes[size - 1] = '\r';
            bytes[size] = '\n';
            WriteFile(marker, bytes, (DWORD)size + 1, &written, NULL);
        }
        CloseHandle(marker);
    }
    for (int wait = 0; wcsstr(arguments, L"/Stay") && wait < 600; ++wait) {
        if (GetFileAttributesW(L"C:\\ForeignStop.txt") != INVALID_FILE_ATTRIBUTES)
            break;
        Sleep(100);
    }
    return 0;
}
