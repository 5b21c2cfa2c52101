// TextReader: turns a byte stream into UTF-16 units. It recognises a
// byte-order mark at the start (UTF-8, UTF-16 little- or big-endian), otherwise
// decodes with the kind its owner chose, and keeps 16384 decoded units with the
// byte size of each so that the byte position stays exact. TextWriter is the
// opposite direction. Both only need the Stream interface, not its
// implementations, so core code can use them without linking the data library.
#pragma once

#include <cstdint>

#include "VornLib/core/Result.h"
#include "VornLib/core/Stream.h"
#include "VornLib/core/String.h"

namespace vorn {

enum class TextEncoding : uint32_t {
    Detect = 0, // byte-order mark at the start, else the default kind
    Ansi = 1,   // one byte per unit, the unit's low byte
    Utf8 = 2,   // one to three bytes per unit (no four-byte sequences)
    Utf16LE = 3,
    Utf16BE = 4,
};

// "ANSI(", "UTF-8(", "UTF-16-LE(", "UTF-16-BE(", or null for Detect and
// unknown kinds.
const char16_t* EncodingDescriptionPrefix(TextEncoding kind);

class TextReader {
public:
    static constexpr uint32_t kBufferUnits = 16384;

    TextReader() = default;
    ~TextReader();
    TextReader(const TextReader&) = delete;
    TextReader& operator=(const TextReader&) = delete;

    // Reads from the stream's current position to its end. The stream is not
    // owned and must outlive the reader (or the next attach).
    Result attach(Stream* stream);
    void detach();

    // The kind used when no byte-order mark decides. Once bytes have been
    // consumed it takes effect at once; units already decoded are decoded again.
    void setEncoding(TextEncoding kind);
    TextEncoding encoding() const { return current_; }

    // 0, 19 at the end of the stream, 3 for a broken byte-order mark, 34 for
    // undecodable input, or the stream's error. Errors are final.
    Result readUnit(char16_t* unit);
    // Fills byteCount / 2 units; on failure the units read so far stay.
    Result readUnits(char16_t* units, uint32_t byteCount);

    bool atEnd() const { return bytePosition_ >= streamSize_; }
    uint64_t bytePosition() const { return bytePosition_; }
    String describe() const;

private:
    // One read from the stream towards `upTo` raw bytes; none when they are
    // there already or the stream has no more.
    Result readRaw(uint32_t upTo);
    Result detect();
    Result refill();
    void decode(bool final);
    void decodeUtf8(bool final);
    void decodeUtf16(bool bigEndian);
    void emit(char16_t unit, uint32_t byteCount);

    Stream* stream_ = nullptr;
    uint64_t streamSize_ = 0;
    uint64_t streamLeft_ = 0; // bytes not yet taken from the stream
    uint64_t bytePosition_ = 0;

    char16_t* units_ = nullptr;
    uint8_t* unitSizes_ = nullptr;
    uint32_t unitCount_ = 0;
    uint32_t nextUnit_ = 0;

    // Raw bytes taken from the stream and not yet delivered as units. Decoding
    // stops at decodedEnd_; deliveredEnd_ follows the units handed out, so a
    // change of kind can decode the rest again.
    uint8_t* raw_ = nullptr;
    uint32_t rawEnd_ = 0;
    uint32_t decodedEnd_ = 0;
    uint32_t deliveredEnd_ = 0;

    Result decodeError_ = kResultOk; // waits until the units before it are out
    Result failure_ = kResultOk;
    TextEncoding default_ = TextEncoding::Utf8;
    TextEncoding current_ = TextEncoding::Detect;
};

class TextWriter {
public:
    // The stream is not owned. Writing with the Detect kind fails with 3.
    Result attach(Stream* stream, TextEncoding kind);
    void setEncoding(TextEncoding kind) { kind_ = kind; }
    TextEncoding encoding() const { return kind_; }

    // 15 for null units, 0 for nothing to write, 40 for an odd byte count,
    // 3 for kind Detect or an unknown kind, 23 without a stream, else the
    // stream's result. No byte-order mark is written.
    Result write(const char16_t* units, uint32_t byteCount);
    Result write(const String& text) { return write(text.data(), text.length() * 2); }
    String describe() const;

private:
    Stream* stream_ = nullptr;
    TextEncoding kind_ = TextEncoding::Utf8;
};

} // namespace vorn
