#pragma once

#include "platform/Foundation/RunLoop.h"
#include "platform/UIKit/Controls/ScrollPhysics.h"
#include "platform/UIKit/Controls/UIScrollViewDelegate.h"
#include "platform/UIKit/UIGestureRecognizer.h"
#include "platform/UIKit/UIView.h"

#include <memory>
#include <vector>

class CADisplayLink;
class CALayer;
class MJRefreshFooter;
class MJRefreshHeader;
class UIPanGestureRecognizer;

enum class UIScrollViewContentInsetAdjustmentBehavior { automatic, scrollableAxes, never, always };
enum class UIScrollViewKeyboardDismissMode { none, onDrag, interactive };
enum class UIScrollViewIndicatorStyle { defaultStyle, black, white };

using UIScrollViewDecelerationRate = CGFloat;
inline constexpr UIScrollViewDecelerationRate UIScrollViewDecelerationRateNormal =
    scrollphysics::kNormalDecelerationRate;
inline constexpr UIScrollViewDecelerationRate UIScrollViewDecelerationRateFast =
    scrollphysics::kFastDecelerationRate;

// A view whose bounds origin (the content offset) moves over content larger than itself:
// dragged with a finger, then carried on by momentum that decays at the deceleration rate,
// pulled back with a spring when it went past the content's edge (bounce), settling on
// whole pages when paging; moved by the scroll wheel and by code, with or without an
// animation. All motion runs on display frames of the main run loop, so it follows the
// loop's clock (virtual in tests).
class UIScrollView : public UIView, public UIGestureRecognizerDelegate {
  public:
    explicit UIScrollView(const CGRect& frame = CGRectZero);
    ~UIScrollView() override;

    // ---- Content ----
    CGPoint contentOffset() const { return bounds().origin; }
    // Moves the content at once. Momentum or a running animation keeps going.
    void setContentOffset(CGPoint offset);
    // Stops any motion, then moves (animated: eased over 0.3 seconds).
    void setContentOffset(CGPoint offset, bool animated);
    CGSize contentSize() const { return contentSize_; }
    void setContentSize(CGSize size);
    UIEdgeInsets contentInset() const { return contentInset_; }
    void setContentInset(const UIEdgeInsets& insets);
    // The content inset plus the safe area the adjustment behaviour adds.
    UIEdgeInsets adjustedContentInset() const { return adjustedInset_; }
    UIScrollViewContentInsetAdjustmentBehavior contentInsetAdjustmentBehavior() const {
        return adjustmentBehavior_;
    }
    void setContentInsetAdjustmentBehavior(UIScrollViewContentInsetAdjustmentBehavior behavior);
    // Scrolls the least needed to show `rect` (content coordinates).
    void scrollRectToVisible(const CGRect& rect, bool animated);

    // The offsets the content rests between: from minus the top/left inset to where the
    // end of the content (plus the bottom/right inset) meets the end of the view.
    scrollphysics::Range horizontalOffsetRange() const;
    scrollphysics::Range verticalOffsetRange() const;

    // ---- Behaviour ----
    bool isScrollEnabled() const { return scrollEnabled_; }
    void setScrollEnabled(bool enabled);
    bool isPagingEnabled() const { return pagingEnabled_; }
    void setPagingEnabled(bool enabled) { pagingEnabled_ = enabled; }
    bool bounces() const { return bounces_; }
    void setBounces(bool bounces) { bounces_ = bounces; }
    bool alwaysBounceVertical() const { return alwaysBounceVertical_; }
    void setAlwaysBounceVertical(bool bounce) { alwaysBounceVertical_ = bounce; }
    bool alwaysBounceHorizontal() const { return alwaysBounceHorizontal_; }
    void setAlwaysBounceHorizontal(bool bounce) { alwaysBounceHorizontal_ = bounce; }
    UIScrollViewDecelerationRate decelerationRate() const { return decelerationRate_; }
    void setDecelerationRate(UIScrollViewDecelerationRate rate) { decelerationRate_ = rate; }
    UIScrollViewKeyboardDismissMode keyboardDismissMode() const { return keyboardDismissMode_; }
    void setKeyboardDismissMode(UIScrollViewKeyboardDismissMode mode) { keyboardDismissMode_ = mode; }
    bool scrollsToTop() const { return scrollsToTop_; }
    void setScrollsToTop(bool scrolls) { scrollsToTop_ = scrolls; }
    // Scrolls to the top (animated) when the status bar is tapped and scrollsToTop allows.
    void scrollToTopFromStatusBar();

    // ---- Indicators ----
    bool showsVerticalScrollIndicator() const { return showsVerticalIndicator_; }
    void setShowsVerticalScrollIndicator(bool shows);
    bool showsHorizontalScrollIndicator() const { return showsHorizontalIndicator_; }
    void setShowsHorizontalScrollIndicator(bool shows);
    UIEdgeInsets verticalScrollIndicatorInsets() const { return verticalIndicatorInsets_; }
    void setVerticalScrollIndicatorInsets(const UIEdgeInsets& insets);
    UIEdgeInsets horizontalScrollIndicatorInsets() const { return horizontalIndicatorInsets_; }
    void setHorizontalScrollIndicatorInsets(const UIEdgeInsets& insets);
    // Sets both indicator insets.
    void setScrollIndicatorInsets(const UIEdgeInsets& insets);
    UIScrollViewIndicatorStyle indicatorStyle() const { return indicatorStyle_; }
    void setIndicatorStyle(UIScrollViewIndicatorStyle style);
    // Shows the indicators briefly.
    void flashScrollIndicators();

    // ---- State ----
    bool isTracking() const { return tracking_; }
    bool isDragging() const { return dragging_; }
    bool isDecelerating() const { return decelerating_; }
    // Whether momentum, a bounce, a page snap or an animated scroll is moving the content.
    bool isScrollAnimating() const { return displayLink_ != nullptr; }

    std::shared_ptr<UIScrollViewDelegate> delegate() const { return delegate_.lock(); }
    // Held weakly.
    void setDelegate(const std::shared_ptr<UIScrollViewDelegate>& delegate) { delegate_ = delegate; }
    const std::shared_ptr<UIPanGestureRecognizer>& panGestureRecognizer() const { return pan_; }

    void addScrollObserver(const std::shared_ptr<UIScrollViewObserver>& observer);
    void removeScrollObserver(const UIScrollViewObserver* observer);

    // The refresh controls of the list library, which define these.
    const std::shared_ptr<MJRefreshHeader>& mj_header() const { return mjHeader_; }
    void setMj_header(std::shared_ptr<MJRefreshHeader> header);
    const std::shared_ptr<MJRefreshFooter>& mj_footer() const { return mjFooter_; }
    void setMj_footer(std::shared_ptr<MJRefreshFooter> footer);

    // ---- UIView ----
    void layoutSubviews() override;
    void safeAreaInsetsDidChange() override;
    void didMoveToSuperview() override;
    bool scrollWheel(CGFloat deltaX, CGFloat deltaY) override;
    // Only begins a drag in a direction the content can move in, so that a scroll view
    // inside another one that scrolls the other way leaves that direction to it.
    bool gestureRecognizerShouldBegin(UIGestureRecognizer& recognizer) override;

  protected:
    // Called after the content offset changed (before the delegate hears of it).
    virtual void contentOffsetDidChange() {}
    // Called after the adjusted content inset changed.
    virtual void adjustedContentInsetDidChange() {}
    // Whether the finger now down caught moving content (such a touch selects nothing).
    bool touchCaughtMotion() const { return touchCaughtMotion_; }

  private:
    enum class MotionKind { none, deceleration, animation };

    void attachGestureRecognizers();
    void handlePan(UIPanGestureRecognizer& pan);
    void beginDragging();
    void dragBy(CGPoint translation);
    void endDragging(CGPoint velocity);
    void startMotion(MotionKind kind);
    void stopMotion();
    void tick(double timestamp);
    void finishMotion();
    void applyOffset(CGPoint offset);
    void updateAdjustedInset();
    bool canScrollHorizontally() const;
    bool canScrollVertically() const;
    bool bouncesHorizontally() const;
    bool bouncesVertically() const;
    CGPoint clampedOffset(CGPoint offset) const;
    void updateIndicators();
    void showIndicators();
    void hideIndicatorsSoon();
    void notifyObservers(void (UIScrollViewObserver::*event)(UIScrollView&));

    CGSize contentSize_;
    UIEdgeInsets contentInset_;
    UIEdgeInsets adjustedInset_;
    UIScrollViewContentInsetAdjustmentBehavior adjustmentBehavior_ =
        UIScrollViewContentInsetAdjustmentBehavior::automatic;
    bool scrollEnabled_ = true;
    bool pagingEnabled_ = false;
    bool bounces_ = true;
    bool alwaysBounceVertical_ = false;
    bool alwaysBounceHorizontal_ = false;
    UIScrollViewDecelerationRate decelerationRate_ = UIScrollViewDecelerationRateNormal;
    UIScrollViewKeyboardDismissMode keyboardDismissMode_ = UIScrollViewKeyboardDismissMode::none;
    bool scrollsToTop_ = true;

    bool showsVerticalIndicator_ = true;
    bool showsHorizontalIndicator_ = true;
    UIEdgeInsets verticalIndicatorInsets_;
    UIEdgeInsets horizontalIndicatorInsets_;
    UIScrollViewIndicatorStyle indicatorStyle_ = UIScrollViewIndicatorStyle::defaultStyle;
    std::shared_ptr<CALayer> verticalIndicator_;
    std::shared_ptr<CALayer> horizontalIndicator_;
    RunLoop::TaskId indicatorFade_ = 0;

    bool tracking_ = false;
    bool dragging_ = false;
    bool decelerating_ = false;
    CGPoint dragStartOffset_;
    CGPoint dragStartTranslation_;

    MotionKind motion_ = MotionKind::none;
    scrollphysics::AxisMotion motionX_;
    scrollphysics::AxisMotion motionY_;
    std::shared_ptr<CADisplayLink> displayLink_;
    double lastTick_ = 0;

    std::weak_ptr<UIScrollViewDelegate> delegate_;
    std::vector<std::weak_ptr<UIScrollViewObserver>> observers_;
    std::shared_ptr<UIPanGestureRecognizer> pan_;
    std::shared_ptr<UIGestureRecognizer> touchDownWatcher_;
    bool recognizersAttached_ = false;
    bool touchCaughtMotion_ = false;

    std::shared_ptr<MJRefreshHeader> mjHeader_;
    std::shared_ptr<MJRefreshFooter> mjFooter_;
};
