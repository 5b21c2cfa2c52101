#include "VornLib/gui/ShortcutKeys.h"

#include "VornLib/core/Format.h"
#include "VornLib/core/XmlNode.h"
#include "VornLib/gui/StyleWords.h"

namespace vorn {
namespace {

struct Modifier {
    const char16_t* prefix;
    uint32_t length;
    uint8_t flag;
};
constexpr Modifier kModifiers[] = {
    {u"Ctrl+", 5, kShortcutControl},
    {u"Alt+", 4, kShortcutAlt},
    {u"Shift+", 6, kShortcutShift},
};

// Virtual-key codes as the platform numbers them.
constexpr DescriptionWord<uint16_t> kKeyNames[] = {
    {u"C", 'C'},       {u"O", 'O'},      {u"S", 'S'},       {u"R", 'R'},      {u"V", 'V'},
    {u"ESCAPE", 0x1B}, {u"PAUSE", 0x13}, {u"RETURN", 0x0D}, {u"SPACE", 0x20}, {u"TAB", 0x09},
};
constexpr uint16_t kFirstFunctionKey = 0x70; // F1
constexpr uint32_t kFunctionKeys = 19;

bool StartsWith(const char16_t* text, const Modifier& modifier) {
    for (uint32_t index = 0; index < modifier.length; ++index) {
        if (text[index] != modifier.prefix[index])
            return false;
    }
    return true;
}

bool FunctionKey(const String& name, uint16_t* virtualKey) {
    const char16_t* text = name.data();
    if (text[0] != u'F' || text[1] < u'1' || text[1] > u'9')
        return false;
    uint32_t number = uint32_t(text[1] - u'0');
    if (text[2]) {
        if (number != 1 || text[2] < u'0' || text[2] > u'9' || text[3])
            return false;
        number = 10 + uint32_t(text[2] - u'0');
    }
    if (number < 1 || number > kFunctionKeys)
        return false;
    *virtualKey = uint16_t(kFirstFunctionKey + number - 1);
    return true;
}

} // namespace

Result ParseShortcutKeys(const char16_t* text, ShortcutKey* out) {
    *out = ShortcutKey();
    if (!text)
        return kResultMalformed;
    uint8_t modifiers = 0;
    bool more = true;
    while (more) {
        more = false;
        for (const Modifier& modifier : kModifiers) {
            if (StartsWith(text, modifier)) {
                modifiers |= modifier.flag;
                text += modifier.length;
                more = true;
            }
        }
    }
    const String name(text);
    uint16_t virtualKey = 0;
    if (const uint16_t* named = FindWord(kKeyNames, name))
        virtualKey = *named;
    else if (!FunctionKey(name, &virtualKey))
        return kResultMalformed;
    out->modifiers = modifiers;
    out->virtualKey = virtualKey;
    return kResultOk;
}

String CheckShortcutKeys(const char16_t* text) {
    ShortcutKey key;
    if (ParseShortcutKeys(text, &key) == kResultOk)
        return String();
    String names;
    for (const DescriptionWord<uint16_t>& name : kKeyNames)
        names += String(u", ") + name.word;
    return Format(u"\"{0}\" is no key combination: any of \"Ctrl+\", \"Alt+\", \"Shift+\", "
                  u"then one key of F1 to F{1}{2}",
                  {text ? text : u"", kFunctionKeys, names});
}

Result ReadShortcutKeys(const XmlNode& element, std::vector<ShortcutKey>* out) {
    out->clear();
    std::vector<ShortcutKey> keys;
    uint32_t children = 0;
    for (const XmlNode* child = element.firstChild(); child; child = child->nextSibling())
        children += child->isElement() ? 1 : 0;
    keys.reserve(children);
    for (const XmlNode* child = element.firstChild(); child; child = child->nextSibling()) {
        if (!child->isElement())
            continue;
        String id;
        String text;
        ShortcutKey key;
        if (child->name() != u"Command" || child->getAttribute(u"ID", &id) != kResultOk ||
            child->getAttribute(u"Keys", &text) != kResultOk ||
            ParseShortcutKeys(text.data(), &key) != kResultOk)
            return kResultMalformed;
        key.command = CommandId(id.data());
        keys.push_back(key);
    }
    *out = std::move(keys);
    return kResultOk;
}

} // namespace vorn
