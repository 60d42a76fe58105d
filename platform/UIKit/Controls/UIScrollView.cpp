#include "platform/UIKit/Controls/UIScrollView.h"

#include "platform/Foundation/RunLoop.h"
#include "platform/QuartzCore/CADisplayLink.h"
#include "platform/QuartzCore/CALayer.h"
#include "platform/UIKit/UIPanGestureRecognizer.h"
#include "platform/UIKit/UIWindow.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kAnimatedScrollDuration = 0.3;
// How far a finger moves before a drag begins (the pan recognizer's threshold).
constexpr double kPanSlop = 10;
constexpr CGFloat kIndicatorThickness = 2.5;
constexpr CGFloat kIndicatorMargin = 3;
constexpr CGFloat kIndicatorMinLength = 36;
constexpr double kIndicatorFadeDelay = 0.5;
// Frames longer than this (a stalled loop) advance the motion by this much only.
constexpr double kMaxFrameStep = 0.1;

// Notices a finger going down on the scroll view (or anything inside it) without ever
// recognizing a gesture itself, so that a touch can catch moving content at once.
class TouchDownWatcher final : public UIGestureRecognizer {
  public:
    explicit TouchDownWatcher(std::function<void()> onTouchDown) : onTouchDown_(std::move(onTouchDown)) {}
    void touchesBegan(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent* event) override {
        UIGestureRecognizer::touchesBegan(touches, event);
        if (onTouchDown_) {
            onTouchDown_();
        }
    }

  private:
    std::function<void()> onTouchDown_;
};

bool sameInsets(const UIEdgeInsets& a, const UIEdgeInsets& b) {
    return a == b;
}

} // namespace

UIScrollView::UIScrollView(const CGRect& frame) : UIView(frame) {
    setClipsToBounds(true);
    pan_ = std::make_shared<UIPanGestureRecognizer>();
    verticalIndicator_ = CALayer::layer();
    horizontalIndicator_ = CALayer::layer();
    for (const auto& indicator : {verticalIndicator_, horizontalIndicator_}) {
        indicator->setOpacity(0);
        indicator->setCornerRadius(kIndicatorThickness / 2);
        indicator->setBackgroundColor(UIColor::colorWithWhite(0, 0.35));
        layer()->addSublayer(indicator);
    }
}

UIScrollView::~UIScrollView() {
    if (displayLink_) {
        displayLink_->invalidate();
    }
    if (indicatorFade_ != 0) {
        RunLoop::main().cancel(indicatorFade_);
    }
}

// ---- Gestures --------------------------------------------------------------------------

void UIScrollView::didMoveToSuperview() {
    UIView::didMoveToSuperview();
    attachGestureRecognizers();
}

void UIScrollView::attachGestureRecognizers() {
    if (recognizersAttached_ || weak_from_this().expired()) {
        return;
    }
    recognizersAttached_ = true;
    std::weak_ptr<UIScrollView> weak = std::static_pointer_cast<UIScrollView>(sharedView());
    pan_->addTarget([weak](UIGestureRecognizer& recognizer) {
        if (auto self = weak.lock()) {
            self->handlePan(static_cast<UIPanGestureRecognizer&>(recognizer));
        }
    });
    pan_->delegate = std::shared_ptr<UIGestureRecognizerDelegate>(
        sharedView(), static_cast<UIGestureRecognizerDelegate*>(this));
    addGestureRecognizer(pan_);
    touchDownWatcher_ = std::make_shared<TouchDownWatcher>([weak] {
        auto self = weak.lock();
        if (!self) {
            return;
        }
        self->touchCaughtMotion_ = self->motion_ == MotionKind::deceleration && self->scrollEnabled_;
        if (self->touchCaughtMotion_) {
            // A finger catches moving content: it stops where it is (back inside its range).
            self->stopMotion();
            self->applyOffset(self->clampedOffset(self->contentOffset()));
        }
    });
    touchDownWatcher_->cancelsTouchesInView = false;
    addGestureRecognizer(touchDownWatcher_);
}

bool UIScrollView::gestureRecognizerShouldBegin(UIGestureRecognizer& recognizer) {
    if (&recognizer != pan_.get()) {
        return true;
    }
    if (!scrollEnabled_) {
        return false;
    }
    const CGPoint translation = pan_->translationInView(this);
    const bool horizontal = std::fabs(translation.x) > std::fabs(translation.y);
    return horizontal ? canScrollHorizontally() : canScrollVertically();
}

void UIScrollView::handlePan(UIPanGestureRecognizer& pan) {
    switch (pan.state()) {
    case UIGestureRecognizerState::began: {
        // The content starts following once the finger moved the pan's threshold; it
        // then follows every further point, without a jump.
        const CGPoint moved = pan.translationInView(this);
        const double length = std::hypot(moved.x, moved.y);
        const double share = length > kPanSlop ? kPanSlop / length : 1;
        dragStartTranslation_ = {moved.x * share, moved.y * share};
        beginDragging();
        dragBy(moved);
        break;
    }
    case UIGestureRecognizerState::changed:
        dragBy(pan.translationInView(this));
        break;
    case UIGestureRecognizerState::ended:
        dragBy(pan.translationInView(this));
        endDragging(pan.velocityInView(this));
        break;
    case UIGestureRecognizerState::cancelled:
    case UIGestureRecognizerState::failed:
        if (dragging_) {
            endDragging(CGPointZero);
        }
        break;
    case UIGestureRecognizerState::possible:
        break;
    }
}

void UIScrollView::beginDragging() {
    stopMotion();
    tracking_ = true;
    dragging_ = true;
    dragStartOffset_ = contentOffset();
    if (keyboardDismissMode_ != UIScrollViewKeyboardDismissMode::none) {
        if (auto root = window()) {
            root->endEditing(true);
        }
    }
    showIndicators();
    auto self = sharedView();
    if (auto watcher = delegate_.lock()) {
        watcher->willBeginDragging(*this);
    }
    notifyObservers(&UIScrollViewObserver::scrollViewDidBeginDragging);
}

void UIScrollView::dragBy(CGPoint translation) {
    if (!dragging_) {
        return;
    }
    auto follow = [](double start, double moved, const scrollphysics::Range& range, bool scrolls,
                     bool bounces, double dimension, double current) {
        if (!scrolls) {
            return current;
        }
        // Undo the rubber band of a drag that started beyond the edge, move, apply it again.
        double raw = start;
        if (start < range.min) {
            raw = range.min + scrollphysics::rubberBandInverse(start - range.min, dimension);
        } else if (start > range.max) {
            raw = range.max + scrollphysics::rubberBandInverse(start - range.max, dimension);
        }
        const double wanted = raw - moved;
        if (wanted < range.min) {
            return bounces ? range.min + scrollphysics::rubberBand(wanted - range.min, dimension) : range.min;
        }
        if (wanted > range.max) {
            return bounces ? range.max + scrollphysics::rubberBand(wanted - range.max, dimension) : range.max;
        }
        return wanted;
    };
    const CGPoint current = contentOffset();
    const CGSize size = bounds().size;
    const CGPoint next{
        follow(dragStartOffset_.x, translation.x - dragStartTranslation_.x, horizontalOffsetRange(),
               canScrollHorizontally(), bouncesHorizontally(), size.width, current.x),
        follow(dragStartOffset_.y, translation.y - dragStartTranslation_.y, verticalOffsetRange(),
               canScrollVertically(), bouncesVertically(), size.height, current.y)};
    applyOffset(next);
}

void UIScrollView::endDragging(CGPoint fingerVelocity) {
    auto self = sharedView();
    tracking_ = false;
    dragging_ = false;
    // Attached components go first: a refresh header that starts refreshing changes the
    // insets, and so where the content comes to rest.
    notifyObservers(&UIScrollViewObserver::scrollViewDidEndDragging);
    const CGPoint offset = contentOffset();
    const auto rangeX = horizontalOffsetRange();
    const auto rangeY = verticalOffsetRange();
    const CGPoint velocity{canScrollHorizontally() ? -fingerVelocity.x : 0,
                           canScrollVertically() ? -fingerVelocity.y : 0};

    CGPoint natural;
    if (pagingEnabled_) {
        natural = {scrollphysics::pageTarget(offset.x, velocity.x, bounds().size.width, rangeX),
                   scrollphysics::pageTarget(offset.y, velocity.y, bounds().size.height, rangeY)};
    } else {
        natural = {
            rangeX.clamp(scrollphysics::projectedRestingPosition(offset.x, velocity.x, decelerationRate_)),
            rangeY.clamp(scrollphysics::projectedRestingPosition(offset.y, velocity.y, decelerationRate_))};
    }
    CGPoint target = natural;
    if (auto watcher = delegate_.lock()) {
        watcher->willEndDragging(*this, {velocity.x / 1000, velocity.y / 1000}, target);
    }

    auto settle = [&](scrollphysics::AxisMotion& motion, double position, double speed, double goal,
                      double naturalGoal, const scrollphysics::Range& range, bool bounces) {
        if (!pagingEnabled_ && goal == naturalGoal) {
            motion.startMomentum(position, speed, decelerationRate_, range, bounces);
            return;
        }
        if (std::fabs(goal - position) < 0.5 && std::fabs(speed) < scrollphysics::kRestingVelocity) {
            motion.startTimed(position, goal, 0); // already there: snap
            return;
        }
        // A spring onto the chosen offset, entered no faster than it can take without
        // overshooting.
        const double limit = 12 * std::fabs(goal - position);
        motion.startSpring(position, std::clamp(speed, -limit, limit), goal);
    };
    settle(motionX_, offset.x, velocity.x, target.x, natural.x, rangeX, bouncesHorizontally());
    settle(motionY_, offset.y, velocity.y, target.y, natural.y, rangeY, bouncesVertically());
    applyOffset({motionX_.position(), motionY_.position()});

    const bool willDecelerate = motionX_.isActive() || motionY_.isActive();
    if (auto watcher = delegate_.lock()) {
        watcher->didEndDragging(*this, willDecelerate);
    }
    if (!willDecelerate) {
        hideIndicatorsSoon();
        notifyObservers(&UIScrollViewObserver::scrollViewDidEndScrolling);
        return;
    }
    decelerating_ = true;
    if (auto watcher = delegate_.lock()) {
        watcher->willBeginDecelerating(*this);
    }
    startMotion(MotionKind::deceleration);
}

// ---- Motion ----------------------------------------------------------------------------

void UIScrollView::startMotion(MotionKind kind) {
    motion_ = kind;
    lastTick_ = RunLoop::main().now();
    if (displayLink_) {
        return;
    }
    std::weak_ptr<UIScrollView> weak = std::static_pointer_cast<UIScrollView>(sharedView());
    displayLink_ = CADisplayLink::displayLinkWithTarget([weak](CADisplayLink& link) {
        if (auto self = weak.lock()) {
            self->tick(link.timestamp());
        } else {
            link.invalidate();
        }
    });
    displayLink_->addToRunLoop(RunLoop::main());
}

void UIScrollView::stopMotion() {
    if (displayLink_) {
        displayLink_->invalidate();
        displayLink_.reset();
    }
    motionX_.stop();
    motionY_.stop();
    motion_ = MotionKind::none;
    decelerating_ = false;
}

void UIScrollView::tick(double timestamp) {
    auto self = sharedView();
    const double dt = std::clamp(timestamp - lastTick_, 0.0, kMaxFrameStep);
    lastTick_ = timestamp;
    CGPoint next = contentOffset();
    if (motionX_.isActive()) {
        next.x = motionX_.step(dt);
    }
    if (motionY_.isActive()) {
        next.y = motionY_.step(dt);
    }
    applyOffset(next);
    // Lay the content out for this frame now, rather than at the next layout pass.
    layoutIfNeeded();
    if (!motionX_.isActive() && !motionY_.isActive()) {
        finishMotion();
    }
}

void UIScrollView::finishMotion() {
    const MotionKind finished = motion_;
    stopMotion();
    hideIndicatorsSoon();
    notifyObservers(&UIScrollViewObserver::scrollViewDidEndScrolling);
    auto watcher = delegate_.lock();
    if (!watcher) {
        return;
    }
    if (finished == MotionKind::deceleration) {
        watcher->didEndDecelerating(*this);
    } else if (finished == MotionKind::animation) {
        watcher->didEndScrollingAnimation(*this);
    }
}

void UIScrollView::applyOffset(CGPoint offset) {
    const CGRect current = bounds();
    if (current.origin == offset) {
        return;
    }
    auto self = sharedView();
    setBounds({offset, current.size});
    contentOffsetDidChange();
    updateIndicators();
    notifyObservers(&UIScrollViewObserver::scrollViewContentOffsetDidChange);
    if (auto watcher = delegate_.lock()) {
        watcher->didScroll(*this);
    }
}

void UIScrollView::setContentOffset(CGPoint offset) {
    applyOffset(offset);
}

void UIScrollView::setContentOffset(CGPoint offset, bool animated) {
    stopMotion();
    if (!animated) {
        applyOffset(offset);
        return;
    }
    const CGPoint from = contentOffset();
    if (from == offset) {
        return;
    }
    motionX_.startTimed(from.x, offset.x, kAnimatedScrollDuration);
    motionY_.startTimed(from.y, offset.y, kAnimatedScrollDuration);
    showIndicators();
    startMotion(MotionKind::animation);
}

void UIScrollView::scrollRectToVisible(const CGRect& rect, bool animated) {
    const CGRect visible = bounds();
    CGPoint offset = visible.origin;
    auto axis = [](double start, double length, double rectStart, double rectLength) {
        if (rectLength > length || rectStart < start) {
            return rectStart;
        }
        if (rectStart + rectLength > start + length) {
            return rectStart + rectLength - length;
        }
        return start;
    };
    offset.x = horizontalOffsetRange().clamp(
        axis(visible.origin.x, visible.size.width, rect.origin.x, rect.size.width));
    offset.y = verticalOffsetRange().clamp(
        axis(visible.origin.y, visible.size.height, rect.origin.y, rect.size.height));
    setContentOffset(offset, animated);
}

void UIScrollView::scrollToTopFromStatusBar() {
    if (!scrollsToTop_) {
        return;
    }
    auto watcher = delegate_.lock();
    if (watcher && !watcher->shouldScrollToTop(*this)) {
        return;
    }
    setContentOffset({contentOffset().x, verticalOffsetRange().min}, true);
    if (watcher) {
        watcher->didScrollToTop(*this);
    }
}

bool UIScrollView::scrollWheel(CGFloat deltaX, CGFloat deltaY) {
    const bool horizontal = deltaX != 0 && canScrollHorizontally();
    const bool vertical = deltaY != 0 && canScrollVertically();
    if (!horizontal && !vertical) {
        return UIView::scrollWheel(deltaX, deltaY);
    }
    auto self = sharedView();
    const CGPoint offset = contentOffset();
    if (pagingEnabled_) {
        // One page per wheel step, in the wheel's direction.
        CGPoint target = offset;
        if (horizontal) {
            const double page = bounds().size.width;
            target.x = scrollphysics::pageTarget(offset.x + (deltaX > 0 ? page / 2 : -page / 2), 0, page,
                                                 horizontalOffsetRange());
        }
        if (vertical) {
            const double page = bounds().size.height;
            target.y = scrollphysics::pageTarget(offset.y + (deltaY > 0 ? page / 2 : -page / 2), 0, page,
                                                 verticalOffsetRange());
        }
        if (target != offset) {
            stopMotion();
            motionX_.startTimed(offset.x, target.x, kAnimatedScrollDuration);
            motionY_.startTimed(offset.y, target.y, kAnimatedScrollDuration);
            showIndicators();
            decelerating_ = true;
            startMotion(MotionKind::deceleration);
        }
        return true;
    }
    stopMotion();
    showIndicators();
    applyOffset(clampedOffset({offset.x + (horizontal ? deltaX : 0), offset.y + (vertical ? deltaY : 0)}));
    hideIndicatorsSoon();
    return true;
}

// ---- Content and insets ------------------------------------------------------------------

void UIScrollView::setContentSize(CGSize size) {
    if (contentSize_ == size) {
        return;
    }
    contentSize_ = size;
    updateAdjustedInset();
    updateIndicators();
    notifyObservers(&UIScrollViewObserver::scrollViewContentSizeDidChange);
}

void UIScrollView::setContentInset(const UIEdgeInsets& insets) {
    if (sameInsets(contentInset_, insets)) {
        return;
    }
    contentInset_ = insets;
    updateAdjustedInset();
}

void UIScrollView::setContentInsetAdjustmentBehavior(UIScrollViewContentInsetAdjustmentBehavior behavior) {
    if (adjustmentBehavior_ == behavior) {
        return;
    }
    adjustmentBehavior_ = behavior;
    updateAdjustedInset();
}

void UIScrollView::safeAreaInsetsDidChange() {
    UIView::safeAreaInsetsDidChange();
    updateAdjustedInset();
}

void UIScrollView::updateAdjustedInset() {
    const UIEdgeInsets safe = safeAreaInsets();
    UIEdgeInsets added;
    const bool fitsVertically =
        contentSize_.height + contentInset_.top + contentInset_.bottom <= bounds().size.height;
    const bool fitsHorizontally =
        contentSize_.width + contentInset_.left + contentInset_.right <= bounds().size.width;
    switch (adjustmentBehavior_) {
    case UIScrollViewContentInsetAdjustmentBehavior::never:
        break;
    case UIScrollViewContentInsetAdjustmentBehavior::always:
        added = safe;
        break;
    case UIScrollViewContentInsetAdjustmentBehavior::automatic:
        // Vertical lists always keep clear of the bars; sideways only when they scroll sideways.
        added.top = safe.top;
        added.bottom = safe.bottom;
        if (!fitsHorizontally || alwaysBounceHorizontal_) {
            added.left = safe.left;
            added.right = safe.right;
        }
        break;
    case UIScrollViewContentInsetAdjustmentBehavior::scrollableAxes:
        if (!fitsVertically || alwaysBounceVertical_) {
            added.top = safe.top;
            added.bottom = safe.bottom;
        }
        if (!fitsHorizontally || alwaysBounceHorizontal_) {
            added.left = safe.left;
            added.right = safe.right;
        }
        break;
    }
    const UIEdgeInsets adjusted{contentInset_.top + added.top, contentInset_.left + added.left,
                                contentInset_.bottom + added.bottom, contentInset_.right + added.right};
    if (sameInsets(adjusted, adjustedInset_)) {
        return;
    }
    const UIEdgeInsets previous = adjustedInset_;
    adjustedInset_ = adjusted;
    auto self = weak_from_this().lock();
    adjustedContentInsetDidChange();
    // Content resting at its top (or left) edge stays at the edge.
    CGPoint offset = contentOffset();
    if (!dragging_ && motion_ == MotionKind::none) {
        if (offset.y == -previous.top) {
            offset.y = -adjusted.top;
        }
        if (offset.x == -previous.left) {
            offset.x = -adjusted.left;
        }
        applyOffset(offset);
    }
    updateIndicators();
}

scrollphysics::Range UIScrollView::horizontalOffsetRange() const {
    const double min = -adjustedInset_.left;
    const double max = contentSize_.width + adjustedInset_.right - bounds().size.width;
    return {min, std::max(min, max)};
}

scrollphysics::Range UIScrollView::verticalOffsetRange() const {
    const double min = -adjustedInset_.top;
    const double max = contentSize_.height + adjustedInset_.bottom - bounds().size.height;
    return {min, std::max(min, max)};
}

bool UIScrollView::canScrollHorizontally() const {
    if (!scrollEnabled_) {
        return false;
    }
    const auto range = horizontalOffsetRange();
    return range.max > range.min || alwaysBounceHorizontal_;
}

bool UIScrollView::canScrollVertically() const {
    if (!scrollEnabled_) {
        return false;
    }
    const auto range = verticalOffsetRange();
    return range.max > range.min || alwaysBounceVertical_;
}

bool UIScrollView::bouncesHorizontally() const {
    return bounces_ && canScrollHorizontally();
}

bool UIScrollView::bouncesVertically() const {
    return bounces_ && canScrollVertically();
}

CGPoint UIScrollView::clampedOffset(CGPoint offset) const {
    return {horizontalOffsetRange().clamp(offset.x), verticalOffsetRange().clamp(offset.y)};
}

void UIScrollView::setScrollEnabled(bool enabled) {
    if (scrollEnabled_ == enabled) {
        return;
    }
    scrollEnabled_ = enabled;
    pan_->setEnabled(enabled);
}

// ---- Indicators --------------------------------------------------------------------------

void UIScrollView::setShowsVerticalScrollIndicator(bool shows) {
    showsVerticalIndicator_ = shows;
    updateIndicators();
}

void UIScrollView::setShowsHorizontalScrollIndicator(bool shows) {
    showsHorizontalIndicator_ = shows;
    updateIndicators();
}

void UIScrollView::setVerticalScrollIndicatorInsets(const UIEdgeInsets& insets) {
    verticalIndicatorInsets_ = insets;
    updateIndicators();
}

void UIScrollView::setHorizontalScrollIndicatorInsets(const UIEdgeInsets& insets) {
    horizontalIndicatorInsets_ = insets;
    updateIndicators();
}

void UIScrollView::setScrollIndicatorInsets(const UIEdgeInsets& insets) {
    verticalIndicatorInsets_ = insets;
    horizontalIndicatorInsets_ = insets;
    updateIndicators();
}

void UIScrollView::setIndicatorStyle(UIScrollViewIndicatorStyle style) {
    indicatorStyle_ = style;
    const UIColor color = style == UIScrollViewIndicatorStyle::white ? UIColor::colorWithWhite(1, 0.5)
                                                                     : UIColor::colorWithWhite(0, 0.35);
    verticalIndicator_->setBackgroundColor(color);
    horizontalIndicator_->setBackgroundColor(color);
}

void UIScrollView::layoutSubviews() {
    UIView::layoutSubviews();
    // Keep the indicators above the content.
    const auto& sublayers = layer()->sublayers();
    if (!sublayers.empty() && sublayers.back() != horizontalIndicator_) {
        verticalIndicator_->removeFromSuperlayer();
        horizontalIndicator_->removeFromSuperlayer();
        layer()->addSublayer(verticalIndicator_);
        layer()->addSublayer(horizontalIndicator_);
    }
    updateAdjustedInset();
    updateIndicators();
}

void UIScrollView::updateIndicators() {
    const CGRect visible = bounds();
    // Length along a track: the visible share of the content, shrinking while the
    // content is pulled past an edge.
    auto place = [](double offset, double visibleLength, double contentLength,
                    const scrollphysics::Range& range, double trackStart,
                    double trackLength) -> std::pair<double, double> {
        const double total = std::max(contentLength, visibleLength);
        double length = std::max(kIndicatorMinLength, trackLength * visibleLength / std::max(total, 1.0));
        double overshoot = 0;
        if (offset < range.min) {
            overshoot = range.min - offset;
        } else if (offset > range.max) {
            overshoot = offset - range.max;
        }
        length = std::max(kIndicatorThickness * 2, std::min(trackLength, length - overshoot));
        const double travel =
            range.max > range.min ? (range.clamp(offset) - range.min) / (range.max - range.min) : 0;
        return {trackStart + travel * (trackLength - length), length};
    };
    const bool verticalShown =
        showsVerticalIndicator_ && verticalOffsetRange().max > verticalOffsetRange().min;
    verticalIndicator_->setHidden(!verticalShown);
    if (verticalShown) {
        const UIEdgeInsets insets = verticalIndicatorInsets_;
        const double trackStart = visible.origin.y + kIndicatorMargin + insets.top;
        const double trackLength = visible.size.height - 2 * kIndicatorMargin - insets.top - insets.bottom;
        const auto [start, length] = place(visible.origin.y, visible.size.height,
                                           contentSize_.height + adjustedInset_.top + adjustedInset_.bottom,
                                           verticalOffsetRange(), trackStart, std::max(0.0, trackLength));
        verticalIndicator_->setFrame(
            {{visible.maxX() - kIndicatorMargin - kIndicatorThickness - insets.right, start},
             {kIndicatorThickness, length}});
    }
    const bool horizontalShown =
        showsHorizontalIndicator_ && horizontalOffsetRange().max > horizontalOffsetRange().min;
    horizontalIndicator_->setHidden(!horizontalShown);
    if (horizontalShown) {
        const UIEdgeInsets insets = horizontalIndicatorInsets_;
        const double trackStart = visible.origin.x + kIndicatorMargin + insets.left;
        const double trackLength = visible.size.width - 2 * kIndicatorMargin - insets.left - insets.right;
        const auto [start, length] = place(visible.origin.x, visible.size.width,
                                           contentSize_.width + adjustedInset_.left + adjustedInset_.right,
                                           horizontalOffsetRange(), trackStart, std::max(0.0, trackLength));
        horizontalIndicator_->setFrame(
            {{start, visible.maxY() - kIndicatorMargin - kIndicatorThickness - insets.bottom},
             {length, kIndicatorThickness}});
    }
}

void UIScrollView::showIndicators() {
    if (indicatorFade_ != 0) {
        RunLoop::main().cancel(indicatorFade_);
        indicatorFade_ = 0;
    }
    UIView::performWithoutAnimation([&] {
        verticalIndicator_->setOpacity(1);
        horizontalIndicator_->setOpacity(1);
    });
}

void UIScrollView::hideIndicatorsSoon() {
    if (indicatorFade_ != 0) {
        RunLoop::main().cancel(indicatorFade_);
    }
    std::weak_ptr<CALayer> vertical = verticalIndicator_;
    std::weak_ptr<CALayer> horizontal = horizontalIndicator_;
    indicatorFade_ = RunLoop::main().post(
        [vertical, horizontal] {
            UIView::animateWithDuration(0.25, [&] {
                if (auto layer = vertical.lock()) {
                    layer->setOpacity(0);
                }
                if (auto layer = horizontal.lock()) {
                    layer->setOpacity(0);
                }
            });
        },
        kIndicatorFadeDelay);
}

void UIScrollView::flashScrollIndicators() {
    showIndicators();
    hideIndicatorsSoon();
}

// ---- Observers -----------------------------------------------------------------------------

void UIScrollView::addScrollObserver(const std::shared_ptr<UIScrollViewObserver>& observer) {
    observers_.push_back(observer);
}

void UIScrollView::removeScrollObserver(const UIScrollViewObserver* observer) {
    std::erase_if(observers_, [&](const auto& entry) {
        auto locked = entry.lock();
        return !locked || locked.get() == observer;
    });
}

void UIScrollView::notifyObservers(void (UIScrollViewObserver::*event)(UIScrollView&)) {
    if (observers_.empty()) {
        return;
    }
    const auto observers = observers_;
    for (const auto& entry : observers) {
        if (auto observer = entry.lock()) {
            (observer.get()->*event)(*this);
        }
    }
}
