// The service's names are resolved only through its DNS-over-HTTPS resolver, peers are
// verified against its certificate authority, and connections are reused.

#include "app/Network/ServiceConfiguration.h"
#include "app/Network/appLink.h"
#include "platform/Alamofire/Session.h"
#include "platform/Foundation/RunLoop.h"
#include "platform/Network/NetworkPolicy.h"
#include "tests/app/Network/ServiceTestSupport.h"

#include <algorithm>

using namespace networktest;

namespace {

class NameResolutionTest : public ServiceTest {
  protected:
    Answer indexList() {
        return await([](auto done) { apiClient.sendRequest(HTTPMethod::get, "api/indexList", {}, done); });
    }

    AFDataResponse fetch(const std::string& url) {
        std::optional<AFDataResponse> response;
        AF().request(url)->responseData(DispatchQueue::main(),
                                        [&](const AFDataResponse& got) { response = got; });
        EXPECT_TRUE(RunLoop::main().runUntil([&] { return response.has_value(); }, 60));
        return response.value_or(AFDataResponse{});
    }
};

} // namespace

TEST_F(NameResolutionTest, ServiceNamesResolveOnlyThroughTheResolver) {
    // Without the resolver the system cannot find the service's names.
    NWParameters::PrivacyContext::defaultContext().requireEncryptedNameResolution(false, std::nullopt);
    EXPECT_EQ(indexList().error, (NSError{"网络错误", 404}));
    EXPECT_TRUE(apiRequests().empty());

    std::make_shared<appLink>()->allLinkInAppDoH();
    const Answer answer = indexList();
    EXPECT_FALSE(answer.error.has_value());
    ASSERT_EQ(apiRequests().size(), 1u);
    const auto queries = dnsRequests();
    ASSERT_FALSE(queries.empty());
    EXPECT_TRUE(std::all_of(queries.begin(), queries.end(),
                            [&](const auto& query) { return query.port == service().port1(); }));
}

TEST_F(NameResolutionTest, APeerOutsideTheConfiguredAuthoritiesIsRefused) {
    NetworkPolicy::setCertificateAuthorityFile({}); // the system store does not know the service's authority
    ConsoleCapture console;
    EXPECT_EQ(indexList().error, (NSError{"网络错误", 404}));
    EXPECT_TRUE(apiRequests().empty());
    const auto lines = console.lines();
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::string& line) {
        return line.find("encrypted resolver https://dns.orvex.test:") != std::string::npos;
    }));

    NetworkPolicy::setCertificateAuthorityFile(service().caFile());
    EXPECT_FALSE(indexList().error.has_value());
}

TEST_F(NameResolutionTest, SequentialRequestsToAHostOpenOneConnection) {
    const std::string url = ServiceConfiguration::current().baseURL1 + "api/indexList";
    long connections = 0;
    for (int i = 0; i < 5; ++i) {
        const auto response = fetch(url);
        ASSERT_TRUE(response.response.has_value()) << response.error()->description;
        connections += response.metrics.newConnections;
    }
    EXPECT_EQ(connections, 1);

    // The second base URL is another host and port: one more connection, then reuse.
    const std::string second = ServiceConfiguration::current().baseURL2 + "api/v1/video/display";
    EXPECT_EQ(fetch(second).metrics.newConnections, 1);
    EXPECT_EQ(fetch(second).metrics.newConnections, 0);
}
