#include "VornLib/gui/Dpi.h"

#include <initializer_list>

#include "VornLib/core/platform/DynamicLibrary.h"

namespace vorn {

uint32_t SystemDpi() {
    static const uint32_t dpi = [] {
        HDC screen = GetDC(nullptr);
        const int found = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
        if (screen)
            ReleaseDC(nullptr, screen);
        return found > 0 ? uint32_t(found) : kStandardDpi;
    }();
    return dpi;
}

uint32_t WindowDpi(HWND window) {
    using Function = UINT(WINAPI*)(HWND);
    static const auto forWindow =
        SystemFunction<Function>(SystemLibraryId::User32, "GetDpiForWindow");
    const UINT dpi = forWindow && window ? forWindow(window) : 0;
    return dpi ? dpi : SystemDpi();
}

int32_t ScaledForDpi(int32_t pixels, uint32_t dpi) {
    return MulDiv(pixels, int(dpi), int(kStandardDpi));
}

bool NonClientMetricsForDpi(uint32_t dpi, NONCLIENTMETRICSW* metrics) {
    *metrics = {};
    metrics->cbSize = sizeof *metrics;
    using Function = BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT);
    static const auto forDpi =
        SystemFunction<Function>(SystemLibraryId::User32, "SystemParametersInfoForDpi");
    if (forDpi)
        return forDpi(SPI_GETNONCLIENTMETRICS, sizeof *metrics, metrics, 0, dpi) != FALSE;
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof *metrics, metrics, 0))
        return false;
    // Older systems give the metrics at the system's DPI only.
    const uint32_t system = SystemDpi();
    if (dpi != system) {
        for (LOGFONTW* font :
             {&metrics->lfCaptionFont, &metrics->lfSmCaptionFont, &metrics->lfMenuFont,
              &metrics->lfStatusFont, &metrics->lfMessageFont})
            font->lfHeight = MulDiv(font->lfHeight, int(dpi), int(system));
    }
    return true;
}

} // namespace vorn
