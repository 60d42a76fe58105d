#pragma once

#include "platform/CoreGraphics/CGGeometry.h"
#include "platform/UIKit/Controllers/UIViewControllerTypes.h"

#include <functional>
#include <memory>
#include <vector>

class UIView;
class UIWindow;
class SJRotationManager;

enum class SJOrientation {
    Portrait,
    // The interface turned a quarter to the left of the device (its top at the window's
    // right edge)...
    LandscapeLeft,
    // ...or to the right (its top at the window's left edge).
    LandscapeRight,
};

// Told when a rotation starts and ends. `isTransitioning` is true from the moment the
// rotation is decided (isFullscreen() already answers the new state) until the view is in
// its new place; `isRotating` covers the animation.
struct SJRotationObservation {
    std::function<void(SJRotationManager& manager, bool isRotating)> onRotatingChanged;
    std::function<void(SJRotationManager& manager, bool isTransitioning)> onTransitioningChanged;
};

// Full screen for a player on a portrait desktop window: the window itself never turns,
// so the player's content view is moved out of its place into a black container over the
// whole window and turned a quarter, laid out for the landscape size; going back moves
// it home. The device has no orientation of its own here, so automatic rotation never
// happens; `setDisabledAutorotation` is kept for the callers that set it. Main thread only.
class SJRotationManager {
  public:
    static constexpr double animationDuration = 0.3;

    // `superview` is where `target` lives in portrait; both are held weakly.
    SJRotationManager(const std::shared_ptr<UIView>& superview, const std::shared_ptr<UIView>& target);
    ~SJRotationManager();
    SJRotationManager(const SJRotationManager&) = delete;
    SJRotationManager& operator=(const SJRotationManager&) = delete;

    // What the application answers the platform for a window: landscape while a player
    // in that window is in full screen, else portrait.
    static UIInterfaceOrientationMask supportedInterfaceOrientationsForWindow(UIWindow* window);

    SJOrientation currentOrientation() const { return orientation_; }
    bool isFullscreen() const { return orientation_ != SJOrientation::Portrait; }
    bool isRotating() const { return rotating_; }
    bool isTransitioning() const { return transitioning_; }
    bool isDisabledAutorotation() const { return disabledAutorotation_; }
    void setDisabledAutorotation(bool disabled) { disabledAutorotation_ = disabled; }

    // Asked before every rotation; no answer means yes.
    std::function<bool(SJRotationManager& manager)> shouldTriggerRotation;

    // Portrait to landscape (left) and back.
    void rotate();
    // Ignored while a rotation is under way, when refused, or when the target's home is
    // not in a window; `completion` then does not run.
    void rotate(SJOrientation orientation, bool animated,
                std::function<void(SJRotationManager&)> completion = {});

    // The observation lives as long as the answer is held.
    [[nodiscard]] std::shared_ptr<SJRotationObservation> getObserver();

    // The full-window container while in full screen (null in portrait).
    const std::shared_ptr<UIView>& fullscreenContainer() const { return container_; }
    // What the status bar and the home indicator take of the landscape area, for the
    // controls to keep clear of.
    static UIEdgeInsets landscapeSafeAreaInsets();

  private:
    void enterFullscreen(UIWindow& window, UIView& target, bool animated, std::function<void()> done);
    void exitFullscreen(UIView& home, UIView& target, bool animated, std::function<void()> done);
    void turn(UIView& target, const CGRect& windowBounds, bool animated, std::function<void()> done);
    // Sets the flag the member reports and tells the observers.
    template <typename Member> void tell(Member member, bool value);

    std::weak_ptr<UIView> superview_;
    std::weak_ptr<UIView> target_;
    std::shared_ptr<UIView> container_;
    SJOrientation orientation_ = SJOrientation::Portrait;
    bool rotating_ = false;
    bool transitioning_ = false;
    bool disabledAutorotation_ = false;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    std::vector<std::weak_ptr<SJRotationObservation>> observers_;
};
