#include "platform/AVFoundation/VideoFrameLayer.h"

#include <cairo.h>

#include <algorithm>

void VideoFrameLayer::setVideoFrame(std::shared_ptr<const VideoFrame> frame) {
    if (frame_ == frame) {
        return;
    }
    // The next texture of the same size goes where the last one went: the interface
    // stays as it is and only the host draws again.
    const bool sameTextureSize = frame_ && frame && frame_->texture() != 0 && frame->texture() != 0 &&
                                 frame_->width() == frame->width() && frame_->height() == frame->height();
    frame_ = std::move(frame);
    if (frame_ && frame_->texture() != 0) {
        if (auto self = weak_from_this().lock()) {
            CAExternalPictures::add(self);
        }
        CAExternalPictures::noteChange();
    }
    if (!sameTextureSize) {
        setNeedsDisplay();
    }
}

std::optional<CAExternalPicture> VideoFrameLayer::externalPicture() const {
    if (!frame_ || frame_->texture() == 0) {
        return std::nullopt;
    }
    return CAExternalPicture{frame_->texture(), videoRect()};
}

void VideoFrameLayer::setVideoGravity(AVLayerVideoGravity gravity) {
    if (videoGravity_ == gravity) {
        return;
    }
    videoGravity_ = gravity;
    setNeedsDisplay();
}

CGRect VideoFrameLayer::videoRect() const {
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
    return CGRect{{area.origin.x + (area.size.width - drawnWidth) / 2,
                   area.origin.y + (area.size.height - drawnHeight) / 2},
                  {drawnWidth, drawnHeight}};
}

void VideoFrameLayer::drawInContext(cairo_t* context) {
    CALayer::drawInContext(context);
    const CGRect rect = videoRect();
    if (!frame_ || !frame_->surface() || rect.size.width <= 0 || rect.size.height <= 0) {
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
