#include "app/Network/appLink.h"

#include "app/Network/ServiceConfiguration.h"
#include "platform/Foundation/Log.h"
#include "platform/Foundation/NotificationCenter.h"
#include "platform/Network/NetworkPolicy.h"

#include <arpa/inet.h>

#include <algorithm>

namespace {

bool isIPv6(const std::string& address) {
    unsigned char buffer[sizeof(struct in6_addr)];
    return inet_pton(AF_INET6, address.c_str(), buffer) == 1;
}

} // namespace

void appLink::allLinkInAppDoH() {
    allLinkInAppDoH(probeTarget());
}

void appLink::allLinkInAppDoH(const NWEndpoint& probe) {
    using ResolverConfiguration = NWParameters::PrivacyContext::ResolverConfiguration;
    const auto& service = ServiceConfiguration::current();
    NetworkPolicy::setCertificateAuthorityFile(service.caFile);

    // The resolver's own addresses, IPv4 first, on the resolver URL's port.
    if (const auto url = ResolverConfiguration::https(service.dohURL, {})) {
        auto addresses = service.dohAddresses();
        std::stable_partition(addresses.begin(), addresses.end(),
                              [](const auto& address) { return !isIPv6(address); });
        std::vector<NWEndpoint> servers;
        for (const auto& address : addresses) {
            servers.push_back(NWEndpoint::hostPort(address, url->urlPort()));
        }
        NWParameters::PrivacyContext::defaultContext().requireEncryptedNameResolution(
            true, ResolverConfiguration::https(service.dohURL, std::move(servers)));
    }

    auto connection = NWConnection::create(probe, NWParameters::tls());
    std::weak_ptr<NWConnection> weakConnection = connection;
    connection->setStateUpdateHandler([self = shared_from_this(), weakConnection](NWConnection::State state) {
        self->probeStateChanged(state, weakConnection.lock());
    });
    connection->start(DispatchQueue::main());
}

void appLink::probeStateChanged(NWConnection::State state, const std::shared_ptr<NWConnection>& connection) {
    switch (state) {
    case NWConnection::State::setup:
        consoleLog("setup");
        break;
    case NWConnection::State::preparing:
        consoleLog("Preparing");
        break;
    case NWConnection::State::ready:
        consoleLog("ready");
        if (connection) {
            connection->requestEstablishmentReport(
                DispatchQueue::main(),
                [self = shared_from_this()](std::optional<NWConnection::EstablishmentReport> report) {
                    self->reportEstablishment(report);
                });
        }
        break;
    case NWConnection::State::cancelled:
        consoleLog("cancelled");
        break;
    case NWConnection::State::waiting:
    case NWConnection::State::failed:
        consoleLog("waiting or failed");
        break;
    }
}

void appLink::reportEstablishment(const std::optional<NWConnection::EstablishmentReport>& report) {
    if (!report) {
        return;
    }
    using Protocol = NWConnection::EstablishmentReport::Resolution::DNSProtocol;
    for (const auto& resolution : report->resolutions) {
        std::string result;
        switch (resolution.dnsProtocol) {
        case Protocol::udp:
        case Protocol::tcp:
            result = "Used unencrypted DNS!";
            break;
        case Protocol::tls:
        case Protocol::https:
            result = "Used encrypted DNS!";
            break;
        case Protocol::unknown:
            result = "Used unknown dnsProtocol!";
            break;
        }
        consoleLog(result);
        NotificationCenter::defaultCenter().post("changelabel", result);
    }
}
