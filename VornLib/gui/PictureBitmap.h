// PictureBitmap: pictures of the resource locator as the platform's bitmaps.
// Every bitmap the framework draws is made by CreateTopDownDib: a DIB
// section of top-down rows. One alpha rule holds for all of them: a 32-bit
// bitmap keeps its alpha straight (unpremultiplied), as image lists and
// buttons take it; only the copy handed to AlphaBlend is premultiplied
// (PremultiplyAlpha), where it is drawn.
#pragma once

#include "VornLib/core/Result.h"
#include "VornLib/core/Win32Handles.h"
#include "VornLib/data/Picture.h"

namespace vorn {

// A DIB section of `width` x `height` pixels, top-down, of 24 or 32 bits a
// pixel; `bits` receives its rows (padded to 4 bytes). Empty on failure.
GdiObject CreateTopDownDib(int32_t width, int32_t height, uint16_t bitsPerPixel, void** bits);

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
    // Any pixel format, as 32-bit pixels (opaque where the picture has no
    // alpha); 7 when the platform refuses the bitmap.
    Result convertFrom(const Picture& picture);
    // A copy of the 32-bit pixels of `other` (to premultiply): 5 when it has
    // none, 7 when the platform refuses the bitmap.
    Result copyPixels(const PictureBitmap& other);
    // The picture `name` of the resource locator: 31 for an empty name, the
    // locator's result when it cannot be loaded, else as copyFrom.
    Result load(const char16_t* name);
    // The same for a screen at `dpi`: the version of the picture made for the
    // next larger scale, else the largest (PictureScaling.h), scaled to the
    // picture's size at that DPI. Results as load, for the picture itself.
    Result loadForDpi(const char16_t* name, uint32_t dpi);
    void clear();
};

// Pixels premultiplied by their alpha, as the platform's alpha blending wants
// them: each colour becomes round(colour * alpha / 255).
void PremultiplyAlpha(uint8_t* bgra, uint32_t pixelCount);

} // namespace vorn
