#include "VornLib/gui/WindowName.h"

#include <atomic>

#include "VornLib/core/Format.h"

namespace vorn {

uint16_t WindowNameId(const char16_t* name) {
    uint16_t crc = 0xFFFF;
    if (!name)
        return crc;
    for (const char16_t* unit = name; *unit; ++unit) {
        const uint8_t bytes[2] = {uint8_t(*unit & 0xFF), uint8_t(*unit >> 8)};
        for (uint8_t byte : bytes) {
            crc ^= uint16_t(byte << 8);
            for (int bit = 0; bit < 8; ++bit)
                crc = (crc & 0x8000) ? uint16_t((crc << 1) ^ 0x1021) : uint16_t(crc << 1);
        }
    }
    return crc;
}

const FixedWindowNames& FixedNames() {
    static const FixedWindowNames names = {WindowNameId(u"Parent"), WindowNameId(u"Self"),
                                           WindowNameId(u"OK"), WindowNameId(u"Cancel")};
    return names;
}

uint16_t NextAutomaticWindowName() {
    static std::atomic<uint32_t> counter{0};
    const uint32_t number = ++counter;
    return WindowNameId(Format(u"{0}", {number}));
}

} // namespace vorn
