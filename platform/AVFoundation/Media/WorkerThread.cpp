#include "platform/AVFoundation/Media/WorkerThread.h"

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <optional>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace {

// How long the process, as it exits, waits for workers still finishing (their libraries'
// teardown would otherwise run while the process takes itself apart).
constexpr std::chrono::seconds exitWait{5};

// The number of the last worker launched.
std::atomic<std::uint64_t> lastWorkerId{0};

// Joins the threads of workers that were let go, each as soon as it has finished, in
// whatever order they finish, on a thread of its own: a worker whose library's teardown
// waits on the network holds back no other. As the process exits, waits at most
// `exitWait` in all for the workers let go that are still finishing, and not at all when
// none is: first as the main thread's thread-local objects are destroyed (when a worker
// was let go there), which the exit does before anything else, and otherwise in an exit
// handler. The exit runs its handlers and destroys the static objects of the program and
// of its libraries last-registered first, and a library registers its own as it loads: the
// libraries a worker loads after this Reaper's handler was registered (libmpv brings two
// hundred) would be taken apart before that handler waited, while the worker still used
// them: the launch video's worker, let go as the application quit while it still loaded
// libmpv, then crashed as it ended (in libEGL's teardown of its per-thread state) or
// leaked libsrt's per-thread object.
//
// A worker may still run after that wait, while the process destroys its static objects
// and the leak check runs. What its thread touches outlives all of that:
// - its queue (mutex, condition variable, tasks), and its start, step and finish with the
//   session they own: on the heap, owned by the thread itself (the queue also by wakers
//   that library callbacks hold), never by a static object;
// - this Reaper, which the worker tells that it has finished as its last act, with its
//   mutex, condition variable and the threads it keeps: allocated once and never
//   destroyed, so nothing in it is freed either;
// - `lastWorkerId`: an atomic integer, which exit leaves alone (no destructor).
// Nothing else of this file is static. The reaper thread touches this Reaper only.
// (A session's library is another matter: its own static objects may be destroyed while
// a worker still tears it down; see MpvLibrary.cpp on libsrt's.)
class Reaper {
  public:
    static Reaper& shared() {
        static auto* reaper = new Reaper;
        return *reaper;
    }

    // Worker `id`, whose thread is `thread`, was let go: its thread is joined once the
    // worker has finished.
    void adopt(std::uint64_t id, std::thread thread) {
        {
            std::lock_guard lock(mutex_);
            ++unjoined_;
            if (finishedEarly_.erase(id) == 0) {
                running_.emplace(id, std::move(thread));
                return;
            }
            finished_.push_back(std::move(thread));
        }
        condition_.notify_all();
    }

    // Worker `id` has finished: its thread does nothing more than end.
    void finished(std::uint64_t id) {
        {
            std::lock_guard lock(mutex_);
            const auto running = running_.find(id);
            if (running == running_.end()) {
                // Not handed over yet: its owner is letting it go at this moment.
                finishedEarly_.insert(id);
                return;
            }
            finished_.push_back(std::move(running->second));
            running_.erase(running);
        }
        condition_.notify_all();
    }

    std::size_t unjoined() {
        std::lock_guard lock(mutex_);
        return unjoined_;
    }

    // Waits for the workers let go that are still finishing, at most until `exitWait`
    // after the exit's first wait began.
    void waitAtExit() {
        std::unique_lock lock(mutex_);
        if (!exitDeadline_) {
            exitDeadline_ = std::chrono::steady_clock::now() + exitWait;
        }
        condition_.wait_until(lock, *exitDeadline_, [&] { return unjoined_ == 0; });
    }

  private:
    Reaper() : thread_([this] { reap(); }) {
        std::atexit([] { shared().waitAtExit(); });
    }

    void reap() {
        std::unique_lock lock(mutex_);
        for (;;) {
            condition_.wait(lock, [&] { return !finished_.empty(); });
            std::vector<std::thread> threads;
            threads.swap(finished_);
            lock.unlock();
            for (auto& thread : threads) {
                thread.join();
            }
            lock.lock();
            unjoined_ -= threads.size();
            condition_.notify_all();
        }
    }

    std::mutex mutex_;
    std::condition_variable condition_;
    // Let go and still working, by number.
    std::unordered_map<std::uint64_t, std::thread> running_;
    // Finished while being let go, before their threads were handed over.
    std::unordered_set<std::uint64_t> finishedEarly_;
    // Let go and finished: to be joined.
    std::vector<std::thread> finished_;
    // Let go and not joined yet.
    std::size_t unjoined_ = 0;
    // When the exit stops waiting, from its first wait on.
    std::optional<std::chrono::steady_clock::time_point> exitDeadline_;
    std::thread thread_;
};

// The main thread's part of the exit's wait: destroyed with the main thread's thread-local
// objects, the first thing the process's exit does.
struct MainThreadExitWait {
    ~MainThreadExitWait() { Reaper::shared().waitAtExit(); }
};

// Has the exit wait before anything else when the calling thread is the main thread.
void waitFirstAtExitIfOnTheMainThread() {
    if (::gettid() != ::getpid()) {
        return;
    }
    static thread_local MainThreadExitWait wait;
    (void)wait;
}

} // namespace

WorkerThread::WorkerThread(double idleSeconds) : idleSeconds_(idleSeconds) {}

void WorkerThread::launch(Task start, Task step, Task finish) {
    id_ = ++lastWorkerId;
    thread_ = std::thread([queue = queue_, idleSeconds = idleSeconds_, id = id_, start = std::move(start),
                           step = std::move(step), finish = std::move(finish)]() mutable {
        run(queue, idleSeconds, start, step, finish);
        // What the tasks own (the session, and its hold on its library) goes here, as
        // part of the finishing that the exit waits for.
        start = nullptr;
        step = nullptr;
        finish = nullptr;
        queue.reset();
        // The last act: from here on the thread only ends.
        Reaper::shared().finished(id);
    });
}

WorkerThread::~WorkerThread() {
    {
        std::lock_guard lock(queue_->mutex);
        queue_->quit = true;
    }
    queue_->condition.notify_one();
    if (thread_.joinable()) {
        waitFirstAtExitIfOnTheMainThread();
        Reaper::shared().adopt(id_, std::move(thread_));
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

std::size_t WorkerThread::unjoinedCount() {
    return Reaper::shared().unjoined();
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
