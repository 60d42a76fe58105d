#include "platform/AVFoundation/AVPlayerLayer.h"

#include <cairo.h>

#include <algorithm>

// A copy (the presentation of the layer) shows the same picture but observes nothing.
AVPlayerLayer::AVPlayerLayer(const AVPlayerLayer& other)
    : CALayer(other), player_(other.player_), videoGravity_(other.videoGravity_), frame_(other.frame_) {}

std::shared_ptr<AVPlayerLayer> AVPlayerLayer::playerLayerWithPlayer(std::shared_ptr<AVPlayer> player) {
    auto layer = std::make_shared<AVPlayerLayer>();
    layer->setPlayer(std::move(player));
    return layer;
}

void AVPlayerLayer::setPlayer(std::shared_ptr<AVPlayer> player) {
    if (player_ == player) {
        return;
    }
    player_ = std::move(player);
    observation_.reset();
    frame_ = player_ ? player_->latestFrame() : nullptr;
    if (player_) {
        // The observation is the layer's own, so the pointer never outlives the layer.
        observation_ = player_->addObserver([this](AVPlayer&, unsigned changes) { playerDidChange(changes); });
    }
    setNeedsDisplay();
}

void AVPlayerLayer::setVideoGravity(AVLayerVideoGravity gravity) {
    if (videoGravity_ == gravity) {
        return;
    }
    videoGravity_ = gravity;
    setNeedsDisplay();
}

void AVPlayerLayer::playerDidChange(unsigned changes) {
    if ((changes & (AVPlayerChangeFrame | AVPlayerChangeItem)) == 0) {
        return;
    }
    auto frame = player_->latestFrame();
    if (frame == frame_) {
        return;
    }
    frame_ = std::move(frame);
    setNeedsDisplay();
}

CGRect AVPlayerLayer::videoRect() const {
    const CGRect area = bounds();
    if (!frame_ || area.size.width <= 0 || area.size.height <= 0) {
        return CGRect{};
    }
    const double width = frame_->width();
    const double height = frame_->height();
    double scaleX = area.size.width / width;
    double scaleY = area.size.height / height;
    if (videoGravity_ == AVLayerVideoGravityResizeAspect) {
        scaleX = scaleY = std::min(scaleX, scaleY);
    } else if (videoGravity_ == AVLayerVideoGravityResizeAspectFill) {
        scaleX = scaleY = std::max(scaleX, scaleY);
    }
    const double drawnWidth = width * scaleX;
    const double drawnHeight = height * scaleY;
    return CGRect{{area.origin.x + (area.size.width - drawnWidth) / 2, area.origin.y + (area.size.height - drawnHeight) / 2},
                  {drawnWidth, drawnHeight}};
}

void AVPlayerLayer::drawInContext(cairo_t* context) {
    CALayer::drawInContext(context);
    const CGRect rect = videoRect();
    if (rect.size.width <= 0 || rect.size.height <= 0) {
        return;
    }
    const CGRect area = bounds();
    cairo_save(context);
    cairo_rectangle(context, area.origin.x, area.origin.y, area.size.width, area.size.height);
    cairo_clip(context);
    cairo_translate(context, rect.origin.x, rect.origin.y);
    cairo_scale(context, rect.size.width / frame_->width(), rect.size.height / frame_->height());
    cairo_set_source_surface(context, frame_->surface(), 0, 0);
    cairo_pattern_set_filter(cairo_get_source(context), CAIRO_FILTER_GOOD);
    cairo_pattern_set_extend(cairo_get_source(context), CAIRO_EXTEND_PAD);
    cairo_rectangle(context, 0, 0, frame_->width(), frame_->height());
    cairo_fill(context);
    cairo_restore(context);
}
