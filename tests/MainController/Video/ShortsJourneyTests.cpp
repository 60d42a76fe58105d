#include "MainController/Video/Controller/KKleanceaseViewController.h"
#include "platform/QMUIKit/QMUITips.h"
#include "platform/SDWebImage/SDImageCache.h"
#include "platform/UIKit/Controllers/UIApplication.h"
#include "tests/MainController/Video/ShortsJourneySupport.h"
#include "tests/support/app/GridShape.h"

#include <algorithm>

namespace {

using ShortsJourney = shortsjourney::ShortsJourneyTest;

TEST_F(ShortsJourney, FeedPlaysFromPrefetchedBytesAndGrowsByEveryAnswer) {
    const auto page = openFeed();
    ASSERT_TRUE(page);
    const auto displays = apiRequests("/api/v1/video/display");
    ASSERT_EQ(displays.size(), 1u);
    EXPECT_EQ(displays[0].parameters.at("page"), "1");
    EXPECT_EQ(displays[0].parameters.at("num"), "16");
    ASSERT_EQ(page->list.size(), 16u);
    EXPECT_EQ(cellAt(0)->titleLabel()->text(), page->list[0]->title);
    EXPECT_TRUE(cellAt(0)->coverImageView()->isHidden()) << "the cover gives way to the picture";
    EXPECT_TRUE(QMUITips::shownTips().empty()) << "the loading tip stays after the feed arrived";
    playFrames(0.5);
    gallery("shorts-feed-playing");
    // The videos come through the proxy from a name that only the service's resolver knows.
    EXPECT_TRUE(page->list[0]->playAddr.value_or("").starts_with("https://media.orvex.test:"));
    EXPECT_FALSE(systemResolverKnows("media.orvex.test"));
    EXPECT_GT(service().resolverQueries("media.orvex.test"), 0u);

    // The next video is prefetched while the first plays; its last segment reaches the
    // proxy before the person swipes.
    ASSERT_TRUE(waitFor([&] { return mediaPathsOf(2).contains("/media/short/2/v0/seg002.ts"); }))
        << "the next video was not prefetched";
    const auto fetchedBefore = requestsUnder("/media/short/2/");
    const auto firstPlayer = cellAt(0)->player();

    swipeUp();
    ASSERT_EQ(settledItem(), 1);
    ASSERT_TRUE(waitFor([&] { return cellAt(1) && showsPicture(*cellAt(1)); }))
        << "the next video does not play";
    EXPECT_EQ(page->curPlayer(), cellAt(1)->player());
    EXPECT_TRUE(firstPlayer->isPaused());
    EXPECT_FALSE(firstPlayer->isUserPaused());
    EXPECT_EQ(requestsUnder("/media/short/2/"), fetchedBefore)
        << "the prefetched bytes did not serve the video";

    // Near the end more videos are asked for, one request at a time; the answer is
    // appended as it came, repeats included.
    service().setFault("api/v1/video/display", {.delaySeconds = 2, .times = 1});
    page->collectionView()->scrollToItemAtIndexPath(NSIndexPath::indexPathForItem(13, 0),
                                                    UICollectionViewScrollPositionTop, false);
    ASSERT_TRUE(waitUntilSettled());
    EXPECT_EQ(apiRequests("/api/v1/video/display").size(), 1u) << "item 13 of 16 asks for nothing";
    swipeUp();
    ASSERT_EQ(settledItem(), 14);
    // The reused cell shows nothing or its own item's cover, never the cover of its last item.
    const auto coverOf = [](const std::shared_ptr<KKcontrastpierce>& item) {
        return SDImageCache::sharedImageCache().imageFromMemoryCacheForKey(item->cover.value_or(""));
    };
    const auto cover = cellAt(14)->coverImageView();
    EXPECT_TRUE(cover->image() == nullptr || cover->image() == coverOf(page->list[14]));
    EXPECT_TRUE(waitFor([&] { return cover->image() && cover->image() == coverOf(page->list[14]); }));
    EXPECT_EQ(cellAt(14)->titleLabel()->text(), page->list[14]->title);
    page->collectionView()->scrollToItemAtIndexPath(NSIndexPath::indexPathForItem(15, 0),
                                                    UICollectionViewScrollPositionTop, false);
    ASSERT_TRUE(waitUntilSettled());
    ASSERT_TRUE(waitFor([&] { return page->list.size() > 16; }));
    EXPECT_EQ(apiRequests("/api/v1/video/display").size(), 2u) << "a second request while one was in flight";
    // The service's feed goes on with the four videos not shown yet, then comes round to
    // the first ones again: all sixteen are appended.
    ASSERT_EQ(page->list.size(), 32u);
    EXPECT_EQ(page->collectionView()->numberOfItemsInSection(0), 32);
    EXPECT_EQ(page->list[20]->vid, page->list[0]->vid);
    EXPECT_NE(page->list[20], page->list[0]);
    page->collectionView()->scrollToItemAtIndexPath(NSIndexPath::indexPathForItem(19, 0),
                                                    UICollectionViewScrollPositionTop, false);
    ASSERT_TRUE(waitUntilSettled());
    swipeUp();
    ASSERT_EQ(settledItem(), 20);
    EXPECT_TRUE(waitFor([&] { return cellAt(20) && showsPicture(*cellAt(20)); })) << "a repeat plays again";
}

TEST_F(ShortsJourney, ARepeatedPageGrowsTheFeedOncePerScrollAndKeepsThePlayingAndThePausedVideo) {
    // A service that answers page 1 with the same sixteen videos every time, held until the
    // journey lets the answers go.
    service().setFault("api/v1/video/display", {.samePage = true});
    const auto page = openFeed();
    ASSERT_TRUE(page);
    const auto requests = [&] { return apiRequests("/api/v1/video/display").size(); };
    page->collectionView()->scrollToItemAtIndexPath(NSIndexPath::indexPathForItem(13, 0),
                                                    UICollectionViewScrollPositionTop, false);
    ASSERT_TRUE(waitUntilSettled());
    service().setFault("api/v1/video/display", {.held = true, .samePage = true});

    // Scrolling to the end asks once, whichever of the last items comes to rest.
    swipeUp();
    ASSERT_EQ(settledItem(), 14);
    ASSERT_TRUE(waitFor([&] { return requests() == 2; }));
    swipeUp();
    ASSERT_EQ(settledItem(), 15);
    const auto player = cellAt(15)->player();
    ASSERT_TRUE(waitFor([&] { return showsPicture(*cellAt(15)) && player->currentTime() > 0.3; }));
    const auto asset = player->URLAsset();
    double last = player->currentTime();
    bool wentBack = false;
    const auto position = [&] {
        const double now = player->currentTime();
        wentBack = wentBack || now < last;
        last = now;
        return now;
    };
    const double before = position();
    EXPECT_EQ(requests(), 2u) << "a second request while one was held";

    // The answer is appended while the video plays on: it is not started again, and the
    // feed asks for nothing more until the person scrolls to the end again.
    service().releaseHeldRequests();
    ASSERT_TRUE(waitFor([&] {
        position();
        return page->list.size() == 32;
    }));
    ASSERT_TRUE(waitFor([&] { return position() > before + 1; })) << "the video stopped";
    EXPECT_FALSE(wentBack) << "the append started the playing video again";
    EXPECT_EQ(player->URLAsset(), asset);
    EXPECT_EQ(page->curPlayer(), player);
    EXPECT_EQ(requests(), 2u);
    EXPECT_EQ(page->list[16]->vid, page->list[0]->vid) << "the repeated page is appended as it came";

    // A video the person paused stays paused when the next answer arrives.
    page->collectionView()->scrollToItemAtIndexPath(NSIndexPath::indexPathForItem(29, 0),
                                                    UICollectionViewScrollPositionTop, false);
    ASSERT_TRUE(waitUntilSettled());
    EXPECT_EQ(requests(), 2u) << "item 29 of 32 asks for nothing";
    service().setFault("api/v1/video/display", {.held = true, .samePage = true});
    swipeUp();
    ASSERT_EQ(settledItem(), 30);
    ASSERT_TRUE(waitFor([&] { return requests() == 3; }));
    const auto paused = cellAt(30);
    ASSERT_TRUE(waitFor([&] { return showsPicture(*paused); }));
    ui().tap(paused->player()->view());
    ASSERT_TRUE(waitFor([&] { return paused->player()->isUserPaused(); }));
    const auto pausedAsset = paused->player()->URLAsset();
    service().releaseHeldRequests();
    ASSERT_TRUE(waitFor([&] { return page->list.size() == 48; }));
    playFrames(0.5);
    EXPECT_TRUE(paused->player()->isUserPaused());
    EXPECT_TRUE(paused->player()->isPaused());
    EXPECT_FALSE(paused->playImageView()->isHidden());
    EXPECT_EQ(paused->player()->URLAsset(), pausedAsset);
    EXPECT_EQ(requests(), 3u);
}

TEST_F(ShortsJourney, TapsPauseAndPlayAndAFailedVideoSaysSoInItsOwnCell) {
    service().setFault("media/short/2/*", {.status = 404});
    const auto page = openFeed();
    ASSERT_TRUE(page);
    const auto cell = cellAt(0);
    const auto player = cell->player();

    ui().tap(player->view());
    ASSERT_TRUE(waitFor([&] { return player->isUserPaused() && !cell->playImageView()->isHidden(); }));
    EXPECT_TRUE(player->isPaused());
    EXPECT_DOUBLE_EQ(cell->playImageView()->alpha(), 0.5);
    gallery("shorts-feed-paused");

    // A small scroll that comes back to rest on the paused video leaves it paused.
    const CGRect bounds = window()->bounds();
    ui().drag({bounds.size.width / 2, bounds.size.height / 2},
              {bounds.size.width / 2, bounds.size.height / 2 - 40}, 0.6, 10);
    ASSERT_TRUE(waitUntilSettled());
    EXPECT_EQ(settledItem(), 0);
    EXPECT_TRUE(player->isUserPaused());
    EXPECT_TRUE(player->isPaused());

    ui().tap(player->view());
    ASSERT_TRUE(waitFor([&] { return player->isPlaying() && cell->playImageView()->isHidden(); }));
    EXPECT_FALSE(player->isUserPaused());

    // Videos loop: the end starts the video again.
    player->seekToTime(player->duration() - 0.3);
    ASSERT_TRUE(waitFor([&] { return player->currentTime() > player->duration() - 1; }));
    ASSERT_TRUE(waitFor([&] { return player->isPlaying() && player->currentTime() < 1; }))
        << "the video did not loop";

    // The background pauses the video; coming back does not resume it.
    auto& application = *UIApplication::sharedApplication();
    application.hostStateChanged(UIApplicationState::background);
    ASSERT_TRUE(waitFor([&] { return player->isPaused(); }));
    application.hostStateChanged(UIApplicationState::active);
    playFrames(1);
    EXPECT_TRUE(player->isPaused()) << "the foreground resumed the video";
    ui().tap(player->view());
    ASSERT_TRUE(waitFor([&] { return player->isPlaying(); }));

    // The second video's address fails: its own cell says so, nothing else does.
    swipeUp();
    ASSERT_EQ(settledItem(), 1);
    const auto failed = cellAt(1);
    auto errorTipIn = [](const std::shared_ptr<UIView>& view) {
        const auto& tips = QMUITips::shownTips();
        return std::any_of(tips.begin(), tips.end(), [&](const QMUITips::Tip& tip) {
            return tip.kind == QMUITips::Kind::error && tip.text == KKsuggestionpreparation::errorText &&
                   tip.view.lock() == view;
        });
    };
    ASSERT_TRUE(waitFor([&] { return errorTipIn(failed->contentView()); }))
        << "no error text in the failed cell";
    EXPECT_FALSE(failed->coverImageView()->isHidden()) << "the cover stays over a failed video";
    EXPECT_TRUE(player->isPaused()) << "the video scrolled away from pauses";
    playFrames(0.3);
    gallery("shorts-feed-error");
    for (const auto& tip : QMUITips::shownTips()) {
        EXPECT_FALSE(tip.kind == QMUITips::Kind::error && tip.view.lock() != failed->contentView())
            << "an error tip outside the failed cell: " << tip.text;
    }

    // Swiping on keeps the feed playing.
    swipeUp();
    ASSERT_EQ(settledItem(), 2);
    EXPECT_TRUE(waitFor([&] { return cellAt(2) && showsPicture(*cellAt(2)); }))
        << "the feed stopped at the failure";
}

TEST_F(ShortsJourney, LeftSwipeOpensTheGridAndATileOpensTheFeedAtItsVideo) {
    ASSERT_TRUE(openFeed());
    const auto playing = feed()->curPlayer();
    const CGRect bounds = window()->bounds();
    ui().drag({bounds.size.width * 0.8, bounds.size.height / 2},
              {bounds.size.width * 0.2, bounds.size.height / 2}, 0.2, 8);
    ASSERT_TRUE(waitFor([&] { return topPageAs<KKleanceaseViewController>() != nullptr; })) << "no grid";
    EXPECT_TRUE(playing->isPaused()) << "leaving the feed pauses its video";
    const auto grid = topPageAs<KKleanceaseViewController>();
    ASSERT_TRUE(waitFor([&] { return grid->list().size() == 16 && ui().findByText("短视频"); }));
    ASSERT_TRUE(waitForText(grid->list()[0]->desc.value_or("")));
    ASSERT_TRUE(waitFor([&] { return coversShown(*grid); })) << "the covers of the tiles did not load";
    playFrames(1);
    gallery("shorts-grid");
    EXPECT_TRUE(
        testsupport::app::hasEvenColumns(testsupport::app::gridShapeOf(ui(), grid->collectionView()), 2))
        << "a phone shows two tiles across";

    const auto requestsBefore = apiRequests("/api/v1/video/display").size();
    grid->collectionView()->scrollToItemAtIndexPath(NSIndexPath::indexPathForItem(5, 0),
                                                    UICollectionViewScrollPositionCenteredVertically, false);
    playFrames(0.2);
    const auto tile = grid->collectionView()->cellForItemAtIndexPath(NSIndexPath::indexPathForItem(5, 0));
    ASSERT_TRUE(tile);
    ui().tap(tile);
    ASSERT_TRUE(waitFor([&] {
        const auto full = feed();
        return full && full->isShowFull && settledItem() == 5 && cellAt(5) && showsPicture(*cellAt(5));
    })) << "the feed does not open at the tapped video";
    const auto full = feed();
    EXPECT_EQ(full->list[5], grid->list()[5]);
    EXPECT_EQ(full->curPlayer(), cellAt(5)->player());
    EXPECT_EQ(apiRequests("/api/v1/video/display").size(), requestsBefore)
        << "the full-screen feed asks for nothing";

    // Its back button returns to the grid, once the push is over.
    playFrames(1);
    ui().tap(full->kkdilemmaspectacular());
    ASSERT_TRUE(waitFor([&] { return topPageAs<KKleanceaseViewController>() == grid; }));
}

// The grid closed while the service holds its answer back is gone at once (a completion
// that held it would keep it alive until the answer came); the answer, let through later,
// changes nothing on the feed that is still open.
TEST_F(ShortsJourney, PagesClosedBeforeTheirAnswersArriveLetThemGo) {
    ASSERT_TRUE(openFeed());
    const auto handled = [&] {
        const auto lines = consoleLines();
        return std::count(lines.begin(), lines.end(), "api/v1/video/display");
    };
    service().setFault("api/v1/video/display", {.times = 1, .held = true});
    const CGRect bounds = window()->bounds();
    ui().drag({bounds.size.width * 0.8, bounds.size.height / 2},
              {bounds.size.width * 0.2, bounds.size.height / 2}, 0.2, 8);
    ASSERT_TRUE(waitFor([&] { return topPageAs<KKleanceaseViewController>() != nullptr; }));
    playFrames(1);
    std::weak_ptr<KKleanceaseViewController> grid = topPageAs<KKleanceaseViewController>();
    ASSERT_TRUE(waitFor([&] { return apiRequests("/api/v1/video/display").size() == 2; }));
    const auto answered = handled();
    ui().tap(grid.lock()->kkdilemmaspectacular());
    ASSERT_TRUE(waitFor([&] { return feed() != nullptr && grid.expired(); }))
        << "the grid lives on while its answer is held back";
    EXPECT_EQ(handled(), answered) << "the held answer came early";

    const auto shown = feed()->list.size();
    const auto playing = feed()->curPlayer();
    service().releaseHeldRequests();
    ASSERT_TRUE(waitFor([&] { return handled() == answered + 1; })) << "the held answer never came";
    playFrames(0.5);
    EXPECT_EQ(feed()->list.size(), shown);
    EXPECT_EQ(feed()->curPlayer(), playing);
}

class ShortsTabletJourney : public ShortsJourney {
  protected:
    ShortsTabletJourney() { screen = UIScreen::Metrics::tablet(); }
};

TEST_F(ShortsTabletJourney, ATabletShowsTheFeedFullHeightAndFourTilesAcrossInTheGrid) {
    ASSERT_TRUE(openFeed());
    const CGRect video = ui().frameInWindow(cellAt(0));
    EXPECT_EQ(video.size.width, window()->bounds().size.width) << "the video spans the screen";
    gallery("tablet-shorts-feed");

    const auto grid = openGrid();
    ASSERT_TRUE(grid);
    gallery("tablet-shorts-grid");
    const auto shape = testsupport::app::gridShapeOf(ui(), grid->collectionView());
    EXPECT_TRUE(testsupport::app::hasEvenColumns(shape, 4));
    EXPECT_NEAR(shape.leftMargin, 15, 0.5);
    EXPECT_NEAR(shape.item.height / shape.item.width, 5.0 / 3, 0.001) << "upright 3:5 tiles";
}

} // namespace
