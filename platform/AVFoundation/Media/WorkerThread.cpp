#include "platform/AVFoundation/Media/WorkerThread.h"

#include <chrono>
#include <thread>

WorkerThread::WorkerThread(double idleSeconds) : idleSeconds_(idleSeconds) {}

void WorkerThread::launch(Task start, Task step, Task finish) {
    std::thread([queue = queue_, idleSeconds = idleSeconds_, start = std::move(start), step = std::move(step),
                 finish = std::move(finish)] {
        run(queue, idleSeconds, start, step, finish);
    }).detach();
}

WorkerThread::~WorkerThread() {
    {
        std::lock_guard lock(queue_->mutex);
        queue_->quit = true;
    }
    queue_->condition.notify_one();
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
