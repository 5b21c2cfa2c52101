// What `setup` refuses, and how: nothing written, an earlier output kept,
// the reason on one line that names the file.
#include <gtest/gtest.h>

#include "../../VornLib/data/DataTestSupport.h"
#include "Applications/VornSetup/InstallManifest.h"
#include "PeImageBuilder.h"
#include "ProgramImages.h"
#include "SetupSources.h"
#include "Tools/VornPack/Commands.h"
#include "Tools/VornPack/FileList.h"
#include "Tools/VornPack/Files.h"
#include "Tools/VornPack/Init.h"
#include "Tools/VornPack/PackPlan.h"
#include "Tools/VornPack/Setup.h"
#include "VornLib/core/Utf8.h"
#include "VornLib/core/XmlDocument.h"
#include "VornLib/data/ArchiveMount.h"

namespace vornpack {
namespace {

namespace fs = std::filesystem;
using vorn::ScratchFolder;

struct Fault {
    const char* what;
    int expected;
    void (*prepare)(SetupSources& sources, Arguments* arguments);
    // What the error line must name, when the case is about one thing.
    const char* names = nullptr;
};

const Fault kFaults[] = {
    {"malformed XML", 33,
     [](SetupSources& s, Arguments*) { s.write("Configuration.xml", "<a>\n  <b></a>"); }},
    {"malformed XML in a sub-folder", 33,
     [](SetupSources& s, Arguments*) { s.write("Xml/Windows.xml", "<w>"); }},
    {"a FileList.xml of its own", 14,
     [](SetupSources& s, Arguments*) { s.write("FileList.xml", "<FileList/>"); }},
    {"a JPEG picture, which the setup's programs do not decode", 3,
     [](SetupSources& s, Arguments*) { s.write("Logo.png", "\xFF\xD8\xFF\xE0 JFIF"); },
     "is a JPEG picture"},
    {"two files for one entry", 14,
     [](SetupSources& s, Arguments*) { s.write("Xml/Preferences.xml", "<Preferences/>"); }},
    {"stub missing", 29, [](SetupSources& s, Arguments*) { fs::remove(s.stub); }},
    {"stub not a program", 33,
     [](SetupSources& s, Arguments*) { vorn::WriteWholeFile(s.stub, vorn::SampleText(5000)); }},
    {"stub signed", 17,
     [](SetupSources& s, Arguments*) {
         ImageSpec spec;
         spec.resources = ProgramResources(false);
         spec.signedImage = true;
         vorn::WriteWholeFile(s.stub, BuildTestImage(spec).bytes);
     }},
    {"application folder missing", 29, [](SetupSources& s, Arguments*) { fs::remove_all(s.app); },
     "does not exist"},
    {"definitions folder missing", 29,
     [](SetupSources& s, Arguments*) { fs::remove_all(s.definitions); }, "does not exist"},
    {"an output folder that does not exist", 29,
     [](SetupSources& s, Arguments* a) {
         (*a)[5] = TextOf(s.out.parent_path() / "no" / "Setup.exe");
     },
     "Setup.exe\""},
    {"unknown method", 5, [](SetupSources&, Arguments* a) { a->back() = u"zip"; }},
    {"no output", 5, [](SetupSources&, Arguments* a) { a->erase(a->begin() + 4, a->begin() + 6); }},
    {"stray argument", 5, [](SetupSources&, Arguments* a) { a->push_back(u"extra"); }},
    {"no threads", 5,
     [](SetupSources&, Arguments* a) {
         a->insert(a->end(), {u"--jobs", u"0"});
     }},
    {"negative threads", 5,
     [](SetupSources&, Arguments* a) {
         a->insert(a->end(), {u"--jobs", u"-1"});
     }},
    {"threads not a number", 5,
     [](SetupSources&, Arguments* a) {
         a->insert(a->end(), {u"--jobs", u"x"});
     }},
    {"threads without a value", 5, [](SetupSources&, Arguments* a) { a->push_back(u"--jobs"); }},
    // Definitions that cannot work.
    {"no Configuration.xml", 29,
     [](SetupSources& s, Arguments*) { fs::remove(s.definitions / "Configuration.xml"); },
     "Configuration.xml"},
    {"a product UUID that is not one", 33,
     [](SetupSources& s, Arguments*) {
         s.write("Configuration.xml", ConfigurationWith("7E3F2A91-5C4B-4D8E-9F10-2B3C4D5E6F70",
                                                        "7E3F2A91-5C4B-4D8E-9F10"));
     },
     "7E3F2A91-5C4B-4D8E-9F10"},
    {"an installer UUID that is not one", 33,
     [](SetupSources& s, Arguments*) {
         s.write("Configuration.xml",
                 ConfigurationWith("9BAE90B6-F29C-4B4B-B112-2C0842BA937A", "{installer}"));
     },
     "{installer}"},
    {"the null UUID", 33,
     [](SetupSources& s, Arguments*) {
         s.write("Configuration.xml", ConfigurationWith("7E3F2A91-5C4B-4D8E-9F10-2B3C4D5E6F70",
                                                        "00000000-0000-0000-0000-000000000000"));
     }},
    {"one UUID for the installer and the product", 14,
     [](SetupSources& s, Arguments*) {
         s.write("Configuration.xml", ConfigurationWith("9BAE90B6-F29C-4B4B-B112-2C0842BA937A",
                                                        "7e3f2a91-5c4b-4d8e-9f10-2b3c4d5e6f70"));
     }},
    {"an element the installer requires missing", 6,
     [](SetupSources& s, Arguments*) {
         s.write("Configuration.xml",
                 ConfigurationWith("<Contact>help@test.example</Contact>", ""));
     },
     "Contact"},
    {"the executable not in the application folder", 29,
     [](SetupSources& s, Arguments*) {
         s.write("Configuration.xml",
                 ConfigurationWith("App.exe</Executable>", "Ap.exe</Executable>"));
     },
     "Ap.exe"},
    {"an empty application folder", 40,
     [](SetupSources& s, Arguments*) {
         fs::remove_all(s.app);
         fs::create_directories(s.app / "empty");
     },
     "holds no files"},
    {"a stub that is another program", 39,
     [](SetupSources& s, Arguments*) { s.writeStub(StubResources(u"VornDemo.exe")); },
     "VornDemo.exe"},
    {"a stub without a version block", 39,
     [](SetupSources& s, Arguments*) { s.writeStub(ProgramResources(true)); }, "VornSetup.exe"},
    {"a shortcut named like the main shortcut", 14,
     [](SetupSources& s, Arguments*) {
         s.write("Configuration.xml", ConfigurationWith("\"Try Test\"", "\"test\""));
     },
     "test.lnk"},
    {"a shortcut named like the main shortcut in one language", 14,
     [](SetupSources& s, Arguments*) {
         s.write("Configuration.xml", ConfigurationWith("\"Try Test\"", "\"#Try\""));
         s.write("Strings-en.xml", "<Strings><String ID=\"Try\">Try Test</String></Strings>");
         s.write("Strings-de.xml", "<Strings><String ID=\"Try\">TEST</String></Strings>");
     },
     "TEST"},
#ifndef _WIN32
    // Folders Windows cannot hold as they are (made here where Linux can).
    {"names that differ only in case", 14,
     [](SetupSources& s, Arguments*) { vorn::WriteWholeFile(s.app / "zz" / "ONE.txt", {1}); },
     "ONE.txt"},
    {"a link back to a parent folder", 2,
     [](SetupSources& s, Arguments*) { fs::create_directory_symlink("..", s.app / "Data" / "up"); },
     "up"},
    {"a link to a folder elsewhere", 2,
     [](SetupSources& s, Arguments*) {
         fs::create_directory_symlink(s.definitions, s.app / "more");
     },
     "more"},
    {"a link in the definitions", 2,
     [](SetupSources& s, Arguments*) {
         fs::create_directory_symlink(s.app, s.definitions / "Xml" / "app");
     },
     "app"},
    {"a link that leads nowhere", 29,
     [](SetupSources& s, Arguments*) { fs::create_symlink("gone.txt", s.app / "gone.txt"); },
     "gone.txt"},
#endif
};

TEST(Setup, FailuresLeaveNoOutputAndKeepAnOldOne) {
    for (const Fault& fault : kFaults) {
        SCOPED_TRACE(fault.what);
        SetupSources sources;
        vorn::WriteWholeFile(sources.out, {'o', 'l', 'd'});
        Arguments arguments = sources.arguments();
        fault.prepare(sources, &arguments);
        testing::internal::CaptureStderr();
        EXPECT_EQ(fault.expected, vornpack::Setup(arguments));
        const std::string errors = testing::internal::GetCapturedStderr();
        EXPECT_NE(std::string::npos, errors.find("VornPack setup: ")) << errors;
        if (fault.names) {
            EXPECT_NE(std::string::npos, errors.find(fault.names)) << errors;
        }
        EXPECT_EQ(std::string::npos, errors.find(".vornpack-")) << "a temporary name: " << errors;
        EXPECT_TRUE(sources.leftovers().empty());
        EXPECT_TRUE(vorn::ReadWholeFile(sources.out) == std::vector<uint8_t>({'o', 'l', 'd'}));
    }
}

// The licence text of `file` (a VornSetup-License-*.xml) becomes `text`.
void WriteLicenceText(const fs::path& file, const std::string& text) {
    const std::vector<uint8_t> bytes = vorn::ReadWholeFile(file);
    std::string xml(bytes.begin(), bytes.end());
    const size_t start = xml.find('>', xml.find("ID=\"LicenseText\"")) + 1;
    xml.replace(start, xml.find("</String>", start) - start, text);
    vorn::WriteWholeFile(file, std::vector<uint8_t>(xml.begin(), xml.end()));
}

// init's licences say that they are none: a setup made of them is refused,
// or made with a warning when the command line allows it, until every
// licence is the vendor's own, all of it.
TEST(Setup, InitsPlaceholderLicenceIsRefusedUnlessAllowed) {
    const struct {
        const char* what;
        // The English licence after the vendor's edit; the others are replaced whole.
        const char* english;
        bool allow;
        int expected;
        const char* said;
    } cases[] = {
        {"as init wrote them", nullptr, false, 6,
         "VornSetup-License-de.xml\" (and 7 more licence files) still holds the placeholder "
         "licence that init wrote: put your licence in its place, or give "
         "--allow-placeholder-licence"},
        {"allowed", nullptr, true, 0, "warning: \"" /* the folder */},
        {"one sentence left",
         "Acme licence.\n\nAcme Corp has not yet written the licence "
         "agreement of Paint in English.",
         false, 6, "VornSetup-License-en.xml\" still holds the placeholder"},
        {"every licence the vendor's own", "Acme licence: you may use Paint.", false, 0, nullptr},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.what);
        SetupSources sources;
        const fs::path definitions = sources.scratch.path() / "from-init";
        testing::internal::CaptureStdout();
        ASSERT_EQ(0, Init({TextOf(definitions), u"--name", u"Paint", u"--company", u"Acme Corp",
                           u"--version", u"1.0", u"--executable", u"App.exe", u"--uuid",
                           u"7E3F2A91-5C4B-4D8E-9F10-2B3C4D5E6F70"}));
        testing::internal::GetCapturedStdout();
        if (test.english) {
            for (const char* language : {"de", "es", "fr", "it", "ko", "ru", "zh"})
                WriteLicenceText(definitions /
                                     (std::string("VornSetup-License-") + language + ".xml"),
                                 std::string("Acme licence in ") + language + ".");
            WriteLicenceText(definitions / "VornSetup-License-en.xml", test.english);
        }
        Arguments arguments = sources.arguments();
        arguments[3] = TextOf(definitions);
        if (test.allow)
            arguments.push_back(u"--allow-placeholder-licence");
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        EXPECT_EQ(test.expected, vornpack::Setup(arguments));
        const std::string errors = testing::internal::GetCapturedStderr();
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(test.expected == 0, fs::exists(sources.out));
        if (!test.said) {
            EXPECT_EQ(std::string::npos, errors.find("licence")) << errors;
            continue;
        }
        const std::string where = test.allow ? definitions.u8string() : std::string();
        EXPECT_NE(std::string::npos, errors.find(test.said + where)) << errors;
        EXPECT_EQ(errors.size() - 1, errors.find('\n')) << "one line: " << errors;
        if (test.allow) {
            EXPECT_NE(std::string::npos, errors.find("this setup must not ship")) << errors;
        }
    }
}

#ifndef _WIN32
// A refused name reaches the terminal as text: its escape sequences, bell
// and line break shown, not obeyed (host only, as the name is Linux's).
TEST(Setup, ARefusedNameIsShownEscapedOnOneLine) {
    SetupSources sources;
    vorn::WriteWholeFile(sources.app / "x\x1b]0;owned\x07\x1b[2J\n.txt", {1});
    testing::internal::CaptureStderr();
    EXPECT_EQ(38, vornpack::Setup(sources.arguments()));
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(std::string::npos,
              errors.find("/app/x\\x1b]0;owned\\x07\\x1b[2J\\x0a.txt\" is not a name Windows"))
        << errors;
    EXPECT_EQ(std::string::npos, errors.find_first_of("\x1b\x07")) << errors;
    EXPECT_EQ(errors.size() - 1, errors.find('\n')) << "one line: " << errors;
    EXPECT_FALSE(fs::exists(sources.out));
}
#endif

TEST(Setup, AnXmlErrorIsReportedLikeCheckXml) {
    SetupSources sources;
    sources.write("Preferences.xml", "<Preferences>\n  <a x=1/>\n</Preferences>");
    testing::internal::CaptureStderr();
    EXPECT_EQ(33, vornpack::Setup(sources.arguments()));
    const std::string errors = testing::internal::GetCapturedStderr();
    const std::string where = (sources.definitions / "Preferences.xml").u8string() + ":2:";
    EXPECT_NE(std::string::npos, errors.find(where)) << errors;
    EXPECT_NE(std::string::npos, errors.find(": error ")) << errors;
    EXPECT_FALSE(fs::exists(sources.out));
}

TEST(Setup, ADescriptionMistakeStopsTheSetupBeforeItWrites) {
    SetupSources sources;
    sources.write("Xml/Windows.xml", "<Windows>\n  <Window ID=\"Main\">\n"
                                     "    <Static ID=\"T\" Left=\"Parent.Width - 8\"/>\n"
                                     "  </Window>\n</Windows>");
    testing::internal::CaptureStderr();
    EXPECT_EQ(33, vornpack::Setup(sources.arguments()));
    const std::string errors = testing::internal::GetCapturedStderr();
    const std::string where = (sources.definitions / "Xml" / "Windows.xml").u8string() + ":3:";
    EXPECT_NE(std::string::npos, errors.find(where)) << errors;
    EXPECT_NE(std::string::npos, errors.find("definitions have 1 mistakes")) << errors;
    EXPECT_FALSE(fs::exists(sources.out));
    EXPECT_TRUE(sources.leftovers().empty());
}

// A word of the configuration that is not read where it stands stops the
// setup before it writes, at its place, with the word it was meant to be.
TEST(Setup, AnUnknownWordOfTheConfigurationStopsTheSetupBeforeItWrites) {
    const struct {
        const char* from;
        const char* to;
        const char* says;
    } mistakes[] = {
        {"<Shortcut Text=\"Try Test\" Help=\"Starts Test.\">App.exe</Shortcut>",
         "<Shortcutt Text=\"Try Test\" Help=\"Starts Test.\">App.exe</Shortcutt>",
         ":15:8: error: \"Shortcutt\" is no element of Shortcuts (did you mean \"Shortcut\"?)"},
        {"</Shortcuts>", "</Shortcuts>\n    <RemoveBy>Application</RemoveBy>",
         ":17:6: error: \"RemoveBy\" is no element of InstallationSettings (did you mean "
         "\"RemovedBy\"?)"},
    };
    for (const auto& test : mistakes) {
        SetupSources sources;
        sources.write("Configuration.xml", ConfigurationWith(test.from, test.to));
        testing::internal::CaptureStderr();
        EXPECT_EQ(33, vornpack::Setup(sources.arguments()));
        const std::string errors = testing::internal::GetCapturedStderr();
        const std::string where = (sources.definitions / "Configuration.xml").u8string();
        EXPECT_NE(std::string::npos, errors.find(where + test.says)) << errors;
        EXPECT_FALSE(fs::exists(sources.out));
    }
}

TEST(Setup, AReadOnlyOutputIsNeitherReplacedNorTouched) {
    SetupSources sources;
    vorn::WriteWholeFile(sources.out, {'o', 'l', 'd'});
    const fs::perms writable =
        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    fs::permissions(sources.out, writable, fs::perm_options::remove);
    testing::internal::CaptureStderr();
    EXPECT_EQ(17, vornpack::Setup(sources.arguments()));
    EXPECT_EQ(17, vornpack::Pack({TextOf(sources.app), u"-o", TextOf(sources.out)}));
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(std::string::npos,
              errors.find("VornPack setup: \"" + sources.out.u8string() + "\" is read-only"))
        << errors;
    EXPECT_NE(std::string::npos, errors.find("VornPack pack: ")) << errors;
    EXPECT_TRUE(sources.leftovers().empty());
    EXPECT_TRUE(vorn::ReadWholeFile(sources.out) == std::vector<uint8_t>({'o', 'l', 'd'}));
    fs::permissions(sources.out, fs::perms::owner_write, fs::perm_options::add);
}

} // namespace
} // namespace vornpack
