#pragma once

#include "platform/UIKit/Controllers/UIViewController.h"
#include "platform/UIKit/UIWindow.h"

#include <cairo.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace controllertests {

// A picture of the whole screen (every visible window, by level) at the screen's scale.
class ScreenImage {
public:
    ScreenImage();
    ~ScreenImage();
    ScreenImage(const ScreenImage&) = delete;
    ScreenImage& operator=(const ScreenImage&) = delete;

    // The colour at a point of the screen, in points.
    UIColor colorAt(CGPoint point) const;
    bool writePNG(const std::string& path) const;

private:
    cairo_surface_t* surface_;
    double scale_;
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

// A visible key window of the screen's size on the virtual clock. On failure the screen
// is kept as a PNG among the build's test artefacts.
class ScreenTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Lets animations and delayed work finish.
    void settle(double seconds = 2);
    // A tap in the middle of the view, through the touch handling of the topmost window.
    void tap(const std::shared_ptr<UIView>& view);
    void tapAt(CGPoint point);
    // The first visible view, in the topmost window that has one, whose accessibility
    // identifier is `identifier`.
    std::shared_ptr<UIView> find(const std::string& identifier) const;
    // Writes the screen (every visible window) as "<name>.png" into the build's artefacts
    // folder; answers the path.
    std::string writeScreenshot(const std::string& name) const;
    // Keeps a picture of the screen when the test fails, or always when the environment
    // variable ORVEX_KEEP_SCREENSHOTS is set; call at the end of a screenshot test.
    void keepScreenshot(const std::string& name);

    std::shared_ptr<CallLog> log = std::make_shared<CallLog>();
    std::shared_ptr<UIWindow> window;
};

} // namespace controllertests
