#include "MainController/Login/Controller/KKinterimspatialViewController.h"
#include "MainController/Login/Controller/KKprescriptioninterimViewController.h"
#include "MainController/My/Controller/KKstimulateinterfereViewController.h"
#include "app/Models/KKrearinfluence.h"
#include "app/Network/KKriplog.h"
#include "platform/Foundation/UserDefaults.h"
#include "platform/QMUIKit/QMUITips.h"
#include "platform/UIKit/Controllers/UIAlertController.h"
#include "platform/UIKit/Controllers/UIBarButtonControl.h"
#include "platform/UIKit/Controllers/UINavigationBar.h"
#include "platform/UIKit/Controllers/UINavigationController.h"
#include "tests/MainController/Login/LoginJourneySupport.h"

namespace {

constexpr const char* kNumber = "17712345678";

class AccountJourney : public LoginJourneyTest {
  protected:
    // A registered member, then the account page pushed on the My tab.
    std::shared_ptr<KKinterimspatialViewController> openAccount() {
        presentLogin();
        registerMember(kNumber, "secret");
        selectTab(3);
        root_ = topPage();
        // Every answer of the client hides the tips shown, so the pages' own requests are
        // answered before the journey looks for a tip: the My page's banner, asked for
        // after the home page's notice.
        const auto my = std::dynamic_pointer_cast<KKstimulateinterfereViewController>(root_);
        EXPECT_NE(my, nullptr) << "the fourth tab is the My page";
        EXPECT_TRUE(waitFor([&] { return my && my->banner().has_value(); }));
        root_->showViewController(std::make_shared<KKinterimspatialViewController>(), nullptr);
        EXPECT_TRUE(waitFor([&] { return topPageAs<KKinterimspatialViewController>() != nullptr; }));
        playFrames(0.5);
        return topPageAs<KKinterimspatialViewController>();
    }

    void confirmLogout(const std::string& choice) {
        tapText("退出登录");
        ASSERT_TRUE(waitFor([&] { return topPageAs<UIAlertController>() != nullptr; }));
        playFrames(0.5);
        tapText(choice);
        playFrames(0.5);
    }

    std::shared_ptr<UIViewController> root_;
};

TEST_F(AccountJourney, ShowsTheMemberAndKeepsItWhenLogoutIsCancelledOrFails) {
    const auto account = openAccount();
    ASSERT_NE(account, nullptr);
    const JSON member = storedLogin();
    EXPECT_EQ(account->kksummaryobey()->text(), member["nick_name"].stringValue());
    EXPECT_EQ(account->kkporeswing()->titleForState(UIControlStateNormal), member["nick_name"].stringValue());
    EXPECT_EQ(account->kkwebdramatic()->text(), kNumber);
    gallery("account-page");

    confirmLogout("取消");
    EXPECT_EQ(topPage(), account);
    EXPECT_EQ(requestsTo("/api/logout"), 0u);

    service().setFault(
        "api/logout",
        devservice::Fault{.rawBody = R"({"code":50000,"message":"服务繁忙","data":""})", .times = 1});
    confirmLogout("确认");
    ASSERT_TRUE(waitFor([&] { return tipShown("服务繁忙") && answered(); }));
    playFrames(1);
    EXPECT_EQ(requestsTo("/api/logout"), 1u);
    EXPECT_EQ(topPage(), account);
    EXPECT_EQ(storedLogin(), member);
}

TEST_F(AccountJourney, ASignOutWhoseTouristFailsKeepsTheMemberUntilAnotherSignOutSucceeds) {
    const auto account = openAccount();
    ASSERT_NE(account, nullptr);
    const JSON member = storedLogin();
    const auto signOutEnded = [&](std::size_t tourists) {
        return waitFor([&] { return requestsTo("/api/touristLogin") == tourists && answered(); });
    };

    // The service ends the session, but no tourist comes (the connection fails): the
    // member stays stored and shown, and the page says what went wrong.
    service().setFault("api/touristLogin", devservice::Fault{.status = 500, .times = 1});
    const std::size_t tourists = requestsTo("/api/touristLogin");
    confirmLogout("确认");
    ASSERT_TRUE(signOutEnded(tourists + 1));
    EXPECT_TRUE(tipShown(KKriplog::transportErrorDomain));
    EXPECT_EQ(requestsTo("/api/logout"), 1u);
    EXPECT_EQ(storedLogin(), member);
    EXPECT_EQ(topPage(), account);
    EXPECT_EQ(account->kksummaryobey()->text(), member["nick_name"].stringValue());
    gallery("account-signout-failed");

    // Signing out again needs only the tourist. The service refuses it with a message of
    // its own: that message shows, and nothing else.
    service().setFault(
        "api/touristLogin",
        devservice::Fault{.rawBody = R"({"code":50000,"message":"服务繁忙","data":""})", .times = 1});
    confirmLogout("确认");
    ASSERT_TRUE(signOutEnded(tourists + 2));
    EXPECT_TRUE(tipShown("服务繁忙"));
    EXPECT_FALSE(tipShown(KKriplog::transportErrorDomain) || tipShown(KKriplog::notJSONErrorDomain));
    EXPECT_EQ(storedLogin(), member);

    // The third try succeeds: a tourist replaces the member and the page goes back.
    confirmLogout("确认");
    ASSERT_TRUE(waitFor([&] { return topPage() == root_; }));
    EXPECT_EQ(requestsTo("/api/logout"), 1u);
    EXPECT_EQ(storedLogin()["group_id"].stringValue(), "1");
    EXPECT_NE(storedLogin()["id"], member["id"]);
}

TEST_F(AccountJourney, AMemberKeptAfterAFailedSignOutCanSignOutFromANewAccountPage) {
    const auto account = openAccount();
    ASSERT_NE(account, nullptr);
    const JSON member = storedLogin();
    service().setFault("api/touristLogin", devservice::Fault{.status = 500, .times = 1});
    const std::size_t tourists = requestsTo("/api/touristLogin");
    confirmLogout("确认");
    ASSERT_TRUE(waitFor([&] { return requestsTo("/api/touristLogin") == tourists + 1 && answered(); }));

    // Back on the My page the member is still shown and its header opens a new account page.
    ui().tap(account->navigationController()->navigationBar()->backButton());
    ASSERT_TRUE(waitFor([&] { return topPage() == root_; }));
    playFrames(0.5);
    const auto my = std::dynamic_pointer_cast<KKstimulateinterfereViewController>(root_);
    EXPECT_EQ(my->nickname()->text(), member["nick_name"].stringValue());
    ui().tap(my->avatar());
    ASSERT_TRUE(waitFor([&] { return topPageAs<KKinterimspatialViewController>() != nullptr; }));
    playFrames(0.5);

    // The service no longer knows the member's login: the sign-out goes on to the tourist.
    confirmLogout("确认");
    ASSERT_TRUE(waitFor([&] { return topPage() == root_ && answered(); }));
    EXPECT_EQ(requestsTo("/api/logout"), 2u);
    EXPECT_EQ(storedLogin()["group_id"].stringValue(), "1");
}

// A sign-out answered as an expired login also has the client renew that login itself;
// when only one of the two sign-ins succeeds, what the page says follows what is stored.
class AccountRenewalJourney : public AccountJourney {
  protected:
    // The page's own tourist (id "0") fails once; the client's renewal (the member's id) does not.
    void failPagesTourist() {
        service().setFault(
            "api/touristLogin",
            devservice::Fault{
                .status = 500, .times = 1, .withParameter = std::pair<std::string, std::string>{"id", "0"}});
    }
};

TEST_F(AccountRenewalJourney, WhenOnlyTheClientsRenewalBringsATouristThePageGoesBackSignedOut) {
    const auto account = openAccount();
    ASSERT_NE(account, nullptr);
    const JSON member = storedLogin();
    // The member's session ended elsewhere: the service no longer knows the stored login.
    std::optional<bool> endedElsewhere;
    apiClient.sendRequest(
        HTTPMethod::post, "api/logout", {},
        [&](std::optional<JSON> json, std::optional<NSError>) { endedElsewhere = json.has_value(); });
    ASSERT_TRUE(waitFor([&] { return endedElsewhere.has_value(); }));
    ASSERT_TRUE(*endedElsewhere);
    EXPECT_EQ(storedLogin(), member);

    // The sign-out is refused as unknown; the client's renewal brings a tourist while the
    // page's own tourist fails: the member is signed out, and the page goes back.
    failPagesTourist();
    confirmLogout("确认");
    ASSERT_TRUE(waitFor([&] { return storedLogin()["group_id"].stringValue() == "1"; }));
    EXPECT_TRUE(waitFor([&] { return topPage() == root_ && answered(); }));
    EXPECT_EQ(requestsTo("/api/logout"), 2u);
    EXPECT_FALSE(tipShown(KKriplog::transportErrorDomain));
    EXPECT_NE(storedLogin()["id"], member["id"]);
}

TEST_F(AccountRenewalJourney,
       WhenTheRenewalSignsTheMemberInAgainTheFailureShowsAndTheNextSignOutEndsThatSession) {
    const auto account = openAccount();
    ASSERT_NE(account, nullptr);
    const JSON member = storedLogin();

    // The member's login expired: the client renews it (the service signs the member in
    // again) while the page's own tourist fails. The member is stored, and the page says
    // the sign-out failed once the renewal has answered (its answer would take the tip away).
    service().expireToken(member["token"].stringValue());
    failPagesTourist();
    const std::size_t tourists = requestsTo("/api/touristLogin");
    confirmLogout("确认");
    ASSERT_TRUE(waitFor([&] { return storedLogin()["token"] != member["token"]; }));
    EXPECT_TRUE(waitFor([&] { return tipShown(KKriplog::transportErrorDomain) && answered(); }));
    EXPECT_EQ(requestsTo("/api/touristLogin"), tourists + 2);
    EXPECT_EQ(storedLogin()["id"], member["id"]);
    EXPECT_EQ(storedLogin()["group_id"].stringValue(), "2");
    EXPECT_EQ(topPage(), account);

    // That renewed login is a session of its own: signing out again ends it on the service
    // before the tourist is asked.
    confirmLogout("确认");
    ASSERT_TRUE(waitFor([&] { return topPage() == root_ && answered(); }));
    EXPECT_EQ(requestsTo("/api/logout"), 2u);
    EXPECT_EQ(storedLogin()["group_id"].stringValue(), "1");
}

TEST_F(AccountJourney, NicknameIsTrimmedRefusedWhenBlankAndKeptOnFailure) {
    const auto account = openAccount();
    ASSERT_NE(account, nullptr);
    const JSON member = storedLogin();
    ui().tap(account->kkporeswing());
    ASSERT_TRUE(waitFor([&] { return topPageAs<KKprescriptioninterimViewController>() != nullptr; }));
    const auto editor = topPageAs<KKprescriptioninterimViewController>();
    playFrames(0.5);
    EXPECT_TRUE(editor->nickName()->isFirstResponder());
    gallery("account-nickname");

    editor->nickName()->setText("   ");
    ui().tap(editor->saveBtn());
    EXPECT_TRUE(tipShown("请先填写昵称"));
    EXPECT_EQ(requestsTo("/api/setNickName"), 0u);

    // The service takes the name but the record cannot be fetched again: the page stays
    // with what was typed, and the stored record is the old one.
    editor->nickName()->setText(" 北风 ");
    service().setFault("api/touristLogin", devservice::Fault{.status = 500, .times = 1});
    const std::size_t fetches = requestsTo("/api/touristLogin");
    ui().tap(editor->saveBtn());
    ASSERT_TRUE(waitFor([&] { return requestsTo("/api/touristLogin") == fetches + 1 && answered(); }));
    playFrames(1);
    EXPECT_EQ(apiRequests("/api/setNickName").back().parameters.at("nick_name"), "北风");
    EXPECT_EQ(topPage(), editor);
    EXPECT_EQ(editor->nickName()->text(), " 北风 ");
    EXPECT_EQ(storedLogin(), member);

    ui().tap(editor->saveBtn());
    ASSERT_TRUE(waitFor([&] { return topPage() == account && tipShown("昵称修改成功!"); }));
    EXPECT_EQ(account->kksummaryobey()->text(), "北风");
    EXPECT_EQ(storedLogin()["id"], member["id"]);
}

TEST_F(AccountJourney, WithoutAStoredUserThePageShowsPlaceholders) {
    selectTab(3);
    topPage()->showViewController(std::make_shared<KKinterimspatialViewController>(), nullptr);
    ASSERT_TRUE(waitFor([&] { return topPageAs<KKinterimspatialViewController>() != nullptr; }));
    const auto account = topPageAs<KKinterimspatialViewController>();
    playFrames(0.5);
    EXPECT_EQ(account->kksummaryobey()->text(), "");
    EXPECT_EQ(account->kkinnumerablesummary()->image(), UIImage::imageNamed("default_logo"));
    EXPECT_NE(ui().findByText("退出登录"), nullptr);

    account->kkporeswing()->sendActionsForControlEvents(UIControlEventTouchUpInside);
    ASSERT_TRUE(waitFor([&] { return topPageAs<KKprescriptioninterimViewController>() != nullptr; }));
    const auto editor = topPageAs<KKprescriptioninterimViewController>();
    playFrames(0.5);
    EXPECT_EQ(editor->nickName()->text(), "");
    EXPECT_FALSE(editor->nickName()->isFirstResponder());
}

} // namespace
