// Exports and prefetches from origins with passing faults (connections dropped or reset,
// busy answers) and with lasting ones (missing media).
#include "platform/SJMediaCacheServer/MCSPrefetchTask.h"
#include "tests/platform/SJMediaCacheServer/ProxyFixture.h"
#include "tests/platform/SJMediaCacheServer/ProxyTestClient.h"

#include <sstream>
#include <vector>

namespace {

// The URI lines of a playlist, in order.
std::vector<std::string> uriLines(const std::string& playlist) {
    std::vector<std::string> lines;
    std::istringstream in(playlist);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (!line.empty() && line[0] != '#') {
            lines.push_back(line);
        }
    }
    return lines;
}

class ProxyFaults : public ProxyFixture {
  protected:
    // A stream of `segments` half-second segments in a folder of its own, served by
    // `origin` (made by the caller).
    static std::filesystem::path makeStream(int segments) {
        const auto media = testsupport::freshFolder("fault-stream");
        testmedia::HlsRecipe recipe;
        recipe.seconds = segments * 0.5;
        recipe.segmentSeconds = 0.5;
        EXPECT_TRUE(testmedia::makeHls(media / "stream", recipe));
        return media;
    }

    // Whether each segment the proxy serves offline is, byte for byte, the origin's file.
    static void expectExportedCopyOf(SJMediaCacheServer& server, const std::string& address,
                                     const std::filesystem::path& folder) {
        const auto original = uriLines(testmedia::readFile(folder / "index.m3u8"));
        const auto served = proxytest::get(*server.playbackURLWithURL(address));
        ASSERT_EQ(served.status, 200);
        const auto rewritten = uriLines(served.body);
        ASSERT_EQ(rewritten.size(), original.size());
        for (std::size_t i = 0; i < original.size(); ++i) {
            const auto segment = proxytest::get(rewritten[i]);
            EXPECT_EQ(segment.status, 200) << original[i];
            EXPECT_TRUE(segment.body == testmedia::readFile(folder / original[i])) << original[i];
        }
    }
};

// The first connection of every third segment is reset before it is answered, and one
// transfer in five (the first of every fifth segment, after it sent half its bytes) is
// reset halfway: every segment is tried again and the copy is exact. The playlist's first
// request is dropped too.
TEST_F(ProxyFaults, ExportRidesOutDroppedAndResetConnectionsAndIsExact) {
    const auto media = makeStream(30);
    testmedia::TestOrigin origin(media);
    ASSERT_TRUE(origin.start());
    const auto segments = uriLines(testmedia::readFile(media / "stream" / "index.m3u8"));
    ASSERT_GE(segments.size(), 15u);
    origin.dropPath("stream/index.m3u8");
    std::size_t dropped = 0;
    std::size_t reset = 0;
    for (std::size_t i = 0; i < segments.size(); ++i) {
        const auto path = "stream/" + segments[i];
        if (i % 3 == 0) {
            origin.dropPath(path);
            ++dropped;
        }
        if (i % 5 == 0) {
            origin.resetPath(path, std::filesystem::file_size(media / "stream" / segments[i]) / 2);
            ++reset;
        }
    }
    const auto address = origin.url("stream/index.m3u8");
    const auto exporter = server_->exportAssetWithURL(address);
    ASSERT_EQ(runExport(exporter, 120), MCSAssetExportStatusFinished)
        << (exporter->error() ? exporter->error()->code : 0);
    EXPECT_FALSE(exporter->error());
    EXPECT_EQ(origin.requestCount("stream/index.m3u8"), 2u);
    std::size_t requests = 0;
    for (std::size_t i = 0; i < segments.size(); ++i) {
        const auto count = origin.requestCount("stream/" + segments[i]);
        EXPECT_EQ(count, 1u + (i % 3 == 0 ? 1 : 0) + (i % 5 == 0 ? 1 : 0)) << segments[i];
        requests += count;
    }
    EXPECT_EQ(requests, segments.size() + dropped + reset);
    origin.stop();
    expectExportedCopyOf(*server_, address, media / "stream");
}

// Media that is not there, gone, or forbidden does not come by asking again: the export
// fails with the origin's status after one request, and keeps what it had.
TEST_F(ProxyFaults, MissingGoneOrForbiddenSegmentsFailTheExportAtOnce) {
    const auto address = origin_->url("twovariants/v1/index.m3u8");
    for (const int status : {404, 410, 403}) {
        origin_->clearLog();
        origin_->failPath("twovariants/v1/seg002.ts", status);
        const auto exporter = server_->exportAssetWithURL(address);
        ASSERT_EQ(runExport(exporter), MCSAssetExportStatusFailed) << status;
        ASSERT_TRUE(exporter->error()) << status;
        EXPECT_EQ(exporter->error()->code, status);
        EXPECT_EQ(origin_->requestCount("twovariants/v1/seg002.ts"), 1u) << status << ": asked again";
        EXPECT_EQ(origin_->requestCount("twovariants/v1/seg000.ts"), status == 404 ? 1u : 0u)
            << "what it had is kept";
        EXPECT_LT(exporter->progress(), 1.0f);
    }
    origin_->clearFailures();
    ASSERT_EQ(runExport(server_->exportAssetWithURL(address)), MCSAssetExportStatusFinished);
}

// Busy answers (503 with a Retry-After, 429) and resets are tried again by exports and by
// prefetches alike; a prefetch of missing media fails at once.
TEST_F(ProxyFaults, BusyAnswersAreTriedAgainByExportsAndPrefetches) {
    origin_->failPath("twovariants/v0/seg001.ts", 503, 2, "1");
    origin_->failPath("twovariants/v0/seg002.ts", 429, 1, "Sun, 06 Nov 1994 08:49:37 GMT");
    const auto exporter = server_->exportAssetWithURL(origin_->url("twovariants/v0/index.m3u8"));
    ASSERT_EQ(runExport(exporter), MCSAssetExportStatusFinished);
    EXPECT_EQ(origin_->requestCount("twovariants/v0/seg001.ts"), 3u);
    EXPECT_EQ(origin_->requestCount("twovariants/v0/seg002.ts"), 2u);

    const auto prefetch = [&](const std::string& path) {
        bool completed = false;
        std::optional<NSError> failure;
        const auto task = server_->prefetchWithURL(origin_->url(path), 20000, nullptr,
                                                   [&](const std::optional<NSError>& error) {
                                                       completed = true;
                                                       failure = error;
                                                   });
        EXPECT_TRUE(RunLoop::main().runUntil([&] { return completed; }, 30)) << path;
        return failure;
    };
    origin_->failPath("plain/clip.mp4", 503, 2, "1");
    EXPECT_FALSE(prefetch("plain/clip.mp4"));
    EXPECT_EQ(origin_->requestCount("plain/clip.mp4"), 3u);

    origin_->failPath("twovariants/v1/seg000.ts", 502, 1);
    origin_->dropPath("twovariants/v1/index.m3u8");
    EXPECT_FALSE(prefetch("twovariants/v1/index.m3u8"));
    EXPECT_EQ(origin_->requestCount("twovariants/v1/seg000.ts"), 2u);

    origin_->failPath("plain/missing.mp4", 404);
    const auto missing = prefetch("plain/missing.mp4");
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->code, 404);
    EXPECT_EQ(origin_->requestCount("plain/missing.mp4"), 1u);
}

} // namespace
