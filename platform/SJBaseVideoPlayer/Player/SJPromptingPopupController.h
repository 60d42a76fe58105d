#pragma once

#include "platform/Foundation/RunLoop.h"
#include "platform/UIKit/NSAttributedString.h"
#include "platform/UIKit/UIView.h"

#include <memory>
#include <vector>

// Short texts a player shows over its picture: each in a small dark box at the bottom
// left, the newest lowest, older ones pushed up. Each stays for its duration, then fades
// and goes; `clear` takes them all away at once. The views accept touches (a caller may
// give one a tap action); the rest of the area lets touches through. Main thread only.
class SJPromptingPopupController {
  public:
    static constexpr double defaultDuration = 3.0;
    static constexpr double fadeDuration = 0.25;

    SJPromptingPopupController();
    ~SJPromptingPopupController();
    SJPromptingPopupController(const SJPromptingPopupController&) = delete;
    SJPromptingPopupController& operator=(const SJPromptingPopupController&) = delete;

    // The area the prompts appear in; the player lays it over its picture.
    const std::shared_ptr<UIView>& view() const { return view_; }

    void show(const NSAttributedString& title);
    void show(const NSAttributedString& title, double duration);
    // Removes every prompt now.
    void clear();
    bool isShowing() const { return !prompts_.empty(); }
    // The prompts on screen, oldest first.
    std::vector<std::shared_ptr<UIView>> displayingViews() const;

    // Distances of the lowest prompt from the area's left and bottom edges.
    UIEdgeInsets contentInsets() const { return contentInsets_; }
    void setContentInsets(const UIEdgeInsets& insets);
    // Space between stacked prompts.
    static constexpr CGFloat spacing = 8;

  private:
    class AreaView;
    struct Prompt {
        std::shared_ptr<UIView> view;
        RunLoop::TaskId expiry = 0;
    };
    void expire(const UIView* view);
    void layoutPrompts();

    std::shared_ptr<UIView> view_;
    std::vector<Prompt> prompts_;
    UIEdgeInsets contentInsets_{0, 16, 60, 16};
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};
