#include "platform/Network/CurlWorker.h"

CurlWorker& CurlWorker::shared() {
    static CurlWorker worker;
    return worker;
}

CurlWorker::CurlWorker() : thread_([this] { run(); }) {}

CurlWorker::~CurlWorker() {
    stopRequested_ = true;
    curl_multi_wakeup(transfers_.multi());
    thread_.join();
}

void CurlWorker::start(std::shared_ptr<CurlTransfer> transfer) {
    transfers_.requestStart(std::move(transfer));
    curl_multi_wakeup(transfers_.multi());
}

void CurlWorker::cancel(const std::shared_ptr<CurlTransfer>& transfer) {
    transfers_.requestCancel(transfer);
    curl_multi_wakeup(transfers_.multi());
}

void CurlWorker::run() {
    while (!stopRequested_) {
        transfers_.takeRequests();
        int running = 0;
        curl_multi_perform(transfers_.multi(), &running);
        transfers_.finishDone();
        curl_multi_poll(transfers_.multi(), nullptr, 0, 1000, nullptr);
    }
    // Shutting down with the process: transfers still running are dropped unanswered.
    transfers_.abandonAll();
}
