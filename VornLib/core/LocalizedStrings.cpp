#include "VornLib/core/LocalizedStrings.h"

namespace vorn {

Result ResolveLocalizedText(LocalizedElementSource& source, const char16_t* text, String* out) {
    if (!out)
        return kResultNullOutput;
    out->clear();
    if (!text)
        return kResultMissingEntry;
    if (text[0] != u'#') {
        out->assign(text);
        return kResultOk;
    }
    if (text[1] == u'#') {
        out->assign(text + 1);
        return kResultOk;
    }
    const char16_t* key = text + 1;
    const XmlNode* entry = nullptr;
    if (source.getLocalizedElement(u"String", key, &entry) != kResultOk || !entry) {
        *out = String(u"<Localized Text: ") + key + u'>';
        return kResultMissingEntry;
    }
    // An entry with child elements reads as its serialised content.
    const Result result = entry->getText(out);
    (void)source.release(entry);
    if (result != kResultOk) {
        out->clear();
        return kResultPlatformFailure;
    }
    return kResultOk;
}

} // namespace vorn
