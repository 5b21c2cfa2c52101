#include <gtest/gtest.h>

#include "TestText.h"
#include "VornLib/gui/LayoutExpression.h"
#include "VornLib/gui/WindowName.h"

namespace vorn {
namespace {

struct ExpressionCase {
    const char16_t* text;
    ConstraintKind kind;
    const char16_t* window; // nullptr: no reference
    float factor;
    int32_t pixels;
    int32_t dialogUnits;
};

TEST(LayoutExpression, ReadsReferenceFactorAndOffsets) {
    const ExpressionCase cases[] = {
        {u"Parent.Width-8", ConstraintKind::Width, u"Parent", 1, -8, 0},
        {u"OK.Left-4dlu-1", ConstraintKind::Left, u"OK", 1, -1, -4},
        {u"Parent.Height/2+10", ConstraintKind::Height, u"Parent", 0.5f, 10, 0},
        {u"Title.Bottom+7dlu", ConstraintKind::Bottom, u"Title", 1, 0, 7},
        {u"Self.Right", ConstraintKind::Right, u"Self", 1, 0, 0},
        {u"Cancel.Top*1.5", ConstraintKind::Top, u"Cancel", 1.5f, 0, 0},
        {u"Parent.Width/0", ConstraintKind::Width, u"Parent", 1, 0, 0},
        {u"Parent.Width/0.25", ConstraintKind::Width, u"Parent", 4, 0, 0},
        // A later value of the same unit replaces the earlier one.
        {u"Parent.Width-8+2", ConstraintKind::Width, u"Parent", 1, 2, 0},
        {u"Parent.Width*2+3-4dlu", ConstraintKind::Width, u"Parent", 2, 3, -4},
        // At most three items follow the reference.
        {u"Parent.Width+1+2+3+4", ConstraintKind::Width, u"Parent", 1, 3, 0},
        {u"Parent.Width+1dlu+2+3dlu+4", ConstraintKind::Width, u"Parent", 1, 2, 3},
        // Only the first item may be a factor; other text between items is skipped.
        {u"Parent.Width+5*3", ConstraintKind::Width, u"Parent", 1, 5, 0},
        {u"Parent.Width*2*3+5", ConstraintKind::Width, u"Parent", 2, 5, 0},
        {u"Parent.Width/2*3*4+10-1dlu", ConstraintKind::Width, u"Parent", 0.5f, 10, -1},
        {u"Parent.Width* 2", ConstraintKind::Width, u"Parent", 2, 0, 0},
        // Without a reference: one value, then optionally one more.
        {u"120dlu", ConstraintKind::Absolute, nullptr, 1, 0, 120},
        {u"10+5dlu", ConstraintKind::Absolute, nullptr, 1, 10, 5},
        {u"10dlu-3", ConstraintKind::Absolute, nullptr, 1, -3, 10},
        {u"10+20", ConstraintKind::Absolute, nullptr, 1, 20, 0},
        {u"  -7", ConstraintKind::Absolute, nullptr, 1, -7, 0},
        {u"+7", ConstraintKind::Absolute, nullptr, 1, 7, 0},
        {u"99999999999", ConstraintKind::Absolute, nullptr, 1, 0x7FFFFFFF, 0},
    };
    for (const ExpressionCase& c : cases) {
        SCOPED_TRACE(ToPrintable(c.text));
        LayoutConstraint constraint;
        ASSERT_EQ(ExpressionOutcome::Set, ReadLayoutExpression(c.text, &constraint));
        EXPECT_EQ(c.kind, constraint.kind);
        EXPECT_EQ(c.window ? WindowNameId(c.window) : kNoWindowName, constraint.referenceName);
        EXPECT_FLOAT_EQ(c.factor, constraint.factor);
        EXPECT_EQ(c.pixels, constraint.offsetPixels);
        EXPECT_EQ(c.dialogUnits, constraint.offsetDialogUnits);
        EXPECT_EQ(nullptr, constraint.reference); // resolved at layout time only
    }
}

TEST(LayoutExpression, UnreadableExpressionsLeaveTheEdgeUnset) {
    const char16_t* const cases[] = {
        u"Parent.Widht-8",
        u"Parent.width",
        u"Parent.ClientWidth",
        u"Parent.",
        u"OK.Left4",
        u"",
        u"dlu",
        u"Width",
        u"+",
    };
    for (const char16_t* text : cases) {
        SCOPED_TRACE(ToPrintable(text));
        LayoutConstraint constraint;
        constraint.kind = ConstraintKind::Absolute;
        constraint.offsetPixels = 5;
        EXPECT_EQ(ExpressionOutcome::Unset, ReadLayoutExpression(text, &constraint));
        EXPECT_FALSE(constraint.isSet());
        EXPECT_EQ(0, constraint.offsetPixels);
    }
    LayoutConstraint constraint;
    EXPECT_EQ(ExpressionOutcome::Unset, ReadLayoutExpression(nullptr, &constraint));
}

TEST(LayoutExpression, AnEmptyNameBeforeTheDotIsReported) {
    for (const char16_t* text : {u".Width", u"  .Left+3", u".Bogus"}) {
        SCOPED_TRACE(ToPrintable(text));
        LayoutConstraint constraint;
        EXPECT_EQ(ExpressionOutcome::EmptyName, ReadLayoutExpression(text, &constraint));
        EXPECT_FALSE(constraint.isSet());
    }
}

// The record's bounds and last computed value survive a new expression.
TEST(LayoutExpression, ReadingKeepsBoundsAndComputedValue) {
    LayoutConstraint constraint;
    constraint.minimumPixels = 10;
    constraint.maximumDialogUnits = 50;
    constraint.computed = 123;
    ASSERT_EQ(ExpressionOutcome::Set, ReadLayoutExpression(u"Parent.Width", &constraint));
    EXPECT_EQ(10, constraint.minimumPixels);
    EXPECT_EQ(50, constraint.maximumDialogUnits);
    EXPECT_EQ(kNoMinimum, constraint.minimumDialogUnits);
    EXPECT_EQ(kNoMaximum, constraint.maximumPixels);
    EXPECT_EQ(123, constraint.computed);
}

TEST(LayoutExpression, BoundsHoldOneValueInEitherUnit) {
    struct Case {
        const char16_t* text;
        int32_t pixels;
        int32_t dialogUnits;
    };
    const Case cases[] = {
        {u"150", 150, -1}, {u" -5", -5, -1}, {u"10dlu", -1, 10}, {u"+3dlu", -1, 3},
        {u"abc", -1, -1},  {u"", -1, -1},    {nullptr, -1, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ToPrintable(c.text));
        int32_t pixels = -1;
        int32_t dialogUnits = -1;
        ReadLayoutBound(c.text, &pixels, &dialogUnits);
        EXPECT_EQ(c.pixels, pixels);
        EXPECT_EQ(c.dialogUnits, dialogUnits);
    }
}

// Rounding half down, the same way for both signs; exact multiples are exact.
TEST(LayoutExpression, DialogUnitsRoundHalfDown) {
    struct Case {
        int32_t units, base, divisor, pixels;
    };
    const Case cases[] = {
        {10, 4, 4, 10},  {10, 8, 8, 10},   {10, 6, 4, 15},   {3, 6, 4, 4},   {7, 13, 8, 11},
        {0, 6, 4, 0},    {-4, 4, 4, -4},   {-10, 8, 8, -10}, {-3, 6, 4, -5}, {-1, 6, 4, -2},
        {-4, 13, 8, -7}, {-7, 13, 8, -11}, {-1, 4, 4, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.pixels, DialogUnitsToPixels(c.units, c.base, c.divisor))
            << c.units << " units, base " << c.base;
}

} // namespace
} // namespace vorn
