#include "platform/AVFoundation/Media/WorkerThread.h"

#include <chrono>
#include <cstdlib>
#include <thread>

namespace {

// How long the process, as it exits, waits for workers still finishing (their libraries'
// teardown would otherwise run while the process takes itself apart).
constexpr std::chrono::seconds exitWait{5};

// Joins the threads of workers that were let go, one after the other, on a thread of its
// own. Never destroyed: a worker may still end while the process ends.
class Reaper {
  public:
    static Reaper& shared() {
        static auto* reaper = new Reaper;
        return *reaper;
    }

    void adopt(std::thread thread) {
        {
            std::lock_guard lock(mutex_);
            threads_.push_back(std::move(thread));
            ++unfinished_;
        }
        condition_.notify_all();
    }

  private:
    Reaper()
        : thread_([this] {
              for (;;) {
                  std::unique_lock lock(mutex_);
                  condition_.wait(lock, [&] { return !threads_.empty(); });
                  std::thread next = std::move(threads_.front());
                  threads_.pop_front();
                  lock.unlock();
                  next.join();
                  lock.lock();
                  --unfinished_;
                  condition_.notify_all();
              }
          }) {
        std::atexit([] { shared().waitAtExit(); });
    }

    void waitAtExit() {
        std::unique_lock lock(mutex_);
        condition_.wait_for(lock, exitWait, [&] { return unfinished_ == 0; });
    }

    std::mutex mutex_;
    std::condition_variable condition_;
    std::deque<std::thread> threads_;
    int unfinished_ = 0;
    std::thread thread_;
};

} // namespace

WorkerThread::WorkerThread(double idleSeconds) : idleSeconds_(idleSeconds) {}

void WorkerThread::launch(Task start, Task step, Task finish) {
    thread_ = std::thread([queue = queue_, idleSeconds = idleSeconds_, start = std::move(start),
                           step = std::move(step),
                           finish = std::move(finish)] { run(queue, idleSeconds, start, step, finish); });
}

WorkerThread::~WorkerThread() {
    {
        std::lock_guard lock(queue_->mutex);
        queue_->quit = true;
    }
    queue_->condition.notify_one();
    if (thread_.joinable()) {
        Reaper::shared().adopt(std::move(thread_));
    }
}

void WorkerThread::enqueue(Task task) {
    {
        std::lock_guard lock(queue_->mutex);
        queue_->tasks.push_back(std::move(task));
    }
    queue_->condition.notify_one();
}

void WorkerThread::wake() {
    queue_->wake();
}

std::function<void()> WorkerThread::waker() const {
    return [queue = queue_] { queue->wake(); };
}

void WorkerThread::Queue::wake() {
    {
        std::lock_guard lock(mutex);
        woken = true;
    }
    condition.notify_one();
}

void WorkerThread::run(const std::shared_ptr<Queue>& queue, double idleSeconds, const Task& start,
                       const Task& step, const Task& finish) {
    start();
    const auto idle = std::chrono::duration<double>(idleSeconds);
    for (;;) {
        std::deque<Task> tasks;
        bool quit = false;
        {
            std::unique_lock lock(queue->mutex);
            queue->condition.wait_for(lock, idle,
                                      [&] { return queue->woken || queue->quit || !queue->tasks.empty(); });
            queue->woken = false;
            tasks.swap(queue->tasks);
            quit = queue->quit;
        }
        for (auto& task : tasks) {
            task();
        }
        if (quit) {
            break;
        }
        step();
    }
    finish();
}
