#pragma once

#include "platform/Foundation/RunLoop.h"
#include "platform/UIKit/UIImage.h"
#include "platform/UIKit/UIView.h"

#include <memory>

// Shows an image, fitted by the content mode. Template images are drawn in the tint
// colour; animated images play their frames while the view is in a window.
class UIImageView : public UIView {
  public:
    explicit UIImageView(const CGRect& frame = CGRectZero);
    explicit UIImageView(std::shared_ptr<UIImage> image);
    ~UIImageView() override;

    const std::shared_ptr<UIImage>& image() const { return image_; }
    void setImage(std::shared_ptr<UIImage> image);
    bool isAnimating() const { return frameTimer_ != 0; }

    CGSize intrinsicContentSize() const override;
    CGSize sizeThatFits(CGSize size) const override;

    void didMoveToWindow() override;

  protected:
    void tintColorDidChange() override;

  private:
    void startFramesIfNeeded();
    void showFrame(double elapsed);
    void updateTint();
    void stopFrames();

    std::shared_ptr<UIImage> image_;
    double animationStart_ = 0;
    RunLoop::TaskId frameTimer_ = 0;
};
