#pragma once

#include "platform/Network/NWParameters.h"
#include "tests/support/TestSupport.h"
#include "tools/devservice/DevService.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <string>

// A development service on loopback shared by the tests of one suite (`Suite`, the
// fixture deriving from this), with the shared media, and its DNS-over-HTTPS resolver.
template <class Suite> class SuiteServiceTest : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        DevService::Options options;
        options.dataDir =
            testsupport::freshFolder(testing::UnitTest::GetInstance()->current_test_suite()->name());
        options.mediaDir = testsupport::sharedMediaDir();
        service_ = new DevService(options);
        ASSERT_TRUE(service_->start()) << service_->lastError();
    }
    static void TearDownTestSuite() {
        service_->stop();
        delete service_;
        service_ = nullptr;
    }

    // Requires the service's resolver (at `port` when given): what an earlier setting
    // resolved is forgotten.
    static void useServiceResolver(int port = 0) {
        const int resolverPort = port == 0 ? service_->port1() : port;
        NWParameters::PrivacyContext::defaultContext().requireEncryptedNameResolution(
            true, NWParameters::PrivacyContext::ResolverConfiguration::https(
                      "https://dns.orvex.test:" + std::to_string(resolverPort) + "/dns-query",
                      {NWEndpoint::hostPort("127.0.0.1", resolverPort)}));
    }

    // The queries the resolver has received so far.
    static std::size_t queriesSent() {
        const auto requests = service_->requests();
        return static_cast<std::size_t>(std::count_if(requests.begin(), requests.end(),
                                                      [](const auto& r) { return r.path == "/dns-query"; }));
    }

    static DevService& service() { return *service_; }

    static inline DevService* service_ = nullptr;
};
