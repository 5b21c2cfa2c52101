#include "VornLib/app/DeclarationReader.h"

#include "VornLib/app/SettingDeclarations.h"
#include "VornLib/core/Format.h"

namespace vorn {

bool ParseDeclaredNumber(const String& text, uint64_t limit, uint64_t* out) {
    uint32_t at = 0;
    uint32_t base = 10;
    if (text.length() > 2 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X')) {
        at = 2;
        base = 16;
    }
    if (at == text.length())
        return false;
    uint64_t value = 0;
    for (; at < text.length(); ++at) {
        const char16_t unit = text[at];
        uint32_t digit = 16;
        if (unit >= u'0' && unit <= u'9')
            digit = unit - u'0';
        else if (base == 16 && unit >= u'a' && unit <= u'f')
            digit = unit - u'a' + 10;
        else if (base == 16 && unit >= u'A' && unit <= u'F')
            digit = unit - u'A' + 10;
        if (digit >= base || value > (limit - digit) / base)
            return false;
        value = value * base + digit;
    }
    *out = value;
    return true;
}

bool ParseExitCodes(const String& text, std::vector<uint32_t>* codes) {
    codes->clear();
    uint32_t begin = 0;
    for (uint32_t at = 0; at <= text.length(); ++at) {
        if (at < text.length() && text[at] != u',')
            continue;
        uint64_t code = 0;
        if (!ParseDeclaredNumber(text.mid(begin, at - begin), UINT32_MAX, &code))
            return false;
        codes->push_back(uint32_t(code));
        begin = at + 1;
    }
    return true;
}

Result DeclarationReader::fail(Result result, const XmlPosition& at, const String& what) {
    *problem_ = Format(u"line {0}, column {1}: {2}", {at.line, at.column, what});
    return result;
}

Result DeclarationReader::attribute(const XmlNode& element, const char16_t* name, String* value) {
    if (element.getAttribute(name, value) != kResultOk)
        return fail(kResultMissingDefinition, element.position(),
                    Format(u"{0} has no {1}", {element.name(), name}));
    return kResultOk;
}

Result DeclarationReader::number(const XmlNode& element, const char16_t* name, uint64_t low,
                                 uint64_t high, uint64_t fallback, uint64_t* out) {
    String text;
    *out = fallback;
    if (element.getAttribute(name, &text) != kResultOk)
        return kResultOk;
    if (!ParseDeclaredNumber(text, high, out) || *out < low)
        return fail(
            kResultInvalidArgument, element.position(),
            Format(u"{0} \"{1}\" is not a number from {2} to {3}", {name, text, low, high}));
    return kResultOk;
}

Result DeclarationReader::boolean(const XmlNode& element, const char16_t* name, bool fallback,
                                  bool* out) {
    String text;
    *out = fallback;
    if (element.getAttribute(name, &text) != kResultOk)
        return kResultOk;
    if (text != u"true" && text != u"false")
        return fail(kResultInvalidArgument, element.position(),
                    Format(u"{0} \"{1}\" is neither \"true\" nor \"false\"", {name, text}));
    *out = text == u"true";
    return kResultOk;
}

Result DeclarationReader::placeholders(const XmlNode& element, const String& text) {
    String expanded;
    if (ExpandPlaceholders(text, PlaceholderValues(), &expanded) != kResultOk)
        return fail(kResultInvalidArgument, element.position(),
                    Format(u"\"{0}\" names a value in braces other than {1}; \"{2}\" is a brace",
                           {text, u"{InstallFolder}, {ProgramGroup}, {Version}, {Company}, {Name}",
                            u"{{"}));
    return kResultOk;
}

} // namespace vorn
