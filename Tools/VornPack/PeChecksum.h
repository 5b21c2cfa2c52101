// The image checksum of a Windows executable's optional header: the one's-
// complement sum of the file's 16-bit little-endian words, folded to 16 bits,
// plus the file's length. The checksum field itself is fed as zeros. Signing
// tools expect it to be correct in an image they sign.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vornpack {

class PeChecksum {
public:
    void add(const uint8_t* bytes, size_t count);
    uint32_t value() const;

private:
    uint64_t sum_ = 0;
    uint64_t length_ = 0;
    uint8_t pendingLow_ = 0; // the first byte of a word split between calls
};

// The checksum field's offset in the file, 0 when `bytes` hold no PE headers.
uint64_t PeChecksumOffset(const uint8_t* bytes, size_t size);

// Where the field lies in the optional header, for PE32 and PE32+ alike.
constexpr uint32_t kCheckSumField = 64;

} // namespace vornpack
