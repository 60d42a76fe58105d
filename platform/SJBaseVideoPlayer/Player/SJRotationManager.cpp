#include "platform/SJBaseVideoPlayer/Player/SJRotationManager.h"

#include "platform/Foundation/Log.h"
#include "platform/UIKit/UIScreen.h"
#include "platform/UIKit/UIWindow.h"

#include <algorithm>
#include <numbers>

namespace {

// The managers alive now (main thread only), for the application's orientation question.
std::vector<const SJRotationManager*>& liveManagers() {
    static std::vector<const SJRotationManager*> managers;
    return managers;
}

CGFloat angleOf(SJOrientation orientation) {
    switch (orientation) {
    case SJOrientation::LandscapeLeft:
        return std::numbers::pi / 2;
    case SJOrientation::LandscapeRight:
        return -std::numbers::pi / 2;
    case SJOrientation::Portrait:
        break;
    }
    return 0;
}

CGPoint middleOf(const CGRect& rect) {
    return {rect.midX(), rect.midY()};
}

// Runs `changes` as a view animation, or at once; `done` runs when they are complete.
void perform(bool animated, const std::function<void()>& changes, const std::function<void()>& done) {
    if (!animated) {
        UIView::performWithoutAnimation(changes);
        done();
        return;
    }
    UIView::animateWithDuration(SJRotationManager::animationDuration, changes, [done](bool) { done(); });
}

} // namespace

SJRotationManager::SJRotationManager(const std::shared_ptr<UIView>& superview,
                                     const std::shared_ptr<UIView>& target)
    : superview_(superview), target_(target) {
    liveManagers().push_back(this);
}

SJRotationManager::~SJRotationManager() {
    std::erase(liveManagers(), this);
    if (container_) {
        container_->removeFromSuperview();
    }
}

UIInterfaceOrientationMask SJRotationManager::supportedInterfaceOrientationsForWindow(UIWindow* window) {
    for (const SJRotationManager* manager : liveManagers()) {
        if (manager->container_ && window != nullptr && manager->container_->window() == window) {
            return manager->orientation_ == SJOrientation::LandscapeRight
                       ? UIInterfaceOrientationMaskLandscapeRight
                       : UIInterfaceOrientationMaskLandscapeLeft;
        }
    }
    return UIInterfaceOrientationMaskPortrait;
}

UIEdgeInsets SJRotationManager::landscapeSafeAreaInsets() {
    const UIScreen::Metrics& metrics = UIScreen::mainScreen().metrics();
    // Only a screen with a home indicator has a sensor housing that a turned interface
    // keeps clear of on both sides; a classic screen hides its status bar in landscape.
    if (metrics.bottomSafeAreaHeight <= 0) {
        return {};
    }
    constexpr CGFloat homeIndicatorInLandscape = 21;
    return {0, metrics.statusBarHeight, homeIndicatorInLandscape, metrics.statusBarHeight};
}

std::shared_ptr<SJRotationObservation> SJRotationManager::getObserver() {
    auto observation = std::make_shared<SJRotationObservation>();
    std::erase_if(observers_, [](const auto& observer) { return observer.expired(); });
    observers_.push_back(observation);
    return observation;
}

void SJRotationManager::rotate() {
    rotate(isFullscreen() ? SJOrientation::Portrait : SJOrientation::LandscapeLeft, true);
}

void SJRotationManager::rotate(SJOrientation orientation, bool animated,
                               std::function<void(SJRotationManager&)> completion) {
    if (transitioning_ || orientation == orientation_) {
        return;
    }
    auto home = superview_.lock();
    auto target = target_.lock();
    if (!home || !target) {
        return;
    }
    UIWindow* window = home->window();
    if (!isFullscreen() && window == nullptr) {
        consoleLog("[SJRotationManager] The player is not in a window; it cannot go full screen.");
        return;
    }
    if (shouldTriggerRotation && !shouldTriggerRotation(*this)) {
        return;
    }
    const SJOrientation previous = orientation_;
    orientation_ = orientation;
    std::weak_ptr<bool> alive = alive_;
    tell(&SJRotationObservation::onTransitioningChanged, true);
    if (alive.expired()) {
        return;
    }
    tell(&SJRotationObservation::onRotatingChanged, true);
    if (alive.expired()) {
        return;
    }
    auto finish = [alive, this, completion = std::move(completion)] {
        if (alive.expired()) {
            return;
        }
        tell(&SJRotationObservation::onRotatingChanged, false);
        if (alive.expired()) {
            return;
        }
        tell(&SJRotationObservation::onTransitioningChanged, false);
        if (!alive.expired() && completion) {
            completion(*this);
        }
    };
    if (previous == SJOrientation::Portrait) {
        enterFullscreen(*window, *target, animated, std::move(finish));
    } else if (orientation == SJOrientation::Portrait) {
        exitFullscreen(*home, *target, animated && window != nullptr, std::move(finish));
    } else {
        turn(*target, container_->bounds(), animated, std::move(finish));
    }
}

template <typename Member> void SJRotationManager::tell(Member member, bool value) {
    if (member == &SJRotationObservation::onRotatingChanged) {
        rotating_ = value;
    } else {
        transitioning_ = value;
    }
    std::weak_ptr<bool> alive = alive_;
    for (const auto& entry : std::vector(observers_)) {
        auto observer = entry.lock();
        if (observer && (*observer).*member) {
            ((*observer).*member)(*this, value);
            if (alive.expired()) {
                return;
            }
        }
    }
}

void SJRotationManager::enterFullscreen(UIWindow& window, UIView& target, bool animated,
                                        std::function<void()> done) {
    const CGRect start = target.convertRectToView(target.bounds(), nullptr);
    container_ = std::make_shared<UIView>(window.bounds());
    container_->setBackgroundColor(UIColor::blackColor());
    window.addSubview(container_);
    auto keep = target.sharedView();
    UIView::performWithoutAnimation([&] {
        target.removeFromSuperview();
        container_->addSubview(keep);
        target.setTransform(CGAffineTransformIdentity);
        target.setFrame(start);
        target.layoutIfNeeded();
    });
    turn(target, container_->bounds(), animated, std::move(done));
}

void SJRotationManager::turn(UIView& target, const CGRect& windowBounds, bool animated,
                             std::function<void()> done) {
    const CGFloat angle = angleOf(orientation_);
    perform(
        animated,
        [&target, windowBounds, angle] {
            target.setBounds(CGRect{{0, 0}, {windowBounds.size.height, windowBounds.size.width}});
            target.setCenter(middleOf(windowBounds));
            target.setTransform(CGAffineTransformMakeRotation(angle));
            target.layoutIfNeeded();
        },
        done);
}

void SJRotationManager::exitFullscreen(UIView& home, UIView& target, bool animated,
                                       std::function<void()> done) {
    const CGRect end =
        home.window() != nullptr ? home.convertRectToView(home.bounds(), nullptr) : target.frame();
    std::weak_ptr<UIView> weakHome = home.sharedView();
    std::weak_ptr<UIView> weakTarget = target.sharedView();
    perform(
        animated,
        [&target, end] {
            target.setTransform(CGAffineTransformIdentity);
            target.setBounds(CGRect{{0, 0}, end.size});
            target.setCenter(middleOf(end));
            target.layoutIfNeeded();
        },
        [alive = std::weak_ptr<bool>(alive_), this, weakHome, weakTarget, done = std::move(done)] {
            if (alive.expired()) {
                return;
            }
            auto homeView = weakHome.lock();
            auto targetView = weakTarget.lock();
            if (homeView && targetView) {
                UIView::performWithoutAnimation([&] {
                    targetView->removeFromSuperview();
                    homeView->insertSubview(targetView, 0);
                    targetView->setFrame(homeView->bounds());
                    targetView->layoutIfNeeded();
                });
            }
            if (container_) {
                container_->removeFromSuperview();
                container_.reset();
            }
            done();
        });
}
