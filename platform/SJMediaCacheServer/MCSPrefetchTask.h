#pragma once

#include "platform/Foundation/NSError.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace mcs {
class ProxyCore;
struct WaitResult;
} // namespace mcs

// Caches the first bytes of an address in the background (for HLS: the playlists and
// the first segments of the first variant) up to a size.
class MCSPrefetchTask : public std::enable_shared_from_this<MCSPrefetchTask> {
  public:
    MCSPrefetchTask(std::weak_ptr<mcs::ProxyCore> core, std::string url, std::uint64_t preloadSize,
                    std::function<void(float)> progress,
                    std::function<void(const std::optional<NSError>&)> completed);

    // Stops the task; no block runs afterwards. Safe to call more than once.
    void cancel();
    bool isFinished() const { return finished_; }

  private:
    friend class mcs::ProxyCore;
    void start();
    void waitUntilDone();
    void run(mcs::ProxyCore& core);
    // Runs `operation` again after transient failures, as exports do (see mcs::RetryPolicy).
    template <typename Operation> mcs::WaitResult withRetries(mcs::ProxyCore& core, Operation&& operation);
    void reportProgress(float progress);
    void finish(std::optional<NSError> error);

    const std::weak_ptr<mcs::ProxyCore> core_;
    const std::string url_;
    const std::uint64_t preloadSize_;
    const std::function<void(float)> progress_;
    const std::function<void(const std::optional<NSError>&)> completed_;
    std::atomic<bool> cancelled_{false};
    std::atomic<bool> finished_{false};
    std::mutex mutex_;
    std::condition_variable done_;
    std::condition_variable cancelWake_; // ends a pause between attempts
    bool running_ = false;
};
