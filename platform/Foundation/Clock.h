#pragma once

#include <chrono>
#include <memory>

// The time source of the run loop. `monotonic()` drives timers and delays; `wall()` is
// seconds since 1970 for timestamps. Tests install a VirtualClock and move it explicitly.
class Clock {
  public:
    virtual ~Clock() = default;
    virtual double monotonic() const = 0;
    virtual double wall() const = 0;
    virtual bool isVirtual() const { return false; }
};

class SystemClock final : public Clock {
  public:
    SystemClock();
    double monotonic() const override;
    double wall() const override;

  private:
    std::chrono::steady_clock::time_point start_;
};

// Time that only moves when told to. Starts at monotonic 0 and at a fixed wall time
// (or the one given), so timestamps in tests are reproducible.
class VirtualClock final : public Clock {
  public:
    explicit VirtualClock(double wallStart = 1'800'000'000.0) : wallStart_(wallStart) {}
    double monotonic() const override { return now_; }
    double wall() const override { return wallStart_ + now_; }
    bool isVirtual() const override { return true; }
    void setMonotonic(double value) { now_ = value; }

  private:
    double wallStart_;
    double now_ = 0;
};
