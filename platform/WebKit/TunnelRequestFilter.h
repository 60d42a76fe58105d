#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The engine's requests inside a tunnel on their way to the peer. The engine's HTTP
// library adds the tunnel's credentials (Proxy-Authorization) to every request it sends
// through the proxy, also to those inside a tunnel; they are the tunnel's to consume and
// never reach a peer. Everything else passes unchanged. Requests are framed by the rules of
// HTTP/1.1 (a Content-Length or chunked body); once a request asks for an Upgrade, the rest
// of the stream passes untouched.
class TunnelRequestFilter {
  public:
    // Appends to `out` what of `in` may go on. Input that is not a stream of HTTP/1.1
    // requests makes the filter fail: nothing more passes.
    void feed(std::string_view in, std::string& out);
    bool failed() const { return state_ == State::failed; }

  private:
    enum class State { header, body, chunkSize, chunkData, chunkEnd, trailer, untouched, failed };
    void finishHeader(std::string& out);
    void finishChunkSize(std::string& out);

    State state_ = State::header;
    std::string line_;            // a header block or a line being gathered
    std::uint64_t remaining_ = 0; // body or chunk bytes still to pass
};
