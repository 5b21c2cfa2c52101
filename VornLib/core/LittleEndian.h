// Little-endian integers in byte buffers: the one reader and writer of the
// container layouts, the name hash and the compressed streams' headers,
// independent of the host's own byte order and alignment.
#pragma once

#include <cstdint>

namespace vorn {

inline uint16_t ReadLittleEndian16(const uint8_t* at) {
    return uint16_t(at[0] | at[1] << 8);
}
inline uint32_t ReadLittleEndian32(const uint8_t* at) {
    return uint32_t(at[0]) | uint32_t(at[1]) << 8 | uint32_t(at[2]) << 16 | uint32_t(at[3]) << 24;
}
inline uint64_t ReadLittleEndian64(const uint8_t* at) {
    return ReadLittleEndian32(at) | uint64_t(ReadLittleEndian32(at + 4)) << 32;
}

inline void WriteLittleEndian16(uint8_t* at, uint16_t value) {
    at[0] = uint8_t(value);
    at[1] = uint8_t(value >> 8);
}
inline void WriteLittleEndian32(uint8_t* at, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        at[i] = uint8_t(value >> (8 * i));
}
inline void WriteLittleEndian64(uint8_t* at, uint64_t value) {
    for (int i = 0; i < 8; ++i)
        at[i] = uint8_t(value >> (8 * i));
}

} // namespace vorn
