#include "platform/Foundation/RunLoop.h"

#include <poll.h>
#include <sys/eventfd.h>

#include <algorithm>
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

void RunLoop::wakeUpFromSignalHandler() const {
    const int savedErrno = errno;
    wake();
    errno = savedErrno;
}

namespace {

using SteadyClock = std::chrono::steady_clock;

SteadyClock::duration realSeconds(double seconds) {
    return std::chrono::duration_cast<SteadyClock::duration>(std::chrono::duration<double>(seconds));
}

} // namespace

void RunLoop::waitForWork(double maxWaitSeconds, int hostDescriptor) {
    const auto start = SteadyClock::now();
    std::optional<SteadyClock::time_point> deadline;
    if (maxWaitSeconds >= 0) {
        deadline = start + realSeconds(maxWaitSeconds);
    }
    // Counted as sleeping before the sources are asked: a source's work asked for from
    // another thread while they answer (wakeUp()) then reaches the wait below, which
    // would otherwise sleep without it.
    {
        std::lock_guard lock(mutex_);
        sleeping_ = true;
    }
    descriptors_.clear();
    sourceEnds_.clear();
    descriptors_.push_back(pollfd{wakeFd_, POLLIN, 0});
    if (hostDescriptor >= 0) {
        descriptors_.push_back(pollfd{hostDescriptor, POLLIN, 0});
    }
    const std::size_t firstOfSources = descriptors_.size();
    for (RunLoopSource* source : sources_) {
        source->addDescriptors(descriptors_);
        sourceEnds_.push_back(descriptors_.size());
        if (const auto due = source->deadline(); due && (!deadline || *due < *deadline)) {
            deadline = *due;
        }
    }
    {
        std::lock_guard lock(mutex_);
        if (!tasks_.empty()) {
            const double due = tasks_.begin()->first.due - clock_->monotonic();
            if (due <= 0) {
                deadline = start;
            } else if (!clock_->isVirtual() && (!deadline || start + realSeconds(due) < *deadline)) {
                deadline = start + realSeconds(due);
            }
        }
        if (stopRequested_) {
            deadline = start;
        }
        sleeping_ = !deadline || *deadline > start;
    }
    // A signal's handler interrupts the wait; the wait goes on for what is left of its
    // time (a handler with work for the loop wakes it with wakeUpFromSignalHandler()).
    while (true) {
        timespec timeout{};
        if (deadline) {
            const auto left = std::max(*deadline - SteadyClock::now(), SteadyClock::duration::zero());
            const auto nanoseconds = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
            timeout = timespec{static_cast<time_t>(nanoseconds / 1000000000),
                               static_cast<long>(nanoseconds % 1000000000)};
        }
        if (::ppoll(descriptors_.data(), descriptors_.size(), deadline ? &timeout : nullptr, nullptr) >= 0 ||
            errno != EINTR) {
            break;
        }
    }
    if ((descriptors_[0].revents & POLLIN) != 0) {
        eventfd_t count;
        ::eventfd_read(wakeFd_, &count);
    }
    {
        std::lock_guard lock(mutex_);
        sleeping_ = false;
        wakeSent_ = false;
    }
    if (sources_.empty()) {
        return;
    }
    const auto now = SteadyClock::now();
    // A source's work may add or remove sources: the others then wait for the next turn.
    const std::uint64_t sourcesAsPolled = sourcesChanges_;
    std::size_t begin = firstOfSources;
    for (std::size_t index = 0; index < sourceEnds_.size() && sourcesChanges_ == sourcesAsPolled; ++index) {
        const std::span<const pollfd> own(descriptors_.data() + begin, sourceEnds_[index] - begin);
        begin = sourceEnds_[index];
        RunLoopSource* source = sources_[index];
        const auto due = source->deadline();
        const bool ready =
            std::any_of(own.begin(), own.end(), [](const pollfd& item) { return item.revents != 0; });
        if (ready || (due && *due <= now)) {
            source->perform(own);
        }
    }
}

void RunLoop::wakeUp() {
    bool wakeLoop;
    {
        std::lock_guard lock(mutex_);
        wakeLoop = takeWakeUp();
    }
    if (wakeLoop) {
        wake();
    }
}

void RunLoop::addSource(RunLoopSource& source) {
    if (std::find(sources_.begin(), sources_.end(), &source) == sources_.end()) {
        sources_.push_back(&source);
        ++sourcesChanges_;
    }
}

void RunLoop::removeSource(RunLoopSource& source) {
    if (std::erase(sources_, &source) > 0) {
        ++sourcesChanges_;
    }
}

RunLoop::TaskId RunLoop::post(Task task, double delaySeconds) {
    TaskId id;
    bool wakeLoop;
    {
        std::lock_guard lock(mutex_);
        id = nextSequence_++;
        Key key{clock_->monotonic() + (delaySeconds > 0 ? delaySeconds : 0), id};
        tasks_.emplace(key, std::move(task));
        keysById_.emplace(id, key);
        wakeLoop = takeWakeUp();
    }
    if (wakeLoop) {
        wake();
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
    if (!sources_.empty()) {
        waitForWork(0);
    }
    return runDueTasks();
}

std::size_t RunLoop::runDueTasks() {
    std::size_t count = 0;
    while (runOneDueTask(clock_->monotonic())) {
        ++count;
    }
    return count;
}

void RunLoop::runOnce(double maxWaitSeconds) {
    waitForWork(clock_->isVirtual() ? 0 : maxWaitSeconds);
    runDueTasks();
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
    const auto deadline = SteadyClock::now() + realSeconds(realTimeoutSeconds);
    while (!done()) {
        if (SteadyClock::now() >= deadline) {
            return false;
        }
        // Under a virtual clock, other threads post with a delay of 0 from the virtual
        // now: their work is waited for in real time, in short steps.
        waitForWork(clock_->isVirtual() ? 0.005 : 0.01);
        runDueTasks();
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

double Date::timeIntervalSince1970() {
    return RunLoop::main().clock().wall();
}
