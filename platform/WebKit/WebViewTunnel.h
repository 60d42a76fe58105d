#pragma once

#include <memory>
#include <string>

// The web engine's only way out: an HTTP proxy on loopback for the engine helper alone.
//
// - Every request must carry the secret of this tunnel ("Proxy-Authorization: Basic" of
//   `user()` and `secret()`); any other local program that finds the port gets 407 and
//   nothing else.
// - A tunnel request (CONNECT host:port) is served by opening the peer the way every other
//   HTTPS transfer of the process is opened (the network policy: host names through the
//   encrypted resolver, the peer verified against the configured authorities, its name
//   included); the engine's TLS ends here, with a certificate made for this tunnel, and the
//   bytes are carried over to the verified peer. So the engine reaches exactly the https
//   peers that the process itself would trust, wherever they are.
// - Plain http requests and anything else are refused.
//
// Each connection is served on a thread of its own; destroying the tunnel ends them all.
class WebViewTunnel {
  public:
    // Listens on a free port of 127.0.0.1; nothing (with the reason in `error`) when that
    // or the tunnel's certificate cannot be made.
    static std::unique_ptr<WebViewTunnel> start(std::string& error);
    ~WebViewTunnel();
    WebViewTunnel(const WebViewTunnel&) = delete;
    WebViewTunnel& operator=(const WebViewTunnel&) = delete;

    int port() const;
    static const std::string& user();
    const std::string& secret() const;

    struct Shared;

  private:
    explicit WebViewTunnel(std::unique_ptr<Shared> shared);
    std::unique_ptr<Shared> shared_;
};
