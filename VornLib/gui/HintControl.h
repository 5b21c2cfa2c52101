// HintControl: the "HintCtrl" element, a box of hint text in the system's
// tooltip colours with a thin frame, the text (its element's content,
// localized, else the title) wrapped to the box's width.
#pragma once

#include "VornLib/gui/Window.h"

namespace vorn {

class HintControl : public Window {
public:
    HintControl();
    const String& text() const { return text_; }
    void setText(const String& text);

protected:
    Result readAttributes(const XmlNode& element) override;
    Result readChildren(const XmlNode&) override { return kResultOk; }
    void paint(HDC dc, const RECT& area) override;

private:
    String text_;
};

} // namespace vorn
