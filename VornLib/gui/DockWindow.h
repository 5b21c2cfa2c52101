// DockWindow: the "DockWindow" element. Until the docking containers exist
// it is a plain container of its children that persists nothing beyond the
// placement every window keeps under its "Position" path.
#pragma once

#include "VornLib/gui/Window.h"

namespace vorn {

class DockWindow : public Window {
public:
    DockWindow() { setExtendedStyle(extendedStyle() | WS_EX_CONTROLPARENT); }
};

} // namespace vorn
