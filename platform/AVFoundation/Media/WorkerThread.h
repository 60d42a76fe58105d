#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

// A thread that runs queued tasks in order and, between them, a step of its owner's
// own work whenever it is woken or `idleSeconds` pass. Used by the playback engines,
// whose library calls may take a while and so never run on the main thread.
class WorkerThread {
  public:
    using Task = std::function<void()>;

    explicit WorkerThread(double idleSeconds);
    // Runs the queued tasks, then `finish`, then joins the thread.
    ~WorkerThread();

    // Starts the thread: `start` first, then `step` after every wake-up (or idle
    // period) and the tasks queued before it, `finish` last. Called once.
    void launch(Task start, Task step, Task finish);
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // Queues `task` (any thread).
    void enqueue(Task task);
    // Makes the thread run its step soon (any thread; safe from library callbacks).
    void wake();

  private:
    void run(Task start, Task step, Task finish);

    std::mutex mutex_;
    std::condition_variable condition_;
    std::deque<Task> tasks_;
    bool woken_ = false;
    bool quit_ = false;
    double idleSeconds_;
    std::thread thread_;
};
