// The two checksums of the archive container: the name hash that keys its
// directory (SuperFastHash over the name's UTF-16LE bytes, seeded with their
// length) and the CRC-32 of its headers (zlib's polynomial).
#pragma once

#include <cstddef>
#include <cstdint>

namespace vorn {

uint32_t SuperFastHash(const uint8_t* bytes, uint32_t length);
// A null or empty name hashes to 0.
uint32_t NameHash(const char16_t* name);
uint32_t Crc32(uint32_t crc, const void* bytes, size_t length);

} // namespace vorn
