// PropertySheetWindow: the "PropertySheet" element, a plain container of
// pages and controls; the keyboard moves through its children as through
// the dialog's own (WS_EX_CONTROLPARENT).
#pragma once

#include "VornLib/gui/Window.h"

namespace vorn {

class PropertySheetWindow : public Window {
public:
    PropertySheetWindow() { setExtendedStyle(extendedStyle() | WS_EX_CONTROLPARENT); }
};

} // namespace vorn
