#pragma once

#include "platform/UIKit/UIView.h"

#include <memory>
#include <optional>

enum class UIProgressViewStyle { defaultStyle, bar };

// A thin bar filled to the progress (0...1).
class UIProgressView : public UIView {
  public:
    explicit UIProgressView(UIProgressViewStyle style = UIProgressViewStyle::defaultStyle);

    float progress() const { return progress_; }
    // Clamped to 0...1.
    void setProgress(float progress) { setProgress(progress, false); }
    void setProgress(float progress, bool animated);
    std::optional<UIColor> progressTintColor() const { return progressTintColor_; }
    void setProgressTintColor(std::optional<UIColor> color);
    std::optional<UIColor> trackTintColor() const { return trackTintColor_; }
    void setTrackTintColor(std::optional<UIColor> color);

    CGSize intrinsicContentSize() const override { return {UIViewNoIntrinsicMetric, 4}; }
    CGSize sizeThatFits(CGSize size) const override { return {size.width, 4}; }
    void layoutSubviews() override;

  protected:
    void tintColorDidChange() override;

  private:
    void applyLook();

    float progress_ = 0;
    std::optional<UIColor> progressTintColor_;
    std::optional<UIColor> trackTintColor_;
    std::shared_ptr<CALayer> fill_;
};
