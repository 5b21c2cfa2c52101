// Builds small Windows images (PE32 or PE32+) with a chosen resource tree for
// the tests of the resource writer: a code section, optionally a section after
// the resources, bytes after the last section, a signature directory. The tree
// is encoded here independently of the writer: each directory followed by its
// data entries, names and data, in the order a resource compiler sorts them.
#pragma once

#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "Tools/VornPack/PeResources.h"

namespace vornpack {

struct TestResource {
    ResourceKey type;
    ResourceKey name;
    uint16_t language;
    uint32_t codePage;
    std::vector<uint8_t> data;
};

struct ImageSpec {
    bool is64 = false;
    std::vector<TestResource> resources;
    bool sectionAfterResources = false; // a ".reloc" follows ".rsrc"
    std::vector<uint8_t> overlay;       // bytes after the last section
    bool signedImage = false;
    uint32_t sizeOfHeaders = 0x400;
};

constexpr uint32_t kTestFileAlignment = 0x200;
constexpr uint32_t kTestSectionAlignment = 0x1000;

inline void PutTest16(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    b[at] = uint8_t(v);
    b[at + 1] = uint8_t(v >> 8);
}
inline void PutTest32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = uint8_t(v >> (8 * i));
}
inline uint32_t GetTest32(const std::vector<uint8_t>& b, size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 |
           uint32_t(b[at + 3]) << 24;
}

// The resource section's bytes for a tree placed at `rva`.
inline std::vector<uint8_t> EncodeTestTree(const std::vector<TestResource>& resources,
                                           uint32_t rva) {
    std::map<ResourceKey, std::map<ResourceKey, std::map<uint16_t, const TestResource*>>> tree;
    for (const TestResource& resource : resources)
        tree[resource.type][resource.name][resource.language] = &resource;
    std::vector<uint8_t> out;
    auto reserve = [&out](size_t size) {
        const size_t at = out.size();
        out.resize(at + size + (4 - size % 4) % 4);
        return at;
    };
    auto putName = [&](size_t entry, const ResourceKey& key) {
        if (!key.named) {
            PutTest32(out, entry, key.id);
            return;
        }
        const size_t at = reserve(2 + 2 * key.name.size());
        PutTest16(out, at, uint32_t(key.name.size()));
        for (size_t i = 0; i < key.name.size(); ++i)
            PutTest16(out, at + 2 + 2 * i, key.name[i]);
        PutTest32(out, entry, uint32_t(at) | 0x80000000u);
    };
    auto directory = [&](size_t named, size_t ids) {
        const size_t at = reserve(16 + 8 * (named + ids));
        PutTest16(out, at + 12, uint32_t(named));
        PutTest16(out, at + 14, uint32_t(ids));
        return at;
    };
    auto counts = [](const auto& map, size_t* named, size_t* ids) {
        *named = *ids = 0;
        for (const auto& item : map)
            ++(item.first.named ? *named : *ids);
    };
    size_t named = 0, ids = 0;
    counts(tree, &named, &ids);
    const size_t root = directory(named, ids);
    size_t typeIndex = 0;
    for (const auto& type : tree) {
        const size_t typeEntry = root + 16 + 8 * typeIndex++;
        counts(type.second, &named, &ids);
        const size_t typeDir = directory(named, ids);
        putName(typeEntry, type.first);
        PutTest32(out, typeEntry + 4, uint32_t(typeDir) | 0x80000000u);
        size_t nameIndex = 0;
        for (const auto& name : type.second) {
            const size_t nameEntry = typeDir + 16 + 8 * nameIndex++;
            const size_t nameDir = directory(0, name.second.size());
            putName(nameEntry, name.first);
            PutTest32(out, nameEntry + 4, uint32_t(nameDir) | 0x80000000u);
            size_t languageIndex = 0;
            for (const auto& language : name.second) {
                const size_t languageEntry = nameDir + 16 + 8 * languageIndex++;
                const size_t leaf = reserve(16);
                const size_t data = reserve(language.second->data.size());
                std::copy(language.second->data.begin(), language.second->data.end(),
                          out.begin() + long(data));
                PutTest32(out, leaf, rva + uint32_t(data));
                PutTest32(out, leaf + 4, uint32_t(language.second->data.size()));
                PutTest32(out, leaf + 8, language.second->codePage);
                PutTest32(out, languageEntry, language.first);
                PutTest32(out, languageEntry + 4, uint32_t(leaf));
            }
        }
    }
    return out;
}

struct BuiltImage {
    std::vector<uint8_t> bytes;
    uint32_t sectionTable = 0;
    uint32_t optionalHeader = 0;
    uint32_t codeOffset = 0;
    uint32_t codeSize = 0;
};

inline BuiltImage BuildTestImage(const ImageSpec& spec) {
    struct Section {
        const char* name;
        std::vector<uint8_t> data;
        uint32_t characteristics;
    };
    std::vector<Section> sections;
    std::vector<uint8_t> code(0x300);
    for (size_t i = 0; i < code.size(); ++i)
        code[i] = uint8_t(i * 7 + 3);
    sections.push_back({".text", code, 0x60000020});
    const uint32_t resourceRva = 2 * kTestSectionAlignment;
    const bool hasResources = !spec.resources.empty();
    if (hasResources)
        sections.push_back({".rsrc", EncodeTestTree(spec.resources, resourceRva), 0x40000040});
    if (spec.sectionAfterResources)
        sections.push_back({".reloc", std::vector<uint8_t>(0x40, 0xAB), 0x42000040});

    BuiltImage image;
    std::vector<uint8_t>& b = image.bytes;
    b.assign(spec.sizeOfHeaders, 0);
    b[0] = 'M', b[1] = 'Z';
    const uint32_t pe = 0x80;
    PutTest32(b, 0x3C, pe);
    std::memcpy(&b[pe], "PE\0\0", 4);
    const uint32_t optionalSize = spec.is64 ? 0xF0 : 0xE0;
    PutTest16(b, pe + 4, spec.is64 ? 0x8664 : 0x14C);
    PutTest16(b, pe + 6, uint32_t(sections.size()));
    PutTest16(b, pe + 20, optionalSize);
    PutTest16(b, pe + 22, 0x0102);
    const uint32_t optional = pe + 24;
    image.optionalHeader = optional;
    PutTest16(b, optional, spec.is64 ? 0x20B : 0x10B);
    PutTest32(b, optional + 16, 0x1000); // entry point
    PutTest32(b, optional + 32, kTestSectionAlignment);
    PutTest32(b, optional + 36, kTestFileAlignment);
    PutTest32(b, optional + 60, spec.sizeOfHeaders);
    PutTest32(b, optional + 64, 0x12345678); // a stale checksum
    const uint32_t directories = optional + (spec.is64 ? 112 : 96);
    PutTest32(b, optional + (spec.is64 ? 108 : 92), 16);
    image.sectionTable = optional + optionalSize;

    uint32_t rva = kTestSectionAlignment;
    for (size_t i = 0; i < sections.size(); ++i) {
        const Section& section = sections[i];
        const uint32_t raw = uint32_t(b.size());
        const uint32_t rawSize = uint32_t((section.data.size() + kTestFileAlignment - 1) /
                                          kTestFileAlignment * kTestFileAlignment);
        b.resize(raw + rawSize);
        std::copy(section.data.begin(), section.data.end(), b.begin() + raw);
        const uint32_t header = image.sectionTable + uint32_t(i) * 40;
        std::memcpy(&b[header], section.name, std::strlen(section.name));
        PutTest32(b, header + 8, uint32_t(section.data.size()));
        PutTest32(b, header + 12, rva);
        PutTest32(b, header + 16, rawSize);
        PutTest32(b, header + 20, raw);
        PutTest32(b, header + 36, section.characteristics);
        if (std::strcmp(section.name, ".rsrc") == 0) {
            PutTest32(b, directories + 16, rva);
            PutTest32(b, directories + 20, uint32_t(section.data.size()));
        }
        if (i == 0) {
            image.codeOffset = raw;
            image.codeSize = rawSize;
        }
        rva += uint32_t((section.data.size() + kTestSectionAlignment - 1) / kTestSectionAlignment *
                        kTestSectionAlignment);
    }
    PutTest32(b, optional + 56, rva); // SizeOfImage
    b.insert(b.end(), spec.overlay.begin(), spec.overlay.end());
    if (spec.signedImage) {
        // One certificate: its length, revision 2.0, PKCS #7 signed data.
        const size_t at = b.size();
        PutTest32(b, directories + 32, uint32_t(at));
        PutTest32(b, directories + 36, 0x100);
        b.resize(at + 0x100, 0x55);
        PutTest32(b, at, 0x100);
        PutTest16(b, at + 4, 0x0200);
        PutTest16(b, at + 6, 2);
    }
    return image;
}

// The resources every test image carries, as a program's: icons, an icon
// group, a version block, a manifest, a named type and name.
inline std::vector<TestResource> ProgramResources(bool withPayload) {
    auto bytes = [](size_t size, uint8_t seed) {
        std::vector<uint8_t> data(size);
        for (size_t i = 0; i < size; ++i)
            data[i] = uint8_t(seed + i * 13 + i / 251);
        return data;
    };
    std::vector<TestResource> resources = {
        {ResourceKey::Id(kResourceIcon), ResourceKey::Id(1), 1033, 0, bytes(1000, 1)},
        {ResourceKey::Id(kResourceIcon), ResourceKey::Id(2), 1033, 0, bytes(333, 2)},
        {ResourceKey::Id(kResourceGroupIcon), ResourceKey::Id(128), 1033, 0, bytes(34, 3)},
        {ResourceKey::Id(kResourceVersion), ResourceKey::Id(1), 1033, 1252, bytes(700, 4)},
        {ResourceKey::Id(kResourceManifest), ResourceKey::Id(1), 1033, 0, bytes(501, 5)},
        {ResourceKey::Name(u"MYTYPE"), ResourceKey::Name(u"HELLO"), 0, 0, bytes(17, 6)},
        {ResourceKey::Name(u"MYTYPE"), ResourceKey::Id(7), 1031, 0, bytes(5, 7)},
    };
    if (withPayload)
        resources.push_back(
            {ResourceKey::Id(kResourceRcData), ResourceKey::Id(4096), 1033, 0, bytes(4000, 8)});
    return resources;
}

// One node of a version resource: header, key, value, children, each on a
// four-byte boundary.
inline std::vector<uint8_t> TestVersionNode(const std::u16string& key,
                                            const std::vector<uint8_t>& value, uint16_t valueLength,
                                            uint16_t type,
                                            const std::vector<std::vector<uint8_t>>& children) {
    std::vector<uint8_t> b(6);
    for (char16_t unit : key + u'\0') {
        b.push_back(uint8_t(unit));
        b.push_back(uint8_t(unit >> 8));
    }
    b.resize((b.size() + 3) / 4 * 4);
    b.insert(b.end(), value.begin(), value.end());
    for (const std::vector<uint8_t>& child : children) {
        b.resize((b.size() + 3) / 4 * 4);
        b.insert(b.end(), child.begin(), child.end());
    }
    PutTest16(b, 0, uint32_t(b.size()));
    PutTest16(b, 2, valueLength);
    PutTest16(b, 4, type);
    return b;
}

// A version block as a resource compiler writes it, naming the program's
// original file.
inline std::vector<uint8_t> TestVersionBlock(const std::u16string& originalFilename) {
    auto text = [](const std::u16string& key, const std::u16string& value) {
        std::vector<uint8_t> bytes;
        for (char16_t unit : value + u'\0') {
            bytes.push_back(uint8_t(unit));
            bytes.push_back(uint8_t(unit >> 8));
        }
        return TestVersionNode(key, bytes, uint16_t(value.size() + 1), 1, {});
    };
    std::vector<uint8_t> fixed(52);
    PutTest32(fixed, 0, 0xFEEF04BD);
    const std::vector<uint8_t> table = TestVersionNode(
        u"040904b0", {}, 0, 1,
        {text(u"CompanyName", u"Vorn Software"), text(u"OriginalFilename", originalFilename)});
    return TestVersionNode(u"VS_VERSION_INFO", fixed, 52, 0,
                           {TestVersionNode(u"StringFileInfo", {}, 0, 1, {table}),
                            TestVersionNode(u"VarFileInfo", {}, 0, 1, {})});
}

} // namespace vornpack
