// A title from its resource list to playback, resume, another episode, the offline
// opening from the cache record and a failed parse.
#include "MainController/Video/Cell/KKintegratecompatible.h"
#include "MainController/Video/Model/EpisodeStartRules.h"
#include "MainController/Video/View/KKcounciloblige.h"
#include "MainController/Video/View/KKsuicideenrich.h"
#include "app/Extensions/UIColorExtensions.h"
#include "app/Helpers/KKpresentationdisease.h"
#include "app/Records/KKcommenthumble.h"
#include "app/Records/KKeditjerk.h"
#include "app/Records/KKenthusiasticreap.h"
#include "platform/QMUIKit/QMUITips.h"
#include "platform/SJBaseVideoPlayer/History/SJPlaybackHistoryController.h"
#include "platform/UIKit/Controllers/UINavigationController.h"
#include "tests/MainController/Video/TitleJourneySupport.h"

#include <algorithm>

namespace {

using TitleJourney = titletest::TitleJourneyTest;

// 1021 "锦绣长安": 11 episodes from "lzm3u8" (whose media answers only requests carrying
// the parse answer's headers) and "ffm3u8".
TEST_F(TitleJourney, WatchesATitleFromItsResourceListResumesItAndSwitchesEpisodes) {
    auto list = openResourceList("1021");
    ASSERT_EQ(list->list().size(), 2u);
    EXPECT_EQ(list->title(), "资源列表");
    EXPECT_TRUE(shows("时时检索不全，请稍等几秒或切换资源搜索"));
    EXPECT_TRUE(shows("锦绣长安"));
    gallery("detail-resource-list");

    auto page = tapResource(0);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->vod_id, "1021");
    EXPECT_EQ(page->type, "lzm3u8");
    ASSERT_TRUE(waitForText("锦绣长安"));
    ASSERT_TRUE(waitFor([&] { return page->list.size() == 11; }));
    gallery("detail-player-opening");
    EXPECT_TRUE(shows("简介"));
    EXPECT_TRUE(shows("2024/大陆/古装"));
    EXPECT_EQ(page->kkconfineblade->areaLabel()->text(), "大陆");
    for (const char* button : {"detail.feedback", "detail.switch", "detail.download", "detail.collect"}) {
        EXPECT_NE(ui().findByAccessibilityIdentifier(button), nullptr) << button;
    }
    ASSERT_TRUE(waitFor([&] { return !page->kkgrapeleap->kkdomaingrape()->isHidden(); }));
    EXPECT_EQ(page->kkgrapeleap->banner()->size(), 2u);

    // Episode 1 plays with the parse answer's headers: the source refuses requests without them.
    ASSERT_TRUE(waitForPlayback(*page, 1.5)) << page->player()->playbackController()->errorDescription();
    const auto parses = apiRequests("/api/getParse");
    ASSERT_EQ(parses.size(), 1u);
    EXPECT_EQ(parses[0].parameters.at("type"), "lzm3u8");
    bool guardedMediaRequested = false;
    for (const auto& request : apiRequests()) {
        if (request.path.rfind("/media/lzm3u8/1021/1/", 0) == 0) {
            guardedMediaRequested = true;
            EXPECT_EQ(request.header("User-Agent"), "OrvexPlayer/2.0 (lzm3u8)") << request.path;
            EXPECT_EQ(request.header("X-Play-Key"), "lz-7f3a9c") << request.path;
        }
    }
    EXPECT_TRUE(guardedMediaRequested);
    playFrames(0.2);
    EXPECT_GT(litFraction(page->kksummonhoney()), 0.2);
    gallery("detail-player-playing");

    // The playback record carries the title's fields and a position that moves on.
    ASSERT_TRUE(waitFor([&] {
        auto record = latestRecord("1021");
        return record && record->position > 0.5;
    }));
    auto record = latestRecord("1021");
    EXPECT_EQ(record->title, "锦绣长安");
    EXPECT_EQ(record->episode, page->list[0]["item"].stringValue());
    EXPECT_EQ(record->index, "0");
    ASSERT_TRUE(record->cover.has_value());
    EXPECT_NE(record->cover->find("/images/poster/1021.png"), std::string::npos);
    EXPECT_EQ(record->mediaId, EpisodeStartRules::mediaIdentifier("1021", 0));
    const double firstPosition = record->position;
    ASSERT_TRUE(waitFor([&] { return latestRecord("1021")->position > firstPosition + 1.0; }));

    // Back, and in again: the episode resumes where it was left. The page's player saves
    // where it stopped as it goes away, so the position is read once it is gone.
    const std::weak_ptr<KKrallymultitudeViewController> left = page;
    page.reset();
    goBack();
    ASSERT_TRUE(waitFor([&] { return left.expired(); })) << "the player page lives on after going back";
    const double saved = latestRecord("1021")->position;
    ASSERT_GT(saved, 1.0);
    page = tapResource(0);
    ASSERT_NE(page, nullptr);
    ASSERT_TRUE(waitFor([&] { return page->player()->URLAsset() != nullptr; }));
    EXPECT_DOUBLE_EQ(page->player()->URLAsset()->startPosition(), saved);
    EXPECT_TRUE(shows(EpisodeStartRules::resumePromptText(saved)));
    EXPECT_EQ(apiRequests("/api/getParse").size(), 2u) << "one start, from the playback record";
    ASSERT_TRUE(waitForPlayback(*page, saved + 0.5));

    // Episode 3: it plays and the grid marks it.
    tapEpisode(*page, 2);
    ASSERT_TRUE(waitFor([&] {
        auto asset = page->player()->URLAsset();
        return asset && asset->mediaURL().find("/1021/3/master.m3u8") != std::string::npos;
    }));
    ASSERT_TRUE(waitForPlayback(*page, 0.5));
    EXPECT_EQ(page->index.item, 2);
    EXPECT_EQ(page->episode, page->list[2]["item"].stringValue());
    auto tile = std::dynamic_pointer_cast<KKintegratecompatible>(
        page->collectionView()->cellForItemAtIndexPath(NSIndexPath::indexPathForItem(2, 0)));
    ASSERT_NE(tile, nullptr);
    EXPECT_EQ(tile->backgroundColor(), hexColor("D73F3F"));
    EXPECT_EQ(tile->name()->textColor(), UIColor::whiteColor());
    auto first = std::dynamic_pointer_cast<KKintegratecompatible>(
        page->collectionView()->cellForItemAtIndexPath(NSIndexPath::indexPathForItem(0, 0)));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->backgroundColor(), hexColor("#F5F6F8"));
    gallery("detail-player-episode-3");
}

// 1030 "风起洛川" from "hnm3u8": the first visit fills the cache record; with the service
// gone the page still shows the detail and the episodes.
TEST_F(TitleJourney, OpensFromItsCacheRecordWhenTheServiceIsDown) {
    auto page = openPlayer("1030", "hnm3u8");
    ASSERT_TRUE(waitForPlayback(*page, 0.5));
    const size_t episodes = page->list.size();
    ASSERT_GE(episodes, 2u);
    goBack();
    auto cached = KKenthusiasticreap::findFirst(ASAttributes{{"vod_id", "1030"}, {"type", "hnm3u8"}});
    ASSERT_TRUE(cached && *cached);
    EXPECT_FALSE((*cached)->videoJson.empty());
    EXPECT_FALSE((*cached)->videoListJson.empty());

    stopService();
    page = openPlayer("1030", "hnm3u8");
    ASSERT_TRUE(waitFor([&] { return page->list.size() == episodes && !page->json.isEmpty(); }));
    playFrames(0.5);
    EXPECT_TRUE(shows("风起洛川"));
    EXPECT_TRUE(shows("简介"));
    EXPECT_EQ(page->collectionView()->numberOfItemsInSection(0), static_cast<long>(episodes));
    gallery("detail-player-offline");
    auto again = KKenthusiasticreap::findAll(ASAttributes{{"vod_id", "1030"}});
    ASSERT_TRUE(again);
    EXPECT_EQ(again->size(), 1u) << "one cache record per title and source";
}

// A failed parse shows the client's prompt and starts nothing: not another title's record
// that happens to share the episode's media identifier, nor anything else.
TEST_F(TitleJourney, AFailedParseShowsThePromptAndPlaysNothing) {
    SJPlaybackRecord foreign;
    foreign.mediaId = EpisodeStartRules::mediaIdentifier("1031", 0);
    foreign.vodId = "9999";
    foreign.index = "0";
    foreign.position = 100;
    foreign.duration = "0";
    ASSERT_TRUE(SJPlaybackHistoryController::shared().save(foreign));

    // The service's own refusal: an error envelope with its message, answered after every
    // other answer has been handled (each answer clears the tips shown before it).
    service().setFault(
        "api/getParse",
        devservice::Fault{.status = 200,
                          .rawBody = R"({"code":40004,"message":"解析失败，资源不存在","data":""})",
                          .held = true});
    auto page = openPlayer("1031", "hnm3u8");
    ASSERT_TRUE(waitFor([&] { return !apiRequests("/api/getParse").empty() && page->list.size() > 1; }));
    // The parse is answered once the page's other answers (its title, episodes and ad) and
    // the launch's have been handled: each answer with a payload logs its path then, and
    // every answer but the parse's has one here.
    ASSERT_TRUE(waitFor([&] {
        const auto requests = apiRequests();
        const auto lines = consoleLines();
        const auto isApi = [](const devservice::RecordedRequest& request) {
            return request.path.starts_with("/api/") && request.path != "/api/getParse";
        };
        const auto isPath = [](const std::string& line) { return line.starts_with("api/"); };
        return !apiRequests("/api/getAdvertInfo").empty() &&
               std::count_if(requests.begin(), requests.end(), isApi) ==
                   std::count_if(lines.begin(), lines.end(), isPath);
    }));
    service().releaseHeldRequests();
    ASSERT_TRUE(waitFor([&] { return shows("解析失败，资源不存在"); }));
    playFrames(0.3);
    gallery("detail-player-parse-failed");
    playFrames(1.0);
    EXPECT_EQ(page->player()->URLAsset(), nullptr);
    EXPECT_EQ(page->kkquestcommunicate, nullptr);

    // Once the service resolves again, the episode starts from its own beginning: the
    // record under the same identifier belongs to another title.
    service().clearFaults();
    tapEpisode(*page, 0);
    ASSERT_TRUE(waitFor([&] { return page->player()->URLAsset() != nullptr; }));
    EXPECT_EQ(page->player()->URLAsset()->startPosition(), 0.0);
    ASSERT_NE(page->kkquestcommunicate, nullptr);
    EXPECT_EQ(page->kkquestcommunicate->vodId, "1031");
}

// Only the latest choice plays: an answer that arrives after the episode was chosen again
// (the end of play and a choice in the grid or strip can overlap) is kept for its
// address but starts nothing.
TEST_F(TitleJourney, OnlyTheLatestEpisodeChoicePlays) {
    auto page = openPlayer("1022", "hnm3u8");
    ASSERT_TRUE(waitForPlayback(*page, 0.2));
    service().setFault("api/getParse", devservice::Fault{.delaySeconds = 1.0, .times = 1});
    page->chooseEpisode(NSIndexPath::indexPathForItem(1, 0));
    page->chooseEpisode(NSIndexPath::indexPathForItem(2, 0));
    ASSERT_TRUE(waitFor(
        [&] { return page->player()->URLAsset()->mediaURL().find("/1022/3/") != std::string::npos; }));
    ASSERT_TRUE(waitForPlayback(*page, 0.2));
    EXPECT_NE(page->player()->URLAsset()->mediaURL().find("/1022/3/"), std::string::npos);
    // The late answer of episode 2 arrives and is stored, and episode 3 keeps playing.
    const std::string secondSource = page->list[1]["src"].stringValue();
    ASSERT_TRUE(waitFor([&] {
        auto stored = KKeditjerk::storedAnswer(secondSource);
        return stored && stored->has_value();
    }));
    playFrames(0.5);
    EXPECT_NE(page->player()->URLAsset()->mediaURL().find("/1022/3/"), std::string::npos);
    EXPECT_EQ(page->index.item, 2);
}

// A title the service does not know (an empty identifier, as some openers send): the
// hint band over an empty list, no message of the page's own, and nothing to tap.
TEST_F(TitleJourney, AnUnknownTitleShowsTheHintOverAnEmptyList) {
    auto list = std::make_shared<KKgiganticgloomy>();
    KKpresentationdisease::getCurrentVC()->showViewController(list, nullptr);
    ASSERT_TRUE(waitFor([&] { return apiRequests("/api/vodResourceList").size() == 1; }));
    playFrames(1.0);
    EXPECT_EQ(topPage(), list);
    EXPECT_EQ(apiRequests("/api/vodResourceList")[0].parameters.at("vod_id"), "");
    EXPECT_TRUE(list->list().empty());
    EXPECT_EQ(list->tableView()->numberOfRowsInSection(0), 0);
    EXPECT_TRUE(shows("时时检索不全，请稍等几秒或切换资源搜索"));
    gallery("detail-resource-list-empty");
}

// A page closed before its answers arrive lets them go (run under the sanitizers).
TEST_F(TitleJourney, APageClosedBeforeItsAnswersLetsThemGo) {
    // The page's requests are held until it has closed.
    service().setFault("api/*", devservice::Fault{.held = true});
    std::weak_ptr<KKrallymultitudeViewController> weakPage = openPlayer("1021", "lzm3u8");
    // The loading tip covers the page meanwhile; the navigation controller closes it.
    weakPage.lock()->navigationController()->popViewControllerAnimated(false);
    ASSERT_TRUE(waitFor([&] {
        return apiRequests("/api/getVideoInfo").size() == 1 && apiRequests("/api/getVideoList").size() == 1;
    }));
    service().releaseHeldRequests();
    // Each answer with a payload logs its path once handled.
    ASSERT_TRUE(waitFor([&] {
        const auto lines = consoleLines();
        return std::count(lines.begin(), lines.end(), "api/getVideoInfo") == 1 &&
               std::count(lines.begin(), lines.end(), "api/getVideoList") == 1;
    }));
    playFrames(1.0);
    EXPECT_EQ(weakPage.lock(), nullptr);
    EXPECT_TRUE(apiRequests("/api/getParse").empty());
}

// Opened from the downloaded episodes: the finished download plays from the media cache
// proxy, is marked watched, and the detail answer starts nothing of its own.
TEST_F(TitleJourney, AFinishedDownloadPlaysFromTheMediaCacheProxy) {
    KKcommenthumble download;
    download.vod_id = "1030";
    download.index = "1";
    download.type = "hnm3u8";
    download.state = "finish";
    download.url = service().origin() + "/media/hnm3u8/1030/2/master.m3u8";
    ASSERT_TRUE(download.save());

    auto page = std::make_shared<KKrallymultitudeViewController>();
    page->vod_id = "1030";
    page->type = "hnm3u8";
    page->downloadSelectIndex = 1;
    KKpresentationdisease::getCurrentVC()->showViewController(page, nullptr);
    ASSERT_TRUE(waitForPlayback(*page, 0.5));
    EXPECT_EQ(page->player()->URLAsset()->mediaURL().rfind("http://127.0.0.1:", 0), 0u)
        << page->player()->URLAsset()->mediaURL();
    EXPECT_EQ(page->index.item, 1);
    EXPECT_EQ(apiRequests("/api/getParse").size(), 1u);
    auto stored = KKcommenthumble::findFirst(ASAttributes{{"vod_id", "1030"}, {"index", "1"}});
    ASSERT_TRUE(stored && *stored);
    EXPECT_EQ((*stored)->watching, "yes");
}

} // namespace
