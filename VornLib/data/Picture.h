// Picture: the decoded bitmap that the resource cache shares. Rows are packed
// one after another without padding ((bits per pixel x width + 7) / 8 bytes a
// row); the palette format carries 256 entries of red, green, blue and alpha.
// Every format answers the colour of a pixel as 8-bit RGBA, so drawing code
// needs no knowledge of the layout. PNG is tried first, JPEG second.
#pragma once

#include <cstdint>

#include "VornLib/core/Result.h"
#include "VornLib/core/Stream.h"
#include "VornLib/data/DecoderBounds.h"

namespace vorn {

// 16-bit samples are stored most significant byte first, as PNG stores them.
enum class PixelFormat : uint32_t {
    None = 0,
    Grey8 = 1,
    Grey16 = 2,
    GreyAlpha16 = 3, // 8-bit grey, 8-bit alpha
    GreyAlpha32 = 4, // 16-bit grey, 16-bit alpha
    Rgb24 = 5,
    Rgba32 = 6,
    Palette8 = 7,
};

struct Rgba {
    uint8_t red;
    uint8_t green;
    uint8_t blue;
    uint8_t alpha;
};

inline bool operator==(Rgba a, Rgba b) {
    return a.red == b.red && a.green == b.green && a.blue == b.blue && a.alpha == b.alpha;
}

// Bits a pixel of `format`; 0 for None.
uint32_t BitsPerPixel(PixelFormat format);
bool HasAlpha(PixelFormat format);
// The grey value of a colour: (54 red + 183 green + 19 blue) / 256.
uint8_t GreyOf(uint8_t red, uint8_t green, uint8_t blue);

// Pictures above this many pixel bytes are refused (24) before anything is allocated.
constexpr uint32_t kMaxPictureBytes = VORN_PICTURE_BYTES_BOUND;

class Picture {
public:
    static constexpr uint32_t kPaletteSize = 256;

    Picture() = default;
    ~Picture();
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;

    // A blank picture (all bytes 0, palette entries opaque black).
    Result create(uint32_t width, uint32_t height, PixelFormat format);
    // Decodes PNG or JPEG bytes: 3 when neither decoder accepts the data
    // (empty input included), otherwise the decoder's result (3, 7, 12, 24).
    // The picture is empty whenever the result is not 0.
    Result decode(const uint8_t* bytes, uint32_t size);
    // The same over the stream from its position to its end.
    Result decode(Stream* stream);
    void clear();

    uint32_t width() const { return width_; }
    uint32_t height() const { return height_; }
    PixelFormat format() const { return format_; }
    uint32_t bitsPerPixel() const { return BitsPerPixel(format_); }
    uint32_t rowBytes() const { return (bitsPerPixel() * width_ + 7) / 8; }
    uint32_t byteSize() const { return rowBytes() * height_; }
    uint8_t* pixels() { return pixels_; }
    const uint8_t* pixels() const { return pixels_; }
    Rgba* palette() { return palette_; }
    const Rgba* palette() const { return palette_; }

    // 37 for a pixel outside the picture (the colour is then transparent black).
    Result pixel(uint32_t x, uint32_t y, Rgba* out) const;

private:
    uint8_t* pixels_ = nullptr;
    uint32_t width_ = 0;
    uint32_t height_ = 0;
    PixelFormat format_ = PixelFormat::None;
    Rgba palette_[kPaletteSize] = {};
};

} // namespace vorn
