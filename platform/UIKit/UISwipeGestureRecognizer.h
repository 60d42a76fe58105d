#pragma once

#include "platform/UIKit/UIGestureRecognizer.h"

// Which way a swipe goes (combine several to accept any of them).
using UISwipeGestureRecognizerDirection = unsigned;
inline constexpr UISwipeGestureRecognizerDirection UISwipeGestureRecognizerDirectionRight = 1u << 0;
inline constexpr UISwipeGestureRecognizerDirection UISwipeGestureRecognizerDirectionLeft = 1u << 1;
inline constexpr UISwipeGestureRecognizerDirection UISwipeGestureRecognizerDirectionUp = 1u << 2;
inline constexpr UISwipeGestureRecognizerDirection UISwipeGestureRecognizerDirectionDown = 1u << 3;

// Recognizes a quick stroke of the finger in one of its directions: at least 50 points
// that way, at least twice as far as across, within half a second of the finger going
// down. A stroke that goes 50 points across first, ends short or takes longer fails.
class UISwipeGestureRecognizer : public UIGestureRecognizer {
  public:
    static constexpr double minimumDistance = 50;
    static constexpr double maximumDuration = 0.5;

    using UIGestureRecognizer::UIGestureRecognizer;

    UISwipeGestureRecognizerDirection direction = UISwipeGestureRecognizerDirectionRight;

    void touchesBegan(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent* event) override;
    void touchesMoved(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent* event) override;
    void touchesEnded(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent* event) override;

  private:
    void evaluate(double time);

    CGPoint start_;
    double startTime_ = 0;
};
