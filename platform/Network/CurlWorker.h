#pragma once

#include "platform/Network/CurlTransfers.h"

#include <atomic>
#include <memory>
#include <thread>

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

    CurlTransfers transfers_;
    std::atomic<bool> stopRequested_{false};
    std::thread thread_;
};
