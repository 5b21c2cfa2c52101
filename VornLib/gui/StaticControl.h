// StaticControl: a text on the platform's "Static" class, and the base of the
// kinds built on it (sliders, progress bars, edit boxes, tab controls and
// pictures). Every kind of the family receives its own reflected notifications
// and colour requests, and answers the colour request with its text colour on
// its parent's background. Only the kinds that are the "Static" class itself
// read the text's alignment, ellipsis and border words: the same bits mean
// other things to other classes.
#pragma once

#include "VornLib/gui/Window.h"

namespace vorn {

class StaticControl : public Window {
public:
    StaticControl();

    bool hasTextColour() const { return hasTextColour_; }
    const SystemColour& textColour() const { return textColour_; }
    void setTextColour(const SystemColour& colour);

protected:
    // `staticClass`: the kind wraps the "Static" class itself.
    explicit StaticControl(bool staticClass);

    const wchar_t* systemClassName() const override { return L"Static"; }
    // The static's words (see above), its text content and its default height.
    Result readAttributes(const XmlNode& element) override;
    bool handleMessage(UINT message, WPARAM w, LPARAM l, LRESULT* result) override;
    void created() override;

    // What every kind of the family reads: "TextColor".
    Result readFamilyAttributes(const XmlNode& element);
    // Height in dialog units unless the description places the height.
    void setDefaultHeight(int32_t dialogUnits);
    // The element's text content, localized, as the window's text.
    void readTextContent(const XmlNode& element);

    // The brush of the parent's background (its colour request's answer when
    // it has no colour of its own).
    HBRUSH parentBackgroundBrush(HDC dc);

private:
    bool answerColourRequest(HDC dc, LRESULT* result);
    bool isEtched() const;
    void drawEtched(HDC dc);

    SystemColour textColour_;
    GdiObject parentBrush_;
    uint32_t parentBrushColour_ = 0;
    bool hasTextColour_ = false;
    bool staticClass_;
};

} // namespace vorn
