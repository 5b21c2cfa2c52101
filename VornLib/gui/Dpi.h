// Dots per inch of the screens the windows are on. The programs declare
// themselves aware of each monitor's own DPI (per-monitor v2 where the system
// has it): a window is drawn at the DPI of the monitor it is on, and told by
// WM_DPICHANGED when it moves to one of another DPI. Fonts, dialog units and
// pictures follow the window's DPI; 96 is 100 %.
#pragma once

#include <cstdint>

#include "VornLib/core/Win32.h"

namespace vorn {

constexpr uint32_t kStandardDpi = 96;

// The DPI of the primary screen, which windows have before they exist.
uint32_t SystemDpi();
// The DPI of the monitor the window is on (the system's where the platform
// has no per-monitor DPI).
uint32_t WindowDpi(HWND window);
// A length of 96-dpi pixels at `dpi`.
int32_t ScaledForDpi(int32_t pixels, uint32_t dpi);
// The platform's non-client metrics (its fonts) at `dpi`.
bool NonClientMetricsForDpi(uint32_t dpi, NONCLIENTMETRICSW* metrics);

} // namespace vorn
