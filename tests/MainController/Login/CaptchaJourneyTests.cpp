#include "MainController/Login/Controller/KKinterimspatialViewController.h"
#include "MainController/Login/Controller/KKprescriptioninterimViewController.h"
#include "MainController/My/Controller/KKstimulateinterfereViewController.h"
#include "app/Helpers/KKpresentationdisease.h"
#include "platform/QMUIKit/QMUITips.h"
#include "platform/UIKit/Controllers/UIAlertController.h"
#include "tests/MainController/Login/LoginJourneySupport.h"
#include "tests/platform/WebKit/XvfbDisplay.h"

namespace {

constexpr const char* kNumber = "15812345678";

// These journeys run the captcha page in the real web engine on a virtual display.
class CaptchaJourney : public LoginJourneyTest {
  protected:
    void SetUp() override {
        LoginJourneyTest::SetUp();
        display_ = std::make_unique<XvfbDisplay>();
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
        const auto shown = overlay();
        EXPECT_NE(shown, nullptr);
        if (!shown) {
            return nullptr;
        }
        const auto web = shown->kkmagnifyapproximate();
        EXPECT_TRUE(waitFor(
            [&] { return web->hasContent() || web->loadState() == DWKWebView::LoadState::failed; }, 60))
            << "the captcha page did not show";
        EXPECT_TRUE(web->hasContent()) << web->loadError();
        return web;
    }

    // Drags the page's slider to its right end, as a person would.
    void solveSlider(const std::shared_ptr<DWKWebView>& web) {
        // The knob sits at the left end of a 260-point track centred in the page.
        const CGRect frame = ui().frameInWindow(web);
        const CGFloat y = frame.origin.y + 164;
        ui().drag(CGPoint{frame.origin.x + 55, y}, CGPoint{frame.origin.x + 300, y}, 0.5, 16);
    }

    std::unique_ptr<XvfbDisplay> display_;
};

TEST_F(CaptchaJourney, RegistersThroughTheRealCaptchaThenSignsOutSignsInAndRenames) {
    presentLogin();
    const auto web = openCaptcha(kNumber);
    ASSERT_NE(web, nullptr);
    gallery("login-captcha");
    solveSlider(web);
    ASSERT_TRUE(waitFor([&] { return requestsTo("/api/mail") == 1; }, 30));
    ASSERT_TRUE(waitFor([&] { return overlay() == nullptr; }));
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

TEST_F(CaptchaJourney, APageAnsweringTwiceSendsOneCode) {
    presentLogin();
    const auto web = openCaptcha(kNumber);
    ASSERT_NE(web, nullptr);
    // The page's own bridge, called twice in a row with its ticket.
    web->evaluateJavaScript("var a = JSON.stringify({ret: 0, ticket: document.body.dataset.ticket, randstr: "
                            "document.body.dataset.randstr});"
                            "dsBridge.call('jsIOS', a); dsBridge.call('jsIOS', a);");
    ASSERT_TRUE(waitFor([&] { return requestsTo("/api/mail") >= 1 && overlay() == nullptr; }, 30));
    playFrames(1);
    EXPECT_EQ(requestsTo("/api/mail"), 1u);
}

TEST_F(CaptchaJourney, AnotherOriginCannotReachTheBridge) {
    presentLogin();
    const auto web = openCaptcha(kNumber);
    ASSERT_NE(web, nullptr);
    // The service's second port is another origin: the page may not go there, and no
    // document but the captcha page's own may answer.
    const std::string elsewhere = "https://api.orvex.test:" + std::to_string(service().port2()) + "/captcha";
    web->evaluateJavaScript("location.href = '" + elsewhere + "';");
    ASSERT_TRUE(waitFor([&] { return web->refusedNavigations() == 1; }, 30));
    web->loadRequest(
        NSURLRequest::requestWithURL(elsewhere, NSURLRequestCachePolicy::useProtocolCachePolicy, 60));
    ASSERT_TRUE(waitFor([&] { return web->refusedNavigations() == 2; }, 30));
    EXPECT_NE(overlay(), nullptr);
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
