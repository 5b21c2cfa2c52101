// PictureImageList: a common-controls image list cut from one picture of the
// resource locator, for the item pictures of lists, combo boxes, tab
// controls, toolbars and status bars. The picture is a strip of equal items
// side by side; each becomes one 32-bit image with the picture's alpha kept
// straight, as image lists take it (PictureBitmap.h). The image-list
// functions live in comctl32, which is reached only at run time (the
// programs import KnownDLLs alone).
#pragma once

#include "VornLib/core/Result.h"
#include "VornLib/core/Win32Handles.h"
#include "VornLib/core/XmlNode.h"

#include <commctrl.h>

namespace vorn {

struct ImageListTraits {
    using Handle = HIMAGELIST;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle handle);
};
using ImageListHandle = UniqueHandle<ImageListTraits>;

class PictureImageList {
public:
    // Loads the picture `name` and cuts it into items `itemWidth` pixels wide
    // (0: square items of the picture's height). 31 for an empty name, the
    // locator's result when the picture cannot be had; 5 for an item wider
    // than the picture; 7 when the platform refuses the list.
    Result load(const char16_t* name, int32_t itemWidth);
    // The strip a description names with "Pictures" and "PictureItemWidth";
    // 0 without "Pictures", else as load.
    Result read(const XmlNode& element);
    void reset();

    HIMAGELIST handle() const { return list_.get(); }
    explicit operator bool() const { return bool(list_); }
    int32_t count() const;
    // A new icon of item `index`; empty when out of range.
    IconHandle icon(int32_t index) const;

private:
    ImageListHandle list_;
};

} // namespace vorn
