#pragma once

#include "platform/CoreGraphics/CGGeometry.h"

#include <functional>
#include <memory>
#include <vector>

class UIEvent;
class UIGestureRecognizer;
class UITouch;
class UIView;
class UIWindow;

enum class UIGestureRecognizerState { possible, began, changed, ended, cancelled, failed };
inline constexpr UIGestureRecognizerState UIGestureRecognizerStateRecognized =
    UIGestureRecognizerState::ended;

class UIGestureRecognizerDelegate {
  public:
    virtual ~UIGestureRecognizerDelegate() = default;
    virtual bool gestureRecognizerShouldBegin(UIGestureRecognizer& recognizer) { return true; }
    virtual bool shouldReceiveTouch(UIGestureRecognizer& recognizer, UITouch& touch) { return true; }
    virtual bool shouldRecognizeSimultaneouslyWith(UIGestureRecognizer& recognizer,
                                                   UIGestureRecognizer& other) {
        return false;
    }
};

// Watches the touches of its view (and the view's subviews) for a gesture. The window
// gives every recognizer on the touched view and its ancestors the touches; the first to
// recognize its gesture wins, the others fail, and the touched view's own touch handling
// is cancelled unless cancelsTouchesInView is off. Actions run on recognition (and, for
// continuous gestures, on every change until they end).
class UIGestureRecognizer : public std::enable_shared_from_this<UIGestureRecognizer> {
  public:
    using Action = std::function<void(UIGestureRecognizer&)>;

    explicit UIGestureRecognizer(Action action = nullptr);
    virtual ~UIGestureRecognizer();

    void addTarget(Action action);
    void removeAllTargets() { actions_.clear(); }

    UIGestureRecognizerState state() const { return state_; }
    std::shared_ptr<UIView> view() const { return view_.lock(); }
    bool isEnabled() const { return enabled_; }
    void setEnabled(bool enabled);
    bool cancelsTouchesInView = true;
    std::weak_ptr<UIGestureRecognizerDelegate> delegate;

    // Where the gesture is, in `view`'s coordinates (window coordinates for no view).
    virtual CGPoint locationInView(const UIView* view) const;
    size_t numberOfTouches() const { return touches_.size(); }
    // Tap and long press give way to controls under the touch; pans do not.
    virtual bool yieldsToControls() const { return false; }

    // Touch input, from the window.
    virtual void touchesBegan(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent* event);
    virtual void touchesMoved(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent* event);
    virtual void touchesEnded(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent* event);
    virtual void touchesCancelled(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent* event);

    // For the window and the view.
    void setView(const std::shared_ptr<UIView>& view) { view_ = view; }
    void setArbiter(UIWindow* window) { arbiter_ = window; }
    // Back to `possible` once its touches are over and it ended, failed or was cancelled.
    void resetIfFinished();
    // The window's touch sequence is over: forget its touches, reset when finished.
    void endTouchSequence();
    // Forced to fail because another recognizer won the touch.
    void failBecauseAnotherRecognized();

  protected:
    void setState(UIGestureRecognizerState state);
    // Clears per-gesture state when going back to `possible`.
    virtual void reset() {}
    // The last known touch position in window coordinates.
    CGPoint lastLocation_;
    std::vector<std::shared_ptr<UITouch>> touches_;

  private:
    std::vector<Action> actions_;
    std::weak_ptr<UIView> view_;
    UIWindow* arbiter_ = nullptr;
    UIGestureRecognizerState state_ = UIGestureRecognizerState::possible;
    bool enabled_ = true;
};
