// Declared steps: read in order with their defaults, refused with line and
// column where the setup could not run them safely, expanded into the
// commands the journal and the entry keep, and those records read back
// exactly; a record that does not name a program by its full path is never
// taken for one.
#include <gtest/gtest.h>

#include <string>

#include "../core/XmlTestSupport.h"
#include "VornLib/app/StepDeclarations.h"
#include "VornLib/core/Utf8.h"

namespace vorn {
namespace {

Result Read(const std::string& inside, std::vector<StepDeclaration>* out, String* problem) {
    XmlDocument document;
    const std::string text =
        "<InstallationSettings>\n<Run>" + inside + "</Run></InstallationSettings>";
    EXPECT_EQ(0u, ParseText(document, text.c_str()));
    return ReadStepDeclarations(*document.root(), out, problem);
}

TEST(StepDeclarations, ReadsStepsInOrderWithTheirDefaults) {
    std::vector<StepDeclaration> read;
    String problem;
    ASSERT_EQ(0u, Read("<Step When=\"AfterInstall\" Program=\"{InstallFolder}\\bin\\reg.exe\" "
                       "Arguments=\"/register {Version}\" UndoArguments=\"/unregister\" "
                       "Hidden=\"false\" TimeoutSeconds=\"0x3c\" SuccessCodes=\"0,3010\"/>"
                       "<Step When=\"BeforeRemoval\" Program=\"{InstallFolder}\\stop.exe\"/>",
                       &read, &problem))
        << ToUtf8(problem);
    ASSERT_EQ(2u, read.size());
    EXPECT_EQ(StepTime::AfterInstall, read[0].when);
    EXPECT_FALSE(read[0].hidden);
    EXPECT_EQ(60u, read[0].timeoutSeconds);
    EXPECT_EQ((std::vector<uint32_t>{0, 3010}), read[0].successCodes);
    EXPECT_EQ(StepTime::BeforeRemoval, read[1].when);
    EXPECT_TRUE(read[1].hidden);
    EXPECT_EQ(300u, read[1].timeoutSeconds);
    EXPECT_EQ(std::vector<uint32_t>{0}, read[1].successCodes);

    PlaceholderValues values;
    values[Placeholder::InstallFolder] = u"C:\\Program Files\\Hello";
    values[Placeholder::Version] = u"2.1";
    StepCommand command;
    ASSERT_EQ(0u, CommandOfStep(read[0], values, false, &command));
    EXPECT_EQ(String(u"\"C:\\Program Files\\Hello\\bin\\reg.exe\" /register 2.1"),
              command.commandLine());
    EXPECT_TRUE(command.succeeded(3010));
    EXPECT_FALSE(command.succeeded(1));
    ASSERT_EQ(0u, CommandOfStep(read[0], values, true, &command));
    EXPECT_EQ(String(u"/unregister"), command.arguments);
}

TEST(StepDeclarations, RefusesWhatTheSetupCouldNotRunSafely) {
    const struct {
        const char* inside;
        uint32_t result;
        const char* problem;
    } cases[] = {
        {"<Step When=\"Later\" Program=\"{InstallFolder}\\a.exe\"/>", 5,
         "line 2, column 7: When \"Later\" is none of"},
        {"<Step When=\"AfterInstall\" Program=\"C:\\Windows\\a.exe\"/>", 5,
         "is not a program of the installation's own"},
        {"<Step When=\"AfterInstall\" Program=\"{InstallFolder}\\..\\a.exe\"/>", 5,
         "without \".\" or \"..\" parts"},
        {"<Step When=\"BeforeRemoval\" Program=\"{InstallFolder}\\a.exe\" UndoArguments=\"/u\"/>",
         5, "nothing undoes a removal"},
        {"<Step When=\"AfterInstall\" Program=\"{InstallFolder}\\a.exe\" TimeoutSeconds=\"0\"/>", 5,
         "TimeoutSeconds \"0\" is not a number from 1 to 86400"},
        {"<Step When=\"AfterInstall\" Program=\"{InstallFolder}\\a.exe\" SuccessCodes=\"0,\"/>", 5,
         "SuccessCodes \"0,\" is not a list of exit codes"},
        {"<Step When=\"AfterInstall\" Program=\"{InstallFolder}\\a.exe\" Hidden=\"yes\"/>", 5,
         "Hidden \"yes\" is neither"},
        {"<Step When=\"AfterInstall\" Program=\"{InstallFolder}\\a.exe\" Arguments=\"{Home}\"/>", 5,
         "names a value in braces other than"},
        {"<Step Program=\"{InstallFolder}\\a.exe\"/>", 6, "Step has no When"},
    };
    for (const auto& each : cases) {
        std::vector<StepDeclaration> read;
        String problem;
        EXPECT_EQ(each.result, Read(each.inside, &read, &problem)) << each.inside;
        EXPECT_NE(std::string::npos, ToUtf8(problem).find(each.problem))
            << each.inside << " → " << ToUtf8(problem);
        EXPECT_TRUE(read.empty());
    }
}

TEST(StepDeclarations, RecordsReadBackAndNeverNameAProgramByASearch) {
    StepCommand command;
    command.program = u"C:\\Hello 1\\reg.exe";
    command.arguments = u"/unregister \"a:b\" 12:";
    command.hidden = false;
    command.timeoutSeconds = 42;
    command.successCodes = {0, 0xC0000005u};
    StepCommand read;
    ASSERT_TRUE(DecodeStepCommand(EncodeStepCommand(command), &read));
    EXPECT_EQ(command.program, read.program);
    EXPECT_EQ(command.arguments, read.arguments);
    EXPECT_FALSE(read.hidden);
    EXPECT_EQ(42u, read.timeoutSeconds);
    EXPECT_EQ(command.successCodes, read.successCodes);

    const String encoded = EncodeStepCommand(command);
    EXPECT_FALSE(DecodeStepCommand(encoded.left(encoded.length() - 1), &read));
    EXPECT_FALSE(DecodeStepCommand(encoded + u"x", &read));
    EXPECT_FALSE(DecodeStepCommand(u"failed", &read));
    for (const char16_t* program : {u"reg.exe", u"\\\\server\\share\\reg.exe", u"C:reg.exe"}) {
        command.program = program;
        EXPECT_FALSE(DecodeStepCommand(EncodeStepCommand(command), &read)) << ToUtf8(program);
    }
}

} // namespace
} // namespace vorn
