#include "VornLib/core/FloatText.h"

#include <cfloat>
#include <cmath>

namespace vorn {
namespace {

constexpr int kMaxIntegerDigits = 120;

} // namespace

uint32_t WriteDigits(uint64_t value, uint32_t base, bool upper, char16_t* out) {
    const char16_t* digits = upper ? u"0123456789ABCDEF" : u"0123456789abcdef";
    char16_t reversed[64];
    uint32_t count = 0;
    do {
        reversed[count++] = digits[value % base];
        value /= base;
    } while (value);
    for (uint32_t i = 0; i < count; ++i)
        out[i] = reversed[count - 1 - i];
    return count;
}

// "g": trailing zeros of the fraction go, then a trailing point; an exponent stays.
void StripFractionZeros(char16_t* text, uint32_t& length) {
    uint32_t mantissaEnd = length;
    bool hasPoint = false;
    for (uint32_t i = 0; i < length; ++i) {
        if (text[i] == u'e' && mantissaEnd == length)
            mantissaEnd = i;
        hasPoint |= text[i] == u'.' && mantissaEnd == length;
    }
    if (!hasPoint)
        return;
    uint32_t end = mantissaEnd;
    while (end && text[end - 1] == u'0')
        --end;
    if (end && text[end - 1] == u'.')
        --end;
    for (uint32_t i = mantissaEnd; i < length; ++i)
        text[end++] = text[i];
    length = end;
}

uint32_t RenderFloatText(double value, uint32_t precision, char16_t* out) {
    auto put4 = [out](const char16_t* text) {
        for (uint32_t i = 0; i < 4; ++i)
            out[i] = text[i];
        return 4u;
    };
    if (std::isinf(value))
        return put4(u"#INF");
    if (std::isnan(value))
        return put4(u"#NAN");
    if (value <= -DBL_MAX)
        return put4(u"#MIN");
    if (value >= DBL_MAX)
        return put4(u"#MAX");
    if (precision > kMaxFloatPrecision)
        precision = kMaxFloatPrecision;

    uint32_t length = 0;
    // Zero, negative zero included, has no sign.
    if (value == 0) {
        out[length++] = u'0';
        if (precision) {
            out[length++] = u'.';
            for (uint32_t i = 0; i < precision; ++i)
                out[length++] = u'0';
        }
        return length;
    }
    if (value < 0)
        out[length++] = u'-';
    double m = std::fabs(value);

    // Magnitudes whose integer digits would not fit: mantissa, "e", exponent.
    if (std::log10(m) >= kMaxIntegerDigits) {
        int exponent = int(std::floor(std::log10(m)));
        double mantissa = m / std::pow(10.0, exponent);
        if (mantissa >= 10) {
            mantissa /= 10;
            ++exponent;
        }
        length += RenderFloatText(mantissa, precision, out + length);
        out[length++] = u'e';
        length += WriteDigits(uint64_t(exponent), 10, false, out + length);
        return length;
    }

    m += 0.5 * std::pow(10.0, -double(precision));
    const uint32_t start = length;
    if (m < 1)
        out[length++] = u'0';
    int binaryExponent = 0;
    std::frexp(m, &binaryExponent);
    const int k = 1 + int((binaryExponent - 1) * 0.3010299956639812);
    bool started = false;
    for (int power = k; power >= 0; --power) {
        const double scale = std::pow(10.0, power);
        double digit = std::trunc(m / scale);
        digit = digit < 0 ? 0 : (digit > 9 ? 9 : digit);
        if (digit == 0 && !started)
            continue;
        started = true;
        out[length++] = char16_t(u'0' + int(digit));
        m -= digit * scale;
    }
    if (length == start)
        out[length++] = u'0';
    if (precision) {
        out[length++] = u'.';
        for (uint32_t j = 1; j <= precision; ++j) {
            const double scale = std::pow(10.0, -double(j));
            double digit = std::trunc(m / scale);
            digit = digit < 0 ? 0 : (digit > 9 ? 9 : digit);
            out[length++] = char16_t(u'0' + int(digit));
            m -= digit * scale;
        }
    }
    return length;
}

// Precision 0 under a wider field: decimals are added until the text fills it.
uint32_t RenderFloatForWidth(double value, uint32_t precision, uint32_t width, char16_t* out) {
    uint32_t length = RenderFloatText(value, precision, out);
    if (precision == 0 && width > length + 1 && std::isfinite(value) && out[0] != u'#') {
        uint32_t decimals = width - length - 1;
        if (decimals > kMaxFloatPrecision)
            decimals = kMaxFloatPrecision;
        length = RenderFloatText(value, decimals, out);
    }
    return length;
}

} // namespace vorn
