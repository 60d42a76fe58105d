#pragma once

#include "platform/QMUIKit/Controls/QMUILabel.h"

#include <memory>
#include <string>

class CADisplayLink;

// One line of text that, when too long for the label, scrolls sideways through it on
// display frames (while the label is in a window), pausing at the start of each pass.
// The edges fade over a share of the width, unless that share is 0.
class QMUIMarqueeLabel : public QMUILabel {
  public:
    explicit QMUIMarqueeLabel(const CGRect& frame = CGRectZero);
    ~QMUIMarqueeLabel() override;

    // Points moved per display frame (at 60 frames a second).
    CGFloat speed = 0.5;
    double pauseDurationWhenMoveToEdge = 2.5;
    CGFloat spacingBetweenHeadToTail = 40;
    bool shouldFadeAtEdge = true;
    CGFloat fadeWidthPercent() const { return fadeWidthPercent_; }
    // A share (0...0.5) of the width that fades at each edge; 0 for none.
    void setFadeWidthPercent(CGFloat percent);

    // Text and font changes restart the scrolling from the beginning.
    void setText(const std::string& text);
    void setFont(const UIFont& font);

    bool isScrolling() const { return link_ != nullptr; }
    // How far the text has moved to the left in this pass.
    CGFloat scrollOffset() const { return offset_; }

    void didMoveToWindow() override;
    void layoutSubviews() override;
    void drawLayer(CALayer& layer, cairo_t* context) override;

  private:
    CGFloat textWidth() const;
    bool overflows() const;
    void updateScrolling();
    void tick(double timestamp);

    CGFloat fadeWidthPercent_ = 0.2;
    CGFloat offset_ = 0;
    double pausedUntil_ = 0;
    double lastTick_ = 0;
    std::string shownText_;
    std::shared_ptr<CADisplayLink> link_;
};
