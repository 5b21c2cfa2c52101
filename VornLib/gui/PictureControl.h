// PictureControl: a picture of the resource locator on a transparent static.
// The control takes the picture's pixel size and draws it itself, blending a
// picture's alpha over its parent's background, which the parent paints
// beneath it (a transparent window keeps its ancestors from clipping it away).
// The picture is the one for the window's DPI (PictureBitmap::loadForDpi): a
// "Name" of "Logo.png" shows "Logo@200.png" on a screen of 192 dpi.
#pragma once

#include "VornLib/gui/PictureBitmap.h"
#include "VornLib/gui/StaticControl.h"

namespace vorn {

class PictureControl : public StaticControl {
public:
    PictureControl();

    // Shows the picture `name` (see PictureBitmap::load for the results) and
    // sizes the control to it; the window, when it exists, is laid out again.
    // A failure leaves the previous picture.
    Result setPicture(const char16_t* name);
    const PictureBitmap& picture() const { return picture_; }

protected:
    // "Name", after the static's own words: 31 when it is missing.
    Result readAttributes(const XmlNode& element) override;
    void dpiChanged() override;
    // The picture over its parent's background, composed off screen.
    bool drawsItself() const override { return true; }
    void draw(HDC dc) override;

private:
    void paintParentBackground(HDC dc, int32_t width, int32_t height);

    String name_;
    PictureBitmap picture_;
    // The picture with premultiplied alpha, as the blend wants it.
    PictureBitmap premultiplied_;
};

} // namespace vorn
