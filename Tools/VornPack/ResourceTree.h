// A resource tree as the loader reads it, and the encoder of a new one for
// the resource writer (PeResources.h): three levels of directories (type,
// name, language), each a header and its entries, names before numbers, then
// the data entries, the names and, after them, the data.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "Tools/VornPack/PeResources.h"

namespace vornpack {

constexpr uint32_t kDirectoryHeaderSize = 16;
constexpr uint32_t kDirectoryEntrySize = 8;
constexpr uint32_t kDataEntrySize = 16;
// In a directory entry: a name rather than a number, a directory rather than
// a leaf.
constexpr uint32_t kHighBit = 0x80000000u;
constexpr uint32_t kDataAlignment = 8;

// A leaf of the new tree: an old resource, or the streamed one (null `old`).
struct NewLeaf {
    const ResourceLeaf* old;
    uint32_t codePage;
    uint32_t size;
    uint32_t dataOffset = 0; // within the section
};
using LanguageDirectory = std::map<uint16_t, NewLeaf>;
using NameDirectory = std::map<ResourceKey, LanguageDirectory>;
using TypeDirectory = std::map<ResourceKey, NameDirectory>;

// Lays out and encodes the directories, data entries and names of a tree;
// the data follows them in the order the leaves are visited.
class TreeEncoder {
public:
    explicit TreeEncoder(TypeDirectory* tree) : tree_(tree) {}

    // The size of everything before the first data byte.
    uint32_t measure();

    // Encodes the tree with data RVAs from `sectionRva`; measure() and the
    // leaves' dataOffset must be set.
    std::vector<uint8_t> encode(uint32_t sectionRva, uint32_t headSize);

private:
    static uint32_t DirectorySize(size_t entries) {
        return kDirectoryHeaderSize + uint32_t(entries) * kDirectoryEntrySize;
    }
    static uint32_t NameSize(const ResourceKey& key) {
        return key.named ? 2 + 2 * uint32_t(key.name.size()) : 0;
    }

    uint32_t takeDirectory(size_t entries) {
        const uint32_t offset = nextDirectory_;
        nextDirectory_ += DirectorySize(entries);
        return offset;
    }

    // Entries are written in map order, names first, so the counts follow it.
    void putEntry(uint32_t directory, uint32_t index, const ResourceKey& key, uint32_t target);

    TypeDirectory* tree_;
    std::vector<uint8_t> bytes_;
    uint32_t directoriesSize_ = 0;
    uint32_t leavesSize_ = 0;
    uint32_t nextDirectory_ = 0;
    uint32_t nextLeaf_ = 0;
    uint32_t nextName_ = 0;
};

} // namespace vornpack
