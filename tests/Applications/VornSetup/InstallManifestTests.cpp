#include <set>
#include <string>

#include <gtest/gtest.h>

#include "Applications/VornSetup/InstallManifest.h"
#include "TestText.h"
#include "VornLib/core/Utf8.h"
#include "VornLib/core/XmlDocument.h"

namespace vornsetup {
namespace {

using namespace vorn;

const std::string kSettings = R"(<Configuration><InstallationSettings>
  <Application UUID="{7E3F2A91-5C4B-4D8E-9F10-2B3C4D5E6F70}" Name="Tool" Version="1.5"
               Tag="Beta 2" Company="Vorn Software"/>
  <Description>A tool</Description>
  <Executable>Tool.exe</Executable>
  <ExecutableX64>x64/Tool.exe</ExecutableX64>
  <WebSite>https://vorn.example/</WebSite>
  <TechnicalSupport>https://vorn.example/support</TechnicalSupport>
  <Updates>https://vorn.example/updates</Updates>
  <Contact>support@vorn.example</Contact>
  <Shortcuts>
    <Shortcut Text="#ToolName" Help="#ToolHelp">Tool.exe</Shortcut>
    <Shortcut Text="#NoHelp">Readme.txt</Shortcut>
    <Link Help="#Other">Other.exe</Link>
    <Shortcut Help="#Empty"></Shortcut>
  </Shortcuts>
</InstallationSettings></Configuration>)";

struct Parsed {
    XmlDocument document;
    const XmlNode* element = nullptr;
    explicit Parsed(const std::string& xml, const char16_t* path) {
        EXPECT_EQ(0u, document.parse(xml.data(), uint32_t(xml.size()), u"test"));
        element = document.root() ? document.root()->find(path) : nullptr;
        EXPECT_NE(nullptr, element);
    }
};

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    EXPECT_NE(std::string::npos, at) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

TEST(InstallManifestSettings, EveryFieldAndDerivedText) {
    Parsed parsed(kSettings, u"/InstallationSettings");
    InstallManifest manifest;
    ASSERT_EQ(0u, manifest.readSettings(*parsed.element, nullptr));
    EXPECT_EQ(manifest.uuid.toText(), u"7E3F2A91-5C4B-4D8E-9F10-2B3C4D5E6F70");
    EXPECT_EQ(manifest.displayName(), u"Tool (Beta)");
    EXPECT_EQ(manifest.displayVersion(), u"1.5 Beta 2");
    EXPECT_EQ(Distribution::OpenBeta, manifest.distribution) << "a tag without Distribution";
    EXPECT_EQ(manifest.description, u"A tool");
    EXPECT_EQ(manifest.contact, u"support@vorn.example");
    ASSERT_EQ(1u, manifest.shortcuts.size()) << "only Shortcut elements with target and Help";
    EXPECT_EQ(manifest.shortcuts[0].target, u"Tool.exe");
    EXPECT_EQ(manifest.shortcuts[0].text, u"#ToolName");
    EXPECT_EQ(manifest.uninstallKeyPath(),
              u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
              u"{7E3F2A91-5C4B-4D8E-9F10-2B3C4D5E6F70}");

    manifest.installFolder = u"C:\\Program Files\\Tool";
    manifest.files.push_back({u"Tool.exe"});
    manifest.files.push_back({u"x64/Tool.exe"});
    EXPECT_EQ(manifest.executablePath(), u"C:\\Program Files\\Tool\\Tool.exe");
    EXPECT_EQ(manifest.executableX64Path(), u"C:\\Program Files\\Tool\\x64\\Tool.exe");
    EXPECT_EQ(manifest.launchPath(true), manifest.executableX64Path());
    EXPECT_EQ(manifest.launchPath(false), manifest.executablePath());
}

// The 64-bit program is started only when the payload brings it; the file
// list names it with "/" and Windows compares names ignoring case.
TEST(InstallManifestSettings, TheSixtyFourBitProgramOnlyWhenCarried) {
    Parsed parsed(Replace(kSettings, "x64/Tool.exe</", "X64\\Tool64.exe</"),
                  u"/InstallationSettings");
    InstallManifest manifest;
    ASSERT_EQ(0u, manifest.readSettings(*parsed.element, nullptr));
    manifest.installFolder = u"C:\\Tool";
    manifest.files.push_back({u"Tool.exe"});
    EXPECT_EQ(manifest.launchPath(true), u"C:\\Tool\\Tool.exe") << "not in the payload";
    manifest.files.push_back({u"x64/Tool64.exe.config"});
    manifest.files.push_back({u"Tool64.exe"});
    EXPECT_EQ(manifest.launchPath(true), u"C:\\Tool\\Tool.exe") << "only the exact path counts";
    manifest.files.push_back({u"x64/tool64.EXE"});
    EXPECT_EQ(manifest.launchPath(true), u"C:\\Tool\\X64\\Tool64.exe");
    EXPECT_EQ(manifest.launchPath(false), u"C:\\Tool\\Tool.exe");

    ShortcutEntry program{u"tool.EXE", u"#ToolName", u"#ToolHelp"};
    ShortcutEntry readme{u"Help/Readme.txt", u"#Readme", u"#ReadmeHelp"};
    EXPECT_EQ(manifest.shortcutTarget(program, true), u"C:\\Tool\\X64\\Tool64.exe");
    EXPECT_EQ(manifest.shortcutTarget(program, false), u"C:\\Tool\\Tool.exe");
    EXPECT_EQ(manifest.shortcutTarget(readme, true), u"C:\\Tool\\Help\\Readme.txt");
}

TEST(InstallManifestSettings, TheRemovalProgramOnlyWhenCarried) {
    Parsed parsed(kSettings, u"/InstallationSettings");
    InstallManifest manifest;
    ASSERT_EQ(0u, manifest.readSettings(*parsed.element, nullptr));
    manifest.installFolder = u"C:\\Tool";
    manifest.files = {{u"Tool.exe"}, {u"x64/Tool.exe"}, {u"VornUninstall.exe"}};
    EXPECT_EQ(manifest.removalProgramPath(true), u"C:\\Tool\\x64\\Tool.exe")
        << "without one the product removes itself";
    const struct {
        const char* text;
        uint32_t expected;
    } cases[] = {
        {"Other.exe", 31}, {"..\\VornUninstall.exe", 31}, {"C:\\VornUninstall.exe", 31},
        {"", 31},          {"vornuninstall.EXE", 0},
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(each.text);
        Parsed element("<FileList><RemovalProgram>" + std::string(each.text) +
                           "</RemovalProgram></FileList>",
                       u"/RemovalProgram");
        manifest.removalProgram.clear();
        EXPECT_EQ(each.expected, manifest.readRemovalProgram(*element.element));
        EXPECT_EQ(each.expected == 0, !manifest.removalProgram.isEmpty());
    }
    EXPECT_EQ(manifest.removalProgramPath(true), u"C:\\Tool\\vornuninstall.EXE");
    EXPECT_EQ(manifest.launchPath(true), u"C:\\Tool\\x64\\Tool.exe") << "shortcuts unchanged";
    // The update's record names the program that takes its registrations away.
    const vorn::InstallationPlan plan = manifest.installationPlan(true);
    EXPECT_EQ(plan.product.program, u"C:\\Tool\\vornuninstall.EXE");
    EXPECT_EQ(3u, plan.product.files.size());
}

TEST(InstallManifestSettings, TagAndDistributionElement) {
    Parsed untagged(Replace(kSettings, "Tag=\"Beta 2\" ", ""), u"/InstallationSettings");
    InstallManifest plain;
    ASSERT_EQ(0u, plain.readSettings(*untagged.element, nullptr));
    EXPECT_EQ(plain.displayName(), u"Tool");
    EXPECT_EQ(plain.displayVersion(), u"1.5");
    EXPECT_EQ(Distribution::Public, plain.distribution);
    plain.installFolder = u"C:\\Tool\\";
    plain.files.push_back({u"x64/Tool.exe"});
    EXPECT_EQ(plain.launchPath(true), u"C:\\Tool\\x64\\Tool.exe");

    Parsed publicTagged(
        Replace(kSettings, "<Description>", "<Distribution>Public</Distribution><Description>"),
        u"/InstallationSettings");
    InstallManifest manifest;
    ASSERT_EQ(0u, manifest.readSettings(*publicTagged.element, nullptr));
    EXPECT_EQ(Distribution::Public, manifest.distribution);
}

TEST(InstallManifestSettings, ReadingStopsAtTheFirstMissingPiece) {
    Parsed noUpdates(Replace(kSettings, "<Updates>https://vorn.example/updates</Updates>", ""),
                     u"/InstallationSettings");
    InstallManifest manifest;
    EXPECT_EQ(29u, manifest.readSettings(*noUpdates.element, nullptr));
    EXPECT_EQ(manifest.technicalSupport, u"https://vorn.example/support") << "read before stays";
    EXPECT_TRUE(manifest.contact.isEmpty());
    EXPECT_TRUE(manifest.shortcuts.empty());

    Parsed noCompany(Replace(kSettings, "Company=\"Vorn Software\"", ""), u"/InstallationSettings");
    InstallManifest other;
    EXPECT_EQ(6u, other.readSettings(*noCompany.element, nullptr));
    EXPECT_EQ(other.name, u"Tool");
    EXPECT_TRUE(other.executable.isEmpty());
}

// What the list of installed programs shows: every value that has something
// to say, and none that would be empty (a product without a contact, an
// update address or a program group, as init's definitions may leave it).
TEST(InstallManifestSettings, TheUninstallEntryHoldsNoEmptyText) {
    const std::string sparse =
        Replace(Replace(kSettings, "<Contact>support@vorn.example</Contact>", "<Contact/>"),
                "<Updates>https://vorn.example/updates</Updates>", "<Updates></Updates>");
    const struct {
        const std::string* settings;
        const char16_t* group;
        bool optionalValues;
    } cases[] = {{&kSettings, u"Tool", true}, {&sparse, u"", false}};
    for (const auto& test : cases) {
        SCOPED_TRACE(test.optionalValues);
        Parsed parsed(*test.settings, u"/InstallationSettings");
        InstallManifest manifest;
        ASSERT_EQ(0u, manifest.readSettings(*parsed.element, nullptr));
        manifest.installFolder = u"C:\\Tool";
        manifest.programGroup = test.group;
        std::set<std::string> names;
        for (const EntryText& text :
             manifest.uninstallEntryTexts(u"C:\\Tool\\Tool.exe", u"20260301")) {
            const std::string name = ToUtf8(String(vorn::EntryValueName(text.name)));
            EXPECT_FALSE(text.value.isEmpty()) << name;
            EXPECT_TRUE(names.insert(name).second);
        }
        for (const char* always : {"UninstallString", "QuietUninstallString", "DisplayName",
                                   "DisplayVersion", "InstallLocation", "VornLib.InstallFolder"})
            EXPECT_EQ(1u, names.count(always)) << always;
        for (const char* optional : {"Contact", "URLUpdateInfo", "VornLib.ProgramGroup"})
            EXPECT_EQ(test.optionalValues, names.count(optional) == 1) << optional;
        EXPECT_EQ(0u, names.count("Size")) << "a value nothing fills";
    }
}

TEST(InstallManifestFiles, NestedPathsSizesAndDates) {
    Parsed parsed(R"(<FileList><Files Path="App/">
        <File Size="10" Date="2018-03-01T12:30:15Z">Tool.exe</File>
        <Files Path="Data/">
          <File Size="5" Date="2018-03-01T12:30:15.5Z">a.txt</File>
          <Files Path="Xml/"><File Size="7" Date="2018-03-01T12:30:15">b.xml</File></Files>
        </Files>
        <File Size="1" Date="2020-01-01T00:00:00Z">c.dat</File>
      </Files></FileList>)",
                  u"/Files");
    InstallManifest manifest;
    ASSERT_EQ(0u, manifest.readFileList(*parsed.element));
    EXPECT_EQ(manifest.sourceRoot, u"App/");
    ASSERT_EQ(4u, manifest.files.size());
    EXPECT_EQ(manifest.files[0].relativePath, u"Tool.exe");
    EXPECT_EQ(manifest.files[1].relativePath, u"Data/a.txt");
    EXPECT_EQ(manifest.files[2].relativePath, u"Data/Xml/b.xml");
    EXPECT_EQ(manifest.files[3].relativePath, u"c.dat");
    EXPECT_EQ(23u, manifest.totalSize);
    EXPECT_EQ(TimeStampText(manifest.files[0].date), u"2018-03-01T12:30:15Z");
    EXPECT_FALSE(manifest.files[0].copied);
}

TEST(InstallManifestFiles, ComponentsLeftOutTakeTheirFilesAndDeclarationsAlong) {
    const std::string settings = Replace(
        Replace(kSettings, "<Link Help=\"#Other\">Other.exe</Link>", ""), "</InstallationSettings>",
        R"(<Components>
             <Component Name="Docs"><Files Folder="docs"/></Component>
             <Component Name="Extras" Default="false"><Files Pattern="*.exe"/></Component>
           </Components>
           <Prerequisites>
             <Prerequisite Name="Runtime" Program="redist\rt.exe" Detect="HKLM\Software\Rt"/>
             <Prerequisite Name="Kept" Program="redist\kept.exe" Detect="HKLM\Software\Kept"
                           InstallWithProduct="true" Component="Docs"/>
           </Prerequisites></InstallationSettings>)");
    Parsed parsed(settings, u"/InstallationSettings");
    Parsed list(R"(<L><Files Path="App/">
        <File Size="10" Date="2018-03-01T12:30:15Z">Tool.exe</File>
        <File Size="20" Date="2018-03-01T12:30:15Z">Other.exe</File>
        <File Size="30" Date="2018-03-01T12:30:15Z">docs/a.html</File>
        <File Size="40" Date="2018-03-01T12:30:15Z">redist/rt.exe</File>
        <File Size="50" Date="2018-03-01T12:30:15Z">redist/kept.exe</File>
      </Files></L>)",
                u"/Files");
    InstallManifest manifest;
    ASSERT_EQ(0u, manifest.readSettings(*parsed.element, nullptr));
    ASSERT_EQ(0u, manifest.readFileList(*list.element));
    ASSERT_TRUE(manifest.definitionsProblem.isEmpty()) << ToUtf8(manifest.definitionsProblem);
    ASSERT_EQ(2u, manifest.declared.prerequisites.size());
    ASSERT_EQ(2u, manifest.declared.components.size());
    EXPECT_EQ(4u, manifest.files.size()) << "the runtime's setup is not the product's";
    EXPECT_EQ(40u, manifest.chosenSize()) << "Other.exe and kept.exe are Extras'";
    EXPECT_EQ(30u, manifest.componentSize(0));

    manifest.chosenComponents = {false, false};
    EXPECT_EQ(10u, manifest.chosenSize());
    manifest.leaveOutUnchosenComponents();
    // The executable stays whatever claims it.
    ASSERT_EQ(1u, manifest.files.size());
    EXPECT_EQ(u"Tool.exe", manifest.files[0].relativePath);
    EXPECT_EQ(10u, manifest.totalSize);
    ASSERT_EQ(1u, manifest.declared.prerequisites.size());
    EXPECT_EQ(u"Runtime", manifest.declared.prerequisites[0].name);
}

TEST(InstallManifestFiles, BadEntriesEndTheList) {
    const char* broken[] = {
        R"(<L><Files Path="A/"><File Size="1" Date="2018-03-01T12:30:15Z">a</File><File Size="2">b</File></Files></L>)",
        R"(<L><Files Path="A/"><File Size="1" Date="2018-03-01T12:30:15Z">a</File><File Size="2" Date="2018-03-01 12:30:15">b</File></Files></L>)",
        R"(<L><Files Path="A/"><File Size="1" Date="2018-03-01T12:30:15Z">a</File><Files><File Size="2" Date="2018-03-01T12:30:15Z">b</File></Files></Files></L>)",
    };
    for (const char* xml : broken) {
        Parsed parsed(xml, u"/Files");
        InstallManifest manifest;
        EXPECT_EQ(6u, manifest.readFileList(*parsed.element)) << xml;
        ASSERT_EQ(1u, manifest.files.size()) << "files read before stay";
        EXPECT_EQ(1u, manifest.totalSize);
    }
}

TEST(InstallManifestDefaults, FolderAndGroup) {
    Parsed parsed(kSettings, u"/InstallationSettings");
    InstallManifest manifest;
    ASSERT_EQ(0u, manifest.readSettings(*parsed.element, nullptr));
    manifest.applyDefaults(nullptr, u"C:\\Program Files (x86)");
    EXPECT_EQ(manifest.installFolder, u"C:\\Program Files (x86)\\Tool (Beta)");
    EXPECT_EQ(manifest.programGroup, u"Tool (Beta)");

    InstallManifest remembered;
    remembered.name = u"Tool";
    remembered.installFolder = u"D:\\Apps\\Tool";
    remembered.programGroup = u"Tools";
    remembered.applyDefaults(nullptr, u"C:\\Program Files\\");
    EXPECT_EQ(remembered.installFolder, u"D:\\Apps\\Tool") << "the previous folder is proposed";
    EXPECT_EQ(remembered.programGroup, u"Tools");
    const String chosen(u"C:\\Some Where\\Demo");
    remembered.applyDefaults(&chosen, u"C:\\Program Files\\");
    EXPECT_EQ(remembered.installFolder, u"C:\\Some Where\\Demo") << "the switch wins";
}

} // namespace
} // namespace vornsetup
