#pragma once

#include "platform/CoreGraphics/CGGeometry.h"
#include "platform/UIKit/Controllers/UIViewControllerTypes.h"

#include <functional>
#include <memory>
#include <vector>

class UIView;
class UIWindow;
class SJRotationManager;
class SJFullscreenViewController;

enum class SJOrientation {
    Portrait,
    // The interface turned to landscape with the device's housing on the left...
    LandscapeLeft,
    // ...or on the right.
    LandscapeRight,
};

// Told when a rotation starts and ends. `isTransitioning` is true from the moment the
// rotation is decided (isFullscreen() already answers the new state) until the view is in
// its new place; `isRotating` covers the animation.
struct SJRotationObservation {
    std::function<void(SJRotationManager& manager, bool isRotating)> onRotatingChanged;
    std::function<void(SJRotationManager& manager, bool isTransitioning)> onTransitioningChanged;
};

// Full screen for a player: the player's content view moves out of its place into a
// window of its own over the page's window, and the interface turns to landscape (on a
// desktop the window turns: its sides swap). The page's window keeps its portrait layout
// meanwhile, since its pages do not turn. Going back turns the interface upright, moves
// the content home and lets the window go. The device has no orientation of its own
// here, so automatic rotation never happens; `setDisabledAutorotation` is kept for the
// callers that set it. Main thread only.
class SJRotationManager {
  public:
    static constexpr double animationDuration = 0.3;

    // `superview` is where `target` lives in portrait; both are held weakly.
    SJRotationManager(const std::shared_ptr<UIView>& superview, const std::shared_ptr<UIView>& target);
    ~SJRotationManager();
    SJRotationManager(const SJRotationManager&) = delete;
    SJRotationManager& operator=(const SJRotationManager&) = delete;

    // What the application answers the platform for a window: the full-screen window of a
    // player takes the orientation its player asks for; every other window is portrait.
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

    // The window that shows the player in full screen (null in portrait).
    const std::shared_ptr<UIWindow>& fullscreenWindow() const { return window_; }
    // What the status bar, the sensor housing and the home indicator take of the turned
    // screen, for the controls to keep clear of.
    static UIEdgeInsets landscapeSafeAreaInsets();

  private:
    void enterFullscreen(UIWindow& home, UIView& target, bool animated, std::function<void()> done);
    void exitFullscreen(UIView& home, UIView& target, bool animated, std::function<void()> done);
    // Asks the application to turn the interface to the manager's orientation.
    void turnInterface();
    // Hides the full-screen window and gives the key back to the window before it.
    void closeWindow();
    // Sets the flag the member reports and tells the observers.
    template <typename Member> void tell(Member member, bool value);

    std::weak_ptr<UIView> superview_;
    std::weak_ptr<UIView> target_;
    std::shared_ptr<UIWindow> window_;
    std::shared_ptr<SJFullscreenViewController> controller_;
    std::weak_ptr<UIWindow> previousKeyWindow_;
    SJOrientation orientation_ = SJOrientation::Portrait;
    bool rotating_ = false;
    bool transitioning_ = false;
    bool disabledAutorotation_ = false;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    std::vector<std::weak_ptr<SJRotationObservation>> observers_;
};
