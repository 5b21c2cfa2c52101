// The preferences store over the real registry (under Wine in the automated runs).
#include <gtest/gtest.h>

#include "TestText.h"
#include "VornLib/core/PreferencesStore.h"
#include "VornLib/core/RegistryKey.h"

namespace vorn {
namespace {

class PreferencesRegistryTest : public ::testing::Test {
protected:
    void TearDown() override {
        RegistryKey software;
        (void)software.open(kRegistryCurrentUser, u"Software");
        (void)software.deleteSubkeyTree(u"VornLib Prefs Test");
    }
    RegistryPreferenceStorage storage;
    const String base = u"Software\\VornLib Prefs Test\\Demo\\";
};

TEST_F(PreferencesRegistryTest, FlushWritesRegistryTypesAndReadsBack) {
    {
        PreferencesStore store(&storage, nullptr, base);
        (void)store.setFloat32(u"/User/Local/Zoom", 0.5f);
        (void)store.setBoolean(u"/User/Global/InstallOptions/CreateDesktopShortcut", true);
        (void)store.setInt32(u"/User/Local/AnalyticsSampleRate", 40);
        (void)store.setText(u"/User/Global/Language", u"de");
        ASSERT_EQ(0u, store.flush());
    }
    RegistryKey local;
    ASSERT_EQ(0u, local.open(kRegistryCurrentUser, u"Software\\VornLib Prefs Test\\Demo\\Local"));
    String zoom;
    EXPECT_EQ(0u, local.readText(u"Zoom", &zoom));
    EXPECT_EQ(zoom, u"0.5");
    int32_t rate = 0;
    EXPECT_EQ(0u, local.readInt32(u"AnalyticsSampleRate", &rate));
    EXPECT_EQ(40, rate);

    PreferencesStore fresh(&storage, nullptr, base);
    bool desktop = false;
    EXPECT_EQ(0u, fresh.getBoolean(u"/User/Global/InstallOptions/CreateDesktopShortcut", &desktop));
    EXPECT_TRUE(desktop);
    float zoomValue = 0;
    EXPECT_EQ(0u, fresh.getFloat32(u"/User/Local/Zoom", &zoomValue));
    EXPECT_FLOAT_EQ(0.5f, zoomValue);
    String language;
    EXPECT_EQ(0u, fresh.getText(u"/User/Global/Language", &language));
    EXPECT_EQ(language, u"de");
    PreferencesStore other(&storage, nullptr, base);
    int32_t wrongKind = 0;
    EXPECT_EQ(29u, other.getInt32(u"/User/Global/Language", &wrongKind))
        << "a registry value of another type is not found";
}

TEST_F(PreferencesRegistryTest, PurgeDeletesTheSubkeyOnFlush) {
    {
        PreferencesStore store(&storage, nullptr, base);
        (void)store.setText(u"/User/Local/Recent Files/File1/Name", u"C:\\a.vdm");
        (void)store.setText(u"/User/Local/Recent Files/File2/Name", u"C:\\b.vdm");
        ASSERT_EQ(0u, store.flush());
    }
    PreferencesStore store(&storage, nullptr, base);
    ASSERT_EQ(0u, store.purge(u"/User/Local/Recent Files"));
    (void)store.setText(u"/User/Local/Recent Files/File1/Name", u"C:\\c.vdm");
    ASSERT_EQ(0u, store.flush());

    RegistryKey second;
    (void)second.open(kRegistryCurrentUser,
                      u"Software\\VornLib Prefs Test\\Demo\\Local\\Recent Files\\File2");
    EXPECT_FALSE(second.exists());
    PreferencesStore fresh(&storage, nullptr, base);
    String name;
    EXPECT_EQ(0u, fresh.recentFile(0, &name, nullptr));
    EXPECT_EQ(name, u"C:\\c.vdm");
    EXPECT_EQ(37u, fresh.recentFile(1, &name, nullptr));
}

} // namespace
} // namespace vorn
