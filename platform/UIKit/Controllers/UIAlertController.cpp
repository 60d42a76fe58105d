#include "platform/UIKit/Controllers/UIAlertController.h"

#include "platform/Foundation/Log.h"
#include "platform/UIKit/Controllers/UIAlertCardView.h"
#include "platform/UIKit/Controllers/UIPresentationController.h"
#include "platform/UIKit/Controls/UITextField.h"
#include "platform/UIKit/UITapGestureRecognizer.h"

#include <algorithm>

namespace {

constexpr CGFloat kAlertWidth = 270;
// The least room an alert leaves between itself and the edges of the safe area.
constexpr CGFloat kAlertMargin = 16;
constexpr CGFloat kSheetMargin = 8;
constexpr CGFloat kTextFieldCornerRadius = 4;
constexpr CGFloat kDimmingAlpha = 0.2;
constexpr double kAlertDuration = 0.25;
constexpr double kSheetDuration = 0.3;
constexpr double kAlertStartScale = 1.15;

// Dims the screen; the alert fades in from slightly larger, the sheet rises from below.
class AlertPresentationController : public UIPresentationController {
  public:
    AlertPresentationController(const std::shared_ptr<UIViewController>& presented,
                                const std::shared_ptr<UIViewController>& presenting,
                                UIAlertControllerStyle style)
        : UIPresentationController(presented, presenting), style_(style) {}

    void presentationTransitionWillBegin() override {
        dimmingView_ = std::make_shared<UIView>(containerView()->bounds());
        dimmingView_->setBackgroundColor(UIColor::blackColor());
        dimmingView_->setAlpha(kDimmingAlpha);
        containerView()->addSubview(dimmingView_);
    }

    void applyTransitionState(bool offScreen) override {
        dimmingView_->setAlpha(offScreen ? 0 : kDimmingAlpha);
        auto view = presentedView();
        if (!view) {
            return;
        }
        if (style_ == UIAlertControllerStyle::alert) {
            view->setAlpha(offScreen ? 0 : 1);
            view->setTransform(offScreen ? CGAffineTransformMakeScale(kAlertStartScale, kAlertStartScale)
                                         : CGAffineTransformIdentity);
        } else {
            view->setTransform(offScreen
                                   ? CGAffineTransformMakeTranslation(0, containerView()->bounds().height())
                                   : CGAffineTransformIdentity);
        }
    }

    double transitionDuration() const override {
        return style_ == UIAlertControllerStyle::alert ? kAlertDuration : kSheetDuration;
    }

  private:
    UIAlertControllerStyle style_;
    std::shared_ptr<UIView> dimmingView_;
};

} // namespace

// ---- Actions -------------------------------------------------------------------------

std::shared_ptr<UIAlertAction> UIAlertAction::actionWithTitle(const std::string& title,
                                                              UIAlertActionStyle style, Handler handler) {
    return std::make_shared<UIAlertAction>(title, style, std::move(handler));
}

UIAlertAction::UIAlertAction(std::string title, UIAlertActionStyle style, Handler handler)
    : title_(std::move(title)), style_(style), handler_(std::move(handler)) {}

// ---- The controller ------------------------------------------------------------------

std::shared_ptr<UIAlertController>
UIAlertController::alertControllerWithTitle(std::optional<std::string> title,
                                            std::optional<std::string> message,
                                            UIAlertControllerStyle preferredStyle) {
    return std::make_shared<UIAlertController>(std::move(title), std::move(message), preferredStyle);
}

UIAlertController::UIAlertController(std::optional<std::string> title, std::optional<std::string> message,
                                     UIAlertControllerStyle preferredStyle)
    : alertTitle_(std::move(title)), message_(std::move(message)), preferredStyle_(preferredStyle) {
    setModalPresentationStyle(UIModalPresentationStyle::custom);
}

UIAlertController::~UIAlertController() = default;

void UIAlertController::addAction(std::shared_ptr<UIAlertAction> action) {
    if (!action) {
        return;
    }
    // An action sheet shows its cancel button last.
    if (preferredStyle_ == UIAlertControllerStyle::actionSheet && !actions_.empty() &&
        actions_.back()->style() == UIAlertActionStyle::cancel) {
        actions_.insert(actions_.end() - 1, std::move(action));
        return;
    }
    actions_.push_back(std::move(action));
}

std::shared_ptr<UIPresentationController> UIAlertController::presentationControllerForPresentation(
    const std::shared_ptr<UIViewController>& presenting) {
    return std::make_shared<AlertPresentationController>(sharedController(), presenting, preferredStyle_);
}

void UIAlertController::addTextFieldWithConfigurationHandler(
    const std::function<void(UITextField&)>& configurationHandler) {
    if (preferredStyle_ != UIAlertControllerStyle::alert) {
        consoleLog("[UIAlertController] An action sheet takes no text fields");
        return;
    }
    auto field = std::make_shared<UITextField>();
    field->setFont(UIFont::systemFontOfSize(13));
    field->setBackgroundColor(UIColor::whiteColor());
    field->layer()->setBorderWidth(0.5);
    field->layer()->setBorderColor(UIColor::colorWithWhite(0, 0.25));
    field->layer()->setCornerRadius(kTextFieldCornerRadius);
    if (configurationHandler) {
        configurationHandler(*field);
    }
    textFields_.push_back(field);
    if (card_) {
        card_->addTextField(field);
    }
}

void UIAlertController::viewDidLoad() {
    UIViewController::viewDidLoad();
    const bool alert = preferredStyle_ == UIAlertControllerStyle::alert;
    card_ = std::make_shared<UIAlertCardView>(preferredStyle_, alertTitle_, message_);
    view()->addSubview(card_);
    for (const auto& field : textFields_) {
        card_->addTextField(field);
    }
    std::weak_ptr<UIAlertController> weakSelf =
        std::static_pointer_cast<UIAlertController>(sharedController());
    for (const auto& field : textFields_) {
        // Return in a field does what Return does for the alert.
        field->addTarget(
            [weakSelf](UIControl&) {
                if (auto self = weakSelf.lock()) {
                    self->performAction(self->returnKeyAction());
                }
            },
            UIControlEventEditingDidEndOnExit);
    }
    const auto cancel = cancelAction();
    // A column of three or more alert buttons ends with the cancel button, which stays in
    // sight while the others scroll; an action sheet shows it on a card of its own.
    const bool pinsCancel = alert && cancel && actions_.size() > 2;
    if (!alert && cancel) {
        cancelCard_ = std::make_shared<UIAlertCardView>(preferredStyle_, std::nullopt, std::nullopt);
        view()->addSubview(cancelCard_);
    }
    const CGFloat fontSize = alert ? 17 : 20;
    for (const auto& action : actions_) {
        auto button = std::make_shared<UIAlertActionButton>(action, fontSize);
        std::weak_ptr<UIAlertAction> weakAction = action;
        button->addTarget(
            [weakSelf, weakAction](UIControl&) {
                auto self = weakSelf.lock();
                auto tapped = weakAction.lock();
                if (self && tapped) {
                    self->performAction(tapped);
                }
            },
            UIControlEventTouchUpInside);
        if (action == cancel && cancelCard_) {
            cancelCard_->addButton(button);
        } else if (action == cancel && pinsCancel) {
            card_->setPinnedButton(button);
        } else {
            card_->addButton(button);
        }
    }
    card_->setHidden(card_->isEmpty());
    if (!alert) {
        view()->addGestureRecognizer(
            std::make_shared<UITapGestureRecognizer>([weakSelf](UIGestureRecognizer& tap) {
                auto self = weakSelf.lock();
                if (self && !self->cardsContain(tap.locationInView(self->view().get()))) {
                    self->dimmingTapped();
                }
            }));
    }
}

void UIAlertController::viewDidAppear(bool animated) {
    UIViewController::viewDidAppear(animated);
    // Keys go to the alert while it is shown: to its first field, else to the alert itself.
    if (textFields_.empty() || !textFields_.front()->becomeFirstResponder()) {
        becomeFirstResponder();
    }
    card_->flashScrollIndicators();
}

void UIAlertController::viewWillDisappear(bool animated) {
    UIViewController::viewWillDisappear(animated);
    resignFirstResponder();
}

void UIAlertController::viewWillLayoutSubviews() {
    UIViewController::viewWillLayoutSubviews();
    if (!card_) {
        return;
    }
    const CGRect bounds = view()->bounds();
    const UIEdgeInsets safe = view()->safeAreaInsets();
    if (preferredStyle_ == UIAlertControllerStyle::alert) {
        // Centred on the screen, and always inside the safe area.
        const CGFloat top = safe.top + kAlertMargin;
        const CGFloat bottom = bounds.height() - safe.bottom - kAlertMargin;
        const CGFloat height = card_->fittingHeight(kAlertWidth, bottom - top);
        const CGFloat y = std::clamp((bounds.height() - height) / 2, top, std::max(top, bottom - height));
        card_->setFrame({{(bounds.width() - kAlertWidth) / 2, y}, {kAlertWidth, height}});
        return;
    }
    const CGFloat width = bounds.width() - 2 * kSheetMargin;
    CGFloat bottom = bounds.height() - std::max(kSheetMargin, safe.bottom);
    if (cancelCard_) {
        const CGFloat height = cancelCard_->fittingHeight(width, CGFLOAT_MAX);
        cancelCard_->setFrame({{kSheetMargin, bottom - height}, {width, height}});
        bottom -= height + kSheetMargin;
    }
    const CGFloat top = safe.top + kSheetMargin;
    const CGFloat height = card_->fittingHeight(width, std::max<CGFloat>(0, bottom - top));
    card_->setFrame({{kSheetMargin, bottom - height}, {width, height}});
}

bool UIAlertController::keyCommand(UIKeyCommand command) {
    switch (command) {
    case UIKeyCommand::returnKey:
        if (auto action = returnKeyAction()) {
            performAction(action);
            return true;
        }
        return false;
    case UIKeyCommand::escape:
        if (auto action = cancelAction()) {
            performAction(action);
            return true;
        }
        return false;
    default:
        return UIViewController::keyCommand(command);
    }
}

void UIAlertController::performAction(const std::shared_ptr<UIAlertAction>& action) {
    auto presentation = presentationController();
    if (!action || !action->isEnabled() || performing_ || !presentation || presentation->isTransitioning()) {
        return;
    }
    performing_ = true;
    view()->endEditing(true);
    resignFirstResponder();
    auto handler = action->handler();
    dismissViewControllerAnimated(true, [action, handler] {
        if (handler) {
            handler(*action);
        }
    });
}

std::shared_ptr<UIAlertAction> UIAlertController::cancelAction() const {
    auto cancel = std::find_if(actions_.begin(), actions_.end(), [](const auto& action) {
        return action->style() == UIAlertActionStyle::cancel;
    });
    return cancel == actions_.end() ? nullptr : *cancel;
}

std::shared_ptr<UIAlertAction> UIAlertController::returnKeyAction() const {
    // An action sheet offers choices of equal weight: Return picks none of them.
    if (preferredStyle_ != UIAlertControllerStyle::alert) {
        return nullptr;
    }
    if (actions_.size() == 1) {
        return actions_.front();
    }
    // Return never picks a destructive action, nor one of several that could be meant.
    std::shared_ptr<UIAlertAction> found;
    for (const auto& action : actions_) {
        if (action->style() == UIAlertActionStyle::defaultStyle) {
            if (found) {
                return nullptr;
            }
            found = action;
        }
    }
    return found;
}

bool UIAlertController::cardsContain(CGPoint point) const {
    return (card_ && !card_->isHidden() && card_->frame().contains(point)) ||
           (cancelCard_ && cancelCard_->frame().contains(point));
}

void UIAlertController::dimmingTapped() {
    performAction(cancelAction());
}
