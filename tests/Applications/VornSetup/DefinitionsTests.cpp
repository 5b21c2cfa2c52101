// Checks of the definitions that the setup executable carries: every file
// parses, every language table holds the same entries with the same
// placeholders and message separators, every "#Key" that a definition or the
// installer's code names exists, the message boxes obey the button-set rules,
// and the installation settings and preference defaults read back through the
// code that consumes them.
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Applications/VornSetup/InstallManifest.h"
#include "TestText.h"
#include "VornLib/app/Uninstaller.h"
#include "VornLib/core/Format.h"
#include "VornLib/core/PreferencesStore.h"
#include "VornLib/core/XmlDocument.h"
#include "VornLib/gui/AccessKeys.h"

namespace vornsetup {
namespace {

using namespace vorn;
namespace fs = std::filesystem;
using Text = std::u16string;

const char* const kHeader = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
const char16_t kSplit = u'\u00A4';

const char* const kSetupLanguages[] = {"de", "en", "es", "fr", "it", "ko", "ru", "zh"};
const char* const kFrameworkLanguages[] = {"de", "en", "es", "fr", "he", "it", "ko", "ru", "zh"};

struct Family {
    const char* prefix;
    bool framework; // nine languages instead of eight
};
const Family kFamilies[] = {{"VornSetup-Strings-", false},
                            {"VornSetup-Custom-Strings-", false},
                            {"VornSetup-License-", false},
                            {"VornLib-Strings-", true}};
const char* const kDefinitionFiles[] = {"Configuration.xml", "Dialogs.xml", "Preferences.xml",
                                        "Windows.xml"};

std::vector<std::string> LanguagesOf(const Family& family) {
    if (family.framework)
        return {std::begin(kFrameworkLanguages), std::end(kFrameworkLanguages)};
    return {std::begin(kSetupLanguages), std::end(kSetupLanguages)};
}

std::string FileName(const Family& family, const std::string& language) {
    return family.prefix + language + ".xml";
}

Text ToText(const String& text) {
    return Text(text.data(), text.length());
}

std::string Printable(const Text& text) {
    return ToPrintable(text.c_str());
}

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct Loaded {
    std::string bytes;
    XmlDocument document;
    Result parsed = kResultFailed;
};

// Every file of the folder, parsed once for the whole suite.
const std::map<std::string, std::unique_ptr<Loaded>>& Definitions() {
    static const std::map<std::string, std::unique_ptr<Loaded>> files = [] {
        std::map<std::string, std::unique_ptr<Loaded>> loaded;
        for (const fs::directory_entry& entry : fs::directory_iterator(VORN_SETUP_DEFINITIONS)) {
            // Pictures and other resources live in folders of their own.
            if (!entry.is_regular_file())
                continue;
            auto file = std::make_unique<Loaded>();
            file->bytes = ReadBytes(entry.path());
            file->parsed = file->document.parse(file->bytes.data(), uint32_t(file->bytes.size()),
                                                u"definitions");
            loaded[entry.path().filename().string()] = std::move(file);
        }
        return loaded;
    }();
    return files;
}

const XmlNode* Root(const std::string& name) {
    const auto found = Definitions().find(name);
    return found == Definitions().end() ? nullptr : found->second->document.root();
}

Text Attribute(const XmlNode& node, const char16_t* name) {
    String value;
    (void)node.getAttribute(name, &value, u"");
    return ToText(value);
}

Text NodeText(const XmlNode& node) {
    String value;
    (void)node.getText(&value);
    return ToText(value);
}

// The registry's view of a table: "kind:ID" for every child of the root.
struct Table {
    std::map<Text, const XmlNode*> entries;
    std::vector<Text> duplicates;
};

Table EntriesOf(const std::string& fileName) {
    Table table;
    const XmlNode* root = Root(fileName);
    for (const XmlNode* child = root ? root->firstChild() : nullptr; child;
         child = child->nextSibling()) {
        const Text key = ToText(child->name()) + u":" + Attribute(*child, u"ID");
        if (!table.entries.emplace(key, child).second)
            table.duplicates.push_back(key);
    }
    return table;
}

// Format fields in order of appearance, e.g. "{0}", "{0,.0}".
std::vector<Text> Fields(const Text& text) {
    std::vector<Text> fields;
    for (size_t at = text.find(u'{'); at != Text::npos; at = text.find(u'{', at + 1)) {
        const size_t end = text.find(u'}', at);
        fields.push_back(text.substr(at, end == Text::npos ? Text::npos : end - at + 1));
    }
    std::sort(fields.begin(), fields.end());
    return fields;
}

size_t CountOf(const Text& text, char16_t unit) {
    return size_t(std::count(text.begin(), text.end(), unit));
}

// Formats the text the way the installer will: a number for fields with a
// precision, a name otherwise. A field the formatter rejects empties the result.
Text Formatted(const Text& text) {
    const std::vector<Text> fields = Fields(text);
    std::vector<FormatArgument> arguments;
    for (const Text& field : fields) {
        const uint32_t index = uint32_t(field.size() > 1 ? field[1] - u'0' : 0);
        if (index >= 10)
            return Text();
        while (arguments.size() <= index)
            arguments.emplace_back(u"Demo");
        if (field.find(u',') != Text::npos)
            arguments[index] = FormatArgument(42.0f);
    }
    std::vector<const FormatArgument*> pointers;
    for (const FormatArgument& argument : arguments)
        pointers.push_back(&argument);
    return ToText(Format(text.c_str(), uint32_t(pointers.size()), pointers.data()));
}

// The string tables of one language, looked up like the resource cache does.
class LanguageTables : public LocalizedElementSource {
public:
    explicit LanguageTables(const std::string& language) {
        for (const Family& family : kFamilies) {
            const Table table = EntriesOf(FileName(family, language));
            entries_.insert(table.entries.begin(), table.entries.end());
        }
    }
    Result getLocalizedElement(const char16_t* kind, const char16_t* id,
                               const XmlNode** element) override {
        const auto found = entries_.find(Text(kind) + u":" + Text(id ? id : u""));
        *element = found == entries_.end() ? nullptr : found->second;
        return *element ? kResultOk : kResultNotFound;
    }
    Result release(const void*) override { return kResultOk; }
    bool has(const Text& key) const { return entries_.count(u"String:" + key) != 0; }
    Text resolve(const Text& text) {
        String out;
        EXPECT_EQ(0u, ResolveLocalizedText(*this, text.c_str(), &out)) << Printable(text);
        return ToText(out);
    }

private:
    std::map<Text, const XmlNode*> entries_;
};

TEST(Definitions, EveryFileIsPresentWellFormedAndLabelled) {
    std::map<std::string, std::string> expected; // file name -> root Language
    for (const char* name : kDefinitionFiles)
        expected[name] = "";
    for (const Family& family : kFamilies) {
        for (const std::string& language : LanguagesOf(family))
            expected[FileName(family, language)] = language;
    }
    std::set<std::string> present;
    for (const auto& file : Definitions())
        present.insert(file.first);
    std::set<std::string> wanted;
    for (const auto& entry : expected)
        wanted.insert(entry.first);
    EXPECT_EQ(wanted, present) << "no file missing, nothing stray in the folder";

    for (const auto& file : Definitions()) {
        SCOPED_TRACE(file.first);
        const Loaded& loaded = *file.second;
        EXPECT_EQ(0u, loaded.parsed);
        EXPECT_EQ(0u, loaded.bytes.compare(0, std::strlen(kHeader), kHeader))
            << "UTF-8 declaration first, no byte-order mark";
        ASSERT_NE(nullptr, loaded.document.root());
        const auto label = expected.find(file.first);
        if (label != expected.end() && !label->second.empty()) {
            const std::string language(label->second);
            EXPECT_EQ(Attribute(*loaded.document.root(), u"Language"),
                      Text(language.begin(), language.end()));
        }
    }
}

TEST(Definitions, EveryLanguageHasTheSameEntries) {
    // A table registered later replaces entries of an earlier one; none of
    // the shipped families is meant to shadow another.
    std::map<Text, const char*> owner;
    for (const Family& family : kFamilies) {
        for (const auto& entry : EntriesOf(FileName(family, "en")).entries) {
            const auto inserted = owner.emplace(entry.first, family.prefix);
            EXPECT_TRUE(inserted.second) << Printable(entry.first) << " in " << family.prefix
                                         << " and " << inserted.first->second;
        }
    }
    for (const Family& family : kFamilies) {
        const Table english = EntriesOf(FileName(family, "en"));
        EXPECT_FALSE(english.entries.empty()) << family.prefix;
        for (const std::string& language : LanguagesOf(family)) {
            SCOPED_TRACE(FileName(family, language));
            const Table table = EntriesOf(FileName(family, language));
            EXPECT_TRUE(table.duplicates.empty())
                << "a repeated ID silently replaces the earlier entry: "
                << Printable(table.duplicates.empty() ? Text() : table.duplicates[0]);
            std::vector<Text> missing, extra;
            for (const auto& entry : english.entries) {
                if (!table.entries.count(entry.first))
                    missing.push_back(entry.first);
            }
            for (const auto& entry : table.entries) {
                if (!english.entries.count(entry.first))
                    extra.push_back(entry.first);
            }
            EXPECT_TRUE(missing.empty()) << Printable(missing.empty() ? Text() : missing[0]);
            EXPECT_TRUE(extra.empty()) << Printable(extra.empty() ? Text() : extra[0]);
        }
    }
}

// Serialises a description with its attributes and children, to compare the
// non-text entries (message boxes) across languages.
Text Describe(const XmlNode& node) {
    Text out = u"<" + ToText(node.name());
    for (const XmlAttribute* attribute = node.firstAttribute(); attribute;
         attribute = attribute->next)
        out += u" " + ToText(attribute->name) + u"=" + ToText(attribute->value);
    out += u">";
    if (!node.firstChild())
        out += NodeText(node);
    for (const XmlNode* child = node.firstChild(); child; child = child->nextSibling())
        out += Describe(*child);
    return out + u"</>";
}

TEST(Definitions, TranslationsKeepPlaceholdersAndSeparators) {
    for (const Family& family : kFamilies) {
        const Table english = EntriesOf(FileName(family, "en"));
        for (const std::string& language : LanguagesOf(family)) {
            const Table table = EntriesOf(FileName(family, language));
            for (const auto& entry : table.entries) {
                SCOPED_TRACE(FileName(family, language) + " " + Printable(entry.first));
                const auto reference = english.entries.find(entry.first);
                if (reference == english.entries.end())
                    continue; // reported by EveryLanguageHasTheSameEntries
                if (entry.second->name() != u"String") {
                    EXPECT_EQ(Printable(Describe(*reference->second)),
                              Printable(Describe(*entry.second)));
                    continue;
                }
                const Text text = NodeText(*entry.second);
                const Text original = NodeText(*reference->second);
                EXPECT_FALSE(text.empty());
                EXPECT_EQ(Fields(original), Fields(text));
                EXPECT_EQ(CountOf(original, kSplit), CountOf(text, kSplit));
                EXPECT_EQ(CountOf(original, u'\n'), CountOf(text, u'\n')) << "paragraphs";
                const Text shown = Formatted(text);
                EXPECT_FALSE(shown.empty()) << "the formatter rejects a field";
                EXPECT_EQ(Text::npos, shown.find_first_of(u"{}")) << Printable(shown);
            }
        }
    }
    const Table license = EntriesOf("VornSetup-License-en.xml");
    ASSERT_TRUE(license.entries.count(u"String:LicenseText"));
    EXPECT_NE(Text::npos, NodeText(*license.entries.at(u"String:LicenseText")).find(u"\n\n"))
        << "paragraph breaks survive the reader";
}

void CollectKeys(const XmlNode& node, std::set<Text>* keys) {
    auto take = [keys](const Text& value) {
        if (value.size() > 0 && value[0] == u'#' && value.compare(0, 2, u"##") != 0)
            keys->insert(value.substr(1));
    };
    for (const XmlAttribute* attribute = node.firstAttribute(); attribute;
         attribute = attribute->next)
        take(ToText(attribute->value));
    if (!node.firstChild())
        take(NodeText(node));
    for (const XmlNode* child = node.firstChild(); child; child = child->nextSibling())
        CollectKeys(*child, keys);
}

// The keys and messages that the installer's and the framework's code look up.
const char16_t* const kKeysUsedByCode[] = {u"InstallTitle",
                                           u"InstallLabel",
                                           u"WelcomeTitle",
                                           u"WelcomeInfoURL",
                                           u"InstallFolderLabel",
                                           u"InstallScopeLabel",
                                           u"SpaceRequired",
                                           u"SuccessMessage",
                                           u"RunButton",
                                           u"ProgressionText",
                                           u"TimeRemaining",
                                           u"TimeRemainingAboutXMinutes",
                                           u"TimeRemainingAboutAMinute",
                                           u"TimeRemainingLessThanMinute",
                                           u"TimeRemainingAbout10Seconds",
                                           u"TimeRemainingAbout5Seconds",
                                           u"TimeRemaining0Second",
                                           u"OpenRecentFileCmdHelp",
                                           u"NoRecentDocuments",
                                           u"LicenseText",
                                           u"FailureMessage",
                                           u"DamagedSetupMessage",
                                           u"UpdateCanceledMessage",
                                           u"UpdateKeptNote",
                                           u"UpdateAvailableHeader",
                                           u"UpdateAvailableBody",
                                           u"UpdateNotesLink",
                                           u"CheckForUpdatesCmd"};
const char16_t* const kMessagesUsedByCode[] = {u"CloseBeforeUninstall",     u"NotInstalled",
                                               u"UninstallConfirmation",    u"UninstallSucceed",
                                               u"CancelConfirmation",       u"SetupAlreadyRunning",
                                               u"UpdateCancelConfirmation", u"RightsRefused",
                                               u"UpdateAvailable",          u"UpToDate",
                                               u"UpdateCheckFailed"};

TEST(Definitions, EveryReferencedKeyExists) {
    LanguageTables english("en");
    std::set<Text> referenced(std::begin(kKeysUsedByCode), std::end(kKeysUsedByCode));
    for (const auto& file : Definitions()) {
        if (const XmlNode* root = file.second->document.root())
            CollectKeys(*root, &referenced);
    }
    // References come from attributes and from element texts alike.
    for (const char16_t* seen : {u"VornDemoShortcutHelp", u"VornDemoDescription", u"UninstallTitle",
                                 u"CancelConfirmationMessage", u"ButtonNo"})
        EXPECT_TRUE(referenced.count(seen)) << ToPrintable(seen);
    for (const Text& key : referenced)
        EXPECT_TRUE(english.has(key)) << "#" << Printable(key);

    for (const char* language : kSetupLanguages) {
        LanguageTables tables(language);
        for (const char16_t* name : kMessagesUsedByCode) {
            const XmlNode* element = nullptr;
            EXPECT_EQ(0u, tables.getLocalizedElement(u"MessageBox", name, &element))
                << language << " " << ToPrintable(name);
        }
    }
}

// The texts a user sees together, each with an access key: on one page no
// two may share a key, or Alt and the letter would reach only the first.
TEST(Definitions, EveryPageHasDistinctAccessKeysInEveryLanguage) {
    const std::vector<std::vector<const char16_t*>> pages = {
        {u"InstallFolderLabel", u"BrowseButton", u"ProgramGroupLabel", u"CreateDesktopShortcut",
         u"CreateQuickLaunchShortcut", u"InstallButton", u"QuitButton"},
        {u"CancelButton"},
        {u"RunButton", u"QuitButton"},
        {u"ButtonYes", u"ButtonNo"},
        {u"ButtonAbort", u"ButtonRetry", u"ButtonIgnore"},
    };
    for (const char* language : kSetupLanguages) {
        LanguageTables tables(language);
        for (const std::vector<const char16_t*>& page : pages) {
            std::map<char16_t, Text> taken;
            for (const char16_t* key : page) {
                const Text text = tables.resolve(u"#" + Text(key));
                const char16_t access = AccessKeyOf(text.c_str());
                EXPECT_NE(0, access) << language << " " << Printable(text) << " marks no key";
                const auto inserted = taken.emplace(access, text);
                EXPECT_TRUE(access == 0 || inserted.second)
                    << language << ": " << Printable(text) << " and "
                    << Printable(inserted.first->second) << " share a key";
            }
        }
    }
}

TEST(Definitions, MessageBoxesFollowTheButtonRules) {
    // Allowed sets, as bit masks of Yes 1, No 2, OK 4, Cancel 8, Retry 16,
    // Abort 32, Ignore 64.
    const uint32_t allowed[] = {1 | 2, 4, 1 | 2 | 8, 4 | 8, 16 | 8, 32 | 16 | 64};
    const char16_t* const buttons[] = {u"Yes",   u"No",    u"OK",    u"Cancel",
                                       u"Retry", u"Abort", u"Ignore"};
    const char16_t* const types[] = {u"Simple", u"Information", u"Warning", u"Error"};
    for (const char* language : kSetupLanguages) {
        LanguageTables tables(language);
        // The installer's own messages and the framework's (which the
        // installed program shows when it removes itself).
        Table table = EntriesOf(FileName(kFamilies[0], language));
        const Table framework = EntriesOf(FileName(kFamilies[3], language));
        table.entries.insert(framework.entries.begin(), framework.entries.end());
        uint32_t count = 0;
        for (const auto& entry : table.entries) {
            const XmlNode& box = *entry.second;
            if (box.name() != u"MessageBox")
                continue;
            ++count;
            SCOPED_TRACE(std::string(language) + " " + Printable(entry.first));
            const Text type = Attribute(box, u"Type");
            EXPECT_TRUE(std::any_of(std::begin(types), std::end(types),
                                    [&](const char16_t* known) { return type == known; }));
            uint32_t set = 0, defaults = 0;
            Text message;
            for (const XmlNode* child = box.firstChild(); child; child = child->nextSibling()) {
                for (uint32_t i = 0; i < 7; ++i) {
                    if (child->name() != buttons[i])
                        continue;
                    set |= 1u << i;
                    EXPECT_FALSE(tables.resolve(NodeText(*child)).empty());
                    bool isDefault = false;
                    (void)child->getAttributeBoolean(u"DefaultButton", &isDefault, false);
                    defaults += isDefault ? 1 : 0;
                }
                if (child->name() == u"Message")
                    message = tables.resolve(NodeText(*child));
            }
            EXPECT_TRUE(std::count(std::begin(allowed), std::end(allowed), set)) << set;
            EXPECT_LE(defaults, 1u);
            const Text shown = Formatted(message);
            EXPECT_LE(CountOf(shown, kSplit), 3u) << "header, body, details, footer at most";
            EXPECT_NE(0u, shown.find(kSplit)) << "every message has a header";
            if (box.findAttribute(u"Title")) {
                EXPECT_FALSE(tables.resolve(Attribute(box, u"Title")).empty());
            }
        }
        EXPECT_EQ(std::size(kMessagesUsedByCode), count) << language;
    }
}

TEST(Definitions, FrameworkMessagesInEveryFrameworkLanguage) {
    // A removed program has only the framework's tables with it.
    const char16_t* const removal[] = {u"CloseBeforeUninstall", u"NotInstalled",
                                       u"UninstallConfirmation", u"UninstallSucceed"};
    for (const char* language : kFrameworkLanguages) {
        const Table table = EntriesOf(FileName(kFamilies[3], language));
        for (const char16_t* name : removal)
            EXPECT_TRUE(table.entries.count(Text(u"MessageBox:") + name))
                << language << " " << ToPrintable(name);
    }
}

TEST(Definitions, TheRemovalsOwnEnglishIsTheEnglishTable) {
    // What a program says when its string tables cannot be read.
    LanguageTables english("en");
    for (const RemovalMessage& message : kRemovalMessages) {
        SCOPED_TRACE(ToPrintable(message.name));
        const XmlNode* box = nullptr;
        ASSERT_EQ(0u, english.getLocalizedElement(u"MessageBox", message.name, &box));
        EXPECT_EQ(Text(message.type), Attribute(*box, u"Type"));
        const XmlNode* text = box->find(u"/Message");
        ASSERT_NE(nullptr, text);
        EXPECT_EQ(Text(message.text), english.resolve(NodeText(*text)));
        EXPECT_EQ(message.question, box->find(u"/Yes") != nullptr);
    }
}

TEST(Definitions, InstallationSettingsReadThroughTheManifest) {
    const XmlNode* root = Root("Configuration.xml");
    ASSERT_NE(nullptr, root);
    const XmlNode* settings = root->find(u"/InstallationSettings");
    ASSERT_NE(nullptr, settings);
    LanguageTables english("en");
    InstallManifest manifest;
    ASSERT_EQ(0u, manifest.readSettings(*settings, &english));
    EXPECT_EQ(manifest.uuid.toText(), u"7E3F2A91-5C4B-4D8E-9F10-2B3C4D5E6F70");
    EXPECT_EQ(manifest.name, u"VornDemo");
    EXPECT_EQ(manifest.version, u"1.0.0");
    EXPECT_EQ(manifest.company, u"Vorn Software");
    EXPECT_EQ(manifest.displayName(), u"VornDemo");
    EXPECT_EQ(Distribution::Public, manifest.distribution);
    EXPECT_EQ(ToText(manifest.description), english.resolve(u"#VornDemoDescription"));
    EXPECT_EQ(manifest.executable, u"VornDemo.exe");
    EXPECT_EQ(manifest.executableX64, u"VornDemo64.exe");
    for (const String* link : {&manifest.webSite, &manifest.technicalSupport, &manifest.updates})
        EXPECT_EQ(0u, ToText(*link).rfind(u"https://vorn.example/", 0))
            << ToPrintable(link->data());
    EXPECT_EQ(manifest.contact, u"support@vorn.example");
    ASSERT_EQ(1u, manifest.shortcuts.size());
    EXPECT_EQ(manifest.shortcuts[0].target, u"VornDemo.exe");
    EXPECT_EQ(manifest.shortcuts[0].text, u"#VornDemoShortcut");
    EXPECT_EQ(manifest.shortcuts[0].help, u"#VornDemoShortcutHelp");

    // The program group also gets a shortcut named after the display name; an
    // extra shortcut of the same name would overwrite it.
    for (const char* language : kSetupLanguages) {
        LanguageTables tables(language);
        EXPECT_NE(tables.resolve(ToText(manifest.shortcuts[0].text)),
                  ToText(manifest.displayName()))
            << language;
    }

    // The settings name the very application that VornDemo says it is: its
    // mutex and uninstall entry hang on this identity.
    const fs::path demo = fs::path(VORN_SETUP_DEFINITIONS) / ".." / ".." / "VornDemo" / "payload" /
                          "Data" / "Xml" / "VornDemo.xml";
    const std::string demoBytes = ReadBytes(demo);
    XmlDocument demoDocument;
    ASSERT_EQ(0u, demoDocument.parse(demoBytes.data(), uint32_t(demoBytes.size()), u"demo"));
    ApplicationDescription demoApplication;
    ASSERT_EQ(0u, ApplicationDescription::Read(*demoDocument.find(u"/VornDemo/Application"),
                                               &demoApplication));
    EXPECT_EQ(demoApplication.uuid.toText(), manifest.uuid.toText());
    EXPECT_EQ(demoApplication.name, manifest.name);
    EXPECT_EQ(demoApplication.version, manifest.version);
    EXPECT_EQ(demoApplication.company, manifest.company);

    ApplicationDescription installer;
    ASSERT_EQ(0u, ApplicationDescription::Read(*root->find(u"/Application"), &installer));
    EXPECT_EQ(installer.name, u"VornSetup");
    EXPECT_EQ(installer.version, u"2.0.0");
    EXPECT_EQ(installer.company, u"Vorn Software");
    EXPECT_FALSE(installer.multipleInstancesAllowed);
    EXPECT_TRUE(installer.trackingId.isEmpty());
    EXPECT_EQ(installer.supportEmail, u"support@vorn.example");
    EXPECT_NE(installer.uuid.toText(), manifest.uuid.toText()) << "a mutex of its own";
    EXPECT_NE(installer.uuid.toText(), UUID().toText());
}

// Nothing stored yet: every read falls through to the defaults.
class EmptyStorage : public PreferenceStorage {
public:
    Result read(const PreferenceLocation&, XmlValueKind, XmlNode*) override {
        return kResultNotFound;
    }
    Result write(const PreferenceLocation&, const XmlNode&) override { return kResultOk; }
    Result deleteTree(const PreferenceLocation&) override { return kResultOk; }
    bool keyExists(PreferenceRoot, const String&) override { return false; }
};

TEST(Definitions, PreferenceDefaultsReadThroughTheStore) {
    const XmlNode* root = Root("Preferences.xml");
    ASSERT_NE(nullptr, root);
    // The store asks the resource cache for the element "Preferences", which
    // finds children of a document's root only.
    const XmlNode* defaults = root->find(u"/Preferences");
    ASSERT_NE(nullptr, defaults);
    for (const char16_t* branch :
         {u"/User/Global", u"/User/Local", u"/System/Global", u"/System/Local"})
        EXPECT_NE(nullptr, defaults->find(branch)) << ToPrintable(branch);

    EmptyStorage storage;
    PreferencesStore store(&storage, defaults, u"Software\\Vorn Software\\VornSetup\\");
    for (const char16_t* path : {u"/User/Global/InstallOptions/CreateDesktopShortcut",
                                 u"/User/Global/InstallOptions/CreateQuickLaunchShortcut"}) {
        bool value = false;
        EXPECT_EQ(0u, store.getBoolean(path, &value)) << ToPrintable(path);
        EXPECT_TRUE(value) << ToPrintable(path);
    }
    int32_t rate = 0;
    EXPECT_EQ(0u, store.getInt32(u"/User/Local/AnalyticsSampleRate", &rate));
    EXPECT_EQ(100, rate);
    String language = u"xx";
    (void)store.getText(u"/User/Global/Language", &language);
    EXPECT_TRUE(language.isEmpty()) << "no language chosen until the user picks one";
}

} // namespace
} // namespace vornsetup
