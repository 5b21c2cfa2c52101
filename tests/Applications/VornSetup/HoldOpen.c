/* HoldOpen <file> <ready marker>: opens a file without sharing, writes the
   marker once it holds it, and keeps it for two minutes (until killed). Built
   by the tests' toolchain, so it runs wherever the programs under test run. */
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
    if (argc < 3)
        return 2;
    HANDLE file = CreateFileW(argv[1], GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    HANDLE ready = CreateFileW(argv[2], GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    CloseHandle(ready);
    Sleep(120000);
    CloseHandle(file);
    return 0;
}
