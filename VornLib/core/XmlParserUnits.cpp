// XmlParser's units: line breaks folded and positions counted, names,
// references and quoted values.
#include "VornLib/core/XmlParser.h"

namespace vorn {
namespace {

bool IsNameUnit(char16_t unit) {
    return XmlParser::IsNameStart(unit) || (unit >= u'0' && unit <= u'9') || unit == u'-' ||
           unit == u'.';
}

struct NamedReference {
    const char16_t* name;
    char16_t unit;
};
constexpr NamedReference kNamedReferences[] = {
    {u"amp", u'&'}, {u"lt", u'<'}, {u"gt", u'>'}, {u"quot", u'"'}, {u"apos", u'\''},
};

} // namespace

bool XmlParser::IsNameStart(char16_t unit) {
    return (unit >= u'A' && unit <= u'Z') || (unit >= u'a' && unit <= u'z') || unit == u'_' ||
           unit == u':';
}

Result XmlParser::readRaw(char16_t* unit) {
    if (hasPendingRaw_) {
        *unit = pendingRaw_;
        hasPendingRaw_ = false;
    } else {
        const Result result = text_.readUnit(unit);
        if (result == kResultEndOfData)
            return result;
        if (result == kResultUnsupportedFormat)
            return fail(result, u"broken byte-order mark");
        if (result == kResultUnexpectedToken)
            return fail(result, u"bytes that are not UTF-8 or UTF-16 text");
        if (result != kResultOk)
            return fail(result, u"the input could not be read");
    }
    char16_t unitRead = *unit;
    if (unitRead == u'\r') {
        // CR LF and CR NEL are one line break.
        char16_t following = 0;
        const Result result = text_.readUnit(&following);
        if (result == kResultOk && following != u'\n' && following != 0x85) {
            pendingRaw_ = following;
            hasPendingRaw_ = true;
        } else if (result != kResultOk && result != kResultEndOfData) {
            return fail(result, u"the input could not be read");
        }
        unitRead = u'\n';
    } else if (unitRead == 0x85 || unitRead == 0x2028) {
        unitRead = u'\n';
    }
    if (unitRead == u'\n') {
        ++line;
        column = 0;
    } else if (unitRead == u'\t') {
        column = (column / 4 + 1) * 4;
    } else {
        ++column;
    }
    *unit = unitRead;
    if (unitRead == 0)
        return fail(kResultUnexpectedToken, u"NUL character");
    return kResultOk;
}

Result XmlParser::next(char16_t* unit) {
    if (pushed_) {
        *unit = pushed_;
        pushed_ = 0;
        return kResultOk;
    }
    return readRaw(unit);
}

Result XmlParser::need(char16_t* unit) {
    const Result result = next(unit);
    if (result == kResultEndOfData)
        return fail(result, u"unexpected end of the document");
    return result;
}

Result XmlParser::skipWhitespace(char16_t* unit, bool* skipped) {
    if (skipped)
        *skipped = false;
    for (;;) {
        const Result result = need(unit);
        if (result != kResultOk || !IsWhitespace(*unit))
            return result;
        if (skipped)
            *skipped = true;
    }
}

Result XmlParser::readName(String* name) {
    name->clear();
    for (;;) {
        char16_t unit = 0;
        const Result result = next(&unit);
        if (result == kResultEndOfData)
            return kResultOk;
        if (result != kResultOk)
            return result;
        if (!IsNameUnit(unit) || (name->isEmpty() && !IsNameStart(unit))) {
            pushBack(unit);
            return kResultOk;
        }
        if (!name->append(unit))
            return fail(kResultOutOfMemory, u"out of memory");
    }
}

// After "&": "#" decimal digits, "#x" hexadecimal digits or a known name, then ";".
Result XmlParser::readReference(char16_t* unit) {
    char16_t current = 0;
    Result result = need(&current);
    if (result != kResultOk)
        return result;
    if (current == u'#') {
        if ((result = need(&current)) != kResultOk)
            return result;
        const bool hex = current == u'x';
        if (hex && (result = need(&current)) != kResultOk)
            return result;
        uint32_t value = 0;
        uint32_t digits = 0;
        for (;;) {
            uint32_t digit = 16;
            if (current >= u'0' && current <= u'9')
                digit = current - u'0';
            else if (hex && current >= u'a' && current <= u'f')
                digit = current - u'a' + 10;
            else if (hex && current >= u'A' && current <= u'F')
                digit = current - u'A' + 10;
            if (digit == 16)
                break;
            // Larger values are cut to 16 bits, so keeping the low bits is enough.
            value = (value * (hex ? 16 : 10) + digit) & 0xFFFF;
            ++digits;
            if ((result = need(&current)) != kResultOk)
                return result;
        }
        if (!digits || current != u';')
            return fail(kResultUnexpectedToken, u"malformed character reference");
        if (!value)
            return fail(kResultUnexpectedToken, u"character reference to U+0000");
        *unit = char16_t(value);
        return kResultOk;
    }
    char16_t name[5];
    uint32_t length = 0;
    while (current != u';') {
        if (length == 4 || !IsNameUnit(current))
            return fail(kResultUnexpectedToken, u"unknown or malformed entity reference");
        name[length++] = current;
        if ((result = need(&current)) != kResultOk)
            return result;
    }
    name[length] = 0;
    for (const NamedReference& reference : kNamedReferences) {
        if (CompareText(reference.name, name) == 0) {
            *unit = reference.unit;
            return kResultOk;
        }
    }
    return fail(kResultUnexpectedToken, u"unknown or malformed entity reference");
}

// After optional whitespace: a quote, then units up to the same quote.
Result XmlParser::readQuoted(String* value) {
    char16_t quote = 0;
    Result result = skipWhitespace(&quote, nullptr);
    if (result != kResultOk)
        return result;
    if (quote != u'"' && quote != u'\'')
        return fail(kResultUnexpectedToken, u"expected a quoted value");
    value->clear();
    for (;;) {
        char16_t unit = 0;
        if ((result = need(&unit)) != kResultOk)
            return result;
        if (unit == quote)
            break;
        if (unit == u'&' && (result = readReference(&unit)) != kResultOk)
            return result;
        if (!value->append(unit))
            return fail(kResultOutOfMemory, u"out of memory");
    }
    value->simplify();
    return kResultOk;
}

Result XmlParser::expect(char16_t wanted, Result code, const char16_t* why) {
    char16_t unit = 0;
    const Result result = need(&unit);
    if (result != kResultOk)
        return result;
    return unit == wanted ? kResultOk : fail(code, why);
}

} // namespace vorn
