#include "MainController/Login/View/KKfigurerip.h"

#include "app/Extensions/UIViewExtensions.h"
#include "app/Network/ServiceConfiguration.h"
#include "platform/SnapKit/ConstraintMaker.h"

std::string KKinfluencefigure::jsIOS(const std::string& argument) {
    if (getResult) {
        getResult(argument);
    }
    return acknowledgement;
}

std::optional<std::string> KKinfluencefigure::callMethod(const std::string& method,
                                                         const std::string& argument) {
    if (method != "jsIOS") {
        return std::nullopt;
    }
    return jsIOS(argument);
}

std::shared_ptr<KKfigurerip> KKfigurerip::make(const CGRect& frame) {
    auto overlay = std::make_shared<KKfigurerip>(frame);
    overlay->setupUI();
    return overlay;
}

KKfigurerip::KKfigurerip(const CGRect& frame) : UIView(frame) {}

const std::shared_ptr<UIView>& KKfigurerip::backgroundView() {
    if (!backgroundView_) {
        backgroundView_ = std::make_shared<UIView>();
        backgroundView_->setBackgroundColor(UIColor::colorWithWhite(0.0, 0.5));
        backgroundView_->setAccessibilityIdentifier("captcha.background");
    }
    return backgroundView_;
}

const std::shared_ptr<DWKWebView>& KKfigurerip::kkmagnifyapproximate() {
    if (!kkmagnifyapproximate_) {
        kkmagnifyapproximate_ =
            std::make_shared<DWKWebView>(CGRectZero, std::make_shared<WKWebViewConfiguration>());
        kkmagnifyapproximate_->setAccessibilityIdentifier("captcha.web");
    }
    return kkmagnifyapproximate_;
}

std::optional<std::string> KKfigurerip::captchaURL() {
    const std::string& base = ServiceConfiguration::current().baseURL1;
    if (!DWKWebView::originOf(base)) {
        return std::nullopt;
    }
    return base + "captcha";
}

void KKfigurerip::setupUI() {
    addSubview(backgroundView());
    addSubview(kkmagnifyapproximate());
    backgroundView()->snp.makeConstraints([](ConstraintMaker& make) { make.edges.equalToSuperview(); });
    const std::weak_ptr<KKfigurerip> weak = std::static_pointer_cast<KKfigurerip>(shared_from_this());
    addTapAction(*backgroundView(), [weak](UITapGestureRecognizer&) {
        if (const auto self = weak.lock()) {
            self->hide();
        }
    });
    kkmagnifyapproximate()->snp.makeConstraints([](ConstraintMaker& make) {
        make.center.equalToSuperview();
        make.width.equalTo(326);
        make.height.equalTo(326);
    });

    const auto url = captchaURL();
    if (!url) {
        return;
    }
    const auto& web = kkmagnifyapproximate();
    // Only the captcha page's own origin may answer through the bridge.
    web->setTrustedOrigin(*DWKWebView::originOf(*url));
    web->loadRequest(NSURLRequest::requestWithURL(*url, NSURLRequestCachePolicy::useProtocolCachePolicy, 60));
    api_->getResult = [weak](const std::string& answer) {
        if (const auto self = weak.lock()) {
            self->receive(answer);
        }
    };
    web->addJavascriptObject(api_, std::nullopt);
    web->setJavascriptCloseWindowListener([weak] {
        if (const auto self = weak.lock()) {
            self->hide();
        }
    });
}

void KKfigurerip::receive(const std::string& answer) {
    // The first answer counts; a page that answers again (or while the overlay fades)
    // must not have a second code sent.
    if (answered_ || hiding_) {
        return;
    }
    answered_ = true;
    if (getResult) {
        const auto callback = std::move(getResult);
        getResult = nullptr;
        callback(JSON::parse(answer));
    }
    hide();
}

void KKfigurerip::hide() {
    if (hiding_) {
        return;
    }
    hiding_ = true;
    getResult = nullptr;
    // The overlay keeps itself alive until the fade has ended.
    const auto self = std::static_pointer_cast<KKfigurerip>(shared_from_this());
    setAlpha(1.0);
    UIView::animateWithDuration(
        0.3, [self] { self->setAlpha(0.0); }, [self](bool) { self->removeFromSuperview(); });
}
