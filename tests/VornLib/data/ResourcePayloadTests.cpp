// Runs only in an executable whose payload (resource 4096) is the container
// that VornPack built from ResourcePayload/: the process-wide file system and
// cache read a file, pictures, documents and localized elements out of it.
#include <gtest/gtest.h>

#include <string>

#include "TestText.h"
#include "VornLib/core/Language.h"
#include "VornLib/data/ResourceCache.h"

namespace vorn {
namespace {

String TextOf(const XmlNode* element) {
    String text;
    EXPECT_EQ(0u, element->getText(&text));
    return text;
}

TEST(ResourcePayload, TheProcessMountsItsOwnPayload) {
    ResourceFileSystem& files = ResourceFileSystem::Instance();
    EXPECT_EQ(1u, files.mountCount());
    uint8_t* bytes = nullptr;
    uint32_t size = 0;
    ASSERT_EQ(0u, files.readAll(u"Data/Text/Readme.txt", &bytes, &size));
    EXPECT_EQ("Read out of the payload in place.\n",
              std::string(reinterpret_cast<char*>(bytes), size));
    ResourceFileSystem::FreeBytes(bytes);
    EXPECT_EQ(29u, files.readAll(u"Data\\Text\\Readme.txt", &bytes, &size));
}

TEST(ResourcePayload, FilesAreSharedAndFreedByTheirLastRelease) {
    ResourceCache& cache = ResourceCache::Instance();
    const uint32_t items = cache.itemCount();
    const uint8_t* first = nullptr;
    const uint8_t* second = nullptr;
    uint32_t size = 0;
    ASSERT_EQ(0u, cache.getFile(u"Data/Text/Readme.txt", &first, &size));
    ASSERT_EQ(0u, cache.getFile(u"Data/Text/Readme.txt", &second, &size));
    EXPECT_EQ(first, second);
    EXPECT_EQ(items + 1, cache.itemCount());
    EXPECT_EQ(0u, cache.release(first));
    EXPECT_EQ(0u, cache.release(second));
    EXPECT_EQ(items, cache.itemCount());
    EXPECT_EQ(32u, cache.release(first));
}

TEST(ResourcePayload, PicturesDecodeFromPngAndJpeg) {
    ResourceCache& cache = ResourceCache::Instance();
    const Picture* logo = nullptr;
    ASSERT_EQ(0u, cache.getPicture(u"Data/Pictures/Logo.png", &logo));
    EXPECT_EQ(PixelFormat::Rgba32, logo->format());
    EXPECT_EQ(4u, logo->width());
    EXPECT_EQ(2u, logo->height());
    const struct {
        uint32_t x, y;
        Rgba colour;
    } logoPixels[] = {
        {0, 0, {255, 0, 0, 255}},     {1, 0, {0, 255, 0, 128}},     {2, 0, {0, 0, 255, 0}},
        {3, 0, {255, 255, 255, 255}}, {1, 1, {128, 128, 128, 255}}, {2, 1, {255, 0, 255, 255}},
    };
    for (const auto& p : logoPixels) {
        Rgba colour;
        ASSERT_EQ(0u, logo->pixel(p.x, p.y, &colour));
        EXPECT_EQ(p.colour, colour) << p.x << "," << p.y;
    }

    const Picture* photo = nullptr;
    ASSERT_EQ(0u, cache.getPicture(u"Data/Pictures/Photo.jpg", &photo));
    EXPECT_EQ(PixelFormat::Rgb24, photo->format());
    EXPECT_EQ(16u, photo->width());
    EXPECT_EQ(8u, photo->height());
    Rgba left;
    Rgba right;
    ASSERT_EQ(0u, photo->pixel(2, 3, &left));
    ASSERT_EQ(0u, photo->pixel(13, 3, &right));
    EXPECT_NEAR(220, left.red, 8);
    EXPECT_NEAR(40, left.blue, 8);
    EXPECT_NEAR(20, right.red, 8);
    EXPECT_NEAR(230, right.blue, 8);

    const Picture* bad = nullptr;
    EXPECT_EQ(7u, cache.getPicture(u"Data/Pictures/Truncated.png", &bad));
    EXPECT_EQ(7u, cache.getPicture(u"Data/Pictures/Truncated.jpg", &bad));
    EXPECT_EQ(3u, cache.getPicture(u"Data/Text/Readme.txt", &bad));
    EXPECT_EQ(nullptr, bad);
    EXPECT_EQ(0u, cache.release(logo));
    EXPECT_EQ(0u, cache.release(photo));
}

TEST(ResourcePayload, DocumentsAndLocalizedElements) {
    ResourceCache& cache = ResourceCache::Instance();
    // Registered by the cache's first use.
    const XmlNode* application = nullptr;
    ASSERT_EQ(0u, cache.getElement(u"Application", &application));
    String name;
    EXPECT_EQ(0u, application->getText(u"/Name", &name));
    EXPECT_EQ(String(u"Payload Test"), name);
    EXPECT_EQ(0u, cache.release(application));

    for (const char16_t* path :
         {u"Data/Xml/Strings-en.xml", u"Data/Xml/Strings-de.xml", u"Data/Xml/Strings-fr.xml"})
        ASSERT_EQ(0u, cache.registerDocument(path));

    // The test runs with a German user locale (see the CMake file).
    EXPECT_EQ(LanguageIndex(u"de"), cache.systemLanguage());
    const struct {
        const char16_t* chosen;
        const char16_t* id;
        const char16_t* text;
    } cases[] = {
        {u"fr", u"Title", u"Test de la charge utile"},
        {nullptr, u"Title", u"Nutzlasttest"},
        {u"en", u"Title", u"Payload test"},
        {u"fr", u"OnlyEnglish", u"English only"},
        {u"fr", u"Brand", u"Vorn"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToPrintable(c.id));
        cache.setChosenLanguage(LanguageIndex(c.chosen));
        const XmlNode* element = nullptr;
        ASSERT_EQ(0u, cache.getLocalizedElement(u"String", c.id, &element));
        EXPECT_EQ(String(c.text), TextOf(element));
        EXPECT_EQ(0u, cache.release(element));
    }
    const XmlNode* missing = nullptr;
    EXPECT_EQ(29u, cache.getLocalizedElement(u"String", u"Missing", &missing));

    // "#Key" texts resolve through the cache and hand their element back.
    cache.setChosenLanguage(LanguageIndex(u"fr"));
    const uint32_t items = cache.itemCount();
    String text;
    EXPECT_EQ(0u, ResolveLocalizedText(cache, u"#Title", &text));
    EXPECT_EQ(String(u"Test de la charge utile"), text);
    EXPECT_EQ(36u, ResolveLocalizedText(cache, u"#Missing", &text));
    EXPECT_EQ(String(u"<Localized Text: Missing>"), text);
    EXPECT_EQ(items, cache.itemCount());
    cache.setChosenLanguage(kLanguageNeutral);
}

} // namespace
} // namespace vorn
