// Requests on the main run loop whose host the system's resolver is slow to find: ending
// them (cancelled, or timed out) must not hold the loop until the lookup returns.

#include "platform/Alamofire/Session.h"
#include "platform/Foundation/RunLoop.h"
#include "platform/Network/MainLoopCurl.h"
#include "platform/Network/ProcessNameLookup.h"

#include <curl/curl.h>
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <memory>
#include <optional>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

std::atomic<int> slowLookupsStarted{0};
std::atomic<int> slowLookupsUnderway{0};

// The system's resolver takes four seconds for names under "slow." and then answers
// loopback; other names it answers as the C library does.
int slowSystem(const char* node, const char* service, const addrinfo* hints, addrinfo** result) {
    if (node == nullptr || std::strncmp(node, "slow.", 5) != 0) {
        using GetAddrInfo = int (*)(const char*, const char*, const addrinfo*, addrinfo**);
        return reinterpret_cast<GetAddrInfo>(dlsym(RTLD_NEXT, "getaddrinfo"))(node, service, hints, result);
    }
    ++slowLookupsUnderway;
    ++slowLookupsStarted;
    std::this_thread::sleep_for(std::chrono::seconds(4));
    addrinfo numeric = hints != nullptr ? *hints : addrinfo{};
    numeric.ai_flags |= AI_NUMERICHOST;
    const int error = getaddrinfo("127.0.0.1", service, &numeric, result);
    --slowLookupsUnderway;
    return error;
}

// Cancels `request` on the main loop once the system has started looking its host up.
void cancelOnceLookingUp(std::shared_ptr<DataRequest> request) {
    RunLoop::main().post(
        [request] {
            if (slowLookupsStarted > 0) {
                request->cancel();
            } else {
                cancelOnceLookingUp(request);
            }
        },
        0.01);
}

class SlowSystemLookupTest : public testing::Test {
  protected:
    void SetUp() override {
        slowLookupsStarted = 0;
        ProcessNameLookup::replaceSystemLookupForTesting(&slowSystem);
    }
    void TearDown() override {
        // The lookups left behind end on their own threads; they finish before the next test.
        RunLoop::main().runUntil([] { return slowLookupsUnderway == 0; }, 10);
        ProcessNameLookup::replaceSystemLookupForTesting(nullptr);
    }

    // Starts `request` and runs the main loop until its response arrives, measuring the
    // longest turn: a task asks to run every 10 ms, and the longest gap between two of its
    // runs is how long one turn held the loop.
    static std::optional<AFDataResponse> awaitMeasuringTurns(const std::shared_ptr<DataRequest>& request,
                                                             double& longestTurn) {
        struct Ticks {
            Clock::time_point last = Clock::now();
            double longest = 0;
            RunLoop::TaskId next = 0;
            std::function<void()> tick;
        };
        auto ticks = std::make_shared<Ticks>();
        ticks->tick = [weak = std::weak_ptr<Ticks>(ticks)] {
            const auto state = weak.lock();
            if (!state) {
                return;
            }
            const auto now = Clock::now();
            state->longest =
                std::max(state->longest, std::chrono::duration<double>(now - state->last).count());
            state->last = now;
            state->next = RunLoop::main().post(state->tick, 0.01);
        };
        ticks->next = RunLoop::main().post(ticks->tick, 0.01);
        std::optional<AFDataResponse> response;
        request->responseData(DispatchQueue::main(),
                              [&](const AFDataResponse& delivered) { response = delivered; });
        EXPECT_TRUE(RunLoop::main().runUntil([&] { return response.has_value(); }, 30));
        RunLoop::main().cancel(ticks->next);
        longestTurn =
            std::max(ticks->longest, std::chrono::duration<double>(Clock::now() - ticks->last).count());
        return response;
    }
};

} // namespace

TEST_F(SlowSystemLookupTest, EndingARequestWhileItsHostIsLookedUpDoesNotHoldTheMainLoop) {
    // Cancelled while the lookup runs.
    Session patient(Session::Configuration{60}, MainLoopCurl::shared());
    const auto cancelled = patient.request("http://slow.cancelled.test:9/");
    cancelOnceLookingUp(cancelled);
    double longestTurn = 0;
    auto response = awaitMeasuringTurns(cancelled, longestTurn);
    ASSERT_TRUE(response && !response->isSuccess());
    EXPECT_EQ(response->error()->kind, AFError::Kind::explicitlyCancelled);
    EXPECT_LT(longestTurn, 1.5) << "the loop waited for the lookup";

    // Timed out while the lookup runs.
    Session impatient(Session::Configuration{0.3}, MainLoopCurl::shared());
    response = awaitMeasuringTurns(impatient.request("http://slow.timed-out.test:9/"), longestTurn);
    ASSERT_TRUE(response && !response->isSuccess());
    EXPECT_EQ(response->error()->transportCode, CURLE_OPERATION_TIMEDOUT);
    EXPECT_LT(longestTurn, 1.5) << "the loop waited for the lookup";
}
