#pragma once

#include "tools/devservice/FormEncoding.h"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace devservice {

// One request as the service received it.
struct RecordedRequest {
    int port = 0; // the local port it arrived on
    std::string method;
    std::string path; // "/api/indexList", without the query
    std::multimap<std::string, std::string> headers;
    FormParameters parameters; // the query's (GET) or the form body's (POST); empty when unreadable

    // The first header of that name, compared without regard to case; "" when absent.
    std::string header(const std::string& name) const;
};

// How the service misbehaves for chosen requests, for tests of failure paths. The parts
// apply in this order: wait `delaySeconds`; when `held`, wait until the test releases the
// held requests (DevService::releaseHeldRequests, which lets through every request the
// fault hits from then on); then close the connection right after
// the status line and headers, before any byte of the body (`dropConnection`), or answer
// `status` (default 200) with `rawBody` (default empty) when either is set; otherwise
// answer normally. `samePage` answers normally too, except that the short videos' page 1,
// which goes on where the previous answer ended, starts again from the first short video:
// every answer it hits holds the same items. `closeNotice` ends the kept-alive connection
// with a TLS close notice and a close, as a service's idle timeout does: `afterAnswer`
// once the answer has been written (the client finds the connection closed before it
// asks again), `insteadOfAnswer` once the request has been read and recorded, unanswered
// (the timeout fired while the request was on its way; the client cannot have known).
// `resetAfterBytes` resets the connection (TCP RST, no close notice) once that many bytes
// of the answer, head included, have been written; 0 resets it unanswered as soon as the
// request has been read, as a dropped connection looks to the client.
enum class CloseNotice { none, afterAnswer, insteadOfAnswer };

struct Fault {
    double delaySeconds = 0;
    std::optional<int> status;
    std::optional<std::string> rawBody;
    bool dropConnection = false;
    int times = -1; // how many requests it hits; -1 for every one until cleared
    bool held = false;
    bool samePage = false;
    CloseNotice closeNotice = CloseNotice::none;
    std::optional<std::size_t> resetAfterBytes = std::nullopt;
    // When set, hits only requests whose form carries this parameter with this value.
    std::optional<std::pair<std::string, std::string>> withParameter = std::nullopt;
};

// Faults by path pattern: the path as the client names it, with or without the leading
// "/" ("api/getParse"); a trailing "*" matches any rest ("media/*"). Thread-safe.
class FaultTable {
  public:
    void set(const std::string& pattern, const Fault& fault);
    void clear(const std::string& pattern);
    void clearAll();
    // The fault that hits a request for `path` with `parameters`, counted as used.
    std::optional<Fault> take(const std::string& path, const FormParameters& parameters);

  private:
    std::mutex mutex_;
    std::map<std::string, Fault> faults_;
};

// The most recent requests (the oldest are dropped beyond `capacity`). Thread-safe.
class RequestLog {
  public:
    explicit RequestLog(std::size_t capacity = 10000) : capacity_(capacity) {}
    void add(RecordedRequest request);
    std::vector<RecordedRequest> all() const;
    void clear();

  private:
    const std::size_t capacity_;
    mutable std::mutex mutex_;
    std::deque<RecordedRequest> requests_;
};

// A pause that ends early when the service stops.
class StopSignal {
  public:
    // Waits up to `seconds`; answers false when the service stopped meanwhile.
    bool sleep(double seconds);
    void raise();
    void reset();

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool raised_ = false;
};

// Where held requests wait: closed when a holding fault is set, open again (for the held
// requests and any that come later) when the test releases them.
class HoldGate {
  public:
    void close();
    void open();
    // Waits while the gate is closed; answers false when `stopping` was raised first.
    bool wait(StopSignal& stopping);

  private:
    std::mutex mutex_;
    bool open_ = true;
};

} // namespace devservice
