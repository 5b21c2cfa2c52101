#include <gtest/gtest.h>

#include "TestText.h"
#include "VornLib/app/Uninstaller.h"

namespace vorn {
namespace {

TEST(RemovalText, TitleJoinsNameAndVersionWithANoBreakSpace) {
    ApplicationDescription description;
    description.name = u"Tool";
    description.version = u"2.1";
    EXPECT_EQ(RemovalTitle(description), u"Tool\u00A02.1");
    description.tag = u"Beta 3";
    EXPECT_EQ(RemovalTitle(description), u"Tool\u00A02.1 Beta 3");
}

TEST(RemovalText, BatchFileNameFollowsTheTemporaryName) {
    EXPECT_EQ(RemovalBatchName(u"C:\\Temp\\vnl1A2B.tmp", u"Tool"),
              u"C:\\Temp\\vnl1A2B.tmp Tool Uninstall.cmd");
}

TEST(RemovalText, BatchFileWaitsRemovesTheEmptyFolderAndItself) {
    const String text = RemovalBatchText(u"C:\\PROGRA~1\\Tool\\", u"C:\\PROGRA~1\\Tool\\Tool.exe",
                                         u"C:\\Temp\\VNL1A2~1.CMD");
    EXPECT_EQ(text, u"@echo off\r\n"
                    u"cd\\\r\n"
                    u":loop\r\n"
                    u"del \"C:\\PROGRA~1\\Tool\\Tool.exe\"\r\n"
                    u"if exist \"C:\\PROGRA~1\\Tool\\Tool.exe\" goto loop\r\n"
                    u"rd \"C:\\PROGRA~1\\Tool\\\"\r\n"
                    u"del \"C:\\Temp\\VNL1A2~1.CMD\"");
    // Files the user keeps in the folder are never matched by a pattern.
    EXPECT_LT(text.find(u'*'), 0);
    EXPECT_LT(text.find(u'?'), 0);
}

TEST(RemovalText, BatchFileInAFolderOfItsOwnTakesTheFolderAlong) {
    const String text = RemovalBatchText(u"C:\\PROGRA~1\\Tool\\", u"C:\\PROGRA~1\\Tool\\Tool.exe",
                                         u"C:\\Windows\\Temp\\VORNLI~1\\TOOLUN~1.CMD",
                                         u"C:\\Windows\\Temp\\VORNLI~1\\");
    EXPECT_EQ(text,
              u"@echo off\r\n"
              u"cd\\\r\n"
              u":loop\r\n"
              u"del \"C:\\PROGRA~1\\Tool\\Tool.exe\"\r\n"
              u"if exist \"C:\\PROGRA~1\\Tool\\Tool.exe\" goto loop\r\n"
              u"rd \"C:\\PROGRA~1\\Tool\\\"\r\n"
              u"move /y \"C:\\Windows\\Temp\\VORNLI~1\\TOOLUN~1.CMD\" "
              u"\"C:\\Windows\\Temp\\VORNLI~1.cmd\" >nul & "
              u"rd \"C:\\Windows\\Temp\\VORNLI~1\" & del \"C:\\Windows\\Temp\\VORNLI~1.cmd\"");
}

} // namespace
} // namespace vorn
