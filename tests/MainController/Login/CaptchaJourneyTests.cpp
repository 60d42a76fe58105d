#include "MainController/Login/Controller/KKimportentryViewController.h"
#include "MainController/Login/Controller/KKinterimspatialViewController.h"
#include "MainController/Login/Controller/KKprescriptioninterimViewController.h"
#include "MainController/My/Controller/KKstimulateinterfereViewController.h"
#include "app/Helpers/KKpresentationdisease.h"
#include "platform/QMUIKit/QMUITips.h"
#include "platform/UIKit/Controllers/UIAlertController.h"
#include "tests/MainController/Login/LoginJourneySupport.h"
#include "tests/support/XvfbServer.h"
#include "tools/devservice/CaptchaPages.h"

#include <nlohmann/json.hpp>

namespace {

constexpr const char* kNumber = "15812345678";

// These journeys run the captcha page in the real web engine on a virtual display.
class CaptchaJourney : public LoginJourneyTest {
  protected:
    void SetUp() override {
        LoginJourneyTest::SetUp();
        display_ = std::make_unique<testsupport::XvfbServer>("800x1000x24");
        ASSERT_TRUE(display_->isRunning()) << display_->error();
    }
    void TearDown() override {
        LoginJourneyTest::TearDown();
        display_.reset();
    }

    // Opens the captcha from the registration form and waits until the page is drawn.
    std::shared_ptr<DWKWebView> openCaptcha(const std::string& number) {
        if (form()->isLogin) {
            tapText("没有账户？去注册");
        }
        form()->kkabolishdoctrine()->setText("");
        fill(form()->kkabolishdoctrine(), number);
        ui().tap(form()->kkevokefade());
        return shownCaptcha();
    }

    // The captcha page on screen, once it is drawn with its widget.
    std::shared_ptr<DWKWebView> shownCaptcha() {
        const auto shown = overlay();
        EXPECT_NE(shown, nullptr);
        if (!shown) {
            return nullptr;
        }
        const auto web = shown->kkmagnifyapproximate();
        EXPECT_TRUE(waitFor(
            [&] {
                return (web->hasContent() && fetchedFromProvider("/widget/slider.js") > 0) ||
                       web->loadState() == DWKWebView::LoadState::failed;
            },
            60))
            << "the captcha page did not show";
        EXPECT_TRUE(web->hasContent()) << web->loadError();
        return web;
    }

    // Requests for `path` that reached the captcha provider's own host.
    std::size_t fetchedFromProvider(const std::string& path) {
        std::size_t count = 0;
        for (const auto& request : service().requests()) {
            count += request.path == path &&
                             devservice::hostOfHostField(request.header("Host")) == devservice::kCaptchaHost
                         ? 1
                         : 0;
        }
        return count;
    }

    // Drags the page's slider to its right end, as a person would.
    void solveSlider(const std::shared_ptr<DWKWebView>& web) {
        // The knob sits at the left end of a 260-point track centred in the page.
        const CGRect frame = ui().frameInWindow(web);
        const CGFloat y = frame.origin.y + 164;
        ui().drag(CGPoint{frame.origin.x + 55, y}, CGPoint{frame.origin.x + 300, y}, 0.5, 16);
    }

    std::unique_ptr<testsupport::XvfbServer> display_;
};

TEST_F(CaptchaJourney, RegistersThroughTheRealCaptchaThenSignsOutSignsInAndRenames) {
    presentLogin();
    const auto web = openCaptcha(kNumber);
    ASSERT_NE(web, nullptr);
    gallery("login-captcha");
    solveSlider(web);
    ASSERT_TRUE(waitFor([&] { return requestsTo("/api/mail") == 1; }, 30));
    ASSERT_TRUE(waitFor([&] { return overlay() == nullptr; }));
    // The page's widget and the ticket it handed over came from the provider's host.
    EXPECT_EQ(fetchedFromProvider("/widget/slider.js"), 1u);
    EXPECT_EQ(fetchedFromProvider("/widget/verify"), 1u);
    const auto mail = apiRequests("/api/mail")[0];
    EXPECT_EQ(mail.parameters.at("username"), kNumber);
    EXPECT_EQ(mail.parameters.at("type"), "register");
    EXPECT_EQ(mail.parameters.at("ticket").front(), 't');
    ASSERT_TRUE(waitFor([&] { return tipShown("验证码获取成功"); }));

    const auto code = form()->kkevokefade();
    EXPECT_EQ(code->titleForState(UIControlStateDisabled), "60s");
    ui().advance(59.5);
    EXPECT_FALSE(code->isEnabled());
    ui().advance(1);
    EXPECT_TRUE(code->isEnabled());

    fill(form()->kkflourevoke(), *service().lastSmsCode(kNumber));
    fill(form()->kkdoctrinepalm(), "secret-1");
    fill(form()->kkworshipthorough(), "secret-1");
    ui().tap(form()->kktribenaval());
    ASSERT_TRUE(waitFor([&] { return !topPageAs<KKmaximumdefyViewController>() && tipShown("登录成功！"); }));
    const JSON member = storedLogin();
    EXPECT_EQ(member["group_id"].stringValue(), "2");
    EXPECT_EQ(member["username"].stringValue(), kNumber);

    // Sign out from the account page.
    selectTab(3);
    const auto root = topPage();
    root->showViewController(std::make_shared<KKinterimspatialViewController>(), nullptr);
    ASSERT_TRUE(waitFor([&] { return topPageAs<KKinterimspatialViewController>() != nullptr; }));
    playFrames(0.5);
    EXPECT_NE(ui().findByText(kNumber), nullptr);
    tapText("退出登录");
    ASSERT_TRUE(waitFor([&] { return topPageAs<UIAlertController>() != nullptr; }));
    playFrames(0.5);
    EXPECT_NE(ui().findByText("确认退出登录？"), nullptr);
    tapText("确认");
    ASSERT_TRUE(waitFor([&] { return topPage() == root && storedLogin()["group_id"].stringValue() == "1"; }));
    EXPECT_EQ(requestsTo("/api/logout"), 1u);
    EXPECT_TRUE(KKpresentationdisease::checkUserGroup());

    // Sign in again with the password, then change the nickname.
    presentLogin();
    fill(form()->kkabolishdoctrine(), kNumber);
    fill(form()->kkdoctrinepalm(), "secret-1");
    ui().tap(form()->kkinferiortribe());
    ASSERT_TRUE(waitFor([&] { return !topPageAs<KKmaximumdefyViewController>() && tipShown("登录成功！"); }));
    EXPECT_EQ(storedLogin()["id"], member["id"]);

    root->showViewController(std::make_shared<KKinterimspatialViewController>(), nullptr);
    ASSERT_TRUE(waitFor([&] { return topPageAs<KKinterimspatialViewController>() != nullptr; }));
    const auto account = topPageAs<KKinterimspatialViewController>();
    playFrames(0.5);
    ui().tap(account->kkporeswing());
    ASSERT_TRUE(waitFor([&] { return topPageAs<KKprescriptioninterimViewController>() != nullptr; }));
    const auto editor = topPageAs<KKprescriptioninterimViewController>();
    playFrames(0.5);
    EXPECT_EQ(editor->nickName()->text(), member["nick_name"].stringValue());
    editor->nickName()->setText("");
    ui().type("  夜航船  ");
    ui().tap(editor->saveBtn());
    ASSERT_TRUE(waitFor([&] { return topPage() == account && tipShown("昵称修改成功!"); }));
    EXPECT_EQ(apiRequests("/api/setNickName").back().parameters.at("nick_name"), "夜航船");
    EXPECT_EQ(storedLogin()["nick_name"].stringValue(), "夜航船");
    EXPECT_EQ(account->kksummaryobey()->text(), "夜航船");
    EXPECT_EQ(account->kkporeswing()->titleForState(UIControlStateNormal), "夜航船");
}

TEST_F(CaptchaJourney, ResetsThePasswordThroughTheRealCaptcha) {
    presentLogin();
    registerMember(kNumber, "old-secret");
    playFrames(3); // the success tip fades
    presentLogin();
    tapText("忘了密码");
    ASSERT_TRUE(waitFor([&] { return topPageAs<KKimportentryViewController>() != nullptr; }));
    const auto page = topPageAs<KKimportentryViewController>();
    playFrames(0.5);
    fill(page->kkabolishdoctrine(), kNumber);
    ui().tap(page->kkevokefade());
    const auto web = shownCaptcha();
    ASSERT_NE(web, nullptr);
    solveSlider(web);
    ASSERT_TRUE(waitFor([&] { return tipShown("验证码获取成功"); }, 30));
    EXPECT_EQ(overlay(), nullptr);
    EXPECT_EQ(fetchedFromProvider("/widget/verify"), 1u);
    const auto mail = apiRequests("/api/mail").back();
    EXPECT_EQ(mail.parameters.at("type"), "forgotPwd");
    EXPECT_EQ(mail.parameters.at("ticket").front(), 't');

    fill(page->kkflourevoke(), *service().lastSmsCode(kNumber));
    fill(page->kkdoctrinepalm(), "new-secret");
    ui().tap(page->kkreignunion());
    ASSERT_TRUE(waitFor([&] { return tipShown("密码修改成功!"); }));
    EXPECT_EQ(apiRequests("/api/forgotPwd").back().parameters.at("password"), "new-secret");
}

TEST_F(CaptchaJourney, APageAnsweringTwiceSendsOneCode) {
    presentLogin();
    const auto web = openCaptcha(kNumber);
    ASSERT_NE(web, nullptr);
    // The page's own bridge, called twice in a row with a ticket.
    const auto ticket = service().solveCaptcha();
    web->evaluateJavaScript(R"(var a = JSON.stringify({ret: 0, ticket: ")" + ticket.ticket +
                            R"(", randstr: ")" + ticket.randstr +
                            R"("}); dsBridge.call('jsIOS', a); dsBridge.call('jsIOS', a);)");
    ASSERT_TRUE(waitFor([&] { return requestsTo("/api/mail") >= 1 && overlay() == nullptr; }, 30));
    playFrames(1);
    EXPECT_EQ(requestsTo("/api/mail"), 1u);
}

TEST_F(CaptchaJourney, NeitherAnotherOriginNorASubFrameReachesTheBridge) {
    presentLogin();
    const auto web = openCaptcha(kNumber);
    ASSERT_NE(web, nullptr);
    // The service's second port is another origin: the page may not go there.
    const std::string elsewhere = "https://api.orvex.test:" + std::to_string(service().port2()) + "/captcha";
    web->evaluateJavaScript("location.href = '" + elsewhere + "';");
    ASSERT_TRUE(waitFor([&] { return web->refusedNavigations() == 1; }, 30));
    web->loadRequest(
        NSURLRequest::requestWithURL(elsewhere, NSURLRequestCachePolicy::useProtocolCachePolicy, 60));
    ASSERT_TRUE(waitFor([&] { return web->refusedNavigations() == 2; }, 30));
    // A frame inside the captcha page answers through the bridge's prompt itself, with a
    // ticket that the service would take: refused.
    const auto ticket = service().solveCaptcha();
    const std::string answer =
        nlohmann::json{{"ret", 0}, {"ticket", ticket.ticket}, {"randstr", ticket.randstr}}.dump();
    const std::string frame = "<script>prompt(\"_dsbridge=jsIOS\", " +
                              nlohmann::json(nlohmann::json{{"data", answer}}.dump()).dump() + ");</script>";
    web->evaluateJavaScript("var frame = document.createElement('iframe'); frame.srcdoc = " +
                            nlohmann::json(frame).dump() + "; document.body.appendChild(frame);");
    ASSERT_TRUE(waitFor([&] { return web->refusedCalls() == 1; }, 30));
    playFrames(0.5);
    EXPECT_NE(overlay(), nullptr);
    EXPECT_EQ(requestsTo("/api/mail"), 0u);
    // The page shown is still the captcha page: its own answer still counts.
    solveSlider(web);
    ASSERT_TRUE(waitFor([&] { return overlay() == nullptr; }, 30));
    ASSERT_TRUE(waitFor([&] { return requestsTo("/api/mail") == 1; }));
}

TEST_F(CaptchaJourney, ABackgroundTapOrThePageClosingItselfSendsNothing) {
    presentLogin();
    auto web = openCaptcha(kNumber);
    ASSERT_NE(web, nullptr);
    const auto shown = overlay();
    const CGRect frame = ui().frameInWindow(web);
    ui().tap(CGPoint{frame.origin.x + frame.size.width / 2, frame.origin.y + frame.size.height + 60});
    EXPECT_TRUE(shown->isHiding());
    playFrames(0.5);
    EXPECT_EQ(overlay(), nullptr);

    web = openCaptcha(kNumber);
    ASSERT_NE(web, nullptr);
    web->evaluateJavaScript("document.getElementById('close').click();");
    ASSERT_TRUE(waitFor([&] { return overlay() == nullptr; }, 30));
    playFrames(1);
    EXPECT_EQ(requestsTo("/api/mail"), 0u);
    EXPECT_TRUE(form()->kkevokefade()->isEnabled());
}

} // namespace
