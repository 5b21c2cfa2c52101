// Declared registry values and environment settings: what the vendor wrote is
// read in order and refused with its line and column where an installation
// could not carry it out; PATH's entries change one at a time; the records a
// journal and an entry keep read back exactly, and a record that would reach
// outside its place never does.
#include <gtest/gtest.h>

#include <string>

#include "../core/XmlTestSupport.h"
#include "VornLib/app/SettingRecord.h"
#include "VornLib/core/Utf8.h"

namespace vorn {
namespace {

Result Read(const std::string& inside, std::vector<SettingDeclaration>* out, String* problem) {
    XmlDocument document;
    const std::string text = "<InstallationSettings>\n" + inside + "</InstallationSettings>";
    EXPECT_EQ(0u, ParseText(document, text.c_str()));
    return ReadSettingDeclarations(*document.root(), out, problem);
}

TEST(SettingDeclarations, ReadsValuesVariablesAndPathEntriesInOrder) {
    std::vector<SettingDeclaration> read;
    String problem;
    ASSERT_EQ(0u, Read("<Registry><Value Key=\"Software\\Vorn\\Hello\" Name=\"Home\" "
                       "Type=\"String\" Data=\"{InstallFolder}\"/>"
                       "<Value Key=\"software\\Vorn\" Type=\"DWord\" Data=\"0x10\"/>"
                       "<Value Key=\"Software\\Vorn\" Name=\"List\" Type=\"MultiString\" "
                       "><String>a  b</String><String>{Version}</String></Value></Registry>\n"
                       "<Environment><PathEntry Folder=\"{InstallFolder}\\bin\"/>"
                       "<Variable Name=\"HELLO_HOME\" Value=\"{InstallFolder}\"/></Environment>",
                       &read, &problem))
        << ToUtf8(problem);
    ASSERT_EQ(5u, read.size());
    EXPECT_EQ(String(u"a  b\n{Version}"), read[2].data) << "a line feed between the strings";
    read.erase(read.begin() + 2);
    EXPECT_EQ(String(u"Home"), read[0].name);
    EXPECT_EQ(RegistryKind::String, read[0].kind);
    EXPECT_TRUE(read[1].name.isEmpty()) << "the key's default value";
    EXPECT_EQ(RegistryKind::DWord, read[1].kind);
    EXPECT_TRUE(read[2].pathEntry);
    EXPECT_EQ(SettingPlace::Environment, read[2].place);
    EXPECT_EQ(String(u"{InstallFolder}\\bin"), read[2].data);
    EXPECT_EQ(String(u"HELLO_HOME"), read[3].name);
    EXPECT_EQ(RegistryKind::ExpandString, read[3].kind);
    EXPECT_EQ(3u, read[2].position.line);
}

TEST(SettingDeclarations, RefusesWhatAnInstallationCouldNotCarryOut) {
    const struct {
        const char* inside;
        uint32_t result;
        const char* problem;
    } cases[] = {
        {"<Registry><Value Key=\"System\\Hello\" Type=\"String\"/></Registry>", 5,
         "line 2, column 12: the key \"System\\Hello\" is not below \"Software\\\""},
        {"<Registry><Value Key=\"Software\\\\Hello\" Type=\"String\"/></Registry>", 5,
         "empty or too long part"},
        {"<Registry><Value Key=\"Software\\Hello\\\" Type=\"String\"/></Registry>", 5,
         "empty or too long part"},
        {"<Registry><Value Key=\"Software\\Hello\" Type=\"Binary\"/></Registry>", 5,
         "Type \"Binary\" is none of"},
        {"<Registry><Value Key=\"Software\\Hello\" Type=\"DWord\" Data=\"4294967296\"/></Registry>",
         5, "Data \"4294967296\" is not a DWord number"},
        {"<Registry><Value Key=\"Software\\Hello\" Type=\"QWord\" Data=\"0x\"/></Registry>", 5,
         "is not a QWord number"},
        {"<Registry><Value Key=\"Software\\Hello\" Type=\"String\" Data=\"{Folder}\"/></Registry>",
         5, "\"{Folder}\" names a value in braces other than"},
        {"<Registry><Value Key=\"Software\\Hello\" Type=\"String\" Data=\"{Version\"/></Registry>",
         5, "names a value in braces"},
        {"<Registry><Value Type=\"String\"/></Registry>", 6, "Value has no Key"},
        {"<Environment><Variable Name=\"path\" Value=\"x\"/></Environment>", 5,
         "the variable \"path\" is empty, holds \"=\", or is PATH"},
        {"<Environment><Variable Name=\"A=B\" Value=\"x\"/></Environment>", 5, "holds \"=\""},
        {"<Environment><PathEntry Folder=\"C:\\a;C:\\b\"/></Environment>", 5, "holds \";\""},
        {"<Environment><PathEntry/></Environment>", 6, "PathEntry has no Folder"},
    };
    for (const auto& one : cases) {
        std::vector<SettingDeclaration> read;
        String problem;
        EXPECT_EQ(one.result, Read(one.inside, &read, &problem)) << one.inside;
        EXPECT_NE(std::string::npos, ToUtf8(problem).find(one.problem))
            << one.inside << ": " << ToUtf8(problem);
        EXPECT_TRUE(read.empty()) << one.inside;
    }
}

TEST(SettingDeclarations, ExpandsTheInstallationsValues) {
    PlaceholderValues values;
    values[Placeholder::InstallFolder] = u"C:\\Hello";
    values[Placeholder::Version] = u"2.1";
    String out;
    ASSERT_EQ(0u, ExpandPlaceholders(u"{InstallFolder}\\bin;{Version}{{x}", values, &out));
    EXPECT_EQ(String(u"C:\\Hello\\bin;2.1{x}"), out);
    EXPECT_EQ(5u, ExpandPlaceholders(u"{Install}", values, &out));
    EXPECT_EQ(5u, ExpandPlaceholders(u"{InstallFolder", values, &out));
}

TEST(SettingDeclarations, StoresEachKindAsTheRegistryDoes) {
    std::vector<uint8_t> bytes;
    ASSERT_EQ(0u, StoredBytes(RegistryKind::DWord, u"0x01020304", &bytes));
    EXPECT_EQ((std::vector<uint8_t>{4, 3, 2, 1}), bytes);
    ASSERT_EQ(0u, StoredBytes(RegistryKind::QWord, u"18446744073709551615", &bytes));
    EXPECT_EQ(std::vector<uint8_t>(8, 0xff), bytes);
    EXPECT_EQ(5u, StoredBytes(RegistryKind::QWord, u"18446744073709551616", &bytes));
    EXPECT_EQ(5u, StoredBytes(RegistryKind::DWord, u"-1", &bytes));
    ASSERT_EQ(0u, StoredBytes(RegistryKind::String, u"Hé", &bytes));
    EXPECT_EQ((std::vector<uint8_t>{'H', 0, 0xe9, 0, 0, 0}), bytes);
    ASSERT_EQ(0u, StoredBytes(RegistryKind::MultiString, u"a\nb", &bytes));
    EXPECT_EQ((std::vector<uint8_t>{'a', 0, 0, 0, 'b', 0, 0, 0, 0, 0}), bytes);
}

TEST(SettingDeclarations, ChangesOnePathEntryAndKeepsTheOthersInOrder) {
    const String path = u"C:\\Windows;c:\\hello\\bin\\;D:\\Tools";
    EXPECT_TRUE(HoldsPathEntry(path, u"C:\\Hello\\bin"));
    EXPECT_FALSE(HoldsPathEntry(path, u"C:\\Hello"));
    EXPECT_EQ(String(u"C:\\Windows;D:\\Tools"), WithoutPathEntry(path, u"C:\\Hello\\bin"));
    EXPECT_EQ(String(u"C:\\Windows;c:\\hello\\bin\\"), WithoutPathEntry(path, u"D:\\Tools"));
    EXPECT_EQ(String(u"c:\\hello\\bin\\;D:\\Tools"), WithoutPathEntry(path, u"C:\\Windows"));
    EXPECT_EQ(path, WithoutPathEntry(path, u"E:\\Other"));
    EXPECT_EQ(String(u"C:\\A;C:\\B"), WithPathEntry(u"C:\\A;", u"C:\\B"));
    EXPECT_EQ(String(u"C:\\B"), WithPathEntry(u"", u"C:\\B"));
    EXPECT_EQ(String(u""), WithoutPathEntry(u"C:\\B", u"C:\\B"));
    // Only the first of two equal entries goes: someone else added the other.
    EXPECT_EQ(String(u"C:\\X;C:\\B"), WithoutPathEntry(u"C:\\B;C:\\X;C:\\B", u"C:\\B"));
}

TEST(SettingRecord, ReadsBackWhatItWrote) {
    SettingRecord value =
        SettingOf(SettingAction::Value, SettingPlace::Registry, u"Software\\Vorn:1", u"9:x");
    value.existed = true;
    value.type = 4;
    value.bytes = {0, 0xab, 0xff, 7};
    SettingRecord read;
    ASSERT_TRUE(DecodeSettingRecord(EncodeSettingRecord(value), &read));
    EXPECT_TRUE(read.sameSetting(value));
    EXPECT_TRUE(read.existed);
    EXPECT_EQ(4u, read.type);
    EXPECT_EQ(value.bytes, read.bytes);
    value.existed = false;
    ASSERT_TRUE(DecodeSettingRecord(EncodeSettingRecord(value), &read));
    EXPECT_FALSE(read.existed);
    const SettingRecord path =
        SettingOf(SettingAction::PathEntry, SettingPlace::Environment, u"", u"C:\\b");
    ASSERT_TRUE(DecodeSettingRecord(EncodeSettingRecord(path), &read));
    EXPECT_EQ(SettingAction::PathEntry, read.action);
    EXPECT_EQ(String(u"C:\\b"), read.name);
    EXPECT_EQ(String(u"PATH C:\\b"), SettingName(read, false));
    EXPECT_EQ(String(u"HKCU\\Software\\Vorn:1\\9:x"), SettingName(value, true));
}

TEST(SettingRecord, RefusesRecordsThatReachOutsideTheirPlace) {
    for (const char16_t* text : {
             u"VR6:System4:Name-",         // a key outside Software
             u"KE0:0:",                    // the environment's key as a created key
             u"PR9:Software\\4:C:\\b",     // a PATH entry in the registry
             u"VE5:Other4:Name-",          // a key named in the environment
             u"VR9:Software\\4:Name4ab",   // a type without its colon
             u"VR9:Software\\4:Name4:abc", // an odd number of digits
             u"VR9:Software\\99:Name-",    // a length past the end
             u"ZR9:Software\\4:Name-",     // no such action
             u"VR9:Software\\4:Name-x",    // text after the end
         }) {
        SettingRecord record;
        EXPECT_FALSE(DecodeSettingRecord(text, &record)) << ToUtf8(String(text));
    }
}

} // namespace
} // namespace vorn
