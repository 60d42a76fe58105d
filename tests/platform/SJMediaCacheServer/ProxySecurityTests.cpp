#include "platform/Network/NetworkPolicy.h"
#include "tests/platform/SJMediaCacheServer/ProxyFixture.h"
#include "tests/platform/SJMediaCacheServer/ProxyTestClient.h"
#include "tests/support/SlotHolders.h"
#include "tools/devservice/DevService.h"

#include <chrono>
#include <fstream>
#include <future>
#include <thread>

namespace {

std::string pathOf(const std::string& url) {
    return url.substr(url.find('/', std::string("http://").size()));
}

std::string request(const std::string& line, const std::string& host, const std::string& extra = {}) {
    return line + "\r\nHost: " + host + "\r\n" + extra + "Connection: close\r\n\r\n";
}

} // namespace

TEST_F(ProxyFixture, RefusesEveryRequestOutsideItsContract) {
    const auto url = *server_->playbackURLWithURL(origin_->url("plain/clip.mp4"));
    const auto port = portOf(url);
    const auto host = "127.0.0.1:" + std::to_string(port);
    const auto path = pathOf(url);
    ASSERT_EQ(proxytest::rawStatus(port, request("GET " + path + " HTTP/1.1", host)), 200);

    // DNS rebinding: a page's own host name.
    EXPECT_EQ(proxytest::rawStatus(
                  port, request("GET " + path + " HTTP/1.1", "evil.example:" + std::to_string(port))),
              403);
    EXPECT_EQ(
        proxytest::rawStatus(port, request("GET " + path + " HTTP/1.1", "localhost:" + std::to_string(port))),
        403);
    EXPECT_EQ(proxytest::rawStatus(port, "GET " + path + " HTTP/1.0\r\n\r\n"), 403); // no Host at all
    // Browsers.
    EXPECT_EQ(proxytest::rawStatus(
                  port, request("GET " + path + " HTTP/1.1", host, "Origin: http://evil.example\r\n")),
              403);
    EXPECT_EQ(
        proxytest::rawStatus(port, request("GET " + path + " HTTP/1.1", host, "Sec-Fetch-Mode: no-cors\r\n")),
        403);
    EXPECT_EQ(proxytest::rawStatus(
                  port, request("GET " + path + " HTTP/1.1", host, "sec-fetch-site: cross-site\r\n")),
              403);
    // Open-proxy forms.
    EXPECT_EQ(
        proxytest::rawStatus(port, request("GET " + origin_->url("plain/clip.mp4") + " HTTP/1.1", host)),
        403);
    EXPECT_EQ(proxytest::rawStatus(
                  port, request("CONNECT 127.0.0.1:" + std::to_string(origin_->port()) + " HTTP/1.1", host)),
              403);
    EXPECT_EQ(proxytest::rawStatus(port, request("OPTIONS * HTTP/1.1", host)), 405);
    EXPECT_EQ(
        proxytest::rawStatus(port, request("POST " + path + " HTTP/1.1", host, "Content-Length: 0\r\n")),
        405);
    // Wrong token, unknown asset or resource, malformed paths.
    std::string wrongToken = path;
    wrongToken[1] = wrongToken[1] == 'a' ? 'b' : 'a';
    EXPECT_EQ(proxytest::rawStatus(port, request("GET " + wrongToken + " HTTP/1.1", host)), 404);
    const auto token = path.substr(1, 32);
    EXPECT_EQ(proxytest::rawStatus(port, request("GET /" + token + "/" + std::string(32, 'a') + "/" +
                                                     std::string(24, 'b') + "/x.mp4 HTTP/1.1",
                                                 host)),
              404);
    EXPECT_EQ(proxytest::rawStatus(port, request("GET /" + token + "/../../mcs.db HTTP/1.1", host)), 404);
    // Bodies and malformed heads.
    EXPECT_EQ(proxytest::rawStatus(port, request("GET " + path + " HTTP/1.1", host, "Content-Length: 5\r\n")),
              400);
    EXPECT_EQ(
        proxytest::rawStatus(port, "GET " + path + " HTTP/1.1\r\nHost: " + host + "\r\n folded\r\n\r\n"),
        400);
    // Switched off.
    server_->setActive(false);
    EXPECT_EQ(proxytest::rawStatus(port, request("GET " + path + " HTTP/1.1", host)), 503);
    server_->setActive(true);
    EXPECT_EQ(proxytest::rawStatus(port, request("GET " + path + " HTTP/1.1", host)), 200);
}

TEST_F(ProxyFixture, FetchesOnlyAddressesHandedOverAndThePlaylistsOwnUris) {
    const auto url = *server_->playbackURLWithURL(origin_->url("showcase/master.m3u8"));
    const auto port = portOf(url);
    const auto path = pathOf(url);
    const auto prefix = path.substr(0, path.find('/', 1 + 32 + 1 + 32 + 1));
    // A made-up resource id under a real asset is not a way to reach anything.
    EXPECT_EQ(proxytest::get("http://127.0.0.1:" + std::to_string(port) + prefix + "/" +
                             std::string(24, 'c') + "/clip.mp4")
                  .status,
              404);
    EXPECT_EQ(proxytest::get(url).status, 200);
    for (const auto& entry : origin_->requests()) {
        EXPECT_EQ(entry.path.rfind("/showcase/", 0), 0u) << entry.path;
    }
    EXPECT_FALSE(origin_->anyRequestUnder("/plain/"));
}

TEST_F(ProxyFixture, NeverFetchesItsOwnAddressFromAPlaylist) {
    // A playlist that names the proxy itself must not make it call itself.
    const auto url = *server_->playbackURLWithURL(origin_->url("plain/clip.mp4"));
    const auto port = portOf(url);
    const auto folder = testsupport::freshFolder("loop");
    {
        std::ofstream out(folder / "loop.m3u8");
        out << "#EXTM3U\n#EXT-X-PLAYLIST-TYPE:VOD\n#EXTINF:1,\nhttp://127.0.0.1:" << port
            << url.substr(url.find('/', 8)) << "\n#EXT-X-ENDLIST\n";
    }
    testmedia::TestOrigin loopOrigin(folder);
    ASSERT_TRUE(loopOrigin.start());
    const auto playlist = proxytest::get(*server_->playbackURLWithURL(loopOrigin.url("loop.m3u8")));
    ASSERT_EQ(playlist.status, 200);
    const auto start = playlist.body.find("http://127.0.0.1:");
    ASSERT_NE(start, std::string::npos);
    const auto segment = playlist.body.substr(start, playlist.body.find('\n', start) - start);
    EXPECT_EQ(proxytest::get(segment).status, 502);
    EXPECT_EQ(origin_->requestCount("/plain/clip.mp4"), 0u);
}

// A service whose name resolves to a local address (as the development service's does)
// is fetched there, the segments on its own name too; another name that a playlist
// gives is still kept off local addresses.
TEST_F(ProxyFixture, ANamedOriginOnALocalAddressGetsItsOwnSegmentsOnly) {
    DevService::Options options;
    options.dataDir = testsupport::freshFolder("resolver");
    DevService resolver(options);
    ASSERT_TRUE(resolver.start()) << resolver.lastError();
    NetworkPolicy::setCertificateAuthorityFile(resolver.caFile());
    NWParameters::PrivacyContext::defaultContext().requireEncryptedNameResolution(
        true, NWParameters::PrivacyContext::ResolverConfiguration::https(
                  "https://dns.orvex.test:" + std::to_string(resolver.port1()) + "/dns-query",
                  {NWEndpoint::hostPort("127.0.0.1", resolver.port1())}));

    const auto folder = testsupport::freshFolder("named");
    testmedia::TestOrigin named(folder);
    ASSERT_TRUE(named.start());
    const std::string segment(4096, 'G');
    {
        std::ofstream(folder / "own.ts") << segment;
        std::ofstream out(folder / "named.m3u8");
        out << "#EXTM3U\n#EXT-X-PLAYLIST-TYPE:VOD\n#EXTINF:1,\nown.ts\n#EXTINF:1,\nhttp://other.orvex.test:"
            << named.port() << "/own.ts\n#EXT-X-ENDLIST\n";
    }
    const std::string entry = "http://origin.orvex.test:" + std::to_string(named.port()) + "/named.m3u8";
    const auto playlist = proxytest::get(*server_->playbackURLWithURL(entry));
    ASSERT_EQ(playlist.status, 200) << playlist.body;
    std::vector<std::string> segments;
    for (std::size_t at = playlist.body.find("http://127.0.0.1:"); at != std::string::npos;
         at = playlist.body.find("http://127.0.0.1:", at + 1)) {
        segments.push_back(playlist.body.substr(at, playlist.body.find('\n', at) - at));
    }
    ASSERT_EQ(segments.size(), 2u) << playlist.body;
    const auto own = proxytest::get(segments[0]);
    const auto other = proxytest::get(segments[1]);
    NWParameters::PrivacyContext::defaultContext().requireEncryptedNameResolution(false, std::nullopt);
    EXPECT_EQ(own.status, 200);
    EXPECT_EQ(own.body, segment);
    EXPECT_EQ(other.status, 502);
    EXPECT_EQ(named.requestCount("/own.ts"), 1u);
    EXPECT_GT(resolver.resolverQueries("other.orvex.test"), 0u)
        << "the other name was resolved, then refused";
}

TEST_F(ProxyFixture, KeepsItsFilesPrivateAndNamedByItself) {
    ASSERT_EQ(proxytest::get(*server_->playbackURLWithURL(origin_->url("showcase/master.m3u8"))).status, 200);
    RunLoop::main().runUntil([] { return false; }, 1.5); // the cache writes its records
    for (const auto& entry : std::filesystem::recursive_directory_iterator(cacheRoot_)) {
        const auto name = entry.path().filename().string();
        const auto permissions = std::filesystem::status(entry.path()).permissions();
        EXPECT_EQ(permissions & (std::filesystem::perms::group_all | std::filesystem::perms::others_all),
                  std::filesystem::perms::none)
            << entry.path();
        if (entry.is_directory()) {
            EXPECT_EQ(name.find_first_not_of("0123456789abcdef"), std::string::npos) << name;
        } else if (name.rfind("mcs.db", 0) != 0) {
            EXPECT_EQ(name.substr(0, 24).find_first_not_of("0123456789abcdef"), std::string::npos) << name;
            EXPECT_TRUE(name.substr(24) == ".m3u8" || name.substr(24) == ".ts" || name.substr(24) == ".key")
                << name;
        }
    }
}

// Any local program can open connections to the proxy. Holding more of them than it
// serves never keeps the player out nor cuts a request being answered, and a connection
// that does not send its request soon is closed.
TEST_F(ProxyFixture, ConnectionsThatOnlyHoldASlotNeverKeepThePlayerOut) {
    const auto master = origin_->url("showcase/master.m3u8");
    const auto direct = proxytest::ffmpegFrameDigests(master);
    ASSERT_FALSE(direct.empty());
    const auto playback = *server_->playbackURLWithURL(master);
    const auto port = portOf(playback);

    const auto closed = testsupport::watchSlowClients(port, 15);
    EXPECT_TRUE(closed.silent) << "a connection that sends nothing is still open after 15 s";
    EXPECT_TRUE(closed.trickling) << "a head that never ends is still being read after 15 s";

    origin_->setLatency(1);
    const auto clip = *server_->playbackURLWithURL(origin_->url("plain/clip.mp4"));
    auto answering = std::async(std::launch::async, [&] { return proxytest::get(clip); });
    const auto patience = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (origin_->requestCount("/plain/clip.mp4") == 0 && std::chrono::steady_clock::now() < patience) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_GT(origin_->requestCount("/plain/clip.mp4"), 0u);

    std::vector<std::unique_ptr<testsupport::SlotHolder>> holders;
    for (int i = 0; i < 70; ++i) {
        holders.push_back(std::make_unique<testsupport::SlotHolder>(port));
        ASSERT_TRUE(holders.back()->connected());
    }
    const auto playlist = proxytest::get(playback);
    ASSERT_EQ(playlist.status, 200);
    EXPECT_EQ(playlist.body.rfind("#EXTM3U", 0), 0u);
    const auto answered = answering.get();
    EXPECT_EQ(answered.status, 200);
    EXPECT_EQ(answered.body,
              testmedia::readFile(testmedia::MediaFixtures::shared().root() / "plain" / "clip.mp4"));

    origin_->setLatency(0);
    EXPECT_TRUE(proxytest::ffmpegFrameDigests(playback) == direct);
}
