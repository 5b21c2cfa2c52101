// StaticControl: a text on the platform's "Static" class (and the base of
// pictures). It reads the text's alignment, ellipsis and border words, its
// text colour and its text content. A kind that draws its whole client area
// itself (an etched frame or line, the same on every system; a picture)
// answers the painting messages with draw(). A static shows "&" as it is,
// unless "AccessKey" is true: it is then a label whose "&" marks the access
// key that moves the focus to the control after it (KeyboardNavigation.h).
#pragma once

#include "VornLib/gui/SystemControl.h"

namespace vorn {

class StaticControl : public SystemControl {
public:
    StaticControl();

protected:
    // The static's words, its text content and its default height; 5 for a
    // word the static does not know.
    Result readAttributes(const XmlNode& element) override;
    bool handleMessage(UINT message, WPARAM w, LPARAM l, LRESULT* result) override;
    void created() override;
    // Whether draw() paints the whole client area, background included.
    virtual bool drawsItself() const { return isEtched(); }
    virtual void draw(HDC dc);

private:
    bool isEtched() const;
};

} // namespace vorn
