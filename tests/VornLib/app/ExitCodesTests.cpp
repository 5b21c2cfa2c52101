// The exit codes: one row for each code a program ends with, a row for every
// other code, the responses a package manager knows, and the README's table
// as the code has it.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "ReadmeTable.h"
#include "VornLib/app/ExitCodes.h"
#include "VornLib/core/Utf8.h"

namespace vorn {
namespace {

std::string Utf8(const char16_t* text) {
    return text ? ToUtf8(String(text)) : std::string();
}

TEST(ExitCodes, EachProgramHasOneRowACodeAndOneForTheRest) {
    for (const ExitCodeProgram program :
         {ExitCodeProgram::Setup, ExitCodeProgram::Removal, ExitCodeProgram::Update}) {
        std::set<int32_t> codes;
        std::set<std::string> names;
        for (uint32_t i = 0; i < kExitCodeCount; ++i) {
            if (kExitCodes[i].program != program)
                continue;
            EXPECT_TRUE(codes.insert(kExitCodes[i].code).second) << kExitCodes[i].code;
            EXPECT_TRUE(names.insert(Utf8(kExitCodes[i].name)).second) << Utf8(kExitCodes[i].name);
        }
        EXPECT_EQ(1u, codes.count(kOtherExitCodes));
        EXPECT_EQ(1u, codes.count(0));
    }
}

TEST(ExitCodes, ACodeWithoutARowOfItsOwnIsAFailure) {
    const struct {
        ExitCodeProgram program;
        int32_t code;
        const char* name;
    } cases[] = {
        {ExitCodeProgram::Setup, 0, "installed"},
        {ExitCodeProgram::Setup, 13, "diskFull"},
        {ExitCodeProgram::Setup, 1, "failed"},
        {ExitCodeProgram::Setup, 4, "failed"},
        {ExitCodeProgram::Setup, -1, "failed"},
        {ExitCodeProgram::Removal, 0, "removed"},
        {ExitCodeProgram::Removal, 4, "notInstalled"},
        // The setup's codes are not the removal's.
        {ExitCodeProgram::Removal, 13, "failed"},
        {ExitCodeProgram::Setup, kOtherExitCodes, "failed"},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.code);
        EXPECT_EQ(test.name, Utf8(FindExitCode(test.program, test.code).name));
    }
}

// What a package manager can be told: the responses of winget's manifest
// schema 1.10.0, and a success (0) is never an expected return code.
TEST(ExitCodes, PackageManagerResponsesAreOnesItKnows) {
    const std::set<std::string> known = {"packageInUse",
                                         "packageInUseByApplication",
                                         "installInProgress",
                                         "fileInUse",
                                         "missingDependency",
                                         "diskFull",
                                         "insufficientMemory",
                                         "invalidParameter",
                                         "noNetwork",
                                         "contactSupport",
                                         "rebootRequiredToFinish",
                                         "rebootRequiredForInstall",
                                         "rebootInitiated",
                                         "cancelledByUser",
                                         "alreadyInstalled",
                                         "downgrade",
                                         "blockedByPolicy",
                                         "systemNotSupported",
                                         "custom"};
    for (uint32_t i = 0; i < kExitCodeCount; ++i) {
        const ExitCode& row = kExitCodes[i];
        if (!row.wingetResponse)
            continue;
        SCOPED_TRACE(Utf8(row.name));
        EXPECT_EQ(1u, known.count(Utf8(row.wingetResponse)));
        EXPECT_EQ(ExitCodeProgram::Setup, row.program) << "winget runs setups only";
        EXPECT_NE(0, row.code);
    }
    EXPECT_EQ("cancelledByUser", Utf8(FindExitCode(ExitCodeProgram::Setup, 8).wingetResponse));
    EXPECT_EQ("diskFull", Utf8(FindExitCode(ExitCodeProgram::Setup, 13).wingetResponse));
    EXPECT_EQ("invalidParameter", Utf8(FindExitCode(ExitCodeProgram::Setup, 5).wingetResponse));
}

// Only an installation or removal that took place is a success in the
// standard codes: a row added without its standard code would read as one.
TEST(ExitCodes, StandardCodesAreSuccessForSuccessAlone) {
    const std::set<std::string> successes = {"installed", "installedStartApplication",
                                             "installedByElevatedCopy", "removed", "upToDate",
                                             // a check that found a newer version succeeded
                                             "updateAvailable"};
    for (uint32_t i = 0; i < kExitCodeCount; ++i) {
        const ExitCode& row = kExitCodes[i];
        SCOPED_TRACE(Utf8(row.name));
        EXPECT_EQ(successes.count(Utf8(row.name)) == 1, row.standardCode == 0);
    }
}

TEST(ExitCodes, TheStandardConventionMapsWhatTheOwnKeeps) {
    const struct {
        ExitCodeProgram program;
        int32_t code;
        int32_t standard;
    } cases[] = {
        {ExitCodeProgram::Setup, 0, 0},
        {ExitCodeProgram::Setup, 8, 1602},
        {ExitCodeProgram::Setup, kExitSetupRunning, 1618},
        {ExitCodeProgram::Setup, 44, 1638},
        {ExitCodeProgram::Setup, 5, 1639},
        // A failure without a row of its own.
        {ExitCodeProgram::Setup, 1, 1603},
        {ExitCodeProgram::Removal, 4, 1605},
        {ExitCodeProgram::Removal, 8, 1602},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.code);
        EXPECT_EQ(test.standard,
                  ConventionalExitCode(test.program, test.code, ExitCodeConvention::Standard));
        EXPECT_EQ(test.code,
                  ConventionalExitCode(test.program, test.code, ExitCodeConvention::Own));
    }
    ExitCodeConvention convention = ExitCodeConvention::Own;
    EXPECT_TRUE(ParseExitCodeConvention(u"standard", &convention));
    EXPECT_EQ(ExitCodeConvention::Standard, convention);
    EXPECT_TRUE(ParseExitCodeConvention(u"Own", &convention));
    EXPECT_EQ(ExitCodeConvention::Own, convention);
    EXPECT_FALSE(ParseExitCodeConvention(u"Msi", &convention));
    EXPECT_FALSE(ParseExitCodeConvention(u"", &convention));
}

TEST(ExitCodes, TheReadmeTableIsTheCodesTable) {
    const std::vector<ReadmeRow> rows =
        ReadmeTable("| program | exit code | name | meaning | winget response | standard code |");
    ASSERT_EQ(kExitCodeCount, rows.size());
    for (uint32_t i = 0; i < kExitCodeCount; ++i) {
        const ExitCode& row = kExitCodes[i];
        const std::string code =
            row.code == kOtherExitCodes ? "any other" : std::to_string(row.code);
        const ReadmeRow expected = {Utf8(ExitCodeProgramName(row.program)),
                                    code,
                                    "`" + Utf8(row.name) + "`",
                                    Utf8(row.meaning),
                                    row.wingetResponse ? "`" + Utf8(row.wingetResponse) + "`"
                                                       : std::string("none"),
                                    std::to_string(row.standardCode)};
        EXPECT_EQ(expected, rows[i]);
    }
}

} // namespace
} // namespace vorn
