#include "platform/UIKit/Controls/ScrollPhysics.h"

#include <algorithm>
#include <cmath>

namespace scrollphysics {

namespace {

// Stiffness of the settling springs (radians per second): a displacement is 98 % gone
// after half a second.
constexpr double kSpringFrequency = 12;
// A bounce takes at most this speed into the spring, which keeps the overshoot of hard
// flings within a finger's width.
constexpr double kMaxBounceVelocity = 2500;
// Flings slower than this settle on the nearest page instead of the next one.
constexpr double kPageFlingVelocity = 250;
// Close enough to the target to snap onto it.
constexpr double kSettleDistance = 0.25;

double easeInOut(double u) {
    return u < 0.5 ? 4 * u * u * u : 1 - std::pow(-2 * u + 2, 3) / 2;
}

} // namespace

constexpr double kResistance = 0.55;

double rubberBand(double overshoot, double dimension) {
    if (dimension <= 0) {
        return 0;
    }
    const double magnitude = std::fabs(overshoot);
    const double shown = (1 - 1 / (magnitude * kResistance / dimension + 1)) * dimension;
    return overshoot < 0 ? -shown : shown;
}

double rubberBandInverse(double shown, double dimension) {
    if (dimension <= 0) {
        return 0;
    }
    const double fraction = std::min(std::fabs(shown) / dimension, 0.99);
    const double overshoot = (1 / (1 - fraction) - 1) * dimension / kResistance;
    return shown < 0 ? -overshoot : overshoot;
}

double projectedRestingPosition(double position, double velocity, double decelerationRate) {
    const double decay = 1000 * std::log(decelerationRate);
    return position - velocity / decay;
}

double pageTarget(double position, double velocity, double pageLength, const Range& range) {
    if (pageLength <= 0) {
        return range.clamp(position);
    }
    const double pages = (position - range.min) / pageLength;
    double page = std::round(pages);
    if (velocity > kPageFlingVelocity) {
        page = std::floor(pages + 1e-6) + 1;
    } else if (velocity < -kPageFlingVelocity) {
        page = std::ceil(pages - 1e-6) - 1;
    }
    const double lastPage = std::ceil((range.max - range.min) / pageLength - 1e-6);
    page = std::clamp(page, 0.0, std::max(0.0, lastPage));
    return range.clamp(range.min + page * pageLength);
}

void AxisMotion::startMomentum(double position, double velocity, double decelerationRate, const Range& range,
                               bool bounces) {
    position_ = position;
    range_ = range;
    bounces_ = bounces;
    decay_ = 1000 * std::log(std::clamp(decelerationRate, 0.5, 0.9999));
    if (position < range.min || position > range.max) {
        if (bounces) {
            startSpring(position, velocity, range.clamp(position));
        } else {
            position_ = range.clamp(position);
            stop();
        }
        return;
    }
    if (std::fabs(velocity) < kRestingVelocity) {
        stop();
        return;
    }
    kind_ = Kind::momentum;
    velocity_ = velocity;
}

void AxisMotion::startSpring(double position, double velocity, double target) {
    kind_ = Kind::spring;
    position_ = position;
    velocity_ = velocity;
    target_ = target;
}

void AxisMotion::startTimed(double from, double to, double duration) {
    if (duration <= 0 || from == to) {
        position_ = to;
        stop();
        return;
    }
    kind_ = Kind::timed;
    position_ = from;
    velocity_ = 0;
    from_ = from;
    target_ = to;
    elapsed_ = 0;
    duration_ = duration;
}

double AxisMotion::step(double dt) {
    if (dt <= 0) {
        return position_;
    }
    switch (kind_) {
    case Kind::none:
        break;
    case Kind::momentum:
        stepMomentum(dt);
        break;
    case Kind::spring:
        stepSpring(dt);
        break;
    case Kind::timed: {
        elapsed_ = std::min(duration_, elapsed_ + dt);
        const double previous = position_;
        position_ = from_ + (target_ - from_) * easeInOut(elapsed_ / duration_);
        velocity_ = (position_ - previous) / dt;
        if (elapsed_ >= duration_) {
            position_ = target_;
            stop();
        }
        break;
    }
    }
    return position_;
}

void AxisMotion::stepMomentum(double dt) {
    const double decayed = std::exp(decay_ * dt);
    const double next = position_ + velocity_ * (decayed - 1) / decay_;
    const double edge = next < range_.min ? range_.min : (next > range_.max ? range_.max : next);
    if (edge == next) {
        position_ = next;
        velocity_ *= decayed;
        if (std::fabs(velocity_) < kRestingVelocity) {
            stop();
        }
        return;
    }
    // The content reaches the edge within this step: find when, and with what speed.
    const double fraction = 1 + decay_ * (edge - position_) / velocity_;
    const double reachedAfter = fraction > 0 ? std::clamp(std::log(fraction) / decay_, 0.0, dt) : dt;
    const double speedAtEdge = velocity_ * std::exp(decay_ * reachedAfter);
    position_ = edge;
    if (!bounces_) {
        stop();
        return;
    }
    startSpring(edge, std::clamp(speedAtEdge, -kMaxBounceVelocity, kMaxBounceVelocity), edge);
    stepSpring(dt - reachedAfter);
}

void AxisMotion::stepSpring(double dt) {
    if (dt <= 0) {
        return;
    }
    const double omega = kSpringFrequency;
    const double a = position_ - target_;
    const double b = velocity_ + omega * a;
    const double damping = std::exp(-omega * dt);
    position_ = target_ + (a + b * dt) * damping;
    velocity_ = (b - omega * (a + b * dt)) * damping;
    if (std::fabs(position_ - target_) < kSettleDistance && std::fabs(velocity_) < kRestingVelocity) {
        position_ = target_;
        stop();
    }
}

} // namespace scrollphysics
