#include "VornLib/gui/PictureBitmap.h"

#include "VornLib/core/platform/DynamicLibrary.h"
#include "VornLib/data/ResourceCache.h"

#include <utility>

namespace vorn {
namespace {

// Hands a picture from the cache back when the copy is done.
class CachedPicture {
public:
    explicit CachedPicture(const char16_t* name)
        : result_(ResourceCache::Instance().getPicture(name, &picture_)) {}
    ~CachedPicture() {
        if (picture_)
            (void)ResourceCache::Instance().release(picture_);
    }
    CachedPicture(const CachedPicture&) = delete;
    CachedPicture& operator=(const CachedPicture&) = delete;
    Result result() const { return result_; }
    const Picture& picture() const { return *picture_; }

private:
    const Picture* picture_ = nullptr;
    Result result_;
};

} // namespace

void ImageListTraits::Close(HIMAGELIST handle) {
    using DestroyFunction = BOOL(WINAPI*)(HIMAGELIST);
    if (auto destroy =
            SystemFunction<DestroyFunction>(SystemLibraryId::Comctl32, "ImageList_Destroy"))
        destroy(handle);
}

void PictureBitmap::clear() {
    bitmap.reset();
    bits = nullptr;
    width = height = 0;
    hasAlpha = false;
}

Result PictureBitmap::copyFrom(const Picture& picture) {
    clear();
    const PixelFormat format = picture.format();
    if (format != PixelFormat::Rgb24 && format != PixelFormat::Rgba32)
        return kResultUnsupportedFormat;
    const uint32_t depth = format == PixelFormat::Rgba32 ? 32 : 24;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = LONG(picture.width());
    info.bmiHeader.biHeight = -LONG(picture.height());
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = WORD(depth);
    info.bmiHeader.biCompression = BI_RGB;
    void* target = nullptr;
    GdiObject section(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &target, nullptr, 0));
    if (!section || !target)
        return kResultPlatformFailure;
    // DIB rows are padded to 4 bytes and hold blue, green, red (and alpha).
    const uint32_t bytesPerPixel = depth / 8;
    const uint32_t targetRow = (picture.width() * bytesPerPixel + 3) & ~3u;
    const uint8_t* source = picture.pixels();
    for (uint32_t y = 0; y < picture.height(); ++y) {
        const uint8_t* from = source + size_t(y) * picture.rowBytes();
        uint8_t* to = static_cast<uint8_t*>(target) + size_t(y) * targetRow;
        for (uint32_t x = 0; x < picture.width(); ++x) {
            to[0] = from[2];
            to[1] = from[1];
            to[2] = from[0];
            if (bytesPerPixel == 4)
                to[3] = from[3];
            from += bytesPerPixel;
            to += bytesPerPixel;
        }
    }
    bitmap = std::move(section);
    bits = target;
    width = int32_t(picture.width());
    height = int32_t(picture.height());
    hasAlpha = depth == 32;
    return kResultOk;
}

Result PictureBitmap::load(const char16_t* name) {
    clear();
    if (!name || !*name)
        return kResultBadPath;
    CachedPicture cached(name);
    if (cached.result() != kResultOk)
        return cached.result();
    return copyFrom(cached.picture());
}

void PremultiplyAlpha(uint8_t* bgra, uint32_t pixelCount) {
    for (uint32_t index = 0; index < pixelCount; ++index, bgra += 4) {
        const uint32_t alpha = bgra[3];
        for (int channel = 0; channel < 3; ++channel)
            bgra[channel] = uint8_t((bgra[channel] * alpha + 127) / 255);
    }
}

Result LoadPictureImageList(const char16_t* name, int32_t itemWidth, ImageListHandle* out) {
    if (!out)
        return kResultNullOutput;
    out->reset();
    PictureBitmap strip;
    const Result result = strip.load(name);
    if (result != kResultOk)
        return result;
    if (itemWidth <= 0)
        itemWidth = strip.height;
    using CreateFunction = HIMAGELIST(WINAPI*)(int, int, UINT, int, int);
    using AddFunction = int(WINAPI*)(HIMAGELIST, HBITMAP, HBITMAP);
    auto create = SystemFunction<CreateFunction>(SystemLibraryId::Comctl32, "ImageList_Create");
    auto add = SystemFunction<AddFunction>(SystemLibraryId::Comctl32, "ImageList_Add");
    if (!create || !add)
        return kResultPlatformFailure;
    const int32_t count = (strip.width + itemWidth - 1) / itemWidth;
    ImageListHandle list(
        create(itemWidth, strip.height, strip.hasAlpha ? ILC_COLOR32 : ILC_COLOR24, count, 1));
    if (!list)
        return kResultPlatformFailure;
    if (add(list.get(), static_cast<HBITMAP>(strip.bitmap.get()), nullptr) < 0)
        return kResultPlatformFailure;
    *out = std::move(list);
    return kResultOk;
}

} // namespace vorn
