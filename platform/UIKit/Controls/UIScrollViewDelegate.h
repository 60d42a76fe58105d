#pragma once

#include "platform/CoreGraphics/CGGeometry.h"

class UIScrollView;

// What a scroll view tells its delegate as it moves. Every method has a default that does
// nothing, so a delegate overrides only what it needs.
class UIScrollViewDelegate {
  public:
    virtual ~UIScrollViewDelegate() = default;

    // After every change of the content offset, whoever made it.
    virtual void didScroll(UIScrollView& scrollView) {}
    virtual void willBeginDragging(UIScrollView& scrollView) {}
    // When the finger lifts: `velocity` in points per millisecond (content movement), and
    // the offset the content will come to rest at, which the delegate may change.
    virtual void willEndDragging(UIScrollView& scrollView, CGPoint velocity, CGPoint& targetContentOffset) {}
    virtual void didEndDragging(UIScrollView& scrollView, bool willDecelerate) {}
    virtual void willBeginDecelerating(UIScrollView& scrollView) {}
    // After momentum, a bounce back or a page snap came to rest.
    virtual void didEndDecelerating(UIScrollView& scrollView) {}
    // After an animated setContentOffset or scrollRectToVisible came to rest.
    virtual void didEndScrollingAnimation(UIScrollView& scrollView) {}
    virtual bool shouldScrollToTop(UIScrollView& scrollView) { return true; }
    virtual void didScrollToTop(UIScrollView& scrollView) {}
};

// Components attached to a scroll view (refresh controls) follow its movement through
// this, without taking the delegate. Called after the change.
class UIScrollViewObserver {
  public:
    virtual ~UIScrollViewObserver() = default;
    virtual void scrollViewContentOffsetDidChange(UIScrollView& scrollView) {}
    virtual void scrollViewContentSizeDidChange(UIScrollView& scrollView) {}
    virtual void scrollViewDidBeginDragging(UIScrollView& scrollView) {}
    virtual void scrollViewDidEndDragging(UIScrollView& scrollView) {}
    // Momentum, a bounce, a page snap or an animated scroll came to rest.
    virtual void scrollViewDidEndScrolling(UIScrollView& scrollView) {}
};
