#include "MainController/Detail/Controller/KKgiganticgloomy.h"
#include "MainController/Login/Controller/KKinterimspatialViewController.h"
#include "MainController/Login/Controller/KKmaximumdefyViewController.h"
#include "MainController/My/Cell/KKacrecomment.h"
#include "MainController/My/Controller/KKboycotthemisphereViewController.h"
#include "MainController/My/Controller/KKcommonplaceremedyViewController.h"
#include "MainController/My/Controller/KKgracestimulateViewController.h"
#include "MainController/My/Controller/KKinflictgraceViewController.h"
#include "MainController/My/Controller/KKspatialceremonyViewController.h"
#include "MainController/My/Controller/KKstimulateinterfereViewController.h"
#include "app/Constants/ModuleConstants.h"
#include "app/Extensions/UIColorExtensions.h"
#include "app/Network/KKriplog.h"
#include "platform/Foundation/Bundle.h"
#include "platform/MJRefresh/MJRefreshHeader.h"
#include "platform/QMUIKit/Controls/QMUIButton.h"
#include "platform/QMUIKit/Controls/QMUIFloatLayoutView.h"
#include "platform/QMUIKit/Controls/QMUILabel.h"
#include "platform/QMUIKit/Controls/QMUITextField.h"
#include "platform/QMUIKit/Controls/QMUITextView.h"
#include "platform/QMUIKit/QMUITips.h"
#include "platform/UIKit/Controllers/UIAlertController.h"
#include "platform/UIKit/Controls/UISwitch.h"
#include "platform/UIKit/Controls/UITextField.h"
#include "platform/UIKit/UIImageView.h"
#include "tests/MainController/My/MyJourneySupport.h"

namespace {

using MyJourney = mytest::MyJourneyBase;

// The service's answer to a request it cannot serve now: an error envelope.
devservice::Fault busy() {
    return devservice::Fault{.status = 200, .rawBody = R"({"code":50000,"message":"服务繁忙","data":""})"};
}

std::string nicknameOf(const std::string& loginText) {
    return JSON::parse(loginText)["nick_name"].stringValue();
}

} // namespace

TEST_F(MyJourney, ATouristSeesTheDefaultHeaderAndIsAskedToSignInForFavourites) {
    signInTourist();
    openMyTab();
    const auto page = topPageAs<KKstimulateinterfereViewController>();
    ASSERT_NE(page, nullptr);
    EXPECT_FALSE(page->avatar()->isHidden());
    EXPECT_EQ(page->avatar()->image(), UIImage::imageNamed("default_logo"));
    EXPECT_EQ(page->nickname()->text(), "");
    for (const char* entry : {"历史记录", "我的收藏", "下载", "消息公告", "我要反馈(求片)", "联系我们",
                              "点击加入TG群聊", "关于我们"}) {
        EXPECT_NE(ui().findByText(entry), nullptr) << entry;
    }
    // The banner came with items and "clearAD" is false at this launch.
    ASSERT_TRUE(page->banner().has_value());
    EXPECT_EQ(page->banner()->size(), 5u);
    EXPECT_FALSE(page->bannerView()->isHidden());
    EXPECT_EQ(apiRequests("/api/getAdvertInfo").front().parameters.find("position")->second, "8");
    gallery("my-tourist");

    tapText("我的收藏");
    EXPECT_NE(topPageAs<KKmaximumdefyViewController>(), nullptr);
    EXPECT_TRUE(apiRequests("/api/getCollectionList").empty());
    topPage()->dismissViewControllerAnimated(false);
    playFrames(1);

    // The avatar of a tourist opens the login container too. Signing in there stores the
    // member; once the container is gone the header shows them.
    ui().tap(page->avatar());
    playFrames(1);
    EXPECT_NE(topPageAs<KKmaximumdefyViewController>(), nullptr);
    const std::string member = signInMember("13600136000");
    topPage()->dismissViewControllerAnimated(true);
    playFrames(1);
    EXPECT_EQ(topPage(), page);
    EXPECT_EQ(page->nickname()->text(), nicknameOf(member));
    EXPECT_TRUE(showsWebImage(page->avatar(), JSON::parse(member)["portrait"].stringValue()));
}

TEST_F(MyJourney, WithNobodyStoredTheAvatarDoesNothingAndFavouritesAskForASignIn) {
    // The home tab signs a tourist in at launch; this person's stored user is gone.
    waitFor([] { return userDefaults().stringForKey("login").has_value(); }, 5);
    userDefaults().removeObject("login");
    openMyTab();
    const auto page = topPageAs<KKstimulateinterfereViewController>();
    ASSERT_NE(page, nullptr);
    ui().tap(page->avatar());
    playFrames(1);
    EXPECT_EQ(topPage(), page);
    tapText("我的收藏");
    EXPECT_NE(topPageAs<KKmaximumdefyViewController>(), nullptr);
}

TEST_F(MyJourney, AMemberSeesTheirPortraitAndNicknameAndReachesTheAccountPage) {
    signInTourist();
    openMyTab();
    const auto page = topPageAs<KKstimulateinterfereViewController>();
    ASSERT_NE(page, nullptr);

    // Signed in elsewhere: the header follows when the page shows again.
    const std::string member = signInMember("13800138000");
    selectTab(0);
    selectTab(3);
    const std::string nickname = nicknameOf(member);
    ASSERT_FALSE(nickname.empty());
    EXPECT_TRUE(waitForText(nickname));
    EXPECT_TRUE(showsWebImage(page->avatar(), JSON::parse(member)["portrait"].stringValue()));
    gallery("my-member");

    ui().tap(page->avatar());
    playFrames(1);
    EXPECT_NE(topPageAs<KKinterimspatialViewController>(), nullptr);
    goBack();

    // Signing out (a tourist stored again) clears the nickname on the next appearance.
    signInTourist();
    selectTab(0);
    selectTab(3);
    EXPECT_EQ(page->nickname()->text(), "");
    EXPECT_EQ(page->avatar()->image(), UIImage::imageNamed("default_logo"));
}

TEST_F(MyJourney, EachEntryAndMenuRowOpensItsPage) {
    signInTourist();
    openMyTab();
    tapText("下载");
    EXPECT_NE(topPageAs<KKcommonplaceremedyViewController>(), nullptr);
    goBack();
    tapText("消息公告");
    EXPECT_NE(topPageAs<KKboycotthemisphereViewController>(), nullptr);
    goBack();
    tapText("我要反馈(求片)");
    EXPECT_NE(topPageAs<KKgracestimulateViewController>(), nullptr);
    goBack();
    tapText("关于我们");
    EXPECT_NE(topPageAs<KKspatialceremonyViewController>(), nullptr);
    goBack();
    ui().tap(ui().findByAccessibilityIdentifier("my.settings"));
    playFrames(1);
    EXPECT_NE(topPageAs<KKinflictgraceViewController>(), nullptr);
    goBack();
    EXPECT_NE(topPageAs<KKstimulateinterfereViewController>(), nullptr);
}

TEST_F(MyJourney, OnlyWebAddressesReachTheOpenerAsOneArgument) {
    signInTourist();
    openMyTab();
    const auto page = topPageAs<KKstimulateinterfereViewController>();
    ASSERT_NE(page, nullptr);

    tapText("联系我们");
    EXPECT_EQ(topPage(), page);
    ASSERT_TRUE(waitFor([&] { return openerRuns().size() == 1; }));
    EXPECT_EQ(openerRuns()[0], (std::vector<std::string>{"https://orvex.app/contact"}));

    // The ads of type 3: an https address with blanks and shell characters, a file and a
    // custom scheme; only the first starts the opener, with the address as it is.
    page->didSelectItemAt(*page->bannerView(), 3);
    page->didSelectItemAt(*page->bannerView(), 4);
    page->didSelectItemAt(*page->bannerView(), 2);
    ASSERT_TRUE(waitFor([&] { return openerRuns().size() == 2; }));
    waitFor([] { return false; }, 0.5);
    ASSERT_EQ(openerRuns().size(), 2u);
    EXPECT_EQ(openerRuns()[1], (std::vector<std::string>{"https://orvex.test/vip?from=my&note=a b;$(id)"}));
    // Type 2 does nothing; type 1 opens the title.
    page->didSelectItemAt(*page->bannerView(), 1);
    EXPECT_EQ(topPage(), page);
    ui().tap(page->bannerView());
    playFrames(1);
    const auto title = topPageAs<KKgiganticgloomy>();
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->vod_id, "1050");
}

class MyAdsClearedJourney : public mytest::MyJourneyBase {
  protected:
    void beforeLaunch() override { userDefaults().setBool("about_ad", true); }
};

TEST_F(MyAdsClearedJourney, TheBannerNeverShowsAndTheMenuFollowsTheEntryBar) {
    EXPECT_TRUE(userDefaults().boolForKey("clearAD"));
    openMyTab();
    const auto page = topPageAs<KKstimulateinterfereViewController>();
    ASSERT_NE(page, nullptr);
    ASSERT_TRUE(page->banner().has_value());
    EXPECT_FALSE(page->banner()->empty());
    EXPECT_TRUE(page->bannerView()->isHidden());
    const CGRect bar = ui().frameInWindow(ui().findByText("历史记录")->superview()->superview());
    EXPECT_EQ(bar.size.height, 86);
    EXPECT_EQ(ui().frameInWindow(page->tableView()).minY(), bar.maxY() + 10);
    gallery("my-ads-cleared");
}

TEST_F(MyJourney, WithoutShowADAtCreationThereIsNoAvatarNorDownloadsEntry) {
    // The launch turns "showAD" on, so the tab's own page has both; a page built while
    // it is off has neither.
    signInTourist();
    openMyTab();
    userDefaults().setBool("showAD", false);
    topPage()->showViewController(std::make_shared<KKstimulateinterfereViewController>(), nullptr);
    playFrames(1);
    const auto page = topPageAs<KKstimulateinterfereViewController>();
    ASSERT_NE(page, nullptr);
    waitFor([] { return false; }, 0.5);
    EXPECT_TRUE(page->avatar()->isHidden());
    EXPECT_EQ(ui().findByText("下载"), nullptr);
    // Three entries share the bar.
    const auto history = ui().findByText("历史记录")->superview();
    const CGRect bar = ui().frameInWindow(history->superview());
    EXPECT_NEAR(ui().frameInWindow(history).size.width, bar.size.width / 3, 1);
    gallery("my-without-showad");
}

TEST_F(MyJourney, AFailedAdRequestKeepsTheBannerHidden) {
    service().setFault("api/getAdvertInfo", devservice::Fault{.status = 500});
    openMyTab();
    const auto page = topPageAs<KKstimulateinterfereViewController>();
    ASSERT_NE(page, nullptr);
    EXPECT_FALSE(page->banner().has_value());
    EXPECT_TRUE(page->bannerView()->isHidden());
}

TEST_F(MyJourney, SettingsSwitchTheLaunchSoundAndClearTheCaches) {
    openMyTab();
    ui().tap(ui().findByAccessibilityIdentifier("my.settings"));
    playFrames(1);
    const auto settings = topPageAs<KKinflictgraceViewController>();
    ASSERT_NE(settings, nullptr);
    EXPECT_NE(ui().findByText("清除缓存"), nullptr);
    EXPECT_NE(ui().findByText("开机动画声音"), nullptr);
    const auto toggle = settings->soundSwitch();
    EXPECT_FALSE(toggle->isOn());
    gallery("my-settings");

    // The row itself changes nothing; the switch does.
    tapText("开机动画声音");
    EXPECT_FALSE(userDefaults().boolForKey("openLaunchSound"));
    ui().tap(toggle);
    playFrames(0.5);
    EXPECT_TRUE(toggle->isOn());
    EXPECT_TRUE(userDefaults().boolForKey("openLaunchSound"));

    tapText("清除缓存");
    EXPECT_TRUE(tipShows("清理成功!"));
    playFrames(3);
    EXPECT_FALSE(tipShows("清理成功!"));
    tapText("清除缓存");
    EXPECT_TRUE(tipShows("清理成功!"));
    // The switch stays on its own row after the table is built again.
    settings->tableView()->reloadData();
    playFrames(0.2);
    EXPECT_EQ(
        toggle->superview(),
        settings->tableView()->cellForRowAtIndexPath(NSIndexPath::indexPathForRow(1, 0))->contentView());

    // A new page reads the stored choice.
    goBack();
    ui().tap(ui().findByAccessibilityIdentifier("my.settings"));
    playFrames(1);
    EXPECT_TRUE(topPageAs<KKinflictgraceViewController>()->soundSwitch()->isOn());
}

TEST_F(MyJourney, AboutShowsTheBundleVersionAndTheServiceCodeSetsTheAdFlagsThenEndsTheProcess) {
    std::vector<int> exits;
    KKspatialceremonyViewController::processExit() = [&](int status) { exits.push_back(status); };
    userDefaults().setBool("showAD", false);
    openMyTab();
    tapText("关于我们");
    const auto about = topPageAs<KKspatialceremonyViewController>();
    ASSERT_NE(about, nullptr);
    const std::string version = Bundle::main().shortVersionString();
    EXPECT_NE(ui().findByText("版本号 v" + version), nullptr);
    gallery("my-about");

    for (int tap = 0; tap < 9; ++tap) {
        ui().tap(about->logo());
        playFrames(0.1);
    }
    EXPECT_EQ(topPage(), about);
    ui().tap(about->logo());
    playFrames(1);
    auto alert = topPageAs<UIAlertController>();
    ASSERT_NE(alert, nullptr);
    ASSERT_EQ(alert->textFields().size(), 1u);
    gallery("my-about-code");

    // A near miss (a blank after the digits) closes the prompt and changes nothing.
    alert->textFields()[0]->setText("520 ");
    alert->performAction(alert->actions()[0]);
    playFrames(1);
    EXPECT_EQ(topPage(), about);
    EXPECT_FALSE(userDefaults().boolForKey("showAD"));

    // The eleventh tap prompts again; the three-digit code sets only "showAD".
    ui().tap(about->logo());
    playFrames(1);
    alert = topPageAs<UIAlertController>();
    ASSERT_NE(alert, nullptr);
    alert->textFields()[0]->setText("520");
    alert->performAction(alert->actions()[0]);
    playFrames(1);
    EXPECT_TRUE(userDefaults().boolForKey("showAD"));
    EXPECT_FALSE(userDefaults().boolForKey("about_ad"));
    EXPECT_TRUE(tipShows("重启APP中..."));
    EXPECT_TRUE(exits.empty());
    playFrames(2.1);
    EXPECT_EQ(exits, std::vector<int>{0});

    // The four-digit code sets both flags; a new page counts from zero again.
    goBack();
    tapText("关于我们");
    const auto again = topPageAs<KKspatialceremonyViewController>();
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->count(), 0);
    for (int tap = 0; tap < 10; ++tap) {
        ui().tap(again->logo());
        playFrames(0.1);
    }
    playFrames(1);
    alert = topPageAs<UIAlertController>();
    ASSERT_NE(alert, nullptr);
    alert->textFields()[0]->setText("1986");
    alert->performAction(alert->actions()[0]);
    playFrames(2.5);
    EXPECT_TRUE(userDefaults().boolForKey("about_ad"));
    EXPECT_EQ(exits, (std::vector<int>{0, 0}));
}

TEST_F(MyJourney, FeedbackChecksItsFieldsAndSendsTheTextsAsTyped) {
    signInTourist();
    openMyTab();
    tapText("我要反馈(求片)");
    const auto form = topPageAs<KKgracestimulateViewController>();
    ASSERT_NE(form, nullptr);
    // The type buttons' lines fit inside the layout.
    const auto layout = form->typeLayout();
    EXPECT_EQ(layout->frame().size.height, layout->subviews().back()->frame().maxY() + 12);
    gallery("my-feedback");

    ui().tap(form->submitButton());
    playFrames(0.2);
    EXPECT_TRUE(tipShows("请先选择问题类型"));
    EXPECT_FALSE(tipShows("请输入标题"));
    tapText("播放问题");
    tapText("其他");
    EXPECT_EQ(form->typeBtn()->titleForState(UIControlStateNormal), "其他");
    EXPECT_EQ(ui().findByText("播放问题")->superview()->backgroundColor(), UIColor::whiteColor());
    EXPECT_EQ(ui().findByText("其他")->superview()->backgroundColor(), hexColor("1C1B20"));

    // Blanks only are no title.
    ui().tap(form->titleField());
    ui().type("   ");
    ui().tap(form->submitButton());
    playFrames(0.2);
    EXPECT_TRUE(tipShows("请输入标题"));
    form->titleField()->setText("");
    ui().tap(form->titleField());
    ui().type(" 为什么没有第二季？还有吗? ");
    ui().tap(form->submitButton());
    playFrames(0.2);
    EXPECT_TRUE(tipShows("请输入反馈内容"));

    // The description stops at 200 characters and counts them.
    ui().tap(form->descriptionView());
    ui().type(std::string(210, 'a'));
    playFrames(0.2);
    EXPECT_EQ(form->descriptionView()->text().size(), 200u);
    EXPECT_EQ(form->counter()->text(), "200/200字");
    form->descriptionView()->setText("");
    ui().type("第一季第3集没有声音?\n谢谢");
    EXPECT_EQ(form->counter()->text(), "14/200字");
    playFrames(2);
    gallery("my-feedback-filled");

    ui().tap(form->submitButton());
    ASSERT_TRUE(waitFor([&] { return !apiRequests("/api/feedback").empty(); }));
    const auto request = apiRequests("/api/feedback").front();
    EXPECT_EQ(request.method, "GET");
    EXPECT_EQ(request.parameters.find("type")->second, "其他");
    EXPECT_EQ(request.parameters.find("title")->second, "为什么没有第二季？还有吗?");
    EXPECT_EQ(request.parameters.find("content")->second, "第一季第3集没有声音?\n谢谢");
    EXPECT_TRUE(waitFor([&] { return topPageAs<KKstimulateinterfereViewController>() != nullptr; }));
    EXPECT_TRUE(tipShows("反馈成功~"));
}

TEST_F(MyJourney, AFailedFeedbackKeepsTheFormFilledIn) {
    service().setFault("api/feedback", busy());
    openMyTab();
    tapText("我要反馈(求片)");
    const auto form = topPageAs<KKgracestimulateViewController>();
    ASSERT_NE(form, nullptr);
    tapText("求片");
    ui().tap(form->titleField());
    ui().type("想看");
    ui().tap(form->descriptionView());
    ui().type("请上架");
    ui().tap(form->submitButton());
    ASSERT_TRUE(waitFor([&] { return tipShows("服务繁忙"); }));
    EXPECT_EQ(topPage(), form);
    EXPECT_EQ(form->titleField()->text(), "想看");
    EXPECT_EQ(form->descriptionView()->text(), "请上架");
}

TEST_F(MyJourney, NoticesAreCardsSizedToTheirTexts) {
    openMyTab();
    tapText("消息公告");
    const auto notices = topPageAs<KKboycotthemisphereViewController>();
    ASSERT_NE(notices, nullptr);
    ASSERT_TRUE(waitFor([&] { return notices->list().size() == 5; }));
    playFrames(1);
    EXPECT_FALSE(notices->tableView()->mj_header()->isRefreshing());
    EXPECT_EQ(apiRequests("/api/getNotice").back().method, "POST");
    gallery("my-notices");

    const auto table = notices->tableView();
    const CGFloat textWidth = screenWidth() - 52;
    for (long row = 0; row < 5; ++row) {
        const auto path = NSIndexPath::indexPathForRow(row, 0);
        table->scrollToRowAtIndexPath(path, UITableViewScrollPosition::top, false);
        playFrames(0.1);
        const auto cell = std::dynamic_pointer_cast<KKacrecomment>(table->cellForRowAtIndexPath(path));
        ASSERT_NE(cell, nullptr) << row;
        const std::string intro = notices->list()[row]["intro"].stringValue();
        const CGFloat text = KKacrecomment::textHeight(intro, textWidth);
        EXPECT_EQ(table->rectForRowAtIndexPath(path).size.height, text + 120) << row;
        EXPECT_EQ(cell->card()->frame().size.height, text + 60) << row;
        // The text wraps inside the card and is as high as measured.
        EXPECT_EQ(cell->textLabel()->frame().size.width, textWidth) << row;
        if (!intro.empty()) {
            EXPECT_NEAR(cell->textLabel()->frame().size.height, text, 1) << row;
        }
        EXPECT_TRUE(cell->titleLabel()->canPerformCopyAction());
        EXPECT_FALSE(cell->timeLabel()->canPerformCopyAction());
    }
    // The long notice needs several lines; the one without a text is a bare card.
    EXPECT_GT(KKacrecomment::textHeight(notices->list()[3]["intro"].stringValue(), textWidth), 60);
    EXPECT_EQ(table->rectForRowAtIndexPath(NSIndexPath::indexPathForRow(4, 0)).size.height, 120);
    table->scrollToRowAtIndexPath(NSIndexPath::indexPathForRow(3, 0), UITableViewScrollPosition::top, false);
    playFrames(0.2);
    gallery("my-notices-long");

    // A pull-down that fails keeps what is shown and ends the refresh.
    service().setFault("api/getNotice", devservice::Fault{.status = 502});
    table->mj_header()->beginRefreshing();
    ASSERT_TRUE(waitFor([&] { return !table->mj_header()->isRefreshing(); }));
    EXPECT_EQ(notices->list().size(), 5u);

    ui().tap(notices->backButton());
    playFrames(1);
    EXPECT_NE(topPageAs<KKstimulateinterfereViewController>(), nullptr);
}

TEST_F(MyJourney, AFailedNoticeRequestLeavesAnEmptyListAndStopsRefreshing) {
    service().setFault("api/getNotice", busy());
    openMyTab();
    tapText("消息公告");
    const auto notices = topPageAs<KKboycotthemisphereViewController>();
    ASSERT_NE(notices, nullptr);
    ASSERT_TRUE(waitFor([&] { return tipShows("服务繁忙"); }));
    EXPECT_FALSE(notices->tableView()->mj_header()->isRefreshing());
    EXPECT_TRUE(notices->list().empty());
    EXPECT_EQ(notices->tableView()->numberOfRowsInSection(0), 0);
    gallery("my-notices-failed");

    // Pulling down again once the service answers fills the list.
    service().clearFaults();
    notices->tableView()->mj_header()->beginRefreshing();
    ASSERT_TRUE(waitFor([&] { return notices->list().size() == 5; }));
}

TEST_F(MyJourney, APageClosedBeforeItsAnswerIgnoresIt) {
    service().setFault("api/getNotice", devservice::Fault{.delaySeconds = 0.5});
    openMyTab();
    tapText("消息公告");
    std::weak_ptr<UIViewController> notices = topPage();
    goBack();
    playFrames(1);
    EXPECT_TRUE(notices.expired());
    ASSERT_TRUE(waitFor([&] { return !apiRequests("/api/getNotice").empty(); }));
    waitFor([] { return false; }, 1.0);
    EXPECT_NE(topPageAs<KKstimulateinterfereViewController>(), nullptr);
}
