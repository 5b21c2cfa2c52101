// PictureBitmap: pictures of the resource locator as the platform's bitmaps.
// Controls draw DIB sections (top-down, 24-bit or 32-bit pixels, the alpha of
// a 32-bit picture kept unpremultiplied as image lists expect) and strips of
// item pictures as image lists. The common controls library is reached at run
// time, so the image-list functions never enter the import table.
#pragma once

#include "VornLib/core/Result.h"
#include "VornLib/core/Win32Handles.h"
#include "VornLib/data/Picture.h"

#include <commctrl.h>

namespace vorn {

struct ImageListTraits {
    using Handle = HIMAGELIST;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle handle);
};
using ImageListHandle = UniqueHandle<ImageListTraits>;

// A picture copied into a DIB section.
struct PictureBitmap {
    GdiObject bitmap;
    void* bits = nullptr; // top-down rows of the DIB section
    int32_t width = 0;
    int32_t height = 0;
    bool hasAlpha = false; // 32-bit pixels with an alpha channel

    // 3 for pixel formats other than 24-bit RGB and 32-bit RGBA, 7 when the
    // platform refuses the bitmap; the bitmap is empty on failure.
    Result copyFrom(const Picture& picture);
    // The picture `name` of the resource locator: 31 for an empty name, the
    // locator's result when it cannot be loaded, else as copyFrom.
    Result load(const char16_t* name);
    void clear();
};

// Pixels premultiplied by their alpha, as the platform's alpha blending wants
// them: each colour becomes round(colour * alpha / 255).
void PremultiplyAlpha(uint8_t* bgra, uint32_t pixelCount);

// The picture `name` cut into items `itemWidth` pixels wide (the picture's
// height when 0 or negative). 31 for an empty name, the locator's result, 3 for
// other pixel formats, 7 when the common controls refuse the list.
Result LoadPictureImageList(const char16_t* name, int32_t itemWidth, ImageListHandle* out);

} // namespace vorn
