#include "platform/SJVideoPlayer/SJProgressSlider.h"

#include "platform/UIKit/UITouch.h"

#include <algorithm>
#include <cmath>

SJProgressSlider::SJProgressSlider(const CGRect& frame)
    : UIControl(frame), trackLayer_(CALayer::layer()), bufferLayer_(CALayer::layer()),
      traceLayer_(CALayer::layer()), thumbLayer_(CALayer::layer()) {
    trackLayer_->setBackgroundColor(UIColor::colorWithWhite(1, 0.3));
    bufferLayer_->setBackgroundColor(UIColor::colorWithWhite(1, 0.5));
    traceLayer_->setBackgroundColor(UIColor::whiteColor());
    thumbLayer_->setContentsGravity(CALayerContentsGravity::resizeAspect);
    for (const auto& part : {trackLayer_, bufferLayer_, traceLayer_, thumbLayer_}) {
        layer()->addSublayer(part);
    }
}

SJProgressSlider::~SJProgressSlider() = default;

void SJProgressSlider::setValue(double value) {
    if (dragging_ || !std::isfinite(value)) {
        return;
    }
    value = std::clamp(value, 0.0, maxValue_);
    if (value_ == value) {
        return;
    }
    value_ = value;
    setNeedsLayout();
}

void SJProgressSlider::setMaxValue(double maxValue) {
    maxValue = std::isfinite(maxValue) && maxValue > 0 ? maxValue : 1;
    if (maxValue_ == maxValue) {
        return;
    }
    maxValue_ = maxValue;
    value_ = std::min(value_, maxValue_);
    setNeedsLayout();
}

void SJProgressSlider::setBufferProgress(double progress) {
    progress = std::isfinite(progress) ? std::clamp(progress, 0.0, 1.0) : 0.0;
    if (bufferProgress_ == progress) {
        return;
    }
    bufferProgress_ = progress;
    setNeedsLayout();
}

void SJProgressSlider::setTrackHeight(CGFloat height) {
    if (trackHeight_ == height) {
        return;
    }
    trackHeight_ = height;
    invalidateIntrinsicContentSize();
    setNeedsLayout();
}

void SJProgressSlider::setTrackColor(const UIColor& color) {
    trackLayer_->setBackgroundColor(color);
}

void SJProgressSlider::setTraceColor(const UIColor& color) {
    traceLayer_->setBackgroundColor(color);
}

void SJProgressSlider::setBufferColor(const UIColor& color) {
    bufferLayer_->setBackgroundColor(color);
}

void SJProgressSlider::setThumbImage(std::shared_ptr<UIImage> image) {
    if (thumbImage_ == image) {
        return;
    }
    thumbImage_ = std::move(image);
    setNeedsLayout();
}

void SJProgressSlider::setThumbColor(const UIColor& color) {
    if (thumbColor_ == color) {
        return;
    }
    thumbColor_ = color;
    setNeedsLayout();
}

void SJProgressSlider::setThumbSize(CGFloat size) {
    size = std::isfinite(size) && size > 0 ? size : 0;
    if (thumbSize_ == size) {
        return;
    }
    thumbSize_ = size;
    invalidateIntrinsicContentSize();
    setNeedsLayout();
}

CGSize SJProgressSlider::intrinsicContentSize() const {
    return {UIViewNoIntrinsicMetric, std::max(trackHeight_, thumbSize_)};
}

CGFloat SJProgressSlider::trackStart() const {
    return thumbSize_ / 2;
}

CGFloat SJProgressSlider::trackLength() const {
    return std::max<CGFloat>(0, bounds().size.width - thumbSize_);
}

void SJProgressSlider::layoutSubviews() {
    UIControl::layoutSubviews();
    const CGFloat middle = bounds().size.height / 2;
    const CGFloat top = middle - trackHeight_ / 2;
    const CGFloat length = trackLength();
    const CGFloat played = length * static_cast<CGFloat>(value_ / maxValue_);
    trackLayer_->setFrame({{trackStart(), top}, {length, trackHeight_}});
    bufferLayer_->setFrame(
        {{trackStart(), top}, {length * static_cast<CGFloat>(bufferProgress_), trackHeight_}});
    traceLayer_->setFrame({{trackStart(), top}, {played, trackHeight_}});
    for (const auto& part : {trackLayer_, bufferLayer_, traceLayer_}) {
        part->setCornerRadius(trackHeight_ / 2);
    }
    thumbLayer_->setHidden(thumbSize_ <= 0);
    thumbLayer_->setFrame(
        {{trackStart() + played - thumbSize_ / 2, middle - thumbSize_ / 2}, {thumbSize_, thumbSize_}});
    thumbLayer_->setContents(thumbImage_);
    thumbLayer_->setBackgroundColor(thumbImage_ ? std::nullopt : std::optional<UIColor>(thumbColor_));
    thumbLayer_->setCornerRadius(thumbImage_ ? 0 : thumbSize_ / 2);
}

void SJProgressSlider::followTouch(const std::vector<std::shared_ptr<UITouch>>& touches) {
    if (touches.empty()) {
        return;
    }
    const CGFloat x = touches.front()->locationInView(this).x;
    const CGFloat length = trackLength();
    const double fraction = length > 0 ? std::clamp((x - trackStart()) / length, 0.0, 1.0) : 0.0;
    const double value = fraction * maxValue_;
    if (value == value_) {
        return;
    }
    value_ = value;
    setNeedsLayout();
    sendActionsForControlEvents(UIControlEventValueChanged);
}

void SJProgressSlider::touchesBegan(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent* event) {
    UIControl::touchesBegan(touches, event);
    dragging_ = true;
    if (onDragBegan) {
        onDragBegan(*this);
    }
    followTouch(touches);
    if (dragging_ && onDragChanged) {
        onDragChanged(*this);
    }
}

void SJProgressSlider::touchesMoved(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent* event) {
    UIControl::touchesMoved(touches, event);
    if (!dragging_) {
        return;
    }
    followTouch(touches);
    if (onDragChanged) {
        onDragChanged(*this);
    }
}

void SJProgressSlider::touchesEnded(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent* event) {
    if (dragging_) {
        followTouch(touches);
    }
    UIControl::touchesEnded(touches, event);
    endDrag();
}

void SJProgressSlider::touchesCancelled(const std::vector<std::shared_ptr<UITouch>>& touches,
                                        UIEvent* event) {
    UIControl::touchesCancelled(touches, event);
    endDrag();
}

void SJProgressSlider::endDrag() {
    if (!dragging_) {
        return;
    }
    dragging_ = false;
    if (onDragEnded) {
        onDragEnded(*this);
    }
}
