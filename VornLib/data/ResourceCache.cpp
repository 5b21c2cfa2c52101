#include "VornLib/data/ResourceCache.h"

#include <new>

#include "VornLib/core/Language.h"
#include "VornLib/data/NameHash.h"

namespace vorn {

namespace {

String ElementKey(const char16_t* tag, const char16_t* id, const char16_t* language) {
    return String(u"res:xml:element:") + tag + u":" + id + u":" + language;
}

// The one root element of a document, or null when it has none or several.
const XmlNode* SingleRoot(const XmlDocument& document) {
    const XmlNode* root = nullptr;
    for (const XmlNode* node = document.firstNode(); node; node = node->nextNode()) {
        if (!node->isElement())
            continue;
        if (root)
            return nullptr;
        root = node;
    }
    return root;
}

} // namespace

ResourceCache::ResourceCache(ResourceFileSystem* files)
    : files_(files), systemLanguage_(SystemLanguage()) {}

ResourceCache::~ResourceCache() {
    for (const auto& entry : byData_) {
        Destroy(*entry.second);
        delete entry.second;
    }
}

String Localized(const char16_t* text) {
    String localized;
    (void)ResolveLocalizedText(ResourceCache::Instance(), text, &localized);
    return localized;
}

ResourceCache& ResourceCache::Instance() {
    static ResourceCache& instance = *[] {
        static ResourceCache cache(&ResourceFileSystem::Instance());
        (void)cache.registerDocument(u"Data/Xml/VornLib-Resources.xml"); // optional in a payload
        return &cache;
    }();
    return instance;
}

void ResourceCache::Destroy(const Item& item) {
    switch (item.kind) {
    case ResourceKind::File:
        ResourceFileSystem::FreeBytes(static_cast<uint8_t*>(const_cast<void*>(item.data)));
        break;
    case ResourceKind::Picture:
        delete static_cast<const Picture*>(item.data);
        break;
    case ResourceKind::Document:
        delete static_cast<const XmlDocument*>(item.data);
        break;
    case ResourceKind::Element:
        break; // owned by its document
    }
}

ResourceCache::Item* ResourceCache::find(const String& key, ResourceKind kind, Result* result) {
    *result = kResultOk;
    const auto found = byHash_.find(NameHash(key.data()));
    if (found == byHash_.end())
        return nullptr;
    if (found->second->kind != kind) {
        *result = kResultAlreadyExists;
        return nullptr;
    }
    return found->second;
}

Result ResourceCache::add(const String& key, ResourceKind kind, const void* data, uint32_t size) {
    const uint32_t hash = NameHash(key.data());
    const auto previous = byHash_.find(hash);
    // The same element registered again (its document registered twice) stays as it is.
    if (previous != byHash_.end() && previous->second->data == data)
        return kResultOk;
    Item* item = new (std::nothrow) Item{kind, data, size, 1, hash, true};
    if (!item) {
        Destroy(Item{kind, data, size, 0, hash, false});
        return kResultOutOfMemory;
    }
    if (previous != byHash_.end()) {
        Item* replaced = previous->second;
        byHash_.erase(previous);
        replaced->keyed = false;
        dropReference(replaced);
    }
    byHash_[hash] = item;
    byData_[data] = item;
    return kResultOk;
}

void ResourceCache::dropReference(Item* item) {
    if (--item->references)
        return;
    if (item->keyed)
        byHash_.erase(item->hash);
    byData_.erase(item->data);
    Destroy(*item);
    delete item;
}

Result ResourceCache::getFile(const char16_t* name, const uint8_t** bytes, uint32_t* size) {
    if (!name)
        return kResultNullInput;
    if (!bytes || !size)
        return kResultNullOutput;
    *bytes = nullptr;
    *size = 0;
    if (!*name)
        return kResultBadPath;
    const String key = String(u"res:file:") + name;
    Result result = kResultOk;
    if (Item* item = find(key, ResourceKind::File, &result)) {
        ++item->references;
        *bytes = static_cast<const uint8_t*>(item->data);
        *size = item->size;
        return kResultOk;
    }
    if (result != kResultOk)
        return result;
    uint8_t* data = nullptr;
    uint32_t length = 0;
    if ((result = files_->readAll(name, &data, &length)) != kResultOk)
        return result;
    if ((result = add(key, ResourceKind::File, data, length)) != kResultOk)
        return result;
    *bytes = data;
    *size = length;
    return kResultOk;
}

template <typename Decode>
Result ResourceCache::getDecoded(const char16_t* name, const char16_t* prefix, ResourceKind kind,
                                 const void** out, Decode decode) {
    if (!name)
        return kResultNullInput;
    if (!out)
        return kResultNullOutput;
    *out = nullptr;
    if (!*name)
        return kResultBadPath;
    const String key = String(prefix) + name;
    Result result = kResultOk;
    if (Item* item = find(key, kind, &result)) {
        ++item->references;
        *out = item->data;
        return kResultOk;
    }
    if (result != kResultOk)
        return result;
    const uint8_t* bytes = nullptr;
    uint32_t size = 0;
    if ((result = getFile(name, &bytes, &size)) != kResultOk)
        return result;
    const void* made = nullptr;
    uint32_t madeSize = 0;
    result = decode(bytes, size, &made, &madeSize);
    (void)release(bytes);
    if (result != kResultOk)
        return result;
    if ((result = add(key, kind, made, madeSize)) != kResultOk)
        return result;
    *out = made;
    return kResultOk;
}

Result ResourceCache::getPicture(const char16_t* name, const Picture** out) {
    const void* found = nullptr;
    const Result result =
        getDecoded(name, u"res:picture:", ResourceKind::Picture, out ? &found : nullptr,
                   [](const uint8_t* bytes, uint32_t size, const void** made, uint32_t* madeSize) {
                       auto* picture = new (std::nothrow) Picture;
                       const Result decoded =
                           picture ? picture->decode(bytes, size) : kResultOutOfMemory;
                       if (decoded != kResultOk) {
                           delete picture;
                           return decoded;
                       }
                       *made = picture;
                       *madeSize = picture->byteSize();
                       return kResultOk;
                   });
    if (out)
        *out = static_cast<const Picture*>(found);
    return result;
}

Result ResourceCache::getDocument(const char16_t* name, const XmlDocument** out) {
    const void* found = nullptr;
    const Result result =
        getDecoded(name, u"res:xml:document:", ResourceKind::Document, out ? &found : nullptr,
                   [name](const uint8_t* bytes, uint32_t size, const void** made, uint32_t*) {
                       auto* document = new (std::nothrow) XmlDocument;
                       Result parsed =
                           document ? document->parse(bytes, size, name) : kResultOutOfMemory;
                       if (parsed == kResultOk && !SingleRoot(*document))
                           parsed = kResultMalformed;
                       if (parsed != kResultOk) {
                           delete document;
                           return parsed;
                       }
                       *made = document;
                       return kResultOk;
                   });
    if (out)
        *out = static_cast<const XmlDocument*>(found);
    return result;
}

Result ResourceCache::registerDocument(const char16_t* path) {
    if (!path)
        return kResultNullInput;
    const XmlDocument* document = nullptr;
    Result result = getDocument(path, &document);
    if (result != kResultOk)
        return result;
    const XmlNode* root = SingleRoot(*document);
    if (!root) {
        (void)release(document);
        return kResultMalformed;
    }
    documents_.push_back(document); // its reference is held until exit
    String documentLanguage;
    (void)root->getAttribute(u"Language", &documentLanguage, u"*");
    String id;
    String language;
    for (const XmlNode* child = root->firstChild(); child; child = child->nextSibling()) {
        if (!child->isElement())
            continue;
        (void)child->getAttribute(u"ID", &id, u"");
        (void)child->getAttribute(u"Language", &language, documentLanguage.data());
        const String key = ElementKey(child->name().data(), id.data(), language.data());
        if ((result = add(key, ResourceKind::Element, child, 0)) != kResultOk)
            return result;
    }
    return kResultOk;
}

Result ResourceCache::getElement(const char16_t* tag, const XmlNode** out) {
    if (!tag)
        return kResultNullInput;
    if (!out)
        return kResultNullOutput;
    *out = nullptr;
    Result result = kResultOk;
    Item* item = find(ElementKey(tag, u"", u"*"), ResourceKind::Element, &result);
    if (!item)
        return result != kResultOk ? result : kResultNotFound;
    ++item->references;
    *out = static_cast<const XmlNode*>(item->data);
    return kResultOk;
}

Result ResourceCache::getLocalizedElement(const char16_t* tag, const char16_t* id,
                                          const XmlNode** out) {
    if (!tag)
        return kResultNullInput;
    if (!out)
        return kResultNullOutput;
    *out = nullptr;
    uint32_t order[kMaxLanguageOrder];
    const uint32_t count = LanguageOrder(chosenLanguage_, systemLanguage_, defaultLanguage_, order);
    Result result = kResultOk;
    for (uint32_t i = 0; i < count; ++i) {
        const String key = ElementKey(tag, id ? id : u"", LanguageCode(order[i]));
        if (Item* item = find(key, ResourceKind::Element, &result)) {
            ++item->references;
            *out = static_cast<const XmlNode*>(item->data);
            return kResultOk;
        }
    }
    return kResultNotFound;
}

Result ResourceCache::release(const void* data) {
    if (!data)
        return kResultChecksumMismatch;
    const auto found = byData_.find(data);
    if (found == byData_.end())
        return kResultChecksumMismatch;
    dropReference(found->second);
    return kResultOk;
}

} // namespace vorn
