#include "platform/Network/CurlTransfers.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace {

constexpr long kConnectionsPerHost = 6;

void initialiseCurlOnce() {
    static const CURLcode result = curl_global_init(CURL_GLOBAL_DEFAULT);
    if (result != CURLE_OK) {
        throw std::runtime_error("curl_global_init failed");
    }
}

// The ends of `socket` as curl names them; nothing when the socket is gone.
std::optional<CurlTransfer::Endpoint> endpointOf(curl_socket_t socket) {
    sockaddr_storage local{};
    sockaddr_storage peer{};
    socklen_t localLength = sizeof local;
    socklen_t peerLength = sizeof peer;
    if (::getsockname(socket, reinterpret_cast<sockaddr*>(&local), &localLength) != 0 ||
        ::getpeername(socket, reinterpret_cast<sockaddr*>(&peer), &peerLength) != 0 ||
        local.ss_family != peer.ss_family) {
        return std::nullopt;
    }
    char address[INET6_ADDRSTRLEN] = {};
    if (peer.ss_family == AF_INET) {
        const auto& in = reinterpret_cast<const sockaddr_in&>(peer);
        ::inet_ntop(AF_INET, &in.sin_addr, address, sizeof address);
        return CurlTransfer::Endpoint{ntohs(reinterpret_cast<const sockaddr_in&>(local).sin_port), address,
                                      ntohs(in.sin_port)};
    }
    if (peer.ss_family == AF_INET6) {
        const auto& in = reinterpret_cast<const sockaddr_in6&>(peer);
        ::inet_ntop(AF_INET6, &in.sin6_addr, address, sizeof address);
        return CurlTransfer::Endpoint{ntohs(reinterpret_cast<const sockaddr_in6&>(local).sin6_port), address,
                                      ntohs(in.sin6_port)};
    }
    return std::nullopt;
}

} // namespace

CurlTransfer::CurlTransfer() {
    initialiseCurlOnce();
    handle_ = curl_easy_init();
    if (handle_ == nullptr) {
        throw std::runtime_error("curl_easy_init failed");
    }
    // A transfer ended while the system still looks its host up leaves the lookup's thread
    // to finish on its own: the driver's thread (the main thread, for MainLoopCurl) never
    // waits for a slow system resolver when it cancels or times a transfer out.
    curl_easy_setopt(handle_, CURLOPT_QUICK_EXIT, 1L);
}

CurlTransfer::~CurlTransfer() {
    if (handle_ != nullptr) {
        curl_easy_cleanup(handle_);
    }
}

CurlTransfers::CurlTransfers() {
    initialiseCurlOnce();
    multi_ = curl_multi_init();
    if (multi_ == nullptr) {
        throw std::runtime_error("curl_multi_init failed");
    }
    // Idle connections to a few hosts (service, resolver, images) stay open for reuse.
    curl_multi_setopt(multi_, CURLMOPT_MAXCONNECTS, 32L);
    // A burst of requests to one host (a page's answers, a screen of posters) shares six
    // connections, as the platform's sessions do, instead of opening one each: the rest
    // wait for one of them to come free.
    curl_multi_setopt(multi_, CURLMOPT_MAX_HOST_CONNECTIONS, kConnectionsPerHost);
}

CurlTransfers::~CurlTransfers() {
    abandonAll();
    curl_multi_cleanup(multi_);
}

int CurlTransfers::requestGoesOut(void* context, char* peerAddress, char*, int peerPort, int localPort) {
    auto* transfer = static_cast<CurlTransfer*>(context);
    if (!transfer->requestMayGoOut()) {
        return CURL_PREREQFUNC_ABORT;
    }
    transfer->sentOn_ =
        CurlTransfer::Endpoint{localPort, peerAddress != nullptr ? peerAddress : "", peerPort};
    return CURL_PREREQFUNC_OK;
}

int CurlTransfers::closeSocket(void* transfers, curl_socket_t socket) {
    static_cast<CurlTransfers*>(transfers)->idle_.erase(socket);
    return ::close(socket);
}

void CurlTransfers::keepIdle(CurlTransfer& transfer) {
    curl_socket_t socket = CURL_SOCKET_BAD;
    long version = 0;
    CURL* handle = transfer.handle_;
    // The socket of the connection the transfer left in the cache (none when curl closed it).
    if (!transfer.sentOn_ || curl_easy_getinfo(handle, CURLINFO_ACTIVESOCKET, &socket) != CURLE_OK ||
        socket == CURL_SOCKET_BAD || curl_easy_getinfo(handle, CURLINFO_HTTP_VERSION, &version) != CURLE_OK ||
        (version != CURL_HTTP_VERSION_1_0 && version != CURL_HTTP_VERSION_1_1)) {
        return;
    }
    idle_[socket] = *transfer.sentOn_;
}

bool CurlTransfers::inUse(const CurlTransfer::Endpoint& endpoint) const {
    for (const auto& [handle, transfer] : active_) {
        if (transfer->sentOn_ == endpoint) {
            return true;
        }
    }
    return false;
}

void CurlTransfers::dropClosedIdleConnections() {
    for (auto entry = idle_.begin(); entry != idle_.end();) {
        const curl_socket_t socket = entry->first;
        pollfd item{socket, POLLIN, 0};
        if (inUse(entry->second) || ::poll(&item, 1, 0) <= 0) {
            ++entry;
            continue;
        }
        // The number may name another socket by now if curl closed this one without its
        // close callback: only the same connection is touched.
        if (endpointOf(socket) == entry->second) {
            // What waits is the peer's goodbye. Read away, with the socket shut, curl's own
            // check (a peek at the socket) finds the connection closed and opens another.
            char discarded[512];
            while (::recv(socket, discarded, sizeof discarded, MSG_DONTWAIT) > 0) {
            }
            ::shutdown(socket, SHUT_RDWR);
        }
        entry = idle_.erase(entry);
    }
}

void CurlTransfers::requestStart(std::shared_ptr<CurlTransfer> transfer) {
    std::lock_guard lock(mutex_);
    startRequests_.push_back(std::move(transfer));
}

void CurlTransfers::requestCancel(const std::shared_ptr<CurlTransfer>& transfer) {
    std::lock_guard lock(mutex_);
    cancelRequests_.push_back(transfer);
}

bool CurlTransfers::hasRequests() {
    std::lock_guard lock(mutex_);
    return !startRequests_.empty() || !cancelRequests_.empty();
}

void CurlTransfers::takeRequests() {
    std::vector<std::shared_ptr<CurlTransfer>> starts;
    std::vector<std::shared_ptr<CurlTransfer>> cancels;
    {
        std::lock_guard lock(mutex_);
        starts.swap(startRequests_);
        cancels.swap(cancelRequests_);
    }
    if (!starts.empty()) {
        dropClosedIdleConnections();
    }
    for (auto& transfer : starts) {
        add(std::move(transfer));
    }
    for (auto& transfer : cancels) {
        cancel(transfer);
    }
}

void CurlTransfers::add(std::shared_ptr<CurlTransfer> transfer) {
    CURL* handle = transfer->handle_;
    if (handle == nullptr || active_.count(handle) != 0) {
        return;
    }
    if (takeCancelBeforeStart(transfer)) {
        end(*transfer, CURLE_ABORTED_BY_CALLBACK, true);
        return;
    }
    curl_easy_setopt(handle, CURLOPT_PREREQFUNCTION, &CurlTransfers::requestGoesOut);
    curl_easy_setopt(handle, CURLOPT_PREREQDATA, transfer.get());
    curl_easy_setopt(handle, CURLOPT_CLOSESOCKETFUNCTION, &CurlTransfers::closeSocket);
    curl_easy_setopt(handle, CURLOPT_CLOSESOCKETDATA, this);
    active_.emplace(handle, transfer);
    if (curl_multi_add_handle(multi_, handle) != CURLM_OK) {
        active_.erase(handle);
        end(*transfer, CURLE_FAILED_INIT, false);
    }
}

void CurlTransfers::cancel(const std::shared_ptr<CurlTransfer>& transfer) {
    CURL* handle = transfer->handle_;
    if (handle == nullptr) {
        return; // it has ended
    }
    if (active_.count(handle) != 0) {
        finish(handle, CURLE_ABORTED_BY_CALLBACK, true);
        return;
    }
    // Not started yet: its start, asked for on another thread, may come in a later turn.
    std::erase_if(cancelsBeforeStart_, [](const auto& cancelled) { return cancelled.expired(); });
    cancelsBeforeStart_.push_back(transfer);
}

bool CurlTransfers::takeCancelBeforeStart(const std::shared_ptr<CurlTransfer>& transfer) {
    return std::erase_if(cancelsBeforeStart_,
                         [&](const auto& cancelled) { return cancelled.lock() == transfer; }) > 0;
}

void CurlTransfers::finish(CURL* handle, CURLcode result, bool cancelled) {
    auto found = active_.find(handle);
    if (found == active_.end()) {
        return;
    }
    std::shared_ptr<CurlTransfer> transfer = std::move(found->second);
    active_.erase(found);
    if (result == CURLE_OK && !cancelled) {
        keepIdle(*transfer);
    }
    curl_multi_remove_handle(multi_, handle);
    end(*transfer, result, cancelled);
}

void CurlTransfers::end(CurlTransfer& transfer, CURLcode result, bool cancelled) {
    transfer.finished(result, cancelled);
    curl_easy_cleanup(transfer.handle_);
    transfer.handle_ = nullptr;
}

void CurlTransfers::finishDone() {
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(multi_, &queued)) {
        if (message->msg == CURLMSG_DONE) {
            finish(message->easy_handle, message->data.result, false);
        }
    }
}

void CurlTransfers::abandonAll() {
    for (auto& [handle, transfer] : active_) {
        curl_multi_remove_handle(multi_, handle);
        curl_easy_cleanup(transfer->handle_);
        transfer->handle_ = nullptr;
    }
    active_.clear();
}
