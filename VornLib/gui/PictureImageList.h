// PictureImageList: a common-controls image list cut from one picture of the
// resource locator, for the item pictures of lists, toolbars and status bars.
// The picture is a strip of equal items side by side; each becomes one image
// with its alpha channel. The image-list functions live in comctl32, which is
// reached only at run time (the programs import KnownDLLs alone).
#pragma once

#include "VornLib/core/Result.h"
#include "VornLib/core/Win32.h"

#include <commctrl.h>

namespace vorn {

class PictureImageList {
public:
    PictureImageList() = default;
    ~PictureImageList() { reset(); }
    PictureImageList(const PictureImageList&) = delete;
    PictureImageList& operator=(const PictureImageList&) = delete;

    // Loads the picture `name` and cuts it into items `itemWidth` pixels wide
    // (0: square items of the picture's height). The locator's result when
    // the picture cannot be had; 5 for an item wider than the picture; 7 when
    // the platform refuses the list.
    Result load(const char16_t* name, int32_t itemWidth);
    void reset();

    HIMAGELIST handle() const { return list_; }
    int32_t count() const;
    int32_t itemWidth() const { return itemWidth_; }
    int32_t itemHeight() const { return itemHeight_; }
    // A new icon of item `index` (the caller destroys it); null when out of range.
    HICON icon(int32_t index) const;

private:
    HIMAGELIST list_ = nullptr;
    int32_t itemWidth_ = 0;
    int32_t itemHeight_ = 0;
};

} // namespace vorn
