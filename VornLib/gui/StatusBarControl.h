// StatusBarControl: the "StatusBar" element, a system status bar with one
// part per "Section" child. A section has a "Width" in pixels (the last
// section, or one without a width, takes the rest), its text content as the
// initial text and a "PictureIndex" into the status icons, the picture
// "Data/Pictures/VornLib-Icon-Status.png" cut into square items (no icons
// when the payload lacks it). Menus show the help text of the highlighted
// item in the owner's status bar through setText.
#pragma once

#include <vector>

#include "VornLib/gui/PictureImageList.h"
#include "VornLib/gui/SystemControl.h"

namespace vorn {

struct StatusSection {
    String text;
    int32_t width = -1; // -1: the rest of the bar
    int32_t picture = -1;
};

class StatusBarControl : public SystemControl {
public:
    StatusBarControl();

    // Shows `text` in section `section`; 37 for a section the bar lacks.
    Result setText(uint32_t section, const String& text);
    // The first status bar among the window's descendants; null for none.
    static StatusBarControl* Find(const Window& owner);

protected:
    Result readAttributes(const XmlNode& element) override;
    Result readChildren(const XmlNode& element) override;
    bool handleMessage(UINT message, WPARAM w, LPARAM l, LRESULT* result) override;
    void created() override;

private:
    void applyParts();

    std::vector<StatusSection> sections_;
    std::vector<IconHandle> icons_;
    PictureImageList pictures_;
};

} // namespace vorn
