#include "VornLib/gui/AccessKeys.h"

namespace vorn {

char16_t AccessKeyCase(char16_t unit) {
    if (unit >= u'a' && unit <= u'z')
        return char16_t(unit - 32);
    if (unit >= 0x03B1 && unit <= 0x03C9 && unit != 0x03C2) // Greek small letters
        return char16_t(unit - 32);
    if (unit >= 0x0430 && unit <= 0x044F) // Cyrillic а..я
        return char16_t(unit - 32);
    if (unit >= 0x0450 && unit <= 0x045F) // Cyrillic ѐ..џ
        return char16_t(unit - 80);
    if (unit >= 0x00E0 && unit <= 0x00FE && unit != 0x00F7) // Latin-1 letters
        return char16_t(unit - 32);
    return unit;
}

char16_t AccessKeyOf(const char16_t* text) {
    if (!text)
        return 0;
    for (const char16_t* at = text; *at; ++at) {
        if (*at != u'&')
            continue;
        if (at[1] == u'&') {
            ++at;
            continue;
        }
        return AccessKeyCase(at[1]);
    }
    return 0;
}

String EscapeAccessKeys(const String& text) {
    String escaped;
    for (uint32_t index = 0; index < text.length(); ++index) {
        if (text[index] == u'&')
            escaped += u'&';
        escaped += text[index];
    }
    return escaped;
}

String WithoutAccessKeys(const char16_t* text) {
    String shown;
    for (const char16_t* at = text; at && *at; ++at) {
        if (*at == u'&' && at[1])
            ++at; // a marker, or the first of "&&"
        shown += *at;
    }
    return shown;
}

} // namespace vorn
