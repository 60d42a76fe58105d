#pragma once

#include "platform/CoreGraphics/CGGeometry.h"
#include "platform/SnapKit/CassowarySolver.h"
#include "platform/UIKit/LayoutItem.h"

#include <memory>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class NSLayoutConstraint;
class UILayoutGuide;
class UIView;
struct LayoutItemState;

// The one constraint solver of the main thread's views. Items get variables when a
// constraint first names them; frame-based views named by constraints are pinned to their
// frames, views laid out by constraints get their intrinsic sizes as preferences. Changes
// are applied to the solver incrementally; layout passes read the solution.
class LayoutEngine {
  public:
    static LayoutEngine& shared();

    // Constraints. Activation takes effect at the next settle(), so that a constraint may
    // be activated before its views stop translating their frames.
    void activate(NSLayoutConstraint& constraint);
    void deactivate(NSLayoutConstraint& constraint);
    void constantChanged(NSLayoutConstraint& constraint);

    // Constraints over expressions of several items' variables (stack views).
    cassowary::Expression expression(LayoutItem& item, NSLayoutAttribute attribute);
    std::optional<cassowary::ConstraintId> addInternalConstraint(const cassowary::Expression& expression,
                                                                 cassowary::Relation relation,
                                                                 double priority);
    void removeInternalConstraint(cassowary::ConstraintId id);

    // Notifications from views and guides.
    void itemWillBeDestroyed(LayoutItem& item);
    void viewGeometryChanged(UIView& view);
    void viewWillLeaveSuperview(UIView& view);
    void viewDidChangeSuperview(UIView& view);
    void translatesAutoresizingMaskChanged(UIView& view);
    void intrinsicContentSizeChanged(UIView& view);
    void intrinsicPrioritiesChanged(UIView& view);
    void guideInsetsChanged(UILayoutGuide& guide);

    // Installs pending constraints, brings width-dependent intrinsic sizes up to date and
    // asks the superviews of views the solution moved to lay out again.
    void settle();
    // The solved frame of a view laid out by constraints, in its superview's coordinates,
    // with its edges on the screen's pixel grid.
    CGRect solvedFrame(UIView& view);
    // A guide's solved rectangle in its owning view's coordinates.
    CGRect solvedFrame(UILayoutGuide& guide);
    bool isRegistered(const LayoutItem& item) const { return item.layoutState() != nullptr; }
    // The active constraints that name `item`, installed or waiting for the next settle().
    std::vector<std::shared_ptr<NSLayoutConstraint>> constraintsNaming(const LayoutItem& item) const;

    cassowary::Solver& solver() { return solver_; }

  private:
    LayoutEngine() = default;

    LayoutItemState& ensure(LayoutItem& item);
    void place(UIView& view, LayoutItemState& state);
    void placeGuide(UILayoutGuide& guide, LayoutItemState& state);
    void removePlacement(LayoutItemState& state);
    void updatePlacement(UIView& view, LayoutItemState& state);
    void refreshIntrinsic(UIView& view, LayoutItemState& state, CGSize size);
    void removeIntrinsic(LayoutItemState& state);
    void install(NSLayoutConstraint& constraint);
    void retryBrokenConstraints(LayoutItemState& state);
    void uninstall(NSLayoutConstraint& constraint);
    void updateWidthDependentSizes();
    void noteChange();
    void markMovedViews();
    std::optional<cassowary::ConstraintId> add(const cassowary::Expression& expression,
                                               cassowary::Relation relation, double priority);

    cassowary::Solver solver_;
    std::unordered_map<NSLayoutConstraint*, std::shared_ptr<NSLayoutConstraint>> active_;
    std::vector<NSLayoutConstraint*> pending_;
    std::unordered_set<UIView*> constrainedViews_;
    std::unordered_set<UIView*> widthDependentViews_;
    bool solutionChanged_ = false;
    bool widthsStale_ = false;
};
