#include "tests/platform/UIKit/Controllers/ControllerTestSupport.h"

#include "platform/UIKit/UIScreen.h"
#include "platform/host/ScreenRenderer.h"
#include "tests/support/TestSupport.h"

#include <cairo.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>

namespace controllertests {

void ScreenTest::SetUp() {
    testsupport::useVirtualClock();
    window = std::make_shared<UIWindow>(UIScreen::mainScreen().bounds());
    window->makeKeyAndVisible();
}

void ScreenTest::TearDown() {
    window->setRootViewController(nullptr);
    window->setHidden(true);
    window.reset();
    settle();
}

std::shared_ptr<UIView> ScreenTest::find(const std::string& identifierOrText) const {
    if (auto view = driver.findByAccessibilityIdentifier(identifierOrText)) {
        return view;
    }
    return driver.findByText(identifierOrText);
}

void ScreenTest::keepScreenshot(const std::string& name) {
    if (!HasFailure() && std::getenv("ORVEX_KEEP_SCREENSHOTS") == nullptr) {
        return;
    }
    const char* build = std::getenv("ORVEX_BUILD_DIR");
    const auto folder = std::filesystem::path(build != nullptr ? build : ".") / "artefacts";
    std::filesystem::create_directories(folder);
    const std::string path = (folder / (name + ".png")).string();
    if (driver.writeScreenshot(path)) {
        std::cerr << "Screenshot: " << path << "\n";
    }
}

ScreenImage::ScreenImage() : renderer_(std::make_unique<ScreenRenderer>()) {
    renderer_->renderFrame();
}

ScreenImage::~ScreenImage() = default;

UIColor ScreenImage::colorAt(CGPoint point) const {
    cairo_surface_t* surface = renderer_->surface();
    cairo_surface_flush(surface);
    const double scale = renderer_->scale();
    const int x = static_cast<int>(point.x * scale);
    const int y = static_cast<int>(point.y * scale);
    if (x < 0 || y < 0 || x >= renderer_->pixelWidth() || y >= renderer_->pixelHeight()) {
        return UIColor::clearColor();
    }
    const unsigned char* row =
        cairo_image_surface_get_data(surface) + y * cairo_image_surface_get_stride(surface);
    std::uint32_t pixel = 0;
    std::memcpy(&pixel, row + x * 4, sizeof pixel);
    const double alpha = ((pixel >> 24) & 0xFF) / 255.0;
    if (alpha == 0) {
        return UIColor::clearColor();
    }
    const auto channel = [&](int shift) { return ((pixel >> shift) & 0xFF) / 255.0 / alpha; };
    return UIColor::colorWithRed(channel(16), channel(8), channel(0), alpha);
}

bool similarColors(const UIColor& a, const UIColor& b, double tolerance) {
    return std::abs(a.red - b.red) <= tolerance && std::abs(a.green - b.green) <= tolerance &&
           std::abs(a.blue - b.blue) <= tolerance && std::abs(a.alpha - b.alpha) <= tolerance;
}

} // namespace controllertests
