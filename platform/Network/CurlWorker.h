#pragma once

#include "platform/Network/CurlTransfers.h"

#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// Runs curl transfers on a thread of its own with one multi handle: for transfers whose
// work (large bodies, many connections) is not to take the main thread's time.
class CurlWorker final : public CurlDriver {
  public:
    // The process's worker, used by the image downloader and the probe connection.
    static CurlWorker& shared();

    CurlWorker();
    ~CurlWorker() override;
    CurlWorker(const CurlWorker&) = delete;
    CurlWorker& operator=(const CurlWorker&) = delete;

    void start(std::shared_ptr<CurlTransfer> transfer) override;
    void cancel(const std::shared_ptr<CurlTransfer>& transfer) override;

  private:
    void run();
    void takeRequests(bool& stopping);

    // Worker thread only.
    CurlTransfers transfers_;
    std::mutex mutex_;
    std::vector<std::shared_ptr<CurlTransfer>> startRequests_;
    std::vector<std::shared_ptr<CurlTransfer>> cancelRequests_;
    bool stopRequested_ = false;
    std::thread thread_;
};
