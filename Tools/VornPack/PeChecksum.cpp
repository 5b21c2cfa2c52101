#include "Tools/VornPack/PeChecksum.h"

#include <cstring>

#include "VornLib/core/LittleEndian.h"

namespace vornpack {

namespace {

constexpr uint32_t kDosHeaderSize = 0x40;
constexpr uint32_t kPeOffsetField = 0x3C;
constexpr uint32_t kSignatureAndFileHeaderSize = 4 + 20;

} // namespace

void PeChecksum::add(const uint8_t* bytes, size_t count) {
    for (size_t i = 0; i < count; ++i, ++length_) {
        if (!(length_ & 1)) {
            pendingLow_ = bytes[i];
            continue;
        }
        sum_ += uint32_t(pendingLow_) | uint32_t(bytes[i]) << 8;
        // Two whole words at a time while they last; the sum cannot overflow
        // 64 bits for any file this writer can make.
        for (; i + 4 < count; i += 4, length_ += 4)
            sum_ += uint32_t(vorn::ReadLittleEndian16(bytes + i + 1)) +
                    vorn::ReadLittleEndian16(bytes + i + 3);
    }
}

uint32_t PeChecksum::value() const {
    uint64_t sum = sum_ + ((length_ & 1) ? pendingLow_ : 0);
    while (sum >> 16)
        sum = (sum & 0xFFFF) + (sum >> 16);
    return uint32_t(sum + length_);
}

uint64_t PeChecksumOffset(const uint8_t* bytes, size_t size) {
    if (!bytes || size < kDosHeaderSize || bytes[0] != 'M' || bytes[1] != 'Z')
        return 0;
    const uint32_t peOffset = vorn::ReadLittleEndian32(bytes + kPeOffsetField);
    const uint64_t at = uint64_t(peOffset) + kSignatureAndFileHeaderSize + kCheckSumField;
    return at + 4 <= size && std::memcmp(bytes + peOffset, "PE\0\0", 4) == 0 ? at : 0;
}

} // namespace vornpack
