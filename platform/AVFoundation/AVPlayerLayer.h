#pragma once

#include "platform/AVFoundation/AVPlayer.h"
#include "platform/QuartzCore/CALayer.h"

#include <memory>

// How the video is fitted into the layer's bounds.
enum AVLayerVideoGravity {
    AVLayerVideoGravityResizeAspect,     // all of the picture, with bars
    AVLayerVideoGravityResizeAspectFill, // the bounds filled, the picture cropped
    AVLayerVideoGravityResize,           // stretched to the bounds
};

// A layer that shows its player's pictures, each one as it arrives.
class AVPlayerLayer : public CALayer {
public:
    AVPlayerLayer() = default;
    AVPlayerLayer(const AVPlayerLayer& other);
    static std::shared_ptr<AVPlayerLayer> playerLayerWithPlayer(std::shared_ptr<AVPlayer> player);

    const std::shared_ptr<AVPlayer>& player() const { return player_; }
    void setPlayer(std::shared_ptr<AVPlayer> player);
    AVLayerVideoGravity videoGravity() const { return videoGravity_; }
    void setVideoGravity(AVLayerVideoGravity gravity);
    // Whether a picture of the current item is there to be shown.
    bool isReadyForDisplay() const { return frame_ != nullptr; }
    // Where the picture is drawn, in the layer's coordinates (empty without a picture).
    CGRect videoRect() const;

    bool drawsContent() const override { return frame_ != nullptr || CALayer::drawsContent(); }
    void drawInContext(cairo_t* context) override;

protected:
    std::shared_ptr<CALayer> clone() const override { return std::make_shared<AVPlayerLayer>(*this); }

private:
    void playerDidChange(unsigned changes);

    std::shared_ptr<AVPlayer> player_;
    AVLayerVideoGravity videoGravity_ = AVLayerVideoGravityResizeAspect;
    std::shared_ptr<const VideoFrame> frame_;
    AVPlayer::ObserverToken observation_;
};
