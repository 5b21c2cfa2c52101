// UrlControl: the "URL" element, a link drawn as underlined text in the
// system's link colour with the hand cursor. Its text is the title; its
// target is "Target" (the title when absent). Clicking it, or pressing Space
// or Return on it, opens the target (LinkTarget.h): an e-mail address (with
// "@") as a new message, a target with ":" through the shell, and anything
// else is a command name handed to the window that holds the link, as a
// button would.
#pragma once

#include "VornLib/gui/Window.h"

namespace vorn {

class UrlControl : public Window {
public:
    UrlControl();

    const String& target() const { return target_; }
    void setTarget(const String& target) { target_ = target; }
    // Opens the target as a click does.
    void open();

protected:
    Result readAttributes(const XmlNode& element) override;
    bool handleMessage(UINT message, WPARAM w, LPARAM l, LRESULT* result) override;
    void paint(HDC dc, const RECT& area) override;

private:
    String target_;
    GdiObject underlined_;
};

} // namespace vorn
