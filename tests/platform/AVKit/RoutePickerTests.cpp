#include "platform/AVKit/AVRoutePickerView.h"
#include "platform/UIKit/UILabel.h"
#include "tests/support/TestSupport.h"
#include "tests/support/ui/UIDriver.h"

#include <gtest/gtest.h>

namespace {

class Recorder : public AVRoutePickerViewDelegate {
  public:
    void willBeginPresentingRoutes(AVRoutePickerView& picker) override {
        calls.push_back(picker.isPresentingRoutes() ? "will begin (presenting)" : "will begin");
    }
    void didEndPresentingRoutes(AVRoutePickerView& picker) override {
        calls.push_back(picker.isPresentingRoutes() ? "did end (presenting)" : "did end");
    }
    std::vector<std::string> calls;
};

class RoutePicker : public testing::Test {
  protected:
    void SetUp() override {
        testsupport::useVirtualClock();
        window = std::make_shared<UIWindow>();
        window->makeKeyAndVisible();
        picker = std::make_shared<AVRoutePickerView>(CGRect{{300, 60}, {18, 18}});
        picker->setPrioritizesVideoDevices(true);
        picker->setTintColor(UIColor::whiteColor());
        picker->delegate = recorder;
        window->addSubview(picker);
    }

    void TearDown() override { window->setHidden(true); }

    std::shared_ptr<UIWindow> window;
    std::shared_ptr<AVRoutePickerView> picker;
    std::shared_ptr<Recorder> recorder = std::make_shared<Recorder>();
    testsupport::ui::UIDriver driver;
};

TEST_F(RoutePicker, ATapOpensASheetThatFindsNoDeviceAndClosesItAgain) {
    driver.tap(picker);
    EXPECT_EQ(recorder->calls, (std::vector<std::string>{"will begin"}));
    EXPECT_TRUE(picker->isPresentingRoutes());
    driver.advance(0.3);
    auto message = driver.findByText("未找到可用的设备");
    ASSERT_NE(message, nullptr);
    EXPECT_LE(driver.frameInWindow(message).maxY(), window->bounds().maxY()) << "slid in";
    EXPECT_FALSE(window->hitTest({309, 69}, nullptr)->isDescendantOfView(picker.get()))
        << "the sheet covers the picker";

    driver.tap(driver.findByClass<UIControl>(1)); // the first control is the picker itself
    EXPECT_EQ(recorder->calls.size(), 1u) << "told once the sheet is gone";
    driver.advance(0.3);
    EXPECT_EQ(recorder->calls, (std::vector<std::string>{"will begin", "did end"}));
    EXPECT_FALSE(picker->isPresentingRoutes());
    EXPECT_EQ(driver.findByText("未找到可用的设备"), nullptr);

    // A tap beside the panel closes it too.
    driver.tap(picker);
    driver.advance(0.3);
    driver.tap(CGPoint{200, 200});
    driver.advance(0.3);
    EXPECT_EQ(recorder->calls.size(), 4u);
    EXPECT_EQ(window->subviews().size(), 1u);
}

TEST_F(RoutePicker, OpensNothingOutsideAWindow) {
    picker->removeFromSuperview();
    picker->presentRoutes();
    EXPECT_TRUE(recorder->calls.empty());
    EXPECT_FALSE(picker->isPresentingRoutes());
}

} // namespace
