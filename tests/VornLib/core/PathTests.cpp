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
    const struct {
        const char16_t* path;
        bool valid;
    } cases[] = {
        {u"C:\\Program Files\\Vorn", true},
        {u"D:/Apps", true},
        {u"relative\\folder", true},
        {u"", false},
        {u"\\\\server\\share", false},
        {u"C:\\a\\\\b", false},
        {u"C:\\a//b", false},
        {u"C:\\what?", false},
        {u"C:\\a|b", false},
        {u"C:\\\"quoted\"", false},
        {u"1:\\digit", false},
        {u"C:\\a:b", false},
        {u"C:\\<x>", false},
        {u"C:\\star*", false},
        {u"C:\\Apps\\..\\Windows", false},
        {u"C:\\.\\Apps", false},
        {u"C:\\Demo.", false},
        {u"C:\\Demo \\x", false},
        {u"C:\\nul", false},
        {u"C:\\Apps\\Aux.txt\\x", false},
        {u"C:\\LPT9", false},
        {u"C:\\Conference\\COM10\\.x\\a..b", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.valid, IsValidFolderPath(c.path)) << ToPrintable(c.path);
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
