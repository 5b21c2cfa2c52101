// libFuzzer target: applies the input as a binary delta to a fixed base of
// kBaseSize bytes (xorshift noise; the corpus holds deltas made against it).
// Any outcome but a result code is a finding, and so is a delta accepted
// whose result is not the target its header describes. Mutations rarely
// keep the header's lengths or the target's CRC right, so the input is
// applied a second time with its lengths mended, and once more with the CRC
// of what that wrote: the triples get fuzzed too, and the mended delta must
// then write the same bytes again.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "VornLib/core/LittleEndian.h"
#include "VornLib/data/BinaryDelta.h"
#include "VornLib/data/MemoryStream.h"
#include "VornLib/data/NameHash.h"

namespace {

constexpr uint32_t kBaseSize = 1024;
// Sections lie inside the delta, so no target here is larger than the input.
constexpr uint32_t kTargetCapacity = 1 << 16;

const std::vector<uint8_t>& Base() {
    static const std::vector<uint8_t> base = [] {
        std::vector<uint8_t> bytes(kBaseSize);
        uint32_t state = 2463534242u;
        for (uint8_t& byte : bytes) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            byte = uint8_t(state);
        }
        return bytes;
    }();
    return base;
}

struct Outcome {
    vorn::Result result;
    std::vector<uint8_t> written;
};

Outcome Apply(const std::vector<uint8_t>& delta) {
    static std::vector<uint8_t> buffer(kTargetCapacity);
    vorn::MemoryStream base(Base().data(), kBaseSize, u"base");
    vorn::MemoryStream target(buffer.data(), kTargetCapacity);
    Outcome outcome;
    outcome.result = vorn::ApplyBinaryDelta(base, delta.data(), delta.size(), target);
    outcome.written.assign(buffer.begin(), buffer.begin() + target.size());
    vorn::BinaryDeltaHeader header;
    if (outcome.result == vorn::kResultOk &&
        (vorn::ReadBinaryDeltaHeader(delta.data(), delta.size(), header) != vorn::kResultOk ||
         outcome.written.size() != header.targetSize ||
         vorn::Crc32(0, outcome.written.data(), outcome.written.size()) != header.targetCrc))
        std::abort();
    return outcome;
}

// Makes the header's version, base size, extra length and target size fit the input
// around the control and add lengths it gives; false when those do not fit.
bool MendLengths(std::vector<uint8_t>& delta) {
    if (delta.size() < vorn::BinaryDeltaHeader::kSize ||
        std::memcmp(delta.data(), vorn::kBinaryDeltaMagic, sizeof vorn::kBinaryDeltaMagic) != 0)
        return false;
    vorn::BinaryDeltaHeader mended;
    const uint8_t* at = delta.data();
    mended.targetCrc = vorn::ReadLittleEndian32(at + 12);
    mended.controlCount = vorn::ReadLittleEndian64(at + 32);
    mended.controlLength = vorn::ReadLittleEndian64(at + 40);
    mended.addLength = vorn::ReadLittleEndian64(at + 48);
    const uint64_t left = delta.size() - vorn::BinaryDeltaHeader::kSize;
    if (mended.controlLength > left || mended.addLength > left - mended.controlLength)
        return false;
    mended.baseSize = kBaseSize;
    mended.extraLength = left - mended.controlLength - mended.addLength;
    mended.targetSize = mended.addLength + mended.extraLength;
    mended.controlCount = std::min<uint64_t>(mended.controlCount, mended.controlLength / 3);
    mended.write(delta.data());
    vorn::BinaryDeltaHeader header;
    return vorn::ReadBinaryDeltaHeader(delta.data(), delta.size(), header) == vorn::kResultOk;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> delta(data, data + size);
    (void)Apply(delta);
    if (!MendLengths(delta))
        return 0;
    const Outcome first = Apply(delta);
    if (first.result != vorn::kResultCrcError)
        return 0;
    const uint32_t crc = vorn::Crc32(0, first.written.data(), first.written.size());
    for (int i = 0; i < 4; ++i)
        delta[12 + i] = uint8_t(crc >> (8 * i));
    const Outcome second = Apply(delta);
    // Whole but for its CRC: the same bytes again, now accepted.
    if (second.result == vorn::kResultOk && second.written != first.written)
        std::abort();
    return 0;
}
