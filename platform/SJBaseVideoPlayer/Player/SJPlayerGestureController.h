#pragma once

#include "platform/CoreGraphics/CGGeometry.h"
#include "platform/Foundation/RunLoop.h"

#include <array>
#include <functional>
#include <memory>

class UIGestureRecognizer;
class UILongPressGestureRecognizer;
class UIPanGestureRecognizer;
class UITapGestureRecognizer;
class UIView;

// The gestures a player answers, one bit each.
using SJPlayerGestureTypeMask = unsigned;
inline constexpr SJPlayerGestureTypeMask SJPlayerGestureTypeMask_None = 0;
inline constexpr SJPlayerGestureTypeMask SJPlayerGestureTypeMask_SingleTap = 1u << 0;
inline constexpr SJPlayerGestureTypeMask SJPlayerGestureTypeMask_DoubleTap = 1u << 1;
// Two-finger pinches: a mouse has one finger, so none ever arrives on this platform.
inline constexpr SJPlayerGestureTypeMask SJPlayerGestureTypeMask_Pinch = 1u << 3;
inline constexpr SJPlayerGestureTypeMask SJPlayerGestureTypeMask_LongPress = 1u << 4;
inline constexpr SJPlayerGestureTypeMask SJPlayerGestureTypeMask_Pan_H = 1u << 8;
inline constexpr SJPlayerGestureTypeMask SJPlayerGestureTypeMask_Pan_V = 1u << 9;
inline constexpr SJPlayerGestureTypeMask SJPlayerGestureTypeMask_Pan =
    SJPlayerGestureTypeMask_Pan_H | SJPlayerGestureTypeMask_Pan_V;
inline constexpr SJPlayerGestureTypeMask SJPlayerGestureTypeMask_Default =
    SJPlayerGestureTypeMask_SingleTap | SJPlayerGestureTypeMask_DoubleTap | SJPlayerGestureTypeMask_Pan |
    SJPlayerGestureTypeMask_Pinch;
inline constexpr SJPlayerGestureTypeMask SJPlayerGestureTypeMask_All =
    SJPlayerGestureTypeMask_Default | SJPlayerGestureTypeMask_LongPress;

enum class SJPlayerGestureType { SingleTap, DoubleTap, Pan, Pinch, LongPress };
enum class SJPanGestureMovingDirection { H, V };
// Which half of the view a pan started in.
enum class SJPanGestureTriggeredPosition { Left, Right };
enum class SJPanGestureRecognizerState { Began, Changed, Ended };
enum class SJLongPressGestureRecognizerState { Began, Changed, Ended };

// The gestures on a player's view: a single tap, a double tap (a single tap then waits
// `doubleTapInterval` for a second one), a pan that is horizontal or vertical by its first
// movement, and a long press. Each is answered only when its type is supported and
// `gestureRecognizerShouldTrigger` agrees for the touched point; the handlers decide
// what the gesture does. Main thread only.
class SJPlayerGestureController {
  public:
    static constexpr double doubleTapInterval = 0.25;

    using TapHandler = std::function<void(SJPlayerGestureController& control, CGPoint location)>;
    using PanHandler = std::function<void(
        SJPlayerGestureController& control, SJPanGestureTriggeredPosition position,
        SJPanGestureMovingDirection direction, SJPanGestureRecognizerState state, CGPoint translate)>;
    using LongPressHandler =
        std::function<void(SJPlayerGestureController& control, SJLongPressGestureRecognizerState state)>;
    using TriggerFilter =
        std::function<bool(SJPlayerGestureController& control, SJPlayerGestureType type, CGPoint location)>;

    // Watches `view` (held weakly).
    explicit SJPlayerGestureController(const std::shared_ptr<UIView>& view);
    ~SJPlayerGestureController();
    SJPlayerGestureController(const SJPlayerGestureController&) = delete;
    SJPlayerGestureController& operator=(const SJPlayerGestureController&) = delete;

    SJPlayerGestureTypeMask supportedGestureTypes() const { return supported_; }
    void setSupportedGestureTypes(SJPlayerGestureTypeMask types);

    TriggerFilter gestureRecognizerShouldTrigger;
    // For the owner of the view: whether a touch on `touched` (a view inside it) may start
    // a gesture at all; no filter means yes.
    std::function<bool(const UIView& touched)> touchFilter;
    TapHandler singleTapHandler;
    TapHandler doubleTapHandler;
    PanHandler panHandler;
    LongPressHandler longPressHandler;

    // The pan under way (or the last one).
    SJPanGestureMovingDirection movingDirection() const { return movingDirection_; }
    SJPanGestureTriggeredPosition triggeredPosition() const { return triggeredPosition_; }
    bool isPanning() const { return panning_; }
    bool isLongPressing() const { return longPressing_; }

  private:
    class Filter;
    std::array<std::shared_ptr<UIGestureRecognizer>, 3> recognizers() const;
    bool supports(SJPlayerGestureType type) const;
    bool shouldTriggerAt(SJPlayerGestureType type, CGPoint location);
    bool panShouldBegin(UIPanGestureRecognizer& pan);
    void tapped(CGPoint location);
    void firePendingSingleTap();
    void cancelPendingSingleTap();
    void panned(UIPanGestureRecognizer& pan);
    void longPressed(UILongPressGestureRecognizer& press);

    std::weak_ptr<UIView> view_;
    SJPlayerGestureTypeMask supported_ = SJPlayerGestureTypeMask_Default;
    std::shared_ptr<Filter> filter_;
    std::shared_ptr<UITapGestureRecognizer> tap_;
    std::shared_ptr<UIPanGestureRecognizer> pan_;
    std::shared_ptr<UILongPressGestureRecognizer> longPress_;
    RunLoop::TaskId pendingSingleTap_ = 0;
    CGPoint pendingLocation_;
    SJPanGestureMovingDirection movingDirection_ = SJPanGestureMovingDirection::H;
    SJPanGestureTriggeredPosition triggeredPosition_ = SJPanGestureTriggeredPosition::Left;
    bool panning_ = false;
    bool longPressing_ = false;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};
