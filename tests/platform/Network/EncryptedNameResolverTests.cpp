// Lookups through the DNS-over-HTTPS resolver when it is slow or fails: what one lookup
// asks, the lookups made meanwhile and right afterwards wait for or take, instead of each
// waiting for the resolver on its own, and a lookup that leaves without its answer or is
// held up past its query's time does not hold up the lookups waiting for it; nor does a
// system resolver slow to find the resolver itself. The development service's resolver
// holds or refuses its queries on demand and records them.

#include "platform/Network/EncryptedNameResolver.h"
#include "platform/Network/NWParameters.h"
#include "platform/Network/NetworkPolicy.h"
#include "tests/platform/Network/FailingAllocations.h"
#include "tests/platform/Network/SuiteService.h"
#include "tests/support/HeldLookups.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <future>
#include <new>
#include <thread>

namespace {

using EncryptedNameResolver::Lookup;

class EncryptedNameResolverTest : public SuiteServiceTest<EncryptedNameResolverTest> {
  protected:
    void SetUp() override {
        NetworkPolicy::setCertificateAuthorityFile(service_->caFile());
        useServiceResolver();
    }
    void TearDown() override {
        service_->clearFaults();
        NWParameters::PrivacyContext::defaultContext().requireEncryptedNameResolution(false, std::nullopt);
        NetworkPolicy::setCertificateAuthorityFile({});
    }

    // Runs `count` lookups of `name` at once (every second one for IPv4 alone) while the
    // resolver holds its queries; lets them through once every lookup has started and the
    // first queries have arrived.
    static std::vector<Lookup> lookUpAtOnceWhileHeld(const std::string& name, int count) {
        const std::size_t before = queriesSent();
        std::vector<Lookup> lookups(static_cast<std::size_t>(count));
        std::atomic<int> started{0};
        std::vector<std::thread> threads;
        for (int i = 0; i < count; ++i) {
            threads.emplace_back([&, i] {
                ++started;
                lookups[static_cast<std::size_t>(i)] = EncryptedNameResolver::resolve(name, true, i % 2 == 0);
            });
        }
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while ((started < count || queriesSent() == before) && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        // Time for lookups that would send queries of their own to send them.
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        service_->releaseHeldRequests();
        for (auto& thread : threads) {
            thread.join();
        }
        return lookups;
    }

    // Waits until the resolver has received `count` queries in all; false after a while.
    static bool waitForQueries(std::size_t count) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (queriesSent() < count) {
            if (std::chrono::steady_clock::now() > deadline) {
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return true;
    }
};

// Looks `name` up on a thread of its own, which is left to itself should the lookup never
// end (a test then fails instead of hanging).
std::future<Lookup> lookUpAside(const std::string& name, bool ipv4, bool ipv6) {
    std::promise<Lookup> promise;
    auto lookup = promise.get_future();
    std::thread([name, ipv4, ipv6, promise = std::move(promise)]() mutable {
        promise.set_value(EncryptedNameResolver::resolve(name, ipv4, ipv6));
    }).detach();
    return lookup;
}

// Holds standard output while it lives: a thread that writes a line meanwhile waits, as it
// does when the output is a pipe nobody reads.
class HeldStandardOutput {
  public:
    HeldStandardOutput() { flockfile(stdout); }
    ~HeldStandardOutput() { funlockfile(stdout); }
    HeldStandardOutput(const HeldStandardOutput&) = delete;
    HeldStandardOutput& operator=(const HeldStandardOutput&) = delete;
};

// Queries wait until the test lets them through (held), then are answered normally or
// with `status`.
devservice::Fault resolverFault(std::optional<int> status, bool held) {
    devservice::Fault fault;
    fault.held = held;
    fault.status = status;
    return fault;
}

} // namespace

TEST_F(EncryptedNameResolverTest, LookupsOfANameMadeWhileItIsAskedForWaitForTheSameQueries) {
    service().setFault("dns-query", resolverFault(std::nullopt, true));
    const auto lookups = lookUpAtOnceWhileHeld("shared.orvex.test", 6);
    for (const auto& lookup : lookups) {
        ASSERT_EQ(lookup.outcome, Lookup::Outcome::addresses);
        ASSERT_EQ(lookup.addresses.size(), 1u);
        EXPECT_EQ(lookup.addresses[0].bytes[0], 127);
        EXPECT_EQ(lookup.canonicalName, "shared.orvex.test");
    }
    EXPECT_EQ(service().resolverQueries("shared.orvex.test"), 2u) << "one A and one AAAA query for all";
}

TEST_F(EncryptedNameResolverTest, AFailedQueryFailsTheLookupsWaitingForItAndTheNextForAFewSeconds) {
    service().setFault("dns-query", resolverFault(503, true));
    const std::size_t before = queriesSent();
    for (const auto& lookup : lookUpAtOnceWhileHeld("down.orvex.test", 4)) {
        EXPECT_EQ(lookup.outcome, Lookup::Outcome::failed);
    }
    EXPECT_EQ(queriesSent(), before + 2) << "one A and one AAAA query for all";

    // Right afterwards the same questions fail without asking; another name is asked.
    EXPECT_EQ(EncryptedNameResolver::resolve("down.orvex.test", true, true).outcome, Lookup::Outcome::failed);
    EXPECT_EQ(EncryptedNameResolver::resolve("DOWN.orvex.test.", true, false).outcome,
              Lookup::Outcome::failed);
    EXPECT_EQ(queriesSent(), before + 2);
    service().clearFaults();
    EXPECT_EQ(EncryptedNameResolver::resolve("up.orvex.test", true, false).outcome,
              Lookup::Outcome::addresses);
    EXPECT_EQ(queriesSent(), before + 3);

    // The failure is forgotten after a few seconds, and at once when the resolver changes.
    std::this_thread::sleep_for(std::chrono::seconds(6));
    EXPECT_EQ(EncryptedNameResolver::resolve("down.orvex.test", true, false).outcome,
              Lookup::Outcome::addresses);
    EXPECT_EQ(queriesSent(), before + 4);
    service().setFault("dns-query", resolverFault(503, false));
    EXPECT_EQ(EncryptedNameResolver::resolve("gone.orvex.test", true, false).outcome,
              Lookup::Outcome::failed);
    service().clearFaults();
    useServiceResolver();
    EXPECT_EQ(EncryptedNameResolver::resolve("gone.orvex.test", true, false).outcome,
              Lookup::Outcome::addresses);
    EXPECT_EQ(queriesSent(), before + 6);
}

TEST_F(EncryptedNameResolverTest, ALookupThatLeavesByAnExceptionFailsTheLookupsWaitingForItsQuery) {
    service().setFault("dns-query", resolverFault(503, true));
    const std::size_t before = queriesSent();
    std::atomic<bool> senderThrew{false};
    std::thread sender([&] {
        FailingAllocations::failOnThisThread();
        try {
            EncryptedNameResolver::resolve("abandoned.orvex.test", true, false);
        } catch (const std::bad_alloc&) {
            senderThrew = true;
        }
    });
    const bool senderAsked = waitForQueries(before + 1);
    // This lookup waits for the first one's A query and sends its own AAAA query.
    auto waiting = lookUpAside("abandoned.orvex.test", true, true);
    const bool waiterAsked = senderAsked && waitForQueries(before + 2);

    // Memory runs out for the first lookup as its query comes back failed.
    FailingAllocations::setOn(true);
    service().releaseHeldRequests();
    sender.join();
    FailingAllocations::setOn(false);
    ASSERT_TRUE(waiterAsked);
    EXPECT_TRUE(senderThrew);
    ASSERT_EQ(waiting.wait_for(std::chrono::seconds(10)), std::future_status::ready)
        << "the lookup waiting for the abandoned query still waits";
    EXPECT_EQ(waiting.get().outcome, Lookup::Outcome::failed);

    // The next lookup asks again.
    service().clearFaults();
    EXPECT_EQ(EncryptedNameResolver::resolve("abandoned.orvex.test", true, false).outcome,
              Lookup::Outcome::addresses);
    EXPECT_EQ(queriesSent(), before + 3);
}

TEST_F(EncryptedNameResolverTest, ALookupWaitsForAnotherLookupsQueryNoLongerThanTheQueryMayTake) {
    service().setFault("dns-query", resolverFault(503, false));
    const std::size_t before = queriesSent();
    std::future<Lookup> sending;
    {
        // The lookup that sends the query cannot log its failure, and so not settle the
        // query, while standard output is held.
        HeldStandardOutput held;
        sending = lookUpAside("stuck.orvex.test", true, false);
        ASSERT_TRUE(waitForQueries(before + 1));
        auto waiting = lookUpAside("stuck.orvex.test", true, false);
        ASSERT_EQ(waiting.wait_for(std::chrono::seconds(60)), std::future_status::ready)
            << "the lookup still waits for a query past its time";
        EXPECT_EQ(waiting.get().outcome, Lookup::Outcome::failed);
        EXPECT_EQ(sending.wait_for(std::chrono::seconds(0)), std::future_status::timeout);

        // A lookup made now asks again instead of waiting for the query past its time.
        service().clearFaults();
        EXPECT_EQ(EncryptedNameResolver::resolve("stuck.orvex.test", true, false).outcome,
                  Lookup::Outcome::addresses);
        EXPECT_EQ(queriesSent(), before + 2);
    }
    ASSERT_EQ(sending.wait_for(std::chrono::seconds(20)), std::future_status::ready);
    EXPECT_EQ(sending.get().outcome, Lookup::Outcome::failed);
}

// The resolver is given by its name alone, which only the system's resolver can find, and
// finds slowly: the query ends at its connection timeout and its lookup fails while the
// system's lookup of the resolver still goes on.
TEST_F(EncryptedNameResolverTest, AQueryEndsAtItsTimeWhileTheSystemStillLooksTheResolverUp) {
    testsupport::HeldLookups lookups;
    NWParameters::PrivacyContext::defaultContext().requireEncryptedNameResolution(
        true,
        NWParameters::PrivacyContext::ResolverConfiguration::https(
            "https://held.resolver.orvex.test:" + std::to_string(service().port1()) + "/dns-query", {}));
    auto lookup = lookUpAside("unfound.orvex.test", true, false);
    ASSERT_TRUE(lookups.awaitHeld(1, 30)) << "the resolver's name was never looked up";
    ASSERT_EQ(lookup.wait_for(std::chrono::seconds(60)), std::future_status::ready)
        << "the query's end waits for the system's lookup of the resolver";
    EXPECT_EQ(lookup.get().outcome, Lookup::Outcome::failed);
    EXPECT_EQ(lookups.held(), 1);
}
