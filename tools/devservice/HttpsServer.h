#pragma once

#include "tools/devservice/ServiceHooks.h"

#include <httplib.h>

#include <atomic>
#include <string>
#include <string_view>

namespace devservice {

// The service's HTTPS server: cpp-httplib's, except that a request target whose query
// holds "?" is read like any other instead of being answered 400. RFC 3986 allows "?"
// (and "/") in a query and clients leave them unescaped; cpp-httplib's request-line
// parser takes a second "?" for a malformed target. Each further "?" of the query is
// handed on escaped ("%3F"), which decodes to the same parameter values.
//
// A request handler may also choose how the connection it runs on ends after its answer
// (endConnectionAfterReply), for tests of clients that reuse connections.
class HttpsServer : public httplib::SSLServer {
  public:
    using httplib::SSLServer::SSLServer;

    // Called from a request handler: the connection of the request being handled ends
    // as `end` says once the answer has been written.
    static void endConnectionAfterReply(ConnectionEnd end);
    // Called from a request handler once the request has been recorded: true when it
    // came on a connection ended by `ConnectionEnd::reset`, which is then reset without
    // an answer (the handler's answer is not written).
    static bool resetsBeforeAnswering();
    // How many connections have been ended that way so far (counted once ended).
    int connectionsEndedAfterReply() const { return endedAfterReply_.load(); }

    // cpp-httplib listens with a backlog of 5: connections a client opens at once beyond
    // it (the pictures of a page) wait in the accept queue, unanswered for seconds or
    // minutes. Called after binding, before listening.
    void widenBacklog();

  private:
    bool process_and_close_socket(socket_t sock) override;

    std::atomic<int> endedAfterReply_{0};
};

// The request line with every "?" after the first one of its target escaped as "%3F";
// anything that is not "METHOD SP target SP version" comes back as it was.
std::string escapeQueryMarks(std::string_view requestLine);

} // namespace devservice
