#pragma once

#include "platform/CoreGraphics/CGGeometry.h"
#include "platform/SnapKit/CassowaryTypes.h"
#include "platform/UIKit/LayoutItem.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

enum class NSLayoutRelation { lessThanOrEqual = -1, equal = 0, greaterThanOrEqual = 1 };

using UILayoutPriority = float;
inline constexpr UILayoutPriority UILayoutPriorityRequired = 1000;
inline constexpr UILayoutPriority UILayoutPriorityDefaultHigh = 750;
inline constexpr UILayoutPriority UILayoutPriorityDefaultLow = 250;
inline constexpr UILayoutPriority UILayoutPriorityFittingSizeLevel = 50;

// firstItem.firstAttribute (relation) multiplier * secondItem.secondAttribute + constant,
// met exactly when required (priority 1000), otherwise as nearly as the priorities allow.
// Items are held weakly; an active constraint is kept by the layout engine until it is
// deactivated or one of its items goes away.
class NSLayoutConstraint : public std::enable_shared_from_this<NSLayoutConstraint> {
  public:
    static std::shared_ptr<NSLayoutConstraint>
    constraintWithItem(const std::shared_ptr<LayoutItem>& item, NSLayoutAttribute attribute,
                       NSLayoutRelation relation, const std::shared_ptr<LayoutItem>& toItem,
                       NSLayoutAttribute toAttribute, CGFloat multiplier, CGFloat constant);
    static void activateConstraints(const std::vector<std::shared_ptr<NSLayoutConstraint>>& constraints);
    static void deactivateConstraints(const std::vector<std::shared_ptr<NSLayoutConstraint>>& constraints);

    NSLayoutConstraint(const std::shared_ptr<LayoutItem>& item, NSLayoutAttribute attribute,
                       NSLayoutRelation relation, const std::shared_ptr<LayoutItem>& toItem,
                       NSLayoutAttribute toAttribute, CGFloat multiplier, CGFloat constant);
    ~NSLayoutConstraint();

    std::shared_ptr<LayoutItem> firstItem() const { return first_.lock(); }
    NSLayoutAttribute firstAttribute() const { return firstAttribute_; }
    NSLayoutRelation relation() const { return relation_; }
    std::shared_ptr<LayoutItem> secondItem() const { return second_.lock(); }
    NSLayoutAttribute secondAttribute() const { return secondAttribute_; }
    CGFloat multiplier() const { return multiplier_; }
    CGFloat constant() const { return constant_; }
    void setConstant(CGFloat constant);
    UILayoutPriority priority() const { return priority_; }
    void setPriority(UILayoutPriority priority);
    bool isActive() const { return active_; }
    void setActive(bool active);

    std::string identifier;

    // For the layout engine: the raw items and the solver's handle while installed.
    LayoutItem* rawFirstItem() const { return firstRaw_; }
    LayoutItem* rawSecondItem() const { return secondRaw_; }
    std::optional<cassowary::ConstraintId> solverId;
    // Marks the constraint inactive without telling the engine (its items are going away).
    void detachFromEngine();

  private:
    std::weak_ptr<LayoutItem> first_;
    std::weak_ptr<LayoutItem> second_;
    LayoutItem* firstRaw_;
    LayoutItem* secondRaw_;
    NSLayoutAttribute firstAttribute_;
    NSLayoutRelation relation_;
    NSLayoutAttribute secondAttribute_;
    CGFloat multiplier_;
    CGFloat constant_;
    UILayoutPriority priority_ = UILayoutPriorityRequired;
    bool active_ = false;
};

// The anchors of views and guides: a shorter way to make constraints between two
// attributes of the same axis.
class NSLayoutAnchor {
  public:
    NSLayoutAnchor(std::weak_ptr<LayoutItem> item, NSLayoutAttribute attribute)
        : item_(std::move(item)), attribute_(attribute) {}

    std::shared_ptr<NSLayoutConstraint> constraintEqualToAnchor(const NSLayoutAnchor& anchor,
                                                                CGFloat constant = 0) const;
    std::shared_ptr<NSLayoutConstraint> constraintLessThanOrEqualToAnchor(const NSLayoutAnchor& anchor,
                                                                          CGFloat constant = 0) const;
    std::shared_ptr<NSLayoutConstraint> constraintGreaterThanOrEqualToAnchor(const NSLayoutAnchor& anchor,
                                                                             CGFloat constant = 0) const;
    // Dimension anchors (width, height) only.
    std::shared_ptr<NSLayoutConstraint> constraintEqualToConstant(CGFloat constant) const;
    std::shared_ptr<NSLayoutConstraint> constraintEqualToAnchor(const NSLayoutAnchor& anchor,
                                                                CGFloat multiplier, CGFloat constant) const;

    std::shared_ptr<LayoutItem> item() const { return item_.lock(); }
    NSLayoutAttribute attribute() const { return attribute_; }

  private:
    std::shared_ptr<NSLayoutConstraint> make(NSLayoutRelation relation, const NSLayoutAnchor* anchor,
                                             CGFloat multiplier, CGFloat constant) const;
    std::weak_ptr<LayoutItem> item_;
    NSLayoutAttribute attribute_;
};
