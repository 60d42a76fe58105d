#pragma once

#include "platform/Alamofire/DataResponse.h"
#include "platform/Alamofire/HTTPHeaders.h"
#include "platform/Alamofire/HTTPMethod.h"
#include "platform/Alamofire/URLEncodedFormParameterEncoder.h"
#include "platform/Foundation/DispatchQueue.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class CurlDriver;
class CurlTransfer;
class Session;

// One HTTP request of a session. It starts when its first response handler is added and
// lives until its response has been delivered.
class DataRequest : public std::enable_shared_from_this<DataRequest> {
  public:
    using Handler = std::function<void(const AFDataResponse&)>;

    const std::string& url() const { return url_; }
    HTTPMethod method() const { return method_; }
    const HTTPHeaders& headers() const { return headers_; }
    const std::string& body() const { return body_; }

    // Makes a response whose status is outside 200-299 a failure.
    std::shared_ptr<DataRequest> validate();

    // Delivers the response as raw bytes on `queue`. An empty body is a failure unless the
    // status is 204 or 205 (which answer without one). Starts the request if needed.
    std::shared_ptr<DataRequest> responseData(DispatchQueue& queue, Handler handler);
    // The same, handing over the response that the request and its other handlers share,
    // for a handler that keeps it (or its body) beyond the call without copying it.
    using SharedHandler = std::function<void(const std::shared_ptr<const AFDataResponse>&)>;
    std::shared_ptr<DataRequest> responseSharedData(DispatchQueue& queue, SharedHandler handler);

    // Ends the request; handlers receive an "explicitly cancelled" failure unless the
    // response had arrived already.
    void cancel();

  private:
    friend class Session;
    friend class HTTPTransfer;

    struct PendingHandler {
        DispatchQueue* queue;
        SharedHandler handler;
    };

    // A delivered response is shared read-only by the request and every handler: the
    // body is not copied on its way to them.
    using SharedResponse = std::shared_ptr<const AFDataResponse>;

    DataRequest(Session& session, std::string url, HTTPMethod method, HTTPHeaders headers, std::string body);
    void start();
    void complete(AFDataResponse raw);
    void dispatch(PendingHandler pending, const SharedResponse& raw) const;
    // `raw` itself unless validation or an empty body makes it a failure.
    SharedResponse serialized(const SharedResponse& raw) const;

    Session& session_;
    std::string url_;
    HTTPMethod method_;
    HTTPHeaders headers_;
    std::string body_;

    mutable std::mutex mutex_;
    bool validates_ = false;
    bool started_ = false;
    bool cancelled_ = false;
    SharedResponse outcome_;
    std::vector<PendingHandler> handlers_;
    // Held by the driver while it runs (and the transfer holds this request).
    std::weak_ptr<CurlTransfer> transfer_;
};

// HTTP(S) requests over a curl driver (the process's curl worker unless given another):
// form parameters encoded by the default form encoder, peers verified and names resolved
// as the network policy says, connections kept alive and reused between requests to the
// same host.
class Session {
  public:
    struct Configuration {
        // Seconds a request may spend connecting, or waiting between two pieces of its
        // response, before it fails.
        double timeoutIntervalForRequest = 60;
    };

    // The framework's default session, for the API's small requests: its transfers run
    // on the main thread's run loop.
    static Session& defaultSession();

    explicit Session(Configuration configuration);
    Session(Configuration configuration, CurlDriver& driver);

    const Configuration& configuration() const { return configuration_; }

    std::shared_ptr<DataRequest> request(const std::string& url, HTTPMethod method = HTTPMethod::get,
                                         const Parameters& parameters = {}, const HTTPHeaders& headers = {});

    // The bytes at `url` (a GET without parameters, any status outside 200-299 a failure),
    // delivered on `queue`.
    void fetchData(const std::string& url, DispatchQueue& queue, DataRequest::Handler completion);

    // How many connections the session's requests have opened so far (each one a TCP
    // connection and, for HTTPS, a TLS handshake); reused connections count once.
    std::uint64_t connectionsOpened() const { return connectionsOpened_.load(); }

  private:
    friend class DataRequest;
    friend class HTTPTransfer;
    Configuration configuration_;
    CurlDriver& driver_;
    std::atomic<std::uint64_t> connectionsOpened_{0};
};

// The default session, as the framework's global entry names it.
Session& AF();
