// Reads the resource tree of a Windows executable (PE32 or PE32+) and writes a
// copy of it whose resource section is rebuilt with one resource added or
// replaced. `setup` puts the payload container into a copy of the prebuilt
// installer stub with it, on any build machine and without a resource
// compiler. The rebuilt section becomes the image's last section (it replaces
// the old one when that is already last), so no code or data of the stub moves
// and every other resource keeps its bytes, language and code page. The file
// ends with that section and carries its correct image checksum, as signing
// tools expect of an image they are to sign. The reader also works on the
// start of a file alone (PeFile.h), so that a setup's payload is found
// without reading the payload.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "VornLib/core/Result.h"
#include "VornLib/core/Stream.h"

namespace vornpack {

// A type, name or language key of the tree: a number, or a name (names sort
// before numbers, as the loader's binary search expects).
struct ResourceKey {
    bool named = false;
    uint16_t id = 0;
    std::u16string name;

    static ResourceKey Id(uint16_t id) { return {false, id, {}}; }
    static ResourceKey Name(const std::u16string& name) { return {true, 0, name}; }
    bool operator==(const ResourceKey& other) const {
        return named == other.named && id == other.id && name == other.name;
    }
    bool operator<(const ResourceKey& other) const;
};

constexpr uint16_t kResourceIcon = 3;
constexpr uint16_t kResourceRcData = 10;
constexpr uint16_t kResourceGroupIcon = 14;
constexpr uint16_t kResourceVersion = 16;
constexpr uint16_t kResourceManifest = 24;

// One resource: its place in the tree and where its bytes lie in the file.
struct ResourceLeaf {
    ResourceKey type;
    ResourceKey name;
    uint16_t language = 0;
    uint32_t codePage = 0;
    uint64_t fileOffset = 0;
    uint32_t size = 0;
};

// Where the certificates of a signed image lie: a file offset and a size.
struct CertificateTable {
    uint32_t offset = 0;
    uint32_t size = 0;
};

class PeImage {
public:
    // Reads the headers and the resource tree of an image of `fileSize`
    // bytes from the first `available` of them, which are not copied and must
    // outlive the object. 33 for anything that is not a well-formed PE, 3 for
    // a layout this reader does not handle (no resource directory slot, a
    // tree that is not type/name/language), 19 when the headers or the tree
    // lie beyond the bytes available: read more of the file and try again.
    vorn::Result read(const uint8_t* bytes, size_t available, uint64_t fileSize);
    // Reads a whole image for writeWithResource: as read(), and 17 for a
    // signed image, since a new resource would break its signature.
    vorn::Result parse(const uint8_t* bytes, size_t size);

    bool is64() const { return is64_; }
    bool isSigned() const { return certificates_.size != 0; }
    const CertificateTable& certificates() const { return certificates_; }
    uint16_t sectionCount() const { return uint16_t(sections_.size()); }
    const std::vector<ResourceLeaf>& resources() const { return leaves_; }
    // A resource's bytes; only for an image read whole.
    const uint8_t* dataOf(const ResourceLeaf& leaf) const { return bytes_ + leaf.fileOffset; }

    // Writes the image with every language of (type, name) replaced by
    // `length` bytes read from `data` (they are streamed, never held), in the
    // language of the resource it replaces, else language 0. 24 when the image
    // has no room for another section header or the section would pass 4 GiB,
    // 4 for an image not read whole, 17 for a signed one. `out` must be
    // seekable: the checksum is written last.
    vorn::Result writeWithResource(const ResourceKey& type, const ResourceKey& name,
                                   vorn::Stream* data, uint64_t length, vorn::Stream* out) const;

private:
    static constexpr uint32_t kSectionHeaderSize = 40;
    static constexpr uint32_t kResourceDirectory = 2; // its slot among the data directories

    // The steps of writeWithResource (PeResourceRewrite.cpp).
    class Rewrite;

    struct Section {
        uint32_t virtualSize;
        uint32_t virtualAddress;
        uint32_t rawSize;
        uint32_t rawOffset;
    };

    vorn::Result readTree();
    // 0 when the tree's bytes up to `end` are there; 33 past its section, 19
    // past the bytes available.
    vorn::Result treeBytes(uint64_t end) const;
    vorn::Result readKey(uint32_t entryValue, ResourceKey* out) const;
    // File offset of `size` bytes at `rva`, all inside one section's raw data.
    bool fileOffsetOf(uint32_t rva, uint32_t size, uint64_t* out) const;

    const uint8_t* bytes_ = nullptr;
    size_t size_ = 0; // the bytes available
    uint64_t fileSize_ = 0;
    bool is64_ = false;
    uint32_t headersOffset_ = 0; // the "PE\0\0" signature
    uint32_t optionalOffset_ = 0;
    uint32_t directoriesOffset_ = 0;
    uint32_t sectionTableOffset_ = 0;
    uint32_t sectionAlignment_ = 0;
    uint32_t fileAlignment_ = 0;
    uint32_t sizeOfHeaders_ = 0;
    std::vector<Section> sections_;
    int resourceSection_ = -1;
    uint64_t treeOffset_ = 0; // file offset of the root directory
    uint64_t treeEnd_ = 0;    // end of its section's raw data
    std::vector<ResourceLeaf> leaves_;
    CertificateTable certificates_;
};

} // namespace vornpack
