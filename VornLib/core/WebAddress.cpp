#include "VornLib/core/WebAddress.h"

#include <initializer_list>

namespace vorn {
namespace {

constexpr uint32_t kMaxAddressLength = 2048;

bool IsPlainAddressText(const String& text) {
    if (text.isEmpty() || text.length() > kMaxAddressLength)
        return false;
    for (uint32_t i = 0; i < text.length(); ++i) {
        const char16_t unit = text[i];
        if (unit <= u' ' || unit == u'"' || unit == u'<' || unit == u'>' || unit == u'\'' ||
            unit == u'\\' || unit == 0x7F)
            return false;
    }
    return true;
}

} // namespace

bool IsWebAddress(const String& text) {
    String lower = text;
    lower.toLowerCase();
    const uint32_t scheme = lower.startsWith(u"http://")    ? 7
                            : lower.startsWith(u"https://") ? 8
                                                            : 0;
    return scheme && text.length() > scheme && IsPlainAddressText(text);
}

bool IsUpdateAddress(const String& text) {
    if (!IsWebAddress(text))
        return false;
    String lower = text;
    lower.toLowerCase();
    if (lower.startsWith(u"https://"))
        return true;
    for (const char16_t* local : {u"http://127.0.0.1", u"http://localhost"}) {
        const String host = local;
        if (lower.startsWith(host.data()) &&
            (lower.length() == host.length() || lower[host.length()] == u'/' ||
             lower[host.length()] == u':'))
            return true;
    }
    return false;
}

bool IsMailAddress(const String& text) {
    const int32_t at = text.find(u'@');
    if (at <= 0 || text.find(u'/') >= 0 || text.find(u':') >= 0 || !IsPlainAddressText(text))
        return false;
    const String domain = text.mid(uint32_t(at) + 1);
    const int32_t dot = domain.find(u'.');
    return domain.find(u'@') < 0 && dot > 0 && uint32_t(dot) + 1 < domain.length();
}

} // namespace vorn
