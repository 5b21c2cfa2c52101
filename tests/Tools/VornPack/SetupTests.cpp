#include <gtest/gtest.h>

#include "../../VornLib/data/DataTestSupport.h"
#include "Applications/VornSetup/InstallManifest.h"
#include "PeImageBuilder.h"
#include "ProgramImages.h"
#include "SetupSources.h"
#include "Tools/VornPack/Commands.h"
#include "Tools/VornPack/FileList.h"
#include "Tools/VornPack/Files.h"
#include "Tools/VornPack/Init.h"
#include "Tools/VornPack/PackPlan.h"
#include "Tools/VornPack/Setup.h"
#include "VornLib/core/Utf8.h"
#include "VornLib/core/XmlDocument.h"
#include "VornLib/data/ArchiveMount.h"

namespace vornpack {
namespace {

namespace fs = std::filesystem;
using vorn::ScratchFolder;

TEST(SetupFileList, ReadsBackThroughTheInstallersReader) {
    ScratchFolder scratch;
    FillApp(scratch.path() / "app");
    std::string xml;
    std::vector<ApplicationFile> files;
    vorn::String badName;
    ASSERT_EQ(0u, DescribeApplication(scratch.path() / "app", &xml, &files, &badName));

    vorn::XmlDocument document;
    ASSERT_EQ(0u, document.parse(xml.data(), uint32_t(xml.size()), u"FileList.xml"));
    ASSERT_NE(nullptr, document.root());
    EXPECT_EQ(vorn::String(u"FileList"), document.root()->name());
    const vorn::XmlNode* list = document.root()->find(u"/Files");
    ASSERT_NE(nullptr, list);
    vornsetup::InstallManifest manifest;
    ASSERT_EQ(0u, manifest.readFileList(*list));

    EXPECT_EQ(vorn::String(u"Application/"), manifest.sourceRoot);
    ASSERT_EQ(std::size(kAppFiles), manifest.files.size());
    ASSERT_EQ(std::size(kAppFiles), files.size());
    uint64_t total = 0;
    for (size_t i = 0; i < std::size(kAppFiles); ++i) {
        const std::u16string expected = fs::u8path(kAppFiles[i].path).generic_u16string();
        SCOPED_TRACE(kAppFiles[i].path);
        const vornsetup::FileEntry& entry = manifest.files[i];
        EXPECT_EQ(vorn::String(expected.c_str()), entry.relativePath);
        EXPECT_EQ(files[i].relativePath, entry.relativePath) << "the payload holds it there";
        EXPECT_EQ(kAppFiles[i].size, entry.size);
        EXPECT_EQ(DateOf(i), entry.date) << "UTC, whole seconds";
        total += kAppFiles[i].size;
    }
    EXPECT_EQ(total, manifest.totalSize);
    EXPECT_NE(std::string::npos, xml.find("Date=\"2020-02-29T12:34:56Z\"")) << xml;

    // In any order (a solid payload's), the files read back in that order.
    std::vector<ApplicationFile> reordered(files.rbegin(), files.rend());
    std::swap(reordered[0], reordered[2]);
    xml = OrderedFileList(reordered);
    ASSERT_EQ(0u, document.parse(xml.data(), uint32_t(xml.size()), u"FileList.xml")) << xml;
    vornsetup::InstallManifest ordered;
    ASSERT_EQ(0u, ordered.readFileList(*document.root()->find(u"/Files")));
    EXPECT_EQ(vorn::String(u"Application/"), ordered.sourceRoot);
    ASSERT_EQ(reordered.size(), ordered.files.size());
    for (size_t i = 0; i < reordered.size(); ++i) {
        EXPECT_EQ(reordered[i].relativePath, ordered.files[i].relativePath) << i;
        EXPECT_EQ(reordered[i].size, ordered.files[i].size) << i;
        EXPECT_EQ(reordered[i].date, ordered.files[i].date) << i;
    }
}

TEST(SetupFileList, AnEmptyApplicationFolderGivesAnEmptyList) {
    ScratchFolder scratch;
    fs::create_directories(scratch.path() / "app" / "empty");
    std::string xml;
    std::vector<ApplicationFile> files;
    vorn::String badName;
    ASSERT_EQ(0u, DescribeApplication(scratch.path() / "app", &xml, &files, &badName));
    vorn::XmlDocument document;
    ASSERT_EQ(0u, document.parse(xml.data(), uint32_t(xml.size()), u"FileList.xml"));
    vornsetup::InstallManifest manifest;
    ASSERT_EQ(0u, manifest.readFileList(*document.root()->find(u"/Files")));
    EXPECT_TRUE(manifest.files.empty());
    EXPECT_EQ(29u, DescribeApplication(scratch.path() / "missing", &xml, &files, &badName));
    EXPECT_TRUE(xml.empty());
}

#ifndef _WIN32
// Names a Linux folder can hold but Windows cannot create (host only: the
// Windows build could not make these files in the first place).
TEST(SetupFileList, NamesWindowsCannotCreateAreRefused) {
    const char* kBad[] = {"a:b",      "a*b",    "a?b",     "a\"b",    "a<b",   "a>b",
                          "a|b",      "a\\b",   "trail.",  "trail ",  "CON",   "con.txt",
                          "LPT1.log", "Nul .x", "\x01ctl", "sub/AUX", "tab\tx"};
    for (const char* name : kBad) {
        SCOPED_TRACE(name);
        ScratchFolder scratch;
        const fs::path path = scratch.path() / "app" / name;
        fs::create_directories(path.parent_path());
        vorn::WriteWholeFile(path, {1});
        std::string xml = "x";
        std::vector<ApplicationFile> files;
        vorn::String problem;
        EXPECT_EQ(38u, DescribeApplication(scratch.path() / "app", &xml, &files, &problem));
        EXPECT_GE(problem.find(fs::u8path(name).u16string().c_str()), 0) << vorn::ToUtf8(problem);
        EXPECT_TRUE(xml.empty());
        EXPECT_TRUE(files.empty());
    }
    ScratchFolder scratch;
    for (const char* name : {"CONSOLE.txt", "COM10", "nul_file", ".hidden", "a..b"})
        vorn::WriteWholeFile(scratch.path() / name, {1});
    std::string xml;
    std::vector<ApplicationFile> files;
    vorn::String badName;
    EXPECT_EQ(0u, DescribeApplication(scratch.path(), &xml, &files, &badName));
    EXPECT_EQ(5u, files.size());
}

TEST(SetupFileList, NestingStopsWhereTheXmlReaderStops) {
    for (const uint32_t depth : {97u, 98u}) {
        ScratchFolder scratch;
        fs::path folder = scratch.path() / "app";
        for (uint32_t i = 0; i < depth; ++i)
            folder /= "d";
        fs::create_directories(folder);
        vorn::WriteWholeFile(folder / "f", {1});
        std::string xml;
        std::vector<ApplicationFile> files;
        vorn::String badName;
        const vorn::Result result =
            DescribeApplication(scratch.path() / "app", &xml, &files, &badName);
        if (depth == 98) {
            EXPECT_EQ(24u, result);
            continue;
        }
        ASSERT_EQ(0u, result);
        vorn::XmlDocument document;
        ASSERT_EQ(0u, document.parse(xml.data(), uint32_t(xml.size()), u"FileList.xml"));
        vornsetup::InstallManifest manifest;
        ASSERT_EQ(0u, manifest.readFileList(*document.root()->find(u"/Files")));
        ASSERT_EQ(1u, manifest.files.size());
        EXPECT_EQ(files[0].relativePath, manifest.files[0].relativePath);
    }
}
#endif

// Payload name and the file it must hold.
struct ExpectedEntry {
    const char16_t* name;
    fs::path source;
};

TEST(Setup, PacksEverythingIntoTheStubsPayloadResource) {
    SetupSources sources;
    for (const char16_t* method : {u"auto", u"store", u"lzma"}) {
        SCOPED_TRACE(vorn::String(method).length());
        ASSERT_EQ(0, vornpack::Setup(sources.arguments(method)));
        EXPECT_TRUE(sources.leftovers().empty());

        const std::vector<uint8_t> written = vorn::ReadWholeFile(sources.out);
        PeImage image;
        ASSERT_EQ(0u, image.parse(written.data(), written.size()));
        EXPECT_EQ(ProgramResources(true).size(), image.resources().size());
        const ResourceLeaf* payload = nullptr;
        for (const ResourceLeaf& leaf : image.resources()) {
            if (leaf.type == ResourceKey::Id(kResourceRcData) && leaf.name == ResourceKey::Id(4096))
                payload = &leaf;
        }
        ASSERT_NE(nullptr, payload);
        vorn::GrowableStream container(
            std::vector<uint8_t>(image.dataOf(*payload), image.dataOf(*payload) + payload->size));
        vorn::ArchiveMount mount;
        ASSERT_EQ(0u, mount.open(&container));

        std::vector<ExpectedEntry> expected = {
            {u"Data/Xml/Configuration.xml", sources.definitions / "Configuration.xml"},
            {u"Data/Xml/Preferences.xml", sources.definitions / "Preferences.xml"},
            {u"Data/Xml/Windows.xml", sources.definitions / "Xml" / "Windows.xml"},
            {u"Data/Licenses/Readme.txt", sources.definitions / "Licenses" / "Readme.txt"},
            {u"Data/Logo.png", sources.definitions / "Logo.png"},
        };
        std::vector<std::u16string> appNames;
        for (const AppFile& file : kAppFiles)
            appNames.push_back(u"Application/" + fs::u8path(file.path).generic_u16string());
        for (size_t i = 0; i < appNames.size(); ++i)
            expected.push_back({appNames[i].c_str(), sources.app / fs::u8path(kAppFiles[i].path)});
        ASSERT_EQ(expected.size() + 2, mount.recordCount()) << "and the file list and the names";
        for (const ExpectedEntry& entry : expected) {
            SCOPED_TRACE(entry.source.u8string());
            vorn::SubStream* stream = nullptr;
            ASSERT_EQ(0u, mount.openEntry(entry.name, &stream));
            const std::vector<uint8_t> bytes = vorn::ReadWholeFile(entry.source);
            std::vector<uint8_t> read(bytes.size());
            EXPECT_EQ(bytes.size(), stream->size());
            if (!bytes.empty()) {
                EXPECT_EQ(0u, stream->read(read.data(), uint32_t(read.size())));
            }
            EXPECT_TRUE(read == bytes);
            (void)mount.releaseEntry(stream);
        }

        vorn::SubStream* stream = nullptr;
        ASSERT_EQ(0u, mount.openEntry(u"Data/Xml/FileList.xml", &stream));
        std::vector<uint8_t> fileList(size_t(stream->size()));
        ASSERT_EQ(0u, stream->read(fileList.data(), uint32_t(fileList.size())));
        (void)mount.releaseEntry(stream);
        std::string described;
        std::vector<ApplicationFile> files;
        vorn::String badName;
        ASSERT_EQ(0u, DescribeApplication(sources.app, &described, &files, &badName));
        if (vorn::String(method) == u"auto") {
            // Packed solid: in the order the files pack best in.
            std::vector<vorn::String> paths;
            for (const ApplicationFile& file : files)
                paths.push_back(file.relativePath);
            std::vector<ApplicationFile> ordered;
            for (const uint32_t index : SolidOrder(paths))
                ordered.push_back(files[index]);
            described = OrderedFileList(ordered);
        }
        EXPECT_EQ(described, std::string(fileList.begin(), fileList.end()));
    }
}

// The payload read where the setup holds it, also once the setup is signed
// (a certificate table after its last section).
TEST(Setup, ListVerifyAndExtractReadASetupLikeAContainer) {
    SetupSources sources;
    ASSERT_EQ(0, vornpack::Setup(sources.arguments(u"lzma")));
    std::vector<uint8_t> signedSetup = vorn::ReadWholeFile(sources.out);
    const size_t security = GetTest32(signedSetup, 0x3C) + 24 + 112 + 32; // PE32+
    PutTest32(signedSetup, security, uint32_t(signedSetup.size()));
    PutTest32(signedSetup, security + 4, 16);
    const std::vector<uint8_t> certificate = {16, 0, 0, 0, 0, 2, 2, 0, 1, 2, 3, 4, 5, 6, 7, 8};
    signedSetup.insert(signedSetup.end(), certificate.begin(), certificate.end());
    const fs::path signedPath = sources.scratch.path() / "Signed.exe";
    vorn::WriteWholeFile(signedPath, signedSetup);
    const fs::path names = sources.scratch.path() / "names.txt";
    const std::string list = "Application/App.exe\nData/Xml/Configuration.xml\n";
    vorn::WriteWholeFile(names, std::vector<uint8_t>(list.begin(), list.end()));
    for (const fs::path& setup : {sources.out, signedPath}) {
        SCOPED_TRACE(setup.u8string());
        const fs::path target = sources.scratch.path() / "extracted";
        testing::internal::CaptureStdout();
        EXPECT_EQ(0, Verify({TextOf(setup)}));
        EXPECT_EQ(0, List({TextOf(setup), u"--names", TextOf(names)}));
        EXPECT_EQ(0, Extract({TextOf(setup), TextOf(target), u"--names", TextOf(names)}));
        const std::string printed = testing::internal::GetCapturedStdout();
        EXPECT_NE(std::string::npos, printed.find("all readable")) << printed;
        EXPECT_NE(std::string::npos, printed.find("Application/App.exe")) << printed;
        EXPECT_TRUE(vorn::ReadWholeFile(target / "Application" / "App.exe") ==
                    vorn::ReadWholeFile(sources.app / "App.exe"));
        EXPECT_TRUE(vorn::ReadWholeFile(target / "Data" / "Xml" / "Configuration.xml") ==
                    vorn::ReadWholeFile(sources.definitions / "Configuration.xml"));
        fs::remove_all(target);
    }
    // A program without a payload, and one whose resource is not a container.
    testing::internal::CaptureStderr();
    sources.writeStub(ProgramResources(false));
    EXPECT_EQ(29, Verify({TextOf(sources.stub)}));
    sources.writeStub(ProgramResources(true));
    EXPECT_EQ(33, Verify({TextOf(sources.stub)}));
    testing::internal::GetCapturedStderr();
}

// The same tree again, made in the opposite order and dated like the first.
void CopyInReverse(const fs::path& from, const fs::path& to) {
    std::vector<fs::path> items;
    for (const auto& item : fs::recursive_directory_iterator(from))
        items.push_back(item.path().lexically_relative(from));
    std::sort(items.rbegin(), items.rend());
    for (const fs::path& item : items) {
        fs::create_directories((to / item).parent_path());
        if (fs::is_regular_file(from / item))
            fs::copy_file(from / item, to / item);
        else
            fs::create_directories(to / item);
    }
    for (const fs::path& item : items) {
        if (fs::is_regular_file(from / item))
            fs::last_write_time(to / item, fs::last_write_time(from / item));
    }
}

TEST(Setup, TheSameInputsGiveTheSameBytes) {
    SetupSources sources;
    for (const auto& item : fs::recursive_directory_iterator(sources.definitions)) {
        if (item.is_regular_file())
            SetWriteTime(item.path(), DateOf(0));
    }
    SetWriteTime(sources.stub, DateOf(0));
    ASSERT_EQ(0, vornpack::Setup(sources.arguments()));
    const std::vector<uint8_t> first = vorn::ReadWholeFile(sources.out);

    // The payload is stamped with its newest input's date, not the clock's.
    PeImage image;
    ASSERT_EQ(0u, image.parse(first.data(), first.size()));
    const ResourceLeaf& payload =
        *std::find_if(image.resources().begin(), image.resources().end(),
                      [](const ResourceLeaf& leaf) { return leaf.name == ResourceKey::Id(4096); });
    vorn::GrowableStream container(
        std::vector<uint8_t>(image.dataOf(payload), image.dataOf(payload) + payload.size));
    vorn::ArchiveMount mount;
    ASSERT_EQ(0u, mount.open(&container));
    EXPECT_EQ(0x20200305u, mount.header().buildDate) << std::hex << mount.header().buildDate;
    EXPECT_EQ(0x12345100u, mount.header().buildTime) << std::hex << mount.header().buildTime;

    ASSERT_EQ(0, vornpack::Setup(sources.arguments()));
    EXPECT_TRUE(first == vorn::ReadWholeFile(sources.out)) << "a second run";
    for (const char16_t* jobs : {u"1", u"2", u"3"}) {
        Arguments arguments = sources.arguments();
        arguments.insert(arguments.end(), {u"--jobs", jobs});
        ASSERT_EQ(0, vornpack::Setup(arguments));
        EXPECT_TRUE(first == vorn::ReadWholeFile(sources.out))
            << "--jobs " << vorn::String(jobs).length();
    }

    // Elsewhere, listed in another order, each file's date kept.
    SetupSources copy;
    fs::remove_all(copy.app);
    fs::remove_all(copy.definitions);
    CopyInReverse(sources.app, copy.app);
    CopyInReverse(sources.definitions, copy.definitions);
    fs::last_write_time(copy.stub, fs::last_write_time(sources.stub));
    ASSERT_EQ(0, vornpack::Setup(copy.arguments()));
    EXPECT_TRUE(first == vorn::ReadWholeFile(copy.out)) << "inputs made in another order";

    // A newer input is a different input: the payload's stamp follows it.
    SetWriteTime(copy.app / "zz" / "one.txt", DateOf(100));
    ASSERT_EQ(0, vornpack::Setup(copy.arguments()));
    EXPECT_FALSE(first == vorn::ReadWholeFile(copy.out));
}

// Commands both shells (sh, and cmd under Windows) run alike; SIGNED stands
// for the quoted path of an image with a certificate table, as a signer
// leaves one.
struct SignCase {
    const char* what;
    const char16_t* command;
    int expected;
};
const SignCase kSignCases[] = {
    {"a signer that signs nothing", u"echo SIGNED>> {}", 1},
    {"a signer that fails", u"echo {} && exit 3", 1},
#ifdef _WIN32
    {"a signer that signs", u"copy /y SIGNED {}", 0},
    {"a signer that deletes the file", u"del {}", 33},
    {"a signer named in quotes", u"\"cmd.exe\" /c copy /y SIGNED {}", 0},
#else
    {"a signer that signs", u"cp SIGNED {}", 0},
    {"a signer that deletes the file", u"rm {}", 33},
    {"a signer named in quotes", u"'cp' SIGNED {}", 0},
#endif
    {"a command without the file", u"echo sign", 5},
};

TEST(Setup, TheOutputTakesItsNameOnlyOnceTheSignCommandSucceeded) {
    for (const SignCase& sign : kSignCases) {
        SCOPED_TRACE(sign.what);
        SetupSources sources;
        vorn::WriteWholeFile(sources.out, {'o', 'l', 'd'});
        ImageSpec spec;
        spec.signedImage = true;
        const std::vector<uint8_t> signedImage = BuildTestImage(spec).bytes;
        const fs::path signedPath = sources.scratch.path() / "signed.exe";
        vorn::WriteWholeFile(signedPath, signedImage);
        std::u16string command = sign.command;
        const size_t at = command.find(u"SIGNED");
        if (at != std::u16string::npos && command.find(u"echo") == std::u16string::npos)
            command.replace(at, 6, u'"' + signedPath.u16string() + u'"');
        Arguments arguments = sources.arguments();
        arguments.insert(arguments.end(), {u"--sign-command", command.c_str(), u"--quiet"});
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        EXPECT_EQ(sign.expected, vornpack::Setup(arguments));
        testing::internal::GetCapturedStdout();
        const std::string errors = testing::internal::GetCapturedStderr();
        EXPECT_TRUE(sources.leftovers().empty());
        const std::vector<uint8_t> written = vorn::ReadWholeFile(sources.out);
        if (sign.expected) {
            EXPECT_TRUE(written == std::vector<uint8_t>({'o', 'l', 'd'}));
            EXPECT_EQ(0u, errors.find("VornPack setup: ")) << errors;
            continue;
        }
        EXPECT_TRUE(errors.empty()) << errors;
        EXPECT_TRUE(written == signedImage);
    }
}

} // namespace
} // namespace vornpack
