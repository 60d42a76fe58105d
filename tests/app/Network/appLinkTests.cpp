#include "app/Network/appLink.h"

#include "app/Network/ServiceConfiguration.h"
#include "platform/Foundation/NotificationCenter.h"
#include "platform/Foundation/RunLoop.h"
#include "platform/Network/NetworkPolicy.h"
#include "tests/app/Network/ServiceTestSupport.h"

#include <any>

using namespace networktest;

namespace {

using Resolution = NWConnection::EstablishmentReport::Resolution;

std::vector<std::string> changeLabels;

class ChangeLabelRecorder {
  public:
    ChangeLabelRecorder() {
        changeLabels.clear();
        token_ = NotificationCenter::defaultCenter().addObserver(
            "changelabel", [](const Notification& notification) {
                changeLabels.push_back(std::any_cast<std::string>(notification.object));
            });
    }

  private:
    NotificationCenter::ObserverToken token_;
};

void configure(const std::string& dohURL, const std::string& dohAddress) {
    ServiceConfiguration configuration;
    configuration.dohURL = dohURL;
    configuration.dohAddress = dohAddress;
    ServiceConfiguration::setCurrent(configuration);
}

} // namespace

TEST(appLink, WithoutANetworkTheProbeOnlyPreparesAndWaits) {
    configure("https://dns.orvex.test:1/dns-query", "127.0.0.1");
    ChangeLabelRecorder recorder;
    ConsoleCapture console;
    std::make_shared<appLink>()->allLinkInAppDoH();
    ASSERT_TRUE(console.waitFor("waiting or failed"));
    EXPECT_EQ(console.lines(), (std::vector<std::string>{"setup", "Preparing", "waiting or failed"}));
    EXPECT_TRUE(changeLabels.empty());
}

TEST(appLink, TheResolverAddressesGoIPv4FirstOnTheResolverPort) {
    configure("https://dns.orvex.test:8443/dns-query", "::1, 127.0.0.1,,10.0.0.2");
    ConsoleCapture console;
    std::make_shared<appLink>()->allLinkInAppDoH();
    const auto resolver = NetworkPolicy::encryptedResolver();
    ASSERT_TRUE(resolver.has_value());
    EXPECT_EQ(resolver->url(), "https://dns.orvex.test:8443/dns-query");
    EXPECT_EQ(resolver->serverAddresses(), (std::vector<NWEndpoint>{NWEndpoint::hostPort("127.0.0.1", 8443),
                                                                    NWEndpoint::hostPort("10.0.0.2", 8443),
                                                                    NWEndpoint::hostPort("::1", 8443)}));
    ASSERT_TRUE(console.waitFor("waiting or failed"));
}

TEST(appLink, AResolverTextThatIsNoURLLeavesSystemResolutionAndStillProbes) {
    NWParameters::PrivacyContext::defaultContext().requireEncryptedNameResolution(false, std::nullopt);
    configure("not a url", "127.0.0.1");
    ConsoleCapture console;
    std::make_shared<appLink>()->allLinkInAppDoH();
    EXPECT_FALSE(NetworkPolicy::encryptedResolver().has_value());
    ASSERT_TRUE(console.waitFor("waiting or failed"));
    EXPECT_EQ(console.lines().front(), "setup");
}

TEST(appLink, EachResolutionOfTheReportIsPrintedAndPostedInOrder) {
    ChangeLabelRecorder recorder;
    ConsoleCapture console;
    auto link = std::make_shared<appLink>();
    using Protocol = Resolution::DNSProtocol;
    link->reportEstablishment(NWConnection::EstablishmentReport{{{"a", Protocol::https},
                                                                 {"b", Protocol::udp},
                                                                 {"c", Protocol::tls},
                                                                 {"d", Protocol::tcp},
                                                                 {"e", Protocol::unknown}}});
    link->reportEstablishment(NWConnection::EstablishmentReport{});
    link->reportEstablishment(std::nullopt);
    const std::vector<std::string> expected{"Used encrypted DNS!", "Used unencrypted DNS!",
                                            "Used encrypted DNS!", "Used unencrypted DNS!",
                                            "Used unknown dnsProtocol!"};
    EXPECT_EQ(console.lines(), expected);
    EXPECT_EQ(changeLabels, expected);
}

namespace {
class appLinkWithServiceTest : public ServiceTest {};
} // namespace

TEST_F(appLinkWithServiceTest, AProbeResolvedThroughTheResolverReportsEncryptedDNS) {
    ChangeLabelRecorder recorder;
    ConsoleCapture console;
    std::make_shared<appLink>()->allLinkInAppDoH(NWEndpoint::hostPort("api.orvex.test", service().port1()));
    ASSERT_TRUE(console.waitFor("Used encrypted DNS!"));
    EXPECT_EQ(console.lines(),
              (std::vector<std::string>{"setup", "Preparing", "ready", "Used encrypted DNS!"}));
    EXPECT_EQ(changeLabels, (std::vector<std::string>{"Used encrypted DNS!"}));
}
