#include "VornLib/gui/PictureImageList.h"

#include "VornLib/core/platform/DynamicLibrary.h"
#include "VornLib/data/ResourceLease.h"
#include "VornLib/gui/PictureBitmap.h"

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

} // namespace

void ImageListTraits::Close(HIMAGELIST handle) {
    if (auto destroy = Comctl<DestroyFunction>("ImageList_Destroy"))
        destroy(handle);
}

Result PictureImageList::load(const char16_t* name, int32_t itemWidth) {
    reset();
    if (!name || !*name)
        return kResultBadPath;
    PictureBitmap strip;
    {
        ResourceLease<Picture> picture;
        Result result = ResourceCache::Instance().getPicture(name, picture.receive());
        if (result == kResultOk)
            result = strip.convertFrom(*picture.get());
        if (result != kResultOk)
            return result;
    }
    if (itemWidth <= 0)
        itemWidth = strip.height;
    if (itemWidth <= 0 || itemWidth > strip.width)
        return kResultInvalidArgument;
    auto create = Comctl<CreateFunction>("ImageList_Create");
    auto add = Comctl<AddFunction>("ImageList_Add");
    if (!create || !add)
        return kResultPlatformFailure;
    ImageListHandle list(create(itemWidth, strip.height, ILC_COLOR32, strip.width / itemWidth, 4));
    if (!list || add(list.get(), static_cast<HBITMAP>(strip.bitmap.get()), nullptr) < 0)
        return kResultPlatformFailure;
    list_ = std::move(list);
    return kResultOk;
}

Result PictureImageList::read(const XmlNode& element) {
    String name;
    if (element.getAttribute(u"Pictures", &name) != kResultOk)
        return kResultOk;
    int32_t itemWidth = 0;
    (void)element.getAttributeInt32(u"PictureItemWidth", &itemWidth);
    return load(name.data(), itemWidth);
}

void PictureImageList::reset() {
    list_.reset();
}

int32_t PictureImageList::count() const {
    auto count = Comctl<CountFunction>("ImageList_GetImageCount");
    return list_ && count ? count(list_.get()) : 0;
}

IconHandle PictureImageList::icon(int32_t index) const {
    auto getIcon = Comctl<GetIconFunction>("ImageList_GetIcon");
    if (!list_ || !getIcon || index < 0 || index >= count())
        return IconHandle();
    return IconHandle(getIcon(list_.get(), index, ILD_TRANSPARENT));
}

} // namespace vorn
