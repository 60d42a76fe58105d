#include "platform/UIKit/LayoutEngine.h"

#include "platform/Foundation/Log.h"
#include "platform/UIKit/LayoutItemState.h"
#include "platform/UIKit/NSLayoutConstraint.h"
#include "platform/UIKit/UILayoutGuide.h"
#include "platform/UIKit/UIScreen.h"
#include "platform/UIKit/UIView.h"

#include <algorithm>
#include <cmath>

using cassowary::Expression;
using cassowary::Relation;

namespace {

Expression attributeExpression(const LayoutItemState& state, NSLayoutAttribute attribute) {
    switch (attribute) {
    case NSLayoutAttribute::left:
    case NSLayoutAttribute::leading:
        return Expression(state.left);
    case NSLayoutAttribute::right:
    case NSLayoutAttribute::trailing:
        return Expression(state.left).add(state.width, 1);
    case NSLayoutAttribute::top:
        return Expression(state.top);
    case NSLayoutAttribute::bottom:
        return Expression(state.top).add(state.height, 1);
    case NSLayoutAttribute::width:
        return Expression(state.width);
    case NSLayoutAttribute::height:
        return Expression(state.height);
    case NSLayoutAttribute::centerX:
        return Expression(state.left).add(state.width, 0.5);
    case NSLayoutAttribute::centerY:
        return Expression(state.top).add(state.height, 0.5);
    case NSLayoutAttribute::notAnAttribute:
        break;
    }
    return Expression();
}

Relation toRelation(NSLayoutRelation relation) {
    switch (relation) {
    case NSLayoutRelation::lessThanOrEqual:
        return Relation::lessThanOrEqual;
    case NSLayoutRelation::greaterThanOrEqual:
        return Relation::greaterThanOrEqual;
    case NSLayoutRelation::equal:
        break;
    }
    return Relation::equal;
}

// x, y, width, height of a frame-based view's untransformed frame.
std::array<CGFloat, 4> placementValues(const UIView& view) {
    const CGRect bounds = view.bounds();
    const CGPoint anchor = view.layer()->anchorPoint();
    const CGPoint center = view.center();
    return {center.x - anchor.x * bounds.size.width, center.y - anchor.y * bounds.size.height,
            bounds.size.width, bounds.size.height};
}

void eraseFrom(std::vector<NSLayoutConstraint*>& list, NSLayoutConstraint* constraint) {
    list.erase(std::remove(list.begin(), list.end(), constraint), list.end());
}

} // namespace

void LayoutEngine::noteChange() {
    solutionChanged_ = true;
    widthsStale_ = true;
}

LayoutEngine& LayoutEngine::shared() {
    // Never destroyed: views that outlive static destruction may still call it.
    static LayoutEngine* engine = new LayoutEngine();
    return *engine;
}

std::optional<cassowary::ConstraintId> LayoutEngine::add(const Expression& expression, Relation relation,
                                                         double priority) {
    try {
        noteChange();
        return solver_.addConstraint(expression, relation, priority);
    } catch (const cassowary::UnsatisfiableConstraint&) {
        consoleLog("[LayoutConstraints] Unable to simultaneously satisfy constraints; a required constraint "
                   "that contradicts the others was left out.");
        return std::nullopt;
    }
}

LayoutItemState& LayoutEngine::ensure(LayoutItem& item) {
    if (item.layoutState_) {
        return *item.layoutState_;
    }
    item.layoutState_ = std::make_unique<LayoutItemState>();
    LayoutItemState& state = *item.layoutState_;
    state.left = solver_.makeVariable();
    state.top = solver_.makeVariable();
    state.width = solver_.makeVariable();
    state.height = solver_.makeVariable();
    if (auto* view = dynamic_cast<UIView*>(&item)) {
        place(*view, state);
    } else if (auto* guide = dynamic_cast<UILayoutGuide*>(&item)) {
        placeGuide(*guide, state);
    }
    return state;
}

Expression LayoutEngine::expression(LayoutItem& item, NSLayoutAttribute attribute) {
    return attributeExpression(ensure(item), attribute);
}

void LayoutEngine::removePlacement(LayoutItemState& state) {
    for (auto& id : state.placement) {
        if (id) {
            solver_.removeConstraint(*id);
            id.reset();
            noteChange();
        }
    }
}

void LayoutEngine::removeIntrinsic(LayoutItemState& state) {
    for (auto& id : state.intrinsic) {
        if (id) {
            solver_.removeConstraint(*id);
            id.reset();
            noteChange();
        }
    }
    state.intrinsicSize = {-1, -1};
}

void LayoutEngine::place(UIView& view, LayoutItemState& state) {
    removePlacement(state);
    noteChange();
    if (!view.translatesAutoresizingMaskIntoConstraints()) {
        constrainedViews_.insert(&view);
        if (auto superview = view.superview()) {
            ensure(*superview);
        }
        if (view.intrinsicContentSizeDependsOnWidth()) {
            widthDependentViews_.insert(&view);
        }
        state.measuredWidth = -1;
        refreshIntrinsic(view, state, view.intrinsicContentSize());
        return;
    }
    constrainedViews_.erase(&view);
    widthDependentViews_.erase(&view);
    removeIntrinsic(state);
    auto superview = view.superview();
    LayoutItemState* parent = superview ? &ensure(*superview) : nullptr;
    state.placedValues = placementValues(view);
    state.placedRelativeToSuperview = parent != nullptr;
    const cassowary::Variable own[4] = {state.left, state.top, state.width, state.height};
    for (int i = 0; i < 4; ++i) {
        Expression expression(own[i], 1, -state.placedValues[i]);
        if (parent != nullptr && i < 2) {
            expression.add(i == 0 ? parent->left : parent->top, -1);
        }
        state.placement[i] = add(expression, Relation::equal, cassowary::Priority::required);
    }
}

void LayoutEngine::placeGuide(UILayoutGuide& guide, LayoutItemState& state) {
    removePlacement(state);
    UIView* owner = guide.owningView();
    if (owner == nullptr || guide.kind() == UILayoutGuide::Kind::custom) {
        return;
    }
    LayoutItemState& parent = ensure(*owner);
    const UIEdgeInsets insets = owner->insetsForGuide(guide);
    state.placedValues = {insets.left, insets.top, -(insets.left + insets.right),
                          -(insets.top + insets.bottom)};
    const cassowary::Variable own[4] = {state.left, state.top, state.width, state.height};
    const cassowary::Variable owners[4] = {parent.left, parent.top, parent.width, parent.height};
    for (int i = 0; i < 4; ++i) {
        Expression expression(own[i], 1, -state.placedValues[i]);
        expression.add(owners[i], -1);
        state.placement[i] = add(expression, Relation::equal, cassowary::Priority::required);
    }
}

void LayoutEngine::updatePlacement(UIView& view, LayoutItemState& state) {
    if (!view.translatesAutoresizingMaskIntoConstraints()) {
        return;
    }
    if (state.placedRelativeToSuperview != (view.superview() != nullptr)) {
        place(view, state);
        return;
    }
    const auto values = placementValues(view);
    for (int i = 0; i < 4; ++i) {
        if (values[i] == state.placedValues[i]) {
            continue;
        }
        state.placedValues[i] = values[i];
        noteChange();
        try {
            if (state.placement[i]) {
                solver_.setConstant(*state.placement[i], -values[i]);
            }
        } catch (const cassowary::UnsatisfiableConstraint&) {
            consoleLog("[LayoutConstraints] A view's frame contradicts required constraints on it; the frame "
                       "was not applied to layout.");
        }
    }
}

void LayoutEngine::refreshIntrinsic(UIView& view, LayoutItemState& state, CGSize size) {
    state.intrinsicSize = size;
    const double values[2] = {size.width, size.height};
    const cassowary::Variable variables[2] = {state.width, state.height};
    for (int axis = 0; axis < 2; ++axis) {
        const auto constraintAxis = static_cast<UILayoutConstraintAxis>(axis);
        const double priorities[2] = {view.contentHuggingPriorityForAxis(constraintAxis),
                                      view.contentCompressionResistancePriorityForAxis(constraintAxis)};
        const Relation relations[2] = {Relation::lessThanOrEqual, Relation::greaterThanOrEqual};
        for (int kind = 0; kind < 2; ++kind) {
            auto& slot = state.intrinsic[axis * 2 + kind];
            if (values[axis] < 0) {
                if (slot) {
                    solver_.removeConstraint(*slot);
                    slot.reset();
                    noteChange();
                }
                continue;
            }
            if (slot) {
                if (solver_.constantOf(*slot) != -values[axis]) {
                    noteChange();
                    try {
                        solver_.setConstant(*slot, -values[axis]);
                    } catch (const cassowary::UnsatisfiableConstraint&) {
                        consoleLog(
                            "[LayoutConstraints] A required content size contradicts other constraints.");
                    }
                }
            } else {
                slot = add(Expression(variables[axis], 1, -values[axis]), relations[kind], priorities[kind]);
            }
        }
    }
}

void LayoutEngine::activate(NSLayoutConstraint& constraint) {
    active_[&constraint] = constraint.shared_from_this();
    pending_.push_back(&constraint);
}

void LayoutEngine::deactivate(NSLayoutConstraint& constraint) {
    auto pending = std::find(pending_.begin(), pending_.end(), &constraint);
    if (pending != pending_.end()) {
        pending_.erase(pending);
    } else {
        uninstall(constraint);
    }
    active_.erase(&constraint);
}

void LayoutEngine::install(NSLayoutConstraint& constraint) {
    auto first = constraint.firstItem();
    auto second = constraint.secondItem();
    if (!first || (constraint.rawSecondItem() != nullptr && !second)) {
        constraint.detachFromEngine();
        return;
    }
    LayoutItemState& firstState = ensure(*first);
    LayoutItemState* secondState = second ? &ensure(*second) : nullptr;
    Expression expression = attributeExpression(firstState, constraint.firstAttribute());
    if (secondState != nullptr) {
        expression.add(attributeExpression(*secondState, constraint.secondAttribute()),
                       -constraint.multiplier());
    }
    expression.constant -= constraint.constant();
    firstState.constraints.push_back(&constraint);
    if (secondState != nullptr && secondState != &firstState) {
        secondState->constraints.push_back(&constraint);
    }
    constraint.solverId = add(expression, toRelation(constraint.relation()), constraint.priority());
}

void LayoutEngine::uninstall(NSLayoutConstraint& constraint) {
    if (constraint.solverId) {
        solver_.removeConstraint(*constraint.solverId);
        constraint.solverId.reset();
        noteChange();
    }
    for (LayoutItem* item : {constraint.rawFirstItem(), constraint.rawSecondItem()}) {
        if (item != nullptr && item->layoutState_) {
            eraseFrom(item->layoutState_->constraints, &constraint);
        }
    }
}

void LayoutEngine::retryBrokenConstraints(LayoutItemState& state) {
    const auto constraints = state.constraints;
    for (NSLayoutConstraint* constraint : constraints) {
        if (!constraint->solverId) {
            uninstall(*constraint);
            install(*constraint);
        }
    }
}

void LayoutEngine::constantChanged(NSLayoutConstraint& constraint) {
    if (std::find(pending_.begin(), pending_.end(), &constraint) != pending_.end()) {
        return;
    }
    if (!constraint.solverId) {
        uninstall(constraint);
        install(constraint);
        return;
    }
    noteChange();
    try {
        solver_.setConstant(*constraint.solverId, -constraint.constant());
    } catch (const cassowary::UnsatisfiableConstraint&) {
        consoleLog("[LayoutConstraints] Unable to simultaneously satisfy constraints; a constant change that "
                   "contradicts required constraints was not applied.");
    }
}

std::optional<cassowary::ConstraintId>
LayoutEngine::addInternalConstraint(const Expression& expression, Relation relation, double priority) {
    return add(expression, relation, priority);
}

void LayoutEngine::removeInternalConstraint(cassowary::ConstraintId id) {
    solver_.removeConstraint(id);
    noteChange();
}

void LayoutEngine::itemWillBeDestroyed(LayoutItem& item) {
    const auto pending = pending_;
    for (NSLayoutConstraint* constraint : pending) {
        if (constraint->rawFirstItem() == &item || constraint->rawSecondItem() == &item) {
            pending_.erase(std::find(pending_.begin(), pending_.end(), constraint));
            constraint->detachFromEngine();
            active_.erase(constraint);
        }
    }
    LayoutItemState* state = item.layoutState_.get();
    if (state == nullptr) {
        return;
    }
    const auto constraints = state->constraints;
    for (NSLayoutConstraint* constraint : constraints) {
        uninstall(*constraint);
        constraint->detachFromEngine();
        active_.erase(constraint);
    }
    removePlacement(*state);
    removeIntrinsic(*state);
    if (auto* view = dynamic_cast<UIView*>(&item)) {
        constrainedViews_.erase(view);
        widthDependentViews_.erase(view);
    }
    item.layoutState_.reset();
}

void LayoutEngine::viewGeometryChanged(UIView& view) {
    if (LayoutItemState* state = view.layoutState()) {
        updatePlacement(view, *state);
    }
}

void LayoutEngine::viewWillLeaveSuperview(UIView& view) {
    if (active_.empty()) {
        return;
    }
    // Constraints between the subtree leaving and the rest of the old tree end here.
    std::unordered_set<LayoutItem*> inside;
    std::vector<UIView*> stack{&view};
    while (!stack.empty()) {
        UIView* current = stack.back();
        stack.pop_back();
        inside.insert(current);
        for (auto* guide :
             {current->safeAreaGuide_.get(), current->marginsGuide_.get(), current->readableGuide_.get()}) {
            if (guide != nullptr) {
                inside.insert(guide);
            }
        }
        for (const auto& guide : current->layoutGuides_) {
            inside.insert(guide.get());
        }
        for (const auto& subview : current->subviews()) {
            stack.push_back(subview.get());
        }
    }
    auto crosses = [&](NSLayoutConstraint* constraint) {
        LayoutItem* first = constraint->rawFirstItem();
        LayoutItem* second = constraint->rawSecondItem();
        return second != nullptr && inside.count(first) != inside.count(second);
    };
    std::vector<std::shared_ptr<NSLayoutConstraint>> leaving;
    for (NSLayoutConstraint* constraint : pending_) {
        if (crosses(constraint)) {
            leaving.push_back(constraint->shared_from_this());
        }
    }
    for (LayoutItem* item : inside) {
        if (item->layoutState_) {
            for (NSLayoutConstraint* constraint : item->layoutState_->constraints) {
                if (crosses(constraint)) {
                    leaving.push_back(constraint->shared_from_this());
                }
            }
        }
    }
    for (const auto& constraint : leaving) {
        constraint->setActive(false);
    }
}

void LayoutEngine::viewDidChangeSuperview(UIView& view) {
    LayoutItemState* state = view.layoutState();
    if (state == nullptr) {
        return;
    }
    if (view.translatesAutoresizingMaskIntoConstraints()) {
        place(view, *state);
    } else if (auto superview = view.superview()) {
        ensure(*superview);
    }
    noteChange();
}

void LayoutEngine::translatesAutoresizingMaskChanged(UIView& view) {
    if (LayoutItemState* state = view.layoutState()) {
        place(view, *state);
        retryBrokenConstraints(*state);
    }
}

void LayoutEngine::intrinsicContentSizeChanged(UIView& view) {
    LayoutItemState* state = view.layoutState();
    if (state == nullptr || view.translatesAutoresizingMaskIntoConstraints()) {
        return;
    }
    if (view.intrinsicContentSizeDependsOnWidth()) {
        // The width the old content was measured at may have come from that content alone
        // (a label nothing else makes wider), so the new content starts from its natural
        // size and is measured again at whatever width the constraints then give it.
        widthDependentViews_.insert(&view);
        state->measuredWidth = -1;
        refreshIntrinsic(view, *state, view.intrinsicContentSize());
    } else {
        widthDependentViews_.erase(&view);
        refreshIntrinsic(view, *state, view.intrinsicContentSize());
    }
}

void LayoutEngine::intrinsicPrioritiesChanged(UIView& view) {
    LayoutItemState* state = view.layoutState();
    if (state == nullptr || view.translatesAutoresizingMaskIntoConstraints()) {
        return;
    }
    const CGSize size = state->intrinsicSize;
    removeIntrinsic(*state);
    refreshIntrinsic(view, *state, size);
}

void LayoutEngine::guideInsetsChanged(UILayoutGuide& guide) {
    LayoutItemState* state = guide.layoutState();
    UIView* owner = guide.owningView();
    if (state == nullptr || owner == nullptr) {
        return;
    }
    const UIEdgeInsets insets = owner->insetsForGuide(guide);
    const std::array<CGFloat, 4> values{insets.left, insets.top, -(insets.left + insets.right),
                                        -(insets.top + insets.bottom)};
    for (int i = 0; i < 4; ++i) {
        if (values[i] == state->placedValues[i] || !state->placement[i]) {
            continue;
        }
        state->placedValues[i] = values[i];
        noteChange();
        try {
            solver_.setConstant(*state->placement[i], -values[i]);
        } catch (const cassowary::UnsatisfiableConstraint&) {
            consoleLog("[LayoutConstraints] A layout guide's insets contradict required constraints.");
        }
    }
}

void LayoutEngine::updateWidthDependentSizes() {
    const std::vector<UIView*> views(widthDependentViews_.begin(), widthDependentViews_.end());
    for (UIView* view : views) {
        LayoutItemState* state = view->layoutState();
        if (state == nullptr) {
            continue;
        }
        const double width = solver_.value(state->width);
        if (state->measuredWidth >= 0 && std::fabs(width - state->measuredWidth) < 0.01) {
            continue;
        }
        state->measuredWidth = width;
        const CGSize size = view->intrinsicContentSizeForWidth(width);
        if (size != state->intrinsicSize) {
            refreshIntrinsic(*view, *state, size);
        }
    }
}

void LayoutEngine::settle() {
    if (!pending_.empty()) {
        const auto pending = std::move(pending_);
        pending_.clear();
        for (NSLayoutConstraint* constraint : pending) {
            if (active_.count(constraint) != 0) {
                install(*constraint);
            }
        }
    }
    // Wrapping texts are measured again only when the solution may have changed widths.
    for (int round = 0; round < 8 && widthsStale_; ++round) {
        widthsStale_ = false;
        updateWidthDependentSizes();
    }
    markMovedViews();
}

void LayoutEngine::markMovedViews() {
    if (!solutionChanged_) {
        return;
    }
    solutionChanged_ = false;
    for (UIView* view : constrainedViews_) {
        auto superview = view->superview();
        if (!superview) {
            continue;
        }
        const CGRect frame = solvedFrame(*view);
        const CGPoint center{frame.origin.x + frame.size.width / 2, frame.origin.y + frame.size.height / 2};
        if (frame.size != view->bounds().size || center != view->center()) {
            superview->setNeedsLayout();
        }
    }
}

std::vector<std::shared_ptr<NSLayoutConstraint>>
LayoutEngine::constraintsNaming(const LayoutItem& item) const {
    std::vector<std::shared_ptr<NSLayoutConstraint>> result;
    if (const LayoutItemState* state = item.layoutState()) {
        for (NSLayoutConstraint* constraint : state->constraints) {
            result.push_back(constraint->shared_from_this());
        }
    }
    for (NSLayoutConstraint* constraint : pending_) {
        if (constraint->rawFirstItem() == &item || constraint->rawSecondItem() == &item) {
            result.push_back(constraint->shared_from_this());
        }
    }
    return result;
}

CGRect LayoutEngine::solvedFrame(UIView& view) {
    const LayoutItemState* state = view.layoutState();
    if (state == nullptr) {
        return view.frame();
    }
    const double scale = UIScreen::mainScreen().scale();
    auto snap = [scale](double value) { return std::round(value * scale) / scale; };
    const double left = solver_.value(state->left);
    const double top = solver_.value(state->top);
    const double right = left + solver_.value(state->width);
    const double bottom = top + solver_.value(state->height);
    double originX = 0;
    double originY = 0;
    if (auto superview = view.superview(); superview && superview->layoutState()) {
        originX = solver_.value(superview->layoutState()->left);
        originY = solver_.value(superview->layoutState()->top);
    }
    const double x = snap(left) - snap(originX);
    const double y = snap(top) - snap(originY);
    return CGRectMake(x, y, std::max(0.0, snap(right) - snap(left)), std::max(0.0, snap(bottom) - snap(top)));
}

CGRect LayoutEngine::solvedFrame(UILayoutGuide& guide) {
    const LayoutItemState* state = guide.layoutState();
    UIView* owner = guide.owningView();
    if (state == nullptr || owner == nullptr) {
        return CGRectZero;
    }
    const LayoutItemState& parent = ensure(*owner);
    return CGRectMake(solver_.value(state->left) - solver_.value(parent.left),
                      solver_.value(state->top) - solver_.value(parent.top), solver_.value(state->width),
                      solver_.value(state->height));
}
