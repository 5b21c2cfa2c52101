#include "VornLib/gui/LayoutExpression.h"

#include "VornLib/core/Format.h"
#include "VornLib/core/String.h"
#include "VornLib/core/TextParse.h"
#include "VornLib/gui/StyleWords.h"
#include "VornLib/gui/WindowName.h"

namespace vorn {
namespace {

constexpr DescriptionWord<ConstraintKind> kEdgeWords[] = {
    {u"Width", ConstraintKind::Width}, {u"Height", ConstraintKind::Height},
    {u"Top", ConstraintKind::Top},     {u"Bottom", ConstraintKind::Bottom},
    {u"Left", ConstraintKind::Left},   {u"Right", ConstraintKind::Right},
};

bool IsOperator(char16_t unit) {
    return unit == u'+' || unit == u'-' || unit == u'*' || unit == u'/';
}
bool IsDigit(char16_t unit) {
    return unit >= u'0' && unit <= u'9';
}
bool IsSpace(char16_t unit) {
    return unit == u' ' || unit == u'\t' || unit == u'\r' || unit == u'\n';
}

// Reads "[+|-]digits[dlu]" at `cursor` after skipping whitespace; returns
// false (cursor unmoved) when no digit follows.
bool ReadValue(const char16_t*& cursor, int32_t* value, bool* dialogUnits) {
    const char16_t* at = cursor;
    while (IsSpace(*at))
        ++at;
    bool negative = false;
    if (*at == u'+' || *at == u'-')
        negative = *at++ == u'-';
    if (!IsDigit(*at))
        return false;
    int64_t number = 0;
    while (IsDigit(*at)) {
        if (number < 0x80000000LL)
            number = number * 10 + (*at - u'0');
        ++at;
    }
    if (number > 0x7FFFFFFFLL)
        number = 0x7FFFFFFFLL;
    *dialogUnits = at[0] == u'd' && at[1] == u'l' && at[2] == u'u';
    if (*dialogUnits)
        at += 3;
    *value = int32_t(negative ? -number : number);
    cursor = at;
    return true;
}

void StoreValue(LayoutConstraint* constraint, int32_t value, bool dialogUnits) {
    if (dialogUnits)
        constraint->offsetDialogUnits = value;
    else
        constraint->offsetPixels = value;
}

// A float after "*" or "/": digits with an optional fraction, after any
// whitespace (the float reader itself takes none).
float ReadFactor(const char16_t*& cursor) {
    while (IsSpace(*cursor))
        ++cursor;
    const char16_t* end = cursor;
    while (IsDigit(*end) || *end == u'.')
        ++end;
    const float value = ReadFloat32(String(cursor, uint32_t(end - cursor)).data());
    cursor = end;
    return value;
}

} // namespace

void LayoutConstraint::clearDerivation() {
    reference = nullptr;
    factor = 1.0f;
    offsetPixels = 0;
    offsetDialogUnits = 0;
    referenceName = kNoWindowName;
    kind = ConstraintKind::Unset;
}

ExpressionOutcome ReadLayoutExpression(const char16_t* text, LayoutConstraint* constraint) {
    constraint->clearDerivation();
    if (!text)
        return ExpressionOutcome::Unset;
    const char16_t* dot = nullptr;
    for (const char16_t* at = text; *at && !IsOperator(*at); ++at) {
        if (*at == u'.') {
            dot = at;
            break;
        }
    }

    const char16_t* cursor = text;
    int32_t value = 0;
    bool dialogUnits = false;
    if (!dot) {
        // An absolute value, optionally followed by one more: "10+5dlu".
        if (!ReadValue(cursor, &value, &dialogUnits))
            return ExpressionOutcome::Unset;
        StoreValue(constraint, value, dialogUnits);
        while (IsSpace(*cursor))
            ++cursor;
        if ((*cursor == u'+' || *cursor == u'-') && ReadValue(cursor, &value, &dialogUnits))
            StoreValue(constraint, value, dialogUnits);
        constraint->kind = ConstraintKind::Absolute;
        return ExpressionOutcome::Set;
    }

    const char16_t* nameStart = text;
    while (IsSpace(*nameStart))
        ++nameStart;
    if (nameStart == dot)
        return ExpressionOutcome::EmptyName;
    const char16_t* wordStart = dot + 1;
    const char16_t* wordEnd = wordStart;
    while (*wordEnd && !IsOperator(*wordEnd))
        ++wordEnd;
    const String word(wordStart, uint32_t(wordEnd - wordStart));
    const ConstraintKind* kind = FindWord(kEdgeWords, word);
    if (!kind)
        return ExpressionOutcome::Unset;
    constraint->referenceName = WindowNameId(String(nameStart, uint32_t(dot - nameStart)));
    constraint->kind = *kind;

    cursor = wordEnd;
    for (int items = 0; items < 3;) {
        while (*cursor && !IsOperator(*cursor))
            ++cursor; // anything between items is passed over
        if (!*cursor)
            break;
        if (items == 0 && (*cursor == u'*' || *cursor == u'/')) {
            const bool divide = *cursor++ == u'/';
            const float number = ReadFactor(cursor);
            if (!divide)
                constraint->factor = number;
            else if (number != 0.0f)
                constraint->factor = 1.0f / number;
            ++items;
        } else if ((*cursor == u'+' || *cursor == u'-') &&
                   ReadValue(cursor, &value, &dialogUnits)) {
            StoreValue(constraint, value, dialogUnits);
            ++items;
        } else {
            ++cursor; // a later factor or a sign without digits is no item
        }
    }
    return ExpressionOutcome::Set;
}

void ReadLayoutBound(const char16_t* text, int32_t* pixels, int32_t* dialogUnits) {
    if (!text)
        return;
    const char16_t* cursor = text;
    int32_t value = 0;
    bool inDialogUnits = false;
    if (!ReadValue(cursor, &value, &inDialogUnits))
        return;
    if (inDialogUnits)
        *dialogUnits = value;
    else
        *pixels = value;
}

} // namespace vorn

namespace vorn {
namespace {

bool IsStrictValue(const char16_t*& at) {
    if (*at == u'+' || *at == u'-')
        ++at;
    if (!IsDigit(*at))
        return false;
    while (IsDigit(*at))
        ++at;
    if (at[0] == u'd' && at[1] == u'l' && at[2] == u'u')
        at += 3;
    return true;
}

String Edges() {
    String words;
    for (const auto& edge : kEdgeWords)
        words += words.isEmpty() ? String(edge.word) : String(u", ") + edge.word;
    return words;
}

// A value at `at` (after "+" or "-" for a later one) that must end at an
// operator or the end of the text.
String ValueProblem(const char16_t* text, const char16_t* at) {
    const char16_t* end = at;
    if (!IsStrictValue(end) || (*end && !IsOperator(*end))) {
        while (*end && !IsOperator(*end))
            ++end;
        if (end == at && *at && IsOperator(*at))
            ++end;
        return Format(u"\"{0}\" in \"{1}\" is no value: digits, optionally followed by \"dlu\"",
                      {String(at, uint32_t(end - at)), text});
    }
    return String();
}

} // namespace

String CheckLayoutExpression(const char16_t* text, String* reference) {
    reference->clear();
    if (!text || !*text)
        return u"an empty layout expression";
    for (const char16_t* at = text; *at; ++at) {
        if (IsSpace(*at))
            return Format(u"\"{0}\" holds blanks; write it without them (\"Parent.Width-8dlu\")",
                          {text});
    }
    const char16_t* dot = nullptr;
    for (const char16_t* at = text; *at && !IsOperator(*at); ++at) {
        if (*at == u'.') {
            dot = at;
            break;
        }
    }
    const char16_t* at = text;
    if (!dot) {
        // An absolute value, optionally followed by one more: "10+5dlu".
        String problem = ValueProblem(text, at);
        if (!problem.isEmpty())
            return problem;
        IsStrictValue(at);
        if (*at && *at != u'+' && *at != u'-')
            return Format(u"\"{0}\" may add one value with \"+\" or \"-\" (\"10+5dlu\")", {text});
        if (*at) {
            problem = ValueProblem(text, at);
            if (!problem.isEmpty())
                return problem;
            IsStrictValue(at);
            if (*at)
                return Format(u"\"{0}\" has more than two values", {text});
        }
        return String();
    }
    if (dot == text)
        return Format(u"\"{0}\" names no window before \".\" (\"Parent\", \"Self\" or a "
                      u"sibling's ID)",
                      {text});
    *reference = String(text, uint32_t(dot - text));
    const char16_t* wordEnd = dot + 1;
    while (*wordEnd && !IsOperator(*wordEnd))
        ++wordEnd;
    const String word(dot + 1, uint32_t(wordEnd - dot - 1));
    if (!FindWord(kEdgeWords, word))
        return Format(u"\"{0}\" is no edge; allowed: {1}", {word, Edges()});
    at = wordEnd;
    for (int item = 0; *at; ++item) {
        if (item == 3)
            return Format(u"\"{0}\" has more than three items after the edge", {text});
        if (*at == u'*' || *at == u'/') {
            if (item > 0)
                return Format(u"a factor (\"*2\", \"/2\") comes first after the edge, in \"{0}\"",
                              {text});
            const bool divide = *at == u'/';
            const char16_t* number = ++at;
            while (IsDigit(*at) || *at == u'.')
                ++at;
            if (at == number || (*at && !IsOperator(*at)))
                return Format(u"\"{0}\" needs a number after \"{1}\"",
                              {text, divide ? u"/" : u"*"});
            if (divide && ReadFloat32(String(number, uint32_t(at - number)).data()) == 0.0f)
                return Format(u"\"{0}\" divides by 0, which is ignored", {text});
            continue;
        }
        const String problem = ValueProblem(text, at);
        if (!problem.isEmpty())
            return problem;
        IsStrictValue(at);
    }
    return String();
}

String CheckLayoutBound(const char16_t* text) {
    if (!text || !*text)
        return u"an empty bound: one value in pixels or \"dlu\"";
    const char16_t* at = text;
    if (!IsStrictValue(at) || *at)
        return Format(u"\"{0}\" is no bound: one value, digits optionally followed by \"dlu\"",
                      {text});
    return String();
}

} // namespace vorn
