// ResourceCache: files, pictures, XML documents and XML elements by name,
// each read and decoded once and shared until its last user releases it.
// Items are keyed by the name hash of "res:file:", "res:picture:",
// "res:xml:document:" or "res:xml:element:" + tag + ":" + ID + ":" + language;
// the key text is not kept. Elements come from registered documents, which
// stay until exit; a later registration of the same key replaces the earlier
// element. Used by one thread at a time. It is the source of the "#Key"
// texts (ResolveLocalizedText).
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "VornLib/core/LocalizedStrings.h"
#include "VornLib/core/String.h"
#include "VornLib/core/XmlDocument.h"
#include "VornLib/data/Picture.h"
#include "VornLib/data/ResourceFileSystem.h"

namespace vorn {

enum class ResourceKind : uint32_t { File = 1, Picture = 2, Document = 3, Element = 4 };

// A display text resolved against the application's cache ("#Key" from its
// string tables, "##" a literal "#", any other text as it is).
String Localized(const char16_t* text);

class ResourceCache : public LocalizedElementSource {
public:
    // Reads through `files`, which must outlive the cache.
    explicit ResourceCache(ResourceFileSystem* files);
    ~ResourceCache() override;
    ResourceCache(const ResourceCache&) = delete;
    ResourceCache& operator=(const ResourceCache&) = delete;

    // Created on first use over ResourceFileSystem::Instance(), with
    // "Data/Xml/VornLib-Resources.xml" registered when the payload has it.
    static ResourceCache& Instance();

    // Every get adds a reference on success; hand the object back with release.
    Result getFile(const char16_t* name, const uint8_t** bytes, uint32_t* size);
    Result getPicture(const char16_t* name, const Picture** out);
    // 33 for a document that has not exactly one root element.
    Result getDocument(const char16_t* name, const XmlDocument** out);
    // Keeps the document until exit and registers each child element of its
    // root under its tag, "ID" and "Language" (the root's "Language", else "*").
    Result registerDocument(const char16_t* path);
    // The element of `tag` with an empty ID and the language "*".
    Result getElement(const char16_t* tag, const XmlNode** out);
    // The element of `tag` and `id` (null: empty) in the first language of the
    // order: chosen, system, "*", default, then every language in table order.
    Result getLocalizedElement(const char16_t* tag, const char16_t* id,
                               const XmlNode** out) override;
    // 32 for a null pointer or one the cache did not hand out.
    Result release(const void* data) override;

    // The language chosen by the user (the "/User/Global/Language"
    // preference, kept by the localized-strings code); 0 for none.
    void setChosenLanguage(uint32_t index) { chosenLanguage_ = index; }
    uint32_t chosenLanguage() const { return chosenLanguage_; }
    // The language of the system's user locale, read when the cache is made.
    void setSystemLanguage(uint32_t index) { systemLanguage_ = index; }
    uint32_t systemLanguage() const { return systemLanguage_; }
    void setDefaultLanguage(uint32_t index) { defaultLanguage_ = index; }
    uint32_t defaultLanguage() const { return defaultLanguage_; }

    // Items alive (held by users or registered), for diagnostics and tests.
    uint32_t itemCount() const { return uint32_t(byData_.size()); }

private:
    struct Item {
        ResourceKind kind;
        const void* data;
        uint32_t size;
        uint32_t references;
        uint32_t hash;
        bool keyed; // false once a later registration took the hash
    };

    // The item under `key` when it has `kind`; null when absent. 14 in
    // `result` when another kind holds the hash (two keys collided).
    Item* find(const String& key, ResourceKind kind, Result* result);
    // The object cached under `prefix` + `name`, or the one `decode` makes from
    // the named file's bytes, cached with one reference. `decode` deletes what
    // it made when it fails.
    template <typename Decode>
    Result getDecoded(const char16_t* name, const char16_t* prefix, ResourceKind kind,
                      const void** out, Decode decode);
    // Takes ownership of `data` (also on failure) and gives it one reference.
    Result add(const String& key, ResourceKind kind, const void* data, uint32_t size);
    void dropReference(Item* item);
    static void Destroy(const Item& item);

    ResourceFileSystem* files_;
    std::unordered_map<uint32_t, Item*> byHash_;
    std::unordered_map<const void*, Item*> byData_;
    std::vector<const XmlDocument*> documents_;
    uint32_t chosenLanguage_ = 0;
    uint32_t systemLanguage_;
    uint32_t defaultLanguage_ = 1; // "en"
};

} // namespace vorn
