#include <gtest/gtest.h>

#include "../../VornLib/data/DataTestSupport.h"
#include "PeImageBuilder.h"
#include "Tools/VornPack/PeChecksum.h"

namespace vornpack {
namespace {

using vorn::GrowableStream;

// The image checksum word by word, the field at `field` counted as zero.
uint32_t ReferenceChecksum(const std::vector<uint8_t>& bytes, size_t field) {
    uint32_t sum = 0;
    for (size_t i = 0; i < bytes.size(); i += 2) {
        const bool inField = i >= field && i < field + 4;
        uint32_t word = inField ? 0 : bytes[i];
        if (i + 1 < bytes.size() && !inField)
            word |= uint32_t(bytes[i + 1]) << 8;
        sum += word;
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    return sum + uint32_t(bytes.size());
}

struct Layout {
    const char* name;
    bool is64;
    bool withPayload;
    bool sectionAfterResources;
    bool overlay;
    bool resources;
};

const Layout kLayouts[] = {
    {"pe32-last", false, false, false, false, true},
    {"pe32plus-last", true, false, false, false, true},
    {"pe32-replace-4096", false, true, false, false, true},
    {"pe32plus-replace-4096", true, true, false, false, true},
    {"pe32-not-last", false, true, true, false, true},
    {"pe32plus-not-last", true, false, true, false, true},
    {"pe32-overlay", false, true, false, true, true},
    {"pe32plus-not-last-overlay", true, true, true, true, true},
    {"pe32-no-resources", false, false, false, false, false},
    {"pe32plus-no-resources-reloc", true, false, true, false, false},
};

std::vector<uint8_t> Payload(size_t size) {
    return vorn::SampleMixed(size);
}

// Writes the image with `payload` as RT_RCDATA 4096 and parses the result.
std::vector<uint8_t> AddPayload(const std::vector<uint8_t>& stub,
                                const std::vector<uint8_t>& payload, vorn::Result* result) {
    PeImage image;
    *result = image.parse(stub.data(), stub.size());
    if (*result != vorn::kResultOk)
        return {};
    GrowableStream data(payload);
    GrowableStream out;
    *result = image.writeWithResource(ResourceKey::Id(kResourceRcData), ResourceKey::Id(4096),
                                      &data, payload.size(), &out);
    return out.bytes();
}

const ResourceLeaf* Find(const PeImage& image, const ResourceKey& type, const ResourceKey& name) {
    for (const ResourceLeaf& leaf : image.resources()) {
        if (leaf.type == type && leaf.name == name)
            return &leaf;
    }
    return nullptr;
}

class PeResourceLayouts : public testing::TestWithParam<Layout> {};

TEST_P(PeResourceLayouts, EveryResourceSurvivesAndThePayloadIsAdded) {
    const Layout& layout = GetParam();
    ImageSpec spec;
    spec.is64 = layout.is64;
    if (layout.resources)
        spec.resources = ProgramResources(layout.withPayload);
    spec.sectionAfterResources = layout.sectionAfterResources;
    if (layout.overlay)
        spec.overlay = vorn::SampleNoise(777);
    const BuiltImage stub = BuildTestImage(spec);
    const std::vector<uint8_t> payload = Payload(300001);

    vorn::Result result = vorn::kResultFailed;
    const std::vector<uint8_t> written = AddPayload(stub.bytes, payload, &result);
    ASSERT_EQ(0u, result);
    PeImage image;
    ASSERT_EQ(0u, image.parse(written.data(), written.size()));
    EXPECT_EQ(layout.is64, image.is64());

    // Every other resource with its bytes, language and code page.
    size_t kept = 0;
    for (const TestResource& original : spec.resources) {
        if (original.type == ResourceKey::Id(kResourceRcData))
            continue;
        ++kept;
        const ResourceLeaf* leaf = Find(image, original.type, original.name);
        ASSERT_NE(nullptr, leaf);
        EXPECT_EQ(original.language, leaf->language);
        EXPECT_EQ(original.codePage, leaf->codePage);
        ASSERT_EQ(original.data.size(), leaf->size);
        EXPECT_EQ(0, std::memcmp(original.data.data(), image.dataOf(*leaf), leaf->size));
    }
    EXPECT_EQ(kept + 1, image.resources().size()) << "one payload, the old one replaced";
    const ResourceLeaf* added =
        Find(image, ResourceKey::Id(kResourceRcData), ResourceKey::Id(4096));
    ASSERT_NE(nullptr, added);
    EXPECT_EQ(layout.withPayload ? 1033 : 0, added->language) << "the replaced one's language";
    ASSERT_EQ(payload.size(), added->size);
    EXPECT_EQ(0, std::memcmp(payload.data(), image.dataOf(*added), payload.size()));
    EXPECT_EQ(0u, added->fileOffset % 8);

    // Nothing of the program moved; the overlay stays where it was.
    EXPECT_EQ(0, std::memcmp(stub.bytes.data() + stub.codeOffset, written.data() + stub.codeOffset,
                             stub.codeSize));
    if (layout.overlay) {
        const size_t at = stub.bytes.size() - spec.overlay.size();
        EXPECT_EQ(0, std::memcmp(spec.overlay.data(), written.data() + at, spec.overlay.size()));
    }

    // Headers: the resource section is the last, the image size covers it,
    // the checksum is the new file's, and the file ends on the file
    // alignment, with its last section: ready to be signed.
    const uint32_t sections = image.sectionCount();
    const uint32_t originalSections = 1 + layout.resources + layout.sectionAfterResources;
    EXPECT_EQ(originalSections + (layout.resources && !layout.sectionAfterResources ? 0 : 1),
              sections);
    const uint32_t last = stub.sectionTable + (sections - 1) * 40;
    EXPECT_EQ(0, std::memcmp(&written[last], ".rsrc", 6));
    const uint32_t directories = stub.optionalHeader + (layout.is64 ? 112 : 96);
    EXPECT_EQ(GetTest32(written, last + 12), GetTest32(written, directories + 16));
    const uint32_t end = GetTest32(written, last + 12) + GetTest32(written, last + 8);
    EXPECT_EQ((end + kTestSectionAlignment - 1) / kTestSectionAlignment * kTestSectionAlignment,
              GetTest32(written, stub.optionalHeader + 56));
    EXPECT_EQ(ReferenceChecksum(written, stub.optionalHeader + 64),
              GetTest32(written, stub.optionalHeader + 64));
    EXPECT_EQ(stub.optionalHeader + 64u, PeChecksumOffset(written.data(), written.size()));
    EXPECT_EQ(0u, written.size() % kTestFileAlignment);
    EXPECT_EQ(written.size(),
              size_t(GetTest32(written, last + 20)) + GetTest32(written, last + 16));
    // Page-aligned in the file as in memory, so that a loader can map it.
    EXPECT_EQ(0u, GetTest32(written, last + 20) % 0x1000);
}

INSTANTIATE_TEST_SUITE_P(Images, PeResourceLayouts, testing::ValuesIn(kLayouts),
                         [](const testing::TestParamInfo<Layout>& info) {
                             std::string name = info.param.name;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

TEST(PeChecksum, FoldsCarriesAndAddsTheLengthWhateverThePieces) {
    struct Case {
        std::vector<uint8_t> bytes;
        uint32_t expected;
    };
    const Case cases[] = {
        {{}, 0},
        {{0x01, 0x02, 0x03}, 0x0201 + 0x0003 + 3},
        {{0xFF, 0xFF, 0x02, 0x00}, 0x0002 + 4}, // the carry folds back in
        {{0xFF, 0xFF, 0x01, 0x00, 0xFF}, 0x0001 + 0x00FF + 5},
    };
    for (const Case& test : cases) {
        PeChecksum checksum;
        checksum.add(test.bytes.data(), test.bytes.size());
        EXPECT_EQ(test.expected, checksum.value());
    }
    // Odd pieces split words between calls.
    const std::vector<uint8_t> bytes = vorn::SampleNoise(100001);
    for (size_t piece : {size_t(1), size_t(3), size_t(7), size_t(4096), bytes.size()}) {
        PeChecksum checksum;
        for (size_t at = 0; at < bytes.size(); at += piece)
            checksum.add(bytes.data() + at, std::min(piece, bytes.size() - at));
        EXPECT_EQ(ReferenceChecksum(bytes, bytes.size()), checksum.value()) << piece;
    }
}

TEST(PeResources, AWrittenImageTakesTheNextPayloadInPlace) {
    ImageSpec spec;
    spec.resources = ProgramResources(true);
    spec.sectionAfterResources = true;
    vorn::Result result = vorn::kResultFailed;
    const std::vector<uint8_t> first =
        AddPayload(BuildTestImage(spec).bytes, Payload(100000), &result);
    ASSERT_EQ(0u, result);
    const std::vector<uint8_t> payload = Payload(5000);
    const std::vector<uint8_t> second = AddPayload(first, payload, &result);
    ASSERT_EQ(0u, result);
    PeImage a, b;
    ASSERT_EQ(0u, a.parse(first.data(), first.size()));
    ASSERT_EQ(0u, b.parse(second.data(), second.size()));
    EXPECT_EQ(a.sectionCount(), b.sectionCount()) << "the last section is replaced, not added";
    EXPECT_LT(second.size(), first.size()) << "the larger old payload is gone";
    const ResourceLeaf* added = Find(b, ResourceKey::Id(kResourceRcData), ResourceKey::Id(4096));
    ASSERT_NE(nullptr, added);
    ASSERT_EQ(payload.size(), added->size);
    EXPECT_EQ(0, std::memcmp(payload.data(), b.dataOf(*added), payload.size()));
    EXPECT_EQ(a.resources().size(), b.resources().size());
}

TEST(PeResources, NamesComeBeforeNumbersInEveryDirectory) {
    ImageSpec spec;
    spec.resources = ProgramResources(false);
    vorn::Result result = vorn::kResultFailed;
    const std::vector<uint8_t> written = AddPayload(BuildTestImage(spec).bytes, {1, 2, 3}, &result);
    ASSERT_EQ(0u, result);
    PeImage image;
    ASSERT_EQ(0u, image.parse(written.data(), written.size()));
    // Leaves come out in directory order.
    std::vector<ResourceKey> types;
    for (const ResourceLeaf& leaf : image.resources()) {
        if (types.empty() || !(types.back() == leaf.type))
            types.push_back(leaf.type);
    }
    ASSERT_FALSE(types.empty());
    EXPECT_TRUE(types.front().named);
    EXPECT_TRUE(std::is_sorted(types.begin(), types.end()));
    EXPECT_EQ(ResourceKey::Name(u"HELLO"), image.resources()[0].name);
}

// Damages a well-formed PE32 image at one place.
struct Damage {
    const char* what;
    uint32_t expected;
    void (*apply)(BuiltImage& image);
};

uint32_t ResourceDirectoryAt(const BuiltImage& image) {
    return image.optionalHeader + 96 + 16;
}
uint32_t ResourceTreeOffset(const BuiltImage& image) {
    return GetTest32(image.bytes, image.sectionTable + 40 + 20);
}

const Damage kDamages[] = {
    {"empty", 33, [](BuiltImage& i) { i.bytes.clear(); }},
    {"only MZ", 33, [](BuiltImage& i) { i.bytes.resize(2); }},
    {"no MZ", 33, [](BuiltImage& i) { i.bytes[0] = 'X'; }},
    {"header offset past the end", 33, [](BuiltImage& i) { PutTest32(i.bytes, 0x3C, 0xFFFFFFF0); }},
    {"no PE signature", 33, [](BuiltImage& i) { i.bytes[0x81] = 'X'; }},
    {"unknown optional header", 3,
     [](BuiltImage& i) { PutTest16(i.bytes, i.optionalHeader, 0x107); }},
    {"two data directories", 3,
     [](BuiltImage& i) { PutTest32(i.bytes, i.optionalHeader + 92, 2); }},
    {"file alignment not a power of two", 33,
     [](BuiltImage& i) { PutTest32(i.bytes, i.optionalHeader + 36, 0x300); }},
    {"section table past the end", 33, [](BuiltImage& i) { PutTest16(i.bytes, 0x86, 0xFFFF); }},
    {"section data past the end", 33,
     [](BuiltImage& i) { PutTest32(i.bytes, i.sectionTable + 40 + 16, 0x100000); }},
    {"resource directory in no section", 33,
     [](BuiltImage& i) { PutTest32(i.bytes, ResourceDirectoryAt(i), 0x900000); }},
    {"directory entries past the section", 33,
     [](BuiltImage& i) { PutTest16(i.bytes, ResourceTreeOffset(i) + 14, 0x7FFF); }},
    {"type entry pointing past the section", 33,
     [](BuiltImage& i) {
         const uint32_t root = ResourceTreeOffset(i);
         PutTest32(i.bytes, root + 16 + 4 + 16, 0x80FFFFF0);
     }},
    {"name string past the section", 33,
     [](BuiltImage& i) { PutTest32(i.bytes, ResourceTreeOffset(i) + 16, 0x8000FFF0); }},
    {"leaf one level too early", 3,
     [](BuiltImage& i) {
         const uint32_t root = ResourceTreeOffset(i);
         PutTest32(i.bytes, root + 16 + 8 + 4, GetTest32(i.bytes, root + 16 + 8 + 4) & 0x7FFFFFFF);
     }},
    {"signed", 17, nullptr},
};

TEST(PeResources, DamagedImagesAreRefusedWithTheirReason) {
    for (const Damage& damage : kDamages) {
        SCOPED_TRACE(damage.what);
        ImageSpec spec;
        spec.resources = ProgramResources(true);
        spec.signedImage = damage.apply == nullptr;
        BuiltImage built = BuildTestImage(spec);
        if (damage.apply)
            damage.apply(built);
        PeImage image;
        EXPECT_EQ(damage.expected, image.parse(built.bytes.data(), built.bytes.size()));
        EXPECT_TRUE(image.resources().empty());
        GrowableStream data(std::vector<uint8_t>(10)), out;
        EXPECT_EQ(4u, image.writeWithResource(ResourceKey::Id(10), ResourceKey::Id(4096), &data, 10,
                                              &out))
            << "a refused image writes nothing";
        EXPECT_TRUE(out.bytes().empty());
    }
}

// A setup is inspected from the start of its file: too few bytes ask for
// more (19) until the tree is whole; a signed image reads, but takes no
// resource, and neither does an image read in part.
TEST(PeResources, TheStartOfAFileReadsLikeTheWholeOnceTheTreeIsThere) {
    ImageSpec spec;
    spec.resources = ProgramResources(true);
    spec.signedImage = true;
    const std::vector<uint8_t> bytes = BuildTestImage(spec).bytes;
    PeImage whole;
    ASSERT_EQ(0u, whole.read(bytes.data(), bytes.size(), bytes.size()));
    EXPECT_TRUE(whole.isSigned());
    EXPECT_EQ(bytes.size() - 0x100, whole.certificates().offset);
    size_t available = 0;
    PeImage part;
    for (; available < bytes.size(); available += 8) {
        const vorn::Result result = part.read(bytes.data(), available, bytes.size());
        if (result == 0u)
            break;
        ASSERT_EQ(19u, result) << available;
    }
    ASSERT_LT(available, bytes.size() - 0x100) << "the tree ends before the data";
    ASSERT_EQ(whole.resources().size(), part.resources().size());
    for (size_t i = 0; i < whole.resources().size(); ++i)
        EXPECT_EQ(whole.resources()[i].fileOffset, part.resources()[i].fileOffset);
    GrowableStream data(std::vector<uint8_t>(10)), out;
    EXPECT_EQ(4u,
              part.writeWithResource(ResourceKey::Id(10), ResourceKey::Id(4096), &data, 10, &out));
    EXPECT_EQ(17u,
              whole.writeWithResource(ResourceKey::Id(10), ResourceKey::Id(4096), &data, 10, &out));
    EXPECT_TRUE(out.bytes().empty());
}

TEST(PeResources, LeafDataOutsideTheImageIsRefused) {
    ImageSpec spec;
    spec.resources = ProgramResources(false);
    BuiltImage built = BuildTestImage(spec);
    PeImage image;
    ASSERT_EQ(0u, image.parse(built.bytes.data(), built.bytes.size()));
    // The builder puts each data entry just before its data: make the first
    // leaf's size reach past its section.
    PutTest32(built.bytes, size_t(image.resources()[0].fileOffset) - 16 + 4, 0x7FFFFFFF);
    EXPECT_EQ(33u, image.parse(built.bytes.data(), built.bytes.size()));

    // An empty leaf in a section without file data, whose raw offset is
    // meaningless (found by fuzzing).
    spec.sectionAfterResources = true;
    built = BuildTestImage(spec);
    ASSERT_EQ(0u, image.parse(built.bytes.data(), built.bytes.size()));
    const size_t entry = size_t(image.resources()[0].fileOffset) - 16;
    const uint32_t reloc = built.sectionTable + 2 * 40;
    PutTest32(built.bytes, entry, GetTest32(built.bytes, reloc + 12));
    PutTest32(built.bytes, entry + 4, 0);
    PutTest32(built.bytes, reloc + 16, 0);
    PutTest32(built.bytes, reloc + 20, 0x7FFFFFF0);
    EXPECT_EQ(33u, image.parse(built.bytes.data(), built.bytes.size()));
}

TEST(PeResources, NoRoomForAnotherSectionHeader) {
    ImageSpec spec;
    spec.resources = ProgramResources(false);
    spec.sectionAfterResources = true;
    spec.sizeOfHeaders = 0x200;
    BuiltImage built = BuildTestImage(spec);
    // Fill the section table up to the first section's data.
    PutTest16(built.bytes, 0x86, (0x200 - built.sectionTable) / 40);
    PeImage image;
    ASSERT_EQ(0u, image.parse(built.bytes.data(), built.bytes.size()));
    GrowableStream data(std::vector<uint8_t>(10)), out;
    EXPECT_EQ(24u,
              image.writeWithResource(ResourceKey::Id(10), ResourceKey::Id(4096), &data, 10, &out));

    // Room, but taken by bound imports after the section table.
    spec.sizeOfHeaders = 0x400;
    built = BuildTestImage(spec);
    built.bytes[built.sectionTable + 3 * 40 + 5] = 1;
    ASSERT_EQ(0u, image.parse(built.bytes.data(), built.bytes.size()));
    EXPECT_EQ(24u,
              image.writeWithResource(ResourceKey::Id(10), ResourceKey::Id(4096), &data, 10, &out));
    built.bytes[built.sectionTable + 3 * 40 + 5] = 0;
    ASSERT_EQ(0u, image.parse(built.bytes.data(), built.bytes.size()));
    EXPECT_EQ(0u,
              image.writeWithResource(ResourceKey::Id(10), ResourceKey::Id(4096), &data, 10, &out));
}

TEST(PeResources, AFailingPayloadStreamFailsTheWrite) {
    ImageSpec spec;
    spec.resources = ProgramResources(true);
    const BuiltImage built = BuildTestImage(spec);
    PeImage image;
    ASSERT_EQ(0u, image.parse(built.bytes.data(), built.bytes.size()));
    GrowableStream data(std::vector<uint8_t>(100)), out;
    data.failReadsWith = vorn::kResultDeviceNotReady;
    EXPECT_EQ(
        18u, image.writeWithResource(ResourceKey::Id(10), ResourceKey::Id(4096), &data, 100, &out));
    GrowableStream shortData(std::vector<uint8_t>(99));
    EXPECT_EQ(19u, image.writeWithResource(ResourceKey::Id(10), ResourceKey::Id(4096), &shortData,
                                           100, &out))
        << "fewer bytes than announced";
    EXPECT_EQ(
        15u, image.writeWithResource(ResourceKey::Id(10), ResourceKey::Id(4096), nullptr, 0, &out));
    EXPECT_EQ(23u, image.writeWithResource(ResourceKey::Id(10), ResourceKey::Id(4096), &data, 0,
                                           nullptr));
    EXPECT_EQ(15u, image.parse(nullptr, 10));
}

// Every prefix and many single-byte changes of a real image: parse either
// refuses or gives leaves inside the bytes, and never reads outside them.
TEST(PeResources, TruncatedAndFlippedImagesNeverReadOutside) {
    for (bool is64 : {false, true}) {
        ImageSpec spec;
        spec.is64 = is64;
        spec.resources = ProgramResources(true);
        const BuiltImage built = BuildTestImage(spec);
        auto check = [](const std::vector<uint8_t>& bytes) {
            // A copy of exactly this size, so that the sanitizer sees any overrun.
            std::unique_ptr<uint8_t[]> exact(new uint8_t[bytes.size()]);
            std::copy(bytes.begin(), bytes.end(), exact.get());
            PeImage image;
            if (image.parse(exact.get(), bytes.size()) != vorn::kResultOk)
                return;
            for (const ResourceLeaf& leaf : image.resources())
                ASSERT_LE(leaf.fileOffset + leaf.size, bytes.size());
            GrowableStream data(std::vector<uint8_t>(64)), out;
            (void)image.writeWithResource(ResourceKey::Id(10), ResourceKey::Id(4096), &data, 64,
                                          &out);
        };
        for (size_t length = 0; length < built.bytes.size(); length += 3)
            check(std::vector<uint8_t>(built.bytes.begin(), built.bytes.begin() + long(length)));
        const uint32_t tree = ResourceTreeOffset(built);
        for (size_t at = 0; at < tree + 0x200; ++at) {
            std::vector<uint8_t> flipped = built.bytes;
            flipped[at] ^= uint8_t(0x80 | at);
            check(flipped);
        }
    }
}

} // namespace
} // namespace vornpack
