// The options page's rules, which decide whether Install can be pressed.
#include <gtest/gtest.h>

#include "Applications/VornSetup/InstallOptions.h"
#include "TestText.h"

namespace vornsetup {
namespace {

struct PathCase {
    const char16_t* text;
    bool accepted;
};

TEST(InstallOptions, InstallFolder) {
    const PathCase cases[] = {
        {u"C:\\Tools\\App", true},
        {u"c:\\Program Files (x86)\\Vorn Software\\VornDemo", true},
        {u"D:/Games/App", true},
        {u"C:\\Tools\\App\\", false}, // trailing separator
        {u"C:\\Tools\\App/", false},
        {u"Tools\\App", false},       // relative
        {u"C:\\Tools\\\\App", false}, // doubled separator
        {u"C://Tools", false},
        {u"C:\\A|B", false},
        {u"C:\\A\"B", false},
        {u"C:\\A*", false},
        {u"C:\\A?", false},
        {u"C:\\<A>", false},
        {u"C:\\A:B", false}, // a colon elsewhere
        {u"1:\\App", false}, // no drive letter
        {u"\\\\server\\share\\App", false},
        {u"\\App", false}, // no drive
        {u"C:", false},    // the drive's current folder, wherever that is
        {u"C:Tools", false},
        {u"C", false},
        {u"", false},
    };
    for (const PathCase& entry : cases)
        EXPECT_EQ(entry.accepted, IsValidInstallFolder(entry.text))
            << vorn::ToPrintable(entry.text);
}

// The reason the options page gives for each kind of refused folder; the
// folder's drive comes first, the names' rules after it.
TEST(InstallOptions, InstallFolderProblem) {
    const struct {
        const char16_t* folder;
        const char16_t* problem;
    } cases[] = {
        {u"C:\\Tools\\App", nullptr},
        {u"Tools\\App", u"#FolderNotFullPath"},
        {u"", u"#FolderNotFullPath"},
        {u"C:", u"#FolderNotFullPath"},
        {u"C:\\", u"#FolderNotFullPath"},
        {u"C:Tools", u"#FolderNotFullPath"},
        {u"\\App", u"#FolderNotFullPath"},
        {u"\\\\server\\share\\App", u"#FolderNotFullPath"},
        {u"1:\\App", u"#FolderNotFullPath"},
        {u"C:\\Tools\\App\\", u"#FolderEndsWithSeparator"},
        {u"C:\\A|B", u"#FolderForbiddenCharacter"},
        {u"C:\\A:B", u"#FolderForbiddenCharacter"},
        {u"C:\\Tools\\\\App", u"#FolderUnnamedPart"},
        {u"C:\\Tools\\..\\App", u"#FolderUnnamedPart"},
        {u"C:\\App.", u"#FolderUnnamedPart"},
        {u"C:\\Tools\\CON", u"#FolderDeviceName"},
        {u"C:\\com1.txt\\App", u"#FolderDeviceName"},
    };
    for (const auto& entry : cases) {
        const char16_t* problem = InstallFolderProblem(entry.folder);
        EXPECT_EQ(String(entry.problem ? entry.problem : u""), String(problem ? problem : u""))
            << vorn::ToPrintable(entry.folder);
    }
}

TEST(InstallOptions, ProgramGroup) {
    const PathCase cases[] = {
        {u"Vendor\\App", true},    {u"VornDemo", true},   {u"A", true},     {u"\\App", false},
        {u"Vendor\\", false},      {u"C:\\Start", false}, {u"/App", false}, {u"Ven|dor", false},
        {u"Vendor\\\\App", false}, {u"", false},
    };
    for (const PathCase& entry : cases)
        EXPECT_EQ(entry.accepted, IsValidProgramGroup(entry.text)) << vorn::ToPrintable(entry.text);
}

TEST(InstallOptions, RelativeRule) {
    EXPECT_TRUE(IsRelativePath(u"\\")) << "one character counts as relative";
    EXPECT_TRUE(IsRelativePath(u"C"));
    EXPECT_FALSE(IsRelativePath(u"C:"));
    EXPECT_FALSE(IsRelativePath(u"/x"));
    EXPECT_TRUE(IsRelativePath(u"x/"));
}

TEST(InstallOptions, SpaceRequiredRoundsUpToWholeMiB) {
    EXPECT_EQ(0u, SpaceRequiredMiB(0));
    EXPECT_EQ(1u, SpaceRequiredMiB(1));
    EXPECT_EQ(1u, SpaceRequiredMiB(1u << 20));
    EXPECT_EQ(2u, SpaceRequiredMiB((1u << 20) + 1));
    EXPECT_EQ(4096u, SpaceRequiredMiB(uint64_t(4) << 30));
}

TEST(InstallOptions, PickedGroupGetsTheProgramsOwnFolder) {
    EXPECT_EQ(String(u"Games\\VornDemo"), GroupAfterPick(u"Games", u"VornDemo"));
    EXPECT_TRUE(IsValidProgramGroup(GroupAfterPick(u"Games", u"VornDemo")));
}

} // namespace
} // namespace vornsetup
