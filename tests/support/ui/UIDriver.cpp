#include "tests/support/ui/UIDriver.h"

#include "platform/Foundation/RunLoop.h"
#include "platform/host/ScreenRenderer.h"

#include <gtest/gtest.h>

#include <cxxabi.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <iomanip>
#include <sstream>

namespace testsupport::ui {

namespace {

std::string className(const UIView& view) {
    int status = 0;
    char* demangled = abi::__cxa_demangle(typeid(view).name(), nullptr, nullptr, &status);
    std::string name = status == 0 && demangled != nullptr ? demangled : typeid(view).name();
    std::free(demangled);
    return name;
}

void collect(const std::shared_ptr<UIView>& view, const std::function<bool(const UIView&)>& matches,
             bool includeHidden, std::vector<std::shared_ptr<UIView>>& found) {
    if (!includeHidden && (view->isHidden() || view->alpha() < 0.01)) {
        return;
    }
    if (matches(*view)) {
        found.push_back(view);
    }
    for (const auto& subview : view->subviews()) {
        collect(subview, matches, includeHidden, found);
    }
}

void describe(const UIView& view, int depth, bool includeHidden, std::ostringstream& out) {
    if (!includeHidden && view.isHidden()) {
        return;
    }
    const CGRect frame = view.frame();
    out << std::string(static_cast<size_t>(depth) * 2, ' ') << className(view) << " {" << frame.origin.x
        << ", " << frame.origin.y << ", " << frame.size.width << ", " << frame.size.height << "}";
    if (!view.accessibilityIdentifier().empty()) {
        out << " id=\"" << view.accessibilityIdentifier() << "\"";
    }
    if (const std::string text = view.accessibilityLabel(); !text.empty()) {
        out << " text=\"" << text << "\"";
    }
    if (view.isHidden()) {
        out << " hidden";
    }
    if (view.alpha() < 1) {
        out << " alpha=" << view.alpha();
    }
    if (!view.isUserInteractionEnabled()) {
        out << " inert";
    }
    out << "\n";
    for (const auto& subview : view.subviews()) {
        describe(*subview, depth + 1, includeHidden, out);
    }
}

class FailureScreenshots : public testing::EmptyTestEventListener {
  public:
    // Installed while a test runs: that test's name comes from gtest now.
    FailureScreenshots() {
        if (const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info()) {
            name_ = std::string(test->test_suite_name()) + "." + test->name();
        }
    }
    // The name is taken here: asking gtest for the current test while it reports a
    // failure would wait on its own lock.
    void OnTestStart(const testing::TestInfo& test) override {
        written_ = false;
        name_ = std::string(test.test_suite_name()) + "." + test.name();
    }
    void OnTestPartResult(const testing::TestPartResult& result) override {
        if (!result.failed() || written_ || UIWindow::windows().empty()) {
            return;
        }
        written_ = true;
        const char* build = std::getenv("ORVEX_BUILD_DIR");
        const std::filesystem::path folder =
            std::filesystem::path(build != nullptr ? build
                                                   : std::filesystem::temp_directory_path().string()) /
            "ui-test-screens";
        std::error_code error;
        std::filesystem::create_directories(folder, error);
        const std::filesystem::path file = folder / (name_ + ".png");
        ScreenRenderer renderer;
        if (renderer.writePNG(file.string())) {
            std::cout << "Screen at the failure: " << file.string() << std::endl;
        }
    }

  private:
    bool written_ = false;
    std::string name_ = "test";
};

} // namespace

void installFailureScreenshots() {
    static bool installed = false;
    if (!installed) {
        installed = true;
        testing::UnitTest::GetInstance()->listeners().Append(new FailureScreenshots);
    }
}

UIDriver::UIDriver(std::shared_ptr<UIWindow> window) : window_(std::move(window)) {
    installFailureScreenshots();
}

std::shared_ptr<UIWindow> UIDriver::window() const {
    const bool turnedAway = window_ && !window_->isHidden() && !window_->isOnScreen();
    return window_ && !turnedAway ? window_ : UIWindow::keyWindow();
}

std::vector<std::shared_ptr<UIView>> UIDriver::findAll(const std::function<bool(const UIView&)>& matches,
                                                       bool includeHidden) const {
    std::vector<std::shared_ptr<UIView>> found;
    if (auto root = window()) {
        root->layoutIfNeeded();
        collect(root, matches, includeHidden, found);
    }
    return found;
}

std::shared_ptr<UIView> UIDriver::findByAccessibilityIdentifier(const std::string& identifier,
                                                                bool includeHidden) const {
    auto found = findAll([&](const UIView& view) { return view.accessibilityIdentifier() == identifier; },
                         includeHidden);
    return found.empty() ? nullptr : found.front();
}

std::shared_ptr<UIView> UIDriver::findByText(const std::string& text, bool includeHidden) const {
    auto found =
        findAll([&](const UIView& view) { return view.accessibilityLabel() == text; }, includeHidden);
    return found.empty() ? nullptr : found.front();
}

CGRect UIDriver::frameInWindow(const std::shared_ptr<UIView>& view) const {
    return view->convertRectToView(view->bounds(), nullptr);
}

CGPoint UIDriver::centreOf(const std::shared_ptr<UIView>& view, const char* gesture) const {
    auto root = window();
    if (!view || !root) {
        ADD_FAILURE() << gesture << ": no view or no window";
        return CGPointZero;
    }
    root->layoutIfNeeded();
    const CGRect frame = frameInWindow(view);
    const CGPoint centre{frame.midX(), frame.midY()};
    auto hit = root->hitTest(centre, nullptr);
    if (!hit || !hit->isDescendantOfView(view.get())) {
        ADD_FAILURE() << gesture << " on " << className(*view) << " at (" << centre.x << ", " << centre.y
                      << ") reaches " << (hit ? className(*hit) : std::string("nothing")) << " instead\n"
                      << dumpTree(false);
    }
    return centre;
}

void UIDriver::tap(const std::shared_ptr<UIView>& view) {
    tap(centreOf(view, "tap"));
}

void UIDriver::tap(CGPoint windowPoint) {
    auto root = window();
    if (!root) {
        ADD_FAILURE() << "tap: no window";
        return;
    }
    root->handleTouch(UITouchPhase::began, windowPoint, RunLoop::main().now());
    root->handleTouch(UITouchPhase::ended, windowPoint, RunLoop::main().now());
    runLoop();
}

void UIDriver::longPress(const std::shared_ptr<UIView>& view, double seconds) {
    longPress(centreOf(view, "long press"), seconds);
}

void UIDriver::longPress(CGPoint windowPoint, double seconds) {
    auto root = window();
    if (!root) {
        ADD_FAILURE() << "long press: no window";
        return;
    }
    root->handleTouch(UITouchPhase::began, windowPoint, RunLoop::main().now());
    advance(seconds);
    root->handleTouch(UITouchPhase::ended, windowPoint, RunLoop::main().now());
    runLoop();
}

void UIDriver::drag(CGPoint from, CGPoint to, double seconds, int steps) {
    auto root = window();
    if (!root) {
        ADD_FAILURE() << "drag: no window";
        return;
    }
    steps = std::max(1, steps);
    root->handleTouch(UITouchPhase::began, from, RunLoop::main().now());
    for (int step = 1; step <= steps; ++step) {
        advance(seconds / steps);
        const double t = static_cast<double>(step) / steps;
        root->handleTouch(UITouchPhase::moved, {from.x + (to.x - from.x) * t, from.y + (to.y - from.y) * t},
                          RunLoop::main().now());
    }
    root->handleTouch(UITouchPhase::ended, to, RunLoop::main().now());
    runLoop();
}

bool UIDriver::scroll(const std::shared_ptr<UIView>& view, CGFloat deltaX, CGFloat deltaY) {
    auto root = window();
    const bool used = root && root->handleScroll(centreOf(view, "scroll"), deltaX, deltaY);
    runLoop();
    return used;
}

void UIDriver::type(const std::string& text) {
    if (auto root = window()) {
        root->handleTextInput(text);
    }
    runLoop();
}

void UIDriver::deleteBackward(int count) {
    if (auto root = window()) {
        for (int i = 0; i < count; ++i) {
            root->handleDeleteBackward();
        }
    }
    runLoop();
}

void UIDriver::pressKey(UIKeyCommand command) {
    if (auto root = window()) {
        root->handleKeyCommand(command);
    }
    runLoop();
}

void UIDriver::advance(double seconds) {
    RunLoop::main().advance(seconds);
    runLoop();
}

void UIDriver::runLoop() {
    RunLoop::main().runPending();
    for (const auto& shown : UIWindow::windows()) {
        shown->layoutIfNeeded();
    }
    if (window_) {
        window_->layoutIfNeeded();
    }
}

bool UIDriver::waitUntil(const std::function<bool()>& done, double realTimeoutSeconds) {
    const bool reached = RunLoop::main().runUntil(done, realTimeoutSeconds);
    runLoop();
    return reached;
}

std::string UIDriver::dumpTree(bool includeHidden) const {
    std::ostringstream out;
    out << std::fixed << std::setprecision(1);
    if (auto root = window()) {
        root->layoutIfNeeded();
        describe(*root, 0, includeHidden, out);
    }
    return out.str();
}

bool UIDriver::writeScreenshot(const std::string& path) const {
    ScreenRenderer renderer;
    return renderer.writePNG(path);
}

} // namespace testsupport::ui
