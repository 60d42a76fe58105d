#include "tests/MainController/Login/LoginJourneySupport.h"

#include "app/Base/NavigationController.h"
#include "app/Helpers/KKpresentationdisease.h"
#include "app/Models/KKrearinfluence.h"
#include "platform/Foundation/UserDefaults.h"
#include "platform/QMUIKit/QMUITips.h"
#include "platform/UIKit/UIControl.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>

void LoginJourneyTest::SetUp() {
    AppJourneyTest::SetUp();
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(waitFor([] { return UserDefaults::standard().stringForKey("login").has_value(); }))
        << "the home page signs a tourist in at load";
    UserDefaults::standard().removeObject("login");
    // The API client hides every tip when it handles an answer, so an answer to the home
    // page that came in while a form shows its tip would take that tip away: the journeys
    // start once every request of the home page's load has been answered.
    ASSERT_TRUE(waitFor([&] { return homeLoadAnswered(); }));
}

bool LoginJourneyTest::homeLoadAnswered() const {
    const auto lines = consoleLines();
    return std::all_of(std::begin(kHomeLoadPaths), std::end(kHomeLoadPaths), [&](const char* path) {
        return std::find(lines.begin(), lines.end(), path) != lines.end();
    });
}

void LoginJourneyTest::beforeLaunch() {
    ::unsetenv("DISPLAY");
}

std::shared_ptr<KKmaximumdefyViewController> LoginJourneyTest::presentLogin() {
    auto container = std::make_shared<KKmaximumdefyViewController>();
    auto navigation = std::make_shared<NavigationController>(container);
    navigation->setModalPresentationStyle(UIModalPresentationStyle::fullScreen);
    KKpresentationdisease::getCurrentVC()->presentViewController(navigation, true);
    EXPECT_TRUE(waitFor([&] { return topPage() == container; })) << ui().dumpTree(false);
    playFrames(0.5);
    return container;
}

std::shared_ptr<KKentrymaximumViewController> LoginJourneyTest::form() {
    const auto container = topPageAs<KKmaximumdefyViewController>();
    if (!container) {
        return nullptr;
    }
    for (const auto& child : container->childViewControllers()) {
        if (auto found = std::dynamic_pointer_cast<KKentrymaximumViewController>(child)) {
            return found;
        }
    }
    return nullptr;
}

void LoginJourneyTest::fill(const std::shared_ptr<UIView>& field, const std::string& text) {
    ui().tap(field);
    ui().type(text);
}

void LoginJourneyTest::tapText(const std::string& text) {
    auto view = ui().findByText(text);
    ASSERT_NE(view, nullptr) << "nothing reads \"" << text << "\"\n" << ui().dumpTree(false);
    // A title is tapped through the control that shows it.
    for (auto control = view; control; control = control->superview()) {
        if (std::dynamic_pointer_cast<UIControl>(control)) {
            view = control;
            break;
        }
    }
    ui().tap(view);
}

bool LoginJourneyTest::tipShown(const std::string& text) {
    for (const auto& tip : QMUITips::shownTips()) {
        if (tip.text == text) {
            return true;
        }
    }
    return false;
}

bool LoginJourneyTest::answered() {
    for (const auto& tip : QMUITips::shownTips()) {
        if (tip.kind == QMUITips::Kind::loading) {
            return false;
        }
    }
    return true;
}

std::shared_ptr<KKfigurerip> LoginJourneyTest::overlay() {
    return ui().findByClass<KKfigurerip>();
}

void LoginJourneyTest::answerCaptcha() {
    const auto shown = overlay();
    ASSERT_NE(shown, nullptr) << "no captcha on screen";
    const auto ticket = service().solveCaptcha();
    const std::string answer =
        R"({"ret":0,"ticket":")" + ticket.ticket + R"(","randstr":")" + ticket.randstr + R"("})";
    EXPECT_EQ(shown->api()->jsIOS(answer), KKinfluencefigure::acknowledgement);
}

JSON LoginJourneyTest::storedLogin() {
    const auto text = UserDefaults::standard().stringForKey(KKrearinfluence::loginDefaultsKey);
    return text ? JSON::parse(*text) : JSON::absent();
}

void LoginJourneyTest::registerMember(const std::string& number, const std::string& password) {
    tapText("没有账户？去注册");
    ASSERT_FALSE(form()->isLogin);
    fill(form()->kkabolishdoctrine(), number);
    ui().tap(form()->kkevokefade());
    answerCaptcha();
    // The code sent and its answer handled (its loading tip gone), not the tip that says so:
    // any other answer (the pages below ask too) takes the tips away, maybe in the same turn.
    ASSERT_TRUE(waitFor([&] { return service().lastSmsCode(number).has_value() && answered(); }));
    const auto code = service().lastSmsCode(number);
    fill(form()->kkflourevoke(), *code);
    fill(form()->kkdoctrinepalm(), password);
    fill(form()->kkworshipthorough(), password);
    ui().tap(form()->kktribenaval());
    ASSERT_TRUE(waitFor([&] {
        return !topPageAs<KKmaximumdefyViewController>() && storedLogin()["group_id"].stringValue() == "2";
    }));
}
