#include "tests/platform/UIKit/Controllers/ControllerTestSupport.h"

#include "platform/Foundation/RunLoop.h"
#include "platform/QuartzCore/CALayer.h"
#include "platform/UIKit/UIScreen.h"
#include "tests/support/TestSupport.h"

#include <cairo.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iostream>
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
    // Touches go to the topmost visible window, as the hosts send them.
    const auto windows = UIWindow::windows();
    ASSERT_FALSE(windows.empty()) << "no window to tap";
    const auto& target = windows.back();
    target->layoutIfNeeded();
    const double now = RunLoop::main().now();
    target->handleTouch(UITouchPhase::began, point, now);
    target->handleTouch(UITouchPhase::ended, point, now + 0.05);
}

void ScreenTest::tap(const std::shared_ptr<UIView>& view) {
    ASSERT_TRUE(view) << "no view to tap";
    view->layoutIfNeeded();
    const CGRect bounds = view->bounds();
    tapAt(view->convertPointToView({bounds.midX(), bounds.midY()}, nullptr));
}

std::shared_ptr<UIView> ScreenTest::find(const std::string& identifier) const {
    const auto windows = UIWindow::windows();
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        if (auto found = findIn(*it, identifier)) {
            return found;
        }
    }
    return nullptr;
}

std::string ScreenTest::writeScreenshot(const std::string& name) const {
    std::filesystem::create_directories(artefactsFolder());
    const std::string path = (artefactsFolder() / (name + ".png")).string();
    ScreenImage().writePNG(path);
    return path;
}

void ScreenTest::keepScreenshot(const std::string& name) {
    if (HasFailure() || std::getenv("ORVEX_KEEP_SCREENSHOTS") != nullptr) {
        std::cerr << "Screenshot: " << writeScreenshot(name) << "\n";
    }
}

ScreenImage::ScreenImage() : scale_(UIScreen::mainScreen().scale()) {
    const CGSize size = UIScreen::mainScreen().bounds().size;
    surface_ = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(size.width * scale_),
                                          static_cast<int>(size.height * scale_));
    cairo_t* cr = cairo_create(surface_);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_paint(cr);
    cairo_scale(cr, scale_, scale_);
    for (const auto& visible : UIWindow::windows()) {
        visible->layoutIfNeeded();
        visible->layer()->renderInContext(cr);
    }
    cairo_destroy(cr);
    cairo_surface_flush(surface_);
}

ScreenImage::~ScreenImage() { cairo_surface_destroy(surface_); }

UIColor ScreenImage::colorAt(CGPoint point) const {
    const int x = static_cast<int>(point.x * scale_);
    const int y = static_cast<int>(point.y * scale_);
    if (x < 0 || y < 0 || x >= cairo_image_surface_get_width(surface_) || y >= cairo_image_surface_get_height(surface_)) {
        return UIColor::clearColor();
    }
    const unsigned char* row = cairo_image_surface_get_data(surface_) + y * cairo_image_surface_get_stride(surface_);
    std::uint32_t pixel = 0;
    std::memcpy(&pixel, row + x * 4, sizeof pixel);
    const double alpha = ((pixel >> 24) & 0xFF) / 255.0;
    if (alpha == 0) {
        return UIColor::clearColor();
    }
    const auto channel = [&](int shift) { return ((pixel >> shift) & 0xFF) / 255.0 / alpha; };
    return UIColor::colorWithRed(channel(16), channel(8), channel(0), alpha);
}

bool ScreenImage::writePNG(const std::string& path) const {
    return cairo_surface_write_to_png(surface_, path.c_str()) == CAIRO_STATUS_SUCCESS;
}

bool similarColors(const UIColor& a, const UIColor& b, double tolerance) {
    return std::abs(a.red - b.red) <= tolerance && std::abs(a.green - b.green) <= tolerance &&
           std::abs(a.blue - b.blue) <= tolerance && std::abs(a.alpha - b.alpha) <= tolerance;
}

} // namespace controllertests
