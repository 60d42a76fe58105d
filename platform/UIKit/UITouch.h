#pragma once

#include "platform/CoreGraphics/CGGeometry.h"

#include <memory>
#include <vector>

class UIGestureRecognizer;
class UIView;
class UIWindow;

enum class UITouchPhase { began, moved, stationary, ended, cancelled };

// One finger on the screen (the mouse pointer, on the desktop): where it is, where it
// was, which view it started on and how many quick taps it belongs to.
class UITouch {
  public:
    UITouchPhase phase() const { return phase_; }
    double timestamp() const { return timestamp_; }
    int tapCount() const { return tapCount_; }
    std::shared_ptr<UIView> view() const { return view_.lock(); }
    std::shared_ptr<UIWindow> window() const { return window_.lock(); }
    const std::vector<std::shared_ptr<UIGestureRecognizer>>& gestureRecognizers() const {
        return recognizers_;
    }

    // The position in `view`'s coordinates; window coordinates for no view.
    CGPoint locationInView(const UIView* view) const;
    CGPoint previousLocationInView(const UIView* view) const;

  private:
    friend class UIWindow;
    CGPoint location_;
    CGPoint previousLocation_;
    UITouchPhase phase_ = UITouchPhase::began;
    double timestamp_ = 0;
    int tapCount_ = 1;
    std::weak_ptr<UIView> view_;
    std::weak_ptr<UIWindow> window_;
    std::vector<std::shared_ptr<UIGestureRecognizer>> recognizers_;
};

// The touches of one input event.
class UIEvent {
  public:
    enum class Type { touches };
    Type type() const { return Type::touches; }
    double timestamp() const { return timestamp_; }
    const std::vector<std::shared_ptr<UITouch>>& allTouches() const { return touches_; }

  private:
    friend class UIWindow;
    double timestamp_ = 0;
    std::vector<std::shared_ptr<UITouch>> touches_;
};
