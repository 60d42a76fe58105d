#include "tests/platform/SJMediaCacheServer/ProxyFixture.h"
#include "tests/platform/SJMediaCacheServer/ProxyTestClient.h"

#include <regex>

using proxytest::get;

TEST_F(ProxyFixture, FfmpegReadsProxiedHlsByteForByte) {
    const auto master = origin_->url("showcase/master.m3u8");
    const auto direct = proxytest::ffmpegFrameDigests(master);
    ASSERT_FALSE(direct.empty());
    origin_->clearLog();

    const auto playback = server_->playbackURLWithURL(master);
    ASSERT_TRUE(playback);
    EXPECT_EQ(playback->rfind("http://127.0.0.1:", 0), 0u);
    EXPECT_EQ(playback->substr(playback->size() - 12), "/master.m3u8");
    // Both variants, the AES key (absolute URI), the byte ranges of variant b.
    EXPECT_TRUE(proxytest::ffmpegFrameDigests(*playback) == direct);
    EXPECT_GE(origin_->requestCount("/showcase/a/enc.key"), 1u);
    EXPECT_GE(origin_->requestCount("/showcase/b/index.ts"), 1u);

    // Every segment's bytes as the proxy serves them equal the origin's file.
    std::smatch match;
    const std::string text = get(*playback).body;
    ASSERT_TRUE(
        std::regex_search(text, match, std::regex("http://127\\.0\\.0\\.1:[0-9]+/[^\\s]+/index\\.m3u8")));
    const auto variantA = get(match.str());
    EXPECT_EQ(variantA.status, 200);
    EXPECT_EQ(variantA.headers.at("content-type"), "application/vnd.apple.mpegurl");
    EXPECT_EQ(variantA.body.find(origin_->baseURL()), std::string::npos)
        << "every URI goes through the proxy";
    std::regex segment("http://127\\.0\\.0\\.1:[0-9]+/[^\\s\"]+/(seg[0-9]+\\.ts|enc\\.key)");
    int compared = 0;
    for (auto it = std::sregex_iterator(variantA.body.begin(), variantA.body.end(), segment);
         it != std::sregex_iterator(); ++it) {
        const auto served = get(it->str());
        EXPECT_EQ(served.body, testmedia::readFile(testmedia::MediaFixtures::shared().root() / "showcase" /
                                                   "a" / (*it)[1].str()));
        ++compared;
    }
    EXPECT_GE(compared, 5); // four segments and the key
}

TEST_F(ProxyFixture, AnswersRangeRequestsOnPartlyCachedMedia) {
    const auto file = testmedia::readFile(testmedia::MediaFixtures::shared().root() / "plain" / "clip.mp4");
    const auto size = file.size();
    ASSERT_GT(size, 10000u);
    const auto url = *server_->playbackURLWithURL(origin_->url("plain/clip.mp4"));
    EXPECT_EQ(url.substr(url.size() - 9), "/clip.mp4");

    // The middle first: the file is then cached only in part.
    const auto middle = get(url, {"Range: bytes=4000-4999"});
    EXPECT_EQ(middle.status, 206);
    EXPECT_EQ(middle.headers.at("content-range"), "bytes 4000-4999/" + std::to_string(size));
    EXPECT_EQ(middle.body, file.substr(4000, 1000));

    struct Case {
        std::string range;
        std::size_t first;
        std::size_t length;
    };
    const Case cases[] = {
        {"bytes=0-99", 0, 100},          // first bytes
        {"bytes=3500-5500", 3500, 2001}, // across the cached run
        {"bytes=" + std::to_string(size - 10) + "-" + std::to_string(size + 500), size - 10,
         10},                               // end clamped
        {"bytes=6000-", 6000, size - 6000}, // open-ended
        {"bytes=-300", size - 300, 300},    // suffix
    };
    for (const auto& c : cases) {
        const auto response = get(url, {"Range: " + c.range});
        EXPECT_EQ(response.status, 206) << c.range;
        EXPECT_EQ(response.body, file.substr(c.first, c.length)) << c.range;
        EXPECT_EQ(response.headers.at("content-range"), "bytes " + std::to_string(c.first) + "-" +
                                                            std::to_string(c.first + c.length - 1) + "/" +
                                                            std::to_string(size))
            << c.range;
    }
    const auto beyond = get(url, {"Range: bytes=" + std::to_string(size) + "-"});
    EXPECT_EQ(beyond.status, 416);
    EXPECT_EQ(beyond.headers.at("content-range"), "bytes */" + std::to_string(size));
    EXPECT_TRUE(beyond.body.empty());

    const auto whole = get(url);
    EXPECT_EQ(whole.status, 200);
    EXPECT_EQ(whole.body, file);
    EXPECT_EQ(whole.headers.at("accept-ranges"), "bytes");
    const auto head = get(url, {"Range: bytes=10-19"}, true);
    EXPECT_EQ(head.status, 206);
    EXPECT_EQ(head.headers.at("content-length"), "10");
    EXPECT_TRUE(head.body.empty());
}

TEST_F(ProxyFixture, KeepsConnectionsAliveAndFetchesEachByteOnce) {
    const auto url = *server_->playbackURLWithURL(origin_->url("plain/clip.mp4"));
    proxytest::Session session;
    const auto first = session.get(url, {"Range: bytes=0-999"});
    const auto second = session.get(url, {"Range: bytes=0-999"});
    const auto third = session.get(url, {"Range: bytes=500-1499"});
    EXPECT_EQ(first.newConnections, 1);
    EXPECT_EQ(second.newConnections, 0);
    EXPECT_EQ(third.newConnections, 0);
    EXPECT_EQ(second.body, first.body);
    EXPECT_EQ(third.body.substr(0, 500), first.body.substr(500));
    // The repeated bytes came from the cache: the origin saw one request for 0-999 and
    // one for the rest of the third range.
    const auto requests = origin_->requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].range, "bytes=0-999");
    EXPECT_EQ(requests[1].range, "bytes=1000-1499");
}

TEST_F(ProxyFixture, NamesAssetsByAddressWithQueryAndOneRulePerProcess) {
    const auto a = *server_->playbackURLWithURL(origin_->url("plain/clip.mp4?id=1"));
    const auto b = *server_->playbackURLWithURL(origin_->url("plain/clip.mp4?id=2"));
    EXPECT_NE(a, b);
    EXPECT_EQ(a, *server_->playbackURLWithURL(origin_->url("plain/clip.mp4?id=1")));
    // The rule is fixed once assets have been named.
    server_->setResolveAssetIdentifier([](const std::string&) { return std::string("same"); });
    EXPECT_EQ(a, *server_->playbackURLWithURL(origin_->url("plain/clip.mp4?id=1")));
    EXPECT_NE(*server_->playbackURLWithURL(origin_->url("plain/other.mp4")), a);
    // Addresses that are not http(s) are not proxied.
    EXPECT_FALSE(server_->playbackURLWithURL("file:///etc/passwd"));
    EXPECT_FALSE(server_->playbackURLWithURL("not a url"));
    EXPECT_FALSE(server_->exportAssetWithURL("ftp://example.com/a.m3u8"));
}

TEST_F(ProxyFixture, ReportsUpstreamFailuresWithoutCachingThem) {
    const auto url = *server_->playbackURLWithURL(origin_->url("plain/missing.mp4"));
    EXPECT_EQ(get(url).status, 404);
    origin_->failPath("plain/clip.mp4", 503, 1);
    const auto clip = *server_->playbackURLWithURL(origin_->url("plain/clip.mp4"));
    EXPECT_EQ(get(clip).status, 502);
    const auto retried = get(clip);
    EXPECT_EQ(retried.status, 200);
    EXPECT_EQ(retried.body,
              testmedia::readFile(testmedia::MediaFixtures::shared().root() / "plain" / "clip.mp4"));
}

TEST_F(ProxyFixture, TheDefaultNamingRuleReachesProxiesMadeFromTheDefaultOptions) {
    const auto folderOf = [](const std::string& playback) { return playback.substr(0, playback.rfind('/')); };
    // Without a rule of the process's own, different paths are different assets.
    EXPECT_NE(folderOf(*server_->playbackURLWithURL(origin_->url("plain/clip.mp4"))),
              folderOf(*server_->playbackURLWithURL(origin_->url("plain/other.mp4"))));

    SJMediaCacheServer::setDefaultResolveAssetIdentifier(
        [](const std::string&) { return std::string("one"); });
    cacheRoot_ = testsupport::freshFolder("mcs-named");
    restartServer();
    SJMediaCacheServer::setDefaultResolveAssetIdentifier(nullptr);
    EXPECT_EQ(folderOf(*server_->playbackURLWithURL(origin_->url("plain/clip.mp4"))),
              folderOf(*server_->playbackURLWithURL(origin_->url("plain/other.mp4"))));
}
