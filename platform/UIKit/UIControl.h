#pragma once

#include "platform/UIKit/UIView.h"

#include <cstdint>
#include <functional>
#include <vector>

using UIControlEvents = unsigned;
inline constexpr UIControlEvents UIControlEventTouchDown = 1u << 0;
inline constexpr UIControlEvents UIControlEventTouchDownRepeat = 1u << 1;
inline constexpr UIControlEvents UIControlEventTouchDragInside = 1u << 2;
inline constexpr UIControlEvents UIControlEventTouchDragOutside = 1u << 3;
inline constexpr UIControlEvents UIControlEventTouchDragEnter = 1u << 4;
inline constexpr UIControlEvents UIControlEventTouchDragExit = 1u << 5;
inline constexpr UIControlEvents UIControlEventTouchUpInside = 1u << 6;
inline constexpr UIControlEvents UIControlEventTouchUpOutside = 1u << 7;
inline constexpr UIControlEvents UIControlEventTouchCancel = 1u << 8;
inline constexpr UIControlEvents UIControlEventValueChanged = 1u << 12;
inline constexpr UIControlEvents UIControlEventPrimaryActionTriggered = 1u << 13;
inline constexpr UIControlEvents UIControlEventEditingDidBegin = 1u << 16;
inline constexpr UIControlEvents UIControlEventEditingChanged = 1u << 17;
inline constexpr UIControlEvents UIControlEventEditingDidEnd = 1u << 18;
inline constexpr UIControlEvents UIControlEventEditingDidEndOnExit = 1u << 19;
inline constexpr UIControlEvents UIControlEventAllTouchEvents = 0x00000FFFu;
inline constexpr UIControlEvents UIControlEventAllEditingEvents = 0x000F0000u;
inline constexpr UIControlEvents UIControlEventAllEvents = 0xFFFFFFFFu;

using UIControlState = unsigned;
inline constexpr UIControlState UIControlStateNormal = 0;
inline constexpr UIControlState UIControlStateHighlighted = 1u << 0;
inline constexpr UIControlState UIControlStateDisabled = 1u << 1;
inline constexpr UIControlState UIControlStateSelected = 1u << 2;

enum class UIControlContentHorizontalAlignment { center, left, right, fill, leading, trailing };
enum class UIControlContentVerticalAlignment { center, top, bottom, fill };

// A view that turns touches into events (touch down, touch up inside, value changed,
// editing changed, ...) and sends them to the actions registered for them. Disabled
// controls take no touches: they pass them to the views beneath.
class UIControl : public UIView {
  public:
    using UIView::UIView;
    using Action = std::function<void(UIControl& sender)>;
    using ActionId = std::uint64_t;

    // Runs `action` for each of `events`; answers an id for removeTarget.
    ActionId addTarget(Action action, UIControlEvents events);
    void removeTarget(ActionId id);
    void removeAllTargets() { targets_.clear(); }
    // Whether an action is registered for any of `events`.
    bool hasTargetForControlEvents(UIControlEvents events) const;
    void sendActionsForControlEvents(UIControlEvents events);

    bool isEnabled() const { return enabled_; }
    virtual void setEnabled(bool enabled);
    bool isSelected() const { return selected_; }
    virtual void setSelected(bool selected);
    bool isHighlighted() const { return highlighted_; }
    virtual void setHighlighted(bool highlighted);
    bool isTracking() const { return tracking_; }
    bool isTouchInside() const { return touchInside_; }
    UIControlState state() const;

    UIControlContentHorizontalAlignment contentHorizontalAlignment =
        UIControlContentHorizontalAlignment::center;
    UIControlContentVerticalAlignment contentVerticalAlignment = UIControlContentVerticalAlignment::center;

    std::shared_ptr<UIView> hitTest(CGPoint point, UIEvent* event) override;
    void touchesBegan(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent* event) override;
    void touchesMoved(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent* event) override;
    void touchesEnded(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent* event) override;
    void touchesCancelled(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent* event) override;

  protected:
    // Called after enabled, selected or highlighted changed.
    virtual void stateDidChange() {}

  private:
    struct Target {
        ActionId id;
        Action action;
        UIControlEvents events;
    };
    bool isInsideForTracking(CGPoint point) const;

    std::vector<Target> targets_;
    ActionId nextId_ = 1;
    bool enabled_ = true;
    bool selected_ = false;
    bool highlighted_ = false;
    bool tracking_ = false;
    bool touchInside_ = false;
};
