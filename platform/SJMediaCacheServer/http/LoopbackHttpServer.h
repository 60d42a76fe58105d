#pragma once

#include "platform/SJMediaCacheServer/http/HttpMessage.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <sys/types.h>
#include <thread>
#include <utility>
#include <vector>

namespace mcs::http {

// The writing side of one exchange on a connection. A handler sends exactly one
// response: the head, then (unless the request was HEAD) exactly the body it announced.
class ResponseWriter {
  public:
    ResponseWriter(int socket, bool headRequest) : socket_(socket), headRequest_(headRequest) {}

    // Sends the status line and fields; adds "Connection: close" when asked to close.
    bool sendHead(int status, const std::vector<std::pair<std::string, std::string>>& fields,
                  bool closeAfter = false);
    bool sendBody(const void* data, std::size_t size);
    // Sends `count` bytes of the file `fd` starting at `offset` (zero-copy).
    bool sendFile(int fd, off_t offset, std::size_t count);
    // A complete response with a small in-memory body (or none for HEAD).
    bool respond(int status, const std::vector<std::pair<std::string, std::string>>& fields,
                 std::string_view body = {}, bool closeAfter = false);
    // An empty-bodied error answer that closes the connection.
    bool respondError(int status);

    bool isHeadRequest() const { return headRequest_; }
    // Answers true once the peer has closed or reset its side.
    bool peerGone() const;
    // The connection closes after this exchange (set by error answers, body failures).
    bool closeRequested() const { return close_; }
    void requestClose() { close_ = true; }
    // Ends the connection after this exchange with a reset (TCP RST) instead of an orderly
    // close: the peer loses what it has not read yet.
    void resetConnection();

  private:
    bool sendAll(const char* data, std::size_t size);

    int socket_;
    bool headRequest_;
    bool close_ = false;
};

// A small HTTP/1.1 server bound to 127.0.0.1: one accepting thread and one thread per
// connection, persistent connections with an idle timeout, request heads parsed
// strictly (see parseRequestHead). Requests with a body are refused.
class LoopbackHttpServer {
  public:
    using Handler = std::function<void(const HttpRequest&, ResponseWriter&)>;

    struct Options {
        int maxConnections = 64;
        double idleTimeoutSeconds = 30;
    };

    LoopbackHttpServer() = default;
    explicit LoopbackHttpServer(Options options) : options_(options) {}
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    // Binds 127.0.0.1:`port` (0: a port chosen by the system) and starts serving.
    bool start(Handler handler, std::uint16_t port = 0);
    // Stops accepting, closes every connection and waits for their threads.
    void stop();
    std::uint16_t port() const { return port_; }
    bool running() const { return listener_ >= 0; }

  private:
    void acceptLoop();
    void serveConnection(int socket);

    Options options_;
    Handler handler_;
    int listener_ = -1;
    int wakePipe_[2] = {-1, -1};
    std::uint16_t port_ = 0;
    std::thread acceptThread_;
    std::mutex mutex_;
    std::condition_variable drained_;
    std::set<int> connections_;
    int activeThreads_ = 0;
    std::atomic<bool> stopping_{false};
};

} // namespace mcs::http
