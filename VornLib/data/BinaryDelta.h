// Binary deltas: a new version of a file (the target) described against the
// version already installed (the base), so that an update carries only what
// changed. A delta is a list of control triples; each one says: take
// `addLength` bytes from the base at the current base position and add the
// next add bytes to them, byte by byte (modulo 256), then copy `extraLength`
// bytes literally from the extra section, then move the base position by
// `baseSeek`. The target is what the triples write, in order. Code that moved
// differs from its old copy only where it names addresses, so the add bytes
// are mostly zeros: the delta is left uncompressed here, and the container
// that carries it compresses it.
//
// Layout, little-endian, sections in this order so that each compresses with
// its own kind:
//   offset  size
//        0     8  magic: "VornDlt" 0x1A
//        8     4  version: 1
//       12     4  CRC-32 (zlib's) of the whole target
//       16     8  base size
//       24     8  target size
//       32     8  count of control triples
//       40     8  control section length in bytes
//       48     8  add section length (the sum of the triples' add lengths)
//       56     8  extra section length (the sum of their extra lengths)
//       64        control section: per triple, the add length, the extra
//                 length and the zigzag-encoded base seek as LEB128 numbers
//                 add section, then extra section
// The add and extra sections together are exactly the target's size, and
// the delta ends where the extra section does.
#pragma once

#include <cstddef>
#include <cstdint>

#include "VornLib/core/Result.h"
#include "VornLib/core/Stream.h"

namespace vorn {

constexpr uint8_t kBinaryDeltaMagic[8] = {'V', 'o', 'r', 'n', 'D', 'l', 't', 0x1A};

struct BinaryDeltaHeader {
    static constexpr uint32_t kSize = 64;
    static constexpr uint32_t kVersion = 1;

    uint32_t targetCrc = 0;
    uint64_t baseSize = 0;
    uint64_t targetSize = 0;
    uint64_t controlCount = 0;
    uint64_t controlLength = 0;
    uint64_t addLength = 0;
    uint64_t extraLength = 0;

    // Writes kSize bytes: magic, version and the facts above.
    void write(uint8_t* bytes) const;
};

struct BinaryDeltaControl {
    // Three LEB128 numbers of 64 bits: at most ten bytes each.
    static constexpr uint32_t kMaxSize = 30;

    uint64_t addLength = 0;
    uint64_t extraLength = 0;
    int64_t baseSeek = 0;

    // Writes the triple as the control section holds it; gives its length.
    uint32_t write(uint8_t* bytes) const;
};

// Facts from a delta's header: 0; 15 for a null delta; 22 when it is not a
// delta this reader knows or its lengths do not add up to its size.
Result ReadBinaryDeltaHeader(const uint8_t* delta, size_t size, BinaryDeltaHeader& header);

// Writes the target: the base is read with seek() and read(), the delta lies
// whole in memory, the target is written in order in blocks of up to 1 MiB
// (the one buffer this takes). 0; 22 when the delta is damaged, is not made
// for a base of this size, names bytes outside the base, or the result's CRC
// differs; a stream's own failure code otherwise. A failure can come after
// some of the target was written: write it where a failure leaves no harm.
Result ApplyBinaryDelta(Stream& base, const uint8_t* delta, size_t deltaSize, Stream& target);

} // namespace vorn
