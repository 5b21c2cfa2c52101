// UUID: 16 bytes in text order, written 8-4-4-4-12 in upper-case hexadecimal.
#pragma once

#include <cstdint>

#include "VornLib/core/Result.h"
#include "VornLib/core/String.h"

namespace vorn {

// Same layout as the platform's GUID structure (fields in machine order).
struct GuidFields {
    uint32_t data1;
    uint16_t data2;
    uint16_t data3;
    uint8_t data4[8];
};

struct UUID {
    uint8_t bytes[16] = {};

    bool isNull() const;
    String toText() const;
    GuidFields toGuid() const;
    static UUID FromGuid(const GuidFields& guid);

    // Every non-hexadecimal unit is skipped; exactly 32 digits are required.
    // The empty text is the null UUID. Failure leaves the null UUID.
    static Result Parse(const char16_t* text, UUID* out);
};

bool operator==(const UUID& a, const UUID& b);
inline bool operator!=(const UUID& a, const UUID& b) {
    return !(a == b);
}

} // namespace vorn
