#include <gtest/gtest.h>

#include "../../VornLib/data/DataTestSupport.h"
#include "Tools/VornPack/PackPlan.h"
#include "VornLib/core/LittleEndian.h"
#include "VornLib/data/NameHash.h"

namespace vornpack {
namespace {

using vorn::BranchFilter;

// A Windows executable of `length` bytes for `machine`, whose section table
// has a code section of `code` bytes and a data section of `data` bytes.
std::vector<uint8_t> Image(uint16_t machine, size_t length = 4096, uint32_t code = 0x3000,
                           uint32_t data = 0x1000) {
    std::vector<uint8_t> bytes = vorn::SampleMixed(length);
    bytes[0] = 'M', bytes[1] = 'Z';
    vorn::WriteLittleEndian32(bytes.data() + 0x3C, 0x80);
    vorn::WriteLittleEndian32(bytes.data() + 0x80, 0x00004550);
    vorn::WriteLittleEndian16(bytes.data() + 0x84, machine);
    vorn::WriteLittleEndian16(bytes.data() + 0x86, 2);    // sections
    vorn::WriteLittleEndian16(bytes.data() + 0x94, 0xF0); // optional header
    const uint32_t sizes[] = {code, data};
    const uint32_t kinds[] = {0x60000020, 0xC0000040}; // code; initialized data
    for (uint32_t i = 0; i < 2; ++i) {
        uint8_t* section = bytes.data() + 0x188 + i * 40;
        vorn::WriteLittleEndian32(section + 16, sizes[i]);
        vorn::WriteLittleEndian32(section + 36, kinds[i]);
    }
    return bytes;
}

TEST(PackPlan, TheFilterFollowsTheMachineInThePeHeader) {
    EXPECT_EQ(BranchFilter::X86, FilterForImage(Image(0x014C).data(), 4096, 0x4400));
    EXPECT_EQ(BranchFilter::X86, FilterForImage(Image(0x8664).data(), 4096, 0x4400));
    EXPECT_EQ(BranchFilter::Arm64, FilterForImage(Image(0xAA64).data(), 4096, 0x4400));
    EXPECT_EQ(BranchFilter::None, FilterForImage(Image(0x01C4).data(), 4096, 0x4400)); // ARMv7
    std::vector<uint8_t> bytes = Image(0x014C);
    bytes[0x81] = 'X'; // no "PE\0\0" where the header says
    EXPECT_EQ(BranchFilter::None, FilterForImage(bytes.data(), bytes.size(), 0x4400));
    bytes = Image(0x014C);
    vorn::WriteLittleEndian32(bytes.data() + 0x3C, 0xFFFFFFF0); // a header past the bytes
    EXPECT_EQ(BranchFilter::None, FilterForImage(bytes.data(), bytes.size(), 0x4400));
    EXPECT_EQ(BranchFilter::None, FilterForImage(Image(0x014C).data(), 0x84, 0x4400));
    EXPECT_EQ(BranchFilter::None, FilterForImage(vorn::SampleText(4096).data(), 4096, 4096));
}

TEST(PackPlan, OnlyExecutablesMostlyOfCodeAreFiltered) {
    // Debug information after a tenth of code: filtered, it packs larger.
    EXPECT_EQ(BranchFilter::None,
              FilterForImage(Image(0x8664, 4096, 0x10000, 0x90000).data(), 4096, 0xA0400));
    // A third of code is enough; less is not.
    EXPECT_EQ(BranchFilter::X86,
              FilterForImage(Image(0x8664, 4096, 0x1000, 0x2000).data(), 4096, 0x3000));
    EXPECT_EQ(BranchFilter::None,
              FilterForImage(Image(0x8664, 4096, 0xFFF, 0x2000).data(), 4096, 0x3000));
    // A section table beyond the bytes looked at: the machine decides.
    std::vector<uint8_t> bytes = Image(0x8664, 4096, 0x10, 0x90000);
    EXPECT_EQ(BranchFilter::X86, FilterForImage(bytes.data(), 0x190, 0x90400));
}

TEST(PackPlan, SolidOrderPutsKindsAndNamesTogether) {
    const std::vector<vorn::String> paths = {u"x64/libstdc++.dll",
                                             u"docs/de/readme.txt",
                                             u"x86/libstdc++.dll",
                                             u"App.exe",
                                             u"docs/en/README.txt",
                                             u"x86/zlib.dll",
                                             u"LICENSE"};
    std::vector<vorn::String> ordered;
    for (const uint32_t index : SolidOrder(paths))
        ordered.push_back(paths[index]);
    EXPECT_EQ((std::vector<vorn::String>{u"LICENSE", u"x64/libstdc++.dll", u"x86/libstdc++.dll",
                                         u"x86/zlib.dll", u"App.exe", u"docs/de/readme.txt",
                                         u"docs/en/README.txt"}),
              ordered);
}

struct Files {
    std::vector<std::vector<uint8_t>> contents;
    std::vector<uint64_t> sizes() const {
        std::vector<uint64_t> sizes;
        for (const auto& bytes : contents)
            sizes.push_back(bytes.size());
        return sizes;
    }
    PackPlan::Load load() const {
        return [this](uint32_t index, uint64_t offset, uint32_t length, std::vector<uint8_t>* data,
                      vorn::String*) {
            const auto& bytes = contents[index];
            data->assign(bytes.begin() + long(offset), bytes.begin() + long(offset + length));
            return vorn::kResultOk;
        };
    }
};

TEST(PackPlan, GroupsCopiesAndFilesAlone) {
    Files files;
    std::vector<uint8_t> png = vorn::SampleNoise(3000);
    png[0] = 0x89, png[1] = 'P', png[2] = 'N', png[3] = 'G';
    files.contents = {
        vorn::SampleText(40000),  // 0: group 0
        vorn::SampleText(40000),  // 1: a copy of 0, in the open group
        png,                      // 2: compressed already: alone
        {},                       // 3: empty: alone
        Image(0x8664, 30000),     // 4: an executable: a group of its own, filtered
        Image(0x014C, 20000),     // 5: the same group
        vorn::SampleMixed(9000),  // 6: group 2
        vorn::SampleMixed(70000), // 7: larger than a group: alone
        vorn::SampleText(40000),  // 8: a copy of 0, whose group is closed: stored again
        vorn::SampleText(500),    // 9: kept out of groups by the caller
    };
    PlanOptions options;
    options.groupSize = 64000;
    std::vector<bool> groupable(files.contents.size(), true);
    groupable[9] = false;
    PackPlan plan;
    vorn::String message;
    ASSERT_EQ(0u, plan.make(files.sizes(), groupable, files.load(), options, &message));
    using How = FilePlan::How;
    const std::vector<How> kHow = {How::Member, How::Copy,   How::Alone, How::Alone,  How::Member,
                                   How::Member, How::Member, How::Alone, How::Member, How::Alone};
    for (size_t i = 0; i < kHow.size(); ++i) {
        EXPECT_EQ(int(kHow[i]), int(plan.files()[i].how)) << i;
        EXPECT_EQ(vorn::Crc32(0, files.contents[i].data(), files.contents[i].size()),
                  plan.files()[i].checksum)
            << i;
    }
    EXPECT_EQ(0u, plan.files()[1].original);
    ASSERT_EQ(3u, plan.groups().size());
    EXPECT_EQ((std::vector<uint32_t>{0}), plan.groups()[0].members);
    EXPECT_EQ((std::vector<uint32_t>{4, 5}), plan.groups()[1].members);
    EXPECT_EQ(BranchFilter::X86, plan.groups()[1].filter);
    EXPECT_EQ(50000u, plan.groups()[1].size);
    EXPECT_EQ(30000u, plan.files()[5].start);
    EXPECT_EQ((std::vector<uint32_t>{6, 8}), plan.groups()[2].members);
    EXPECT_EQ(BranchFilter::None, plan.groups()[2].filter);

    options.filters = false;
    ASSERT_EQ(0u, plan.make(files.sizes(), groupable, files.load(), options, &message));
    EXPECT_EQ(BranchFilter::None, plan.groups()[1].filter);
}

TEST(PackPlan, AFileThatCannotBeReadIsNamed) {
    Files files;
    files.contents = {vorn::SampleText(10), vorn::SampleText(20)};
    PackPlan plan;
    vorn::String message;
    auto failing = [](uint32_t index, uint64_t, uint32_t length, std::vector<uint8_t>* data,
                      vorn::String* message) {
        data->assign(length, 0);
        *message = vorn::String(u"cannot read file ") + vorn::String(index ? u"1" : u"0");
        return index ? vorn::kResultAccessDenied : vorn::kResultOk;
    };
    EXPECT_EQ(17u, plan.make(files.sizes(), {true, true}, failing, PlanOptions(), &message));
    EXPECT_EQ(vorn::String(u"cannot read file 1"), message);
}

} // namespace
} // namespace vornpack
