// Layout constraints and the text that describes them. Each window is placed
// by eight edges, each absolute or derived from an edge of its parent, itself
// or a sibling, in pixels and dialog units, optionally scaled and clamped:
//   "Parent.Width-8", "OK.Left-4dlu-1", "Parent.Height/2+10", "120dlu".
// Expressions read left to right without precedence; a later value of the same
// unit replaces the earlier one ("Parent.Width-8+2" has the pixel offset 2).
#pragma once

#include <cstdint>
#include <limits>

#include "VornLib/core/String.h"

namespace vorn {

class WindowRecord;

// Programmatic edge numbers; Right and Bottom are inclusive.
enum class Edge : uint32_t {
    Top = 2,
    Left = 3,
    Bottom = 4,
    Right = 5,
    Width = 6,
    Height = 7,
    ClientWidth = 8,
    ClientHeight = 9,
};
constexpr uint32_t kFirstEdge = 2;
constexpr uint32_t kEdgeCount = 8;

// The edge attributes of a description in reading order, each followed by
// its bounds ("MinWidth", "MaxWidth").
struct EdgeAttribute {
    const char16_t* name;
    const char16_t* minimum;
    const char16_t* maximum;
    Edge edge;
};
constexpr EdgeAttribute kEdgeAttributes[] = {
    {u"Top", u"MinTop", u"MaxTop", Edge::Top},
    {u"Left", u"MinLeft", u"MaxLeft", Edge::Left},
    {u"Width", u"MinWidth", u"MaxWidth", Edge::Width},
    {u"ClientWidth", u"MinClientWidth", u"MaxClientWidth", Edge::ClientWidth},
    {u"Height", u"MinHeight", u"MaxHeight", Edge::Height},
    {u"ClientHeight", u"MinClientHeight", u"MaxClientHeight", Edge::ClientHeight},
    {u"Bottom", u"MinBottom", u"MaxBottom", Edge::Bottom},
    {u"Right", u"MinRight", u"MaxRight", Edge::Right},
};

// What an edge is derived from: nothing, an absolute value, or an edge of the
// reference window.
enum class ConstraintKind : uint32_t {
    Unset = 0,
    Absolute = 1,
    // The reference window's edges, numbered as the edges themselves.
    Top = uint32_t(Edge::Top),
    Left = uint32_t(Edge::Left),
    Bottom = uint32_t(Edge::Bottom),
    Right = uint32_t(Edge::Right),
    Width = uint32_t(Edge::Width),
    Height = uint32_t(Edge::Height),
};

constexpr int32_t kNotComputed = 0x7FFFFFFB;
constexpr int32_t kNoMinimum = std::numeric_limits<int32_t>::min();
constexpr int32_t kNoMaximum = std::numeric_limits<int32_t>::max();

struct LayoutConstraint {
    WindowRecord* reference = nullptr; // resolved lazily from referenceName
    float factor = 1.0f;
    int32_t offsetPixels = 0;
    int32_t offsetDialogUnits = 0;
    int32_t minimumPixels = kNoMinimum;
    int32_t minimumDialogUnits = kNoMinimum;
    int32_t maximumPixels = kNoMaximum;
    int32_t maximumDialogUnits = kNoMaximum;
    int32_t computed = kNotComputed;
    uint16_t referenceName = 0xFFFF;
    ConstraintKind kind = ConstraintKind::Unset;

    bool isSet() const { return kind != ConstraintKind::Unset; }
    // Forgets what the edge is derived from; the computed value and the
    // bounds stay.
    void clearDerivation();
};

enum class ExpressionOutcome {
    Set,       // the constraint now holds the expression
    Unset,     // an unknown edge word: the edge is left unset
    EmptyName, // "." with no window name: the remaining edges are ignored
};

// Reads one edge expression into `constraint` (its bounds and computed value
// are kept).
ExpressionOutcome ReadLayoutExpression(const char16_t* text, LayoutConstraint* constraint);

// Reads a "Min"/"Max" attribute: one value in pixels or, with "dlu", in dialog
// units; the other unit is left as it was.
void ReadLayoutBound(const char16_t* text, int32_t* pixels, int32_t* dialogUnits);

// What is wrong with an edge expression that the reader would take otherwise
// than written (blanks, an unknown edge word, text it passes over); the empty
// text when nothing is. `reference` receives the window name before ".", if
// any, for the caller to find.
String CheckLayoutExpression(const char16_t* text, String* reference);
// The same for a "Min"/"Max" value.
String CheckLayoutBound(const char16_t* text);

// Large values in a description saturate instead of overflowing.
inline int32_t SaturatedInt32(int64_t value) {
    return value > kNoMaximum ? kNoMaximum : value < kNoMinimum ? kNoMinimum : int32_t(value);
}

// Dialog units to pixels with base `base` (horizontal: divisor 4, vertical: 8),
// rounding half down. The division floors, so that negative offsets round the
// same way: -4 units at base 4 are -4 pixels, not -3.
inline int32_t DialogUnitsToPixels(int32_t units, int32_t base, int32_t divisor) {
    const int64_t scaled = int64_t(base) * units + divisor / 2 - 1;
    const int64_t quotient = scaled / divisor;
    return SaturatedInt32(scaled % divisor < 0 ? quotient - 1 : quotient);
}

} // namespace vorn
