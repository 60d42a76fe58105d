#pragma once

#include "platform/CoreGraphics/CGGeometry.h"
#include "platform/SnapKit/Constraint.h"
#include "platform/SnapKit/ConstraintViewDSL.h"
#include "platform/UIKit/NSLayoutConstraint.h"

#include <memory>
#include <vector>

class ConstraintMaker;

// What `make.left.equalTo(...)` returns: the constraint being described, to be finished
// with an offset, inset, multiplier or priority.
class ConstraintMakerEditable {
  public:
    ConstraintMakerEditable& offset(double amount);
    ConstraintMakerEditable& offset(CGPoint amount);
    ConstraintMakerEditable& offset(CGSize amount);
    ConstraintMakerEditable& inset(double amount);
    ConstraintMakerEditable& inset(const UIEdgeInsets& insets);
    ConstraintMakerEditable& multipliedBy(double multiplier);
    ConstraintMakerEditable& dividedBy(double divisor);
    ConstraintMakerEditable& priority(double priority);
    // The constraint as described so far (made on first use; later edits do not reach it).
    std::shared_ptr<Constraint> constraint();

  private:
    friend class ConstraintMaker;
    friend class ConstraintMakerExtendable;
    enum class Target { constant, item, superview };

    LayoutItem* from_ = nullptr;
    ConstraintAttributes attributes_ = 0;
    NSLayoutRelation relation_ = NSLayoutRelation::equal;
    Target target_ = Target::constant;
    ConstraintItem targetItem_;
    double multiplier_ = 1;
    ConstraintConstant constant_ = 0.0;
    double priority_ = ConstraintPriority::required;
    std::shared_ptr<Constraint> made_;
};

// `make.left`, `make.edges`...: one or more attributes of the item being constrained,
// waiting for a relation. More attributes chain on: `make.left.right().equalToSuperview()`.
class ConstraintMakerExtendable {
  public:
    ConstraintMakerExtendable(ConstraintMaker* maker, ConstraintAttributes attributes)
        : maker_(maker), attributes_(attributes) {}

    ConstraintMakerExtendable left() const { return with(ConstraintAttribute::left); }
    ConstraintMakerExtendable top() const { return with(ConstraintAttribute::top); }
    ConstraintMakerExtendable right() const { return with(ConstraintAttribute::right); }
    ConstraintMakerExtendable bottom() const { return with(ConstraintAttribute::bottom); }
    ConstraintMakerExtendable leading() const { return with(ConstraintAttribute::leading); }
    ConstraintMakerExtendable trailing() const { return with(ConstraintAttribute::trailing); }
    ConstraintMakerExtendable width() const { return with(ConstraintAttribute::width); }
    ConstraintMakerExtendable height() const { return with(ConstraintAttribute::height); }
    ConstraintMakerExtendable centerX() const { return with(ConstraintAttribute::centerX); }
    ConstraintMakerExtendable centerY() const { return with(ConstraintAttribute::centerY); }

    // Targets: a number (a size for width and height, else an offset from the superview's
    // same attribute), a size, a point, insets, a view or guide (its same attributes) or
    // an attribute of one (`other->snp.bottom`).
    ConstraintMakerEditable& equalTo(double constant) const;
    ConstraintMakerEditable& equalTo(CGSize size) const;
    ConstraintMakerEditable& equalTo(CGPoint point) const;
    ConstraintMakerEditable& equalTo(const std::shared_ptr<LayoutItem>& item) const;
    ConstraintMakerEditable& equalTo(const ConstraintItem& item) const;
    ConstraintMakerEditable& equalToSuperview() const;
    ConstraintMakerEditable& lessThanOrEqualTo(double constant) const;
    ConstraintMakerEditable& lessThanOrEqualTo(const std::shared_ptr<LayoutItem>& item) const;
    ConstraintMakerEditable& lessThanOrEqualTo(const ConstraintItem& item) const;
    ConstraintMakerEditable& lessThanOrEqualToSuperview() const;
    ConstraintMakerEditable& greaterThanOrEqualTo(double constant) const;
    ConstraintMakerEditable& greaterThanOrEqualTo(const std::shared_ptr<LayoutItem>& item) const;
    ConstraintMakerEditable& greaterThanOrEqualTo(const ConstraintItem& item) const;
    ConstraintMakerEditable& greaterThanOrEqualToSuperview() const;

  private:
    ConstraintMakerExtendable with(ConstraintAttributes more) const { return {maker_, attributes_ | more}; }
    ConstraintMaker* maker_;
    ConstraintAttributes attributes_;
};

// The `make` of a maker closure: collects the described constraints of one item.
class ConstraintMaker {
  public:
    explicit ConstraintMaker(LayoutItem* item)
        : left(this, ConstraintAttribute::left), top(this, ConstraintAttribute::top),
          right(this, ConstraintAttribute::right), bottom(this, ConstraintAttribute::bottom),
          leading(this, ConstraintAttribute::leading), trailing(this, ConstraintAttribute::trailing),
          width(this, ConstraintAttribute::width), height(this, ConstraintAttribute::height),
          centerX(this, ConstraintAttribute::centerX), centerY(this, ConstraintAttribute::centerY),
          edges(this, ConstraintAttribute::edges), size(this, ConstraintAttribute::size),
          center(this, ConstraintAttribute::center),
          horizontalEdges(this, ConstraintAttribute::horizontalEdges),
          verticalEdges(this, ConstraintAttribute::verticalEdges),
          directionalEdges(this, ConstraintAttribute::directionalEdges), item_(item) {}
    ConstraintMaker(const ConstraintMaker&) = delete;
    ConstraintMaker& operator=(const ConstraintMaker&) = delete;

    const ConstraintMakerExtendable left, top, right, bottom, leading, trailing, width, height, centerX,
        centerY;
    const ConstraintMakerExtendable edges, size, center, horizontalEdges, verticalEdges, directionalEdges;

    // Builds the described constraints (not yet active).
    std::vector<std::shared_ptr<Constraint>> makeConstraints();

  private:
    friend class ConstraintMakerExtendable;
    ConstraintMakerEditable& describe(ConstraintAttributes attributes, NSLayoutRelation relation);

    LayoutItem* item_;
    std::vector<std::unique_ptr<ConstraintMakerEditable>> descriptions_;
};
