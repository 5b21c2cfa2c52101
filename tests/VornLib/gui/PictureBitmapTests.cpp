// The framework's bitmaps of pictures: one alpha rule for all of them. A DIB
// keeps the picture's alpha straight, as image lists and buttons take it;
// only the copy made for alpha blending is premultiplied.
#include <gtest/gtest.h>

#include <vector>

#include "VornLib/gui/PictureBitmap.h"

namespace vorn {
namespace {

std::vector<uint8_t> BitsOf(const PictureBitmap& bitmap) {
    const uint8_t* bits = static_cast<const uint8_t*>(bitmap.bits);
    return std::vector<uint8_t>(bits, bits + size_t(bitmap.width) * size_t(bitmap.height) * 4);
}

TEST(PictureBitmap, DibsKeepStraightAlphaAndOnlyBlendingPremultiplies) {
    Picture picture;
    ASSERT_EQ(0u, picture.create(2, 1, PixelFormat::Rgba32));
    const uint8_t rgba[] = {200, 0, 0, 128, 0, 255, 0, 0}; // half-transparent red, clear green
    std::copy(rgba, rgba + 8, picture.pixels());
    const std::vector<uint8_t> straight = {0, 0, 200, 128, 0, 255, 0, 0}; // blue, green, red, alpha

    PictureBitmap copied;
    ASSERT_EQ(0u, copied.copyFrom(picture));
    EXPECT_TRUE(copied.hasAlpha);
    EXPECT_EQ(straight, BitsOf(copied));
    PictureBitmap converted;
    ASSERT_EQ(0u, converted.convertFrom(picture));
    EXPECT_EQ(straight, BitsOf(converted));

    PictureBitmap blended;
    ASSERT_EQ(0u, blended.copyPixels(copied));
    PremultiplyAlpha(static_cast<uint8_t*>(blended.bits), 2);
    EXPECT_EQ((std::vector<uint8_t>{0, 0, 100, 128, 0, 0, 0, 0}), BitsOf(blended));
    EXPECT_EQ(straight, BitsOf(copied)) << "the straight bitmap stays as it was";
}

TEST(PictureBitmap, OtherPixelFormatsConvertOpaqueButDoNotCopy) {
    Picture grey;
    ASSERT_EQ(0u, grey.create(1, 1, PixelFormat::Grey8));
    grey.pixels()[0] = 77;
    PictureBitmap copied;
    EXPECT_EQ(3u, copied.copyFrom(grey));
    EXPECT_EQ(nullptr, copied.bitmap.get());
    PictureBitmap converted;
    ASSERT_EQ(0u, converted.convertFrom(grey));
    EXPECT_EQ((std::vector<uint8_t>{77, 77, 77, 255}), BitsOf(converted));
    PictureBitmap blended;
    EXPECT_EQ(5u, blended.copyPixels(PictureBitmap())) << "nothing to copy";
}

} // namespace
} // namespace vorn
