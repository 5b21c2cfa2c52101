// WindowRecord: the platform-free part of every window and control. It keeps
// the window tree (parent, children in creation order, each owned by the
// one before it or by the parent), the name identifier,
// the eight layout constraints and the windows that depend on this one, and
// lays a window out from its constraints. What the platform does with the
// result (moving a real window, measuring frames) comes through the virtual
// hooks, so the layout runs the same with or without a real window.
#pragma once

#include <cstdint>
#include <memory>

#include "VornLib/core/Result.h"
#include "VornLib/gui/LayoutExpression.h"

namespace vorn {

class WindowRecord {
public:
    static constexpr uint32_t kMaxDependents = 32;
    // The style bit of a child window; a child converts dialog units with its
    // parent's base units, a top-level window with its own.
    static constexpr uint32_t kChildStyle = 0x40000000;

    WindowRecord();
    // Deletes its children, forgets references that others hold to it and
    // leaves every window it refers to. A child deleted on its own leaves
    // its parent's list.
    virtual ~WindowRecord();
    WindowRecord(const WindowRecord&) = delete;
    WindowRecord& operator=(const WindowRecord&) = delete;

    // Appends `child` to the child list; the window owns it from now on.
    WindowRecord* appendChild(std::unique_ptr<WindowRecord> child);
    // Takes `child` out of the list and hands it back (null when it is no
    // child of this window); the references between it and its siblings
    // are released, to be resolved anew wherever it goes.
    std::unique_ptr<WindowRecord> takeChild(WindowRecord* child);
    WindowRecord* parent() const { return parent_; }
    WindowRecord* firstChild() const { return firstChild_.get(); }
    WindowRecord* nextSibling() const { return nextSibling_.get(); }
    WindowRecord* findChild(uint16_t name) const;

    uint16_t name() const { return name_; }
    void setName(uint16_t name) { name_ = name; }

    uint32_t style() const { return style_; }
    uint32_t extendedStyle() const { return extendedStyle_; }
    void setStyle(uint32_t style) { style_ = style; }
    void setExtendedStyle(uint32_t style) { extendedStyle_ = style; }

    int32_t horizontalBase() const { return horizontalBase_; }
    int32_t verticalBase() const { return verticalBase_; }
    void setBaseUnits(int32_t horizontal, int32_t vertical);

    LayoutConstraint& constraint(Edge edge) { return constraints_[uint32_t(edge) - kFirstEdge]; }
    const LayoutConstraint& constraint(Edge edge) const {
        return constraints_[uint32_t(edge) - kFirstEdge];
    }
    int32_t computed(Edge edge) const { return constraint(edge).computed; }
    void setComputed(Edge edge, int32_t value) { constraint(edge).computed = value; }

    // Reads an edge attribute's expression; see ExpressionOutcome.
    ExpressionOutcome readEdge(Edge edge, const char16_t* expression);
    // Programmatic layout. An absolute edge resets everything but its
    // computed value.
    void setEdge(Edge edge, int32_t pixels, int32_t dialogUnits = 0);
    // Relative to `referenceEdge` (Top..Height) of the window named
    // `windowName` ("Parent", "Self" or a sibling), factor 1. A reference to
    // the parent's Top, Left, Bottom or Right leaves the edge unset: 5.
    Result setEdge(Edge edge, const char16_t* windowName, Edge referenceEdge, int32_t pixels,
                   int32_t dialogUnits);
    void clearEdge(Edge edge);
    // The height of a kind that has one of its own (a line of text, a bar),
    // unless the description places the height (Height, or Top and Bottom).
    void setDefaultHeight(int32_t pixels, int32_t dialogUnits);

    // Evaluates one edge (see the layout rules) and returns its computed value.
    int32_t evaluate(Edge edge);
    // Evaluates every edge twice, so that edges that depend on each other
    // settle, places the window and then lays out its dependents.
    void layout();
    // True while the window is being laid out: its own size messages then do
    // not re-lay out its dependents.
    bool busy() const { return busy_; }
    void layoutDependents();

    // The rectangle the platform reports, read back into the computed edges
    // (Right and Bottom inclusive).
    void readBack(int32_t left, int32_t top, int32_t width, int32_t height, int32_t clientWidth,
                  int32_t clientHeight);

    // Dependents: the windows whose constraints refer to this one.
    void addDependent(WindowRecord* window);
    void removeDependent(WindowRecord* window);
    uint32_t dependentCount() const { return dependentCount_; }
    WindowRecord* dependent(uint32_t index) const { return dependents_[index].window; }
    uint32_t dependentReferences(uint32_t index) const { return dependents_[index].count; }

protected:
    // Places the real window; false when there is none (the record then takes
    // the rectangle as placed). Only called when something changed.
    virtual bool applyPlacement(int32_t left, int32_t top, int32_t width, int32_t height, bool move,
                                bool resize);
    // The outer size of a window whose client area has the given size.
    virtual void outerSizeForClient(int32_t* width, int32_t* height) const;
    // Told the client size after every layout (docking containers).
    virtual void laidOut(int32_t clientWidth, int32_t clientHeight);

private:
    struct Dependent {
        WindowRecord* window;
        uint32_t count;
    };

    WindowRecord* resolve(LayoutConstraint& constraint);
    void releaseReference(LayoutConstraint& constraint);
    void forgetReferencesTo(WindowRecord* window);
    void releaseReferencesTo(WindowRecord* window);
    std::unique_ptr<WindowRecord> unlinkFromParent();
    int32_t toPixels(int32_t dialogUnits, bool vertical) const;
    void evaluateEdges();
    void place();

    WindowRecord* parent_ = nullptr;
    std::unique_ptr<WindowRecord> firstChild_;
    std::unique_ptr<WindowRecord> nextSibling_;
    LayoutConstraint constraints_[kEdgeCount];
    Dependent dependents_[kMaxDependents] = {};
    uint32_t dependentCount_ = 0;
    uint32_t style_;
    uint32_t extendedStyle_ = 0;
    int32_t horizontalBase_ = 4;
    int32_t verticalBase_ = 8;
    int32_t placedLeft_ = 0;
    int32_t placedTop_ = 0;
    int32_t placedWidth_ = 0;
    int32_t placedHeight_ = 0;
    bool placed_ = false;
    bool busy_ = false;
    uint16_t name_;
};

} // namespace vorn
