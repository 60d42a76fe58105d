#pragma once

#include "platform/UIKit/Controllers/UIViewController.h"
#include "platform/UIKit/UIWindow.h"
#include "tests/support/ui/UIDriver.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

class ScreenRenderer;

namespace controllertests {

// A picture of the whole screen (every visible window, by level) drawn by the hosts'
// screen renderer.
class ScreenImage {
  public:
    ScreenImage();
    ~ScreenImage();
    ScreenImage(const ScreenImage&) = delete;
    ScreenImage& operator=(const ScreenImage&) = delete;

    // The colour at a point of the screen, in points.
    UIColor colorAt(CGPoint point) const;

  private:
    std::unique_ptr<ScreenRenderer> renderer_;
};

// Whether two colours match within `tolerance` per component (0...1).
bool similarColors(const UIColor& a, const UIColor& b, double tolerance = 0.03);

// The appearance calls pages receive, as "name.call" lines in the order they came.
using CallLog = std::vector<std::string>;

class RecordingViewController : public UIViewController {
  public:
    RecordingViewController(std::string name, std::shared_ptr<CallLog> log)
        : name_(std::move(name)), log_(std::move(log)) {}

    void viewDidLoad() override { record("viewDidLoad"); }
    void viewWillAppear(bool) override { record("viewWillAppear"); }
    void viewDidAppear(bool) override { record("viewDidAppear"); }
    void viewWillDisappear(bool) override { record("viewWillDisappear"); }
    void viewDidDisappear(bool) override { record("viewDidDisappear"); }

  private:
    void record(const std::string& call) { log_->push_back(name_ + "." + call); }
    std::string name_;
    std::shared_ptr<CallLog> log_;
};

// A visible key window of the screen's size on the virtual clock, driven through the UI
// test driver (which keeps a picture of the screen of a failing test).
class ScreenTest : public testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Lets animations and delayed work finish.
    void settle(double seconds = 2) { driver.advance(seconds); }
    // A tap in the middle of the view (which must be the one a finger would reach there),
    // or at a point, through the key window's touch handling.
    void tap(const std::shared_ptr<UIView>& view) { driver.tap(view); }
    void tapAt(CGPoint point) { driver.tap(point); }
    // The first visible view of the key window with this accessibility identifier, else
    // with this text.
    std::shared_ptr<UIView> find(const std::string& identifierOrText) const;
    // Writes the screen into the build's artefacts folder as "<name>.png" when the test has
    // failed, or always when the environment variable ORVEX_KEEP_SCREENSHOTS is set; call it
    // at the end of a screenshot test.
    void keepScreenshot(const std::string& name);

    std::shared_ptr<CallLog> log = std::make_shared<CallLog>();
    std::shared_ptr<UIWindow> window;
    testsupport::ui::UIDriver driver;
};

} // namespace controllertests
