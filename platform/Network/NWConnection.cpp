#include "platform/Network/NWConnection.h"

#include "platform/Network/CurlWorker.h"
#include "platform/Network/NetworkPolicy.h"

#include <arpa/inet.h>

#include <algorithm>

namespace {

// Started connections that have not ended; the platform keeps them alive.
std::mutex liveMutex;
std::vector<std::shared_ptr<NWConnection>>& liveConnections() {
    static std::vector<std::shared_ptr<NWConnection>> connections;
    return connections;
}

void keepAlive(std::shared_ptr<NWConnection> connection) {
    std::lock_guard lock(liveMutex);
    liveConnections().push_back(std::move(connection));
}

void release(const NWConnection* connection) {
    std::shared_ptr<NWConnection> released;
    {
        std::lock_guard lock(liveMutex);
        auto& live = liveConnections();
        auto found = std::find_if(live.begin(), live.end(),
                                  [&](const auto& item) { return item.get() == connection; });
        if (found != live.end()) {
            released = std::move(*found);
            live.erase(found);
        }
    }
}

bool isNumericAddress(const std::string& host) {
    unsigned char buffer[sizeof(struct in6_addr)];
    return inet_pton(AF_INET, host.c_str(), buffer) == 1 || inet_pton(AF_INET6, host.c_str(), buffer) == 1;
}

// How the platform will resolve `host`: not at all for addresses and names it knows
// itself, through the encrypted resolver when one is required, else through the system
// resolver, whose queries go out over UDP.
NWConnection::EstablishmentReport reportFor(const std::string& host) {
    NWConnection::EstablishmentReport report;
    if (isNumericAddress(host) || host == "localhost") {
        return report;
    }
    using Protocol = NWConnection::EstablishmentReport::Resolution::DNSProtocol;
    const auto resolver = NetworkPolicy::encryptedResolver();
    if (resolver && resolver->urlHost() == host) {
        return report; // pinned to its configured addresses
    }
    report.resolutions.push_back({host, resolver ? Protocol::https : Protocol::udp});
    return report;
}

bool isTrustFailure(CURLcode result) {
    switch (result) {
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_ISSUER_ERROR:
        return true;
    default:
        return false;
    }
}

} // namespace

class NWConnection::Attempt final : public CurlTransfer {
  public:
    Attempt(std::weak_ptr<NWConnection> owner, const NWEndpoint& endpoint, bool tls)
        : owner_(std::move(owner)), report_(reportFor(endpoint.host)) {
        const std::string host =
            endpoint.host.find(':') != std::string::npos ? "[" + endpoint.host + "]" : endpoint.host;
        url_ = std::string(tls ? "https://" : "http://") + host + ":" + std::to_string(endpoint.port) + "/";
        curl_easy_setopt(handle(), CURLOPT_URL, url_.c_str());
        curl_easy_setopt(handle(), CURLOPT_CONNECT_ONLY, 1L);
        curl_easy_setopt(handle(), CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(handle(), CURLOPT_CONNECTTIMEOUT, 60L);
        curl_easy_setopt(handle(), CURLOPT_ERRORBUFFER, errorBuffer_);
        NetworkPolicy::applyTo(handle());
    }

    void finished(CURLcode result, bool cancelled) override {
        auto owner = owner_.lock();
        if (cancelled || !owner) {
            return;
        }
        if (result == CURLE_OK) {
            owner->attemptEnded(State::ready, {}, report_);
            return;
        }
        std::string error = curl_easy_strerror(result);
        if (errorBuffer_[0] != '\0') {
            error += std::string(": ") + errorBuffer_;
        }
        owner->attemptEnded(isTrustFailure(result) ? State::failed : State::waiting, std::move(error),
                            std::nullopt);
    }

  private:
    std::weak_ptr<NWConnection> owner_;
    EstablishmentReport report_;
    std::string url_;
    char errorBuffer_[CURL_ERROR_SIZE] = {};
};

std::shared_ptr<NWConnection> NWConnection::create(NWEndpoint endpoint, NWParameters parameters) {
    return std::shared_ptr<NWConnection>(new NWConnection(std::move(endpoint), parameters));
}

NWConnection::NWConnection(NWEndpoint endpoint, NWParameters parameters)
    : endpoint_(std::move(endpoint)), parameters_(parameters) {}

void NWConnection::setStateUpdateHandler(std::function<void(State)> handler) {
    std::lock_guard lock(mutex_);
    stateUpdateHandler_ = std::move(handler);
}

NWConnection::State NWConnection::state() const {
    std::lock_guard lock(mutex_);
    return state_;
}

std::string NWConnection::errorDescription() const {
    std::lock_guard lock(mutex_);
    return error_;
}

void NWConnection::start(DispatchQueue& queue) {
    std::shared_ptr<Attempt> attempt;
    {
        std::lock_guard lock(mutex_);
        if (started_) {
            return;
        }
        started_ = true;
        queue_ = &queue;
        attempt = std::make_shared<Attempt>(weak_from_this(), endpoint_, parameters_.usesTLS());
        attempt_ = attempt;
    }
    keepAlive(shared_from_this());
    deliver(State::setup);
    deliver(State::preparing);
    CurlWorker::shared().start(std::move(attempt));
}

void NWConnection::cancel() {
    std::shared_ptr<Attempt> attempt;
    {
        std::lock_guard lock(mutex_);
        if (!started_ || state_ == State::cancelled || state_ == State::failed || state_ == State::waiting) {
            return;
        }
        state_ = State::cancelled;
        attempt = std::move(attempt_);
    }
    if (attempt) {
        CurlWorker::shared().cancel(attempt);
    }
    deliver(State::cancelled);
}

void NWConnection::attemptEnded(State outcome, std::string error, std::optional<EstablishmentReport> report) {
    {
        std::lock_guard lock(mutex_);
        if (state_ == State::cancelled) {
            return;
        }
        state_ = outcome;
        error_ = std::move(error);
        report_ = std::move(report);
        attempt_.reset();
    }
    deliver(outcome);
}

void NWConnection::deliver(State state) {
    DispatchQueue* queue;
    {
        std::lock_guard lock(mutex_);
        queue = queue_;
    }
    queue->async([self = shared_from_this(), state] {
        std::function<void(State)> handler;
        {
            std::lock_guard lock(self->mutex_);
            handler = self->stateUpdateHandler_;
        }
        if (handler) {
            handler(state);
        }
        // A connection that has ended is no longer kept, nor is its handler (which may
        // hold the connection).
        if (state == State::waiting || state == State::failed || state == State::cancelled) {
            {
                std::lock_guard lock(self->mutex_);
                handler = std::move(self->stateUpdateHandler_);
                self->stateUpdateHandler_ = nullptr;
            }
            release(self.get());
        }
    });
}

void NWConnection::requestEstablishmentReport(
    DispatchQueue& queue, std::function<void(std::optional<EstablishmentReport>)> completion) {
    std::optional<EstablishmentReport> report;
    {
        std::lock_guard lock(mutex_);
        if (state_ == State::ready) {
            report = report_;
        }
    }
    queue.async([completion = std::move(completion), report = std::move(report)] { completion(report); });
}
