#include "platform/SnapKit/ConstraintViewDSL.h"

#include "platform/SnapKit/ConstraintMaker.h"
#include "platform/UIKit/UIView.h"

namespace {

std::vector<std::shared_ptr<Constraint>> describe(LayoutItem* item,
                                                  const ConstraintViewDSL::Closure& closure) {
    ConstraintMaker maker(item);
    if (closure) {
        closure(maker);
    }
    if (auto* view = dynamic_cast<UIView*>(item)) {
        view->setTranslatesAutoresizingMaskIntoConstraints(false);
    }
    return maker.makeConstraints();
}

} // namespace

void ConstraintViewDSL::makeConstraints(const Closure& closure) {
    for (const auto& constraint : describe(item_, closure)) {
        constraint->activate();
        constraints_.push_back(constraint);
    }
}

void ConstraintViewDSL::updateConstraints(const Closure& closure) {
    for (const auto& constraint : describe(item_, closure)) {
        bool updated = false;
        for (const auto& existing : constraints_) {
            if (existing->matches(*constraint)) {
                existing->takeConstants(*constraint);
                updated = true;
                break;
            }
        }
        if (!updated) {
            constraint->activate();
            constraints_.push_back(constraint);
        }
    }
}

void ConstraintViewDSL::remakeConstraints(const Closure& closure) {
    removeConstraints();
    makeConstraints(closure);
}

void ConstraintViewDSL::removeConstraints() {
    for (const auto& constraint : constraints_) {
        constraint->deactivate();
    }
    constraints_.clear();
}
