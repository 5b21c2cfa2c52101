#include "VornLib/core/Base64.h"

namespace vorn {
namespace {

constexpr char16_t kAlphabet[] =
    u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int32_t ValueOf(char16_t unit) {
    for (int32_t value = 0; value < 64; ++value) {
        if (kAlphabet[value] == unit)
            return value;
    }
    return -1;
}

} // namespace

String Base64Of(const uint8_t* bytes, size_t size) {
    String text;
    for (size_t at = 0; at < size; at += 3) {
        const size_t left = size - at;
        const uint32_t group = uint32_t(bytes[at]) << 16 |
                               (left > 1 ? uint32_t(bytes[at + 1]) << 8 : 0) |
                               (left > 2 ? bytes[at + 2] : 0);
        text += kAlphabet[group >> 18];
        text += kAlphabet[(group >> 12) & 63];
        text += left > 1 ? kAlphabet[(group >> 6) & 63] : u'=';
        text += left > 2 ? kAlphabet[group & 63] : u'=';
    }
    return text;
}

bool DecodeBase64(const String& text, std::vector<uint8_t>* bytes) {
    bytes->clear();
    if (text.length() % 4 != 0)
        return false;
    for (uint32_t at = 0; at < text.length(); at += 4) {
        const bool last = at + 4 == text.length();
        const uint32_t padding = last ? (text[at + 3] == u'=') + (text[at + 2] == u'=') : 0;
        if (padding == 1 && text[at + 2] == u'=')
            return false;
        uint32_t group = 0;
        for (uint32_t i = 0; i < 4 - padding; ++i) {
            const int32_t value = ValueOf(text[at + i]);
            if (value < 0)
                return false;
            group = group << 6 | uint32_t(value);
        }
        group <<= 6 * padding;
        // What the padding stands for must be zero bits: one text per bytes.
        if (padding && (group & ((1u << (8 * padding)) - 1)) != 0)
            return false;
        bytes->push_back(uint8_t(group >> 16));
        if (padding < 2)
            bytes->push_back(uint8_t(group >> 8));
        if (padding < 1)
            bytes->push_back(uint8_t(group));
    }
    return true;
}

} // namespace vorn
