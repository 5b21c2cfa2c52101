#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "GrowableStream.h"
#include "TestText.h"
#include "VornLib/core/TextReader.h"

namespace vorn {
namespace {

using Bytes = std::vector<uint8_t>;

// Reads everything; returns the units and the result that stopped reading.
Result ReadAll(TextReader& reader, std::u16string* units) {
    for (;;) {
        char16_t unit = 0;
        const Result result = reader.readUnit(&unit);
        if (result != kResultOk)
            return result;
        units->push_back(unit);
    }
}

struct DecodeCase {
    const char* name;
    Bytes bytes;
    TextEncoding defaultKind;
    std::u16string units;
    uint32_t stop; // what ends the reading
    TextEncoding kind;
    uint64_t position; // bytes consumed by the units delivered
};

TEST(TextReader, DecodesByMarkOrDefaultKind) {
    const TextEncoding utf8 = TextEncoding::Utf8;
    const DecodeCase cases[] = {
        {"utf-8 mark", {0xEF, 0xBB, 0xBF, 0x3C, 0x61, 0x2F, 0x3E}, utf8, u"<a/>", 19, utf8, 7},
        {"utf-16le mark", {0xFF, 0xFE, 0x3C, 0x00}, utf8, u"<", 19, TextEncoding::Utf16LE, 4},
        {"utf-16be mark", {0xFE, 0xFF, 0x00, 0x3C}, utf8, u"<", 19, TextEncoding::Utf16BE, 4},
        {"broken utf-8 mark", {0xEF, 0xBB, 0x41}, utf8, u"", 3, TextEncoding::Detect, 0},
        {"cut utf-8 mark", {0xEF}, utf8, u"", 3, TextEncoding::Detect, 0},
        {"broken le mark", {0xFF, 0x41}, utf8, u"", 3, TextEncoding::Detect, 0},
        {"broken be mark", {0xFE, 0x00}, utf8, u"", 3, TextEncoding::Detect, 0},
        {"two bytes", {0xC3, 0xA9}, utf8, u"\u00E9", 19, utf8, 2},
        {"three bytes", {0xE2, 0x82, 0xAC}, utf8, u"\u20AC", 19, utf8, 3},
        {"bad second of two", {0xC3, 0x41}, utf8, u"\uFFFDA", 19, utf8, 2},
        {"bad second of three", {0xE2, 0x41}, utf8, u"\uFFFDA", 19, utf8, 2},
        {"bad third of three", {0xE2, 0x82, 0x41}, utf8, u"\uFFFDA", 19, utf8, 3},
        {"bad byte starts a sequence", {0xC3, 0xC3, 0xA9}, utf8, u"\uFFFD\u00E9", 19, utf8, 3},
        {"cut at end of stream", {0x41, 0xE2, 0x82}, utf8, u"A\uFFFD", 19, utf8, 3},
        {"four-byte sequence", {0xF0, 0x9F, 0x98, 0x80}, utf8, u"", 34, utf8, 0},
        {"stray continuation", {0x41, 0x80, 0x42}, utf8, u"A", 34, utf8, 1},
        {"lead FF after start", {0x41, 0xFF}, utf8, u"A", 34, utf8, 1},
        {"ansi default",
         {0xE9, 0x80},
         TextEncoding::Ansi,
         u"\u00E9\u0080",
         19,
         TextEncoding::Ansi,
         2},
        {"utf-16le without mark",
         {0x41, 0x00, 0xAC, 0x20},
         TextEncoding::Utf16LE,
         u"A\u20AC",
         19,
         TextEncoding::Utf16LE,
         4},
        {"utf-16be without mark",
         {0x00, 0x41},
         TextEncoding::Utf16BE,
         u"A",
         19,
         TextEncoding::Utf16BE,
         2},
        {"odd utf-16 length",
         {0xFF, 0xFE, 0x41, 0x00, 0x42},
         utf8,
         u"A",
         34,
         TextEncoding::Utf16LE,
         4},
        {"detect default means utf-8", {0xC3, 0xA9}, TextEncoding::Detect, u"\u00E9", 19, utf8, 2},
        {"empty stream", {}, utf8, u"", 19, TextEncoding::Detect, 0},
    };
    for (const DecodeCase& c : cases) {
        SCOPED_TRACE(c.name);
        GrowableStream stream(c.bytes);
        TextReader reader;
        ASSERT_EQ(kResultOk, reader.attach(&stream));
        reader.setEncoding(c.defaultKind);
        std::u16string units;
        EXPECT_EQ(c.stop, ReadAll(reader, &units));
        EXPECT_EQ(ToPrintable(c.units.c_str()), ToPrintable(units.c_str()));
        EXPECT_EQ(c.kind, reader.encoding());
        EXPECT_EQ(c.position, reader.bytePosition());
        char16_t unit = 1;
        EXPECT_EQ(c.stop, reader.readUnit(&unit)) << "the stop is final";
        EXPECT_EQ(0, unit);
    }
}

// A multi-byte sequence cut by the 16384-byte read must be completed from the
// stream, wherever the cut falls inside it.
TEST(TextReader, SequencesCutAtTheBufferEdgeAreCompleted) {
    for (uint32_t lead = TextReader::kBufferUnits - 3; lead <= TextReader::kBufferUnits; ++lead) {
        for (const Bytes& sequence : {Bytes{0xC3, 0xA9}, Bytes{0xE2, 0x82, 0xAC}}) {
            SCOPED_TRACE(lead);
            Bytes bytes(lead, 'a');
            bytes.insert(bytes.end(), sequence.begin(), sequence.end());
            bytes.push_back('z');
            GrowableStream stream(bytes);
            TextReader reader;
            ASSERT_EQ(kResultOk, reader.attach(&stream));
            std::u16string units;
            EXPECT_EQ(kResultEndOfData, ReadAll(reader, &units));
            ASSERT_EQ(lead + 2, units.size());
            EXPECT_EQ(sequence.size() == 2 ? 0x00E9 : 0x20AC, units[lead]);
            EXPECT_EQ(u'z', units[lead + 1]);
            EXPECT_EQ(bytes.size(), reader.bytePosition());
            EXPECT_TRUE(reader.atEnd());
        }
    }
}

TEST(TextReader, BytePositionFollowsDeliveredUnits) {
    GrowableStream stream(Bytes{'a', 0xC3, 0xA9, 0xE2, 0x82, 0xAC, 'b'});
    TextReader reader;
    ASSERT_EQ(kResultOk, reader.attach(&stream));
    const uint64_t expected[] = {1, 3, 6, 7};
    for (uint64_t position : expected) {
        EXPECT_FALSE(reader.atEnd());
        char16_t unit = 0;
        ASSERT_EQ(kResultOk, reader.readUnit(&unit));
        EXPECT_EQ(position, reader.bytePosition());
    }
    EXPECT_TRUE(reader.atEnd());
}

TEST(TextReader, LongUtf16InputCrossesSeveralBuffers) {
    Bytes bytes{0xFE, 0xFF};
    const uint32_t count = 3 * TextReader::kBufferUnits + 5;
    for (uint32_t i = 0; i < count; ++i) {
        bytes.push_back(uint8_t((i * 7) >> 8));
        bytes.push_back(uint8_t(i * 7));
    }
    GrowableStream stream(bytes);
    TextReader reader;
    ASSERT_EQ(kResultOk, reader.attach(&stream));
    std::u16string units;
    EXPECT_EQ(kResultEndOfData, ReadAll(reader, &units));
    ASSERT_EQ(count, units.size());
    for (uint32_t i = 0; i < count; ++i)
        ASSERT_EQ(char16_t(i * 7), units[i]) << i;
}

TEST(TextReader, ChangingTheKindDecodesTheRestAgain) {
    GrowableStream stream(Bytes{'a', 0xE9, 'b', 'c'});
    TextReader reader;
    ASSERT_EQ(kResultOk, reader.attach(&stream));
    char16_t unit = 0;
    ASSERT_EQ(kResultOk, reader.readUnit(&unit));
    EXPECT_EQ(TextEncoding::Utf8, reader.encoding());
    reader.setEncoding(TextEncoding::Ansi);
    EXPECT_EQ(TextEncoding::Ansi, reader.encoding());
    std::u16string units;
    EXPECT_EQ(kResultEndOfData, ReadAll(reader, &units));
    EXPECT_EQ(u"\u00E9bc", units);
    EXPECT_EQ(4u, reader.bytePosition());
}

TEST(TextReader, ArgumentsAndStreamErrors) {
    TextReader reader;
    char16_t unit = 0;
    EXPECT_EQ(kResultNullInput, reader.attach(nullptr));
    EXPECT_EQ(kResultNullOutput, reader.readUnit(&unit)) << "nothing attached";
    EXPECT_EQ(u"n/a", reader.describe());

    GrowableStream stream(Bytes{'a', 'b', 'c', 'd', 'e'});
    ASSERT_EQ(kResultOk, reader.attach(&stream));
    EXPECT_EQ(kResultNullOutput, reader.readUnit(nullptr));
    EXPECT_EQ(u"Bytes", reader.describe()) << "undecided kind: no wrapping";
    char16_t units[4] = {};
    EXPECT_EQ(kResultOk, reader.readUnits(units, 5)) << "two units for five bytes";
    EXPECT_EQ(u'a', units[0]);
    EXPECT_EQ(u'b', units[1]);
    EXPECT_EQ(0, units[2]);
    EXPECT_EQ(u"UTF-8(Bytes)", reader.describe());
    EXPECT_EQ(kResultEndOfData, reader.readUnits(units, 8));

    GrowableStream failing(Bytes{'a'});
    failing.failReadsWith = kResultCrcError;
    ASSERT_EQ(kResultOk, reader.attach(&failing));
    EXPECT_EQ(kResultCrcError, reader.readUnit(&unit));
}

TEST(TextReader, DescriptionNamesTheKind) {
    const struct {
        Bytes bytes;
        const char16_t* description;
    } cases[] = {
        {{0xEF, 0xBB, 0xBF, 'a'}, u"UTF-8(Bytes)"},
        {{0xFF, 0xFE, 'a', 0}, u"UTF-16-LE(Bytes)"},
        {{0xFE, 0xFF, 0, 'a'}, u"UTF-16-BE(Bytes)"},
    };
    for (const auto& c : cases) {
        GrowableStream stream(c.bytes);
        TextReader reader;
        ASSERT_EQ(kResultOk, reader.attach(&stream));
        char16_t unit = 0;
        ASSERT_EQ(kResultOk, reader.readUnit(&unit));
        EXPECT_EQ(u'a', unit);
        EXPECT_EQ(c.description, reader.describe());
    }
    GrowableStream stream(Bytes{'a'});
    TextReader reader;
    ASSERT_EQ(kResultOk, reader.attach(&stream));
    reader.setEncoding(TextEncoding::Ansi);
    char16_t unit = 0;
    ASSERT_EQ(kResultOk, reader.readUnit(&unit));
    EXPECT_EQ(u"ANSI(Bytes)", reader.describe());
}

struct EncodeCase {
    TextEncoding kind;
    std::u16string units;
    Bytes bytes;
};

TEST(TextWriter, EncodesEachKind) {
    const EncodeCase cases[] = {
        {TextEncoding::Utf8, u"\u00E9", {0xC3, 0xA9}},
        {TextEncoding::Utf8, u"A\u20AC", {0x41, 0xE2, 0x82, 0xAC}},
        {TextEncoding::Utf8, u"\u07FF\u0800", {0xDF, 0xBF, 0xE0, 0xA0, 0x80}},
        {TextEncoding::Utf8, u"\xD83D", {0xED, 0xA0, 0xBD}},
        {TextEncoding::Ansi, u"\u00E9", {0xE9}},
        {TextEncoding::Ansi, u"\u20AC", {0xAC}},
        {TextEncoding::Utf16LE, u"A\u20AC", {0x41, 0x00, 0xAC, 0x20}},
        {TextEncoding::Utf16BE, u"A\u20AC", {0x00, 0x41, 0x20, 0xAC}},
    };
    for (const EncodeCase& c : cases) {
        GrowableStream stream;
        TextWriter writer;
        ASSERT_EQ(kResultOk, writer.attach(&stream, c.kind));
        EXPECT_EQ(kResultOk, writer.write(c.units.data(), uint32_t(c.units.size() * 2)));
        EXPECT_EQ(c.bytes, stream.bytes()) << ToPrintable(c.units.c_str());
    }
}

TEST(TextWriter, RefusesBadArguments) {
    GrowableStream stream;
    TextWriter writer;
    EXPECT_EQ(kResultNullInput, writer.attach(nullptr, TextEncoding::Utf8));
    EXPECT_EQ(kResultNullOutput, writer.write(u"a", 2)) << "nothing attached";
    ASSERT_EQ(kResultOk, writer.attach(&stream, TextEncoding::Utf8));
    EXPECT_EQ(kResultNullInput, writer.write(nullptr, 2));
    EXPECT_EQ(kResultOk, writer.write(u"a", 0));
    EXPECT_EQ(kResultEmptyInput, writer.write(u"ab", 3));
    writer.setEncoding(TextEncoding::Detect);
    EXPECT_EQ(kResultUnsupportedFormat, writer.write(u"a", 2));
    writer.setEncoding(TextEncoding(9));
    EXPECT_EQ(kResultUnsupportedFormat, writer.write(u"a", 2));
    EXPECT_TRUE(stream.bytes().empty());
    writer.setEncoding(TextEncoding::Utf16BE);
    EXPECT_EQ(u"UTF-16-BE(Bytes)", writer.describe());
}

// Every unit survives writing and reading back, across many write pieces and
// reader buffers.
TEST(TextWriter, RoundTripsThroughTheReader) {
    std::u16string all;
    for (uint32_t unit = 1; unit <= 0xFFFF; ++unit)
        all.push_back(char16_t(unit));
    for (TextEncoding kind : {TextEncoding::Utf8, TextEncoding::Utf16LE, TextEncoding::Utf16BE}) {
        GrowableStream stream;
        TextWriter writer;
        ASSERT_EQ(kResultOk, writer.attach(&stream, kind));
        ASSERT_EQ(kResultOk, writer.write(all.data(), uint32_t(all.size() * 2)));
        ASSERT_EQ(kResultOk, stream.seek(0));
        TextReader reader;
        ASSERT_EQ(kResultOk, reader.attach(&stream));
        reader.setEncoding(kind);
        std::u16string units;
        EXPECT_EQ(kResultEndOfData, ReadAll(reader, &units));
        EXPECT_TRUE(units == all) << int(kind);
    }
}

} // namespace
} // namespace vorn
