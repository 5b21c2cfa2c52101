// Packs one entry's bytes the way the container's readers expect: deflate as
// one zlib stream, the other methods as the block sequence (blocks of at most
// 4 MiB unpacked, each compressed on its own, written raw when it does not
// shrink). The property values default to the shipped payload's.
//
// An entry too large to hold in memory is encoded piece by piece: its bytes
// are EntryPrefix, then each piece's EncodePiece bytes in order, then
// EntrySuffix. Pieces are independent of each other (for the block methods a
// piece is whole blocks; deflate restarts at each piece and ends all but the
// last with a sync flush), so that they can be encoded on any thread.
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
    // LZMA's match finder on a thread of its own (2) or not (1): other bytes
    // (equally valid, the same for any number of cores), in about half the time
    // when nothing else keeps the other core busy.
    uint8_t matchFinderThreads = 1;
    // Called after each block with the entry's bytes encoded so far, so that
    // a large file shows progress while it is packed.
    void (*blockEncoded)(void* context, uint64_t bytesDone) = nullptr;
    void* blockContext = nullptr;
};

struct EncodedEntry {
    vorn::CompressionKind kind = vorn::CompressionKind::Stored;
    std::vector<uint8_t> packed;
    // CRC-32 of the unpacked bytes.
    uint32_t checksum = 0;
};

struct EncodedPiece {
    std::vector<uint8_t> packed;
    // CRC-32 and Adler-32 of the piece's unpacked bytes, for the entry's.
    uint32_t checksum = 0;
    uint32_t adler = 1;
    uint32_t length = 0;
};

// Encodes `length` bytes with `kind`. Deflate that does not shrink falls back to
// stored, like a block that does not shrink falls back to raw.
vorn::Result EncodeEntry(vorn::CompressionKind kind, const uint8_t* data, size_t length,
                         const EncoderSettings& settings, EncodedEntry* out);

// What comes before the first piece: the property bytes of the LZMA family,
// the zlib header of deflate.
vorn::Result EntryPrefix(vorn::CompressionKind kind, const EncoderSettings& settings,
                         std::vector<uint8_t>* out);
// One piece; `last` for the entry's final one.
vorn::Result EncodePiece(vorn::CompressionKind kind, const uint8_t* data, uint32_t length,
                         bool last, const EncoderSettings& settings, EncodedPiece* out);
// What comes after the last piece, given the Adler-32 of the entry's bytes:
// deflate's trailer.
void EntrySuffix(vorn::CompressionKind kind, uint32_t adler, std::vector<uint8_t>* out);
// CRC-32 (zlib's) of `length` bytes.
uint32_t ChecksumOf(const uint8_t* data, size_t length);
// The checksums of two runs of bytes made one, as if computed over both.
uint32_t CombineChecksums(uint32_t first, uint32_t second, uint32_t secondLength);
uint32_t CombineAdlers(uint32_t first, uint32_t second, uint32_t secondLength);

// Appends one LEB128 varint.
void AppendVarint(std::vector<uint8_t>* out, uint32_t value);

} // namespace vornpack
