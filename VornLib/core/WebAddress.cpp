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

bool IsLoopbackHost(const String& host) {
    for (const char16_t* loopback : {u"127.0.0.1", u"localhost", u"::1", u"[::1]"}) {
        if (host.compareIgnoringCase(loopback) == 0)
            return true;
    }
    return false;
}

bool IsUpdateAddress(const String& text) {
    if (!IsWebAddress(text))
        return false;
    String lower = text;
    lower.toLowerCase();
    if (lower.startsWith(u"https://"))
        return true;
    constexpr uint32_t kHttp = 7; // "http://"
    if (!lower.startsWith(u"http://"))
        return false;
    // The host: up to the path, without the port (after the brackets of ::1).
    String host = lower.mid(kHttp);
    const int32_t slash = host.find(u'/');
    if (slash >= 0)
        host = host.left(uint32_t(slash));
    const int32_t colon = host.findLast(u':');
    if (colon >= 0 && (!host.startsWith(u"[") || host.findLast(u']') < colon))
        host = host.left(uint32_t(colon));
    return IsLoopbackHost(host);
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
