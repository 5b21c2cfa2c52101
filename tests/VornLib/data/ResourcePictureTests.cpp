// Picture decoding: every PNG colour type and bit depth, JPEG colour spaces,
// the packed row layout, per-pixel colours, and damaged input of every length.
#include <gtest/gtest.h>

#include <cstdlib>
#ifdef __linux__
#include <sys/resource.h>
#endif
#include <png.h>
#include <vector>

#include <jpeglib.h>

#include "DataTestSupport.h"
#include "PictureEncoders.h"
#include "VornLib/data/MemoryStream.h"
#include "VornLib/data/NameHash.h"
#include "VornLib/data/Picture.h"

namespace vorn {
namespace {

// Takes over an encoder's malloc'd output; `size` is read only after the call.
std::vector<uint8_t> Adopt(uint8_t* bytes, const size_t* size) {
    std::vector<uint8_t> out;
    if (bytes)
        out.assign(bytes, bytes + *size);
    std::free(bytes);
    return out;
}

constexpr uint32_t kWidth = 3; // odd, so that no row length is a multiple of 4
constexpr uint32_t kHeight = 2;

uint32_t ChannelsOf(int colourType) {
    switch (colourType) {
    case PNG_COLOR_TYPE_GRAY:
    case PNG_COLOR_TYPE_PALETTE:
        return 1;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
        return 2;
    case PNG_COLOR_TYPE_RGB:
        return 3;
    default:
        return 4;
    }
}

// Distinct, recognisable sample bytes; palette indices stay below 5.
std::vector<uint8_t> SourceRows(int colourType, int bitDepth) {
    const uint32_t rowBytes = (kWidth * ChannelsOf(colourType) * uint32_t(bitDepth) + 7) / 8;
    std::vector<uint8_t> rows(rowBytes * kHeight);
    for (size_t i = 0; i < rows.size(); ++i)
        rows[i] = colourType == PNG_COLOR_TYPE_PALETTE ? uint8_t(i % 5) : uint8_t(17 + i * 37);
    return rows;
}

const uint8_t kPalette[] = {10, 20, 30, 40, 50, 60, 70, 80, 90, 200, 210, 220, 1, 2, 3};

std::vector<uint8_t> EncodePng(int colourType, int bitDepth, bool interlaced = false) {
    const std::vector<uint8_t> rows = SourceRows(colourType, bitDepth);
    size_t size = 0;
    const int paletteCount =
        colourType == PNG_COLOR_TYPE_PALETTE ? (bitDepth < 4 ? 1 << bitDepth : 5) : 0;
    return Adopt(TestEncodePng(kWidth, kHeight, colourType, bitDepth, interlaced, rows.data(),
                               kPalette, paletteCount, &size),
                 &size);
}

// What the picture must answer for the pixel whose first source byte is `p`.
Rgba ExpectedColour(PixelFormat format, const uint8_t* p) {
    switch (format) {
    case PixelFormat::Grey8:
    case PixelFormat::Grey16:
        return Rgba{p[0], p[0], p[0], 255};
    case PixelFormat::GreyAlpha16:
        return Rgba{p[0], p[0], p[0], p[1]};
    case PixelFormat::GreyAlpha32:
        return Rgba{p[0], p[0], p[0], p[2]};
    case PixelFormat::Rgb24:
        return Rgba{p[0], p[1], p[2], 255};
    case PixelFormat::Rgba32:
        return Rgba{p[0], p[1], p[2], p[3]};
    case PixelFormat::Palette8:
        return Rgba{kPalette[p[0] * 3], kPalette[p[0] * 3 + 1], kPalette[p[0] * 3 + 2], 255};
    default:
        return Rgba{0, 0, 0, 0};
    }
}

struct PngCase {
    int colourType;
    int bitDepth;
    uint32_t result;
    PixelFormat format;
    uint32_t bits;
};

const PngCase kPngCases[] = {
    {PNG_COLOR_TYPE_GRAY, 1, 3, PixelFormat::None, 0},
    {PNG_COLOR_TYPE_GRAY, 2, 3, PixelFormat::None, 0},
    {PNG_COLOR_TYPE_GRAY, 4, 3, PixelFormat::None, 0},
    {PNG_COLOR_TYPE_GRAY, 8, 0, PixelFormat::Grey8, 8},
    {PNG_COLOR_TYPE_GRAY, 16, 0, PixelFormat::Grey16, 16},
    {PNG_COLOR_TYPE_RGB, 8, 0, PixelFormat::Rgb24, 24},
    {PNG_COLOR_TYPE_RGB, 16, 3, PixelFormat::None, 0},
    {PNG_COLOR_TYPE_PALETTE, 1, 3, PixelFormat::None, 0},
    {PNG_COLOR_TYPE_PALETTE, 4, 3, PixelFormat::None, 0},
    {PNG_COLOR_TYPE_PALETTE, 8, 0, PixelFormat::Palette8, 8},
    {PNG_COLOR_TYPE_GRAY_ALPHA, 8, 0, PixelFormat::GreyAlpha16, 16},
    {PNG_COLOR_TYPE_GRAY_ALPHA, 16, 0, PixelFormat::GreyAlpha32, 32},
    {PNG_COLOR_TYPE_RGB_ALPHA, 8, 0, PixelFormat::Rgba32, 32},
    {PNG_COLOR_TYPE_RGB_ALPHA, 16, 3, PixelFormat::None, 0},
};

TEST(Picture, DecodesEachPngKindItKnowsAndRefusesTheRest) {
    for (const PngCase& c : kPngCases) {
        for (bool interlaced : {false, true}) {
            SCOPED_TRACE(testing::Message() << "colour type " << c.colourType << ", depth "
                                            << c.bitDepth << ", interlaced " << interlaced);
            const std::vector<uint8_t> png = EncodePng(c.colourType, c.bitDepth, interlaced);
            ASSERT_FALSE(png.empty());
            Picture picture;
            ASSERT_EQ(c.result, picture.decode(png.data(), uint32_t(png.size())));
            EXPECT_EQ(c.format, picture.format());
            if (c.result != kResultOk) {
                EXPECT_EQ(nullptr, picture.pixels());
                EXPECT_EQ(0u, picture.width());
                continue;
            }
            ASSERT_EQ(kWidth, picture.width());
            ASSERT_EQ(kHeight, picture.height());
            EXPECT_EQ(c.bits, picture.bitsPerPixel());
            EXPECT_EQ(kWidth * c.bits / 8, picture.rowBytes());
            // Rows packed back to back, samples exactly as stored in the file.
            const std::vector<uint8_t> source = SourceRows(c.colourType, c.bitDepth);
            ASSERT_EQ(source.size(), picture.byteSize());
            EXPECT_EQ(source, std::vector<uint8_t>(picture.pixels(),
                                                   picture.pixels() + picture.byteSize()));
            for (uint32_t y = 0; y < kHeight; ++y) {
                for (uint32_t x = 0; x < kWidth; ++x) {
                    Rgba colour;
                    ASSERT_EQ(0u, picture.pixel(x, y, &colour));
                    const uint8_t* p = source.data() + y * picture.rowBytes() + x * c.bits / 8;
                    EXPECT_EQ(ExpectedColour(c.format, p), colour) << x << "," << y;
                }
            }
        }
    }
}

TEST(Picture, PaletteHoldsThePngColoursOpaqueAndZeroBeyondThem) {
    const std::vector<uint8_t> png = EncodePng(PNG_COLOR_TYPE_PALETTE, 8);
    Picture picture;
    ASSERT_EQ(0u, picture.decode(png.data(), uint32_t(png.size())));
    for (uint32_t i = 0; i < 5; ++i)
        EXPECT_EQ((Rgba{kPalette[i * 3], kPalette[i * 3 + 1], kPalette[i * 3 + 2], 255}),
                  picture.palette()[i]);
    EXPECT_EQ((Rgba{0, 0, 0, 255}), picture.palette()[5]);
    EXPECT_EQ((Rgba{0, 0, 0, 255}), picture.palette()[255]);
}

struct JpegCase {
    int components;
    J_COLOR_SPACE space;
    uint32_t result;
    PixelFormat format;
};

TEST(Picture, DecodesRgbAndGreyJpegAndRefusesOtherColourSpaces) {
    const JpegCase cases[] = {
        {3, JCS_RGB, 0, PixelFormat::Rgb24},
        {1, JCS_GRAYSCALE, 0, PixelFormat::Grey8},
        {4, JCS_CMYK, 3, PixelFormat::None},
    };
    constexpr uint32_t kSide = 16;
    for (const JpegCase& c : cases) {
        SCOPED_TRACE(c.components);
        // Left half one flat colour, right half another: lossy coding keeps
        // flat areas within a few steps.
        std::vector<uint8_t> pixels(kSide * kSide * c.components);
        for (uint32_t y = 0; y < kSide; ++y) {
            for (uint32_t x = 0; x < kSide; ++x) {
                for (int k = 0; k < c.components; ++k)
                    pixels[(y * kSide + x) * c.components + k] =
                        x < kSide / 2 ? uint8_t(200 - k * 90) : uint8_t(30 + k * 80);
            }
        }
        size_t size = 0;
        const std::vector<uint8_t> jpeg = Adopt(
            TestEncodeJpeg(kSide, kSide, c.components, c.space, pixels.data(), 95, &size), &size);
        ASSERT_FALSE(jpeg.empty());
        Picture picture;
        ASSERT_EQ(c.result, picture.decode(jpeg.data(), uint32_t(jpeg.size())));
        EXPECT_EQ(c.format, picture.format());
        if (c.result != kResultOk)
            continue;
        EXPECT_EQ(kSide, picture.width());
        EXPECT_EQ(kSide * c.components, picture.rowBytes());
        for (uint32_t x : {2u, 13u}) {
            Rgba colour;
            ASSERT_EQ(0u, picture.pixel(x, 5, &colour));
            const uint8_t* expected = pixels.data() + (5 * kSide + x) * c.components;
            const uint8_t want[3] = {expected[0], expected[c.components > 1 ? 1 : 0],
                                     expected[c.components > 1 ? 2 : 0]};
            EXPECT_NEAR(want[0], colour.red, 6);
            EXPECT_NEAR(want[1], colour.green, 6);
            EXPECT_NEAR(want[2], colour.blue, 6);
            EXPECT_EQ(255, colour.alpha);
        }
    }
}

// Every prefix of a good file, and single damaged bytes, fail cleanly: the
// codes are 3 (too short for either signature) or 7 (the library refused).
TEST(Picture, TruncatedOrDamagedFilesFailWithoutAHalfPicture) {
    std::vector<uint8_t> rgb(8 * 8 * 3, 128);
    size_t jpegSize = 0;
    const std::vector<uint8_t> files[] = {
        EncodePng(PNG_COLOR_TYPE_RGB, 8),
        EncodePng(PNG_COLOR_TYPE_PALETTE, 8, true),
        Adopt(TestEncodeJpeg(8, 8, 3, JCS_RGB, rgb.data(), 90, &jpegSize), &jpegSize),
    };
    for (const std::vector<uint8_t>& file : files) {
        ASSERT_FALSE(file.empty());
        const bool isPng = file[0] == 0x89;
        const size_t signature = isPng ? 8 : 3;
        for (size_t length = 0; length < file.size(); ++length) {
            SCOPED_TRACE(length);
            Picture picture;
            const uint32_t expected = length < signature ? 3u : 7u;
            ASSERT_EQ(expected, picture.decode(file.data(), uint32_t(length)));
            EXPECT_EQ(nullptr, picture.pixels());
        }
        // A flipped byte inside the PNG chunks trips a CRC; the JPEG's
        // marker bytes are damaged instead.
        std::vector<uint8_t> damaged = file;
        damaged[isPng ? 20 : 3] ^= 0x5A;
        Picture picture;
        EXPECT_EQ(7u, picture.decode(damaged.data(), uint32_t(damaged.size())));
    }
}

// Fuzzing found a progressive JPEG of 259 bytes declaring 65288 x 65496
// pixels: its decoding started before the size was checked, and the start
// sets up and clears coefficient arrays for the whole picture, gigabytes of
// them. Such a size must be refused (24) before anything is decoded. Here the
// same file declares 8192 x 6144, just above the limit, and ends inside its
// first scan, so that decoding first would meet the end of the data (7) at
// once instead of exhausting the machine's memory.
TEST(Picture, OversizedProgressiveJpegIsRefusedBeforeDecodingStarts) {
    static const uint8_t kJpeg[] = {
        0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 0x4A, 0x46, 0x49, 0x46, 0x00, 0x01, 0x01, 0x00, 0x00,
        0x01, 0x00, 0x01, 0x00, 0x00, 0xFF, 0xDB, 0x00, 0x43, 0x00, 0x03, 0x02, 0x02, 0x02, 0x02,
        0x02, 0x03, 0x02, 0xFF, 0x01, 0x03, 0x03, 0x03, 0x03, 0x04, 0x06, 0x04, 0x04, 0x04, 0x04,
        0x04, 0x06, 0x00, 0x06, 0x05, 0x06, 0x09, 0x08, 0x0A, 0x0A, 0x09, 0x08, 0x09, 0x09, 0x0A,
        0x0C, 0x0F, 0x0C, 0x0A, 0x0B, 0x0E, 0x0B, 0x09, 0x09, 0x0D, 0x11, 0x0D, 0x0E, 0x0F, 0x60,
        0x10, 0x11, 0x10, 0x0A, 0x0C, 0x12, 0x13, 0x12, 0x10, 0x13, 0x0F, 0x10, 0x10, 0x10, 0xFF,
        0xDB, 0x00, 0x43, 0x01, 0x03, 0x03, 0x03, 0x04, 0x03, 0x04, 0x08, 0x04, 0x04, 0x08, 0x10,
        0x0B, 0x09, 0x0B, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
        0x00, 0x03, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10,
        0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10,
        0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0xFF, 0xC2, 0x00, 0x11, 0x08, 0x18, 0x00,
        0x20, 0x00, 0x03, 0x01, 0x11, 0x00, 0x02, 0x11, 0x01, 0x03, 0x11, 0x01, 0xFF, 0xC4, 0x00,
        0x14, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
        0x00, 0x00, 0x00, 0x07, 0xFF, 0xC4, 0x00, 0x15, 0x01, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00,
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x06, 0x07, 0xFF, 0xDA, 0x00,
        0x0C, 0x03, 0x01, 0x00, 0x02, 0x10, 0x03, 0x10, 0x00, 0x00, 0x01, 0x13, 0xAA, 0x2E, 0x00,
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x01, 0x3F, 0x10,
        0x55, 0x9F,
    };
    Picture picture;
    EXPECT_EQ(24u, picture.decode(kJpeg, uint32_t(sizeof(kJpeg))));
    EXPECT_EQ(nullptr, picture.pixels());
}

// A chunk of text or colour data after the header, with its CRC.
std::vector<uint8_t> WithChunkAfterHeader(std::vector<uint8_t> png, const char* type,
                                          const std::vector<uint8_t>& data) {
    std::vector<uint8_t> chunk = {uint8_t(data.size() >> 24), uint8_t(data.size() >> 16),
                                  uint8_t(data.size() >> 8), uint8_t(data.size())};
    chunk.insert(chunk.end(), type, type + 4);
    chunk.insert(chunk.end(), data.begin(), data.end());
    const uint32_t crc = Crc32(0, chunk.data() + 4, 4 + data.size());
    for (int shift = 24; shift >= 0; shift -= 8)
        chunk.push_back(uint8_t(crc >> shift));
    constexpr size_t kAfterHeader = 8 + 12 + 13; // signature, IHDR
    png.insert(png.begin() + kAfterHeader, chunk.begin(), chunk.end());
    return png;
}

TEST(Picture, TextAndPaletteSuggestionChunksAreReadThroughWithoutChangingThePixels) {
    const std::vector<uint8_t> plain = EncodePng(PNG_COLOR_TYPE_RGB, 8);
    const char kText[] = "Comment\0made by a test";
    std::vector<uint8_t> withChunks =
        WithChunkAfterHeader(plain, "tEXt", std::vector<uint8_t>(kText, kText + sizeof kText - 1));
    withChunks = WithChunkAfterHeader(withChunks, "sPLT", {'s', 0, 8, 1, 2, 3, 4, 0, 9});
    Picture expected, picture;
    ASSERT_EQ(kResultOk, expected.decode(plain.data(), uint32_t(plain.size())));
    ASSERT_EQ(kResultOk, picture.decode(withChunks.data(), uint32_t(withChunks.size())));
    ASSERT_EQ(expected.width(), picture.width());
    Rgba want = {}, got = {};
    ASSERT_EQ(kResultOk, expected.pixel(2, 1, &want));
    ASSERT_EQ(kResultOk, picture.pixel(2, 1, &got));
    EXPECT_EQ(want.red, got.red);
    EXPECT_EQ(want.blue, got.blue);
}

#ifdef __linux__
// Found by fuzzing: 130 bytes whose second chunk, a palette suggestion,
// declares 1.9 GB. libpng allocated (and the system touched) all of it before
// finding the data missing. Measured in a child process, whose peak resident
// size is its own.
TEST(PictureDeathTest, ChunkDeclaringGigabytesTakesNoMemory) {
    const std::vector<uint8_t> header = WithChunkAfterHeader(EncodePng(PNG_COLOR_TYPE_PALETTE, 8),
                                                             "sPLT", {'s', 0, 8, 1, 2, 3, 4, 0, 9});
    std::vector<uint8_t> bytes(header.begin(), header.begin() + 33);
    const uint8_t kHugeChunk[] = {0x73, 0, 0, 0, 's', 'P', 'L', 'T', 0, 0x80, 0, 0, 0x0f, 0x87};
    bytes.insert(bytes.end(), kHugeChunk, kHugeChunk + sizeof kHugeChunk);
    EXPECT_EXIT(
        {
            Picture picture;
            (void)picture.decode(bytes.data(), uint32_t(bytes.size()));
            rusage usage = {};
            getrusage(RUSAGE_SELF, &usage);
            std::exit(usage.ru_maxrss < 256 * 1024 ? 0 : 1); // kilobytes
        },
        ::testing::ExitedWithCode(0), "");
}
#endif

TEST(Picture, DataOfNeitherKindIsUnsupportedAndNullIsRefused) {
    const std::vector<uint8_t> text = SampleText(200);
    Picture picture;
    EXPECT_EQ(3u, picture.decode(text.data(), uint32_t(text.size())));
    EXPECT_EQ(3u, picture.decode(text.data(), 0));
    EXPECT_EQ(15u, picture.decode(static_cast<const uint8_t*>(nullptr), 10));
    EXPECT_EQ(15u, picture.decode(static_cast<Stream*>(nullptr)));
}

TEST(Picture, DecodesFromTheStreamPositionToItsEnd) {
    std::vector<uint8_t> bytes = SampleText(5);
    const std::vector<uint8_t> png = EncodePng(PNG_COLOR_TYPE_RGB_ALPHA, 8);
    bytes.insert(bytes.end(), png.begin(), png.end());
    MemoryStream stream(bytes.data(), uint32_t(bytes.size()), u"picture");
    ASSERT_EQ(0u, stream.seek(5));
    Picture picture;
    ASSERT_EQ(0u, picture.decode(&stream));
    EXPECT_EQ(PixelFormat::Rgba32, picture.format());
    EXPECT_TRUE(HasAlpha(picture.format()));
    EXPECT_EQ(3u, picture.decode(&stream)); // now at its end
}

TEST(Picture, PixelOutsideThePictureIsOutOfRange) {
    Picture picture;
    ASSERT_EQ(0u, picture.create(4, 2, PixelFormat::Rgb24));
    Rgba colour{1, 2, 3, 4};
    EXPECT_EQ(0u, picture.pixel(3, 1, &colour));
    EXPECT_EQ((Rgba{0, 0, 0, 255}), colour);
    EXPECT_EQ(37u, picture.pixel(4, 0, &colour));
    EXPECT_EQ((Rgba{0, 0, 0, 0}), colour);
    EXPECT_EQ(37u, picture.pixel(0, 2, &colour));
    EXPECT_EQ(37u, picture.pixel(UINT32_MAX, 0, &colour));
    EXPECT_EQ(23u, picture.pixel(0, 0, nullptr));
    EXPECT_EQ(5u, picture.create(0, 2, PixelFormat::Rgb24));
    EXPECT_EQ(24u, picture.create(65536, 65536, PixelFormat::Rgba32));
    EXPECT_EQ(nullptr, picture.pixels());
}

TEST(Picture, GreyUsesTheWeights54And183And19) {
    const struct {
        uint8_t red, green, blue, grey;
    } cases[] = {
        {0, 0, 0, 0},    {255, 255, 255, 255}, {255, 0, 0, 53},    {0, 255, 0, 182},
        {0, 0, 255, 18}, {100, 100, 100, 100}, {10, 200, 30, 147},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.grey, GreyOf(c.red, c.green, c.blue)) << int(c.red) << "," << int(c.green);
}

} // namespace
} // namespace vorn
