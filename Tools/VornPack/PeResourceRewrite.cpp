// PeImage's rewriter: the image written again with one resource replaced by a
// streamed one, in a resource section of its own at the end of the image.
#include <algorithm>
#include <cstring>

#include "Tools/VornPack/PeChecksum.h"
#include "Tools/VornPack/PeResources.h"
#include "Tools/VornPack/ResourceTree.h"
#include "Tools/VornPack/VornNames.h"
#include "VornLib/core/LittleEndian.h"

namespace vornpack {

using vorn::ReadLittleEndian16;
using vorn::WriteLittleEndian16;
using vorn::WriteLittleEndian32;

namespace {

constexpr uint32_t kPageSize = 0x1000;
constexpr uint32_t kResourceCharacteristics = 0x40000040; // initialised data, readable
constexpr uint32_t kCopyChunk = 1u << 20;
constexpr uint32_t kSizeOfImageField = 56; // in both optional headers

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

Result CopyStream(ChecksummedOutput* out, vorn::Stream* data, uint64_t length) {
    std::vector<uint8_t> chunk(size_t(std::min<uint64_t>(length, kCopyChunk)));
    Result result = vorn::kResultOk;
    for (uint64_t done = 0; result == vorn::kResultOk && done < length;) {
        const uint32_t piece = uint32_t(std::min<uint64_t>(length - done, kCopyChunk));
        result = data->read(chunk.data(), piece);
        if (result == vorn::kResultOk)
            result = out->write(chunk.data(), piece);
        done += piece;
    }
    return result;
}

} // namespace

class PeImage::Rewrite {
public:
    explicit Rewrite(const PeImage& image) : image_(image) {}

    // The new tree: every old leaf but those of (type, name), whose place the
    // `length` streamed bytes take; old data first, in tree order, the large
    // new resource last.
    Result planContent(const ResourceKey& type, const ResourceKey& name, uint64_t length);
    // Where the section goes: in place of the old one when that is last in
    // the image, else after the last section with one more header.
    Result placeSection();
    Result write(vorn::Stream* data, uint64_t length, vorn::Stream* out);

private:
    Result placeAfterLastSection(size_t lastSection);
    std::vector<uint8_t> patchedHeaders() const;
    Result writeContent(ChecksummedOutput* image, vorn::Stream* data, uint64_t length);

    const PeImage& image_;
    TypeDirectory tree_;
    TreeEncoder encoder_{&tree_};
    NewLeaf* added_ = nullptr;
    std::vector<NewLeaf*> oldLeaves_;
    uint64_t contentSize_ = 0;
    bool replaceLast_ = false;
    uint32_t headerAt_ = 0; // the file offset of the section's header
    uint32_t sectionRva_ = 0;
    uint64_t keepEnd_ = 0; // the old file's bytes kept before the section
    uint64_t rawOffset_ = 0;
    uint64_t rawSize_ = 0;
    uint64_t imageSize_ = 0;
};

Result PeImage::Rewrite::planContent(const ResourceKey& type, const ResourceKey& name,
                                     uint64_t length) {
    const ResourceLeaf* replaced = nullptr;
    for (const ResourceLeaf& leaf : image_.leaves_) {
        if (leaf.type == type && leaf.name == name) {
            replaced = replaced ? replaced : &leaf;
            continue;
        }
        tree_[leaf.type][leaf.name].emplace(leaf.language,
                                            NewLeaf{&leaf, leaf.codePage, leaf.size});
    }
    added_ = &tree_[type][name]
                  .emplace(replaced ? replaced->language : 0,
                           NewLeaf{nullptr, replaced ? replaced->codePage : 0, uint32_t(length)})
                  .first->second;

    contentSize_ = encoder_.measure();
    for (auto& typeEntry : tree_) {
        for (auto& nameEntry : typeEntry.second) {
            for (auto& language : nameEntry.second) {
                if (!language.second.old)
                    continue;
                language.second.dataOffset = uint32_t(contentSize_);
                contentSize_ = AlignUp(contentSize_ + language.second.size, kDataAlignment);
                oldLeaves_.push_back(&language.second);
                if (contentSize_ > 0xFFFFFFFFu)
                    return vorn::kResultCapacityExceeded;
            }
        }
    }
    added_->dataOffset = uint32_t(contentSize_);
    contentSize_ += length;
    return vorn::kResultOk;
}

Result PeImage::Rewrite::placeSection() {
    const std::vector<Section>& sections = image_.sections_;
    size_t lastSection = 0;
    for (size_t i = 1; i < sections.size(); ++i) {
        if (sections[i].virtualAddress > sections[lastSection].virtualAddress)
            lastSection = i;
    }
    replaceLast_ = image_.resourceSection_ >= 0 && size_t(image_.resourceSection_) == lastSection;
    keepEnd_ = image_.size_;
    if (replaceLast_) {
        const Section& old = sections[lastSection];
        sectionRva_ = old.virtualAddress;
        headerAt_ = image_.sectionTableOffset_ + uint32_t(lastSection) * kSectionHeaderSize;
        // Nothing after it and clear of the headers: its bytes are replaced.
        if (old.rawSize && uint64_t(old.rawOffset) + old.rawSize == image_.size_ &&
            old.rawOffset >=
                std::max<uint64_t>(image_.sizeOfHeaders_, headerAt_ + kSectionHeaderSize))
            keepEnd_ = old.rawOffset;
    } else {
        const Result result = placeAfterLastSection(lastSection);
        if (result != vorn::kResultOk)
            return result;
    }
    // A page-aligned section can be mapped by the loader, so that the payload's
    // pages are read as they are used instead of all at start.
    const uint32_t fileAlignment = image_.fileAlignment_;
    const uint32_t rawAlignment =
        image_.sectionAlignment_ >= kPageSize ? std::max(fileAlignment, kPageSize) : fileAlignment;
    rawOffset_ = AlignUp(keepEnd_, rawAlignment);
    rawSize_ = AlignUp(contentSize_, fileAlignment);
    imageSize_ = AlignUp(uint64_t(sectionRva_) + contentSize_, image_.sectionAlignment_);
    if (rawSize_ > 0xFFFFFFFFu || rawOffset_ > 0xFFFFFFFFu || imageSize_ > 0xFFFFFFFFu)
        return vorn::kResultCapacityExceeded;
    return vorn::kResultOk;
}

Result PeImage::Rewrite::placeAfterLastSection(size_t lastSection) {
    const std::vector<Section>& sections = image_.sections_;
    headerAt_ = image_.sectionTableOffset_ + uint32_t(sections.size()) * kSectionHeaderSize;
    uint64_t firstRaw = image_.sizeOfHeaders_;
    for (const Section& section : sections) {
        if (section.rawSize)
            firstRaw = std::min<uint64_t>(firstRaw, section.rawOffset);
    }
    if (headerAt_ + kSectionHeaderSize > firstRaw)
        return vorn::kResultCapacityExceeded;
    // Some linkers keep bound imports right after the section table.
    for (uint32_t i = 0; i < kSectionHeaderSize; ++i) {
        if (image_.bytes_[headerAt_ + i])
            return vorn::kResultCapacityExceeded;
    }
    uint64_t end = 0;
    if (!sections.empty()) {
        const Section& last = sections[lastSection];
        end = uint64_t(last.virtualAddress) + std::max(last.virtualSize, last.rawSize);
    }
    end = AlignUp(std::max<uint64_t>(end, image_.sizeOfHeaders_), image_.sectionAlignment_);
    if (end > 0xFFFFFFFFu)
        return vorn::kResultCapacityExceeded;
    sectionRva_ = uint32_t(end);
    return vorn::kResultOk;
}

std::vector<uint8_t> PeImage::Rewrite::patchedHeaders() const {
    std::vector<uint8_t> headers(
        image_.bytes_,
        image_.bytes_ + std::max<uint64_t>(image_.sizeOfHeaders_, headerAt_ + kSectionHeaderSize));
    uint8_t* section = &headers[headerAt_];
    if (!replaceLast_) {
        std::memset(section, 0, kSectionHeaderSize);
        std::memcpy(section, ".rsrc", 5);
        WriteLittleEndian32(section + 36, kResourceCharacteristics);
        uint8_t* count = &headers[image_.headersOffset_ + 4 + 2];
        WriteLittleEndian16(count, uint16_t(ReadLittleEndian16(count) + 1));
        // Tools that find resources by section name must not meet the old tree.
        if (image_.resourceSection_ >= 0)
            std::memcpy(&headers[image_.sectionTableOffset_ +
                                 uint32_t(image_.resourceSection_) * kSectionHeaderSize],
                        ".oldrsrc", 8);
    }
    WriteLittleEndian32(section + 8, uint32_t(contentSize_));
    WriteLittleEndian32(section + 12, sectionRva_);
    WriteLittleEndian32(section + 16, uint32_t(rawSize_));
    WriteLittleEndian32(section + 20, uint32_t(rawOffset_));
    WriteLittleEndian32(&headers[image_.optionalOffset_ + kSizeOfImageField], uint32_t(imageSize_));
    WriteLittleEndian32(&headers[image_.optionalOffset_ + kCheckSumField], 0);
    uint8_t* resourceDirectory = &headers[image_.directoriesOffset_ + 8 * kResourceDirectory];
    WriteLittleEndian32(resourceDirectory, sectionRva_);
    WriteLittleEndian32(resourceDirectory + 4, uint32_t(contentSize_));
    return headers;
}

Result PeImage::Rewrite::writeContent(ChecksummedOutput* image, vorn::Stream* data,
                                      uint64_t length) {
    const uint32_t headSize = encoder_.measure();
    const std::vector<uint8_t> head = encoder_.encode(sectionRva_, headSize);
    Result result = WriteBytes(image, head.data(), head.size());
    uint64_t written = head.size();
    for (const NewLeaf* leaf : oldLeaves_) {
        if (result != vorn::kResultOk)
            break;
        result = WriteZeros(image, leaf->dataOffset - written);
        if (result == vorn::kResultOk)
            result = WriteBytes(image, image_.bytes_ + leaf->old->fileOffset, leaf->size);
        written = leaf->dataOffset + uint64_t(leaf->size);
    }
    if (result == vorn::kResultOk)
        result = WriteZeros(image, added_->dataOffset - written);
    if (result == vorn::kResultOk)
        result = CopyStream(image, data, length);
    if (result == vorn::kResultOk)
        result = WriteZeros(image, rawSize_ - contentSize_);
    return result;
}

Result PeImage::Rewrite::write(vorn::Stream* data, uint64_t length, vorn::Stream* out) {
    const std::vector<uint8_t> headers = patchedHeaders();
    const uint64_t base = out->position();
    ChecksummedOutput image(out);
    Result result =
        WriteBytes(&image, headers.data(), std::min<uint64_t>(headers.size(), keepEnd_));
    if (result == vorn::kResultOk && keepEnd_ > headers.size())
        result = WriteBytes(&image, image_.bytes_ + headers.size(), keepEnd_ - headers.size());
    if (result == vorn::kResultOk)
        result = WriteZeros(&image, rawOffset_ - keepEnd_);
    if (result == vorn::kResultOk)
        result = writeContent(&image, data, length);
    // The field was written as zeros; the sum is complete now.
    uint8_t checksum[4];
    WriteLittleEndian32(checksum, image.checksum().value());
    const uint64_t end = out->position();
    if (result == vorn::kResultOk)
        result = out->seek(base + image_.optionalOffset_ + kCheckSumField);
    if (result == vorn::kResultOk)
        result = out->write(checksum, sizeof(checksum));
    if (result == vorn::kResultOk)
        result = out->seek(end);
    return result;
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
    Rewrite rewrite(*this);
    Result result = rewrite.planContent(type, name, length);
    if (result == vorn::kResultOk)
        result = rewrite.placeSection();
    if (result == vorn::kResultOk)
        result = rewrite.write(data, length, out);
    return result;
}

} // namespace vornpack
