// libFuzzer target: mounts the input as a container and reads every entry of
// its directory through the real decoders (solid groups, their filters and
// members included). Any outcome but a result code
// (crash, hang, out-of-bounds access, runaway allocation) is a finding.
// Mutations rarely keep a header's CRC right, so an input whose checksums are
// wrong is mounted a second time with them mended: the fields behind the
// checksums get fuzzed too, and the refusal of bad checksums still runs.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "VornLib/core/LittleEndian.h"
#include "VornLib/data/ArchiveFormat.h"
#include "VornLib/data/ArchiveMount.h"
#include "VornLib/data/MemoryStream.h"

namespace {

// Decompression can legitimately multiply the input; stop reading an input
// after this much so that one case stays fast.
constexpr uint64_t kReadBudget = 32u << 20;

// Writes the checksum an entry header at `offset` should have; false when
// there is no whole header there.
bool MendEntryHeader(std::vector<uint8_t>& bytes, uint64_t offset, vorn::EntryHeader* header) {
    if (offset < vorn::ArchiveHeader::kSize || offset > bytes.size() ||
        bytes.size() - offset < vorn::EntryHeader::kSize)
        return false;
    uint8_t* at = bytes.data() + offset;
    vorn::WriteLittleEndian32(at + vorn::EntryHeader::kChecksumOffset, header->parse(at));
    return true;
}

// The archive header, the directory's header and the headers of entries laid
// one after another from the start (as the packer writes them).
void MendChecksums(std::vector<uint8_t>& bytes) {
    if (bytes.size() < vorn::ArchiveHeader::kSize)
        return;
    vorn::ArchiveHeader archive;
    vorn::WriteLittleEndian32(bytes.data() + vorn::ArchiveHeader::kChecksumOffset,
                              archive.parse(bytes.data()));
    vorn::EntryHeader entry;
    MendEntryHeader(bytes, archive.directoryOffset, &entry);
    for (uint64_t offset = vorn::ArchiveHeader::kSize; MendEntryHeader(bytes, offset, &entry);) {
        if (entry.packedSize > bytes.size())
            break;
        offset += vorn::EntryHeader::kSize + entry.packedSize;
    }
}

void MountAndRead(const uint8_t* data, size_t size) {
    vorn::MemoryStream container(data, uint32_t(size), u"fuzz");
    vorn::ArchiveMount mount;
    if (mount.open(&container) != vorn::kResultOk)
        return;
    static std::vector<uint8_t> buffer(1 << 16);
    uint64_t budget = kReadBudget;
    for (uint32_t i = 0; i < mount.recordCount() && budget; ++i) {
        vorn::SubStream* entry = nullptr;
        if (mount.openRecord(i, &entry) != vorn::kResultOk)
            continue;
        for (uint64_t left = entry->size(); left && budget;) {
            const uint32_t piece =
                uint32_t(std::min<uint64_t>({left, uint64_t(buffer.size()), budget}));
            if (entry->read(buffer.data(), piece) != vorn::kResultOk)
                break;
            left -= piece;
            budget -= piece;
        }
        if (mount.releaseEntry(entry) != vorn::kResultOk)
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0 || size > 0xFFFFFFFFu)
        return 0;
    MountAndRead(data, size);
    // An exact copy, so that the sanitizer still sees any read past the end.
    std::vector<uint8_t> mended(data, data + size);
    MendChecksums(mended);
    if (!std::equal(mended.begin(), mended.end(), data))
        MountAndRead(mended.data(), mended.size());
    return 0;
}
