/* Lingerer <seconds>: does nothing for a while, so that a test can find it
   among the running programs. Built by the tests' toolchain. */
#include <stdlib.h>
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
    Sleep(argc > 1 ? (DWORD)_wtoi(argv[1]) * 1000 : 30000);
    return 0;
}
