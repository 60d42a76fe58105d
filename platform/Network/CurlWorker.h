#pragma once

#include <curl/curl.h>

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

// One curl transfer run by a CurlWorker. Subclasses configure `handle()` before handing
// the transfer to the worker and read the outcome in `finished`.
class CurlWorker;

class CurlTransfer {
public:
    CurlTransfer();
    virtual ~CurlTransfer();
    CurlTransfer(const CurlTransfer&) = delete;
    CurlTransfer& operator=(const CurlTransfer&) = delete;

    // The easy handle, as new (perhaps a reset one of an earlier transfer); valid until
    // `finished` has returned.
    CURL* handle() const { return handle_; }

    // Called once on the worker's thread: the transfer ended with `result`, or was
    // cancelled before it ended. The handle may still be read here; the worker releases
    // it right afterwards (on its own thread, where the connection cache lives).
    virtual void finished(CURLcode result, bool cancelled) = 0;

    // Whether the handle may serve another transfer once this one has finished (reset to
    // its defaults): not when it holds a connection of its own (CURLOPT_CONNECT_ONLY).
    virtual bool recyclesHandle() const { return false; }

    // Called on the worker's thread each time the request is about to go out (after a
    // connection was made or reused for it); false ends the transfer instead, with
    // CURLE_ABORTED_BY_CALLBACK.
    virtual bool requestMayGoOut() { return true; }

    // How many times the request has been sent so far: once, plus once for each redirect
    // followed and each time curl sent it again on a fresh connection after a reused one
    // had died.
    int requestsSent() const { return requestsSent_; }

private:
    friend class CurlWorker;
    CURL* handle_;
    CurlWorker* worker_ = nullptr; // set when started
    int requestsSent_ = 0;
};

// Runs curl transfers on one thread with one multi handle, so that every transfer shares
// the connection cache (one handshake per host, kept alive between requests) and the
// name cache. Starting and cancelling are thread-safe.
//
// An idle HTTP/1.x connection must stay silent until it is asked something: input on it
// is the peer closing it (a TLS close notice, a close or a reset). curl takes a
// connection with input pending for a live one and sends its next request there, to a
// peer that will never read it; so before it starts transfers the worker drops every
// idle connection that has input pending.
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
    // Where a kept connection leads, as curl reports it when a request goes out on it.
    struct Endpoint {
        long localPort = 0;
        std::string peerAddress;
        long peerPort = 0;
        auto operator<=>(const Endpoint&) const = default;
    };

    void run();
    void takeRequests(bool& stopping);
    void finish(CURL* handle, CURLcode result, bool cancelled);
    // Remembers the connection a finished transfer leaves in the cache, if it is HTTP/1.x
    // and no other transfer has taken it since.
    void keepIdle(CurlTransfer& transfer, bool succeeded);
    void dropClosedIdleConnections();
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
    // Sockets of kept HTTP/1.x connections that no transfer uses.
    std::unordered_map<curl_socket_t, Endpoint> idle_;
    // The connection each running transfer's request last went out on, and the transfer
    // that sent the latest request on each connection: a finished transfer's connection
    // may have been taken by another one before the worker hears that it finished.
    std::unordered_map<const CurlTransfer*, Endpoint> sentOn_;
    std::map<Endpoint, const CurlTransfer*> lastSender_;
    std::thread thread_;
};
