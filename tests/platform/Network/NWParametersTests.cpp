#include "platform/Network/NWParameters.h"

#include "platform/Network/NetworkPolicy.h"

#include <gtest/gtest.h>

using ResolverConfiguration = NWParameters::PrivacyContext::ResolverConfiguration;

TEST(ResolverConfiguration, AcceptsOnlyAbsoluteHTTPSURLs) {
    const auto withPort = ResolverConfiguration::https("https://dns.orvex.test:8083/dns-query",
                                                       {NWEndpoint::hostPort("127.0.0.1", 8083)});
    ASSERT_TRUE(withPort.has_value());
    EXPECT_EQ(withPort->urlHost(), "dns.orvex.test");
    EXPECT_EQ(withPort->urlPort(), 8083);
    EXPECT_EQ(withPort->serverAddresses().size(), 1u);

    const auto defaultPort = ResolverConfiguration::https("https://dns.example/dns-query", {});
    ASSERT_TRUE(defaultPort.has_value());
    EXPECT_EQ(defaultPort->urlPort(), 443);

    EXPECT_FALSE(ResolverConfiguration::https("", {}).has_value());
    EXPECT_FALSE(ResolverConfiguration::https("not a url", {}).has_value());
    EXPECT_FALSE(ResolverConfiguration::https("http://dns.example/dns-query", {}).has_value());
    EXPECT_FALSE(ResolverConfiguration::https("/dns-query", {}).has_value());
}

TEST(PrivacyContext, RequiringEncryptedResolutionSetsTheProcessResolver) {
    auto& context = NWParameters::PrivacyContext::defaultContext();
    context.requireEncryptedNameResolution(true,
                                           ResolverConfiguration::https("https://dns.example/dns-query", {}));
    ASSERT_TRUE(NetworkPolicy::encryptedResolver().has_value());
    EXPECT_EQ(NetworkPolicy::encryptedResolver()->url(), "https://dns.example/dns-query");
    EXPECT_NE(NetworkPolicy::resolutionFailureHint("api.example").find("https://dns.example/dns-query"),
              std::string::npos);

    context.requireEncryptedNameResolution(false,
                                           ResolverConfiguration::https("https://dns.example/dns-query", {}));
    EXPECT_FALSE(NetworkPolicy::encryptedResolver().has_value());
    EXPECT_TRUE(NetworkPolicy::resolutionFailureHint("api.example").empty());
}
