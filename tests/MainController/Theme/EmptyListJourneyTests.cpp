// Paged lists whose very first page comes back empty, as a person meets them: the page
// says there is nothing more instead of loading for ever, asks the service no further,
// and a pull-down asks the first page once more.
#include "MainController/Home/Cell/KKsymphonyassume.h"
#include "MainController/Home/Controller/KKkeyboardexplicitViewController.h"
#include "MainController/Library/Controller/KKspectacularaccountantViewController.h"
#include "MainController/Theme/Cell/KKtrulyditch.h"
#include "MainController/Theme/Controller/KKequationpillViewController.h"
#include "MainController/Theme/Controller/KKpillleakViewController.h"
#include "platform/Foundation/JSON.h"
#include "platform/MJRefresh/MJRefreshFooter.h"
#include "platform/MJRefresh/MJRefreshHeader.h"
#include "tests/MainController/Theme/TopicListJourney.h"
#include "tests/support/TestSupport.h"
#include "tests/support/app/AppJourney.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

// The service's sample catalogue with a shelf of a category that has no films, first on
// the recommend page, and topics that a test chooses.
class EmptyListJourney : public TopicListJourney {
  protected:
    void configureService(DevService::Options& options) override {
        const auto catalogue = testsupport::freshFolder("catalogue");
        std::filesystem::copy(testsupport::sourceDir() / "tools/devservice/data", catalogue,
                              std::filesystem::copy_options::recursive);
        std::ifstream in(catalogue / "home.json");
        JSON::Storage home = JSON::parse(std::string(std::istreambuf_iterator<char>(in), {})).storage();
        in.close();
        home["recList"].insert(
            home["recList"].begin(),
            JSON::Storage{{"item", "即将上线"}, {"type_id", 9}, {"vod_ids", JSON::Storage::array()}});
        std::ofstream(catalogue / "home.json", std::ios::trunc) << home.dump();
        std::ofstream(catalogue / "topics.json", std::ios::trunc) << topics();
        options.catalogueDir = catalogue;
    }
    // The topics the service lists.
    virtual std::string topics() const {
        return R"([{"topic_id": "9", "topic_name": "即将上映", "topic_pic": "{{origin}}/images/topic/1.png",
                    "topic_blurb": "敬请期待。", "vod_ids": []}])";
    }

    // From the library's "主题" button to the topic list, once its first answer is shown.
    std::shared_ptr<KKpillleakViewController> openTopics() {
        return openTopicList([&](KKpillleakViewController&) {
            return apiRequests("/api/themeList").size() == 1 && answered("api/themeList");
        });
    }

    // Whether an answer for `path` has been handled (each answer logs its path then).
    bool answered(const std::string& path, long times = 1) {
        const auto lines = consoleLines();
        return std::count(lines.begin(), lines.end(), path) >= times;
    }

    // Drags `list` up by most of the screen, as a person asking for more would.
    void dragUp(const std::shared_ptr<UIView>& list) {
        const CGRect frame = ui().frameInWindow(list);
        ui().drag({frame.midX(), frame.maxY() - 40}, {frame.midX(), frame.minY() + 40}, 0.3, 12);
        playFrames(1);
    }
    // Pulls `list` down from its top, as a person refreshing would.
    void pullDown(const std::shared_ptr<UIView>& list) {
        const CGRect frame = ui().frameInWindow(list);
        ui().drag({frame.midX(), frame.minY() + 20}, {frame.midX(), frame.minY() + 300}, 0.6, 20);
    }
};

TEST_F(EmptyListJourney, AShelfWithoutFilmsOpensAnEmptyMoreListThatAsksNoFurther) {
    std::shared_ptr<KKsymphonyassume> shelf;
    ASSERT_TRUE(waitFor([&] {
        for (const auto& shown : ui().findAllOfClass<KKsymphonyassume>()) {
            if (shown->title()->text() == "即将上线") {
                shelf = shown;
            }
        }
        return shelf != nullptr;
    }));
    playFrames(1);
    ui().tap(shelf->moreBtn());
    playFrames(1);
    const auto more = topPageAs<KKkeyboardexplicitViewController>();
    ASSERT_NE(more, nullptr);
    const auto& grid = more->collectionView();
    ASSERT_TRUE(waitFor([&] { return grid->mj_footer()->state() == MJRefreshState::noMoreData; }));
    EXPECT_TRUE(more->films()->items().empty());
    EXPECT_EQ(grid->numberOfItemsInSection(0), 0);
    EXPECT_EQ(more->titleLabel()->text(), "即将上线");
    EXPECT_FALSE(more->films()->isLoading());
    gallery("home-morelist-empty");

    dragUp(grid);
    EXPECT_EQ(apiRequests("/api/indexVodRecList").size(), 1u) << "an empty first page was asked for more";
    pullDown(grid);
    ASSERT_TRUE(waitFor([&] {
        return apiRequests("/api/indexVodRecList").size() == 2 && answered("api/indexVodRecList", 2);
    }));
    playFrames(1);
    EXPECT_EQ(apiRequests("/api/indexVodRecList").back().parameters.find("page")->second, "1");
    EXPECT_FALSE(grid->mj_header()->isRefreshing());
    EXPECT_EQ(grid->mj_footer()->state(), MJRefreshState::noMoreData);
    EXPECT_EQ(apiRequests("/api/indexVodRecList").size(), 2u);
}

// A topic without films: its card says so, and its page shows the topic with no rows.
TEST_F(EmptyListJourney, ATopicWithoutFilmsShowsItsHeaderOverNoRows) {
    auto topics = openTopics();
    ASSERT_NE(topics, nullptr);
    ASSERT_EQ(topics->list().size(), 1u);
    auto card = std::dynamic_pointer_cast<KKtrulyditch>(
        topics->collectionView()->cellForItemAtIndexPath(NSIndexPath::indexPathForItem(0, 0)));
    ASSERT_NE(card, nullptr);
    EXPECT_EQ(card->name()->text(), "即将上映");
    EXPECT_EQ(card->count()->text(), "0个影片");

    ui().tap(card);
    auto topic = topPageAs<KKequationpillViewController>();
    ASSERT_NE(topic, nullptr);
    const auto& table = topic->tableView();
    ASSERT_TRUE(waitFor([&] { return table->mj_footer()->state() == MJRefreshState::noMoreData; }));
    playFrames(1);
    EXPECT_TRUE(topic->list().empty());
    EXPECT_EQ(table->numberOfRowsInSection(0), 0);
    EXPECT_EQ(topic->kkgrapeleap()->titleLabel()->text(), "即将上映");
    EXPECT_EQ(topic->kkgrapeleap()->kkappropriatepostpone()->text(), "共0个影片");
    EXPECT_EQ(topic->kkgrapeleap()->kkcompetentingredient()->text(), "敬请期待。");
    gallery("topic-without-films");
    dragUp(table);
    EXPECT_EQ(apiRequests("/api/themeInfo").size(), 1u) << "an empty first page was asked for more";
}

class NoTopicsJourney : public EmptyListJourney {
  protected:
    std::string topics() const override { return "[]"; }
};

TEST_F(NoTopicsJourney, AnEmptyTopicListShowsNoCardsAndAsksNoFurther) {
    auto topics = openTopics();
    ASSERT_NE(topics, nullptr);
    EXPECT_TRUE(topics->list().empty());
    EXPECT_EQ(topics->collectionView()->numberOfItemsInSection(0), 0);
    EXPECT_FALSE(topics->collectionView()->mj_header()->isRefreshing());
    EXPECT_EQ(ui().findByText("上拉或点击加载更多"), nullptr) << "nothing is shown, yet more is offered";
    gallery("topics-empty");
    dragUp(topics->collectionView());
    EXPECT_EQ(apiRequests("/api/themeList").size(), 1u) << "an empty first page was asked for more";
}

} // namespace
