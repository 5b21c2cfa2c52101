#include "VornLib/gui/PictureBitmap.h"

#include <cstring>
#include <utility>

#include "VornLib/data/PictureScaling.h"
#include "VornLib/data/ResourceLease.h"
#include "VornLib/gui/Dpi.h"

namespace vorn {

GdiObject CreateTopDownDib(int32_t width, int32_t height, uint16_t bitsPerPixel, void** bits) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = bitsPerPixel;
    info.bmiHeader.biCompression = BI_RGB;
    *bits = nullptr;
    GdiObject section(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0));
    if (!*bits)
        section.reset();
    return section;
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
    void* target = nullptr;
    GdiObject section =
        CreateTopDownDib(int32_t(picture.width()), int32_t(picture.height()), depth, &target);
    if (!section)
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

Result PictureBitmap::convertFrom(const Picture& picture) {
    clear();
    void* target = nullptr;
    GdiObject section =
        CreateTopDownDib(int32_t(picture.width()), int32_t(picture.height()), 32, &target);
    if (!section)
        return kResultPlatformFailure;
    uint8_t* to = static_cast<uint8_t*>(target);
    for (uint32_t y = 0; y < picture.height(); ++y) {
        for (uint32_t x = 0; x < picture.width(); ++x, to += 4) {
            Rgba colour = {};
            (void)picture.pixel(x, y, &colour);
            to[0] = colour.blue;
            to[1] = colour.green;
            to[2] = colour.red;
            to[3] = colour.alpha;
        }
    }
    bitmap = std::move(section);
    bits = target;
    width = int32_t(picture.width());
    height = int32_t(picture.height());
    hasAlpha = true;
    return kResultOk;
}

Result PictureBitmap::copyPixels(const PictureBitmap& other) {
    clear();
    if (!other.hasAlpha || !other.bits)
        return kResultInvalidArgument;
    void* target = nullptr;
    GdiObject section = CreateTopDownDib(other.width, other.height, 32, &target);
    if (!section)
        return kResultPlatformFailure;
    GdiFlush();
    std::memcpy(target, other.bits, size_t(other.width) * size_t(other.height) * 4);
    bitmap = std::move(section);
    bits = target;
    width = other.width;
    height = other.height;
    hasAlpha = true;
    return kResultOk;
}

Result PictureBitmap::load(const char16_t* name) {
    clear();
    if (!name || !*name)
        return kResultBadPath;
    ResourceLease<Picture> picture;
    const Result result = ResourceCache::Instance().getPicture(name, picture.receive());
    return result == kResultOk ? copyFrom(*picture.get()) : result;
}

Result PictureBitmap::loadForDpi(const char16_t* name, uint32_t dpi) {
    clear();
    if (!name || !*name)
        return kResultBadPath;
    ResourceCache& cache = ResourceCache::Instance();
    const String base(name);
    ResourceLease<Picture> chosen;
    uint32_t chosenScale = 0;
    // The smallest version at least as large as the screen needs, else the
    // largest there is.
    for (uint32_t scale : kPictureScales) {
        if (scale * kStandardDpi < 100 * dpi && scale != kPictureScales[0])
            continue;
        ResourceLease<Picture> version;
        if (cache.getPicture(PictureNameAtScale(base, scale).data(), version.receive()) ==
            kResultOk) {
            chosen = std::move(version);
            chosenScale = scale;
            if (scale * kStandardDpi >= 100 * dpi)
                break;
        }
    }
    if (!chosenScale)
        return load(name);
    const Picture& picture = *chosen.get();
    const uint32_t width =
        uint32_t(MulDiv(int(picture.width()), int(dpi * 100), int(chosenScale * kStandardDpi)));
    const uint32_t height =
        uint32_t(MulDiv(int(picture.height()), int(dpi * 100), int(chosenScale * kStandardDpi)));
    if ((width == picture.width() && height == picture.height()) || !width || !height)
        return copyFrom(picture);
    Picture scaled;
    const Result result = ScalePicture(picture, width, height, &scaled);
    return result == kResultOk ? copyFrom(scaled) : result;
}

void PremultiplyAlpha(uint8_t* bgra, uint32_t pixelCount) {
    for (uint32_t index = 0; index < pixelCount; ++index, bgra += 4) {
        const uint32_t alpha = bgra[3];
        for (int channel = 0; channel < 3; ++channel)
            bgra[channel] = uint8_t((bgra[channel] * alpha + 127) / 255);
    }
}

} // namespace vorn
