#include "VornLib/gui/PictureImageList.h"

#include "VornLib/core/Win32Handles.h"
#include "VornLib/core/platform/DynamicLibrary.h"
#include "VornLib/data/ResourceCache.h"

namespace vorn {
namespace {

using CreateFunction = HIMAGELIST(WINAPI*)(int, int, UINT, int, int);
using AddFunction = int(WINAPI*)(HIMAGELIST, HBITMAP, HBITMAP);
using DestroyFunction = BOOL(WINAPI*)(HIMAGELIST);
using CountFunction = int(WINAPI*)(HIMAGELIST);
using GetIconFunction = HICON(WINAPI*)(HIMAGELIST, int, UINT);

template <typename Function> Function Comctl(const char* name) {
    return SystemFunction<Function>(SystemLibraryId::Comctl32, name);
}

// The picture as a top-down 32-bit DIB section with premultiplied alpha, the
// form in which image lists blend their items.
GdiObject BitmapOfPicture(const Picture& picture) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = LONG(picture.width());
    info.bmiHeader.biHeight = -LONG(picture.height());
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    GdiObject bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits)
        return GdiObject();
    uint32_t* pixels = static_cast<uint32_t*>(bits);
    for (uint32_t y = 0; y < picture.height(); ++y) {
        for (uint32_t x = 0; x < picture.width(); ++x) {
            Rgba colour = {};
            (void)picture.pixel(x, y, &colour);
            const uint32_t alpha = colour.alpha;
            const uint32_t red = colour.red * alpha / 255;
            const uint32_t green = colour.green * alpha / 255;
            const uint32_t blue = colour.blue * alpha / 255;
            pixels[y * picture.width() + x] = alpha << 24 | red << 16 | green << 8 | blue;
        }
    }
    return bitmap;
}

} // namespace

Result PictureImageList::load(const char16_t* name, int32_t itemWidth) {
    reset();
    ResourceCache& cache = ResourceCache::Instance();
    const Picture* picture = nullptr;
    Result result = cache.getPicture(name, &picture);
    if (result != kResultOk)
        return result;
    const int32_t width = int32_t(picture->width());
    const int32_t height = int32_t(picture->height());
    if (itemWidth <= 0)
        itemWidth = height;
    auto create = Comctl<CreateFunction>("ImageList_Create");
    auto add = Comctl<AddFunction>("ImageList_Add");
    if (itemWidth <= 0 || itemWidth > width) {
        result = kResultInvalidArgument;
    } else if (!create || !add) {
        result = kResultPlatformFailure;
    } else {
        GdiObject bitmap = BitmapOfPicture(*picture);
        list_ = bitmap ? create(itemWidth, height, ILC_COLOR32, width / itemWidth, 4) : nullptr;
        if (!list_ || add(list_, static_cast<HBITMAP>(bitmap.get()), nullptr) < 0)
            result = kResultPlatformFailure;
    }
    (void)cache.release(picture);
    if (result != kResultOk) {
        reset();
        return result;
    }
    itemWidth_ = itemWidth;
    itemHeight_ = height;
    return kResultOk;
}

void PictureImageList::reset() {
    if (list_) {
        if (auto destroy = Comctl<DestroyFunction>("ImageList_Destroy"))
            destroy(list_);
    }
    list_ = nullptr;
    itemWidth_ = itemHeight_ = 0;
}

int32_t PictureImageList::count() const {
    auto count = Comctl<CountFunction>("ImageList_GetImageCount");
    return list_ && count ? count(list_) : 0;
}

HICON PictureImageList::icon(int32_t index) const {
    auto getIcon = Comctl<GetIconFunction>("ImageList_GetIcon");
    if (!list_ || !getIcon || index < 0 || index >= count())
        return nullptr;
    return getIcon(list_, index, ILD_TRANSPARENT);
}

} // namespace vorn
