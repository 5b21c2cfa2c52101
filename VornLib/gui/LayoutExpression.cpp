#include "VornLib/gui/LayoutExpression.h"

#include "VornLib/core/String.h"
#include "VornLib/core/TextParse.h"
#include "VornLib/gui/DescriptionWords.h"
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
