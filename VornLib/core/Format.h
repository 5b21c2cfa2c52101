// The positional format language: "{index[,[-][0][width][.precision]][:letter]}"
// with tagged arguments. Every message, key name and file name that mixes text
// and values is built with it. A format error yields the empty text; output is
// cut silently at 4095 units.
#pragma once

#include <initializer_list>

#include "VornLib/core/String.h"

namespace vorn {

enum class ArgumentKind : uint32_t {
    Character = 0,
    Int8 = 1,
    UInt8 = 2,
    Int16 = 3,
    UInt16 = 4,
    Int32 = 5,
    UInt32 = 6,
    Int64 = 7,
    UInt64 = 8,
    Float32 = 9,
    Float64 = 10,
    Text = 11,
    Pointer = 12,
};

// One argument: an 8-byte value slot and its kind.
struct FormatArgument {
    union {
        uint64_t bits;
        int64_t integer;
        double real;
        float single;
        const char16_t* text;
        const void* pointer;
    } value;
    ArgumentKind kind;

    FormatArgument(char16_t unit) : kind(ArgumentKind::Character) { value.bits = unit; }
    FormatArgument(int8_t number) : kind(ArgumentKind::Int8) { value.integer = number; }
    FormatArgument(uint8_t number) : kind(ArgumentKind::UInt8) { value.bits = number; }
    FormatArgument(int16_t number) : kind(ArgumentKind::Int16) { value.integer = number; }
    FormatArgument(uint16_t number) : kind(ArgumentKind::UInt16) { value.bits = number; }
    FormatArgument(int number) : kind(ArgumentKind::Int32) { value.integer = number; }
    FormatArgument(unsigned number) : kind(ArgumentKind::UInt32) { value.bits = number; }
    FormatArgument(long number)
        : kind(sizeof(long) == 4 ? ArgumentKind::Int32 : ArgumentKind::Int64) {
        value.integer = number;
    }
    FormatArgument(unsigned long number)
        : kind(sizeof(long) == 4 ? ArgumentKind::UInt32 : ArgumentKind::UInt64) {
        value.bits = number;
    }
    FormatArgument(long long number) : kind(ArgumentKind::Int64) { value.integer = number; }
    FormatArgument(unsigned long long number) : kind(ArgumentKind::UInt64) { value.bits = number; }
    FormatArgument(float number) : kind(ArgumentKind::Float32) {
        value.bits = 0;
        value.single = number;
    }
    FormatArgument(double number) : kind(ArgumentKind::Float64) { value.real = number; }
    FormatArgument(const char16_t* text) : kind(ArgumentKind::Text) {
        value.bits = 0;
        value.text = text;
    }
    FormatArgument(const String& text) : FormatArgument(text.data()) {}
    // Plain chars and booleans are ambiguous about what they should print.
    FormatArgument(char) = delete;
    FormatArgument(bool) = delete;

    static FormatArgument Address(const void* pointer) {
        FormatArgument argument(0);
        argument.kind = ArgumentKind::Pointer;
        argument.value.bits = 0;
        argument.value.pointer = pointer;
        return argument;
    }
    static FormatArgument WithKind(ArgumentKind kind, uint64_t bits) {
        FormatArgument argument(0);
        argument.kind = kind;
        argument.value.bits = bits;
        return argument;
    }
};

// The format call: argument i is *arguments[i].
String Format(const char16_t* format, uint32_t argumentCount,
              const FormatArgument* const* arguments);
String Format(const char16_t* format, std::initializer_list<FormatArgument> arguments);

// One value as "0x{0,02:x}".
String FormatHex(const FormatArgument& value);

// The text as a terminal may show it: a control character (C0, DEL, C1),
// which could start an escape sequence or move the cursor, becomes "\x1b",
// "\x7f", "\x9b"; everything else stays. Every line written to a terminal or
// console goes through it, since file names there come from anywhere.
String TerminalSafe(const String& text);

// The number-to-text rule ("#INF", "#NAN", "#MIN", "#MAX", fixed notation).
// `width` only matters for precision 0 (see Format.cpp).
String FloatToText(double value, uint32_t precision = 6, uint32_t width = 0);

} // namespace vorn
