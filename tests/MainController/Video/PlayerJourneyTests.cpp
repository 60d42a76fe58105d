// The player page's reactions to its player: intro and outro skipping, the next episode,
// full screen with its items and the episode strip, and the second engine.
#include "MainController/Video/Cell/KKintegratecompatible.h"
#include "MainController/Video/View/KKenrichchop.h"
#include "app/Records/KKreapedit.h"
#include "platform/SJBaseVideoPlayer/Playback/SJAliMediaPlaybackController.h"
#include "platform/host/ScreenRenderer.h"
#include "tests/MainController/Video/TitleJourneySupport.h"

namespace {

using PlayerJourney = titletest::TitleJourneyTest;

void storeSkipRecord(const std::string& vodId, double intro, double outro) {
    KKreapedit record;
    record.vod_id = vodId;
    record.startProgress = intro;
    record.endProgress = outro;
    ASSERT_TRUE(record.save());
}

// The service's episodes last 6 seconds. With 2 seconds of intro and of outro to skip,
// an episode starts at 2, the outro is announced at once (less than 10 s remain) and at
// 4 seconds the player jumps to the end, which starts the next episode.
TEST_F(PlayerJourney, SkipsTheIntroOnceAndTheOutroToTheNextEpisode) {
    storeSkipRecord("1022", 2, 2);
    auto page = openPlayer("1022", "hnm3u8");
    ASSERT_TRUE(waitFor([&] { return page->player()->isPlaying(); }, 60));
    ASSERT_TRUE(waitFor([&] { return page->player()->currentTime() >= 2.0; }));
    EXPECT_TRUE(page->isSeek);
    EXPECT_TRUE(shows("已为你跳过片头"));
    EXPECT_FALSE(shows("设置开启跳过片头片尾")) << "a title with a skip record is not offered the editor";
    ASSERT_TRUE(waitFor([&] { return page->isSeekEnd; }));
    EXPECT_TRUE(shows("10s后为您跳过片尾 [取消]"));
    gallery("detail-player-outro-announced");

    ASSERT_TRUE(waitFor([&] { return page->index.item == 1; }, 30));
    ASSERT_TRUE(waitFor([&] {
        auto asset = page->player()->URLAsset();
        return asset && asset->mediaURL().find("/1022/2/") != std::string::npos;
    }));
    EXPECT_EQ(page->episode, "第02集");
    // The next episode skips its own intro again.
    ASSERT_TRUE(
        waitFor([&] { return page->player()->isPlaying() && page->player()->currentTime() >= 2.0; }, 60));
    EXPECT_TRUE(page->isSeek);
}

// Without a skip record a start offers the skip setting; ticks before the media's length
// is known never announce or skip an outro.
TEST_F(PlayerJourney, NoOutroLogicWithoutAKnownDurationOrAnOutroToSkip) {
    auto page = openPlayer("1030", "hnm3u8");
    ASSERT_TRUE(waitFor([&] { return page->player()->URLAsset() != nullptr; }, 30));
    EXPECT_TRUE(shows("设置开启跳过片头片尾"));

    storeSkipRecord("1030", 0, 3);
    service().setFault("media/*", devservice::Fault{.status = 404});
    tapEpisode(*page, 1);
    ASSERT_TRUE(waitFor([&] { return page->player()->assetStatus() == SJAssetStatusFailed; }, 30));
    ASSERT_EQ(page->player()->duration(), 0.0);
    // A tick of the unknown-length media.
    page->player()->playbackObserver().currentTimeDidChangeExeBlock(*page->player());
    EXPECT_FALSE(page->isSeekEnd);
    EXPECT_FALSE(shows("10s后为您跳过片尾 [取消]"));
}

TEST_F(PlayerJourney, FullScreenShowsItsItemsAndTheEpisodeStripSwitchesEpisodes) {
    auto page = openPlayer("1021", "ffm3u8");
    ASSERT_TRUE(waitForPlayback(*page, 0.5));
    const auto& layer = page->player()->defaultEdgeControlLayer();
    toggleFullScreen(*page);
    ASSERT_TRUE(page->isFull);
    const auto& bar = *layer->bottomAdapter();
    ASSERT_TRUE(bar.indexOfItemForTag(1000) && bar.indexOfItemForTag(1002));
    EXPECT_LT(*bar.indexOfItemForTag(1000), *bar.indexOfItemForTag(1002));
    EXPECT_LT(*bar.indexOfItemForTag(1002), *bar.indexOfItemForTag(SJEdgeControlLayerBottomItem_Full));
    layer->setAppeared(true, false);
    EXPECT_TRUE(shows("倍速"));
    ASSERT_TRUE(shows("选集"));
    gallery("detail-player-fullscreen");

    ui().tap(page->kksubtleemployment());
    playFrames(0.6);
    auto strip = ui().findByClass<KKenrichchop>();
    ASSERT_NE(strip, nullptr);
    EXPECT_EQ(strip->list.size(), page->list.size());
    gallery("detail-player-episode-strip");
    auto tile = strip->collectionView()->cellForItemAtIndexPath(NSIndexPath::indexPathForItem(4, 0));
    ASSERT_NE(tile, nullptr);
    ui().tap(tile);
    playFrames(0.6);
    EXPECT_EQ(ui().findByClass<KKenrichchop>(), nullptr) << "the strip slid out and went";
    EXPECT_EQ(page->index.item, 4);
    ASSERT_TRUE(waitFor([&] {
        auto asset = page->player()->URLAsset();
        return asset && asset->mediaURL().find("/1021/5/") != std::string::npos;
    }));

    // Leaving full screen takes the items away again.
    toggleFullScreen(*page);
    ASSERT_FALSE(page->isFull);
    EXPECT_FALSE(layer->bottomAdapter()->indexOfItemForTag(1000).has_value());
    EXPECT_FALSE(layer->bottomAdapter()->indexOfItemForTag(1002).has_value());
}

// Full screen turns the desktop window itself: a landscape screen at the same scale with
// the picture upright in it, the controls clear of a turned phone's housing and home
// indicator, and the page's own window left as it was beneath. Leaving full screen brings
// the upright window back with the page, its grid and its playback as they were.
TEST_F(PlayerJourney, FullScreenTurnsTheWindowToLandscapeWithThePictureUprightAndBackToThePage) {
    auto page = openPlayer("1021", "ffm3u8");
    ASSERT_TRUE(waitForPlayback(*page, 0.5));
    // A page a person has used: another episode chosen, the grid scrolled, a faster speed.
    tapEpisode(*page, 6);
    ASSERT_TRUE(waitFor([&] {
        auto asset = page->player()->URLAsset();
        return asset && asset->mediaURL().find("/1021/7/") != std::string::npos;
    }));
    ASSERT_TRUE(waitForPlayback(*page, 0.5));
    auto& grid = *page->collectionView();
    grid.setContentOffset({0, 150}, false);
    playFrames(0.2);
    page->player()->setRate(1.25F);
    const CGPoint scrolled = grid.contentOffset();
    ASSERT_GT(scrolled.y, 0);
    const std::string mediaURL = page->player()->URLAsset()->mediaURL();
    EXPECT_TRUE(pictureIsUpright(*page)) << "upright on the page";

    toggleFullScreen(*page);
    ASSERT_TRUE(page->isFull);
    const UIScreen& screen = UIScreen::mainScreen();
    EXPECT_EQ(screen.bounds().size, (CGSize{844, 390}));
    EXPECT_EQ(screen.scale(), 2);
    const auto turned = page->player()->rotationManager().fullscreenWindow();
    ASSERT_NE(turned, nullptr);
    EXPECT_TRUE(turned->isKeyWindow());
    EXPECT_EQ(turned->frame(), screen.bounds());
    EXPECT_EQ(turned->safeAreaInsets(), (UIEdgeInsets{0, 47, 21, 47}));
    EXPECT_EQ(window()->frame().size, (CGSize{390, 844})) << "the page's window keeps its layout";
    const auto& controls = page->player()->defaultEdgeControlLayer();
    controls->setAppeared(true, false);
    const CGRect bar = ui().frameInWindow(controls->bottomAdapter());
    EXPECT_GE(bar.minX(), 47);
    EXPECT_LE(bar.maxX(), 844 - 47);
    EXPECT_LE(bar.maxY(), 390 - 21);
    {
        ScreenRenderer shown;
        shown.renderFrame();
        EXPECT_EQ(shown.pixelWidth(), 1688);
        EXPECT_EQ(shown.pixelHeight(), 780);
    }
    // A new picture drawn since the turn, with nothing over it.
    const double turnedAt = page->player()->currentTime();
    ASSERT_TRUE(waitForPlayback(*page, turnedAt + 0.3));
    const CGRect picture = pictureRect(*page);
    EXPECT_NEAR(picture.height(), 390, 1) << "the 16:9 picture fills the turned window's height";
    EXPECT_NEAR(picture.width(), 390 * 16.0 / 9, 1);
    EXPECT_TRUE(pictureIsUpright(*page)) << "upright in full screen";

    toggleFullScreen(*page);
    ASSERT_FALSE(page->isFull);
    EXPECT_EQ(screen.bounds().size, (CGSize{390, 844}));
    EXPECT_EQ(page->player()->rotationManager().fullscreenWindow(), nullptr);
    EXPECT_TRUE(window()->isKeyWindow());
    EXPECT_EQ(topPage(), page);
    EXPECT_EQ(grid.contentOffset(), scrolled);
    EXPECT_EQ(page->index.item, 6);
    EXPECT_EQ(page->episode, "第07集");
    EXPECT_EQ(page->player()->URLAsset()->mediaURL(), mediaURL);
    EXPECT_EQ(page->player()->rate(), 1.25F);
    EXPECT_EQ(page->player()->presentView()->window(), window().get());
    const double backAt = page->player()->currentTime();
    ASSERT_TRUE(waitForPlayback(*page, backAt + 0.3)) << "still playing";
    EXPECT_NEAR(pictureRect(*page).width(), 390, 1);
    EXPECT_TRUE(pictureIsUpright(*page)) << "upright on the page again";
}

// The platform engine fails to load the episode until the fifth failure it reports (a
// failed load may report more than once); the second engine then plays the episode.
TEST_F(PlayerJourney, TheSecondEngineTakesOverAfterFiveFailedLoads) {
    const std::string master = "media/hnm3u8/1027/2/master.m3u8";
    service().setFault(master, devservice::Fault{.status = 404});
    auto page = openPlayer("1027", "hnm3u8");
    ASSERT_TRUE(waitFor([&] { return page->list.size() > 2; }));
    int attempts = 0;
    while (!page->isChangePlayer && attempts < 5) {
        const int failures = page->changeCount;
        tapEpisode(*page, 1);
        ++attempts;
        ASSERT_TRUE(waitFor([&] { return page->changeCount > failures; }, 30)) << "attempt " << attempts;
    }
    ASSERT_TRUE(page->isChangePlayer) << "no switch after five failed loads";
    EXPECT_GE(page->changeCount, 5);
    EXPECT_NE(std::dynamic_pointer_cast<SJAliMediaPlaybackController>(page->player()->playbackController()),
              nullptr);
    // With the media reachable again, the episode plays on the second engine.
    service().clearFault(master);
    tapEpisode(*page, 1);
    ASSERT_TRUE(waitForPlayback(*page, 0.5));
    EXPECT_EQ(page->index.item, 1);
    EXPECT_NE(std::dynamic_pointer_cast<SJAliMediaPlaybackController>(page->player()->playbackController()),
              nullptr);
    EXPECT_NE(page->player()->URLAsset()->mediaURL().find("/1027/2/"), std::string::npos);
}

// The service hands its media out under a name that only its resolver knows: the episode
// plays on the platform engine and, after the fallback, on the second engine, both
// resolving the name through the application's resolver.
TEST_F(PlayerJourney, MediaOnAServiceNamePlaysOnBothEnginesThroughTheResolver) {
    constexpr const char* kMediaHost = "media.orvex.test";
    ASSERT_FALSE(systemResolverKnows(kMediaHost));
    auto page = openPlayer("1027", "hnm3u8");
    ASSERT_TRUE(waitForPlayback(*page, 0.5)) << "the first engine does not play";
    EXPECT_EQ(std::dynamic_pointer_cast<SJAliMediaPlaybackController>(page->player()->playbackController()),
              nullptr);
    EXPECT_TRUE(page->player()->URLAsset()->mediaURL().starts_with("https://media.orvex.test:"));
    EXPECT_GT(service().resolverQueries(kMediaHost), 0u);

    const std::string master = "media/hnm3u8/1027/2/master.m3u8";
    service().setFault(master, devservice::Fault{.status = 404});
    int attempts = 0;
    while (!page->isChangePlayer && attempts < 5) {
        const int failures = page->changeCount;
        tapEpisode(*page, 1);
        ++attempts;
        ASSERT_TRUE(waitFor([&] { return page->changeCount > failures; }, 30)) << "attempt " << attempts;
    }
    ASSERT_TRUE(page->isChangePlayer);
    service().clearFault(master);
    const std::size_t queriesBefore = service().resolverQueries(kMediaHost);
    tapEpisode(*page, 1);
    ASSERT_TRUE(waitForPlayback(*page, 0.5)) << "the second engine does not play";
    EXPECT_NE(std::dynamic_pointer_cast<SJAliMediaPlaybackController>(page->player()->playbackController()),
              nullptr);
    EXPECT_TRUE(page->player()->URLAsset()->mediaURL().starts_with("https://media.orvex.test:"));
    // The second engine asks for the name's IPv6 addresses, which no answer kept.
    EXPECT_GT(service().resolverQueries(kMediaHost), queriesBefore);
}

} // namespace
