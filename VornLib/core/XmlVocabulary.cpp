#include "VornLib/core/XmlVocabulary.h"

#include "VornLib/core/Format.h"
#include "VornLib/core/NearestWord.h"

namespace vorn {
namespace {

bool SameName(const char16_t* a, const char16_t* b) {
    return a && b ? String(a) == b : a == b;
}

// The blank-separated words of `words`, in order.
std::vector<String> WordsOf(const char16_t* words) {
    std::vector<String> out;
    const uint32_t length = TextLength(words);
    uint32_t start = 0;
    for (uint32_t at = 0; at <= length; ++at) {
        if (at < length && words[at] != u' ')
            continue;
        if (at > start)
            out.push_back(String(words + start, at - start));
        start = at + 1;
    }
    return out;
}

String Joined(const std::vector<String>& words) {
    String text;
    for (const String& word : words)
        text += (text.isEmpty() ? String() : String(u", ")) + word;
    return text.isEmpty() ? String(u"none") : text;
}

const XmlElementWords* FindRow(const XmlVocabulary& vocabulary, const char16_t* parent,
                               const String& name) {
    for (uint32_t index = 0; index < vocabulary.count; ++index) {
        const XmlElementWords& row = vocabulary.rows[index];
        if (SameName(row.parent, parent) && name == row.name)
            return &row;
    }
    return nullptr;
}

String UnknownElement(const XmlVocabulary& vocabulary, const char16_t* parent, const String& name) {
    NearestWord nearest(name);
    std::vector<String> allowed;
    for (uint32_t index = 0; index < vocabulary.count; ++index) {
        const XmlElementWords& row = vocabulary.rows[index];
        if (!SameName(row.parent, parent))
            continue;
        nearest.consider(row.name);
        allowed.push_back(row.name);
    }
    if (!parent)
        return Format(u"\"{0}\" is no root element here{1}; allowed: {2}",
                      {name, nearest.hint(), Joined(allowed)});
    return Format(u"\"{0}\" is no element of {1}{2}; allowed: {3}",
                  {name, parent, nearest.hint(), Joined(allowed)});
}

} // namespace

void CheckXmlVocabulary(const XmlNode& element, const char16_t* parent,
                        const XmlVocabulary& vocabulary, XmlOtherElement isOther,
                        std::vector<XmlWordProblem>* problems) {
    const XmlElementWords* row = FindRow(vocabulary, parent, element.name());
    if (!row) {
        problems->push_back(
            {element.position(), UnknownElement(vocabulary, parent, element.name())});
        return;
    }
    const std::vector<String> attributes = WordsOf(row->attributes);
    for (const XmlAttribute* attribute = element.firstAttribute(); attribute;
         attribute = attribute->next) {
        NearestWord nearest(attribute->name);
        bool known = false;
        for (const String& word : attributes) {
            known = known || attribute->name == word;
            nearest.consider(word.data());
        }
        if (!known)
            problems->push_back(
                {attribute->position,
                 Format(u"\"{0}\" is no attribute of {1}{2}; allowed: {3}",
                        {attribute->name, element.name(), nearest.hint(), Joined(attributes)})});
    }
    if (row->children == XmlChildren::Markup)
        return;
    for (const XmlNode* child = element.firstChild(); child; child = child->nextSibling()) {
        const bool other =
            row->children == XmlChildren::ListedOrOthers && isOther && isOther(child->name());
        if (!child->isElement() || other)
            continue;
        CheckXmlVocabulary(*child, row->name, vocabulary, isOther, problems);
    }
}

} // namespace vorn
