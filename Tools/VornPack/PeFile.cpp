#include "Tools/VornPack/PeFile.h"

#include <algorithm>

#include "Tools/VornPack/VornNames.h"
#include "VornLib/core/LittleEndian.h"

namespace vornpack {

namespace {

constexpr uint64_t kFirstRead = 1u << 20;
// A tree further in than this is not one of a setup.
constexpr uint64_t kMostRead = 64u << 20;
// A certificate's header: its length, revision and type.
constexpr uint32_t kCertificateHeaderSize = 8;

} // namespace

Result ReadImageStart(vorn::Stream* file, std::vector<uint8_t>* bytes, PeImage* image) {
    const uint64_t fileSize = file->size();
    for (uint64_t amount = std::min(fileSize, kFirstRead);;
         amount = std::min(fileSize, amount * 4)) {
        bytes->resize(size_t(amount));
        Result result = file->seek(0);
        if (result == vorn::kResultOk && amount)
            result = file->read(bytes->data(), uint32_t(amount));
        if (result == vorn::kResultOk)
            result = image->read(bytes->data(), bytes->size(), fileSize);
        if (result != vorn::kResultEndOfData || amount == fileSize || amount >= kMostRead)
            return result == vorn::kResultEndOfData ? vorn::kResultMalformed : result;
    }
}

Result FindResource(const PeImage& image, const ResourceKey& type, const ResourceKey& name,
                    uint64_t* offset, uint64_t* size) {
    for (const ResourceLeaf& leaf : image.resources()) {
        if (leaf.type == type && leaf.name == name) {
            *offset = leaf.fileOffset;
            *size = leaf.size;
            return vorn::kResultOk;
        }
    }
    return vorn::kResultNotFound;
}

bool CarriesSignature(vorn::Stream* file, const PeImage& image) {
    const CertificateTable& table = image.certificates();
    uint8_t header[kCertificateHeaderSize];
    if (table.size < kCertificateHeaderSize || uint64_t(table.offset) + table.size > file->size() ||
        file->seek(table.offset) != vorn::kResultOk ||
        file->read(header, sizeof(header)) != vorn::kResultOk)
        return false;
    const uint32_t length = vorn::ReadLittleEndian32(header);
    return length > kCertificateHeaderSize && length <= table.size;
}

} // namespace vornpack
