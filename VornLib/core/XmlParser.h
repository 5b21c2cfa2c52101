// The XML reader proper, behind XmlDocument: one UTF-16 unit at a time with
// one unit of look-ahead, and an explicit stack of open elements instead of
// recursion. Where it stopped (line, column and a reason) stays readable.
#pragma once

#include "VornLib/core/TextReader.h"
#include "VornLib/core/XmlDocument.h"

namespace vorn {

class XmlParser {
public:
    explicit XmlParser(TextReader& text) : text_(text) {}

    Result run(XmlNode** top, uint16_t* version, bool* standalone);
    // A letter, "_" or ":": what a name may start with.
    static bool IsNameStart(char16_t unit);

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
    // Fails with `code` and `why` unless the next unit is `wanted`.
    Result expect(char16_t wanted, Result code, const char16_t* why);
    // Character data up to the next "<" (`atEnd` when the input ends first).
    Result readCharacterData(bool* atEnd);
    // After "<": a declaration, comment, CDATA section, closing or opening tag.
    Result readMarkup(uint16_t* version, bool* standalone);
    Result readProcessingInstruction(uint16_t* version, bool* standalone);
    // After "<!": a comment or a CDATA section.
    Result readSpecialSection();
    Result readClosingTag();
    // `first` is the first unit of the element's name.
    Result readElement(char16_t first);
    Result append(XmlNode* node);

    TextReader& text_;
    char16_t pushed_ = 0;
    char16_t pendingRaw_ = 0;
    bool hasPendingRaw_ = false;
    Frame frames_[kXmlMaxDepth + 1] = {};
    uint32_t depth_ = 0;
    XmlNode** top_ = nullptr; // the nodes outside the root element, and the root
    XmlNode* topLast_ = nullptr;
    bool haveRoot_ = false;
    String content_;
    String name_;
};

} // namespace vorn
