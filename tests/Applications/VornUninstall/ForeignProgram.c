/* ForeignProgram: a plain Windows program, not built on VornLib, for the
   end-to-end test of its installation and removal. Each start appends its
   command line to C:\ForeignStarted.txt, so that the test sees whether the
   installer or the removal ever started it; with "/Stay" it keeps running
   until C:\ForeignStop.txt appears (at most a minute); with "/Window" it
   shows a window until it is asked to close (WM_CLOSE) or that file appears,
   as a user's program does. Built by the tests' toolchain, so it runs
   wherever the programs under test run. */
#include <wchar.h>
#include <windows.h>

static int StopAsked(void) {
    return GetFileAttributesW(L"C:\\ForeignStop.txt") != INVALID_FILE_ATTRIBUTES;
}

static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_TIMER && StopAsked())
        DestroyWindow(window);
    if (message == WM_DESTROY)
        PostQuitMessage(0);
    return DefWindowProcW(window, message, w, l); /* WM_CLOSE destroys the window */
}

static void ShowWindowUntilClosed(HINSTANCE instance) {
    WNDCLASSW windowClass = {0};
    MSG message;
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"ForeignProgram";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowW(L"ForeignProgram", L"Hello", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                200, 100, NULL, NULL, instance, NULL);
    SetTimer(window, 1, 100, NULL);
    while (GetMessageW(&message, NULL, 0, 0) > 0)
        DispatchMessageW(&message);
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR arguments, int show) {
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
    if (wcsstr(arguments, L"/Window"))
        ShowWindowUntilClosed(instance);
    for (int wait = 0; wcsstr(arguments, L"/Stay") && wait < 600; ++wait) {
        if (StopAsked())
            break;
        Sleep(100);
    }
    return 0;
}
