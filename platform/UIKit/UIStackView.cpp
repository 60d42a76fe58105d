#include "platform/UIKit/UIStackView.h"

#include "platform/UIKit/LayoutEngine.h"

#include <algorithm>

using cassowary::Expression;
using cassowary::Relation;

UIStackView::UIStackView(const CGRect& frame) : UIView(frame) {}

std::shared_ptr<UIStackView>
UIStackView::stackWithArrangedSubviews(const std::vector<std::shared_ptr<UIView>>& views) {
    auto stack = std::make_shared<UIStackView>();
    for (const auto& view : views) {
        stack->addArrangedSubview(view);
    }
    return stack;
}

UIStackView::~UIStackView() {
    dropConstraints();
}

void UIStackView::addArrangedSubview(const std::shared_ptr<UIView>& view) {
    insertArrangedSubview(view, arranged_.size());
}

void UIStackView::insertArrangedSubview(const std::shared_ptr<UIView>& view, size_t index) {
    if (!view) {
        return;
    }
    arranged_.erase(std::remove(arranged_.begin(), arranged_.end(), view), arranged_.end());
    arranged_.insert(arranged_.begin() + static_cast<std::ptrdiff_t>(std::min(index, arranged_.size())),
                     view);
    view->setTranslatesAutoresizingMaskIntoConstraints(false);
    if (view->superview().get() != this) {
        addSubview(view);
    }
    arrangementChanged();
}

void UIStackView::removeArrangedSubview(const std::shared_ptr<UIView>& view) {
    auto found = std::find(arranged_.begin(), arranged_.end(), view);
    if (found == arranged_.end()) {
        return;
    }
    arranged_.erase(found);
    arrangementChanged();
}

void UIStackView::willRemoveSubview(UIView& subview) {
    auto found = std::find_if(arranged_.begin(), arranged_.end(),
                              [&](const auto& view) { return view.get() == &subview; });
    if (found != arranged_.end()) {
        arranged_.erase(found);
        // The constraints name the leaving view: they go now, before it leaves the tree.
        dropConstraints();
        arrangementChanged();
    }
}

void UIStackView::subviewHiddenDidChange(UIView& subview) {
    if (std::any_of(arranged_.begin(), arranged_.end(),
                    [&](const auto& view) { return view.get() == &subview; })) {
        arrangementChanged();
    }
}

void UIStackView::setAxis(UILayoutConstraintAxis axis) {
    if (axis_ != axis) {
        axis_ = axis;
        arrangementChanged();
    }
}

void UIStackView::setDistribution(UIStackViewDistribution distribution) {
    if (distribution_ != distribution) {
        distribution_ = distribution;
        arrangementChanged();
    }
}

void UIStackView::setAlignment(UIStackViewAlignment alignment) {
    if (alignment_ != alignment) {
        alignment_ = alignment;
        arrangementChanged();
    }
}

void UIStackView::setSpacing(CGFloat spacing) {
    if (spacing_ != spacing) {
        spacing_ = spacing;
        arrangementChanged();
    }
}

void UIStackView::arrangementChanged() {
    // Rebuilt now rather than at the next layout pass, so that a change made inside an
    // animation block is laid out (and animated) by that block's layoutIfNeeded.
    constraintsStale_ = true;
    rebuildConstraints();
    setNeedsLayout();
}

void UIStackView::layoutSubviews() {
    if (constraintsStale_) {
        rebuildConstraints();
    }
    UIView::layoutSubviews();
}

void UIStackView::dropConstraints() {
    for (cassowary::ConstraintId id : constraints_) {
        LayoutEngine::shared().removeInternalConstraint(id);
    }
    constraints_.clear();
    constraintsStale_ = true;
}

void UIStackView::rebuildConstraints() {
    dropConstraints();
    constraintsStale_ = false;
    std::vector<UIView*> visible;
    for (const auto& view : arranged_) {
        if (!view->isHidden() && view->superview().get() == this) {
            visible.push_back(view.get());
        }
    }
    LayoutEngine& engine = LayoutEngine::shared();
    const bool horizontal = axis_ == UILayoutConstraintAxis::horizontal;
    const NSLayoutAttribute length = horizontal ? NSLayoutAttribute::width : NSLayoutAttribute::height;
    auto add = [&](Expression expression, Relation relation, double priority) {
        if (auto id = engine.addInternalConstraint(expression, relation, priority)) {
            constraints_.push_back(*id);
        }
    };
    if (visible.empty()) {
        // With nothing to show, the stack takes no room along its axis unless told to (a
        // free length could come out at any value, even below zero, and move its neighbours).
        add(engine.expression(*this, length), Relation::equal, UILayoutPriorityFittingSizeLevel);
        return;
    }
    const NSLayoutAttribute leading = horizontal ? NSLayoutAttribute::left : NSLayoutAttribute::top;
    const NSLayoutAttribute trailing = horizontal ? NSLayoutAttribute::right : NSLayoutAttribute::bottom;
    const NSLayoutAttribute crossLeading = horizontal ? NSLayoutAttribute::top : NSLayoutAttribute::left;
    const NSLayoutAttribute crossTrailing = horizontal ? NSLayoutAttribute::bottom : NSLayoutAttribute::right;
    const NSLayoutAttribute crossCenter =
        horizontal ? NSLayoutAttribute::centerY : NSLayoutAttribute::centerX;
    const NSLayoutAttribute crossLength = horizontal ? NSLayoutAttribute::height : NSLayoutAttribute::width;
    constexpr double required = cassowary::Priority::required;

    // a - b + constant (relation) 0
    auto relate = [&](LayoutItem& a, NSLayoutAttribute first, LayoutItem& b, NSLayoutAttribute second,
                      double constant, Relation relation, double priority = required) {
        Expression expression = engine.expression(a, first);
        expression.add(engine.expression(b, second), -1);
        expression.constant += constant;
        add(expression, relation, priority);
    };
    auto gap = [&](UIView& before, UIView& after) {
        Expression expression = engine.expression(after, leading);
        expression.add(engine.expression(before, trailing), -1);
        return expression;
    };

    // Along the axis.
    relate(*visible.front(), leading, *this, leading, 0, Relation::equal);
    relate(*visible.back(), trailing, *this, trailing, 0, Relation::equal);
    for (size_t i = 1; i < visible.size(); ++i) {
        if (distribution_ == UIStackViewDistribution::equalSpacing ||
            distribution_ == UIStackViewDistribution::equalCentering) {
            Expression spaced = gap(*visible[i - 1], *visible[i]);
            spaced.constant -= spacing_;
            add(spaced, Relation::greaterThanOrEqual, required);
            if (i > 1) {
                Expression equal = gap(*visible[i - 1], *visible[i]);
                equal.add(gap(*visible[0], *visible[1]), -1);
                add(equal, Relation::equal, required);
            }
        } else {
            Expression spaced = gap(*visible[i - 1], *visible[i]);
            spaced.constant -= spacing_;
            add(spaced, Relation::equal, required);
        }
        if (distribution_ == UIStackViewDistribution::fillEqually) {
            relate(*visible[i], length, *visible.front(), length, 0, Relation::equal);
        }
    }
    if (distribution_ == UIStackViewDistribution::equalSpacing && visible.size() == 1) {
        relate(*visible.front(), length, *this, length, 0, Relation::equal, UILayoutPriorityDefaultLow);
    }

    // Across the axis.
    for (UIView* view : visible) {
        switch (alignment_) {
        case UIStackViewAlignment::fill:
            relate(*view, crossLeading, *this, crossLeading, 0, Relation::equal);
            relate(*view, crossTrailing, *this, crossTrailing, 0, Relation::equal);
            break;
        case UIStackViewAlignment::leading:
        case UIStackViewAlignment::firstBaseline:
            relate(*view, crossLeading, *this, crossLeading, 0, Relation::equal);
            relate(*view, crossTrailing, *this, crossTrailing, 0, Relation::lessThanOrEqual);
            break;
        case UIStackViewAlignment::trailing:
        case UIStackViewAlignment::lastBaseline:
            relate(*view, crossTrailing, *this, crossTrailing, 0, Relation::equal);
            relate(*view, crossLeading, *this, crossLeading, 0, Relation::greaterThanOrEqual);
            break;
        case UIStackViewAlignment::center:
            relate(*view, crossCenter, *this, crossCenter, 0, Relation::equal);
            relate(*view, crossLeading, *this, crossLeading, 0, Relation::greaterThanOrEqual);
            break;
        }
    }
    if (alignment_ != UIStackViewAlignment::fill) {
        // Without a size from outside, the stack is as thick as its thickest view.
        add(engine.expression(*this, crossLength), Relation::equal, UILayoutPriorityFittingSizeLevel);
    }
}
