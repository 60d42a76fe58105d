#include "MainController/Detail/Controller/KKgiganticgloomy.h"
#include "MainController/Home/Cell/KKreformcreate.h"
#include "MainController/Home/Cell/KKsymphonyassume.h"
#include "MainController/Home/View/KKaggravateconcession.h"
#include "MainController/Home/View/KKrubaggravate.h"
#include "app/Constants/ModuleConstants.h"
#include "platform/UIKit/Controllers/UIApplication.h"
#include "platform/UIKit/Controllers/UINavigationController.h"
#include "platform/UIKit/UIWindow.h"
#include "tests/support/TestSupport.h"
#include "tests/support/ui/UIDriver.h"
#include "tests/support/ui/ViewPicture.h"

#include <gtest/gtest.h>

namespace {

class HomeViews : public testing::Test {
  protected:
    void SetUp() override {
        testsupport::useVirtualClock();
        window = std::make_shared<UIWindow>(CGRectMake(0, 0, 390, 844));
        root = std::make_shared<UIViewController>();
        navigation = std::make_shared<UINavigationController>(root);
        window->setRootViewController(navigation);
        window->makeKeyAndVisible();
        window->layoutIfNeeded();
        // The application's window, where cells find the page on top.
        delegate->window = window;
        UIApplication::sharedApplication()->setDelegate(delegate);
        driver.emplace(window);
    }
    void TearDown() override { UIApplication::sharedApplication()->setDelegate(nullptr); }
    void advance(double seconds) { driver->advance(seconds); }

    std::shared_ptr<UIApplicationDelegate> delegate = std::make_shared<UIApplicationDelegate>();
    std::optional<testsupport::ui::UIDriver> driver;
    std::shared_ptr<UIWindow> window;
    std::shared_ptr<UIViewController> root;
    std::shared_ptr<UINavigationController> navigation;
};

TEST_F(HomeViews, TheContinueCardFadesOutBeforeItLeavesEvenWithoutACloseAction) {
    auto card = KKaggravateconcession::make();
    card->setFrame({{15, 600}, {360, 54}});
    root->view()->addSubview(card);
    card->kkadjacenttechnician()->sendActionsForControlEvents(UIControlEventTouchUpInside);
    EXPECT_EQ(card->superview(), root->view()) << "still there while it fades";
    card->dismiss(); // a second dismissal changes nothing
    advance(0.2);
    EXPECT_TRUE(card->superview());
    advance(0.15);
    EXPECT_FALSE(card->superview());

    auto closed = KKaggravateconcession::make();
    int closes = 0;
    closed->clickClose = [&] { ++closes; };
    root->view()->addSubview(closed);
    closed->kkadjacenttechnician()->sendActionsForControlEvents(UIControlEventTouchUpInside);
    EXPECT_EQ(closes, 1);
    advance(0.5);
    EXPECT_FALSE(closed->superview());
}

TEST_F(HomeViews, AShelfWithoutFilmsShowsNothingAndIgnoresTaps) {
    auto shelf = std::make_shared<KKsymphonyassume>();
    shelf->setFrame({{0, 0}, {390, 216}});
    root->view()->addSubview(shelf);
    window->layoutIfNeeded();
    EXPECT_EQ(shelf->collectionView()->numberOfItemsInSection(0), 0);
    shelf->didSelectItemAt(*shelf->collectionView(), {0, 0});
    EXPECT_EQ(navigation->viewControllers().size(), 1u);

    shelf->list = std::vector<JSON>{JSON::parse(R"({"vod_id":"1001","vod_name":"甲"})"),
                                    JSON::parse(R"({"vod_id":"1002","vod_name":"乙"})")};
    shelf->collectionView()->reloadData();
    window->layoutIfNeeded();
    EXPECT_EQ(shelf->collectionView()->numberOfItemsInSection(0), 2);
    shelf->didSelectItemAt(*shelf->collectionView(), {0, 1});
    advance(1);
    const auto film = std::dynamic_pointer_cast<KKgiganticgloomy>(navigation->topViewController());
    ASSERT_TRUE(film) << "a poster opens the film from the page on top";
    EXPECT_EQ(film->vod_id, "1002");
    shelf->didSelectItemAt(*shelf->collectionView(), {0, 7});
    EXPECT_EQ(navigation->viewControllers().size(), 2u) << "past the films: nothing";
}

TEST_F(HomeViews, ACardShowsOneRatedRowPerFilmAndDropsThePreviousRows) {
    auto card = std::make_shared<KKreformcreate>(CGRectMake(0, 0, 212, 276));
    root->view()->addSubview(card);
    card->configure(JSON::parse(R"({"bgpic":"not an address","rec_name":"本周热播","list":[
        {"vod_id":"1","vod_name":"甲","vod_douban_score":"7.8"},
        {"vod_id":"2","vod_name":"乙","vod_douban_score":"6.6"},
        {"vod_id":"3","vod_name":"丙","vod_douban_score":"abc"}]})"));
    window->layoutIfNeeded();
    EXPECT_EQ(card->title()->text(), "本周热播");
    EXPECT_EQ(card->kkdrainexempt()->image(), placeholderImage());
    const auto& rows = card->kkloungecandy()->arrangedSubviews();
    ASSERT_EQ(rows.size(), 3u);
    const auto second = std::dynamic_pointer_cast<KKrubaggravate>(rows[1]);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->title()->text(), "乙");
    EXPECT_EQ(second->score()->text(), "6.6");
    EXPECT_EQ(second->stars()[2]->image(), UIImage::imageNamed("start_light"));
    EXPECT_EQ(second->stars()[3]->image(), UIImage::imageNamed("start_half"));
    EXPECT_EQ(second->stars()[4]->image(), UIImage::imageNamed("start"));
    EXPECT_EQ(second->frame().size, (CGSize{212, 58}));

    card->configure(JSON::parse(R"({"rec_name":"高分佳作"})"));
    EXPECT_TRUE(card->kkloungecandy()->arrangedSubviews().empty()) << "a card without films has no rows";
    EXPECT_TRUE(card->kkloungecandy()->subviews().empty());
}

// A film that comes without a poster or a score: its row shows the placeholder poster,
// the film's name and five unlit stars, and no score at all (never a made-up one).
TEST_F(HomeViews, ANewRatingRowShowsItsPlaceholders) {
    auto card = std::make_shared<KKreformcreate>(CGRectMake(0, 0, 212, 276));
    root->view()->addSubview(card);
    card->configure(JSON::parse(R"({"rec_name":"新片速递","list":[{"vod_id":"9","vod_name":"无名之辈"}]})"));
    window->layoutIfNeeded();
    const auto& rows = card->kkloungecandy()->arrangedSubviews();
    ASSERT_EQ(rows.size(), 1u);
    const auto row = std::dynamic_pointer_cast<KKrubaggravate>(rows[0]);
    ASSERT_TRUE(row);
    EXPECT_NE(driver->findByText("无名之辈"), nullptr);
    for (const std::string madeUp : {"9.9", "name"}) {
        EXPECT_EQ(driver->findByText(madeUp), nullptr) << madeUp;
    }

    const testsupport::ui::ViewPicture picture(*card);
    const CGRect poster = row->kkdrainexempt()->convertRectToView(row->kkdrainexempt()->bounds(), card.get());
    const Pixel ground = picture.at(poster.minX() + 4, poster.minY() + 4);
    EXPECT_NEAR(ground.r, 0x2F, 3);
    EXPECT_NEAR(ground.b, 0x35, 3);
    ASSERT_EQ(row->stars().size(), 5u);
    for (const auto& star : row->stars()) {
        const CGRect drawn = star->convertRectToView(star->bounds(), card.get());
        const Pixel middle = picture.at(drawn.midX(), drawn.midY());
        EXPECT_NEAR(middle.r, 0x5E, 4) << "an unlit star is not drawn at " << drawn.midX();
        EXPECT_NEAR(middle.b, 0x66, 4);
    }
}

} // namespace
