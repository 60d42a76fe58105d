#pragma once

#include "platform/UIKit/Controllers/UIViewController.h"
#include "platform/UIKit/UIWindow.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace controllertests {

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
    // A tap in the middle of the view, through the window's touch handling.
    void tap(const std::shared_ptr<UIView>& view);
    void tapAt(CGPoint point);
    // The first visible view in the window whose accessibility identifier is `identifier`.
    std::shared_ptr<UIView> find(const std::string& identifier) const;
    // Writes the screen as "<name>.png" into the build's artefacts folder; answers the path.
    std::string writeScreenshot(const std::string& name) const;

    std::shared_ptr<CallLog> log = std::make_shared<CallLog>();
    std::shared_ptr<UIWindow> window;
};

} // namespace controllertests
