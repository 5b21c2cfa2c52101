#include "VornLib/gui/DescriptionVocabulary.h"

#include <vector>

#include "VornLib/gui/ControlWords.h"
#include "VornLib/gui/LayoutExpression.h"
#include "VornLib/gui/MessageBox.h"

namespace vorn {

bool WordList::contains(const String& text) const {
    for (uint32_t index = 0; index < count; ++index) {
        if (text == word(index))
            return true;
    }
    return false;
}

String WordList::joined() const {
    String text;
    for (uint32_t index = 0; index < count; ++index) {
        if (index)
            text += u", ";
        text += word(index);
    }
    return text;
}

namespace {

using V = ValueKind;

template <size_t count> constexpr uint32_t Count(const AttributeRule (&)[count]) {
    return uint32_t(count);
}
template <size_t count> constexpr uint32_t Count(const ElementRule* const (&)[count]) {
    return uint32_t(count);
}

// Rules built from a rule list: the attributes, no children.
#define VORN_ATTRIBUTES(list) list, Count(list)
#define VORN_NO_ATTRIBUTES nullptr, 0
#define VORN_KINDS(list) list, Count(list)
#define VORN_NO_KINDS nullptr, 0

// --- Every window ---

// The attributes every window reads, then its style flags and edges, whose
// names come from the tables the reader loops over.
const AttributeRule kWindowOwn[] = {
    {u"ID", V::Text},
    {u"Type", V::Word, WordsOf(kWindowTypes)},
    {u"Preferences", V::Text},
    {u"Title", V::Text},
    {u"BackgroundColor", V::Background},
    {u"HorizontalGradientColor", V::Colour},
    {u"VerticalGradientColor", V::Colour},
    {u"Border", V::Word, WordsOf(kBorders)},
    {u"Enabled", V::Boolean},
    {u"CloseButton", V::Boolean},
    {u"Caption", V::Boolean},
    {u"DoubleBuffered", V::Boolean},
    {u"Font", V::Font},
    {u"Redraw", V::Word, WordsOf(kRedraws)},
    {u"HorizontalRedraw", V::Integer},
    {u"VerticalRedraw", V::Integer},
    {u"EnableFocus", V::Boolean},
    {u"Keyboard", V::Word, WordsOf(kKeyboardModes)},
    {u"MouseCursor", V::Word, WordsOf(kMouseCursors)},
    {u"ShortcutKeys", V::ShortcutKeys},
    {u"Position", V::Text},
};

const std::vector<AttributeRule>& WindowAttributes() {
    static const std::vector<AttributeRule> rules = [] {
        std::vector<AttributeRule> all(std::begin(kWindowOwn), std::end(kWindowOwn));
        for (const StyleFlag& flag : kStyleFlags)
            all.push_back({flag.name, V::Boolean});
        for (const EdgeAttribute& edge : kEdgeAttributes) {
            all.push_back({edge.name, V::Edge});
            all.push_back({edge.minimum, V::Bound});
            all.push_back({edge.maximum, V::Bound});
        }
        return all;
    }();
    return rules;
}

const ElementRule& WindowRule() {
    static const ElementRule rule = {u"Window",
                                     nullptr,
                                     WindowAttributes().data(),
                                     uint32_t(WindowAttributes().size()),
                                     ChildRule::Windows,
                                     VORN_NO_KINDS,
                                     VORN_NO_ATTRIBUTES,
                                     nullptr,
                                     false};
    return rule;
}

// A window kind with attributes of its own and child windows.
ElementRule Kind(const char16_t* name, const ElementRule* base, const AttributeRule* attributes,
                 uint32_t count, ChildRule children = ChildRule::Windows,
                 const ElementRule* const* kinds = nullptr, uint32_t kindCount = 0) {
    return {name, base, attributes, count, children, kinds, kindCount, nullptr, 0, nullptr, false};
}
// An element of a kind's own that is no window (a list's column).
ElementRule Item(const char16_t* name, const AttributeRule* attributes, uint32_t count,
                 const ElementRule* const* kinds = nullptr, uint32_t kindCount = 0,
                 const char16_t* required = nullptr, bool needsText = false) {
    return {name,     nullptr,   attributes, count, kinds ? ChildRule::Listed : ChildRule::None,
            kinds,    kindCount, nullptr,    0,     required,
            needsText};
}

// --- Menus and shortcut keys ---

const AttributeRule kMenuCommandAttributes[] = {
    {u"ID", V::Command}, {u"Help", V::Text}, {u"Visible", V::Boolean}, {u"Enabled", V::Boolean}};
const AttributeRule kIdOnly[] = {{u"ID", V::Text}};
const AttributeRule kSubmenuAttributes[] = {{u"ID", V::Text}, {u"Title", V::Text}};
const AttributeRule kGroupAttributes[] = {{u"Type", V::Word, WordsOf(kMenuGroupTypes)}};
const AttributeRule kShortcutAttributes[] = {{u"ID", V::Command}, {u"Keys", V::Keys}};

extern const ElementRule kMenuRule;
const ElementRule kMenuCommand =
    Item(u"Command", VORN_ATTRIBUTES(kMenuCommandAttributes), VORN_NO_KINDS, u"ID", true);
const ElementRule kRecentFiles = Item(u"RecentFiles", VORN_NO_ATTRIBUTES);
const ElementRule kCallback = Item(u"Callback", VORN_ATTRIBUTES(kIdOnly), VORN_NO_KINDS, u"ID");
const ElementRule kSubmenu = {u"Menu",
                              &kMenuRule,
                              VORN_ATTRIBUTES(kSubmenuAttributes),
                              ChildRule::Listed,
                              nullptr,
                              0,
                              VORN_NO_ATTRIBUTES,
                              u"Title",
                              false};
const ElementRule* const kGroupItems[] = {&kMenuCommand, &kSubmenu, &kRecentFiles, &kCallback};
const ElementRule kMenuGroup =
    Item(u"Group", VORN_ATTRIBUTES(kGroupAttributes), VORN_KINDS(kGroupItems));
const ElementRule* const kMenuGroups[] = {&kMenuGroup};
const ElementRule kMenuRule = Item(u"Menu", VORN_ATTRIBUTES(kIdOnly), VORN_KINDS(kMenuGroups));

const ElementRule kShortcut =
    Item(u"Command", VORN_ATTRIBUTES(kShortcutAttributes), VORN_NO_KINDS, u"Keys");
const ElementRule* const kShortcuts[] = {&kShortcut};
const ElementRule kShortcutKeysRule =
    Item(u"ShortcutKeys", VORN_ATTRIBUTES(kIdOnly), VORN_KINDS(kShortcuts));

// --- Message boxes ---

constexpr DescriptionWord<bool> kFooterIcons[] = {
    {u"Information", true}, {u"Warning", true}, {u"Error", true}};
constexpr DescriptionWord<bool> kMessageTypes[] = {
    {u"Simple", true}, {u"Information", true}, {u"Warning", true}, {u"Error", true}};
const AttributeRule kMessageBoxAttributes[] = {{u"ID", V::Text},
                                               {u"Type", V::Word, WordsOf(kMessageTypes)},
                                               {u"CommandLinks", V::Boolean},
                                               {u"Title", V::Text}};
const AttributeRule kFooterAttributes[] = {{u"Icon", V::Word, WordsOf(kFooterIcons)}};
const AttributeRule kMessageAttributes[] = {{u"FooterIcon", V::Word, WordsOf(kFooterIcons)}};
const AttributeRule kButtonAttributes[] = {{u"DefaultButton", V::Boolean}};
const ElementRule kMessageParts[] = {
    Item(u"Header", VORN_NO_ATTRIBUTES),
    Item(u"Body", VORN_NO_ATTRIBUTES),
    Item(u"Details", VORN_NO_ATTRIBUTES),
    Item(u"Footer", VORN_ATTRIBUTES(kFooterAttributes)),
    Item(u"Message", VORN_ATTRIBUTES(kMessageAttributes)),
    Item(u"Yes", VORN_ATTRIBUTES(kButtonAttributes)),
    Item(u"No", VORN_ATTRIBUTES(kButtonAttributes)),
    Item(u"OK", VORN_ATTRIBUTES(kButtonAttributes)),
    Item(u"Cancel", VORN_ATTRIBUTES(kButtonAttributes)),
    Item(u"Retry", VORN_ATTRIBUTES(kButtonAttributes)),
    Item(u"Abort", VORN_ATTRIBUTES(kButtonAttributes)),
    Item(u"Ignore", VORN_ATTRIBUTES(kButtonAttributes)),
};
const ElementRule* const kMessageChildren[] = {
    &kMessageParts[0], &kMessageParts[1], &kMessageParts[2],  &kMessageParts[3],
    &kMessageParts[4], &kMessageParts[5], &kMessageParts[6],  &kMessageParts[7],
    &kMessageParts[8], &kMessageParts[9], &kMessageParts[10], &kMessageParts[11]};
const ElementRule kMessageBoxRule =
    Item(u"MessageBox", VORN_ATTRIBUTES(kMessageBoxAttributes), VORN_KINDS(kMessageChildren));

// --- The control kinds ---

const AttributeRule kTextColour[] = {{u"TextColor", V::Colour}};
const AttributeRule kStaticAttributes[] = {
    {u"TextColor", V::Colour},
    {u"HorizontalAlign", V::Word, WordsOf(kStaticAligns)},
    {u"VerticalAlign", V::Word, WordsOf(kStaticVerticalAligns)},
    {u"AccessKey", V::Boolean},
    {u"WordEllipsis", V::Boolean},
    {u"PathEllipsis", V::Boolean},
    {u"Border", V::Word, WordsOf(kStaticBorders)},
};
const AttributeRule kPictureAttributes[] = {{u"Name", V::Picture}};
const AttributeRule kSliderAttributes[] = {
    {u"TextColor", V::Colour},
    {u"SelectionRange", V::Boolean},
    {u"Arrow", V::Word, WordsOf(kSliderArrows)},
    {u"Orientation", V::Word, WordsOf(kSliderOrientations)},
    {u"Ticks", V::Ticks, WordsOf(kSliderTicks)},
    {u"LineSize", V::Integer},
    {u"PageSize", V::Integer},
    {u"Min", V::Integer},
    {u"Max", V::Integer},
    {u"DefaultValue", V::Integer},
};
const AttributeRule kButtonOwn[] = {
    {u"Type", V::Word, WordsOf(kButtonTypes)},
    {u"HorizontalAlign", V::Word, WordsOf(kButtonAligns)},
    {u"Picture", V::Picture},
};
const AttributeRule kTabAttributes[] = {
    {u"TextColor", V::Colour}, {u"Pictures", V::Picture}, {u"PictureItemWidth", V::Integer}};
const AttributeRule kListAttributes[] = {
    {u"Header", V::Word, WordsOf(kListHeaders)},
    {u"Selection", V::Word, WordsOf(kListSelections)},
    {u"ShowSelection", V::Word, WordsOf(kListShowSelections)},
    {u"Style", V::Word, WordsOf(kListStyles)},
    {u"AlternateBackgroundColor", V::Colour},
    {u"CheckBoxes", V::Boolean},
    {u"Pictures", V::Picture},
    {u"PictureItemWidth", V::Integer},
};
const AttributeRule kComboAttributes[] = {{u"Type", V::Word, WordsOf(kComboTypes)},
                                          {u"Pictures", V::Picture},
                                          {u"PictureItemWidth", V::Integer}};
const AttributeRule kEditAttributes[] = {
    {u"TextColor", V::Colour},
    {u"Password", V::Boolean},
    {u"ReadOnly", V::Boolean},
    {u"WantReturn", V::Boolean},
    {u"Case", V::Word, WordsOf(kEditCases)},
    {u"HorizontalAlign", V::Word, WordsOf(kEditAligns)},
    {u"OnReturn", V::Command},
};
const AttributeRule kEditBoxAttributes[] = {{u"MultiLine", V::Boolean}};
const AttributeRule kRichEditAttributes[] = {{u"BottomLess", V::Boolean},
                                             {u"TextMode", V::Word, WordsOf(kRichTextModes)},
                                             {u"AutoDetectURL", V::Boolean}};
const AttributeRule kToolBarAttributes[] = {{u"Type", V::Word, WordsOf(kToolBarTypes)},
                                            {u"Pictures", V::Picture},
                                            {u"PictureItemWidth", V::Integer},
                                            {u"Menu", V::Menu}};
const AttributeRule kControlBarAttributes[] = {{u"Transparent", V::Boolean}};
const AttributeRule kUrlAttributes[] = {{u"Target", V::Text}};
const AttributeRule kPictureIndex[] = {{u"PictureIndex", V::Integer}};
const AttributeRule kComboItemAttributes[] = {{u"PictureIndex", V::Integer},
                                              {u"Selected", V::Boolean}};
const AttributeRule kColumnAttributes[] = {
    {u"Name", V::Text}, {u"Width", V::ColumnWidth}, {u"Align", V::Word, WordsOf(kColumnAligns)}};
const AttributeRule kListGroupAttributes[] = {
    {u"ID", V::Text}, {u"Name", V::Text}, {u"Collapsible", V::Boolean}, {u"Collapsed", V::Boolean}};
const AttributeRule kSectionAttributes[] = {{u"Width", V::Integer}, {u"PictureIndex", V::Integer}};
const AttributeRule kToolButtonAttributes[] = {
    {u"ID", V::Command},
    {u"PictureIndex", V::Integer},
    {u"Text", V::Text},
    {u"Tooltip", V::Text},
    {u"Help", V::Text},
    {u"Enabled", V::Boolean},
    {u"Type", V::Word, WordsOf(kToolButtonKinds)},
};
const AttributeRule kDialogAttributes[] = {{u"Type", V::Word, WordsOf(kDialogTypes)},
                                           {u"WantOK", V::Boolean},
                                           {u"WantCancel", V::Boolean}};
const AttributeRule kBrowseAttributes[] = {{u"NewFolderButton", V::Boolean}};

// Items of lists, combo boxes, tool bars and status bars.
const ElementRule kSubItem = Item(u"SubItem", VORN_NO_ATTRIBUTES);
const ElementRule kPictureIndexItem = Item(u"PictureIndex", VORN_NO_ATTRIBUTES);
const ElementRule* const kListItemChildren[] = {&kPictureIndexItem, &kSubItem};
const ElementRule kListItem =
    Item(u"Item", VORN_ATTRIBUTES(kPictureIndex), VORN_KINDS(kListItemChildren));
const ElementRule* const kListItems[] = {&kListItem};
const ElementRule kColumn = Item(u"Column", VORN_ATTRIBUTES(kColumnAttributes));
const ElementRule* const kColumnList[] = {&kColumn};
const ElementRule kListGroup =
    Item(u"Group", VORN_ATTRIBUTES(kListGroupAttributes), VORN_KINDS(kListItems), u"Name");
const ElementRule* const kListGroupList[] = {&kListGroup};
const ElementRule kListParts[] = {
    Item(u"Columns", VORN_NO_ATTRIBUTES, VORN_KINDS(kColumnList)),
    Item(u"Groups", VORN_NO_ATTRIBUTES, VORN_KINDS(kListGroupList)),
    Item(u"Items", VORN_NO_ATTRIBUTES, VORN_KINDS(kListItems)),
};
const ElementRule* const kListChildren[] = {&kListParts[0], &kListParts[1], &kListParts[2]};
const ElementRule kComboItem = Item(u"Item", VORN_ATTRIBUTES(kComboItemAttributes));
const ElementRule* const kComboChildren[] = {&kComboItem};
const ElementRule* const kButtonMenu[] = {&kMenuRule};
const ElementRule kToolButton =
    Item(u"Button", VORN_ATTRIBUTES(kToolButtonAttributes), VORN_KINDS(kButtonMenu));
const ElementRule kToolSeparator = Item(u"Separator", VORN_NO_ATTRIBUTES);
const ElementRule* const kToolBarChildren[] = {&kToolButton, &kToolSeparator};
const ElementRule kSection = Item(u"Section", VORN_ATTRIBUTES(kSectionAttributes));
const ElementRule* const kStatusBarChildren[] = {&kSection};

// The window kinds, each built on its base; made once, in place.
struct Catalogue {
    ElementRule window, container, staticText, picture, slider, button, checkBox, radioButton,
        groupBox, list, comboBox, editWords, editBox, richEdit, toolBar, statusBar, controlBar,
        dockWindow, url, hint, separator, propertySheet, progressBar, tabs, dialog, browseDialog;
    std::vector<const ElementRule*> kinds;
};

void Fill(Catalogue& c) {
    const ElementRule* window = &WindowRule();
    c.container = Kind(u"Window", window, VORN_NO_ATTRIBUTES);
    c.staticText = Kind(u"Static", window, VORN_ATTRIBUTES(kStaticAttributes), ChildRule::Ignored);
    c.picture =
        Kind(u"Picture", &c.staticText, VORN_ATTRIBUTES(kPictureAttributes), ChildRule::Ignored);
    c.picture.required = u"Name";
    c.slider = Kind(u"Slider", window, VORN_ATTRIBUTES(kSliderAttributes), ChildRule::Ignored);
    c.button = Kind(u"Button", window, VORN_ATTRIBUTES(kButtonOwn), ChildRule::Listed,
                    VORN_KINDS(kButtonMenu));
    c.checkBox = Kind(u"CheckBox", &c.button, VORN_NO_ATTRIBUTES, ChildRule::Listed,
                      VORN_KINDS(kButtonMenu));
    c.radioButton = Kind(u"RadioButton", &c.button, VORN_NO_ATTRIBUTES, ChildRule::Listed,
                         VORN_KINDS(kButtonMenu));
    c.groupBox = Kind(u"GroupBox", &c.button, VORN_NO_ATTRIBUTES, ChildRule::Listed,
                      VORN_KINDS(kButtonMenu));
    c.list = Kind(u"List", window, VORN_ATTRIBUTES(kListAttributes), ChildRule::Listed,
                  VORN_KINDS(kListChildren));
    c.comboBox = Kind(u"ComboBox", window, VORN_ATTRIBUTES(kComboAttributes), ChildRule::Listed,
                      VORN_KINDS(kComboChildren));
    // The words the edit box and the rich edit share; no element of its own.
    c.editWords = Kind(u"", window, VORN_ATTRIBUTES(kEditAttributes), ChildRule::Ignored);
    c.editBox =
        Kind(u"EditBox", &c.editWords, VORN_ATTRIBUTES(kEditBoxAttributes), ChildRule::Ignored);
    c.richEdit =
        Kind(u"RichEdit", &c.editWords, VORN_ATTRIBUTES(kRichEditAttributes), ChildRule::Ignored);
    c.toolBar = Kind(u"ToolBar", window, VORN_ATTRIBUTES(kToolBarAttributes), ChildRule::Listed,
                     VORN_KINDS(kToolBarChildren));
    c.statusBar = Kind(u"StatusBar", window, VORN_NO_ATTRIBUTES, ChildRule::Listed,
                       VORN_KINDS(kStatusBarChildren));
    c.controlBar = Kind(u"ControlBar", window, VORN_ATTRIBUTES(kControlBarAttributes));
    c.dockWindow = Kind(u"DockWindow", window, VORN_NO_ATTRIBUTES);
    c.url = Kind(u"URL", window, VORN_ATTRIBUTES(kUrlAttributes), ChildRule::None);
    c.hint = Kind(u"HintCtrl", window, VORN_NO_ATTRIBUTES, ChildRule::Ignored);
    c.separator = Kind(u"Separator", window, VORN_NO_ATTRIBUTES, ChildRule::None);
    c.propertySheet = Kind(u"PropertySheet", window, VORN_NO_ATTRIBUTES);
    c.progressBar = Kind(u"ProgressBar", window, VORN_ATTRIBUTES(kTextColour), ChildRule::None);
    c.tabs = Kind(u"TabCtrl", window, VORN_ATTRIBUTES(kTabAttributes));
    c.tabs.childExtras = kPictureIndex;
    c.tabs.childExtraCount = Count(kPictureIndex);
    c.dialog = Kind(u"DialogBox", window, VORN_ATTRIBUTES(kDialogAttributes));
    c.browseDialog = Kind(u"BrowseFolderDialog", &c.dialog, VORN_ATTRIBUTES(kBrowseAttributes));
    c.kinds = {&c.container,   &c.staticText,  &c.picture,  &c.slider,    &c.button,
               &c.checkBox,    &c.radioButton, &c.groupBox, &c.list,      &c.comboBox,
               &c.editBox,     &c.richEdit,    &c.toolBar,  &c.statusBar, &c.controlBar,
               &c.dockWindow,  &c.url,         &c.hint,     &c.separator, &c.propertySheet,
               &c.progressBar, &c.tabs};
}

const Catalogue& TheCatalogue() {
    static Catalogue catalogue;
    static const bool filled = (Fill(catalogue), true);
    (void)filled;
    return catalogue;
}

} // namespace

const AttributeRule* FindAttributeRule(const ElementRule& rule, const String& name) {
    for (const ElementRule* step = &rule; step; step = step->base) {
        for (uint32_t index = 0; index < step->attributeCount; ++index) {
            if (name == step->attributes[index].name)
                return &step->attributes[index];
        }
    }
    return nullptr;
}

const ElementRule* FindWindowKind(const String& element) {
    for (const ElementRule* rule : TheCatalogue().kinds) {
        if (element == rule->name)
            return rule;
    }
    return nullptr;
}

uint32_t WindowKindCount() {
    return uint32_t(TheCatalogue().kinds.size());
}

const ElementRule& WindowKind(uint32_t index) {
    return *TheCatalogue().kinds[index];
}

const ElementRule& BaseWindowRule() {
    return WindowRule();
}

const ElementRule* FindDescriptionKind(const String& element) {
    if (element == u"Window")
        return &WindowRule();
    if (element == u"DialogBox")
        return &TheCatalogue().dialog;
    if (element == u"BrowseFolderDialog")
        return &TheCatalogue().browseDialog;
    if (element == kMenuRule.name)
        return &kMenuRule;
    if (element == kShortcutKeysRule.name)
        return &kShortcutKeysRule;
    if (element == kMessageBoxRule.name)
        return &kMessageBoxRule;
    return nullptr;
}

} // namespace vorn
