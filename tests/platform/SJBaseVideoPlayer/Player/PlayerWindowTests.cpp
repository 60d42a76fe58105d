#include "platform/Foundation/RunLoop.h"
#include "platform/SJBaseVideoPlayer/Player/SJBaseVideoPlayer.h"
#include "platform/host/SDLWindowHost.h"
#include "tests/platform/QuartzCore/PixelProbe.h"
#include "tests/platform/SJBaseVideoPlayer/Player/PlayerViewTestSupport.h"
#include "tests/support/TestSupport.h"
#include "tests/support/XvfbServer.h"

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

namespace {

const CGRect kPlayerFrame{{0, 100}, {390, 219}};

// The share of the window's pixels inside `rect` (in points) that are not black.
double litFraction(SDLWindowHost& host, const CGRect& rect) {
    const auto path = testsupport::freshFolder("player-window") / "screen.png";
    if (!host.writeScreenshot(path.string())) {
        return -1;
    }
    cairo_surface_t* image = cairo_image_surface_create_from_png(path.c_str());
    const double scale = cairo_image_surface_get_width(image) / UIScreen::mainScreen().bounds().size.width;
    int lit = 0;
    int total = 0;
    for (int y = static_cast<int>(rect.minY() * scale); y < static_cast<int>(rect.maxY() * scale); y += 2) {
        for (int x = static_cast<int>(rect.minX() * scale); x < static_cast<int>(rect.maxX() * scale);
             x += 2) {
            const Pixel pixel = pixelAt(image, x, y);
            lit += pixel.r > 24 || pixel.g > 24 || pixel.b > 24 ? 1 : 0;
            ++total;
        }
    }
    cairo_surface_destroy(image);
    return total > 0 ? static_cast<double>(lit) / total : 0;
}

// The player view in a window: pictures come through libmpv's OpenGL renderer and the
// window draws them beneath the interface, also in full screen, where the desktop window
// turns to landscape with the picture upright.
TEST(PlayerInAWindow, ShowsThePictureInPlaceAndUprightInTheLandscapeWindowOfFullScreen) {
    // A desktop display: SDL's offscreen driver cannot change the size of its drawing surface.
    testsupport::XvfbServer server("1920x1080x24");
    if (!server.isRunning()) {
        GTEST_SKIP() << server.error();
    }
    setenv("SDL_VIDEODRIVER", "x11", 1);
    testsupport::useVirtualClock();
    UIScreen::configureMainScreen(UIScreen::Metrics::modern());
    SDLWindowHost host({"Orvex player test", 1, false, true});
    ASSERT_TRUE(host.isOpen());
    auto player = SJBaseVideoPlayer::player();
    auto window = playerviewtest::showInWindow(*player, kPlayerFrame);
    player->setURLAsset(SJVideoPlayerURLAsset::initWithURL(playerviewtest::clipURL(), 0));

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    auto shown = [&] {
        const auto& frame = player->presentView()->videoLayer()->videoFrame();
        return frame && player->isPlaying() && player->currentTime() > 0.5;
    };
    while (!shown() && std::chrono::steady_clock::now() < deadline) {
        host.pumpOnce();
    }
    ASSERT_TRUE(shown()) << player->playbackController()->errorDescription();
    EXPECT_NE(player->presentView()->videoLayer()->videoFrame()->texture(), 0u);

    // In place: the 4:3 picture fitted into the 16:9 area, black bars beside it.
    const CGRect picture =
        player->presentView()->videoLayer()->videoRect().offsetBy(0, kPlayerFrame.origin.y);
    EXPECT_GT(litFraction(host, picture.insetBy(4, 4)), 0.5);
    EXPECT_LT(litFraction(host, {{1, 101}, {picture.minX() - 2, 217}}), 0.01);

    // Full screen: the window turns to 844 x 390 points at the same scale, and the 4:3
    // picture (520 x 390) stands upright in its middle, black bars beside it.
    player->rotationManager().rotate();
    RunLoop::main().advance(SJRotationManager::animationDuration + 0.05);
    ASSERT_TRUE(player->isFullscreen());
    host.pumpOnce();
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(host.window(), &width, &height);
    EXPECT_EQ(width, 844);
    EXPECT_EQ(height, 390);
    EXPECT_GT(litFraction(host, {{172, 10}, {500, 370}}), 0.5);
    EXPECT_LT(litFraction(host, {{10, 10}, {150, 370}}), 0.01) << "the bar beside the upright picture";

    player->rotationManager().rotate();
    RunLoop::main().advance(SJRotationManager::animationDuration + 0.05);
    host.pumpOnce();
    SDL_GetWindowSize(host.window(), &width, &height);
    EXPECT_EQ(width, 390);
    EXPECT_EQ(height, 844);
    EXPECT_GT(litFraction(host, picture.insetBy(4, 4)), 0.5) << "the picture back in its place";

    window->setHidden(true);
    player.reset();
    RunLoop::main().advance(1);
}

} // namespace
