#pragma once

#include <curl/curl.h>

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

// One curl transfer run by a CurlDriver. Subclasses configure `handle()` before handing
// the transfer to the driver and read the outcome in `finished`.
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

    // Called once on the driver's thread: the transfer ended with `result`, or was
    // cancelled before it ended. The handle may still be read here; the driver releases
    // it right afterwards (on its own thread, where the connection cache lives).
    virtual void finished(CURLcode result, bool cancelled) = 0;

    // Called on the driver's thread each time the request is about to go out on the
    // connection made or reused for it: the first time, after each redirect, and when
    // curl would send it again because the kept connection it went out on was closed by
    // the peer before any answer. False ends the transfer instead, with
    // CURLE_ABORTED_BY_CALLBACK.
    virtual bool requestMayGoOut() { return true; }

  private:
    friend class CurlTransfers;

    CURL* handle_;
    // Where the request last went out (driver thread only); nothing before it has.
    std::optional<Endpoint> sentOn_;
};

// Runs curl transfers: starting and cancelling are safe from any thread; where they run
// (and `finished` is called) is the driver's to say.
class CurlDriver {
  public:
    virtual ~CurlDriver() = default;
    virtual void start(std::shared_ptr<CurlTransfer> transfer) = 0;
    // Ends a transfer that has not finished yet (its `finished` runs with cancelled
    // true); nothing when it has finished already.
    virtual void cancel(const std::shared_ptr<CurlTransfer>& transfer) = 0;
};

// The transfers of one multi handle, run on one thread (the driver's), so that they
// share its connection cache (one handshake per host, kept alive between requests) and
// its name cache. Starts and cancels are asked for from any thread and carried out on
// the driver's thread, in the order asked, when it takes them. A cancel taken before the
// transfer's start (asked for from other threads, the two may be taken in different turns)
// is kept: the transfer then ends as cancelled when its start is taken.
//
// A kept HTTP/1.x connection says nothing until it is asked something: input on an idle
// one is the peer closing it (a TLS close notice, a close, a reset). curl takes a
// connection with a close notice pending for a live one and would send its next request
// to a peer that never reads it, so before transfers are added the driver drops every idle
// connection that has input pending (dropClosedIdleConnections).
class CurlTransfers {
  public:
    CurlTransfers();
    ~CurlTransfers();
    CurlTransfers(const CurlTransfers&) = delete;
    CurlTransfers& operator=(const CurlTransfers&) = delete;

    CURLM* multi() const { return multi_; }

    // Thread-safe.
    void requestStart(std::shared_ptr<CurlTransfer> transfer);
    void requestCancel(const std::shared_ptr<CurlTransfer>& transfer);
    bool hasRequests();

    // The driver's thread: adds the transfers asked for (after dropping the idle
    // connections their peers closed) and ends those asked to be cancelled.
    void takeRequests();
    // Ends the transfers curl reports done.
    void finishDone();
    // Drops the transfers still running unanswered (the process is ending).
    void abandonAll();

  private:
    void dropClosedIdleConnections();
    void add(std::shared_ptr<CurlTransfer> transfer);
    void cancel(const std::shared_ptr<CurlTransfer>& transfer);
    // Whether `transfer` was cancelled before its start (forgetting the cancel).
    bool takeCancelBeforeStart(const std::shared_ptr<CurlTransfer>& transfer);
    void finish(CURL* handle, CURLcode result, bool cancelled);
    // Reports the end of a transfer that is not (or no longer) in the multi handle and
    // releases its handle.
    static void end(CurlTransfer& transfer, CURLcode result, bool cancelled);
    // Remembers the connection a successful transfer leaves in curl's cache, if HTTP/1.x.
    void keepIdle(CurlTransfer& transfer);
    bool inUse(const CurlTransfer::Endpoint& endpoint) const;
    static int requestGoesOut(void* transfer, char* peerAddress, char* localAddress, int peerPort,
                              int localPort);
    static int closeSocket(void* transfers, curl_socket_t socket);

    CURLM* multi_;
    std::mutex mutex_;
    std::vector<std::shared_ptr<CurlTransfer>> startRequests_;
    std::vector<std::shared_ptr<CurlTransfer>> cancelRequests_;
    // The driver's thread only.
    std::unordered_map<CURL*, std::shared_ptr<CurlTransfer>> active_;
    // Transfers cancelled before they started; one dropped by its owner is forgotten.
    std::vector<std::weak_ptr<CurlTransfer>> cancelsBeforeStart_;
    // Sockets of HTTP/1.x connections that finished transfers left in curl's cache, with
    // their ends; one may have been taken by a running transfer since (see inUse).
    std::unordered_map<curl_socket_t, CurlTransfer::Endpoint> idle_;
};
