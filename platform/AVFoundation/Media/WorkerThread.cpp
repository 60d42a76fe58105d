#include "platform/AVFoundation/Media/WorkerThread.h"

#include <chrono>

WorkerThread::WorkerThread(double idleSeconds) : idleSeconds_(idleSeconds) {}

void WorkerThread::launch(Task start, Task step, Task finish) {
    thread_ = std::thread(
        [this, start = std::move(start), step = std::move(step), finish = std::move(finish)]() mutable {
            run(std::move(start), std::move(step), std::move(finish));
        });
}

WorkerThread::~WorkerThread() {
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    condition_.notify_one();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void WorkerThread::enqueue(Task task) {
    {
        std::lock_guard lock(mutex_);
        tasks_.push_back(std::move(task));
    }
    condition_.notify_one();
}

void WorkerThread::wake() {
    {
        std::lock_guard lock(mutex_);
        woken_ = true;
    }
    condition_.notify_one();
}

void WorkerThread::run(Task start, Task step, Task finish) {
    start();
    const auto idle = std::chrono::duration<double>(idleSeconds_);
    for (;;) {
        std::deque<Task> tasks;
        bool quit = false;
        {
            std::unique_lock lock(mutex_);
            condition_.wait_for(lock, idle, [&] { return woken_ || quit_ || !tasks_.empty(); });
            woken_ = false;
            tasks.swap(tasks_);
            quit = quit_;
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
