#include "Tools/VornPack/ResourceTree.h"

#include "VornLib/core/LittleEndian.h"

namespace vornpack {

using vorn::ReadLittleEndian16;
using vorn::WriteLittleEndian16;
using vorn::WriteLittleEndian32;

uint32_t TreeEncoder::measure() {
    uint32_t directories = DirectorySize(tree_->size());
    uint32_t leaves = 0;
    uint32_t names = 0;
    for (const auto& type : *tree_) {
        directories += DirectorySize(type.second.size());
        names += NameSize(type.first);
        for (const auto& name : type.second) {
            directories += DirectorySize(name.second.size());
            names += NameSize(name.first);
            leaves += uint32_t(name.second.size());
        }
    }
    directoriesSize_ = directories;
    leavesSize_ = leaves * kDataEntrySize;
    const uint32_t head = directories + leavesSize_ + names;
    return (head + kDataAlignment - 1) / kDataAlignment * kDataAlignment;
}

std::vector<uint8_t> TreeEncoder::encode(uint32_t sectionRva, uint32_t headSize) {
    bytes_.assign(headSize, 0);
    nextDirectory_ = 0;
    nextLeaf_ = directoriesSize_;
    nextName_ = directoriesSize_ + leavesSize_;
    const uint32_t root = takeDirectory(tree_->size());
    uint32_t index = 0;
    std::vector<std::pair<uint32_t, NameDirectory*>> typeDirs;
    for (auto& type : *tree_) {
        const uint32_t dir = takeDirectory(type.second.size());
        putEntry(root, index++, type.first, dir | kHighBit);
        typeDirs.push_back({dir, &type.second});
    }
    std::vector<std::pair<uint32_t, LanguageDirectory*>> nameDirs;
    for (auto& typeDir : typeDirs) {
        index = 0;
        for (auto& name : *typeDir.second) {
            const uint32_t dir = takeDirectory(name.second.size());
            putEntry(typeDir.first, index++, name.first, dir | kHighBit);
            nameDirs.push_back({dir, &name.second});
        }
    }
    for (auto& nameDir : nameDirs) {
        index = 0;
        for (auto& language : *nameDir.second) {
            const uint32_t leaf = nextLeaf_;
            nextLeaf_ += kDataEntrySize;
            WriteLittleEndian32(&bytes_[leaf], sectionRva + language.second.dataOffset);
            WriteLittleEndian32(&bytes_[leaf + 4], language.second.size);
            WriteLittleEndian32(&bytes_[leaf + 8], language.second.codePage);
            putEntry(nameDir.first, index++, ResourceKey::Id(language.first), leaf);
        }
    }
    return std::move(bytes_);
}

void TreeEncoder::putEntry(uint32_t directory, uint32_t index, const ResourceKey& key,
                           uint32_t target) {
    uint8_t* entry = &bytes_[directory + kDirectoryHeaderSize + index * kDirectoryEntrySize];
    if (key.named) {
        WriteLittleEndian16(&bytes_[directory + 12],
                            uint16_t(ReadLittleEndian16(&bytes_[directory + 12]) + 1));
        WriteLittleEndian32(entry, nextName_ | kHighBit);
        WriteLittleEndian16(&bytes_[nextName_], uint16_t(key.name.size()));
        for (size_t i = 0; i < key.name.size(); ++i)
            WriteLittleEndian16(&bytes_[nextName_ + 2 + 2 * i], key.name[i]);
        nextName_ += NameSize(key);
    } else {
        WriteLittleEndian16(&bytes_[directory + 14],
                            uint16_t(ReadLittleEndian16(&bytes_[directory + 14]) + 1));
        WriteLittleEndian32(entry, key.id);
    }
    WriteLittleEndian32(entry + 4, target);
}

} // namespace vornpack
