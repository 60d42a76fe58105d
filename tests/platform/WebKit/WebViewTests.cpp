#include "platform/UIKit/Controls/UIActivityIndicatorView.h"
#include "platform/UIKit/UIScreen.h"
#include "platform/UIKit/UIWindow.h"
#include "platform/WebKit/DWKWebView.h"
#include "tests/platform/WebKit/TestSite.h"
#include "tests/support/TestSupport.h"
#include "tests/support/XvfbServer.h"
#include "tests/support/ui/UIDriver.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <vector>

namespace {

constexpr const char* kPageHost = "page.orvex.test";
constexpr const char* kWidgetHost = "widget.orvex.test";
// Resolved by the site's resolver, but not named by its certificate.
constexpr const char* kStrangerHost = "stranger.orvex.test";

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

// The pages run in the real engine on a virtual display, served over https by a site whose
// names only its own resolver knows.
class WebView : public testing::Test {
  protected:
    void SetUp() override {
        testsupport::useVirtualClock();
        UIScreen::configureMainScreen(UIScreen::Metrics::modern());
        ASSERT_TRUE(display.isRunning()) << display.error();
        std::string error;
        ASSERT_TRUE(site.start(error)) << error;
        site.useForProcess();
        addPages();
        window = std::make_shared<UIWindow>();
        window->makeKeyAndVisible();
        driver.emplace(window);
        web = std::make_shared<DWKWebView>(CGRect{{0, 0}, {200, 200}},
                                           std::make_shared<WKWebViewConfiguration>());
        window->addSubview(web);
        web->addJavascriptObject(recorder, std::nullopt);
    }

    // Serves a page whose "{{widget}}", "{{stranger}}" and "{{page}}" stand for those
    // origins.
    void html(const std::string& host, const std::string& path, std::string body) {
        for (const auto& [name, value] :
             {std::pair<std::string, std::string>{"{{widget}}", site.origin(kWidgetHost)},
              {"{{stranger}}", site.origin(kStrangerHost)},
              {"{{page}}", site.origin(kPageHost)}}) {
            for (auto at = body.find(name); at != std::string::npos; at = body.find(name, at)) {
                body.replace(at, name.size(), value);
            }
        }
        site.page(host, path, "text/html; charset=utf-8",
                  "<!DOCTYPE html><html><body>" + body + "</body></html>");
    }

    void addPages() {
        html(kPageHost, "/bridge.html", R"(<script>
var answer = dsBridge.call("echo", "ping");
dsBridge.call("report", String(answer));
dsBridge.call("report", String(dsBridge.call("missing", "x")));
</script>)");
        html(
            kPageHost, "/field.html",
            R"(<input id="code" style="position:absolute;left:0;top:0;width:200px;height:60px;font-size:20px">
<script>
document.getElementById("code").addEventListener("input", function (event) {
  dsBridge.call("report", event.target.value);
});
</script>)");
        html(kPageHost, "/plain.html", "<p>plain</p>");
        // A script, a picture, a frame and a cross-origin request of another origin; a
        // picture of a host whose certificate does not name it; a peer that asks for proxy
        // credentials as the tunnel does.
        html(kPageHost, "/widgets.html", R"(<script src="{{widget}}/widget.js"></script>
<script>
var results = {};
function done(name, value) {
  results[name] = value;
  if (Object.keys(results).length === 6) { dsBridge.call("report", JSON.stringify(results)); }
}
function picture(name, address) {
  var image = new Image();
  image.onload = function () { done(name, "loaded"); };
  image.onerror = function () { done(name, "failed"); };
  image.src = address;
}
done("script", window.widgetLoaded || "missing");
picture("picture", "{{widget}}/pixel.svg");
picture("stranger", "{{stranger}}/pixel.svg");
fetch("{{widget}}/data.json").then(function (reply) { return reply.json(); })
  .then(function (data) { done("request", data.value); }, function () { done("request", "failed"); });
fetch("{{widget}}/proxy-login").then(function (reply) { done("asking", reply.status); },
                                      function () { done("asking", "failed"); });
window.addEventListener("message", function (event) {
  if (event.origin === "{{widget}}") { done("frame", event.data); }
});
var frame = document.createElement("iframe");
frame.src = "{{widget}}/frame.html";
document.body.appendChild(frame);
</script>)");
        const std::string pixel = R"(<svg xmlns="http://www.w3.org/2000/svg" width="1" height="1"/>)";
        site.page(kWidgetHost, "/widget.js", "text/javascript", "window.widgetLoaded = 'yes';");
        site.page(kWidgetHost, "/pixel.svg", "image/svg+xml", pixel);
        site.page(kStrangerHost, "/pixel.svg", "image/svg+xml", pixel);
        site.page(kWidgetHost, "/data.json", "application/json", R"({"value":"shared"})",
                  {{"Access-Control-Allow-Origin", site.origin(kPageHost)}});
        site.page(kWidgetHost, "/proxy-login", "text/plain", "",
                  {{":status", "407"},
                   {"Proxy-Authenticate", R"(Basic realm="orvex-webview")"},
                   {"Access-Control-Allow-Origin", site.origin(kPageHost)}});
        html(kWidgetHost, "/frame.html", "<script>parent.postMessage('framed', '*');</script>");

        // Two sub-frames, of another origin and of the page's own, try the bridge's prompt
        // directly; the page reports what they heard back.
        html(kPageHost, "/frames.html", R"(<script>
var heard = [];
window.addEventListener("message", function (event) {
  heard.push(event.data);
  if (heard.length === 2) { dsBridge.call("report", heard.sort().join("|")); }
});
</script>
<iframe src="{{widget}}/forge.html"></iframe><iframe src="/same-frame.html"></iframe>)");
        html(kWidgetHost, "/forge.html", R"(<script>
var reach;
try { reach = typeof parent.dsBridge; } catch (e) { reach = "blocked"; }
var answer = prompt("_dsbridge=report", JSON.stringify({ data: "from another origin" }));
parent.postMessage("other:" + reach + ":" + answer, "*");
</script>)");
        html(kPageHost, "/same-frame.html", R"(<script>
var own = typeof window.dsBridge;
var answer = prompt("_dsbridge=report", JSON.stringify({ data: "from a sub-frame" }));
parent.postMessage("same:" + own + ":" + answer, "*");
</script>)");
    }

    void load(const std::string& url) {
        web->loadRequest(
            NSURLRequest::requestWithURL(url, NSURLRequestCachePolicy::useProtocolCachePolicy, 60));
    }

    bool spinning() const {
        for (const auto& subview : web->subviews()) {
            if (std::dynamic_pointer_cast<UIActivityIndicatorView>(subview)) {
                return true;
            }
        }
        return false;
    }

    std::vector<std::string> reports() const {
        std::vector<std::string> found;
        for (const auto& call : recorder->calls) {
            if (call.first == "report") {
                found.push_back(call.second);
            }
        }
        return found;
    }

    bool reported(std::size_t count) {
        return driver->waitUntil([&] { return reports().size() >= count; }, 60);
    }

    testsupport::XvfbServer display{"800x1000x24"};
    TestSite site{testsupport::freshFolder("webview-site"), {kPageHost, kWidgetHost}};
    std::shared_ptr<UIWindow> window;
    std::optional<testsupport::ui::UIDriver> driver;
    std::shared_ptr<DWKWebView> web;
    std::shared_ptr<Recorder> recorder = std::make_shared<Recorder>();
};

TEST_F(WebView, ThePageCallsNativeMethodsSynchronouslyAndIsShown) {
    load(site.url(kPageHost, "/bridge.html"));
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
    load(site.url(kPageHost, "/field.html"));
    ASSERT_TRUE(driver->waitUntil([&] { return web->hasContent(); }, 60)) << web->loadError();
    // A tap on the field focuses it in the page and gives the view the keyboard.
    driver->tap(CGPoint{100, 30});
    EXPECT_TRUE(web->isFirstResponder());
    driver->type("47");
    driver->deleteBackward();
    driver->type("2中");
    ASSERT_TRUE(reported(3)) << recorder->calls.size() << " calls";
    EXPECT_EQ(reports(), (std::vector<std::string>{"47", "4", "42中"}));
}

TEST_F(WebView, SubresourcesComeFromAnyHttpsOriginThatVerifies) {
    load(site.url(kPageHost, "/widgets.html"));
    ASSERT_TRUE(reported(1)) << web->loadError();
    const auto results = nlohmann::json::parse(reports()[0]);
    EXPECT_EQ(results["script"], "yes");
    EXPECT_EQ(results["picture"], "loaded");
    EXPECT_EQ(results["request"], "shared");
    EXPECT_EQ(results["frame"], "framed");
    // Resolved, but its certificate does not name it: the engine never reaches it.
    EXPECT_EQ(results["stranger"], "failed");
    EXPECT_EQ(site.requestCount(kStrangerHost, "/pixel.svg"), 0u);
    EXPECT_EQ(site.requestCount(kWidgetHost, "/widget.js"), 1u);
    // The tunnel's credentials never leave for a peer that asks for them.
    EXPECT_EQ(results["asking"], 407);
    for (const auto& request : site.requests()) {
        EXPECT_EQ(request.proxyAuthorization, "") << request.path;
    }
    EXPECT_EQ(web->refusedCalls(), 0);
    EXPECT_EQ(web->refusedNavigations(), 0);
}

TEST_F(WebView, OnlyTheMainFrameOfItsOriginReachesTheBridge) {
    load(site.url(kPageHost, "/frames.html"));
    ASSERT_TRUE(reported(1)) << web->loadError();
    // Neither sub-frame got an answer; the other origin could not even see the bridge.
    EXPECT_EQ(reports()[0], "other:blocked:{}|same:undefined:{}");
    EXPECT_EQ(recorder->calls.size(), 1u) << "only the main frame's own report arrived";
    EXPECT_EQ(web->refusedCalls(), 2);
}

TEST_F(WebView, TheMainFrameStaysOnItsOrigin) {
    load(site.url(kPageHost, "/plain.html"));
    ASSERT_TRUE(driver->waitUntil([&] { return web->loadState() == DWKWebView::LoadState::loaded; }, 60))
        << web->loadError();
    // Loads and the page's own navigation to another origin are refused.
    load(site.url(kWidgetHost, "/frame.html"));
    EXPECT_EQ(web->refusedNavigations(), 1);
    web->evaluateJavaScript("location.href = '" + site.url(kWidgetHost, "/frame.html") + "';");
    ASSERT_TRUE(driver->waitUntil([&] { return web->refusedNavigations() == 2; }, 30));
    // The page shown is still the trusted one: its bridge answers.
    web->evaluateJavaScript("dsBridge.call('report', location.host);");
    ASSERT_TRUE(reported(1));
    EXPECT_EQ(reports()[0], std::string(kPageHost) + ":" + std::to_string(site.port()));

    // Only https pages are shown.
    auto other =
        std::make_shared<DWKWebView>(CGRect{{0, 0}, {200, 200}}, std::make_shared<WKWebViewConfiguration>());
    other->loadRequest(NSURLRequest::requestWithURL("http://" + std::string(kPageHost) + "/plain.html",
                                                    NSURLRequestCachePolicy::useProtocolCachePolicy, 60));
    EXPECT_EQ(other->loadState(), DWKWebView::LoadState::failed);
}

TEST_F(WebView, APageThatCannotBeReachedFails) {
    site.stop();
    load(site.url(kPageHost, "/bridge.html"));
    EXPECT_TRUE(spinning()) << "the load shows progress";
    ASSERT_TRUE(driver->waitUntil([&] { return web->loadState() == DWKWebView::LoadState::failed; }, 60));
    EXPECT_FALSE(spinning());
    EXPECT_FALSE(web->hasContent());
    EXPECT_TRUE(recorder->calls.empty());
}

} // namespace
