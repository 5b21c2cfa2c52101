#include "Tools/VornPack/PeResources.h"

#include <algorithm>
#include <cstring>

#include "Tools/VornPack/PeChecksum.h"
#include "Tools/VornPack/ResourceTree.h"
#include "VornLib/core/LittleEndian.h"

namespace vornpack {

using vorn::ReadLittleEndian16;
using vorn::ReadLittleEndian32;
using vorn::Result;
using vorn::WriteLittleEndian16;
using vorn::WriteLittleEndian32;

namespace {

constexpr uint32_t kDosHeaderSize = 0x40;
constexpr uint32_t kPeOffsetField = 0x3C;
constexpr uint32_t kFileHeaderSize = 20;
constexpr uint32_t kSectionHeaderSize = 40;
constexpr uint32_t kResourceDirectory = 2;
constexpr uint32_t kSecurityDirectory = 4;
// More leaves than any real program has; stops a tree whose directories all
// point at one another from multiplying.
constexpr size_t kMaxLeaves = 65536;
constexpr uint32_t kPageSize = 0x1000;
constexpr uint32_t kResourceCharacteristics = 0x40000040; // initialised data, readable
constexpr uint32_t kCopyChunk = 1u << 20;

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
constexpr uint32_t kSizeOfImageField = 56;
constexpr uint32_t kSizeOfHeadersField = 60;

bool IsPowerOfTwo(uint32_t value) {
    return value && !(value & (value - 1));
}
uint64_t AlignUp(uint64_t value, uint32_t alignment) {
    return (value + alignment - 1) / alignment * alignment;
}

// The image's output, summed on the way for its checksum.
class ChecksummedOutput {
public:
    explicit ChecksummedOutput(vorn::Stream* out) : out_(out) {}
    Result write(const uint8_t* bytes, uint32_t count) {
        checksum_.add(bytes, count);
        return out_->write(bytes, count);
    }
    const PeChecksum& checksum() const { return checksum_; }

private:
    vorn::Stream* out_;
    PeChecksum checksum_;
};

Result WriteZeros(ChecksummedOutput* out, uint64_t count) {
    static const uint8_t kZeros[4096] = {};
    while (count) {
        const uint32_t piece = uint32_t(std::min<uint64_t>(count, sizeof(kZeros)));
        const Result result = out->write(kZeros, piece);
        if (result != vorn::kResultOk)
            return result;
        count -= piece;
    }
    return vorn::kResultOk;
}

Result WriteBytes(ChecksummedOutput* out, const uint8_t* bytes, uint64_t count) {
    while (count) {
        const uint32_t piece = uint32_t(std::min<uint64_t>(count, kCopyChunk));
        const Result result = out->write(bytes, piece);
        if (result != vorn::kResultOk)
            return result;
        bytes += piece;
        count -= piece;
    }
    return vorn::kResultOk;
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

Result PeImage::writeWithResource(const ResourceKey& type, const ResourceKey& name,
                                  vorn::Stream* data, uint64_t length, vorn::Stream* out) const {
    if (!data)
        return vorn::kResultNullInput;
    if (!out)
        return vorn::kResultNullOutput;
    if (!bytes_ || size_ != fileSize_)
        return vorn::kResultWrongState;
    if (isSigned())
        return vorn::kResultAccessDenied;
    if (length > 0xFFFFFFFFu)
        return vorn::kResultCapacityExceeded;

    TypeDirectory tree;
    const ResourceLeaf* replaced = nullptr;
    for (const ResourceLeaf& leaf : leaves_) {
        if (leaf.type == type && leaf.name == name) {
            replaced = replaced ? replaced : &leaf;
            continue;
        }
        tree[leaf.type][leaf.name].emplace(leaf.language, NewLeaf{&leaf, leaf.codePage, leaf.size});
    }
    NewLeaf& added =
        tree[type][name]
            .emplace(replaced ? replaced->language : 0,
                     NewLeaf{nullptr, replaced ? replaced->codePage : 0, uint32_t(length)})
            .first->second;

    // Old data first, in tree order; the large new resource last.
    TreeEncoder encoder(&tree);
    uint64_t contentSize = encoder.measure();
    std::vector<NewLeaf*> oldLeaves;
    for (auto& typeEntry : tree) {
        for (auto& nameEntry : typeEntry.second) {
            for (auto& language : nameEntry.second) {
                if (!language.second.old)
                    continue;
                language.second.dataOffset = uint32_t(contentSize);
                contentSize = AlignUp(contentSize + language.second.size, kDataAlignment);
                oldLeaves.push_back(&language.second);
                if (contentSize > 0xFFFFFFFFu)
                    return vorn::kResultCapacityExceeded;
            }
        }
    }
    added.dataOffset = uint32_t(contentSize);
    contentSize += length;

    // Where the section goes: in place of the old one when that is last in
    // the image, else after the last section with one more header.
    size_t lastSection = 0;
    for (size_t i = 1; i < sections_.size(); ++i) {
        if (sections_[i].virtualAddress > sections_[lastSection].virtualAddress)
            lastSection = i;
    }
    const bool replaceLast = resourceSection_ >= 0 && size_t(resourceSection_) == lastSection;
    uint32_t sectionRva = 0;
    uint64_t keepEnd = size_;
    uint32_t headerAt = sectionTableOffset_ + uint32_t(sections_.size()) * kSectionHeaderSize;
    if (replaceLast) {
        const Section& old = sections_[lastSection];
        sectionRva = old.virtualAddress;
        headerAt = sectionTableOffset_ + uint32_t(lastSection) * kSectionHeaderSize;
        // Nothing after it and clear of the headers: its bytes are replaced.
        if (old.rawSize && uint64_t(old.rawOffset) + old.rawSize == size_ &&
            old.rawOffset >= std::max<uint64_t>(sizeOfHeaders_, headerAt + kSectionHeaderSize))
            keepEnd = old.rawOffset;
    } else {
        uint64_t firstRaw = sizeOfHeaders_;
        for (const Section& section : sections_) {
            if (section.rawSize)
                firstRaw = std::min<uint64_t>(firstRaw, section.rawOffset);
        }
        if (headerAt + kSectionHeaderSize > firstRaw)
            return vorn::kResultCapacityExceeded;
        // Some linkers keep bound imports right after the section table.
        for (uint32_t i = 0; i < kSectionHeaderSize; ++i) {
            if (bytes_[headerAt + i])
                return vorn::kResultCapacityExceeded;
        }
        uint64_t end = 0;
        if (!sections_.empty()) {
            const Section& last = sections_[lastSection];
            end = uint64_t(last.virtualAddress) + std::max(last.virtualSize, last.rawSize);
        }
        end = AlignUp(std::max<uint64_t>(end, sizeOfHeaders_), sectionAlignment_);
        if (end > 0xFFFFFFFFu)
            return vorn::kResultCapacityExceeded;
        sectionRva = uint32_t(end);
    }
    // A page-aligned section can be mapped by the loader, so that the payload's
    // pages are read as they are used instead of all at start.
    const uint32_t rawAlignment =
        sectionAlignment_ >= kPageSize ? std::max(fileAlignment_, kPageSize) : fileAlignment_;
    const uint64_t rawOffset = AlignUp(keepEnd, rawAlignment);
    const uint64_t rawSize = AlignUp(contentSize, fileAlignment_);
    const uint64_t imageSize = AlignUp(uint64_t(sectionRva) + contentSize, sectionAlignment_);
    if (rawSize > 0xFFFFFFFFu || rawOffset > 0xFFFFFFFFu || imageSize > 0xFFFFFFFFu)
        return vorn::kResultCapacityExceeded;

    // The headers, patched.
    std::vector<uint8_t> headers(
        bytes_, bytes_ + std::max<uint64_t>(sizeOfHeaders_, headerAt + kSectionHeaderSize));
    uint8_t* section = &headers[headerAt];
    if (!replaceLast) {
        std::memset(section, 0, kSectionHeaderSize);
        std::memcpy(section, ".rsrc", 5);
        WriteLittleEndian32(section + 36, kResourceCharacteristics);
        uint8_t* count = &headers[headersOffset_ + 4 + 2];
        WriteLittleEndian16(count, uint16_t(ReadLittleEndian16(count) + 1));
        // Tools that find resources by section name must not meet the old tree.
        if (resourceSection_ >= 0)
            std::memcpy(
                &headers[sectionTableOffset_ + uint32_t(resourceSection_) * kSectionHeaderSize],
                ".oldrsrc", 8);
    }
    WriteLittleEndian32(section + 8, uint32_t(contentSize));
    WriteLittleEndian32(section + 12, sectionRva);
    WriteLittleEndian32(section + 16, uint32_t(rawSize));
    WriteLittleEndian32(section + 20, uint32_t(rawOffset));
    WriteLittleEndian32(&headers[optionalOffset_ + kSizeOfImageField], uint32_t(imageSize));
    WriteLittleEndian32(&headers[optionalOffset_ + kCheckSumField], 0);
    uint8_t* resourceDirectory = &headers[directoriesOffset_ + 8 * kResourceDirectory];
    WriteLittleEndian32(resourceDirectory, sectionRva);
    WriteLittleEndian32(resourceDirectory + 4, uint32_t(contentSize));

    const uint32_t headSize = encoder.measure();
    const std::vector<uint8_t> head = encoder.encode(sectionRva, headSize);

    const uint64_t base = out->position();
    ChecksummedOutput image(out);
    Result result = WriteBytes(&image, headers.data(), std::min<uint64_t>(headers.size(), keepEnd));
    if (result == vorn::kResultOk && keepEnd > headers.size())
        result = WriteBytes(&image, bytes_ + headers.size(), keepEnd - headers.size());
    if (result == vorn::kResultOk)
        result = WriteZeros(&image, rawOffset - keepEnd);
    if (result == vorn::kResultOk)
        result = WriteBytes(&image, head.data(), head.size());
    uint64_t written = head.size();
    for (const NewLeaf* leaf : oldLeaves) {
        if (result != vorn::kResultOk)
            break;
        result = WriteZeros(&image, leaf->dataOffset - written);
        if (result == vorn::kResultOk)
            result = WriteBytes(&image, bytes_ + leaf->old->fileOffset, leaf->size);
        written = leaf->dataOffset + uint64_t(leaf->size);
    }
    if (result == vorn::kResultOk)
        result = WriteZeros(&image, added.dataOffset - written);
    std::vector<uint8_t> chunk(size_t(std::min<uint64_t>(length, kCopyChunk)));
    for (uint64_t done = 0; result == vorn::kResultOk && done < length;) {
        const uint32_t piece = uint32_t(std::min<uint64_t>(length - done, kCopyChunk));
        result = data->read(chunk.data(), piece);
        if (result == vorn::kResultOk)
            result = image.write(chunk.data(), piece);
        done += piece;
    }
    if (result == vorn::kResultOk)
        result = WriteZeros(&image, rawSize - contentSize);
    // The field was written as zeros; the sum is complete now.
    uint8_t checksum[4];
    WriteLittleEndian32(checksum, image.checksum().value());
    const uint64_t end = out->position();
    if (result == vorn::kResultOk)
        result = out->seek(base + optionalOffset_ + kCheckSumField);
    if (result == vorn::kResultOk)
        result = out->write(checksum, sizeof(checksum));
    if (result == vorn::kResultOk)
        result = out->seek(end);
    return result;
}

} // namespace vornpack
