// XmlVocabulary: the words an XML file of fixed vocabulary may use, one row
// per element at its place: the element's name, the name of the element that
// holds it (null for the document's root) and the attributes it may have,
// separated by blanks. The children an element may hold are the rows that
// name it as their holder, so adding a row is the whole change. The check
// walks a tree with such a table and reports each element or attribute that
// the table lacks at its line and column, with the nearest allowed word:
// a misspelt optional element is otherwise read as absent without a word.
#pragma once

#include <cstddef>
#include <vector>

#include "VornLib/core/String.h"
#include "VornLib/core/XmlNode.h"

namespace vorn {

// What an element may hold beside its text.
enum class XmlChildren : uint8_t {
    Listed,         // the elements of the rows that name it as their holder
    ListedOrOthers, // those, and elements that another check reads (the
                    // descriptions in a string table), which are passed over
    Markup,         // text whose markup its own reader reads (a string's
                    // rich text), not looked at
};

struct XmlElementWords {
    const char16_t* parent; // null: the document's root
    const char16_t* name;
    const char16_t* attributes; // "UUID Name Version"
    XmlChildren children = XmlChildren::Listed;
};

struct XmlVocabulary {
    const XmlElementWords* rows;
    uint32_t count;
};

template <size_t count> constexpr XmlVocabulary VocabularyOf(const XmlElementWords (&rows)[count]) {
    return {rows, uint32_t(count)};
}

struct XmlWordProblem {
    XmlPosition position;
    String text;
};

// Whether another check reads an element of that name (ListedOrOthers).
using XmlOtherElement = bool (*)(const String& name);

// Checks `element`, held by an element named `parent` (null for a document's
// root), and everything below it; appends one problem per unknown element
// (whose children are then not looked at) or attribute, in document order:
// "\"InstallScpe\" is no element of InstallationSettings (did you mean
// \"InstallScope\"?); allowed: Application, ...".
void CheckXmlVocabulary(const XmlNode& element, const char16_t* parent,
                        const XmlVocabulary& vocabulary, XmlOtherElement isOther,
                        std::vector<XmlWordProblem>* problems);

} // namespace vorn
