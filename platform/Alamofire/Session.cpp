#include "platform/Alamofire/Session.h"

#include "platform/Foundation/Bundle.h"
#include "platform/Foundation/Log.h"
#include "platform/Network/CurlWorker.h"
#include "platform/Network/MainLoopCurl.h"
#include "platform/Network/NetworkPolicy.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

std::string userAgent() {
    static const std::string agent = [] {
        const auto& bundle = Bundle::main();
        const std::string name = bundle.infoValue("CFBundleName").stringValue();
        return (name.empty() ? std::string("Orvex") : name) + "/" + bundle.shortVersionString() + " (" +
               bundle.infoValue("CFBundleIdentifier").stringValue() +
               "; build:" + bundle.infoValue("CFBundleVersion").stringValue() + "; Linux) Alamofire";
    }();
    return agent;
}

// Bytes kept free past the end of a response body (see receiveBody).
constexpr size_t bodySlack = 64;

bool parsesAsURL(const std::string& url) {
    CURLU* parsed = curl_url();
    const bool valid = parsed != nullptr && curl_url_set(parsed, CURLUPART_URL, url.c_str(), 0) == CURLUE_OK;
    curl_url_cleanup(parsed);
    return valid;
}

std::string trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t\r\n");
    return std::string(text.substr(first, last - first + 1));
}

} // namespace

class HTTPTransfer final : public CurlTransfer {
  public:
    HTTPTransfer(std::shared_ptr<DataRequest> request, const Session::Configuration& configuration)
        : request_(std::move(request)) {
        CURL* easy = handle();
        const std::string& url = request_->url();
        curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
        curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(easy, CURLOPT_MAXREDIRS, 16L);
        // Never follow a redirect from HTTPS down to plain HTTP.
        curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR,
                         url.rfind("https:", 0) == 0 ? "https" : "http,https");
        curl_easy_setopt(easy, CURLOPT_ACCEPT_ENCODING, "");
        curl_easy_setopt(easy, CURLOPT_USERAGENT, userAgent().c_str());
        const double timeout = std::max(configuration.timeoutIntervalForRequest, 0.001);
        curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(timeout * 1000));
        curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
        curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, std::max(1L, static_cast<long>(std::ceil(timeout))));
        curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, errorBuffer_);
        curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &HTTPTransfer::receiveBody);
        curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
        curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &HTTPTransfer::receiveHeader);
        curl_easy_setopt(easy, CURLOPT_HEADERDATA, this);

        for (const auto& header : request_->headers()) {
            // A line break in a header would start a header (or a request) of its own.
            if (header.name.find_first_of("\r\n:") != std::string::npos ||
                header.value.find_first_of("\r\n") != std::string::npos) {
                continue;
            }
            appendHeader(header.name + ": " + header.value);
        }
        if (request_->method() == HTTPMethod::post) {
            if (!request_->headers().value("Content-Type")) {
                appendHeader("Content-Type: " + std::string(URLEncodedFormParameterEncoder::contentType));
            }
            appendHeader("Expect:"); // send the body at once
            curl_easy_setopt(easy, CURLOPT_POST, 1L);
            curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE,
                             static_cast<curl_off_t>(request_->body().size()));
            curl_easy_setopt(easy, CURLOPT_COPYPOSTFIELDS, request_->body().c_str());
        } else {
            curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
        }
        curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headerList_);
        NetworkPolicy::applyTo(easy);
    }

    ~HTTPTransfer() override { curl_slist_free_all(headerList_); }

    void finished(CURLcode result, bool cancelled) override {
        AFDataResponse raw;
        raw.requestURL = request_->url();
        raw.method = request_->method();
        CURL* easy = handle();
        curl_easy_getinfo(easy, CURLINFO_NUM_CONNECTS, &raw.metrics.newConnections);
        curl_easy_getinfo(easy, CURLINFO_TOTAL_TIME, &raw.metrics.totalSeconds);
        request_->session_.connectionsOpened_ +=
            static_cast<std::uint64_t>(std::max(raw.metrics.newConnections, 0L));
        if (cancelled) {
            raw.result = AFError{AFError::Kind::explicitlyCancelled, 0, 0, "The request was cancelled."};
        } else if (refusedToResend_) {
            raw.result = AFError{AFError::Kind::sessionTaskFailed, static_cast<int>(CURLE_RECV_ERROR), 0,
                                 "The connection was closed before an answer arrived; the request was not "
                                 "sent again, since the service may have received it."};
        } else if (result != CURLE_OK) {
            raw.result = transportError(result);
        } else {
            HTTPURLResponse response;
            curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &response.statusCode);
            char* effectiveURL = nullptr;
            curl_easy_getinfo(easy, CURLINFO_EFFECTIVE_URL, &effectiveURL);
            response.url = effectiveURL != nullptr ? effectiveURL : request_->url();
            response.headers = std::move(responseHeaders_);
            raw.response = std::move(response);
            raw.result = std::move(body_);
        }
        std::shared_ptr<DataRequest> request = std::move(request_);
        request->complete(std::move(raw));
    }

  private:
    // curl sends the request again after a redirect, and, before any answer has come,
    // when the kept connection it went out on turns out to have been closed by the peer.
    // Such a GET goes out once more, on a fresh connection (other kept ones may have been
    // closed as well); a POST never does: the service may have received it, and a second
    // one could repeat what it asked for.
    bool requestMayGoOut() override {
        const bool resending = sends_ > 0 && !answered_;
        answered_ = false;
        if (resending) {
            if (request_->method() != HTTPMethod::get || resent_) {
                refusedToResend_ = true;
                return false;
            }
            resent_ = true;
        }
        if (sends_++ == 0 && request_->method() == HTTPMethod::get) {
            curl_easy_setopt(handle(), CURLOPT_FRESH_CONNECT, 1L); // applies to a resend only
        }
        return true;
    }

    void appendHeader(const std::string& line) {
        if (curl_slist* extended = curl_slist_append(headerList_, line.c_str())) {
            headerList_ = extended;
        }
    }

    AFError transportError(CURLcode result) const {
        std::string description = curl_easy_strerror(result);
        if (errorBuffer_[0] != '\0') {
            description += std::string(": ") + errorBuffer_;
        }
        if (result == CURLE_COULDNT_RESOLVE_HOST) {
            char* host = nullptr;
            CURLU* parsed = curl_url();
            if (parsed != nullptr &&
                curl_url_set(parsed, CURLUPART_URL, request_->url().c_str(), 0) == CURLUE_OK) {
                curl_url_get(parsed, CURLUPART_HOST, &host, 0);
            }
            const std::string hint =
                NetworkPolicy::resolutionFailureHint(host != nullptr ? host : request_->url());
            curl_free(host);
            curl_url_cleanup(parsed);
            if (!hint.empty()) {
                consoleLog(hint);
                description += " (" + hint + ")";
            }
        }
        return AFError{AFError::Kind::sessionTaskFailed, static_cast<int>(result), 0, description};
    }

    static size_t receiveBody(char* data, size_t size, size_t count, void* context) {
        auto* self = static_cast<HTTPTransfer*>(context);
        std::string& body = self->body_;
        const size_t length = size * count;
        // The body keeps room past its end, so that a parser reading in blocks (the API
        // client's JSON parser) can read it where it lies instead of copying it first.
        if (body.capacity() < body.size() + length + bodySlack) {
            body.reserve(std::max(2 * body.capacity(), body.size() + length + bodySlack));
        }
        body.append(data, length);
        return length;
    }

    // Keeps the headers of the last response only (after redirects and interim answers).
    static size_t receiveHeader(char* data, size_t size, size_t count, void* context) {
        auto* self = static_cast<HTTPTransfer*>(context);
        const std::string_view line(data, size * count);
        if (line.rfind("HTTP/", 0) == 0) {
            self->answered_ = true;
            self->responseHeaders_ = HTTPHeaders();
        } else if (const auto colon = line.find(':'); colon != std::string_view::npos) {
            self->responseHeaders_.add(trimmed(line.substr(0, colon)), trimmed(line.substr(colon + 1)));
        }
        return size * count;
    }

    std::shared_ptr<DataRequest> request_;
    int sends_ = 0;
    bool answered_ = false; // a status line has come since the request last went out
    bool resent_ = false;
    bool refusedToResend_ = false;
    curl_slist* headerList_ = nullptr;
    std::string body_;
    HTTPHeaders responseHeaders_;
    char errorBuffer_[CURL_ERROR_SIZE] = {};
};

DataRequest::DataRequest(Session& session, std::string url, HTTPMethod method, HTTPHeaders headers,
                         std::string body)
    : session_(session), url_(std::move(url)), method_(method), headers_(std::move(headers)),
      body_(std::move(body)) {}

std::shared_ptr<DataRequest> DataRequest::validate() {
    std::lock_guard lock(mutex_);
    validates_ = true;
    return shared_from_this();
}

std::shared_ptr<DataRequest> DataRequest::responseData(DispatchQueue& queue, Handler handler) {
    return responseSharedData(
        queue, [handler = std::move(handler)](const SharedResponse& response) { handler(*response); });
}

std::shared_ptr<DataRequest> DataRequest::responseSharedData(DispatchQueue& queue, SharedHandler handler) {
    SharedResponse outcome;
    PendingHandler pending{&queue, std::move(handler)};
    bool mustStart = false;
    {
        std::lock_guard lock(mutex_);
        if (outcome_) {
            outcome = outcome_;
        } else {
            handlers_.push_back(std::move(pending));
            mustStart = !started_;
            started_ = true;
        }
    }
    if (outcome) {
        dispatch(std::move(pending), outcome);
    } else if (mustStart) {
        start();
    }
    return shared_from_this();
}

void DataRequest::start() {
    std::shared_ptr<HTTPTransfer> transfer;
    if (parsesAsURL(url_)) {
        transfer = std::make_shared<HTTPTransfer>(shared_from_this(), session_.configuration_);
    }
    bool cancelled;
    {
        // Looked at while the transfer is made known to cancel(): a cancel from another
        // thread either comes before (and the request never starts) or finds the transfer.
        std::lock_guard lock(mutex_);
        cancelled = cancelled_;
        if (!cancelled) {
            transfer_ = transfer;
        }
    }
    if (cancelled) {
        AFDataResponse raw;
        raw.requestURL = url_;
        raw.method = method_;
        raw.result = AFError{AFError::Kind::explicitlyCancelled, 0, 0, "The request was cancelled."};
        complete(std::move(raw));
        return;
    }
    if (!transfer) {
        AFDataResponse raw;
        raw.requestURL = url_;
        raw.method = method_;
        raw.result = AFError{AFError::Kind::invalidURL, 0, 0, "Not a valid URL: " + url_};
        complete(std::move(raw));
        return;
    }
    session_.driver_.start(std::move(transfer));
}

void DataRequest::cancel() {
    std::shared_ptr<CurlTransfer> transfer;
    {
        std::lock_guard lock(mutex_);
        if (outcome_ || cancelled_) {
            return;
        }
        cancelled_ = true;
        transfer = transfer_.lock();
    }
    if (transfer) {
        session_.driver_.cancel(transfer);
    }
}

void DataRequest::complete(AFDataResponse raw) {
    const auto outcome = std::make_shared<const AFDataResponse>(std::move(raw));
    std::vector<PendingHandler> handlers;
    {
        std::lock_guard lock(mutex_);
        outcome_ = outcome;
        handlers.swap(handlers_);
        transfer_.reset();
    }
    for (auto& pending : handlers) {
        dispatch(std::move(pending), outcome);
    }
}

void DataRequest::dispatch(PendingHandler pending, const SharedResponse& raw) const {
    pending.queue->async(
        [handler = std::move(pending.handler), response = serialized(raw)] { handler(response); });
}

DataRequest::SharedResponse DataRequest::serialized(const SharedResponse& raw) const {
    if (!raw->isSuccess() || !raw->response) {
        return raw;
    }
    const long status = raw->response->statusCode;
    bool validates;
    {
        std::lock_guard lock(mutex_);
        validates = validates_;
    }
    std::optional<AFError> failure;
    if (validates && (status < 200 || status > 299)) {
        failure = AFError{AFError::Kind::responseValidationFailed, 0, status,
                          "Response status code was unacceptable: " + std::to_string(status) + "."};
    } else if (raw->value()->empty() && status != 204 && status != 205) {
        failure = AFError{AFError::Kind::inputDataNilOrZeroLength, 0, status,
                          "Response could not be serialized, input data was nil or zero length."};
    }
    if (!failure) {
        return raw;
    }
    auto response = std::make_shared<AFDataResponse>(*raw);
    if (!raw->value()->empty()) {
        response->data = *raw->value();
    }
    response->result = std::move(*failure);
    return response;
}

Session& Session::defaultSession() {
    static Session session(Configuration{}, MainLoopCurl::shared());
    return session;
}

Session::Session(Configuration configuration) : Session(configuration, CurlWorker::shared()) {}

Session::Session(Configuration configuration, CurlDriver& driver)
    : configuration_(configuration), driver_(driver) {}

std::shared_ptr<DataRequest> Session::request(const std::string& url, HTTPMethod method,
                                              const Parameters& parameters, const HTTPHeaders& headers) {
    const auto& encoder = URLEncodedFormParameterEncoder::defaultEncoder();
    std::string target = url;
    std::string body;
    if (encoder.encodesIntoQuery(method)) {
        if (!parameters.empty()) {
            // The query goes before a fragment, after any query the URL has already.
            const auto fragment = target.find('#');
            const std::string head = target.substr(0, fragment);
            const std::string tail = fragment == std::string::npos ? std::string() : target.substr(fragment);
            target = head + (head.find('?') == std::string::npos ? '?' : '&') +
                     URLEncodedFormParameterEncoder::encode(parameters) + tail;
        }
    } else {
        body = URLEncodedFormParameterEncoder::encode(parameters);
    }
    return std::shared_ptr<DataRequest>(
        new DataRequest(*this, std::move(target), method, headers, std::move(body)));
}

void Session::fetchData(const std::string& url, DispatchQueue& queue, DataRequest::Handler completion) {
    request(url)->validate()->responseData(queue, std::move(completion));
}

Session& AF() {
    return Session::defaultSession();
}
