#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TestText.h"
#include "VornLib/app/Uninstaller.h"
#include "VornLib/core/Utf8.h"

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

// The names of the "%NAME%" references in a text; false when a reference is
// not inside double quotes (a quote right before and after it).
bool ReferencesAllQuoted(const String& text, std::vector<String>* names) {
    bool quoted = true;
    for (int32_t at = text.find(u'%'); at >= 0;) {
        const int32_t end = String(text.data() + at + 1).find(u'%');
        if (end < 0)
            return false;
        const uint32_t close = uint32_t(at) + 1 + uint32_t(end);
        names->push_back(text.mid(uint32_t(at) + 1, uint32_t(end)));
        quoted = quoted && at > 0 && text[uint32_t(at) - 1] == u'"' && close + 1 < text.length() &&
                 (text[close + 1] == u'"' || text.mid(close + 1, 5) == u".cmd\"");
        const int32_t next = String(text.data() + close + 1).find(u'%');
        at = next < 0 ? -1 : int32_t(close + 1) + next;
    }
    return quoted;
}

TEST(RemovalText, BatchFileHoldsNoPathAndQuotesEveryVariable) {
    for (const bool inFolderOfItsOwn : {false, true}) {
        SCOPED_TRACE(inFolderOfItsOwn);
        const String text = RemovalBatchText(inFolderOfItsOwn);
        for (uint32_t i = 0; i < text.length(); ++i)
            ASSERT_TRUE(text[i] == u'\r' || text[i] == u'\n' || (text[i] >= 0x20 && text[i] < 0x7F))
                << "unit " << i;
        // No drive, no folder, no pattern that could match the user's files.
        EXPECT_LT(text.find(u'\\'), 0);
        EXPECT_LT(text.find(u'*'), 0);
        EXPECT_LT(text.find(u'?'), 0);
        EXPECT_LT(text.find(u'!'), 0);
        std::vector<String> names;
        EXPECT_TRUE(ReferencesAllQuoted(text, &names));
        const std::vector<RemovalVariable> given = RemovalBatchVariables(
            u"C:\\A\\", u"C:\\A\\A.exe", u"C:\\T\\B.cmd", inFolderOfItsOwn ? u"C:\\T\\" : u"");
        for (const String& name : names) {
            bool known = name == u"VORN_REMOVAL_TRIES";
            for (const RemovalVariable& variable : given)
                known = known || name == variable.name;
            EXPECT_TRUE(known) << ToUtf8(name);
        }
        // Every deletion forced, so that a read-only file cannot keep it waiting.
        for (int32_t at = text.find(u"del "); at >= 0;) {
            EXPECT_TRUE(text.mid(uint32_t(at), 10) == u"del /f /q ");
            const int32_t next = String(text.data() + at + 1).find(u"del ");
            at = next < 0 ? -1 : at + 1 + next;
        }
    }
}

TEST(RemovalText, BatchFileWaitsASecondATurnAndGivesUp) {
    const String text = RemovalBatchText(false);
    EXPECT_GE(text.find(u":wait\r\n"), 0);
    EXPECT_GE(text.find(u"ping -n 2 127.0.0.1 >nul\r\ngoto wait\r\n"), 0);
    EXPECT_GE(text.find(u"if \"%VORN_REMOVAL_TRIES%\"==\"300\" goto removed\r\n"), 0);
    EXPECT_GE(text.find(u"set /a VORN_REMOVAL_TRIES+=1\r\n"), 0);
    EXPECT_LT(text.find(u"timeout"), 0);
}

TEST(RemovalText, BatchFileLeavesItsOwnFolderOnOneLineAndDeletesItselfLast) {
    const String alone = RemovalBatchText(false);
    EXPECT_EQ(alone.mid(uint32_t(alone.findLast(u'\n')) + 1),
              u"del /f /q \"%VORN_REMOVAL_BATCH%\"");
    const String inFolder = RemovalBatchText(true);
    const int32_t last = inFolder.findLast(u'\n');
    EXPECT_EQ(
        inFolder.mid(uint32_t(last) + 1),
        u"move /y \"%VORN_REMOVAL_BATCH%\" \"%VORN_REMOVAL_BATCH_FOLDER%.cmd\" >nul & "
        u"rd \"%VORN_REMOVAL_BATCH_FOLDER%\" & del /f /q \"%VORN_REMOVAL_BATCH_FOLDER%.cmd\"");
}

TEST(RemovalText, VariablesCarryEveryNameExactly) {
    const String folder = u"D:\\Apps\\\u0422\u0435\u0441\u0442 \u6D4B\u8BD5 %PATH% & ^ !x\\";
    const std::vector<RemovalVariable> variables = RemovalBatchVariables(
        folder, folder + u"Tool.exe", u"C:\\Windows\\Temp\\VornLib-Removal-1\\Tool Uninstall.cmd",
        u"C:\\Windows\\Temp\\VornLib-Removal-1\\");
    ASSERT_EQ(variables.size(), 4u);
    EXPECT_EQ(variables[0].value, folder + u"Tool.exe");
    EXPECT_EQ(variables[1].value, folder.left(folder.length() - 1));
    EXPECT_EQ(variables[3].value, u"C:\\Windows\\Temp\\VornLib-Removal-1");
    EXPECT_EQ(RemovalBatchVariables(folder, u"x", u"y").size(), 3u);
}

TEST(RemovalText, EnvironmentBlockReplacesInheritedNamesAndSorts) {
    const std::vector<String> inherited = {u"=C:=C:\\Temp", u"windir=C:\\Windows",
                                           u"vorn_removal_folder=C:\\Planted", u"Path=C:\\Bin"};
    const std::vector<RemovalVariable> variables = {{u"VORN_REMOVAL_FOLDER", u"C:\\\u0422 &"},
                                                    {u"VORN_REMOVAL_BATCH", u"C:\\B.cmd"}};
    const std::u16string block = RemovalEnvironmentBlock(inherited, variables);
    using namespace std::string_literals;
    EXPECT_EQ(RemovalEnvironmentBlock(inherited, variables),
              u"=C:=C:\\Temp\0Path=C:\\Bin\0VORN_REMOVAL_BATCH=C:\\B.cmd\0"
              u"VORN_REMOVAL_FOLDER=C:\\\u0422 &\0windir=C:\\Windows\0\0"s);
}

} // namespace
} // namespace vorn
