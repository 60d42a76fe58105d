#pragma once

#include "platform/UIKit/UIView.h"

#include <memory>
#include <vector>

enum class UIActivityIndicatorViewStyle { medium, large, white, whiteLarge, gray };

// The spinning wheel of spokes shown while work goes on; hidden while stopped unless told
// otherwise.
class UIActivityIndicatorView : public UIView {
  public:
    explicit UIActivityIndicatorView(
        UIActivityIndicatorViewStyle style = UIActivityIndicatorViewStyle::medium);

    UIActivityIndicatorViewStyle activityIndicatorViewStyle() const { return style_; }
    void setActivityIndicatorViewStyle(UIActivityIndicatorViewStyle style);
    UIColor color() const { return color_; }
    void setColor(const UIColor& color);
    bool hidesWhenStopped() const { return hidesWhenStopped_; }
    void setHidesWhenStopped(bool hides);

    void startAnimating();
    void stopAnimating();
    bool isAnimating() const { return animating_; }

    CGSize intrinsicContentSize() const override;
    CGSize sizeThatFits(CGSize) const override { return intrinsicContentSize(); }
    void layoutSubviews() override;

  private:
    CGFloat diameter() const;
    void rebuildSpokes();

    UIActivityIndicatorViewStyle style_;
    UIColor color_;
    bool hidesWhenStopped_ = true;
    bool animating_ = false;
    std::shared_ptr<CALayer> wheel_;
};
