#include "MainController/Detail/Controller/KKgiganticgloomy.h"
#include "MainController/Library/Controller/KKspectacularaccountantViewController.h"
#include "MainController/Theme/Cell/KKditchgaze.h"
#include "MainController/Theme/Cell/KKtrulyditch.h"
#include "MainController/Theme/Controller/KKequationpillViewController.h"
#include "MainController/Theme/Controller/KKpillleakViewController.h"
#include "app/Constants/ModuleConstants.h"
#include "platform/MJRefresh/MJRefreshFooter.h"
#include "platform/QuartzCore/CAGradientLayer.h"
#include "tests/MainController/Theme/TopicListJourney.h"
#include "tests/support/app/AppJourney.h"
#include "tests/support/app/GridShape.h"

#include <algorithm>
#include <string>

namespace {

class TopicJourney : public TopicListJourney {
  protected:
    // From the library's "主题" button to the loaded topic list.
    std::shared_ptr<KKpillleakViewController> openTopics() {
        return openTopicList([](KKpillleakViewController& topics) { return !topics.list().empty(); });
    }

    // Scrolls `list` with the wheel by `points` (positive: towards the end), a step at a time.
    void scrollBy(const std::shared_ptr<UIScrollView>& list, CGFloat points) {
        const CGFloat step = points > 0 ? 100 : -100;
        for (CGFloat done = 0; std::abs(done) < std::abs(points); done += step) {
            ui().scroll(list, 0, std::abs(points - done) < 100 ? points - done : step);
        }
        playFrames(0.2);
    }

    // Waits until every card in sight shows its topic's picture rather than the placeholder.
    bool waitForCovers() {
        return waitFor([&] {
            const auto cards = ui().findAllOfClass<KKtrulyditch>();
            return !cards.empty() && std::all_of(cards.begin(), cards.end(), [](const auto& card) {
                return card->kkdrainexempt()->image() != placeholderImage();
            });
        });
    }

    // Expects the cards to stand one a row between 15-point margins, `height` points high,
    // each cover with its fade over the whole card.
    void expectCards(const std::shared_ptr<KKpillleakViewController>& topics, CGFloat height) {
        const auto shape = testsupport::app::gridShapeOf(ui(), topics->collectionView());
        EXPECT_TRUE(testsupport::app::hasEvenColumns(shape, 1));
        EXPECT_NEAR(shape.leftMargin, 15, 0.5);
        EXPECT_EQ(shape.item.height, height);
        for (const auto& card : ui().findAllOfClass<KKtrulyditch>()) {
            const auto& cover = card->kkdrainexempt();
            EXPECT_EQ(cover->frame(), card->bounds()) << "the cover fills its card";
            const auto& layers = cover->layer()->sublayers();
            const auto fade =
                layers.empty() ? nullptr : std::dynamic_pointer_cast<CAGradientLayer>(layers.front());
            ASSERT_NE(fade, nullptr) << "the cover has its fade";
            EXPECT_EQ(fade->frame(), cover->bounds()) << "the fade covers the whole card";
        }
    }

    static std::string param(const devservice::RecordedRequest& request, const std::string& key) {
        const auto found = request.parameters.find(key);
        return found == request.parameters.end() ? "<absent>" : found->second;
    }
};

TEST_F(TopicJourney, TopicsFadeTheirBarAndATopicsLongIntroductionPushesItsFilmsDown) {
    auto topics = openTopics();
    ASSERT_NE(topics, nullptr);
    EXPECT_TRUE(topics->hidesBottomBarWhenPushed());
    const auto themeList = apiRequests("/api/themeList");
    ASSERT_EQ(themeList.size(), 1u);
    EXPECT_EQ(param(themeList[0], "page"), "1");
    EXPECT_EQ(param(themeList[0], "pageSize"), "15");
    ASSERT_EQ(topics->list().size(), 7u);
    auto firstCard = std::dynamic_pointer_cast<KKtrulyditch>(
        topics->collectionView()->cellForItemAtIndexPath(NSIndexPath::indexPathForItem(0, 0)));
    ASSERT_NE(firstCard, nullptr);
    EXPECT_EQ(firstCard->name()->text(), "暑期必看大片");
    EXPECT_EQ(firstCard->count()->text(), "8个影片");
    EXPECT_EQ(topics->kkexemptconvention()->backgroundColor().value_or(UIColor{}).alpha, 0);
    EXPECT_TRUE(waitForCovers());
    gallery("topics-list");
    expectCards(topics, 216);

    // The bar fades in with the scroll, fully shown from 100 points on.
    scrollBy(topics->collectionView(), 50);
    EXPECT_NEAR(topics->kkexemptconvention()->backgroundColor().value_or(UIColor{}).alpha, 0.5, 0.01);
    scrollBy(topics->collectionView(), 250);
    EXPECT_EQ(topics->kkexemptconvention()->backgroundColor().value_or(UIColor{}).alpha, 1);
    gallery("topics-list-scrolled");

    // Seven topics are one short page: the footer asks once more and learns there is no more.
    scrollBy(topics->collectionView(), 2000);
    ASSERT_TRUE(waitFor(
        [&] { return topics->collectionView()->mj_footer()->state() == MJRefreshState::noMoreData; }));
    EXPECT_EQ(param(apiRequests("/api/themeList").back(), "page"), "2");
    EXPECT_EQ(topics->list().size(), 7u);

    auto lastCard = topics->collectionView()->cellForItemAtIndexPath(NSIndexPath::indexPathForItem(6, 0));
    ASSERT_NE(lastCard, nullptr);
    ui().tap(lastCard);
    auto topic = topPageAs<KKequationpillViewController>();
    ASSERT_NE(topic, nullptr);
    EXPECT_EQ(topic->topic_id, "7");
    ASSERT_TRUE(waitFor([&] { return topic->list().size() == 15u; }));
    playFrames(0.6);
    const auto info = apiRequests("/api/themeInfo");
    ASSERT_EQ(info.size(), 1u);
    EXPECT_EQ(param(info[0], "topic_id"), "7");
    EXPECT_EQ(param(info[0], "page"), "1");
    EXPECT_EQ(param(info[0], "pageSize"), "15");

    const auto& header = topic->kkgrapeleap();
    EXPECT_EQ(header->titleLabel()->text(), "影史长河：一百年的光影记忆");
    EXPECT_EQ(header->kkappropriatepostpone()->text(), "共18个影片");
    EXPECT_EQ(header->kkcompetentingredient()->text().substr(0, 9), "从默片");
    // The introduction wraps onto many lines and the header follows its last label.
    const auto& table = topic->tableView();
    const CGRect caption = header->kkpostponeoccur()->frame();
    const CGRect headerRect = table->rectForHeaderInSection(0);
    EXPECT_GT(header->kkcompetentingredient()->frame().size.height, 5 * 14);
    EXPECT_DOUBLE_EQ(headerRect.size.height, caption.origin.y + caption.size.height + 15);
    EXPECT_GT(headerRect.size.height, KKequationpillViewController::kEmptyHeaderHeight);
    const CGRect firstRow = table->rectForRowAtIndexPath(NSIndexPath::indexPathForRow(0, 0));
    EXPECT_DOUBLE_EQ(firstRow.origin.y, headerRect.origin.y + headerRect.size.height);
    EXPECT_EQ(firstRow.size.height, KKequationpillViewController::kRowHeight);
    auto row = std::dynamic_pointer_cast<KKditchgaze>(
        table->cellForRowAtIndexPath(NSIndexPath::indexPathForRow(0, 0)));
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->name()->text(), topic->list().front().vodName.value_or(""));
    EXPECT_EQ(row->classType()->text(), topic->list().front().classTypeName.value_or(""));
    EXPECT_EQ(row->desc()->text(), topic->list().front().blurb.value_or(""));
    // The topic's picture arrives as cover and background.
    const auto loaded = [&] {
        const auto cover = header->kkdrainexempt()->image();
        return cover && cover != placeholderImage() && header->backgroundView()->image() == cover;
    };
    ASSERT_TRUE(waitFor(loaded)) << "the topic's picture does not show";
    // Behind the name the same picture shows blurred.
    ASSERT_TRUE(waitFor([&] {
        const auto& blur = header->blurView();
        return blur && blur->backdrop() == header->backgroundView()->image() && blur->blurredBackdrop();
    })) << "the background is not blurred";
    playFrames(0.1);
    gallery("topic-long-introduction");

    // More rows: page 2 brings the last three, page 3 is empty.
    scrollBy(table, 3000);
    ASSERT_TRUE(waitFor([&] { return topic->list().size() == 18u; }));
    EXPECT_EQ(param(apiRequests("/api/themeInfo")[1], "page"), "2");
    EXPECT_EQ(param(apiRequests("/api/themeInfo")[1], "topic_id"), "7");
    scrollBy(table, 3000);
    ASSERT_TRUE(waitFor([&] { return table->mj_footer()->state() == MJRefreshState::noMoreData; }));
    EXPECT_EQ(topic->list().size(), 18u);
    EXPECT_EQ(topic->kkexemptconvention()->backgroundColor().value_or(UIColor{}).alpha, 1);

    // A film opens its resource list.
    const auto visible = table->visibleCells();
    ASSERT_FALSE(visible.empty());
    auto film = visible.back();
    const auto path = table->indexPathForCell(*film);
    ASSERT_TRUE(path.has_value());
    ui().tap(film);
    auto resources = topPageAs<KKgiganticgloomy>();
    ASSERT_NE(resources, nullptr);
    EXPECT_EQ(resources->vod_id, topic->list()[static_cast<std::size_t>(path->row())].vodId.value_or(""));
}

TEST_F(TopicJourney, PagesClosedBeforeTheirAnswersLetTheAnswersGo) {
    auto topics = openTopics();
    ASSERT_NE(topics, nullptr);
    service().setFault("/api/themeInfo", devservice::Fault{.delaySeconds = 0.5});
    auto card = topics->collectionView()->cellForItemAtIndexPath(NSIndexPath::indexPathForItem(0, 0));
    ASSERT_NE(card, nullptr);
    ui().tap(card);
    std::weak_ptr<KKequationpillViewController> topic = topPageAs<KKequationpillViewController>();
    ASSERT_FALSE(topic.expired());
    playFrames(0.6);
    ui().tap(ui().findByAccessibilityIdentifier("theme.back"));
    playFrames(0.6);
    EXPECT_EQ(topPageAs<KKpillleakViewController>(), topics);
    // The answer arrives for a page that is gone: nothing is left to fill.
    ASSERT_TRUE(waitFor([&] { return topic.expired() && apiRequests("/api/themeInfo").size() == 1u; }));
    playFrames(1.0);
    EXPECT_TRUE(topic.expired());

    service().setFault("/api/themeList", devservice::Fault{.delaySeconds = 0.5});
    ui().tap(ui().findByAccessibilityIdentifier("theme.back"));
    playFrames(0.6);
    std::weak_ptr<KKpillleakViewController> gone = topics;
    topics.reset();
    ASSERT_TRUE(waitFor([&] { return gone.expired(); }));
    EXPECT_NE(topPageAs<KKspectacularaccountantViewController>(), nullptr);
}

TEST_F(TopicJourney, AFailedLoadStopsTheControlsAndAsksTheSamePageAgain) {
    auto topics = openTopics();
    ASSERT_NE(topics, nullptr);
    auto card = topics->collectionView()->cellForItemAtIndexPath(NSIndexPath::indexPathForItem(5, 0));
    if (!card) {
        scrollBy(topics->collectionView(), 800);
        card = topics->collectionView()->cellForItemAtIndexPath(NSIndexPath::indexPathForItem(5, 0));
    }
    ASSERT_NE(card, nullptr);
    ui().tap(card);
    auto topic = topPageAs<KKequationpillViewController>();
    ASSERT_NE(topic, nullptr);
    ASSERT_TRUE(waitFor([&] { return topic->list().size() == 15u; }));
    playFrames(0.6);
    service().setFault("/api/themeInfo", devservice::Fault{.status = 500});
    scrollBy(topic->tableView(), 3000);
    ASSERT_TRUE(waitFor([&] {
        return apiRequests("/api/themeInfo").size() == 2u && !topic->tableView()->mj_footer()->isRefreshing();
    }));
    EXPECT_EQ(topic->page(), 1);
    EXPECT_EQ(topic->list().size(), 15u);
    service().clearFaults();
    scrollBy(topic->tableView(), -300);
    scrollBy(topic->tableView(), 3000);
    ASSERT_TRUE(waitFor([&] { return topic->list().size() == 23u; }));
    const auto info = apiRequests("/api/themeInfo");
    EXPECT_EQ(param(info[1], "page"), "2");
    EXPECT_EQ(param(info[2], "page"), "2");
}

class TopicTabletJourney : public TopicJourney {
  protected:
    TopicTabletJourney() { screen = UIScreen::Metrics::tablet(); }
};

TEST_F(TopicTabletJourney, ATabletShowsTallerCardsAcrossTheScreenAndATopicsPage) {
    auto topics = openTopics();
    ASSERT_NE(topics, nullptr);
    EXPECT_TRUE(waitForCovers());
    gallery("tablet-topics-list");
    expectCards(topics, 316);

    auto card = topics->collectionView()->cellForItemAtIndexPath(NSIndexPath::indexPathForItem(0, 0));
    ASSERT_NE(card, nullptr);
    ui().tap(card);
    auto topic = topPageAs<KKequationpillViewController>();
    ASSERT_NE(topic, nullptr);
    ASSERT_TRUE(waitFor([&] { return !topic->list().empty(); }));
    ASSERT_TRUE(waitFor([&] {
        const auto cover = topic->kkgrapeleap()->kkdrainexempt()->image();
        const auto rows = ui().findAllOfClass<KKditchgaze>();
        return cover && cover != placeholderImage() &&
               std::all_of(rows.begin(), rows.end(), [](const auto& row) {
                   return row->kkdrainexempt()->image() != placeholderImage();
               });
    }));
    playFrames(0.6);
    gallery("tablet-topic");
    const CGFloat width = window()->bounds().size.width;
    for (const auto& row : ui().findAllOfClass<KKditchgaze>()) {
        const CGRect frame = ui().frameInWindow(row);
        EXPECT_EQ(frame.size.width, width) << "a film's row spans the screen";
        const CGRect text = ui().frameInWindow(row->desc());
        EXPECT_LE(CGRectGetMaxX(text), width) << "its text stays on the screen";
    }
}

} // namespace
