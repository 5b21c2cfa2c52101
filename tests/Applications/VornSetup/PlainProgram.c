/* PlainProgram: a vendor's program not built on the framework, in the roles
   an installation's declarations give it. Built by the tests' toolchain, so
   it runs wherever the programs under test run.
     /register <folder> <name>    makes the file <folder>\<name> (a mark)
     /unregister <folder> <name>  deletes it
     /runtime <folder> <key>      a prerequisite's setup: adds a line to
                                  <folder>\runtime-runs.txt, sets HKLM\<key>
                                  "Installed"=1 and asks for a restart (3010)
     /service <folder> [/stubborn] a Windows service (started by the service
                                  manager): makes <folder>\service-ran once it
                                  runs, and stops when asked (with /stubborn:
                                  never)
     /exit <code>                 ends with <code>
     /hang                        runs until it is ended */
#include <stdlib.h>
#include <windows.h>

static SERVICE_STATUS_HANDLE status_handle;
static SERVICE_STATUS status = {SERVICE_WIN32_OWN_PROCESS, SERVICE_START_PENDING, 0, NO_ERROR};
static HANDLE stop_event;
static int stubborn;
static wchar_t mark[MAX_PATH];

static DWORD WINAPI control(DWORD code, DWORD type, void* data, void* context) {
    (void)type, (void)data, (void)context;
    if (code == SERVICE_CONTROL_STOP && !stubborn) {
        status.dwCurrentState = SERVICE_STOP_PENDING;
        SetServiceStatus(status_handle, &status);
        SetEvent(stop_event);
    }
    return NO_ERROR;
}

static void WINAPI service_main(DWORD argc, wchar_t** argv) {
    (void)argc, (void)argv;
    status_handle = RegisterServiceCtrlHandlerExW(L"", control, NULL);
    stop_event = CreateEventW(NULL, TRUE, FALSE, NULL);
    status.dwControlsAccepted = SERVICE_ACCEPT_STOP;
    status.dwCurrentState = SERVICE_RUNNING;
    SetServiceStatus(status_handle, &status);
    CloseHandle(CreateFileW(mark, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL));
    WaitForSingleObject(stop_event, INFINITE);
    status.dwCurrentState = SERVICE_STOPPED;
    SetServiceStatus(status_handle, &status);
}

int wmain(int argc, wchar_t** argv) {
    if (argc >= 3 && !lstrcmpW(argv[1], L"/service") && lstrlenW(argv[2]) + 20 < MAX_PATH) {
        SERVICE_TABLE_ENTRYW table[] = {{(wchar_t*)L"", service_main}, {NULL, NULL}};
        stubborn = argc >= 4 && !lstrcmpW(argv[3], L"/stubborn");
        CreateDirectoryW(argv[2], NULL);
        lstrcpyW(mark, argv[2]);
        lstrcatW(mark, L"\\service-ran");
        return StartServiceCtrlDispatcherW(table) ? 0 : 1;
    }
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
    if (argc >= 4 && !lstrcmpW(argv[1], L"/runtime")) {
        wchar_t path[MAX_PATH];
        if (lstrlenW(argv[2]) + 20 > MAX_PATH)
            return 2;
        lstrcpyW(path, argv[2]);
        lstrcatW(path, L"\\runtime-runs.txt");
        CreateDirectoryW(argv[2], NULL);
        HANDLE runs = CreateFileW(path, FILE_APPEND_DATA, 0, NULL, OPEN_ALWAYS, 0, NULL);
        DWORD written = 0;
        if (runs == INVALID_HANDLE_VALUE || !WriteFile(runs, "ran\r\n", 5, &written, NULL))
            return 1;
        CloseHandle(runs);
        HKEY key;
        const DWORD installed = 1;
        if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, argv[3], 0, NULL, 0, KEY_SET_VALUE, NULL, &key,
                            NULL) != ERROR_SUCCESS)
            return 1;
        RegSetValueExW(key, L"Installed", 0, REG_DWORD, (const BYTE*)&installed, sizeof installed);
        RegCloseKey(key);
        return 3010;
    }
    if (argc >= 3 && !lstrcmpW(argv[1], L"/exit"))
        return _wtoi(argv[2]);
    if (argc >= 2 && !lstrcmpW(argv[1], L"/hang")) {
        Sleep(INFINITE);
        return 0;
    }
    return 2;
}
