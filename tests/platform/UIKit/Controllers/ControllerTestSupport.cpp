#include "tests/platform/UIKit/Controllers/ControllerTestSupport.h"

#include "platform/Foundation/RunLoop.h"
#include "platform/QuartzCore/CALayer.h"
#include "platform/UIKit/UIScreen.h"
#include "tests/support/TestSupport.h"

#include <cairo.h>

#include <cstdlib>
#include <filesystem>

namespace controllertests {

namespace {

std::shared_ptr<UIView> findIn(const std::shared_ptr<UIView>& view, const std::string& identifier) {
    if (view->isHidden()) {
        return nullptr;
    }
    if (view->accessibilityIdentifier() == identifier) {
        return view;
    }
    const auto& subviews = view->subviews();
    for (auto it = subviews.rbegin(); it != subviews.rend(); ++it) {
        if (auto found = findIn(*it, identifier)) {
            return found;
        }
    }
    return nullptr;
}

std::filesystem::path artefactsFolder() {
    const char* build = std::getenv("ORVEX_BUILD_DIR");
    return std::filesystem::path(build != nullptr ? build : ".") / "artefacts";
}

} // namespace

void ScreenTest::SetUp() {
    testsupport::useVirtualClock();
    window = std::make_shared<UIWindow>(UIScreen::mainScreen().bounds());
    window->makeKeyAndVisible();
}

void ScreenTest::TearDown() {
    const auto* info = testing::UnitTest::GetInstance()->current_test_info();
    if (HasFailure()) {
        const std::string path = writeScreenshot(std::string(info->test_suite_name()) + "." + info->name());
        std::cerr << "The screen at the failure: " << path << "\n";
    }
    window->setRootViewController(nullptr);
    window->setHidden(true);
    window.reset();
    settle();
}

void ScreenTest::settle(double seconds) {
    RunLoop::main().advance(seconds);
    if (window) {
        window->layoutIfNeeded();
    }
}

void ScreenTest::tapAt(CGPoint point) {
    window->layoutIfNeeded();
    const double now = RunLoop::main().now();
    window->handleTouch(UITouchPhase::began, point, now);
    window->handleTouch(UITouchPhase::ended, point, now + 0.05);
}

void ScreenTest::tap(const std::shared_ptr<UIView>& view) {
    ASSERT_TRUE(view) << "no view to tap";
    window->layoutIfNeeded();
    const CGRect bounds = view->bounds();
    tapAt(view->convertPointToView({bounds.midX(), bounds.midY()}, window.get()));
}

std::shared_ptr<UIView> ScreenTest::find(const std::string& identifier) const { return findIn(window, identifier); }

std::string ScreenTest::writeScreenshot(const std::string& name) const {
    window->layoutIfNeeded();
    const double scale = UIScreen::mainScreen().scale();
    const CGSize size = window->bounds().size;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(size.width * scale),
                                                          static_cast<int>(size.height * scale));
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_paint(cr);
    cairo_scale(cr, scale, scale);
    window->layer()->renderInContext(cr);
    cairo_destroy(cr);
    std::filesystem::create_directories(artefactsFolder());
    const std::string path = (artefactsFolder() / (name + ".png")).string();
    cairo_surface_write_to_png(surface, path.c_str());
    cairo_surface_destroy(surface);
    return path;
}

} // namespace controllertests
