#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
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
    // Has the thread run the queued tasks, then `finish`, and end; returns at once. The
    // thread keeps what it needs (its tasks own what they use): a library's teardown may
    // wait on the network, and whoever lets the worker go (the main thread, as a player
    // closes) must never wait for that. The thread is joined as soon as it has finished,
    // also while workers let go before it are still finishing; the process, as it exits,
    // waits a few seconds for workers let go that are still finishing (and not at all
    // when none is), before anything else of the exit when they were let go on the main
    // thread.
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
    // Does what wake() does, also after this object is gone, until the thread ends (for
    // library callbacks, which may run until the thread's `finish` is done).
    std::function<void()> waker() const;

    // How many workers were let go whose threads are not joined yet (for tests).
    static std::size_t unjoinedCount();

  private:
    struct Queue {
        std::mutex mutex;
        std::condition_variable condition;
        std::deque<Task> tasks;
        bool woken = false;
        bool quit = false;

        void wake();
    };

    static void run(const std::shared_ptr<Queue>& queue, double idleSeconds, const Task& start,
                    const Task& step, const Task& finish);

    std::shared_ptr<Queue> queue_ = std::make_shared<Queue>();
    double idleSeconds_;
    // The thread's number, by which it tells that it has finished.
    std::uint64_t id_ = 0;
    // Joined on a thread of its own once this object is gone and the thread has finished.
    std::thread thread_;
};
