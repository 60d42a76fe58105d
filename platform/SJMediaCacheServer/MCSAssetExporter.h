#pragma once

#include "platform/Foundation/NSError.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace mcs {
class ProxyCore;
struct WaitResult;
} // namespace mcs

// Codes of export errors that are not the origin's HTTP status.
enum MCSAssetExportError : int {
    MCSAssetExportErrorNetwork = -1,    // no answer, or an answer cut short, after every attempt
    MCSAssetExportErrorStorage = -2,    // the cache folder cannot be written or synced
    MCSAssetExportErrorLiveStream = -3, // a playlist without an end cannot be exported
    MCSAssetExportErrorUnplayable = -4, // a playlist names nothing fetchable
};

// States of an export task.
enum MCSAssetExportStatus : int {
    MCSAssetExportStatusUnknown = 0, // created, never resumed
    MCSAssetExportStatusWaiting = 1, // resumed, waiting for a free slot
    MCSAssetExportStatusExporting = 2,
    MCSAssetExportStatusFinished = 3, // every resource complete and on disk
    MCSAssetExportStatusFailed = 4,   // kept what it had; `resume` continues
    MCSAssetExportStatusSuspended = 5,
    MCSAssetExportStatusCancelled = 6, // removed
};

// The export (offline download) of one address. Created by the proxy; blocks are
// called on the main queue with the task, a new block replacing the old one.
class MCSAssetExporter : public std::enable_shared_from_this<MCSAssetExporter> {
  public:
    using Block = std::function<void(const std::shared_ptr<MCSAssetExporter>& exporter)>;

    MCSAssetExporter(std::weak_ptr<mcs::ProxyCore> core, std::string urlString, std::string name, int status,
                     float progress);

    // Starts or continues the export; nothing changes on a running or finished one.
    void resume();
    // Pauses a waiting or running export (what it has is kept).
    void suspend();
    float progress() const { return progress_; }
    int status() const { return status_; }
    // Why the last run failed (domain "SJMediaCacheServer"; the origin's HTTP status, or a
    // negative code of MCSAssetExportError); none unless the status is failed.
    std::optional<NSError> error() const;
    void setProgressDidChangeExecuteBlock(Block block);
    void setStatusDidChangeExecuteBlock(Block block);

    const std::string& URLString() const { return urlString_; }
    // The folder of its asset in the cache folder.
    const std::string& name() const { return name_; }
    // The header fields sent with its upstream requests (none: the proxy's own).
    std::shared_ptr<const std::map<std::string, std::string>> requestHeaders() const;

  private:
    friend class mcs::ProxyCore;

    // Called by the proxy when a slot is free.
    void start();
    // Stops the job and waits for it; no block runs afterwards.
    void cancelForRemoval();
    // Stops the job and waits for it, keeping its stored state for the next process.
    void stopForShutdown();
    void waitForJob();
    void run(mcs::ProxyCore& core);
    bool exportItems(mcs::ProxyCore& core);
    // Runs `operation` until it succeeds, is cancelled, fails for good or runs out of
    // attempts, pausing longer after each transient failure (see mcs::RetryPolicy).
    template <typename Operation> mcs::WaitResult withRetries(mcs::ProxyCore& core, Operation&& operation);
    void setRequestHeaders(std::shared_ptr<const std::map<std::string, std::string>> headers);
    void fail(NSError error);
    void setStatus(int status);
    void setProgress(float progress, bool force = false);
    void post(bool statusBlock);

    const std::weak_ptr<mcs::ProxyCore> core_;
    const std::string urlString_;
    const std::string name_;
    std::atomic<int> status_;
    std::atomic<float> progress_;
    std::atomic<float> postedProgress_;
    std::atomic<bool> cancelled_{false};
    std::atomic<bool> removed_{false};

    mutable std::mutex stateMutex_;
    std::shared_ptr<const std::map<std::string, std::string>> requestHeaders_;
    std::optional<NSError> error_;

    std::mutex blockMutex_;
    Block progressBlock_;
    Block statusBlock_;

    std::mutex jobMutex_; // status transitions and the job's life
    std::condition_variable jobWake_;
    bool jobRunning_ = false;
};
