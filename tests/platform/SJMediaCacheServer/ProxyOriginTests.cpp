#include "platform/SJMediaCacheServer/AssetNaming.h"
#include "platform/SJMediaCacheServer/MCSPrefetchTask.h"
#include "platform/SJMediaCacheServer/Playlist.h"
#include "tests/platform/SJMediaCacheServer/ProxyFixture.h"
#include "tests/platform/SJMediaCacheServer/ProxyTestClient.h"

#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

// Origins as they are met outside the fixtures: playlists at addresses that do not say
// what they are, media that needs the parse answer's header fields, and cache folders
// that cannot be written.

namespace {

// Every URI of the playlist at `proxied` (through the proxy) paired with the same URI of
// the playlist at `original` (straight from the origin), as absolute addresses.
std::vector<std::pair<std::string, std::string>> pairedUris(const std::string& proxied,
                                                            const std::string& original) {
    const auto viaProxy = proxytest::get(proxied);
    const auto direct = proxytest::get(original);
    EXPECT_EQ(viaProxy.status, 200);
    EXPECT_EQ(viaProxy.headers.at("content-type"), "application/vnd.apple.mpegurl");
    const auto a = mcs::hls::parsePlaylist(viaProxy.body);
    const auto b = mcs::hls::parsePlaylist(direct.body);
    std::vector<std::pair<std::string, std::string>> pairs;
    EXPECT_EQ(a.uris.size(), b.uris.size());
    for (std::size_t i = 0; i < std::min(a.uris.size(), b.uris.size()); ++i) {
        pairs.emplace_back(a.uris[i].uri, mcs::resolveUrl(original, b.uris[i].uri).value_or(""));
    }
    return pairs;
}

std::filesystem::path onlyFileWithExtension(const std::filesystem::path& root, const std::string& extension) {
    std::vector<std::filesystem::path> found;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        if (entry.is_regular_file() && entry.path().extension() == extension) {
            found.push_back(entry.path());
        }
    }
    EXPECT_EQ(found.size(), 1u);
    return found.empty() ? std::filesystem::path() : found[0];
}

} // namespace

TEST_F(ProxyFixture, PlaylistAtAnAddressWithoutItsExtensionPlaysByteExactAndExportsWhole) {
    const auto original = origin_->url("showcase/a/index.m3u8");
    const auto expected = proxytest::ffmpegFrameDigests(original);
    ASSERT_FALSE(expected.empty());
    // With the HLS media type, with a generic one, and with none at all: the body decides.
    const std::vector<std::string> types = {"application/x-mpegURL", "application/octet-stream", ""};
    for (std::size_t i = 0; i < types.size(); ++i) {
        SCOPED_TRACE("Content-Type \"" + types[i] + "\"");
        origin_->start();
        origin_->alias("showcase/a/play", "showcase/a/index.m3u8", types[i]);
        const auto address = origin_->url("showcase/a/play?id=" + std::to_string(7 + i));
        const auto proxied = *server_->playbackURLWithURL(address);

        // Every segment and the key arrive through the proxy with the origin's bytes.
        const auto pairs = pairedUris(proxied, original);
        ASSERT_GT(pairs.size(), 2u);
        for (const auto& [viaProxy, direct] : pairs) {
            ASSERT_EQ(viaProxy.rfind("http://127.0.0.1:" + std::to_string(portOf(proxied)) + "/", 0), 0u)
                << viaProxy;
            EXPECT_EQ(proxytest::get(viaProxy).body, proxytest::get(direct).body) << direct;
        }
        EXPECT_TRUE(proxytest::ffmpegFrameDigests(proxied) == expected);

        // Its export keeps every segment and the key, and plays with the origin gone.
        const auto exporter = server_->exportAssetWithURL(address);
        ASSERT_EQ(runExport(exporter), MCSAssetExportStatusFinished);
        origin_->stop();
        const auto offline = *server_->playbackURLWithURL(address);
        EXPECT_TRUE(offline.ends_with(".m3u8")) << "known to be a playlist: " << offline;
        EXPECT_TRUE(proxytest::ffmpegFrameDigests(offline) == expected);
        restartServer();
        EXPECT_TRUE(proxytest::ffmpegFrameDigests(*server_->playbackURLWithURL(address)) == expected);
    }
}

TEST_F(ProxyFixture, PrefetchOfAPlaylistWithoutItsExtensionFetchesSegments) {
    origin_->alias("showcase/a/play", "showcase/a/index.m3u8", "application/vnd.apple.mpegurl");
    bool completed = false;
    std::optional<NSError> failure;
    const auto task = server_->prefetchWithURL(origin_->url("showcase/a/play?id=1"), 100u << 20, nullptr,
                                               [&](const std::optional<NSError>& error) {
                                                   completed = true;
                                                   failure = error;
                                               });
    ASSERT_TRUE(task);
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return completed; }, 30));
    EXPECT_FALSE(failure);
    EXPECT_GE(origin_->requestCount("showcase/a/seg000.ts"), 1u);
    EXPECT_GE(origin_->requestCount("showcase/a/seg003.ts"), 1u);
    EXPECT_GE(origin_->requestCount("showcase/a/enc.key"), 1u);

    // A plain file without a telling extension stays a plain file.
    origin_->alias("plain/video", "plain/clip.mp4", "");
    const auto file = testmedia::readFile(testmedia::MediaFixtures::shared().root() / "plain" / "clip.mp4");
    const auto url = *server_->playbackURLWithURL(origin_->url("plain/video"));
    EXPECT_EQ(proxytest::get(url, {"Range: bytes=1000-"}).body, file.substr(1000));
    EXPECT_EQ(proxytest::get(url).body, file);

    // Read from its start, the answer that tells the kind is the one that is served.
    origin_->alias("plain/other", "plain/clip.mp4", "video/mp4");
    origin_->clearLog();
    EXPECT_EQ(proxytest::get(*server_->playbackURLWithURL(origin_->url("plain/other"))).body, file);
    EXPECT_EQ(origin_->requestCount("plain/other"), 1u);
}

TEST_F(ProxyFixture, ExportSendsTheOriginsHeaderFieldsAlsoWhenResumedAfterARestart) {
    origin_->requireHeader("User-Agent", "OrvexTest/2.0");
    origin_->requireHeader("X-Media-Token", "t0k3n");
    origin_->redirect("go/master", "showcase/master.m3u8");
    const auto address = origin_->url("go/master");
    const std::map<std::string, std::string> headers = {{"User-Agent", "OrvexTest/2.0"},
                                                        {"X-Media-Token", "t0k3n"}};

    // Without them the origin refuses, and the export says so.
    const auto plain = server_->exportAssetWithURL(address);
    ASSERT_EQ(runExport(plain), MCSAssetExportStatusFailed);
    ASSERT_TRUE(plain->error());
    EXPECT_EQ(plain->error()->code, 403);

    // Fields with line breaks or names that are no HTTP tokens are refused outright.
    EXPECT_FALSE(server_->exportAssetWithURL(address, {{"X-Media-Token", "t0k3n\r\nX-Other: 1"}}));
    EXPECT_FALSE(server_->exportAssetWithURL(address, {{"User-Agent", "a\nb"}}));
    EXPECT_FALSE(server_->exportAssetWithURL(address, {{"X Token", "t"}}));
    EXPECT_FALSE(server_->exportAssetWithURL(address, {{"", "t"}}));

    // With them it runs until a segment the origin cannot give stops it; then the process
    // ends.
    origin_->clearLog();
    origin_->failPath("showcase/a/seg003.ts", 404);
    const auto exporter = server_->exportAssetWithURL(address, headers);
    ASSERT_EQ(exporter, plain) << "one task per address";
    ASSERT_EQ(runExport(exporter), MCSAssetExportStatusFailed);
    EXPECT_EQ(exporter->error()->code, 404);
    restartServer();
    origin_->clearFailures();
    const auto beforeRestart = origin_->requests().size();

    // The task of the next process is found without the fields and still sends them.
    const auto resumed = server_->exportAssetWithURL(address);
    ASSERT_EQ(resumed->status(), MCSAssetExportStatusFailed);
    ASSERT_EQ(runExport(resumed), MCSAssetExportStatusFinished);
    const auto requests = origin_->requests();
    EXPECT_GT(requests.size(), beforeRestart) << "the rest was fetched after the restart";
    for (const auto& request : requests) {
        EXPECT_EQ(request.userAgent, "OrvexTest/2.0") << request.path;
    }
    // The redirect, the master, the variant, its key (an absolute address), the segments.
    for (const auto* path : {"go/master", "showcase/master.m3u8", "showcase/a/index.m3u8",
                             "showcase/a/enc.key", "showcase/a/seg000.ts", "showcase/a/seg003.ts"}) {
        EXPECT_GE(origin_->requestCount(path), 1u) << path;
    }
    const auto expected = [&] {
        testmedia::TestOrigin open(testmedia::MediaFixtures::shared().root());
        open.start();
        return proxytest::ffmpegFrameDigests(open.url("showcase/a/index.m3u8"));
    }();
    origin_->stop();
    EXPECT_TRUE(proxytest::ffmpegFrameDigests(*server_->playbackURLWithURL(address)) == expected);
}

TEST_F(ProxyFixture, CacheFolderThatCannotBeWrittenServesNothingAndFailsExports) {
    // A cache folder below a file cannot be made by anyone, whatever their rights.
    const auto blocker = testsupport::freshFolder("mcs-blocked") / "Documents";
    std::ofstream(blocker) << "not a folder";
    std::vector<std::filesystem::path> roots = {blocker / "com.SJMediaCacheServer.cache"};
    if (::geteuid() != 0) {
        // A folder without write permission stops everyone but the superuser.
        const auto locked = testsupport::freshFolder("mcs-locked");
        ::chmod(locked.c_str(), 0500);
        roots.push_back(locked);
    }
    for (const auto& root : roots) {
        SCOPED_TRACE(root.string());
        auto options = SJMediaCacheServer::defaultOptions();
        options.cacheRoot = root;
        options.fetchAttempts = 1;
        std::unique_ptr<SJMediaCacheServer> server;
        ASSERT_NO_THROW(server = std::make_unique<SJMediaCacheServer>(options));
        EXPECT_FALSE(server->playbackURLWithURL(origin_->url("showcase/master.m3u8")))
            << "play the original address";
        EXPECT_FALSE(server->prefetchWithURL(origin_->url("plain/clip.mp4"), 1000, nullptr, nullptr));
        const auto exporter = server->exportAssetWithURL(origin_->url("showcase/master.m3u8"));
        ASSERT_TRUE(exporter);
        EXPECT_EQ(runExport(exporter), MCSAssetExportStatusFailed);
        ASSERT_TRUE(exporter->error());
        EXPECT_EQ(exporter->error()->code, MCSAssetExportErrorStorage);
        EXPECT_EQ(server->countOfBytesAllExportedAssets(), 0u);
        server->removeAllRemovableCaches();
        server->removeExportAssetWithURL(origin_->url("showcase/master.m3u8"));
        ::chmod(root.c_str(), 0700);
    }
}

TEST_F(ProxyFixture, CachedRangesBeyondAFilesRealLengthAreFetchedAgainAfterARestart) {
    const auto file = testmedia::readFile(testmedia::MediaFixtures::shared().root() / "plain" / "clip.mp4");
    const auto address = origin_->url("plain/clip.mp4");
    ASSERT_EQ(proxytest::get(*server_->playbackURLWithURL(address)).body, file);
    server_.reset(); // records the cached runs
    const auto cached = onlyFileWithExtension(cacheRoot_, ".mp4");
    const auto cut = file.size() / 3;
    ASSERT_EQ(::truncate(cached.c_str(), static_cast<off_t>(cut)), 0);

    server_ = makeServer();
    origin_->clearLog();
    EXPECT_EQ(proxytest::get(*server_->playbackURLWithURL(address)).body, file);
    const auto requests = origin_->requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].range, "bytes=" + std::to_string(cut) + "-" + std::to_string(file.size() - 1));
}

TEST_F(ProxyFixture, CacheFilesThatCannotBeWrittenFailTheExportWithAStorageError) {
    // A process whose files may not grow past 32 KiB: the playlist and the key fit, the
    // segments do not. The export ends failed and says why, instead of finishing.
    const auto child = std::filesystem::path(std::getenv("ORVEX_BUILD_DIR")) / "tests" / "platform" /
                       "SJMediaCacheServer" / "mediacache_export_child";
    const auto root = testsupport::freshFolder("mcs-limited");
    bool ok = false;
    const auto output = proxytest::runCommand("'" + child.string() + "' '" + root.string() + "' '" +
                                                  origin_->url("showcase/a/index.m3u8") + "' 32768",
                                              ok);
    ASSERT_TRUE(ok) << output;
    EXPECT_EQ(output, std::to_string(MCSAssetExportStatusFailed) + " " +
                          std::to_string(MCSAssetExportErrorStorage) + "\n");
}
