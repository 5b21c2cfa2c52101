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

} // namespace
} // namespace vorn
