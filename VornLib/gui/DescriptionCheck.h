// The description check: the mistakes in window, dialog, menu, shortcut-key
// and message box descriptions, found with the vocabulary the framework
// reads them with (DescriptionVocabulary.h): unknown elements and
// attributes, words a kind does not know, colours, fonts and layout
// expressions that do not read, layout expressions that name no parent,
// sibling or the window itself, commands that are not named as commands,
// pictures, menus and shortcut keys that are not there, and message boxes
// whose buttons are no allowed set. Each problem is one line saying what is
// allowed, at the line and column of its element or attribute. VornPack runs
// it on a vendor's definitions; a program that cannot read a description
// runs it to tell why.
#pragma once

#include <vector>

#include "VornLib/core/String.h"
#include "VornLib/core/XmlNode.h"
#include "VornLib/gui/DescriptionVocabulary.h"

namespace vorn {

struct DescriptionProblem {
    XmlPosition position;
    String text;
};

// What the check asks of the world around the descriptions.
class DescriptionContext {
public:
    virtual ~DescriptionContext() = default;
    // Whether the payload holds a picture of that name ("Data/Pictures/Logo.png").
    virtual bool hasPicture(const String& name) const = 0;
    // Whether a description of that element kind ("Menu", "ShortcutKeys") has that "ID".
    virtual bool hasDescription(const char16_t* element, const String& name) const = 0;
};

class DescriptionCheck {
public:
    // Without a context, pictures and named descriptions are not looked for.
    explicit DescriptionCheck(const DescriptionContext* context = nullptr) : context_(context) {}

    // A program's own window kind ("MainPage"), read as a "Window" is.
    void addContainerKind(const String& element) { containers_.push_back(element); }

    // Checks every description among the elements below `root`, a
    // document's root element; other elements (strings) are passed over.
    void checkDocument(const XmlNode& root);
    // Checks one description; its element's name chooses its rule.
    void checkDescription(const XmlNode& element);

    const std::vector<DescriptionProblem>& problems() const { return problems_; }

private:
    void checkElement(const XmlNode& element, const ElementRule& rule, const XmlNode* parent,
                      const ElementRule* parentRule);
    void checkAttribute(const XmlAttribute& attribute, const AttributeRule& rule,
                        const XmlNode* parent);
    void checkChildren(const XmlNode& element, const ElementRule& rule);
    void checkButtonSet(const XmlNode& messageBox);
    void checkReference(const XmlAttribute& attribute, const String& name, const XmlNode* parent);
    const ElementRule* windowKind(const String& element) const;
    void report(const XmlPosition& position, const String& text);

    const DescriptionContext* context_;
    std::vector<String> containers_;
    std::vector<DescriptionProblem> problems_;
};

} // namespace vorn
