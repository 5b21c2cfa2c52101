/* PlainProgram: a vendor's program not built on the framework, in the roles
   an installation's declarations give it. Built by the tests' toolchain, so
   it runs wherever the programs under test run.
     /register <folder> <name>    makes the file <folder>\<name> (a mark)
     /unregister <folder> <name>  deletes it
     /exit <code>                 ends with <code>
     /hang                        runs until it is ended */
#include <stdlib.h>
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
    if (argc >= 4 && (!lstrcmpW(argv[1], L"/register") || !lstrcmpW(argv[1], L"/unregister"))) {
        wchar_t path[MAX_PATH];
        if (lstrlenW(argv[2]) + lstrlenW(argv[3]) + 2 > MAX_PATH)
            return 2;
        lstrcpyW(path, argv[2]);
        lstrcatW(path, L"\\");
        lstrcatW(path, argv[3]);
        if (!lstrcmpW(argv[1], L"/unregister"))
            return DeleteFileW(path) ? 0 : 1;
        CreateDirectoryW(argv[2], NULL);
        HANDLE mark = CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
        if (mark == INVALID_HANDLE_VALUE)
            return 1;
        CloseHandle(mark);
        return 0;
    }
    if (argc >= 3 && !lstrcmpW(argv[1], L"/exit"))
        return _wtoi(argv[2]);
    if (argc >= 2 && !lstrcmpW(argv[1], L"/hang")) {
        Sleep(INFINITE);
        return 0;
    }
    return 2;
}
