#pragma once

#include "platform/Foundation/RunLoop.h"

#include <functional>
#include <memory>

// Calls its target once per display frame on the main run loop (60 times a second unless
// told otherwise), on the run loop's clock. Once added to the run loop it stays alive and
// firing until invalidated.
class CADisplayLink : public std::enable_shared_from_this<CADisplayLink> {
  public:
    using Target = std::function<void(CADisplayLink&)>;

    static std::shared_ptr<CADisplayLink> displayLinkWithTarget(Target target);
    explicit CADisplayLink(Target target) : target_(std::move(target)) {}

    void addToRunLoop(RunLoop& loop);
    void invalidate();
    bool isPaused() const { return paused_; }
    void setPaused(bool paused);
    int preferredFramesPerSecond() const { return framesPerSecond_; }
    void setPreferredFramesPerSecond(int framesPerSecond);

    // The time of the frame being delivered, and of the next one.
    double timestamp() const { return timestamp_; }
    double targetTimestamp() const { return timestamp_ + duration(); }
    double duration() const { return 1.0 / framesPerSecond_; }

  private:
    void scheduleNext();
    void fire();

    Target target_;
    RunLoop* loop_ = nullptr;
    RunLoop::TaskId pending_ = 0;
    bool paused_ = false;
    int framesPerSecond_ = 60;
    double start_ = 0;
    long frame_ = 0;
    double timestamp_ = 0;
    std::shared_ptr<CADisplayLink> keepAlive_;
};
