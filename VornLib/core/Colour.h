// Colours: RGBA bytes in memory order, from "#RGB", "#RRGGBB", "#RRGGBBAA" or a
// name; system colours keep the platform's colour index beside the value.
#pragma once

#include <cstdint>

#include "VornLib/core/Result.h"

namespace vorn {

struct Colour {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t alpha = 255;

    // The four bytes read as one little-endian value (red in the low byte).
    uint32_t value() const {
        return uint32_t(red) | uint32_t(green) << 8 | uint32_t(blue) << 16 | uint32_t(alpha) << 24;
    }
    // Failure leaves opaque black: 15 for a null text, 33 for anything unreadable.
    static Result Parse(const char16_t* text, Colour* out);
};

inline bool operator==(const Colour& a, const Colour& b) {
    return a.value() == b.value();
}
inline bool operator!=(const Colour& a, const Colour& b) {
    return !(a == b);
}

struct SystemColour {
    Colour colour;
    int32_t systemIndex = -1; // -1: a plain colour

    // The colour as drawn now: the platform's current value for system colours.
    Colour resolved() const;
    static Result Parse(const char16_t* text, SystemColour* out);
};

bool operator==(const SystemColour& a, const SystemColour& b);

// The names a colour text may give: the plain colours, then the system
// colours; null past the last.
const char16_t* ColourName(uint32_t index);

// The platform's current value of a system colour index.
Colour PlatformSystemColour(int32_t index);

} // namespace vorn
