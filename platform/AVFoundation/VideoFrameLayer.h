#pragma once

#include "platform/AVFoundation/Media/VideoFrame.h"
#include "platform/QuartzCore/CALayer.h"

#include <memory>

// How the video is fitted into the layer's bounds.
enum AVLayerVideoGravity {
    AVLayerVideoGravityResizeAspect,     // all of the picture, with bars
    AVLayerVideoGravityResizeAspectFill, // the bounds filled, the picture cropped
    AVLayerVideoGravityResize,           // stretched to the bounds
};

// A layer that shows one video picture at a time, fitted by its gravity. Whoever plays
// the video hands it each new picture (a player view forwards its playback controller's
// pictures; AVPlayerLayer its player's). A picture in memory is painted with the
// interface; a picture in a texture of the window's OpenGL context is an external picture
// that the window host draws beneath the interface, the layer leaving its place open.
class VideoFrameLayer : public CALayer {
  public:
    VideoFrameLayer() = default;
    VideoFrameLayer(const VideoFrameLayer& other) = default;

    const std::shared_ptr<const VideoFrame>& videoFrame() const { return frame_; }
    void setVideoFrame(std::shared_ptr<const VideoFrame> frame);
    AVLayerVideoGravity videoGravity() const { return videoGravity_; }
    void setVideoGravity(AVLayerVideoGravity gravity);
    // Whether there is a picture to show.
    bool isReadyForDisplay() const { return frame_ != nullptr; }
    // Where the picture is drawn, in the layer's coordinates (empty without a picture).
    CGRect videoRect() const;

    bool drawsContent() const override { return (frame_ && frame_->surface()) || CALayer::drawsContent(); }
    void drawInContext(cairo_t* context) override;
    std::optional<CAExternalPicture> externalPicture() const override;

  protected:
    std::shared_ptr<CALayer> clone() const override { return std::make_shared<VideoFrameLayer>(*this); }

  private:
    std::shared_ptr<const VideoFrame> frame_;
    AVLayerVideoGravity videoGravity_ = AVLayerVideoGravityResizeAspect;
};
