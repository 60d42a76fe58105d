#include "platform/AVFoundation/AVPlayerLayer.h"
#include "platform/AVFoundation/Media/VideoGLContext.h"
#include "platform/Foundation/RunLoop.h"
#include "platform/UIKit/UILabel.h"
#include "platform/UIKit/UIScreen.h"
#include "platform/UIKit/UIWindow.h"
#include "platform/host/SDLWindowHost.h"
#include "tests/platform/QuartzCore/PixelProbe.h"
#include "tests/platform/host/PumpUntil.h"
#include "tests/support/TestSupport.h"
#include "tests/support/media/MediaFixtures.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <numbers>

namespace {

// The player's area on the 200 x 300 point screen (twice as many pixels each way).
const CGRect kPlayerFrame{{20, 60}, {160, 90}};

using hosttest::pumpUntil;

// A screenshot of the window, read back as an image.
class Screenshot {
  public:
    Screenshot(SDLWindowHost& host, const std::string& name) {
        const auto path = testsupport::freshFolder("video-window") / (name + ".png");
        if (host.writeScreenshot(path.string())) {
            image_ = cairo_image_surface_create_from_png(path.c_str());
        }
    }
    ~Screenshot() {
        if (image_ != nullptr) {
            cairo_surface_destroy(image_);
        }
    }
    bool isValid() const { return image_ != nullptr && cairo_surface_status(image_) == CAIRO_STATUS_SUCCESS; }

    // The pixel at a point of the screen.
    Pixel at(double x, double y) const {
        return pixelAt(image_, static_cast<int>(x * 2), static_cast<int>(y * 2));
    }
    // The share of the pixels in `rect` (in points) that are not black.
    double litFraction(const CGRect& rect) const {
        int lit = 0;
        int total = 0;
        for (int y = static_cast<int>(rect.minY() * 2); y < static_cast<int>(rect.maxY() * 2); ++y) {
            for (int x = static_cast<int>(rect.minX() * 2); x < static_cast<int>(rect.maxX() * 2); ++x) {
                const Pixel pixel = pixelAt(image_, x, y);
                lit += pixel.r > 24 || pixel.g > 24 || pixel.b > 24 ? 1 : 0;
                ++total;
            }
        }
        return total > 0 ? static_cast<double>(lit) / total : 0;
    }

  private:
    cairo_surface_t* image_ = nullptr;
};

bool isRed(const Pixel& pixel) {
    return pixel.r > 200 && pixel.g < 60 && pixel.b < 60;
}

class VideoWindow : public testing::Test {
  protected:
    void SetUp() override {
        testsupport::useVirtualClock();
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        UIScreen::configureMainScreen({{200, 300}, 2, 20, 10});
        MediaEngineSettings::setAudioOutputEnabled(false);
        host = std::make_unique<SDLWindowHost>(SDLWindowHost::Options{"Orvex video test", 2, false, openGL});
        ASSERT_TRUE(host->isOpen());

        window = std::make_shared<UIWindow>(UIScreen::mainScreen().bounds());
        window->setBackgroundColor(UIColor::blackColor());
        holder = std::make_shared<UIView>(kPlayerFrame);
        holder->setBackgroundColor(UIColor::blackColor());
        window->addSubview(holder);
        // The engine is made while the window lends its context (if it has one): pictures go
        // into textures.
        const auto clip = testmedia::MediaFixtures::shared().root() / "plain" / "clip.mp4";
        player = AVPlayer::playerWithPlayerItem(AVPlayerItem::playerItemWithURL("file://" + clip.string()));
        videoLayer = AVPlayerLayer::playerLayerWithPlayer(player);
        videoLayer->setFrame(holder->bounds());
        holder->layer()->addSublayer(videoLayer);
        // Interface drawn above the picture's top left corner.
        badge = std::make_shared<UILabel>(CGRectMake(20, 0, 40, 20));
        badge->setBackgroundColor(UIColor::redColor());
        badge->setText("HD");
        holder->addSubview(badge);
        window->makeKeyAndVisible();
        player->play();
    }

    void TearDown() override {
        window->setHidden(true);
        videoLayer.reset();
        player.reset();
        host.reset();
    }

    // Waits for a moving picture drawn into a texture.
    void waitForPlayingTexture() {
        ASSERT_TRUE(pumpUntil(*host, [&] { return player->latestFrame() && player->currentTime() > 0.5; }))
            << player->currentItem()->errorDescription();
        ASSERT_NE(player->latestFrame()->texture(), 0u) << "the picture went through the OpenGL renderer";
        EXPECT_EQ(player->latestFrame()->surface(), nullptr);
        EXPECT_EQ(player->latestFrame()->width(), 320);
    }

    bool openGL = true;
    std::unique_ptr<SDLWindowHost> host;
    std::shared_ptr<UIWindow> window;
    std::shared_ptr<UIView> holder;
    std::shared_ptr<AVPlayer> player;
    std::shared_ptr<AVPlayerLayer> videoLayer;
    std::shared_ptr<UILabel> badge;
};

TEST_F(VideoWindow, ShowsTheVideoTextureInThePlayersPlaceUnderTheInterface) {
    waitForPlayingTexture();
    host->pumpOnce();

    // The interface image leaves the picture's place open, but not under the badge.
    cairo_surface_t* interface = host->screen().surface();
    EXPECT_EQ(pixelAt(interface, 200, 220).a, 0) << "a hole where the picture shows";
    EXPECT_EQ(pixelAt(interface, 100, 130).a, 255) << "the badge above the picture";
    EXPECT_EQ(pixelAt(interface, 50, 200).a, 255) << "the black bar beside the 4:3 picture";

    // The window shows the picture there, with the badge on top.
    const Screenshot shot(*host, "aspect");
    ASSERT_TRUE(shot.isValid());
    // The 4:3 picture fitted into the 16:9 area: screen x from 40 to 160.
    EXPECT_GT(shot.litFraction({{42, 82}, {116, 66}}), 0.5) << "video pixels";
    EXPECT_TRUE(isRed(shot.at(76, 62))) << "the badge over the picture";
    EXPECT_TRUE(isRed(shot.at(76, 77))) << "the badge over the picture";
    EXPECT_LT(shot.litFraction({{21, 61}, {18, 88}}), 0.01) << "the bar beside the picture";
    EXPECT_LT(shot.litFraction({{0, 20}, {200, 39}}), 0.01) << "the window above the player";

    // Aspect fill: the picture covers the whole area and is cut at its bounds.
    videoLayer->setVideoGravity(AVLayerVideoGravityResizeAspectFill);
    const Screenshot filled(*host, "fill");
    ASSERT_TRUE(filled.isValid());
    EXPECT_GT(filled.litFraction({{22, 62}, {16, 86}}), 0.5) << "where the bar was";
    EXPECT_LT(filled.litFraction({{20, 50}, {160, 9.5}}), 0.01)
        << "the picture is cut at the top of its bounds";
    EXPECT_LT(filled.litFraction({{20, 150.5}, {160, 10}}), 0.01) << "and at the bottom";
}

TEST_F(VideoWindow, TurnsThePictureWithThePlayer) {
    waitForPlayingTexture();
    // Full screen turns the player's content a quarter: here the player itself turns about
    // its centre (100, 105), its 160 x 90 area becoming 90 x 160.
    holder->setTransform(CGAffineTransformMakeRotation(std::numbers::pi / 2));
    host->pumpOnce();
    const Screenshot shot(*host, "turned");
    ASSERT_TRUE(shot.isValid());
    // The picture's top (its layer's y from 0 to 90) runs along screen x from 145 down to 55.
    EXPECT_GT(shot.litFraction({{60, 90}, {60, 70}}), 0.5) << "the turned picture";
    EXPECT_LT(shot.litFraction({{150, 70}, {30, 70}}), 0.01) << "where the unturned picture was";
    // The badge (layer x 20 to 60, y 0 to 20) turned with it: screen x 125 to 145, y 45 to 85.
    EXPECT_TRUE(isRed(shot.at(128, 82)));
}

TEST_F(VideoWindow, EnginesLetGoOfTheirTexturesWhenTheWindowCloses) {
    waitForPlayingTexture();
    const auto shown = player->latestFrame();
    host.reset();
    EXPECT_EQ(VideoGLContext::current(), nullptr);
    EXPECT_EQ(shown->texture(), 0u) << "a texture of the closed window shows nothing";
    EXPECT_FALSE(videoLayer->externalPicture().has_value());
    // Playing on without the window harms nothing; a player made now draws into memory.
    const double before = player->currentTime();
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return player->currentTime() > before + 0.3; }, 20));
    player.reset();
    auto later = AVPlayer::playerWithPlayerItem(AVPlayerItem::playerItemWithURL(
        "file://" + (testmedia::MediaFixtures::shared().root() / "plain" / "clip.mp4").string()));
    later->play();
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return later->latestFrame() != nullptr; }, 20));
    EXPECT_EQ(later->latestFrame()->texture(), 0u);
    EXPECT_FALSE(later->latestFrame()->isBlank());
}

// A window without OpenGL lends nothing: the engine draws its pictures into memory, and
// they are painted in the player's place with the interface over them.
class VideoWindowWithoutOpenGL : public VideoWindow {
  protected:
    void SetUp() override {
        openGL = false;
        VideoWindow::SetUp();
    }
};

TEST_F(VideoWindowWithoutOpenGL, ShowsThePictureDrawnInMemoryInThePlayersPlaceUnderTheInterface) {
    EXPECT_EQ(VideoGLContext::current(), nullptr);
    ASSERT_TRUE(pumpUntil(*host, [&] { return player->latestFrame() && player->currentTime() > 0.5; }))
        << player->currentItem()->errorDescription();
    EXPECT_EQ(player->latestFrame()->texture(), 0u);
    ASSERT_NE(player->latestFrame()->surface(), nullptr);
    EXPECT_FALSE(player->latestFrame()->isBlank());
    host->pumpOnce();

    const Screenshot shot(*host, "memory");
    ASSERT_TRUE(shot.isValid());
    EXPECT_GT(shot.litFraction({{42, 82}, {116, 66}}), 0.5) << "video pixels";
    EXPECT_TRUE(isRed(shot.at(76, 62))) << "the badge over the picture";
    EXPECT_LT(shot.litFraction({{21, 61}, {18, 88}}), 0.01) << "the bar beside the picture";
    EXPECT_LT(shot.litFraction({{0, 20}, {200, 39}}), 0.01) << "the window above the player";
}

} // namespace
