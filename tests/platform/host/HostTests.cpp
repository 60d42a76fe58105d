#include "platform/Foundation/RunLoop.h"
#include "platform/QuartzCore/CAGradientLayer.h"
#include "platform/UIKit/Controllers/UIApplication.h"
#include "platform/UIKit/Controllers/UIViewController.h"
#include "platform/UIKit/Controls/UITextField.h"
#include "platform/UIKit/UIControl.h"
#include "platform/UIKit/UILabel.h"
#include "platform/UIKit/UIWindow.h"
#include "platform/host/HeadlessHost.h"
#include "platform/host/SDLWindowHost.h"
#include "tests/platform/QuartzCore/PixelProbe.h"
#include "tests/platform/host/PumpUntil.h"
#include "tests/support/TestSupport.h"
#include "tests/support/XvfbServer.h"

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

std::shared_ptr<UIWindow> buildScreen() {
    auto window = std::make_shared<UIWindow>();
    window->setBackgroundColor(UIColor::colorWithRed(28 / 255.0, 27 / 255.0, 32 / 255.0, 1));
    auto card = std::make_shared<UIView>(CGRectMake(20, 40, 160, 100));
    card->setBackgroundColor(UIColor::colorWithRed(40 / 255.0, 39 / 255.0, 44 / 255.0, 1));
    card->layer()->setCornerRadius(12);
    card->setClipsToBounds(true);
    auto gradient = CAGradientLayer::layer();
    gradient->setFrame(CGRectMake(0, 0, 160, 100));
    gradient->setColors({UIColor::colorWithRed(0.84, 0.25, 0.25, 1), UIColor::clearColor()});
    card->layer()->insertSublayer(gradient, 0);
    window->addSubview(card);
    auto label = std::make_shared<UILabel>(CGRectMake(10, 10, 140, 40));
    label->setText("热门 Movies");
    label->setTextColor(UIColor::whiteColor());
    label->setFont(UIFont::systemFontOfSize(18, UIFontWeightBold));
    card->addSubview(label);
    auto veil = std::make_shared<UIView>(CGRectMake(0, 200, 200, 100));
    veil->setBackgroundColor(UIColor::colorWithWhite(1, 0.5));
    window->addSubview(veil);
    window->makeKeyAndVisible();
    return window;
}

// Compares the window host's picture with the headless one composed over black.
void expectSameAsHeadless(SDLWindowHost& host, const std::filesystem::path& folder) {
    const auto headlessPath = folder / "headless.png";
    const auto windowPath = folder / "window.png";
    HeadlessHost headless;
    ASSERT_TRUE(headless.writeScreenshot(headlessPath.string()));
    ASSERT_TRUE(host.writeScreenshot(windowPath.string()));
    cairo_surface_t* expected = cairo_image_surface_create_from_png(headlessPath.c_str());
    cairo_surface_t* actual = cairo_image_surface_create_from_png(windowPath.c_str());
    ASSERT_EQ(cairo_image_surface_get_width(expected), cairo_image_surface_get_width(actual));
    ASSERT_EQ(cairo_image_surface_get_height(expected), cairo_image_surface_get_height(actual));
    int differing = 0;
    for (int y = 0; y < cairo_image_surface_get_height(expected); ++y) {
        for (int x = 0; x < cairo_image_surface_get_width(expected); ++x) {
            const Pixel a = pixelAt(expected, x, y);
            const Pixel b = pixelAt(actual, x, y);
            // Over black, the shown colour is the premultiplied colour.
            auto over = [&](int component) { return (component * a.a + 127) / 255; };
            if (std::abs(over(a.r) - b.r) > 2 || std::abs(over(a.g) - b.g) > 2 ||
                std::abs(over(a.b) - b.b) > 2) {
                ++differing;
            }
        }
    }
    EXPECT_EQ(differing, 0) << "pictures in " << folder;
    cairo_surface_destroy(expected);
    cairo_surface_destroy(actual);
}

// The pixel the window shows at (x, y).
Pixel shownAt(SDLWindowHost& host, int x, int y) {
    const auto path = testsupport::freshFolder("shown") / "window.png";
    EXPECT_TRUE(host.writeScreenshot(path.string()));
    cairo_surface_t* image = cairo_image_surface_create_from_png(path.c_str());
    const Pixel pixel = pixelAt(image, x, y);
    cairo_surface_destroy(image);
    return pixel;
}

void pushMouse(Uint32 type, int x, int y) {
    SDL_Event event{};
    event.type = type;
    event.button.button = SDL_BUTTON_LEFT;
    event.button.x = x;
    event.button.y = y;
    SDL_PushEvent(&event);
}

class TextField : public UIView {
  public:
    using UIView::UIView;
    bool canBecomeFirstResponder() const override { return true; }
    bool acceptsTextInput() const override { return true; }
    // Committed text ends the composition, as in a real field.
    void insertText(const std::string& text) override {
        typed += text;
        marked.clear();
    }
    void deleteBackward() override { typed.pop_back(); }
    void setMarkedText(const std::string& text) override { marked = text; }
    std::string typed;
    std::string marked;
};

class Hosts : public testing::Test {
  protected:
    void SetUp() override {
        testsupport::useVirtualClock();
        UIScreen::configureMainScreen({{200, 300}, 2, 20, 10});
    }
};

} // namespace

TEST_F(Hosts, HeadlessHostDrawsTheKeyWindowIntoAnImage) {
    auto window = buildScreen();
    HeadlessHost host;
    const auto changed = host.renderFrame();
    ASSERT_FALSE(changed.empty());
    EXPECT_EQ(host.screen().pixelWidth(), 400);
    EXPECT_EQ(host.screen().pixelHeight(), 600);
    const Pixel background = pixelAt(host.screen().surface(), 5, 5);
    EXPECT_EQ(background.r, 28);
    EXPECT_EQ(background.b, 32);
    EXPECT_EQ(pixelAt(host.screen().surface(), 42, 82).a, 0 + 255) << "inside the card";
    EXPECT_EQ(pixelAt(host.screen().surface(), 40, 80).r, 28) << "the card's rounded corner shows the window";
    EXPECT_TRUE(host.renderFrame().empty()) << "nothing changed";

    const auto path = testsupport::freshFolder("headless") / "screen.png";
    EXPECT_TRUE(host.writeScreenshot(path.string()));
    EXPECT_GT(std::filesystem::file_size(path), 1000u);
}

TEST_F(Hosts, ScreenshotsTakenMeanwhileLeaveTheHostsPictureWhole) {
    auto window = buildScreen();
    HeadlessHost host;
    host.renderFrame();
    {
        ScreenRenderer screenshot;
        screenshot.renderFrame();
    }
    host.renderFrame();
    EXPECT_EQ(pixelAt(host.screen().surface(), 5, 5).r, 28) << "the window is back on the host's screen";
    auto gone = std::make_shared<UIWindow>(CGRectMake(0, 0, 200, 300));
    gone->setBackgroundColor(UIColor::redColor());
    gone->setWindowLevel(UIWindowLevelAlert);
    gone->makeKeyAndVisible();
    host.renderFrame();
    EXPECT_EQ(pixelAt(host.screen().surface(), 5, 5).r, 255) << "the alert window on top";
    gone.reset();
    host.renderFrame();
    const Pixel background = pixelAt(host.screen().surface(), 5, 5);
    EXPECT_EQ(background.r, 28) << "the window beneath, whole again";
    EXPECT_EQ(pixelAt(host.screen().surface(), 42, 82).a, 255);
}

TEST_F(Hosts, OffscreenWindowShowsTheSamePictureAsTheHeadlessHostInItsPixelsAndThroughOpenGL) {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    auto window = buildScreen();
    for (const bool openGL : {false, true}) {
        SDLWindowHost host({"Orvex test", 2, false, openGL});
        ASSERT_TRUE(host.isOpen());
        expectSameAsHeadless(host, testsupport::freshFolder(openGL ? "offscreen-gl" : "offscreen"));
        host.pumpOnce(0);
        // What changed is shown again, and what did not stays as it was shown.
        const Pixel underSpot = shownAt(host, 320, 520);
        auto spot = std::make_shared<UIView>(CGRectMake(150, 250, 20, 20));
        spot->setBackgroundColor(UIColor::redColor());
        window->addSubview(spot);
        EXPECT_TRUE(host.pumpOnce(0));
        EXPECT_EQ(shownAt(host, 320, 520).r, 255) << "the spot";
        EXPECT_EQ(shownAt(host, 5, 5).r, 28) << "the window's background";
        spot->removeFromSuperview();
        EXPECT_TRUE(host.pumpOnce(0));
        EXPECT_EQ(shownAt(host, 320, 520).r, underSpot.r) << "the veil where the spot was";
        EXPECT_EQ(shownAt(host, 5, 5).r, 28) << "the window's background";
    }
}

// Whether a graphics driver (Mesa's OpenGL or its compiler) is mapped into the process.
bool graphicsDriverLoaded() {
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line)) {
        if (line.find("_dri.so") != std::string::npos || line.find("libLLVM") != std::string::npos ||
            line.find("libGLX") != std::string::npos || line.find("libEGL") != std::string::npos) {
            return true;
        }
    }
    return false;
}

TEST_F(Hosts, AWindowWithoutOpenGLLoadsNoGraphicsDriver) {
    if (graphicsDriverLoaded()) {
        GTEST_SKIP() << "an earlier test of this process loaded a graphics driver";
    }
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    auto window = buildScreen();
    SDLWindowHost host({"Orvex test", 2, false});
    ASSERT_TRUE(host.isOpen());
    EXPECT_TRUE(host.pumpOnce(0));
    EXPECT_FALSE(graphicsDriverLoaded());
}

TEST_F(Hosts, AWindowOfFewerPixelsThanTheScreenShowsThePictureScaledDown) {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    auto window = buildScreen();
    HeadlessHost headless;
    headless.renderFrame();
    // One window pixel per point: half the screen's pixels each way.
    SDLWindowHost host({"Orvex test", 1, false});
    ASSERT_TRUE(host.isOpen());
    const auto path = testsupport::freshFolder("scaled") / "window.png";
    ASSERT_TRUE(host.writeScreenshot(path.string()));
    cairo_surface_t* shown = cairo_image_surface_create_from_png(path.c_str());
    EXPECT_EQ(cairo_image_surface_get_width(shown), 200);
    EXPECT_EQ(cairo_image_surface_get_height(shown), 300);
    // Inside areas of one colour: the window's background, the card's gradient's end, the
    // half-white veil over it.
    for (const auto& [x, y] : std::vector<std::pair<int, int>>{{5, 5}, {170, 130}, {100, 250}}) {
        const Pixel expected = pixelAt(headless.screen().surface(), x * 2, y * 2);
        const Pixel actual = pixelAt(shown, x, y);
        EXPECT_NEAR(actual.r, expected.r, 3) << x << ", " << y;
        EXPECT_NEAR(actual.g, expected.g, 3) << x << ", " << y;
        EXPECT_NEAR(actual.b, expected.b, 3) << x << ", " << y;
    }
    cairo_surface_destroy(shown);
}

TEST_F(Hosts, DesktopWindowUnderXvfbShowsTheSamePictureAndTakesInput) {
    testsupport::XvfbServer server;
    if (!server.isRunning()) {
        GTEST_SKIP() << server.error();
    }
    setenv("SDL_VIDEODRIVER", "x11", 1);
    auto window = buildScreen();
    SDLWindowHost host({"Orvex test", 2, false});
    ASSERT_TRUE(host.isOpen());
    expectSameAsHeadless(host, testsupport::freshFolder("xvfb"));

    // A click on a control is a tap.
    auto button = std::make_shared<UIControl>(CGRectMake(20, 160, 100, 30));
    window->addSubview(button);
    int taps = 0;
    button->addTarget([&](UIControl&) { ++taps; }, UIControlEventTouchUpInside);
    pushMouse(SDL_MOUSEBUTTONDOWN, 60, 350);
    pushMouse(SDL_MOUSEBUTTONUP, 60, 350);
    host.pumpOnce();
    EXPECT_EQ(taps, 1);

    // Text input is on only while a text field is first responder.
    EXPECT_FALSE(SDL_IsTextInputActive());
    auto field = std::make_shared<TextField>(CGRectMake(0, 0, 100, 30));
    window->addSubview(field);
    field->becomeFirstResponder();
    host.pumpOnce();
    EXPECT_TRUE(SDL_IsTextInputActive());
    SDL_Event editing{};
    editing.type = SDL_TEXTEDITING;
    std::strcpy(editing.edit.text, "你");
    SDL_PushEvent(&editing);
    SDL_Event text{};
    text.type = SDL_TEXTINPUT;
    std::strcpy(text.text.text, "你好");
    SDL_PushEvent(&text);
    host.pumpOnce();
    EXPECT_EQ(field->typed, "你好");
    EXPECT_EQ(field->marked, "");
    field->resignFirstResponder();
    host.pumpOnce();
    EXPECT_FALSE(SDL_IsTextInputActive());
}

TEST_F(Hosts, InputMethodCompositionsReachAFieldAndEachCommitIsOneEdit) {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    auto window = buildScreen();
    SDLWindowHost host({"Orvex test", 1, false});
    ASSERT_TRUE(host.isOpen());
    auto field = std::make_shared<UITextField>(CGRectMake(0, 0, 200, 30));
    window->addSubview(field);
    // The text at every change, "*" while a composition is shown.
    std::vector<std::string> changes;
    field->addTarget(
        [&](UIControl&) { changes.push_back(field->text() + (field->markedTextRange() ? "*" : "")); },
        UIControlEventEditingChanged);
    ASSERT_TRUE(field->becomeFirstResponder());
    const auto push = [](Uint32 type, const char* text) {
        SDL_Event event{};
        event.type = type;
        if (type == SDL_TEXTEDITING_EXT) {
            event.editExt.text = SDL_strdup(text);
        } else {
            std::strncpy(type == SDL_TEXTINPUT ? event.text.text : event.edit.text, text, 31);
        }
        SDL_PushEvent(&event);
    };
    push(SDL_TEXTINPUT, "天");
    for (const char* composing : {"k", "ko", "kong", "空"}) {
        push(SDL_TEXTEDITING, composing);
    }
    push(SDL_TEXTINPUT, "空");
    host.pumpOnce();
    EXPECT_EQ(changes, (std::vector<std::string>{"天", "天k*", "天ko*", "天kong*", "天空*", "天空"}));

    // A composition longer than the event's own buffer arrives whole; its commit comes in
    // parts that join up.
    changes.clear();
    push(SDL_TEXTEDITING_EXT, "一二三四五六七八九十百千万");
    host.pumpOnce();
    EXPECT_EQ(field->text(), "天空一二三四五六七八九十百千万");
    push(SDL_TEXTINPUT, "一二三四五六七八九十");
    push(SDL_TEXTINPUT, "百千万");
    host.pumpOnce();
    EXPECT_EQ(field->text(), "天空一二三四五六七八九十百千万");
    EXPECT_FALSE(field->markedTextRange().has_value());
    EXPECT_EQ(changes.back(), "天空一二三四五六七八九十百千万");
}

TEST_F(Hosts, WorkPostedFromAnotherThreadWakesTheWindowLoop) {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    auto window = buildScreen();
    SDLWindowHost host({"Orvex test", 1, false});
    ASSERT_TRUE(host.isOpen());
    std::atomic<bool> ran{false};
    std::thread worker([&] { RunLoop::main().post([&] { ran = true; }); });
    worker.join();
    for (int i = 0; i < 20 && !ran; ++i) {
        host.pumpOnce();
    }
    EXPECT_TRUE(ran);
}

TEST_F(Hosts, ALoopWaitingWithoutEndWakesForWorkPostedMeanwhile) {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    auto window = buildScreen();
    SDLWindowHost host({"Orvex test", 1, false});
    ASSERT_TRUE(host.isOpen());
    while (host.pumpOnce(0)) {
    }
    // The loop's thread as the scheduler sees it: 'S' while it sleeps in its wait.
    const std::string stat = "/proc/self/task/" + std::to_string(gettid()) + "/stat";
    auto asleep = [&stat] {
        std::ifstream file(stat);
        const std::string line((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        const auto end = line.rfind(')');
        return end != std::string::npos && end + 2 < line.size() && line[end + 2] == 'S';
    };
    std::atomic<bool> ran{false};
    std::thread worker([&] {
        while (!asleep()) {
            std::this_thread::yield();
        }
        RunLoop::main().post([&] { ran = true; });
    });
    EXPECT_FALSE(host.pumpOnce(-1)) << "nothing on screen changed";
    worker.join();
    EXPECT_TRUE(ran);
}

TEST_F(Hosts, ATabletScreenOnASmallerDisplayGetsAWindowThatFitsAndTakesInputWhereItShows) {
    testsupport::XvfbServer server;
    if (!server.isRunning()) {
        GTEST_SKIP() << server.error();
    }
    setenv("SDL_VIDEODRIVER", "x11", 1);
    UIScreen::configureMainScreen(UIScreen::Metrics::tablet());
    auto window = std::make_shared<UIWindow>();
    window->setBackgroundColor(UIColor::blackColor());
    window->makeKeyAndVisible();
    // A control in the far corner of the tablet's screen.
    auto button = std::make_shared<UIControl>(CGRectMake(900, 1250, 100, 100));
    window->addSubview(button);
    int taps = 0;
    button->addTarget([&](UIControl&) { ++taps; }, UIControlEventTouchUpInside);

    SDLWindowHost host({"Orvex test", 0, false});
    ASSERT_TRUE(host.isOpen());
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(host.window(), &width, &height);
    EXPECT_LE(height, 768) << "the 1366-point screen fits the 768-pixel display";
    EXPECT_LE(width, 1024);
    EXPECT_NEAR(static_cast<double>(width) / height, 1024.0 / 1366, 0.01) << "the screen is not stretched";
    EXPECT_EQ(host.screen().pixelWidth(), 2048) << "the picture keeps the screen's scale";

    const int x = static_cast<int>(950.0 * width / 1024);
    const int y = static_cast<int>(1300.0 * height / 1366);
    pushMouse(SDL_MOUSEBUTTONDOWN, x, y);
    pushMouse(SDL_MOUSEBUTTONUP, x, y);
    host.pumpOnce();
    EXPECT_EQ(taps, 1) << "a click lands on the control drawn under it";
}

TEST_F(Hosts, TheWindowTurnsWithTheScreenStaysOnTheDisplayAndLaysOutTheSizeItGets) {
    testsupport::XvfbServer server;
    if (!server.isRunning()) {
        GTEST_SKIP() << server.error();
    }
    setenv("SDL_VIDEODRIVER", "x11", 1);
    auto window = std::make_shared<UIWindow>();
    auto page = std::make_shared<UIViewController>();
    window->setRootViewController(page);
    page->view()->setBackgroundColor(UIColor::colorWithRed(0.84, 0.25, 0.25, 1));
    window->makeKeyAndVisible();
    SDLWindowHost host({"Orvex test", 2, false});
    ASSERT_TRUE(host.isOpen());
    auto& application = *UIApplication::sharedApplication();
    auto windowSize = [&] {
        std::pair<int, int> size;
        SDL_GetWindowSize(host.window(), &size.first, &size.second);
        return size;
    };
    // The page's colour at the far corner of what the window shows.
    auto farCornerIsThePage = [&](int width, int height) {
        const auto path = testsupport::freshFolder("turned") / "window.png";
        EXPECT_TRUE(host.writeScreenshot(path.string()));
        cairo_surface_t* image = cairo_image_surface_create_from_png(path.c_str());
        const bool sized =
            cairo_image_surface_get_width(image) == width && cairo_image_surface_get_height(image) == height;
        const Pixel corner = pixelAt(image, width - 3, height - 3);
        cairo_surface_destroy(image);
        return sized && std::abs(corner.r - 214) <= 2 && std::abs(corner.g - 64) <= 2;
    };

    // Near the display's right edge (1024 x 768), where a landscape window would reach past it.
    SDL_SetWindowPosition(host.window(), 560, 100);
    host.pumpOnce();
    ASSERT_TRUE(application.requestGeometryUpdate(UIInterfaceOrientationMaskLandscape));
    ASSERT_TRUE(hosttest::pumpUntil(host, [&] { return windowSize() == std::pair{600, 400}; }));
    int x = 0;
    int y = 0;
    SDL_GetWindowPosition(host.window(), &x, &y);
    EXPECT_LE(x + 600, 1024) << "moved to stay on the display";
    EXPECT_GE(x, 0);
    EXPECT_EQ(y, 100);
    EXPECT_EQ(page->view()->frame().size, (CGSize{300, 200}));
    EXPECT_TRUE(farCornerIsThePage(600, 400));

    ASSERT_TRUE(application.requestGeometryUpdate(UIInterfaceOrientationMaskPortrait));
    ASSERT_TRUE(hosttest::pumpUntil(host, [&] { return windowSize() == std::pair{400, 600}; }));
    EXPECT_EQ(page->view()->frame().size, (CGSize{200, 300}));
    EXPECT_TRUE(farCornerIsThePage(400, 600));

    // A window that may not grow as wide as asked (a size limit stands in for a window
    // manager's refusal): the screen takes the size the window got, and the page fills it.
    SDL_SetWindowMaximumSize(host.window(), 500, 600);
    ASSERT_TRUE(application.requestGeometryUpdate(UIInterfaceOrientationMaskLandscape));
    ASSERT_TRUE(hosttest::pumpUntil(host, [&] {
        return UIScreen::mainScreen().bounds().size == CGSize{250, 200};
    }));
    EXPECT_EQ(windowSize(), (std::pair{500, 400}));
    EXPECT_EQ(page->view()->frame().size, (CGSize{250, 200}));
    EXPECT_TRUE(farCornerIsThePage(500, 400));
    window->setRootViewController(nullptr);
}
