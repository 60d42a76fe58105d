// Downloads from the player page's picker through the download manager to offline
// playback, failed exports and their retry, one record per episode, and deleting.
#include "MainController/My/Cell/KKcombcripple.h"
#include "MainController/My/Controller/KKceremonyinflictViewController.h"
#include "MainController/My/Model/DownloadCoordinator.h"
#include "app/Network/ServiceConfiguration.h"
#include "platform/ActiveSQLite/ASConfigration.h"
#include "platform/Foundation/Paths.h"
#include "platform/Foundation/RunLoop.h"
#include "platform/SJMediaCacheServer/MCSAssetExporter.h"
#include "platform/SJMediaCacheServer/SJMediaCacheServer.h"
#include "platform/UIKit/Controllers/UINavigationController.h"

#include "tests/MainController/My/DownloadJourneySupport.h"
#include <algorithm>
#include <chrono>
#include <csignal>
#include <map>
#include <spawn.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>

namespace {

using DownloadJourney = downloadtest::DownloadJourneyTest;

std::shared_ptr<KKcombcripple> rowShowing(testsupport::ui::UIDriver& ui, const std::string& title) {
    for (const auto& cell : ui.findAllOfClass<KKcombcripple>()) {
        if (cell->name()->text() == title) {
            return cell;
        }
    }
    return nullptr;
}

// 1021 "锦绣长安" from "lzm3u8", whose media answers only requests carrying the parse
// answer's headers: two episodes are downloaded, one paused and resumed, both finish and
// the first plays from disk with the service gone.
TEST_F(DownloadJourney, DownloadsTwoEpisodesPausesOneAndPlaysOfflineFromTheDownloadedEpisodes) {
    // The second episode's media comes slowly, so that it can be paused on its way.
    service().setFault("media/lzm3u8/1021/2/*", devservice::Fault{.delaySeconds = 1.5});
    auto page = openTitle("1021", 0);
    ASSERT_NE(page, nullptr);
    ASSERT_EQ(page->type, "lzm3u8");
    ASSERT_TRUE(waitForPlayback(*page, 0.2));
    openPicker();
    EXPECT_FALSE(page->player()->isPlaying()) << "the picker opens over a paused player";
    EXPECT_TRUE(pickerShows("选择要缓存的视频"));
    EXPECT_TRUE(pickerShows("已缓存"));
    gallery("downloads-picker");

    const size_t parsesBefore = apiRequests("/api/getParse").size();
    // The loading indicator covers the sheet while an episode's address is resolved.
    tapTile(0);
    ASSERT_TRUE(waitFor([&] { return records().size() == 1; }));
    playFrames(0.2);
    tapTile(1);
    ASSERT_TRUE(waitFor([&] { return records().size() == 2; }));
    EXPECT_TRUE(tipShown("开始下载..."));
    // Tapping a tile that is waiting or downloading again makes no second record.
    tapTile(1);
    tapTile(1);
    playFrames(0.5);
    EXPECT_TRUE(tipShown("该资源正在下载中..."));
    EXPECT_EQ(records().size(), 2u);
    EXPECT_EQ(apiRequests("/api/getParse").size(), parsesBefore + 2);
    auto first = record("1021", 0);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->name, "锦绣长安");
    EXPECT_EQ(first->type, "lzm3u8");
    EXPECT_EQ(first->url, service().origin() + "/media/lzm3u8/1021/1/master.m3u8");
    EXPECT_EQ(first->episode, page->list[0]["item"].stringValue());
    gallery("downloads-picker-started");

    // Closing the picker stops nothing, and starts nothing either: the player stays
    // paused until the person plays again.
    closePicker();
    playFrames(0.5);
    EXPECT_FALSE(page->player()->isPlaying());
    EXPECT_TRUE(page->player()->isPaused());
    auto manager = openManager();
    ASSERT_TRUE(waitForState("1021", 1, "downing", 30));
    playFrames(0.3);
    const std::string slowTitle = "锦绣长安 " + page->list[1]["item"].stringValue();
    ASSERT_TRUE(waitFor([&] {
        auto row = rowShowing(ui(), slowTitle);
        return row && row->kkunderneathhostage()->text().rfind("下载中 ", 0) == 0 &&
               row->kkunderneathhostage()->text().find("B/秒") != std::string::npos;
    }));
    EXPECT_TRUE(waitForText("正在下载", 2));
    gallery("downloads-manager-downloading");

    // Pause, then resume, with a tap on the row.
    ui().tap(rowShowing(ui(), slowTitle));
    playFrames(0.2);
    ASSERT_EQ(record("1021", 1)->state, "pause");
    auto slowExport = SJMediaCacheServer::shared().exportAssetWithURL(record("1021", 1)->url);
    ASSERT_NE(slowExport, nullptr);
    EXPECT_EQ(slowExport->status(), MCSAssetExportStatusSuspended);
    EXPECT_TRUE(waitForText("暂停下载", 2));
    gallery("downloads-manager-paused");
    ui().tap(rowShowing(ui(), slowTitle));
    playFrames(0.2);
    EXPECT_EQ(record("1021", 1)->state, "downing");
    // The row's bar shows the part stored so far (the origin answers each request 1.5 s
    // late, so half the segments arrive well before the rest).
    ASSERT_TRUE(waitFor([&] {
        auto row = rowShowing(ui(), slowTitle);
        const auto& bar = row ? row->kkhighlyscrutiny() : nullptr;
        return bar && !bar->isHidden() && bar->progress() > 0 && bar->progress() < 1;
    }));
    gallery("downloads-manager-progress");

    ASSERT_TRUE(waitForState("1021", 0, "finish"));
    ASSERT_TRUE(waitForState("1021", 1, "finish"));
    EXPECT_EQ(record("1021", 1)->progress, 1.0);
    ASSERT_TRUE(waitForText("已下载", 5));
    EXPECT_TRUE(waitForText("2个视频", 5));
    EXPECT_EQ(manager->kkenduranceminority.size(), 0u);
    ASSERT_EQ(manager->kkacademyendurance.size(), 1u);
    gallery("downloads-manager-finished");
    // The exports reached the media by a name that only the service's resolver knows.
    EXPECT_TRUE(first->url.starts_with("https://media.orvex.test:"));
    EXPECT_FALSE(systemResolverKnows("media.orvex.test"));
    EXPECT_GT(service().resolverQueries("media.orvex.test"), 0u);
    // Every media request of the first episode carried the parse answer's headers; a
    // segment went over the network at most once for playback and once for the export.
    for (const auto& request : apiRequests()) {
        if (request.path.rfind("/media/lzm3u8/1021/1/", 0) == 0) {
            EXPECT_EQ(request.header("X-Play-Key"), "lz-7f3a9c") << request.path;
        }
    }
    EXPECT_LE(mediaRequests("/media/lzm3u8/1021/1/v0/seg001.ts"), 2u);

    // Offline: the downloaded episodes page plays episode 1 from disk.
    stopService();
    ui().tap(rowShowing(ui(), "锦绣长安"));
    ASSERT_TRUE(waitFor([&] { return topPageAs<KKceremonyinflictViewController>() != nullptr; }));
    auto episodes = topPageAs<KKceremonyinflictViewController>();
    playFrames(0.5);
    ASSERT_EQ(episodes->list.size(), 2u);
    EXPECT_EQ(episodes->list[0]->index, "0");
    const std::string firstTitle = "锦绣长安 " + page->list[0]["item"].stringValue();
    auto firstRow = rowShowing(ui(), firstTitle);
    ASSERT_NE(firstRow, nullptr);
    const std::string detail = firstRow->kkunderneathhostage()->text();
    EXPECT_EQ(detail.rfind("未观看 ", 0), 0u) << detail;
    EXPECT_EQ(detail.find("0 MB"), std::string::npos) << detail;
    gallery("downloads-episodes");

    page.reset();
    ui().tap(firstRow);
    ASSERT_TRUE(waitFor([&] { return topPageAs<KKrallymultitudeViewController>() != nullptr; }));
    auto player = topPageAs<KKrallymultitudeViewController>();
    EXPECT_EQ(player->downloadSelectIndex, 0);
    ASSERT_TRUE(waitForPlayback(*player, 0.5, 90))
        << player->player()->playbackController()->errorDescription();
    EXPECT_EQ(player->player()->URLAsset()->mediaURL().rfind("http://127.0.0.1:", 0), 0u);
    EXPECT_EQ(record("1021", 0)->watching, "yes");
}

// Two segments of one episode always fail: the download ends failed and shows so; once
// the origin serves them again a retry from the picker finishes it.
TEST_F(DownloadJourney, AnExportWithFailingSegmentsEndsFailedAndARetryFromThePickerFinishesIt) {
    for (const char* segment : {"v0/seg001.ts", "v0/seg002.ts", "v1/seg001.ts", "v1/seg002.ts"}) {
        service().setFault(std::string("media/ffm3u8/1021/1/") + segment, devservice::Fault{.status = 500});
    }
    auto page = openTitle("1021", 1);
    ASSERT_NE(page, nullptr);
    ASSERT_EQ(page->type, "ffm3u8");
    openPicker();
    tapTile(0);
    ASSERT_TRUE(waitForState("1021", 0, "fail", 90))
        << (record("1021", 0) ? record("1021", 0)->state : "no record") << " "
        << (record("1021", 0)
                ? SJMediaCacheServer::shared().exportAssetWithURL(record("1021", 0)->url)->status()
                : -1);
    EXPECT_TRUE(waitFor([&] { return tipShown("下载失败，请重新下载"); }, 5));
    auto error = DownloadCoordinator::shared().lastError(record("1021", 0)->url);
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->code, 500);
    EXPECT_LT(record("1021", 0)->progress, 1.0);
    closePicker();

    auto manager = openManager();
    EXPECT_TRUE(waitForText("下载失败", 5));
    gallery("downloads-manager-failed");
    manager->navigationController()->popViewControllerAnimated(false);
    playFrames(0.6);

    const size_t firstSegmentFetches = mediaRequests("/media/ffm3u8/1021/1/v0/seg000.ts");
    service().clearFaults();
    openPicker();
    tapTile(0);
    EXPECT_TRUE(tipShown("重新下载..."));
    ASSERT_TRUE(waitForState("1021", 0, "finish", 60));
    EXPECT_EQ(records().size(), 1u);
    // What the failed run stored is kept: the first segment is not fetched again.
    EXPECT_EQ(mediaRequests("/media/ffm3u8/1021/1/v0/seg000.ts"), firstSegmentFetches);
}

// A loaded service: it answers the title's detail after its episode list and the first
// episode's address later still (the page's loading tip stays meanwhile), drops the first
// two connections to its media host, resets a segment's connection halfway and another's
// before answering, and answers one segment "busy" once. The download rides all of it out,
// asking for each faulty segment once more, and its copy plays offline.
TEST_F(DownloadJourney, ADownloadFromALoadedServiceThatDropsAndResetsConnectionsFinishes) {
    const std::string episode = "media/ffm3u8/1021/3/";
    service().setFault("api/getVideoInfo", devservice::Fault{.delaySeconds = 1, .times = 1});
    service().setFault("api/getParse", devservice::Fault{.delaySeconds = 1.5, .times = 1});
    service().setFault(episode + "v0/seg001.ts", devservice::Fault{.times = 1, .resetAfterBytes = 4096});
    service().setFault(episode + "v0/seg000.ts", devservice::Fault{.times = 1, .resetAfterBytes = 0});
    service().setFault(episode + "v0/seg002.ts", devservice::Fault{.status = 503, .times = 1});
    auto page = openTitle("1021", 1);
    ASSERT_NE(page, nullptr);
    openPicker();
    const int droppedBefore = service().droppedConnections();
    service().dropMediaConnections(2);
    tapTile(2);
    ASSERT_TRUE(waitForState("1021", 2, "finish", 60))
        << (record("1021", 2) ? record("1021", 2)->state : "no record");
    service().dropMediaConnections(0);
    EXPECT_EQ(service().droppedConnections() - droppedBefore, 2);
    EXPECT_EQ(record("1021", 2)->progress, 1.0);
    for (const char* segment : {"v0/seg000.ts", "v0/seg001.ts", "v0/seg002.ts"}) {
        EXPECT_EQ(mediaRequests("/" + episode + segment), 2u) << segment;
    }
    closePicker();

    stopService();
    const auto exported = SJMediaCacheServer::shared().exportAssetWithURL(record("1021", 2)->url);
    ASSERT_NE(exported, nullptr);
    EXPECT_EQ(exported->status(), MCSAssetExportStatusFinished);
    auto manager = openManager();
    ui().tap(manager->tableView()->cellForRowAtIndexPath(NSIndexPath::indexPathForRow(0, 1)));
    ASSERT_TRUE(waitFor([&] { return topPageAs<KKceremonyinflictViewController>() != nullptr; }));
    playFrames(0.5);
    auto episodes = topPageAs<KKceremonyinflictViewController>();
    ASSERT_EQ(episodes->list.size(), 1u);
    ui().tap(episodes->tableView()->cellForRowAtIndexPath(NSIndexPath::indexPathForRow(0, 0)));
    ASSERT_TRUE(waitFor([&] { return topPageAs<KKrallymultitudeViewController>() != nullptr; }));
    auto player = topPageAs<KKrallymultitudeViewController>();
    page.reset();
    ASSERT_TRUE(waitForPlayback(*player, 0.5, 90))
        << player->player()->playbackController()->errorDescription();
}

// An episode asked for again once its export has finished (as after a restart that
// submits the downloads it had once more) is finished at once: nothing is left to fetch,
// so nothing else would ever move it on from "waiting".
TEST_F(DownloadJourney, AnEpisodeAskedForAgainAfterItsExportFinishedIsFinishedAtOnce) {
    KKcommenthumble episode;
    episode.url = service().origin() + "/media/ffm3u8/1021/1/master.m3u8";
    episode.vod_id = "1021";
    episode.index = "0";
    episode.name = "锦绣长安";
    // What the source's parse answer asks its media requests to carry.
    const std::map<std::string, std::string> headers{{"User-Agent", "OrvexPlayer/2.0 (ffm3u8)"},
                                                     {"Referer", "https://ff.orvex.test/"}};
    auto& coordinator = DownloadCoordinator::shared();
    ASSERT_TRUE(coordinator.startDownload(episode, headers));
    ASSERT_TRUE(waitForState("1021", 0, "finish"));
    const size_t segmentFetches = mediaRequests("/media/ffm3u8/1021/1/");

    ASSERT_EQ(episode.state, "waiting");
    ASSERT_TRUE(coordinator.startDownload(episode, headers));
    ASSERT_EQ(records().size(), 1u);
    EXPECT_EQ(record("1021", 0)->state, "finish");
    EXPECT_EQ(record("1021", 0)->progress, 1.0);
    playFrames(1);
    EXPECT_EQ(record("1021", 0)->state, "finish");
    EXPECT_EQ(mediaRequests("/media/ffm3u8/1021/1/"), segmentFetches);
}

// The application run with the usual umask (022): what it stores tells what was watched
// and downloaded, and none of it may be read by another user of the machine.
class PrivateDataJourney : public downloadtest::DownloadJourneyTest {
  protected:
    PrivateDataJourney() { ::umask(022); }
};

TEST_F(PrivateDataJourney, NothingTheApplicationStoresIsReadableByOthers) {
    auto page = openTitle("1021", 1);
    ASSERT_NE(page, nullptr);
    ASSERT_TRUE(waitForPlayback(*page, 0.5));
    openPicker();
    tapTile(0);
    ASSERT_TRUE(waitForState("1021", 0, "finish"));
    closePicker();
    goBack(); // stores the playback record
    playFrames(0.5);

    const auto root = Paths::dataRoot();
    std::vector<std::string> stored;
    std::vector<std::string> readable;
    struct stat status {};
    ASSERT_EQ(::stat(root.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 077, 0u) << "the data root";
    std::error_code error;
    for (auto entry = std::filesystem::recursive_directory_iterator(root, error);
         entry != std::filesystem::recursive_directory_iterator(); entry.increment(error)) {
        const auto relative = std::filesystem::relative(entry->path(), root).string();
        if (relative.rfind("devservice", 0) == 0 || relative.rfind("console", 0) == 0) {
            entry.disable_recursion_pending(); // the test's service and console, not the application
            continue;
        }
        stored.push_back(relative);
        if (::lstat(entry->path().c_str(), &status) == 0 && !S_ISLNK(status.st_mode) &&
            (status.st_mode & 077) != 0) {
            readable.push_back(relative);
        }
    }
    EXPECT_TRUE(readable.empty()) << testing::PrintToString(readable);
    // What is looked at above: the records, the playback history, the media cache's files
    // and database, the posters and the user defaults.
    for (const char* expected : {"Documents/fflist.db", "Library/SJPlaybackHistory/playback-history.db",
                                 "Documents/com.SJMediaCacheServer.cache/mcs.db", "Library/Caches/WebImages",
                                 "Library/Preferences/orvex.defaults.json"}) {
        EXPECT_NE(std::find(stored.begin(), stored.end(), expected), stored.end()) << expected;
    }
}

// Deleting a downloaded title removes its records and frees the bytes the storage line
// counted.
TEST_F(DownloadJourney, DeletingADownloadedTitleFreesItsBytes) {
    auto page = openTitle("1021", 1);
    ASSERT_NE(page, nullptr);
    openPicker();
    tapTile(2);
    ASSERT_TRUE(waitForState("1021", 2, "finish"));
    closePicker();
    EXPECT_GT(SJMediaCacheServer::shared().countOfBytesAllExportedAssets(), 0u);
    auto manager = openManager();
    ASSERT_EQ(manager->kkacademyendurance.size(), 1u);
    EXPECT_EQ(manager->kkvirtuearch()->text().find("已缓存0.00kb"), std::string::npos);
    manager->commit(*manager->tableView(), UITableViewCellEditingStyle::remove,
                    NSIndexPath::indexPathForRow(0, 1));
    playFrames(0.3);
    EXPECT_TRUE(records().empty());
    EXPECT_EQ(SJMediaCacheServer::shared().countOfBytesAllExportedAssets(), 0u);
    EXPECT_EQ(manager->kkvirtuearch()->text().rfind("已缓存0.00kb / 剩余", 0), 0u)
        << manager->kkvirtuearch()->text();
    EXPECT_TRUE(manager->isEmptyViewShowing());
    gallery("downloads-manager-empty");
}

// Deleting a download that is still on its way stops it: its record and its files go at
// once, and nothing of it comes back when the request it was waiting for is let through.
TEST_F(DownloadJourney, DeletingAnUnfinishedDownloadStopsItAndNothingOfItComesBack) {
    for (const char* variant : {"v0", "v1"}) {
        service().setFault(std::string("media/ffm3u8/1021/2/") + variant + "/seg002.ts",
                           devservice::Fault{.held = true});
    }
    auto page = openTitle("1021", 1);
    ASSERT_NE(page, nullptr);
    ASSERT_EQ(page->type, "ffm3u8");
    openPicker();
    tapTile(1);
    ASSERT_TRUE(waitForState("1021", 1, "downing", 30));
    ASSERT_TRUE(waitFor([&] {
        return mediaRequests("/media/ffm3u8/1021/2/v0/seg002.ts") +
                   mediaRequests("/media/ffm3u8/1021/2/v1/seg002.ts") >
               0;
    }));
    closePicker();
    auto manager = openManager();
    ASSERT_EQ(manager->kkenduranceminority.size(), 1u);
    EXPECT_GT(SJMediaCacheServer::shared().countOfBytesAllExportedAssets(), 0u);
    manager->commit(*manager->tableView(), UITableViewCellEditingStyle::remove,
                    NSIndexPath::indexPathForRow(0, 0));
    playFrames(0.3);
    EXPECT_TRUE(records().empty());
    EXPECT_EQ(SJMediaCacheServer::shared().countOfBytesAllExportedAssets(), 0u);
    EXPECT_TRUE(manager->isEmptyViewShowing());

    // The held segment is let through while another episode downloads to its end.
    service().releaseHeldRequests();
    manager->navigationController()->popViewControllerAnimated(false);
    ASSERT_TRUE(waitFor([&] { return topPage() == page; }));
    playFrames(0.5);
    openPicker();
    tapTile(2);
    ASSERT_TRUE(waitForState("1021", 2, "finish"));
    ASSERT_EQ(records().size(), 1u);
    EXPECT_EQ(record("1021", 1), nullptr) << "the deleted download came back";
}

// More than nine downloaded episodes of one title: the downloaded-episodes page lists all
// of them in the order of the episodes (the tenth after the ninth, not after the first),
// down to the last one, and the last one opens as itself.
TEST_F(DownloadJourney, TheDownloadedEpisodesOfATitleWithElevenStayInEpisodeOrder) {
    auto page = openTitle("1022", 0);
    ASSERT_NE(page, nullptr);
    ASSERT_GE(page->list.size(), 11u);
    openPicker();
    for (long item = 0; item < 11; ++item) {
        tapTile(item);
        ASSERT_TRUE(waitFor([&] { return record("1022", item) != nullptr; })) << item;
        playFrames(0.2);
    }
    for (long item = 0; item < 11; ++item) {
        ASSERT_TRUE(waitForState("1022", item, "finish")) << item;
    }
    closePicker();
    auto manager = openManager();
    ASSERT_EQ(manager->kkacademyendurance.size(), 1u);
    EXPECT_TRUE(waitForText("11个视频", 5));
    ui().tap(manager->tableView()->cellForRowAtIndexPath(NSIndexPath::indexPathForRow(0, 1)));
    ASSERT_TRUE(waitFor([&] { return topPageAs<KKceremonyinflictViewController>() != nullptr; }));
    auto episodes = topPageAs<KKceremonyinflictViewController>();
    playFrames(0.5);
    ASSERT_EQ(episodes->list.size(), 11u);
    const std::string title = "云中谁寄锦书来 ";
    const auto& table = episodes->tableView();
    for (long row = 0; row < 11; ++row) {
        table->scrollToRowAtIndexPath(NSIndexPath::indexPathForRow(row, 0), UITableViewScrollPosition::none,
                                      false);
        playFrames(0.1);
        auto cell = std::dynamic_pointer_cast<KKcombcripple>(
            table->cellForRowAtIndexPath(NSIndexPath::indexPathForRow(row, 0)));
        ASSERT_NE(cell, nullptr) << row;
        EXPECT_EQ(cell->name()->text(),
                  title + page->list[static_cast<std::size_t>(row)]["item"].stringValue());
    }
    gallery("downloads-episodes-eleven");

    auto last = table->cellForRowAtIndexPath(NSIndexPath::indexPathForRow(10, 0));
    ASSERT_NE(last, nullptr);
    ui().tap(last);
    ASSERT_TRUE(waitFor([&] { return topPageAs<KKrallymultitudeViewController>() != nullptr; }));
    auto player = topPageAs<KKrallymultitudeViewController>();
    EXPECT_EQ(player->downloadSelectIndex, 10);
    ASSERT_TRUE(waitFor([&] {
        auto asset = player->player()->URLAsset();
        return asset && asset->mediaURL().rfind("http://127.0.0.1:", 0) == 0;
    }));
    EXPECT_EQ(player->episode, page->list[10]["item"].stringValue());
}

// A full disk during a download: the application's files may not grow past 150 KB (a
// segment is larger), so the export fails with a storage error that the picker shows;
// the finished download and the records stay intact, and once there is room again a
// retry finishes the download.
TEST_F(DownloadJourney, AFullDiskFailsTheDownloadAndItResumesOnceThereIsRoom) {
    auto page = openTitle("1021", 1);
    ASSERT_NE(page, nullptr);
    openPicker();
    tapTile(0);
    ASSERT_TRUE(waitForState("1021", 0, "finish"));
    const auto keptBytes = SJMediaCacheServer::shared().countOfBytesAllExportedAssets();

    // The records' write-ahead log starts again from its beginning, as it does once the
    // database has been checkpointed, so that the records fit under the limit.
    ASConfigration::closeDefaultDB();
    ASSERT_TRUE(ASConfigration::setDefaultDB(Paths::documents() / "fflist.db", "fflist.db"));
    // Writing past the limit fails with EFBIG instead of ending the process.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit original{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &original), 0);
    rlimit limited = original;
    limited.rlim_cur = 150 * 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    playFrames(0.5);
    // Nothing is drawn from the tap until the download has failed, as when a full disk
    // fails it within a frame: the picker must know the download without having drawn
    // its tile again.
    tapTile(1, 0);
    const bool failed = RunLoop::main().runUntil(
        [&] {
            const auto found = record("1021", 1);
            return found && found->state == "fail";
        },
        40);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &original), 0);
    ASSERT_TRUE(failed)
        << (record("1021", 1) ? record("1021", 1)->state : "no record") << " "
        << (record("1021", 1)
                ? SJMediaCacheServer::shared().exportAssetWithURL(record("1021", 1)->url)->status()
                : -1);
    EXPECT_TRUE(waitFor([&] { return tipShown("下载失败，请重新下载"); }, 5));
    auto error = DownloadCoordinator::shared().lastError(record("1021", 1)->url);
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->code, MCSAssetExportErrorStorage);
    EXPECT_EQ(record("1021", 0)->state, "finish");
    EXPECT_EQ(records().size(), 2u);
    EXPECT_GE(SJMediaCacheServer::shared().countOfBytesAllExportedAssets(), keptBytes);

    playFrames(2.0);
    tapTile(1);
    EXPECT_TRUE(tipShown("重新下载..."));
    ASSERT_TRUE(waitForState("1021", 1, "finish", 60));
    EXPECT_EQ(record("1021", 0)->state, "finish");
}

// Two downloads run in a process of their own that is killed with SIGKILL halfway; the
// application launched afterwards resumes both, and finishes them fetching no segment
// more than twice (once before the kill, at most once after).
class DownloadKillJourney : public downloadtest::DownloadJourneyTest {
  protected:
    // The smallest progress of the two records the child stores (read apart from the
    // application, which is not launched yet); 0 until both exist.
    static double leastStoredProgress() {
        sqlite3* db = nullptr;
        double least = 0;
        const auto path = Paths::documents() / "fflist.db";
        if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
            sqlite3_busy_timeout(db, 1000);
            sqlite3_stmt* statement = nullptr;
            if (sqlite3_prepare_v2(db, "SELECT COUNT(*), MIN(progress) FROM KKcommenthumble", -1, &statement,
                                   nullptr) == SQLITE_OK &&
                sqlite3_step(statement) == SQLITE_ROW && sqlite3_column_int(statement, 0) == 2) {
                least = sqlite3_column_double(statement, 1);
            }
            sqlite3_finalize(statement);
        }
        sqlite3_close(db);
        return least;
    }

    // How many segments of the episode the child's caching proxy has made durable (its
    // database lists their bytes only once they are synced to disk). The records' progress
    // runs ahead of that by up to a second.
    static int durableSegments(const std::string& episode) {
        sqlite3* db = nullptr;
        int count = 0;
        const auto path = Paths::documents() / "com.SJMediaCacheServer.cache" / "mcs.db";
        if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
            sqlite3_busy_timeout(db, 1000);
            sqlite3_stmt* statement = nullptr;
            const std::string pattern = "%/media/lzm3u8/1021/" + episode + "/v0/seg%";
            if (sqlite3_prepare_v2(db, "SELECT COUNT(*) FROM resource WHERE url LIKE ? AND ranges != ''", -1,
                                   &statement, nullptr) == SQLITE_OK) {
                sqlite3_bind_text(statement, 1, pattern.c_str(), -1, SQLITE_TRANSIENT);
                if (sqlite3_step(statement) == SQLITE_ROW) {
                    count = sqlite3_column_int(statement, 0);
                }
            }
            sqlite3_finalize(statement);
        }
        sqlite3_close(db);
        return count;
    }

    void beforeLaunch() override {
        ASSERT_TRUE(service().waitForMedia(180));
        service().setFault("media/lzm3u8/1021/*", devservice::Fault{.delaySeconds = 0.2});
        const std::string origin = service().origin();
        std::vector<std::string> arguments = {ORVEX_DOWNLOAD_CHILD, Paths::dataRoot().string(),
                                              ServiceConfiguration::current().caFile};
        for (const char* episode : {"1", "2"}) {
            arguments.push_back(std::to_string(std::stoi(episode) - 1) + "=" + origin +
                                "/media/lzm3u8/1021/" + episode + "/master.m3u8");
            arguments.emplace_back("User-Agent=OrvexPlayer/2.0 (lzm3u8)");
            arguments.emplace_back("Referer=https://lz.orvex.test/");
            arguments.emplace_back("X-Play-Key=lz-7f3a9c");
        }
        std::vector<char*> argv;
        for (auto& argument : arguments) {
            argv.push_back(argument.data());
        }
        argv.push_back(nullptr);
        pid_t child = 0;
        ASSERT_EQ(posix_spawn(&child, argv[0], nullptr, nullptr, argv.data(), environ), 0);
        // Halfway: the child's records tell that both episodes have a good part done, and its
        // proxy has some of each on disk.
        bool halfway = false;
        for (int wait = 0; wait < 1200 && !halfway; ++wait) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            halfway = leastStoredProgress() >= 0.3 && durableSegments("1") >= 3 && durableSegments("2") >= 3;
        }
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(halfway) << mediaRequests("/media/lzm3u8/1021/1/") << " "
                             << mediaRequests("/media/lzm3u8/1021/2/") << " child status " << status;
        ASSERT_TRUE(WIFSIGNALED(status));
        service().clearFaults();
    }
};

TEST_F(DownloadKillJourney, DownloadsKilledHalfwayResumeAtTheNextLaunchAndFinish) {
    ASSERT_EQ(records().size(), 2u);
    ASSERT_TRUE(waitForState("1021", 0, "finish"));
    ASSERT_TRUE(waitForState("1021", 1, "finish"));
    for (const char* episode : {"1", "2"}) {
        const std::string prefix = std::string("/media/lzm3u8/1021/") + episode + "/v0/seg";
        std::map<std::string, int> fetches;
        for (const auto& request : apiRequests()) {
            if (request.path.rfind(prefix, 0) == 0) {
                ++fetches[request.path];
                EXPECT_EQ(request.header("X-Play-Key"), "lz-7f3a9c") << request.path;
            }
        }
        int total = 0;
        for (const auto& [path, count] : fetches) {
            EXPECT_LE(count, 2) << path;
            total += count;
        }
        // What was stored before the kill was kept.
        EXPECT_LT(total, 2 * static_cast<int>(fetches.size())) << episode;
    }
    auto manager = openManager();
    EXPECT_TRUE(waitForText("2个视频", 5));
}

} // namespace
