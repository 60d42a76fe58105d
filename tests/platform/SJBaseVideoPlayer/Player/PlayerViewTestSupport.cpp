#include "tests/platform/SJBaseVideoPlayer/Player/PlayerViewTestSupport.h"

#include "platform/AVFoundation/Media/MediaEngine.h"
#include "platform/Foundation/RunLoop.h"
#include "platform/SJBaseVideoPlayer/Player/SJBaseVideoPlayer.h"
#include "platform/UIKit/UIScreen.h"
#include "platform/host/ScreenRenderer.h"
#include "tests/support/media/MediaFixtures.h"
#include "tests/support/media/TestOrigin.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>

namespace playerviewtest {

namespace {

testmedia::TestOrigin& origin() {
    static testmedia::TestOrigin served(testmedia::MediaFixtures::shared().root());
    static const bool started = served.start();
    (void)started;
    return served;
}

} // namespace

std::string clipURL() {
    return origin().url("plain/clip.mp4");
}

std::string streamURL() {
    return origin().url("twovariants/v0/index.m3u8");
}

std::string missingURL() {
    return origin().url("plain/missing.mp4");
}

std::shared_ptr<UIWindow> showInWindow(SJBaseVideoPlayer& player, const CGRect& frame) {
    MediaEngineSettings::setAudioOutputEnabled(false);
    auto window = std::make_shared<UIWindow>(UIScreen::mainScreen().bounds());
    window->setBackgroundColor(UIColor::blackColor());
    window->makeKeyAndVisible();
    auto holder = std::make_shared<UIView>(frame);
    window->addSubview(holder);
    holder->addSubview(player.view());
    player.view()->setFrame(holder->bounds());
    window->layoutIfNeeded();
    return window;
}

bool waitFor(const std::function<bool()>& done, double seconds) {
    return RunLoop::main().runUntil(done, seconds);
}

double litFraction(const CGRect& rect) {
    ScreenRenderer renderer;
    renderer.renderFrame();
    cairo_surface_t* surface = renderer.surface();
    cairo_surface_flush(surface);
    const double scale = renderer.scale();
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    const int left = std::max(0, static_cast<int>(std::floor(rect.minX() * scale)));
    const int top = std::max(0, static_cast<int>(std::floor(rect.minY() * scale)));
    const int right = std::min(renderer.pixelWidth(), static_cast<int>(std::ceil(rect.maxX() * scale)));
    const int bottom = std::min(renderer.pixelHeight(), static_cast<int>(std::ceil(rect.maxY() * scale)));
    long lit = 0;
    long total = 0;
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            const unsigned char* pixel = data + y * stride + x * 4;
            lit += (pixel[0] > 24 || pixel[1] > 24 || pixel[2] > 24) ? 1 : 0;
            ++total;
        }
    }
    return total > 0 ? static_cast<double>(lit) / static_cast<double>(total) : 0;
}

} // namespace playerviewtest
