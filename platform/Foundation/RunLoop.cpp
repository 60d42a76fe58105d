#include "platform/Foundation/RunLoop.h"

#include <poll.h>
#include <sys/eventfd.h>

#include <cassert>
#include <cerrno>
#include <chrono>
#include <ctime>
#include <stdexcept>

RunLoop& RunLoop::main() {
    // Never destroyed: worker threads that outlive the end of main() (a picture decoded
    // as the process ends) may still post to it while static destruction runs.
    static RunLoop* const loop = new RunLoop;
    return *loop;
}

RunLoop::RunLoop() : clock_(std::make_shared<SystemClock>()), owner_(std::this_thread::get_id()) {
    wakeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wakeFd_ < 0) {
        throw std::runtime_error("the run loop could not make its wake-up event counter");
    }
}

bool RunLoop::takeWakeUp() {
    if (!sleeping_ || wakeSent_) {
        return false;
    }
    wakeSent_ = true;
    return true;
}

void RunLoop::wake() const {
    while (::eventfd_write(wakeFd_, 1) < 0 && errno == EINTR) {
    }
}

void RunLoop::sleepUntil(std::unique_lock<std::mutex>& lock, std::chrono::steady_clock::time_point deadline,
                         const std::function<bool()>& ready) {
    while (!ready()) {
        const auto left = deadline - std::chrono::steady_clock::now();
        if (left <= std::chrono::steady_clock::duration::zero()) {
            return;
        }
        sleeping_ = true;
        lock.unlock();
        const auto nanoseconds = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
        const timespec timeout{static_cast<time_t>(nanoseconds / 1000000000),
                               static_cast<long>(nanoseconds % 1000000000)};
        pollfd wakeUp{wakeFd_, POLLIN, 0};
        ::ppoll(&wakeUp, 1, &timeout, nullptr);
        eventfd_t count;
        ::eventfd_read(wakeFd_, &count);
        lock.lock();
        sleeping_ = false;
        wakeSent_ = false;
    }
}

RunLoop::TaskId RunLoop::post(Task task, double delaySeconds) {
    std::function<void()> wakeUp;
    TaskId id;
    bool wakeLoop;
    {
        std::lock_guard lock(mutex_);
        id = nextSequence_++;
        Key key{clock_->monotonic() + (delaySeconds > 0 ? delaySeconds : 0), id};
        tasks_.emplace(key, std::move(task));
        keysById_.emplace(id, key);
        wakeUp = wakeUp_;
        wakeLoop = takeWakeUp();
    }
    if (wakeLoop) {
        wake();
    }
    if (wakeUp) {
        wakeUp();
    }
    return id;
}

void RunLoop::cancel(TaskId id) {
    std::lock_guard lock(mutex_);
    auto found = keysById_.find(id);
    if (found == keysById_.end()) {
        return;
    }
    tasks_.erase(found->second);
    keysById_.erase(found);
}

bool RunLoop::runOneDueTask(double now) {
    Task task;
    {
        std::lock_guard lock(mutex_);
        if (tasks_.empty() || tasks_.begin()->first.due > now) {
            return false;
        }
        auto first = tasks_.begin();
        task = std::move(first->second);
        keysById_.erase(first->first.sequence);
        tasks_.erase(first);
    }
    task();
    return true;
}

std::size_t RunLoop::runPending() {
    std::size_t count = 0;
    while (runOneDueTask(clock_->monotonic())) {
        ++count;
    }
    return count;
}

void RunLoop::runOnce(double maxWaitSeconds) {
    if (!clock_->isVirtual()) {
        const auto start = std::chrono::steady_clock::now();
        std::unique_lock lock(mutex_);
        double wait = maxWaitSeconds;
        if (!tasks_.empty()) {
            wait = std::min(wait, tasks_.begin()->first.due - clock_->monotonic());
        }
        if (wait > 0) {
            sleepUntil(lock,
                       start + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                   std::chrono::duration<double>(wait)),
                       [&] {
                           return stopRequested_ ||
                                  (!tasks_.empty() && tasks_.begin()->first.due <= clock_->monotonic());
                       });
        }
    }
    runPending();
}

void RunLoop::run() {
    {
        std::lock_guard lock(mutex_);
        stopRequested_ = false;
    }
    while (true) {
        {
            std::lock_guard lock(mutex_);
            if (stopRequested_) {
                stopRequested_ = false;
                return;
            }
        }
        runOnce(0.5);
    }
}

void RunLoop::stop() {
    bool wakeLoop;
    {
        std::lock_guard lock(mutex_);
        stopRequested_ = true;
        wakeLoop = takeWakeUp();
    }
    if (wakeLoop) {
        wake();
    }
}

bool RunLoop::runUntil(const std::function<bool()>& done, double realTimeoutSeconds) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(realTimeoutSeconds);
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        if (clock_->isVirtual()) {
            // Other threads post with a delay of 0 from the virtual now; wait for them in real time.
            std::unique_lock lock(mutex_);
            sleepUntil(lock, std::chrono::steady_clock::now() + std::chrono::milliseconds(5),
                       [&] { return !tasks_.empty() && tasks_.begin()->first.due <= clock_->monotonic(); });
            lock.unlock();
            runPending();
        } else {
            runOnce(0.01);
        }
    }
    return true;
}

void RunLoop::advance(double seconds) {
    auto* clock = dynamic_cast<VirtualClock*>(clock_.get());
    if (clock == nullptr) {
        throw std::logic_error("RunLoop::advance needs a VirtualClock");
    }
    const double target = clock->monotonic() + seconds;
    while (true) {
        runPending();
        double nextDue;
        {
            std::lock_guard lock(mutex_);
            if (tasks_.empty() || tasks_.begin()->first.due > target) {
                break;
            }
            nextDue = tasks_.begin()->first.due;
        }
        if (nextDue > clock->monotonic()) {
            clock->setMonotonic(nextDue);
        }
    }
    clock->setMonotonic(target);
    runPending();
}

void RunLoop::setClock(std::shared_ptr<Clock> clock) {
    std::lock_guard lock(mutex_);
    const double shift = clock->monotonic() - clock_->monotonic();
    // Queued work keeps its remaining delay under the new clock.
    std::map<Key, Task> moved;
    for (auto& [key, task] : tasks_) {
        Key shifted{key.due + shift, key.sequence};
        moved.emplace(shifted, std::move(task));
        keysById_[key.sequence] = shifted;
    }
    tasks_ = std::move(moved);
    clock_ = std::move(clock);
    owner_ = std::this_thread::get_id();
}

double RunLoop::secondsUntilNextTask() const {
    std::lock_guard lock(mutex_);
    if (tasks_.empty()) {
        return -1;
    }
    double wait = tasks_.begin()->first.due - clock_->monotonic();
    return wait > 0 ? wait : 0;
}

bool RunLoop::hasPendingTasks() const {
    std::lock_guard lock(mutex_);
    return !tasks_.empty();
}

void RunLoop::setWakeUpHandler(std::function<void()> handler) {
    std::lock_guard lock(mutex_);
    wakeUp_ = std::move(handler);
}

double Date::timeIntervalSince1970() {
    return RunLoop::main().clock().wall();
}
