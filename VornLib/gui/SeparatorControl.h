// SeparatorControl: the "Separator" element, an etched line across the
// middle of its box: horizontal, or vertical when the box is taller than
// wide. Without a height it is 2 pixels high.
#pragma once

#include "VornLib/gui/Window.h"

namespace vorn {

class SeparatorControl : public Window {
public:
    SeparatorControl();

protected:
    Result readAttributes(const XmlNode& element) override;
    void paint(HDC dc, const RECT& area) override;
};

} // namespace vorn
