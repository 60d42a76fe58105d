#include "platform/AVFoundation/AVPlayerLayer.h"
#include "tests/platform/AVFoundation/support/PlayerTestMedia.h"

#include <gtest/gtest.h>

#include <cairo.h>

namespace {

// The colour bytes (B, G, R) of a pixel of an RGB24 or ARGB32 surface.
bool isBlack(cairo_surface_t* surface, int x, int y) {
    cairo_surface_flush(surface);
    const unsigned char* pixel =
        cairo_image_surface_get_data(surface) + y * cairo_image_surface_get_stride(surface) + x * 4;
    return pixel[0] < 16 && pixel[1] < 16 && pixel[2] < 16;
}

class AVPlayerLayerTest : public testing::Test {
  protected:
    void SetUp() override {
        MediaEngineSettings::setAudioOutputEnabled(false);
        const auto folder = playertest::hlsStream("layer", 2);
        ASSERT_FALSE(folder.empty());
        player_ = AVPlayer::playerWithPlayerItem(
            AVPlayerItem::playerItemWithURL("file://" + (folder / "index.m3u8").string()));
        layer_ = AVPlayerLayer::playerLayerWithPlayer(player_);
        // A square layer for a 16:9 picture.
        layer_->setFrame(CGRect{{0, 0}, {90, 90}});
        layer_->setBackgroundColor(UIColor::blackColor());
        player_->play();
        ASSERT_TRUE(playertest::waitFor([&] { return layer_->isReadyForDisplay(); }));
    }

    cairo_surface_t* render() {
        cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 90, 90);
        cairo_t* context = cairo_create(surface);
        layer_->renderInContext(context);
        cairo_destroy(context);
        return surface;
    }

    std::shared_ptr<AVPlayer> player_;
    std::shared_ptr<AVPlayerLayer> layer_;
};

TEST_F(AVPlayerLayerTest, AspectFillCoversTheWholeLayer) {
    layer_->setVideoGravity(AVLayerVideoGravityResizeAspectFill);
    const CGRect rect = layer_->videoRect();
    EXPECT_DOUBLE_EQ(rect.size.height, 90);
    EXPECT_DOUBLE_EQ(rect.size.width, 160);
    EXPECT_DOUBLE_EQ(rect.origin.x, -35);
    cairo_surface_t* surface = render();
    EXPECT_FALSE(isBlack(surface, 45, 2));
    EXPECT_FALSE(isBlack(surface, 45, 87));
    cairo_surface_destroy(surface);
}

TEST_F(AVPlayerLayerTest, AspectLeavesBarsAboveAndBelow) {
    layer_->setVideoGravity(AVLayerVideoGravityResizeAspect);
    const CGRect rect = layer_->videoRect();
    EXPECT_DOUBLE_EQ(rect.size.width, 90);
    EXPECT_NEAR(rect.size.height, 50.625, 1e-9);
    cairo_surface_t* surface = render();
    EXPECT_TRUE(isBlack(surface, 45, 5));
    EXPECT_TRUE(isBlack(surface, 45, 85));
    EXPECT_FALSE(isBlack(surface, 45, 45));
    cairo_surface_destroy(surface);
}

TEST_F(AVPlayerLayerTest, ForgetsThePictureWhenThePlayerLosesItsItem) {
    player_->replaceCurrentItemWithPlayerItem(nullptr);
    EXPECT_FALSE(layer_->isReadyForDisplay());
    EXPECT_EQ(layer_->videoRect().size.width, 0);
}

TEST(VideoFrameLayer, StretchesAPictureHandedToItOverItsBounds) {
    auto frame = VideoFrame::make(4, 2);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 4; ++x) {
            frame->pixels()[y * frame->stride() + x * 4 + 2] = 0xff; // red
        }
    }
    EXPECT_FALSE(frame->isBlank());
    auto layer = std::make_shared<VideoFrameLayer>();
    layer->setFrame(CGRect{{0, 0}, {10, 10}});
    layer->setVideoGravity(AVLayerVideoGravityResize);
    EXPECT_FALSE(layer->isReadyForDisplay());
    layer->setVideoFrame(frame);
    EXPECT_EQ(layer->videoRect().size.width, 10);
    EXPECT_EQ(layer->videoRect().size.height, 10);

    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 10, 10);
    cairo_t* context = cairo_create(surface);
    layer->renderInContext(context);
    cairo_destroy(context);
    for (const auto& [x, y] : {std::pair{0, 0}, std::pair{9, 9}, std::pair{5, 1}}) {
        EXPECT_FALSE(isBlack(surface, x, y)) << x << "," << y;
    }
    cairo_surface_destroy(surface);
}

} // namespace
