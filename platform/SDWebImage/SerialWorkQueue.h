#pragma once

#include "platform/Foundation/DispatchQueue.h"

#include <deque>
#include <functional>
#include <memory>
#include <mutex>

// Work that runs one task at a time, in the order posted, on the global queue's threads.
// Disk writes, removals and clears go through one of these so that they never overtake
// each other.
class SerialWorkQueue : public std::enable_shared_from_this<SerialWorkQueue> {
  public:
    static std::shared_ptr<SerialWorkQueue> create() {
        return std::shared_ptr<SerialWorkQueue>(new SerialWorkQueue());
    }

    void async(std::function<void()> task) {
        {
            std::lock_guard lock(mutex_);
            tasks_.push_back(std::move(task));
            if (draining_) {
                return;
            }
            draining_ = true;
        }
        DispatchQueue::global().async([self = shared_from_this()] { self->drain(); });
    }

  private:
    SerialWorkQueue() = default;

    void drain() {
        for (;;) {
            std::function<void()> task;
            {
                std::lock_guard lock(mutex_);
                if (tasks_.empty()) {
                    draining_ = false;
                    return;
                }
                task = std::move(tasks_.front());
                tasks_.pop_front();
            }
            task();
        }
    }

    std::mutex mutex_;
    std::deque<std::function<void()>> tasks_;
    bool draining_ = false;
};
