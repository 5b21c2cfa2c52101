// Pictures at the size a screen needs. A picture name may come in versions
// for larger screens: "Data/Pictures/Logo@150.png" beside "Logo.png" is the
// same picture at 150 % (a screen of 144 dpi). A screen between the versions
// takes the next larger one, scaled down; a screen above them the largest,
// scaled up. Scaling keeps the colours of see-through edges: pixels are
// weighted by their alpha.
#pragma once

#include <cstdint>

#include "VornLib/core/String.h"
#include "VornLib/data/Picture.h"

namespace vorn {

// The scales, in %, that versions of a picture may be made for.
constexpr uint32_t kPictureScales[] = {100, 125, 150, 200, 250, 300};

// The name of the version at `percent` (100: the name itself): "@<percent>"
// before the extension.
String PictureNameAtScale(const String& name, uint32_t percent);

// `source` scaled to `width` x `height` as 32-bit RGBA: areas averaged when it
// shrinks, bilinear when it grows. 5 for a size of 0 or an empty source, else
// the target's creation result.
Result ScalePicture(const Picture& source, uint32_t width, uint32_t height, Picture* target);

} // namespace vorn
