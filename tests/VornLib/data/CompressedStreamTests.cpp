#include <gtest/gtest.h>

#include <memory>
#include <set>

#include "DataTestSupport.h"
#include "TestText.h"
#include "Tools/VornPack/EntryEncoder.h"
#include "VornLib/data/LZHStream.h"
#include "VornLib/data/LZMAStream.h"
#include "VornLib/data/LZOStream.h"

namespace vorn {
namespace {

using vornpack::AppendVarint;
using vornpack::EncodedEntry;
using vornpack::EncoderSettings;

// Bytes before the packed data: the streams must start where the container is.
constexpr uint32_t kLeadIn = 13;

struct KindCase {
    const char* name;
    CompressionKind kind;
};
const KindCase kKinds[] = {
    {"deflate", CompressionKind::Deflate}, {"lzo", CompressionKind::Lzo},
    {"lzma", CompressionKind::Lzma},       {"ppmd", CompressionKind::Ppmd},
    {"lzma2", CompressionKind::Lzma2},
};

// Small blocks and a small PPMd model keep the tests quick while still
// crossing block boundaries.
EncoderSettings TestSettings() {
    EncoderSettings settings;
    settings.blockSize = 10000;
    settings.ppmdMemory = 16u << 20;
    return settings;
}

// One opened stream of the kind over lead-in bytes plus the packed data.
struct OpenedEntry {
    GrowableStream container;
    std::unique_ptr<CompressedStream> stream;
    Result openResult = kResultFailed;
};

std::unique_ptr<OpenedEntry> OpenPacked(CompressionKind kind, const std::vector<uint8_t>& packed,
                                        uint64_t unpackedSize) {
    auto entry = std::make_unique<OpenedEntry>();
    entry->container.bytes().assign(kLeadIn, 0xEE);
    entry->container.bytes().insert(entry->container.bytes().end(), packed.begin(), packed.end());
    (void)entry->container.seek(kLeadIn);
    switch (kind) {
    case CompressionKind::Deflate: {
        auto stream = std::make_unique<LZHStream>();
        entry->openResult = stream->open(&entry->container, packed.size(), unpackedSize);
        entry->stream = std::move(stream);
        break;
    }
    case CompressionKind::Lzo: {
        auto stream = std::make_unique<LZOStream>();
        entry->openResult = stream->open(&entry->container, packed.size(), unpackedSize);
        entry->stream = std::move(stream);
        break;
    }
    default: {
        auto stream = std::make_unique<LZMAStream>(LZMAMethod(uint32_t(kind)));
        entry->openResult = stream->open(&entry->container, packed.size(), unpackedSize);
        entry->stream = std::move(stream);
    }
    }
    return entry;
}

std::vector<uint8_t> Encode(CompressionKind kind, const std::vector<uint8_t>& data,
                            const EncoderSettings& settings = TestSettings()) {
    EncodedEntry encoded;
    EXPECT_EQ(0u, vornpack::EncodeEntry(kind, data.data(), data.size(), settings, &encoded));
    EXPECT_EQ(kind, encoded.kind);
    return encoded.packed;
}

// Reads everything in uneven pieces; the result code of the first failure.
Result ReadAll(Stream* stream, std::vector<uint8_t>* out) {
    static const uint32_t kPieces[] = {1, 7, 4096, 3, 20000, 2, 65536};
    out->assign(size_t(stream->size()), 0);
    size_t done = 0;
    for (size_t i = 0; done < out->size(); ++i) {
        const uint32_t piece = uint32_t(std::min<size_t>(kPieces[i % 7], out->size() - done));
        const Result result = stream->read(out->data() + done, piece);
        if (result != kResultOk)
            return result;
        done += piece;
    }
    return kResultOk;
}

TEST(CompressedStreams, RoundTripEveryKindAndContent) {
    struct Content {
        const char* name;
        std::vector<uint8_t> bytes;
    };
    const Content kContents[] = {
        {"one byte", {42}},
        {"text", SampleText(54321)},
        {"noise", SampleNoise(25000)},
        {"mixed", SampleMixed(70000)},
        {"zeros", std::vector<uint8_t>(30001, 0)},
    };
    for (const KindCase& kind : kKinds) {
        for (const Content& content : kContents) {
            SCOPED_TRACE(std::string(kind.name) + " / " + content.name);
            EncodedEntry encoded;
            ASSERT_EQ(0u, vornpack::EncodeEntry(kind.kind, content.bytes.data(),
                                                content.bytes.size(), TestSettings(), &encoded));
            if (encoded.kind == CompressionKind::Stored) {
                // Only deflate falls back to storing the whole entry.
                EXPECT_EQ(CompressionKind::Deflate, kind.kind);
                EXPECT_EQ(content.bytes, encoded.packed);
                continue;
            }
            auto entry = OpenPacked(kind.kind, encoded.packed, content.bytes.size());
            ASSERT_EQ(0u, entry->openResult);
            std::vector<uint8_t> got;
            ASSERT_EQ(0u, ReadAll(entry->stream.get(), &got));
            EXPECT_EQ(content.bytes, got);
            EXPECT_TRUE(entry->stream->atEnd());
            uint8_t byte;
            EXPECT_EQ(19u, entry->stream->read(&byte, 1));
        }
    }
}

TEST(CompressedStreams, IncompressibleBlocksAreWrittenRawAndReadBack) {
    const std::vector<uint8_t> noise = SampleNoise(25000); // three blocks of 10000
    for (const KindCase& kind : kKinds) {
        if (kind.kind == CompressionKind::Deflate)
            continue;
        SCOPED_TRACE(kind.name);
        const std::vector<uint8_t> packed = Encode(kind.kind, noise);
        const size_t properties = kind.kind == CompressionKind::Lzo ? 0 : 5;
        // Each block: U varint (2 bytes), P = 0 (1 byte), the raw bytes.
        EXPECT_EQ(properties + 3 * 3 + noise.size(), packed.size());
        auto entry = OpenPacked(kind.kind, packed, noise.size());
        std::vector<uint8_t> got;
        ASSERT_EQ(0u, ReadAll(entry->stream.get(), &got));
        EXPECT_EQ(noise, got);
    }
}

TEST(CompressedStreams, PayloadPropertiesAreTheDefaults) {
    const std::vector<uint8_t> text = SampleText(1000);
    EncoderSettings settings = TestSettings();
    settings.ppmdMemory = EncoderSettings().ppmdMemory;
    const std::vector<uint8_t> lzma = Encode(CompressionKind::Lzma, text, settings);
    EXPECT_EQ((std::vector<uint8_t>{0x08, 0x00, 0x00, 0x40, 0x00}),
              std::vector<uint8_t>(lzma.begin(), lzma.begin() + 5));
    const std::vector<uint8_t> ppmd = Encode(CompressionKind::Ppmd, text, settings);
    EXPECT_EQ((std::vector<uint8_t>{32, 0x00, 0x00, 0x00, 0x0C}),
              std::vector<uint8_t>(ppmd.begin(), ppmd.begin() + 5));
    // An LZMA block starts a new range coder, whose first byte is 0.
    EXPECT_EQ(0, lzma[5 + 2 + 2]);
}

TEST(CompressedStreams, ReadBoundsAndRefusedOperations) {
    const std::vector<uint8_t> text = SampleText(5000);
    for (const KindCase& kind : kKinds) {
        SCOPED_TRACE(kind.name);
        auto entry = OpenPacked(kind.kind, Encode(kind.kind, text), text.size());
        CompressedStream* stream = entry->stream.get();
        std::vector<uint8_t> buffer(text.size() + 1);
        const uint32_t readsBefore = entry->container.reads;
        EXPECT_EQ(19u, stream->read(buffer.data(), uint32_t(text.size() + 1)));
        EXPECT_EQ(readsBefore, entry->container.reads); // refused before consuming anything
        EXPECT_EQ(15u, stream->read(nullptr, 1));
        EXPECT_EQ(0u, stream->read(buffer.data(), 0));
        EXPECT_EQ(2u, stream->seek(0));
        EXPECT_EQ(4u, stream->write(buffer.data(), 1));
        ASSERT_EQ(0u, stream->read(buffer.data(), uint32_t(text.size())));
        EXPECT_TRUE(std::equal(text.begin(), text.end(), buffer.begin()));
        EXPECT_EQ(text.size(), stream->position());
        (void)stream->close();
        EXPECT_EQ(4u, stream->read(buffer.data(), 1));
    }
}

TEST(CompressedStreams, OpenNeedsAnUnderlyingStream) {
    LZHStream deflate;
    LZOStream lzo;
    LZMAStream lzma(LZMAMethod::Lzma);
    EXPECT_EQ(5u, deflate.open(nullptr, 1, 1));
    EXPECT_EQ(5u, lzo.open(nullptr, 1, 1));
    EXPECT_EQ(5u, lzma.open(nullptr, 1, 1));
}

TEST(CompressedStreams, Descriptions) {
    const std::vector<uint8_t> text = SampleText(3000);
    const std::vector<uint8_t> packed = Encode(CompressionKind::Lzma, text);
    auto entry = OpenPacked(CompressionKind::Lzma, packed, text.size());
    EXPECT_EQ("LZMAStream(" + std::to_string(packed.size()) + " packed,3000 unpacked)",
              ToPrintable(entry->stream->description().data()));
    EXPECT_EQ("LZHStream(0 packed,0 unpacked)", ToPrintable(LZHStream().description().data()));
    EXPECT_EQ("LZOStream(0 packed,0 unpacked)", ToPrintable(LZOStream().description().data()));
}

// Block framing written by hand, for the damage a real encoder never makes.
std::vector<uint8_t> Framed(const std::vector<uint8_t>& properties,
                            std::initializer_list<uint32_t> varints,
                            const std::vector<uint8_t>& data = {}) {
    std::vector<uint8_t> out = properties;
    for (uint32_t value : varints)
        AppendVarint(&out, value);
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

TEST(CompressedStreams, DamagedFramingGivesTheRightCode) {
    const std::vector<uint8_t> lzmaProperties = {0x08, 0, 0, 0x40, 0};
    struct Case {
        const char* name;
        CompressionKind kind;
        std::vector<uint8_t> packed;
        uint64_t unpackedSize;
        uint32_t expected;
    };
    const Case kCases[] = {
        {"raw block", CompressionKind::Lzo, Framed({}, {4, 0}, {1, 2, 3, 4}), 4, 0},
        {"raw block cut short", CompressionKind::Lzo, Framed({}, {4, 0}, {1, 2}), 4, 19},
        {"no blocks at all", CompressionKind::Lzma, lzmaProperties, 4, 19},
        {"block longer than the entry", CompressionKind::Lzo, Framed({}, {5, 0}, {1, 2, 3, 4, 5}),
         4, 7},
        {"block above the limit", CompressionKind::Lzma,
         Framed(lzmaProperties, {BlockStream::kMaxBlockSize + 1, 0}), 1ull << 40, 7},
        {"varint over 32 bits", CompressionKind::Lzo, {0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 0}, 4, 7},
        {"packed length past the data", CompressionKind::Lzo, Framed({}, {4, 9}, {1, 2}), 4, 19},
        {"lzo garbage", CompressionKind::Lzo, Framed({}, {4, 3}, {0xFF, 0xFF, 0xFF}), 4, 7},
        {"lzma garbage", CompressionKind::Lzma, Framed(lzmaProperties, {4, 3}, {0, 0xFF, 0xFF}), 4,
         7},
        {"properties cut short", CompressionKind::Lzma, {0x08, 0}, 4, 19},
        {"lzma properties out of range", CompressionKind::Lzma, {225, 0, 0, 0x40, 0}, 4, 7},
        {"lzma2 dictionary out of range", CompressionKind::Lzma2, {41, 0, 0, 0, 0}, 4, 7},
        {"ppmd order too small", CompressionKind::Ppmd, {1, 0, 0, 0, 1}, 4, 7},
        {"ppmd model too large", CompressionKind::Ppmd, {6, 0, 0, 0, 0x50}, 4, 7},
        {"ppmd first byte not 0", CompressionKind::Ppmd,
         Framed({6, 0, 0, 0, 1}, {4, 5}, {1, 0, 0, 0, 0}), 4, 7},
    };
    for (const Case& test : kCases) {
        SCOPED_TRACE(test.name);
        auto entry = OpenPacked(test.kind, test.packed, test.unpackedSize);
        Result result = entry->openResult;
        uint8_t bytes[4];
        if (result == kResultOk)
            result = entry->stream->read(bytes, 4);
        EXPECT_EQ(test.expected, result);
    }
}

TEST(CompressedStreams, BlockLengthMismatchFails) {
    const std::vector<uint8_t> text = SampleText(300);
    for (const KindCase& kind : kKinds) {
        // PPMd has no end of its own: one symbol more decodes from the flushed
        // range coder, so only running out of packed bytes can be seen there.
        if (kind.kind == CompressionKind::Deflate || kind.kind == CompressionKind::Ppmd)
            continue;
        SCOPED_TRACE(kind.name);
        std::vector<uint8_t> packed = Encode(kind.kind, text);
        // Claim one byte more than the block decodes to (U is the 2-byte varint
        // after the properties).
        const size_t at = kind.kind == CompressionKind::Lzo ? 0 : 5;
        ASSERT_EQ(300u & 0x7F, packed[at] & 0x7F);
        packed[at] += 1;
        auto entry = OpenPacked(kind.kind, packed, 301);
        std::vector<uint8_t> got;
        EXPECT_EQ(7u, ReadAll(entry->stream.get(), &got));
    }
}

TEST(CompressedStreams, DeflateDamage) {
    const std::vector<uint8_t> text = SampleText(20000);
    std::vector<uint8_t> packed = Encode(CompressionKind::Deflate, text);
    std::vector<uint8_t> got;
    {
        std::vector<uint8_t> cut(packed.begin(), packed.begin() + long(packed.size() / 2));
        auto entry = OpenPacked(CompressionKind::Deflate, cut, text.size());
        EXPECT_EQ(19u, ReadAll(entry->stream.get(), &got));
    }
    {
        auto entry = OpenPacked(CompressionKind::Deflate, packed, text.size() + 10);
        EXPECT_EQ(19u, ReadAll(entry->stream.get(), &got)); // data ends before the stated size
    }
    {
        packed[0] ^= 0xFF; // the zlib header
        auto entry = OpenPacked(CompressionKind::Deflate, packed, text.size());
        EXPECT_EQ(15u, ReadAll(entry->stream.get(), &got));
    }
}

// Any single damaged byte ends in a result code (or, where the format has no
// check, in other bytes), never outside the buffers: run under the sanitizers.
TEST(CompressedStreams, EveryDamagedByteIsContained) {
    const std::vector<uint8_t> text = SampleMixed(2500);
    EncoderSettings settings = TestSettings();
    settings.blockSize = 1000;
    const std::set<uint32_t> kAllowed = {0, 7, 15, 19};
    for (const KindCase& kind : kKinds) {
        SCOPED_TRACE(kind.name);
        const std::vector<uint8_t> packed = Encode(kind.kind, text, settings);
        for (size_t at = 0; at < packed.size(); ++at) {
            std::vector<uint8_t> damaged = packed;
            damaged[at] ^= uint8_t(0x55 + at);
            auto entry = OpenPacked(kind.kind, damaged, text.size());
            std::vector<uint8_t> got;
            const Result result =
                entry->openResult ? entry->openResult : ReadAll(entry->stream.get(), &got);
            ASSERT_TRUE(kAllowed.count(result)) << "byte " << at << " gave " << result;
        }
    }
}

} // namespace
} // namespace vorn
