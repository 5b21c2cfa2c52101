// The one gate to <windows.h>: every file that needs the Win32 API includes
// this header instead, so the target version and the macros are decided here.
#pragma once

#ifndef _WIN32
#error "Win32.h is for the win32 target only"
#endif

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif
#undef _WIN32_WINNT
#define _WIN32_WINNT 0x0601 // Windows 7: the oldest system the programs support
#undef WINVER
#define WINVER _WIN32_WINNT

#include <windows.h>
#include <winsvc.h>

namespace vorn {

// Win32 takes wchar_t, the framework keeps char16_t: both are UTF-16 units here.
inline const wchar_t* Wide(const char16_t* text) {
    return reinterpret_cast<const wchar_t*>(text);
}
inline wchar_t* Wide(char16_t* text) {
    return reinterpret_cast<wchar_t*>(text);
}
inline const char16_t* Units(const wchar_t* text) {
    return reinterpret_cast<const char16_t*>(text);
}

} // namespace vorn
