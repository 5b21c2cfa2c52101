#include "VornLib/core/JsonText.h"

#include "VornLib/core/Format.h"

namespace vorn {

String JsonString(const String& text) {
    String json = u"\"";
    for (uint32_t i = 0; i < text.length(); ++i) {
        const char16_t unit = text[i];
        if (unit == u'"' || unit == u'\\')
            json += String(u"\\") + unit;
        else if (unit < 0x20)
            json += Format(u"\\u{0,04:x}", {unsigned(unit)});
        else
            json += unit;
    }
    return json + u'"';
}

} // namespace vorn
