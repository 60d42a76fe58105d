#pragma once

#include <string>

// A network endpoint. Only the host-and-port kind exists here: a host name or a numeric
// IPv4/IPv6 address, and a port.
struct NWEndpoint {
    std::string host;
    int port = 0;

    static NWEndpoint hostPort(std::string host, int port) { return NWEndpoint{std::move(host), port}; }

    bool operator==(const NWEndpoint&) const = default;
};
