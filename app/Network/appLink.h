#pragma once

#include "platform/Network/NWConnection.h"

#include <memory>
#include <optional>

// Switches the process to encrypted name resolution (DNS over HTTPS, with the resolver
// of the service configuration), makes every transfer verify its peer against the
// configured certificate authorities, and opens one probe connection whose establishment
// report tells, on the console and through the notification "changelabel", which kind of
// DNS was actually used. Create with std::make_shared; the probe keeps the object alive
// for as long as it runs.
class appLink : public std::enable_shared_from_this<appLink> {
  public:
    // The probe's target: a public host that serves TLS on port 443.
    static NWEndpoint probeTarget() { return NWEndpoint::hostPort("www.example.com", 443); }

    void allLinkInAppDoH();
    // The same with another probe target.
    void allLinkInAppDoH(const NWEndpoint& probe);

    // The probe's state handler.
    void probeStateChanged(NWConnection::State state, const std::shared_ptr<NWConnection>& connection);
    // Prints and posts one result per name resolution of the report, in its order.
    void reportEstablishment(const std::optional<NWConnection::EstablishmentReport>& report);
};
