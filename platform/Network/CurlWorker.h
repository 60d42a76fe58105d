#pragma once

#include <curl/curl.h>

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <vector>

// One curl transfer run by a CurlWorker. Subclasses configure `handle()` before handing
// the transfer to the worker and read the outcome in `finished`.
//
// curl's callbacks of a running transfer (body, headers) run one at a time, with the
// worker's lock held: on the worker's thread, or on a thread that is starting a transfer
// at that moment. They must not block.
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

// Runs curl transfers with one multi handle, so that every transfer shares the connection
// cache (one handshake per host, kept alive between requests) and the name cache. Starting
// and cancelling are thread-safe.
//
// A transfer is started on the thread that starts it whenever curl is free at that moment:
// its request goes out at once (on a kept-alive connection, before `start` returns)
// instead of waiting for the worker's thread to wake up and take it; the worker's thread
// then waits for the answer along with every other transfer's sockets and timers, and
// reports the end. Otherwise the worker's thread starts it.
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
    // A transfer taken off curl, to be told how it ended (off the lock).
    struct Ended {
        std::shared_ptr<CurlTransfer> transfer;
        CURLcode result;
        bool cancelled;
    };

    void run();
    void wake();
    static void report(std::vector<Ended>& ended);
    // With curlMutex_ held.
    bool add(const std::shared_ptr<CurlTransfer>& transfer);
    void act(curl_socket_t socket, int events);
    void actOnDueTimer();
    void takeRequests(std::vector<Ended>& ended);
    void collectEnded(std::vector<Ended>& ended);
    void detach(CURL* handle, CURLcode result, bool cancelled, std::vector<Ended>& ended);
    static int watchSocket(CURL* easy, curl_socket_t socket, int what, void* worker, void* socketData);
    static int setTimer(CURLM* multi, long milliseconds, void* worker);

    CURLM* multi_;
    int wakeFd_ = -1;

    // Every call on the multi handle, and what curl's callbacks record.
    std::mutex curlMutex_;
    std::unordered_map<CURL*, std::shared_ptr<CurlTransfer>> active_;
    // The sockets curl wants watched, with poll's events.
    std::map<curl_socket_t, short> sockets_;
    // When curl wants to be called for its timeouts (steady clock, milliseconds); -1: never.
    std::int64_t timerDue_ = -1;

    // Requests for the worker's thread.
    std::mutex requestMutex_;
    std::vector<std::shared_ptr<CurlTransfer>> startRequests_;
    std::vector<std::shared_ptr<CurlTransfer>> cancelRequests_;
    bool stopRequested_ = false;

    std::thread thread_;
};
