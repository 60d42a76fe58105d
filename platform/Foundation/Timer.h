#pragma once

#include "platform/Foundation/RunLoop.h"

#include <functional>
#include <memory>

// A timer on the main run loop. It fires after `interval` seconds and, when repeating,
// every `interval` seconds after that until invalidated. The run loop does not keep a
// timer alive: when the last owner drops it, it stops.
class Timer : public std::enable_shared_from_this<Timer> {
  public:
    using Block = std::function<void(Timer&)>;

    static std::shared_ptr<Timer> scheduledTimer(double interval, bool repeats, Block block);
    ~Timer();

    void invalidate();
    bool isValid() const { return valid_; }
    double timeInterval() const { return interval_; }
    // Fires now (out of schedule) without changing the schedule.
    void fire();

  private:
    Timer(double interval, bool repeats, Block block);
    void schedule();

    double interval_;
    bool repeats_;
    Block block_;
    bool valid_ = true;
    RunLoop::TaskId pending_ = 0;
};
