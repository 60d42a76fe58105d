#include "platform/Network/CurlWorker.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <stdexcept>

namespace {

void initialiseCurlOnce() {
    static const CURLcode result = curl_global_init(CURL_GLOBAL_DEFAULT);
    if (result != CURLE_OK) {
        throw std::runtime_error("curl_global_init failed");
    }
}

std::int64_t nowMilliseconds() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The longest the worker sleeps without curl asking for a timeout (a safety net).
constexpr int longestSleepMilliseconds = 1000;

} // namespace

CurlTransfer::CurlTransfer() {
    initialiseCurlOnce();
    handle_ = curl_easy_init();
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
    wakeFd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (multi_ == nullptr || wakeFd_ < 0) {
        throw std::runtime_error("the curl worker could not be set up");
    }
    // Idle connections to a few hosts (service, resolver, images) stay open for reuse.
    curl_multi_setopt(multi_, CURLMOPT_MAXCONNECTS, 32L);
    curl_multi_setopt(multi_, CURLMOPT_SOCKETFUNCTION, &CurlWorker::watchSocket);
    curl_multi_setopt(multi_, CURLMOPT_SOCKETDATA, this);
    curl_multi_setopt(multi_, CURLMOPT_TIMERFUNCTION, &CurlWorker::setTimer);
    curl_multi_setopt(multi_, CURLMOPT_TIMERDATA, this);
    thread_ = std::thread([this] { run(); });
}

CurlWorker::~CurlWorker() {
    {
        std::lock_guard lock(requestMutex_);
        stopRequested_ = true;
    }
    wake();
    thread_.join();
    // Shutting down with the process: transfers still running are dropped unanswered.
    for (auto& [handle, transfer] : active_) {
        curl_multi_remove_handle(multi_, handle);
        curl_easy_cleanup(transfer->handle_);
        transfer->handle_ = nullptr;
    }
    active_.clear();
    curl_multi_cleanup(multi_);
    close(wakeFd_);
}

void CurlWorker::start(std::shared_ptr<CurlTransfer> transfer) {
    bool added = false;
    if (std::unique_lock curl(curlMutex_, std::try_to_lock); curl.owns_lock()) {
        added = add(transfer);
        if (added) {
            // Runs what is due now: the new transfer's first steps.
            actOnDueTimer();
        }
    }
    if (!added) {
        std::lock_guard lock(requestMutex_);
        startRequests_.push_back(std::move(transfer));
    }
    // The worker takes up the transfer's socket (and its end) or the request.
    wake();
}

void CurlWorker::cancel(const std::shared_ptr<CurlTransfer>& transfer) {
    {
        std::lock_guard lock(requestMutex_);
        cancelRequests_.push_back(transfer);
    }
    wake();
}

void CurlWorker::wake() {
    const std::uint64_t one = 1;
    // A full counter already wakes the worker.
    [[maybe_unused]] const ssize_t written = write(wakeFd_, &one, sizeof one);
}

int CurlWorker::watchSocket(CURL*, curl_socket_t socket, int what, void* worker, void*) {
    auto& sockets = static_cast<CurlWorker*>(worker)->sockets_;
    if (what == CURL_POLL_REMOVE) {
        sockets.erase(socket);
    } else {
        sockets[socket] = static_cast<short>(((what & CURL_POLL_IN) != 0 ? POLLIN : 0) |
                                             ((what & CURL_POLL_OUT) != 0 ? POLLOUT : 0));
    }
    return 0;
}

int CurlWorker::setTimer(CURLM*, long milliseconds, void* worker) {
    static_cast<CurlWorker*>(worker)->timerDue_ = milliseconds < 0 ? -1 : nowMilliseconds() + milliseconds;
    return 0;
}

bool CurlWorker::add(const std::shared_ptr<CurlTransfer>& transfer) {
    CURL* handle = transfer->handle_;
    if (handle == nullptr || active_.count(handle) != 0) {
        return true; // ended already, or running
    }
    if (curl_multi_add_handle(multi_, handle) != CURLM_OK) {
        return false;
    }
    active_.emplace(handle, transfer);
    return true;
}

void CurlWorker::act(curl_socket_t socket, int events) {
    int running = 0;
    curl_multi_socket_action(multi_, socket, events, &running);
}

void CurlWorker::actOnDueTimer() {
    if (timerDue_ >= 0 && timerDue_ <= nowMilliseconds()) {
        timerDue_ = -1;
        act(CURL_SOCKET_TIMEOUT, 0);
    }
}

void CurlWorker::detach(CURL* handle, CURLcode result, bool cancelled, std::vector<Ended>& ended) {
    auto found = active_.find(handle);
    if (found == active_.end()) {
        return;
    }
    ended.push_back({std::move(found->second), result, cancelled});
    active_.erase(found);
    curl_multi_remove_handle(multi_, handle);
}

void CurlWorker::collectEnded(std::vector<Ended>& ended) {
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(multi_, &queued)) {
        if (message->msg == CURLMSG_DONE) {
            detach(message->easy_handle, message->data.result, false, ended);
        }
    }
}

void CurlWorker::takeRequests(std::vector<Ended>& ended) {
    std::vector<std::shared_ptr<CurlTransfer>> starts;
    std::vector<std::shared_ptr<CurlTransfer>> cancels;
    {
        std::lock_guard lock(requestMutex_);
        starts.swap(startRequests_);
        cancels.swap(cancelRequests_);
    }
    for (auto& transfer : starts) {
        if (!add(transfer)) {
            ended.push_back({std::move(transfer), CURLE_FAILED_INIT, false});
        }
    }
    for (auto& transfer : cancels) {
        if (transfer->handle_ != nullptr) {
            detach(transfer->handle_, CURLE_ABORTED_BY_CALLBACK, true, ended);
        }
    }
}

// Off the lock, so that a transfer's end may start or cancel others.
void CurlWorker::report(std::vector<Ended>& ended) {
    for (Ended& end : ended) {
        end.transfer->finished(end.result, end.cancelled);
        curl_easy_cleanup(end.transfer->handle_);
        end.transfer->handle_ = nullptr;
    }
    ended.clear();
}

void CurlWorker::run() {
    std::vector<pollfd> watched;
    std::vector<Ended> ended;
    while (true) {
        int sleepMilliseconds = longestSleepMilliseconds;
        {
            std::lock_guard curl(curlMutex_);
            {
                std::lock_guard lock(requestMutex_);
                if (stopRequested_) {
                    break;
                }
            }
            takeRequests(ended);
            actOnDueTimer();
            collectEnded(ended);
            watched.assign(1, pollfd{wakeFd_, POLLIN, 0});
            for (const auto& [socket, events] : sockets_) {
                watched.push_back(pollfd{socket, events, 0});
            }
            if (timerDue_ >= 0) {
                sleepMilliseconds = static_cast<int>(
                    std::clamp<std::int64_t>(timerDue_ - nowMilliseconds(), 0, longestSleepMilliseconds));
            }
        }
        report(ended);
        if (poll(watched.data(), watched.size(), sleepMilliseconds) < 0) {
            continue; // interrupted
        }
        {
            std::lock_guard curl(curlMutex_);
            if ((watched[0].revents & POLLIN) != 0) {
                std::uint64_t count = 0;
                [[maybe_unused]] const ssize_t read = ::read(wakeFd_, &count, sizeof count);
            }
            for (std::size_t index = 1; index < watched.size(); ++index) {
                const short ready = watched[index].revents;
                if (ready == 0) {
                    continue;
                }
                const int events = ((ready & (POLLIN | POLLHUP)) != 0 ? CURL_CSELECT_IN : 0) |
                                   ((ready & POLLOUT) != 0 ? CURL_CSELECT_OUT : 0) |
                                   ((ready & (POLLERR | POLLNVAL)) != 0 ? CURL_CSELECT_ERR : 0);
                act(watched[index].fd, events);
            }
            actOnDueTimer();
            collectEnded(ended);
        }
        report(ended);
    }
}
