#include "platform/Network/CurlWorker.h"

#include <stdexcept>

namespace {

void initialiseCurlOnce() {
    static const CURLcode result = curl_global_init(CURL_GLOBAL_DEFAULT);
    if (result != CURLE_OK) {
        throw std::runtime_error("curl_global_init failed");
    }
}

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

void CurlWorker::finish(CURL* handle, CURLcode result, bool cancelled) {
    auto found = active_.find(handle);
    if (found == active_.end()) {
        return;
    }
    std::shared_ptr<CurlTransfer> transfer = std::move(found->second);
    active_.erase(found);
    curl_multi_remove_handle(multi_, handle);
    transfer->finished(result, cancelled);
    curl_easy_cleanup(transfer->handle_);
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
    for (auto& transfer : starts) {
        CURL* handle = transfer->handle_;
        if (handle == nullptr || active_.count(handle) != 0) {
            continue;
        }
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
}
