#include "platform/Network/NetworkPolicy.h"
#include "platform/WebKit/TunnelRequestFilter.h"
#include "platform/WebKit/WebViewTunnel.h"
#include "tests/platform/WebKit/TestSite.h"
#include "tests/support/HeldLookups.h"
#include "tests/support/SlotHolders.h"
#include "tests/support/TestSupport.h"

#include <curl/curl.h>
#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <poll.h>

#include <chrono>
#include <future>

namespace {

constexpr const char* kHost = "page.orvex.test";

struct Fetched {
    CURLcode code = CURLE_OK;
    long proxyStatus = 0; // the tunnel's answer to CONNECT (or to a plain request)
    long status = 0;
    std::string body;
};

std::size_t keep(char* data, std::size_t size, std::size_t count, void* body) {
    static_cast<std::string*>(body)->append(data, size * count);
    return size * count;
}

// A client of the tunnel as another program would be: it names its peer, and presents
// `credentials` ("user:secret") when given any. It trusts whatever the tunnel presents, so
// that only the tunnel's own checks decide.
Fetched fetchThrough(const WebViewTunnel& tunnel, const std::string& url, const std::string& credentials) {
    Fetched fetched;
    CURL* handle = curl_easy_init();
    curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
    curl_easy_setopt(handle, CURLOPT_PROXY, ("http://127.0.0.1:" + std::to_string(tunnel.port())).c_str());
    if (!credentials.empty()) {
        curl_easy_setopt(handle, CURLOPT_PROXYUSERPWD, credentials.c_str());
        curl_easy_setopt(handle, CURLOPT_PROXYAUTH, static_cast<long>(CURLAUTH_BASIC));
    }
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYPEER, 0L);
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, 0L);
    curl_easy_setopt(handle, CURLOPT_TIMEOUT, 60L);
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, keep);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &fetched.body);
    fetched.code = curl_easy_perform(handle);
    curl_easy_getinfo(handle, CURLINFO_HTTP_CONNECTCODE, &fetched.proxyStatus);
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &fetched.status);
    curl_easy_cleanup(handle);
    return fetched;
}

class Tunnel : public testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(site.start(error)) << error;
        site.useForProcess();
        site.page(kHost, "/hello.txt", "text/plain", "hello through the tunnel");
        tunnel = WebViewTunnel::start(error);
        ASSERT_NE(tunnel, nullptr) << error;
    }

    std::string credentials() const { return WebViewTunnel::user() + ":" + tunnel->secret(); }

    TestSite site{testsupport::freshFolder("tunnel-site"), {kHost}};
    std::unique_ptr<WebViewTunnel> tunnel;
};

TEST_F(Tunnel, ServesOnlyAClientThatPresentsTheRunsSecret) {
    const std::string url = site.url(kHost, "/hello.txt");
    const Fetched stranger = fetchThrough(*tunnel, url, "");
    EXPECT_NE(stranger.code, CURLE_OK);
    EXPECT_EQ(stranger.proxyStatus, 407);
    const Fetched guessing = fetchThrough(*tunnel, url, WebViewTunnel::user() + ":0123456789abcdef");
    EXPECT_NE(guessing.code, CURLE_OK);
    EXPECT_EQ(guessing.proxyStatus, 407);
    EXPECT_TRUE(site.requests().empty()) << "nothing reached the peer for them";

    const Fetched helper = fetchThrough(*tunnel, url, credentials());
    ASSERT_EQ(helper.code, CURLE_OK) << curl_easy_strerror(helper.code);
    EXPECT_EQ(helper.proxyStatus, 200);
    EXPECT_EQ(helper.status, 200);
    EXPECT_EQ(helper.body, "hello through the tunnel");
    EXPECT_EQ(site.requestCount(kHost, "/hello.txt"), 1u);

    // Another run's tunnel has another secret.
    std::string error;
    const auto second = WebViewTunnel::start(error);
    ASSERT_NE(second, nullptr) << error;
    EXPECT_NE(second->secret(), tunnel->secret());
    EXPECT_EQ(fetchThrough(*second, url, credentials()).proxyStatus, 407);
}

TEST_F(Tunnel, ReachesOnlyHttpsPeersThatVerify) {
    // Resolved by the site's resolver, but not named by its certificate.
    // The tunnel then ends the connection, as an unreachable peer would.
    const Fetched unnamed =
        fetchThrough(*tunnel, site.url("stranger.orvex.test", "/hello.txt"), credentials());
    EXPECT_NE(unnamed.code, CURLE_OK);
    EXPECT_EQ(unnamed.proxyStatus, 0);
    // Not known to the resolver.
    const Fetched unknown = fetchThrough(*tunnel, site.url("nowhere.invalid", "/hello.txt"), credentials());
    EXPECT_NE(unknown.code, CURLE_OK);
    EXPECT_EQ(unknown.proxyStatus, 0);
    // Plain http is never passed on, whatever the peer.
    const Fetched plain = fetchThrough(
        *tunnel, "http://" + std::string(kHost) + ":" + std::to_string(site.port()) + "/hello.txt",
        credentials());
    EXPECT_EQ(plain.status, 403);
    EXPECT_TRUE(site.requests().empty());
}

// A tunnel opened through `tunnel` to the peer of `url` and left idle, as the engine keeps
// one between requests.
struct HeldTunnel {
    HeldTunnel(const WebViewTunnel& tunnel, const std::string& url, const std::string& credentials)
        : handle(curl_easy_init()) {
        curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
        curl_easy_setopt(handle, CURLOPT_PROXY,
                         ("http://127.0.0.1:" + std::to_string(tunnel.port())).c_str());
        curl_easy_setopt(handle, CURLOPT_PROXYUSERPWD, credentials.c_str());
        curl_easy_setopt(handle, CURLOPT_PROXYAUTH, static_cast<long>(CURLAUTH_BASIC));
        curl_easy_setopt(handle, CURLOPT_SSL_VERIFYPEER, 0L);
        curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, 0L);
        curl_easy_setopt(handle, CURLOPT_CONNECT_ONLY, 1L);
        curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, 60L);
        opened = curl_easy_perform(handle);
    }
    ~HeldTunnel() { curl_easy_cleanup(handle); }

    // Sends `request` and answers everything the peer sends until it closes.
    std::string exchange(const std::string& request) {
        std::size_t sent = 0;
        while (sent < request.size()) {
            std::size_t n = 0;
            const CURLcode code = curl_easy_send(handle, request.data() + sent, request.size() - sent, &n);
            if (code != CURLE_OK && code != CURLE_AGAIN) {
                return {};
            }
            sent += n;
            if (code == CURLE_AGAIN) {
                waitFor(POLLOUT);
            }
        }
        std::string reply;
        for (;;) {
            char buffer[4096];
            std::size_t n = 0;
            const CURLcode code = curl_easy_recv(handle, buffer, sizeof buffer, &n);
            if (code == CURLE_AGAIN) {
                if (!waitFor(POLLIN)) {
                    return reply;
                }
                continue;
            }
            if (code != CURLE_OK || n == 0) {
                return reply;
            }
            reply.append(buffer, n);
        }
    }

    bool waitFor(short events) {
        curl_socket_t socket = CURL_SOCKET_BAD;
        curl_easy_getinfo(handle, CURLINFO_ACTIVESOCKET, &socket);
        pollfd item{socket, events, 0};
        return ::poll(&item, 1, 30000) > 0;
    }

    CURL* handle;
    CURLcode opened;
};

// Any local program can open connections to the tunnel. Holding more of them than it
// serves never keeps the engine out nor cuts a tunnel it uses, and a connection that does
// not send its request soon is closed.
TEST_F(Tunnel, ConnectionsThatOnlyHoldASlotNeverKeepTheEngineOut) {
    const auto closed = testsupport::watchSlowClients(tunnel->port(), 15);
    EXPECT_TRUE(closed.silent) << "a connection that sends nothing is still open after 15 s";
    EXPECT_TRUE(closed.trickling) << "a header that never ends is still being read after 15 s";

    HeldTunnel held(*tunnel, site.url(kHost, "/"), credentials());
    ASSERT_EQ(held.opened, CURLE_OK) << curl_easy_strerror(held.opened);

    std::vector<std::unique_ptr<testsupport::SlotHolder>> holders;
    for (int i = 0; i < 70; ++i) {
        holders.push_back(std::make_unique<testsupport::SlotHolder>(tunnel->port()));
        ASSERT_TRUE(holders.back()->connected());
        if (i % 5 == 0) {
            // Turned away for want of the secret, it may ask again on the same connection.
            holders.back()->send("CONNECT " + std::string(kHost) + ":443 HTTP/1.1\r\n\r\n");
        }
    }
    const Fetched helper = fetchThrough(*tunnel, site.url(kHost, "/hello.txt"), credentials());
    ASSERT_EQ(helper.code, CURLE_OK) << curl_easy_strerror(helper.code);
    EXPECT_EQ(helper.body, "hello through the tunnel");

    const std::string reply = held.exchange("GET /hello.txt HTTP/1.1\r\nHost: " + std::string(kHost) +
                                            "\r\nConnection: close\r\n\r\n");
    EXPECT_EQ(reply.rfind("HTTP/1.1 200", 0), 0u) << reply;
    EXPECT_NE(reply.find("hello through the tunnel"), std::string::npos) << reply;
}

// A tunnel in a process without an encrypted resolver, where the system holds every
// lookup of a name under "held." until the test lets it go (first, as the fixture ends).
class TunnelWithHeldLookups : public testing::Test {
  protected:
    void SetUp() override {
        NetworkPolicy::setEncryptedResolver(std::nullopt);
        std::string error;
        tunnel = WebViewTunnel::start(error);
        ASSERT_NE(tunnel, nullptr) << error;
        lookups = std::make_unique<testsupport::HeldLookups>();
    }

    // A tunnel request as the engine makes it, with the tunnel's secret.
    std::string tunnelRequest(const std::string& authority) const {
        const std::string credentials = WebViewTunnel::user() + ":" + tunnel->secret();
        std::string encoded(4 * ((credentials.size() + 2) / 3) + 1, '\0');
        encoded.resize(static_cast<std::size_t>(
            EVP_EncodeBlock(reinterpret_cast<unsigned char*>(encoded.data()),
                            reinterpret_cast<const unsigned char*>(credentials.data()),
                            static_cast<int>(credentials.size()))));
        return "CONNECT " + authority + " HTTP/1.1\r\nHost: " + authority +
               "\r\nProxy-Authorization: Basic " + encoded + "\r\n\r\n";
    }

    std::unique_ptr<WebViewTunnel> tunnel;
    std::unique_ptr<testsupport::HeldLookups> lookups;
};

// Every slot but one carries a tunnel still being opened (its peer's name is being looked
// up); the last one's request has just arrived whole, a long one that takes the tunnel a
// while to read. A connection that comes then finds none to replace, and that request is
// answered (without the secret, with how to authenticate).
TEST_F(TunnelWithHeldLookups, ANewConnectionNeverReplacesOneWhoseRequestHasArrived) {
    constexpr int kSlots = 64; // as many connections as the tunnel serves at once
    std::vector<std::unique_ptr<testsupport::SlotHolder>> opening;
    for (int i = 0; i < kSlots - 1; ++i) {
        opening.push_back(std::make_unique<testsupport::SlotHolder>(tunnel->port()));
        ASSERT_TRUE(opening.back()->connected());
        opening.back()->send(tunnelRequest("held.peer" + std::to_string(i) + ".test:443"));
    }
    ASSERT_TRUE(lookups->awaitHeld(kSlots - 1, 30)) << lookups->held() << " peers are being looked up";

    testsupport::SlotHolder asking(tunnel->port());
    ASSERT_TRUE(asking.connected());
    asking.send("CONNECT " + std::string(kHost) + ":443 HTTP/1.1\r\nHost: " + kHost +
                ":443\r\nX-Padding: " + std::string(8000, 'p') + "\r\n\r\n");
    ASSERT_TRUE(asking.awaitDelivered(30));
    testsupport::SlotHolder newcomer(tunnel->port());
    ASSERT_TRUE(newcomer.connected());
    const std::string answer = asking.receive(30, "\r\n\r\n");
    EXPECT_EQ(answer.rfind("HTTP/1.1 407", 0), 0u) << answer;
    EXPECT_EQ(lookups->held(), kSlots - 1) << "a tunnel being opened was cut";
}

// A tunnel that ends while the system looks its peer's name up gives the peer up at once,
// without waiting for the lookup.
TEST_F(TunnelWithHeldLookups, EndingTheTunnelDoesNotWaitForAPeersLookup) {
    testsupport::SlotHolder engine(tunnel->port());
    ASSERT_TRUE(engine.connected());
    engine.send(tunnelRequest("held.peer.test:443"));
    ASSERT_TRUE(lookups->awaitHeld(1, 30)) << "the peer's name was never looked up";
    auto ended = std::async(std::launch::async, [&] { tunnel.reset(); });
    EXPECT_EQ(ended.wait_for(std::chrono::seconds(30)), std::future_status::ready)
        << "the tunnel waited for the lookup of a peer it gave up";
    EXPECT_EQ(lookups->held(), 1);
    lookups->release();
    ended.get();
    EXPECT_TRUE(engine.closedByServer());
}

} // namespace

namespace {

// What passes when `stream` arrives in pieces of `piece` bytes.
std::string filtered(const std::string& stream, std::size_t piece, bool* failed = nullptr) {
    TunnelRequestFilter filter;
    std::string out;
    for (std::size_t at = 0; at < stream.size(); at += piece) {
        filter.feed(std::string_view(stream).substr(at, piece), out);
    }
    if (failed != nullptr) {
        *failed = filter.failed();
    }
    return out;
}

TEST(TunnelRequests, LoseOnlyTheTunnelsCredentialsWhereverTheyAreCut) {
    const std::string credentials = "Proxy-Authorization: Basic c2VjcmV0\r\n";
    // Bodies that look like header fields are bodies.
    const std::string body = "Proxy-Authorization: not a field\r\n\r\n";
    char chunkSize[8];
    std::snprintf(chunkSize, sizeof chunkSize, "%zx", body.size());
    const std::vector<std::pair<std::string, std::string>> requests = {
        {"GET /a HTTP/1.1\r\nHost: x\r\n", "\r\n"},
        {"POST /b HTTP/1.1\r\nContent-Length: " + std::to_string(body.size()) + "\r\n", "\r\n" + body},
        {"POST /c HTTP/1.1\r\nTransfer-Encoding: chunked\r\n",
         "\r\n" + std::string(chunkSize) + ";ext=1\r\n" + body + "\r\n0\r\nTrailer: t\r\n\r\n"},
        {"GET /d HTTP/1.1\r\nproxy-authorization:Basic eA==\r\nAccept: */*\r\n", "\r\n"},
    };
    std::string stream;
    std::string expected;
    for (const auto& [head, rest] : requests) {
        stream += head + credentials + rest;
        expected += head + rest;
    }
    // The fourth request names the credentials in lower case, and so keeps one line less.
    const auto lower = expected.find("proxy-authorization:Basic eA==\r\n");
    ASSERT_NE(lower, std::string::npos);
    expected.erase(lower, std::string("proxy-authorization:Basic eA==\r\n").size());
    for (const std::size_t piece :
         {std::size_t{1}, std::size_t{2}, std::size_t{7}, std::size_t{64}, stream.size()}) {
        bool failed = true;
        EXPECT_EQ(filtered(stream, piece, &failed), expected) << "in pieces of " << piece;
        EXPECT_FALSE(failed);
    }

    // After an upgrade the stream is no longer requests.
    const std::string upgrade = "GET /ws HTTP/1.1\r\nUpgrade: websocket\r\n" + credentials + "\r\n";
    const std::string frames = "\x81\x05hello" + credentials;
    EXPECT_EQ(filtered(upgrade + frames, 3), "GET /ws HTTP/1.1\r\nUpgrade: websocket\r\n\r\n" + frames);

    // Anything else ends the stream.
    for (const std::string& broken :
         {std::string("\x16\x03\x01\x02\x00", 5) + "\r\n\r\n",
          std::string("POST / HTTP/1.1\r\nContent-Length: -1\r\n\r\n"),
          std::string("POST / HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\n")}) {
        bool failed = false;
        filtered(broken + "GET / HTTP/1.1\r\n\r\n", 5, &failed);
        EXPECT_TRUE(failed) << broken;
    }
}

} // namespace
