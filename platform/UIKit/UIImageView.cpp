#include "platform/UIKit/UIImageView.h"

#include "platform/UIKit/UIVisualEffectView.h"

#include <cmath>

UIImageView::UIImageView(const CGRect& frame) : UIView(frame) {
    setUserInteractionEnabled(false);
}

UIImageView::UIImageView(std::shared_ptr<UIImage> image) : UIImageView(CGRectZero) {
    if (image) {
        setFrame(CGRect{CGPointZero, image->size()});
    }
    setImage(std::move(image));
}

void UIImageView::didMoveToWindow() {
    if (window() != nullptr) {
        startFramesIfNeeded();
    } else {
        stopFrames();
    }
}

void UIImageView::startFramesIfNeeded() {
    if (frameTimer_ != 0 || !image_ || image_->images().empty() || image_->duration() <= 0 ||
        window() == nullptr) {
        return;
    }
    animationStart_ = RunLoop::main().now();
    showFrame(0);
}

UIImageView::~UIImageView() {
    stopFrames();
}

void UIImageView::stopFrames() {
    if (frameTimer_ != 0) {
        RunLoop::main().cancel(frameTimer_);
        frameTimer_ = 0;
    }
}

void UIImageView::setImage(std::shared_ptr<UIImage> image) {
    if (image_ == image) {
        return;
    }
    const CGSize oldSize = image_ ? image_->size() : CGSize{-1, -1};
    image_ = std::move(image);
    stopFrames();
    updateTint();
    layer()->setContents(image_ && !image_->images().empty() ? image_->images().front() : image_);
    // Effects inside the view show the new picture behind them.
    for (const auto& subview : subviews()) {
        if (auto effect = std::dynamic_pointer_cast<UIVisualEffectView>(subview)) {
            effect->backdropDidChange();
        }
    }
    startFramesIfNeeded();
    if ((image_ ? image_->size() : CGSize{-1, -1}) != oldSize) {
        invalidateIntrinsicContentSize();
    }
}

void UIImageView::showFrame(double elapsed) {
    // The frame at this moment of the loop, and when the next one is due.
    const auto& frames = image_->images();
    const auto& durations = image_->frameDurations();
    const double position = std::fmod(elapsed, image_->duration());
    size_t index = 0;
    double frameEnd = durations.empty() ? image_->duration() : durations.front();
    while (index + 1 < frames.size() && index + 1 < durations.size() && frameEnd <= position + 1e-9) {
        ++index;
        frameEnd += durations[index];
    }
    layer()->setContents(frames[index]);
    const double wait = std::max(frameEnd - position, 1.0 / 120);
    std::weak_ptr<UIResponder> weak = weak_from_this();
    frameTimer_ = RunLoop::main().post(
        [weak] {
            if (auto view = std::static_pointer_cast<UIImageView>(weak.lock())) {
                view->frameTimer_ = 0;
                if (view->image_ && view->window() != nullptr) {
                    view->showFrame(RunLoop::main().now() - view->animationStart_);
                }
            }
        },
        wait);
}

void UIImageView::updateTint() {
    const bool templated = image_ && image_->renderingMode() == UIImageRenderingMode::alwaysTemplate;
    layer()->setContentsTintColor(templated ? std::optional<UIColor>(tintColor()) : std::nullopt);
}

void UIImageView::tintColorDidChange() {
    updateTint();
}

CGSize UIImageView::intrinsicContentSize() const {
    if (!image_) {
        return {UIViewNoIntrinsicMetric, UIViewNoIntrinsicMetric};
    }
    return image_->size();
}

CGSize UIImageView::sizeThatFits(CGSize) const {
    return image_ ? image_->size() : CGSizeZero;
}
