#include "VornLib/data/PictureScaling.h"

#include <vector>

#include "VornLib/core/Format.h"

namespace vorn {
namespace {

// A pixel with its colour multiplied by its alpha, so that averages of
// see-through pixels do not darken.
struct Weighted {
    double red = 0, green = 0, blue = 0, alpha = 0;

    void add(const Rgba& colour, double weight) {
        const double covered = weight * colour.alpha / 255.0;
        red += colour.red * covered;
        green += colour.green * covered;
        blue += colour.blue * covered;
        alpha += covered;
    }
    Rgba result(double area) const {
        auto channel = [](double value) {
            return uint8_t(value < 0 ? 0 : value > 255 ? 255 : value + 0.5);
        };
        if (alpha <= 0)
            return {0, 0, 0, 0};
        return {channel(red / alpha), channel(green / alpha), channel(blue / alpha),
                channel(255.0 * alpha / area)};
    }
};

std::vector<Rgba> ReadAll(const Picture& source) {
    std::vector<Rgba> pixels(size_t(source.width()) * source.height());
    for (uint32_t y = 0; y < source.height(); ++y) {
        for (uint32_t x = 0; x < source.width(); ++x)
            (void)source.pixel(x, y, &pixels[size_t(y) * source.width() + x]);
    }
    return pixels;
}

// The average over the source area that the target pixel covers.
Rgba AreaAverage(const std::vector<Rgba>& pixels, uint32_t width, uint32_t height, double left,
                 double top, double right, double bottom) {
    Weighted sum;
    for (uint32_t y = uint32_t(top); y < height && double(y) < bottom; ++y) {
        const double rowCover = (y + 1 < bottom ? y + 1 : bottom) - (y > top ? y : top);
        for (uint32_t x = uint32_t(left); x < width && double(x) < right; ++x) {
            const double cover = (x + 1 < right ? x + 1 : right) - (x > left ? x : left);
            sum.add(pixels[size_t(y) * width + x], cover * rowCover);
        }
    }
    return sum.result((right - left) * (bottom - top));
}

// Bilinear between the four source pixels around a point (pixel centres at .5).
Rgba Bilinear(const std::vector<Rgba>& pixels, uint32_t width, uint32_t height, double x,
              double y) {
    auto clamp = [](double value, uint32_t size) {
        return value < 0 ? 0.0 : value > size - 1 ? double(size - 1) : value;
    };
    x = clamp(x - 0.5, width);
    y = clamp(y - 0.5, height);
    const uint32_t left = uint32_t(x), top = uint32_t(y);
    const uint32_t right = left + 1 < width ? left + 1 : left;
    const uint32_t bottom = top + 1 < height ? top + 1 : top;
    const double fx = x - left, fy = y - top;
    Weighted sum;
    sum.add(pixels[size_t(top) * width + left], (1 - fx) * (1 - fy));
    sum.add(pixels[size_t(top) * width + right], fx * (1 - fy));
    sum.add(pixels[size_t(bottom) * width + left], (1 - fx) * fy);
    sum.add(pixels[size_t(bottom) * width + right], fx * fy);
    return sum.result(1.0);
}

} // namespace

String PictureNameAtScale(const String& name, uint32_t percent) {
    if (percent == 100)
        return name;
    const int32_t dot = name.findLast(u'.');
    const int32_t slash =
        name.findLast(u'/') > name.findLast(u'\\') ? name.findLast(u'/') : name.findLast(u'\\');
    const uint32_t at = dot > slash ? uint32_t(dot) : name.length();
    return Format(u"{0}@{1}{2}", {name.left(at), percent, name.mid(at)});
}

Result ScalePicture(const Picture& source, uint32_t width, uint32_t height, Picture* target) {
    if (!width || !height || !source.width() || !source.height())
        return kResultInvalidArgument;
    const Result created = target->create(width, height, PixelFormat::Rgba32);
    if (created != kResultOk)
        return created;
    const std::vector<Rgba> pixels = ReadAll(source);
    const double stepX = double(source.width()) / width;
    const double stepY = double(source.height()) / height;
    const bool shrinks = stepX >= 1 && stepY >= 1;
    uint8_t* out = target->pixels();
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x, out += 4) {
            const Rgba colour =
                shrinks ? AreaAverage(pixels, source.width(), source.height(), x * stepX, y * stepY,
                                      (x + 1) * stepX, (y + 1) * stepY)
                        : Bilinear(pixels, source.width(), source.height(), (x + 0.5) * stepX,
                                   (y + 0.5) * stepY);
            out[0] = colour.red;
            out[1] = colour.green;
            out[2] = colour.blue;
            out[3] = colour.alpha;
        }
    }
    return kResultOk;
}

} // namespace vorn
