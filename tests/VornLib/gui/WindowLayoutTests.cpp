#include <algorithm>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "TestText.h"
#include "VornLib/gui/WindowName.h"
#include "VornLib/gui/WindowRecord.h"

namespace vorn {
namespace {

constexpr uint32_t kCaption = 0x00C00000;    // WS_CAPTION
constexpr uint32_t kTopLevel = 0x16CF0000;   // overlapped window, visible, clipping
constexpr uint32_t kOwnedPopup = 0x96000000; // WS_POPUP, visible, clipping, no WS_CHILD
constexpr int32_t kFrameWidth = 16;
constexpr int32_t kFrameHeight = 39;

// Stands in for the platform: records each placement and reports the
// rectangle back the way a real window's size message does, with a frame of
// kFrameWidth x kFrameHeight around the client area of a captioned window.
class TestWindow : public WindowRecord {
public:
    struct Placement {
        int32_t left, top, width, height;
        bool move, resize;
    };

    explicit TestWindow(const char16_t* windowName = nullptr) {
        if (windowName)
            setName(WindowNameId(windowName));
    }

    TestWindow* addChild(const char16_t* windowName = nullptr) {
        return static_cast<TestWindow*>(appendChild(std::make_unique<TestWindow>(windowName)));
    }

    bool framed() const { return (style() & kCaption) == kCaption; }

    std::vector<Placement> placements;
    uint32_t layouts = 0;
    int32_t toldClientWidth = -1;
    int32_t toldClientHeight = -1;

protected:
    bool applyPlacement(int32_t left, int32_t top, int32_t width, int32_t height, bool move,
                        bool resize) override {
        placements.push_back({left, top, width, height, move, resize});
        // The platform's size message arrives while the window is placed.
        layoutDependents();
        const int32_t frameWidth = framed() ? kFrameWidth : 0;
        const int32_t frameHeight = framed() ? kFrameHeight : 0;
        readBack(left, top, width, height, std::max(0, width - frameWidth),
                 std::max(0, height - frameHeight));
        return true;
    }
    void outerSizeForClient(int32_t* width, int32_t* height) const override {
        if (framed()) {
            *width += kFrameWidth;
            *height += kFrameHeight;
        }
    }
    void laidOut(int32_t clientWidth, int32_t clientHeight) override {
        ++layouts;
        toldClientWidth = clientWidth;
        toldClientHeight = clientHeight;
    }
};

// A captioned top-level window whose client area is 400 x 300.
class WindowLayout : public ::testing::Test {
protected:
    void SetUp() override {
        parent.setStyle(kTopLevel);
        parent.setEdge(Edge::Left, 0);
        parent.setEdge(Edge::Top, 0);
        parent.setEdge(Edge::ClientWidth, 400);
        parent.setEdge(Edge::ClientHeight, 300);
        parent.layout();
        ASSERT_EQ(400, parent.computed(Edge::ClientWidth));
        ASSERT_EQ(300, parent.computed(Edge::ClientHeight));
    }

    // A child with the given edge expressions, laid out.
    TestWindow* child(std::initializer_list<std::pair<Edge, const char16_t*>> edges,
                      const char16_t* windowName = nullptr) {
        TestWindow* window = parent.addChild(windowName);
        for (const auto& edge : edges)
            EXPECT_EQ(ExpressionOutcome::Set, window->readEdge(edge.first, edge.second));
        window->layout();
        return window;
    }

    TestWindow parent;
};

TEST_F(WindowLayout, EdgesFollowTheParentsClientArea) {
    struct Case {
        Edge edge;
        const char16_t* expression;
        int32_t expected;
    };
    const Case cases[] = {
        {Edge::Width, u"Parent.Width-8", 392},
        {Edge::Width, u"Parent.Width/2", 200},
        {Edge::Width, u"Parent.Width/0", 400},
        {Edge::Width, u"Parent.Width-8+2", 402},
        {Edge::Width, u"Parent.Width*0.25+1", 101},
        {Edge::Width, u"Parent.Width/3", 133}, // truncated, not rounded
        {Edge::Height, u"Parent.Height/2+10", 160},
        {Edge::Height, u"Parent.Height-10dlu", 290},
        {Edge::Left, u"Parent.Width-4dlu-1", 395},
        {Edge::Left, u"Parent.Width-9dlu", 391},
        {Edge::Top, u"Parent.Height*0.5-1dlu", 149},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ToPrintable(c.expression));
        TestWindow* window = child({{c.edge, c.expression}});
        EXPECT_EQ(c.expected, window->computed(c.edge));
        delete window;
    }
}

TEST_F(WindowLayout, DialogUnitsUseTheParentsBaseUnits) {
    TestWindow* window = child({{Edge::Left, u"10dlu"}, {Edge::Top, u"10dlu"}});
    window->setBaseUnits(100, 100); // a child's own base units do not count
    window->layout();
    EXPECT_EQ(10, window->computed(Edge::Left));
    EXPECT_EQ(10, window->computed(Edge::Top));

    parent.setBaseUnits(6, 13);
    window->readEdge(Edge::Width, u"10dlu");
    window->readEdge(Edge::Height, u"Parent.Height-4dlu");
    window->layout();
    EXPECT_EQ(15, window->computed(Edge::Left)); // (6 * 10 + 1) / 4
    EXPECT_EQ(16, window->computed(Edge::Top));  // (13 * 10 + 3) / 8
    EXPECT_EQ(15, window->computed(Edge::Width));
    EXPECT_EQ(293, window->computed(Edge::Height)); // 300 - 6.5, rounded down
}

TEST(WindowLayoutBase, TopLevelAndOwnedWindowsUseTheirOwnBaseUnits) {
    TestWindow owner;
    owner.setStyle(kTopLevel);
    owner.setBaseUnits(6, 16);
    owner.readEdge(Edge::Width, u"10dlu");
    owner.readEdge(Edge::Height, u"10dlu");
    owner.layout();
    EXPECT_EQ(15, owner.computed(Edge::Width));
    EXPECT_EQ(20, owner.computed(Edge::Height));

    TestWindow* popup = owner.addChild();
    popup->setStyle(kOwnedPopup);
    popup->readEdge(Edge::Width, u"10dlu");
    popup->layout();
    EXPECT_EQ(10, popup->computed(Edge::Width));
}

TEST_F(WindowLayout, OnlyRelativeEdgesAreClamped) {
    struct Case {
        const char16_t* expression;
        const char16_t* minimum;
        const char16_t* maximum;
        int32_t expected;
    };
    const Case cases[] = {
        {u"100", u"150", nullptr, 100},
        {u"100", nullptr, u"50", 100},
        {u"10dlu+90", u"150", u"120", 100},
        {u"Parent.Width-8", nullptr, u"300", 300},
        {u"Parent.Width-8", u"500", nullptr, 500},
        {u"Parent.Width-8", u"200", u"390", 390},
        {u"Parent.Width-8", u"350", u"300", 350}, // the minimum wins
        {u"Parent.Width-8", nullptr, u"50dlu", 50},
        {u"Parent.Width/4", u"120dlu", nullptr, 120},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ToPrintable(c.expression));
        TestWindow* window = parent.addChild();
        LayoutConstraint& width = window->constraint(Edge::Width);
        window->readEdge(Edge::Width, c.expression);
        ReadLayoutBound(c.minimum, &width.minimumPixels, &width.minimumDialogUnits);
        ReadLayoutBound(c.maximum, &width.maximumPixels, &width.maximumDialogUnits);
        window->layout();
        EXPECT_EQ(c.expected, window->computed(Edge::Width));
        delete window;
    }
}

TEST_F(WindowLayout, BoundsInDialogUnitsConvertWithTheEdgesAxis) {
    parent.setBaseUnits(6, 16);
    TestWindow* window = parent.addChild();
    LayoutConstraint& height = window->constraint(Edge::Height);
    window->readEdge(Edge::Height, u"Parent.Height");
    ReadLayoutBound(u"10dlu", &height.maximumPixels, &height.maximumDialogUnits);
    ReadLayoutBound(u"5", &height.maximumPixels, &height.maximumDialogUnits);
    window->layout();
    EXPECT_EQ(20, window->computed(Edge::Height)); // the dialog units replace the pixels
}

TEST_F(WindowLayout, EndAndSizeDeriveTheStart) {
    using Edges = std::vector<std::pair<Edge, const char16_t*>>;
    const Edges across = {{Edge::Left, u"0"}, {Edge::Width, u"10"}};
    const Edges down = {{Edge::Top, u"0"}, {Edge::Height, u"10"}};
    struct Case {
        Edges edges;
        const Edges& other;
        int32_t left, top, width, height;
    };
    const Case cases[] = {
        // With both an end and a size, the start attribute has no effect.
        {{{Edge::Top, u"5"}, {Edge::Bottom, u"Parent.Height-10"}, {Edge::Height, u"20"}},
         across,
         0,
         271,
         10,
         20},
        {{{Edge::Top, u"50"}, {Edge::Bottom, u"100"}}, across, 0, 50, 10, 51},
        {{{Edge::Top, u"50"}, {Edge::Bottom, u"40"}}, across, 0, 50, 10, 0},
        {{{Edge::Right, u"Parent.Width-1"}, {Edge::Width, u"100"}}, down, 300, 0, 100, 10},
        {{{Edge::Left, u"10"}, {Edge::Right, u"Parent.Width-11"}}, down, 10, 0, 380, 10},
        {{{Edge::Left, u"Parent.Width-11"}, {Edge::Right, u"Parent.Width-11"}},
         down,
         389,
         0,
         1,
         10},
    };
    for (const Case& c : cases) {
        TestWindow* window = parent.addChild();
        for (const Edges* edges : {&c.edges, &c.other}) {
            for (const auto& edge : *edges)
                EXPECT_EQ(ExpressionOutcome::Set, window->readEdge(edge.first, edge.second));
        }
        window->layout();
        ASSERT_EQ(1u, window->placements.size());
        const TestWindow::Placement& placed = window->placements[0];
        EXPECT_EQ(c.left, placed.left);
        EXPECT_EQ(c.top, placed.top);
        EXPECT_EQ(c.width, placed.width);
        EXPECT_EQ(c.height, placed.height);
        delete window;
    }
}

TEST_F(WindowLayout, RightAndBottomAreInclusive) {
    TestWindow* window = child(
        {{Edge::Left, u"10"}, {Edge::Top, u"20"}, {Edge::Width, u"50"}, {Edge::Height, u"30"}});
    EXPECT_EQ(59, window->computed(Edge::Right));
    EXPECT_EQ(49, window->computed(Edge::Bottom));
}

TEST(WindowLayoutClient, ClientSizeAddsTheFrameOfTheCurrentStyle) {
    TestWindow window;
    window.setStyle(kTopLevel);
    window.readEdge(Edge::Width, u"999"); // ClientWidth decides
    window.readEdge(Edge::ClientWidth, u"300");
    window.readEdge(Edge::ClientHeight, u"200");
    window.layout();
    EXPECT_EQ(300 + kFrameWidth, window.computed(Edge::Width));
    EXPECT_EQ(200 + kFrameHeight, window.computed(Edge::Height));
    EXPECT_EQ(300, window.computed(Edge::ClientWidth));
    ASSERT_EQ(1u, window.placements.size());
    EXPECT_EQ(300 + kFrameWidth, window.placements[0].width);
    EXPECT_EQ(200 + kFrameHeight, window.placements[0].height);

    window.setStyle(kTopLevel & ~kCaption);
    window.layout();
    EXPECT_EQ(300, window.computed(Edge::Width));
    EXPECT_EQ(200, window.computed(Edge::Height));
}

TEST(WindowLayoutClient, AnUncomputedClientSizeBecomes32) {
    TestWindow window;
    window.setStyle(kTopLevel);
    window.readEdge(Edge::ClientWidth, u"Nobody.Width");
    window.layout();
    EXPECT_EQ(32 + kFrameWidth, window.computed(Edge::Width));
}

TEST_F(WindowLayout, SelfReferencesSettleInOneLayout) {
    // Height is evaluated before the Width it refers to.
    TestWindow* window = child({{Edge::Width, u"100"}, {Edge::Height, u"Self.Width/2"}});
    EXPECT_EQ(50, window->computed(Edge::Height));
    EXPECT_EQ(0u, window->dependentCount());
}

TEST_F(WindowLayout, SiblingsResolveAtLayoutTime) {
    TestWindow* label = parent.addChild();
    EXPECT_EQ(ExpressionOutcome::Set, label->readEdge(Edge::Left, u"Field.Right+4"));
    EXPECT_EQ(nullptr, label->constraint(Edge::Left).reference);

    // Defined later, and not yet laid out when the label first is.
    TestWindow* field = parent.addChild(u"Field");
    field->readEdge(Edge::Left, u"10");
    field->readEdge(Edge::Width, u"50");
    label->layout();
    EXPECT_EQ(field, label->constraint(Edge::Left).reference);
    EXPECT_EQ(32, label->computed(Edge::Left));

    // Laying out the field lays out the label that refers to it.
    field->layout();
    EXPECT_EQ(63, label->computed(Edge::Left));
    EXPECT_EQ(63, label->placements.back().left);

    field->setEdge(Edge::Left, 20);
    field->layout();
    EXPECT_EQ(73, label->computed(Edge::Left));
}

TEST_F(WindowLayout, AReferenceToNoWindowKeepsTheLastValue) {
    TestWindow* window = child({{Edge::Left, u"7"}});
    window->readEdge(Edge::Left, u"Nobody.Right");
    window->layout();
    EXPECT_EQ(7, window->computed(Edge::Left));

    TestWindow topLevel;
    topLevel.setStyle(kTopLevel);
    topLevel.readBack(0, 0, 640, 480, 624, 441);
    topLevel.readEdge(Edge::Width, u"Parent.Width-8");
    topLevel.layout();
    EXPECT_EQ(640, topLevel.computed(Edge::Width));
}

TEST_F(WindowLayout, PlacementMovesAndResizesOnlyWhatChanged) {
    TestWindow* window = child(
        {{Edge::Left, u"10"}, {Edge::Width, u"50"}, {Edge::Top, u"5"}, {Edge::Height, u"20"}});
    ASSERT_EQ(1u, window->placements.size());
    EXPECT_TRUE(window->placements[0].move);
    EXPECT_TRUE(window->placements[0].resize);

    window->layout();
    EXPECT_EQ(1u, window->placements.size());

    window->setEdge(Edge::Left, 11);
    window->layout();
    ASSERT_EQ(2u, window->placements.size());
    EXPECT_TRUE(window->placements[1].move);
    EXPECT_FALSE(window->placements[1].resize);

    window->setEdge(Edge::Width, 51);
    window->layout();
    ASSERT_EQ(3u, window->placements.size());
    EXPECT_FALSE(window->placements[2].move);
    EXPECT_TRUE(window->placements[2].resize);
    EXPECT_EQ(51, window->placements[2].width);
    EXPECT_EQ(11, window->placements[2].left);
}

TEST_F(WindowLayout, NegativeSizesArePlacedAsZero) {
    TestWindow* window = child({{Edge::Width, u"Parent.Width-500"}, {Edge::Height, u"-3"}});
    EXPECT_EQ(0, window->placements.back().width);
    EXPECT_EQ(0, window->placements.back().height);
}

TEST_F(WindowLayout, TheLayoutManagerIsToldTheClientSize) {
    const uint32_t before = parent.layouts;
    parent.setEdge(Edge::ClientWidth, 500);
    parent.layout();
    EXPECT_EQ(before + 1, parent.layouts);
    EXPECT_EQ(500, parent.toldClientWidth);
    EXPECT_EQ(300, parent.toldClientHeight);
}

TEST_F(WindowLayout, DependentsFollowOncePerChangeNotDuringPlacement) {
    TestWindow* field = child({{Edge::Left, u"10"}, {Edge::Width, u"50"}}, u"Field");
    TestWindow* label = child({{Edge::Left, u"Field.Right+4"}});
    const uint32_t before = label->layouts;
    field->setEdge(Edge::Width, 60);
    field->layout(); // the size message during placement must not lay out the label
    EXPECT_EQ(before + 1, label->layouts);
    EXPECT_EQ(73, label->computed(Edge::Left));
}

TEST_F(WindowLayout, MutualReferencesDoNotLayOutForever) {
    TestWindow* first = parent.addChild(u"First");
    TestWindow* second = parent.addChild(u"Second");
    first->readEdge(Edge::Width, u"Second.Width+1");
    second->readEdge(Edge::Width, u"First.Width+1");
    first->layout();  // Second not laid out yet: 32
    second->layout(); // lays out First, which does not lay out Second again
    EXPECT_EQ(33, second->computed(Edge::Width));
    EXPECT_EQ(34, first->computed(Edge::Width));
}

TEST(WindowDependents, RegistrationsCountAndKeepTheirOrder) {
    TestWindow first, second, third;
    TestWindow target; // destroyed first: it tells its dependents
    target.addDependent(&first);
    target.addDependent(&second);
    target.addDependent(&first);
    target.addDependent(&third);
    ASSERT_EQ(3u, target.dependentCount());
    EXPECT_EQ(2u, target.dependentReferences(0));

    target.removeDependent(&first);
    ASSERT_EQ(3u, target.dependentCount());
    EXPECT_EQ(&first, target.dependent(0));
    EXPECT_EQ(1u, target.dependentReferences(0));

    target.removeDependent(&first);
    ASSERT_EQ(2u, target.dependentCount());
    EXPECT_EQ(&second, target.dependent(0));
    EXPECT_EQ(&third, target.dependent(1));

    target.removeDependent(&first); // no longer registered: nothing changes
    EXPECT_EQ(2u, target.dependentCount());
}

TEST_F(WindowLayout, EachReferringEdgeRegistersOnce) {
    TestWindow* field = child({{Edge::Left, u"10"}, {Edge::Width, u"50"}}, u"Field");
    TestWindow* label = child({{Edge::Left, u"Field.Right+4"}, {Edge::Top, u"Field.Top"}});
    label->layout(); // layouts do not register again
    ASSERT_EQ(1u, field->dependentCount());
    EXPECT_EQ(label, field->dependent(0));
    EXPECT_EQ(2u, field->dependentReferences(0));

    label->readEdge(Edge::Top, u"5");
    EXPECT_EQ(1u, field->dependentReferences(0));
    label->setEdge(Edge::Left, 5);
    EXPECT_EQ(0u, field->dependentCount());
}

TEST_F(WindowLayout, AWindowRecordsAtMost32Dependents) {
    TestWindow* target = child({{Edge::Left, u"10"}, {Edge::Width, u"50"}}, u"Target");
    std::vector<TestWindow*> followers;
    for (uint32_t index = 0; index < 33; ++index)
        followers.push_back(child({{Edge::Left, u"Target.Right+1"}}));
    ASSERT_EQ(WindowRecord::kMaxDependents, target->dependentCount());
    for (uint32_t index = 0; index < 32; ++index)
        EXPECT_EQ(followers[index], target->dependent(index));
    EXPECT_EQ(60, followers[32]->computed(Edge::Left)); // laid out correctly once

    target->setEdge(Edge::Left, 20);
    target->layout();
    for (uint32_t index = 0; index < 32; ++index)
        EXPECT_EQ(70, followers[index]->computed(Edge::Left)) << index;
    EXPECT_EQ(60, followers[32]->computed(Edge::Left)); // not recorded, not followed

    // The unrecorded follower must not keep a reference to the destroyed target.
    delete target;
    EXPECT_EQ(nullptr, followers[32]->constraint(Edge::Left).reference);
    followers[32]->layout();
    EXPECT_EQ(60, followers[32]->computed(Edge::Left));
}

TEST_F(WindowLayout, ADestroyedWindowLeavesNoReferenceBehind) {
    TestWindow* field = child({{Edge::Left, u"10"}, {Edge::Width, u"50"}}, u"Field");
    TestWindow* label =
        child({{Edge::Left, u"Field.Right+4"}, {Edge::Width, u"Field.Width"}}, u"Label");
    TestWindow* note = child({{Edge::Top, u"Label.Bottom"}});
    ASSERT_EQ(1u, label->dependentCount());

    delete field;
    EXPECT_EQ(nullptr, label->constraint(Edge::Left).reference);
    EXPECT_EQ(nullptr, label->constraint(Edge::Width).reference);
    label->layout(); // no window by that name any more: the values stay
    EXPECT_EQ(63, label->computed(Edge::Left));

    delete note;
    EXPECT_EQ(0u, label->dependentCount());
    label->setEdge(Edge::Top, 5);
    label->layout(); // would reach the destroyed note if it were still listed
    EXPECT_EQ(5, label->computed(Edge::Top));
}

TEST(WindowLayoutTree, DestroyingAParentDestroysWindowsThatReferToEachOther) {
    auto owner = std::make_unique<TestWindow>();
    TestWindow* first = owner->addChild(u"First");
    TestWindow* second = owner->addChild(u"Second");
    TestWindow* third = owner->addChild(u"Third");
    first->readEdge(Edge::Left, u"Third.Right");
    second->readEdge(Edge::Left, u"First.Right");
    third->readEdge(Edge::Width, u"Parent.Width");
    third->readEdge(Edge::Left, u"Second.Left");
    owner->readEdge(Edge::Width, u"Self.Height");
    for (TestWindow* window : {first, second, third})
        window->layout();
    EXPECT_EQ(third, owner->dependent(0));
    owner.reset();
}

TEST(WindowLayoutTree, MovingAWindowToAnotherParentReleasesItsReferences) {
    TestWindow oldParent, newParent;
    TestWindow* anchor = oldParent.addChild(u"Anchor");
    TestWindow* moved = oldParent.addChild(u"Moved");
    TestWindow* stays = oldParent.addChild(u"Stays");
    anchor->setEdge(Edge::Left, 10);
    moved->readEdge(Edge::Left, u"Anchor.Left+5");
    stays->readEdge(Edge::Left, u"Moved.Left");
    for (TestWindow* window : {anchor, moved, stays})
        window->layout();
    ASSERT_EQ(1u, anchor->dependentCount());

    TestWindow* newAnchor = newParent.addChild(u"Anchor");
    newAnchor->setEdge(Edge::Left, 100);
    newAnchor->layout();
    newParent.appendChild(oldParent.takeChild(moved));
    EXPECT_EQ(&newParent, moved->parent());
    EXPECT_EQ(anchor, oldParent.firstChild());
    EXPECT_EQ(stays, anchor->nextSibling());
    EXPECT_EQ(nullptr, stays->nextSibling());
    EXPECT_EQ(moved, newAnchor->nextSibling());
    EXPECT_EQ(0u, anchor->dependentCount());
    EXPECT_EQ(0u, moved->dependentCount());
    EXPECT_EQ(nullptr, stays->constraint(Edge::Left).reference);

    moved->layout();
    EXPECT_EQ(105, moved->computed(Edge::Left));
    EXPECT_EQ(1u, newAnchor->dependentCount());
}

TEST(WindowLayoutTree, ATakenChildLeavesItsSiblingsAndIsOwnedByTheTaker) {
    TestWindow parent, stranger;
    TestWindow* first = parent.addChild(u"First");
    TestWindow* second = parent.addChild(u"Second");
    second->readEdge(Edge::Left, u"First.Right");
    second->layout();
    ASSERT_EQ(1u, first->dependentCount());

    EXPECT_EQ(nullptr, parent.takeChild(&stranger)) << "no child of this window";
    std::unique_ptr<WindowRecord> taken = parent.takeChild(first);
    ASSERT_EQ(first, taken.get());
    EXPECT_EQ(nullptr, first->parent());
    EXPECT_EQ(second, parent.firstChild());
    EXPECT_EQ(nullptr, second->constraint(Edge::Left).reference);
    EXPECT_EQ(0u, first->dependentCount());
    EXPECT_EQ(nullptr, parent.takeChild(first)) << "taken once";
}

// Kinds with a height of their own (a line of text, a bar) keep a height the
// description places.
TEST_F(WindowLayout, ADefaultHeightYieldsToADescribedOne) {
    const struct {
        std::vector<std::pair<Edge, const char16_t*>> edges;
        int32_t expectedHeight;
    } rows[] = {
        {{}, 20},                                          // 10 dialog units
        {{{Edge::Height, u"33"}}, 33},                     // its own height
        {{{Edge::Top, u"10"}, {Edge::Bottom, u"49"}}, 40}, // placed by both ends
        {{{Edge::Top, u"10"}}, 20},                        // one end places nothing
    };
    parent.setBaseUnits(4, 16);
    for (const auto& row : rows) {
        TestWindow* window = parent.addChild();
        for (const auto& edge : row.edges)
            ASSERT_EQ(ExpressionOutcome::Set, window->readEdge(edge.first, edge.second));
        window->setDefaultHeight(0, 10);
        window->layout();
        EXPECT_EQ(row.expectedHeight, window->computed(Edge::Height)) << row.edges.size();
        delete window;
    }
}

// Large values in a description saturate instead of wrapping round.
TEST_F(WindowLayout, ExtremeValuesSaturate) {
    parent.setBaseUnits(40, 80);
    TestWindow* wide = child({{Edge::Left, u"2147483000"},
                              {Edge::Width, u"999999999dlu"},
                              {Edge::Bottom, u"-100"},
                              {Edge::Height, u"2000000000+2000000000dlu"}});
    EXPECT_EQ(kNoMaximum, wide->computed(Edge::Width));
    EXPECT_EQ(kNoMaximum, wide->computed(Edge::Right));
    EXPECT_EQ(kNoMaximum, wide->computed(Edge::Height));
    EXPECT_EQ(kNoMinimum, wide->computed(Edge::Top));

    TestWindow* low = child({{Edge::Left, u"-999999999dlu"}, {Edge::Bottom, u"-100"}});
    EXPECT_EQ(kNoMinimum, low->computed(Edge::Left));
    EXPECT_EQ(0, low->computed(Edge::Height)); // the Top was never computed
}

TEST_F(WindowLayout, ProgrammaticEdges) {
    TestWindow* field = child({{Edge::Left, u"10"}, {Edge::Width, u"50"}}, u"Field");
    TestWindow* window = parent.addChild();
    window->constraint(Edge::Width).minimumPixels = 500;
    window->setEdge(Edge::Width, 10, 5); // the bounds go with the old derivation
    (void)window->setEdge(Edge::Left, u"Field", Edge::Right, 2, 1);
    (void)window->setEdge(Edge::Height, u"Parent", Edge::Height, -8, 0);
    (void)window->setEdge(Edge::Top, u"Parent", Edge::Height, -50, 0);
    window->layout();
    EXPECT_EQ(15, window->computed(Edge::Width));
    EXPECT_EQ(62, window->computed(Edge::Left));
    EXPECT_EQ(292, window->computed(Edge::Height));
    EXPECT_EQ(250, window->computed(Edge::Top));
    EXPECT_EQ(1u, field->dependentCount());

    struct Refused {
        const char16_t* windowName;
        Edge referenceEdge;
    };
    const Refused refused[] = {
        {u"Parent", Edge::Top},   {u"Parent", Edge::Left},       {u"Parent", Edge::Bottom},
        {u"Parent", Edge::Right}, {u"Field", Edge::ClientWidth}, {u"", Edge::Width},
    };
    for (const Refused& r : refused) {
        SCOPED_TRACE(ToPrintable(r.windowName));
        (void)window->setEdge(Edge::Left, u"Field", Edge::Right, 2, 1);
        window->layout();
        EXPECT_EQ(kResultInvalidArgument,
                  window->setEdge(Edge::Left, r.windowName, r.referenceEdge, 0, 0));
        EXPECT_FALSE(window->constraint(Edge::Left).isSet());
        EXPECT_EQ(0u, field->dependentCount());
    }
}

} // namespace
} // namespace vorn
