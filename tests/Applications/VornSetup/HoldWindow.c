/* HoldWindow <file> <ready marker>: opens a file without sharing, shows a
   top-level window, writes the marker once it holds the file and shows the
   window, and lets the file go and ends when the window is asked to close
   (WM_CLOSE), as a document editor does. Built by the tests' toolchain, so
   it runs wherever the programs under test run. */
#include <windows.h>

static HANDLE held = INVALID_HANDLE_VALUE;

static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_CLOSE) {
        CloseHandle(held);
        held = INVALID_HANDLE_VALUE;
        DestroyWindow(window);
        return 0;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, w, l);
}

int wmain(int argc, wchar_t** argv) {
    WNDCLASSW windowClass = {0};
    HWND window;
    HANDLE ready;
    MSG message;
    if (argc < 3)
        return 2;
    held = CreateFileW(argv[1], GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
    if (held == INVALID_HANDLE_VALUE)
        return 1;
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.hInstance = GetModuleHandleW(NULL);
    windowClass.lpszClassName = L"HoldWindow";
    RegisterClassW(&windowClass);
    window = CreateWindowExW(0, L"HoldWindow", L"Holds a file", WS_OVERLAPPEDWINDOW, 10, 10, 300,
                             200, NULL, NULL, windowClass.hInstance, NULL);
    if (!window)
        return 3;
    ShowWindow(window, SW_SHOWNORMAL);
    ready = CreateFileW(argv[2], GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    CloseHandle(ready);
    while (GetMessageW(&message, NULL, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
