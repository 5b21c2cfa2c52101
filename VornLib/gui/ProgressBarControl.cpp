#include "VornLib/gui/ProgressBarControl.h"

#include <commctrl.h>

namespace vorn {

ProgressBarControl::ProgressBarControl() : SystemControl(L"msctls_progress32") {
    setStyle((style() & ~uint32_t(WS_CLIPSIBLINGS)) | PBS_SMOOTH);
}

int32_t ProgressBarControl::PositionOf(double completed, double total, double unit, double value) {
    const double whole = total * unit;
    if (!(whole > 0))
        return 0;
    if (!(value >= 0))
        value = 0;
    const double position = kRange * (completed * unit + value) / whole + 0.5;
    if (!(position > 0))
        return 0;
    if (position >= kRange)
        return kRange;
    return int32_t(position);
}

void ProgressBarControl::setProgress(double completed, double total, double unit, double value) {
    position_ = PositionOf(completed, total, unit, value);
    if (handle())
        SendMessageW(handle(), PBM_SETPOS, WPARAM(position_), 0);
}

Result ProgressBarControl::readAttributes(const XmlNode& element) {
    const Result result = readTextColour(element);
    if (result != kResultOk)
        return result;
    setDefaultHeight(0, 10);
    return kResultOk;
}

void ProgressBarControl::created() {
    RECT rectangle = {};
    GetWindowRect(handle(), &rectangle);
    if (rectangle.right - rectangle.left < rectangle.bottom - rectangle.top) {
        setStyle(style() | PBS_VERTICAL);
        SetWindowLongW(handle(), GWL_STYLE, GetWindowLongW(handle(), GWL_STYLE) | PBS_VERTICAL);
    }
    SendMessageW(handle(), PBM_SETRANGE32, 0, kRange);
    SendMessageW(handle(), PBM_SETPOS, WPARAM(position_), 0);
}

} // namespace vorn
