#pragma once

#include "platform/QMUIKit/QMUITips.h"
#include "platform/UIKit/UIView.h"

#include <memory>

class UIImageView;
class UILabel;

// One tip on the screen: covers the view it is shown in, with the tip's box centred.
class QMUIToastView : public UIView {
  public:
    static constexpr double kFadeDuration = 0.25;

    explicit QMUIToastView(const QMUITips::Tip& tip);
    ~QMUIToastView() override;

    std::uint64_t tipIdentifier() const { return identifier_; }
    const std::shared_ptr<UIView>& box() const { return box_; }
    const std::shared_ptr<UILabel>& textLabel() const { return textLabel_; }

    void layoutSubviews() override;
    void didMoveToSuperview() override;

  private:
    void attachContent();

    std::uint64_t identifier_;
    std::shared_ptr<UIView> box_;
    std::shared_ptr<UIView> indicator_;
    std::shared_ptr<UILabel> textLabel_;
    bool contentAttached_ = false;
};
