#include "platform/Foundation/Timer.h"

#include <algorithm>

std::shared_ptr<Timer> Timer::scheduledTimer(double interval, bool repeats, Block block) {
    std::shared_ptr<Timer> timer(new Timer(interval, repeats, std::move(block)));
    timer->schedule();
    return timer;
}

Timer::Timer(double interval, bool repeats, Block block)
    // A repeating timer with no interval would starve the loop; the platform uses 0.1 ms.
    : interval_(repeats ? std::max(interval, 0.0001) : std::max(interval, 0.0)), repeats_(repeats),
      block_(std::move(block)) {}

Timer::~Timer() {
    if (pending_ != 0) {
        RunLoop::main().cancel(pending_);
    }
}

void Timer::schedule() {
    std::weak_ptr<Timer> weak = weak_from_this();
    pending_ = RunLoop::main().post(
        [weak] {
            auto timer = weak.lock();
            if (!timer || !timer->valid_) {
                return;
            }
            timer->pending_ = 0;
            if (timer->repeats_) {
                timer->schedule();
            } else {
                timer->valid_ = false;
            }
            timer->block_(*timer);
        },
        interval_);
}

void Timer::invalidate() {
    valid_ = false;
    if (pending_ != 0) {
        RunLoop::main().cancel(pending_);
        pending_ = 0;
    }
}

void Timer::fire() {
    if (!valid_) {
        return;
    }
    auto self = shared_from_this();
    if (!repeats_) {
        invalidate();
    }
    block_(*self);
}
