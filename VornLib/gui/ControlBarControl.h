// ControlBarControl: the "ControlBar" element, a system rebar whose child
// windows (toolbars, boxes) each become one band, in description order.
// "Transparent" lets the parent's background show beneath the bands.
#pragma once

#include "VornLib/gui/SystemControl.h"

#include <commctrl.h>

namespace vorn {

class ControlBarControl : public SystemControl {
public:
    ControlBarControl();
    bool isTransparent() const { return transparent_; }

protected:
    Result readAttributes(const XmlNode& element) override;
    void created() override;

private:
    bool transparent_ = false;
};

} // namespace vorn
