#pragma once

#include "tools/devservice/ServiceHooks.h"

#include <httplib.h>

#include <atomic>
#include <cstddef>
#include <mutex>

#include <string>
#include <string_view>

namespace devservice {

// The service's HTTPS server: cpp-httplib's, except that a request target whose query
// holds "?" is read like any other instead of being answered 400. RFC 3986 allows "?"
// (and "/") in a query and clients leave them unescaped; cpp-httplib's request-line
// parser takes a second "?" for a malformed target. Each further "?" of the query is
// handed on escaped ("%3F"), which decodes to the same parameter values.
//
// A request handler may also end the connection it runs on with a close notice
// (`endWithCloseNotice`), for tests of clients that keep connections alive.
class HttpsServer : public httplib::SSLServer {
  public:
    using httplib::SSLServer::SSLServer;

    // cpp-httplib listens with a backlog of 5: connections a client opens at once beyond
    // it (the pictures of a page) wait in the accept queue, unanswered for seconds or
    // minutes. Called after binding, before listening.
    void widenBacklog();

    // Called from a request handler: the connection of the request being handled ends
    // with a close notice, after the answer or in place of it.
    static void endWithCloseNotice(CloseNotice when);
    // How many connections have been ended that way so far.
    int connectionsEndedWithCloseNotice() const { return endedWithCloseNotice_.load(); }
    // Called from a request handler: the connection of the request being handled is reset
    // once `bytes` bytes of the answer have been written (0: at once, unanswered).
    static void resetAfter(std::size_t bytes);
    // The next `count` connections whose TLS server name is `host` are reset right after
    // their handshake, before any request is read, as a loaded server drops connections.
    void dropConnections(const std::string& host, int count);
    // How many connections have been dropped that way so far.
    int droppedConnections() const { return droppedConnections_.load(); }

  private:
    bool process_and_close_socket(socket_t sock) override;

    // Whether a connection to `serverName` is to be dropped (counted as dropped if so).
    bool takeDrop(const char* serverName);

    std::atomic<int> endedWithCloseNotice_{0};
    std::mutex dropMutex_;
    std::string dropHost_;
    int dropsLeft_ = 0;
    std::atomic<int> droppedConnections_{0};
};

// The request line with every "?" after the first one of its target escaped as "%3F";
// anything that is not "METHOD SP target SP version" comes back as it was.
std::string escapeQueryMarks(std::string_view requestLine);

} // namespace devservice
