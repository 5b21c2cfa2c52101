// ControlBarControl: the "ControlBar" element, a system rebar whose child
// windows (toolbars, boxes) each become one band, in description order.
// "Transparent" lets the parent's background show beneath the bands.
#pragma once

#include "VornLib/gui/Window.h"

#include <commctrl.h>

namespace vorn {

class ControlBarControl : public Window {
public:
    ControlBarControl();
    bool isTransparent() const { return transparent_; }

protected:
    Result readAttributes(const XmlNode& element) override;
    const wchar_t* systemClassName() const override { return REBARCLASSNAMEW; }
    void created() override;

private:
    bool transparent_ = false;
};

} // namespace vorn
