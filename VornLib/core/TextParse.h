// Reading values out of text. These readers never fail loudly: unreadable text
// gives 0 or false, and they ignore whatever follows the value.
#pragma once

#include <cstdint>

namespace vorn {

// Decimal with optional whitespace and sign ("+" only for unsigned readers), or
// "0x" followed by hexadecimal digits. Values wrap instead of saturating.
int32_t ReadInt32(const char16_t* text);
uint32_t ReadUInt32(const char16_t* text);
int64_t ReadInt64(const char16_t* text);
uint64_t ReadUInt64(const char16_t* text);

// "-", digits, "." and digits; no whitespace, "+" or exponent.
float ReadFloat32(const char16_t* text);

// "1…" or "true…" (any case), else the unsigned value is non-zero.
bool ReadBoolean(const char16_t* text);

bool IsHexDigit(char16_t unit);
uint32_t HexDigitValue(char16_t unit);
// At most `maxDigits` hexadecimal digits, stopping early at any other unit.
uint32_t ReadHexDigits(const char16_t* text, uint32_t maxDigits, uint32_t* digitsRead = nullptr);

// Orders two versions by their leading numbers separated by dots ("2.10.1"
// after "2.9"; a missing number counts as 0; what follows the numbers, a
// tag such as " beta", is not compared): <0, 0 or >0.
int32_t CompareVersions(const char16_t* a, const char16_t* b);

} // namespace vorn
