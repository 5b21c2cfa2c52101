#include "VornLib/gui/WindowRecord.h"

#include <cmath>

#include "VornLib/gui/WindowName.h"

namespace vorn {
namespace {

// WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN.
constexpr uint32_t kDefaultStyle = 0x56000000;

bool IsVertical(Edge edge) {
    return edge == Edge::Top || edge == Edge::Bottom || edge == Edge::Height ||
           edge == Edge::ClientHeight;
}

} // namespace

WindowRecord::WindowRecord() : style_(kDefaultStyle), name_(NextAutomaticWindowName()) {}

WindowRecord::~WindowRecord() {
    while (firstChild_)
        takeChild(firstChild_.get()).reset();
    for (LayoutConstraint& constraint : constraints_)
        releaseReference(constraint);
    // Windows that refer to this one must not keep a dangling reference; they
    // are its dependents or, when their count did not fit, its siblings.
    for (uint32_t index = 0; index < dependentCount_; ++index)
        dependents_[index].window->forgetReferencesTo(this);
    if (parent_) {
        for (WindowRecord* sibling = parent_->firstChild(); sibling;
             sibling = sibling->nextSibling())
            sibling->forgetReferencesTo(this);
        // Being deleted already: the list lets it go without deleting it again.
        (void)unlinkFromParent().release();
    }
}

std::unique_ptr<WindowRecord> WindowRecord::unlinkFromParent() {
    std::unique_ptr<WindowRecord>* link = &parent_->firstChild_;
    while (*link && link->get() != this)
        link = &(*link)->nextSibling_;
    std::unique_ptr<WindowRecord> self;
    if (*link) {
        self = std::move(*link);
        *link = std::move(nextSibling_);
    }
    parent_ = nullptr;
    return self;
}

WindowRecord* WindowRecord::appendChild(std::unique_ptr<WindowRecord> child) {
    std::unique_ptr<WindowRecord>* link = &firstChild_;
    while (*link)
        link = &(*link)->nextSibling_;
    child->parent_ = this;
    *link = std::move(child);
    return link->get();
}

std::unique_ptr<WindowRecord> WindowRecord::takeChild(WindowRecord* child) {
    if (!child || child->parent_ != this)
        return nullptr;
    for (LayoutConstraint& constraint : child->constraints_)
        child->releaseReference(constraint);
    for (WindowRecord* sibling = firstChild(); sibling; sibling = sibling->nextSibling())
        sibling->releaseReferencesTo(child);
    return child->unlinkFromParent();
}

WindowRecord* WindowRecord::findChild(uint16_t name) const {
    for (WindowRecord* child = firstChild(); child; child = child->nextSibling()) {
        if (child->name_ == name)
            return child;
    }
    return nullptr;
}

void WindowRecord::setBaseUnits(int32_t horizontal, int32_t vertical) {
    horizontalBase_ = horizontal;
    verticalBase_ = vertical;
}

ExpressionOutcome WindowRecord::readEdge(Edge edge, const char16_t* expression) {
    LayoutConstraint& target = constraint(edge);
    releaseReference(target);
    return ReadLayoutExpression(expression, &target);
}

void WindowRecord::setEdge(Edge edge, int32_t pixels, int32_t dialogUnits) {
    LayoutConstraint& target = constraint(edge);
    releaseReference(target);
    const int32_t computed = target.computed;
    target = LayoutConstraint();
    target.computed = computed;
    target.kind = ConstraintKind::Absolute;
    target.offsetPixels = pixels;
    target.offsetDialogUnits = dialogUnits;
}

Result WindowRecord::setEdge(Edge edge, const char16_t* windowName, Edge referenceEdge,
                             int32_t pixels, int32_t dialogUnits) {
    clearEdge(edge);
    const uint16_t name = WindowNameId(windowName);
    const bool parentPosition = referenceEdge == Edge::Top || referenceEdge == Edge::Left ||
                                referenceEdge == Edge::Bottom || referenceEdge == Edge::Right;
    if (name == kNoWindowName || (name == FixedNames().parent && parentPosition) ||
        uint32_t(referenceEdge) > uint32_t(Edge::Height))
        return kResultInvalidArgument;
    LayoutConstraint& target = constraint(edge);
    target.kind = ConstraintKind(uint32_t(referenceEdge));
    target.referenceName = name;
    target.offsetPixels = pixels;
    target.offsetDialogUnits = dialogUnits;
    return kResultOk;
}

void WindowRecord::setDefaultHeight(int32_t pixels, int32_t dialogUnits) {
    if (constraint(Edge::Height).isSet() ||
        (constraint(Edge::Top).isSet() && constraint(Edge::Bottom).isSet()))
        return;
    setEdge(Edge::Height, pixels, dialogUnits);
}

void WindowRecord::clearEdge(Edge edge) {
    LayoutConstraint& target = constraint(edge);
    releaseReference(target);
    target.clearDerivation();
}

WindowRecord* WindowRecord::resolve(LayoutConstraint& target) {
    if (target.reference)
        return target.reference;
    WindowRecord* found = nullptr;
    if (target.referenceName == FixedNames().parent)
        found = parent_;
    else if (target.referenceName == FixedNames().self)
        found = this;
    else if (parent_)
        found = parent_->findChild(target.referenceName);
    if (!found)
        return nullptr;
    target.reference = found;
    // A window never re-lays itself out because it moved.
    if (found != this)
        found->addDependent(this);
    return found;
}

void WindowRecord::releaseReference(LayoutConstraint& target) {
    if (target.reference && target.reference != this)
        target.reference->removeDependent(this);
    target.reference = nullptr;
}

void WindowRecord::forgetReferencesTo(WindowRecord* window) {
    for (LayoutConstraint& target : constraints_) {
        if (target.reference == window)
            target.reference = nullptr;
    }
}

void WindowRecord::releaseReferencesTo(WindowRecord* window) {
    for (LayoutConstraint& target : constraints_) {
        if (target.reference == window)
            releaseReference(target);
    }
}

int32_t WindowRecord::toPixels(int32_t dialogUnits, bool vertical) const {
    const WindowRecord* owner = (style_ & kChildStyle) && parent_ ? parent_ : this;
    return vertical ? DialogUnitsToPixels(dialogUnits, owner->verticalBase_, 8)
                    : DialogUnitsToPixels(dialogUnits, owner->horizontalBase_, 4);
}

int32_t WindowRecord::evaluate(Edge edge) {
    LayoutConstraint& target = constraint(edge);
    const bool vertical = IsVertical(edge);
    int32_t minimum = target.minimumPixels;
    int32_t maximum = target.maximumPixels;
    if (target.minimumDialogUnits != kNoMinimum)
        minimum = toPixels(target.minimumDialogUnits, vertical);
    if (target.maximumDialogUnits != kNoMaximum)
        maximum = toPixels(target.maximumDialogUnits, vertical);

    if (target.kind == ConstraintKind::Unset)
        return target.computed;
    if (target.kind == ConstraintKind::Absolute) {
        target.computed = SaturatedInt32(int64_t(toPixels(target.offsetDialogUnits, vertical)) +
                                         target.offsetPixels);
        return target.computed;
    }
    WindowRecord* reference = resolve(target);
    if (!reference)
        return target.computed;
    int32_t referenced = kNotComputed;
    switch (target.kind) {
    case ConstraintKind::Top:
        referenced = reference->computed(Edge::Top);
        break;
    case ConstraintKind::Left:
        referenced = reference->computed(Edge::Left);
        break;
    case ConstraintKind::Bottom:
        referenced = reference->computed(Edge::Bottom);
        break;
    case ConstraintKind::Right:
        referenced = reference->computed(Edge::Right);
        break;
    case ConstraintKind::Width:
        referenced = reference->computed(reference == parent_ ? Edge::ClientWidth : Edge::Width);
        break;
    case ConstraintKind::Height:
        referenced = reference->computed(reference == parent_ ? Edge::ClientHeight : Edge::Height);
        break;
    default:
        break;
    }
    if (referenced == kNotComputed) {
        target.computed = 32;
        return target.computed;
    }
    const double value = float(toPixels(target.offsetDialogUnits, vertical)) +
                         (float(referenced) * target.factor + float(target.offsetPixels));
    int32_t result;
    if (!(value == value) || value >= 2147483647.0)
        result = kNoMaximum;
    else if (value <= -2147483648.0)
        result = kNoMinimum;
    else
        result = int32_t(value);
    if (result > maximum)
        result = maximum;
    if (result < minimum)
        result = minimum;
    target.computed = result;
    return result;
}

void WindowRecord::evaluateEdges() {
    evaluate(Edge::Top);
    evaluate(Edge::Left);

    struct Axis {
        Edge start, end, size, clientSize;
    };
    const Axis axes[] = {{Edge::Top, Edge::Bottom, Edge::Height, Edge::ClientHeight},
                         {Edge::Left, Edge::Right, Edge::Width, Edge::ClientWidth}};
    for (const Axis& axis : axes) {
        if (constraint(axis.end).isSet()) {
            const int32_t end = evaluate(axis.end);
            if (constraint(axis.size).isSet()) {
                const int32_t size = evaluate(axis.size);
                setComputed(axis.start, SaturatedInt32(int64_t(end) - size + 1));
            } else {
                const int64_t size = int64_t(end) - computed(axis.start) + 1;
                setComputed(axis.size, size < 0 ? 0 : SaturatedInt32(size));
            }
        } else if (constraint(axis.clientSize).isSet()) {
            evaluate(axis.clientSize);
        } else {
            evaluate(axis.size);
        }
    }

    if (computed(Edge::ClientWidth) == kNotComputed)
        setComputed(Edge::ClientWidth, 32);
    if (computed(Edge::ClientHeight) == kNotComputed)
        setComputed(Edge::ClientHeight, 32);
    const bool clientWidth = constraint(Edge::ClientWidth).isSet();
    const bool clientHeight = constraint(Edge::ClientHeight).isSet();
    if (clientWidth || clientHeight) {
        int32_t width = computed(Edge::ClientWidth);
        int32_t height = computed(Edge::ClientHeight);
        outerSizeForClient(&width, &height);
        if (clientWidth)
            setComputed(Edge::Width, width);
        if (clientHeight)
            setComputed(Edge::Height, height);
    }
}

void WindowRecord::place() {
    const int32_t left = computed(Edge::Left);
    const int32_t top = computed(Edge::Top);
    int32_t width = computed(Edge::Width);
    int32_t height = computed(Edge::Height);
    if (width < 0)
        width = 0;
    if (height < 0)
        height = 0;
    const bool move = !placed_ || left != placedLeft_ || top != placedTop_;
    const bool resize = !placed_ || width != placedWidth_ || height != placedHeight_;
    if (!move && !resize)
        return;
    if (applyPlacement(left, top, width, height, move, resize))
        return;
    // Without a real window, the rectangle stands as laid out.
    placed_ = true;
    placedLeft_ = left;
    placedTop_ = top;
    placedWidth_ = width;
    placedHeight_ = height;
    if (!constraint(Edge::Right).isSet())
        setComputed(Edge::Right, SaturatedInt32(int64_t(left) + width - 1));
    if (!constraint(Edge::Bottom).isSet())
        setComputed(Edge::Bottom, SaturatedInt32(int64_t(top) + height - 1));
    if (!constraint(Edge::ClientWidth).isSet())
        setComputed(Edge::ClientWidth, width);
    if (!constraint(Edge::ClientHeight).isSet())
        setComputed(Edge::ClientHeight, height);
}

void WindowRecord::layout() {
    if (busy_)
        return;
    busy_ = true;
    evaluateEdges();
    evaluateEdges();
    place();
    busy_ = false;
    layoutDependents();
    laidOut(computed(Edge::ClientWidth), computed(Edge::ClientHeight));
}

void WindowRecord::layoutDependents() {
    if (busy_)
        return;
    // A dependent's layout may change the list (a reference resolved anew).
    WindowRecord* snapshot[kMaxDependents];
    const uint32_t count = dependentCount_;
    for (uint32_t index = 0; index < count; ++index)
        snapshot[index] = dependents_[index].window;
    busy_ = true;
    for (uint32_t index = 0; index < count; ++index) {
        for (uint32_t still = 0; still < dependentCount_; ++still) {
            if (dependents_[still].window == snapshot[index]) {
                snapshot[index]->layout();
                break;
            }
        }
    }
    busy_ = false;
}

void WindowRecord::readBack(int32_t left, int32_t top, int32_t width, int32_t height,
                            int32_t clientWidth, int32_t clientHeight) {
    placed_ = true;
    placedLeft_ = left;
    placedTop_ = top;
    placedWidth_ = width;
    placedHeight_ = height;
    setComputed(Edge::Left, left);
    setComputed(Edge::Top, top);
    setComputed(Edge::Width, width);
    setComputed(Edge::Height, height);
    setComputed(Edge::Right, SaturatedInt32(int64_t(left) + width - 1));
    setComputed(Edge::Bottom, SaturatedInt32(int64_t(top) + height - 1));
    setComputed(Edge::ClientWidth, clientWidth);
    setComputed(Edge::ClientHeight, clientHeight);
}

void WindowRecord::addDependent(WindowRecord* window) {
    for (uint32_t index = 0; index < dependentCount_; ++index) {
        if (dependents_[index].window == window) {
            ++dependents_[index].count;
            return;
        }
    }
    if (dependentCount_ == kMaxDependents)
        return;
    dependents_[dependentCount_++] = {window, 1};
}

void WindowRecord::removeDependent(WindowRecord* window) {
    for (uint32_t index = 0; index < dependentCount_; ++index) {
        if (dependents_[index].window != window)
            continue;
        if (--dependents_[index].count == 0) {
            for (uint32_t later = index + 1; later < dependentCount_; ++later)
                dependents_[later - 1] = dependents_[later];
            --dependentCount_;
        }
        return;
    }
}

bool WindowRecord::applyPlacement(int32_t, int32_t, int32_t, int32_t, bool, bool) {
    return false;
}

void WindowRecord::outerSizeForClient(int32_t*, int32_t*) const {}

void WindowRecord::laidOut(int32_t, int32_t) {}

} // namespace vorn
