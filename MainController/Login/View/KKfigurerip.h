#pragma once

#include "platform/Foundation/JSON.h"
#include "platform/UIKit/UIView.h"
#include "platform/WebKit/DWKWebView.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

// The object the captcha page calls through the script bridge: "jsIOS" with the page's
// answer as text.
class KKinfluencefigure : public DWKJavascriptObject {
  public:
    // The acknowledgement every call of "jsIOS" answers.
    static constexpr const char* acknowledgement = "[Swift sync call:jsIOS]";

    std::function<void(const std::string&)> getResult;

    std::string jsIOS(const std::string& argument);
    std::optional<std::string> callMethod(const std::string& method, const std::string& argument) override;
};

// The captcha over everything: a dimmed background (a tap closes the overlay) and, in its
// centre, a 326-point square web view showing the service's captcha page "<base URL>captcha".
// The page's first answer is parsed as JSON and handed to `getResult` once; the overlay
// then fades out over 0.3 s and removes itself. Later answers, and answers that arrive
// while it fades, are ignored.
class KKfigurerip : public UIView {
  public:
    // Made with its frame (the screen's bounds) and set up at once.
    static std::shared_ptr<KKfigurerip> make(const CGRect& frame);
    explicit KKfigurerip(const CGRect& frame);

    const std::shared_ptr<UIView>& backgroundView();
    const std::shared_ptr<DWKWebView>& kkmagnifyapproximate();
    const std::shared_ptr<KKinfluencefigure>& api() const { return api_; }
    std::function<void(const JSON&)> getResult;

    void setupUI();
    void hide();
    bool isHiding() const { return hiding_; }

    // The address of the captcha page: the first base URL followed by "captcha".
    static std::optional<std::string> captchaURL();

  private:
    void receive(const std::string& answer);

    std::shared_ptr<UIView> backgroundView_;
    std::shared_ptr<DWKWebView> kkmagnifyapproximate_;
    std::shared_ptr<KKinfluencefigure> api_ = std::make_shared<KKinfluencefigure>();
    bool answered_ = false;
    bool hiding_ = false;
};
