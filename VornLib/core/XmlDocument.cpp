#include "VornLib/core/XmlDocument.h"

#include <cstring>
#include <new>

#include "VornLib/core/TextReader.h"

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

// Bytes in memory as a read-only stream (the data library's streams are not
// available to core code).
class BlockStream : public Stream {
public:
    BlockStream(const void* bytes, uint32_t size, const char16_t* description)
        : bytes_(static_cast<const uint8_t*>(bytes)), size_(size),
          description_(description ? description : u"memory") {}
    Result close() override { return kResultOk; }
    Result read(void* destination, uint32_t count) override {
        if (!destination)
            return kResultNullOutput;
        if (count > size_ - position_)
            return kResultEndOfData;
        std::memcpy(destination, bytes_ + position_, count);
        position_ += count;
        return kResultOk;
    }
    Result write(const void*, uint32_t) override { return kResultNotOpenForWriting; }
    Result flush(bool) override { return kResultOk; }
    uint64_t position() override { return position_; }
    Result seek(uint64_t offset) override {
        if (offset > size_)
            return kResultOutOfRange;
        position_ = uint32_t(offset);
        return kResultOk;
    }
    uint64_t size() override { return size_; }
    String description() override { return description_; }

private:
    const uint8_t* bytes_;
    uint32_t size_;
    uint32_t position_ = 0;
    String description_;
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

// The reader proper: one UTF-16 unit at a time with one unit of look-ahead,
// and an explicit stack of open elements instead of recursion.
class Parser {
public:
    explicit Parser(TextReader& text) : text_(text) {}

    Result run(XmlNode** top, uint16_t* version, bool* standalone);

    uint32_t line = 1;
    uint32_t column = 0;
    const char16_t* reason = nullptr;

private:
    struct Frame {
        XmlNode* element;
        XmlNode* last;
    };

    Result fail(Result result, const char16_t* why) {
        if (!reason)
            reason = why;
        return result;
    }
    Result readRaw(char16_t* unit);
    Result next(char16_t* unit);
    // Like next, but the end of the input is an error.
    Result need(char16_t* unit);
    void pushBack(char16_t unit) { pushed_ = unit; }
    Result skipWhitespace(char16_t* unit, bool* skipped);
    Result readName(String* name);
    Result readReference(char16_t* unit);
    Result readQuoted(String* value);
    Result readAttribute(String* name, String* value);
    Result readDeclaration(uint16_t* version, bool* standalone);
    Result readComment(String* text);
    Result readCData(String* text);
    Result readTag(XmlNode* element, bool* open);
    Result append(XmlNode** top, XmlNode** topLast, XmlNode* node);

    TextReader& text_;
    char16_t pushed_ = 0;
    char16_t pendingRaw_ = 0;
    bool hasPendingRaw_ = false;
    Frame frames_[kXmlMaxDepth + 1] = {};
    uint32_t depth_ = 0;
};

Result Parser::readRaw(char16_t* unit) {
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

Result Parser::next(char16_t* unit) {
    if (pushed_) {
        *unit = pushed_;
        pushed_ = 0;
        return kResultOk;
    }
    return readRaw(unit);
}

Result Parser::need(char16_t* unit) {
    const Result result = next(unit);
    if (result == kResultEndOfData)
        return fail(result, u"unexpected end of the document");
    return result;
}

Result Parser::skipWhitespace(char16_t* unit, bool* skipped) {
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

Result Parser::readName(String* name) {
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
Result Parser::readReference(char16_t* unit) {
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
Result Parser::readQuoted(String* value) {
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
Result Parser::readAttribute(String* name, String* value) {
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

Result Parser::readDeclaration(uint16_t* version, bool* standalone) {
    *standalone = false;
    String name;
    String value;
    for (;;) {
        char16_t unit = 0;
        bool spaced = false;
        Result result = skipWhitespace(&unit, &spaced);
        if (result != kResultOk)
            return result;
        if (unit == u'?') {
            if ((result = need(&unit)) != kResultOk)
                return result;
            if (unit != u'>')
                return fail(kResultUnexpectedToken, u"the declaration must end with \"?>\"");
            return kResultOk;
        }
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
Result Parser::readComment(String* text) {
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
            if (second == u'-') {
                if ((result = need(&second)) != kResultOk)
                    return result;
                if (second != u'>')
                    return fail(kResultUnexpectedToken, u"\"--\" inside a comment");
                return kResultOk;
            }
            pushBack(second);
        } else if (unit == u'&' && (result = readReference(&unit)) != kResultOk) {
            return result;
        }
        if (!text->append(unit))
            return fail(kResultOutOfMemory, u"out of memory");
    }
}

// After "<![CDATA[": the raw units up to "]]>".
Result Parser::readCData(String* text) {
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
Result Parser::readTag(XmlNode* element, bool* open) {
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
            if ((result = need(&unit)) != kResultOk)
                return result;
            if (unit != u'>')
                return fail(kResultUnexpectedToken, u"expected \">\" after \"/\"");
            *open = false;
            return kResultOk;
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

Result Parser::append(XmlNode** top, XmlNode** topLast, XmlNode* node) {
    if (!node)
        return fail(kResultOutOfMemory, u"out of memory");
    if (depth_ == 0) {
        XmlNode::AppendToList(top, topLast, node);
    } else {
        frames_[depth_].element->appendChild(&frames_[depth_].last, node);
    }
    return kResultOk;
}

Result Parser::run(XmlNode** top, uint16_t* version, bool* standalone) {
    XmlNode* topLast = nullptr;
    bool haveRoot = false;
    String text;
    String name;
    for (;;) {
        // Character data up to the next markup.
        text.clear();
        bool atEnd = false;
        for (;;) {
            char16_t unit = 0;
            Result result = next(&unit);
            if (result == kResultEndOfData) {
                atEnd = true;
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
            } else if (!text.append(unit)) {
                return fail(kResultOutOfMemory, u"out of memory");
            }
        }
        if (!text.isEmpty()) {
            const Result result =
                append(top, &topLast, XmlNode::NewContent(XmlValueKind::Text, text));
            if (result != kResultOk)
                return result;
        }
        if (atEnd)
            break;

        char16_t unit = 0;
        Result result = need(&unit);
        if (result != kResultOk)
            return result;
        if (unit == u'?') {
            if ((result = readName(&name)) != kResultOk)
                return result;
            if (name != u"xml")
                return fail(kResultUnexpectedToken, u"processing instructions are not supported");
            if (depth_ > 0)
                return fail(kResultMalformed, u"a declaration inside an element");
            if ((result = readDeclaration(version, standalone)) != kResultOk)
                return result;
        } else if (unit == u'!') {
            if ((result = need(&unit)) != kResultOk)
                return result;
            if (unit == u'-') {
                if ((result = need(&unit)) != kResultOk)
                    return result;
                if (unit != u'-')
                    return fail(kResultUnexpectedToken, u"a comment must start with \"<!--\"");
                if ((result = readComment(&text)) != kResultOk)
                    return result;
                result = append(top, &topLast, XmlNode::NewContent(XmlValueKind::Comment, text));
            } else if (unit == u'[') {
                if ((result = readName(&name)) != kResultOk || (result = need(&unit)) != kResultOk)
                    return result;
                if (name != u"CDATA" || unit != u'[')
                    return fail(kResultUnexpectedToken,
                                u"only CDATA sections may start with \"<![\"");
                if (depth_ == 0)
                    return fail(kResultMalformed, u"CDATA outside the root element");
                if ((result = readCData(&text)) != kResultOk)
                    return result;
                result = append(top, &topLast, XmlNode::NewContent(XmlValueKind::CData, text));
            } else {
                return fail(kResultUnexpectedToken,
                            u"DOCTYPE and other declarations are not supported");
            }
            if (result != kResultOk)
                return result;
        } else if (unit == u'/') {
            if (depth_ == 0)
                return fail(kResultMalformed, u"a closing tag without an open element");
            if ((result = readName(&name)) != kResultOk)
                return result;
            XmlNode* element = frames_[depth_].element;
            if (name != element->name())
                return fail(kResultInvalidName, u"the closing tag does not match the open element");
            if ((result = skipWhitespace(&unit, nullptr)) != kResultOk)
                return result;
            if (unit != u'>')
                return fail(kResultMalformed, u"expected \">\" after the closing name");
            element->finishContent();
            --depth_;
        } else if (IsNameStart(unit)) {
            if (depth_ == 0 && haveRoot)
                return fail(kResultMalformed, u"a second root element");
            if (depth_ == kXmlMaxDepth)
                return fail(kResultMalformed, u"elements nested too deeply");
            haveRoot = true;
            pushBack(unit);
            const XmlPosition position = {line, column};
            if ((result = readName(&name)) != kResultOk)
                return result;
            XmlNode* element = XmlNode::NewElement(name.data(), name.length());
            if ((result = append(top, &topLast, element)) != kResultOk)
                return result;
            element->setPosition(position);
            bool open = false;
            if ((result = readTag(element, &open)) != kResultOk)
                return result;
            if (open)
                frames_[++depth_] = {element, nullptr};
        } else {
            return fail(kResultUnexpectedToken, u"unexpected character after \"<\"");
        }
    }
    if (depth_ > 0)
        return fail(kResultEndOfData, u"unexpected end of the document inside an element");
    if (!haveRoot)
        return fail(kResultMalformed, u"the document has no root element");
    return kResultOk;
}

} // namespace

void XmlDocument::reset() {
    XmlNode::DestroyList(nodes_);
    nodes_ = nullptr;
    line_ = 1;
    column_ = 0;
    version_ = 0x100;
    standalone_ = true;
}

void XmlDocument::clear() {
    reset();
    errorLine_ = errorColumn_ = 0;
    errorText_ = u"";
}

XmlNode* XmlDocument::root() const {
    for (XmlNode* node = nodes_; node; node = node->nextNode()) {
        if (node->isElement())
            return node;
    }
    return nullptr;
}

XmlNode* XmlDocument::find(const char16_t* path) const {
    XmlNode* top = root();
    if (!top || !path || path[0] != u'/')
        return nullptr;
    const uint32_t length = top->name().length();
    if (CompareText(top->name().data(), path + 1) == 0)
        return path[length + 1] == 0 ? top : nullptr;
    for (uint32_t i = 0; i < length; ++i) {
        if (path[i + 1] != top->name()[i])
            return nullptr;
    }
    return path[length + 1] == u'/' ? top->find(path + length + 1) : nullptr;
}

Result XmlDocument::parse(Stream* stream) {
    clear();
    if (!stream)
        return kResultNullInput;
    TextReader text;
    Result result = text.attach(stream);
    if (result == kResultOk) {
        text.setEncoding(TextEncoding::Utf8);
        // The parser keeps its element stack inline; on the heap it stays off
        // small thread stacks.
        Parser* parser = new (std::nothrow) Parser(text);
        if (!parser) {
            result = kResultOutOfMemory;
        } else {
            result = parser->run(&nodes_, &version_, &standalone_);
            line_ = parser->line;
            column_ = parser->column;
            if (result != kResultOk) {
                errorLine_ = parser->line;
                errorColumn_ = parser->column;
                errorText_ = parser->reason ? parser->reason : u"the document could not be read";
            }
            delete parser;
        }
    }
    if (result != kResultOk) {
        if (!errorLine_)
            errorLine_ = 1;
        if (*errorText_ == 0)
            errorText_ = u"out of memory";
        reset();
    }
    return result;
}

Result XmlDocument::parse(const void* bytes, uint32_t size, const char16_t* description) {
    clear();
    if (!bytes)
        return kResultNullInput;
    if (!size) {
        errorLine_ = 1;
        errorText_ = u"the document is empty";
        return kResultEmptyInput;
    }
    BlockStream stream(bytes, size, description);
    return parse(&stream);
}

} // namespace vorn
