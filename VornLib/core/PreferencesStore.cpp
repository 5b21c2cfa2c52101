#include "VornLib/core/PreferencesStore.h"

#include "VornLib/core/Format.h"
#include "VornLib/core/Language.h"

namespace vorn {
namespace {

struct Branch {
    const char16_t* prefix;
    PreferenceRoot root;
    const char16_t* subkey;
};

constexpr Branch kBranches[] = {
    {u"/User/Global/", PreferenceRoot::CurrentUser, u"Global\\"},
    {u"/User/Local/", PreferenceRoot::CurrentUser, u"Local\\"},
    {u"/System/Global/", PreferenceRoot::LocalMachine, u"Global\\"},
    {u"/System/Local/", PreferenceRoot::LocalMachine, u"Local\\"},
};

bool HasValue(const XmlNode* node) {
    return node && node->kind() != XmlValueKind::None && node->kind() != XmlValueKind::Comment;
}

// Copies the value (and its kind) of `source` onto `target`.
void CopyValue(const XmlNode& source, XmlNode* target) {
    switch (source.kind()) {
    case XmlValueKind::Boolean: {
        bool value = false;
        (void)source.getBoolean(&value);
        target->setBoolean(value);
        break;
    }
    case XmlValueKind::Int32: {
        int32_t value = 0;
        (void)source.getInt32(&value);
        target->setInt32(value);
        break;
    }
    case XmlValueKind::Int64: {
        int64_t value = 0;
        (void)source.getInt64(&value);
        target->setInt64(value);
        break;
    }
    case XmlValueKind::Float32: {
        float value = 0;
        (void)source.getFloat32(&value);
        target->setFloat32(value);
        break;
    }
    case XmlValueKind::Float64: {
        double value = 0;
        (void)source.getFloat64(&value);
        target->setFloat64(value);
        break;
    }
    default:
        (void)target->setText(source.text().data());
        break;
    }
}

bool IsTrue(const XmlNode& node, const char16_t* attribute) {
    bool value = false;
    return node.getAttributeBoolean(attribute, &value, false) == kResultOk && value;
}

} // namespace

PreferencesStore::PreferencesStore(PreferenceStorage* storage, const XmlNode* defaults,
                                   const String& baseKey)
    : storage_(storage), defaults_(defaults), baseKey_(baseKey),
      changes_(XmlNode::NewElement(u"Preferences")), cache_(XmlNode::NewElement(u"Preferences")) {}

PreferencesStore::~PreferencesStore() {
    XmlNode::DestroyList(changes_);
    XmlNode::DestroyList(cache_);
}

String PreferencesStore::BaseKey(const String& company, const String& name, const String& tag,
                                 const String* configSet) {
    String key = u"Software\\" + company + u'\\' + name;
    if (!tag.isEmpty()) {
        const int32_t space = tag.find(u' ');
        key += u" (" + (space < 0 ? tag : tag.left(uint32_t(space))) + u')';
    }
    if (configSet) {
        String set = *configSet;
        set.replace(u'/', u"");
        set.replace(u'\\', u"");
        set.trimLeft();
        set.trimRight();
        if (!set.isEmpty())
            key += u"\\Custom Sets\\" + set;
    }
    key += u'\\';
    return key;
}

Result PreferencesStore::locate(const String& path, PreferenceLocation* location) const {
    for (const Branch& branch : kBranches) {
        if (!path.startsWith(branch.prefix))
            continue;
        const uint32_t prefixLength = TextLength(branch.prefix);
        const String rest = path.mid(prefixLength);
        const int32_t lastSlash = rest.findLast(u'/');
        String folder = rest.left(uint32_t(lastSlash + 1));
        folder.replace(u'/', u'\\');
        location->root = branch.root;
        location->keyPath = baseKey_ + branch.subkey + folder;
        location->valueName = rest.mid(uint32_t(lastSlash + 1));
        return kResultOk;
    }
    return kResultBadPath;
}

const XmlNode* PreferencesStore::lookup(const char16_t* path, XmlValueKind kind, Result* result) {
    *result = kResultOk;
    if (const XmlNode* changed = changes_->find(path); HasValue(changed))
        return changed;
    if (const XmlNode* cached = cache_->find(path); HasValue(cached))
        return cached;
    if (kind == XmlValueKind::Text) {
        // A purged branch hides what the registry and the defaults still hold.
        const String full(path);
        for (uint32_t i = 1; i <= full.length(); ++i) {
            if (i < full.length() && full[i] != u'/')
                continue;
            const XmlNode* step = changes_->find(full.left(i).data());
            if (!step)
                break;
            if (IsTrue(*step, u"Purge")) {
                *result = kResultNotFound;
                return nullptr;
            }
        }
    }
    PreferenceLocation location;
    XmlNode* found = nullptr;
    if (storage_ && locate(String(path), &location) == kResultOk) {
        XmlNode* value = XmlNode::NewElement(u"Value");
        if (value && storage_->read(location, kind, value) == kResultOk)
            found = value;
        else
            XmlNode::DestroyList(value);
    }
    const XmlNode* source = found;
    if (!source && defaults_) {
        source = defaults_->find(path);
        if (!HasValue(source))
            source = nullptr;
    }
    if (!source) {
        *result = kResultNotFound;
        return nullptr;
    }
    XmlNode* cached = cache_->findOrCreate(path);
    if (cached)
        CopyValue(*source, cached);
    XmlNode::DestroyList(found);
    if (!cached) {
        *result = kResultOutOfMemory;
        return nullptr;
    }
    return cached;
}

template <typename T>
Result PreferencesStore::getValue(const char16_t* path, XmlValueKind kind,
                                  Result (XmlNode::*get)(T*) const, T* value) {
    if (!path)
        return kResultBadPath;
    if (!value)
        return kResultNullOutput;
    *value = T();
    Result result;
    const XmlNode* node = lookup(path, kind, &result);
    return node ? (node->*get)(value) : result;
}

Result PreferencesStore::getBoolean(const char16_t* path, bool* value) {
    return getValue(path, XmlValueKind::Boolean, &XmlNode::getBoolean, value);
}

Result PreferencesStore::getBoolean(const char16_t* path, bool* value, bool fallback) {
    const Result result = getBoolean(path, value);
    if (result != kResultOk && value)
        *value = fallback;
    return result;
}

Result PreferencesStore::getInt32(const char16_t* path, int32_t* value) {
    return getValue(path, XmlValueKind::Int32, &XmlNode::getInt32, value);
}

Result PreferencesStore::getFloat32(const char16_t* path, float* value) {
    return getValue(path, XmlValueKind::Float32, &XmlNode::getFloat32, value);
}

Result PreferencesStore::getText(const char16_t* path, String* value) {
    return getValue(path, XmlValueKind::Text, &XmlNode::getText, value);
}

Result PreferencesStore::setText(const char16_t* path, const char16_t* value) {
    if (!path)
        return kResultBadPath;
    if (!value)
        return kResultNullInput;
    XmlNode* node = changes_->findOrCreate(path);
    return node ? node->setText(value) : kResultBadPath;
}

Result PreferencesStore::setBoolean(const char16_t* path, bool value) {
    XmlNode* node = path ? changes_->findOrCreate(path) : nullptr;
    if (!node)
        return kResultBadPath;
    node->setBoolean(value);
    return kResultOk;
}

Result PreferencesStore::setInt32(const char16_t* path, int32_t value) {
    XmlNode* node = path ? changes_->findOrCreate(path) : nullptr;
    if (!node)
        return kResultBadPath;
    node->setInt32(value);
    return kResultOk;
}

Result PreferencesStore::setFloat32(const char16_t* path, float value) {
    XmlNode* node = path ? changes_->findOrCreate(path) : nullptr;
    if (!node)
        return kResultBadPath;
    node->setFloat32(value);
    return kResultOk;
}

bool PreferencesStore::exists(const char16_t* path) {
    if (!path)
        return false;
    if (changes_->find(path) || cache_->find(path))
        return true;
    PreferenceLocation location;
    if (storage_ && locate(String(path), &location) == kResultOk &&
        storage_->keyExists(location.root, location.keyPath))
        return true;
    return defaults_ && defaults_->find(path);
}

Result PreferencesStore::purge(const char16_t* path) {
    if (!path)
        return kResultBadPath;
    cache_->remove(path);
    changes_->remove(path);
    XmlNode* node = changes_->findOrCreate(path);
    if (!node)
        return kResultBadPath;
    return node->setAttribute(u"Purge", u"1");
}

Result PreferencesStore::flush() {
    return flushChildren(*changes_, String());
}

Result PreferencesStore::flushChildren(const XmlNode& parent, const String& parentPath) {
    for (const XmlNode* child = parent.firstChild(); child; child = child->nextSibling()) {
        if (!child->isElement())
            continue;
        const String path = parentPath + u'/' + child->name();
        PreferenceLocation location;
        const bool mapped = locate(path, &location) == kResultOk;
        if (HasValue(child)) {
            if (child->kind() == XmlValueKind::CData)
                return kResultKindMismatch;
            // A failed write loses only this value; the flush goes on.
            if (mapped && storage_)
                (void)storage_->write(location, *child);
        }
        if (IsTrue(*child, u"Purge") && storage_) {
            PreferenceLocation branch;
            if (mapped) {
                branch = location;
            } else if (locate(path + u'/', &branch) == kResultOk) {
                // A whole "Global" or "Local" branch: its key lies right under the base key.
                String key = branch.keyPath.left(branch.keyPath.length() - 1);
                const int32_t cut = key.findLast(u'\\');
                branch.valueName = key.mid(uint32_t(cut + 1));
                branch.keyPath = key.left(uint32_t(cut + 1));
            }
            if (!branch.valueName.isEmpty())
                (void)storage_->deleteTree(branch);
        }
        const Result result = flushChildren(*child, path);
        if (result != kResultOk)
            return result;
    }
    return kResultOk;
}

uint32_t PreferencesStore::language() {
    if (language_ == kLanguageNotRead) {
        String code;
        (void)getText(u"/User/Global/Language", &code);
        language_ = LanguageIndex(code.data());
    }
    return language_;
}

bool PreferencesStore::setLanguage(const char16_t* code) {
    const uint32_t index = LanguageIndex(code);
    if (index == kLanguageNeutral)
        return false;
    (void)setText(u"/User/Global/Language", LanguageCode(index));
    language_ = index;
    return true;
}

Result PreferencesStore::recentFile(uint32_t index, String* name, String* metadata) {
    if (name)
        name->clear();
    if (metadata)
        metadata->clear();
    if (index >= 9)
        return kResultOutOfRange;
    if (!name)
        return kResultNullOutput;
    const uint32_t number = index + 1;
    const String namePath = Format(u"/User/Local/Recent Files/File{0}/Name", {number});
    if (getText(namePath.data(), name) != kResultOk || name->isEmpty()) {
        name->clear();
        return kResultOutOfRange;
    }
    if (metadata) {
        const String metadataPath = Format(u"/User/Local/Recent Files/File{0}/Metadata", {number});
        (void)getText(metadataPath.data(), metadata);
    }
    return kResultOk;
}

} // namespace vorn
