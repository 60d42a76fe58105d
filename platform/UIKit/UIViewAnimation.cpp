#include "platform/Foundation/RunLoop.h"
#include "platform/QuartzCore/CALayer.h"
#include "platform/UIKit/UIView.h"

#include <cmath>
#include <map>

namespace {

// Calls the completion of one animation block once every animation it made has stopped.
class GroupCompletion : public CAAnimationDelegate {
  public:
    explicit GroupCompletion(std::function<void(bool)> completion) : completion_(std::move(completion)) {}
    void retain() { ++pending_; }
    void release(bool finished) {
        allFinished_ = allFinished_ && finished;
        if (--pending_ == 0 && completion_) {
            auto completion = std::move(completion_);
            completion_ = nullptr;
            completion(allFinished_);
        }
    }
    void animationDidStop(CAAnimation&, bool finished) override { release(finished); }

  private:
    std::function<void(bool)> completion_;
    int pending_ = 0;
    bool allFinished_ = true;
};

std::shared_ptr<CAMediaTimingFunction> curveFor(UIViewAnimationOptions options) {
    switch ((options >> 16) & 3u) {
    case 1:
        return CAMediaTimingFunction::functionWithName(kCAMediaTimingFunctionEaseIn);
    case 2:
        return CAMediaTimingFunction::functionWithName(kCAMediaTimingFunctionEaseOut);
    case 3:
        return CAMediaTimingFunction::functionWithName(kCAMediaTimingFunctionLinear);
    default:
        return CAMediaTimingFunction::functionWithName(kCAMediaTimingFunctionEaseInEaseOut);
    }
}

struct AnimationParameters {
    double duration = 0.2;
    double delay = 0;
    unsigned options = 0;
};

void applyTiming(CAAnimation& animation, const AnimationParameters& parameters, double start) {
    animation.duration = parameters.duration;
    animation.beginTime = start;
    // During a delay the old value stays on screen.
    animation.fillMode = parameters.delay > 0 ? kCAFillModeBackwards : kCAFillModeRemoved;
    if (parameters.options & UIViewAnimationOptionRepeat) {
        animation.repeatCount = HUGE_VAL;
    }
    animation.autoreverses = (parameters.options & UIViewAnimationOptionAutoreverse) != 0;
}

// Turns each property change of a plain animation block into a basic animation from the
// value on screen to the new model value.
class BlockRecorder : public CAActionRecorder {
  public:
    BlockRecorder(AnimationParameters parameters, std::shared_ptr<GroupCompletion> group)
        : parameters_(parameters), group_(std::move(group)), start_(CACurrentMediaTime() + parameters.delay) {
    }

    void propertyChanged(CALayer& layer, const std::string& keyPath, const CAValue& from,
                         const CAValue& to) override {
        auto animation = CABasicAnimation::animationWithKeyPath(keyPath);
        animation->fromValue = from;
        animation->toValue = to;
        animation->timingFunction = curveFor(parameters_.options);
        applyTiming(*animation, parameters_, start_);
        animation->delegate = group_;
        group_->retain();
        layer.addAnimation(animation, keyPath);
        ++count_;
    }
    int count() const { return count_; }

  private:
    AnimationParameters parameters_;
    std::shared_ptr<GroupCompletion> group_;
    double start_;
    int count_ = 0;
};

// Collects the changes of a keyframe block: for each layer property, the value on screen
// when the block began and the values keyframes move it to, with their relative times.
class KeyframeRecorder : public CAActionRecorder {
  public:
    struct Segment {
        double start;
        double end;
        CAValue value;
    };
    struct Track {
        std::weak_ptr<CALayer> layer;
        CAValue initial;
        std::vector<Segment> segments;
    };

    void propertyChanged(CALayer& layer, const std::string& keyPath, const CAValue& from,
                         const CAValue& to) override {
        auto& track = tracks_[{&layer, keyPath}];
        if (track.segments.empty()) {
            track.layer = layer.weak_from_this();
            track.initial = from;
        }
        track.segments.push_back({start_, start_ + length_, to});
    }
    void setWindow(double start, double length) {
        start_ = start;
        length_ = length;
    }
    std::map<std::pair<CALayer*, std::string>, Track>& tracks() { return tracks_; }

  private:
    std::map<std::pair<CALayer*, std::string>, Track> tracks_;
    double start_ = 0;
    double length_ = 1;
};

KeyframeRecorder*& currentKeyframeRecorder() {
    static KeyframeRecorder* recorder = nullptr;
    return recorder;
}

void finishWithoutAnimations(const std::function<void(bool)>& completion) {
    if (completion) {
        RunLoop::main().post([completion] { completion(true); });
    }
}

} // namespace

void UIView::animateWithDuration(double duration, const std::function<void()>& animations) {
    animateWithDuration(duration, 0, 0, animations, nullptr);
}

void UIView::animateWithDuration(double duration, const std::function<void()>& animations,
                                 const std::function<void(bool)>& completion) {
    animateWithDuration(duration, 0, 0, animations, completion);
}

void UIView::animateWithDuration(double duration, double delay, UIViewAnimationOptions options,
                                 const std::function<void()>& animations,
                                 const std::function<void(bool)>& completion) {
    if (duration <= 0 && delay <= 0) {
        performWithoutAnimation(animations);
        finishWithoutAnimations(completion);
        return;
    }
    auto group = std::make_shared<GroupCompletion>(completion);
    BlockRecorder recorder({std::max(duration, 1e-6), std::max(delay, 0.0), options}, group);
    // Held by the group until all its animations stopped; nothing retained means nothing
    // animated, and the completion is called on the next turn of the run loop.
    group->retain();
    CAActions::push(&recorder);
    if (animations) {
        animations();
    }
    CAActions::pop();
    if (recorder.count() == 0) {
        finishWithoutAnimations(completion);
        return;
    }
    group->release(true);
}

void UIView::animateKeyframesWithDuration(double duration, double delay,
                                          UIViewKeyframeAnimationOptions options,
                                          const std::function<void()>& animations,
                                          const std::function<void(bool)>& completion) {
    KeyframeRecorder recorder;
    KeyframeRecorder* outer = currentKeyframeRecorder();
    currentKeyframeRecorder() = &recorder;
    CAActions::push(&recorder);
    if (animations) {
        animations();
    }
    CAActions::pop();
    currentKeyframeRecorder() = outer;

    if (recorder.tracks().empty() || duration <= 0) {
        finishWithoutAnimations(completion);
        return;
    }
    auto group = std::make_shared<GroupCompletion>(completion);
    const AnimationParameters parameters{duration, std::max(delay, 0.0), options};
    const double start = CACurrentMediaTime() + parameters.delay;
    const bool discrete = (options & UIViewKeyframeAnimationOptionCalculationModeDiscrete) != 0;
    for (auto& [key, track] : recorder.tracks()) {
        auto layer = track.layer.lock();
        if (!layer) {
            continue;
        }
        // Values hold between keyframes: each segment starts from where the last ended.
        auto animation = CAKeyframeAnimation::animationWithKeyPath(key.second);
        std::vector<CAValue> values{track.initial};
        std::vector<double> times{0};
        CAValue current = track.initial;
        for (const auto& segment : track.segments) {
            const double begin = std::clamp(segment.start, times.back(), 1.0);
            if (begin > times.back()) {
                values.push_back(current);
                times.push_back(begin);
            }
            values.push_back(segment.value);
            times.push_back(std::clamp(segment.end, begin, 1.0));
            current = segment.value;
        }
        if (times.back() < 1) {
            values.push_back(current);
            times.push_back(1);
        }
        animation->values = std::move(values);
        animation->keyTimes = std::move(times);
        animation->calculationMode = discrete ? kCAAnimationDiscrete : kCAAnimationLinear;
        applyTiming(*animation, parameters, start);
        animation->delegate = group;
        group->retain();
        layer->addAnimation(animation, key.second);
    }
}

void UIView::addKeyframeWithRelativeStartTime(double relativeStartTime, double relativeDuration,
                                              const std::function<void()>& animations) {
    KeyframeRecorder* recorder = currentKeyframeRecorder();
    if (recorder == nullptr) {
        if (animations) {
            animations();
        }
        return;
    }
    recorder->setWindow(relativeStartTime, relativeDuration);
    if (animations) {
        animations();
    }
    recorder->setWindow(0, 1);
}

void UIView::performWithoutAnimation(const std::function<void()>& actions) {
    CAActions::push(nullptr);
    if (actions) {
        actions();
    }
    CAActions::pop();
}
