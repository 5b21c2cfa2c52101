#include <map>
#include <string>

#include <gtest/gtest.h>

#include "TestText.h"
#include "VornLib/core/Format.h"
#include "VornLib/core/PreferencesStore.h"
#include "VornLib/core/XmlDocument.h"

namespace vorn {
namespace {

const char kDefaults[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<Preferences>
  <User>
    <Global>
      <Language>en</Language>
      <InstallOptions>
        <CreateDesktopShortcut>true</CreateDesktopShortcut>
      </InstallOptions>
    </Global>
    <Local>
      <AnalyticsSampleRate>100</AnalyticsSampleRate>
    </Local>
  </User>
  <System><Global/><Local/></System>
</Preferences>)";

// The persistent layer in memory: values keyed by root, key path and name.
class MemoryStorage : public PreferenceStorage {
public:
    struct Stored {
        XmlValueKind kind;
        std::u16string text;
    };
    std::map<std::u16string, Stored> values;
    int reads = 0;
    std::u16string deleted;

    static std::u16string Key(const PreferenceLocation& location) {
        return std::u16string(1, char16_t(u'0' + uint32_t(location.root))) + u"|" +
               location.keyPath.data() + u"|" + location.valueName.data();
    }

    Result read(const PreferenceLocation& location, XmlValueKind kind, XmlNode* target) override {
        ++reads;
        auto found = values.find(Key(location));
        if (found == values.end())
            return kResultNotFound;
        // Like the registry: a value of another type does not read.
        const bool textual = kind == XmlValueKind::Text || kind == XmlValueKind::Float32;
        if ((found->second.kind == XmlValueKind::Text) != textual)
            return kResultKindMismatch;
        if (kind == XmlValueKind::Text)
            return target->setText(found->second.text.c_str());
        (void)target->setText(found->second.text.c_str());
        return kResultOk;
    }
    Result write(const PreferenceLocation& location, const XmlNode& value) override {
        String text;
        if (value.kind() == XmlValueKind::Text) {
            text = value.text();
        } else if (value.kind() == XmlValueKind::Float32) {
            float number = 0;
            (void)value.getFloat32(&number);
            text = Format(u"{0:g}", {number});
        } else {
            int32_t number = 0;
            (void)value.getInt32(&number);
            text = Format(u"{0}", {number});
        }
        const XmlValueKind kind =
            value.kind() == XmlValueKind::Float32 ? XmlValueKind::Text : value.kind();
        values[Key(location)] = {kind, text.data()};
        return kResultOk;
    }
    Result deleteTree(const PreferenceLocation& location) override {
        deleted += Key(location) + u";";
        const std::u16string prefix = std::u16string(1, char16_t(u'0' + uint32_t(location.root))) +
                                      u"|" + location.keyPath.data() + location.valueName.data() +
                                      u"\\";
        for (auto it = values.begin(); it != values.end();)
            it = it->first.compare(0, prefix.size(), prefix) == 0 ? values.erase(it) : ++it;
        return kResultOk;
    }
    bool keyExists(PreferenceRoot root, const String& keyPath) override {
        const std::u16string prefix =
            std::u16string(1, char16_t(u'0' + uint32_t(root))) + u"|" + keyPath.data();
        for (const auto& entry : values) {
            if (entry.first.compare(0, prefix.size(), prefix) == 0)
                return true;
        }
        return false;
    }
};

class PreferencesStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(0u, defaults.parse(kDefaults, sizeof kDefaults - 1, u"Preferences.xml"));
    }
    const XmlNode* defaultsRoot() const { return defaults.root(); }

    XmlDocument defaults;
    MemoryStorage storage;
    const String base = u"Software\\Vorn\\Demo\\";
};

TEST(PreferencesBaseKey, TagAndConfigSet) {
    const String empty;
    EXPECT_EQ(PreferencesStore::BaseKey(u"Vorn", u"Demo", empty, nullptr),
              u"Software\\Vorn\\Demo\\");
    EXPECT_EQ(PreferencesStore::BaseKey(u"Vorn", u"Demo", u"Beta 2", nullptr),
              u"Software\\Vorn\\Demo (Beta)\\");
    const String set(u" a/b\\c ");
    EXPECT_EQ(PreferencesStore::BaseKey(u"Vorn", u"Demo", empty, &set),
              u"Software\\Vorn\\Demo\\Custom Sets\\abc\\");
    const String blank(u" // ");
    EXPECT_EQ(PreferencesStore::BaseKey(u"Vorn", u"Demo", empty, &blank),
              u"Software\\Vorn\\Demo\\");
}

TEST_F(PreferencesStoreTest, PathsMapToRootKeyAndValue) {
    PreferencesStore store(&storage, defaultsRoot(), base);
    PreferenceLocation location;
    ASSERT_EQ(0u, store.locate(u"/User/Local/Recent Files/File1/Name", &location));
    EXPECT_EQ(PreferenceRoot::CurrentUser, location.root);
    EXPECT_EQ(location.keyPath, u"Software\\Vorn\\Demo\\Local\\Recent Files\\File1\\");
    EXPECT_EQ(location.valueName, u"Name");
    ASSERT_EQ(0u, store.locate(u"/System/Global/Installed", &location));
    EXPECT_EQ(PreferenceRoot::LocalMachine, location.root);
    EXPECT_EQ(location.keyPath, u"Software\\Vorn\\Demo\\Global\\");
    EXPECT_EQ(31u, store.locate(u"/Other/Global/X", &location));
    EXPECT_EQ(31u, store.locate(u"/User/Global", &location));
}

TEST_F(PreferencesStoreTest, ReadOrderChangesCacheRegistryDefaults) {
    PreferencesStore store(&storage, defaultsRoot(), base);
    String language;
    EXPECT_EQ(0u, store.getText(u"/User/Global/Language", &language));
    EXPECT_EQ(language, u"en") << "empty registry: the defaults answer";

    EXPECT_EQ(0u, store.setText(u"/User/Global/Language", u"fr"));
    EXPECT_EQ(0u, store.getText(u"/User/Global/Language", &language));
    EXPECT_EQ(language, u"fr") << "a change answers before any flush";
    EXPECT_TRUE(storage.values.empty());

    storage.values[u"2|Software\\Vorn\\Demo\\Local\\|AnalyticsSampleRate"] = {XmlValueKind::Int32,
                                                                              u"25"};
    int32_t rate = 0;
    EXPECT_EQ(0u, store.getInt32(u"/User/Local/AnalyticsSampleRate", &rate));
    EXPECT_EQ(25, rate) << "the registry comes before the defaults";
    const int readsBefore = storage.reads;
    storage.values.clear();
    EXPECT_EQ(0u, store.getInt32(u"/User/Local/AnalyticsSampleRate", &rate));
    EXPECT_EQ(25, rate) << "served from the cache";
    EXPECT_EQ(readsBefore, storage.reads);

    bool desktop = false;
    EXPECT_EQ(0u, store.getBoolean(u"/User/Global/InstallOptions/CreateDesktopShortcut", &desktop));
    EXPECT_TRUE(desktop) << "a text default parsed as a boolean";
}

TEST_F(PreferencesStoreTest, MissingValuesAndBadArguments) {
    PreferencesStore store(&storage, defaultsRoot(), base);
    String text(u"stale");
    EXPECT_EQ(29u, store.getText(u"/User/Global/Nothing", &text));
    EXPECT_TRUE(text.isEmpty());
    bool flag = false;
    EXPECT_EQ(29u, store.getBoolean(u"/User/Global/Nothing", &flag, true));
    EXPECT_TRUE(flag) << "the fallback";
    EXPECT_EQ(31u, store.getText(nullptr, &text));
    EXPECT_EQ(23u, store.getText(u"/User/Global/Language", nullptr));
    EXPECT_EQ(31u, store.setInt32(nullptr, 1));
    EXPECT_EQ(31u, store.setText(u"no-leading-slash", u"x"));

    // A path outside the four branches still lives in the XML layers.
    EXPECT_EQ(0u, store.setText(u"/Session/Value", u"kept"));
    EXPECT_EQ(0u, store.getText(u"/Session/Value", &text));
    EXPECT_EQ(text, u"kept");
    EXPECT_EQ(0u, store.flush());
    EXPECT_TRUE(storage.values.empty()) << "never written to the registry";

    PreferencesStore withoutAnything(nullptr, nullptr, base);
    EXPECT_EQ(29u, withoutAnything.getText(u"/User/Global/Language", &text));
}

TEST_F(PreferencesStoreTest, FlushWritesByKindAndRepeats) {
    PreferencesStore store(&storage, defaultsRoot(), base);
    (void)store.setFloat32(u"/User/Local/Zoom", 0.5f);
    (void)store.setBoolean(u"/User/Global/InstallOptions/CreateQuickLaunchShortcut", false);
    (void)store.setInt32(u"/System/Local/Count", 3);
    EXPECT_EQ(0u, store.flush());
    EXPECT_EQ(storage.values[u"2|Software\\Vorn\\Demo\\Local\\|Zoom"].text, u"0.5");
    EXPECT_EQ(XmlValueKind::Text, storage.values[u"2|Software\\Vorn\\Demo\\Local\\|Zoom"].kind);
    EXPECT_EQ(storage
                  .values[u"2|Software\\Vorn\\Demo\\Global\\InstallOptions\\|"
                          u"CreateQuickLaunchShortcut"]
                  .text,
              u"0");
    EXPECT_EQ(storage.values[u"3|Software\\Vorn\\Demo\\Local\\|Count"].text, u"3");
    storage.values.clear();
    EXPECT_EQ(0u, store.flush());
    EXPECT_EQ(3u, storage.values.size()) << "the changes stay and are written again";
}

TEST_F(PreferencesStoreTest, PurgeHidesTheOldBranchAndDeletesItOnFlush) {
    storage.values[u"2|Software\\Vorn\\Demo\\Local\\Recent Files\\File1\\|Name"] = {
        XmlValueKind::Text, u"C:\\old.vdm"};
    PreferencesStore store(&storage, defaultsRoot(), base);
    String name;
    EXPECT_EQ(0u, store.recentFile(0, &name, nullptr));
    EXPECT_EQ(name, u"C:\\old.vdm");

    EXPECT_EQ(0u, store.purge(u"/User/Local/Recent Files"));
    EXPECT_TRUE(store.exists(u"/User/Local/Recent Files"));
    EXPECT_EQ(29u, store.getText(u"/User/Local/Recent Files/File1/Name", &name));
    EXPECT_EQ(37u, store.recentFile(0, &name, nullptr));

    (void)store.setText(u"/User/Local/Recent Files/File1/Name", u"C:\\new.vdm");
    (void)store.setText(u"/User/Local/Recent Files/File1/Metadata", u"page 3");
    EXPECT_EQ(0u, store.flush());
    EXPECT_EQ(storage.deleted, u"2|Software\\Vorn\\Demo\\Local\\|Recent Files;");
    EXPECT_EQ(storage.values[u"2|Software\\Vorn\\Demo\\Local\\Recent Files\\File1\\|Name"].text,
              u"C:\\new.vdm")
        << "written after the branch was deleted";
    String metadata;
    EXPECT_EQ(0u, store.recentFile(0, &name, &metadata));
    EXPECT_EQ(metadata, u"page 3");
}

TEST_F(PreferencesStoreTest, ChosenLanguageIsReadOnceAndSwitched) {
    PreferencesStore store(&storage, defaultsRoot(), base);
    EXPECT_EQ(1u, store.language()) << "\"en\" from the defaults";
    EXPECT_TRUE(store.setLanguage(u"FR"));
    EXPECT_EQ(2u, store.language());
    String stored;
    (void)store.getText(u"/User/Global/Language", &stored);
    EXPECT_EQ(stored, u"fr") << "the canonical code";
    EXPECT_FALSE(store.setLanguage(u"xx"));
    EXPECT_FALSE(store.setLanguage(u"*"));
    EXPECT_EQ(2u, store.language());

    storage.values[u"2|Software\\Vorn\\Demo\\Global\\|Language"] = {XmlValueKind::Text, u"Klingon"};
    PreferencesStore unknown(&storage, defaultsRoot(), base);
    EXPECT_EQ(0u, unknown.language()) << "an unknown code means no choice";
}

TEST_F(PreferencesStoreTest, RecentFileRangeAndExists) {
    PreferencesStore store(&storage, defaultsRoot(), base);
    String name(u"stale");
    const int readsBefore = storage.reads;
    EXPECT_EQ(37u, store.recentFile(9, &name, nullptr));
    EXPECT_TRUE(name.isEmpty());
    EXPECT_EQ(readsBefore, storage.reads) << "no registry access out of range";
    EXPECT_EQ(37u, store.recentFile(3, &name, nullptr));

    EXPECT_TRUE(store.exists(u"/User/Global/Language")) << "in the defaults";
    EXPECT_FALSE(store.exists(u"/User/Global/Unknown"));
    storage.values[u"2|Software\\Vorn\\Demo\\Global\\Window\\|Width"] = {XmlValueKind::Int32, u"5"};
    EXPECT_TRUE(store.exists(u"/User/Global/Window/Height")) << "its key exists";
}

} // namespace
} // namespace vorn
