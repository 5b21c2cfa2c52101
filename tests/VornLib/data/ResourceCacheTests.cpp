// The resource file system and cache over containers built in memory: mount
// order, names, shared files and their release, pictures and documents,
// element registration and replacement, and the language order.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "DataTestSupport.h"
#include "PictureEncoders.h"
#include "TestText.h"
#include "Tools/VornPack/ContainerWriter.h"
#include "VornLib/core/Language.h"
#include "VornLib/data/ResourceCache.h"

namespace vorn {
namespace {

struct Entry {
    std::u16string name;
    std::vector<uint8_t> data;
};

std::vector<uint8_t> Bytes(const std::string& text) {
    return std::vector<uint8_t>(text.begin(), text.end());
}

std::unique_ptr<GrowableStream> BuildContainer(const std::vector<Entry>& entries) {
    auto out = std::make_unique<GrowableStream>();
    vornpack::ContainerWriter writer;
    EXPECT_EQ(0u, writer.begin(out.get(), 0x20261207, 0x12000000));
    for (const Entry& entry : entries) {
        EXPECT_EQ(0u, writer.addEntry(entry.name.c_str(), CompressionKind::Stored,
                                      entry.data.data(), entry.data.size(), entry.data.size()));
    }
    EXPECT_EQ(0u, writer.finish());
    return out;
}

std::vector<uint8_t> SmallPng() {
    const uint8_t rgba[2 * 2 * 4] = {255, 0, 0, 255, 0, 255, 0, 128, 0, 0, 255, 0, 9, 9, 9, 255};
    size_t size = 0;
    uint8_t* bytes = TestEncodePng(2, 2, 6, 8, 0, rgba, nullptr, 0, &size);
    std::vector<uint8_t> out(bytes, bytes + size);
    std::free(bytes);
    return out;
}

// A file system with its containers, mounted oldest first.
class Resources {
public:
    explicit Resources(std::vector<std::vector<Entry>> containers) {
        for (const std::vector<Entry>& entries : containers) {
            streams_.push_back(BuildContainer(entries));
            EXPECT_EQ(0u, files.mount(streams_.back().get()));
        }
    }
    ResourceFileSystem files;

private:
    std::vector<std::unique_ptr<GrowableStream>> streams_;
};

std::string ReadEntry(ResourceFileSystem& files, const char16_t* name) {
    uint8_t* bytes = nullptr;
    uint32_t size = 0;
    if (files.readAll(name, &bytes, &size) != kResultOk)
        return "<failed>";
    std::string text(reinterpret_cast<char*>(bytes), size);
    ResourceFileSystem::FreeBytes(bytes);
    return text;
}

TEST(ResourceFileSystem, WithoutMountsEveryOpenIsNotFound) {
    ResourceFileSystem files;
    std::unique_ptr<EntryHandle> entry;
    EXPECT_EQ(29u, files.open(u"Data/Xml/Configuration.xml", &entry));
    uint8_t* bytes = reinterpret_cast<uint8_t*>(&entry);
    uint32_t size = 7;
    EXPECT_EQ(29u, files.readAll(u"Data/Xml/Configuration.xml", &bytes, &size));
    EXPECT_EQ(nullptr, bytes);
    EXPECT_EQ(0u, size);
    // This test program carries no payload resource: the process-wide
    // instance starts without mounts.
    EXPECT_EQ(0u, ResourceFileSystem::Instance().mountCount());
    EXPECT_EQ(29u, ResourceFileSystem::Instance().open(u"Data/Xml/VornLib-Resources.xml", &entry));
    const XmlNode* element = nullptr;
    EXPECT_EQ(29u, ResourceCache::Instance().getElement(u"Application", &element));
}

TEST(ResourceFileSystem, NamesAreExactAndNewerMountsComeFirst) {
    Resources resources({
        {{u"Data/Text/Shared.txt", Bytes("older")}, {u"Data/Text/Old.txt", Bytes("old only")}},
        {{u"Data/Text/Shared.txt", Bytes("newer")}, {u"Data/Text/Empty.txt", {}}},
    });
    ResourceFileSystem& files = resources.files;
    EXPECT_EQ(2u, files.mountCount());
    EXPECT_EQ("newer", ReadEntry(files, u"Data/Text/Shared.txt"));
    EXPECT_EQ("old only", ReadEntry(files, u"Data/Text/Old.txt"));

    const struct {
        const char16_t* name;
        uint32_t result;
    } cases[] = {
        {nullptr, 31},
        {u"", 31},
        {u"Data\\Text\\Shared.txt", 29},
        {u"data/text/shared.txt", 29},
        {u"/Data/Text/Shared.txt", 29},
        {u"Data/Text/Missing.txt", 29},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToPrintable(c.name));
        std::unique_ptr<EntryHandle> entry;
        EXPECT_EQ(c.result, files.open(c.name, &entry));
        EXPECT_EQ(nullptr, entry);
    }
    EXPECT_EQ(23u, files.open(u"Data/Text/Old.txt", nullptr));

    // An empty entry still has an address of its own.
    uint8_t* bytes = nullptr;
    uint32_t size = 1;
    ASSERT_EQ(0u, files.readAll(u"Data/Text/Empty.txt", &bytes, &size));
    EXPECT_NE(nullptr, bytes);
    EXPECT_EQ(0u, size);
    ResourceFileSystem::FreeBytes(bytes);
}

TEST(ResourceFileSystem, AnOpenEntryKeepsItsMountBusyUntilReleased) {
    Resources resources({{{u"A.txt", Bytes("a")}, {u"B.txt", Bytes("b")}}});
    std::unique_ptr<EntryHandle> first;
    ASSERT_EQ(0u, resources.files.open(u"A.txt", &first));
    // The mount's answer is not "not found": the search ends with it.
    std::unique_ptr<EntryHandle> second;
    EXPECT_EQ(4u, resources.files.open(u"B.txt", &second));
    first.reset();
    EXPECT_EQ(0u, resources.files.open(u"B.txt", &second));
    char byte = 0;
    ASSERT_EQ(0u, second->read(&byte, 1));
    EXPECT_EQ('b', byte);
}

TEST(ResourceCache, TwoGetFileCallsShareOneBufferUntilBothAreReleased) {
    Resources resources({{{u"Data/Text/Readme.txt", SampleText(300)}}});
    ResourceCache cache(&resources.files);
    const uint8_t* first = nullptr;
    const uint8_t* second = nullptr;
    uint32_t firstSize = 0;
    uint32_t secondSize = 0;
    ASSERT_EQ(0u, cache.getFile(u"Data/Text/Readme.txt", &first, &firstSize));
    ASSERT_EQ(0u, cache.getFile(u"Data/Text/Readme.txt", &second, &secondSize));
    EXPECT_EQ(first, second);
    EXPECT_EQ(300u, firstSize);
    EXPECT_EQ(SampleText(300), std::vector<uint8_t>(first, first + firstSize));
    EXPECT_EQ(1u, cache.itemCount());

    EXPECT_EQ(0u, cache.release(first));
    EXPECT_EQ(1u, cache.itemCount());
    EXPECT_EQ(0u, cache.release(second));
    EXPECT_EQ(0u, cache.itemCount());
    EXPECT_EQ(32u, cache.release(first)); // gone now
    EXPECT_EQ(32u, cache.release(nullptr));
    const int stranger = 0;
    EXPECT_EQ(32u, cache.release(&stranger));

    // Read again after the last release: a fresh buffer.
    ASSERT_EQ(0u, cache.getFile(u"Data/Text/Readme.txt", &first, &firstSize));
    EXPECT_EQ(300u, firstSize);
    EXPECT_EQ(0u, cache.release(first));
}

TEST(ResourceCache, GetOperationsCheckNamesAndOutputs) {
    Resources resources({{{u"A.txt", Bytes("a")}}});
    ResourceCache cache(&resources.files);
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>("x");
    uint32_t size = 5;
    const Picture* picture = reinterpret_cast<const Picture*>(&size);
    const XmlDocument* document = reinterpret_cast<const XmlDocument*>(&size);
    const XmlNode* element = reinterpret_cast<const XmlNode*>(&size);

    EXPECT_EQ(31u, cache.getFile(u"", &bytes, &size));
    EXPECT_EQ(nullptr, bytes);
    EXPECT_EQ(0u, size);
    EXPECT_EQ(31u, cache.getPicture(u"", &picture));
    EXPECT_EQ(nullptr, picture);
    EXPECT_EQ(31u, cache.getDocument(u"", &document));
    EXPECT_EQ(nullptr, document);
    EXPECT_EQ(29u, cache.getFile(u"B.txt", &bytes, &size));
    EXPECT_EQ(29u, cache.getPicture(u"B.png", &picture));
    EXPECT_EQ(29u, cache.getDocument(u"B.xml", &document));
    EXPECT_EQ(29u, cache.registerDocument(u"B.xml"));
    EXPECT_EQ(29u, cache.getElement(u"Application", &element));
    EXPECT_EQ(nullptr, element);
    EXPECT_EQ(15u, cache.getFile(nullptr, &bytes, &size));
    EXPECT_EQ(15u, cache.getElement(nullptr, &element));
    EXPECT_EQ(15u, cache.registerDocument(nullptr));
    EXPECT_EQ(23u, cache.getFile(u"A.txt", nullptr, &size));
    EXPECT_EQ(23u, cache.getLocalizedElement(u"String", u"A", nullptr));
    EXPECT_EQ(0u, cache.itemCount());
}

TEST(ResourceCache, PicturesAreDecodedOnceAndBadOnesLeaveNothingBehind) {
    std::vector<uint8_t> truncated = SmallPng();
    truncated.resize(truncated.size() - 20);
    Resources resources({{
        {u"Data/Pictures/Logo.png", SmallPng()},
        {u"Data/Pictures/Truncated.png", truncated},
        {u"Data/Pictures/Text.png", SampleText(64)},
    }});
    ResourceCache cache(&resources.files);
    const Picture* first = nullptr;
    const Picture* second = nullptr;
    ASSERT_EQ(0u, cache.getPicture(u"Data/Pictures/Logo.png", &first));
    ASSERT_EQ(0u, cache.getPicture(u"Data/Pictures/Logo.png", &second));
    EXPECT_EQ(first, second);
    EXPECT_EQ(1u, cache.itemCount()); // the file bytes went once decoded
    Rgba colour;
    ASSERT_EQ(0u, first->pixel(1, 0, &colour));
    EXPECT_EQ((Rgba{0, 255, 0, 128}), colour);

    const Picture* bad = nullptr;
    EXPECT_EQ(7u, cache.getPicture(u"Data/Pictures/Truncated.png", &bad));
    EXPECT_EQ(3u, cache.getPicture(u"Data/Pictures/Text.png", &bad));
    EXPECT_EQ(nullptr, bad);
    EXPECT_EQ(1u, cache.itemCount());
    // The file itself stays readable as a file.
    const uint8_t* bytes = nullptr;
    uint32_t size = 0;
    EXPECT_EQ(0u, cache.getFile(u"Data/Pictures/Text.png", &bytes, &size));
    EXPECT_EQ(0u, cache.release(bytes));

    EXPECT_EQ(0u, cache.release(first));
    EXPECT_EQ(0u, cache.release(second));
    EXPECT_EQ(0u, cache.itemCount());
}

TEST(ResourceCache, DocumentsNeedOneRootAndParseErrorsPassThrough) {
    Resources resources({{
        {u"Good.xml", Bytes("<?xml version=\"1.0\"?><!-- c --><Root><A/></Root><!-- d -->")},
        {u"Broken.xml", Bytes("<Root><A></Root>")},
        {u"Empty.xml", {}},
        {u"CommentOnly.xml", Bytes("<!-- nothing here -->")},
        {u"TwoRoots.xml", Bytes("<Root/><Other/>")},
    }});
    ResourceCache cache(&resources.files);
    const XmlDocument* document = nullptr;
    ASSERT_EQ(0u, cache.getDocument(u"Good.xml", &document));
    EXPECT_EQ(String(u"Root"), document->root()->name());
    const XmlDocument* again = nullptr;
    ASSERT_EQ(0u, cache.getDocument(u"Good.xml", &again));
    EXPECT_EQ(document, again);
    EXPECT_EQ(0u, cache.release(document));
    EXPECT_EQ(0u, cache.release(again));

    for (const char16_t* name :
         {u"Broken.xml", u"Empty.xml", u"CommentOnly.xml", u"TwoRoots.xml"}) {
        SCOPED_TRACE(ToPrintable(name));
        // What the parser says about the same bytes, passed on unchanged.
        uint8_t* bytes = nullptr;
        uint32_t size = 0;
        ASSERT_EQ(0u, resources.files.readAll(name, &bytes, &size));
        XmlDocument direct;
        Result expected = direct.parse(bytes, size, name);
        ResourceFileSystem::FreeBytes(bytes);
        if (expected == kResultOk)
            expected = kResultMalformed; // parsed, but not one root element
        EXPECT_NE(0u, expected);
        EXPECT_EQ(expected, cache.getDocument(name, &document));
        EXPECT_EQ(nullptr, document);
        EXPECT_EQ(expected, cache.registerDocument(name));
        EXPECT_EQ(0u, cache.itemCount());
    }
}

TEST(ResourceCache, RegisteredElementsByTagIdAndLanguageAndLaterOnesReplace) {
    Resources resources({{
        {u"Data/Xml/Base.xml", Bytes("<Definitions>"
                                     "<Application><Name>Demo</Name></Application>"
                                     "<String ID=\"Ok\">OK</String>"
                                     "<String ID=\"Ok\" Language=\"fr\">D'accord</String>"
                                     "</Definitions>")},
        {u"Data/Xml/Custom.xml", Bytes("<Custom Language=\"fr\"><String ID=\"Ok\">Oui</String>"
                                       "<String ID=\"New\" Language=\"*\">Neu</String></Custom>")},
    }});
    ResourceCache cache(&resources.files);
    cache.setSystemLanguage(kLanguageNeutral);
    ASSERT_EQ(0u, cache.registerDocument(u"Data/Xml/Base.xml"));
    const XmlNode* application = nullptr;
    ASSERT_EQ(0u, cache.getElement(u"Application", &application));
    String name;
    EXPECT_EQ(0u, application->getText(u"/Name", &name));
    EXPECT_EQ(String(u"Demo"), name);

    cache.setChosenLanguage(LanguageIndex(u"fr"));
    const XmlNode* before = nullptr;
    ASSERT_EQ(0u, cache.getLocalizedElement(u"String", u"Ok", &before));
    String text;
    EXPECT_EQ(0u, before->getText(&text));
    EXPECT_EQ(String(u"D'accord"), text);

    // The custom table takes over the French key; the old element stays
    // valid for whoever still holds it.
    ASSERT_EQ(0u, cache.registerDocument(u"Data/Xml/Custom.xml"));
    const XmlNode* after = nullptr;
    ASSERT_EQ(0u, cache.getLocalizedElement(u"String", u"Ok", &after));
    EXPECT_EQ(0u, after->getText(&text));
    EXPECT_EQ(String(u"Oui"), text);
    EXPECT_EQ(0u, before->getText(&text));
    EXPECT_EQ(String(u"D'accord"), text);
    EXPECT_EQ(0u, cache.release(before));
    EXPECT_EQ(32u, cache.release(before));
    EXPECT_EQ(0u, cache.release(after));

    // Registering the same document again changes nothing.
    const uint32_t items = cache.itemCount();
    ASSERT_EQ(0u, cache.registerDocument(u"Data/Xml/Custom.xml"));
    EXPECT_EQ(items, cache.itemCount());
    const XmlNode* neutral = nullptr;
    EXPECT_EQ(0u, cache.getLocalizedElement(u"String", u"New", &neutral));
    EXPECT_EQ(0u, cache.release(neutral));
    EXPECT_EQ(0u, cache.release(application));
    EXPECT_EQ(29u, cache.getLocalizedElement(u"String", u"Missing", &neutral));
    EXPECT_EQ(29u, cache.getLocalizedElement(u"Application", u"Ok", &neutral));
}

struct LanguageCase {
    const char16_t* present; // languages with an entry, space-separated
    const char16_t* chosen;  // null: none
    const char16_t* system;  // null: none
    const char16_t* defaultLanguage;
    const char16_t* expected; // null: not found
};

std::vector<String> Words(const char16_t* text) {
    std::vector<String> words;
    String word;
    for (; *text; ++text) {
        if (*text == u' ') {
            words.push_back(word);
            word = u"";
        } else {
            word += *text;
        }
    }
    if (!word.isEmpty())
        words.push_back(word);
    return words;
}

TEST(ResourceCache, LocalizedLookupWalksChosenSystemNeutralDefaultThenTableOrder) {
    const LanguageCase cases[] = {
        {u"fr de * en", u"fr", u"de", u"en", u"fr"},
        {u"de * en", u"fr", u"de", u"en", u"de"},
        {u"* en", u"fr", u"de", u"en", u"*"},
        {u"en", u"fr", u"de", u"en", u"en"},
        {u"ko ja", u"fr", u"de", u"en", u"ja"},
        {u"he ko", nullptr, nullptr, u"en", u"ko"},
        {u"zh-Hant zh", nullptr, nullptr, u"en", u"zh"},
        {u"zh-Hant", u"zh-Hant", u"zh", u"en", u"zh-Hant"},
        {u"de en", nullptr, u"de", u"en", u"de"},
        {u"en fr", nullptr, nullptr, u"en", u"en"},
        {u"en fr", nullptr, nullptr, u"fr", u"fr"},
        {u"en ru", u"ru", u"ru", u"en", u"ru"},
        {u"", u"fr", u"de", u"en", nullptr},
    };
    for (const LanguageCase& c : cases) {
        SCOPED_TRACE(ToPrintable(c.present) + " / chosen " + ToPrintable(c.chosen) + " / system " +
                     ToPrintable(c.system));
        std::vector<Entry> entries;
        std::vector<String> names;
        for (const String& code : Words(c.present)) {
            const std::string ascii = ToPrintable(code.data());
            names.push_back(String(u"Data/Xml/Strings-") +
                            (code == u"*" ? u"neutral" : code.data()) + u".xml");
            entries.push_back({std::u16string(names.back().data()),
                               Bytes("<Strings Language=\"" + ascii + "\"><String ID=\"Title\">" +
                                     ascii + "</String></Strings>")});
        }
        Resources resources({entries});
        ResourceCache cache(&resources.files);
        cache.setChosenLanguage(c.chosen ? LanguageIndex(c.chosen) : kLanguageNeutral);
        cache.setSystemLanguage(c.system ? LanguageIndex(c.system) : kLanguageNeutral);
        cache.setDefaultLanguage(LanguageIndex(c.defaultLanguage));
        for (const String& name : names)
            ASSERT_EQ(0u, cache.registerDocument(name.data()));

        const XmlNode* element = nullptr;
        const Result result = cache.getLocalizedElement(u"String", u"Title", &element);
        if (!c.expected) {
            EXPECT_EQ(29u, result);
            EXPECT_EQ(nullptr, element);
            continue;
        }
        ASSERT_EQ(0u, result);
        String text;
        EXPECT_EQ(0u, element->getText(&text));
        EXPECT_EQ(String(c.expected), text);
        EXPECT_EQ(0u, cache.release(element));
    }
}

} // namespace
} // namespace vorn
