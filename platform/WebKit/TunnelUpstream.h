#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <sys/types.h>

// The peer of one tunnel: a TLS connection to host:port opened with the process's network
// policy (the name resolved through the encrypted resolver when one is required, the peer
// verified against the configured authorities, its name included), offering only
// HTTP/1.1, as the engine speaks it through the tunnel.
class TunnelUpstream {
  public:
    // `authority` is "host:port" or "[v6]:port", already checked. Gives up when `stopping`
    // becomes true. Nothing, with the reason in `error`, when the peer cannot be reached or
    // does not verify.
    static std::unique_ptr<TunnelUpstream> open(const std::string& authority,
                                                const std::atomic<bool>& stopping, std::string& error);
    ~TunnelUpstream();
    TunnelUpstream(const TunnelUpstream&) = delete;
    TunnelUpstream& operator=(const TunnelUpstream&) = delete;

    // The socket to wait on.
    int socket() const { return socket_; }
    // Bytes moved (> 0), 0 when the peer has closed, kWouldBlock, or kFailed.
    static constexpr ssize_t kWouldBlock = -1;
    static constexpr ssize_t kFailed = -2;
    ssize_t receive(char* buffer, std::size_t size);
    ssize_t send(const char* data, std::size_t size);

  private:
    TunnelUpstream(void* handle, int socket) : handle_(handle), socket_(socket) {}
    void* handle_;
    int socket_;
};

// Whether `authority` is a host name or address literal with a port that may be handed to
// the network layer as it is: "name:port" of letters, digits, "-" and ".", or "[v6]:port".
bool isTunnelAuthority(const std::string& authority);
