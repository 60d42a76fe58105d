#pragma once

#include "platform/Foundation/RunLoop.h"
#include "platform/UIKit/UIGestureRecognizer.h"

// Recognizes a number of quick taps in one place: each touch must lift within 10 points
// of where it went down, and each next tap must start within 0.35 seconds.
class UITapGestureRecognizer : public UIGestureRecognizer {
  public:
    using UIGestureRecognizer::UIGestureRecognizer;
    ~UITapGestureRecognizer() override;

    int numberOfTapsRequired = 1;
    bool yieldsToControls() const override { return true; }

    void touchesBegan(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent* event) override;
    void touchesMoved(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent* event) override;
    void touchesEnded(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent* event) override;

  protected:
    void reset() override;

  private:
    void cancelTimer();
    int taps_ = 0;
    CGPoint start_;
    RunLoop::TaskId timer_ = 0;
};
