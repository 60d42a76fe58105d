#include "platform/SJMediaCacheServer/FileSyncer.h"

namespace mcs {

FileSyncer::FileSyncer(MediaCache& cache) : cache_(cache), thread_([this] { run(); }) {}

FileSyncer::~FileSyncer() {
    finish();
}

void FileSyncer::add(std::shared_ptr<Resource> resource) {
    {
        std::lock_guard lock(mutex_);
        queued_.push_back(std::move(resource));
    }
    wake_.notify_one();
}

bool FileSyncer::finish() {
    {
        std::lock_guard lock(mutex_);
        finishing_ = true;
    }
    wake_.notify_one();
    if (thread_.joinable()) {
        thread_.join();
    }
    std::lock_guard lock(mutex_);
    return !failed_;
}

void FileSyncer::run() {
    std::unique_lock lock(mutex_);
    while (true) {
        wake_.wait(lock, [&] { return finishing_ || !queued_.empty(); });
        if (queued_.empty()) {
            return; // finishing, and nothing is left
        }
        auto batch = std::move(queued_);
        queued_.clear();
        lock.unlock();
        bool synced = true;
        for (const auto& resource : batch) {
            synced = cache_.syncFile(*resource) && synced;
        }
        lock.lock();
        failed_ = failed_ || !synced;
    }
}

} // namespace mcs
