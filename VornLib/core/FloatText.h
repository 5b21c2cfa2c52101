// How Format writes a floating-point number: fixed notation with a given
// precision, an exponent only for magnitudes past the integer digits it
// writes, and "#INF"/"#NAN"-style words for what is not a number. Kept apart
// from the format language itself; only Format uses it.
#pragma once

#include <cstdint>

namespace vorn {

// Keeps integer digits, point and fraction inside kFloatTextCapacity units.
constexpr uint32_t kMaxFloatPrecision = 100;
constexpr uint32_t kFloatTextCapacity = 256;

// Digits of `value` in `base`, most significant first; returns the count.
uint32_t WriteDigits(uint64_t value, uint32_t base, bool upper, char16_t* out);
// Writes `value` with `precision` decimals to `out` (kFloatTextCapacity
// units); returns the length.
uint32_t RenderFloatText(double value, uint32_t precision, char16_t* out);
// Precision 0 under a wider field: decimals are added until the text fills it.
uint32_t RenderFloatForWidth(double value, uint32_t precision, uint32_t width, char16_t* out);
// "g": trailing zeros of the fraction go, then a trailing point; an exponent stays.
void StripFractionZeros(char16_t* text, uint32_t& length);

} // namespace vorn
