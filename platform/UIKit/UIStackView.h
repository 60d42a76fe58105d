#pragma once

#include "platform/SnapKit/CassowaryTypes.h"
#include "platform/UIKit/UIView.h"

#include <memory>
#include <vector>

enum class UIStackViewDistribution { fill, fillEqually, fillProportionally, equalSpacing, equalCentering };
enum class UIStackViewAlignment {
    fill,
    leading,
    top = leading,
    firstBaseline,
    center,
    trailing,
    bottom = trailing,
    lastBaseline
};

// Lines up its arranged subviews along an axis with constraints it keeps itself: edge to
// edge with `spacing` between, sized by the distribution, placed across by the alignment.
// Hidden arranged views take no room. The stack itself draws nothing. Proportional
// filling lays out as fill, equal centring as equal spacing, and baseline alignments as
// leading and trailing: the application uses none of them.
class UIStackView : public UIView {
  public:
    explicit UIStackView(const CGRect& frame = CGRectZero);
    ~UIStackView() override;
    static std::shared_ptr<UIStackView>
    stackWithArrangedSubviews(const std::vector<std::shared_ptr<UIView>>& views);

    const std::vector<std::shared_ptr<UIView>>& arrangedSubviews() const { return arranged_; }
    void addArrangedSubview(const std::shared_ptr<UIView>& view);
    void insertArrangedSubview(const std::shared_ptr<UIView>& view, size_t index);
    // Stops arranging the view; it stays a subview (as on the phone).
    void removeArrangedSubview(const std::shared_ptr<UIView>& view);

    UILayoutConstraintAxis axis() const { return axis_; }
    void setAxis(UILayoutConstraintAxis axis);
    UIStackViewDistribution distribution() const { return distribution_; }
    void setDistribution(UIStackViewDistribution distribution);
    UIStackViewAlignment alignment() const { return alignment_; }
    void setAlignment(UIStackViewAlignment alignment);
    CGFloat spacing() const { return spacing_; }
    void setSpacing(CGFloat spacing);

    void layoutSubviews() override;
    void willRemoveSubview(UIView& subview) override;

  protected:
    void subviewHiddenDidChange(UIView& subview) override;

  private:
    void arrangementChanged();
    void rebuildConstraints();
    void dropConstraints();

    std::vector<std::shared_ptr<UIView>> arranged_;
    UILayoutConstraintAxis axis_ = UILayoutConstraintAxis::horizontal;
    UIStackViewDistribution distribution_ = UIStackViewDistribution::fill;
    UIStackViewAlignment alignment_ = UIStackViewAlignment::fill;
    CGFloat spacing_ = 0;
    bool constraintsStale_ = true;
    std::vector<cassowary::ConstraintId> constraints_;
};
