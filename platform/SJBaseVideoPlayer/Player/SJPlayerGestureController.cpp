#include "platform/SJBaseVideoPlayer/Player/SJPlayerGestureController.h"

#include "platform/UIKit/UILongPressGestureRecognizer.h"
#include "platform/UIKit/UIPanGestureRecognizer.h"
#include "platform/UIKit/UITapGestureRecognizer.h"
#include "platform/UIKit/UITouch.h"
#include "platform/UIKit/UIView.h"

#include <array>
#include <cmath>

// Lets the recognizers see only the touches of supported gestures that the trigger filter
// accepts, and lets a pan begin only in a supported direction.
class SJPlayerGestureController::Filter : public UIGestureRecognizerDelegate {
  public:
    explicit Filter(SJPlayerGestureController& owner) : owner_(owner) {}

    bool shouldReceiveTouch(UIGestureRecognizer& recognizer, UITouch& touch) override {
        auto view = owner_.view_.lock();
        auto touched = touch.view();
        if (owner_.touchFilter && touched && !owner_.touchFilter(*touched)) {
            return false;
        }
        const CGPoint location = touch.locationInView(view.get());
        return owner_.shouldTriggerAt(typeOf(recognizer), location);
    }

    bool gestureRecognizerShouldBegin(UIGestureRecognizer& recognizer) override {
        if (&recognizer == owner_.pan_.get()) {
            return owner_.panShouldBegin(*owner_.pan_);
        }
        return true;
    }

  private:
    SJPlayerGestureType typeOf(const UIGestureRecognizer& recognizer) const {
        if (&recognizer == owner_.pan_.get()) {
            return SJPlayerGestureType::Pan;
        }
        if (&recognizer == owner_.longPress_.get()) {
            return SJPlayerGestureType::LongPress;
        }
        return owner_.supports(SJPlayerGestureType::SingleTap) ? SJPlayerGestureType::SingleTap
                                                               : SJPlayerGestureType::DoubleTap;
    }

    SJPlayerGestureController& owner_;
};

SJPlayerGestureController::SJPlayerGestureController(const std::shared_ptr<UIView>& view)
    : view_(view), filter_(std::make_shared<Filter>(*this)) {
    tap_ = std::make_shared<UITapGestureRecognizer>([this](UIGestureRecognizer& recognizer) {
        auto target = view_.lock();
        tapped(recognizer.locationInView(target.get()));
    });
    pan_ = std::make_shared<UIPanGestureRecognizer>([this](UIGestureRecognizer& recognizer) {
        panned(static_cast<UIPanGestureRecognizer&>(recognizer));
    });
    longPress_ = std::make_shared<UILongPressGestureRecognizer>([this](UIGestureRecognizer& recognizer) {
        longPressed(static_cast<UILongPressGestureRecognizer&>(recognizer));
    });
    for (const auto& recognizer : recognizers()) {
        recognizer->delegate = filter_;
        view->addGestureRecognizer(recognizer);
    }
}

SJPlayerGestureController::~SJPlayerGestureController() {
    cancelPendingSingleTap();
    auto view = view_.lock();
    for (const auto& recognizer : recognizers()) {
        recognizer->removeAllTargets();
        if (view) {
            view->removeGestureRecognizer(recognizer);
        }
    }
}

std::array<std::shared_ptr<UIGestureRecognizer>, 3> SJPlayerGestureController::recognizers() const {
    return {tap_, pan_, longPress_};
}

void SJPlayerGestureController::setSupportedGestureTypes(SJPlayerGestureTypeMask types) {
    if (supported_ == types) {
        return;
    }
    supported_ = types;
    if (!supports(SJPlayerGestureType::SingleTap) && !supports(SJPlayerGestureType::DoubleTap)) {
        cancelPendingSingleTap();
    }
}

bool SJPlayerGestureController::supports(SJPlayerGestureType type) const {
    switch (type) {
    case SJPlayerGestureType::SingleTap:
        return (supported_ & SJPlayerGestureTypeMask_SingleTap) != 0;
    case SJPlayerGestureType::DoubleTap:
        return (supported_ & SJPlayerGestureTypeMask_DoubleTap) != 0;
    case SJPlayerGestureType::Pan:
        return (supported_ & SJPlayerGestureTypeMask_Pan) != 0;
    case SJPlayerGestureType::Pinch:
        return (supported_ & SJPlayerGestureTypeMask_Pinch) != 0;
    case SJPlayerGestureType::LongPress:
        return (supported_ & SJPlayerGestureTypeMask_LongPress) != 0;
    }
    return false;
}

bool SJPlayerGestureController::shouldTriggerAt(SJPlayerGestureType type, CGPoint location) {
    if (!supports(type)) {
        return false;
    }
    return !gestureRecognizerShouldTrigger || gestureRecognizerShouldTrigger(*this, type, location);
}

bool SJPlayerGestureController::panShouldBegin(UIPanGestureRecognizer& pan) {
    auto view = view_.lock();
    const CGPoint translation = pan.translationInView(view.get());
    const auto direction = std::fabs(translation.x) >= std::fabs(translation.y)
                               ? SJPanGestureMovingDirection::H
                               : SJPanGestureMovingDirection::V;
    const SJPlayerGestureTypeMask needed = direction == SJPanGestureMovingDirection::H
                                               ? SJPlayerGestureTypeMask_Pan_H
                                               : SJPlayerGestureTypeMask_Pan_V;
    if ((supported_ & needed) == 0) {
        return false;
    }
    movingDirection_ = direction;
    const CGPoint location = pan.locationInView(view.get());
    const CGPoint start{location.x - translation.x, location.y - translation.y};
    const CGFloat width = view ? view->bounds().size.width : 0;
    triggeredPosition_ =
        start.x < width / 2 ? SJPanGestureTriggeredPosition::Left : SJPanGestureTriggeredPosition::Right;
    return true;
}

void SJPlayerGestureController::tapped(CGPoint location) {
    if (!supports(SJPlayerGestureType::DoubleTap)) {
        if (supports(SJPlayerGestureType::SingleTap) && singleTapHandler) {
            singleTapHandler(*this, location);
        }
        return;
    }
    if (pendingSingleTap_ != 0) {
        cancelPendingSingleTap();
        if (doubleTapHandler) {
            doubleTapHandler(*this, location);
        }
        return;
    }
    // The first tap of a possible double tap: it counts as a single tap only when no
    // second one follows in time.
    pendingLocation_ = location;
    pendingSingleTap_ = RunLoop::main().post(
        [alive = std::weak_ptr<bool>(alive_), this] {
            if (!alive.expired()) {
                pendingSingleTap_ = 0;
                firePendingSingleTap();
            }
        },
        doubleTapInterval);
}

void SJPlayerGestureController::firePendingSingleTap() {
    if (supports(SJPlayerGestureType::SingleTap) && singleTapHandler) {
        singleTapHandler(*this, pendingLocation_);
    }
}

void SJPlayerGestureController::cancelPendingSingleTap() {
    if (pendingSingleTap_ != 0) {
        RunLoop::main().cancel(pendingSingleTap_);
        pendingSingleTap_ = 0;
    }
}

void SJPlayerGestureController::panned(UIPanGestureRecognizer& pan) {
    auto view = view_.lock();
    SJPanGestureRecognizerState state = SJPanGestureRecognizerState::Changed;
    switch (pan.state()) {
    case UIGestureRecognizerState::began:
        panning_ = true;
        state = SJPanGestureRecognizerState::Began;
        break;
    case UIGestureRecognizerState::changed:
        break;
    case UIGestureRecognizerState::ended:
    case UIGestureRecognizerState::cancelled:
        panning_ = false;
        state = SJPanGestureRecognizerState::Ended;
        break;
    default:
        return;
    }
    if (panHandler) {
        panHandler(*this, triggeredPosition_, movingDirection_, state, pan.translationInView(view.get()));
    }
}

void SJPlayerGestureController::longPressed(UILongPressGestureRecognizer& press) {
    SJLongPressGestureRecognizerState state = SJLongPressGestureRecognizerState::Changed;
    switch (press.state()) {
    case UIGestureRecognizerState::began:
        longPressing_ = true;
        state = SJLongPressGestureRecognizerState::Began;
        break;
    case UIGestureRecognizerState::changed:
        break;
    case UIGestureRecognizerState::ended:
    case UIGestureRecognizerState::cancelled:
        longPressing_ = false;
        state = SJLongPressGestureRecognizerState::Ended;
        break;
    default:
        return;
    }
    if (longPressHandler) {
        longPressHandler(*this, state);
    }
}
