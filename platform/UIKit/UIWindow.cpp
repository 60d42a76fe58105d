#include "platform/UIKit/UIWindow.h"

#include "platform/UIKit/UIControl.h"
#include "platform/UIKit/UIGestureRecognizer.h"

#include <algorithm>
#include <cmath>

namespace {

std::weak_ptr<UIWindow>& keyWindowSlot() {
    static std::weak_ptr<UIWindow> window;
    return window;
}

std::vector<std::weak_ptr<UIWindow>>& knownWindows() {
    static std::vector<std::weak_ptr<UIWindow>> windows;
    return windows;
}

UIWindow::RootViewControllerHandler& rootHandler() {
    static UIWindow::RootViewControllerHandler handler;
    return handler;
}

constexpr double kMultiTapInterval = 0.35;
constexpr double kMultiTapDistance = 20;

// Whether a tap or long press on `recognizerView` should leave a touch on `touched` to
// the control it landed on (a control inside the recognizer's view, or the view itself).
bool landsOnControlBelow(const UIView* touched, const UIView* recognizerView) {
    for (const UIView* view = touched; view != nullptr && view != recognizerView;) {
        if (dynamic_cast<const UIControl*>(view) != nullptr) {
            return true;
        }
        auto parent = view->superview();
        view = parent.get();
    }
    return false;
}

} // namespace

UIWindow::UIWindow(const CGRect& frame)
    : UIView(frame), orientation_(UIScreen::mainScreen().interfaceOrientation()) {
    layer()->setHidden(true);
}

void UIWindow::setInterfaceOrientation(UIInterfaceOrientation orientation) {
    if (orientation_ == orientation) {
        return;
    }
    orientation_ = orientation;
    safeAreaEdgesDidChange();
}

bool UIWindow::isOnScreen() const {
    return !isHidden() &&
           UIInterfaceOrientationIsLandscape(orientation_) ==
               UIInterfaceOrientationIsLandscape(UIScreen::mainScreen().interfaceOrientation());
}

UIWindow::~UIWindow() = default;

std::shared_ptr<UIWindow> UIWindow::keyWindow() {
    return keyWindowSlot().lock();
}

std::vector<std::shared_ptr<UIWindow>> UIWindow::windows() {
    std::vector<std::shared_ptr<UIWindow>> result;
    auto& known = knownWindows();
    known.erase(
        std::remove_if(known.begin(), known.end(), [](const auto& window) { return window.expired(); }),
        known.end());
    for (const auto& entry : known) {
        auto window = entry.lock();
        if (!window->isHidden()) {
            result.push_back(window);
        }
    }
    std::stable_sort(result.begin(), result.end(),
                     [](const auto& a, const auto& b) { return a->windowLevel() < b->windowLevel(); });
    return result;
}

void UIWindow::makeKeyAndVisible() {
    setHidden(false);
    makeKeyWindow();
}

void UIWindow::makeKeyWindow() {
    auto self = std::static_pointer_cast<UIWindow>(sharedView());
    keyWindowSlot() = self;
    auto& known = knownWindows();
    if (std::none_of(known.begin(), known.end(), [&](const auto& entry) { return entry.lock() == self; })) {
        known.push_back(self);
    }
}

bool UIWindow::isKeyWindow() const {
    return keyWindowSlot().lock().get() == this;
}

void UIWindow::setRootViewController(std::shared_ptr<UIViewController> controller) {
    if (rootViewController_ == controller) {
        return;
    }
    auto previous = std::move(rootViewController_);
    rootViewController_ = std::move(controller);
    if (rootHandler()) {
        rootHandler()(*this, previous);
    }
}

void UIWindow::setRootViewControllerHandler(RootViewControllerHandler handler) {
    rootHandler() = std::move(handler);
}

// ---- Touches ---------------------------------------------------------------------------

void UIWindow::handleTouch(UITouchPhase phase, CGPoint location, double timestamp) {
    auto self = sharedView();
    if (phase == UITouchPhase::began) {
        if (touch_) {
            finishTouch(UITouchPhase::cancelled);
        }
        beginTouch(location, timestamp);
        return;
    }
    if (!touch_) {
        return;
    }
    touch_->previousLocation_ = touch_->location_;
    touch_->location_ = location;
    touch_->timestamp_ = timestamp;
    if (phase == UITouchPhase::moved || phase == UITouchPhase::stationary) {
        touch_->phase_ = UITouchPhase::moved;
        UIEvent event;
        event.timestamp_ = timestamp;
        event.touches_ = {touch_};
        const auto recognizers = recognizers_;
        for (const auto& recognizer : recognizers) {
            if (recognizer->state() != UIGestureRecognizerState::failed &&
                recognizer->state() != UIGestureRecognizerState::cancelled) {
                recognizer->touchesMoved(event.touches_, &event);
            }
        }
        if (deliversToView_) {
            if (auto view = touch_->view()) {
                view->touchesMoved(event.touches_, &event);
            }
        }
        return;
    }
    finishTouch(phase);
}

void UIWindow::beginTouch(CGPoint location, double timestamp) {
    auto touch = std::make_shared<UITouch>();
    touch->location_ = touch->previousLocation_ = location;
    touch->timestamp_ = timestamp;
    touch->phase_ = UITouchPhase::began;
    touch->window_ = std::static_pointer_cast<UIWindow>(sharedView());
    const bool repeats =
        lastTapTime_ >= 0 && timestamp - lastTapTime_ <= kMultiTapInterval &&
        std::hypot(location.x - lastTapLocation_.x, location.y - lastTapLocation_.y) <= kMultiTapDistance;
    touch->tapCount_ = repeats ? lastTapCount_ + 1 : 1;
    touch_ = touch;

    auto hit = hitTest(convertPointFromView(location, nullptr), nullptr);
    touch->view_ = hit;
    recognizers_.clear();
    for (auto view = hit; view; view = view->superview()) {
        for (const auto& recognizer : view->gestureRecognizers()) {
            if (!recognizer->isEnabled() || recognizer->state() == UIGestureRecognizerState::failed) {
                continue;
            }
            if (recognizer->yieldsToControls() && landsOnControlBelow(hit.get(), view.get())) {
                continue;
            }
            if (auto watcher = recognizer->delegate.lock();
                watcher && !watcher->shouldReceiveTouch(*recognizer, *touch)) {
                continue;
            }
            recognizers_.push_back(recognizer);
        }
    }
    touch->recognizers_ = recognizers_;
    deliversToView_ = hit != nullptr;

    UIEvent event;
    event.timestamp_ = timestamp;
    event.touches_ = {touch};
    for (const auto& recognizer : recognizers_) {
        recognizer->setArbiter(this);
    }
    const auto recognizers = recognizers_;
    for (const auto& recognizer : recognizers) {
        if (recognizer->state() == UIGestureRecognizerState::possible ||
            recognizer->state() == UIGestureRecognizerState::began ||
            recognizer->state() == UIGestureRecognizerState::changed) {
            recognizer->touchesBegan(event.touches_, &event);
        }
    }
    if (deliversToView_ && hit) {
        hit->touchesBegan(event.touches_, &event);
    }
}

void UIWindow::finishTouch(UITouchPhase phase) {
    auto touch = touch_;
    touch->phase_ = phase;
    UIEvent event;
    event.timestamp_ = touch->timestamp_;
    event.touches_ = {touch};
    const auto recognizers = recognizers_;
    for (const auto& recognizer : recognizers) {
        if (recognizer->state() == UIGestureRecognizerState::failed ||
            recognizer->state() == UIGestureRecognizerState::cancelled) {
            continue;
        }
        if (phase == UITouchPhase::ended) {
            recognizer->touchesEnded(event.touches_, &event);
        } else {
            recognizer->touchesCancelled(event.touches_, &event);
        }
    }
    if (deliversToView_) {
        if (auto view = touch->view()) {
            if (phase == UITouchPhase::ended) {
                view->touchesEnded(event.touches_, &event);
            } else {
                view->touchesCancelled(event.touches_, &event);
            }
        }
    }
    if (phase == UITouchPhase::ended) {
        lastTapTime_ = touch->timestamp_;
        lastTapLocation_ = touch->location_;
        lastTapCount_ = touch->tapCount_;
    }
    touch_.reset();
    deliversToView_ = false;
    for (const auto& recognizer : recognizers) {
        recognizer->endTouchSequence();
    }
    recognizers_.clear();
}

void UIWindow::gestureRecognizerDidRecognize(UIGestureRecognizer& recognizer) {
    auto winner = recognizer.shared_from_this();
    for (const auto& other : std::vector(recognizers_)) {
        if (other == winner) {
            continue;
        }
        auto watcher = recognizer.delegate.lock();
        auto otherWatcher = other->delegate.lock();
        const bool together =
            (watcher && watcher->shouldRecognizeSimultaneouslyWith(recognizer, *other)) ||
            (otherWatcher && otherWatcher->shouldRecognizeSimultaneouslyWith(*other, recognizer));
        if (!together) {
            other->failBecauseAnotherRecognized();
        }
    }
    if (deliversToView_ && recognizer.cancelsTouchesInView && touch_) {
        deliversToView_ = false;
        if (auto view = touch_->view()) {
            UIEvent event;
            event.timestamp_ = touch_->timestamp_;
            event.touches_ = {touch_};
            touch_->phase_ = UITouchPhase::cancelled;
            view->touchesCancelled(event.touches_, &event);
        }
    }
}

// ---- Scrolling, text and keys -------------------------------------------------------------

bool UIWindow::handleScroll(CGPoint location, CGFloat deltaX, CGFloat deltaY) {
    auto hit = hitTest(convertPointFromView(location, nullptr), nullptr);
    return hit && hit->scrollWheel(deltaX, deltaY);
}

void UIWindow::handleTextInput(const std::string& text) {
    if (auto responder = UIResponder::currentFirstResponder(); responder && responder->acceptsTextInput()) {
        responder->insertText(text);
    }
}

void UIWindow::handleMarkedText(const std::string& text) {
    if (auto responder = UIResponder::currentFirstResponder(); responder && responder->acceptsTextInput()) {
        responder->setMarkedText(text);
    }
}

void UIWindow::handleDeleteBackward() {
    if (auto responder = UIResponder::currentFirstResponder(); responder && responder->acceptsTextInput()) {
        responder->deleteBackward();
    }
}

void UIWindow::handleKeyCommand(UIKeyCommand command) {
    if (auto responder = UIResponder::currentFirstResponder()) {
        responder->keyCommand(command);
    }
}
