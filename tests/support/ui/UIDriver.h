#pragma once

#include "platform/UIKit/UIResponder.h"
#include "platform/UIKit/UIView.h"
#include "platform/UIKit/UIWindow.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace testsupport::ui {

// Drives the interface in tests the way a user would: finds views, taps, presses, drags,
// scrolls and types through the window's own input path, moves the virtual clock and runs
// the loop, and describes the screen as text. Failing tests get a PNG of the screen (see
// installFailureScreenshots). Time-based gestures need testsupport::useVirtualClock().
class UIDriver {
  public:
    // Drives `window`, or whichever window is key at each call when none is given or while
    // `window` is off the screen (the screen turned for another window, such as a player's
    // in full screen): what a person sees.
    explicit UIDriver(std::shared_ptr<UIWindow> window = nullptr);

    std::shared_ptr<UIWindow> window() const;

    // Finding views: visible ones first in drawing order from the back; hidden views and
    // views inside hidden ones are found only when `includeHidden` is set.
    std::shared_ptr<UIView> findByAccessibilityIdentifier(const std::string& identifier,
                                                          bool includeHidden = false) const;
    // A view whose accessibility label (a label's text, a control's title) is `text`.
    std::shared_ptr<UIView> findByText(const std::string& text, bool includeHidden = false) const;
    std::vector<std::shared_ptr<UIView>> findAll(const std::function<bool(const UIView&)>& matches,
                                                 bool includeHidden = false) const;
    template <class View>
    std::vector<std::shared_ptr<View>> findAllOfClass(bool includeHidden = false) const {
        std::vector<std::shared_ptr<View>> found;
        for (const auto& view : findAll(
                 [](const UIView& v) { return dynamic_cast<const View*>(&v) != nullptr; }, includeHidden)) {
            found.push_back(std::static_pointer_cast<View>(view));
        }
        return found;
    }
    template <class View>
    std::shared_ptr<View> findByClass(size_t index = 0, bool includeHidden = false) const {
        auto found = findAllOfClass<View>(includeHidden);
        return index < found.size() ? found[index] : nullptr;
    }

    // Gestures. A gesture aimed at a view lands on its centre and records a test failure
    // when another view would receive it there (the view is covered or not interactive).
    void tap(const std::shared_ptr<UIView>& view);
    void tap(CGPoint windowPoint);
    void longPress(const std::shared_ptr<UIView>& view, double seconds = 0.8);
    void longPress(CGPoint windowPoint, double seconds = 0.8);
    void drag(CGPoint from, CGPoint to, double seconds = 0.3, int steps = 12);
    bool scroll(const std::shared_ptr<UIView>& view, CGFloat deltaX, CGFloat deltaY);
    // Text and keys for the first responder.
    void type(const std::string& text);
    void deleteBackward(int count = 1);
    void pressKey(UIKeyCommand command);

    // Time: moves the virtual clock (running everything due on the way), then lays out.
    void advance(double seconds);
    // Runs what is due now and lays out.
    void runLoop();
    // For work on other threads: runs the loop until `done` or the real-time timeout.
    bool waitUntil(const std::function<bool()>& done, double realTimeoutSeconds = 5);

    // A view's frame in window coordinates.
    CGRect frameInWindow(const std::shared_ptr<UIView>& view) const;
    // One line per view: class, frame, identifier, text and state, indented by depth.
    std::string dumpTree(bool includeHidden = true) const;
    // Draws the screen into a PNG file.
    bool writeScreenshot(const std::string& path) const;

  private:
    CGPoint centreOf(const std::shared_ptr<UIView>& view, const char* gesture) const;

    std::shared_ptr<UIWindow> window_;
};

// Makes every failing test write a PNG of the screen (all visible windows) into
// "<build folder>/ui-test-screens/<suite>.<test>.png" and name the file in its output.
// Idempotent; UIDriver installs it.
void installFailureScreenshots();

} // namespace testsupport::ui
