#pragma once

#include "platform/UIKit/Controllers/UIViewController.h"

#include <functional>
#include <memory>

class UIWindow;

enum class QMUIModalPresentationAnimationStyle { fade = 0, popup = 1, slide = 2 };

// A pop-up over the dimmed screen: a content view laid out by a layout block (centred
// by default), shown in a window of its own above the application's window. It fades,
// pops up or slides up from the bottom when shown and goes the same way when hidden; a
// tap on the dimmed area hides it (unless it is modal). While shown, its window keeps
// it alive; once hidden, nothing does.
class QMUIModalPresentationViewController : public UIViewController {
  public:
    static constexpr double kAnimationDuration = 0.25;

    // (container bounds, keyboard height, the default frame of the content view)
    using LayoutBlock =
        std::function<void(CGRect containerBounds, CGFloat keyboardHeight, CGRect contentViewDefaultFrame)>;

    QMUIModalPresentationViewController();
    ~QMUIModalPresentationViewController() override;

    const std::shared_ptr<UIView>& contentView() const { return contentView_; }
    void setContentView(std::shared_ptr<UIView> view);
    // Space kept around the content view in the default layout.
    UIEdgeInsets contentViewMargins() const { return contentViewMargins_; }
    void setContentViewMargins(const UIEdgeInsets& margins);
    QMUIModalPresentationAnimationStyle animationStyle() const { return animationStyle_; }
    void setAnimationStyle(QMUIModalPresentationAnimationStyle style) { animationStyle_ = style; }
    // Places the content view itself instead of the default centred layout.
    void setLayoutBlock(LayoutBlock block);
    // Lies over the whole screen under the content view (dark by default).
    const std::shared_ptr<UIView>& dimmingView();
    // A modal pop-up ignores taps on the dimmed area.
    bool isModal() const { return modal_; }
    void setModal(bool modal) { modal_ = modal; }
    bool isVisible() const { return visible_; }

    // Run around a hide caused by a tap on the dimmed area.
    std::function<void()> willHideByDimmingViewTappedBlock;
    std::function<void()> didHideByDimmingViewTappedBlock;

    // Shows the pop-up in its own window; `completion` runs once it is in place (with
    // whether the animation ran its course). Nothing happens while it is shown already.
    void showWithAnimated(bool animated, std::function<void(bool finished)> completion = nullptr);
    // Hides the pop-up and closes its window; `completion` runs once it is gone.
    void hideWithAnimated(bool animated, std::function<void(bool finished)> completion = nullptr);

    void viewDidLoad() override;

  protected:
    void layoutChildViews() override;

  private:
    void dimmingViewTapped();
    void applyAnimationState(bool hidden);

    std::shared_ptr<UIView> contentView_;
    std::shared_ptr<UIView> dimmingView_;
    UIEdgeInsets contentViewMargins_{20, 20, 20, 20};
    QMUIModalPresentationAnimationStyle animationStyle_ = QMUIModalPresentationAnimationStyle::fade;
    LayoutBlock layoutBlock_;
    bool modal_ = false;
    bool visible_ = false;
    bool hiding_ = false;
    std::shared_ptr<UIWindow> window_;
    std::weak_ptr<UIWindow> previousKeyWindow_;
};
