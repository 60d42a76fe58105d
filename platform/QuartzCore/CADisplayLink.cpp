#include "platform/QuartzCore/CADisplayLink.h"

#include <cmath>

std::shared_ptr<CADisplayLink> CADisplayLink::displayLinkWithTarget(Target target) {
    return std::make_shared<CADisplayLink>(std::move(target));
}

void CADisplayLink::addToRunLoop(RunLoop& loop) {
    if (loop_ != nullptr) {
        return;
    }
    loop_ = &loop;
    keepAlive_ = shared_from_this();
    start_ = loop.now();
    frame_ = 0;
    scheduleNext();
}

void CADisplayLink::invalidate() {
    if (loop_ != nullptr && pending_ != 0) {
        loop_->cancel(pending_);
    }
    pending_ = 0;
    loop_ = nullptr;
    keepAlive_.reset();
}

void CADisplayLink::setPaused(bool paused) {
    if (paused_ == paused) {
        return;
    }
    paused_ = paused;
    if (loop_ == nullptr) {
        return;
    }
    if (paused_) {
        loop_->cancel(pending_);
        pending_ = 0;
    } else {
        start_ = loop_->now();
        frame_ = 0;
        scheduleNext();
    }
}

void CADisplayLink::setPreferredFramesPerSecond(int framesPerSecond) {
    framesPerSecond_ = framesPerSecond > 0 ? framesPerSecond : 60;
}

void CADisplayLink::scheduleNext() {
    // Frames fall on start + n / rate, so that rounding does not make them drift.
    ++frame_;
    const double due = start_ + static_cast<double>(frame_) / framesPerSecond_;
    std::weak_ptr<CADisplayLink> weak = weak_from_this();
    pending_ = loop_->post(
        [weak] {
            if (auto link = weak.lock()) {
                link->fire();
            }
        },
        std::max(0.0, due - loop_->now()));
}

void CADisplayLink::fire() {
    pending_ = 0;
    if (loop_ == nullptr || paused_) {
        return;
    }
    timestamp_ = loop_->now();
    auto self = shared_from_this();
    target_(*this);
    if (loop_ != nullptr && !paused_ && pending_ == 0) {
        scheduleNext();
    }
}
