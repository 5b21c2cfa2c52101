// SystemControl: the base of every control that wraps a window class of the
// platform ("Button", "Edit", "SysListView32"...). Its window is created with
// that class and subclassed, so the framework sees each message first and
// hands the rest to the class's own procedure; it hears its own notifications
// and colour requests before its parent does (reflected, Window.h).
//
// A kind that reads "TextColor" (the static family: statics, edit boxes,
// sliders, progress bars, tab controls) answers its colour requests with that
// colour on its parent's background; the others keep the platform's colours.
#pragma once

#include "VornLib/gui/Window.h"

namespace vorn {

class SystemControl : public Window {
public:
    bool hasTextColour() const { return hasTextColour_; }
    const SystemColour& textColour() const { return textColour_; }
    void setTextColour(const SystemColour& colour);

protected:
    explicit SystemControl(const wchar_t* className);

    const wchar_t* systemClassName() const override { return className_; }
    bool handleMessage(UINT message, WPARAM w, LPARAM l, LRESULT* result) override;

    // "TextColor": 5 for a colour that does not parse.
    Result readTextColour(const XmlNode& element);
    // The element's text content, localized, as the window's text.
    void readTextContent(const XmlNode& element);
    // The brush of the parent's background (its colour request's answer when
    // it has no colour of its own), with the DC's background colour set.
    HBRUSH parentBackgroundBrush(HDC dc);

private:
    bool answerColourRequest(HDC dc, LRESULT* result);

    const wchar_t* className_;
    SystemColour textColour_;
    GdiObject parentBrush_;
    COLORREF parentBrushColour_ = 0;
    bool hasTextColour_ = false;
};

} // namespace vorn
