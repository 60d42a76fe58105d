#pragma once

#include "platform/QuartzCore/CAMediaTimingFunction.h"
#include "platform/QuartzCore/CAValue.h"

#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class CAAnimation;
class CALayer;

inline const std::string kCAFillModeRemoved = "removed";
inline const std::string kCAFillModeForwards = "forwards";
inline const std::string kCAFillModeBackwards = "backwards";
inline const std::string kCAFillModeBoth = "both";

inline const std::string kCAAnimationLinear = "linear";
inline const std::string kCAAnimationDiscrete = "discrete";

// The current time of the animation clock: the main run loop's clock, so that tests
// drive animations with the virtual clock.
double CACurrentMediaTime();

class CAAnimationDelegate {
  public:
    virtual ~CAAnimationDelegate() = default;
    virtual void animationDidStart(CAAnimation& animation) {}
    // `finished` is false when the animation was removed before it ran its course.
    virtual void animationDidStop(CAAnimation& animation, bool finished) {}
};

// Timing shared by every animation: when it starts, how long one pass lasts, how often it
// repeats, how its progress is paced and what it shows before and after it runs.
class CAAnimation {
  public:
    virtual ~CAAnimation() = default;

    double duration = 0;    // 0 means the default of 0.25 seconds
    double beginTime = 0;   // on the animation clock; 0 means "when added to a layer"
    double repeatCount = 0; // 0 and 1 both mean one pass; HUGE_VAL repeats for ever
    bool autoreverses = false;
    std::string fillMode = kCAFillModeRemoved;
    bool removedOnCompletion = true;
    std::shared_ptr<CAMediaTimingFunction> timingFunction;
    std::shared_ptr<CAAnimationDelegate> delegate;

    double effectiveDuration() const { return duration > 0 ? duration : 0.25; }
    // The whole running time, every repetition and reversal included.
    double activeDuration() const;
    bool isFinishedAt(double time) const;

    // The value this animation gives its key path at `time` (on the animation clock), or
    // nothing when it has no effect then. `model` is the layer's own value.
    virtual std::optional<CAValue> valueAt(double time, const CAValue& model) const = 0;
    virtual const std::string& keyPath() const = 0;
    virtual std::shared_ptr<CAAnimation> copy() const = 0;

  protected:
    // The fraction (0...1) of one pass at `time`, paced by the timing function; nothing
    // outside the active time unless the fill mode holds the value there.
    std::optional<double> progressAt(double time) const;
};

class CAPropertyAnimation : public CAAnimation {
  public:
    std::string animationKeyPath;
    const std::string& keyPath() const override { return animationKeyPath; }
};

// From one value to another.
class CABasicAnimation : public CAPropertyAnimation {
  public:
    static std::shared_ptr<CABasicAnimation> animationWithKeyPath(const std::string& keyPath);

    std::optional<CAValue> fromValue;
    std::optional<CAValue> toValue;
    std::optional<CAValue> byValue;

    std::optional<CAValue> valueAt(double time, const CAValue& model) const override;
    std::shared_ptr<CAAnimation> copy() const override { return std::make_shared<CABasicAnimation>(*this); }
};

// Through a list of values at given fractions of the duration.
class CAKeyframeAnimation : public CAPropertyAnimation {
  public:
    static std::shared_ptr<CAKeyframeAnimation> animationWithKeyPath(const std::string& keyPath);

    std::vector<CAValue> values;
    // One fraction (0...1, ascending) per value; evenly spaced when empty.
    std::vector<double> keyTimes;
    // One per interval between values; linear where missing.
    std::vector<std::shared_ptr<CAMediaTimingFunction>> timingFunctions;
    std::string calculationMode = kCAAnimationLinear;

    std::optional<CAValue> valueAt(double time, const CAValue& model) const override;
    std::shared_ptr<CAAnimation> copy() const override {
        return std::make_shared<CAKeyframeAnimation>(*this);
    }
};
