#include "platform/Foundation/DispatchQueue.h"

#include "platform/Foundation/RunLoop.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace {

class MainQueue final : public DispatchQueue {
  public:
    void async(Task task) override { RunLoop::main().post(std::move(task)); }
    void asyncAfter(double seconds, Task task) override { RunLoop::main().post(std::move(task), seconds); }
};

// A fixed pool of worker threads for the life of the process; delayed work is handed over
// by the main run loop.
class GlobalQueue final : public DispatchQueue {
  public:
    GlobalQueue() {
        const unsigned count = std::clamp(std::thread::hardware_concurrency(), 2u, 8u);
        for (unsigned i = 0; i < count; ++i) {
            workers_.emplace_back([this] { work(); });
        }
    }

    void async(Task task) override {
        {
            std::lock_guard lock(mutex_);
            queue_.push_back(std::move(task));
        }
        wake_.notify_one();
    }

    void asyncAfter(double seconds, Task task) override {
        RunLoop::main().post([this, task = std::move(task)]() mutable { async(std::move(task)); }, seconds);
    }

  private:
    void work() {
        while (true) {
            Task task;
            {
                std::unique_lock lock(mutex_);
                wake_.wait(lock, [&] { return !queue_.empty(); });
                task = std::move(queue_.front());
                queue_.pop_front();
            }
            task();
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Task> queue_;
    std::vector<std::thread> workers_;
};

} // namespace

DispatchQueue& DispatchQueue::main() {
    // Never destroyed, like the run loop it posts to.
    static MainQueue* const queue = new MainQueue;
    return *queue;
}

DispatchQueue& DispatchQueue::global() {
    // Never destroyed: threads that are never joined (the network's transfer worker) hand
    // their completions to it until the process ends, after static destruction has begun.
    static GlobalQueue* queue = new GlobalQueue;
    return *queue;
}
