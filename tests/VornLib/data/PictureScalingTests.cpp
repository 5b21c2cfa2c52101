// Pictures for larger screens: the names of their versions, and scaling that
// averages when it shrinks, keeps a flat colour when it grows, and weights
// colours by their alpha so that see-through edges do not darken.
#include <gtest/gtest.h>

#include <vector>

#include "VornLib/data/PictureScaling.h"

namespace vorn {
namespace {

void Fill(Picture* picture, uint32_t width, uint32_t height, const std::vector<Rgba>& colours) {
    ASSERT_EQ(kResultOk, picture->create(width, height, PixelFormat::Rgba32));
    for (size_t index = 0; index < colours.size(); ++index) {
        uint8_t* pixel = picture->pixels() + index * 4;
        pixel[0] = colours[index].red;
        pixel[1] = colours[index].green;
        pixel[2] = colours[index].blue;
        pixel[3] = colours[index].alpha;
    }
}

Rgba At(const Picture& picture, uint32_t x, uint32_t y) {
    Rgba colour = {};
    EXPECT_EQ(kResultOk, picture.pixel(x, y, &colour));
    return colour;
}

TEST(PictureScaling, AVersionIsNamedBeforeTheExtension) {
    EXPECT_EQ(String(u"Data/Pictures/Logo@150.png"),
              PictureNameAtScale(u"Data/Pictures/Logo.png", 150));
    EXPECT_EQ(String(u"Data/Pictures/Logo.png"),
              PictureNameAtScale(u"Data/Pictures/Logo.png", 100));
    EXPECT_EQ(String(u"Data/Pictures.v2/Logo@200"),
              PictureNameAtScale(u"Data/Pictures.v2/Logo", 200))
        << "a dot in a folder's name is no extension";
}

TEST(PictureScaling, ShrinkingAveragesByAlpha) {
    Picture source, target;
    // Opaque red beside see-through green: the edge stays red, half covered.
    Fill(&source, 2, 2, {{255, 0, 0, 255}, {0, 255, 0, 0}, {255, 0, 0, 255}, {0, 255, 0, 0}});
    ASSERT_EQ(kResultOk, ScalePicture(source, 1, 1, &target));
    ASSERT_EQ(1u, target.width());
    const Rgba edge = At(target, 0, 0);
    EXPECT_EQ(255, edge.red);
    EXPECT_EQ(0, edge.green);
    EXPECT_NEAR(128, edge.alpha, 1);
}

TEST(PictureScaling, GrowingKeepsAFlatColourAndEveryPixelIsWritten) {
    Picture source, target;
    Fill(&source, 2, 1, {{10, 20, 30, 255}, {10, 20, 30, 255}});
    ASSERT_EQ(kResultOk, ScalePicture(source, 5, 3, &target));
    ASSERT_EQ(5u, target.width());
    ASSERT_EQ(3u, target.height());
    for (uint32_t y = 0; y < 3; ++y) {
        for (uint32_t x = 0; x < 5; ++x) {
            const Rgba colour = At(target, x, y);
            EXPECT_EQ(10, colour.red);
            EXPECT_EQ(30, colour.blue);
            EXPECT_EQ(255, colour.alpha);
        }
    }
    EXPECT_EQ(kResultInvalidArgument, ScalePicture(source, 0, 3, &target));
    Picture empty;
    EXPECT_EQ(kResultInvalidArgument, ScalePicture(empty, 2, 2, &target));
}

} // namespace
} // namespace vorn
