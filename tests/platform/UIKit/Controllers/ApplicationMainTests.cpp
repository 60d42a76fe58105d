#include "platform/UIKit/Controllers/UIApplication.h"
#include "platform/UIKit/Controllers/UIViewController.h"
#include "platform/UIKit/UIView.h"
#include "platform/UIKit/UIWindow.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cairo.h>

#include <filesystem>

namespace {

std::vector<std::string>& events() {
    static std::vector<std::string> log;
    return log;
}

class RedPage : public UIViewController {
  public:
    void viewDidLoad() override { view()->setBackgroundColor(UIColor::redColor()); }
    void viewDidAppear(bool) override { events().push_back("root appeared"); }
};

class Delegate : public UIApplicationDelegate {
  public:
    bool didFinishLaunchingWithOptions(UIApplication&, const UIApplicationLaunchOptions&) override {
        events().push_back(window ? "launched with a window" : "launched without a window");
        window->setRootViewController(std::make_shared<RedPage>());
        return true;
    }
    void applicationDidBecomeActive(UIApplication&) override { events().push_back("active"); }
};

int runMain(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "orvex");
    std::vector<char*> argv;
    for (auto& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    return UIApplicationMain(static_cast<int>(arguments.size()), argv.data(),
                             [] { return std::make_shared<Delegate>(); });
}

} // namespace

TEST(ApplicationMain, HeadlessLaunchShowsTheRootAndWritesTheScreen) {
    const auto screenshot = testsupport::freshFolder("main") / "screen.png";
    EXPECT_EQ(runMain({"--headless", "--screenshot", screenshot.string(), "--screenshot-delay", "0"}), 0);
    EXPECT_EQ(events(), (std::vector<std::string>{"launched with a window", "root appeared", "active"}));
    ASSERT_TRUE(std::filesystem::exists(screenshot));
    cairo_surface_t* image = cairo_image_surface_create_from_png(screenshot.string().c_str());
    ASSERT_EQ(cairo_surface_status(image), CAIRO_STATUS_SUCCESS);
    const auto* pixel = reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(image));
    EXPECT_EQ(pixel[0] & 0xFFFFFF, 0xFF0000u) << "the root page's red fills the screen";
    cairo_surface_destroy(image);
}

TEST(ApplicationMain, UnknownOptionsAreRefused) {
    EXPECT_EQ(runMain({"--fullscreen"}), 2);
    EXPECT_EQ(runMain({"--screenshot", "a.png"}), 2) << "screenshots need the headless host";
    EXPECT_EQ(runMain({"--headless", "--screenshot-delay", "soon"}), 2);
    EXPECT_TRUE(events().empty()) << "nothing is launched";
}
