// VornPack manifest: the three files of a setup's winget manifest, each field
// checked against the rules of the published 1.10.0 schemas (written out here,
// not copied), the switches it names accepted by the setup, the exit codes its
// table gives, and the values that the schemas would refuse refused before
// anything is written.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <regex>

#include "../../VornLib/data/DataTestSupport.h"
#include "Applications/VornSetup/InstallerSwitches.h"
#include "PeImageBuilder.h"
#include "Tools/VornPack/Files.h"
#include "Tools/VornPack/Manifest.h"
#include "Tools/VornPack/Setup.h"
#include "VornLib/app/ExitCodes.h"
#include "VornLib/core/Utf8.h"

namespace vornpack {
namespace {

namespace fs = std::filesystem;
using vorn::String;

std::string Utf8(const String& text) {
    return vorn::ToUtf8(text);
}

// Characters, as the schemas count them (UTF-8 continuation bytes are not).
size_t Characters(const std::string& utf8) {
    return size_t(std::count_if(utf8.begin(), utf8.end(),
                                [](char byte) { return (uint8_t(byte) & 0xC0) != 0x80; }));
}

String Ascii(const std::string& text) {
    String out;
    for (const char byte : text)
        out += char16_t(uint8_t(byte));
    return out;
}

// The schemas' rules for the values this command writes.
const std::string kIdentifier =
    R"(^[^\.\s\\/:\*\?"<>\|\x01-\x1f]{1,32}(\.[^\.\s\\/:\*\?"<>\|\x01-\x1f]{1,32}){1,7}$)";
const std::string kVersion = R"(^[^\\/:\*\?"<>\|\x01-\x1f]+$)";
const std::string kLocale =
    R"(^([a-zA-Z]{2,3}|[iI]-[a-zA-Z]+|[xX]-[a-zA-Z]{1,8})(-[a-zA-Z]{1,8})*$)";
const std::string kUrl = R"(^([Hh][Tt][Tt][Pp][Ss]?)://.+$)";
const std::string kSha256 = R"(^[A-Fa-f0-9]{64}$)";

// "Key: value" lines of one manifest, in order, a list item's "- " and the
// indentation (of any depth) dropped, single quotes taken off.
std::vector<std::pair<std::string, std::string>> Fields(const std::string& yaml) {
    std::vector<std::pair<std::string, std::string>> fields;
    const std::regex line(R"(^(?:- | +)?([A-Za-z0-9]+): ?(.*)$)");
    size_t start = 0;
    for (size_t end; (end = yaml.find('\n', start)) != std::string::npos; start = end + 1) {
        std::smatch match;
        const std::string text = yaml.substr(start, end - start);
        if (!std::regex_match(text, match, line))
            continue;
        std::string value = match[2];
        if (value.size() >= 2 && value.front() == '\'' && value.back() == '\'') {
            value = value.substr(1, value.size() - 2);
            for (size_t at; (at = value.find("''")) != std::string::npos;)
                value.replace(at, 2, "'");
        }
        fields.emplace_back(match[1], value);
    }
    return fields;
}

std::map<std::string, std::string>
FirstOf(const std::vector<std::pair<std::string, std::string>>& fields) {
    std::map<std::string, std::string> first;
    for (const auto& field : fields)
        first.emplace(field.first, field.second);
    return first;
}

struct Rule {
    const char* key;
    std::string pattern; // empty: any text
    size_t minimum;
    size_t maximum;
};

void CheckRules(const std::map<std::string, std::string>& fields, const std::vector<Rule>& rules) {
    for (const Rule& rule : rules) {
        SCOPED_TRACE(rule.key);
        const auto found = fields.find(rule.key);
        ASSERT_NE(fields.end(), found) << "a field the schema requires";
        const std::string& value = found->second;
        const size_t length = Characters(value);
        EXPECT_GE(length, rule.minimum) << value;
        EXPECT_LE(length, rule.maximum) << value;
        if (!rule.pattern.empty()) {
            EXPECT_TRUE(std::regex_match(value, std::regex(rule.pattern))) << value;
        }
    }
}

SetupFacts Facts() {
    SetupFacts facts;
    (void)vorn::UUID::Parse(u"7E3F2A91-5C4B-4D8E-9F10-2B3C4D5E6F70", &facts.uuid);
    facts.name = u"Demo Paint";
    facts.version = u"1.10";
    facts.company = u"O'Neil Software Ltd.";
    facts.description = u"Paints\nthings.";
    facts.webSite = u"https://oneil.example/paint/";
    facts.technicalSupport = u"help@oneil.example";
    facts.sha256 = u"ABCDEF0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF0123456789";
    return facts;
}

std::map<std::string, std::string> Manifests(const SetupFacts& facts,
                                             const ManifestOptions& options) {
    std::vector<ManifestFile> files;
    String message;
    EXPECT_EQ(0u, WingetManifests(facts, options, &files, &message)) << Utf8(message);
    std::map<std::string, std::string> texts;
    for (const ManifestFile& file : files)
        texts[Utf8(file.name)] = Utf8(file.text);
    return texts;
}

TEST(Manifest, ThreeFilesWhoseFieldsTheSchemasAccept) {
    ManifestOptions options;
    options.url = u"https://oneil.example/DemoPaintSetup.exe";
    const auto texts = Manifests(Facts(), options);
    ASSERT_EQ(3u, texts.size());
    const std::string id = "ONeilSoftwareLtd.DemoPaint";
    const auto version = FirstOf(Fields(texts.at(id + ".yaml")));
    const auto locale = FirstOf(Fields(texts.at(id + ".locale.en-US.yaml")));
    const auto installer = FirstOf(Fields(texts.at(id + ".installer.yaml")));
    const std::vector<Rule> common = {{"PackageIdentifier", kIdentifier, 1, 128},
                                      {"PackageVersion", kVersion, 1, 128},
                                      {"ManifestVersion", "^1\\.10\\.0$", 5, 6}};
    for (const auto* fields : {&version, &locale, &installer})
        CheckRules(*fields, common);
    CheckRules(version, {{"DefaultLocale", kLocale, 2, 20}, {"ManifestType", "^version$", 7, 7}});
    CheckRules(locale, {{"PackageLocale", kLocale, 2, 20},
                        {"Publisher", "", 2, 256},
                        {"PackageName", "", 2, 256},
                        {"PackageUrl", kUrl, 8, 2048},
                        {"License", "", 3, 512},
                        {"ShortDescription", "", 3, 256},
                        {"ManifestType", "^defaultLocale$", 13, 13}});
    CheckRules(installer, {{"InstallerType", "^exe$", 3, 3},
                           {"Scope", "^(user|machine)$", 4, 7},
                           {"UpgradeBehavior", "^(install|uninstallPrevious|deny)$", 4, 17},
                           {"RepairBehavior", "^(modify|uninstaller|installer)$", 6, 11},
                           {"ElevationRequirement",
                            "^(elevationRequired|elevationProhibited|elevatesSelf)$", 12, 19},
                           {"ProductCode", "", 1, 255},
                           {"DisplayName", "", 1, 256},
                           {"DisplayVersion", "", 1, 128},
                           {"Architecture", "^(x86|x64|arm|arm64|neutral)$", 3, 7},
                           {"InstallerUrl", kUrl, 8, 2048},
                           {"InstallerSha256", kSha256, 64, 64},
                           {"ManifestType", "^installer$", 9, 9}});
    for (uint32_t i = 0; i < kWingetSwitchCount; ++i)
        CheckRules(installer, {{Utf8(kWingetSwitches[i].key).c_str(), "", 1, 512}});

    EXPECT_EQ(id, version.at("PackageIdentifier"));
    EXPECT_EQ("1.10", version.at("PackageVersion")) << "a version stays text, not the number 1.1";
    EXPECT_EQ("O'Neil Software Ltd.", locale.at("Publisher"));
    EXPECT_EQ("Paints things.", locale.at("ShortDescription"));
    EXPECT_EQ(0u, locale.count("PublisherSupportUrl")) << "an address to write to is no URL";
    EXPECT_EQ("machine", installer.at("Scope"));
    EXPECT_EQ("{7E3F2A91-5C4B-4D8E-9F10-2B3C4D5E6F70}", installer.at("ProductCode"));
    EXPECT_EQ("x86", installer.at("Architecture"));
}

TEST(Manifest, ExpectedReturnCodesAreTheSetupsTable) {
    ManifestOptions options;
    options.url = u"http://oneil.example/setup.exe";
    const auto fields =
        Fields(Manifests(Facts(), options).at("ONeilSoftwareLtd.DemoPaint.installer.yaml"));
    std::map<int32_t, std::string> listed;
    for (size_t i = 0; i + 1 < fields.size(); ++i) {
        if (fields[i].first == "InstallerReturnCode") {
            ASSERT_EQ("ReturnResponse", fields[i + 1].first);
            listed[std::stoi(fields[i].second)] = fields[i + 1].second;
        }
    }
    std::map<int32_t, std::string> expected;
    for (uint32_t i = 0; i < vorn::kExitCodeCount; ++i) {
        const vorn::ExitCode& row = vorn::kExitCodes[i];
        if (row.program == vorn::ExitCodeProgram::Setup && row.code != vorn::kOtherExitCodes &&
            row.wingetResponse)
            expected[row.code] = Utf8(row.wingetResponse);
    }
    EXPECT_EQ(expected, listed);
    EXPECT_EQ(0u, listed.count(0)) << "the schema refuses 0";
    EXPECT_EQ("cancelledByUser", listed.at(8));
}

// A setup that lets the user choose is two installers of one download, the
// definitions' default first, each chosen by the switch the setup accepts;
// only the one for all users elevates itself. A setup of one scope says so.
TEST(Manifest, EachScopeTheSetupAllowsIsAnInstaller) {
    ManifestOptions options;
    options.url = u"https://oneil.example/setup.exe";
    SetupFacts facts = Facts();
    facts.scopeRule.proposed = vorn::InstallScope::User;
    const std::string name = "ONeilSoftwareLtd.DemoPaint.installer.yaml";
    EXPECT_EQ("user", FirstOf(Fields(Manifests(facts, options).at(name))).at("Scope"));
    EXPECT_EQ(0u, FirstOf(Fields(Manifests(facts, options).at(name))).count("ElevationRequirement"))
        << "a per-user setup asks for no rights";

    facts.scopeRule.userMayChoose = true;
    const std::string yaml = Manifests(facts, options).at(name);
    const std::string installers = yaml.substr(yaml.find("\nInstallers:\n"));
    EXPECT_EQ(std::string::npos, yaml.substr(0, yaml.find("\nInstallers:\n")).find("Scope:"))
        << "no scope for the package as a whole";
    std::vector<std::string> scopes, customs, elevations;
    for (const auto& field : Fields(installers)) {
        if (field.first == "Scope")
            scopes.push_back(field.second);
        if (field.first == "Custom")
            customs.push_back(field.second);
        if (field.first == "ElevationRequirement")
            elevations.push_back(scopes.back());
    }
    EXPECT_EQ((std::vector<std::string>{"user", "machine"}), scopes);
    EXPECT_EQ((std::vector<std::string>{"/CurrentUser", "/AllUsers"}), customs);
    EXPECT_EQ(std::vector<std::string>{"machine"}, elevations);
    const std::regex entry("\n- Architecture: ");
    EXPECT_EQ(2, std::distance(std::sregex_iterator(installers.begin(), installers.end(), entry),
                               std::sregex_iterator()))
        << installers;
    for (const std::string& custom : customs) {
        vorn::CommandLine commandLine;
        commandLine.parse(Ascii("setup.exe /Quiet " + custom).data());
        String message;
        EXPECT_EQ(0u, vornsetup::CheckInstallerCommandLine(commandLine, &message)) << custom;
    }
}

// What winget passes is what the setup accepts, with paths in the tokens'
// places, even paths with blanks.
TEST(Manifest, TheSwitchesAreOnesTheSetupAccepts) {
    String all = u"setup.exe";
    for (uint32_t i = 0; i < kWingetSwitchCount; ++i) {
        std::string value = Utf8(kWingetSwitches[i].value);
        for (const auto& token : {std::make_pair(std::string("<INSTALLPATH>"),
                                                 std::string("C:\\Program Files\\Demo Paint")),
                                  std::make_pair(std::string("<LOGPATH>"),
                                                 std::string("C:\\Users\\A B\\Temp\\p.log"))}) {
            const size_t at = value.find(token.first);
            if (at != std::string::npos)
                value.replace(at, token.first.size(), token.second);
        }
        all += u' ' + Ascii(value);
    }
    vorn::CommandLine commandLine;
    commandLine.parse(all.data());
    String message;
    EXPECT_EQ(0u, vornsetup::CheckInstallerCommandLine(commandLine, &message)) << Utf8(message);
    String folder;
    EXPECT_TRUE(commandLine.switchValue(u"InstallFolder", &folder));
    EXPECT_EQ(String(u"C:\\Program Files\\Demo Paint"), folder);
}

TEST(Manifest, ValuesTheSchemasRefuseAreRefused) {
    const struct {
        const char* what;
        void (*change)(SetupFacts*, ManifestOptions*);
        const char16_t* said;
    } cases[] = {
        {"ftp", [](SetupFacts*, ManifestOptions* o) { o->url = u"ftp://x.example/s.exe"; },
         u"is not an http or https URL"},
        {"no host", [](SetupFacts*, ManifestOptions* o) { o->url = u"https://"; }, u"URL"},
        {"identifier with a blank",
         [](SetupFacts*, ManifestOptions* o) { o->identifier = u"Bad Id.App"; },
         u"the identifier \"Bad Id.App\""},
        {"one part", [](SetupFacts*, ManifestOptions* o) { o->identifier = u"Demo"; },
         u"the identifier"},
        {"company of dots", [](SetupFacts* f, ManifestOptions*) { f->company = u"..."; },
         u"--identifier"},
        {"short licence", [](SetupFacts*, ManifestOptions* o) { o->license = u"MI"; },
         u"the licence \"MI\" must have 3 to 512 characters"},
        {"short description", [](SetupFacts* f, ManifestOptions*) { f->description = u"Ok"; },
         u"the description"},
        {"version with a colon", [](SetupFacts* f, ManifestOptions*) { f->version = u"1:2"; },
         u"the version \"1:2\""},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.what);
        SetupFacts facts = Facts();
        ManifestOptions options;
        options.url = u"https://oneil.example/setup.exe";
        test.change(&facts, &options);
        std::vector<ManifestFile> files;
        String message;
        EXPECT_EQ(5u, WingetManifests(facts, options, &files, &message));
        EXPECT_NE(-1, message.find(test.said)) << Utf8(message);
        EXPECT_TRUE(files.empty());
    }
}

TEST(Manifest, TheIdentifierIsTheCompanyAndTheNameWithoutWhatItMayNotHold) {
    EXPECT_EQ(String(u"VornSoftware.VornDemo"), PackageIdentifierOf(u"Vorn Software", u"VornDemo"));
    EXPECT_EQ(String(u"ABC.MyApp2"), PackageIdentifierOf(u"A.B/C", u"My App: 2"));
    EXPECT_EQ(String(u"A.12345678901234567890123456789012"),
              PackageIdentifierOf(u"A", u"1234567890123456789012345678901234567890"));
    EXPECT_TRUE(PackageIdentifierOf(u"* ?", u"App").isEmpty());
}

// The whole command on a setup made by `setup`: the facts from its payload
// and header, the files where --out says.
TEST(Manifest, ReadsASetupAndWritesTheFiles) {
    vorn::ScratchFolder scratch;
    const fs::path app = scratch.path() / "app";
    fs::create_directories(app);
    vorn::WriteWholeFile(app / "VornDemo.exe", vorn::SampleMixed(5000));
    for (const bool is64 : {false, true}) {
        SCOPED_TRACE(is64);
        ImageSpec spec;
        spec.is64 = is64;
        spec.resources = ProgramResources(true);
        for (TestResource& resource : spec.resources) {
            if (resource.type == ResourceKey::Id(kResourceVersion))
                resource.data = TestVersionBlock(u"VornSetup.exe");
        }
        const fs::path stub = scratch.path() / "VornSetup.exe";
        vorn::WriteWholeFile(stub, BuildTestImage(spec).bytes);
        const fs::path setup = scratch.path() / "Setup.exe";
        ASSERT_EQ(0, vornpack::Setup({u"--app", TextOf(app), u"--definitions",
                                      TextOf(fs::path(VORN_SETUP_DEFINITIONS)), u"-o",
                                      TextOf(setup), u"--stub", TextOf(stub), u"--quiet"}));
        const fs::path out = scratch.path() / "manifests" / "new";
        ASSERT_EQ(0, Manifest({TextOf(setup), u"--url", u"https://vorn.example/Setup.exe", u"--out",
                               TextOf(out)}));
        std::vector<uint8_t> bytes =
            vorn::ReadWholeFile(out / "VornSoftware.VornDemo.installer.yaml");
        const auto installer = FirstOf(Fields(std::string(bytes.begin(), bytes.end())));
        EXPECT_EQ(is64 ? "x64" : "x86", installer.at("Architecture"));
        EXPECT_EQ("VornDemo", installer.at("DisplayName"));
        EXPECT_EQ("Vorn Software", installer.at("Publisher"));
        bytes = vorn::ReadWholeFile(out / "VornSoftware.VornDemo.locale.en-US.yaml");
        const auto locale = FirstOf(Fields(std::string(bytes.begin(), bytes.end())));
        EXPECT_EQ("A small sample application built on the Vorn framework.",
                  locale.at("ShortDescription"))
            << "the description's English text";
        EXPECT_TRUE(fs::exists(out / "VornSoftware.VornDemo.yaml"));
        // Another byte, another hash: the setup's own bytes are hashed.
        const std::string hash = installer.at("InstallerSha256");
        std::vector<uint8_t> setupBytes = vorn::ReadWholeFile(setup);
        setupBytes.push_back(0);
        vorn::WriteWholeFile(setup, setupBytes);
        ASSERT_EQ(0, Manifest({TextOf(setup), u"--url", u"https://vorn.example/Setup.exe", u"--out",
                               TextOf(out)}));
        bytes = vorn::ReadWholeFile(out / "VornSoftware.VornDemo.installer.yaml");
        EXPECT_NE(hash,
                  FirstOf(Fields(std::string(bytes.begin(), bytes.end()))).at("InstallerSha256"));
    }
    // Not a setup: nothing written.
    const fs::path out = scratch.path() / "refused";
    EXPECT_EQ(33, Manifest({TextOf(app / "VornDemo.exe"), u"--url", u"https://x.example/s",
                            u"--out", TextOf(out)}));
    EXPECT_EQ(5, Manifest({TextOf(app / "VornDemo.exe"), u"--out", TextOf(out)})) << "no --url";
    EXPECT_FALSE(fs::exists(out));
}

} // namespace
} // namespace vornpack
