// Stands in for an installed program whose "/Install" run does not end on its
// own: it stays until the test creates "release.txt" beside it (at most a
// minute), then leaves "ended.txt" there and ends.
#include <windows.h>

#include <cwchar>

namespace {

// `name` in the program's own folder.
void Beside(const wchar_t* name, wchar_t* path) {
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    wchar_t* slash = wcsrchr(path, L'\\');
    if (slash && wcslen(name) < size_t(MAX_PATH - (slash + 1 - path)))
        wcscpy(slash + 1, name);
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    wchar_t release[MAX_PATH] = {};
    wchar_t ended[MAX_PATH] = {};
    Beside(L"release.txt", release);
    Beside(L"ended.txt", ended);
    for (int i = 0; i < 1200 && GetFileAttributesW(release) == INVALID_FILE_ATTRIBUTES; ++i)
        Sleep(50);
    HANDLE file = CreateFileW(ended, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    return 0;
}
