#pragma once

// The motion of one axis of a scroll view after the finger lifts: momentum that decays at
// the deceleration rate, a spring that pulls an offset beyond the content's edge back
// (bounce), a spring that settles on a page, and timed programmatic scrolls. Positions
// are content offsets in points, velocities points per second. Pure arithmetic: the
// scroll view advances it once per display frame.
namespace scrollphysics {

// Deceleration rates: the fraction of velocity kept per millisecond.
inline constexpr double kNormalDecelerationRate = 0.998;
inline constexpr double kFastDecelerationRate = 0.99;

// Below this speed momentum counts as spent.
inline constexpr double kRestingVelocity = 6;

struct Range {
    double min = 0;
    double max = 0;
    double clamp(double value) const { return value < min ? min : (value > max ? max : value); }
};

// How far a finger dragged `overshoot` points beyond an edge shows the content: the
// further it goes, the less the content follows (`dimension` is the visible length).
double rubberBand(double overshoot, double dimension);
// The finger overshoot that shows the content `shown` points beyond the edge.
double rubberBandInverse(double shown, double dimension);

// Where momentum starting at `position` with `velocity` would come to rest.
double projectedRestingPosition(double position, double velocity, double decelerationRate);

// The page offset a release at `position` with `velocity` settles on: the nearest page,
// or the next page in the direction of a fling. Pages start at `range.min`.
double pageTarget(double position, double velocity, double pageLength, const Range& range);

class AxisMotion {
  public:
    enum class Kind { none, momentum, spring, timed };

    // Momentum within `range`; beyond it the motion turns into a bounce (or, without
    // bouncing, stops at the edge).
    void startMomentum(double position, double velocity, double decelerationRate, const Range& range,
                       bool bounces);
    // A critically damped spring towards `target`.
    void startSpring(double position, double velocity, double target);
    // Ease-in-out from `from` to `to` over `duration` seconds.
    void startTimed(double from, double to, double duration);
    void stop() {
        kind_ = Kind::none;
        velocity_ = 0;
    }

    // Advances by `dt` seconds and answers the new position.
    double step(double dt);

    Kind kind() const { return kind_; }
    bool isActive() const { return kind_ != Kind::none; }
    double position() const { return position_; }
    double velocity() const { return velocity_; }

  private:
    void stepMomentum(double dt);
    void stepSpring(double dt);

    Kind kind_ = Kind::none;
    double position_ = 0;
    double velocity_ = 0;
    // Momentum.
    double decay_ = 0; // ln(rate) per second (negative)
    Range range_;
    bool bounces_ = true;
    // Spring and timed.
    double target_ = 0;
    double from_ = 0;
    double elapsed_ = 0;
    double duration_ = 0;
};

} // namespace scrollphysics
