// VornPack check-xml: every word of the definitions' vocabulary, the values
// the setup would refuse, malformed XML, and the definitions we ship.
#include <algorithm>
#include <gtest/gtest.h>

#include "../../VornLib/data/DataTestSupport.h"
#include "Tools/VornPack/CheckXml.h"
#include "Tools/VornPack/Files.h"
#include "Tools/VornPack/Init.h"

namespace vornpack {
namespace {

namespace fs = std::filesystem;
using vorn::ScratchFolder;

std::string TextOfFile(const fs::path& path) {
    const std::vector<uint8_t> bytes = vorn::ReadWholeFile(path);
    return std::string(bytes.begin(), bytes.end());
}

// check-xml's error lines and its code for one file.
int CheckXmlOf(const fs::path& file, std::string* errors) {
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const int code = CheckXml({TextOf(file)});
    *errors = testing::internal::GetCapturedStderr();
    testing::internal::GetCapturedStdout();
    return code;
}

// The misspellings vendors made in the installer's own Configuration.xml,
// each refused at its line and column with the word it was meant to be.
TEST(VornPack, CheckXmlRefusesEveryUnknownWordOfTheConfiguration) {
    const struct {
        const char* from;
        const char* to;
        const char* mistake; // where in `to` the line points
        const char* says;
    } mistakes[] = {
        {"<InstallScope Default=\"AllUsers\" UserMayChoose=\"true\"/>",
         "<InstallScpe Default=\"CurrentUser\" UserMayChoose=\"false\"/>", "InstallScpe",
         "\"InstallScpe\" is no element of InstallationSettings (did you mean \"InstallScope\"?)"},
        {"<RemovedBy>Application</RemovedBy>", "<RemoveBy>Application</RemoveBy>", "RemoveBy",
         "\"RemoveBy\" is no element of InstallationSettings (did you mean \"RemovedBy\"?)"},
        {"<Shortcuts>", "<Shortcutt>", "Shortcutt",
         "\"Shortcutt\" is no element of InstallationSettings (did you mean \"Shortcuts\"?)"},
        {"<RemovedBy>Application</RemovedBy>",
         "<FileTypes><FileTyp Extension=\".vdm\" Description=\"D\"/></FileTypes>", "FileTyp ",
         "\"FileTyp\" is no element of FileTypes (did you mean \"FileType\"?); allowed: FileType"},
        {"Default=\"AllUsers\"", "Defualt=\"AllUsers\"", "Defualt",
         "\"Defualt\" is no attribute of InstallScope (did you mean \"Default\"?)"},
        {"Help=\"#VornDemoShortcutHelp\"", "Help=\"#VornDemoShortcutHelp\" Icon=\"1\"", "Icon",
         "\"Icon\" is no attribute of Shortcut; allowed: Text, Help"},
        {"SupportEmail=", "SupportEMail=", "SupportEMail",
         "\"SupportEMail\" is no attribute of Application (did you mean \"SupportEmail\"?)"},
    };
    const std::string original =
        TextOfFile(fs::u8path(VORN_SETUP_DEFINITIONS) / "Configuration.xml");
    for (const auto& test : mistakes) {
        std::string text = original;
        const size_t at = text.find(test.from);
        ASSERT_NE(std::string::npos, at) << test.from;
        text.replace(at, strlen(test.from), test.to);
        if (std::string(test.from) == "<Shortcuts>")
            text.replace(text.find("</Shortcuts>"), 12, "</Shortcutt>");
        const size_t mistake = text.find(test.mistake, at);
        const size_t lineStart = text.rfind('\n', mistake) + 1;
        const std::string where =
            ":" + std::to_string(1 + std::count(text.begin(), text.begin() + mistake, '\n')) + ":" +
            std::to_string(1 + mistake - lineStart) + ": error: ";
        ScratchFolder scratch;
        const fs::path file = scratch.path() / "Configuration.xml";
        vorn::WriteWholeFile(file, std::vector<uint8_t>(text.begin(), text.end()));
        std::string errors;
        EXPECT_EQ(33, CheckXmlOf(file, &errors)) << test.to;
        EXPECT_NE(std::string::npos, errors.find(file.u8string() + where + test.says))
            << where << "\n"
            << errors;
        EXPECT_EQ(1, std::count(errors.begin(), errors.end(), '\n')) << errors;
    }
}

// Strings and String entries are read as the framework reads them; the
// message boxes beside them by the description check.
TEST(VornPack, CheckXmlRefusesAnUnknownWordOfAStringTable) {
    ScratchFolder scratch;
    const fs::path file = scratch.path() / "Strings-de.xml";
    const std::string text = "<Strings Language=\"de\">\n  <String ID=\"A\">a</String>\n"
                             "  <Strng ID=\"B\">b</Strng>\n  <String Id=\"C\">c</String>\n"
                             "  <MessageBox ID=\"M\" Type=\"Warning\"><Message>m</Message>"
                             "<OK/></MessageBox>\n</Strings>";
    vorn::WriteWholeFile(file, std::vector<uint8_t>(text.begin(), text.end()));
    std::string errors;
    EXPECT_EQ(33, CheckXmlOf(file, &errors));
    for (const char* line : {":3:4: error: \"Strng\" is no element of Strings (did you mean "
                             "\"String\"?); allowed: String\n",
                             ":4:11: error: \"Id\" is no attribute of String (did you mean "
                             "\"ID\"?); allowed: ID, Language\n"})
        EXPECT_NE(std::string::npos, errors.find(file.u8string() + line)) << line << errors;
    EXPECT_EQ(2, std::count(errors.begin(), errors.end(), '\n')) << errors;
}

// The installer's definitions, and those init writes, pass.
TEST(VornPack, CheckXmlPassesEveryDefinitionsFileWeShip) {
    ScratchFolder scratch;
    testing::internal::CaptureStdout();
    ASSERT_EQ(0, Init({TextOf(scratch.path() / "init"), u"--name", u"Paint", u"--company", u"Acme",
                       u"--version", u"1.0"}));
    testing::internal::GetCapturedStdout();
    const fs::path definitions = fs::u8path(VORN_SETUP_DEFINITIONS);
    Arguments files;
    for (const fs::path& folder : {definitions, scratch.path() / "init"}) {
        for (const auto& item : fs::directory_iterator(folder)) {
            if (item.path().extension() == ".xml")
                files.push_back(TextOf(item.path()));
        }
    }
    ASSERT_GT(files.size(), 50u);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    EXPECT_EQ(0, CheckXml(files));
    EXPECT_EQ("", testing::internal::GetCapturedStderr());
    testing::internal::GetCapturedStdout();
}

TEST(VornPack, CheckXmlEndsWith33ForMalformedXmlAsSetupDoes) {
    ScratchFolder scratch;
    const fs::path bad = scratch.path() / fs::u8path(u8"Pr\u00fcfung.xml");
    const fs::path good = scratch.path() / "good.xml";
    const std::string text = "<a>\n  <b x=1/>\n</a>";
    vorn::WriteWholeFile(bad, std::vector<uint8_t>(text.begin(), text.end()));
    vorn::WriteWholeFile(good, {'<', 'a', '/', '>'});
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    EXPECT_EQ(33, CheckXml({TextOf(good), TextOf(bad)}));
    EXPECT_EQ(29, CheckXml({TextOf(scratch.path() / "missing.xml")}));
    const std::string errors = testing::internal::GetCapturedStderr();
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_NE(std::string::npos, errors.find(bad.u8string() + ":2:")) << errors;
    EXPECT_NE(std::string::npos, printed.find("OK " + good.u8string())) << printed;
}

// A scope, and a declaration beside the files, that the setup would refuse.
TEST(VornPack, CheckXmlRefusesValuesTheSetupWouldRefuse) {
    const struct {
        const char* inside;
        int result;
        const char* error;
    } cases[] = {
        {"<InstallScope Default=\"Everyone\"/>", 39,
         "error 39: InstallScope Default \"Everyone\" is none of AllUsers and CurrentUser\n"},
        {"<Run><Step When=\"Now\" Program=\"{InstallFolder}\\a.exe\"/></Run>", 5,
         "error 5: line 2, column 7: When \"Now\" is none of"},
        {"<Services><Service Name=\"S\" Program=\"..\\s.exe\"/></Services>", 5,
         "error 5: line 2, column 12: Program \"..\\s.exe\" is not a program"},
    };
    for (const auto& each : cases) {
        ScratchFolder scratch;
        const fs::path configuration = scratch.path() / "Configuration.xml";
        const std::string text = std::string("<Configuration><InstallationSettings>\n") +
                                 each.inside + "\n</InstallationSettings></Configuration>";
        vorn::WriteWholeFile(configuration, std::vector<uint8_t>(text.begin(), text.end()));
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        EXPECT_EQ(each.result, CheckXml({TextOf(configuration)})) << each.inside;
        const std::string errors = testing::internal::GetCapturedStderr();
        testing::internal::GetCapturedStdout();
        EXPECT_NE(std::string::npos, errors.find(configuration.u8string() + ": " + each.error))
            << errors;
        EXPECT_EQ(1, std::count(errors.begin(), errors.end(), '\n')) << errors;
    }
}

// Six mistakes a vendor makes, each one line at its place; a menu named in
// another file and a picture beside the file are found.
TEST(VornPack, CheckXmlReportsEachDescriptionMistakeAtItsLine) {
    ScratchFolder scratch;
    const fs::path windows = scratch.path() / "Windows.xml";
    const fs::path menus = scratch.path() / "Menus.xml";
    const std::string text =
        "<Windows>\n"
        "  <Window ID=\"Main\" Type=\"MainDialogBox\">\n"
        "    <Static ID=\"A\" HorizontalAlign=\"Justify\" Top=\"0\"/>\n"
        "    <Static ID=\"B\" Top=\"A.Bottom + 4\"/>\n"
        "    <Window ID=\"C\" BackgroundColor=\"Magneta\" Top=\"Nowhere.Top\"/>\n"
        "    <ToolBar ID=\"D\" Menu=\"Missing\" Pictures=\"Data/Pictures/Here.png\"/>\n"
        "    <ToolBar ID=\"E\" Menu=\"Known\" Pictures=\"Data/Pictures/Gone.png\"/>\n"
        "  </Window>\n"
        "</Windows>";
    vorn::WriteWholeFile(windows, std::vector<uint8_t>(text.begin(), text.end()));
    const std::string menu = "<Menus><Menu ID=\"Known\"/></Menus>";
    vorn::WriteWholeFile(menus, std::vector<uint8_t>(menu.begin(), menu.end()));
    fs::create_directories(scratch.path() / "Pictures");
    vorn::WriteWholeFile(scratch.path() / "Pictures" / "Here.png", {'p'});
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    EXPECT_EQ(33, CheckXml({TextOf(windows), TextOf(menus)}));
    const std::string errors = testing::internal::GetCapturedStderr();
    testing::internal::GetCapturedStdout();
    const std::string file = windows.u8string();
    for (const char* where :
         {":3:20: error: HorizontalAlign=\"Justify\" is not allowed", ":4:", ":5:", ":6:", ":7:"})
        EXPECT_NE(std::string::npos, errors.find(file + where)) << where << "\n" << errors;
    EXPECT_EQ(6, std::count(errors.begin(), errors.end(), '\n')) << errors;
    EXPECT_EQ(std::string::npos, errors.find(menus.u8string())) << errors;
}

} // namespace
} // namespace vornpack
