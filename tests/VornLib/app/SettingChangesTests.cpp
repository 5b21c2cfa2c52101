// Declared settings made in the test prefix's registry: a roll-back puts back
// exactly what was there (a value of someone else's with its bytes, no key
// left that the installation made), an update carries what the previous
// version owned, and a removal takes away its own and nothing else: a PATH
// entry added by another program since stays, in its place, and so does a
// folder that was on PATH before the installation.
#include <gtest/gtest.h>

#include "VornLib/core/Win32.h"

#include <vector>

#include "VornLib/app/SettingChanges.h"
#include "VornLib/core/RegistryKey.h"

namespace vorn {
namespace {

constexpr char16_t kTestKey[] = u"Software\\VornSettingTests";

SettingDeclaration Value(const char16_t* key, const char16_t* name, RegistryKind kind,
                         const char16_t* data) {
    SettingDeclaration declaration;
    declaration.key = key;
    declaration.name = name;
    declaration.kind = kind;
    declaration.data = data;
    return declaration;
}

SettingDeclaration PathEntry(const char16_t* folder) {
    SettingDeclaration declaration;
    declaration.pathEntry = true;
    declaration.place = SettingPlace::Environment;
    declaration.data = folder;
    return declaration;
}

SettingDeclaration Variable(const char16_t* name, const char16_t* value) {
    SettingDeclaration declaration = Value(u"", name, RegistryKind::ExpandString, value);
    declaration.place = SettingPlace::Environment;
    return declaration;
}

class SettingChangesTest : public ::testing::Test {
protected:
    void SetUp() override {
        values_[Placeholder::InstallFolder] = u"C:\\Vorn Hello";
        clean();
        // Someone else's PATH, which every change must keep.
        ASSERT_EQ(0u, environment().writeText(u"Path", u"C:\\Windows;C:\\Other"));
    }
    void TearDown() override { clean(); }

    void clean() {
        RegistryKey software;
        ASSERT_EQ(0u, software.open(kRegistryCurrentUser, u"Software"));
        (void)software.deleteSubkeyTree(u"VornSettingTests");
        (void)environment().deleteValue(u"Path");
        (void)environment().deleteValue(u"VORN_HELLO_HOME");
    }
    RegistryKey environment() {
        RegistryKey key;
        EXPECT_EQ(0u, key.open(kRegistryCurrentUser, u"Environment"));
        return key;
    }
    // A text value of either kind (a variable is expandable).
    String text(const char16_t* key, const char16_t* name) {
        RegistryKey opened;
        uint32_t type = 0;
        std::vector<uint8_t> bytes;
        EXPECT_EQ(0u, opened.open(kRegistryCurrentUser, key));
        if (opened.readStored(name, &type, &bytes) != kResultOk)
            return u"(none)";
        EXPECT_TRUE(type == REG_SZ || type == REG_EXPAND_SZ) << type;
        return String(reinterpret_cast<const char16_t*>(bytes.data()));
    }
    String path() {
        String value;
        return environment().readText(u"Path", &value) == kResultOk ? value : String(u"(none)");
    }
    bool keyExists(const char16_t* key) {
        RegistryKey opened;
        EXPECT_EQ(0u, opened.open(kRegistryCurrentUser, key));
        return opened.exists();
    }
    Result apply(const std::vector<SettingDeclaration>& declarations,
                 const std::vector<String>& previous, std::vector<String>* records,
                 std::vector<String>* owned) {
        SettingChanges changes(InstallScope::User);
        return changes.apply(
            declarations, values_, previous,
            [records](const String& record) {
                records->push_back(record);
                return kResultOk;
            },
            owned);
    }

    PlaceholderValues values_;
    const std::vector<SettingDeclaration> first_ = {
        Value(u"Software\\VornSettingTests\\Hello\\Paths", u"Home", RegistryKind::String,
              u"{InstallFolder}"),
        Value(u"Software\\VornSettingTests", u"Shared", RegistryKind::DWord, u"7"),
        PathEntry(u"{InstallFolder}\\bin"),
        Variable(u"VORN_HELLO_HOME", u"{InstallFolder}"),
    };
};

TEST_F(SettingChangesTest, ARollBackPutsBackWhatWasThere) {
    // Someone else's value, of another kind, where a declared one goes.
    RegistryKey shared;
    ASSERT_EQ(0u, shared.open(kRegistryCurrentUser, kTestKey));
    ASSERT_EQ(0u, shared.writeText(u"Shared", u"theirs"));
    std::vector<String> records;
    std::vector<String> owned;
    ASSERT_EQ(0u, apply(first_, {}, &records, &owned));
    EXPECT_EQ(String(u"C:\\Vorn Hello"),
              text(u"Software\\VornSettingTests\\Hello\\Paths", u"Home"));
    EXPECT_EQ(String(u"C:\\Windows;C:\\Other;C:\\Vorn Hello\\bin"), path());
    EXPECT_EQ(String(u"C:\\Vorn Hello"), text(u"Environment", u"VORN_HELLO_HOME"));
    int32_t number = 0;
    EXPECT_EQ(0u, shared.readInt32(u"Shared", &number));
    EXPECT_EQ(7, number);
    // Two keys made, two values, a variable and a PATH entry owned.
    EXPECT_EQ(6u, owned.size());

    SettingChanges(InstallScope::User).undo(records);
    EXPECT_EQ(String(u"theirs"), text(kTestKey, u"Shared"));
    EXPECT_FALSE(keyExists(u"Software\\VornSettingTests\\Hello"));
    EXPECT_TRUE(keyExists(kTestKey)) << "it was there before";
    EXPECT_EQ(String(u"C:\\Windows;C:\\Other"), path());
    EXPECT_EQ(String(u"(none)"), text(u"Environment", u"VORN_HELLO_HOME"));
}

TEST_F(SettingChangesTest, AnUpdateCarriesWhatThePreviousVersionOwned) {
    std::vector<String> records;
    std::vector<String> firstOwned;
    ASSERT_EQ(0u, apply(first_, {}, &records, &firstOwned));
    // The next version keeps the PATH entry, drops the variable and a value,
    // and writes a new value.
    const std::vector<SettingDeclaration> second = {
        PathEntry(u"{InstallFolder}\\bin"),
        Value(u"Software\\VornSettingTests\\Hello\\Paths", u"Home", RegistryKind::String,
              u"{InstallFolder}\\2"),
    };
    std::vector<String> updateRecords;
    std::vector<String> secondOwned;
    ASSERT_EQ(0u, apply(second, firstOwned, &updateRecords, &secondOwned));
    EXPECT_EQ(String(u"(none)"), text(u"Environment", u"VORN_HELLO_HOME"));
    EXPECT_EQ(String(u"(none)"), text(kTestKey, u"Shared"));
    EXPECT_EQ(String(u"C:\\Windows;C:\\Other;C:\\Vorn Hello\\bin"), path());
    // Still its own: the removal takes it away.
    SettingChanges(InstallScope::User).remove(secondOwned);
    EXPECT_EQ(String(u"C:\\Windows;C:\\Other"), path());
    EXPECT_FALSE(keyExists(kTestKey)) << "every key was the installation's";

    // A roll-back of the update puts the first version's settings back.
    ASSERT_EQ(0u, apply(first_, {}, &records, &firstOwned));
    updateRecords.clear();
    ASSERT_EQ(0u, apply(second, firstOwned, &updateRecords, &secondOwned));
    SettingChanges(InstallScope::User).undo(updateRecords);
    EXPECT_EQ(String(u"C:\\Vorn Hello"), text(u"Environment", u"VORN_HELLO_HOME"));
    EXPECT_EQ(String(u"C:\\Vorn Hello"),
              text(u"Software\\VornSettingTests\\Hello\\Paths", u"Home"));
    EXPECT_EQ(String(u"C:\\Windows;C:\\Other;C:\\Vorn Hello\\bin"), path());
}

TEST_F(SettingChangesTest, ARemovalTakesAwayItsOwnAndNothingElse) {
    // The folder of the second entry is on PATH before the installation.
    ASSERT_EQ(0u, environment().writeText(u"Path", u"C:\\Windows;C:\\Vorn Hello\\tools"));
    std::vector<SettingDeclaration> declarations = first_;
    declarations.push_back(PathEntry(u"{InstallFolder}\\tools\\"));
    std::vector<String> records;
    std::vector<String> owned;
    ASSERT_EQ(0u, apply(declarations, {}, &records, &owned));
    // Since then another program added its own entry, and a value of its own
    // in a key the installation made.
    ASSERT_EQ(0u, environment().writeText(
                      u"Path", u"C:\\Windows;C:\\Vorn Hello\\tools;C:\\Vorn Hello\\bin;D:\\Later"));
    RegistryKey theirs;
    ASSERT_EQ(0u, theirs.open(kRegistryCurrentUser, u"Software\\VornSettingTests\\Hello"));
    ASSERT_EQ(0u, theirs.writeText(u"Theirs", u"kept"));

    SettingChanges(InstallScope::User).remove(owned);
    EXPECT_EQ(String(u"C:\\Windows;C:\\Vorn Hello\\tools;D:\\Later"), path());
    EXPECT_EQ(String(u"kept"), text(u"Software\\VornSettingTests\\Hello", u"Theirs"));
    EXPECT_FALSE(keyExists(u"Software\\VornSettingTests\\Hello\\Paths"));
    EXPECT_EQ(String(u"(none)"), text(kTestKey, u"Shared"));
    EXPECT_EQ(String(u"(none)"), text(u"Environment", u"VORN_HELLO_HOME"));
}

TEST_F(SettingChangesTest, APlantedRecordNeverReachesOutsideItsPlace) {
    // A journal in the user's hive is the user's to write: records that name
    // another key or another action's place are passed over.
    RegistryKey run;
    ASSERT_EQ(0u, run.open(kRegistryCurrentUser, u"Control Panel\\VornSettingTests"));
    ASSERT_EQ(0u, run.writeText(u"Planted", u"theirs"));
    SettingChanges(InstallScope::User)
        .undo({u"VR30:Control Panel\\VornSettingTests7:Planted-", u"KE0:0:"});
    String value;
    EXPECT_EQ(0u, run.readText(u"Planted", &value));
    EXPECT_EQ(String(u"theirs"), value);
    EXPECT_EQ(String(u"C:\\Windows;C:\\Other"), path());
    RegistryKey panel;
    ASSERT_EQ(0u, panel.open(kRegistryCurrentUser, u"Control Panel"));
    EXPECT_EQ(0u, panel.deleteSubkeyTree(u"VornSettingTests"));
}

} // namespace
} // namespace vorn
