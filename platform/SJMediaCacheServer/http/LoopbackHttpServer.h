#pragma once

#include "platform/SJMediaCacheServer/http/HttpMessage.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
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
//
// Any local program can connect, so connections that only hold a slot never keep its
// own clients out: a request head must arrive whole within `headTimeoutSeconds` (of the
// connection's opening, or of its first byte on a kept connection), and once every slot
// is taken a new connection replaces the one that has waited longest for a request head
// that has not arrived whole. A request whose head has arrived (read, or waiting in the
// socket) is answered, never cut.
class LoopbackHttpServer {
  public:
    using Handler = std::function<void(const HttpRequest&, ResponseWriter&)>;

    struct Options {
        int maxConnections = 64;
        double headTimeoutSeconds = 5;
        // How long a kept connection waits for its next request.
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
    using Clock = std::chrono::steady_clock;
    struct Connection {
        bool answering = false; // a request head has arrived whole and is being answered
        bool evicted = false;   // shut down to make room; its thread is ending
        Clock::time_point waitingSince;
        // Bytes read from the socket and not yet taken as a request head. Read and
        // written under the lock, so that eviction sees them with what the socket holds.
        std::string received;
    };
    // What a look at a connection's bytes found.
    struct Taken {
        bool open = true;     // false: the peer closed, reading failed or it was evicted
        bool started = false; // bytes of a request head are there
        ParseStatus status = ParseStatus::Incomplete;
    };

    void acceptLoop();
    // Shuts down, among the connections whose request head has not arrived whole, the
    // one that has waited longest; false when there is none.
    bool evictLongestWaiting();
    void serveConnection(int socket);
    // Receives until a whole request head (or a bad one) has arrived and answers how it
    // parsed, the connection marked as answering; nothing when the peer closed, the
    // deadline passed, the connection was evicted or the server stops.
    std::optional<ParseStatus> receiveHead(int socket, bool firstRequest, HttpRequest& request);
    // Parses the connection's bytes, after reading what the socket holds when
    // `readSocket`; a head that has arrived whole is taken from them and the connection
    // marked as answering in the same hold of the lock.
    Taken takeHead(int socket, bool readSocket, HttpRequest& request);
    void endAnswering(int socket);

    Options options_;
    Handler handler_;
    int listener_ = -1;
    int wakePipe_[2] = {-1, -1};
    std::uint16_t port_ = 0;
    std::thread acceptThread_;
    std::mutex mutex_;
    std::condition_variable drained_;
    std::map<int, Connection> connections_;
    int liveConnections_ = 0; // connections that are not evicted
    int activeThreads_ = 0;
    std::atomic<bool> stopping_{false};
};

} // namespace mcs::http
