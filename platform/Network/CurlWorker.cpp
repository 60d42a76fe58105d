#include "platform/Network/CurlWorker.h"

#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace {

void initialiseCurlOnce() {
    static const CURLcode result = curl_global_init(CURL_GLOBAL_DEFAULT);
    if (result != CURLE_OK) {
        throw std::runtime_error("curl_global_init failed");
    }
}

// Easy handles of finished transfers, reset and kept for the next ones: a handle is a
// sizeable allocation with a good deal of setting up, and keeps its TLS session cache.
class HandlePool {
public:
    static HandlePool& shared() {
        // Never destroyed: the worker may hand back a handle while the process ends.
        static HandlePool* pool = new HandlePool();
        return *pool;
    }

    CURL* take() {
        {
            std::lock_guard lock(mutex_);
            if (!handles_.empty()) {
                CURL* handle = handles_.back();
                handles_.pop_back();
                return handle;
            }
        }
        return curl_easy_init();
    }

    void giveBack(CURL* handle) {
        curl_easy_reset(handle);
        {
            std::lock_guard lock(mutex_);
            if (handles_.size() < kKept) {
                handles_.push_back(handle);
                return;
            }
        }
        curl_easy_cleanup(handle);
    }

private:
    // As many as run at once in a busy moment (pictures and API calls).
    static constexpr std::size_t kKept = 16;
    std::mutex mutex_;
    std::vector<CURL*> handles_;
};

} // namespace

CurlTransfer::CurlTransfer() {
    initialiseCurlOnce();
    handle_ = HandlePool::shared().take();
    if (handle_ == nullptr) {
        throw std::runtime_error("curl_easy_init failed");
    }
}

CurlTransfer::~CurlTransfer() {
    if (handle_ != nullptr) {
        curl_easy_cleanup(handle_);
    }
}

CurlWorker& CurlWorker::shared() {
    static CurlWorker worker;
    return worker;
}

CurlWorker::CurlWorker() {
    initialiseCurlOnce();
    multi_ = curl_multi_init();
    if (multi_ == nullptr) {
        throw std::runtime_error("curl_multi_init failed");
    }
    // Idle connections to a few hosts (service, resolver, images) stay open for reuse.
    curl_multi_setopt(multi_, CURLMOPT_MAXCONNECTS, 32L);
    thread_ = std::thread([this] { run(); });
}

CurlWorker::~CurlWorker() {
    {
        std::lock_guard lock(mutex_);
        stopRequested_ = true;
    }
    curl_multi_wakeup(multi_);
    thread_.join();
    curl_multi_cleanup(multi_);
}

void CurlWorker::start(std::shared_ptr<CurlTransfer> transfer) {
    {
        std::lock_guard lock(mutex_);
        startRequests_.push_back(std::move(transfer));
    }
    curl_multi_wakeup(multi_);
}

void CurlWorker::cancel(const std::shared_ptr<CurlTransfer>& transfer) {
    {
        std::lock_guard lock(mutex_);
        cancelRequests_.push_back(transfer);
    }
    curl_multi_wakeup(multi_);
}

int CurlWorker::requestGoesOut(void* context, char* peerAddress, char*, int peerPort, int localPort) {
    auto* transfer = static_cast<CurlTransfer*>(context);
    if (!transfer->requestMayGoOut()) {
        return CURL_PREREQFUNC_ABORT;
    }
    ++transfer->requestsSent_;
    // The connection is in use now: it is not idle, whatever it was.
    CurlWorker& worker = *transfer->worker_;
    const Endpoint endpoint{localPort, peerAddress != nullptr ? peerAddress : "", peerPort};
    for (auto entry = worker.idle_.begin(); entry != worker.idle_.end();) {
        entry = entry->second == endpoint ? worker.idle_.erase(entry) : std::next(entry);
    }
    worker.sentOn_[transfer] = endpoint;
    worker.lastSender_[endpoint] = transfer;
    return CURL_PREREQFUNC_OK;
}

int CurlWorker::closeSocket(void* worker, curl_socket_t socket) {
    static_cast<CurlWorker*>(worker)->idle_.erase(socket);
    return ::close(socket);
}

void CurlWorker::keepIdle(CurlTransfer& transfer, bool succeeded) {
    const auto sent = sentOn_.find(&transfer);
    if (sent == sentOn_.end()) {
        return;
    }
    const Endpoint endpoint = std::move(sent->second);
    sentOn_.erase(sent);
    const auto sender = lastSender_.find(endpoint);
    if (sender == lastSender_.end() || sender->second != &transfer) {
        return; // another transfer has sent its request on the connection since
    }
    lastSender_.erase(sender);
    curl_socket_t socket = CURL_SOCKET_BAD;
    long version = 0;
    CURL* handle = transfer.handle_;
    if (!succeeded || curl_easy_getinfo(handle, CURLINFO_ACTIVESOCKET, &socket) != CURLE_OK ||
        socket == CURL_SOCKET_BAD || curl_easy_getinfo(handle, CURLINFO_HTTP_VERSION, &version) != CURLE_OK ||
        (version != CURL_HTTP_VERSION_1_0 && version != CURL_HTTP_VERSION_1_1)) {
        return;
    }
    idle_[socket] = endpoint;
}

void CurlWorker::dropClosedIdleConnections() {
    for (auto entry = idle_.begin(); entry != idle_.end();) {
        const curl_socket_t socket = entry->first;
        pollfd item{socket, POLLIN, 0};
        if (::poll(&item, 1, 0) <= 0) {
            ++entry;
            continue;
        }
        // Whatever waits is the peer's goodbye; read it away so that curl's own check
        // (a peek at the socket) finds the connection closed and opens another.
        char discarded[512];
        while (::recv(socket, discarded, sizeof discarded, MSG_DONTWAIT) > 0) {
        }
        ::shutdown(socket, SHUT_RDWR);
        entry = idle_.erase(entry);
    }
}

void CurlWorker::finish(CURL* handle, CURLcode result, bool cancelled) {
    auto found = active_.find(handle);
    if (found == active_.end()) {
        return;
    }
    std::shared_ptr<CurlTransfer> transfer = std::move(found->second);
    active_.erase(found);
    keepIdle(*transfer, result == CURLE_OK && !cancelled);
    curl_multi_remove_handle(multi_, handle);
    transfer->finished(result, cancelled);
    if (transfer->recyclesHandle()) {
        HandlePool::shared().giveBack(transfer->handle_);
    } else {
        curl_easy_cleanup(transfer->handle_);
    }
    transfer->handle_ = nullptr;
}

void CurlWorker::takeRequests(bool& stopping) {
    std::vector<std::shared_ptr<CurlTransfer>> starts;
    std::vector<std::shared_ptr<CurlTransfer>> cancels;
    {
        std::lock_guard lock(mutex_);
        starts.swap(startRequests_);
        cancels.swap(cancelRequests_);
        stopping = stopRequested_;
    }
    if (!starts.empty()) {
        dropClosedIdleConnections();
    }
    for (auto& transfer : starts) {
        CURL* handle = transfer->handle_;
        if (handle == nullptr || active_.count(handle) != 0) {
            continue;
        }
        transfer->worker_ = this;
        curl_easy_setopt(handle, CURLOPT_PREREQFUNCTION, &CurlWorker::requestGoesOut);
        curl_easy_setopt(handle, CURLOPT_PREREQDATA, transfer.get());
        curl_easy_setopt(handle, CURLOPT_CLOSESOCKETFUNCTION, &CurlWorker::closeSocket);
        curl_easy_setopt(handle, CURLOPT_CLOSESOCKETDATA, this);
        active_.emplace(handle, transfer);
        const CURLMcode added = curl_multi_add_handle(multi_, handle);
        if (added != CURLM_OK) {
            active_.erase(handle);
            transfer->finished(CURLE_FAILED_INIT, false);
            curl_easy_cleanup(transfer->handle_);
            transfer->handle_ = nullptr;
        }
    }
    for (auto& transfer : cancels) {
        if (transfer->handle_ != nullptr) {
            finish(transfer->handle_, CURLE_ABORTED_BY_CALLBACK, true);
        }
    }
}

void CurlWorker::run() {
    bool stopping = false;
    while (true) {
        takeRequests(stopping);
        if (stopping) {
            break;
        }
        int running = 0;
        curl_multi_perform(multi_, &running);
        int queued = 0;
        while (CURLMsg* message = curl_multi_info_read(multi_, &queued)) {
            if (message->msg == CURLMSG_DONE) {
                finish(message->easy_handle, message->data.result, false);
            }
        }
        curl_multi_poll(multi_, nullptr, 0, 1000, nullptr);
    }
    // Shutting down with the process: transfers still running are dropped unanswered.
    for (auto& [handle, transfer] : active_) {
        curl_multi_remove_handle(multi_, handle);
        curl_easy_cleanup(transfer->handle_);
        transfer->handle_ = nullptr;
    }
    active_.clear();
    sentOn_.clear();
    lastSender_.clear();
}
