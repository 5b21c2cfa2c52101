#include "VornLib/app/RecordFields.h"

#include "VornLib/core/Format.h"

namespace vorn {

void AppendRecordField(String* out, const String& field) {
    out->append(Format(u"{0}:", {field.length()}));
    out->append(field);
}

bool ReadRecordLength(const String& text, uint32_t* at, uint32_t* out) {
    uint64_t value = 0;
    const uint32_t begin = *at;
    while (*at < text.length() && text[*at] >= u'0' && text[*at] <= u'9' && value <= UINT32_MAX)
        value = value * 10 + (text[(*at)++] - u'0');
    if (*at == begin || *at >= text.length() || text[*at] != u':' || value > UINT32_MAX)
        return false;
    ++*at;
    *out = uint32_t(value);
    return true;
}

bool ReadRecordField(const String& text, uint32_t* at, String* out) {
    uint32_t length = 0;
    if (!ReadRecordLength(text, at, &length) || length > text.length() - *at)
        return false;
    *out = text.mid(*at, length);
    *at += length;
    return true;
}

} // namespace vorn
