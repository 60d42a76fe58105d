#include "MainController/Login/Controller/KKimportentryViewController.h"
#include "app/Base/NavigationController.h"
#include "app/Helpers/KKpresentationdisease.h"
#include "app/Models/KKrearinfluence.h"
#include "platform/Foundation/UserDefaults.h"
#include "platform/QMUIKit/QMUITips.h"
#include "platform/UIKit/Controllers/UINavigationController.h"
#include "tests/MainController/Login/LoginJourneySupport.h"

namespace {

using LoginFormJourney = LoginJourneyTest;

constexpr const char* kNumber = "13912345678";

std::string disabledTitle(const std::shared_ptr<QMUIButton>& button) {
    return button->titleForState(UIControlStateDisabled).value_or("");
}

TEST_F(LoginFormJourney, OpensOnSignInAndSwitchesModesWithAnEmptyForm) {
    auto container = presentLogin();
    gallery("login-signin");
    EXPECT_NE(ui().findByText("欢迎回来，开始登录"), nullptr);
    EXPECT_EQ(container->dataSource()->titles, std::vector<std::string>{"密码登陆"});
    EXPECT_EQ(container->segmentedView()->numberOfItems(), 1);
    EXPECT_FALSE(container->listContainerView()->scrollView()->isScrollEnabled());
    ASSERT_TRUE(form()->isLogin);
    EXPECT_NE(ui().findByText("忘了密码"), nullptr);
    fill(form()->kkabolishdoctrine(), kNumber);

    tapText("没有账户？去注册");
    EXPECT_EQ(container->dataSource()->titles, std::vector<std::string>{"注册"});
    ASSERT_FALSE(form()->isLogin);
    EXPECT_EQ(form()->kkabolishdoctrine()->text(), "");
    EXPECT_NE(form()->kkworshipthorough()->window(), nullptr);
    gallery("login-register");

    tapText("有账号吗？去登录");
    ASSERT_TRUE(form()->isLogin);
    EXPECT_EQ(form()->kkabolishdoctrine()->text(), "");
    EXPECT_EQ(container->childViewControllers().size(), 1u) << "the replaced forms have left the container";

    // Closing stores nothing; the next opening starts on sign-in again.
    tapText("没有账户？去注册");
    ui().tap(container->kkspraychew());
    ASSERT_TRUE(waitFor([&] { return !topPageAs<KKmaximumdefyViewController>(); }));
    EXPECT_FALSE(storedLogin().exists());
    presentLogin();
    EXPECT_TRUE(form()->isLogin);
    EXPECT_EQ(topPageAs<KKmaximumdefyViewController>()->dataSource()->titles,
              std::vector<std::string>{"密码登陆"});
}

TEST_F(LoginFormJourney, RefusesBadInputWithTheRightTipAndSendsNothing) {
    presentLogin();
    const auto mustRefuse = [&](const std::shared_ptr<UIView>& button, const std::string& tip) {
        QMUITips::hideAllTips();
        ui().tap(button);
        EXPECT_TRUE(tipShown(tip)) << "expected \"" << tip << "\"";
        EXPECT_EQ(overlay(), nullptr) << "no captcha for bad input";
    };
    // Numbers: second digit 2 or 6, 10 or 12 digits.
    for (const std::string bad : {"12912345678", "16912345678", "1391234567", "139123456789"}) {
        form()->kkabolishdoctrine()->setText("");
        fill(form()->kkabolishdoctrine(), bad);
        mustRefuse(form()->kkinferiortribe(), "请先输入正确的手机号");
    }
    form()->kkabolishdoctrine()->setText("");
    fill(form()->kkabolishdoctrine(), kNumber);
    mustRefuse(form()->kkinferiortribe(), "请先输入密码");

    tapText("没有账户？去注册");
    for (const std::string bad : {"12912345678", "1391234567"}) {
        fill(form()->kkabolishdoctrine(), bad);
        mustRefuse(form()->kkevokefade(), "请先输入正确的手机号");
        mustRefuse(form()->kktribenaval(), "请先输入正确的手机号");
        form()->kkabolishdoctrine()->setText("");
    }
    fill(form()->kkabolishdoctrine(), kNumber);
    mustRefuse(form()->kktribenaval(), "请先输入验证码");
    fill(form()->kkflourevoke(), "123456");
    mustRefuse(form()->kktribenaval(), "请先输入密码");
    fill(form()->kkdoctrinepalm(), "a");
    fill(form()->kkworshipthorough(), "a ");
    mustRefuse(form()->kktribenaval(), "两次密码不一致");
    playFrames(0.5);
    EXPECT_EQ(requestsTo("/api/register") + requestsTo("/api/login") + requestsTo("/api/mail"), 0u);
}

TEST_F(LoginFormJourney, ADoubleTapSignsInOnceAndAFailureKeepsTheForm) {
    presentLogin();
    fill(form()->kkabolishdoctrine(), kNumber);
    // A password of spaces is a password: it is sent as typed.
    fill(form()->kkdoctrinepalm(), "   ");
    service().setFault("api/login", devservice::Fault{.delaySeconds = 0.5});
    const auto button = form()->kkinferiortribe();
    button->sendActionsForControlEvents(UIControlEventTouchUpInside);
    button->sendActionsForControlEvents(UIControlEventTouchUpInside);
    ASSERT_TRUE(waitFor([&] {
        return requestsTo("/api/login") == 1 && !QMUITips::shownTips().empty() &&
               QMUITips::shownTips().back().kind == QMUITips::Kind::error;
    }));
    playFrames(1);
    const auto sent = apiRequests("/api/login");
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].parameters.at("password"), "   ");
    // The service refused (no such member): the form stays as it was, nothing stored.
    ASSERT_NE(form(), nullptr);
    EXPECT_EQ(form()->kkabolishdoctrine()->text(), kNumber);
    EXPECT_FALSE(storedLogin().exists());
}

TEST_F(LoginFormJourney, CodeButtonCountsDownAMinuteThenWorksAgain) {
    presentLogin();
    tapText("没有账户？去注册");
    fill(form()->kkabolishdoctrine(), kNumber);
    const auto code = form()->kkevokefade();
    ui().tap(code);
    answerCaptcha();
    ASSERT_TRUE(waitFor([&] { return tipShown("验证码获取成功"); }));
    ASSERT_EQ(requestsTo("/api/mail"), 1u);
    EXPECT_EQ(apiRequests("/api/mail")[0].parameters.at("type"), "register");
    EXPECT_FALSE(code->isEnabled());
    EXPECT_EQ(disabledTitle(code), "60s");
    // Half a second off the firings, so that no step lands on one.
    ui().advance(0.5);
    EXPECT_EQ(disabledTitle(code), "60s");
    ui().advance(1.0);
    EXPECT_EQ(disabledTitle(code), "59s");
    ui().advance(58.0);
    EXPECT_EQ(disabledTitle(code), "1s");
    EXPECT_FALSE(code->isEnabled());
    ui().advance(1.0);
    EXPECT_TRUE(code->isEnabled());
    EXPECT_EQ(code->titleForState(UIControlStateNormal), "发送验证码");
    EXPECT_EQ(form()->timer(), nullptr);

    // A second request starts again at 60 s.
    ui().tap(code);
    answerCaptcha();
    ASSERT_TRUE(waitFor([&] { return requestsTo("/api/mail") == 2 && !code->isEnabled(); }));
    EXPECT_EQ(disabledTitle(code), "60s");
}

TEST_F(LoginFormJourney, AFormClosedMidCountdownLeavesNoTimerBehind) {
    auto container = presentLogin();
    tapText("没有账户？去注册");
    fill(form()->kkabolishdoctrine(), kNumber);
    ui().tap(form()->kkevokefade());
    answerCaptcha();
    ASSERT_TRUE(waitFor([&] { return form()->timer() != nullptr; }));
    const std::weak_ptr<Timer> timer = form()->timer();
    const std::weak_ptr<KKentrymaximumViewController> closed = form();
    ui().tap(container->kkspraychew());
    container.reset();
    ASSERT_TRUE(waitFor([&] { return !topPageAs<KKmaximumdefyViewController>(); }));
    playFrames(1);
    EXPECT_TRUE(closed.expired()) << "the closed form is gone";
    EXPECT_TRUE(timer.expired()) << "its countdown went with it";
    // The rest of the minute passes without anything firing into the closed form.
    ui().advance(65);
}

// The form's code variant (a container page at an index other than 0) asks for a sign-in
// code and signs in with it; the reset link is hidden there.
TEST_F(LoginFormJourney, TheCodeVariantSignsInWithASignInCode) {
    presentLogin();
    registerMember(kNumber, "secret");
    const JSON member = storedLogin();
    playFrames(3); // the success tip fades
    UserDefaults::standard().removeObject(KKrearinfluence::loginDefaultsKey);
    auto form = std::make_shared<KKentrymaximumViewController>();
    form->type = 1;
    auto navigation = std::make_shared<NavigationController>(form);
    navigation->setModalPresentationStyle(UIModalPresentationStyle::fullScreen);
    KKpresentationdisease::getCurrentVC()->presentViewController(navigation, true);
    ASSERT_TRUE(waitFor([&] { return topPage() == form; }));
    playFrames(0.5);
    EXPECT_TRUE(form->kkthoroughyacht()->isHidden());
    EXPECT_EQ(form->kkdoctrinepalm()->window(), nullptr) << "no password field";

    fill(form->kkabolishdoctrine(), kNumber);
    ui().tap(form->kkinferiortribe());
    EXPECT_TRUE(tipShown("请先输入验证码"));
    ui().tap(form->kkevokefade());
    answerCaptcha();
    ASSERT_TRUE(waitFor([&] { return tipShown("验证码获取成功"); }));
    EXPECT_EQ(apiRequests("/api/mail").back().parameters.at("type"), "loginMailCode");
    EXPECT_FALSE(form->kkevokefade()->isEnabled());
    fill(form->kkflourevoke(), *service().lastSmsCode(kNumber));
    ui().tap(form->kkinferiortribe());
    ASSERT_TRUE(waitFor([&] { return topPage() != form && tipShown("登录成功！"); }));
    EXPECT_EQ(requestsTo("/api/login"), 0u);
    EXPECT_EQ(storedLogin()["id"], member["id"]);
}

TEST_F(LoginFormJourney, ResetsAPasswordWithoutSigningIn) {
    presentLogin();
    registerMember(kNumber, "old-secret");
    const JSON member = storedLogin();
    playFrames(3); // the success tip fades
    presentLogin();
    tapText("忘了密码");
    ASSERT_TRUE(waitFor([&] { return topPageAs<KKimportentryViewController>() != nullptr; }));
    const auto page = topPageAs<KKimportentryViewController>();
    playFrames(0.5);
    EXPECT_NE(ui().findByText("输入与您的帐户相关的手机号，以重置您的密码。"), nullptr);
    gallery("login-reset");

    fill(page->kkabolishdoctrine(), kNumber);
    fill(page->kkflourevoke(), "000000");
    ui().tap(page->kkreignunion());
    EXPECT_TRUE(tipShown("请先输入密码"));
    EXPECT_EQ(requestsTo("/api/forgotPwd"), 0u);

    // A failed code request starts no countdown.
    service().setFault("api/mail", devservice::Fault{.status = 500, .times = 1});
    ui().tap(page->kkevokefade());
    answerCaptcha();
    ASSERT_TRUE(waitFor([&] { return requestsTo("/api/mail") == 2 && answered(); }));
    playFrames(0.5);
    EXPECT_TRUE(page->kkevokefade()->isEnabled());

    ui().tap(page->kkevokefade());
    answerCaptcha();
    ASSERT_TRUE(waitFor([&] { return tipShown("验证码获取成功"); }));
    EXPECT_EQ(apiRequests("/api/mail").back().parameters.at("type"), "forgotPwd");
    EXPECT_EQ(disabledTitle(page->kkevokefade()), "60s");
    page->kkflourevoke()->setText("");
    fill(page->kkflourevoke(), *service().lastSmsCode(kNumber));
    fill(page->kkdoctrinepalm(), "new-secret");
    ui().tap(page->kkreignunion());
    ASSERT_TRUE(waitFor([&] { return tipShown("密码修改成功!"); }));
    EXPECT_EQ(topPage(), page);
    EXPECT_EQ(page->kkdoctrinepalm()->text(), "new-secret");
    EXPECT_EQ(storedLogin(), member);

    // The new password signs in. The reset ended the member's sessions, so the first try
    // is refused for the stale token the stored member still carries, and the client
    // renews a tourist; the next try goes through.
    page->navigationController()->popViewControllerAnimated(false);
    playFrames(0.5);
    fill(form()->kkabolishdoctrine(), kNumber);
    fill(form()->kkdoctrinepalm(), "new-secret");
    ui().tap(form()->kkinferiortribe());
    ASSERT_TRUE(waitFor([&] { return storedLogin()["group_id"].stringValue() == "1"; }));
    playFrames(2);
    ui().tap(form()->kkinferiortribe());
    ASSERT_TRUE(waitFor([&] { return !topPageAs<KKmaximumdefyViewController>() && tipShown("登录成功！"); }))
        << (QMUITips::shownTips().empty() ? "no tip" : QMUITips::shownTips().back().text) << " after "
        << requestsTo("/api/login") << " sign-in requests";
    EXPECT_EQ(storedLogin()["group_id"].stringValue(), "2");
}

} // namespace
