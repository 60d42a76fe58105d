#pragma once

#include "platform/Foundation/Clock.h"

#include <poll.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <thread>
#include <vector>

// Work the loop thread waits for besides its tasks: descriptors to poll and a moment of
// real time. Its members are called on the loop thread only.
class RunLoopSource {
  public:
    virtual ~RunLoopSource() = default;
    // Appends the descriptors the source waits on now.
    virtual void addDescriptors(std::vector<pollfd>& descriptors) = 0;
    // When the source is to run even if none of its descriptors is ready; nothing: never.
    virtual std::optional<std::chrono::steady_clock::time_point> deadline() = 0;
    // Does the source's work: it has a descriptor ready or its deadline has come.
    // `descriptors` are the ones it added, with what the poll found.
    virtual void perform(std::span<const pollfd> descriptors) = 0;
};

// The main thread's run loop: the main queue, delayed work and timers, all ordered by
// the loop's clock. Work may be posted from any thread; it always runs on the thread
// that drives the loop (the first thread to call `main()` owns it).
class RunLoop {
  public:
    using Task = std::function<void()>;
    using TaskId = std::uint64_t;

    static RunLoop& main();

    // Queues `task` to run `delaySeconds` (of the loop's clock) from now. Tasks due at
    // the same moment run in the order they were posted. Thread-safe.
    TaskId post(Task task, double delaySeconds = 0);
    // Forgets a queued task that has not run yet. Thread-safe.
    void cancel(TaskId id);

    // Runs the sources that are ready, then every task that is due now, including tasks
    // those tasks post for now. Returns how many tasks ran.
    std::size_t runPending();
    // Waits, in real time and at most `maxWaitSeconds`, until work is due (never with a
    // virtual clock), then runs what is due.
    void runOnce(double maxWaitSeconds);
    // For a host that handles input of its own between tasks: waits in real time until a
    // task is due, a source is to run, `hostDescriptor` (when not negative) has input, or
    // `maxWaitSeconds` pass (negative: without limit), then runs the sources that are to
    // run, but no task. With a virtual clock only tasks due already end the wait.
    void waitForWork(double maxWaitSeconds, int hostDescriptor = -1);
    // Wakes the loop thread from its wait, so that its sources look again. Thread-safe.
    void wakeUp();
    // The same from a signal handler (async-signal-safe): other signals only interrupt
    // the wait, which then goes on for the rest of its time.
    void wakeUpFromSignalHandler() const;

    // Sources are added and removed on the loop thread; a source stays valid while added.
    void addSource(RunLoopSource& source);
    void removeSource(RunLoopSource& source);
    // Runs until `stop()`.
    void run();
    void stop();
    // Runs the loop until `done()` answers true or `realTimeoutSeconds` of real time
    // pass; answers whether `done()` became true. For work finished on other threads.
    bool runUntil(const std::function<bool()>& done, double realTimeoutSeconds);

    // Virtual time: moves the clock forward by `seconds`, running every task that falls
    // due on the way at its own moment. Only with a VirtualClock installed.
    void advance(double seconds);

    void setClock(std::shared_ptr<Clock> clock);
    const Clock& clock() const { return *clock_; }
    double now() const { return clock_->monotonic(); }

    // Seconds until the next queued task is due (0 when one is due, a negative value
    // when nothing is queued).
    double secondsUntilNextTask() const;
    bool hasPendingTasks() const;

    bool isLoopThread() const { return std::this_thread::get_id() == owner_; }

  private:
    RunLoop();
    bool runOneDueTask(double now);
    std::size_t runDueTasks();
    // With the lock held: whether the sleeping loop thread is to be woken (by the caller,
    // after letting go of the lock, with wake()).
    bool takeWakeUp();
    void wake() const;

    struct Key {
        double due;
        std::uint64_t sequence;
        bool operator<(const Key& other) const {
            return due != other.due ? due < other.due : sequence < other.sequence;
        }
    };

    std::shared_ptr<Clock> clock_;
    std::thread::id owner_;
    mutable std::mutex mutex_;
    // The loop thread sleeps in a poll of this event counter; one write to it wakes the
    // thread (a futex wake-up under a condition variable costs about twice as much).
    int wakeFd_ = -1;
    // The loop thread is sleeping (or about to), and whether a wake-up is on its way to it.
    bool sleeping_ = false;
    bool wakeSent_ = false;
    std::map<Key, Task> tasks_;
    std::map<TaskId, Key> keysById_;
    std::uint64_t nextSequence_ = 1;
    bool stopRequested_ = false;
    // Loop thread only: the sources, and the descriptors of the current wait.
    std::vector<RunLoopSource*> sources_;
    // Counts the additions and removals of sources.
    std::uint64_t sourcesChanges_ = 0;
    std::vector<pollfd> descriptors_;
    std::vector<std::size_t> sourceEnds_;
};

// The platform's notion of "now" in seconds since 1970, read from the run loop's clock.
namespace Date {
double timeIntervalSince1970();
}
