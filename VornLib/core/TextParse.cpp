#include "VornLib/core/TextParse.h"

#include "VornLib/core/String.h"

namespace vorn {
namespace {

bool IsDecimalDigit(char16_t unit) {
    return unit >= u'0' && unit <= u'9';
}

bool HasHexPrefix(const char16_t* text) {
    return text[0] == u'0' && text[1] == u'x';
}

uint32_t ReadHexPrefixed(const char16_t* text) {
    uint32_t value = 0;
    for (const char16_t* cursor = text + 2; IsHexDigit(*cursor); ++cursor)
        value = (value << 4) | HexDigitValue(*cursor);
    return value;
}

// Accumulates decimal digits with wrap-around after an optional sign.
uint64_t ReadDecimal(const char16_t* text, bool allowMinus, bool& negative) {
    negative = false;
    while (IsWhitespace(*text))
        ++text;
    if (*text == u'+') {
        ++text;
    } else if (*text == u'-') {
        if (!allowMinus)
            return 0;
        negative = true;
        ++text;
    }
    uint64_t value = 0;
    for (; IsDecimalDigit(*text); ++text)
        value = value * 10 + uint64_t(*text - u'0');
    return value;
}

uint64_t ReadSigned(const char16_t* text) {
    bool negative = false;
    const uint64_t magnitude = ReadDecimal(text, true, negative);
    return negative ? 0 - magnitude : magnitude;
}

} // namespace

bool IsHexDigit(char16_t unit) {
    return IsDecimalDigit(unit) || (unit >= u'a' && unit <= u'f') || (unit >= u'A' && unit <= u'F');
}

uint32_t HexDigitValue(char16_t unit) {
    if (IsDecimalDigit(unit))
        return uint32_t(unit - u'0');
    if (unit >= u'a' && unit <= u'f')
        return uint32_t(unit - u'a' + 10);
    if (unit >= u'A' && unit <= u'F')
        return uint32_t(unit - u'A' + 10);
    return 0;
}

int32_t ReadInt32(const char16_t* text) {
    if (!text)
        return 0;
    if (HasHexPrefix(text))
        return int32_t(ReadHexPrefixed(text));
    return int32_t(uint32_t(ReadSigned(text)));
}

uint32_t ReadUInt32(const char16_t* text) {
    if (!text)
        return 0;
    if (HasHexPrefix(text))
        return ReadHexPrefixed(text);
    bool negative = false;
    return uint32_t(ReadDecimal(text, false, negative));
}

// The hexadecimal form is read in 32 bits and sign-extended, so "0xFFFFFFFF" is -1.
int64_t ReadInt64(const char16_t* text) {
    if (!text)
        return 0;
    if (HasHexPrefix(text))
        return int64_t(int32_t(ReadHexPrefixed(text)));
    return int64_t(ReadSigned(text));
}

uint64_t ReadUInt64(const char16_t* text) {
    if (!text)
        return 0;
    if (HasHexPrefix(text))
        return uint64_t(int64_t(int32_t(ReadHexPrefixed(text))));
    bool negative = false;
    return ReadDecimal(text, false, negative);
}

float ReadFloat32(const char16_t* text) {
    if (!text)
        return 0;
    bool negative = false;
    if (*text == u'-') {
        negative = true;
        ++text;
    }
    uint32_t digits = 0;
    for (; IsDecimalDigit(*text); ++text)
        digits = digits * 10 + uint32_t(*text - u'0');
    double divisor = 1;
    if (*text == u'.') {
        for (++text; IsDecimalDigit(*text); ++text) {
            digits = digits * 10 + uint32_t(*text - u'0');
            divisor *= 10;
        }
    }
    const double value = double(digits) / divisor;
    return float(negative ? -value : value);
}

bool ReadBoolean(const char16_t* text) {
    if (!text)
        return false;
    while (*text == u' ')
        ++text;
    if (*text == u'1')
        return true;
    static const char16_t kTrue[] = u"true";
    bool isTrue = true;
    for (int i = 0; i < 4 && isTrue; ++i) {
        char16_t unit = text[i];
        if (unit >= u'A' && unit <= u'Z')
            unit = char16_t(unit + (u'a' - u'A'));
        isTrue = unit == kTrue[i];
    }
    return isTrue || ReadUInt32(text) != 0;
}

uint32_t ReadHexDigits(const char16_t* text, uint32_t maxDigits, uint32_t* digitsRead) {
    uint32_t value = 0;
    uint32_t count = 0;
    if (text) {
        for (; count < maxDigits && IsHexDigit(text[count]); ++count)
            value = (value << 4) | HexDigitValue(text[count]);
    }
    if (digitsRead)
        *digitsRead = count;
    return value;
}

int32_t CompareVersions(const char16_t* a, const char16_t* b) {
    // One number at a time while either text still has one.
    auto next = [](const char16_t*& text, bool* had) {
        uint64_t number = 0;
        *had = text && *text >= u'0' && *text <= u'9';
        while (text && *text >= u'0' && *text <= u'9') {
            number = number < 100000000000ull ? number * 10 + uint64_t(*text - u'0') : number;
            ++text;
        }
        if (*had && text && *text == u'.' && text[1] >= u'0' && text[1] <= u'9')
            ++text;
        else if (*had)
            text = nullptr;
        return number;
    };
    for (;;) {
        bool hadA = false, hadB = false;
        const uint64_t numberA = next(a, &hadA);
        const uint64_t numberB = next(b, &hadB);
        if (!hadA && !hadB)
            return 0;
        if (numberA != numberB)
            return numberA < numberB ? -1 : 1;
    }
}

} // namespace vorn
