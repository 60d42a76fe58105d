#pragma once

#include "platform/UIKit/UIGestureRecognizer.h"

#include <deque>

// Recognizes a dragging finger once it moved 10 points: begins, changes with every move
// and ends when the finger lifts, reporting the translation since the finger went down
// and the recent velocity.
class UIPanGestureRecognizer : public UIGestureRecognizer {
  public:
    using UIGestureRecognizer::UIGestureRecognizer;

    // In `view`'s coordinate space (window coordinates for no view).
    CGPoint translationInView(const UIView* view) const;
    void setTranslation(CGPoint translation, const UIView* view);
    // Points per second over the last tenth of a second of movement.
    CGPoint velocityInView(const UIView* view) const;

    void touchesBegan(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent* event) override;
    void touchesMoved(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent* event) override;
    void touchesEnded(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent* event) override;

  protected:
    void reset() override;

  private:
    struct Sample {
        CGPoint location;
        double time;
    };
    void record(const std::vector<std::shared_ptr<UITouch>>& touches);
    // A vector in window coordinates, expressed in `view`'s coordinate space.
    static CGPoint toView(CGPoint vector, const UIView* view);

    CGPoint start_;
    std::deque<Sample> samples_;
};
