// What the framework reads of the descriptions, element kind by element kind:
// the attributes of each kind with the kind of value each takes (a word of
// ControlWords.h, a colour, a font text, a layout expression, a command...),
// and the child elements it reads. The description check (DescriptionCheck.h)
// walks a description with it; the kinds read the same words from the same
// tables, and a test reads a description of every attribute through each
// kind, so that the two cannot drift apart.
#pragma once

#include <cstddef>
#include <cstdint>

#include "VornLib/core/String.h"
#include "VornLib/gui/StyleWords.h"

namespace vorn {

enum class ValueKind : uint8_t {
    Text,         // any text ("#Key" taken from the string tables)
    Boolean,      // true or false
    Integer,      // decimal, with an optional sign
    Colour,       // a colour of Colour.h
    Background,   // a colour, or "None" for no background
    Font,         // a font text (FontText.h)
    Edge,         // a layout expression (LayoutExpression.h)
    Bound,        // one value in pixels or "dlu"
    Word,         // one of the rule's words
    Picture,      // the name of a picture of the payload
    Command,      // the name of a command ("…Cmd")
    ShortcutKeys, // the name of a "ShortcutKeys" description
    Menu,         // the name of a "Menu" description
    Keys,         // a key combination ("Ctrl+Shift+F10")
    Ticks,        // a slider's tick word, or a positive step
    ColumnWidth,  // a number of pixels, or "Auto"
};

// The words of a DescriptionWord table, whatever their values.
struct WordList {
    const void* first = nullptr;
    uint32_t count = 0;
    uint32_t stride = 0;

    const char16_t* word(uint32_t index) const {
        return *reinterpret_cast<const char16_t* const*>(static_cast<const char*>(first) +
                                                         size_t(index) * stride);
    }
    bool contains(const String& text) const;
    // "Left, Center, Right".
    String joined() const;
};
template <typename Value, size_t count>
constexpr WordList WordsOf(const DescriptionWord<Value> (&table)[count]) {
    return {table, uint32_t(count), uint32_t(sizeof(DescriptionWord<Value>))};
}

struct AttributeRule {
    const char16_t* name;
    ValueKind kind;
    WordList words = {};
};

enum class ChildRule : uint8_t {
    None,    // no child elements
    Windows, // one child window per element (any window kind)
    Listed,  // the elements of `childKinds`
    Ignored, // the kind does not read its children
};

struct ElementRule {
    const char16_t* name;
    // The kind it is built on, whose attributes it takes too (its own come
    // first, so a kind may give "Type" words of its own).
    const ElementRule* base;
    const AttributeRule* attributes;
    uint32_t attributeCount;
    ChildRule children;
    const ElementRule* const* childKinds;
    uint32_t childKindCount;
    // Attributes the children of a window kind may have beside their own
    // (a tab control's pages: "PictureIndex").
    const AttributeRule* childExtras;
    uint32_t childExtraCount;
    // An attribute without which the element is not read; null for none.
    const char16_t* required;
    // Text content that the kind needs (a menu command's text).
    bool needsText;
};

// The rule of an attribute of `rule` or of the kinds it is built on; null.
const AttributeRule* FindAttributeRule(const ElementRule& rule, const String& name);

// The kinds of the child windows of a description ("Static", "Button", ...).
const ElementRule* FindWindowKind(const String& element);
uint32_t WindowKindCount();
const ElementRule& WindowKind(uint32_t index);
// The rule every window kind is built on.
const ElementRule& BaseWindowRule();

// The descriptions found by name among a document's top elements ("Window",
// "DialogBox", "BrowseFolderDialog", "Menu", "ShortcutKeys", "MessageBox").
const ElementRule* FindDescriptionKind(const String& element);

} // namespace vorn
