// What the welcome page says of the installed version, and which change a
// setup that nobody watches refuses.
#include <gtest/gtest.h>

#include "Applications/VornSetup/VersionChange.h"
#include "TestText.h"

namespace vornsetup {
namespace {

using vorn::InstallScope;

TEST(VersionChange, OfInstalledAndOfferedVersions) {
    const struct {
        const char16_t* installed;
        const char16_t* offered;
        VersionChange change;
    } cases[] = {
        {u"", u"2.0.0", VersionChange::Fresh}, // an entry without a version
        {u"1.0.0", u"2.0.0", VersionChange::Update},
        {u"1.9", u"1.10", VersionChange::Update}, // numbers, not letters
        {u"1.5 Beta 1", u"1.5 Beta 2", VersionChange::Update},
        {u"1.5 Beta", u"1.5", VersionChange::Update},
        {u"2.0.0", u"2.0.0", VersionChange::Reinstall},
        {u"2.0.0", u"1.0.0", VersionChange::Downgrade},
        {u"1.10", u"1.9 Beta", VersionChange::Downgrade},
    };
    for (const auto& entry : cases)
        EXPECT_EQ(int(entry.change), int(VersionChangeOf(entry.installed, entry.offered)))
            << vorn::ToPrintable(entry.installed) << " -> " << vorn::ToPrintable(entry.offered);
}

TEST(VersionChange, CountsOnlyTheEntryOfThisInstallationsScope) {
    InstallManifest manifest;
    manifest.version = u"1.0.0";
    manifest.installedVersion = u"2.0.0";
    manifest.installedScope = InstallScope::User;
    manifest.scope = InstallScope::User;
    EXPECT_EQ(VersionChange::Fresh, VersionChangeOf(manifest)) << "not installed";
    manifest.installed = true;
    EXPECT_EQ(VersionChange::Downgrade, VersionChangeOf(manifest));
    manifest.scope = InstallScope::Machine;
    EXPECT_EQ(VersionChange::Fresh, VersionChangeOf(manifest)) << "the other scope's entry";
    manifest.scope = InstallScope::User;
    manifest.version = u"2.0.0";
    manifest.tag = u"Beta";
    EXPECT_EQ(VersionChange::Update, VersionChangeOf(manifest)) << "compared as the list shows it";
}

TEST(VersionChange, TextsOfTheWelcomePage) {
    EXPECT_EQ(nullptr, VersionChangeText(VersionChange::Fresh));
    EXPECT_EQ(String(u"#VersionUpdate"), String(VersionChangeText(VersionChange::Update)));
    EXPECT_EQ(String(u"#VersionReinstall"), String(VersionChangeText(VersionChange::Reinstall)));
    EXPECT_EQ(String(u"#VersionDowngrade"), String(VersionChangeText(VersionChange::Downgrade)));
}

} // namespace
} // namespace vornsetup
