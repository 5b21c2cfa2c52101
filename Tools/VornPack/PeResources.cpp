#include "Tools/VornPack/PeResources.h"

#include <algorithm>
#include <cstring>

#include "Tools/VornPack/ResourceTree.h"
#include "Tools/VornPack/VornNames.h"
#include "VornLib/core/LittleEndian.h"

namespace vornpack {

using vorn::ReadLittleEndian16;
using vorn::ReadLittleEndian32;

namespace {

struct HeaderLayout {
    uint16_t magic;
    uint32_t directoryCountOffset; // from the optional header's start
    uint32_t directoriesOffset;
};
constexpr HeaderLayout kLayouts[] = {
    {0x10B, 92, 96},   // PE32
    {0x20B, 108, 112}, // PE32+
};
// Fields at the same place in both optional headers.
constexpr uint32_t kSectionAlignmentField = 32;
constexpr uint32_t kFileAlignmentField = 36;
constexpr uint32_t kSizeOfHeadersField = 60;

constexpr uint32_t kDosHeaderSize = 0x40;
constexpr uint32_t kPeOffsetField = 0x3C;
constexpr uint32_t kFileHeaderSize = 20;
constexpr uint32_t kSecurityDirectory = 4;
// More leaves than any real program has; stops a tree whose directories all
// point at one another from multiplying.
constexpr size_t kMaxLeaves = 65536;

bool IsPowerOfTwo(uint32_t value) {
    return value && !(value & (value - 1));
}
} // namespace

bool ResourceKey::operator<(const ResourceKey& other) const {
    if (named != other.named)
        return named;
    return named ? name < other.name : id < other.id;
}

Result PeImage::read(const uint8_t* bytes, size_t available, uint64_t fileSize) {
    *this = PeImage();
    if (!bytes)
        return vorn::kResultNullInput;
    if (available > fileSize)
        return vorn::kResultInvalidArgument;
    // Headers that run past what was read may still be whole in the file.
    const Result cut = available < fileSize ? vorn::kResultEndOfData : vorn::kResultMalformed;
    if (available < kDosHeaderSize)
        return cut;
    if (bytes[0] != 'M' || bytes[1] != 'Z')
        return vorn::kResultMalformed;
    const uint32_t peOffset = ReadLittleEndian32(bytes + kPeOffsetField);
    if (uint64_t(peOffset) + 4 + kFileHeaderSize + 2 > available)
        return cut;
    if (std::memcmp(bytes + peOffset, "PE\0\0", 4) != 0)
        return vorn::kResultMalformed;
    const uint8_t* fileHeader = bytes + peOffset + 4;
    const uint32_t sectionCount = ReadLittleEndian16(fileHeader + 2);
    const uint32_t optionalSize = ReadLittleEndian16(fileHeader + 16);
    const uint32_t optional = peOffset + 4 + kFileHeaderSize;
    const uint16_t magic = ReadLittleEndian16(bytes + optional);
    const HeaderLayout* layout = nullptr;
    for (const HeaderLayout& candidate : kLayouts) {
        if (candidate.magic == magic)
            layout = &candidate;
    }
    if (!layout)
        return vorn::kResultUnsupportedFormat;
    if (optionalSize < layout->directoriesOffset)
        return vorn::kResultMalformed;
    if (uint64_t(optional) + optionalSize + uint64_t(sectionCount) * kSectionHeaderSize > available)
        return cut;
    const uint8_t* header = bytes + optional;
    const uint32_t directoryCount = ReadLittleEndian32(header + layout->directoryCountOffset);
    if ((optionalSize - layout->directoriesOffset) / 8 < std::min<uint32_t>(directoryCount, 16))
        return vorn::kResultMalformed;
    if (directoryCount <= kResourceDirectory)
        return vorn::kResultUnsupportedFormat;

    bytes_ = bytes;
    size_ = available;
    fileSize_ = fileSize;
    is64_ = magic == 0x20B;
    headersOffset_ = peOffset;
    optionalOffset_ = optional;
    directoriesOffset_ = optional + layout->directoriesOffset;
    sectionTableOffset_ = optional + optionalSize;
    sectionAlignment_ = ReadLittleEndian32(header + kSectionAlignmentField);
    fileAlignment_ = ReadLittleEndian32(header + kFileAlignmentField);
    sizeOfHeaders_ = ReadLittleEndian32(header + kSizeOfHeadersField);
    const Result invalid = vorn::kResultMalformed;
    if (!IsPowerOfTwo(fileAlignment_) || !IsPowerOfTwo(sectionAlignment_) ||
        sectionAlignment_ < fileAlignment_ || sizeOfHeaders_ > fileSize) {
        *this = PeImage();
        return invalid;
    }
    if (directoryCount > kSecurityDirectory) {
        // Its address is a file offset: certificates are not mapped.
        const uint8_t* security = bytes + directoriesOffset_ + 8 * kSecurityDirectory;
        certificates_ = {ReadLittleEndian32(security), ReadLittleEndian32(security + 4)};
    }
    for (uint32_t i = 0; i < sectionCount; ++i) {
        const uint8_t* entry = bytes + sectionTableOffset_ + i * kSectionHeaderSize;
        const Section section = {ReadLittleEndian32(entry + 8), ReadLittleEndian32(entry + 12),
                                 ReadLittleEndian32(entry + 16), ReadLittleEndian32(entry + 20)};
        if (section.rawSize && uint64_t(section.rawOffset) + section.rawSize > fileSize) {
            *this = PeImage();
            return invalid;
        }
        sections_.push_back(section);
    }
    const Result result = readTree();
    if (result != vorn::kResultOk)
        *this = PeImage();
    return result;
}

Result PeImage::parse(const uint8_t* bytes, size_t size) {
    const Result result = read(bytes, size, size);
    if (result != vorn::kResultOk || !isSigned())
        return result;
    *this = PeImage();
    return vorn::kResultAccessDenied;
}

Result PeImage::treeBytes(uint64_t end) const {
    if (end > treeEnd_)
        return vorn::kResultMalformed;
    return end > size_ ? vorn::kResultEndOfData : vorn::kResultOk;
}

bool PeImage::fileOffsetOf(uint32_t rva, uint32_t size, uint64_t* out) const {
    for (const Section& section : sections_) {
        // A section without file data has no trustworthy raw offset.
        if (section.rawSize && rva >= section.virtualAddress &&
            uint64_t(rva) + size <= uint64_t(section.virtualAddress) + section.rawSize) {
            *out = uint64_t(section.rawOffset) + (rva - section.virtualAddress);
            return true;
        }
    }
    return false;
}

Result PeImage::readKey(uint32_t entryValue, ResourceKey* out) const {
    if (!(entryValue & kHighBit)) {
        *out = ResourceKey::Id(uint16_t(entryValue));
        return vorn::kResultOk;
    }
    const uint64_t at = treeOffset_ + (entryValue & ~kHighBit);
    Result result = treeBytes(at + 2);
    if (result != vorn::kResultOk)
        return result;
    const uint32_t length = ReadLittleEndian16(bytes_ + at);
    if ((result = treeBytes(at + 2 + 2 * uint64_t(length))) != vorn::kResultOk)
        return result;
    std::u16string name(length, u'\0');
    for (uint32_t i = 0; i < length; ++i)
        name[i] = char16_t(ReadLittleEndian16(bytes_ + at + 2 + 2 * i));
    *out = ResourceKey::Name(name);
    return vorn::kResultOk;
}

Result PeImage::readTree() {
    const uint8_t* directory = bytes_ + directoriesOffset_ + 8 * kResourceDirectory;
    const uint32_t rva = ReadLittleEndian32(directory);
    if (!rva || !ReadLittleEndian32(directory + 4))
        return vorn::kResultOk; // no resources yet
    for (size_t i = 0; i < sections_.size(); ++i) {
        const Section& section = sections_[i];
        if (rva >= section.virtualAddress && rva - section.virtualAddress < section.rawSize) {
            resourceSection_ = int(i);
            treeOffset_ = section.rawOffset + (rva - section.virtualAddress);
            treeEnd_ = uint64_t(section.rawOffset) + section.rawSize;
        }
    }
    if (resourceSection_ < 0)
        return vorn::kResultMalformed;

    // Type, name and language, each a directory; the loader knows no other shape.
    struct Pending {
        uint32_t offset;
        uint32_t level;
        ResourceKey type;
        ResourceKey name;
    };
    std::vector<Pending> pending = {{0, 0, {}, {}}};
    while (!pending.empty()) {
        const Pending at = pending.back();
        pending.pop_back();
        const uint64_t start = treeOffset_ + at.offset;
        Result result = treeBytes(start + kDirectoryHeaderSize);
        if (result != vorn::kResultOk)
            return result;
        const uint32_t count = uint32_t(ReadLittleEndian16(bytes_ + start + 12)) +
                               ReadLittleEndian16(bytes_ + start + 14);
        result = treeBytes(start + kDirectoryHeaderSize + uint64_t(count) * kDirectoryEntrySize);
        if (result != vorn::kResultOk)
            return result;
        // Pushed in reverse so that the leaves come out in the file's order.
        for (uint32_t i = count; i-- > 0;) {
            const uint8_t* entry = bytes_ + start + kDirectoryHeaderSize + i * kDirectoryEntrySize;
            ResourceKey key;
            result = readKey(ReadLittleEndian32(entry), &key);
            if (result != vorn::kResultOk)
                return result;
            const uint32_t target = ReadLittleEndian32(entry + 4);
            const bool isDirectory = (target & kHighBit) != 0;
            if (isDirectory != (at.level < 2) || (at.level == 2 && key.named))
                return vorn::kResultUnsupportedFormat;
            if (at.level == 0) {
                pending.push_back({target & ~kHighBit, 1, key, {}});
                continue;
            }
            if (at.level == 1) {
                pending.push_back({target & ~kHighBit, 2, at.type, key});
                continue;
            }
            const uint64_t dataEntry = treeOffset_ + target;
            if ((result = treeBytes(dataEntry + kDataEntrySize)) != vorn::kResultOk)
                return result;
            ResourceLeaf leaf;
            leaf.type = at.type;
            leaf.name = at.name;
            leaf.language = key.id;
            leaf.size = ReadLittleEndian32(bytes_ + dataEntry + 4);
            leaf.codePage = ReadLittleEndian32(bytes_ + dataEntry + 8);
            if (!fileOffsetOf(ReadLittleEndian32(bytes_ + dataEntry), leaf.size, &leaf.fileOffset))
                return vorn::kResultMalformed;
            if (leaves_.size() >= kMaxLeaves)
                return vorn::kResultCapacityExceeded;
            leaves_.push_back(leaf);
        }
        if (pending.size() > kMaxLeaves)
            return vorn::kResultCapacityExceeded;
    }
    return vorn::kResultOk;
}

} // namespace vornpack
