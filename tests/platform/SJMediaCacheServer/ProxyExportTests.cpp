#include "platform/SJMediaCacheServer/MCSPrefetchTask.h"
#include "tests/platform/SJMediaCacheServer/ProxyFixture.h"
#include "tests/platform/SJMediaCacheServer/ProxyTestClient.h"

#include <atomic>
#include <csignal>
#include <spawn.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

std::uint64_t folderBytes(const std::filesystem::path& folder) {
    std::uint64_t total = 0;
    std::error_code error;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder, error)) {
        if (entry.is_regular_file()) {
            total += entry.file_size();
        }
    }
    return total;
}

// Rows of "MCSAssetExporter" as another reader sees them (read-only connection).
std::vector<std::pair<std::string, std::string>> exporterRows(const std::filesystem::path& root) {
    std::vector<std::pair<std::string, std::string>> rows;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2((root / "mcs.db").c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(db, "SELECT URLString, name FROM MCSAssetExporter", -1, &statement, nullptr);
        while (statement != nullptr && sqlite3_step(statement) == SQLITE_ROW) {
            rows.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)),
                              reinterpret_cast<const char*>(sqlite3_column_text(statement, 1)));
        }
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    return rows;
}

// Remote addresses whose cached bytes the database records as complete.
std::set<std::string> completeResources(const std::filesystem::path& root) {
    std::set<std::string> urls;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2((root / "mcs.db").c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(db, "SELECT url FROM resource WHERE total IS NOT NULL AND ranges = '0-' || total",
                           -1, &statement, nullptr);
        while (statement != nullptr && sqlite3_step(statement) == SQLITE_ROW) {
            urls.insert(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
        }
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    return urls;
}

} // namespace

TEST_F(ProxyFixture, ExportFinishesThenPlaysOfflineAlsoAfterARestart) {
    const auto address = origin_->url("showcase/master.m3u8");
    const auto exporter = server_->exportAssetWithURL(address);
    ASSERT_TRUE(exporter);
    EXPECT_EQ(server_->exportAssetWithURL(address), exporter) << "one task per address";
    std::vector<int> statuses;
    std::vector<float> progresses;
    bool onMainThread = true;
    exporter->setStatusDidChangeExecuteBlock([&](const auto& task) {
        statuses.push_back(task->status());
        onMainThread = onMainThread && RunLoop::main().isLoopThread();
    });
    exporter->setProgressDidChangeExecuteBlock(
        [&](const auto& task) { progresses.push_back(task->progress()); });

    ASSERT_EQ(runExport(exporter), MCSAssetExportStatusFinished);
    // The job has ended; its last blocks are on their way to the main queue.
    RunLoop::main().runUntil(
        [&] { return !statuses.empty() && statuses.back() == MCSAssetExportStatusFinished; }, 10);
    EXPECT_TRUE(onMainThread);
    EXPECT_FLOAT_EQ(exporter->progress(), 1.0f);
    ASSERT_FALSE(progresses.empty());
    EXPECT_FLOAT_EQ(progresses.back(), 1.0f);
    EXPECT_TRUE(std::is_sorted(progresses.begin(), progresses.end()));
    // The blocks are given the task and read its status when they run: an export that
    // ends before the main queue runs its first block is seen finished from the start.
    // Whatever they read is a step on the way to the end, and the last one is the end.
    ASSERT_FALSE(statuses.empty());
    EXPECT_EQ(statuses.back(), MCSAssetExportStatusFinished);
    EXPECT_TRUE(std::all_of(statuses.begin(), statuses.end(), [](int status) {
        return status == MCSAssetExportStatusWaiting || status == MCSAssetExportStatusExporting ||
               status == MCSAssetExportStatusFinished;
    }));
    EXPECT_TRUE(std::is_sorted(statuses.begin(), statuses.end()));

    // The table other readers use: the caller's exact text and the asset's folder.
    const auto rows = exporterRows(cacheRoot_);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].first, address);
    EXPECT_EQ(rows[0].second, exporter->name());
    const auto folder = cacheRoot_ / rows[0].second;
    EXPECT_EQ(server_->countOfBytesAllExportedAssets(), folderBytes(folder));
    EXPECT_GT(folderBytes(folder), 0u);

    // Resuming a finished export changes nothing.
    exporter->resume();
    EXPECT_EQ(exporter->status(), MCSAssetExportStatusFinished);

    const auto expected = proxytest::ffmpegFrameDigests(origin_->url("showcase/a/index.m3u8"));
    ASSERT_FALSE(expected.empty());
    origin_->stop();
    origin_->clearLog();
    EXPECT_TRUE(proxytest::ffmpegFrameDigests(*server_->playbackURLWithURL(address)) == expected);

    restartServer();
    const auto again = server_->exportAssetWithURL(address);
    EXPECT_EQ(again->status(), MCSAssetExportStatusFinished);
    EXPECT_EQ(server_->countOfBytesAllExportedAssets(), folderBytes(folder));
    EXPECT_TRUE(proxytest::ffmpegFrameDigests(*server_->playbackURLWithURL(address)) == expected);
    EXPECT_TRUE(origin_->requests().empty());
}

// A stream of many segments from an origin that is slow to answer: the export adds
// connections to it, never more than its cap, fetches every segment exactly once and
// makes a complete copy that plays like the origin's.
TEST_F(ProxyFixture, ExportOfManySegmentsFetchesEachOnceOnBoundedConnections) {
    const auto media = testsupport::freshFolder("many-segments");
    testmedia::HlsRecipe recipe;
    recipe.seconds = 24;
    recipe.segmentSeconds = 0.5;
    ASSERT_TRUE(testmedia::makeHls(media / "stream", recipe));
    testmedia::TestOrigin origin(media);
    origin.setLatency(0.03);
    ASSERT_TRUE(origin.start());
    const auto address = origin.url("stream/index.m3u8");

    const auto exporter = server_->exportAssetWithURL(address);
    ASSERT_EQ(runExport(exporter, 120), MCSAssetExportStatusFinished);
    std::size_t segments = 0;
    for (const auto& entry : std::filesystem::directory_iterator(media / "stream")) {
        if (entry.path().extension() == ".ts") {
            ++segments;
            EXPECT_EQ(origin.requestCount("/stream/" + entry.path().filename().string()), 1u) << entry.path();
        }
    }
    EXPECT_GE(segments, 40u);
    EXPECT_LE(origin.peakConcurrentRequests(), SJMediaCacheServer::defaultOptions().exportConnections);
    EXPECT_EQ(SJMediaCacheServer::defaultOptions().exportConnections, 16);

    const auto expected = proxytest::ffmpegFrameDigests(address);
    ASSERT_FALSE(expected.empty());
    origin.stop();
    EXPECT_TRUE(proxytest::ffmpegFrameDigests(*server_->playbackURLWithURL(address)) == expected);
}

TEST_F(ProxyFixture, ExportOfByteRangeStreamCoversEveryRange) {
    const auto address = origin_->url("showcase/b/index.m3u8");
    const auto exporter = server_->exportAssetWithURL(address);
    ASSERT_EQ(runExport(exporter), MCSAssetExportStatusFinished);
    const auto expected = proxytest::ffmpegFrameDigests(address);
    origin_->stop();
    EXPECT_TRUE(proxytest::ffmpegFrameDigests(*server_->playbackURLWithURL(address)) == expected);
}

TEST_F(ProxyFixture, FailingSegmentFailsTheExportAndResumeCompletesIt) {
    const auto address = origin_->url("twovariants/master.m3u8");
    origin_->failPath("twovariants/v0/seg001.ts", 500);
    const auto exporter = server_->exportAssetWithURL(address);
    ASSERT_EQ(runExport(exporter), MCSAssetExportStatusFailed);
    EXPECT_LT(exporter->progress(), 1.0f);
    EXPECT_GE(origin_->requestCount("twovariants/v0/seg001.ts"), 3u) << "retried";
    const auto other = origin_->requestCount("twovariants/v0/seg000.ts");

    origin_->clearFailures();
    ASSERT_EQ(runExport(exporter), MCSAssetExportStatusFinished);
    EXPECT_FLOAT_EQ(exporter->progress(), 1.0f);
    EXPECT_EQ(origin_->requestCount("twovariants/v0/seg000.ts"), other) << "what it had is kept";
    origin_->stop();
    EXPECT_FALSE(proxytest::ffmpegFrameDigests(*server_->playbackURLWithURL(address)).empty());
}

TEST_F(ProxyFixture, TruncatedAnswersAreRetriedNeverTakenAsComplete) {
    const auto address = origin_->url("twovariants/v1/index.m3u8");
    origin_->cutPath("twovariants/v1/seg000.ts", 100, 2);
    const auto exporter = server_->exportAssetWithURL(address);
    ASSERT_EQ(runExport(exporter), MCSAssetExportStatusFinished);
    const auto expected = proxytest::ffmpegFrameDigests(address);
    origin_->stop();
    EXPECT_TRUE(proxytest::ffmpegFrameDigests(*server_->playbackURLWithURL(address)) == expected);
}

TEST_F(ProxyFixture, SuspendKeepsWhatItHasAndRemovalFreesEverything) {
    const auto address = origin_->url("showcase/master.m3u8");
    origin_->setLatency(0.05);
    const auto exporter = server_->exportAssetWithURL(address);
    int statusCalls = 0;
    exporter->setStatusDidChangeExecuteBlock([&](const auto&) { ++statusCalls; });
    exporter->resume();
    RunLoop::main().runUntil([&] { return exporter->status() == MCSAssetExportStatusExporting; }, 10);
    exporter->suspend();
    EXPECT_EQ(exporter->status(), MCSAssetExportStatusSuspended);
    ASSERT_EQ(runExport(exporter), MCSAssetExportStatusFinished);
    const auto folder = cacheRoot_ / exporter->name();
    ASSERT_GT(server_->countOfBytesAllExportedAssets(), 0u);

    RunLoop::main().runPending();
    const int callsBeforeRemoval = statusCalls;
    server_->removeExportAssetWithURL(address);
    EXPECT_EQ(server_->countOfBytesAllExportedAssets(), 0u);
    EXPECT_FALSE(std::filesystem::exists(folder));
    EXPECT_TRUE(exporterRows(cacheRoot_).empty());
    RunLoop::main().runPending();
    EXPECT_EQ(statusCalls, callsBeforeRemoval) << "no block after removal";

    // A later export starts afresh.
    const auto fresh = server_->exportAssetWithURL(address);
    EXPECT_NE(fresh, exporter);
    EXPECT_EQ(fresh->status(), MCSAssetExportStatusUnknown);
    EXPECT_EQ(fresh->progress(), 0.0f);
}

TEST_F(ProxyFixture, ClearingRemovableCachesKeepsExports) {
    const auto exported = origin_->url("twovariants/master.m3u8");
    ASSERT_EQ(runExport(server_->exportAssetWithURL(exported)), MCSAssetExportStatusFinished);
    const auto exportedBytes = server_->countOfBytesAllExportedAssets();

    bool completed = false;
    std::optional<NSError> failure;
    const auto task = server_->prefetchWithURL(origin_->url("plain/clip.mp4"), 20000, nullptr,
                                               [&](const std::optional<NSError>& error) {
                                                   completed = true;
                                                   failure = error;
                                               });
    ASSERT_TRUE(task);
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return completed; }, 20));
    EXPECT_FALSE(failure);
    const auto requests = origin_->requests();
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests.back().path, "/plain/clip.mp4");
    std::size_t folders = 0;
    for (const auto& entry : std::filesystem::directory_iterator(cacheRoot_)) {
        folders += entry.is_directory() ? 1 : 0;
    }
    EXPECT_EQ(folders, 2u);

    // The prefetch reports completion once its bytes are cached; its transfer may still be
    // winding down on the fetch thread, and media being fetched is never cleared. Clear
    // again until that transfer has ended.
    const auto foldersAfterClearing = [&] {
        server_->removeAllRemovableCaches();
        std::size_t count = 0;
        for (const auto& entry : std::filesystem::directory_iterator(cacheRoot_)) {
            count += entry.is_directory() ? 1 : 0;
        }
        EXPECT_GE(count, 1u);
        return count;
    };
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return foldersAfterClearing() == 1; }, 20));
    EXPECT_EQ(server_->countOfBytesAllExportedAssets(), exportedBytes);
    origin_->stop();
    EXPECT_FALSE(proxytest::ffmpegFrameDigests(*server_->playbackURLWithURL(exported)).empty());
}

TEST_F(ProxyFixture, EvictsTheLeastRecentlyUsedCacheBeyondItsLimit) {
    const auto size =
        testmedia::readFile(testmedia::MediaFixtures::shared().root() / "plain" / "clip.mp4").size();
    server_ = makeServer(size + size / 2);
    std::atomic<int> configured{0};
    server_->setUpstreamConfigurator([&](CURL*) { ++configured; });
    const auto prefetchWhole = [&](const std::string& path) {
        bool done = false;
        const auto task = server_->prefetchWithURL(origin_->url(path), 100u << 20, nullptr,
                                                   [&](const std::optional<NSError>&) { done = true; });
        return RunLoop::main().runUntil([&] { return done; }, 20);
    };
    const auto folders = [&] {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(cacheRoot_)) {
            if (entry.is_directory()) {
                names.push_back(entry.path().filename().string());
            }
        }
        return names;
    };
    ASSERT_TRUE(prefetchWhole("plain/clip.mp4?copy=1"));
    const auto older = folders();
    ASSERT_EQ(older.size(), 1u);
    ASSERT_TRUE(prefetchWhole("plain/clip.mp4?copy=2"));
    // Two copies exceed the limit: the older one goes, the newer stays.
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return folders().size() == 1; }, 20));
    EXPECT_NE(folders()[0], older[0]);
    EXPECT_GT(configured, 0) << "every upstream request passes the configurator";

    // An address handed out before its bytes were evicted still plays (fetched again).
    const auto url = *server_->playbackURLWithURL(origin_->url("plain/clip.mp4?copy=1"));
    EXPECT_EQ(proxytest::get(url).body.size(), size);
}

TEST_F(ProxyFixture, PrefetchCachesUpToItsSizeAndStopsWhenCancelled) {
    const auto file = testmedia::readFile(testmedia::MediaFixtures::shared().root() / "plain" / "clip.mp4");
    std::vector<float> progress;
    bool completed = false;
    const auto task = server_->prefetchWithURL(
        origin_->url("plain/clip.mp4"), 5000, [&](float value) { progress.push_back(value); },
        [&](const std::optional<NSError>&) { completed = true; });
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return completed; }, 20));
    ASSERT_FALSE(progress.empty());
    EXPECT_FLOAT_EQ(progress.back(), 1.0f);
    // The first 5000 bytes now come from the cache, the rest from the origin.
    origin_->clearLog();
    const auto url = *server_->playbackURLWithURL(origin_->url("plain/clip.mp4"));
    EXPECT_EQ(proxytest::get(url, {"Range: bytes=0-4999"}).body, file.substr(0, 5000));
    EXPECT_TRUE(origin_->requests().empty());

    origin_->setLatency(0.3);
    bool cancelledCompleted = false;
    const auto slow =
        server_->prefetchWithURL(origin_->url("showcase/master.m3u8"), 100u << 20, nullptr,
                                 [&](const std::optional<NSError>&) { cancelledCompleted = true; });
    slow->cancel();
    slow->cancel();
    RunLoop::main().runUntil([&] { return slow->isFinished(); }, 20);
    RunLoop::main().runPending();
    EXPECT_FALSE(cancelledCompleted);
    EXPECT_FALSE(server_->prefetchWithURL("data:text/plain,hello", 10, nullptr, nullptr));
}

TEST_F(ProxyFixture, KilledProcessResumesWithoutFetchingAgainWhatItHad) {
    const auto address = origin_->url("showcase/a/index.m3u8");
    origin_->setBytesPerSecond(30 * 1024);
    const auto child = std::filesystem::path(std::getenv("ORVEX_BUILD_DIR")) / "tests" / "platform" /
                       "SJMediaCacheServer" / "mediacache_export_child";
    const std::string root = cacheRoot_.string();
    std::vector<char*> arguments = {const_cast<char*>(child.c_str()), const_cast<char*>(root.c_str()),
                                    const_cast<char*>(address.c_str()), nullptr};
    server_.reset(); // the child owns the cache folder now
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, child.c_str(), nullptr, nullptr, arguments.data(), environ), 0);
    std::set<std::string> complete;
    const bool partial = RunLoop::main().runUntil(
        [&] {
            complete = completeResources(cacheRoot_);
            return complete.size() >= 3; // the playlist and at least two segments or the key
        },
        30);
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(partial);
    complete = completeResources(cacheRoot_);
    origin_->clearLog();
    origin_->setBytesPerSecond(0);

    server_ = makeServer();
    const auto exporter = server_->exportAssetWithURL(address);
    EXPECT_EQ(exporter->status(), MCSAssetExportStatusSuspended);
    ASSERT_EQ(runExport(exporter), MCSAssetExportStatusFinished);
    for (const auto& url : complete) {
        EXPECT_EQ(origin_->requestCount(url.substr(origin_->baseURL().size())), 0u)
            << url << " was fetched again";
    }
    EXPECT_FALSE(origin_->requests().empty()) << "the rest was fetched";
    const auto expected = proxytest::ffmpegFrameDigests(address);
    origin_->stop();
    EXPECT_TRUE(proxytest::ffmpegFrameDigests(*server_->playbackURLWithURL(address)) == expected);
}
