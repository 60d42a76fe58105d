#pragma once

#include "platform/SJMediaCacheServer/http/LoopbackHttpServer.h"

#include <atomic>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace testmedia {

// A media origin for tests and benchmarks: serves one folder over HTTP/1.1 on
// 127.0.0.1 with Range support, and can add latency, limit each connection's
// bandwidth, fail chosen paths and log what was asked. In playlists (".m3u8"),
// the text "{{ORIGIN}}" is replaced by the origin's base address, so fixtures can
// hold absolute URIs.
class TestOrigin {
  public:
    struct LoggedRequest {
        std::string method;
        std::string path;  // without the query
        std::string range; // the Range field, empty when absent
        std::string userAgent;
    };

    explicit TestOrigin(std::filesystem::path root);
    ~TestOrigin();
    TestOrigin(const TestOrigin&) = delete;
    TestOrigin& operator=(const TestOrigin&) = delete;

    // Starts serving (again on the same port after a stop).
    bool start();
    void stop();
    bool running() const { return server_.running(); }
    std::uint16_t port() const { return port_; }
    // "http://127.0.0.1:<port>"
    std::string baseURL() const;
    // The address of `path` ("showcase/master.m3u8" or "/showcase/master.m3u8").
    std::string url(const std::string& path) const;

    // Waits this long before answering each request.
    void setLatency(double seconds);
    // Sends at most this many bytes per second on each connection (0: unlimited).
    void setBytesPerSecond(std::uint64_t bytesPerSecond);
    // Answers `status` (with an empty body) to the next `times` requests of `path`
    // (-1: every request from now on), with a Retry-After of `retryAfter` when not empty.
    void failPath(const std::string& path, int status, int times = -1, const std::string& retryAfter = {});
    // Announces the whole body of `path` but closes the connection after `bytes` bytes.
    void cutPath(const std::string& path, std::uint64_t bytes, int times = -1);
    // The two above replace the faults of `path`; these two add one after those it has.
    // Resets the connection of the next `times` requests of `path` as soon as they are
    // read, unanswered (as a dropped connection attempt looks to the client).
    void dropPath(const std::string& path, int times = 1);
    // Announces the whole body of `path`, sends `bytes` bytes of it and resets the
    // connection.
    void resetPath(const std::string& path, std::uint64_t bytes, int times = 1);
    void clearFailures();
    // Serves the file at `file` (below the root) also at `path`, with `contentType` as its
    // Content-Type (none when empty).
    void alias(const std::string& path, const std::string& file, const std::string& contentType);
    // Answers `path` with a 302 to `target` (a path on this origin).
    void redirect(const std::string& path, const std::string& target);
    // Answers 403 to every request that lacks this field with this value.
    void requireHeader(const std::string& name, const std::string& value);

    std::vector<LoggedRequest> requests() const;
    // The most requests this origin was answering at one time.
    int peakConcurrentRequests() const { return peakInFlight_; }
    // How many requests asked for `path` (GET and HEAD).
    std::size_t requestCount(const std::string& path) const;
    // Whether any request's path starts with `prefix`.
    bool anyRequestUnder(const std::string& prefix) const;
    void clearLog();

  private:
    struct Failure {
        enum Kind { Status, Cut, Drop, Reset } kind = Status;
        int status = 500;
        std::string retryAfter;
        std::uint64_t cutAfter = 0;
        int remaining = -1;
    };

    void handle(const mcs::http::HttpRequest& request, mcs::http::ResponseWriter& writer);
    bool takeFailure(const std::string& path, Failure& failure);
    bool sendThrottled(mcs::http::ResponseWriter& writer, int fd, const std::string* memory,
                       std::uint64_t offset, std::uint64_t count);

    std::filesystem::path root_;
    mcs::http::LoopbackHttpServer server_;
    std::uint16_t port_ = 0;
    mutable std::mutex mutex_;
    double latency_ = 0;
    std::uint64_t bytesPerSecond_ = 0;
    std::map<std::string, std::deque<Failure>> failures_;                // taken front first
    std::map<std::string, std::pair<std::string, std::string>> aliases_; // path -> file, Content-Type
    std::map<std::string, std::string> redirects_;
    std::vector<std::pair<std::string, std::string>> requiredHeaders_;
    std::vector<LoggedRequest> log_;
    std::atomic<int> inFlight_{0};
    std::atomic<int> peakInFlight_{0};
};

} // namespace testmedia
