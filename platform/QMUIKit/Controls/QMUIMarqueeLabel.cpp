#include "platform/QMUIKit/Controls/QMUIMarqueeLabel.h"

#include "platform/Foundation/RunLoop.h"
#include "platform/QuartzCore/CADisplayLink.h"
#include "platform/render/TextLayout.h"

#include <algorithm>

QMUIMarqueeLabel::QMUIMarqueeLabel(const CGRect& frame) : QMUILabel(frame) {
    setNumberOfLines(1);
    setClipsToBounds(true);
}

QMUIMarqueeLabel::~QMUIMarqueeLabel() {
    if (link_) {
        link_->invalidate();
    }
}

void QMUIMarqueeLabel::setFadeWidthPercent(CGFloat percent) {
    percent = std::clamp<CGFloat>(percent, 0, 0.5);
    if (fadeWidthPercent_ == percent) {
        return;
    }
    fadeWidthPercent_ = percent;
    setNeedsDisplay();
}

void QMUIMarqueeLabel::setText(const std::string& text) {
    QMUILabel::setText(text);
    updateScrolling();
}

void QMUIMarqueeLabel::setFont(const UIFont& font) {
    QMUILabel::setFont(font);
    shownText_.clear();
    updateScrolling();
}

CGFloat QMUIMarqueeLabel::textWidth() const {
    return attributedText().layout(std::nullopt, 1)->size().width;
}

bool QMUIMarqueeLabel::overflows() const {
    return textWidth() > textArea(bounds()).size.width + 0.5;
}

void QMUIMarqueeLabel::didMoveToWindow() {
    QMUILabel::didMoveToWindow();
    updateScrolling();
}

void QMUIMarqueeLabel::layoutSubviews() {
    QMUILabel::layoutSubviews();
    updateScrolling();
}

void QMUIMarqueeLabel::updateScrolling() {
    if (text() != shownText_ || text().empty()) {
        // New text starts from its beginning, after the pause.
        shownText_ = text();
        offset_ = 0;
        pausedUntil_ = RunLoop::main().now() + pauseDurationWhenMoveToEdge;
        setNeedsDisplay();
    }
    const bool wanted = window() != nullptr && overflows() && speed > 0;
    if (wanted == isScrolling()) {
        return;
    }
    if (!wanted) {
        link_->invalidate();
        link_.reset();
        offset_ = 0;
        setNeedsDisplay();
        return;
    }
    lastTick_ = RunLoop::main().now();
    pausedUntil_ = lastTick_ + pauseDurationWhenMoveToEdge;
    std::weak_ptr<UIView> weak = sharedView();
    link_ = CADisplayLink::displayLinkWithTarget([weak](CADisplayLink& link) {
        if (auto self = std::static_pointer_cast<QMUIMarqueeLabel>(weak.lock())) {
            self->tick(link.timestamp());
        } else {
            link.invalidate();
        }
    });
    link_->addToRunLoop(RunLoop::main());
}

void QMUIMarqueeLabel::tick(double timestamp) {
    const double dt = std::clamp(timestamp - lastTick_, 0.0, 0.1);
    lastTick_ = timestamp;
    if (text() != shownText_ || !overflows()) {
        updateScrolling();
        return;
    }
    if (timestamp < pausedUntil_) {
        return;
    }
    offset_ += speed * 60 * dt;
    const CGFloat cycle = textWidth() + spacingBetweenHeadToTail;
    if (offset_ >= cycle) {
        offset_ = 0;
        pausedUntil_ = timestamp + pauseDurationWhenMoveToEdge;
    }
    setNeedsDisplay();
}

void QMUIMarqueeLabel::drawLayer(CALayer& layer, cairo_t* cr) {
    const CGRect area = textArea(layer.bounds());
    if (text().empty() || area.size.width <= 0 || area.size.height <= 0) {
        return;
    }
    auto layout = attributedText().layout(std::nullopt, 1);
    const CGSize size = layout->size();
    if (size.width <= area.size.width + 0.5) {
        QMUILabel::drawLayer(layer, cr);
        return;
    }
    const CGFloat y = area.origin.y + std::max<CGFloat>(0, (area.size.height - size.height) / 2);
    const bool fades = shouldFadeAtEdge && fadeWidthPercent_ > 0;
    if (fades) {
        cairo_push_group(cr);
    }
    layout->draw(cr, {area.origin.x - offset_, y});
    layout->draw(cr, {area.origin.x - offset_ + size.width + spacingBetweenHeadToTail, y});
    if (!fades) {
        return;
    }
    cairo_pop_group_to_source(cr);
    // Transparent at the edges, opaque inside; the leading edge fades only once the text moves.
    const double fade = area.size.width * fadeWidthPercent_;
    cairo_pattern_t* mask = cairo_pattern_create_linear(area.minX(), 0, area.maxX(), 0);
    const double start = offset_ > 0 ? 0 : 1;
    cairo_pattern_add_color_stop_rgba(mask, 0, 0, 0, 0, start);
    cairo_pattern_add_color_stop_rgba(mask, fade / area.size.width, 0, 0, 0, 1);
    cairo_pattern_add_color_stop_rgba(mask, 1 - fade / area.size.width, 0, 0, 0, 1);
    cairo_pattern_add_color_stop_rgba(mask, 1, 0, 0, 0, 0);
    cairo_mask(cr, mask);
    cairo_pattern_destroy(mask);
}
