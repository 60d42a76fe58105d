#pragma once

#include <functional>
#include <string>

// The web engine's only way out: an HTTP proxy on loopback that tunnels (CONNECT) or passes
// on (plain requests) what is meant for the one allowed host and port, to the address the
// application resolved for it, and refuses everything else. Answers the proxy's port (0 when it could not
// listen).
struct TunnelRule {
    std::string host;
    int port = 0;
    std::string address;
};

int startTunnel(const TunnelRule& rule, std::function<void(const std::string& authority)> refused);
