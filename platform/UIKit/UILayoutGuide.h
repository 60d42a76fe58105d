#pragma once

#include "platform/CoreGraphics/CGGeometry.h"
#include "platform/SnapKit/ConstraintViewDSL.h"
#include "platform/UIKit/LayoutItem.h"
#include "platform/UIKit/NSLayoutConstraint.h"

#include <memory>
#include <string>

// A rectangle that takes part in layout without being drawn. Views give out three that
// follow their bounds: the safe area, the layout margins and the readable content area;
// custom guides are placed by constraints alone.
class UILayoutGuide : public LayoutItem, public std::enable_shared_from_this<UILayoutGuide> {
  public:
    enum class Kind { custom, safeArea, layoutMargins, readableContent };

    explicit UILayoutGuide(Kind kind = Kind::custom) : kind_(kind) {}
    ~UILayoutGuide() override;

    Kind kind() const { return kind_; }
    // The guide's rectangle in its owning view's coordinates, as of the last layout.
    CGRect layoutFrame() const;

    UIView* owningView() const override { return owner_.lock().get(); }
    std::shared_ptr<LayoutItem> sharedLayoutItem() override { return shared_from_this(); }

    NSLayoutAnchor leftAnchor() { return {weakItem(), NSLayoutAttribute::left}; }
    NSLayoutAnchor rightAnchor() { return {weakItem(), NSLayoutAttribute::right}; }
    NSLayoutAnchor topAnchor() { return {weakItem(), NSLayoutAttribute::top}; }
    NSLayoutAnchor bottomAnchor() { return {weakItem(), NSLayoutAttribute::bottom}; }
    NSLayoutAnchor leadingAnchor() { return {weakItem(), NSLayoutAttribute::leading}; }
    NSLayoutAnchor trailingAnchor() { return {weakItem(), NSLayoutAttribute::trailing}; }
    NSLayoutAnchor widthAnchor() { return {weakItem(), NSLayoutAttribute::width}; }
    NSLayoutAnchor heightAnchor() { return {weakItem(), NSLayoutAttribute::height}; }
    NSLayoutAnchor centerXAnchor() { return {weakItem(), NSLayoutAttribute::centerX}; }
    NSLayoutAnchor centerYAnchor() { return {weakItem(), NSLayoutAttribute::centerY}; }

    ConstraintViewDSL snp{this};
    std::string identifier;

  private:
    friend class UIView;
    std::weak_ptr<LayoutItem> weakItem() { return std::weak_ptr<LayoutItem>(shared_from_this()); }
    Kind kind_;
    std::weak_ptr<UIView> owner_;
};
