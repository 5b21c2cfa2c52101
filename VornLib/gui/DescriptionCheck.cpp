#include "VornLib/gui/DescriptionCheck.h"

#include <vector>

#include "VornLib/core/Colour.h"
#include "VornLib/core/Format.h"
#include "VornLib/core/NearestWord.h"
#include "VornLib/gui/ControlWords.h"
#include "VornLib/gui/FontText.h"
#include "VornLib/gui/LayoutExpression.h"
#include "VornLib/gui/MessageBox.h"
#include "VornLib/gui/ShortcutKeys.h"

namespace vorn {
namespace {

constexpr const char16_t* kCommandSuffix = u"Cmd";

bool IsInteger(const String& text) {
    uint32_t at = text.length() && (text[0] == u'+' || text[0] == u'-') ? 1 : 0;
    if (at == text.length() || text.length() - at > 10)
        return false;
    for (; at < text.length(); ++at) {
        if (text[at] < u'0' || text[at] > u'9')
            return false;
    }
    return true;
}

bool IsBoolean(const String& text) {
    for (const char16_t* word : {u"true", u"false", u"1", u"0"}) {
        if (text.compareIgnoringCase(word) == 0)
            return true;
    }
    return false;
}

String ColourProblem(const XmlAttribute& attribute, bool noneAllowed) {
    SystemColour colour;
    if (SystemColour::Parse(attribute.value.data(), &colour) == kResultOk ||
        (noneAllowed && attribute.value == kNoBackgroundWord))
        return String();
    NearestWord suggestion(attribute.value);
    for (uint32_t index = 0; ColourName(index); ++index)
        suggestion.consider(ColourName(index));
    return Format(u"{0}=\"{1}\" is no colour{2}; write \"#RGB\", \"#RRGGBB\", \"#RRGGBBAA\" "
                  u"or a colour's name{3}",
                  {attribute.name, attribute.value, suggestion.hint(),
                   noneAllowed ? u" (\"None\" for no background)" : u""});
}

String WordProblem(const XmlAttribute& attribute, const WordList& words) {
    return Format(u"{0}=\"{1}\" is not allowed; allowed: {2}",
                  {attribute.name, attribute.value, words.joined()});
}

// The "ID"s of a description's elements beside `parent`'s children.
bool HasChild(const XmlNode& parent, const String& name) {
    for (const XmlNode* child = parent.firstChild(); child; child = child->nextSibling()) {
        String id;
        if (child->isElement() && child->getAttribute(u"ID", &id) == kResultOk && id == name)
            return true;
    }
    return false;
}

} // namespace

void DescriptionCheck::report(const XmlPosition& position, const String& text) {
    problems_.push_back({position, text});
}

const ElementRule* DescriptionCheck::windowKind(const String& element) const {
    for (const String& container : containers_) {
        if (element == container)
            return FindWindowKind(u"Window");
    }
    return FindWindowKind(element);
}

void DescriptionCheck::checkDocument(const XmlNode& root) {
    for (const XmlNode* child = root.firstChild(); child; child = child->nextSibling()) {
        if (child->isElement() && FindDescriptionKind(child->name()))
            checkDescription(*child);
    }
}

void DescriptionCheck::checkDescription(const XmlNode& element) {
    if (const ElementRule* rule = FindDescriptionKind(element.name()))
        checkElement(element, *rule, nullptr, nullptr);
    else
        report(element.position(), Format(u"\"{0}\" is no description: allowed Window, DialogBox, "
                                          u"BrowseFolderDialog, Menu, ShortcutKeys, MessageBox",
                                          {element.name()}));
}

void DescriptionCheck::checkElement(const XmlNode& element, const ElementRule& rule,
                                    const XmlNode* parent, const ElementRule* parentRule) {
    for (const XmlAttribute* attribute = element.firstAttribute(); attribute;
         attribute = attribute->next) {
        const AttributeRule* found = FindAttributeRule(rule, attribute->name);
        for (uint32_t index = 0; !found && parentRule && index < parentRule->childExtraCount;
             ++index) {
            if (attribute->name == parentRule->childExtras[index].name)
                found = &parentRule->childExtras[index];
        }
        if (found) {
            checkAttribute(*attribute, *found, parent);
            continue;
        }
        NearestWord suggestion(attribute->name);
        for (const ElementRule* step = &rule; step; step = step->base) {
            for (uint32_t index = 0; index < step->attributeCount; ++index)
                suggestion.consider(step->attributes[index].name);
        }
        report(attribute->position, Format(u"\"{0}\" is no attribute of {1}{2}",
                                           {attribute->name, element.name(), suggestion.hint()}));
    }
    String value;
    if (rule.required &&
        (element.getAttribute(rule.required, &value) != kResultOk || value.isEmpty()))
        report(element.position(), Format(u"{0} needs \"{1}\"", {element.name(), rule.required}));
    if (rule.needsText && (element.getText(&value) != kResultOk || value.isEmpty()))
        report(element.position(), Format(u"{0} needs a text", {element.name()}));
    checkChildren(element, rule);
    if (element.name() == u"MessageBox")
        checkButtonSet(element);
}

void DescriptionCheck::checkChildren(const XmlNode& element, const ElementRule& rule) {
    std::vector<const XmlNode*> named;
    for (const XmlNode* child = element.firstChild(); child; child = child->nextSibling()) {
        if (!child->isElement() || rule.children == ChildRule::Ignored)
            continue;
        if (rule.children == ChildRule::None) {
            report(child->position(), Format(u"{0} holds no elements; \"{1}\" is not read",
                                             {element.name(), child->name()}));
            continue;
        }
        const ElementRule* kind = nullptr;
        NearestWord suggestion(child->name());
        if (rule.children == ChildRule::Windows) {
            kind = windowKind(child->name());
            for (uint32_t index = 0; !kind && index < WindowKindCount(); ++index)
                suggestion.consider(WindowKind(index).name);
        }
        for (uint32_t index = 0; rule.children == ChildRule::Listed && index < rule.childKindCount;
             ++index) {
            if (child->name() == rule.childKinds[index]->name)
                kind = rule.childKinds[index];
            suggestion.consider(rule.childKinds[index]->name);
        }
        if (!kind) {
            String allowed;
            if (rule.children == ChildRule::Windows) {
                allowed = u"a window kind such as Window, Static, Button, EditBox";
            } else {
                for (uint32_t index = 0; index < rule.childKindCount; ++index)
                    allowed += (index ? String(u", ") : String()) + rule.childKinds[index]->name;
            }
            report(child->position(),
                   Format(u"\"{0}\" is no element of {1}{2}; allowed: {3}",
                          {child->name(), element.name(), suggestion.hint(), allowed}));
            continue;
        }
        // Layout expressions find siblings by name: one name, one window.
        String id;
        if (rule.children == ChildRule::Windows && child->getAttribute(u"ID", &id) == kResultOk) {
            for (const XmlNode* earlier : named) {
                String other;
                (void)earlier->getAttribute(u"ID", &other);
                if (other == id)
                    report(child->position(),
                           Format(u"the ID \"{0}\" is taken by the {1} of "
                                  u"line {2}",
                                  {id, earlier->name(), earlier->position().line}));
            }
            named.push_back(child);
        }
        checkElement(*child, *kind, &element, &rule);
    }
}

void DescriptionCheck::checkReference(const XmlAttribute& attribute, const String& name,
                                      const XmlNode* parent) {
    if (name == u"Parent" || name == u"Self" || (parent && HasChild(*parent, name)))
        return;
    NearestWord suggestion(name);
    for (const XmlNode* child = parent ? parent->firstChild() : nullptr; child;
         child = child->nextSibling()) {
        const XmlAttribute* id = child->isElement() ? child->findAttribute(u"ID") : nullptr;
        if (id)
            suggestion.consider(id->value.data());
    }
    report(attribute.position,
           Format(u"{0}=\"{1}\" names \"{2}\", which is no window beside this one{3}; allowed: "
                  u"Parent, Self or a sibling's ID",
                  {attribute.name, attribute.value, name, suggestion.hint()}));
}

void DescriptionCheck::checkAttribute(const XmlAttribute& attribute, const AttributeRule& rule,
                                      const XmlNode* parent) {
    const String& value = attribute.value;
    String problem;
    switch (rule.kind) {
    case ValueKind::Text:
        break;
    case ValueKind::Boolean:
        if (!IsBoolean(value))
            problem =
                Format(u"{0}=\"{1}\" is no boolean; allowed: true, false", {attribute.name, value});
        break;
    case ValueKind::Integer:
        if (!IsInteger(value))
            problem = Format(u"{0}=\"{1}\" is no whole number", {attribute.name, value});
        break;
    case ValueKind::Colour:
    case ValueKind::Background:
        problem = ColourProblem(attribute, rule.kind == ValueKind::Background);
        break;
    case ValueKind::Font:
        problem = CheckFontText(value.data());
        if (!problem.isEmpty())
            problem = Format(u"{0}=\"{1}\": {2}", {attribute.name, value, problem});
        break;
    case ValueKind::Edge: {
        String reference;
        problem = CheckLayoutExpression(value.data(), &reference);
        if (problem.isEmpty() && !reference.isEmpty())
            checkReference(attribute, reference, parent);
        else if (!problem.isEmpty())
            problem = Format(u"{0}: {1}", {attribute.name, problem});
        break;
    }
    case ValueKind::Bound:
        problem = CheckLayoutBound(value.data());
        if (!problem.isEmpty())
            problem = Format(u"{0}: {1}", {attribute.name, problem});
        break;
    case ValueKind::Word:
        if (!rule.words.contains(value))
            problem = WordProblem(attribute, rule.words);
        break;
    case ValueKind::Ticks: {
        const bool step = IsInteger(value) && value[0] != u'-' && value != u"0";
        if (!step && !rule.words.contains(value))
            problem = Format(u"{0}=\"{1}\" is not allowed; allowed: {2} or a step above 0",
                             {attribute.name, value, rule.words.joined()});
        break;
    }
    case ValueKind::ColumnWidth:
        if (!IsInteger(value) && value != kAutomaticWidthWord)
            problem = Format(u"{0}=\"{1}\" is no width: a number of pixels or \"{2}\"",
                             {attribute.name, value, kAutomaticWidthWord});
        break;
    case ValueKind::Picture:
        if (context_ && !context_->hasPicture(value))
            problem = Format(u"{0}=\"{1}\": there is no such picture", {attribute.name, value});
        break;
    case ValueKind::Command:
        if (value.length() <= 3 || value.mid(value.length() - 3) != kCommandSuffix)
            problem = Format(u"{0}=\"{1}\" is no command: a command's name ends in \"{2}\" "
                             u"(\"{1}{2}\")",
                             {attribute.name, value, kCommandSuffix});
        break;
    case ValueKind::ShortcutKeys:
    case ValueKind::Menu: {
        const char16_t* element = rule.kind == ValueKind::Menu ? u"Menu" : u"ShortcutKeys";
        if (context_ && !context_->hasDescription(element, value))
            problem = Format(u"{0}=\"{1}\": there is no {2} of that ID",
                             {attribute.name, value, element});
        break;
    }
    case ValueKind::Keys:
        problem = CheckShortcutKeys(value.data());
        break;
    }
    if (!problem.isEmpty())
        report(attribute.position, problem);
}

void DescriptionCheck::checkButtonSet(const XmlNode& messageBox) {
    static const char16_t* const kButtons[kButtonCount] = {u"Yes",   u"No",    u"OK",    u"Cancel",
                                                           u"Retry", u"Abort", u"Ignore"};
    bool present[kButtonCount] = {};
    for (const XmlNode* child = messageBox.firstChild(); child; child = child->nextSibling()) {
        for (uint32_t button = 0; child->isElement() && button < kButtonCount; ++button)
            present[button] |= child->name() == kButtons[button];
    }
    if (ButtonSetOf(present) < 0)
        report(messageBox.position(),
               u"the buttons of a MessageBox are one of these sets: Yes and No; OK; Yes, No and "
               u"Cancel; OK and Cancel; Retry and Cancel; Abort, Retry and Ignore");
}

} // namespace vorn
