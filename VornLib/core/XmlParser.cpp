#include "VornLib/core/XmlParser.h"

#include <new>

namespace vorn {
namespace {

bool IsNameStart(char16_t unit) {
    return (unit >= u'A' && unit <= u'Z') || (unit >= u'a' && unit <= u'z') || unit == u'_' ||
           unit == u':';
}

bool IsNameUnit(char16_t unit) {
    return IsNameStart(unit) || (unit >= u'0' && unit <= u'9') || unit == u'-' || unit == u'.';
}

struct NamedReference {
    const char16_t* name;
    char16_t unit;
};
constexpr NamedReference kNamedReferences[] = {
    {u"amp", u'&'}, {u"lt", u'<'}, {u"gt", u'>'}, {u"quot", u'"'}, {u"apos", u'\''},
};

// "1.0" is 0x100: the major number in the high byte, then one nibble for each
// of up to two decimal digits. Anything else is 0.
uint16_t ReadVersion(const String& text) {
    uint32_t i = 0;
    uint32_t major = 0;
    while (i < text.length() && text[i] >= u'0' && text[i] <= u'9' && major < 256)
        major = major * 10 + (text[i++] - u'0');
    if (i == 0 || major > 255 || i >= text.length() || text[i++] != u'.')
        return 0;
    uint32_t minor = 0;
    uint32_t digits = 0;
    for (; i < text.length() && digits < 2; ++i, ++digits) {
        if (text[i] < u'0' || text[i] > u'9')
            return 0;
        minor |= uint32_t(text[i] - u'0') << (4 - 4 * digits);
    }
    if (digits == 0 || i != text.length())
        return 0;
    return uint16_t(major << 8 | minor);
}
} // namespace

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

// The first unit of the name has been pushed back.
Result XmlParser::readAttribute(String* name, String* value) {
    Result result = readName(name);
    if (result != kResultOk)
        return result;
    char16_t unit = 0;
    if ((result = skipWhitespace(&unit, nullptr)) != kResultOk)
        return result;
    if (unit != u'=')
        return fail(kResultUnexpectedToken, u"expected \"=\" after an attribute name");
    return readQuoted(value);
}

Result XmlParser::readDeclaration(uint16_t* version, bool* standalone) {
    *standalone = false;
    String name;
    String value;
    for (;;) {
        char16_t unit = 0;
        bool spaced = false;
        Result result = skipWhitespace(&unit, &spaced);
        if (result != kResultOk)
            return result;
        if (unit == u'?')
            return expect(u'>', kResultUnexpectedToken, u"the declaration must end with \"?>\"");
        if (!IsNameStart(unit) || !spaced)
            return fail(kResultUnexpectedToken, u"the declaration must end with \"?>\"");
        pushBack(unit);
        if ((result = readAttribute(&name, &value)) != kResultOk)
            return result;
        const TextEncoding kind = text_.encoding();
        const bool isUtf16 = kind == TextEncoding::Utf16LE || kind == TextEncoding::Utf16BE;
        if (name == u"version") {
            *version = ReadVersion(value);
            if (*version != 0x100)
                return fail(kResultUnsupportedFormat, u"only XML version 1.0 is supported");
        } else if (name == u"encoding") {
            if (value.compareIgnoringCase(u"utf-16") == 0 ? !isUtf16 : isUtf16)
                return fail(kResultUnsupportedFormat,
                            u"the declared encoding contradicts the byte-order mark");
        } else if (name == u"standalone") {
            *standalone = value == u"yes";
        }
    }
}

// After "<!--": up to "-->", references decoded.
Result XmlParser::readComment(String* text) {
    text->clear();
    for (;;) {
        char16_t unit = 0;
        Result result = need(&unit);
        if (result != kResultOk)
            return result;
        if (unit == u'-') {
            char16_t second = 0;
            if ((result = need(&second)) != kResultOk)
                return result;
            if (second == u'-')
                return expect(u'>', kResultUnexpectedToken, u"\"--\" inside a comment");
            pushBack(second);
        } else if (unit == u'&' && (result = readReference(&unit)) != kResultOk) {
            return result;
        }
        if (!text->append(unit))
            return fail(kResultOutOfMemory, u"out of memory");
    }
}

// After "<![CDATA[": the raw units up to "]]>".
Result XmlParser::readCData(String* text) {
    text->clear();
    for (;;) {
        char16_t unit = 0;
        const Result result = need(&unit);
        if (result != kResultOk)
            return result;
        if (!text->append(unit))
            return fail(kResultOutOfMemory, u"out of memory");
        const uint32_t length = text->length();
        if (unit == u'>' && length >= 3 && (*text)[length - 2] == u']' &&
            (*text)[length - 3] == u']') {
            *text = text->left(length - 3);
            return kResultOk;
        }
    }
}

// After the element's name: attributes, then "/>" or ">".
Result XmlParser::readTag(XmlNode* element, bool* open) {
    XmlAttribute* last = nullptr;
    for (;;) {
        char16_t unit = 0;
        bool spaced = false;
        Result result = skipWhitespace(&unit, &spaced);
        if (result != kResultOk)
            return result;
        if (unit == u'>') {
            *open = true;
            return kResultOk;
        }
        if (unit == u'/') {
            *open = false;
            return expect(u'>', kResultUnexpectedToken, u"expected \">\" after \"/\"");
        }
        if (!IsNameStart(unit))
            return fail(kResultUnexpectedToken, u"unexpected character in a tag");
        if (!spaced)
            return fail(kResultUnexpectedToken, u"attributes must be separated by whitespace");
        XmlAttribute* attribute = new (std::nothrow) XmlAttribute;
        if (!attribute)
            return fail(kResultOutOfMemory, u"out of memory");
        element->appendAttribute(&last, attribute);
        attribute->position = {line, column};
        pushBack(unit);
        if ((result = readAttribute(&attribute->name, &attribute->value)) != kResultOk)
            return result;
    }
}

Result XmlParser::expect(char16_t wanted, Result code, const char16_t* why) {
    char16_t unit = 0;
    const Result result = need(&unit);
    if (result != kResultOk)
        return result;
    return unit == wanted ? kResultOk : fail(code, why);
}

Result XmlParser::append(XmlNode* node) {
    if (!node)
        return fail(kResultOutOfMemory, u"out of memory");
    if (depth_ == 0) {
        XmlNode::AppendToList(top_, &topLast_, node);
    } else {
        frames_[depth_].element->appendChild(&frames_[depth_].last, node);
    }
    return kResultOk;
}

Result XmlParser::readCharacterData(bool* atEnd) {
    content_.clear();
    *atEnd = false;
    for (;;) {
        char16_t unit = 0;
        Result result = next(&unit);
        if (result == kResultEndOfData) {
            *atEnd = true;
            break;
        }
        if (result != kResultOk)
            return result;
        if (unit == u'<')
            break;
        if (unit == u'>')
            return fail(kResultUnexpectedToken, u"\">\" in text must be written \"&gt;\"");
        if (unit == u'&' && (result = readReference(&unit)) != kResultOk)
            return result;
        if (depth_ == 0) {
            if (!IsWhitespace(unit))
                return fail(kResultMalformed, u"text outside the root element");
        } else if (!content_.append(unit)) {
            return fail(kResultOutOfMemory, u"out of memory");
        }
    }
    if (content_.isEmpty())
        return kResultOk;
    return append(XmlNode::NewContent(XmlValueKind::Text, content_));
}

Result XmlParser::readMarkup(uint16_t* version, bool* standalone) {
    char16_t unit = 0;
    const Result result = need(&unit);
    if (result != kResultOk)
        return result;
    if (unit == u'?')
        return readProcessingInstruction(version, standalone);
    if (unit == u'!')
        return readSpecialSection();
    if (unit == u'/')
        return readClosingTag();
    if (IsNameStart(unit))
        return readElement(unit);
    return fail(kResultUnexpectedToken, u"unexpected character after \"<\"");
}

Result XmlParser::readProcessingInstruction(uint16_t* version, bool* standalone) {
    const Result result = readName(&name_);
    if (result != kResultOk)
        return result;
    if (name_ != u"xml")
        return fail(kResultUnexpectedToken, u"processing instructions are not supported");
    if (depth_ > 0)
        return fail(kResultMalformed, u"a declaration inside an element");
    return readDeclaration(version, standalone);
}

Result XmlParser::readSpecialSection() {
    char16_t unit = 0;
    Result result = need(&unit);
    if (result != kResultOk)
        return result;
    if (unit == u'-') {
        if ((result = expect(u'-', kResultUnexpectedToken,
                             u"a comment must start with \"<!--\"")) != kResultOk ||
            (result = readComment(&content_)) != kResultOk)
            return result;
        return append(XmlNode::NewContent(XmlValueKind::Comment, content_));
    }
    if (unit != u'[')
        return fail(kResultUnexpectedToken, u"DOCTYPE and other declarations are not supported");
    if ((result = readName(&name_)) != kResultOk || (result = need(&unit)) != kResultOk)
        return result;
    if (name_ != u"CDATA" || unit != u'[')
        return fail(kResultUnexpectedToken, u"only CDATA sections may start with \"<![\"");
    if (depth_ == 0)
        return fail(kResultMalformed, u"CDATA outside the root element");
    if ((result = readCData(&content_)) != kResultOk)
        return result;
    return append(XmlNode::NewContent(XmlValueKind::CData, content_));
}

Result XmlParser::readClosingTag() {
    if (depth_ == 0)
        return fail(kResultMalformed, u"a closing tag without an open element");
    Result result = readName(&name_);
    if (result != kResultOk)
        return result;
    XmlNode* element = frames_[depth_].element;
    if (name_ != element->name())
        return fail(kResultInvalidName, u"the closing tag does not match the open element");
    char16_t unit = 0;
    if ((result = skipWhitespace(&unit, nullptr)) != kResultOk)
        return result;
    if (unit != u'>')
        return fail(kResultMalformed, u"expected \">\" after the closing name");
    element->finishContent();
    --depth_;
    return kResultOk;
}

Result XmlParser::readElement(char16_t first) {
    if (depth_ == 0 && haveRoot_)
        return fail(kResultMalformed, u"a second root element");
    if (depth_ == kXmlMaxDepth)
        return fail(kResultMalformed, u"elements nested too deeply");
    haveRoot_ = true;
    pushBack(first);
    const XmlPosition position = {line, column};
    Result result = readName(&name_);
    if (result != kResultOk)
        return result;
    XmlNode* element = XmlNode::NewElement(name_.data(), name_.length());
    if ((result = append(element)) != kResultOk)
        return result;
    element->setPosition(position);
    bool open = false;
    if ((result = readTag(element, &open)) != kResultOk)
        return result;
    if (open)
        frames_[++depth_] = {element, nullptr};
    return kResultOk;
}

Result XmlParser::run(XmlNode** top, uint16_t* version, bool* standalone) {
    top_ = top;
    for (;;) {
        bool atEnd = false;
        Result result = readCharacterData(&atEnd);
        if (result != kResultOk)
            return result;
        if (atEnd)
            break;
        if ((result = readMarkup(version, standalone)) != kResultOk)
            return result;
    }
    if (depth_ > 0)
        return fail(kResultEndOfData, u"unexpected end of the document inside an element");
    if (!haveRoot_)
        return fail(kResultMalformed, u"the document has no root element");
    return kResultOk;
}

} // namespace vorn
