#include "platform/Foundation/RunLoop.h"

#include <cassert>
#include <chrono>
#include <stdexcept>

RunLoop& RunLoop::main() {
    // Never destroyed: worker threads that outlive the end of main() (a picture decoded
    // as the process ends) may still post to it while static destruction runs.
    static RunLoop* const loop = new RunLoop;
    return *loop;
}

RunLoop::RunLoop() : clock_(std::make_shared<SystemClock>()), owner_(std::this_thread::get_id()) {}

RunLoop::TaskId RunLoop::post(Task task, double delaySeconds) {
    std::function<void()> wakeUp;
    TaskId id;
    {
        std::lock_guard lock(mutex_);
        id = nextSequence_++;
        Key key{clock_->monotonic() + (delaySeconds > 0 ? delaySeconds : 0), id};
        tasks_.emplace(key, std::move(task));
        keysById_.emplace(id, key);
        wakeUp = wakeUp_;
    }
    posted_.notify_all();
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
        std::unique_lock lock(mutex_);
        double wait = maxWaitSeconds;
        if (!tasks_.empty()) {
            wait = std::min(wait, tasks_.begin()->first.due - clock_->monotonic());
        }
        if (wait > 0) {
            posted_.wait_for(lock, std::chrono::duration<double>(wait), [&] {
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
    {
        std::lock_guard lock(mutex_);
        stopRequested_ = true;
    }
    posted_.notify_all();
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
            posted_.wait_for(lock, std::chrono::milliseconds(5), [&] {
                return !tasks_.empty() && tasks_.begin()->first.due <= clock_->monotonic();
            });
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
