#include "platform/Network/CurlWorker.h"

CurlWorker& CurlWorker::shared() {
    static CurlWorker worker;
    return worker;
}

CurlWorker::CurlWorker() : thread_([this] { run(); }) {}

CurlWorker::~CurlWorker() {
    {
        std::lock_guard lock(mutex_);
        stopRequested_ = true;
    }
    curl_multi_wakeup(transfers_.multi());
    thread_.join();
}

void CurlWorker::start(std::shared_ptr<CurlTransfer> transfer) {
    {
        std::lock_guard lock(mutex_);
        startRequests_.push_back(std::move(transfer));
    }
    curl_multi_wakeup(transfers_.multi());
}

void CurlWorker::cancel(const std::shared_ptr<CurlTransfer>& transfer) {
    {
        std::lock_guard lock(mutex_);
        cancelRequests_.push_back(transfer);
    }
    curl_multi_wakeup(transfers_.multi());
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
        transfers_.dropClosedIdleConnections();
    }
    for (auto& transfer : starts) {
        transfers_.add(std::move(transfer));
    }
    for (auto& transfer : cancels) {
        transfers_.cancel(transfer);
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
        curl_multi_perform(transfers_.multi(), &running);
        transfers_.finishDone();
        curl_multi_poll(transfers_.multi(), nullptr, 0, 1000, nullptr);
    }
    // Shutting down with the process: transfers still running are dropped unanswered.
    transfers_.abandonAll();
}
