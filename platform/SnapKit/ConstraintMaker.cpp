#include "platform/SnapKit/ConstraintMaker.h"

#include "platform/Foundation/Log.h"
#include "platform/UIKit/LayoutItem.h"
#include "platform/UIKit/UIView.h"

namespace {

constexpr ConstraintAttributes kOrderedAttributes[] = {
    ConstraintAttribute::top,     ConstraintAttribute::left,    ConstraintAttribute::bottom,
    ConstraintAttribute::right,   ConstraintAttribute::leading, ConstraintAttribute::trailing,
    ConstraintAttribute::width,   ConstraintAttribute::height,  ConstraintAttribute::centerX,
    ConstraintAttribute::centerY,
};

NSLayoutAttribute layoutAttribute(ConstraintAttributes attribute) {
    using namespace ConstraintAttribute;
    switch (attribute) {
    case left:
        return NSLayoutAttribute::left;
    case top:
        return NSLayoutAttribute::top;
    case right:
        return NSLayoutAttribute::right;
    case bottom:
        return NSLayoutAttribute::bottom;
    case leading:
        return NSLayoutAttribute::leading;
    case trailing:
        return NSLayoutAttribute::trailing;
    case width:
        return NSLayoutAttribute::width;
    case height:
        return NSLayoutAttribute::height;
    case centerX:
        return NSLayoutAttribute::centerX;
    case centerY:
        return NSLayoutAttribute::centerY;
    default:
        return NSLayoutAttribute::notAnAttribute;
    }
}

bool isSingle(ConstraintAttributes attributes) {
    return attributes != 0 && (attributes & (attributes - 1)) == 0;
}

// A view's superview, a guide's owning view.
std::shared_ptr<LayoutItem> superItemOf(LayoutItem& item) {
    if (auto* view = dynamic_cast<UIView*>(&item)) {
        auto superview = view->superview();
        return superview ? superview->sharedLayoutItem() : nullptr;
    }
    UIView* owner = item.owningView();
    return owner != nullptr ? owner->sharedLayoutItem() : nullptr;
}

} // namespace

// ---- Editable ------------------------------------------------------------------------

ConstraintMakerEditable& ConstraintMakerEditable::offset(double amount) {
    constant_ = amount;
    return *this;
}

ConstraintMakerEditable& ConstraintMakerEditable::offset(CGPoint amount) {
    constant_ = amount;
    return *this;
}

ConstraintMakerEditable& ConstraintMakerEditable::offset(CGSize amount) {
    constant_ = amount;
    return *this;
}

ConstraintMakerEditable& ConstraintMakerEditable::inset(double amount) {
    constant_ = UIEdgeInsets{amount, amount, amount, amount};
    return *this;
}

ConstraintMakerEditable& ConstraintMakerEditable::inset(const UIEdgeInsets& insets) {
    constant_ = insets;
    return *this;
}

ConstraintMakerEditable& ConstraintMakerEditable::multipliedBy(double multiplier) {
    multiplier_ = multiplier;
    return *this;
}

ConstraintMakerEditable& ConstraintMakerEditable::dividedBy(double divisor) {
    multiplier_ = divisor != 0 ? 1 / divisor : multiplier_;
    return *this;
}

ConstraintMakerEditable& ConstraintMakerEditable::priority(double priority) {
    priority_ = priority;
    return *this;
}

std::shared_ptr<Constraint> ConstraintMakerEditable::constraint() {
    if (made_) {
        return made_;
    }
    auto from = from_->sharedLayoutItem();
    auto superItem = superItemOf(*from_);
    std::vector<Constraint::Part> parts;
    for (ConstraintAttributes attribute : kOrderedAttributes) {
        if ((attributes_ & attribute) == 0) {
            continue;
        }
        const bool dimension =
            attribute == ConstraintAttribute::width || attribute == ConstraintAttribute::height;
        std::shared_ptr<LayoutItem> to;
        NSLayoutAttribute toAttribute = layoutAttribute(attribute);
        double multiplier = multiplier_;
        switch (target_) {
        case Target::constant:
            if (dimension) {
                toAttribute = NSLayoutAttribute::notAnAttribute;
                multiplier = 1;
            } else {
                to = superItem;
            }
            break;
        case Target::superview:
            to = superItem;
            break;
        case Target::item:
            to = targetItem_.item != nullptr ? targetItem_.item->sharedLayoutItem() : nullptr;
            if (isSingle(targetItem_.attributes)) {
                toAttribute = layoutAttribute(targetItem_.attributes);
            }
            break;
        }
        if (!to && toAttribute != NSLayoutAttribute::notAnAttribute) {
            consoleLog(
                "[SnapKit] A constraint names the superview of a view that has none; it was not made.");
            return nullptr;
        }
        auto layoutConstraint = NSLayoutConstraint::constraintWithItem(
            from, layoutAttribute(attribute), relation_, to, toAttribute, multiplier,
            constantForAttribute(constant_, attribute));
        layoutConstraint->setPriority(static_cast<UILayoutPriority>(priority_));
        parts.push_back({layoutConstraint, attribute});
    }
    made_ = std::make_shared<Constraint>(std::move(parts), constant_);
    return made_;
}

// ---- Extendable ----------------------------------------------------------------------

ConstraintMakerEditable& ConstraintMakerExtendable::equalTo(double constant) const {
    auto& described = maker_->describe(attributes_, NSLayoutRelation::equal);
    described.constant_ = constant;
    return described;
}

ConstraintMakerEditable& ConstraintMakerExtendable::equalTo(CGSize size) const {
    auto& described = maker_->describe(attributes_, NSLayoutRelation::equal);
    described.constant_ = size;
    return described;
}

ConstraintMakerEditable& ConstraintMakerExtendable::equalTo(CGPoint point) const {
    auto& described = maker_->describe(attributes_, NSLayoutRelation::equal);
    described.constant_ = point;
    return described;
}

ConstraintMakerEditable& ConstraintMakerExtendable::equalTo(const std::shared_ptr<LayoutItem>& item) const {
    return equalTo(ConstraintItem{item.get(), ConstraintAttribute::none});
}

ConstraintMakerEditable& ConstraintMakerExtendable::equalTo(const ConstraintItem& item) const {
    auto& described = maker_->describe(attributes_, NSLayoutRelation::equal);
    described.target_ = ConstraintMakerEditable::Target::item;
    described.targetItem_ = item;
    return described;
}

ConstraintMakerEditable& ConstraintMakerExtendable::equalToSuperview() const {
    auto& described = maker_->describe(attributes_, NSLayoutRelation::equal);
    described.target_ = ConstraintMakerEditable::Target::superview;
    return described;
}

ConstraintMakerEditable& ConstraintMakerExtendable::lessThanOrEqualTo(double constant) const {
    auto& described = maker_->describe(attributes_, NSLayoutRelation::lessThanOrEqual);
    described.constant_ = constant;
    return described;
}

ConstraintMakerEditable&
ConstraintMakerExtendable::lessThanOrEqualTo(const std::shared_ptr<LayoutItem>& item) const {
    return lessThanOrEqualTo(ConstraintItem{item.get(), ConstraintAttribute::none});
}

ConstraintMakerEditable& ConstraintMakerExtendable::lessThanOrEqualTo(const ConstraintItem& item) const {
    auto& described = maker_->describe(attributes_, NSLayoutRelation::lessThanOrEqual);
    described.target_ = ConstraintMakerEditable::Target::item;
    described.targetItem_ = item;
    return described;
}

ConstraintMakerEditable& ConstraintMakerExtendable::lessThanOrEqualToSuperview() const {
    auto& described = maker_->describe(attributes_, NSLayoutRelation::lessThanOrEqual);
    described.target_ = ConstraintMakerEditable::Target::superview;
    return described;
}

ConstraintMakerEditable& ConstraintMakerExtendable::greaterThanOrEqualTo(double constant) const {
    auto& described = maker_->describe(attributes_, NSLayoutRelation::greaterThanOrEqual);
    described.constant_ = constant;
    return described;
}

ConstraintMakerEditable&
ConstraintMakerExtendable::greaterThanOrEqualTo(const std::shared_ptr<LayoutItem>& item) const {
    return greaterThanOrEqualTo(ConstraintItem{item.get(), ConstraintAttribute::none});
}

ConstraintMakerEditable& ConstraintMakerExtendable::greaterThanOrEqualTo(const ConstraintItem& item) const {
    auto& described = maker_->describe(attributes_, NSLayoutRelation::greaterThanOrEqual);
    described.target_ = ConstraintMakerEditable::Target::item;
    described.targetItem_ = item;
    return described;
}

ConstraintMakerEditable& ConstraintMakerExtendable::greaterThanOrEqualToSuperview() const {
    auto& described = maker_->describe(attributes_, NSLayoutRelation::greaterThanOrEqual);
    described.target_ = ConstraintMakerEditable::Target::superview;
    return described;
}

// ---- Maker ---------------------------------------------------------------------------

ConstraintMakerEditable& ConstraintMaker::describe(ConstraintAttributes attributes,
                                                   NSLayoutRelation relation) {
    auto described = std::make_unique<ConstraintMakerEditable>();
    described->from_ = item_;
    described->attributes_ = attributes;
    described->relation_ = relation;
    descriptions_.push_back(std::move(described));
    return *descriptions_.back();
}

std::vector<std::shared_ptr<Constraint>> ConstraintMaker::makeConstraints() {
    std::vector<std::shared_ptr<Constraint>> made;
    for (const auto& described : descriptions_) {
        if (auto constraint = described->constraint()) {
            made.push_back(constraint);
        }
    }
    return made;
}
