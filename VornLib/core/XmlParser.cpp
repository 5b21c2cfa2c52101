#include "VornLib/core/XmlParser.h"

#include <new>

namespace vorn {
namespace {

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
