#pragma once

#include "platform/CoreGraphics/CGGeometry.h"
#include "platform/SnapKit/ConstraintAttributes.h"

#include <memory>
#include <variant>
#include <vector>

class NSLayoutConstraint;

// The constant a maker gives: one number for every attribute, a point (x for horizontal
// attributes, y for vertical ones), a size (width, height) or insets (edges inwards).
using ConstraintConstant = std::variant<double, CGPoint, CGSize, UIEdgeInsets>;

// The constant `constant` gives the one attribute `attribute`.
double constantForAttribute(const ConstraintConstant& constant, ConstraintAttributes attribute);

// Priorities by name.
struct ConstraintPriority {
    static constexpr double required = 1000;
    static constexpr double high = 750;
    static constexpr double medium = 500;
    static constexpr double low = 250;
};

// One described constraint of a maker, such as `make.edges.equalToSuperview().inset(8)`:
// a layout constraint for each attribute it names. Kept by the view that made it.
class Constraint {
  public:
    struct Part {
        std::shared_ptr<NSLayoutConstraint> layoutConstraint;
        ConstraintAttributes attribute;
    };

    Constraint(std::vector<Part> parts, ConstraintConstant constant);

    void activate();
    void deactivate();
    bool isActive() const;
    // New constants for the layout constraints this one made.
    void updateOffset(double offset);
    void updateInset(double inset);
    void updateInsets(const UIEdgeInsets& insets);
    void updatePriority(double priority);

    const std::vector<Part>& parts() const { return parts_; }
    // Whether `other` names the same attributes, relation, target, multiplier and priority
    // (the constant may differ): updateConstraints changes one into the other.
    bool matches(const Constraint& other) const;
    // Takes the constants of `other` (which matches this one).
    void takeConstants(const Constraint& other);

  private:
    void apply(const ConstraintConstant& constant);

    std::vector<Part> parts_;
    ConstraintConstant constant_;
};
