#include "MainController/Detail/Controller/KKgiganticgloomy.h"
#include "MainController/Login/Controller/KKmaximumdefyViewController.h"
#include "MainController/My/Cell/KKconscientiousacre.h"
#include "MainController/My/Cell/KKcrippleconscientious.h"
#include "MainController/My/Controller/KKhemispherecommonplaceViewController.h"
#include "MainController/My/Controller/KKinterfereboycottViewController.h"
#include "MainController/My/Controller/KKstimulateinterfereViewController.h"
#include "app/Constants/ModuleConstants.h"
#include "app/Network/KKriplog.h"
#include "platform/QMUIKit/Controllers/QMUIEmptyView.h"
#include "platform/QMUIKit/Controls/QMUIButton.h"
#include "platform/QMUIKit/Controls/QMUILabel.h"
#include "platform/QMUIKit/QMUITips.h"
#include "platform/SJBaseVideoPlayer/History/SJPlaybackHistoryController.h"
#include "platform/UIKit/Controllers/UIAlertController.h"
#include "platform/UIKit/Controllers/UIBarButtonItem.h"
#include "platform/UIKit/Controllers/UINavigationItem.h"
#include "tests/MainController/My/MyJourneySupport.h"

#include <algorithm>

namespace {

using MyListJourney = mytest::MyJourneyBase;

// Saves a record as the player page does while a title plays.
void watch(std::int64_t mediaId, const std::string& vodId, const std::string& title,
           const std::string& episode, double position, const std::string& cover = "") {
    SJPlaybackRecord record;
    record.mediaId = mediaId;
    record.vodId = vodId;
    record.title = title;
    record.cover = cover;
    record.episode = episode;
    record.index = "0";
    record.duration = "0";
    record.position = position;
    ASSERT_TRUE(SJPlaybackHistoryController::shared().save(record).ok());
}

std::vector<std::string> names(UITableView& table, long rows) {
    std::vector<std::string> found;
    for (long row = 0; row < rows; ++row) {
        auto cell = std::dynamic_pointer_cast<KKappealsubsequent>(
            table.cellForRowAtIndexPath(NSIndexPath::indexPathForRow(row, 0)));
        found.push_back(cell ? cell->name()->text() : "?");
    }
    return found;
}

} // namespace

TEST_F(MyListJourney, HistoryListsEachTitleOnceNewestFirstAndDeletesAndClears) {
    openMyTab();
    // Nothing watched yet: the empty state.
    tapText("历史记录");
    auto history = topPageAs<KKinterfereboycottViewController>();
    ASSERT_NE(history, nullptr);
    EXPECT_TRUE(history->isEmptyViewShowing());
    EXPECT_NE(ui().findByText("暂无数据"), nullptr);
    gallery("my-history-empty");
    goBack();

    watch(101, "1010", "长安十二时辰", "第1集", 30);
    watch(102, "1010", "长安十二时辰", "第2集", 3725.9);
    watch(201, "1020", "流浪地球", "正片", 59);
    watch(301, "1030", "没有集名的片子", "", 12, service().origin() + "/images/cover/3.png");
    tapText("历史记录");
    history = topPageAs<KKinterfereboycottViewController>();
    ASSERT_NE(history, nullptr);
    EXPECT_FALSE(history->isEmptyViewShowing());
    const auto table = history->tableView();
    ASSERT_EQ(history->list().size(), 3u);
    EXPECT_EQ(names(*table, 3), (std::vector<std::string>{"没有集名的片子", "流浪地球", "长安十二时辰"}));
    auto row = [&](long index) {
        return std::dynamic_pointer_cast<KKconscientiousacre>(
            table->cellForRowAtIndexPath(NSIndexPath::indexPathForRow(index, 0)));
    };
    EXPECT_EQ(row(1)->classType()->text(), "观看至:正片 00:59");
    // The newest record of the title: its second episode.
    EXPECT_EQ(row(2)->classType()->text(), "观看至:第2集 01:02:05");
    EXPECT_EQ(table->rectForRowAtIndexPath(NSIndexPath::indexPathForRow(0, 0)).size.height, 64);
    EXPECT_TRUE(showsWebImage(row(0)->kkdrainexempt(), service().origin() + "/images/cover/3.png"));
    gallery("my-history");

    // Deleting a row removes every record of its title at once.
    ui().tap(row(0)->delBtn());
    playFrames(0.3);
    EXPECT_EQ(names(*table, 2), (std::vector<std::string>{"流浪地球", "长安十二时辰"}));
    EXPECT_TRUE(SJPlaybackHistoryController::shared()
                    .recordsForConditions({SJSQLite3Condition::conditionWithColumn("vodId", "1030")}, {})
                    ->empty());

    // A tap opens the title; its records stay for the player page to resume from.
    ui().tap(row(1));
    playFrames(1);
    const auto title = topPageAs<KKgiganticgloomy>();
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->vod_id, "1010");
    const auto kept = SJPlaybackHistoryController::shared().recordForMedia(102, 0, SJMediaTypeVideo);
    ASSERT_TRUE(kept.ok() && *kept);
    EXPECT_DOUBLE_EQ((*kept)->position, 3725.9);

    // Watching again while away moves that title to the top on the way back.
    watch(101, "1010", "长安十二时辰", "第1集", 95);
    goBack();
    EXPECT_EQ(names(*table, 2), (std::vector<std::string>{"长安十二时辰", "流浪地球"}));
    EXPECT_EQ(row(0)->classType()->text(), "观看至:第1集 01:35");

    // "清空", then "取消": nothing changes.
    history->navigationItem()->rightBarButtonItem()->performAction();
    playFrames(1);
    auto alert = topPageAs<UIAlertController>();
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->alertTitle(), "是否要清空所有播放记录?");
    ASSERT_EQ(alert->actions().size(), 2u);
    EXPECT_EQ(alert->actions()[0]->title(), "清空");
    gallery("my-history-clear");
    alert->performAction(alert->actions()[1]);
    playFrames(1);
    EXPECT_EQ(history->list().size(), 2u);

    // "清空", then "清空": the records go at once, the list a second later.
    history->navigationItem()->rightBarButtonItem()->performAction();
    playFrames(1);
    alert = topPageAs<UIAlertController>();
    ASSERT_NE(alert, nullptr);
    alert->performAction(alert->actions()[0]);
    playFrames(0.5);
    EXPECT_TRUE(tipShows("清空中..."));
    EXPECT_TRUE(SJPlaybackHistoryController::shared().recordsForConditions({}, {})->empty());
    EXPECT_EQ(history->list().size(), 2u);
    playFrames(1.0);
    EXPECT_FALSE(tipShows("清空中..."));
    EXPECT_TRUE(tipShows("清空成功"));
    EXPECT_TRUE(history->list().empty());
    EXPECT_TRUE(history->isEmptyViewShowing());
}

TEST_F(MyListJourney, RecordsWithoutATitleIdAreOneRowThatOpensButCannotBeDeleted) {
    for (std::int64_t media : {401, 402}) {
        SJPlaybackRecord record;
        record.mediaId = media;
        record.title = "来历不明";
        record.position = 5;
        ASSERT_TRUE(SJPlaybackHistoryController::shared().save(record).ok());
    }
    openMyTab();
    tapText("历史记录");
    const auto history = topPageAs<KKinterfereboycottViewController>();
    ASSERT_NE(history, nullptr);
    ASSERT_EQ(history->list().size(), 1u);
    const auto cell = std::dynamic_pointer_cast<KKconscientiousacre>(
        history->tableView()->cellForRowAtIndexPath(NSIndexPath::indexPathForRow(0, 0)));
    ASSERT_NE(cell, nullptr);
    // No episode: the progress line stays empty.
    EXPECT_EQ(cell->classType()->text(), "");
    ui().tap(cell->delBtn());
    playFrames(0.3);
    EXPECT_EQ(SJPlaybackHistoryController::shared().recordsForConditions({}, {})->size(), 2u);
    ui().tap(cell);
    playFrames(1);
    ASSERT_NE(topPageAs<KKgiganticgloomy>(), nullptr);
    EXPECT_EQ(topPageAs<KKgiganticgloomy>()->vod_id, "");
}

TEST_F(MyListJourney, FavouritesListTheMembersTitlesAndRemoveThemOnTheService) {
    signInMember("13900139000");
    // Favourited on the player page: the same request its favourite button sends.
    for (const char* id : {"1020", "1010"}) {
        ASSERT_TRUE(
            answer([&](auto completion) { apiClient.collectionState(id, true, completion); }).has_value());
    }
    openMyTab();
    tapText("我的收藏");
    const auto favourites = topPageAs<KKhemispherecommonplaceViewController>();
    ASSERT_NE(favourites, nullptr);
    ASSERT_TRUE(waitFor([&] { return favourites->list().size() == 2; }));
    playFrames(0.5);
    EXPECT_EQ(apiRequests("/api/getCollectionList").front().method, "GET");
    const auto table = favourites->tableView();
    EXPECT_FALSE(favourites->isEmptyViewShowing());
    auto first = std::dynamic_pointer_cast<KKcrippleconscientious>(
        table->cellForRowAtIndexPath(NSIndexPath::indexPathForRow(0, 0)));
    ASSERT_NE(first, nullptr);
    const KKfinancerub& film = favourites->list()[0];
    EXPECT_EQ(film.vodId, "1010");
    EXPECT_EQ(first->name()->text(), film.vodName.value_or(""));
    EXPECT_EQ(first->classType()->text(),
              film.year.value_or("") + "/" + film.area.value_or("") + "/" + film.classTypeName.value_or(""));
    EXPECT_TRUE(first->kkpettyverdict()->isSelected());
    EXPECT_TRUE(showsWebImage(first->kkdrainexempt(), film.vodPic.value_or("")));
    gallery("my-favourites");

    // Coming back from a title does not ask again.
    ui().tap(first);
    playFrames(1);
    ASSERT_NE(topPageAs<KKgiganticgloomy>(), nullptr);
    EXPECT_EQ(topPageAs<KKgiganticgloomy>()->vod_id, "1010");
    goBack();
    EXPECT_EQ(apiRequests("/api/getCollectionList").size(), 1u);
    // The title's page asked for its resources and showed a loading tip until they come.
    // Every answer hides every tip: the refusal below is asked for once that answer is in,
    // so that it cannot take the refusal's tip away in the same turn of the loop.
    ASSERT_TRUE(waitFor([] { return QMUITips::shownTips().empty(); }));

    // A removal the service refuses leaves the row and asks nothing more.
    service().setFault("api/collectionState",
                       devservice::Fault{.status = 200,
                                         .rawBody = R"({"code":50000,"message":"服务繁忙","data":""})",
                                         .times = 1});
    ui().tap(first->kkpettyverdict());
    ASSERT_TRUE(waitFor([&] { return tipShows("服务繁忙"); }));
    EXPECT_EQ(favourites->list().size(), 2u);
    EXPECT_EQ(apiRequests("/api/getCollectionList").size(), 1u);

    // The collect button takes the title off the service, then the list follows.
    ui().tap(first->kkpettyverdict());
    ASSERT_TRUE(waitFor([&] { return favourites->list().size() == 1; }));
    const auto removal = apiRequests("/api/collectionState").back();
    EXPECT_EQ(removal.parameters.find("vod_id")->second, "1010");
    EXPECT_EQ(removal.parameters.find("state")->second, "0");
    const auto remaining = answer([](auto completion) {
        apiClient.sendRequest(HTTPMethod::get, "api/getCollectionList", {}, completion);
    });
    ASSERT_TRUE(remaining.has_value());
    ASSERT_EQ(remaining->arrayValue().size(), 1u);
    EXPECT_EQ(remaining->arrayValue()[0]["vod_id"].stringValue(), "1020");

    // Removing the last one brings the empty state.
    first = std::dynamic_pointer_cast<KKcrippleconscientious>(
        table->cellForRowAtIndexPath(NSIndexPath::indexPathForRow(0, 0)));
    ASSERT_NE(first, nullptr);
    ui().tap(first->kkpettyverdict());
    ASSERT_TRUE(waitFor([&] { return favourites->list().empty(); }));
    playFrames(0.5);
    EXPECT_TRUE(favourites->isEmptyViewShowing());
    gallery("my-favourites-empty");
}

TEST_F(MyListJourney, RemovalsTheServiceConfirmedLeaveTheListWhenTheListAskedAfterThemFails) {
    signInMember("13900139001");
    for (const char* id : {"1030", "1020", "1010"}) {
        ASSERT_TRUE(
            answer([&](auto completion) { apiClient.collectionState(id, true, completion); }).has_value());
    }
    openMyTab();
    tapText("我的收藏");
    const auto favourites = topPageAs<KKhemispherecommonplaceViewController>();
    ASSERT_NE(favourites, nullptr);
    ASSERT_TRUE(waitFor([&] { return favourites->list().size() == 3; }));
    playFrames(0.5);
    const auto table = favourites->tableView();
    const auto ids = [&] {
        std::vector<std::string> found;
        for (const auto& film : favourites->list()) {
            found.push_back(film.vodId.value_or(""));
        }
        return found;
    };
    const auto tapCollectButtonOf = [&](const std::string& id) {
        const auto rows = favourites->list();
        const auto row =
            std::find_if(rows.begin(), rows.end(), [&](const auto& film) { return film.vodId == id; });
        ASSERT_NE(row, rows.end()) << id;
        const auto cell = std::dynamic_pointer_cast<KKcrippleconscientious>(
            table->cellForRowAtIndexPath(NSIndexPath::indexPathForRow(row - rows.begin(), 0)));
        ASSERT_NE(cell, nullptr);
        ui().tap(cell->kkpettyverdict());
    };
    const auto listsAsked = [&] { return apiRequests("/api/getCollectionList").size(); };
    const auto listsAnswered = [&] {
        const auto lines = consoleLines();
        return std::count(lines.begin(), lines.end(), "api/getCollectionList");
    };

    // Two quick removals: the list asked after the first is slow, so the second one's
    // request drops its answer; the list asked after the second fails.
    service().setFault("api/getCollectionList", devservice::Fault{.delaySeconds = 1.5, .times = 1});
    tapCollectButtonOf("1010");
    ASSERT_TRUE(waitFor([&] { return listsAsked() == 2; }));
    service().setFault("api/getCollectionList", devservice::Fault{.dropConnection = true, .times = 1});
    tapCollectButtonOf("1020");
    ASSERT_TRUE(waitFor([&] { return listsAsked() == 3 && listsAnswered() == 2; }));
    playFrames(0.5);
    EXPECT_EQ(ids(), std::vector<std::string>{"1030"}) << "both removals were confirmed";
    EXPECT_EQ(table->numberOfRowsInSection(0), 1);
    EXPECT_FALSE(favourites->isEmptyViewShowing());
    const auto remaining = answer([](auto completion) {
        apiClient.sendRequest(HTTPMethod::get, "api/getCollectionList", {}, completion);
    });
    ASSERT_TRUE(remaining.has_value());
    ASSERT_EQ(remaining->arrayValue().size(), 1u);
    EXPECT_EQ(remaining->arrayValue()[0]["vod_id"].stringValue(), "1030");
}

// A member without favourites: the first answer is empty, the page says so and asks no
// further, also when pulled.
TEST_F(MyListJourney, AMemberWithoutFavouritesSeesTheEmptyStateAndNothingMoreIsAsked) {
    signInMember("13600136000");
    openMyTab();
    tapText("我的收藏");
    const auto favourites = topPageAs<KKhemispherecommonplaceViewController>();
    ASSERT_NE(favourites, nullptr);
    ASSERT_TRUE(waitFor([&] {
        const auto lines = consoleLines();
        return std::count(lines.begin(), lines.end(), "api/getCollectionList") == 1;
    }));
    playFrames(1);
    EXPECT_TRUE(favourites->list().empty());
    EXPECT_TRUE(favourites->isEmptyViewShowing());
    EXPECT_NE(ui().findByText("暂无数据"), nullptr);
    const CGRect table = ui().frameInWindow(favourites->tableView());
    ui().drag({table.midX(), table.maxY() - 40}, {table.midX(), table.minY() + 40}, 0.3, 12);
    playFrames(1);
    EXPECT_EQ(apiRequests("/api/getCollectionList").size(), 1u);
    EXPECT_TRUE(favourites->isEmptyViewShowing());
}

TEST_F(MyListJourney, AFavouritesPageClosedBeforeItsListArrivesIgnoresIt) {
    signInMember("13700137000");
    service().setFault("api/getCollectionList", devservice::Fault{.delaySeconds = 0.5});
    openMyTab();
    tapText("我的收藏");
    ASSERT_NE(topPageAs<KKhemispherecommonplaceViewController>(), nullptr);
    std::weak_ptr<UIViewController> favourites = topPage();
    goBack();
    playFrames(1);
    EXPECT_TRUE(favourites.expired());
    ASSERT_TRUE(waitFor([&] { return !apiRequests("/api/getCollectionList").empty(); }));
    waitFor([] { return false; }, 1.0);
    EXPECT_NE(topPageAs<KKstimulateinterfereViewController>(), nullptr);
}
