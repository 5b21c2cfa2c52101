// Shared fonts: a logical font made from the "Font" text of a description,
// shared by every window that asks for the same one and deleted with the
// last of them.
#pragma once

#include "VornLib/core/Win32.h"
#include "VornLib/gui/FontText.h"

namespace vorn {

class SharedFont {
public:
    HFONT handle() const { return handle_; }
    const LOGFONTW& logicalFont() const { return logicalFont_; }

    // The font for `text`, with one more reference; null when the platform
    // cannot make it.
    static SharedFont* FromText(const char16_t* text);
    // The default font: the system's message font (height -12, "MS Shell
    // Dlg" when the system's metrics cannot be read).
    static SharedFont* Default();
    static SharedFont* FromLogicalFont(const LOGFONTW& font);
    void addReference() { ++references_; }
    void release();

private:
    SharedFont() = default;
    ~SharedFont();

    HFONT handle_ = nullptr;
    LOGFONTW logicalFont_ = {};
    uint32_t references_ = 1;
};

// The logical font a font text describes.
LOGFONTW LogicalFontFromText(const FontText& text);

// Dialog base units of a font: the character height, and the average width
// of the 52 Latin letters halved and rounded.
void DialogBaseUnits(HFONT font, int32_t* horizontal, int32_t* vertical);

} // namespace vorn
