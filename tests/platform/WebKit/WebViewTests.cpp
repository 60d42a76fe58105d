#include "platform/UIKit/Controls/UIActivityIndicatorView.h"
#include "platform/UIKit/UIScreen.h"
#include "platform/UIKit/UIWindow.h"
#include "platform/WebKit/DWKWebView.h"
#include "tests/platform/WebKit/XvfbDisplay.h"
#include "tests/support/TestSupport.h"
#include "tests/support/media/TestOrigin.h"
#include "tests/support/ui/UIDriver.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <vector>

namespace {

TEST(WebViewOrigin, IsSchemeHostAndPort) {
    EXPECT_EQ(DWKWebView::originOf("https://API.orvex.test:8083/captcha?x=1"), "https://api.orvex.test:8083");
    EXPECT_EQ(DWKWebView::originOf("https://api.orvex.test/"), "https://api.orvex.test:443");
    EXPECT_EQ(DWKWebView::originOf("http://user:pw@127.0.0.1#frag"), "http://127.0.0.1:80");
    EXPECT_EQ(DWKWebView::originOf("https://[::1]:9/a"), "https://[::1]:9");
    EXPECT_FALSE(DWKWebView::originOf("file:///etc/passwd"));
    EXPECT_FALSE(DWKWebView::originOf("javascript:alert(1)"));
    EXPECT_FALSE(DWKWebView::originOf("https://:80/"));
    EXPECT_FALSE(DWKWebView::originOf("https://host:8o/"));
    EXPECT_FALSE(DWKWebView::originOf("captcha"));
}

// Records what the page asks of the application.
class Recorder : public DWKJavascriptObject {
  public:
    std::optional<std::string> callMethod(const std::string& method, const std::string& argument) override {
        calls.emplace_back(method, argument);
        if (method == "echo") {
            return "echo:" + argument;
        }
        if (method == "report") {
            return "";
        }
        return std::nullopt;
    }
    std::vector<std::pair<std::string, std::string>> calls;
};

class WebView : public testing::Test {
  protected:
    void SetUp() override {
        testsupport::useVirtualClock();
        UIScreen::configureMainScreen(UIScreen::Metrics::modern());
        ASSERT_TRUE(display.isRunning()) << display.error();
        const auto root = testsupport::freshFolder("webview-pages");
        write(root / "bridge.html", R"(<!DOCTYPE html><html><body style="background:#00ff00">
<script>
var answer = dsBridge.call("echo", "ping");
dsBridge.call("report", String(answer));
dsBridge.call("report", String(dsBridge.call("missing", "x")));
</script></body></html>)");
        write(root / "field.html", R"(<!DOCTYPE html><html><body style="margin:0">
<input id="code" style="position:absolute;left:0;top:0;width:200px;height:60px;font-size:20px">
<script>
document.getElementById("code").addEventListener("input", function (event) {
  dsBridge.call("report", event.target.value);
});
</script></body></html>)");
        write(root / "plain.html", R"(<!DOCTYPE html><html><body>
<script>window.dsBridgeSeen = typeof window.dsBridge;</script></body></html>)");
        origin = std::make_unique<testmedia::TestOrigin>(root);
        ASSERT_TRUE(origin->start());
        window = std::make_shared<UIWindow>();
        window->makeKeyAndVisible();
        driver.emplace(window);
        web = std::make_shared<DWKWebView>(CGRect{{0, 0}, {200, 200}},
                                           std::make_shared<WKWebViewConfiguration>());
        window->addSubview(web);
        web->addJavascriptObject(recorder, std::nullopt);
    }

    static void write(const std::filesystem::path& path, const std::string& text) {
        std::ofstream(path) << text;
    }

    bool spinning() const {
        for (const auto& subview : web->subviews()) {
            if (std::dynamic_pointer_cast<UIActivityIndicatorView>(subview)) {
                return true;
            }
        }
        return false;
    }

    bool reported(std::size_t count) {
        return driver->waitUntil(
            [&] {
                std::size_t reports = 0;
                for (const auto& call : recorder->calls) {
                    reports += call.first == "report" ? 1 : 0;
                }
                return reports >= count;
            },
            60);
    }

    XvfbDisplay display;
    std::unique_ptr<testmedia::TestOrigin> origin;
    std::shared_ptr<UIWindow> window;
    std::optional<testsupport::ui::UIDriver> driver;
    std::shared_ptr<DWKWebView> web;
    std::shared_ptr<Recorder> recorder = std::make_shared<Recorder>();
};

TEST_F(WebView, ThePageCallsNativeMethodsSynchronouslyAndIsShown) {
    web->loadRequest(NSURLRequest::requestWithURL(origin->url("bridge.html"),
                                                  NSURLRequestCachePolicy::useProtocolCachePolicy, 60));
    ASSERT_TRUE(reported(2)) << web->loadError();
    ASSERT_EQ(recorder->calls.size(), 4u);
    EXPECT_EQ(recorder->calls[0], std::make_pair(std::string("echo"), std::string("ping")));
    // The page received the method's answer, and nothing for a method the object lacks.
    EXPECT_EQ(recorder->calls[1].second, "echo:ping");
    EXPECT_EQ(recorder->calls[2].first, "missing");
    EXPECT_EQ(recorder->calls[3].second, "");
    ASSERT_TRUE(driver->waitUntil([&] { return web->hasContent(); }, 30));
    EXPECT_EQ(web->loadState(), DWKWebView::LoadState::loaded);
    EXPECT_FALSE(spinning());

    // The page closing itself reaches the listener.
    bool closed = false;
    web->setJavascriptCloseWindowListener([&] { closed = true; });
    web->evaluateJavaScript("window.close();");
    EXPECT_TRUE(driver->waitUntil([&] { return closed; }, 30));
}

TEST_F(WebView, TakesTouchesAndTypedText) {
    web->loadRequest(NSURLRequest::requestWithURL(origin->url("field.html"),
                                                  NSURLRequestCachePolicy::useProtocolCachePolicy, 60));
    ASSERT_TRUE(driver->waitUntil([&] { return web->hasContent(); }, 60)) << web->loadError();
    // A tap on the field focuses it in the page and gives the view the keyboard.
    driver->tap(CGPoint{100, 30});
    EXPECT_TRUE(web->isFirstResponder());
    driver->type("47");
    driver->deleteBackward();
    driver->type("2中");
    ASSERT_TRUE(reported(3)) << recorder->calls.size() << " calls, last: "
                             << (recorder->calls.empty() ? "" : recorder->calls.back().second);
    std::vector<std::string> values;
    for (const auto& call : recorder->calls) {
        values.push_back(call.second);
    }
    EXPECT_EQ(values, (std::vector<std::string>{"47", "4", "42中"}));
}

TEST_F(WebView, StaysOnItsOriginAndReachesNothingElse) {
    testmedia::TestOrigin other(testsupport::freshFolder("webview-other"));
    ASSERT_TRUE(other.start());
    web->loadRequest(NSURLRequest::requestWithURL(origin->url("plain.html"),
                                                  NSURLRequestCachePolicy::useProtocolCachePolicy, 60));
    ASSERT_TRUE(driver->waitUntil([&] { return web->loadState() == DWKWebView::LoadState::loaded; }, 60))
        << web->loadError();
    // Loads, links, and resources of another origin are refused.
    web->loadRequest(NSURLRequest::requestWithURL(other.url("plain.html"),
                                                  NSURLRequestCachePolicy::useProtocolCachePolicy, 60));
    EXPECT_EQ(web->refusedNavigations(), 1);
    web->evaluateJavaScript("location.href = '" + other.url("plain.html") + "';");
    ASSERT_TRUE(driver->waitUntil([&] { return web->refusedNavigations() == 2; }, 30));
    web->evaluateJavaScript("var i = new Image(); i.src = '" + other.url("pixel.png") + "'; fetch('" +
                            other.url("data.json") + "').catch(function () {});");
    // A call that does not come through the bridge's own page script is refused too when
    // its document is not the trusted one; here the document is trusted, so the bridge
    // answers, and the other origin never hears from the engine.
    web->evaluateJavaScript("dsBridge.call('report', 'still here');");
    ASSERT_TRUE(reported(1));
    EXPECT_EQ(recorder->calls.back().second, "still here");
    EXPECT_EQ(other.requests().size(), 0u);
}

TEST_F(WebView, APageThatCannotBeReachedFails) {
    origin->stop();
    web->loadRequest(NSURLRequest::requestWithURL(origin->url("bridge.html"),
                                                  NSURLRequestCachePolicy::useProtocolCachePolicy, 60));
    EXPECT_TRUE(spinning()) << "the load shows progress";
    ASSERT_TRUE(driver->waitUntil([&] { return web->loadState() == DWKWebView::LoadState::failed; }, 60));
    EXPECT_FALSE(spinning());
    EXPECT_FALSE(web->hasContent());
    EXPECT_TRUE(recorder->calls.empty());
}

} // namespace
