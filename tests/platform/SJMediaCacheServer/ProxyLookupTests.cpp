// Upstream fetches whose host the system's resolver is slow to find: one thread drives
// every fetch of the cache, so ending such a fetch must not wait for its lookup.
#include "tests/platform/SJMediaCacheServer/ProxyFixture.h"
#include "tests/platform/SJMediaCacheServer/ProxyTestClient.h"
#include "tests/support/HeldLookups.h"
#include "tests/support/SlotHolders.h"

#include <chrono>
#include <future>

// The player leaves while the origin's name is still being looked up: its fetch is
// cancelled, and a fetch from another origin is answered while that lookup goes on.
TEST_F(ProxyFixture, CancellingAFetchWhoseHostIsLookedUpLeavesOtherFetchesGoing) {
    testsupport::HeldLookups lookups;
    const auto stuck = *server_->playbackURLWithURL(
        "http://held.origin.test:" + std::to_string(origin_->port()) + "/plain/clip.mp4");
    const auto port = portOf(stuck);
    testsupport::SlotHolder player(port);
    ASSERT_TRUE(player.connected());
    player.send("GET " + stuck.substr(stuck.find('/', std::string("http://").size())) +
                " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) + "\r\n\r\n");
    ASSERT_TRUE(lookups.awaitHeld(1, 30)) << "the origin's name was never looked up";
    // The proxy sees the player leave and lets go of the fetch before it closes.
    player.endSending();
    player.receive(30);
    ASSERT_TRUE(player.closedByServer()) << "the proxy kept the connection of a player that left";

    const auto clip = *server_->playbackURLWithURL(origin_->url("plain/clip.mp4"));
    auto other = std::async(std::launch::async, [&] { return proxytest::get(clip); });
    EXPECT_EQ(other.wait_for(std::chrono::seconds(30)), std::future_status::ready)
        << "the other fetch waited for the cancelled one's lookup";
    EXPECT_EQ(lookups.held(), 1);
    lookups.release();
    const auto answered = other.get();
    EXPECT_EQ(answered.status, 200);
    EXPECT_TRUE(answered.body ==
                testmedia::readFile(testmedia::MediaFixtures::shared().root() / "plain" / "clip.mp4"));
}
