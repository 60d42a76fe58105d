#pragma once

#include "platform/SJMediaCacheServer/MediaCache.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace mcs {

// Makes the files of resources that an export has finished durable on a thread of its
// own, a batch at a time (all that queued up while the last batch was synced), so that
// no transfer waits for the disk and the export's end has little left to sync.
class FileSyncer {
  public:
    explicit FileSyncer(MediaCache& cache);
    ~FileSyncer();
    FileSyncer(const FileSyncer&) = delete;
    FileSyncer& operator=(const FileSyncer&) = delete;

    void add(std::shared_ptr<Resource> resource);
    // Waits until every file added is synced; false when one could not be.
    bool finish();

  private:
    void run();

    MediaCache& cache_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::vector<std::shared_ptr<Resource>> queued_;
    bool finishing_ = false;
    bool failed_ = false;
    std::thread thread_;
};

} // namespace mcs
