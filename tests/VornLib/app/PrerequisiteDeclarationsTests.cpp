// Declared prerequisites: each form of Detect read into what the setup looks
// for, and the mistakes a vendor can make refused with their line and column.
#include <gtest/gtest.h>

#include <string>

#include "../core/XmlTestSupport.h"
#include "VornLib/app/PrerequisiteDeclarations.h"
#include "VornLib/core/Utf8.h"

namespace vorn {
namespace {

using Kind = PrerequisiteDetection::Kind;

TEST(PrerequisiteDeclarations, ReadsEachFormOfDetection) {
    const struct {
        const char16_t* text;
        Kind kind;
        bool machine;
        const char16_t* key;
        const char16_t* name;
        const char16_t* data;
        const char16_t* path;
    } cases[] = {
        {u"HKLM\\Software\\Hello Runtime", Kind::RegistryKey, true, u"Software\\Hello Runtime", u"",
         u"", u""},
        {u"hkcu\\Software\\Hello;Installed", Kind::RegistryValue, false, u"Software\\Hello",
         u"Installed", u"", u""},
        {u"HKLM\\Software\\Hello;Installed=1", Kind::RegistryData, true, u"Software\\Hello",
         u"Installed", u"1", u""},
        {u"HKLM\\Software\\Hello;=a=b", Kind::RegistryData, true, u"Software\\Hello", u"", u"a=b",
         u""},
        {u"file:%SystemRoot%\\System32\\hello.dll", Kind::File, true, u"", u"", u"",
         u"%SystemRoot%\\System32\\hello.dll"},
        {u"FILE:C:\\Hello\\hello.dll;Version>=14.30", Kind::FileVersion, true, u"", u"", u"14.30",
         u"C:\\Hello\\hello.dll"},
    };
    for (const auto& each : cases) {
        PrerequisiteDetection read;
        ASSERT_EQ(0u, ParsePrerequisiteDetection(each.text, &read)) << ToUtf8(each.text);
        EXPECT_EQ(each.kind, read.kind) << ToUtf8(each.text);
        EXPECT_EQ(each.machine, read.machine) << ToUtf8(each.text);
        EXPECT_EQ(String(each.key), read.key) << ToUtf8(each.text);
        EXPECT_EQ(String(each.name), read.name) << ToUtf8(each.text);
        EXPECT_EQ(String(each.data), read.data) << ToUtf8(each.text);
        EXPECT_EQ(String(each.path), read.path) << ToUtf8(each.text);
    }
    for (const char16_t* text :
         {u"", u"HKCR\\Hello", u"HKLM\\", u"HKLM\\Software\\\\Hello", u"HKLM\\Software\\", u"file:",
          u"file:C:\\a.dll;size>=1", u"file:C:\\a.dll;version>=", u"Software\\Hello"}) {
        PrerequisiteDetection read;
        EXPECT_EQ(5u, ParsePrerequisiteDetection(text, &read)) << ToUtf8(text);
    }
}

TEST(PrerequisiteDeclarations, RefusesWhatTheSetupCouldNotCarryOut) {
    const struct {
        const char* inside;
        uint32_t result;
        const char* problem;
    } cases[] = {
        {"<Prerequisite Name=\"R\" Program=\"..\\r.exe\" Detect=\"HKLM\\S\"/>", 5,
         "line 2, column 17: Program \"..\\r.exe\" is not a file inside the application folder"},
        {"<Prerequisite Name=\"R\" Program=\"r.exe\" Detect=\"HKCR\\S\"/>", 5,
         "Detect \"HKCR\\S\" is none of"},
        {"<Prerequisite Name=\"R\" Program=\"r.exe\" Detect=\"HKLM\\S\" SuccessCodes=\"x\"/>", 5,
         "SuccessCodes \"x\" is not a list"},
        {"<Prerequisite Name=\"R\" Program=\"r.exe\" Detect=\"HKLM\\S\"/>"
         "<Prerequisite Name=\"R\" Program=\"s.exe\" Detect=\"HKLM\\T\"/>",
         5, "a prerequisite named \"R\" is declared already"},
        {"<Prerequisite Name=\"R\" Program=\"r.exe\"/>", 6, "Prerequisite has no Detect"},
    };
    for (const auto& each : cases) {
        XmlDocument document;
        const std::string text = std::string("<InstallationSettings>\n<Prerequisites>") +
                                 each.inside + "</Prerequisites></InstallationSettings>";
        ASSERT_EQ(0u, ParseText(document, text.c_str()));
        std::vector<PrerequisiteDeclaration> read;
        String problem;
        EXPECT_EQ(each.result, ReadPrerequisiteDeclarations(*document.root(), &read, &problem))
            << each.inside;
        EXPECT_NE(std::string::npos, ToUtf8(problem).find(each.problem))
            << each.inside << " → " << ToUtf8(problem);
        EXPECT_TRUE(read.empty());
    }
}

} // namespace
} // namespace vorn
