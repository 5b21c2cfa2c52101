// The result file: every field in its place with its JSON type, texts
// escaped, nulls where nothing is, the README's table of fields, and (on
// Windows) a document that replaces an older one whole.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "Applications/VornSetup/ResultFile.h"
#include "FileContents.h"
#include "ReadmeTable.h"
#include "TestText.h"
#include "VornLib/core/Utf8.h"

#ifdef _WIN32
#include "VornLib/core/Win32.h"
#include "VornLib/core/platform/SystemInfo.h"
#endif

namespace vornsetup {
namespace {

std::string Utf8(const String& text) {
    return vorn::ToUtf8(text);
}

SetupResult Installed() {
    SetupResult result;
    (void)vorn::UUID::Parse(u"7E3F2A91-5C4B-4D8E-9F10-2B3C4D5E6F70", &result.productUuid);
    result.productName = u"Demo \"Paint\"";
    result.productVersion = u"1.5 Beta 2";
    result.installFolder = u"C:\\Program Files (x86)\\Demo";
    result.uninstallCommand = u"\"C:\\Program Files (x86)\\Demo\\Demo.exe\" /Uninstall";
    result.filesInstalled = 2;
    result.bytesInstalled = 5000000000ull;
    result.durationSeconds = 1.25;
    return result;
}

// The value of a field in the document, as written.
std::string ValueOf(const std::string& document, const std::string& field) {
    const std::string key = "\n  \"" + field + "\": ";
    const size_t at = document.find(key);
    if (at == std::string::npos)
        return "(missing)";
    const size_t start = at + key.size();
    size_t end = document.find('\n', start);
    if (document[end - 1] == ',')
        --end;
    return document.substr(start, end - start);
}

TEST(ResultFile, EveryFieldInItsPlaceWithItsType) {
    const std::string document = Utf8(ResultDocument(Installed()));
    ASSERT_EQ('{', document.front());
    ASSERT_EQ("}\n", document.substr(document.size() - 2));
    size_t last = 0;
    for (uint32_t i = 0; i < kResultFieldCount; ++i) {
        const std::string name = Utf8(kResultFields[i].name);
        SCOPED_TRACE(name);
        const size_t at = document.find("\"" + name + "\":");
        ASSERT_NE(std::string::npos, at);
        EXPECT_LT(last, at) << "in the table's order";
        last = at;
        const std::string value = ValueOf(document, name);
        const std::string type = Utf8(kResultFields[i].type);
        if (type == "string")
            EXPECT_EQ('"', value.front()) << value;
        else if (type == "string or null")
            EXPECT_TRUE(value.front() == '"' || value == "null") << value;
        else if (type == "integer")
            EXPECT_EQ(std::string::npos, value.find_first_not_of("-0123456789")) << value;
        else if (type == "number")
            EXPECT_EQ(std::string::npos, value.find_first_not_of("-0123456789.")) << value;
        else if (type == "boolean")
            EXPECT_TRUE(value == "true" || value == "false") << value;
        else if (type == "array of strings")
            EXPECT_TRUE(value.front() == '[' && value.back() == ']') << value;
        else
            ADD_FAILURE() << "a type JSON has not: " << type;
    }
    // One field a line between the braces' lines.
    EXPECT_EQ(kResultFieldCount + 2, size_t(std::count(document.begin(), document.end(), '\n')));
}

TEST(ResultFile, SaysWhatTheExitCodeMeansAndWhatIsInPlace) {
    SetupResult result = Installed();
    std::string document = Utf8(ResultDocument(result));
    EXPECT_EQ("0", ValueOf(document, "exitCode"));
    EXPECT_EQ("\"installed\"", ValueOf(document, "exitCodeName"));
    EXPECT_EQ("\"7E3F2A91-5C4B-4D8E-9F10-2B3C4D5E6F70\"", ValueOf(document, "productUuid"));
    EXPECT_EQ("\"machine\"", ValueOf(document, "scope"));
    EXPECT_EQ("5000000000", ValueOf(document, "bytesInstalled")) << "beyond 32 bits";
    EXPECT_EQ("1.250", ValueOf(document, "durationSeconds"));
    EXPECT_EQ("false", ValueOf(document, "restartNeeded"));
    EXPECT_EQ("null", ValueOf(document, "logFile"));
    EXPECT_EQ("[]", ValueOf(document, "settings"));
    result.settings = {u"HKLM\\Software\\Hello\\Home", u"PATH C:\\Hello\\bin"};
    EXPECT_EQ("[\"HKLM\\\\Software\\\\Hello\\\\Home\", \"PATH C:\\\\Hello\\\\bin\"]",
              ValueOf(Utf8(ResultDocument(result)), "settings"));
    result.settings.clear();
    result.steps = {u"\"C:\\Hello\\reg.exe\" /register: 0"};
    EXPECT_EQ("[\"\\\"C:\\\\Hello\\\\reg.exe\\\" /register: 0\"]",
              ValueOf(Utf8(ResultDocument(result)), "steps"));
    result.steps.clear();
    // Quotes and backslashes escaped, as JSON wants them.
    EXPECT_EQ("\"Demo \\\"Paint\\\"\"", ValueOf(document, "productName"));
    EXPECT_EQ("\"\\\"C:\\\\Program Files (x86)\\\\Demo\\\\Demo.exe\\\" /Uninstall\"",
              ValueOf(document, "uninstallCommand"));

    result.exitCode = 13;
    result.uninstallCommand.clear();
    result.filesInstalled = 0;
    result.logProblem = u"The log \"C:\\x\" cannot be created\n(result 17).";
    document = Utf8(ResultDocument(result));
    EXPECT_EQ("\"diskFull\"", ValueOf(document, "exitCodeName"));
    EXPECT_EQ("null", ValueOf(document, "uninstallCommand"));
    EXPECT_EQ("\"The log \\\"C:\\\\x\\\" cannot be created\\u000a(result 17).\"",
              ValueOf(document, "logProblem"));
    result.exitCode = 7;
    EXPECT_EQ("\"failed\"", ValueOf(Utf8(ResultDocument(result)), "exitCodeName"));
}

TEST(ResultFile, TheReadmeTableOfFieldsIsTheCodesTable) {
    const std::vector<vorn::ReadmeRow> rows = vorn::ReadmeTable("| field | type | meaning |");
    ASSERT_EQ(kResultFieldCount, rows.size());
    for (uint32_t i = 0; i < kResultFieldCount; ++i) {
        const vorn::ReadmeRow expected = {"`" + Utf8(kResultFields[i].name) + "`",
                                          Utf8(kResultFields[i].type),
                                          Utf8(kResultFields[i].meaning)};
        EXPECT_EQ(expected, rows[i]);
    }
}

#ifdef _WIN32

TEST(ResultFile, ADocumentReplacesAnOlderOneWholeAndLeavesNothingElse) {
    const String folder = vorn::TemporaryFolder() + u"VornResultTest";
    const String path = folder + u"\\deep\\result.json";
    SetupResult result = Installed();
    ASSERT_EQ(0u, WriteResultFile(path, result)) << "its folders are made";
    result.exitCode = 27;
    ASSERT_EQ(0u, WriteResultFile(path, result));
    EXPECT_EQ(Utf8(ResultDocument(result)), vorn::FileContents(path));
    const String partial = path + u".VornLib-partial";
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(vorn::Wide(partial.data())));
    // A folder where the document must go: refused, and nothing is left.
    const String blocked = folder + u"\\blocked.json";
    ASSERT_TRUE(CreateDirectoryW(vorn::Wide(blocked.data()), nullptr));
    EXPECT_NE(0u, WriteResultFile(blocked, result));
    const String blockedPartial = blocked + u".VornLib-partial";
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(vorn::Wide(blockedPartial.data())));
    RemoveDirectoryW(vorn::Wide(blocked.data()));
    DeleteFileW(vorn::Wide(path.data()));
    RemoveDirectoryW(vorn::Wide((folder + u"\\deep").data()));
    RemoveDirectoryW(vorn::Wide(folder.data()));
}

#endif

} // namespace
} // namespace vornsetup
