// Who removes a product: the inspection of its executable, the choice with
// "RemovedBy", the removal program's description of the product, and `setup`
// packing a program not built on VornLib with the removal program beside it.
#include <gtest/gtest.h>

#include "../../VornLib/data/DataTestSupport.h"
#include "Applications/VornSetup/InstallManifest.h"
#include "ProgramImages.h"
#include "Tools/VornPack/FileList.h"
#include "Tools/VornPack/Files.h"
#include "Tools/VornPack/FrameworkProgram.h"
#include "Tools/VornPack/RemovalProgram.h"
#include "Tools/VornPack/Setup.h"
#include "VornLib/app/ShellDeclarations.h"
#include "VornLib/core/ApplicationDescription.h"
#include "VornLib/core/Utf8.h"
#include "VornLib/core/XmlDocument.h"
#include "VornLib/data/ArchiveMount.h"

namespace vornpack {
namespace {

namespace fs = std::filesystem;
using vorn::ScratchFolder;

constexpr char kProduct[] = "5D6E7F80-1A2B-4C3D-8E9F-0A1B2C3D4E5F";
constexpr char kOther[] = "0F1E2D3C-4B5A-4968-8776-A5B4C3D2E1F0";

std::vector<uint8_t> Bytes(const std::string& text) {
    return std::vector<uint8_t>(text.begin(), text.end());
}

// InstallationSettings of a product not built on VornLib; `extra` goes inside,
// before the declarations, so that a list in it is the one read.
std::string Configuration(const std::string& extra = "") {
    return std::string(R"(<?xml version="1.0"?>
<Configuration>
  <Application UUID="9BAE90B6-F29C-4B4B-B112-2C0842BA937A" Name="Hello Setup" Version="2.0"
               Company="Hello &amp; Co" MultipleInstancesAllowed="false"/>
  <InstallationSettings>
    <Application UUID=")") +
           kProduct + R"(" Name="Hello &quot;World&quot;" Version="2.0" Tag="Beta 1"
                 Company="Hello &amp; Co"/>
    <Description>Says hello</Description>
    <Executable>bin/Hello.exe</Executable>
    <WebSite>https://hello.example/</WebSite>
    <TechnicalSupport>https://hello.example/help/</TechnicalSupport>
    <Updates>https://hello.example/</Updates>
    <Contact>help@hello.example</Contact>
)" + extra +
           R"(
    <FileTypes>
      <FileType Extension=".hello" Description="#HelloDocument" IconIndex="1"/>
    </FileTypes>
    <CustomProtocols>
      <Protocol Name="hello" Command="-Open: " Description="Hello Link"/>
    </CustomProtocols>
  </InstallationSettings>
</Configuration>
)";
}

struct Parsed {
    vorn::XmlDocument document;
    const vorn::XmlNode* settings = nullptr;
    explicit Parsed(const std::string& xml) {
        EXPECT_EQ(0u, document.parse(xml.data(), uint32_t(xml.size()), u"test"));
        settings = document.root() ? document.root()->find(u"/InstallationSettings") : nullptr;
        EXPECT_NE(nullptr, settings);
    }
};

std::vector<uint8_t> PlainProgram(bool withResource4096) {
    ImageSpec spec;
    spec.resources = ProgramResources(withResource4096);
    return BuildTestImage(spec).bytes;
}

// The payload of a program image, mounted.
struct Payload {
    std::vector<uint8_t> image;
    PeImage pe;
    vorn::GrowableStream container;
    vorn::ArchiveMount mount;

    explicit Payload(std::vector<uint8_t> bytes) : image(std::move(bytes)) {
        EXPECT_EQ(0u, pe.parse(image.data(), image.size()));
        for (const ResourceLeaf& leaf : pe.resources()) {
            if (leaf.type == ResourceKey::Id(kResourceRcData) && leaf.name == ResourceKey::Id(4096))
                container.bytes().assign(pe.dataOf(leaf), pe.dataOf(leaf) + leaf.size);
        }
        EXPECT_EQ(0u, mount.open(&container));
    }
    std::string entry(const char16_t* name) {
        vorn::SubStream* stream = nullptr;
        if (mount.openEntry(name, &stream) != vorn::kResultOk)
            return std::string();
        std::string text(size_t(stream->size()), '\0');
        if (!text.empty()) {
            EXPECT_EQ(0u, stream->read(&text[0], uint32_t(text.size())));
        }
        (void)mount.releaseEntry(stream);
        return text;
    }
};

TEST(FrameworkProgram, FindsTheApplicationElementsAtTheRootOfItsDocuments) {
    const struct {
        const char* what;
        std::vector<uint8_t> image;
        bool carries;
        bool describes;
        size_t applications;
    } cases[] = {
        {"built on VornLib", FrameworkProgramImage(kProduct), true, true, 1},
        {"another product's program", FrameworkProgramImage(kOther), true, false, 1},
        {"a payload of other things",
         ProgramWithPayload(TestContainer(
             {{u"a.bin", std::string(3000, '\x01')},
              {u"b.xml", "<x><y><Application UUID=\"" + std::string(kProduct) + "\"/></y></x>"},
              {u"c.xml", "<broken"}})),
         true, false, 0},
        {"a resource 4096 that is no container", PlainProgram(true), false, false, 0},
        {"no payload", PlainProgram(false), false, false, 0},
        {"not a Windows program", Bytes("MZ but nothing else"), false, false, 0},
    };
    vorn::UUID product;
    ASSERT_EQ(0u, vorn::UUID::Parse(u"5D6E7F80-1A2B-4C3D-8E9F-0A1B2C3D4E5F", &product));
    for (const auto& each : cases) {
        SCOPED_TRACE(each.what);
        ScratchFolder scratch;
        vorn::WriteWholeFile(scratch.path() / "p.exe", each.image);
        ProgramInspection inspection;
        ASSERT_EQ(0u, InspectProgram(TextOf(scratch.path() / "p.exe"), &inspection));
        EXPECT_EQ(each.carries, inspection.carriesPayload);
        EXPECT_EQ(each.describes, inspection.describes(product));
        EXPECT_EQ(each.applications, inspection.applications.size());
    }
}

TEST(RemovalChoice, RemovedByAndTheExecutableDecide) {
    const struct {
        const char* what;
        std::string extra;
        std::vector<uint8_t> image;
        uint32_t expected;
        bool removalProgram;
        size_t notes;
    } cases[] = {
        {"built on VornLib", "", FrameworkProgramImage(kProduct), 0, false, 1},
        {"any other program", "", Bytes("MZ"), 0, true, 0},
        {"Auto, another product's program", "<RemovedBy> Auto </RemovedBy>",
         FrameworkProgramImage(kOther), 0, true, 1},
        {"forced to remove itself", "<RemovedBy>Application</RemovedBy>", Bytes("MZ"), 0, false, 2},
        {"forced to the removal program", "<RemovedBy>VornUninstall</RemovedBy>",
         FrameworkProgramImage(kProduct), 0, true, 0},
        {"an unknown word", "<RemovedBy>Sometimes</RemovedBy>", Bytes("MZ"), 39, false, 0},
        // Declarations only the removal program would register.
        {"a file type without its description",
         "<FileTypes><FileType Extension=\".x\"/></FileTypes>", Bytes("MZ"), 6, false, 0},
        {"a protocol named with a separator",
         "<CustomProtocols><Protocol Name=\"a/b\" Command=\"\" "
         "Description=\"A\"/></CustomProtocols>",
         Bytes("MZ"), 5, false, 0},
        {"unused by a program built on VornLib",
         "<FileTypes><FileType Extension=\".x\"/></FileTypes>", FrameworkProgramImage(kProduct), 0,
         false, 1},
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(each.what);
        ScratchFolder scratch;
        vorn::WriteWholeFile(scratch.path() / "Hello.exe", each.image);
        Parsed parsed(Configuration(each.extra));
        RemovalChoice choice;
        vorn::String message;
        EXPECT_EQ(each.expected,
                  ChooseRemoval(scratch.path() / "Configuration.xml", *parsed.settings,
                                scratch.path() / "Hello.exe", &choice, &message));
        if (each.expected != 0) {
            EXPECT_GE(message.find(u"Configuration.xml\": "), 0) << vorn::ToUtf8(message);
            continue;
        }
        EXPECT_EQ(each.removalProgram, choice.removalProgram);
        EXPECT_EQ(each.notes, choice.notes.size());
        EXPECT_GE(choice.how.find(each.removalProgram ? u"VornUninstall.exe removes it"
                                                      : u"\"Hello.exe\" removes itself"),
                  0)
            << vorn::ToUtf8(choice.how);
    }
}

TEST(RemovalProgram, TheProductDocumentReadsBackAsTheFrameworkReadsIt) {
    Parsed parsed(Configuration());
    const std::string xml = ProductDocument(*parsed.settings);
    vorn::XmlDocument document;
    ASSERT_EQ(0u, document.parse(xml.data(), uint32_t(xml.size()), u"Product.xml")) << xml;
    vorn::ApplicationDescription description;
    ASSERT_EQ(0u, vorn::ApplicationDescription::Read(*document.root()->find(u"/Application"),
                                                     &description))
        << xml;
    EXPECT_EQ(description.uuid.toText(), u"5D6E7F80-1A2B-4C3D-8E9F-0A1B2C3D4E5F");
    EXPECT_EQ(description.name, u"Hello \"World\"");
    EXPECT_EQ(description.company, u"Hello & Co");
    EXPECT_EQ(description.tag, u"Beta 1");
    EXPECT_EQ(description.executable, u"bin/Hello.exe");
    EXPECT_TRUE(description.multipleInstancesAllowed);
    std::vector<vorn::ShellDeclaration> types;
    std::vector<vorn::ShellDeclaration> protocols;
    ASSERT_EQ(0u,
              vorn::ReadShellDeclarations(*document.root()->find(u"/FileTypes"), false, &types));
    ASSERT_EQ(0u, vorn::ReadShellDeclarations(*document.root()->find(u"/CustomProtocols"), true,
                                              &protocols));
    ASSERT_EQ(1u, types.size());
    EXPECT_EQ(types[0].name, u".hello");
    EXPECT_EQ(types[0].description, u"#HelloDocument") << "resolved by the removal program";
    EXPECT_EQ(1, types[0].iconIndex);
    std::vector<vorn::ShellDeclaration> declared;
    ASSERT_EQ(0u, vorn::ReadShellDeclarations(*parsed.settings->find(u"/CustomProtocols"), true,
                                              &declared));
    ASSERT_EQ(1u, protocols.size());
    EXPECT_EQ(declared[0].command, protocols[0].command) << "as the definitions declare it";
    EXPECT_EQ(protocols[0].name, u"hello");
}

// A product not built on VornLib, its definitions, the stubs beside each other.
struct ForeignSources {
    ScratchFolder scratch;
    fs::path app = scratch.path() / "app";
    fs::path definitions = scratch.path() / "definitions";
    fs::path stub = scratch.path() / "stubs" / "VornSetup.exe";
    fs::path uninstaller = scratch.path() / "stubs" / "VornUninstall.exe";
    fs::path out = scratch.path() / "out" / "Setup.exe";

    ForeignSources() {
        fs::create_directories(app / "bin");
        fs::create_directories(definitions);
        fs::create_directories(stub.parent_path());
        fs::create_directories(out.parent_path());
        vorn::WriteWholeFile(app / "bin" / "Hello.exe", Bytes("MZ hello"));
        vorn::WriteWholeFile(app / "Readme.txt", Bytes("read me"));
        write("Configuration.xml", Configuration());
        write("VornLib-Strings-en.xml", "<Strings Language=\"en\"/>");
        write("VornSetup-Custom-Strings-en.xml",
              "<Strings Language=\"en\"><String ID=\"HelloDocument\">Hello</String></Strings>");
        write("Preferences.xml", "<Preferences/>");
        writeStub(stub, u"VornSetup.exe");
        writeStub(uninstaller, u"VornUninstall.exe");
    }
    void write(const char* name, const std::string& text) {
        vorn::WriteWholeFile(definitions / name, Bytes(text));
    }
    static void writeStub(const fs::path& path, const std::u16string& originalName) {
        ImageSpec spec;
        spec.resources = ProgramResources(false);
        for (TestResource& resource : spec.resources) {
            if (resource.type == ResourceKey::Id(kResourceVersion))
                resource.data = TestVersionBlock(originalName);
        }
        vorn::WriteWholeFile(path, BuildTestImage(spec).bytes);
    }
    Arguments arguments() const {
        return {u"--app", TextOf(app), u"--definitions", TextOf(definitions),
                u"-o",    TextOf(out), u"--stub",        TextOf(stub)};
    }
};

TEST(SetupOfAForeignProgram, CarriesTheRemovalProgramMadeForTheProduct) {
    ForeignSources sources;
    testing::internal::CaptureStdout();
    ASSERT_EQ(0, vornpack::Setup(sources.arguments()));
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_NE(std::string::npos,
              printed.find("3 application files (") != std::string::npos
                  ? printed.find("; VornUninstall.exe removes it (\"Hello.exe\" is not built on "
                                 "VornLib)")
                  : std::string::npos)
        << printed;
    EXPECT_EQ(1u, std::distance(fs::directory_iterator(sources.out.parent_path()),
                                fs::directory_iterator()))
        << "no temporary file left";

    Payload setup(vorn::ReadWholeFile(sources.out));
    const std::string fileList = setup.entry(u"Data/Xml/FileList.xml");
    vorn::XmlDocument document;
    ASSERT_EQ(0u, document.parse(fileList.data(), uint32_t(fileList.size()), u"FileList.xml"));
    vornsetup::InstallManifest manifest;
    ASSERT_EQ(0u, manifest.readFileList(*document.root()->find(u"/Files")));
    ASSERT_EQ(0u, manifest.readRemovalProgram(*document.root()->find(u"/RemovalProgram")));
    EXPECT_EQ(manifest.removalProgram, u"VornUninstall.exe");
    ASSERT_EQ(3u, manifest.files.size());
    EXPECT_EQ(manifest.files[2].relativePath, u"VornUninstall.exe");

    const std::string carried = setup.entry(u"Application/VornUninstall.exe");
    EXPECT_EQ(manifest.files[2].size, carried.size());
    Payload removal(std::vector<uint8_t>(carried.begin(), carried.end()));
    EXPECT_EQ(ProgramResources(false).size() + 1, removal.pe.resources().size())
        << "the stub's own resources and the payload";
    EXPECT_EQ(4u, removal.mount.recordCount())
        << "Product.xml, the two string tables and the names";
    EXPECT_TRUE(removal.mount.contains(vorn::kEntryNamesName));
    uint64_t unit = 0;
    ASSERT_EQ(0u, removal.mount.unitOf(u"Data/Xml/Product.xml", &unit));
    uint64_t otherUnit = 0;
    ASSERT_EQ(0u, removal.mount.unitOf(u"Data/Xml/VornLib-Strings-en.xml", &otherUnit));
    EXPECT_NE(unit, otherUnit) << "each entry alone, never in a group";
    EXPECT_NE(std::string::npos, removal.entry(u"Data/Xml/Product.xml").find("bin/Hello.exe"));
    EXPECT_EQ(removal.entry(u"Data/Xml/VornSetup-Custom-Strings-en.xml"),
              "<Strings Language=\"en\"><String ID=\"HelloDocument\">Hello</String></Strings>");
    EXPECT_FALSE(removal.entry(u"Data/Xml/VornLib-Strings-en.xml").empty());
    EXPECT_FALSE(removal.mount.contains(u"Data/Xml/Configuration.xml"));

    const std::vector<uint8_t> first = vorn::ReadWholeFile(sources.out);
    testing::internal::CaptureStdout();
    ASSERT_EQ(0, vornpack::Setup(sources.arguments()));
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(first == vorn::ReadWholeFile(sources.out)) << "the same bytes again";
}

TEST(SetupOfAForeignProgram, RefusalsLeaveNoOutput) {
    const struct {
        const char* what;
        int expected;
        void (*prepare)(ForeignSources& sources, Arguments* arguments);
        const char* names;
    } faults[] = {
        {"no removal program beside the stub", 29,
         [](ForeignSources& s, Arguments*) { fs::remove(s.uninstaller); }, "VornUninstall.exe"},
        {"the setup stub given as the removal program", 39,
         [](ForeignSources& s, Arguments* arguments) {
             arguments->insert(arguments->end(), {u"--uninstaller", TextOf(s.stub)});
         },
         "is not the removal program"},
        {"a file of the removal program's name", 14,
         [](ForeignSources& s, Arguments*) {
             vorn::WriteWholeFile(s.app / "vornuninstall.EXE", Bytes("mine"));
         },
         "vornuninstall.EXE"},
        {"a file type without its description", 6,
         [](ForeignSources& s, Arguments*) {
             std::string xml = Configuration();
             xml.replace(xml.find("Description=\"#HelloDocument\""), 28, "");
             s.write("Configuration.xml", xml);
         },
         "FileTypes"},
    };
    for (const auto& fault : faults) {
        SCOPED_TRACE(fault.what);
        ForeignSources sources;
        Arguments arguments = sources.arguments();
        fault.prepare(sources, &arguments);
        testing::internal::CaptureStderr();
        EXPECT_EQ(fault.expected, vornpack::Setup(arguments));
        const std::string errors = testing::internal::GetCapturedStderr();
        EXPECT_NE(std::string::npos, errors.find(fault.names)) << errors;
        EXPECT_TRUE(fs::is_empty(sources.out.parent_path()));
    }
    // Another place for the removal program.
    ForeignSources sources;
    fs::rename(sources.uninstaller, sources.scratch.path() / "Elsewhere.exe");
    Arguments arguments = sources.arguments();
    arguments.insert(arguments.end(),
                     {u"--uninstaller", TextOf(sources.scratch.path() / "Elsewhere.exe")});
    testing::internal::CaptureStdout();
    EXPECT_EQ(0, vornpack::Setup(arguments));
    testing::internal::GetCapturedStdout();
}

} // namespace
} // namespace vornpack
