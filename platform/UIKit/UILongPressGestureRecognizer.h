#pragma once

#include "platform/Foundation/RunLoop.h"
#include "platform/UIKit/UIGestureRecognizer.h"

// Recognizes a finger held still (within allowableMovement) for minimumPressDuration:
// begins then, changes as the finger moves and ends when it lifts.
class UILongPressGestureRecognizer : public UIGestureRecognizer {
  public:
    using UIGestureRecognizer::UIGestureRecognizer;
    ~UILongPressGestureRecognizer() override;

    double minimumPressDuration = 0.5;
    CGFloat allowableMovement = 10;
    bool yieldsToControls() const override { return true; }

    void touchesBegan(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent* event) override;
    void touchesMoved(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent* event) override;
    void touchesEnded(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent* event) override;

  protected:
    void reset() override;

  private:
    void cancelTimer();
    CGPoint start_;
    RunLoop::TaskId timer_ = 0;
};
