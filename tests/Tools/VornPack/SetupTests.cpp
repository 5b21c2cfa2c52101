#include <gtest/gtest.h>

#include "../../VornLib/data/DataTestSupport.h"
#include "Applications/VornSetup/InstallManifest.h"
#include "PeImageBuilder.h"
#include "ProgramImages.h"
#include "Tools/VornPack/Commands.h"
#include "Tools/VornPack/FileList.h"
#include "Tools/VornPack/Files.h"
#include "Tools/VornPack/Init.h"
#include "Tools/VornPack/PackPlan.h"
#include "Tools/VornPack/Setup.h"
#include "VornLib/core/Utf8.h"
#include "VornLib/core/XmlDocument.h"
#include "VornLib/data/ArchiveMount.h"

#ifdef _WIN32
#include "VornLib/core/Win32.h"
#include "VornLib/core/Win32Handles.h"
#else
#include <fcntl.h>
#include <sys/stat.h>
#endif

namespace vornpack {
namespace {

namespace fs = std::filesystem;
using vorn::ScratchFolder;

void SetWriteTime(const fs::path& path, vorn::DateTime time) {
#ifdef _WIN32
    vorn::KernelHandle file(CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    const uint64_t value = vorn::FileTimeFromDateTime(time);
    FILETIME fileTime = {DWORD(value), DWORD(value >> 32)};
    ASSERT_TRUE(SetFileTime(file.get(), nullptr, nullptr, &fileTime));
#else
    const timespec times[2] = {{time_t(time / vorn::kMicrosecondsPerSecond), 0},
                               {time_t(time / vorn::kMicrosecondsPerSecond), 250000000}};
    ASSERT_EQ(0, utimensat(AT_FDCWD, path.c_str(), times, 0));
#endif
}

struct AppFile {
    const char* path; // UTF-8, "/"-separated
    size_t size;
};

// Listed in the order the file list must give: each folder's entries by
// name in UTF-16 order, folders in their place among the files.
const AppFile kAppFiles[] = {
    {"App.exe", 12345},      {"Data/Deep/x y.bin", 70},
    {"Data/Logo.png", 3000}, {u8"Stra\u00dfe \u65e5\u672c.txt", 10},
    {"a&b's [c] #1.txt", 0}, {"zz/one.txt", 1},
};

vorn::DateTime DateOf(size_t index) {
    vorn::CalendarTime calendar;
    calendar.year = 2020;
    calendar.month = 2;
    calendar.day = 29;
    calendar.hour = 12;
    calendar.minute = 34;
    calendar.second = 56;
    return vorn::DateTimeFromCalendar(calendar) +
           vorn::DateTime(index) * 86399 * vorn::kMicrosecondsPerSecond;
}

void FillApp(const fs::path& folder) {
    for (size_t i = 0; i < std::size(kAppFiles); ++i) {
        const fs::path path = folder / fs::u8path(kAppFiles[i].path);
        fs::create_directories(path.parent_path());
        vorn::WriteWholeFile(path, vorn::SampleMixed(kAppFiles[i].size));
        SetWriteTime(path, DateOf(i));
    }
}

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

// A stub's resources: a program's, with a version block that names it.
std::vector<TestResource> StubResources(const std::u16string& originalFilename) {
    std::vector<TestResource> resources = ProgramResources(true);
    for (TestResource& resource : resources) {
        if (resource.type == ResourceKey::Id(kResourceVersion))
            resource.data = TestVersionBlock(originalFilename);
    }
    return resources;
}

const std::string kConfiguration = R"(<?xml version="1.0"?>
<Configuration>
  <Application UUID="9BAE90B6-F29C-4B4B-B112-2C0842BA937A" Name="Test Setup" Version="1.0"
               Company="Test Corp" MultipleInstancesAllowed="false"/>
  <InstallationSettings>
    <Application UUID="7E3F2A91-5C4B-4D8E-9F10-2B3C4D5E6F70" Name="Test" Version="1.0"
                 Company="Test Corp"/>
    <Description>A test</Description>
    <Executable>App.exe</Executable>
    <WebSite>https://test.example/</WebSite>
    <TechnicalSupport>https://test.example/support/</TechnicalSupport>
    <Updates>https://test.example/updates/</Updates>
    <Contact>help@test.example</Contact>
    <Shortcuts>
      <Shortcut Text="Try Test" Help="Starts Test.">App.exe</Shortcut>
    </Shortcuts>
  </InstallationSettings>
</Configuration>
)";

// kConfiguration with `from` replaced by `to`.
std::string ConfigurationWith(const std::string& from, const std::string& to) {
    std::string text = kConfiguration;
    const size_t at = text.find(from);
    EXPECT_NE(std::string::npos, at) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

// A source tree for `setup`: the application, the definitions and a stub.
struct SetupSources {
    ScratchFolder scratch;
    fs::path app = scratch.path() / "app";
    fs::path definitions = scratch.path() / "definitions";
    fs::path stub = scratch.path() / "VornSetup.exe";
    fs::path out = scratch.path() / "out" / "Setup.exe";

    SetupSources() {
        FillApp(app);
        // The product is built on VornLib: it removes itself.
        vorn::WriteWholeFile(app / "App.exe",
                             FrameworkProgramImage("7E3F2A91-5C4B-4D8E-9F10-2B3C4D5E6F70"));
        SetWriteTime(app / "App.exe", DateOf(0));
        fs::create_directories(definitions / "Xml");
        fs::create_directories(definitions / "Licenses");
        fs::create_directories(out.parent_path());
        write("Configuration.xml", kConfiguration);
        write("Preferences.xml", "<Preferences/>");
        write("Xml/Windows.xml", "<Windows/>");
        write("Licenses/Readme.txt", "read me");
        write("Logo.png", "\x89PNG....");
        writeStub(StubResources(u"VornSetup.exe"));
    }
    void writeStub(const std::vector<TestResource>& resources) {
        ImageSpec spec;
        spec.is64 = true;
        spec.resources = resources;
        vorn::WriteWholeFile(stub, BuildTestImage(spec).bytes);
    }
    void write(const char* name, const std::string& text) {
        vorn::WriteWholeFile(definitions / name, std::vector<uint8_t>(text.begin(), text.end()));
    }
    Arguments arguments(const char16_t* method = u"auto") const {
        return {u"--app",    TextOf(app), u"--definitions", TextOf(definitions), u"-o",
                TextOf(out), u"--stub",   TextOf(stub),     u"--method",         method};
    }
    // Files left in the output folder besides the output.
    std::vector<fs::path> leftovers() const {
        std::vector<fs::path> found;
        for (const auto& item : fs::directory_iterator(out.parent_path())) {
            if (item.path() != out)
                found.push_back(item.path().filename());
        }
        return found;
    }
};

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

struct Fault {
    const char* what;
    int expected;
    void (*prepare)(SetupSources& sources, Arguments* arguments);
    // What the error line must name, when the case is about one thing.
    const char* names = nullptr;
};

const Fault kFaults[] = {
    {"malformed XML", 33,
     [](SetupSources& s, Arguments*) { s.write("Configuration.xml", "<a>\n  <b></a>"); }},
    {"malformed XML in a sub-folder", 33,
     [](SetupSources& s, Arguments*) { s.write("Xml/Windows.xml", "<w>"); }},
    {"a FileList.xml of its own", 14,
     [](SetupSources& s, Arguments*) { s.write("FileList.xml", "<FileList/>"); }},
    {"a JPEG picture, which the setup's programs do not decode", 3,
     [](SetupSources& s, Arguments*) { s.write("Logo.png", "\xFF\xD8\xFF\xE0 JFIF"); },
     "is a JPEG picture"},
    {"two files for one entry", 14,
     [](SetupSources& s, Arguments*) { s.write("Xml/Preferences.xml", "<Preferences/>"); }},
    {"stub missing", 29, [](SetupSources& s, Arguments*) { fs::remove(s.stub); }},
    {"stub not a program", 33,
     [](SetupSources& s, Arguments*) { vorn::WriteWholeFile(s.stub, vorn::SampleText(5000)); }},
    {"stub signed", 17,
     [](SetupSources& s, Arguments*) {
         ImageSpec spec;
         spec.resources = ProgramResources(false);
         spec.signedImage = true;
         vorn::WriteWholeFile(s.stub, BuildTestImage(spec).bytes);
     }},
    {"application folder missing", 29, [](SetupSources& s, Arguments*) { fs::remove_all(s.app); },
     "does not exist"},
    {"definitions folder missing", 29,
     [](SetupSources& s, Arguments*) { fs::remove_all(s.definitions); }, "does not exist"},
    {"an output folder that does not exist", 29,
     [](SetupSources& s, Arguments* a) {
         (*a)[5] = TextOf(s.out.parent_path() / "no" / "Setup.exe");
     },
     "Setup.exe\""},
    {"unknown method", 5, [](SetupSources&, Arguments* a) { a->back() = u"zip"; }},
    {"no output", 5, [](SetupSources&, Arguments* a) { a->erase(a->begin() + 4, a->begin() + 6); }},
    {"stray argument", 5, [](SetupSources&, Arguments* a) { a->push_back(u"extra"); }},
    {"no threads", 5,
     [](SetupSources&, Arguments* a) {
         a->insert(a->end(), {u"--jobs", u"0"});
     }},
    {"negative threads", 5,
     [](SetupSources&, Arguments* a) {
         a->insert(a->end(), {u"--jobs", u"-1"});
     }},
    {"threads not a number", 5,
     [](SetupSources&, Arguments* a) {
         a->insert(a->end(), {u"--jobs", u"x"});
     }},
    {"threads without a value", 5, [](SetupSources&, Arguments* a) { a->push_back(u"--jobs"); }},
    // Definitions that cannot work.
    {"no Configuration.xml", 29,
     [](SetupSources& s, Arguments*) { fs::remove(s.definitions / "Configuration.xml"); },
     "Configuration.xml"},
    {"a product UUID that is not one", 33,
     [](SetupSources& s, Arguments*) {
         s.write("Configuration.xml", ConfigurationWith("7E3F2A91-5C4B-4D8E-9F10-2B3C4D5E6F70",
                                                        "7E3F2A91-5C4B-4D8E-9F10"));
     },
     "7E3F2A91-5C4B-4D8E-9F10"},
    {"an installer UUID that is not one", 33,
     [](SetupSources& s, Arguments*) {
         s.write("Configuration.xml",
                 ConfigurationWith("9BAE90B6-F29C-4B4B-B112-2C0842BA937A", "{installer}"));
     },
     "{installer}"},
    {"the null UUID", 33,
     [](SetupSources& s, Arguments*) {
         s.write("Configuration.xml", ConfigurationWith("7E3F2A91-5C4B-4D8E-9F10-2B3C4D5E6F70",
                                                        "00000000-0000-0000-0000-000000000000"));
     }},
    {"one UUID for the installer and the product", 14,
     [](SetupSources& s, Arguments*) {
         s.write("Configuration.xml", ConfigurationWith("9BAE90B6-F29C-4B4B-B112-2C0842BA937A",
                                                        "7e3f2a91-5c4b-4d8e-9f10-2b3c4d5e6f70"));
     }},
    {"an element the installer requires missing", 6,
     [](SetupSources& s, Arguments*) {
         s.write("Configuration.xml",
                 ConfigurationWith("<Contact>help@test.example</Contact>", ""));
     },
     "Contact"},
    {"the executable not in the application folder", 29,
     [](SetupSources& s, Arguments*) {
         s.write("Configuration.xml",
                 ConfigurationWith("App.exe</Executable>", "Ap.exe</Executable>"));
     },
     "Ap.exe"},
    {"an empty application folder", 40,
     [](SetupSources& s, Arguments*) {
         fs::remove_all(s.app);
         fs::create_directories(s.app / "empty");
     },
     "holds no files"},
    {"a stub that is another program", 39,
     [](SetupSources& s, Arguments*) { s.writeStub(StubResources(u"VornDemo.exe")); },
     "VornDemo.exe"},
    {"a stub without a version block", 39,
     [](SetupSources& s, Arguments*) { s.writeStub(ProgramResources(true)); }, "VornSetup.exe"},
    {"a shortcut named like the main shortcut", 14,
     [](SetupSources& s, Arguments*) {
         s.write("Configuration.xml", ConfigurationWith("\"Try Test\"", "\"test\""));
     },
     "test.lnk"},
    {"a shortcut named like the main shortcut in one language", 14,
     [](SetupSources& s, Arguments*) {
         s.write("Configuration.xml", ConfigurationWith("\"Try Test\"", "\"#Try\""));
         s.write("Strings-en.xml", "<Strings><String ID=\"Try\">Try Test</String></Strings>");
         s.write("Strings-de.xml", "<Strings><String ID=\"Try\">TEST</String></Strings>");
     },
     "TEST"},
#ifndef _WIN32
    // Folders Windows cannot hold as they are (made here where Linux can).
    {"names that differ only in case", 14,
     [](SetupSources& s, Arguments*) { vorn::WriteWholeFile(s.app / "zz" / "ONE.txt", {1}); },
     "ONE.txt"},
    {"a link back to a parent folder", 2,
     [](SetupSources& s, Arguments*) { fs::create_directory_symlink("..", s.app / "Data" / "up"); },
     "up"},
    {"a link to a folder elsewhere", 2,
     [](SetupSources& s, Arguments*) {
         fs::create_directory_symlink(s.definitions, s.app / "more");
     },
     "more"},
    {"a link in the definitions", 2,
     [](SetupSources& s, Arguments*) {
         fs::create_directory_symlink(s.app, s.definitions / "Xml" / "app");
     },
     "app"},
    {"a link that leads nowhere", 29,
     [](SetupSources& s, Arguments*) { fs::create_symlink("gone.txt", s.app / "gone.txt"); },
     "gone.txt"},
#endif
};

TEST(Setup, FailuresLeaveNoOutputAndKeepAnOldOne) {
    for (const Fault& fault : kFaults) {
        SCOPED_TRACE(fault.what);
        SetupSources sources;
        vorn::WriteWholeFile(sources.out, {'o', 'l', 'd'});
        Arguments arguments = sources.arguments();
        fault.prepare(sources, &arguments);
        testing::internal::CaptureStderr();
        EXPECT_EQ(fault.expected, vornpack::Setup(arguments));
        const std::string errors = testing::internal::GetCapturedStderr();
        EXPECT_NE(std::string::npos, errors.find("VornPack setup: ")) << errors;
        if (fault.names) {
            EXPECT_NE(std::string::npos, errors.find(fault.names)) << errors;
        }
        EXPECT_EQ(std::string::npos, errors.find(".vornpack-")) << "a temporary name: " << errors;
        EXPECT_TRUE(sources.leftovers().empty());
        EXPECT_TRUE(vorn::ReadWholeFile(sources.out) == std::vector<uint8_t>({'o', 'l', 'd'}));
    }
}

// The licence text of `file` (a VornSetup-License-*.xml) becomes `text`.
void WriteLicenceText(const fs::path& file, const std::string& text) {
    const std::vector<uint8_t> bytes = vorn::ReadWholeFile(file);
    std::string xml(bytes.begin(), bytes.end());
    const size_t start = xml.find('>', xml.find("ID=\"LicenseText\"")) + 1;
    xml.replace(start, xml.find("</String>", start) - start, text);
    vorn::WriteWholeFile(file, std::vector<uint8_t>(xml.begin(), xml.end()));
}

// init's licences say that they are none: a setup made of them is refused,
// or made with a warning when the command line allows it, until every
// licence is the vendor's own, all of it.
TEST(Setup, InitsPlaceholderLicenceIsRefusedUnlessAllowed) {
    const struct {
        const char* what;
        // The English licence after the vendor's edit; the others are replaced whole.
        const char* english;
        bool allow;
        int expected;
        const char* said;
    } cases[] = {
        {"as init wrote them", nullptr, false, 6,
         "VornSetup-License-de.xml\" (and 7 more licence files) still holds the placeholder "
         "licence that init wrote: put your licence in its place, or give "
         "--allow-placeholder-licence"},
        {"allowed", nullptr, true, 0, "warning: \"" /* the folder */},
        {"one sentence left",
         "Acme licence.\n\nAcme Corp has not yet written the licence "
         "agreement of Paint in English.",
         false, 6, "VornSetup-License-en.xml\" still holds the placeholder"},
        {"every licence the vendor's own", "Acme licence: you may use Paint.", false, 0, nullptr},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.what);
        SetupSources sources;
        const fs::path definitions = sources.scratch.path() / "from-init";
        testing::internal::CaptureStdout();
        ASSERT_EQ(0, Init({TextOf(definitions), u"--name", u"Paint", u"--company", u"Acme Corp",
                           u"--version", u"1.0", u"--executable", u"App.exe", u"--uuid",
                           u"7E3F2A91-5C4B-4D8E-9F10-2B3C4D5E6F70"}));
        testing::internal::GetCapturedStdout();
        if (test.english) {
            for (const char* language : {"de", "es", "fr", "it", "ko", "ru", "zh"})
                WriteLicenceText(definitions /
                                     (std::string("VornSetup-License-") + language + ".xml"),
                                 std::string("Acme licence in ") + language + ".");
            WriteLicenceText(definitions / "VornSetup-License-en.xml", test.english);
        }
        Arguments arguments = sources.arguments();
        arguments[3] = TextOf(definitions);
        if (test.allow)
            arguments.push_back(u"--allow-placeholder-licence");
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        EXPECT_EQ(test.expected, vornpack::Setup(arguments));
        const std::string errors = testing::internal::GetCapturedStderr();
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(test.expected == 0, fs::exists(sources.out));
        if (!test.said) {
            EXPECT_EQ(std::string::npos, errors.find("licence")) << errors;
            continue;
        }
        const std::string where = test.allow ? definitions.u8string() : std::string();
        EXPECT_NE(std::string::npos, errors.find(test.said + where)) << errors;
        EXPECT_EQ(errors.size() - 1, errors.find('\n')) << "one line: " << errors;
        if (test.allow) {
            EXPECT_NE(std::string::npos, errors.find("this setup must not ship")) << errors;
        }
    }
}

#ifndef _WIN32
// A refused name reaches the terminal as text: its escape sequences, bell
// and line break shown, not obeyed (host only, as the name is Linux's).
TEST(Setup, ARefusedNameIsShownEscapedOnOneLine) {
    SetupSources sources;
    vorn::WriteWholeFile(sources.app / "x\x1b]0;owned\x07\x1b[2J\n.txt", {1});
    testing::internal::CaptureStderr();
    EXPECT_EQ(38, vornpack::Setup(sources.arguments()));
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(std::string::npos,
              errors.find("/app/x\\x1b]0;owned\\x07\\x1b[2J\\x0a.txt\" is not a name Windows"))
        << errors;
    EXPECT_EQ(std::string::npos, errors.find_first_of("\x1b\x07")) << errors;
    EXPECT_EQ(errors.size() - 1, errors.find('\n')) << "one line: " << errors;
    EXPECT_FALSE(fs::exists(sources.out));
}
#endif

TEST(Setup, AnXmlErrorIsReportedLikeCheckXml) {
    SetupSources sources;
    sources.write("Preferences.xml", "<Preferences>\n  <a x=1/>\n</Preferences>");
    testing::internal::CaptureStderr();
    EXPECT_EQ(33, vornpack::Setup(sources.arguments()));
    const std::string errors = testing::internal::GetCapturedStderr();
    const std::string where = (sources.definitions / "Preferences.xml").u8string() + ":2:";
    EXPECT_NE(std::string::npos, errors.find(where)) << errors;
    EXPECT_NE(std::string::npos, errors.find(": error ")) << errors;
    EXPECT_FALSE(fs::exists(sources.out));
}

TEST(Setup, ADescriptionMistakeStopsTheSetupBeforeItWrites) {
    SetupSources sources;
    sources.write("Xml/Windows.xml", "<Windows>\n  <Window ID=\"Main\">\n"
                                     "    <Static ID=\"T\" Left=\"Parent.Width - 8\"/>\n"
                                     "  </Window>\n</Windows>");
    testing::internal::CaptureStderr();
    EXPECT_EQ(33, vornpack::Setup(sources.arguments()));
    const std::string errors = testing::internal::GetCapturedStderr();
    const std::string where = (sources.definitions / "Xml" / "Windows.xml").u8string() + ":3:";
    EXPECT_NE(std::string::npos, errors.find(where)) << errors;
    EXPECT_NE(std::string::npos, errors.find("definitions have 1 mistakes")) << errors;
    EXPECT_FALSE(fs::exists(sources.out));
    EXPECT_TRUE(sources.leftovers().empty());
}

// A word of the configuration that is not read where it stands stops the
// setup before it writes, at its place, with the word it was meant to be.
TEST(Setup, AnUnknownWordOfTheConfigurationStopsTheSetupBeforeItWrites) {
    const struct {
        const char* from;
        const char* to;
        const char* says;
    } mistakes[] = {
        {"<Shortcut Text=\"Try Test\" Help=\"Starts Test.\">App.exe</Shortcut>",
         "<Shortcutt Text=\"Try Test\" Help=\"Starts Test.\">App.exe</Shortcutt>",
         ":15:8: error: \"Shortcutt\" is no element of Shortcuts (did you mean \"Shortcut\"?)"},
        {"</Shortcuts>", "</Shortcuts>\n    <RemoveBy>Application</RemoveBy>",
         ":17:6: error: \"RemoveBy\" is no element of InstallationSettings (did you mean "
         "\"RemovedBy\"?)"},
    };
    for (const auto& test : mistakes) {
        SetupSources sources;
        sources.write("Configuration.xml", ConfigurationWith(test.from, test.to));
        testing::internal::CaptureStderr();
        EXPECT_EQ(33, vornpack::Setup(sources.arguments()));
        const std::string errors = testing::internal::GetCapturedStderr();
        const std::string where = (sources.definitions / "Configuration.xml").u8string();
        EXPECT_NE(std::string::npos, errors.find(where + test.says)) << errors;
        EXPECT_FALSE(fs::exists(sources.out));
    }
}

TEST(Setup, AReadOnlyOutputIsNeitherReplacedNorTouched) {
    SetupSources sources;
    vorn::WriteWholeFile(sources.out, {'o', 'l', 'd'});
    const fs::perms writable =
        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    fs::permissions(sources.out, writable, fs::perm_options::remove);
    testing::internal::CaptureStderr();
    EXPECT_EQ(17, vornpack::Setup(sources.arguments()));
    EXPECT_EQ(17, vornpack::Pack({TextOf(sources.app), u"-o", TextOf(sources.out)}));
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(std::string::npos,
              errors.find("VornPack setup: \"" + sources.out.u8string() + "\" is read-only"))
        << errors;
    EXPECT_NE(std::string::npos, errors.find("VornPack pack: ")) << errors;
    EXPECT_TRUE(sources.leftovers().empty());
    EXPECT_TRUE(vorn::ReadWholeFile(sources.out) == std::vector<uint8_t>({'o', 'l', 'd'}));
    fs::permissions(sources.out, fs::perms::owner_write, fs::perm_options::add);
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
