// The player page's reactions to its player: intro and outro skipping, the next episode,
// full screen with its items and the episode strip, and the second engine.
#include "MainController/Video/Cell/KKintegratecompatible.h"
#include "MainController/Video/View/KKenrichchop.h"
#include "app/Records/KKreapedit.h"
#include "platform/SJBaseVideoPlayer/Playback/SJAliMediaPlaybackController.h"
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
    layer->setAppeared(true, false);
    auto full = layer->bottomAdapter()->viewForItemWithTag(SJEdgeControlLayerBottomItem_Full);
    ASSERT_NE(full, nullptr);
    ui().tap(full);
    ASSERT_TRUE(
        waitFor([&] { return page->isFull && !page->player()->rotationManager().isTransitioning(); }));
    playFrames(0.5);
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
    layer->setAppeared(true, false);
    full = layer->bottomAdapter()->viewForItemWithTag(SJEdgeControlLayerBottomItem_Full);
    ASSERT_NE(full, nullptr);
    ui().tap(full);
    ASSERT_TRUE(
        waitFor([&] { return !page->isFull && !page->player()->rotationManager().isTransitioning(); }));
    EXPECT_FALSE(layer->bottomAdapter()->indexOfItemForTag(1000).has_value());
    EXPECT_FALSE(layer->bottomAdapter()->indexOfItemForTag(1002).has_value());
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

} // namespace
