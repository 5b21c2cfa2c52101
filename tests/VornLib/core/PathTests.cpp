#include <gtest/gtest.h>

#include "TestText.h"
#include "VornLib/core/Path.h"

namespace vorn {
namespace {

TEST(PathText, JoinAndNormalise) {
    EXPECT_EQ(JoinPath(u"C:\\A", u"b/c.txt"), u"C:\\A\\b\\c.txt");
    EXPECT_EQ(JoinPath(u"C:\\A\\", u"b.txt"), u"C:\\A\\b.txt");
    EXPECT_EQ(JoinPath(u"C:\\A\\", u"\\b.txt"), u"C:\\A\\b.txt");
    EXPECT_EQ(JoinPath(u"C:/A", u""), u"C:\\A");
    EXPECT_EQ(JoinPath(u"", u"b.txt"), u"b.txt");

    EXPECT_EQ(NormalisedFolder(u"C:/Program Files/Vorn"), u"C:\\Program Files\\Vorn\\");
    EXPECT_EQ(NormalisedFolder(u"C:\\Vorn\\\\"), u"C:\\Vorn\\");
    EXPECT_EQ(NormalisedFolder(u""), u"");

    EXPECT_EQ(ParentFolder(u"C:\\A\\b.txt"), u"C:\\A\\");
    EXPECT_EQ(ParentFolder(u"b.txt"), u"");
    EXPECT_EQ(FileNameOf(u"C:\\A/b.txt"), u"b.txt");
    EXPECT_EQ(FileNameOf(u"b.txt"), u"b.txt");
}

TEST(PathText, SamePathIgnoresCaseOfLettersAndSeparators) {
    EXPECT_TRUE(SamePath(u"C:\\Program Files\\Vorn", u"c:/program files/VORN/"));
    EXPECT_FALSE(SamePath(u"C:\\Vorn", u"C:\\Vorn2"));
    EXPECT_FALSE(SamePath(u"C:\\Vörn", u"C:\\VÖrn")) << "only A-Z are folded";
}

TEST(PathText, FolderValidity) {
    using P = FolderPathProblem;
    const struct {
        const char16_t* path;
        FolderPathProblem problem;
    } cases[] = {
        {u"C:\\Program Files\\Vorn", P::None},
        {u"D:/Apps", P::None},
        {u"relative\\folder", P::None},
        {u"", P::Empty},
        {u"\\\\server\\share", P::UnnamedPart},
        {u"C:\\a\\\\b", P::UnnamedPart},
        {u"C:\\a//b", P::UnnamedPart},
        {u"C:\\what?", P::ForbiddenCharacter},
        {u"C:\\a|b", P::ForbiddenCharacter},
        {u"C:\\\"quoted\"", P::ForbiddenCharacter},
        {u"1:\\digit", P::ForbiddenCharacter},
        {u"C:\\a:b", P::ForbiddenCharacter},
        {u"C:\\<x>", P::ForbiddenCharacter},
        {u"C:\\star*", P::ForbiddenCharacter},
        {u"C:\\Apps\\..\\Windows", P::UnnamedPart},
        {u"C:\\.\\Apps", P::UnnamedPart},
        {u"C:\\Demo.", P::UnnamedPart},
        {u"C:\\Demo \\x", P::UnnamedPart},
        {u"C:\\nul", P::DeviceName},
        {u"C:\\Apps\\Aux.txt\\x", P::DeviceName},
        {u"C:\\LPT9", P::DeviceName},
        {u"C:\\Conference\\COM10\\.x\\a..b", P::None},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(int(c.problem), int(FolderPathProblemOf(c.path))) << ToPrintable(c.path);
        EXPECT_EQ(c.problem == P::None, IsValidFolderPath(c.path)) << ToPrintable(c.path);
    }
}

TEST(PathText, RelativePathsThatStayInside) {
    for (const char16_t* inside : {u"VornDemo.exe", u"Help/Readme.txt", u"Help\\Readme.txt",
                                   u"a..b", u".hidden", u"x/..y/z"})
        EXPECT_TRUE(IsRelativeInside(inside)) << ToPrintable(inside);
    for (const char16_t* outside :
         {u"", u"..", u"../x", u"Help/../../x", u"a/./b", u"\\Windows\\x", u"/etc/x",
          u"C:\\Windows\\x", u"C:x", u"\\\\server\\share\\x", u"Help//x", u"Help/", u"a\\..\\.."})
        EXPECT_FALSE(IsRelativeInside(outside)) << ToPrintable(outside);
}

TEST(PathText, PathsInsideAFolder) {
    const String folder = u"C:\\Users\\Ann\\";
    for (const char16_t* inside : {u"C:\\Users\\Ann\\a.txt", u"c:/users/ann/Apps/Demo\\x.exe"})
        EXPECT_TRUE(IsPathInside(inside, folder)) << ToPrintable(inside);
    for (const char16_t* outside :
         {u"C:\\Users\\Ann", u"C:\\Users\\Ann\\", u"C:\\Users\\Anna\\a.txt",
          u"C:\\Users\\Ann\\..\\Bob\\a.txt", u"C:\\Users\\Ann\\Apps\\..\\..\\x",
          u"C:\\Windows\\win.ini", u"C:\\Users\\Ann\\\\server\\x", u"C:\\Users\\Ann\\D:\\x"})
        EXPECT_FALSE(IsPathInside(outside, folder)) << ToPrintable(outside);
    EXPECT_FALSE(IsPathInside(u"C:\\a.txt", u""));
}

} // namespace
} // namespace vorn
