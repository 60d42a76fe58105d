#include "platform/SnapKit/Constraint.h"

#include "platform/UIKit/NSLayoutConstraint.h"

namespace {

bool isHorizontal(ConstraintAttributes attribute) {
    using namespace ConstraintAttribute;
    return (attribute & (left | right | leading | trailing | width | centerX)) != 0;
}

} // namespace

double constantForAttribute(const ConstraintConstant& constant, ConstraintAttributes attribute) {
    using namespace ConstraintAttribute;
    if (const double* value = std::get_if<double>(&constant)) {
        return *value;
    }
    if (const CGPoint* point = std::get_if<CGPoint>(&constant)) {
        return isHorizontal(attribute) ? point->x : point->y;
    }
    if (const CGSize* size = std::get_if<CGSize>(&constant)) {
        return attribute == width ? size->width : attribute == height ? size->height : 0;
    }
    const UIEdgeInsets& insets = std::get<UIEdgeInsets>(constant);
    switch (attribute) {
    case left:
    case leading:
        return insets.left;
    case top:
        return insets.top;
    case right:
    case trailing:
        return -insets.right;
    case bottom:
        return -insets.bottom;
    case width:
        return -(insets.left + insets.right);
    case height:
        return -(insets.top + insets.bottom);
    case centerX:
        return (insets.left - insets.right) / 2;
    case centerY:
        return (insets.top - insets.bottom) / 2;
    default:
        return 0;
    }
}

Constraint::Constraint(std::vector<Part> parts, ConstraintConstant constant)
    : parts_(std::move(parts)), constant_(constant) {}

void Constraint::activate() {
    for (const Part& part : parts_) {
        part.layoutConstraint->setActive(true);
    }
}

void Constraint::deactivate() {
    for (const Part& part : parts_) {
        part.layoutConstraint->setActive(false);
    }
}

bool Constraint::isActive() const {
    return !parts_.empty() && parts_.front().layoutConstraint->isActive();
}

void Constraint::apply(const ConstraintConstant& constant) {
    constant_ = constant;
    for (const Part& part : parts_) {
        part.layoutConstraint->setConstant(constantForAttribute(constant, part.attribute));
    }
}

void Constraint::updateOffset(double offset) {
    apply(offset);
}

void Constraint::updateInset(double inset) {
    apply(UIEdgeInsets{inset, inset, inset, inset});
}

void Constraint::updateInsets(const UIEdgeInsets& insets) {
    apply(insets);
}

void Constraint::updatePriority(double priority) {
    for (const Part& part : parts_) {
        part.layoutConstraint->setPriority(static_cast<UILayoutPriority>(priority));
    }
}

bool Constraint::matches(const Constraint& other) const {
    if (parts_.size() != other.parts_.size()) {
        return false;
    }
    for (size_t i = 0; i < parts_.size(); ++i) {
        const NSLayoutConstraint& a = *parts_[i].layoutConstraint;
        const NSLayoutConstraint& b = *other.parts_[i].layoutConstraint;
        if (a.rawFirstItem() != b.rawFirstItem() || a.firstAttribute() != b.firstAttribute() ||
            a.relation() != b.relation() || a.rawSecondItem() != b.rawSecondItem() ||
            a.secondAttribute() != b.secondAttribute() || a.multiplier() != b.multiplier() ||
            a.priority() != b.priority()) {
            return false;
        }
    }
    return true;
}

void Constraint::takeConstants(const Constraint& other) {
    apply(other.constant_);
}
