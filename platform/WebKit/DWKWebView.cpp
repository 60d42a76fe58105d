#include "platform/WebKit/DWKWebView.h"

#include "platform/Foundation/Log.h"

#include "platform/UIKit/Controls/UIActivityIndicatorView.h"
#include "platform/UIKit/UIImage.h"
#include "platform/UIKit/UIScreen.h"
#include "platform/UIKit/UITouch.h"
#include "platform/WebKit/WebEngineSession.h"

#include <algorithm>
#include <cctype>
#include <cmath>

DWKWebView::DWKWebView(const CGRect& frame, std::shared_ptr<WKWebViewConfiguration> configuration)
    : UIView(frame), configuration_(std::move(configuration)) {
    setBackgroundColor(UIColor::whiteColor());
    setClipsToBounds(true);
    layer()->setContentsGravity(CALayerContentsGravity::resize);
}

DWKWebView::~DWKWebView() = default;

std::optional<std::string> DWKWebView::originOf(const std::string& url) {
    const auto schemeEnd = url.find("://");
    if (schemeEnd == std::string::npos || schemeEnd == 0) {
        return std::nullopt;
    }
    std::string scheme = url.substr(0, schemeEnd);
    for (char& c : scheme) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    if (scheme != "https" && scheme != "http") {
        return std::nullopt;
    }
    const auto authorityStart = schemeEnd + 3;
    auto authorityEnd = url.find_first_of("/?#", authorityStart);
    std::string authority =
        url.substr(authorityStart,
                   authorityEnd == std::string::npos ? std::string::npos : authorityEnd - authorityStart);
    if (const auto at = authority.rfind('@'); at != std::string::npos) {
        authority = authority.substr(at + 1);
    }
    for (char& c : authority) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    const bool bracketed = !authority.empty() && authority.front() == '[';
    const auto portColon = authority.rfind(':');
    const bool hasPort = portColon != std::string::npos && (!bracketed || portColon > authority.find(']'));
    const std::string host = hasPort ? authority.substr(0, portColon) : authority;
    if (host.empty()) {
        return std::nullopt;
    }
    const std::string port = hasPort ? authority.substr(portColon + 1) : (scheme == "https" ? "443" : "80");
    if (port.empty() || port.find_first_not_of("0123456789") != std::string::npos) {
        return std::nullopt;
    }
    return scheme + "://" + host + ":" + port;
}

void DWKWebView::loadRequest(const NSURLRequest& request) {
    const auto origin = originOf(request.url);
    if (!origin || !origin->starts_with("https://")) {
        loadState_ = LoadState::failed;
        loadError_ = "the web view shows only https pages: " + request.url;
        return;
    }
    if (trustedOrigin_.empty()) {
        trustedOrigin_ = *origin;
    }
    if (*origin != trustedOrigin_) {
        consoleLog("web view: refused to leave the trusted origin for " + request.url);
        refusedNavigations_ += 1;
        return;
    }
    loadState_ = LoadState::loading;
    loadError_.clear();
    setLoading(!contents_);
    if (session_) {
        session_->load(request.url);
        return;
    }
    // The page is laid out at the view's size: the engine starts once the view has one.
    if (bounds().size.width <= 0 || bounds().size.height <= 0) {
        pendingRequest_ = request;
        setNeedsLayout();
        return;
    }
    startEngine(request);
}

void DWKWebView::startEngine(const NSURLRequest& request) {
    const std::weak_ptr<DWKWebView> weak = std::static_pointer_cast<DWKWebView>(shared_from_this());
    WebEngineHandlers handlers;
    handlers.frame = [weak](std::shared_ptr<UIImage> frame) {
        if (const auto self = weak.lock()) {
            self->showFrame(std::move(frame));
        }
    };
    handlers.call = [weak](const std::string& method, const std::string& argument) -> std::string {
        const auto self = weak.lock();
        return self ? self->answerCall(method, argument) : std::string();
    };
    handlers.closeWindow = [weak] {
        if (const auto self = weak.lock(); self && self->closeListener_) {
            const auto listener = self->closeListener_;
            listener();
        }
    };
    handlers.loaded = [weak](const std::string&) {
        if (const auto self = weak.lock()) {
            self->loadState_ = LoadState::loaded;
        }
    };
    handlers.failed = [weak](const std::string& url, const std::string& error) {
        consoleLog("web view: " + url + " did not load: " + error);
        if (const auto self = weak.lock()) {
            self->loadState_ = LoadState::failed;
            self->loadError_ = error;
            self->setLoading(false);
        }
    };
    handlers.refusedNavigation = [weak](const std::string& url) {
        consoleLog("web view: refused to leave the trusted origin for " + url);
        if (const auto self = weak.lock()) {
            self->refusedNavigations_ += 1;
        }
    };
    handlers.refusedCall = [weak] {
        if (const auto self = weak.lock()) {
            self->refusedCalls_ += 1;
        }
    };
    const CGSize size = bounds().size;
    WebEngineOptions options{request.url,
                             trustedOrigin_,
                             request.timeoutInterval > 0 ? request.timeoutInterval : 60,
                             static_cast<int>(std::lround(size.width)),
                             static_cast<int>(std::lround(size.height)),
                             std::max(1, static_cast<int>(std::lround(UIScreen::mainScreen().scale())))};
    session_ = WebEngineSession::start(std::move(options), std::move(handlers));
}

std::string DWKWebView::answerCall(const std::string& method, const std::string& argument) {
    if (!object_) {
        return {};
    }
    std::string name = method;
    if (!namespace_.empty()) {
        if (!method.starts_with(namespace_ + ".")) {
            return {};
        }
        name = method.substr(namespace_.size() + 1);
    }
    return object_->callMethod(name, argument).value_or("");
}

void DWKWebView::addJavascriptObject(std::shared_ptr<DWKJavascriptObject> object,
                                     const std::optional<std::string>& ns) {
    object_ = std::move(object);
    namespace_ = ns.value_or("");
}

void DWKWebView::setJavascriptCloseWindowListener(std::function<void()> listener) {
    closeListener_ = std::move(listener);
}

void DWKWebView::evaluateJavaScript(const std::string& script) {
    if (session_) {
        session_->evaluate(script);
    }
}

void DWKWebView::showFrame(std::shared_ptr<UIImage> image) {
    contents_ = std::move(image);
    layer()->setContents(contents_);
    setLoading(false);
}

void DWKWebView::setLoading(bool loading) {
    if (loading == (spinner_ != nullptr)) {
        return;
    }
    if (loading) {
        spinner_ = std::make_shared<UIActivityIndicatorView>(UIActivityIndicatorViewStyle::gray);
        addSubview(spinner_);
        spinner_->startAnimating();
        setNeedsLayout();
    } else {
        spinner_->stopAnimating();
        spinner_->removeFromSuperview();
        spinner_.reset();
    }
}

void DWKWebView::layoutSubviews() {
    UIView::layoutSubviews();
    if (spinner_) {
        const CGSize size = spinner_->intrinsicContentSize();
        spinner_->setFrame(
            CGRect{{(bounds().size.width - size.width) / 2, (bounds().size.height - size.height) / 2}, size});
    }
    if (pendingRequest_ && bounds().size.width > 0 && bounds().size.height > 0) {
        const NSURLRequest request = *pendingRequest_;
        pendingRequest_.reset();
        startEngine(request);
    }
}

void DWKWebView::forwardPointer(const char* kind, const std::vector<std::shared_ptr<UITouch>>& touches) {
    if (!session_ || touches.empty()) {
        return;
    }
    const CGPoint point = touches.front()->locationInView(this);
    session_->pointer(kind, point.x, point.y);
}

void DWKWebView::touchesBegan(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent*) {
    becomeFirstResponder();
    forwardPointer("down", touches);
}

void DWKWebView::insertText(const std::string& text) {
    if (session_ && !text.empty()) {
        session_->editText("InsertText", text);
    }
}

void DWKWebView::deleteBackward() {
    if (session_) {
        session_->editText("DeleteBackward", "");
    }
}

void DWKWebView::touchesMoved(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent*) {
    forwardPointer("move", touches);
}

void DWKWebView::touchesEnded(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent*) {
    forwardPointer("up", touches);
}

void DWKWebView::touchesCancelled(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent*) {
    forwardPointer("up", touches);
}
