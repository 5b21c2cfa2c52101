#include <algorithm>
#include <gtest/gtest.h>

#include <unordered_map>

#include "../../VornLib/data/DataTestSupport.h"
#include "Tools/VornPack/Commands.h"
#include "Tools/VornPack/Files.h"
#include "VornLib/data/ArchiveFormat.h"
#include "VornLib/data/ArchiveMount.h"
#include "VornLib/data/FileStream.h"
#include "VornLib/data/NameHash.h"

namespace vornpack {
namespace {

namespace fs = std::filesystem;
using vorn::ScratchFolder;

// Files of every character a payload has.
void FillSource(const fs::path& folder) {
    fs::create_directories(folder / "Data" / "Xml");
    fs::create_directories(folder / "Program");
    vorn::WriteWholeFile(folder / "Data" / "Xml" / "Configuration.xml", vorn::SampleText(300000));
    std::vector<uint8_t> png = vorn::SampleNoise(50000);
    png[0] = 0x89, png[1] = 'P', png[2] = 'N', png[3] = 'G';
    vorn::WriteWholeFile(folder / "Data" / "Logo.png", png);
    vorn::WriteWholeFile(folder / "Program" / "App.exe", vorn::SampleMixed(4500000));
    vorn::WriteWholeFile(folder / "Program" / "zeros.bin", std::vector<uint8_t>(100000, 0));
    vorn::WriteWholeFile(folder / "empty.txt", {});
    vorn::WriteWholeFile(folder / fs::u8path(u8"Stra\u00dfe \u65e5\u672c.txt"),
                         vorn::SampleText(999));
}

std::vector<fs::path> FilesUnder(const fs::path& folder) {
    std::vector<fs::path> files;
    for (const auto& item : fs::recursive_directory_iterator(folder)) {
        if (item.is_regular_file())
            files.push_back(item.path().lexically_relative(folder));
    }
    std::sort(files.begin(), files.end());
    return files;
}

void ExpectSameTrees(const fs::path& a, const fs::path& b) {
    const std::vector<fs::path> files = FilesUnder(a);
    ASSERT_EQ(files, FilesUnder(b));
    for (const fs::path& file : files)
        EXPECT_TRUE(vorn::ReadWholeFile(a / file) == vorn::ReadWholeFile(b / file)) << file;
}

TEST(VornPack, EveryMethodPacksVerifiesAndExtractsTheSameFiles) {
    ScratchFolder scratch;
    const fs::path source = scratch.path() / "source";
    FillSource(source);
    const std::vector<Arguments> kMethods = {
        {u"--method", u"auto"},
        {u"--method", u"store"},
        {u"--method", u"deflate"},
        {u"--method", u"lzo"},
        {u"--method", u"lzma"},
        {u"--method", u"lzma2"},
        {u"--method", u"ppmd"},
        {u"--no-solid"},
        {u"--method", u"deflate", u"--solid"},
        {u"--method", u"lzo", u"--solid"},
        {u"--method", u"store", u"--solid"},
    };
    for (const Arguments& method : kMethods) {
        SCOPED_TRACE(method.back().length() * 10 + method.size());
        const fs::path container = scratch.path() / "payload.bin";
        const fs::path target = scratch.path() / "out";
        Arguments arguments = {TextOf(source), u"-o", TextOf(container)};
        arguments.insert(arguments.end(), method.begin(), method.end());
        ASSERT_EQ(0, Pack(arguments));
        EXPECT_FALSE(fs::exists(scratch.path() / "payload.bin.vornpack-partial"));
        EXPECT_EQ(0, Verify({TextOf(container)}));
        EXPECT_EQ(0, List({TextOf(container), u"--names", TextOf(source)}));
        ASSERT_EQ(0, Extract({TextOf(container), TextOf(target), u"--names", TextOf(source)}));
        ExpectSameTrees(source, target);
        fs::remove_all(target);
    }
}

// Which kind each entry got, read back through the mount.
std::map<std::string, uint16_t> KindsOf(const fs::path& container,
                                        const std::vector<const char16_t*>& names) {
    std::map<std::string, uint16_t> kinds;
    vorn::FileStream file;
    EXPECT_EQ(0u, file.openRead(TextOf(container).data()));
    vorn::ArchiveMount mount;
    EXPECT_EQ(0u, mount.open(&file));
    for (const char16_t* name : names) {
        vorn::SubStream* entry = nullptr;
        EXPECT_EQ(0u, mount.openEntry(name, &entry));
        kinds[fs::path(std::u16string(name)).u8string()] = mount.openEntryHeader().kindBits();
        (void)mount.releaseEntry(entry);
    }
    return kinds;
}

TEST(VornPack, AutoGroupsWhatCompressesAndStoresWhatIsCompressedAlready) {
    ScratchFolder scratch;
    FillSource(scratch.path() / "source");
    const fs::path container = scratch.path() / "payload.bin";
    const std::vector<const char16_t*> names = {u"Data/Logo.png", u"Data/Xml/Configuration.xml",
                                                u"Program/zeros.bin", u"empty.txt"};
    ASSERT_EQ(0, Pack({TextOf(scratch.path() / "source"), u"-o", TextOf(container)}));
    auto kinds = KindsOf(container, names);
    EXPECT_EQ(uint16_t(vorn::CompressionKind::Stored), kinds["Data/Logo.png"]);
    EXPECT_EQ(uint16_t(vorn::CompressionKind::Stored), kinds["empty.txt"]);
    EXPECT_EQ(vorn::kGroupMemberKind, kinds["Data/Xml/Configuration.xml"]);
    EXPECT_EQ(vorn::kGroupMemberKind, kinds["Program/zeros.bin"]);
    // File by file, the fast decoder: installing reads every byte once.
    ASSERT_EQ(0,
              Pack({TextOf(scratch.path() / "source"), u"-o", TextOf(container), u"--no-solid"}));
    kinds = KindsOf(container, names);
    EXPECT_EQ(uint16_t(vorn::CompressionKind::Stored), kinds["Data/Logo.png"]);
    EXPECT_EQ(uint16_t(vorn::CompressionKind::Stored), kinds["empty.txt"]);
    EXPECT_EQ(uint16_t(vorn::CompressionKind::Lzma2), kinds["Data/Xml/Configuration.xml"]);
    EXPECT_EQ(uint16_t(vorn::CompressionKind::Lzma2), kinds["Program/zeros.bin"]);
    EXPECT_EQ(5, Pack({TextOf(scratch.path() / "source"), u"-o", TextOf(container), u"--solid",
                       u"--no-solid"}));
}

// Two names whose hashes are equal, found by trying numbered names.
std::pair<std::string, std::string> CollidingNames() {
    std::unordered_map<uint32_t, uint32_t> seen;
    for (uint32_t i = 0;; ++i) {
        const std::string digits = std::to_string(i);
        const std::u16string name = u"f" + std::u16string(digits.begin(), digits.end());
        const auto found = seen.emplace(vorn::NameHash(name.c_str()), i);
        if (!found.second)
            return {"f" + std::to_string(found.first->second), "f" + std::to_string(i)};
    }
}

TEST(VornPack, FailedPacksLeaveNoOutput) {
    ScratchFolder scratch;
    const fs::path source = scratch.path() / "source";
    fs::create_directories(source);
    const auto [first, second] = CollidingNames();
    vorn::WriteWholeFile(source / first, {1});
    vorn::WriteWholeFile(source / second, {2});
    const fs::path container = scratch.path() / "payload.bin";
    EXPECT_EQ(14, Pack({TextOf(source), u"-o", TextOf(container)}));
    EXPECT_FALSE(fs::exists(container));
    EXPECT_FALSE(fs::exists(scratch.path() / "payload.bin.vornpack-partial"));

    EXPECT_EQ(29, Pack({TextOf(scratch.path() / "missing"), u"-o", TextOf(container)}));
    EXPECT_EQ(5, Pack({TextOf(source), u"-o", TextOf(container), u"--method", u"zip"}));
    EXPECT_EQ(5, Pack({TextOf(source)}));
    EXPECT_EQ(5, Pack({TextOf(source), u"-o"}));
    EXPECT_FALSE(fs::exists(container));
}

TEST(VornPack, DamagedContainersFailWithTheirCodeAndExtractNothing) {
    ScratchFolder scratch;
    const fs::path source = scratch.path() / "source";
    FillSource(source);
    const fs::path container = scratch.path() / "payload.bin";
    ASSERT_EQ(0, Pack({TextOf(source), u"-o", TextOf(container), u"--method", u"lzma"}));
    const std::vector<uint8_t> pristine = vorn::ReadWholeFile(container);
    struct Case {
        const char* name;
        size_t at;
        int expected;
    };
    const Case kCases[] = {
        {"archive header checksum", 30, 32},
        {"first entry's header checksum", 57 + 22, 32},
        {"magic", 0, 33},
    };
    for (const Case& test : kCases) {
        SCOPED_TRACE(test.name);
        std::vector<uint8_t> damaged = pristine;
        damaged[test.at] ^= 0x10;
        vorn::WriteWholeFile(container, damaged);
        EXPECT_EQ(test.expected, Verify({TextOf(container)}));
        const fs::path target = scratch.path() / "out";
        EXPECT_EQ(test.expected,
                  Extract({TextOf(container), TextOf(target), u"--names", TextOf(source)}));
        EXPECT_FALSE(fs::exists(target) && !FilesUnder(target).empty());
    }
    // Damage inside the packed data of the largest entry surfaces when it is read.
    std::vector<uint8_t> damaged = pristine;
    damaged[pristine.size() / 2] ^= 0xFF;
    vorn::WriteWholeFile(container, damaged);
    EXPECT_NE(0, Verify({TextOf(container)}));
    vorn::WriteWholeFile(container, std::vector<uint8_t>(pristine.begin(), pristine.end() - 1));
    EXPECT_EQ(19, Verify({TextOf(container)})); // the directory now runs past the end
}

// Changes 100 bytes in the middle of the packed data of entry `name`.
void DamageEntry(const fs::path& container, const char16_t* name) {
    std::vector<uint8_t> bytes = vorn::ReadWholeFile(container);
    uint64_t offset = 0;
    {
        vorn::GrowableStream stream(bytes);
        vorn::ArchiveMount mount;
        ASSERT_EQ(0u, mount.open(&stream));
        for (uint32_t i = 0; i < mount.recordCount(); ++i) {
            if (mount.records()[i].nameHash == vorn::NameHash(name))
                offset = mount.records()[i].offset;
        }
    }
    ASSERT_NE(0u, offset);
    vorn::EntryHeader header;
    header.parse(bytes.data() + offset);
    if (header.kindBits() == vorn::kGroupMemberKind) {
        // A member's bytes are its group's.
        vorn::MemberLocator locator;
        locator.parse(bytes.data() + offset + vorn::EntryHeader::kSize);
        offset = locator.groupOffset;
        header.parse(bytes.data() + offset);
    }
    const size_t middle = size_t(offset + vorn::EntryHeader::kSize + header.packedSize / 2);
    for (size_t i = middle - 50; i < middle + 50; ++i)
        bytes[i] ^= 0x3C;
    vorn::WriteWholeFile(container, bytes);
}

TEST(VornPack, VerifyNamesEveryDamagedEntryAndExtractWritesNoneOfThem) {
    ScratchFolder scratch;
    const fs::path source = scratch.path() / "source";
    FillSource(source);
    for (const char16_t* method : {u"store", u"auto"}) {
        SCOPED_TRACE(vorn::String(method).length());
        const fs::path container = scratch.path() / "payload.bin";
        ASSERT_EQ(
            0, Pack({TextOf(source), u"-o", TextOf(container), u"--method", method, u"--quiet"}));
        DamageEntry(container, u"Program/App.exe");
        DamageEntry(container, u"Data/Logo.png");
        testing::internal::CaptureStderr();
        EXPECT_EQ(22, Verify({TextOf(container)}));
        const std::string errors = testing::internal::GetCapturedStderr();
        EXPECT_NE(std::string::npos, errors.find("\"Program/App.exe\" is damaged (result 22)"))
            << errors;
        EXPECT_NE(std::string::npos, errors.find("\"Data/Logo.png\" is damaged (result 22)"))
            << errors;
        EXPECT_NE(std::string::npos, errors.find(" of 7 entries")) << errors;
        // What extract wrote before the damaged entry goes again; nothing is
        // left under a name or half-written.
        const fs::path target = scratch.path() / "out";
        for (const char16_t* jobs : {u"1", u"4"}) {
            testing::internal::CaptureStderr();
            EXPECT_EQ(22, Extract({TextOf(container), TextOf(target), u"--names", TextOf(source),
                                   u"--jobs", jobs}));
            testing::internal::GetCapturedStderr();
            EXPECT_TRUE(!fs::exists(target) || FilesUnder(target).empty());
        }
    }
}

// One damaged file of a solid group: verify names it and none of its intact
// neighbours, whether its group is stored (read whole, its own checksum
// failing) or compressed (LZO keeps the bytes of noise as they are).
TEST(VornPack, VerifyNamesOnlyTheDamagedMemberOfAGroup) {
    ScratchFolder scratch;
    const fs::path source = scratch.path() / "source";
    fs::create_directories(source);
    const std::vector<uint8_t> noise = vorn::SampleNoise(20000);
    vorn::WriteWholeFile(source / "a.txt", vorn::SampleText(20000));
    vorn::WriteWholeFile(source / "b.txt", noise);
    vorn::WriteWholeFile(source / "c.txt", vorn::SampleText(30000));
    for (const char16_t* method : {u"store", u"lzo"}) {
        SCOPED_TRACE(vorn::String(method).length());
        const fs::path container = scratch.path() / "payload.bin";
        ASSERT_EQ(0, Pack({TextOf(source), u"-o", TextOf(container), u"--method", method,
                           u"--solid", u"--quiet"}));
        // Noise is packed as it is: its middle is found in the container.
        std::vector<uint8_t> bytes = vorn::ReadWholeFile(container);
        const auto middle = noise.begin() + 10000;
        const auto found = std::search(bytes.begin(), bytes.end(), middle, middle + 64);
        ASSERT_NE(bytes.end(), found);
        found[10] ^= 0x01;
        vorn::WriteWholeFile(container, bytes);
        testing::internal::CaptureStderr();
        EXPECT_EQ(22, Verify({TextOf(container)}));
        const std::string errors = testing::internal::GetCapturedStderr();
        EXPECT_NE(std::string::npos, errors.find("\"b.txt\" is damaged (result 22)")) << errors;
        EXPECT_EQ(std::string::npos, errors.find("\"a.txt\"")) << errors;
        EXPECT_EQ(std::string::npos, errors.find("\"c.txt\"")) << errors;
        EXPECT_NE(std::string::npos, errors.find("1 of 4 entries")) << errors;
    }
}

TEST(VornPack, ExtractWritesTheSameFilesOnAnyNumberOfThreads) {
    ScratchFolder scratch;
    const fs::path source = scratch.path() / "source";
    FillSource(source);
    // More groups than lanes: each kind of file a group of its own.
    for (int i = 0; i < 6; ++i)
        vorn::WriteWholeFile(source / "Lib" / ("part" + std::to_string(i) + ".dat"),
                             vorn::SampleMixed(200000 + i));
    const fs::path container = scratch.path() / "payload.bin";
    ASSERT_EQ(0, Pack({TextOf(source), u"-o", TextOf(container), u"--quiet"}));
    for (const char16_t* jobs : {u"1", u"2", u"8"}) {
        SCOPED_TRACE(int(jobs[0]));
        const fs::path target = scratch.path() / "out";
        ASSERT_EQ(0, Extract({TextOf(container), TextOf(target), u"--names", TextOf(source),
                              u"--jobs", jobs}));
        ExpectSameTrees(source, target);
        fs::remove_all(target);
    }
    testing::internal::CaptureStderr();
    EXPECT_EQ(5, Extract({TextOf(container), TextOf(scratch.path() / "out"), u"--names",
                          TextOf(source), u"--jobs", u"0"}));
    testing::internal::GetCapturedStderr();
    EXPECT_FALSE(fs::exists(scratch.path() / "out"));
}

TEST(VornPack, ExtractRefusesNamesThatLeaveTheFolder) {
    ScratchFolder scratch;
    const fs::path source = scratch.path() / "source";
    FillSource(source);
    const fs::path container = scratch.path() / "payload.bin";
    ASSERT_EQ(0, Pack({TextOf(source), u"-o", TextOf(container), u"--method", u"store"}));
    for (const char* name : {"../evil.txt", "/etc/evil", "a/../../evil", "C:evil", "a\\b"}) {
        SCOPED_TRACE(name);
        vorn::WriteWholeFile(scratch.path() / "names.txt",
                             std::vector<uint8_t>(name, name + std::strlen(name)));
        EXPECT_EQ(38, Extract({TextOf(container), TextOf(scratch.path() / "out"), u"--names",
                               TextOf(scratch.path() / "names.txt")}));
    }
    // A list names a subset: only those are extracted.
    const std::string list = "Program/App.exe\r\nnot/there\n\nempty.txt\n";
    vorn::WriteWholeFile(scratch.path() / "names.txt",
                         std::vector<uint8_t>(list.begin(), list.end()));
    ASSERT_EQ(0, Extract({TextOf(container), TextOf(scratch.path() / "out"), u"--names",
                          TextOf(scratch.path() / "names.txt")}));
    EXPECT_EQ((std::vector<fs::path>{"Program/App.exe", "empty.txt"}),
              FilesUnder(scratch.path() / "out"));
}

#ifndef _WIN32
// The rule of every input folder, for pack as for setup (whose cases are
// among its faults), on folders that only Linux can hold as they are.
struct FolderShape {
    const char* what;
    int expected;
    void (*make)(const fs::path& source);
};
const FolderShape kRefusedShapes[] = {
    {"a link back to a parent folder", 2,
     [](const fs::path& source) { fs::create_directory_symlink("..", source / "sub" / "up"); }},
    {"a link to a folder elsewhere", 2,
     [](const fs::path& source) {
         fs::create_directory_symlink(source.parent_path(), source / "sub" / "out");
     }},
    {"a link that leads nowhere", 29,
     [](const fs::path& source) { fs::create_symlink("gone", source / "sub" / "gone"); }},
    {"names that differ only in case", 14,
     [](const fs::path& source) { vorn::WriteWholeFile(source / "sub" / "README.txt", {2}); }},
};

TEST(VornPack, LinksToFoldersAndNamesThatDifferOnlyInCaseAreRefused) {
    for (const FolderShape& shape : kRefusedShapes) {
        SCOPED_TRACE(shape.what);
        ScratchFolder scratch;
        const fs::path source = scratch.path() / "source";
        fs::create_directories(source / "sub");
        vorn::WriteWholeFile(source / "sub" / "Readme.txt", {1});
        shape.make(source);
        const fs::path container = scratch.path() / "payload.bin";
        testing::internal::CaptureStderr();
        EXPECT_EQ(shape.expected, Pack({TextOf(source), u"-o", TextOf(container)}));
        const std::string errors = testing::internal::GetCapturedStderr();
        EXPECT_NE(std::string::npos, errors.find(source.u8string() + "/sub/")) << errors;
        EXPECT_FALSE(fs::exists(container));
        EXPECT_FALSE(fs::exists(scratch.path() / "payload.bin.vornpack-partial"));
    }
    // A link to a file is packed as the file it points to.
    ScratchFolder scratch;
    const fs::path source = scratch.path() / "source";
    fs::create_directories(source);
    vorn::WriteWholeFile(source / "real.txt", vorn::SampleText(100));
    fs::create_symlink("real.txt", source / "link.txt");
    const fs::path container = scratch.path() / "payload.bin";
    testing::internal::CaptureStdout();
    ASSERT_EQ(0, Pack({TextOf(source), u"-o", TextOf(container)}));
    ASSERT_EQ(0, Extract({TextOf(container), TextOf(scratch.path() / "out"), u"--names",
                          TextOf(source)}));
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(vorn::ReadWholeFile(scratch.path() / "out" / "link.txt") == vorn::SampleText(100));
}
#endif

} // namespace
} // namespace vornpack
