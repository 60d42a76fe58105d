// The loopback server's slots: a new connection may take the place of one that only holds
// a slot, never of one whose request has arrived.
#include "platform/SJMediaCacheServer/http/LoopbackHttpServer.h"
#include "tests/support/SlotHolders.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace mcs::http;

// Every slot is taken by a connection whose request head has just arrived whole, not yet
// taken up by the server: a connection that comes then finds none to replace, and every
// request is answered. Several rounds, as the heads are taken up at once.
TEST(LoopbackHttpServer, ANewConnectionNeverReplacesOneWhoseRequestHasArrived) {
    constexpr int kSlots = 16;
    LoopbackHttpServer::Options options;
    options.maxConnections = kSlots;
    LoopbackHttpServer server(options);
    ASSERT_TRUE(server.start(
        [](const HttpRequest& request, ResponseWriter& writer) { writer.respond(200, {}, request.target); }));
    for (int round = 0; round < 20; ++round) {
        std::vector<std::unique_ptr<testsupport::SlotHolder>> clients;
        for (int i = 0; i < kSlots; ++i) {
            clients.push_back(std::make_unique<testsupport::SlotHolder>(server.port()));
            ASSERT_TRUE(clients.back()->connected());
        }
        for (int i = 0; i < kSlots; ++i) {
            clients[i]->send("GET /" + std::to_string(i) +
                             " HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
        }
        for (const auto& client : clients) {
            ASSERT_TRUE(client->awaitDelivered(30));
        }
        testsupport::SlotHolder newcomer(server.port());
        ASSERT_TRUE(newcomer.connected());
        for (int i = 0; i < kSlots; ++i) {
            const std::string answer = clients[i]->receive(30);
            ASSERT_EQ(answer.rfind("HTTP/1.1 200", 0), 0u)
                << "round " << round << ", request " << i << ": " << answer;
            EXPECT_TRUE(answer.ends_with("\r\n\r\n/" + std::to_string(i))) << answer;
        }
        // The next round finds every connection of this one closed.
        newcomer.endSending();
        newcomer.receive(30);
    }
}
