#include "app/Network/ServiceConfiguration.h"

#include "platform/Foundation/AtomicFile.h"
#include "tests/app/Network/ServiceTestSupport.h"

#include <cstdlib>

using testsupport::ConsoleCapture;

namespace {

class ServiceConfigurationTest : public testing::Test {
  protected:
    void SetUp() override { clear(); }
    void TearDown() override { clear(); }

    static void clear() {
        std::filesystem::remove(ServiceConfiguration::file());
        for (const char* name : {"ORVEX_BASE_URL_1", "ORVEX_BASE_URL_2", "ORVEX_DOH_URL", "ORVEX_DOH_ADDRESS",
                                 "ORVEX_CA_FILE"}) {
            ::unsetenv(name);
        }
    }
};

} // namespace

TEST_F(ServiceConfigurationTest, DefaultsWithoutFileOrEnvironment) {
    const auto configuration = ServiceConfiguration::load();
    EXPECT_EQ(configuration.baseURL1, "https://api.orvex.test:8083/");
    EXPECT_EQ(configuration.baseURL2, "https://api.orvex.test:9312/");
    EXPECT_EQ(configuration.dohURL, "https://dns.orvex.test:8083/dns-query");
    EXPECT_EQ(configuration.dohAddresses(), (std::vector<std::string>{"127.0.0.1"}));
    EXPECT_EQ(configuration.caFile, "");
}

TEST_F(ServiceConfigurationTest, TheFileSetsWhatItNamesAndTheEnvironmentWins) {
    writeFileAtomically(
        ServiceConfiguration::file(),
        R"({"baseURL1":"https://a.test:1/","dohAddress":"127.0.0.1, ::1","caFile":"/x/ca.pem","other":1})");
    ::setenv("ORVEX_BASE_URL_2", "https://b.test:2/", 1);
    ::setenv("ORVEX_CA_FILE", "/y/ca.pem", 1);
    ConsoleCapture console;
    const auto configuration = ServiceConfiguration::load();
    ASSERT_EQ(console.lines().size(), 1u);
    EXPECT_NE(console.lines()[0].find("/y/ca.pem cannot be read"), std::string::npos);
    EXPECT_EQ(configuration.baseURL1, "https://a.test:1/");
    EXPECT_EQ(configuration.baseURL2, "https://b.test:2/");
    EXPECT_EQ(configuration.dohURL, "https://dns.orvex.test:8083/dns-query");
    EXPECT_EQ(configuration.dohAddresses(), (std::vector<std::string>{"127.0.0.1", "::1"}));
    EXPECT_EQ(configuration.caFile, "/y/ca.pem");
}

TEST_F(ServiceConfigurationTest, UnreadableSettingsAreReportedAndLeftOut) {
    ConsoleCapture console;
    writeFileAtomically(ServiceConfiguration::file(), "{not json");
    EXPECT_EQ(ServiceConfiguration::load().baseURL1, "https://api.orvex.test:8083/");
    writeFileAtomically(ServiceConfiguration::file(), R"({"baseURL1":5,"baseURL2":"https://b.test:2/"})");
    const auto configuration = ServiceConfiguration::load();
    EXPECT_EQ(configuration.baseURL1, "https://api.orvex.test:8083/");
    EXPECT_EQ(configuration.baseURL2, "https://b.test:2/");
    const auto lines = console.lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[0].find("not a JSON object"), std::string::npos);
    EXPECT_NE(lines[1].find("\"baseURL1\""), std::string::npos);
}

TEST_F(ServiceConfigurationTest, AServiceGivenWithoutAResolverUsesTheBuiltInPublicOne) {
    const auto expectPublicResolver = [](const ServiceConfiguration& configuration) {
        EXPECT_EQ(configuration.dohURL.rfind("https://", 0), 0u) << configuration.dohURL;
        EXPECT_TRUE(configuration.dohURL.ends_with("/dns-query")) << configuration.dohURL;
        EXPECT_EQ(configuration.dohURL.find("orvex.test"), std::string::npos) << configuration.dohURL;
        const auto addresses = configuration.dohAddresses();
        ASSERT_EQ(addresses.size(), 4u);
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(addresses[i].find(':') == std::string::npos, i < 2)
                << "two IPv4 then two IPv6: " << addresses[i];
        }
    };
    ::setenv("ORVEX_BASE_URL_1", "https://api.example.net/", 1);
    expectPublicResolver(ServiceConfiguration::load());
    ::unsetenv("ORVEX_BASE_URL_1");
    writeFileAtomically(ServiceConfiguration::file(),
                        R"({"baseURL1":"https://a.test/","baseURL2":"https://b.test/"})");
    expectPublicResolver(ServiceConfiguration::load());

    // A resolver of the user's own is kept; without addresses it is found by its name.
    writeFileAtomically(ServiceConfiguration::file(),
                        R"({"baseURL1":"https://a.test/","dohURL":"https://doh.example.net/dns-query"})");
    auto own = ServiceConfiguration::load();
    EXPECT_EQ(own.dohURL, "https://doh.example.net/dns-query");
    EXPECT_TRUE(own.dohAddresses().empty());
    ::setenv("ORVEX_DOH_ADDRESS", "192.0.2.7", 1);
    own = ServiceConfiguration::load();
    EXPECT_EQ(own.dohAddresses(), (std::vector<std::string>{"192.0.2.7"}));
}
