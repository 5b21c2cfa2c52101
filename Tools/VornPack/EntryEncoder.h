// Packs one entry's bytes the way the container's readers expect: deflate as
// one zlib stream, the other methods as the block sequence (blocks of at most
// 4 MiB unpacked, each compressed on its own, written raw when it does not
// shrink). The property values default to the shipped payload's.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "VornLib/data/ArchiveFormat.h"

namespace vornpack {

struct EncoderSettings {
    uint32_t blockSize = 4u << 20;
    uint8_t lzmaProperties = 0x08; // lc = 8, lp = 0, pb = 0
    uint32_t lzmaDictionary = 4u << 20;
    uint8_t ppmdOrder = 32;
    uint32_t ppmdMemory = 192u << 20;
    uint32_t lzma2Dictionary = 4u << 20;
    // Called after each block with the entry's bytes encoded so far, so that
    // a large file shows progress while it is packed.
    void (*blockEncoded)(void* context, uint64_t bytesDone) = nullptr;
    void* blockContext = nullptr;
};

struct EncodedEntry {
    vorn::CompressionKind kind = vorn::CompressionKind::Stored;
    std::vector<uint8_t> packed;
};

// Encodes `length` bytes with `kind`. Deflate that does not shrink falls back to
// stored, like a block that does not shrink falls back to raw.
vorn::Result EncodeEntry(vorn::CompressionKind kind, const uint8_t* data, size_t length,
                         const EncoderSettings& settings, EncodedEntry* out);

// Appends one LEB128 varint.
void AppendVarint(std::vector<uint8_t>* out, uint32_t value);

} // namespace vornpack
