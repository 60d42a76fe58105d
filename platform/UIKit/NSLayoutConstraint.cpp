#include "platform/UIKit/NSLayoutConstraint.h"

#include "platform/UIKit/LayoutEngine.h"

std::shared_ptr<NSLayoutConstraint>
NSLayoutConstraint::constraintWithItem(const std::shared_ptr<LayoutItem>& item, NSLayoutAttribute attribute,
                                       NSLayoutRelation relation, const std::shared_ptr<LayoutItem>& toItem,
                                       NSLayoutAttribute toAttribute, CGFloat multiplier, CGFloat constant) {
    return std::make_shared<NSLayoutConstraint>(item, attribute, relation, toItem, toAttribute, multiplier,
                                                constant);
}

NSLayoutConstraint::NSLayoutConstraint(const std::shared_ptr<LayoutItem>& item, NSLayoutAttribute attribute,
                                       NSLayoutRelation relation, const std::shared_ptr<LayoutItem>& toItem,
                                       NSLayoutAttribute toAttribute, CGFloat multiplier, CGFloat constant)
    : first_(item), second_(toItem), firstRaw_(item.get()), secondRaw_(toItem.get()),
      firstAttribute_(attribute), relation_(relation),
      secondAttribute_(toItem ? toAttribute : NSLayoutAttribute::notAnAttribute), multiplier_(multiplier),
      constant_(constant) {}

NSLayoutConstraint::~NSLayoutConstraint() = default;

void NSLayoutConstraint::activateConstraints(
    const std::vector<std::shared_ptr<NSLayoutConstraint>>& constraints) {
    for (const auto& constraint : constraints) {
        constraint->setActive(true);
    }
}

void NSLayoutConstraint::deactivateConstraints(
    const std::vector<std::shared_ptr<NSLayoutConstraint>>& constraints) {
    for (const auto& constraint : constraints) {
        constraint->setActive(false);
    }
}

void NSLayoutConstraint::setConstant(CGFloat constant) {
    if (constant_ == constant) {
        return;
    }
    constant_ = constant;
    if (active_) {
        LayoutEngine::shared().constantChanged(*this);
    }
}

void NSLayoutConstraint::setPriority(UILayoutPriority priority) {
    if (priority_ == priority) {
        return;
    }
    if (!active_) {
        priority_ = priority;
        return;
    }
    auto self = shared_from_this();
    LayoutEngine::shared().deactivate(*this);
    priority_ = priority;
    LayoutEngine::shared().activate(*this);
}

void NSLayoutConstraint::setActive(bool active) {
    if (active_ == active) {
        return;
    }
    if (active) {
        if (!first_.lock() || (secondRaw_ != nullptr && !second_.lock())) {
            return;
        }
        active_ = true;
        LayoutEngine::shared().activate(*this);
    } else {
        // The engine holds active constraints; keep this one alive while it lets go.
        auto self = shared_from_this();
        active_ = false;
        LayoutEngine::shared().deactivate(*this);
    }
}

void NSLayoutConstraint::detachFromEngine() {
    active_ = false;
    solverId.reset();
}

std::shared_ptr<NSLayoutConstraint> NSLayoutAnchor::make(NSLayoutRelation relation,
                                                         const NSLayoutAnchor* anchor, CGFloat multiplier,
                                                         CGFloat constant) const {
    return NSLayoutConstraint::constraintWithItem(
        item_.lock(), attribute_, relation, anchor != nullptr ? anchor->item_.lock() : nullptr,
        anchor != nullptr ? anchor->attribute_ : NSLayoutAttribute::notAnAttribute, multiplier, constant);
}

std::shared_ptr<NSLayoutConstraint> NSLayoutAnchor::constraintEqualToAnchor(const NSLayoutAnchor& anchor,
                                                                            CGFloat constant) const {
    return make(NSLayoutRelation::equal, &anchor, 1, constant);
}

std::shared_ptr<NSLayoutConstraint>
NSLayoutAnchor::constraintLessThanOrEqualToAnchor(const NSLayoutAnchor& anchor, CGFloat constant) const {
    return make(NSLayoutRelation::lessThanOrEqual, &anchor, 1, constant);
}

std::shared_ptr<NSLayoutConstraint>
NSLayoutAnchor::constraintGreaterThanOrEqualToAnchor(const NSLayoutAnchor& anchor, CGFloat constant) const {
    return make(NSLayoutRelation::greaterThanOrEqual, &anchor, 1, constant);
}

std::shared_ptr<NSLayoutConstraint> NSLayoutAnchor::constraintEqualToConstant(CGFloat constant) const {
    return make(NSLayoutRelation::equal, nullptr, 1, constant);
}

std::shared_ptr<NSLayoutConstraint> NSLayoutAnchor::constraintEqualToAnchor(const NSLayoutAnchor& anchor,
                                                                            CGFloat multiplier,
                                                                            CGFloat constant) const {
    return make(NSLayoutRelation::equal, &anchor, multiplier, constant);
}
