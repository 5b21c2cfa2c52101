// EditBoxControl: the platform's "Edit" class, a member of the static
// family. Beside the edit words (EditControl.h) it reads "MultiLine" and its
// text content, and is 14 dialog units high unless its description places it.
#pragma once

#include "VornLib/gui/EditControl.h"

namespace vorn {

// The height of an edit box in dialog units, which its neighbours share.
constexpr int32_t kEditBoxHeight = 14;

class EditBoxControl : public EditControl {
public:
    EditBoxControl();

    String text() const;
    void setText(const String& text);

protected:
    // 5 for an unknown "Case" or "HorizontalAlign" word.
    Result readAttributes(const XmlNode& element) override;
};

} // namespace vorn
