// Shared fonts: a logical font made from the "Font" text of a description,
// shared by every window that asks for the same one (the windows hold it by
// shared_ptr) and deleted with the last of them. A font is made for a DPI:
// the system fonts are the platform's at that DPI, and a size in the text
// ("Tahoma,11") is in pixels of a 96-dpi screen, scaled to it.
#pragma once

#include <memory>

#include "VornLib/core/Win32Handles.h"
#include "VornLib/gui/FontText.h"

namespace vorn {

class SharedFont {
public:
    HFONT handle() const { return static_cast<HFONT>(handle_.get()); }
    const LOGFONTW& logicalFont() const { return logicalFont_; }

    // The font for `text` at `dpi`; null when the platform cannot make it.
    static std::shared_ptr<SharedFont> FromText(const char16_t* text, uint32_t dpi);
    // The default font at `dpi`: the system's message font (height -12 at 96
    // dpi, "MS Shell Dlg" when the system's metrics cannot be read).
    static std::shared_ptr<SharedFont> Default(uint32_t dpi);
    static std::shared_ptr<SharedFont> FromLogicalFont(const LOGFONTW& font);

private:
    SharedFont(HFONT handle, const LOGFONTW& font) : handle_(handle), logicalFont_(font) {}

    GdiObject handle_;
    LOGFONTW logicalFont_;
};

// The logical font a font text describes, at `dpi`.
LOGFONTW LogicalFontFromText(const FontText& text, uint32_t dpi);

// Dialog base units of a font: the character height, and the average width
// of the 52 Latin letters halved and rounded.
void DialogBaseUnits(HFONT font, int32_t* horizontal, int32_t* vertical);

} // namespace vorn
