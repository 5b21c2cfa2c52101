#include "VornLib/data/NameHash.h"

#include <zlib.h>

#include "VornLib/core/LittleEndian.h"
#include "VornLib/core/String.h"

namespace vorn {
namespace {

uint32_t Avalanche(uint32_t hash) {
    hash ^= hash << 3;
    hash += hash >> 5;
    hash ^= hash << 4;
    hash += hash >> 17;
    hash ^= hash << 25;
    hash += hash >> 6;
    return hash;
}

} // namespace

uint32_t SuperFastHash(const uint8_t* bytes, uint32_t length) {
    if (!bytes || !length)
        return 0;
    uint32_t hash = length;
    for (uint32_t blocks = length >> 2; blocks; --blocks, bytes += 4) {
        hash += ReadLittleEndian16(bytes);
        const uint32_t mixed = (ReadLittleEndian16(bytes + 2) << 11) ^ hash;
        hash = (hash << 16) ^ mixed;
        hash += hash >> 11;
    }
    switch (length & 3) {
    case 3:
        hash += ReadLittleEndian16(bytes);
        hash ^= hash << 16;
        hash ^= uint32_t(int32_t(int8_t(bytes[2]))) << 18;
        hash += hash >> 11;
        break;
    case 2:
        hash += ReadLittleEndian16(bytes);
        hash ^= hash << 11;
        hash += hash >> 17;
        break;
    case 1:
        hash += uint32_t(int32_t(int8_t(bytes[0])));
        hash ^= hash << 10;
        hash += hash >> 1;
        break;
    }
    return Avalanche(hash);
}

uint32_t NameHash(const char16_t* name) {
    const uint32_t length = TextLength(name);
    if (!length)
        return 0;
    // SuperFastHash's 16-bit reads of UTF-16LE bytes are exactly the units.
    uint32_t hash = length * 2;
    uint32_t i = 0;
    for (; i + 1 < length; i += 2) {
        hash += name[i];
        const uint32_t mixed = (uint32_t(name[i + 1]) << 11) ^ hash;
        hash = (hash << 16) ^ mixed;
        hash += hash >> 11;
    }
    if (i < length) {
        hash += name[i];
        hash ^= hash << 11;
        hash += hash >> 17;
    }
    return Avalanche(hash);
}

uint32_t Crc32(uint32_t crc, const void* bytes, size_t length) {
    return uint32_t(crc32(crc, static_cast<const Bytef*>(bytes), uInt(length)));
}

} // namespace vorn
