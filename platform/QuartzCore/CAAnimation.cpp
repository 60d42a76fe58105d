#include "platform/QuartzCore/CAAnimation.h"

#include "platform/Foundation/RunLoop.h"

#include <algorithm>
#include <cmath>

double CACurrentMediaTime() {
    return RunLoop::main().now();
}

namespace {

// Time comparisons tolerate rounding, so that an animation of 0.3 s added at 0.1 s is
// over at 0.4 s whatever the last bit of the sums.
constexpr double timeTolerance = 1e-9;

} // namespace

double CAAnimation::activeDuration() const {
    const double passes = repeatCount > 0 ? repeatCount : 1;
    return effectiveDuration() * passes * (autoreverses ? 2 : 1);
}

bool CAAnimation::isFinishedAt(double time) const {
    return time - beginTime >= activeDuration() - timeTolerance;
}

std::optional<double> CAAnimation::progressAt(double time) const {
    const double local = time - beginTime;
    const double single = effectiveDuration();
    const double active = activeDuration();
    const bool holdsBefore = fillMode == kCAFillModeBackwards || fillMode == kCAFillModeBoth;
    const bool holdsAfter = fillMode == kCAFillModeForwards || fillMode == kCAFillModeBoth;
    double fraction;
    if (local < -timeTolerance) {
        if (!holdsBefore) {
            return std::nullopt;
        }
        fraction = 0;
    } else if (local >= active - timeTolerance) {
        if (!holdsAfter) {
            return std::nullopt;
        }
        // The value at the end of the last pass (the start of it when that pass reversed).
        const double passes = active / single;
        const double whole = std::round(passes);
        const bool endsReversed =
            autoreverses && std::fmod(whole, 2.0) == 0 && std::fabs(passes - whole) < 1e-9;
        fraction = std::fabs(passes - whole) < 1e-9 ? (endsReversed ? 0 : 1) : std::fmod(passes, 1.0);
    } else {
        const double pass = std::floor(local / single);
        fraction = (local - pass * single) / single;
        if (autoreverses && std::fmod(pass, 2.0) == 1) {
            fraction = 1 - fraction;
        }
    }
    fraction = std::clamp(fraction, 0.0, 1.0);
    return timingFunction ? timingFunction->evaluate(fraction) : fraction;
}

std::shared_ptr<CABasicAnimation> CABasicAnimation::animationWithKeyPath(const std::string& keyPath) {
    auto animation = std::make_shared<CABasicAnimation>();
    animation->animationKeyPath = keyPath;
    return animation;
}

std::optional<CAValue> CABasicAnimation::valueAt(double time, const CAValue& model) const {
    const std::optional<double> progress = progressAt(time);
    if (!progress) {
        return std::nullopt;
    }
    CAValue from = model;
    CAValue to = model;
    if (fromValue) {
        from = *fromValue;
        to = toValue ? *toValue : byValue ? CAValues::add(from, *byValue) : model;
    } else if (toValue) {
        to = *toValue;
    } else if (byValue) {
        to = CAValues::add(model, *byValue);
    }
    return CAValues::interpolate(from, to, *progress);
}

std::shared_ptr<CAKeyframeAnimation> CAKeyframeAnimation::animationWithKeyPath(const std::string& keyPath) {
    auto animation = std::make_shared<CAKeyframeAnimation>();
    animation->animationKeyPath = keyPath;
    return animation;
}

std::optional<CAValue> CAKeyframeAnimation::valueAt(double time, const CAValue& model) const {
    if (values.empty()) {
        return std::nullopt;
    }
    const std::optional<double> progress = progressAt(time);
    if (!progress) {
        return std::nullopt;
    }
    if (values.size() == 1) {
        return values.front();
    }
    const size_t count = values.size();
    auto keyTime = [&](size_t i) {
        return keyTimes.size() == count ? keyTimes[i]
                                        : static_cast<double>(i) / static_cast<double>(count - 1);
    };
    const double p = *progress;
    if (p <= keyTime(0)) {
        return values.front();
    }
    for (size_t i = 0; i + 1 < count; ++i) {
        const double start = keyTime(i);
        const double end = keyTime(i + 1);
        if (p < end || i + 2 == count) {
            if (calculationMode == kCAAnimationDiscrete) {
                return p >= end ? values[i + 1] : values[i];
            }
            double local = end > start ? std::clamp((p - start) / (end - start), 0.0, 1.0) : 1.0;
            if (i < timingFunctions.size() && timingFunctions[i]) {
                local = timingFunctions[i]->evaluate(local);
            }
            return CAValues::interpolate(values[i], values[i + 1], local);
        }
    }
    return values.back();
}
