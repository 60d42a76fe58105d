#include "platform/AVFoundation/AVPlayerLayer.h"
#include "platform/AVFoundation/Media/VideoGLContext.h"
#include "platform/AVFoundation/mpv/MpvLibrary.h"
#include "platform/UIKit/UIScreen.h"
#include "platform/UIKit/UIWindow.h"
#include "platform/host/SDLWindowHost.h"
#include "tests/platform/host/PumpUntil.h"
#include "tests/support/TestSupport.h"
#include "tests/support/media/MediaFixtures.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

using hosttest::pumpUntil;

// In a window that lends its OpenGL context, mpv's OpenGL renderer draws into the
// window's textures; once the player is gone its renderer and the library go (nothing of
// mpv's is left on the context), and the next player loads the library again and draws
// through a new renderer into the same context.
TEST(EngineUnloadWindow, ThePlayerAfterTheUnloadDrawsIntoTheWindowsContextAgain) {
    testsupport::useVirtualClock();
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    UIScreen::configureMainScreen({{200, 300}, 2, 20, 10});
    MediaEngineSettings::setAudioOutputEnabled(false);
    SDLWindowHost host(SDLWindowHost::Options{"Orvex engine unload test", 2, false, true});
    ASSERT_TRUE(host.isOpen());
    auto window = std::make_shared<UIWindow>(UIScreen::mainScreen().bounds());
    window->makeKeyAndVisible();
    const auto clip = testmedia::MediaFixtures::shared().root() / "plain" / "clip.mp4";

    for (int round = 1; round <= 2; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        auto player =
            AVPlayer::playerWithPlayerItem(AVPlayerItem::playerItemWithURL("file://" + clip.string()));
        auto layer = AVPlayerLayer::playerLayerWithPlayer(player);
        layer->setFrame(CGRectMake(20, 60, 160, 90));
        window->layer()->addSublayer(layer);
        player->play();
        ASSERT_TRUE(pumpUntil(host, [&] { return player->latestFrame() && player->currentTime() > 0.3; }))
            << player->currentItem()->errorDescription();
        EXPECT_NE(player->latestFrame()->texture(), 0u) << "the picture went through the OpenGL renderer";
        EXPECT_TRUE(MpvLibrary::isLoaded());

        layer->removeFromSuperlayer();
        layer.reset();
        player.reset();
        EXPECT_TRUE(pumpUntil(host, [] { return !MpvLibrary::isLoaded(); }))
            << "the library stays after the last player is gone";
        // The window goes on drawing on its context.
        for (int frame = 0; frame < 5; ++frame) {
            host.pumpOnce();
        }
    }
    EXPECT_NE(VideoGLContext::current(), nullptr) << "the window still lends its context";
}

} // namespace
