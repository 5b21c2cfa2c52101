#include "VornLib/app/SettingDeclarations.h"

#include "VornLib/app/ComponentDeclarations.h"
#include "VornLib/app/DeclarationReader.h"
#include "VornLib/core/Format.h"

namespace vorn {

const char16_t* const kRegistryKindNames[uint32_t(RegistryKind::Count)] = {
    u"String", u"ExpandString", u"DWord", u"QWord", u"MultiString"};

const char16_t* const kPlaceholderNames[uint32_t(Placeholder::Count)] = {
    u"InstallFolder", u"ProgramGroup", u"Version", u"Company", u"Name"};

uint32_t RegistryKindType(RegistryKind kind) {
    // REG_SZ, REG_EXPAND_SZ, REG_DWORD, REG_QWORD, REG_MULTI_SZ.
    constexpr uint32_t kTypes[uint32_t(RegistryKind::Count)] = {1, 2, 4, 11, 7};
    return kTypes[uint32_t(kind)];
}

namespace {

constexpr char16_t kSoftwarePrefix[] = u"Software\\";
// The registry's limit for one key name.
constexpr uint32_t kMaxKeyNameLength = 255;

bool IsSafeKey(const String& key) {
    if (key.length() <= TextLength(kSoftwarePrefix) ||
        String(key.left(TextLength(kSoftwarePrefix))).compareIgnoringCase(kSoftwarePrefix) != 0)
        return false;
    uint32_t partLength = 0;
    for (uint32_t i = 0; i < key.length(); ++i) {
        if (key[i] == u'\\') {
            if (partLength == 0)
                return false;
            partLength = 0;
        } else if (++partLength > kMaxKeyNameLength) {
            return false;
        }
    }
    return partLength > 0;
}

class SettingReader : public DeclarationReader {
public:
    SettingReader(std::vector<SettingDeclaration>* out, String* problem)
        : DeclarationReader(problem), out_(out) {}

    Result value(const XmlNode& element) {
        SettingDeclaration declaration;
        declaration.position = element.position();
        (void)element.getAttribute(kComponentAttribute, &declaration.component, u"");
        String kind;
        Result result = attribute(element, u"Key", &declaration.key);
        if (result == kResultOk)
            result = attribute(element, u"Type", &kind);
        if (result != kResultOk)
            return result;
        (void)element.getAttribute(u"Name", &declaration.name, u"");
        (void)element.getAttribute(u"Data", &declaration.data, u"");
        if (!IsSafeKey(declaration.key))
            return fail(kResultInvalidArgument, element.position(),
                        Format(u"the key \"{0}\" is not below \"Software\\\" (a setup writes "
                               u"values there only), or has an empty or too long part",
                               {declaration.key}));
        uint32_t index = 0;
        while (index < uint32_t(RegistryKind::Count) && kind != kRegistryKindNames[index])
            ++index;
        if (index == uint32_t(RegistryKind::Count))
            return fail(kResultInvalidArgument, element.position(),
                        Format(u"Type \"{0}\" is none of String, ExpandString, DWord, QWord, "
                               u"MultiString",
                               {kind}));
        declaration.kind = RegistryKind(index);
        // A list's strings, each an element of its own: the reader makes one
        // blank of every run of white space in an attribute.
        for (const XmlNode* item = element.firstChild();
             declaration.kind == RegistryKind::MultiString && item; item = item->nextSibling()) {
            String text;
            if (item->name() != u"String" || item->getText(&text) != kResultOk)
                continue;
            if (!declaration.data.isEmpty())
                declaration.data.append(u'\n');
            declaration.data.append(text);
        }
        std::vector<uint8_t> bytes;
        const bool number =
            declaration.kind == RegistryKind::DWord || declaration.kind == RegistryKind::QWord;
        if (number && StoredBytes(declaration.kind, declaration.data, &bytes) != kResultOk)
            return fail(kResultInvalidArgument, element.position(),
                        Format(u"Data \"{0}\" is not a {1} number (decimal, or hexadecimal after "
                               u"\"0x\")",
                               {declaration.data, kind}));
        if (!number && (result = placeholders(element, declaration.data)) != kResultOk)
            return result;
        out_->push_back(declaration);
        return kResultOk;
    }

    Result environment(const XmlNode& element) {
        SettingDeclaration declaration;
        declaration.position = element.position();
        (void)element.getAttribute(kComponentAttribute, &declaration.component, u"");
        declaration.place = SettingPlace::Environment;
        Result result = kResultOk;
        if (element.name() == u"PathEntry") {
            declaration.pathEntry = true;
            if ((result = attribute(element, u"Folder", &declaration.data)) != kResultOk)
                return result;
            if (declaration.data.isEmpty() || declaration.data.find(u';') >= 0)
                return fail(kResultInvalidArgument, element.position(),
                            Format(u"the folder \"{0}\" is empty or holds \";\", which separates "
                                   u"PATH's entries",
                                   {declaration.data}));
        } else {
            declaration.kind = RegistryKind::ExpandString;
            if ((result = attribute(element, u"Name", &declaration.name)) != kResultOk ||
                (result = attribute(element, u"Value", &declaration.data)) != kResultOk)
                return result;
            if (declaration.name.isEmpty() || declaration.name.find(u'=') >= 0 ||
                declaration.name.compareIgnoringCase(u"Path") == 0)
                return fail(kResultInvalidArgument, element.position(),
                            Format(u"the variable \"{0}\" is empty, holds \"=\", or is PATH (a "
                                   u"PathEntry adds a folder to it)",
                                   {declaration.name}));
        }
        if ((result = placeholders(element, declaration.data)) != kResultOk)
            return result;
        out_->push_back(declaration);
        return kResultOk;
    }

private:
    std::vector<SettingDeclaration>* out_;
};

} // namespace

Result ReadSettingDeclarations(const XmlNode& settings, std::vector<SettingDeclaration>* out,
                               String* problem) {
    out->clear();
    problem->clear();
    SettingReader reader(out, problem);
    for (const XmlNode* list = settings.firstChild(); list; list = list->nextSibling()) {
        const bool registry = list->name() == kRegistryElement;
        if (!registry && list->name() != kEnvironmentElement)
            continue;
        for (const XmlNode* item = list->firstChild(); item; item = item->nextSibling()) {
            if (!item->isElement())
                continue;
            Result result = kResultOk;
            if (registry && item->name() == u"Value")
                result = reader.value(*item);
            else if (!registry && (item->name() == u"PathEntry" || item->name() == u"Variable"))
                result = reader.environment(*item);
            if (result != kResultOk) {
                out->clear();
                return result;
            }
        }
    }
    return kResultOk;
}

Result ExpandPlaceholders(const String& text, const PlaceholderValues& values, String* out) {
    out->clear();
    for (uint32_t at = 0; at < text.length(); ++at) {
        if (text[at] != u'{') {
            out->append(text[at]);
            continue;
        }
        if (at + 1 < text.length() && text[at + 1] == u'{') {
            out->append(u'{');
            ++at;
            continue;
        }
        const String rest = text.mid(at + 1);
        const int32_t end = rest.find(u'}');
        if (end < 0)
            return kResultInvalidArgument;
        const String name = rest.left(uint32_t(end));
        uint32_t index = 0;
        while (index < uint32_t(Placeholder::Count) && name != kPlaceholderNames[index])
            ++index;
        if (index == uint32_t(Placeholder::Count))
            return kResultInvalidArgument;
        out->append(values.values[index]);
        at += uint32_t(end) + 1;
    }
    return kResultOk;
}

Result StoredBytes(RegistryKind kind, const String& data, std::vector<uint8_t>* bytes) {
    bytes->clear();
    if (kind == RegistryKind::DWord || kind == RegistryKind::QWord) {
        const uint32_t size = kind == RegistryKind::DWord ? 4 : 8;
        uint64_t value = 0;
        if (!ParseDeclaredNumber(data, size == 4 ? UINT32_MAX : UINT64_MAX, &value))
            return kResultInvalidArgument;
        for (uint32_t i = 0; i < size; ++i)
            bytes->push_back(uint8_t(value >> (8 * i)));
        return kResultOk;
    }
    const auto appendUnit = [bytes](char16_t unit) {
        bytes->push_back(uint8_t(unit));
        bytes->push_back(uint8_t(unit >> 8));
    };
    for (uint32_t i = 0; i < data.length(); ++i)
        appendUnit(kind == RegistryKind::MultiString && data[i] == u'\n' ? u'\0' : data[i]);
    appendUnit(u'\0');
    // A list of strings ends with an empty one.
    if (kind == RegistryKind::MultiString)
        appendUnit(u'\0');
    return kResultOk;
}

namespace {

// The entry of PATH between `begin` and `end` names `folder`.
bool NamesFolder(const String& path, uint32_t begin, uint32_t end, const String& folder) {
    String entry = path.mid(begin, end - begin);
    String wanted = folder;
    entry.trimLeft();
    entry.trimRight();
    for (String* text : {&entry, &wanted}) {
        if (text->length() > 1 && (*text)[text->length() - 1] == u'\\')
            *text = text->left(text->length() - 1);
    }
    return !entry.isEmpty() && entry.compareIgnoringCase(wanted.data()) == 0;
}

// Calls `visit(begin, end)` for each entry; stops when it returns true.
template <typename Visit> void ForEachEntry(const String& path, Visit visit) {
    uint32_t begin = 0;
    for (uint32_t at = 0; at <= path.length(); ++at) {
        if (at < path.length() && path[at] != u';')
            continue;
        if (visit(begin, at))
            return;
        begin = at + 1;
    }
}

} // namespace

bool HoldsPathEntry(const String& path, const String& folder) {
    bool found = false;
    ForEachEntry(path, [&](uint32_t begin, uint32_t end) {
        return found = NamesFolder(path, begin, end, folder);
    });
    return found;
}

String WithPathEntry(const String& path, const String& folder) {
    String result = path;
    if (!result.isEmpty() && result[result.length() - 1] != u';')
        result.append(u';');
    result.append(folder);
    return result;
}

String WithoutPathEntry(const String& path, const String& folder) {
    String result = path;
    ForEachEntry(path, [&](uint32_t begin, uint32_t end) {
        if (!NamesFolder(path, begin, end, folder))
            return false;
        // The entry goes with one of the separators beside it.
        if (end < path.length())
            result = path.left(begin) + path.mid(end + 1);
        else
            result = path.left(begin > 0 ? begin - 1 : 0);
        return true;
    });
    return result;
}

} // namespace vorn
