// File types, protocols and App Paths in the real registry (under Wine). The
// names are this test's own, and every test removes what it made.
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TestText.h"
#include "VornLib/app/ShellRegistration.h"
#include "VornLib/core/RegistryKey.h"
#include "VornLib/core/XmlDocument.h"

namespace vorn {
namespace {

constexpr char16_t kName[] = u"VornShellTest";
constexpr char16_t kExecutable[] = u"C:\\Program Files\\Vorn Shell Test\\Tool.exe";
constexpr char16_t kAppPaths[] = u"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
constexpr char16_t kMissing[] = u"<missing>";

String ReadText(uint32_t root, const String& key, const char16_t* name) {
    RegistryKey registry;
    String value;
    if (registry.open(root, key.data()) != kResultOk ||
        registry.readText(name, &value) != kResultOk)
        return kMissing;
    return value;
}

String ReadClasses(const String& key, const char16_t* name = u"") {
    return ReadText(kRegistryClassesRoot, key, name);
}

bool KeyExists(uint32_t root, const String& key) {
    RegistryKey registry;
    return registry.open(root, key.data()) == kResultOk && registry.exists();
}

bool ClassesKeyExists(const String& key) {
    return KeyExists(kRegistryClassesRoot, key);
}

void WriteClasses(const String& key, const char16_t* name, const char16_t* value) {
    RegistryKey registry;
    ASSERT_EQ(0u, registry.open(kRegistryClassesRoot, key.data()));
    ASSERT_EQ(0u, registry.writeText(name, value));
}

void DeleteKey(uint32_t root, const char16_t* parent, const String& name) {
    RegistryKey registry;
    if (registry.open(root, parent) == kResultOk)
        (void)registry.deleteSubkeyTree(name.data());
}

void DeleteClasses(const String& name) {
    DeleteKey(kRegistryClassesRoot, u"", name);
}

struct ExpectedValue {
    String key;
    const char16_t* name;
    String value;
};

void ExpectValues(const std::vector<ExpectedValue>& values) {
    for (const ExpectedValue& expected : values)
        EXPECT_EQ(expected.value, ReadClasses(expected.key, expected.name))
            << ToPrintable(expected.key.data()) << " " << ToPrintable(expected.name);
}

// Declarations and string tables from one document, found by tag and ID the
// way the resource cache serves them; hand-outs and releases are counted.
class DeclarationSource : public LocalizedElementSource {
public:
    explicit DeclarationSource(const char* xml) {
        EXPECT_EQ(0u, document.parse(xml, uint32_t(std::string(xml).size()), u"declarations"));
        for (XmlNode* node = document.root()->firstChild(); node; node = node->nextSibling()) {
            String id;
            (void)node->getAttribute(u"ID", &id, u"");
            elements[node->name().data() + std::u16string(u":") + id.data()] = node;
        }
    }
    Result getLocalizedElement(const char16_t* tag, const char16_t* id,
                               const XmlNode** element) override {
        *element = nullptr;
        auto found = elements.find(tag + std::u16string(u":") + (id ? id : u""));
        if (found == elements.end())
            return kResultNotFound;
        ++handedOut;
        *element = found->second;
        return kResultOk;
    }
    Result release(const void*) override {
        ++released;
        return kResultOk;
    }

    XmlDocument document;
    std::map<std::u16string, XmlNode*> elements;
    int handedOut = 0;
    int released = 0;
};

const char kDeclarations[] = R"(<Tool>
  <FileTypes>
    <FileType Extension=".vstone" Description="#OneDocument" IconIndex="2"/>
    <Comment>skipped: not a FileType</Comment>
    <FileType Extension=".vsttwo" Description="Two Document"/>
  </FileTypes>
  <CustomProtocols>
    <Protocol Name="vorn-shell-test" Command="-Open: " Description="Tool Link" IconIndex="1"/>
  </CustomProtocols>
  <String ID="OneDocument">First Document</String>
</Tool>)";

// The elevation the registration sees, and what it asked to launch.
struct FakeElevation {
    static bool elevated;
    static Result childResult;
    static std::vector<std::u16string> events;

    static bool IsElevated() { return elevated; }
    static Result Launch(const char16_t* file, const char16_t* parameters) {
        events.push_back(u"launch " + std::u16string(file) + u" " + parameters);
        return childResult;
    }
    static void BeforeLaunch() { events.push_back(u"flush"); }

    static ShellElevation Make(bool isElevated) {
        elevated = isElevated;
        childResult = kResultOk;
        events.clear();
        ShellElevation elevation;
        elevation.isElevated = IsElevated;
        elevation.launchElevated = Launch;
        elevation.beforeLaunch = BeforeLaunch;
        return elevation;
    }
};
bool FakeElevation::elevated = true;
Result FakeElevation::childResult = kResultOk;
std::vector<std::u16string> FakeElevation::events;

class ShellRegistrationTest : public ::testing::Test {
protected:
    void SetUp() override { Clean(); }
    void TearDown() override { Clean(); }
    static void Clean() {
        for (const char16_t* key :
             {u".vstxyz", u"vstxyz_auto_file", u"VornShellTest.vstxyz", u"Other.vstxyz", u".vstone",
              u"VornShellTest.vstone", u".vsttwo", u"VornShellTest.vsttwo", u"vorn-shell-test"})
            DeleteClasses(key);
        DeleteKey(kRegistryLocalMachine, kAppPaths, u"Tool.exe");
        DeleteKey(kRegistryLocalMachine, kAppPaths, u"VornShellTool.exe");
        DeleteKey(kRegistryCurrentUser, kAppPaths, u"Tool.exe");
    }
};

TEST_F(ShellRegistrationTest, FileTypeKeysReplaceTheShellsOwnAssociation) {
    WriteClasses(u"vstxyz_auto_file", u"", u"the shell's association");
    WriteClasses(u".vstxyz", u"", u"vstxyz_auto_file");
    ShellRegistration registration(kName, kExecutable, nullptr);
    EXPECT_EQ(u"VornShellTest.vstxyz", registration.programIdentifier(u".vstxyz"));
    ASSERT_EQ(0u, registration.registerFileType(u".vstxyz", u"Test Document", 3));

    EXPECT_FALSE(ClassesKeyExists(u"vstxyz_auto_file"));
    ExpectValues({
        {u".vstxyz", u"", u"VornShellTest.vstxyz"},
        {u"VornShellTest.vstxyz", u"", u"Test Document"},
        {u"VornShellTest.vstxyz\\DefaultIcon", u"",
         u"\"C:\\Program Files\\Vorn Shell Test\\Tool.exe\",3"},
        {u"VornShellTest.vstxyz\\shell\\open\\command", u"",
         u"\"C:\\Program Files\\Vorn Shell Test\\Tool.exe\" \"%1\""},
    });

    ASSERT_EQ(0u, registration.unregisterFileType(u".vstxyz"));
    EXPECT_FALSE(ClassesKeyExists(u".vstxyz"));
    EXPECT_FALSE(ClassesKeyExists(u"VornShellTest.vstxyz"));
    EXPECT_EQ(0u, registration.unregisterFileType(u".vstxyz")) << "nothing left is no failure";
}

TEST_F(ShellRegistrationTest, UnregisterLeavesAnExtensionAnotherProgramTookOver) {
    ShellRegistration registration(kName, kExecutable, nullptr);
    ASSERT_EQ(0u, registration.registerFileType(u".vstxyz", u"Test Document", 0));
    WriteClasses(u".vstxyz", u"", u"Other.vstxyz");
    WriteClasses(u"Other.vstxyz", u"", u"Other Document");

    ASSERT_EQ(0u, registration.unregisterFileType(u".vstxyz"));
    EXPECT_EQ(u"Other.vstxyz", ReadClasses(u".vstxyz"));
    EXPECT_EQ(u"Other Document", ReadClasses(u"Other.vstxyz"));
    EXPECT_FALSE(ClassesKeyExists(u"VornShellTest.vstxyz"));

    // The program identifier is compared exactly, case included.
    ASSERT_EQ(0u, registration.registerFileType(u".vstxyz", u"Test Document", 0));
    WriteClasses(u".vstxyz", u"", u"vornshelltest.vstxyz");
    ASSERT_EQ(0u, registration.unregisterFileType(u".vstxyz"));
    EXPECT_EQ(u"vornshelltest.vstxyz", ReadClasses(u".vstxyz"));
}

TEST_F(ShellRegistrationTest, ProtocolKeysPutTheCommandBeforeTheQuotedUrl) {
    ShellRegistration registration(kName, kExecutable, nullptr);
    ASSERT_EQ(0u, registration.registerProtocol(u"vorn-shell-test", u"-Open: ", u"Tool Link", 4));
    ExpectValues({
        {u"vorn-shell-test", u"URL Protocol", u""},
        {u"vorn-shell-test", u"", u"URL:Tool Link"},
        {u"vorn-shell-test\\DefaultIcon", u"",
         u"\"C:\\Program Files\\Vorn Shell Test\\Tool.exe\",4"},
        {u"vorn-shell-test\\shell\\open\\command", u"",
         u"\"C:\\Program Files\\Vorn Shell Test\\Tool.exe\" -Open: \"%1\""},
    });
    ASSERT_EQ(0u, registration.unregisterProtocol(u"vorn-shell-test"));
    EXPECT_FALSE(ClassesKeyExists(u"vorn-shell-test"));
    EXPECT_EQ(0u, registration.unregisterProtocol(u"vorn-shell-test"));
}

// Every one of these would write or delete a key other than the program's
// own, the classes root itself included.
TEST_F(ShellRegistrationTest, UnsafeNamesAreRefusedAndTouchNothing) {
    WriteClasses(u".vstxyz", u"", u"kept");
    ShellRegistration registration(kName, kExecutable, nullptr);
    const char16_t* const extensions[] = {nullptr, u"", u".", u"vstxyz", u".a\\b", u"./b", u"..\\"};
    for (const char16_t* extension : extensions) {
        EXPECT_EQ(5u, registration.registerFileType(extension, u"D", 0)) << ToPrintable(extension);
        EXPECT_EQ(5u, registration.unregisterFileType(extension)) << ToPrintable(extension);
    }
    EXPECT_EQ(5u, registration.registerFileType(u".vstxyz", nullptr, 0));
    const char16_t* const schemes[] = {nullptr, u"", u"a\\b", u"a/b"};
    for (const char16_t* scheme : schemes) {
        EXPECT_EQ(5u, registration.registerProtocol(scheme, u"", u"D", 0)) << ToPrintable(scheme);
        EXPECT_EQ(5u, registration.unregisterProtocol(scheme)) << ToPrintable(scheme);
    }
    EXPECT_EQ(5u, registration.registerProtocol(u"vorn-shell-test", nullptr, u"D", 0));
    EXPECT_EQ(5u, registration.registerProtocol(u"vorn-shell-test", u"", nullptr, 0));

    ShellRegistration nameless(u"", kExecutable, nullptr);
    EXPECT_EQ(5u, nameless.registerFileType(u".vstxyz", u"D", 0));
    EXPECT_EQ(5u, nameless.unregisterFileType(u".vstxyz")) << "it would delete the extension";

    EXPECT_EQ(u"kept", ReadClasses(u".vstxyz"));
    EXPECT_FALSE(ClassesKeyExists(u"vorn-shell-test"));
}

TEST_F(ShellRegistrationTest, DeclaredTypesAndProtocolsRegisterAndUnregister) {
    DeclarationSource source(kDeclarations);
    ShellRegistration registration(kName, kExecutable, &source);
    registration.setElevation(FakeElevation::Make(true));
    ASSERT_EQ(0u, registration.registerShellTypes(true, false));
    EXPECT_TRUE(FakeElevation::events.empty()) << "elevated: no second process";
    ExpectValues({
        {u".vstone", u"", u"VornShellTest.vstone"},
        {u"VornShellTest.vstone", u"", u"First Document"},
        {u"VornShellTest.vstone\\DefaultIcon", u"",
         u"\"C:\\Program Files\\Vorn Shell Test\\Tool.exe\",2"},
        {u".vsttwo", u"", u"VornShellTest.vsttwo"},
        {u"VornShellTest.vsttwo", u"", u"Two Document"},
        {u"VornShellTest.vsttwo\\DefaultIcon", u"",
         u"\"C:\\Program Files\\Vorn Shell Test\\Tool.exe\",0"},
        {u"vorn-shell-test", u"", u"URL:Tool Link"},
        // The XML reader simplifies attribute values, so the declared
        // trailing blank is gone: the URL becomes the switch's value.
        {u"vorn-shell-test\\shell\\open\\command", u"",
         u"\"C:\\Program Files\\Vorn Shell Test\\Tool.exe\" -Open:\"%1\""},
    });
    EXPECT_EQ(kExecutable, ReadText(kRegistryLocalMachine, String(kAppPaths) + u"Tool.exe", u""));
    EXPECT_FALSE(ClassesKeyExists(u"VornShellTest.Comment"));

    ASSERT_EQ(0u, registration.registerShellTypes(false, false));
    for (const char16_t* key : {u".vstone", u"VornShellTest.vstone", u".vsttwo",
                                u"VornShellTest.vsttwo", u"vorn-shell-test"})
        EXPECT_FALSE(ClassesKeyExists(key)) << ToPrintable(key);
    EXPECT_FALSE(KeyExists(kRegistryLocalMachine, String(kAppPaths) + u"Tool.exe"));
    EXPECT_EQ(source.handedOut, source.released) << "every element handed back";
}

TEST_F(ShellRegistrationTest, ForTheCurrentUserAloneTheUsersOwnKeysWithoutRights) {
    DeclarationSource source(kDeclarations);
    ShellRegistration registration(kName, kExecutable, &source);
    registration.setElevation(FakeElevation::Make(false));
    registration.setScope(InstallScope::User);
    const String userClasses = u"Software\\Classes\\";
    ASSERT_EQ(0u, registration.registerShellTypes(true, false));
    EXPECT_TRUE(FakeElevation::events.empty()) << "nothing asks for rights";
    EXPECT_EQ(u"VornShellTest.vstone",
              ReadText(kRegistryCurrentUser, userClasses + u".vstone", u""));
    EXPECT_EQ(u"URL:Tool Link",
              ReadText(kRegistryCurrentUser, userClasses + u"vorn-shell-test", u""));
    EXPECT_EQ(kExecutable, ReadText(kRegistryCurrentUser, String(kAppPaths) + u"Tool.exe", u""));
    EXPECT_FALSE(KeyExists(kRegistryLocalMachine, u"Software\\Classes\\.vstone"));
    EXPECT_FALSE(KeyExists(kRegistryLocalMachine, String(kAppPaths) + u"Tool.exe"));

    ASSERT_EQ(0u, registration.registerShellTypes(false, false));
    for (const char16_t* key : {u".vstone", u"VornShellTest.vstone", u"vorn-shell-test"})
        EXPECT_FALSE(KeyExists(kRegistryCurrentUser, userClasses + key)) << ToPrintable(key);
    EXPECT_FALSE(KeyExists(kRegistryCurrentUser, String(kAppPaths) + u"Tool.exe"));
    EXPECT_TRUE(FakeElevation::events.empty());
}

TEST_F(ShellRegistrationTest, NotElevatedRefusesOrHandsOverToAnElevatedCopy) {
    DeclarationSource source(kDeclarations);
    ShellRegistration registration(kName, kExecutable, &source);
    const struct {
        bool registering;
        bool allowElevation;
        uint32_t childResult;
        uint32_t expected;
        const char16_t* launch; // null: no launch
    } cases[] = {
        {true, false, 0, 17, nullptr},
        {false, false, 0, 17, nullptr},
        {true, true, 0, 0,
         u"launch C:\\Program Files\\Vorn Shell Test\\Tool.exe /RegisterFileTypes"},
        {false, true, 42, 42,
         u"launch C:\\Program Files\\Vorn Shell Test\\Tool.exe /UnregisterFileTypes"},
        {true, true, 8, 8,
         u"launch C:\\Program Files\\Vorn Shell Test\\Tool.exe /RegisterFileTypes"},
    };
    for (const auto& test : cases) {
        registration.setElevation(FakeElevation::Make(false));
        FakeElevation::childResult = Result(test.childResult);
        EXPECT_EQ(test.expected,
                  registration.registerShellTypes(test.registering, test.allowElevation));
        std::vector<std::u16string> expected;
        if (test.launch)
            expected = {u"flush", test.launch}; // the copy must see our preferences
        EXPECT_EQ(expected, FakeElevation::events);
        EXPECT_FALSE(ClassesKeyExists(u".vstone")) << "this process writes nothing";
        EXPECT_FALSE(KeyExists(kRegistryLocalMachine, String(kAppPaths) + u"Tool.exe"));
    }
    EXPECT_EQ(0, source.handedOut) << "declarations are the elevated copy's business";
}

TEST_F(ShellRegistrationTest, BadDeclarationsStopBeforeAnythingIsWritten) {
    const struct {
        const char* xml;
        uint32_t expected;
    } cases[] = {
        {R"(<T><FileTypes><FileType Extension=".vstone" Description="A"/>
              <FileType Description="no extension"/></FileTypes></T>)",
         6},
        {R"(<T><FileTypes><FileType Extension=".vstone"/></FileTypes></T>)", 6},
        {R"(<T><FileTypes><FileType Extension=".vstone" Description="A"/></FileTypes>
              <CustomProtocols><Protocol Name="vorn-shell-test" Description="L"/>
              </CustomProtocols></T>)",
         6},
        {R"(<T><FileTypes><FileType Extension=".vstone" Description="A"/></FileTypes>
              <CustomProtocols><Protocol Name="" Command="" Description="L"/>
              </CustomProtocols></T>)",
         5},
        {R"(<T><FileTypes><FileType Extension="vstone" Description="A"/></FileTypes></T>)", 5},
    };
    for (const auto& test : cases) {
        Clean();
        DeclarationSource source(test.xml);
        ShellRegistration registration(kName, kExecutable, &source);
        registration.setElevation(FakeElevation::Make(true));
        EXPECT_EQ(test.expected, registration.registerShellTypes(true, false)) << test.xml;
        EXPECT_FALSE(ClassesKeyExists(u".vstone")) << test.xml;
        EXPECT_FALSE(ClassesKeyExists(u"VornShellTest.vstone")) << test.xml;
        EXPECT_FALSE(KeyExists(kRegistryLocalMachine, String(kAppPaths) + u"Tool.exe"));
        EXPECT_EQ(source.handedOut, source.released);
    }
}

TEST_F(ShellRegistrationTest, MissingDeclarationsAreEmptyLists) {
    DeclarationSource source("<T><String ID=\"X\">x</String></T>");
    ShellRegistration registration(kName, kExecutable, &source);
    registration.setElevation(FakeElevation::Make(true));
    EXPECT_EQ(0u, registration.registerShellTypes(true, false));
    EXPECT_EQ(kExecutable, ReadText(kRegistryLocalMachine, String(kAppPaths) + u"Tool.exe", u""))
        << "the App Paths entry does not depend on declarations";
}

TEST_F(ShellRegistrationTest, AppPathReplacesAnOldEntry) {
    const String key = String(kAppPaths) + u"VornShellTool.exe";
    {
        RegistryKey old;
        ASSERT_EQ(0u, old.open(kRegistryLocalMachine, (key + u"\\Stale").data()));
        ASSERT_EQ(0u, old.writeText(u"Left", u"over"));
    }
    ASSERT_EQ(0u, ShellRegistration::registerAppPath(u"C:\\Vorn Test\\VornShellTool.exe",
                                                     InstallScope::Machine));
    EXPECT_EQ(u"C:\\Vorn Test\\VornShellTool.exe", ReadText(kRegistryLocalMachine, key, u""));
    EXPECT_EQ(u"C:\\Vorn Test", ReadText(kRegistryLocalMachine, key, u"Path"));
    EXPECT_FALSE(KeyExists(kRegistryLocalMachine, key + u"\\Stale"));

    ASSERT_EQ(0u,
              ShellRegistration::registerAppPath(u"C:\\VornShellTool.exe", InstallScope::Machine));
    EXPECT_EQ(u"C:\\", ReadText(kRegistryLocalMachine, key, u"Path")) << "a drive root";

    ShellRegistration::unregisterAppPath(u"C:\\Vorn Test\\VornShellTool.exe",
                                         InstallScope::Machine);
    EXPECT_FALSE(KeyExists(kRegistryLocalMachine, key));
    ShellRegistration::unregisterAppPath(u"C:\\Vorn Test\\VornShellTool.exe",
                                         InstallScope::Machine); // missing: quiet
    ShellRegistration::unregisterAppPath(nullptr, InstallScope::Machine);
    ShellRegistration::unregisterAppPath(u"C:\\Folder\\", InstallScope::Machine);
    EXPECT_TRUE(KeyExists(kRegistryLocalMachine, u"Software\\Microsoft\\Windows\\CurrentVersion"
                                                 u"\\App Paths"))
        << "an empty file name must not remove the whole list";

    EXPECT_EQ(15u, ShellRegistration::registerAppPath(nullptr, InstallScope::Machine));
    EXPECT_EQ(31u, ShellRegistration::registerAppPath(u"VornShellTool.exe", InstallScope::Machine));
    EXPECT_EQ(31u, ShellRegistration::registerAppPath(u"C:\\Folder\\", InstallScope::Machine));
}

} // namespace
} // namespace vorn
