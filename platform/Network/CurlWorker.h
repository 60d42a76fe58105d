#pragma once

#include <curl/curl.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

// One curl transfer run by a CurlWorker. Subclasses configure `handle()` before handing
// the transfer to the worker and read the outcome in `finished`.
class CurlTransfer {
  public:
    // Both ends of a connection, as curl reports them when a request goes out on it.
    struct Endpoint {
        long localPort = 0;
        std::string peerAddress;
        long peerPort = 0;
        bool operator==(const Endpoint&) const = default;
    };

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

    // Called on the worker's thread each time the request is about to go out on the
    // connection made or reused for it: the first time, after each redirect, and when
    // curl would send it again because the kept connection it went out on was closed by
    // the peer before any answer. False ends the transfer instead, with
    // CURLE_ABORTED_BY_CALLBACK.
    virtual bool requestMayGoOut() { return true; }

  private:
    friend class CurlWorker;

    CURL* handle_;
    // Where the request last went out (worker thread only); nothing before it has.
    std::optional<Endpoint> sentOn_;
};

// Runs curl transfers on one thread with one multi handle, so that every transfer shares
// the connection cache (one handshake per host, kept alive between requests) and the
// name cache. Starting and cancelling are thread-safe.
//
// A kept HTTP/1.x connection says nothing until it is asked something: input on an idle
// one is the peer closing it (a TLS close notice, a close, a reset). curl takes a
// connection with a close notice pending for a live one and would send its next request
// to a peer that never reads it, so before transfers start the worker drops every idle
// connection that has input pending.
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
    // Remembers the connection a successful transfer leaves in curl's cache, if HTTP/1.x.
    void keepIdle(CurlTransfer& transfer);
    void dropClosedIdleConnections();
    bool inUse(const CurlTransfer::Endpoint& endpoint) const;
    static int requestGoesOut(void* transfer, char* peerAddress, char* localAddress, int peerPort,
                              int localPort);
    static int closeSocket(void* worker, curl_socket_t socket);

    CURLM* multi_;
    std::mutex mutex_;
    std::vector<std::shared_ptr<CurlTransfer>> startRequests_;
    std::vector<std::shared_ptr<CurlTransfer>> cancelRequests_;
    bool stopRequested_ = false;
    // Worker thread only.
    std::unordered_map<CURL*, std::shared_ptr<CurlTransfer>> active_;
    // Sockets of HTTP/1.x connections that finished transfers left in curl's cache, with
    // their ends; one may have been taken by a running transfer since (see inUse).
    std::unordered_map<curl_socket_t, CurlTransfer::Endpoint> idle_;
    std::thread thread_;
};
