#include "VornLib/app/UpdateDelta.h"

#include "VornLib/core/Format.h"

namespace vorn {

namespace {

bool ParseChecksum(const String& text, uint32_t* out) {
    if (text.length() != 8)
        return false;
    uint32_t value = 0;
    for (uint32_t i = 0; i < 8; ++i) {
        const char16_t unit = text[i];
        uint32_t digit = 0;
        if (unit >= u'0' && unit <= u'9')
            digit = unit - u'0';
        else if (unit >= u'a' && unit <= u'f')
            digit = unit - u'a' + 10;
        else if (unit >= u'A' && unit <= u'F')
            digit = unit - u'A' + 10;
        else
            return false;
        value = value << 4 | digit;
    }
    *out = value;
    return true;
}

String ChecksumText(uint32_t checksum) {
    static constexpr char16_t kDigits[] = u"0123456789abcdef";
    String text;
    for (int shift = 28; shift >= 0; shift -= 4)
        text.append(kDigits[(checksum >> shift) & 15]);
    return text;
}

} // namespace

Result ReadFileBase(const XmlNode& file, FileBase* out) {
    *out = FileBase();
    String word;
    if (file.getAttribute(u"Source", &word) != kResultOk)
        return kResultOk;
    const FileSourceName* known = nullptr;
    for (const FileSourceName& name : kFileSourceNames) {
        if (word == name.name)
            known = &name;
    }
    if (!known)
        return kResultMalformed;
    FileBase base;
    base.source = known->source;
    if (base.source == FileSource::Payload) {
        *out = base;
        return kResultOk;
    }
    String size;
    String checksum;
    if (file.getAttribute(u"BaseSize", &size) != kResultOk ||
        file.getAttribute(u"BaseChecksum", &checksum) != kResultOk)
        return kResultMissingDefinition;
    bool digits = !size.isEmpty() && size.length() <= 19;
    for (uint32_t i = 0; i < size.length(); ++i)
        digits = digits && size[i] >= u'0' && size[i] <= u'9';
    if (!digits || !ParseChecksum(checksum, &base.checksum))
        return kResultMalformed;
    for (uint32_t i = 0; i < size.length(); ++i)
        base.size = base.size * 10 + uint64_t(size[i] - u'0');
    *out = base;
    return kResultOk;
}

String FileBaseAttributes(const FileBase& base) {
    if (base.source == FileSource::Payload)
        return String();
    const char16_t* word = u"";
    for (const FileSourceName& name : kFileSourceNames) {
        if (name.source == base.source)
            word = name.name;
    }
    return Format(u" Source=\"{0}\" BaseSize=\"{1}\" BaseChecksum=\"{2}\"",
                  {word, base.size, ChecksumText(base.checksum)});
}

} // namespace vorn
