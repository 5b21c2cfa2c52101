#include "VornLib/data/Picture.h"

#include <cstdlib>
#include <cstring>

#include "VornLib/data/PictureDecoders.h"

namespace vorn {

// The C decoders answer in the numbers of the framework's own vocabularies.
constexpr uint32_t kDecoderNumbers[][2] = {
    {kVornDecodeOk, kResultOk},
    {kVornDecodeUnsupportedFormat, kResultUnsupportedFormat},
    {kVornDecodePlatformFailure, kResultPlatformFailure},
    {kVornDecodeOutOfMemory, kResultOutOfMemory},
    {kVornDecodeCapacityExceeded, kResultCapacityExceeded},
    {kVornDecodeMalformed, kResultMalformed},
    {kVornGrey8, uint32_t(PixelFormat::Grey8)},
    {kVornGrey16, uint32_t(PixelFormat::Grey16)},
    {kVornGreyAlpha16, uint32_t(PixelFormat::GreyAlpha16)},
    {kVornGreyAlpha32, uint32_t(PixelFormat::GreyAlpha32)},
    {kVornRgb24, uint32_t(PixelFormat::Rgb24)},
    {kVornRgba32, uint32_t(PixelFormat::Rgba32)},
    {kVornPalette8, uint32_t(PixelFormat::Palette8)},
};
constexpr bool DecoderNumbersAgree() {
    for (const auto& pair : kDecoderNumbers) {
        if (pair[0] != pair[1])
            return false;
    }
    return true;
}
static_assert(DecoderNumbersAgree(), "the decoders' results and formats are the framework's");

namespace {

struct FormatInfo {
    PixelFormat format;
    uint32_t bits;
    bool alpha;
};

constexpr FormatInfo kFormats[] = {
    {PixelFormat::Grey8, 8, false},       {PixelFormat::Grey16, 16, false},
    {PixelFormat::GreyAlpha16, 16, true}, {PixelFormat::GreyAlpha32, 32, true},
    {PixelFormat::Rgb24, 24, false},      {PixelFormat::Rgba32, 32, true},
    {PixelFormat::Palette8, 8, false},
};

const FormatInfo* InfoOf(PixelFormat format) {
    for (const FormatInfo& info : kFormats) {
        if (info.format == format)
            return &info;
    }
    return nullptr;
}

} // namespace

uint32_t BitsPerPixel(PixelFormat format) {
    const FormatInfo* info = InfoOf(format);
    return info ? info->bits : 0;
}

bool HasAlpha(PixelFormat format) {
    const FormatInfo* info = InfoOf(format);
    return info && info->alpha;
}

uint8_t GreyOf(uint8_t red, uint8_t green, uint8_t blue) {
    return uint8_t((54u * red + 183u * green + 19u * blue) / 256u);
}

Picture::~Picture() {
    clear();
}

void Picture::clear() {
    std::free(pixels_);
    pixels_ = nullptr;
    width_ = 0;
    height_ = 0;
    format_ = PixelFormat::None;
    std::memset(palette_, 0, sizeof(palette_));
}

Result Picture::create(uint32_t width, uint32_t height, PixelFormat format) {
    clear();
    const uint32_t bits = BitsPerPixel(format);
    if (!bits || !width || !height)
        return kResultInvalidArgument;
    const uint32_t total = VornPictureBytes(width, height, bits, kMaxPictureBytes);
    if (!total)
        return kResultCapacityExceeded;
    pixels_ = static_cast<uint8_t*>(std::calloc(total, 1));
    if (!pixels_)
        return kResultOutOfMemory;
    width_ = width;
    height_ = height;
    format_ = format;
    for (Rgba& entry : palette_)
        entry.alpha = 255;
    return kResultOk;
}

Result Picture::decode(const uint8_t* bytes, uint32_t size) {
    clear();
    if (!bytes)
        return kResultNullInput;
    VornDecodedPicture decoded;
    Result result = Result(VornDecodePng(bytes, size, &decoded));
    if (result == kResultMalformed)
        result = Result(VornDecodeJpeg(bytes, size, &decoded));
    if (result == kResultMalformed)
        return kResultUnsupportedFormat; // neither decoder recognised it
    if (result != kResultOk)
        return result;
    pixels_ = decoded.pixels;
    width_ = decoded.width;
    height_ = decoded.height;
    format_ = PixelFormat(decoded.format);
    for (uint32_t i = 0; i < kPaletteSize; ++i) {
        const uint8_t* entry = decoded.palette + i * 4;
        palette_[i] = Rgba{entry[0], entry[1], entry[2], 255};
    }
    return kResultOk;
}

Result Picture::decode(Stream* stream) {
    clear();
    if (!stream)
        return kResultNullInput;
    const uint64_t position = stream->position();
    const uint64_t size = stream->size();
    if (position >= size)
        return kResultUnsupportedFormat; // nothing that either decoder accepts
    if (size - position > kMaxPictureBytes)
        return kResultCapacityExceeded;
    const uint32_t count = uint32_t(size - position);
    uint8_t* bytes = static_cast<uint8_t*>(std::malloc(count));
    if (!bytes)
        return kResultOutOfMemory;
    Result result = stream->read(bytes, count);
    if (result == kResultOk)
        result = decode(bytes, count);
    std::free(bytes);
    return result;
}

Result Picture::pixel(uint32_t x, uint32_t y, Rgba* out) const {
    if (!out)
        return kResultNullOutput;
    *out = Rgba{0, 0, 0, 0};
    if (x >= width_ || y >= height_)
        return kResultOutOfRange;
    const uint8_t* p = pixels_ + size_t(y) * rowBytes() + size_t(x) * (bitsPerPixel() / 8);
    switch (format_) {
    case PixelFormat::Grey8:
        *out = Rgba{p[0], p[0], p[0], 255};
        break;
    case PixelFormat::Grey16:
        *out = Rgba{p[0], p[0], p[0], 255};
        break;
    case PixelFormat::GreyAlpha16:
        *out = Rgba{p[0], p[0], p[0], p[1]};
        break;
    case PixelFormat::GreyAlpha32:
        *out = Rgba{p[0], p[0], p[0], p[2]};
        break;
    case PixelFormat::Rgb24:
        *out = Rgba{p[0], p[1], p[2], 255};
        break;
    case PixelFormat::Rgba32:
        *out = Rgba{p[0], p[1], p[2], p[3]};
        break;
    case PixelFormat::Palette8:
        *out = palette_[p[0]];
        break;
    case PixelFormat::None:
        return kResultOutOfRange;
    }
    return kResultOk;
}

} // namespace vorn
