#include "VornLib/core/Uuid.h"

#include <cstring>

#include "VornLib/core/Format.h"
#include "VornLib/core/TextParse.h"

namespace vorn {

bool UUID::isNull() const {
    for (uint8_t byte : bytes) {
        if (byte)
            return false;
    }
    return true;
}

String UUID::toText() const {
    FormatArgument values[16] = {bytes[0],  bytes[1],  bytes[2],  bytes[3], bytes[4],  bytes[5],
                                 bytes[6],  bytes[7],  bytes[8],  bytes[9], bytes[10], bytes[11],
                                 bytes[12], bytes[13], bytes[14], bytes[15]};
    const FormatArgument* pointers[16];
    for (int i = 0; i < 16; ++i)
        pointers[i] = &values[i];
    return Format(u"{0,02:X}{1,02:X}{2,02:X}{3,02:X}-{4,02:X}{5,02:X}-{6,02:X}{7,02:X}-"
                  u"{8,02:X}{9,02:X}-{10,02:X}{11,02:X}{12,02:X}{13,02:X}{14,02:X}{15,02:X}",
                  16, pointers);
}

GuidFields UUID::toGuid() const {
    GuidFields guid;
    guid.data1 =
        uint32_t(bytes[0]) << 24 | uint32_t(bytes[1]) << 16 | uint32_t(bytes[2]) << 8 | bytes[3];
    guid.data2 = uint16_t(bytes[4] << 8 | bytes[5]);
    guid.data3 = uint16_t(bytes[6] << 8 | bytes[7]);
    std::memcpy(guid.data4, bytes + 8, 8);
    return guid;
}

UUID UUID::FromGuid(const GuidFields& guid) {
    UUID uuid;
    uuid.bytes[0] = uint8_t(guid.data1 >> 24);
    uuid.bytes[1] = uint8_t(guid.data1 >> 16);
    uuid.bytes[2] = uint8_t(guid.data1 >> 8);
    uuid.bytes[3] = uint8_t(guid.data1);
    uuid.bytes[4] = uint8_t(guid.data2 >> 8);
    uuid.bytes[5] = uint8_t(guid.data2);
    uuid.bytes[6] = uint8_t(guid.data3 >> 8);
    uuid.bytes[7] = uint8_t(guid.data3);
    std::memcpy(uuid.bytes + 8, guid.data4, 8);
    return uuid;
}

Result UUID::Parse(const char16_t* text, UUID* out) {
    if (!out)
        return kResultNullOutput;
    *out = UUID();
    if (!text)
        return kResultNullInput;
    if (!*text)
        return kResultOk;
    UUID parsed;
    uint32_t digits = 0;
    for (; *text; ++text) {
        if (!IsHexDigit(*text))
            continue;
        if (digits == 32)
            return kResultInvalidArgument;
        uint8_t& byte = parsed.bytes[digits / 2];
        byte = uint8_t(byte << 4 | HexDigitValue(*text));
        ++digits;
    }
    if (digits != 32)
        return kResultInvalidArgument;
    *out = parsed;
    return kResultOk;
}

bool operator==(const UUID& a, const UUID& b) {
    return std::memcmp(a.bytes, b.bytes, sizeof a.bytes) == 0;
}

} // namespace vorn
