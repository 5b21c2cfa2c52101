#include "VornLib/core/TextReader.h"

#include <cstring>
#include <new>

namespace vorn {
namespace {

constexpr uint32_t kRawCapacity = 2 * TextReader::kBufferUnits + 4;
constexpr char16_t kReplacement = 0xFFFD;

struct EncodingName {
    TextEncoding kind;
    const char16_t* prefix;
};
constexpr EncodingName kEncodingNames[] = {
    {TextEncoding::Ansi, u"ANSI("},
    {TextEncoding::Utf8, u"UTF-8("},
    {TextEncoding::Utf16LE, u"UTF-16-LE("},
    {TextEncoding::Utf16BE, u"UTF-16-BE("},
};

struct ByteOrderMark {
    uint8_t bytes[3];
    uint32_t length;
    TextEncoding kind;
};
constexpr ByteOrderMark kByteOrderMarks[] = {
    {{0xEF, 0xBB, 0xBF}, 3, TextEncoding::Utf8},
    {{0xFF, 0xFE, 0}, 2, TextEncoding::Utf16LE},
    {{0xFE, 0xFF, 0}, 2, TextEncoding::Utf16BE},
};

bool IsUtf16(TextEncoding kind) {
    return kind == TextEncoding::Utf16LE || kind == TextEncoding::Utf16BE;
}

String Describe(Stream* stream, TextEncoding kind) {
    if (!stream)
        return String(u"n/a");
    const char16_t* prefix = EncodingDescriptionPrefix(kind);
    if (!prefix)
        return stream->description();
    return prefix + stream->description() + u")";
}

} // namespace

const char16_t* EncodingDescriptionPrefix(TextEncoding kind) {
    for (const EncodingName& name : kEncodingNames) {
        if (name.kind == kind)
            return name.prefix;
    }
    return nullptr;
}

TextReader::~TextReader() {
    detach();
}

void TextReader::detach() {
    delete[] units_;
    delete[] unitSizes_;
    delete[] raw_;
    units_ = nullptr;
    unitSizes_ = nullptr;
    raw_ = nullptr;
    stream_ = nullptr;
    streamSize_ = streamLeft_ = bytePosition_ = 0;
    unitCount_ = nextUnit_ = 0;
    rawEnd_ = decodedEnd_ = deliveredEnd_ = 0;
    decodeError_ = failure_ = kResultOk;
    current_ = TextEncoding::Detect;
}

Result TextReader::attach(Stream* stream) {
    const TextEncoding keptDefault = default_;
    detach();
    if (!stream)
        return kResultNullInput;
    units_ = new (std::nothrow) char16_t[kBufferUnits];
    unitSizes_ = new (std::nothrow) uint8_t[kBufferUnits];
    raw_ = new (std::nothrow) uint8_t[kRawCapacity];
    if (!units_ || !unitSizes_ || !raw_) {
        detach();
        return kResultOutOfMemory;
    }
    stream_ = stream;
    const uint64_t size = stream->size();
    const uint64_t position = stream->position();
    streamSize_ = streamLeft_ = size > position ? size - position : 0;
    default_ = keptDefault;
    return kResultOk;
}

void TextReader::setEncoding(TextEncoding kind) {
    default_ = kind;
    if (kind == TextEncoding::Detect || kind == current_ || failure_ != kResultOk)
        return;
    if (current_ == TextEncoding::Detect && bytePosition_ == 0)
        return;
    // Units decoded ahead under the old kind are decoded again from their bytes.
    current_ = kind;
    decodedEnd_ = deliveredEnd_;
    unitCount_ = nextUnit_ = 0;
    decodeError_ = kResultOk;
}

Result TextReader::readRaw(uint32_t upTo) {
    if (rawEnd_ >= upTo || !streamLeft_)
        return kResultOk;
    const uint32_t count = uint32_t(streamLeft_ < upTo - rawEnd_ ? streamLeft_ : upTo - rawEnd_);
    const Result result = stream_->read(raw_ + rawEnd_, count);
    if (result != kResultOk)
        return result;
    rawEnd_ += count;
    streamLeft_ -= count;
    return kResultOk;
}

Result TextReader::detect() {
    const TextEncoding fallback = default_ == TextEncoding::Detect ? TextEncoding::Utf8 : default_;
    if (bytePosition_ > 0) {
        current_ = fallback;
        return kResultOk;
    }
    if (rawEnd_ < 3) {
        const Result result = readRaw(kBufferUnits);
        if (result != kResultOk)
            return result;
    }
    if (rawEnd_ == 0)
        return kResultEndOfData;
    for (const ByteOrderMark& mark : kByteOrderMarks) {
        if (raw_[0] != mark.bytes[0])
            continue;
        if (rawEnd_ < mark.length || std::memcmp(raw_, mark.bytes, mark.length) != 0)
            return kResultUnsupportedFormat;
        decodedEnd_ = deliveredEnd_ = mark.length;
        bytePosition_ = mark.length;
        current_ = mark.kind;
        return kResultOk;
    }
    // No mark: byte 0 already belongs to the text and is decoded with the
    // chosen kind, so a UTF-16 input without a mark stays aligned.
    current_ = fallback;
    return kResultOk;
}

Result TextReader::refill() {
    if (decodedEnd_ > 0) {
        std::memmove(raw_, raw_ + decodedEnd_, rawEnd_ - decodedEnd_);
        rawEnd_ -= decodedEnd_;
        decodedEnd_ = deliveredEnd_ = 0;
    }
    unitCount_ = nextUnit_ = 0;
    for (;;) {
        const uint32_t chunk = IsUtf16(current_) ? 2 * kBufferUnits : kBufferUnits;
        const Result result = readRaw(chunk);
        if (result != kResultOk)
            return result;
        if (rawEnd_ == 0)
            return kResultEndOfData;
        decode(streamLeft_ == 0);
        // Nothing decoded only when a sequence waits for its next bytes.
        if (unitCount_ > 0 || decodeError_ != kResultOk || streamLeft_ == 0)
            return kResultOk;
    }
}

void TextReader::emit(char16_t unit, uint32_t byteCount) {
    units_[unitCount_] = unit;
    unitSizes_[unitCount_] = uint8_t(byteCount);
    ++unitCount_;
}

void TextReader::decode(bool final) {
    switch (current_) {
    case TextEncoding::Ansi:
        while (unitCount_ < kBufferUnits && decodedEnd_ < rawEnd_)
            emit(raw_[decodedEnd_++], 1);
        break;
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE:
        decodeUtf16(current_ == TextEncoding::Utf16BE);
        if (final && decodedEnd_ + 1 == rawEnd_ && unitCount_ < kBufferUnits)
            decodeError_ = kResultUnexpectedToken; // odd byte count
        break;
    default:
        decodeUtf8(final);
        break;
    }
}

void TextReader::decodeUtf16(bool bigEndian) {
    uint32_t p = decodedEnd_;
    while (unitCount_ < kBufferUnits && p + 2 <= rawEnd_) {
        const uint32_t first = raw_[p];
        const uint32_t second = raw_[p + 1];
        emit(char16_t(bigEndian ? first << 8 | second : second << 8 | first), 2);
        p += 2;
    }
    decodedEnd_ = p;
}

void TextReader::decodeUtf8(bool final) {
    uint32_t p = decodedEnd_;
    while (unitCount_ < kBufferUnits && p < rawEnd_) {
        const uint32_t lead = raw_[p];
        if (lead < 0x80) {
            emit(char16_t(lead), 1);
            ++p;
            continue;
        }
        if (lead < 0xC0 || lead >= 0xF0) {
            // Stray continuation bytes and four-byte sequences are not text
            // this system writes; stop rather than guess.
            decodeError_ = kResultUnexpectedToken;
            break;
        }
        const uint32_t need = lead < 0xE0 ? 2 : 3;
        uint32_t value = lead & (need == 2 ? 0x1F : 0x0F);
        uint32_t got = 1;
        bool cut = false;
        while (got < need) {
            if (p + got >= rawEnd_) {
                cut = true;
                break;
            }
            const uint32_t next = raw_[p + got];
            if ((next & 0xC0) != 0x80)
                break;
            value = value << 6 | (next & 0x3F);
            ++got;
        }
        if (cut && !final)
            break; // the rest of the sequence comes with the next read
        if (got < need) {
            // The bad byte is decoded again as the start of the next sequence.
            emit(kReplacement, got);
            p += got;
            continue;
        }
        emit(char16_t(value), need);
        p += need;
    }
    decodedEnd_ = p;
}

Result TextReader::readUnit(char16_t* unit) {
    if (!unit)
        return kResultNullOutput;
    *unit = 0;
    if (failure_ != kResultOk)
        return failure_;
    if (!stream_)
        return kResultNullOutput;
    if (current_ == TextEncoding::Detect) {
        const Result result = detect();
        if (result != kResultOk) {
            if (result != kResultEndOfData)
                failure_ = result;
            return result;
        }
    }
    if (nextUnit_ == unitCount_) {
        if (decodeError_ != kResultOk)
            return failure_ = decodeError_;
        const Result result = refill();
        if (result != kResultOk) {
            if (result != kResultEndOfData)
                failure_ = result;
            return result;
        }
        if (nextUnit_ == unitCount_)
            return failure_ = decodeError_ != kResultOk ? decodeError_ : kResultEndOfData;
    }
    *unit = units_[nextUnit_];
    bytePosition_ += unitSizes_[nextUnit_];
    deliveredEnd_ += unitSizes_[nextUnit_];
    ++nextUnit_;
    return kResultOk;
}

Result TextReader::readUnits(char16_t* units, uint32_t byteCount) {
    if (!units)
        return kResultNullOutput;
    for (uint32_t i = 0; i < byteCount / 2; ++i) {
        const Result result = readUnit(units + i);
        if (result != kResultOk)
            return result;
    }
    return kResultOk;
}

String TextReader::describe() const {
    return Describe(stream_, current_);
}

Result TextWriter::attach(Stream* stream, TextEncoding kind) {
    stream_ = stream;
    kind_ = kind;
    return stream ? kResultOk : kResultNullInput;
}

Result TextWriter::write(const char16_t* units, uint32_t byteCount) {
    if (!units)
        return kResultNullInput;
    if (byteCount == 0)
        return kResultOk;
    if (byteCount % 2)
        return kResultEmptyInput;
    if (!EncodingDescriptionPrefix(kind_))
        return kResultUnsupportedFormat;
    if (!stream_)
        return kResultNullOutput;
    uint8_t piece[1536];
    uint32_t used = 0;
    const uint32_t count = byteCount / 2;
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t unit = units[i];
        switch (kind_) {
        case TextEncoding::Ansi:
            piece[used++] = uint8_t(unit);
            break;
        case TextEncoding::Utf16LE:
            piece[used++] = uint8_t(unit);
            piece[used++] = uint8_t(unit >> 8);
            break;
        case TextEncoding::Utf16BE:
            piece[used++] = uint8_t(unit >> 8);
            piece[used++] = uint8_t(unit);
            break;
        default:
            if (unit < 0x80) {
                piece[used++] = uint8_t(unit);
            } else if (unit < 0x800) {
                piece[used++] = uint8_t(0xC0 | unit >> 6);
                piece[used++] = uint8_t(0x80 | (unit & 0x3F));
            } else {
                // Surrogate halves too: the reader decodes them back one by one.
                piece[used++] = uint8_t(0xE0 | unit >> 12);
                piece[used++] = uint8_t(0x80 | (unit >> 6 & 0x3F));
                piece[used++] = uint8_t(0x80 | (unit & 0x3F));
            }
            break;
        }
        if (used + 3 > sizeof(piece) || i + 1 == count) {
            const Result result = stream_->write(piece, used);
            if (result != kResultOk)
                return result;
            used = 0;
        }
    }
    return kResultOk;
}

String TextWriter::describe() const {
    return Describe(stream_, kind_);
}

} // namespace vorn
