// The words of window descriptions and what each one sets: one table per
// attribute of a kind, read by the kinds when they read a description and by
// the description check (DescriptionCheck.h) that tells a vendor which words
// are allowed. The check runs where <windows.h> is not (VornPack on any
// system), so the platform's style bits that the words set are spelled here;
// ControlWordsCheck.cpp pins each one to the platform's own value.
#pragma once

#include <cstdint>

#include "VornLib/gui/StyleWords.h"

namespace vorn {

// --- The platform's style bits ---
constexpr uint32_t kStylePopup = 0x80000000;
constexpr uint32_t kStyleVisible = 0x10000000;
constexpr uint32_t kStyleClipSiblings = 0x04000000;
constexpr uint32_t kStyleClipChildren = 0x02000000;
constexpr uint32_t kStyleCaption = 0x00C00000;
constexpr uint32_t kStyleBorder = 0x00800000;
constexpr uint32_t kStyleDialogFrame = 0x00400000;
constexpr uint32_t kStyleSystemMenu = 0x00080000;
constexpr uint32_t kStyleGroup = 0x00020000;
constexpr uint32_t kExStyleAcceptFiles = 0x00000010;
constexpr uint32_t kDialogModalFrame = 0x80;
constexpr uint32_t kDialogSetFont = 0x40;
constexpr uint32_t kDialogFixedSystem = 0x08;
constexpr uint32_t kDialog3DLook = 0x04;
constexpr uint32_t kExStyleStaticEdge = 0x00020000;
constexpr uint32_t kExStyleClientEdge = 0x00000200;
constexpr uint32_t kExStyleWindowEdge = 0x00000100;
constexpr uint32_t kExStyleDialogModalFrame = 0x00000001;
constexpr uint32_t kStaticCenter = 0x01;
constexpr uint32_t kStaticRight = 0x02;
constexpr uint32_t kStaticEtchedHorizontal = 0x10;
constexpr uint32_t kStaticEtchedVertical = 0x11;
constexpr uint32_t kStaticEtchedFrame = 0x12;
constexpr uint32_t kStaticTypeMask = 0x1F;
constexpr uint32_t kStaticCenterImage = 0x200;
constexpr uint32_t kStaticSunken = 0x1000;
constexpr uint32_t kButtonLeft = 0x100;
constexpr uint32_t kButtonRight = 0x200;
constexpr uint32_t kButtonCenter = 0x300;
constexpr uint32_t kEditCenter = 0x01;
constexpr uint32_t kEditRight = 0x02;
constexpr uint32_t kEditUpperCase = 0x08;
constexpr uint32_t kEditLowerCase = 0x10;
constexpr uint32_t kComboSimple = 0x01;
constexpr uint32_t kComboDropDown = 0x02;
constexpr uint32_t kComboDropDownList = 0x03;
constexpr uint32_t kListSingleSelection = 0x04;
constexpr uint32_t kListShowSelectionAlways = 0x08;
constexpr uint32_t kListTypeMask = 0x03;
constexpr uint32_t kListNoColumnHeader = 0x4000;
constexpr uint32_t kListNoSortHeader = 0x8000;
constexpr int32_t kColumnLeft = 0;
constexpr int32_t kColumnRight = 1;
constexpr int32_t kColumnCenter = 2;
constexpr uint32_t kTrackVertical = 0x02;
constexpr uint32_t kTrackTop = 0x04;
constexpr uint32_t kTrackBoth = 0x08;

// --- Every window ---

// "Type" of the base window.
enum class WindowType : uint8_t { MainWindow, MainDialogBox, ClientWindow };
constexpr DescriptionWord<WindowType> kWindowTypes[] = {
    {u"MainWindow", WindowType::MainWindow},
    {u"MainDialogBox", WindowType::MainDialogBox},
    {u"ClientWindow", WindowType::ClientWindow},
};

struct BorderStyles {
    uint32_t style;
    uint32_t extendedStyle;
};
// "Border"; another word leaves the window without a border.
constexpr DescriptionWord<BorderStyles> kBorders[] = {
    {u"None", {0, 0}},
    {u"Solid", {kStyleBorder, 0}},
    {u"StaticEdge", {0, kExStyleStaticEdge}},
    {u"ClientEdge", {0, kExStyleClientEdge}},
};

// Boolean attributes that switch one style bit.
struct StyleFlag {
    const char16_t* name;
    uint32_t bit;
    bool extended;
};
constexpr StyleFlag kStyleFlags[] = {
    {u"Visible", kStyleVisible, false},           {u"ClipChildren", kStyleClipChildren, false},
    {u"ClipSiblings", kStyleClipSiblings, false}, {u"AcceptFiles", kExStyleAcceptFiles, true},
    {u"SystemMenu", kStyleSystemMenu, false},     {u"FirstOfGroup", kStyleGroup, false},
};

// "Redraw": negative repaints the whole window when the client width
// (height) changes.
struct RedrawRule {
    int32_t horizontal;
    int32_t vertical;
};
constexpr DescriptionWord<RedrawRule> kRedraws[] = {
    {u"Both", {-1, -1}},
    {u"Horizontal", {-1, 0}},
    {u"Vertical", {0, -1}},
};

// "Keyboard": what a top-level window does with the keys (KeyboardNavigation.h).
enum class KeyboardMode : uint8_t {
    None,     // every key goes to the window and its controls
    Controls, // Tab, arrows, tabs and access keys move among the controls
    Dialog,   // the same, with Return and Escape as in a dialog box
};
constexpr DescriptionWord<KeyboardMode> kKeyboardModes[] = {
    {u"Dialog", KeyboardMode::Dialog},
    {u"Controls", KeyboardMode::Controls},
    {u"None", KeyboardMode::None},
};

// "MouseCursor".
enum class MouseCursor : uint8_t { Hand };
constexpr DescriptionWord<MouseCursor> kMouseCursors[] = {{u"{Hand}", MouseCursor::Hand}};

// "BackgroundColor" without any background (the default): nothing is erased.
constexpr const char16_t* kNoBackgroundWord = u"None";

// --- Dialogs ---

struct DialogStyles {
    uint32_t style;
    uint32_t extendedStyle;
};
constexpr uint32_t kPopupBase = kStylePopup | kStyleVisible | kStyleClipSiblings |
                                kStyleClipChildren | kDialogSetFont | kDialogFixedSystem |
                                kDialog3DLook;
constexpr DescriptionWord<DialogStyles> kDialogTypes[] = {
    {u"Popup",
     {kPopupBase | kStyleCaption | kStyleSystemMenu | kDialogModalFrame,
      kExStyleDialogModalFrame | kExStyleWindowEdge}},
    {u"StatusPopup",
     {kPopupBase | kStyleDialogFrame | kDialogModalFrame,
      kExStyleDialogModalFrame | kExStyleWindowEdge}},
    {u"SimplePopup", {kPopupBase | kStyleCaption, 0}},
    {u"ThinPopup", {kPopupBase | kStyleBorder, 0}},
};

// --- Texts ---

constexpr DescriptionWord<StyleBits> kStaticAligns[] = {
    {u"Left", {0, kStaticCenter | kStaticRight}},
    {u"Center", {kStaticCenter, kStaticCenter | kStaticRight}},
    {u"Right", {kStaticRight, kStaticCenter | kStaticRight}},
};
constexpr DescriptionWord<StyleBits> kStaticVerticalAligns[] = {
    {u"Center", {kStaticCenterImage, 0}},
};
// A static's "Border": the window's words (read with every window) and the
// static's frames (an etched frame or line is a kind of static of its own).
constexpr DescriptionWord<StyleBits> kStaticBorders[] = {
    {u"None", {0, 0}},
    {u"Solid", {0, 0}},
    {u"StaticEdge", {0, 0}},
    {u"ClientEdge", {0, 0}},
    {u"Sunken", {kStaticSunken, 0}},
    {u"Etched", {kStaticEtchedFrame, kStaticTypeMask}},
    {u"EtchedHorizontal", {kStaticEtchedHorizontal, kStaticTypeMask}},
    {u"EtchedVertical", {kStaticEtchedVertical, kStaticTypeMask}},
};
constexpr DescriptionWord<StyleBits> kEditCases[] = {
    {u"Upper", {kEditUpperCase, kEditUpperCase | kEditLowerCase}},
    {u"Lower", {kEditLowerCase, kEditUpperCase | kEditLowerCase}},
};
constexpr DescriptionWord<StyleBits> kEditAligns[] = {
    {u"Left", {0, kEditCenter | kEditRight}},
    {u"Center", {kEditCenter, kEditCenter | kEditRight}},
    {u"Right", {kEditRight, kEditCenter | kEditRight}},
};
enum class RichTextMode : uint8_t { Default = 0, Plain = 1, Markup = 2 };
constexpr DescriptionWord<RichTextMode> kRichTextModes[] = {
    {u"Default", RichTextMode::Default},
    {u"Plain", RichTextMode::Plain},
    {u"HTML", RichTextMode::Markup},
};

// --- Buttons and boxes ---

enum class ButtonType : uint8_t { DefaultButton, PushCheckButton };
constexpr DescriptionWord<ButtonType> kButtonTypes[] = {
    {u"DefaultButton", ButtonType::DefaultButton},
    {u"PushCheckButton", ButtonType::PushCheckButton},
};
constexpr DescriptionWord<StyleBits> kButtonAligns[] = {
    {u"Left", {kButtonLeft, kButtonCenter}},
    {u"Center", {kButtonCenter, kButtonCenter}},
    {u"Right", {kButtonRight, kButtonCenter}},
};
constexpr DescriptionWord<uint32_t> kComboTypes[] = {
    {u"List", kComboSimple},
    {u"Editable", kComboDropDown},
    {u"DropDown", kComboDropDownList},
};

// --- Lists, sliders, tool bars ---

constexpr DescriptionWord<StyleBits> kListHeaders[] = {
    {u"Hidden", {kListNoColumnHeader, 0}},
    {u"Sort", {0, kListNoSortHeader}},
};
constexpr DescriptionWord<StyleBits> kListSelections[] = {{u"Single", {kListSingleSelection, 0}}};
constexpr DescriptionWord<StyleBits> kListShowSelections[] = {
    {u"Always", {kListShowSelectionAlways, 0}}};
constexpr DescriptionWord<StyleBits> kListStyles[] = {{u"Icon", {0, kListTypeMask}}};
constexpr DescriptionWord<int32_t> kColumnAligns[] = {
    {u"Left", kColumnLeft},
    {u"Center", kColumnCenter},
    {u"Right", kColumnRight},
};
// A column's "Width" sized to its content.
constexpr const char16_t* kAutomaticWidthWord = u"Auto";

constexpr DescriptionWord<StyleBits> kSliderTicks[] = {
    {u"Top", {kTrackTop, 0}},
    {u"Bottom", {0, kTrackTop | kTrackBoth}},
    {u"Both", {kTrackBoth, 0}},
};
constexpr DescriptionWord<StyleBits> kSliderArrows[] = {
    {u"Top", {kTrackTop, 0}},
    {u"Bottom", {0, kTrackTop}},
};
constexpr DescriptionWord<StyleBits> kSliderOrientations[] = {
    {u"Horizontal", {0, kTrackVertical}},
    {u"Vertical", {kTrackVertical, 0}},
};

constexpr DescriptionWord<bool> kToolBarTypes[] = {{u"Menu", true}};
enum class ToolButtonKind : uint8_t { Push, Check, Radio, Menu, Separator };
constexpr DescriptionWord<ToolButtonKind> kToolButtonKinds[] = {
    {u"CheckButton", ToolButtonKind::Check},
    {u"RadioButton", ToolButtonKind::Radio},
    {u"Menu", ToolButtonKind::Menu},
};

// --- Menus ---

constexpr DescriptionWord<bool> kMenuGroupTypes[] = {{u"ExclusiveOptions", true}};

} // namespace vorn
