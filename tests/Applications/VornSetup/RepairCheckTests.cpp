// Which files a repair writes again, and where it is refused.
#include <gtest/gtest.h>

#include "Applications/VornSetup/RepairCheck.h"
#include "VornLib/app/ExitCodes.h"

namespace vornsetup {
namespace {

TEST(Repair, WritesAgainOnlyWhatIsMissingOrDiffers) {
    const FileFacts payload{true, 100, true, 0xCAFE};
    const struct {
        FileFacts installed;
        RepairReason reason;
        const char* what;
    } cases[] = {
        {{true, 100, true, 0xCAFE}, RepairReason::None, "the same bytes"},
        {{false, 0, false, 0}, RepairReason::Missing, "deleted"},
        {{true, 99, false, 0}, RepairReason::Changed, "another size, not read"},
        {{true, 100, true, 0xBEEF}, RepairReason::Changed, "the same size, other bytes"},
        {{true, 100, false, 0}, RepairReason::Changed, "bytes that could not be read"},
    };
    for (const auto& test : cases)
        EXPECT_EQ(test.reason, RepairReasonOf(payload, test.installed)) << test.what;
    // An entry without a checksum cannot vouch for a file of its size.
    EXPECT_EQ(RepairReason::Changed,
              RepairReasonOf({true, 100, false, 0}, {true, 100, true, 0xCAFE}));
}

TEST(Repair, PlansOnlyTheFilesItWrites) {
    InstallManifest manifest;
    manifest.installFolder = u"C:\\Apps\\Demo";
    manifest.keepsSetup = true;
    manifest.files = {{u"Demo.exe"}, {u"Help\\Readme.txt"}, {u"Data\\Table.bin"}};
    manifest.files[0].kept = true;
    manifest.files[2].kept = true;
    manifest.setupCopyKept = true;
    const vorn::InstallationPlan plan = manifest.installationPlan(false);
    ASSERT_EQ(1u, plan.product.files.size());
    EXPECT_EQ(String(u"Help\\Readme.txt"), plan.product.files[0]);
    ASSERT_EQ(3u, plan.kept.size());
    EXPECT_EQ(String(InstallManifest::kKeptSetup), plan.kept[2]);
    // The entry lists every file, whatever the repair wrote.
    EXPECT_EQ(4u, manifest.installedFiles().size());
    // An installation writes them all, and its setup.
    for (FileEntry& file : manifest.files)
        file.kept = false;
    manifest.setupCopyKept = false;
    EXPECT_EQ(4u, manifest.installationPlan(false).product.files.size());
    EXPECT_TRUE(manifest.installationPlan(false).kept.empty());
}

TEST(Repair, OnlyOfTheVersionInstalledInTheScope) {
    InstallManifest manifest;
    manifest.name = u"Demo";
    manifest.version = u"2.0.0";
    vorn::CommandLine repair;
    repair.parse(u"setup.exe /Repair");
    String refusal;
    EXPECT_EQ(Result(vorn::kExitNothingToRepair), CheckRepair(manifest, repair, &refusal));
    EXPECT_NE(-1, refusal.find(u"not installed"));
    manifest.installed = true;
    manifest.installedVersion = u"1.0.0";
    EXPECT_EQ(Result(vorn::kExitNothingToRepair), CheckRepair(manifest, repair, &refusal));
    EXPECT_NE(-1, refusal.find(u"1.0.0 is installed"));
    manifest.installedVersion = u"2.0.0";
    EXPECT_EQ(vorn::kResultOk, CheckRepair(manifest, repair, &refusal));
    manifest.installedScope = vorn::InstallScope::User; // the other scope's entry
    EXPECT_EQ(Result(vorn::kExitNothingToRepair), CheckRepair(manifest, repair, &refusal));
    vorn::CommandLine install;
    install.parse(u"setup.exe /Quiet");
    EXPECT_EQ(vorn::kResultOk, CheckRepair(manifest, install, &refusal));
    vorn::CommandLine moved;
    moved.parse(u"setup.exe /Repair /InstallFolder:C:\\Other");
    manifest.installedScope = manifest.scope;
    EXPECT_EQ(vorn::kResultInvalidArgument, CheckRepair(manifest, moved, &refusal));
}

} // namespace
} // namespace vornsetup
