#include <gtest/gtest.h>

#include "../../VornLib/data/DataTestSupport.h"
#include "Applications/VornSetup/InstallManifest.h"
#include "Tools/VornPack/ConfigurationCheck.h"
#include "Tools/VornPack/Files.h"
#include "Tools/VornPack/Init.h"
#include "VornLib/core/Utf8.h"
#include "VornLib/core/XmlDocument.h"

namespace vornpack {
namespace {

namespace fs = std::filesystem;
using vorn::ScratchFolder;

std::string Utf8Of(const fs::path& path) {
    const std::vector<uint8_t> bytes = vorn::ReadWholeFile(path);
    return std::string(bytes.begin(), bytes.end());
}

struct ParsedFile {
    std::vector<uint8_t> bytes;
    vorn::XmlDocument document;

    explicit ParsedFile(const fs::path& path) : bytes(vorn::ReadWholeFile(path)) {
        EXPECT_EQ(0u, document.parse(bytes.data(), uint32_t(bytes.size()), TextOf(path).data()))
            << path;
    }
};

// The text of the table's "String" element with `id`; empty when missing.
vorn::String StringOf(const vorn::XmlDocument& table, const char16_t* id) {
    for (const vorn::XmlNode* node = table.root()->firstChild(); node; node = node->nextSibling()) {
        vorn::String value;
        if (node->name() == u"String" && node->getAttribute(u"ID", &value) == 0u && value == id) {
            (void)node->getText(&value);
            return value;
        }
    }
    return vorn::String();
}

const char16_t* const kLanguages[] = {u"de", u"en", u"es", u"fr", u"it", u"ko", u"ru", u"zh"};

TEST(Init, WritesEveryDefinitionTheInstallerReadsWithTheProductsValues) {
    ScratchFolder scratch;
    const fs::path folder = scratch.path() / "new" / "definitions";
    testing::internal::CaptureStdout();
    ASSERT_EQ(0, Init({TextOf(folder), u"--name", u"Tom & Jerry's Paint", u"--company",
                       u"Acme Corp", u"--version", u"2.10.0", u"--website",
                       u"https://acme.example/paint/", u"--support", u"help@acme.example"}));
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_NE(std::string::npos, printed.find("wrote 41 files")) << printed;

    // The example's file names, and a README.
    // Files in folders (the header picture) count by their relative paths.
    const auto filesIn = [](const fs::path& root) {
        std::vector<std::string> files;
        for (const auto& item : fs::recursive_directory_iterator(root)) {
            if (item.is_regular_file())
                files.push_back(item.path().lexically_relative(root).generic_u8string());
        }
        return files;
    };
    std::vector<std::string> names = filesIn(folder);
    std::vector<std::string> expected = filesIn(fs::u8path(VORN_SETUP_DEFINITIONS));
    expected.push_back("README.txt");
    std::sort(names.begin(), names.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(expected, names);

    // Every XML file parses; no token is left anywhere.
    for (const std::string& name : names) {
        const std::string text = Utf8Of(folder / name);
        for (const char* token : {"@Name@", "@Company@", "@Version@", "@Executable@", "@WebSite@",
                                  "@UUID", "@Contact@", "@Support", "@Technical"})
            EXPECT_EQ(std::string::npos, text.find(token)) << name << " " << token;
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".xml") == 0)
            ParsedFile parsed(folder / name);
    }

    // The installer's reader finds the product as given.
    ParsedFile configuration(folder / "Configuration.xml");
    vornsetup::InstallManifest manifest;
    const vorn::XmlNode* settings = configuration.document.root()->find(u"/InstallationSettings");
    ASSERT_NE(nullptr, settings);
    ASSERT_EQ(0u, manifest.readSettings(*settings, nullptr));
    EXPECT_EQ(vorn::String(u"Tom & Jerry's Paint"), manifest.name);
    EXPECT_EQ(vorn::String(u"Acme Corp"), manifest.company);
    EXPECT_EQ(vorn::String(u"2.10.0"), manifest.version);
    EXPECT_EQ(vorn::String(u"Tom & Jerry's Paint.exe"), manifest.executable);
    EXPECT_EQ(vorn::String(u"https://acme.example/paint/"), manifest.webSite);
    EXPECT_EQ(vorn::String(u"mailto:help@acme.example"), manifest.technicalSupport);
    EXPECT_EQ(vorn::String(u"help@acme.example"), manifest.contact);
    EXPECT_FALSE(manifest.uuid.isNull());
    // The program group's own shortcut starts the program; none beside it.
    EXPECT_TRUE(manifest.shortcuts.empty());
    // For all users by default; the user may choose, and the README says how.
    EXPECT_TRUE(manifest.scopeProblem.isEmpty());
    EXPECT_EQ(vorn::InstallScope::Machine, manifest.scopeRule.proposed);
    EXPECT_TRUE(manifest.scopeRule.userMayChoose);
    EXPECT_NE(std::string::npos, Utf8Of(folder / "Configuration.xml").find("\"CurrentUser\":"));
    vorn::String installerUuid;
    ASSERT_EQ(0u, configuration.document.root()
                      ->find(u"/Application")
                      ->getAttribute(u"UUID", &installerUuid));
    EXPECT_NE(manifest.uuid.toText(), installerUuid);
    EXPECT_NE(std::string::npos, printed.find(vorn::ToUtf8(manifest.uuid.toText())));

    // Every language has the product's texts and a licence that says it is
    // a placeholder and names the product; the shared tables are the example's.
    const std::vector<uint8_t> exampleLicense =
        vorn::ReadWholeFile(fs::u8path(VORN_SETUP_DEFINITIONS) / "VornSetup-License-en.xml");
    for (const char16_t* language : kLanguages) {
        const std::string code = vorn::ToUtf8(language);
        SCOPED_TRACE(code);
        ParsedFile custom(folder / ("VornSetup-Custom-Strings-" + code + ".xml"));
        EXPECT_GE(StringOf(custom.document, u"ProductDescription").find(u"Tom & Jerry's Paint"), 0);
        ParsedFile license(folder / ("VornSetup-License-" + code + ".xml"));
        EXPECT_GE(StringOf(license.document, u"LicenseTitle").find(u"Tom & Jerry's Paint"), 0);
        const vorn::String text = StringOf(license.document, u"LicenseText");
        EXPECT_GE(text.find(u"Tom & Jerry's Paint"), 0);
        EXPECT_GT(text.length(), 60u);
        const std::string shared = "VornSetup-Strings-" + code + ".xml";
        EXPECT_TRUE(vorn::ReadWholeFile(folder / shared) ==
                    vorn::ReadWholeFile(fs::u8path(VORN_SETUP_DEFINITIONS) / shared));
    }
    EXPECT_NE(std::string::npos,
              Utf8Of(folder / "VornSetup-License-en.xml").find("REPLACE THIS TEXT"));
    EXPECT_FALSE(vorn::ReadWholeFile(folder / "VornSetup-License-en.xml") == exampleLicense);
}

TEST(Init, EachRunMakesFreshUuidsUnlessTheProductBringsOne) {
    ScratchFolder scratch;
    std::vector<vorn::String> uuids;
    const char16_t* given = u"{7e3f2a91-5c4b-4d8e-9f10-2b3c4d5e6f70}";
    for (int run = 0; run < 3; ++run) {
        const fs::path folder = scratch.path() / std::to_string(run);
        Arguments arguments = {TextOf(folder), u"--name",    u"Paint",
                               u"--company",   u"Acme",      u"--version",
                               u"1",           u"--support", u"https://acme.example/help"};
        if (run == 2)
            arguments.insert(arguments.end(), {u"--uuid", given});
        testing::internal::CaptureStdout();
        ASSERT_EQ(0, Init(arguments));
        testing::internal::GetCapturedStdout();
        ParsedFile configuration(folder / "Configuration.xml");
        vornsetup::InstallManifest manifest;
        ASSERT_EQ(0u, manifest.readSettings(
                          *configuration.document.root()->find(u"/InstallationSettings"), nullptr));
        EXPECT_EQ(vorn::String(u"https://acme.example/help"), manifest.technicalSupport);
        vorn::String installer;
        (void)configuration.document.root()
            ->find(u"/Application")
            ->getAttribute(u"UUID", &installer);
        uuids.push_back(manifest.uuid.toText());
        uuids.push_back(installer);
        EXPECT_EQ(8, manifest.uuid.toText().find(u'-')) << "8-4-4-4-12";
        EXPECT_EQ(u'4', manifest.uuid.toText()[14]) << "a random UUID";
    }
    EXPECT_EQ(vorn::String(u"7E3F2A91-5C4B-4D8E-9F10-2B3C4D5E6F70"), uuids[4]);
    for (size_t i = 0; i < uuids.size(); ++i) {
        for (size_t j = i + 1; j < uuids.size(); ++j)
            EXPECT_NE(uuids[i], uuids[j]) << i << " " << j;
    }
}

struct BadInit {
    const char* what;
    int expected;
    const char16_t* option; // replaced or added
    const char16_t* value;
};

const BadInit kBadInits[] = {
    {"a name with a slash", 38, u"--name", u"Paint/Pro"},
    {"a name with a colon", 38, u"--name", u"Paint: Pro"},
    {"a device name", 38, u"--name", u"con"},
    {"a name ending in a dot", 38, u"--name", u"Paint."},
    {"a name beginning with a blank", 38, u"--name", u" Paint"},
    {"an empty name", 38, u"--name", u""},
    {"a company with a backslash", 38, u"--company", u"Acme\\Corp"},
    {"a version with a letter", 5, u"--version", u"1.0b"},
    {"a version with an empty part", 5, u"--version", u"1..0"},
    {"a version ending in a dot", 5, u"--version", u"1.0."},
    {"a version of five parts", 5, u"--version", u"1.2.3.4.5"},
    {"a version part too large", 5, u"--version", u"1.70000"},
    {"an executable that is no .exe", 38, u"--executable", u"Paint.bat"},
    {"an executable in a folder", 38, u"--executable", u"bin/Paint.exe"},
    {"a web site without a scheme", 5, u"--website", u"acme.example"},
    {"a web site with a blank", 5, u"--website", u"https://acme.example/a b"},
    {"a web site with a quote", 5, u"--website", u"https://acme.example/\""},
    {"a support that is neither", 5, u"--support", u"call us"},
    {"a support address without a domain", 5, u"--support", u"help@acme"},
    {"a UUID too short", 5, u"--uuid", u"1234"},
    {"the null UUID", 5, u"--uuid", u"00000000-0000-0000-0000-000000000000"},
    {"no company", 5, u"--company", nullptr},
    {"no version", 5, u"--version", nullptr},
};

TEST(Init, RefusesBadValuesInOneLineAndWritesNothing) {
    for (const BadInit& bad : kBadInits) {
        SCOPED_TRACE(bad.what);
        ScratchFolder scratch;
        const fs::path folder = scratch.path() / "definitions";
        Arguments arguments = {TextOf(folder), u"--name",    u"Paint", u"--company",
                               u"Acme",        u"--version", u"1.0.0"};
        auto option = std::find(arguments.begin(), arguments.end(), vorn::String(bad.option));
        if (!bad.value)
            arguments.erase(option, option + 2);
        else if (option != arguments.end())
            *(option + 1) = bad.value;
        else
            arguments.insert(arguments.end(), {bad.option, bad.value});
        testing::internal::CaptureStderr();
        EXPECT_EQ(bad.expected, Init(arguments));
        const std::string errors = testing::internal::GetCapturedStderr();
        EXPECT_EQ(0u, errors.find("VornPack init: ")) << errors;
        EXPECT_EQ(1, std::count(errors.begin(), errors.end(), '\n')) << errors;
        EXPECT_FALSE(fs::exists(folder));
    }
}

TEST(Init, OverwritesNothing) {
    ScratchFolder scratch;
    const fs::path folder = scratch.path() / "definitions";
    fs::create_directories(folder);
    vorn::WriteWholeFile(folder / "Configuration.xml", {'m', 'i', 'n', 'e'});
    vorn::WriteWholeFile(scratch.path() / "file", {'f'});
    for (const fs::path& target : {folder, scratch.path() / "file"}) {
        testing::internal::CaptureStderr();
        EXPECT_EQ(target == folder ? 21 : 14, Init({TextOf(target), u"--name", u"Paint",
                                                    u"--company", u"Acme", u"--version", u"1.0"}));
        const std::string errors = testing::internal::GetCapturedStderr();
        EXPECT_EQ(1, std::count(errors.begin(), errors.end(), '\n')) << errors;
    }
    EXPECT_EQ(1, std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
    EXPECT_TRUE(vorn::ReadWholeFile(folder / "Configuration.xml") ==
                std::vector<uint8_t>({'m', 'i', 'n', 'e'}));
    EXPECT_TRUE(vorn::ReadWholeFile(scratch.path() / "file") == std::vector<uint8_t>({'f'}));
}

// What init writes makes a setup at once: setup's checks find nothing to
// refuse, in any language (the extra shortcut has a name of its own).
TEST(Init, ItsDefinitionsPassTheChecksOfSetup) {
    ScratchFolder scratch;
    const fs::path folder = scratch.path() / "definitions";
    testing::internal::CaptureStdout();
    ASSERT_EQ(0, Init({TextOf(folder), u"--name", u"Paint", u"--company", u"Acme", u"--version",
                       u"1.0"}));
    testing::internal::GetCapturedStdout();
    std::vector<DefinitionDocument> documents;
    for (const auto& item : fs::directory_iterator(folder)) {
        if (item.path().extension() != ".xml")
            continue;
        const std::vector<uint8_t> bytes = vorn::ReadWholeFile(item.path());
        DefinitionDocument document{u"Data/Xml/" + TextOf(item.path().filename()),
                                    std::make_unique<vorn::XmlDocument>()};
        ASSERT_EQ(0u, document.document->parse(bytes.data(), uint32_t(bytes.size()), u"xml"));
        documents.push_back(std::move(document));
    }
    ConfigurationFindings findings;
    EXPECT_EQ(0u, CheckConfiguration(folder, documents, scratch.path() / "app", {u"Paint.exe"},
                                     &findings))
        << vorn::ToUtf8(findings.problem);
    EXPECT_TRUE(findings.notes.empty());
}

} // namespace
} // namespace vornpack
