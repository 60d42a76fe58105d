#include "platform/UIKit/Controllers/UIAlertController.h"

#include "platform/Foundation/Log.h"
#include "platform/UIKit/Controllers/UIPresentationController.h"
#include "platform/UIKit/Controls/UITextField.h"
#include "platform/UIKit/UIControl.h"
#include "platform/UIKit/UILabel.h"
#include "platform/UIKit/UIScreen.h"
#include "platform/UIKit/UITapGestureRecognizer.h"

#include <algorithm>

namespace {

constexpr CGFloat kAlertWidth = 270;
constexpr CGFloat kAlertCornerRadius = 14;
constexpr CGFloat kAlertButtonHeight = 44;
constexpr CGFloat kSheetMargin = 8;
constexpr CGFloat kSheetCornerRadius = 13;
constexpr CGFloat kSheetButtonHeight = 57;
constexpr CGFloat kHeaderPadding = 20;
constexpr CGFloat kTextFieldHeight = 30;
constexpr CGFloat kTextFieldInset = 16;
constexpr CGFloat kTextFieldSpacing = 8;
constexpr CGFloat kDimmingAlpha = 0.2;
constexpr double kAlertDuration = 0.25;
constexpr double kSheetDuration = 0.3;
constexpr double kAlertStartScale = 1.15;

UIColor systemRed() {
    return UIColor::colorWithRed(1, 59 / 255.0, 48 / 255.0, 1);
}
UIColor separatorColor() {
    return UIColor::colorWithWhite(0, 0.15);
}
UIColor cardColor() {
    return UIColor::colorWithWhite(0.97, 0.98);
}

} // namespace

// One button of the card: the action's title, centred; grey while pressed.
class UIAlertActionButton : public UIControl {
  public:
    UIAlertActionButton(std::shared_ptr<UIAlertAction> action, CGFloat fontSize)
        : action_(std::move(action)), label_(std::make_shared<UILabel>()) {
        label_->setText(action_->title());
        label_->setTextAlignment(NSTextAlignment::center);
        const bool cancel = action_->style() == UIAlertActionStyle::cancel;
        label_->setFont(
            UIFont::systemFontOfSize(fontSize, cancel ? UIFontWeightSemibold : UIFontWeightRegular));
        label_->setUserInteractionEnabled(false);
        setAccessibilityLabel(action_->title());
        setEnabled(action_->isEnabled());
        updateColors();
    }

    const std::shared_ptr<UIAlertAction>& action() const { return action_; }

    void didMoveToSuperview() override {
        UIControl::didMoveToSuperview();
        if (!label_->superview()) {
            addSubview(label_);
        }
    }

    void layoutSubviews() override {
        UIControl::layoutSubviews();
        label_->setFrame(bounds().insetBy(8, 0));
    }

  protected:
    void stateDidChange() override { updateColors(); }
    void tintColorDidChange() override { updateColors(); }

  private:
    void updateColors() {
        UIColor color = action_->style() == UIAlertActionStyle::destructive ? systemRed() : tintColor();
        if (!isEnabled()) {
            color = color.colorWithAlphaComponent(0.35);
        }
        label_->setTextColor(color);
        setBackgroundColor(isHighlighted() ? std::optional(UIColor::colorWithWhite(0, 0.08)) : std::nullopt);
    }

    std::shared_ptr<UIAlertAction> action_;
    std::shared_ptr<UILabel> label_;
};

// The card of an alert or of one group of an action sheet: a header (title and message)
// over a column (or, for two alert buttons, a row) of buttons split by hairlines.
class UIAlertCardView : public UIView {
  public:
    UIAlertCardView(UIAlertControllerStyle style, const std::optional<std::string>& title,
                    const std::optional<std::string>& message)
        : style_(style) {
        const bool alert = style == UIAlertControllerStyle::alert;
        setBackgroundColor(cardColor());
        layer()->setCornerRadius(alert ? kAlertCornerRadius : kSheetCornerRadius);
        setClipsToBounds(true);
        if (title && !title->empty()) {
            titleLabel_ = makeLabel(*title,
                                    alert ? UIFont::systemFontOfSize(17, UIFontWeightSemibold)
                                          : UIFont::systemFontOfSize(13, UIFontWeightSemibold),
                                    alert ? UIColor::blackColor() : UIColor::colorWithWhite(0.55, 1));
        }
        if (message && !message->empty()) {
            messageLabel_ = makeLabel(*message, UIFont::systemFontOfSize(13),
                                      alert ? UIColor::blackColor() : UIColor::colorWithWhite(0.55, 1));
        }
    }

    void didMoveToSuperview() override {
        UIView::didMoveToSuperview();
        for (const auto& label : {titleLabel_, messageLabel_}) {
            if (label && !label->superview()) {
                insertSubview(label, 0);
            }
        }
    }

    void addTextField(const std::shared_ptr<UITextField>& field) {
        addSubview(field);
        textFields_.push_back(field);
    }

    void addButton(const std::shared_ptr<UIAlertActionButton>& button) {
        addSubview(button);
        buttons_.push_back(button);
        auto separator = std::make_shared<UIView>();
        separator->setBackgroundColor(separatorColor());
        addSubview(separator);
        separators_.push_back(std::move(separator));
    }

    const std::vector<std::shared_ptr<UIAlertActionButton>>& buttons() const { return buttons_; }

    bool buttonsSideBySide() const { return style_ == UIAlertControllerStyle::alert && buttons_.size() == 2; }

    CGFloat buttonHeight() const {
        return style_ == UIAlertControllerStyle::alert ? kAlertButtonHeight : kSheetButtonHeight;
    }

    CGFloat labelsHeight(CGFloat width) const {
        CGFloat height = 0;
        for (const auto& label : {titleLabel_, messageLabel_}) {
            if (label) {
                height += label->sizeThatFits({width - 2 * kHeaderPadding, CGFLOAT_MAX}).height + 4;
            }
        }
        return height > 0 ? height - 4 : 0;
    }

    CGFloat headerHeight(CGFloat width) const {
        const CGFloat labels = labelsHeight(width);
        const CGFloat fields =
            static_cast<CGFloat>(textFields_.size()) * (kTextFieldHeight + kTextFieldSpacing);
        if (labels <= 0 && fields <= 0) {
            return 0;
        }
        return labels + fields + 2 * kHeaderPadding - (labels > 0 ? 0 : kTextFieldSpacing);
    }

    CGSize sizeThatFits(CGSize size) const override {
        const CGFloat rows = buttonsSideBySide() ? 1 : static_cast<CGFloat>(buttons_.size());
        return {size.width, headerHeight(size.width) + rows * buttonHeight()};
    }

    void layoutSubviews() override {
        UIView::layoutSubviews();
        const CGFloat width = bounds().width();
        const CGFloat hairline = 1 / UIScreen::mainScreen().scale();
        CGFloat y = headerHeight(width) > 0 ? kHeaderPadding : 0;
        for (const auto& label : {titleLabel_, messageLabel_}) {
            if (label) {
                const CGFloat height = label->sizeThatFits({width - 2 * kHeaderPadding, CGFLOAT_MAX}).height;
                label->setFrame({{kHeaderPadding, y}, {width - 2 * kHeaderPadding, height}});
                y += height + 4;
            }
        }
        y = kHeaderPadding + labelsHeight(width) + (labelsHeight(width) > 0 ? kTextFieldSpacing : 0);
        for (const auto& field : textFields_) {
            field->setFrame({{kTextFieldInset, y}, {width - 2 * kTextFieldInset, kTextFieldHeight}});
            y += kTextFieldHeight + kTextFieldSpacing;
        }
        y = headerHeight(width);
        const CGFloat rowHeight = buttonHeight();
        for (std::size_t index = 0; index < buttons_.size(); ++index) {
            CGRect frame;
            CGRect separator;
            if (buttonsSideBySide()) {
                frame = {{index * width / 2, y}, {width / 2, rowHeight}};
                separator = index == 0 ? CGRect{{0, y}, {width, hairline}}
                                       : CGRect{{width / 2, y}, {hairline, rowHeight}};
            } else {
                frame = {{0, y + index * rowHeight}, {width, rowHeight}};
                separator = {{0, frame.minY()}, {width, hairline}};
            }
            buttons_[index]->setFrame(frame);
            separators_[index]->setFrame(separator);
            separators_[index]->setHidden(separator.minY() <= 0);
        }
    }

  private:
    std::shared_ptr<UILabel> makeLabel(const std::string& text, const UIFont& font, const UIColor& color) {
        auto label = std::make_shared<UILabel>();
        label->setText(text);
        label->setFont(font);
        label->setTextColor(color);
        label->setTextAlignment(NSTextAlignment::center);
        label->setNumberOfLines(0);
        return label;
    }

    UIAlertControllerStyle style_;
    std::shared_ptr<UILabel> titleLabel_;
    std::shared_ptr<UILabel> messageLabel_;
    std::vector<std::shared_ptr<UITextField>> textFields_;
    std::vector<std::shared_ptr<UIAlertActionButton>> buttons_;
    std::vector<std::shared_ptr<UIView>> separators_;
};

namespace {

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
    field->layer()->setCornerRadius(4);
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
    card_ = std::make_shared<UIAlertCardView>(preferredStyle_, alertTitle_, message_);
    view()->addSubview(card_);
    for (const auto& field : textFields_) {
        card_->addTextField(field);
    }
    std::weak_ptr<UIAlertController> weakSelf =
        std::static_pointer_cast<UIAlertController>(sharedController());
    const CGFloat fontSize = preferredStyle_ == UIAlertControllerStyle::alert ? 17 : 20;
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
        card_->addButton(button);
    }
    if (preferredStyle_ == UIAlertControllerStyle::actionSheet) {
        view()->addGestureRecognizer(
            std::make_shared<UITapGestureRecognizer>([weakSelf](UIGestureRecognizer& tap) {
                auto self = weakSelf.lock();
                if (self && !self->card_->frame().contains(tap.locationInView(self->view().get()))) {
                    self->dimmingTapped();
                }
            }));
    }
}

void UIAlertController::viewDidAppear(bool animated) {
    UIViewController::viewDidAppear(animated);
    if (!textFields_.empty()) {
        textFields_.front()->becomeFirstResponder();
    }
}

void UIAlertController::viewWillLayoutSubviews() {
    UIViewController::viewWillLayoutSubviews();
    if (!card_) {
        return;
    }
    const CGRect bounds = view()->bounds();
    if (preferredStyle_ == UIAlertControllerStyle::alert) {
        const CGSize size = card_->sizeThatFits({kAlertWidth, CGFLOAT_MAX});
        card_->setFrame({{(bounds.width() - kAlertWidth) / 2, (bounds.height() - size.height) / 2},
                         {kAlertWidth, size.height}});
        return;
    }
    const CGFloat width = bounds.width() - 2 * kSheetMargin;
    const CGSize size = card_->sizeThatFits({width, CGFLOAT_MAX});
    const CGFloat bottom = bounds.height() - std::max(kSheetMargin, view()->safeAreaInsets().bottom);
    card_->setFrame({{kSheetMargin, bottom - size.height}, {width, size.height}});
}

void UIAlertController::performAction(const std::shared_ptr<UIAlertAction>& action) {
    auto presentation = presentationController();
    if (!action || !action->isEnabled() || performing_ || !presentation || presentation->isTransitioning()) {
        return;
    }
    performing_ = true;
    view()->endEditing(true);
    auto handler = action->handler();
    dismissViewControllerAnimated(true, [action, handler] {
        if (handler) {
            handler(*action);
        }
    });
}

void UIAlertController::dimmingTapped() {
    auto cancel = std::find_if(actions_.begin(), actions_.end(), [](const auto& action) {
        return action->style() == UIAlertActionStyle::cancel;
    });
    if (cancel != actions_.end()) {
        performAction(*cancel);
    }
}
