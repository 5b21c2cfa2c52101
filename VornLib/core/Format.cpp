#include "VornLib/core/Format.h"

#include "VornLib/core/FloatText.h"

namespace vorn {
namespace {

constexpr uint32_t kOutputCapacity = 4096; // 4095 units plus the terminator
constexpr uint32_t kMaxWidth = kOutputCapacity;

class Output {
public:
    void put(char16_t unit) {
        if (length_ < kOutputCapacity - 1)
            units_[length_++] = unit;
    }
    void put(const char16_t* text, uint32_t count) {
        for (uint32_t i = 0; i < count; ++i)
            put(text[i]);
    }
    void repeat(char16_t unit, uint32_t count) {
        for (uint32_t i = 0; i < count && length_ < kOutputCapacity - 1; ++i)
            put(unit);
    }
    String text() const { return String(units_, length_); }

private:
    char16_t units_[kOutputCapacity];
    uint32_t length_ = 0;
};

struct FieldSpec {
    uint32_t index = 0;
    bool leftAlign = false;
    char16_t pad = u' ';
    uint32_t width = 0;
    uint32_t precision = 6;
    char16_t letter = 0;
};

bool IsSignedKind(ArgumentKind kind) {
    return kind == ArgumentKind::Int8 || kind == ArgumentKind::Int16 ||
           kind == ArgumentKind::Int32 || kind == ArgumentKind::Int64;
}
bool IsIntegerKind(ArgumentKind kind) {
    return kind >= ArgumentKind::Int8 && kind <= ArgumentKind::UInt64;
}
bool IsFloatKind(ArgumentKind kind) {
    return kind == ArgumentKind::Float32 || kind == ArgumentKind::Float64;
}

bool LetterAccepts(char16_t letter, ArgumentKind kind) {
    switch (letter) {
    case 0:
        return true;
    case u'X':
    case u'x':
        return IsIntegerKind(kind);
    case u'c':
        return kind == ArgumentKind::Character || kind == ArgumentKind::UInt8 ||
               kind == ArgumentKind::UInt16 || kind == ArgumentKind::UInt32 ||
               kind == ArgumentKind::UInt64;
    case u'n':
        return kind == ArgumentKind::Character || IsIntegerKind(kind);
    case u'f':
    case u'g':
        return IsFloatKind(kind);
    default:
        return false;
    }
}

// The value slot widened to 64 bits: signed kinds sign-extended, unsigned zero-extended.
uint64_t WidenedBits(const FormatArgument& argument) {
    const uint64_t bits = argument.value.bits;
    switch (argument.kind) {
    case ArgumentKind::Int8:
        return uint64_t(int64_t(int8_t(bits)));
    case ArgumentKind::Int16:
        return uint64_t(int64_t(int16_t(bits)));
    case ArgumentKind::Int32:
        return uint64_t(int64_t(int32_t(bits)));
    case ArgumentKind::UInt8:
        return uint8_t(bits);
    case ArgumentKind::UInt16:
    case ArgumentKind::Character:
        return uint16_t(bits);
    case ArgumentKind::UInt32:
        return uint32_t(bits);
    default:
        return bits;
    }
}

void PadLeft(Output& out, const FieldSpec& spec, uint32_t length) {
    if (spec.width > length)
        out.repeat(spec.pad, spec.width - length);
}

void RenderUnsigned(Output& out, const FieldSpec& spec, uint64_t value, uint32_t base, bool upper) {
    char16_t digits[64];
    const uint32_t count = WriteDigits(value, base, upper, digits);
    PadLeft(out, spec, count);
    out.put(digits, count);
}

// The sign comes first and counts towards the width: -42 in {0,5} is "-  42".
void RenderSigned(Output& out, const FieldSpec& spec, int64_t value) {
    const bool negative = value < 0;
    const uint64_t magnitude = negative ? 0 - uint64_t(value) : uint64_t(value);
    char16_t digits[64];
    const uint32_t count = WriteDigits(magnitude, 10, false, digits);
    if (negative)
        out.put(u'-');
    PadLeft(out, spec, count + (negative ? 1 : 0));
    out.put(digits, count);
}

// Text fields pad on the right when left-aligned or narrower than 2. A wider
// field without "-" is right-aligned here (the narrow-field rule leaves it open).
void RenderText(Output& out, const FieldSpec& spec, const char16_t* text) {
    const uint32_t length = TextLength(text);
    const bool padRight = spec.leftAlign || spec.width < 2;
    if (!padRight)
        PadLeft(out, spec, length);
    out.put(text, length);
    if (padRight && spec.width > length)
        out.repeat(u' ', spec.width - length);
}

void RenderFloat(Output& out, const FieldSpec& spec, double value) {
    char16_t text[kFloatTextCapacity];
    uint32_t length = RenderFloatForWidth(value, spec.precision, spec.width, text);
    if (spec.letter == u'g')
        StripFractionZeros(text, length);
    const char16_t* digits = text;
    if (spec.pad == u'0' && length && text[0] == u'-') {
        out.put(u'-');
        ++digits;
        PadLeft(out, spec, length);
        out.put(digits, length - 1);
        return;
    }
    PadLeft(out, spec, length);
    out.put(digits, length);
}

bool RenderField(Output& out, const FieldSpec& spec, const FormatArgument& argument) {
    const ArgumentKind kind = argument.kind;
    if (uint32_t(kind) > uint32_t(ArgumentKind::Pointer) || !LetterAccepts(spec.letter, kind))
        return false;
    const uint64_t bits = WidenedBits(argument);
    switch (kind) {
    case ArgumentKind::Character:
        if (spec.letter == u'n')
            RenderUnsigned(out, spec, bits, 10, false);
        else
            out.put(char16_t(bits));
        return true;
    case ArgumentKind::Text:
        if (!argument.value.text)
            return false;
        RenderText(out, spec, argument.value.text);
        return true;
    case ArgumentKind::Pointer: {
        FieldSpec pointerSpec = spec;
        pointerSpec.pad = u'0';
        if (!pointerSpec.width)
            pointerSpec.width = 8;
        RenderUnsigned(out, pointerSpec, uint64_t(uintptr_t(argument.value.pointer)), 16, false);
        return true;
    }
    case ArgumentKind::Float32:
        RenderFloat(out, spec, double(argument.value.single));
        return true;
    case ArgumentKind::Float64:
        RenderFloat(out, spec, argument.value.real);
        return true;
    default:
        break;
    }
    switch (spec.letter) {
    case u'X':
    case u'x':
        RenderUnsigned(out, spec, bits, 16, spec.letter == u'X');
        return true;
    case u'c':
        out.put(char16_t(bits & 0xFFFF));
        return true;
    default:
        if (IsSignedKind(kind))
            RenderSigned(out, spec, int64_t(bits));
        else
            RenderUnsigned(out, spec, bits, 10, false);
        return true;
    }
}

bool IsDigit(char16_t unit) {
    return unit >= u'0' && unit <= u'9';
}

// Reads decimal digits, saturating at `limit`; returns how many were read.
uint32_t ReadNumber(const char16_t*& cursor, uint32_t limit, uint32_t& value) {
    uint32_t count = 0;
    value = 0;
    while (IsDigit(*cursor)) {
        const uint32_t next = value * 10 + uint32_t(*cursor - u'0');
        value = (value > limit / 10 || next > limit) ? limit : next;
        ++cursor;
        ++count;
    }
    return count;
}

// Parses "{...}" starting after the "{"; leaves the cursor after the "}".
bool ParseField(const char16_t*& cursor, FieldSpec& spec) {
    if (!ReadNumber(cursor, 0xFFFFFFFFu, spec.index))
        return false;
    if (*cursor == u',') {
        ++cursor;
        if (*cursor == u'-') {
            spec.leftAlign = true;
            ++cursor;
        }
        if (*cursor == u'0') {
            spec.pad = u'0';
            ++cursor;
        }
        const bool hasWidth = ReadNumber(cursor, kMaxWidth, spec.width) > 0;
        bool hasPoint = false;
        if (*cursor == u'.') {
            hasPoint = true;
            ++cursor;
            ReadNumber(cursor, kMaxFloatPrecision, spec.precision);
        }
        if (!hasWidth && !hasPoint)
            return false;
    }
    if (*cursor == u':') {
        ++cursor;
        if (!*cursor)
            return false;
        spec.letter = *cursor++;
    }
    if (*cursor != u'}')
        return false;
    ++cursor;
    return true;
}

} // namespace

String Format(const char16_t* format, uint32_t argumentCount,
              const FormatArgument* const* arguments) {
    if (!format || (argumentCount && !arguments))
        return String();
    Output out;
    const char16_t* cursor = format;
    while (*cursor) {
        const char16_t unit = *cursor;
        if (unit == u'}') {
            // "}}" is one brace; a lone "}" is dropped.
            if (cursor[1] == u'}')
                out.put(u'}');
            cursor += cursor[1] == u'}' ? 2 : 1;
            continue;
        }
        if (unit != u'{') {
            out.put(unit);
            ++cursor;
            continue;
        }
        if (cursor[1] == u'{') {
            out.put(u'{');
            cursor += 2;
            continue;
        }
        ++cursor;
        FieldSpec spec;
        if (!ParseField(cursor, spec) || spec.index >= argumentCount || !arguments[spec.index] ||
            !RenderField(out, spec, *arguments[spec.index]))
            return String();
    }
    return out.text();
}

String Format(const char16_t* format, std::initializer_list<FormatArgument> arguments) {
    const FormatArgument* pointers[64];
    uint32_t count = 0;
    for (const FormatArgument& argument : arguments) {
        if (count == 64)
            return String();
        pointers[count++] = &argument;
    }
    return Format(format, count, pointers);
}

String FormatHex(const FormatArgument& value) {
    return Format(u"0x{0,02:x}", {value});
}

String TerminalSafe(const String& text) {
    static constexpr char16_t kDigits[] = u"0123456789abcdef";
    String safe;
    for (uint32_t i = 0; i < text.length(); ++i) {
        const char16_t unit = text[i];
        if (unit >= 0x20 && (unit < 0x7F || unit > 0x9F)) {
            safe.append(unit);
            continue;
        }
        const char16_t escape[] = {u'\\', u'x', kDigits[unit >> 4], kDigits[unit & 0xF]};
        safe.append(escape, 4);
    }
    return safe;
}

String FloatToText(double value, uint32_t precision, uint32_t width) {
    char16_t text[kFloatTextCapacity];
    const uint32_t length = RenderFloatForWidth(value, precision, width, text);
    return String(text, length);
}

} // namespace vorn
