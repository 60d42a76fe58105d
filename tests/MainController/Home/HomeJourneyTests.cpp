#include "MainController/Detail/Controller/KKgiganticgloomy.h"
#include "MainController/Home/Cell/KKassumefinance.h"
#include "MainController/Home/Cell/KKcreatesymphony.h"
#include "MainController/Home/Cell/KKsymphonyassume.h"
#include "MainController/Home/Controller/KKdomaingrapeViewController.h"
#include "MainController/Home/Controller/KKelectronicbrow.h"
#include "MainController/Home/Controller/KKkeyboardexplicitViewController.h"
#include "MainController/Home/Controller/KKleapkeyboardViewController.h"
#include "MainController/Home/Helpers/HomeTabs.h"
#include "MainController/Home/View/KKaggravateconcession.h"
#include "MainController/My/Controller/KKboycotthemisphereViewController.h"
#include "MainController/My/Controller/KKcommonplaceremedyViewController.h"
#include "MainController/My/Controller/KKinterfereboycottViewController.h"
#include "MainController/Search/Controller/KKtenseadjacentViewController.h"
#include "app/Constants/ModuleConstants.h"
#include "app/Models/KKrearinfluence.h"
#include "platform/JXBanner/JXBanner.h"
#include "platform/MJRefresh/MJRefreshFooter.h"
#include "platform/MJRefresh/MJRefreshHeader.h"
#include "platform/QMUIKit/QMUITips.h"
#include "platform/SJBaseVideoPlayer/History/SJPlaybackHistoryController.h"
#include "platform/UIKit/Controllers/UIAlertController.h"
#include "platform/UIKit/Controllers/UINavigationController.h"
#include "tests/support/TestSupport.h"
#include "tests/support/app/AppJourney.h"
#include "tests/support/app/GridShape.h"

#include <algorithm>
#include <fstream>
#include <set>

namespace {

// The home tab's root page, whatever is shown over it.
std::shared_ptr<KKelectronicbrow> homePage(const std::shared_ptr<TabbarController>& tabs) {
    const auto navigation = std::dynamic_pointer_cast<UINavigationController>(tabs->viewControllers().at(0));
    return navigation ? std::dynamic_pointer_cast<KKelectronicbrow>(navigation->viewControllers().at(0))
                      : nullptr;
}

template <class Page>
std::shared_ptr<Page> tabPage(const std::shared_ptr<KKelectronicbrow>& home, long index) {
    const auto& lists = home->listContainerView()->validListDict();
    const auto found = lists.find(index);
    return found == lists.end() ? nullptr : std::dynamic_pointer_cast<Page>(found->second);
}

std::string requestedPages(const std::vector<devservice::RecordedRequest>& requests) {
    std::string pages;
    for (const auto& request : requests) {
        pages += (pages.empty() ? "" : ",") + request.parameters.at("page");
    }
    return pages;
}

// Whether every poster in sight in `root` has arrived (pictures of lists wait for this).
bool postersShown(const std::shared_ptr<UIView>& root) {
    if (const auto grid = std::dynamic_pointer_cast<KKcreatesymphony>(root)) {
        return grid->kkdrainexempt()->image() != placeholderImage();
    }
    if (const auto strip = std::dynamic_pointer_cast<KKassumefinance>(root)) {
        return strip->kkdrainexempt()->image() != placeholderImage();
    }
    if (const auto banner = std::dynamic_pointer_cast<JXBannerCell>(root)) {
        return banner->imageView()->image() != placeholderImage();
    }
    return std::all_of(root->subviews().begin(), root->subviews().end(),
                       [](const auto& view) { return view->isHidden() || postersShown(view); });
}

class HomeJourney : public testsupport::app::AppJourneyTest {
  protected:
    HomeJourney() { showsServiceNotices = true; }

    // Takes a picture of the screen once its posters in sight have arrived.
    void galleryWithPosters(const std::string& name) {
        waitFor([&] { return postersShown(window()); }, 10);
        playFrames(0.5);
        gallery(name);
    }
    std::shared_ptr<KKelectronicbrow> home() { return homePage(mainInterface()); }
    // Taps a tab's title in the home page's strip (the strip takes the tap, not the label).
    void tapTab(const std::string& title) {
        const CGRect frame = ui().frameInWindow(ui().findByText(title));
        ui().tap(CGPoint{CGRectGetMidX(frame), CGRectGetMidY(frame)});
        playFrames(1);
    }
    // Waits for the newest notice's alert, which a first launch shows, and closes it.
    void closeNotice() {
        ASSERT_TRUE(waitForText("确定"));
        playFrames(1); // the alert finishes coming in before it takes taps
        ui().tap(ui().findByText("确定"));
        playFrames(1);
    }
};

// The application's journeys against a catalogue of the test's own, copied from the
// service's sample data so that a test can change it.
class HomeCatalogueJourney : public HomeJourney {
  protected:
    void configureService(DevService::Options& options) override {
        catalogue = testsupport::freshFolder("catalogue");
        std::filesystem::copy(testsupport::sourceDir() / "tools/devservice/data", catalogue,
                              std::filesystem::copy_options::recursive);
        changeCatalogue();
        options.catalogueDir = catalogue;
    }
    virtual void changeCatalogue() {}
    void writeCatalogueFile(const std::string& name, const JSON& content) {
        std::ofstream(catalogue / name, std::ios::trunc) << content.rawString();
    }
    JSON catalogueFile(const std::string& name) {
        std::ifstream in(catalogue / name);
        return JSON::parse(std::string(std::istreambuf_iterator<char>(in), {}));
    }

    std::filesystem::path catalogue;
};

TEST_F(HomeJourney, FirstLaunchShowsTheServicesTabsRecommendPageAndOpensAPoster) {
    ASSERT_TRUE(waitForText("电视剧"));
    const auto home = this->home();
    ASSERT_TRUE(home);
    EXPECT_EQ(home->dataSource()->titles,
              (std::vector<std::string>{"推荐", "电影", "电视剧", "综艺", "动漫"}));
    EXPECT_EQ(home->types(), (std::vector<std::int64_t>{0, 1, 2, 3, 4}));
    const auto cached = userDefaults().stringForKey(homeTabsCacheKey);
    ASSERT_TRUE(cached);
    EXPECT_EQ(homeTabsFromCache(*cached).size(), 5u) << "the list is kept for the next launch";

    // The newest notice comes once, over the recommend page.
    ASSERT_TRUE(waitForText("系统升级公告"));
    gallery("home-notice-alert");
    closeNotice();
    playFrames(1);

    const auto recommend = tabPage<KKdomaingrapeViewController>(home, 0);
    ASSERT_TRUE(recommend) << "the first tab, titled 推荐, is the recommend page";
    ASSERT_TRUE(waitForText("热门电影"));
    EXPECT_EQ(recommend->tableView()->numberOfSections(), 5) << "the card row and four shelves";
    ASSERT_TRUE(recommend->kkdomaingrape());
    EXPECT_EQ(recommend->kkdomaingrape()->numberOfItems(), 3);
    EXPECT_TRUE(waitForText("本周热播")) << "the recommendation cards";
    galleryWithPosters("home-recommend-loaded");
    recommend->tableView()->setContentOffset({0, 300});
    playFrames(0.5);
    const auto shelf = std::dynamic_pointer_cast<KKsymphonyassume>(
        recommend->tableView()->cellForRowAtIndexPath(NSIndexPath::indexPathForRow(0, 1)));
    ASSERT_TRUE(shelf);
    EXPECT_EQ(shelf->title()->text(), "热门电影");
    const auto poster =
        std::dynamic_pointer_cast<KKassumefinance>(shelf->collectionView()->cellForItemAtIndexPath({0, 0}));
    ASSERT_TRUE(poster);
    EXPECT_TRUE(waitFor([&] { return poster->kkdrainexempt()->image() != placeholderImage(); }))
        << "the shelf's posters arrive through the web images";
    EXPECT_EQ(poster->name()->text(), "长风破浪");
    galleryWithPosters("home-recommend-shelves");

    ui().tap(poster);
    playFrames(1);
    const auto film = topPageAs<KKgiganticgloomy>();
    ASSERT_TRUE(film) << "a poster opens the title's resource list";
    EXPECT_EQ(film->vod_id, "1001");
}

TEST_F(HomeJourney, HeaderButtonsOpenTheirPages) {
    ASSERT_TRUE(waitForText("电视剧"));
    closeNotice();
    playFrames(1);
    const auto home = this->home();
    const auto expectOpens = [&](const std::shared_ptr<UIView>& control, auto* page) {
        using Page = std::remove_pointer_t<decltype(page)>;
        ui().tap(control);
        playFrames(1);
        EXPECT_TRUE(topPageAs<Page>()) << control->accessibilityIdentifier();
        home->navigationController()->popViewControllerAnimated(false);
        playFrames(1);
    };
    expectOpens(home->searchBar(), static_cast<KKtenseadjacentViewController*>(nullptr));
    expectOpens(home->kkdisturbtissue(), static_cast<KKinterfereboycottViewController*>(nullptr));
    expectOpens(home->kktissuelounge(), static_cast<KKcommonplaceremedyViewController*>(nullptr));
    expectOpens(home->kkconventiondisturb(), static_cast<KKboycotthemisphereViewController*>(nullptr));
}

TEST_F(HomeJourney, CategoryTabPagesRefreshesAndEndsWithoutDuplicates) {
    ASSERT_TRUE(waitForText("电视剧"));
    closeNotice();
    playFrames(1);
    const auto home = this->home();
    tapTab("电影");
    playFrames(1);
    const auto category = tabPage<KKleapkeyboardViewController>(home, 1);
    ASSERT_TRUE(category);
    EXPECT_EQ(category->type_id, 1);
    ASSERT_TRUE(waitFor([&] { return category->films()->items().size() == 15; }));
    const auto first = apiRequests("/api/indexVodList").front();
    EXPECT_EQ(first.parameters.at("type_id"), "1");
    EXPECT_EQ(first.parameters.at("pageSize"), "15");
    const auto grid = category->collectionView();
    const auto cell = std::dynamic_pointer_cast<KKcreatesymphony>(grid->cellForItemAtIndexPath({0, 0}));
    ASSERT_TRUE(cell);
    EXPECT_TRUE(waitFor([&] { return cell->kkdrainexempt()->image() != placeholderImage(); }));
    playFrames(1);
    galleryWithPosters("home-category-grid");
    EXPECT_TRUE(testsupport::app::hasEvenColumns(testsupport::app::gridShapeOf(ui(), grid), 3))
        << "a phone shows three posters across";

    // Scrolling to the end asks the next pages until one comes back empty.
    for (int i = 0; i < 40 && grid->mj_footer()->state() != MJRefreshState::noMoreData; ++i) {
        ui().scroll(grid, 0, 400);
        waitFor([&] { return !category->films()->isLoading(); });
        playFrames(0.5);
    }
    EXPECT_EQ(grid->mj_footer()->state(), MJRefreshState::noMoreData);
    EXPECT_TRUE(ui().findByText("没有更多了"));
    EXPECT_EQ(requestedPages(apiRequests("/api/indexVodList")), "1,2,3");
    std::set<std::string> ids;
    for (const auto& film : category->films()->items()) {
        EXPECT_TRUE(ids.insert(film.vodId.value_or("")).second) << "twice: " << film.vodId.value_or("");
    }
    EXPECT_EQ(ids.size(), 20u) << "every film of the category once";
    galleryWithPosters("home-category-end");

    // Pulling down asks page 1 again and lets the footer page once more.
    grid->setContentOffset({0, 0});
    playFrames(0.5);
    const CGRect frame = ui().frameInWindow(grid);
    ui().drag({frame.origin.x + 100, frame.origin.y + 40}, {frame.origin.x + 100, frame.origin.y + 440}, 0.6,
              30);
    ASSERT_TRUE(waitFor([&] { return apiRequests("/api/indexVodList").size() == 4; }));
    ASSERT_TRUE(waitFor([&] { return !category->films()->isLoading(); }));
    playFrames(1);
    EXPECT_EQ(requestedPages(apiRequests("/api/indexVodList")), "1,2,3,1");
    EXPECT_EQ(category->films()->items().size(), 15u) << "page 1 replaces the list";
    EXPECT_NE(grid->mj_footer()->state(), MJRefreshState::noMoreData);

    ui().tap(grid->cellForItemAtIndexPath({0, 0}));
    playFrames(1);
    const auto film = topPageAs<KKgiganticgloomy>();
    ASSERT_TRUE(film);
    EXPECT_EQ(film->vod_id, category->films()->items().front().vodId);
}

TEST_F(HomeJourney, AFailedLoadMoreAsksTheSamePageAgain) {
    ASSERT_TRUE(waitForText("电视剧"));
    closeNotice();
    const auto home = this->home();
    tapTab("综艺");
    playFrames(1);
    const auto category = tabPage<KKleapkeyboardViewController>(home, 3);
    ASSERT_TRUE(category);
    ASSERT_TRUE(waitFor([&] { return category->films()->items().size() == 15; }));
    devservice::Fault refused;
    refused.dropConnection = true;
    refused.times = 1;
    service().setFault("api/indexVodList", refused);
    const auto grid = category->collectionView();
    const CGRect frame = ui().frameInWindow(grid);
    for (int i = 0; i < 40 && apiRequests("/api/indexVodList").size() < 3; ++i) {
        // Dragging up at the end of the grid brings the footer into sight again.
        ui().drag({frame.origin.x + 100, frame.origin.y + 500}, {frame.origin.x + 100, frame.origin.y + 100},
                  0.3, 12);
        waitFor([&] { return !category->films()->isLoading(); });
        playFrames(0.5);
    }
    EXPECT_EQ(requestedPages(apiRequests("/api/indexVodList")).substr(0, 5), "1,2,2")
        << "the page that failed is asked again, none is skipped";
    ASSERT_TRUE(waitFor([&] { return category->films()->items().size() == 20; }));
}

TEST_F(HomeJourney, AFailedFirstPageIsAskedAgainByTheFooter) {
    ASSERT_TRUE(waitForText("电视剧"));
    closeNotice();
    const auto home = this->home();
    const auto askedBefore = apiRequests("/api/indexVodList").size();
    service().setFault("api/indexVodList", {.status = 500, .times = 1});
    tapTab("综艺");
    playFrames(1);
    const auto category = tabPage<KKleapkeyboardViewController>(home, 3);
    ASSERT_TRUE(category);
    const auto grid = category->collectionView();
    ASSERT_TRUE(waitFor([&] {
        return apiRequests("/api/indexVodList").size() > askedBefore && !grid->mj_header()->isRefreshing();
    }));
    EXPECT_TRUE(category->films()->items().empty());
    EXPECT_NE(grid->mj_footer()->state(), MJRefreshState::noMoreData)
        << "a failure is not the end of the list";

    // The footer under no films asks the first page again, not a page after one never shown.
    if (apiRequests("/api/indexVodList").size() == askedBefore + 1) {
        ui().tap(grid->mj_footer());
    }
    ASSERT_TRUE(waitFor([&] { return category->films()->items().size() == 15; }));
    const auto asked = apiRequests("/api/indexVodList");
    EXPECT_EQ(requestedPages({asked.begin() + static_cast<long>(askedBefore), asked.end()}), "1,1");
    EXPECT_EQ(grid->numberOfItemsInSection(0), 15);
}

TEST_F(HomeJourney, MoreListShowsItsBackdropAndFadesItsBarWhileScrolling) {
    ASSERT_TRUE(waitForText("热门电影"));
    closeNotice();
    playFrames(1);
    ui().tap(ui().findByClass<KKsymphonyassume>()->moreBtn());
    playFrames(1);
    const auto more = topPageAs<KKkeyboardexplicitViewController>();
    ASSERT_TRUE(more) << "更多> opens the shelf's full list";
    EXPECT_EQ(more->type_id, 1);
    ASSERT_TRUE(waitFor([&] { return more->films()->items().size() == 15; }));
    EXPECT_EQ(apiRequests("/api/indexVodRecList").front().parameters.at("type_id"), "1");
    EXPECT_EQ(more->titleLabel()->text(), "热门电影");
    ASSERT_TRUE(waitFor([&] { return more->backgroundView()->image() != nullptr; }))
        << "the backdrop shows the first film's poster";
    EXPECT_TRUE(waitFor([&] {
        return ui().findByClass<KKcreatesymphony>()->kkdrainexempt()->image() != placeholderImage();
    }));
    playFrames(1);
    galleryWithPosters("home-morelist");

    EXPECT_DOUBLE_EQ(more->backgroundView()->alpha(), 1);
    EXPECT_DOUBLE_EQ(more->kkexemptconvention()->backgroundColor()->alpha, 0);
    more->collectionView()->setContentOffset({0, 50});
    EXPECT_NEAR(more->backgroundView()->alpha(), 0.5, 1e-9);
    EXPECT_NEAR(more->kkexemptconvention()->backgroundColor()->alpha, 0.5, 1e-9);
    more->collectionView()->setContentOffset({0, -40});
    EXPECT_DOUBLE_EQ(more->backgroundView()->alpha(), 1) << "pulling down keeps the backdrop";
    more->collectionView()->setContentOffset({0, 300});
    playFrames(1);
    EXPECT_DOUBLE_EQ(more->backgroundView()->alpha(), 0);
    EXPECT_DOUBLE_EQ(more->kkexemptconvention()->backgroundColor()->alpha, 1);
    galleryWithPosters("home-morelist-scrolled");

    ui().tap(more->kkdilemmaspectacular());
    playFrames(1);
    EXPECT_TRUE(topPageAs<KKelectronicbrow>()) << "the back button returns home";

    // A more-list closed before its answer arrives ignores the answer.
    devservice::Fault slow;
    slow.delaySeconds = 0.5;
    service().setFault("api/indexVodRecList", slow);
    ui().tap(ui().findByClass<KKsymphonyassume>()->moreBtn());
    playFrames(0.5);
    std::weak_ptr<KKkeyboardexplicitViewController> closed = topPageAs<KKkeyboardexplicitViewController>();
    ASSERT_FALSE(closed.expired());
    topPage()->navigationController()->popViewControllerAnimated(false);
    playFrames(1);
    EXPECT_TRUE(closed.expired()) << "nothing on its way holds the closed page";
    ASSERT_TRUE(waitFor([&] { return apiRequests("/api/indexVodRecList").size() == 2; }));
    waitFor([] { return false; }, 1.0); // the late answer arrives meanwhile
    EXPECT_TRUE(topPageAs<KKelectronicbrow>());
}

class HomeNoticeJourney : public HomeCatalogueJourney {
  protected:
    void changeCatalogue() override {
        writeCatalogueFile("notices.json", JSON::parse(R"([
            {"create_time": "login", "title": "通知标题", "intro": "通知内容"},
            {"create_time": "login", "title": "同一时间的通知", "intro": "不再提示"}])"));
    }
};

TEST_F(HomeNoticeJourney, ANoticeAlertsOnceAndNeverTouchesTheStoredUser) {
    ASSERT_TRUE(waitForText("通知标题"));
    const auto alert = std::dynamic_pointer_cast<UIAlertController>(topPage());
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->message(), "通知内容");
    closeNotice();
    playFrames(1);
    ASSERT_TRUE(waitFor([] { return KKrearinfluence::storedUser().has_value(); }));
    ASSERT_TRUE(waitFor([] { return KKrearinfluence::storedUser()->token.has_value(); }));
    const auto user = KKrearinfluence::storedUser();
    EXPECT_FALSE(user->id.value_or("").empty()) << "the tourist sign-in stored a whole user";

    // The page appears again: the notice of the same time is not shown again.
    const auto asked = apiRequests("/api/getNotice").size();
    selectTab(1);
    selectTab(0);
    ASSERT_TRUE(waitFor([&] { return apiRequests("/api/getNotice").size() > asked; }));
    playFrames(1);
    EXPECT_FALSE(std::dynamic_pointer_cast<UIAlertController>(topPage()));
    EXPECT_FALSE(ui().findByText("同一时间的通知"));
    EXPECT_EQ(KKrearinfluence::storedUser()->token, user->token) << "the user under \"login\" is intact";
    EXPECT_TRUE(userDefaults().boolForKey(noticeShownKey("login")));
}

class HomeTabCacheJourney : public HomeCatalogueJourney {};

TEST_F(HomeTabCacheJourney, ALaunchOfflineShowsTheCachedTabsAndAChangedListOnlyRewritesTheCache) {
    ASSERT_TRUE(waitForText("动漫"));
    quit();
    stopService();
    launch();
    const auto home = this->home();
    ASSERT_TRUE(home);
    EXPECT_EQ(home->dataSource()->titles.size(), 5u) << "the cached tabs are there at once";
    EXPECT_TRUE(ui().findByText("动漫"));
    playFrames(3);
    gallery("home-offline-cached");
    EXPECT_EQ(home->dataSource()->titles.size(), 5u) << "a failed request changes nothing";

    // The service now lists four tabs: this launch keeps its tabs and stores the new list.
    auto home_json = catalogueFile("home.json");
    auto labels = home_json.storage();
    labels["labels"].erase(labels["labels"].end() - 1);
    writeCatalogueFile("home.json", JSON(labels));
    startService();
    relaunch();
    ASSERT_TRUE(waitFor([] {
        return homeTabsFromCache(userDefaults().stringForKey(homeTabsCacheKey).value_or("")).size() == 4;
    }));
    EXPECT_EQ(this->home()->dataSource()->titles.size(), 5u);
    EXPECT_TRUE(ui().findByText("动漫"));
    relaunch();
    EXPECT_EQ(this->home()->dataSource()->titles.size(), 4u) << "the next launch shows the new list";
    EXPECT_FALSE(ui().findByText("动漫"));
}

class HomeFirstLaunchOfflineJourney : public HomeJourney {
  protected:
    void beforeLaunch() override {
        devservice::Fault failing;
        failing.status = 500;
        failing.rawBody = "down for maintenance";
        failing.times = 3;
        // Slow answers: the picture of the first moments shows the loading tip alone.
        failing.delaySeconds = 1;
        service().setFault("api/indexLabelList", failing);
        devservice::Fault slow;
        slow.delaySeconds = 3;
        service().setFault("api/getNotice", slow);
        service().setFault("api/touristLogin", slow);
    }
};

TEST_F(HomeFirstLaunchOfflineJourney, TabsLoadOnceTheServiceAnswersAfterRetriesEverySecond) {
    const auto home = this->home();
    ASSERT_TRUE(home);
    EXPECT_TRUE(home->dataSource()->titles.empty());
    playFrames(0.3);
    gallery("home-tabs-loading");
    ASSERT_TRUE(waitForText("电视剧"));
    EXPECT_EQ(apiRequests("/api/indexLabelList").size(), 4u) << "three failures, each retried";
    EXPECT_TRUE(userDefaults().stringForKey(homeTabsCacheKey));
}

class HomeStoredUserJourney : public HomeJourney {
  protected:
    void beforeLaunch() override {
        userDefaults().setString("login", R"({"nick_name":"无名","group_id":"1"})");
    }
};

TEST_F(HomeStoredUserJourney, AStoredUserWithoutAnIdSignsInAgainAsANewTourist) {
    ASSERT_TRUE(waitFor([&] { return !apiRequests("/api/touristLogin").empty(); }));
    EXPECT_EQ(apiRequests("/api/touristLogin").front().parameters.at("id"), "0");
    ASSERT_TRUE(waitFor([] { return KKrearinfluence::storedUser()->id.value_or("") != ""; }))
        << "the new tourist is stored";
}

// The tourist refresh at load answers late; a member signs in meanwhile.
class HomeSignInDuringRefreshJourney : public HomeJourney {
  protected:
    HomeSignInDuringRefreshJourney() { showsServiceNotices = false; }
    void beforeLaunch() override { service().setFault("api/touristLogin", {.delaySeconds = 2, .times = 1}); }
};

TEST_F(HomeSignInDuringRefreshJourney, AMemberWhoSignsInWhileTheRefreshIsUnderwayStaysSignedIn) {
    ASSERT_TRUE(waitFor([&] { return !apiRequests("/api/touristLogin").empty(); }));
    ASSERT_TRUE(waitForText("更多>")) << "the recommend page has its answer";
    const std::string member = R"({"id":"777","group_id":"2","nick_name":"会员","token":"member-token"})";
    userDefaults().setString("login", member);
    // Every answer of the API client hides the tips: once the marker is gone and a little
    // later, the late tourist answer has been handled.
    QMUITips::showWithText("marker");
    ASSERT_TRUE(waitFor([] { return QMUITips::shownTips().empty(); }));
    waitFor([] { return false; }, 3);
    EXPECT_EQ(userDefaults().stringForKey("login").value_or(""), member);
}

class HomeContinueJourney : public HomeJourney {
  protected:
    void beforeLaunch() override {
        auto& history = SJPlaybackHistoryController::shared();
        SJPlaybackRecord older;
        older.mediaId = 1002;
        older.vodId = "1002";
        older.title = "旧的记录";
        older.episode = "第1集";
        ASSERT_TRUE(history.save(older).ok());
        SJPlaybackRecord newer;
        newer.mediaId = 1021;
        newer.vodId = "1021";
        newer.title = "山河故人";
        newer.episode = "第3集";
        newer.position = 120;
        ASSERT_TRUE(history.save(newer).ok());
    }
};

TEST_F(HomeContinueJourney, TheCardOffersTheNewestRecordOpensItAndStaysClosedOnceClosed) {
    ASSERT_TRUE(waitForText("电视剧"));
    closeNotice();
    playFrames(1);
    const auto home = this->home();
    auto card = home->continueView();
    ASSERT_TRUE(card);
    EXPECT_EQ(card->titleLabel()->text(), "继续观看 山河故人 第3集");
    EXPECT_EQ(ui().findAllOfClass<KKaggravateconcession>().size(), 1u);
    ASSERT_TRUE(waitForText("热门电影"));
    playFrames(1);
    galleryWithPosters("home-continue-card");

    ui().tap(card);
    playFrames(1);
    const auto film = topPageAs<KKgiganticgloomy>();
    ASSERT_TRUE(film);
    EXPECT_EQ(film->vod_id, "1021");
    home->navigationController()->popViewControllerAnimated(false);
    playFrames(1);
    EXPECT_EQ(ui().findAllOfClass<KKaggravateconcession>().size(), 1u) << "the card is back, never stacked";
    selectTab(1);
    selectTab(0);
    EXPECT_EQ(ui().findAllOfClass<KKaggravateconcession>().size(), 1u);

    card = home->continueView();
    ASSERT_TRUE(card);
    ui().tap(card->kkadjacenttechnician());
    EXPECT_TRUE(home->isCloseContinueView());
    EXPECT_TRUE(card->superview()) << "it fades out first";
    playFrames(0.5);
    EXPECT_FALSE(card->superview());
    selectTab(1);
    selectTab(0);
    EXPECT_TRUE(ui().findAllOfClass<KKaggravateconcession>().empty()) << "closed for this page's life";
}

// The same pages on a tablet's screen.
class HomeTabletJourney : public HomeJourney {
  protected:
    HomeTabletJourney() {
        showsServiceNotices = false;
        screen = UIScreen::Metrics::tablet();
    }
};

TEST_F(HomeTabletJourney, TheRecommendPageSpansTheScreenAndThePosterGridsShowFourColumns) {
    ASSERT_TRUE(waitForText("热门电影"));
    const auto home = this->home();
    const auto recommend = tabPage<KKdomaingrapeViewController>(home, 0);
    ASSERT_TRUE(recommend);
    ASSERT_TRUE(waitForText("本周热播"));
    galleryWithPosters("tablet-home-recommend");
    const CGRect banner = ui().frameInWindow(recommend->kkdomaingrape());
    EXPECT_EQ(banner.origin.x, 15);
    EXPECT_EQ(CGRectGetMaxX(banner), window()->bounds().size.width - 15) << "the banner spans the screen";

    const auto expectPosterGrid = [&](const std::shared_ptr<UICollectionView>& grid) {
        const auto shape = testsupport::app::gridShapeOf(ui(), grid);
        EXPECT_TRUE(testsupport::app::hasEvenColumns(shape, 4));
        EXPECT_EQ(shape.leftMargin, 15);
        EXPECT_NEAR(shape.item.height / shape.item.width, 16.0 / 9, 0.001) << "upright 9:16 posters";
    };
    tapTab("电影");
    const auto category = tabPage<KKleapkeyboardViewController>(home, 1);
    ASSERT_TRUE(category);
    ASSERT_TRUE(waitFor([&] { return category->films()->items().size() == 15; }));
    playFrames(0.5);
    galleryWithPosters("tablet-home-category-grid");
    expectPosterGrid(category->collectionView());

    tapTab("推荐");
    ui().tap(ui().findByClass<KKsymphonyassume>()->moreBtn());
    playFrames(1);
    const auto more = topPageAs<KKkeyboardexplicitViewController>();
    ASSERT_TRUE(more);
    ASSERT_TRUE(waitFor([&] { return more->films()->items().size() == 15; }));
    playFrames(0.5);
    galleryWithPosters("tablet-home-morelist");
    expectPosterGrid(more->collectionView());
}

// Ads cleared with the about page's service code ("about_ad"): the recommend page shows
// no banner, its cards start under a thin gap, and no banner picture is fetched.
class HomeAdsClearedJourney : public HomeJourney {
  protected:
    void beforeLaunch() override { userDefaults().setBool("about_ad", true); }
};

TEST_F(HomeAdsClearedJourney, TheRecommendPageShowsNoBannerAndStartsWithItsCards) {
    closeNotice();
    ASSERT_TRUE(waitForText("本周热播"));
    EXPECT_TRUE(userDefaults().boolForKey("clearAD"));
    const auto recommend = tabPage<KKdomaingrapeViewController>(home(), 0);
    ASSERT_TRUE(recommend);
    galleryWithPosters("home-recommend-ads-cleared");
    EXPECT_EQ(ui().findByClass<JXBanner>(), nullptr) << "a banner shows";
    EXPECT_EQ(recommend->tableView()->rectForHeaderInSection(0).size.height, 15);
    const CGRect cards = recommend->tableView()->rectForRowAtIndexPath(NSIndexPath::indexPathForRow(0, 0));
    EXPECT_EQ(cards.origin.y, 15);
    EXPECT_GT(cards.size.height, 0);
    for (const auto& request : apiRequests()) {
        EXPECT_EQ(request.path.find("/images/banner/"), std::string::npos) << request.path;
    }
}

} // namespace
