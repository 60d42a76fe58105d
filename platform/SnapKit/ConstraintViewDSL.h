#pragma once

#include "platform/SnapKit/ConstraintAttributes.h"

#include <functional>
#include <memory>
#include <vector>

class Constraint;
class ConstraintMaker;
class LayoutItem;

// An attribute (or set of attributes) of a view or guide, as the target of a constraint:
// `make.top.equalTo(other->snp.bottom)`.
struct ConstraintItem {
    LayoutItem* item = nullptr;
    ConstraintAttributes attributes = ConstraintAttribute::none;
};

// The `snp` member of views and layout guides: their attributes as targets, and the
// constraint makers. Constraints made here are remembered, so that they can be updated,
// remade or removed later.
class ConstraintViewDSL {
  public:
    explicit ConstraintViewDSL(LayoutItem* item)
        : left{item, ConstraintAttribute::left}, top{item, ConstraintAttribute::top},
          right{item, ConstraintAttribute::right}, bottom{item, ConstraintAttribute::bottom},
          leading{item, ConstraintAttribute::leading}, trailing{item, ConstraintAttribute::trailing},
          width{item, ConstraintAttribute::width}, height{item, ConstraintAttribute::height},
          centerX{item, ConstraintAttribute::centerX}, centerY{item, ConstraintAttribute::centerY},
          edges{item, ConstraintAttribute::edges}, size{item, ConstraintAttribute::size},
          center{item, ConstraintAttribute::center}, horizontalEdges{item,
                                                                     ConstraintAttribute::horizontalEdges},
          verticalEdges{item, ConstraintAttribute::verticalEdges}, item_(item) {}
    ConstraintViewDSL(const ConstraintViewDSL&) = delete;
    ConstraintViewDSL& operator=(const ConstraintViewDSL&) = delete;

    const ConstraintItem left, top, right, bottom, leading, trailing, width, height, centerX, centerY;
    const ConstraintItem edges, size, center, horizontalEdges, verticalEdges;

    using Closure = std::function<void(ConstraintMaker&)>;
    // Makes and activates the constraints the closure describes (views stop translating
    // their frames into constraints).
    void makeConstraints(const Closure& closure);
    // Changes the constants of constraints made before that match a described one (same
    // attributes, relation, target, multiplier and priority); makes the others.
    void updateConstraints(const Closure& closure);
    // Removes every constraint made here before, then makes the described ones.
    void remakeConstraints(const Closure& closure);
    void removeConstraints();

    const std::vector<std::shared_ptr<Constraint>>& constraints() const { return constraints_; }

  private:
    LayoutItem* item_;
    std::vector<std::shared_ptr<Constraint>> constraints_;
};
