#include "platform/SJBaseVideoPlayer/Player/SJRotationManager.h"

#include "platform/Foundation/Log.h"
#include "platform/UIKit/Controllers/UIApplication.h"
#include "platform/UIKit/Controllers/UIViewController.h"
#include "platform/UIKit/Controllers/UIWindowRoot.h"
#include "platform/UIKit/UIScreen.h"
#include "platform/UIKit/UIWindow.h"

#include <algorithm>

// The root of the full-screen window: a black stage that the player's content fills once
// it has grown into place, whatever size the window gets later.
class SJFullscreenViewController : public UIViewController {
  public:
    void viewDidLoad() override { view()->setBackgroundColor(UIColor::blackColor()); }

    void viewDidLayoutSubviews() override {
        auto shown = content.lock();
        if (fills && shown && shown->superview() == viewIfLoaded()) {
            shown->setFrame(viewIfLoaded()->bounds());
        }
    }

    // The application's delegate narrows this down to the player's orientation.
    UIInterfaceOrientationMask supportedInterfaceOrientations() const override {
        return UIInterfaceOrientationMaskAllButUpsideDown;
    }
    bool prefersStatusBarHidden() const override { return true; }

    std::weak_ptr<UIView> content;
    bool fills = false;
};

namespace {

// The managers alive now (main thread only), for the application's orientation question.
std::vector<const SJRotationManager*>& liveManagers() {
    static std::vector<const SJRotationManager*> managers;
    return managers;
}

UIInterfaceOrientation interfaceOrientationOf(SJOrientation orientation) {
    switch (orientation) {
    case SJOrientation::LandscapeLeft:
        return UIInterfaceOrientation::landscapeLeft;
    case SJOrientation::LandscapeRight:
        return UIInterfaceOrientation::landscapeRight;
    case SJOrientation::Portrait:
        break;
    }
    return UIInterfaceOrientation::portrait;
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
    if (window_) {
        // The player goes while in full screen: the interface stands up again without it.
        closeWindow();
        if (!UIApplication::sharedApplication()->requestGeometryUpdate(UIInterfaceOrientationMaskPortrait)) {
            UIScreen::mainScreen().setInterfaceOrientation(UIInterfaceOrientation::portrait);
        }
    }
}

UIInterfaceOrientationMask SJRotationManager::supportedInterfaceOrientationsForWindow(UIWindow* window) {
    for (const SJRotationManager* manager : liveManagers()) {
        if (manager->window_ && window != nullptr && manager->window_.get() == window) {
            return UIInterfaceOrientationMaskFor(interfaceOrientationOf(manager->orientation_));
        }
    }
    return UIInterfaceOrientationMaskPortrait;
}

UIEdgeInsets SJRotationManager::landscapeSafeAreaInsets() {
    return UIScreen::mainScreen().safeAreaInsetsFor(UIInterfaceOrientation::landscapeLeft);
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
        // From one landscape to the other: the window turns with the screen.
        turnInterface();
        finish();
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

void SJRotationManager::turnInterface() {
    const auto wanted = UIInterfaceOrientationMaskFor(interfaceOrientationOf(orientation_));
    if (!UIApplication::sharedApplication()->requestGeometryUpdate(wanted)) {
        consoleLog(
            "[SJRotationManager] The interface did not turn; the player stays in the window as it is.");
    }
}

void SJRotationManager::enterFullscreen(UIWindow& home, UIView& target, bool animated,
                                        std::function<void()> done) {
    // Both windows cover the screen from its origin, so window points are screen points.
    const CGRect start = target.convertRectToView(target.bounds(), nullptr);
    controller_ = std::make_shared<SJFullscreenViewController>();
    window_ = std::make_shared<UIWindow>(UIScreen::mainScreen().bounds());
    window_->setWindowLevel(home.windowLevel());
    previousKeyWindow_ = UIWindow::keyWindow();
    window_->setRootViewController(controller_);
    window_->makeKeyAndVisible();
    UIWindowDidBecomeVisible(*window_);
    const auto& stage = controller_->view();
    auto keep = target.sharedView();
    UIView::performWithoutAnimation([&] {
        target.removeFromSuperview();
        target.setTransform(CGAffineTransformIdentity);
        stage->addSubview(keep);
        target.setFrame(start);
        target.layoutIfNeeded();
    });
    controller_->content = keep;
    turnInterface();
    window_->layoutIfNeeded();
    // The content grows from its place on the page to the whole turned window.
    controller_->fills = true;
    perform(
        animated,
        [&target, bounds = stage->bounds()] {
            target.setFrame(bounds);
            target.layoutIfNeeded();
        },
        done);
}

void SJRotationManager::exitFullscreen(UIView& home, UIView& target, bool animated,
                                       std::function<void()> done) {
    turnInterface();
    window_->layoutIfNeeded();
    controller_->fills = false;
    const CGRect end =
        home.window() != nullptr ? home.convertRectToView(home.bounds(), nullptr) : target.frame();
    std::weak_ptr<UIView> weakHome = home.sharedView();
    std::weak_ptr<UIView> weakTarget = target.sharedView();
    // The content shrinks from the whole upright window back to its place on the page,
    // while the page shows again around it.
    perform(
        animated,
        [&target, end, stage = controller_->view()] {
            stage->setBackgroundColor(UIColor::clearColor());
            target.setFrame(end);
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
            closeWindow();
            done();
        });
}

void SJRotationManager::closeWindow() {
    if (!window_) {
        return;
    }
    auto window = std::move(window_);
    window->setRootViewController(nullptr);
    window->setHidden(true);
    controller_.reset();
    if (auto previous = previousKeyWindow_.lock(); previous && !previous->isHidden()) {
        previous->makeKeyWindow();
    }
}
