#pragma once

#include <curl/curl.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <vector>

// One curl transfer run by a CurlWorker. Subclasses configure `handle()` before handing
// the transfer to the worker and read the outcome in `finished`.
class CurlTransfer {
  public:
    CurlTransfer();
    virtual ~CurlTransfer();
    CurlTransfer(const CurlTransfer&) = delete;
    CurlTransfer& operator=(const CurlTransfer&) = delete;

    // The easy handle; valid until `finished` has returned.
    CURL* handle() const { return handle_; }

    // Called once on the worker's thread: the transfer ended with `result`, or was
    // cancelled before it ended. The handle may still be read here; the worker releases
    // it right afterwards (on its own thread, where the connection cache lives).
    virtual void finished(CURLcode result, bool cancelled) = 0;

  private:
    friend class CurlWorker;
    CURL* handle_;
};

// Runs curl transfers on one thread with one multi handle, so that every transfer shares
// the connection cache (one handshake per host, kept alive between requests) and the
// name cache. Starting and cancelling are thread-safe.
class CurlWorker {
  public:
    // The process's worker, used by the HTTP session and the probe connection.
    static CurlWorker& shared();

    CurlWorker();
    ~CurlWorker();
    CurlWorker(const CurlWorker&) = delete;
    CurlWorker& operator=(const CurlWorker&) = delete;

    void start(std::shared_ptr<CurlTransfer> transfer);
    // Ends a transfer that has not finished yet (its `finished` runs with cancelled
    // true); nothing when it has finished already.
    void cancel(const std::shared_ptr<CurlTransfer>& transfer);

  private:
    void run();
    void takeRequests(bool& stopping);
    void finish(CURL* handle, CURLcode result, bool cancelled);

    CURLM* multi_;
    std::mutex mutex_;
    std::vector<std::shared_ptr<CurlTransfer>> startRequests_;
    std::vector<std::shared_ptr<CurlTransfer>> cancelRequests_;
    bool stopRequested_ = false;
    // Worker thread only.
    std::unordered_map<CURL*, std::shared_ptr<CurlTransfer>> active_;
    std::thread thread_;
};
