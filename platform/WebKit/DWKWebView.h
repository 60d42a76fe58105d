#pragma once

#include "platform/UIKit/UIView.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

class UIActivityIndicatorView;
class WebEngineSession;

// What a web view is made with. Every web view here gets a fresh, private web context
// (no cookies or storage shared with other views); nothing is configurable yet.
class WKWebViewConfiguration {};

enum class NSURLRequestCachePolicy { useProtocolCachePolicy = 0, reloadIgnoringLocalCacheData = 1 };

struct NSURLRequest {
    std::string url;
    NSURLRequestCachePolicy cachePolicy = NSURLRequestCachePolicy::useProtocolCachePolicy;
    double timeoutInterval = 60;

    static NSURLRequest requestWithURL(std::string url, NSURLRequestCachePolicy cachePolicy,
                                       double timeoutInterval) {
        return NSURLRequest{std::move(url), cachePolicy, timeoutInterval};
    }
};

// A native object that the page's script reaches through the bridge: the page calls a
// method by name with one text argument and waits for its text answer. Nothing means the
// object has no such method.
class DWKJavascriptObject {
  public:
    virtual ~DWKJavascriptObject() = default;
    virtual std::optional<std::string> callMethod(const std::string& method, const std::string& argument) = 0;
};

// A web view whose page can call native methods synchronously: `dsBridge.call(name, text)`
// in the page's script runs the registered object's method on the main thread and answers
// its text. The page runs in a real web engine (WebKitGTK) in a helper process of its own,
// off screen; the view shows the engine's pictures of the page and hands it the touches it
// receives as pointer input and the text typed while it has the keyboard.
//
// Trust: the main frame shows only https documents of its trusted origin (scheme, host and
// port; the origin of the first request loaded unless set): loads and page-initiated
// navigation of the main frame to any other origin are refused, and only the main frame's
// documents of that origin reach the bridge (a call from a sub-frame or another origin is
// refused). The page's subresources and frames may come from any https origin: the engine
// reaches the network only through a tunnel of this process that resolves names and
// verifies peers with the process's network policy, and that serves the engine alone.
class DWKWebView : public UIView {
  public:
    DWKWebView(const CGRect& frame, std::shared_ptr<WKWebViewConfiguration> configuration);
    ~DWKWebView() override;

    void loadRequest(const NSURLRequest& request);
    // With a namespace the page calls "namespace.method"; without (nothing or "") the plain
    // method names.
    void addJavascriptObject(std::shared_ptr<DWKJavascriptObject> object,
                             const std::optional<std::string>& ns);
    // Runs when the page closes itself (window.close()).
    void setJavascriptCloseWindowListener(std::function<void()> listener);
    void evaluateJavaScript(const std::string& script);

    // "https://host:port" of a URL; nothing when it has no scheme or host.
    static std::optional<std::string> originOf(const std::string& url);
    void setTrustedOrigin(std::string origin) { trustedOrigin_ = std::move(origin); }
    const std::string& trustedOrigin() const { return trustedOrigin_; }

    // What the engine reported last.
    enum class LoadState { idle, loading, loaded, failed };
    LoadState loadState() const { return loadState_; }
    const std::string& loadError() const { return loadError_; }
    // The engine's picture of the page is shown (the page has been drawn at least once).
    bool hasContent() const { return contents_ != nullptr; }
    // Bridge calls refused because they came from a sub-frame or another origin, and main
    // frame navigations refused.
    int refusedCalls() const { return refusedCalls_; }
    int refusedNavigations() const { return refusedNavigations_; }

    void layoutSubviews() override;
    void touchesBegan(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent* event) override;
    void touchesMoved(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent* event) override;
    void touchesEnded(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent* event) override;
    void touchesCancelled(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent* event) override;
    // Typed text goes to the page's focused field (the view takes the keyboard when touched).
    bool canBecomeFirstResponder() const override { return true; }
    bool acceptsTextInput() const override { return true; }
    void insertText(const std::string& text) override;
    void deleteBackward() override;

  private:
    void startEngine(const NSURLRequest& request);
    void forwardPointer(const char* kind, const std::vector<std::shared_ptr<UITouch>>& touches);
    std::string answerCall(const std::string& method, const std::string& argument);
    void showFrame(std::shared_ptr<UIImage> image);
    void setLoading(bool loading);

    std::shared_ptr<WKWebViewConfiguration> configuration_;
    std::shared_ptr<DWKJavascriptObject> object_;
    std::string namespace_;
    std::function<void()> closeListener_;
    std::string trustedOrigin_;
    std::shared_ptr<WebEngineSession> session_;
    // A load asked for before the view had a size.
    std::optional<NSURLRequest> pendingRequest_;
    std::shared_ptr<UIImage> contents_;
    // Spins from the start of a load until the page is first drawn or the load fails.
    std::shared_ptr<UIActivityIndicatorView> spinner_;
    LoadState loadState_ = LoadState::idle;
    std::string loadError_;
    int refusedCalls_ = 0;
    int refusedNavigations_ = 0;
};
