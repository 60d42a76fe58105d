#include "platform/UIKit/Controllers/UIAlertCardView.h"

#include "platform/UIKit/Controls/UIScrollView.h"
#include "platform/UIKit/Controls/UITextField.h"
#include "platform/UIKit/UILabel.h"
#include "platform/UIKit/UIScreen.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr CGFloat kAlertCornerRadius = 14;
constexpr CGFloat kAlertButtonHeight = 44;
constexpr CGFloat kSheetCornerRadius = 13;
constexpr CGFloat kSheetButtonHeight = 57;
constexpr CGFloat kHeaderPadding = 20;
constexpr CGFloat kTitleMessageGap = 4;
constexpr CGFloat kTextFieldHeight = 30;
constexpr CGFloat kTextFieldInset = 16;
constexpr CGFloat kTextFieldSpacing = 8;
// What stays in sight of a message or a column of buttons that scrolls.
constexpr int kMinimumMessageLines = 3;
constexpr CGFloat kMinimumButtonRows = 1.5;

UIColor systemRed() {
    return UIColor::colorWithRed(1, 59 / 255.0, 48 / 255.0, 1);
}
UIColor separatorColor() {
    return UIColor::colorWithWhite(0, 0.15);
}
UIColor cardColor() {
    return UIColor::colorWithWhite(0.97, 0.98);
}

std::shared_ptr<UILabel> makeLabel(const std::string& text, const UIFont& font, const UIColor& color) {
    auto label = std::make_shared<UILabel>();
    label->setText(text);
    label->setFont(font);
    label->setTextColor(color);
    label->setTextAlignment(NSTextAlignment::center);
    label->setNumberOfLines(0);
    return label;
}

std::shared_ptr<UIScrollView> makeScrollView() {
    auto scroll = std::make_shared<UIScrollView>();
    scroll->setContentInsetAdjustmentBehavior(UIScrollViewContentInsetAdjustmentBehavior::never);
    scroll->setShowsHorizontalScrollIndicator(false);
    scroll->setScrollsToTop(false);
    return scroll;
}

} // namespace

// ---- Buttons -------------------------------------------------------------------------

UIAlertActionButton::UIAlertActionButton(std::shared_ptr<UIAlertAction> action, CGFloat fontSize)
    : action_(std::move(action)), label_(std::make_shared<UILabel>()),
      topSeparator_(std::make_shared<UIView>()), leftSeparator_(std::make_shared<UIView>()) {
    label_->setText(action_->title());
    label_->setTextAlignment(NSTextAlignment::center);
    const bool cancel = action_->style() == UIAlertActionStyle::cancel;
    label_->setFont(UIFont::systemFontOfSize(fontSize, cancel ? UIFontWeightSemibold : UIFontWeightRegular));
    label_->setUserInteractionEnabled(false);
    for (const auto& separator : {topSeparator_, leftSeparator_}) {
        separator->setBackgroundColor(separatorColor());
        separator->setUserInteractionEnabled(false);
        separator->setHidden(true);
    }
    setAccessibilityLabel(action_->title());
    setEnabled(action_->isEnabled());
    updateColors();
}

void UIAlertActionButton::setSeparators(bool top, bool left) {
    topSeparator_->setHidden(!top);
    leftSeparator_->setHidden(!left);
}

void UIAlertActionButton::didMoveToSuperview() {
    UIControl::didMoveToSuperview();
    if (!label_->superview()) {
        addSubview(label_);
        addSubview(topSeparator_);
        addSubview(leftSeparator_);
    }
}

void UIAlertActionButton::layoutSubviews() {
    UIControl::layoutSubviews();
    label_->setFrame(bounds().insetBy(8, 0));
    const CGFloat hairline = 1 / UIScreen::mainScreen().scale();
    topSeparator_->setFrame({{0, 0}, {bounds().width(), hairline}});
    leftSeparator_->setFrame({{0, 0}, {hairline, bounds().height()}});
}

void UIAlertActionButton::updateColors() {
    UIColor color = action_->style() == UIAlertActionStyle::destructive ? systemRed() : tintColor();
    if (!isEnabled()) {
        color = color.colorWithAlphaComponent(0.35);
    }
    label_->setTextColor(color);
    setBackgroundColor(isHighlighted() ? std::optional(UIColor::colorWithWhite(0, 0.08)) : std::nullopt);
}

// ---- The card ------------------------------------------------------------------------

UIAlertCardView::UIAlertCardView(UIAlertControllerStyle style, const std::optional<std::string>& title,
                                 const std::optional<std::string>& message)
    : style_(style), buttonScroll_(makeScrollView()) {
    const bool alert = style == UIAlertControllerStyle::alert;
    setBackgroundColor(cardColor());
    layer()->setCornerRadius(alert ? kAlertCornerRadius : kSheetCornerRadius);
    setClipsToBounds(true);
    const UIColor headerColor = alert ? UIColor::blackColor() : UIColor::colorWithWhite(0.55, 1);
    if (title && !title->empty()) {
        titleLabel_ =
            makeLabel(*title, UIFont::systemFontOfSize(alert ? 17 : 13, UIFontWeightSemibold), headerColor);
    }
    if (message && !message->empty()) {
        messageLabel_ = makeLabel(*message, UIFont::systemFontOfSize(13), headerColor);
        messageScroll_ = makeScrollView();
    }
}

void UIAlertCardView::didMoveToSuperview() {
    UIView::didMoveToSuperview();
    if (titleLabel_ && !titleLabel_->superview()) {
        addSubview(titleLabel_);
    }
    if (messageScroll_ && !messageScroll_->superview()) {
        addSubview(messageScroll_);
        messageScroll_->addSubview(messageLabel_);
    }
    if (!buttonScroll_->superview()) {
        addSubview(buttonScroll_);
    }
}

void UIAlertCardView::addTextField(const std::shared_ptr<UITextField>& field) {
    addSubview(field);
    textFields_.push_back(field);
    setNeedsLayout();
}

void UIAlertCardView::addButton(const std::shared_ptr<UIAlertActionButton>& button) {
    buttonScroll_->addSubview(button);
    buttons_.push_back(button);
    setNeedsLayout();
}

void UIAlertCardView::setPinnedButton(const std::shared_ptr<UIAlertActionButton>& button) {
    if (pinned_ == button) {
        return;
    }
    if (pinned_) {
        pinned_->removeFromSuperview();
    }
    pinned_ = button;
    if (pinned_) {
        addSubview(pinned_);
    }
    setNeedsLayout();
}

std::vector<std::shared_ptr<UIAlertActionButton>> UIAlertCardView::buttons() const {
    auto all = buttons_;
    if (pinned_) {
        all.push_back(pinned_);
    }
    return all;
}

bool UIAlertCardView::isEmpty() const {
    return !titleLabel_ && !messageLabel_ && textFields_.empty() && buttons_.empty() && !pinned_;
}

bool UIAlertCardView::buttonsSideBySide() const {
    return style_ == UIAlertControllerStyle::alert && buttons_.size() == 2 && !pinned_;
}

CGFloat UIAlertCardView::buttonHeight() const {
    return style_ == UIAlertControllerStyle::alert ? kAlertButtonHeight : kSheetButtonHeight;
}

UIAlertCardView::Sections UIAlertCardView::sections(CGFloat width, CGFloat maximumHeight) const {
    Sections parts;
    const CGFloat textWidth = std::max<CGFloat>(0, width - 2 * kHeaderPadding);
    const CGRect unbounded{{0, 0}, {textWidth, CGFLOAT_MAX}};
    if (titleLabel_) {
        parts.title = titleLabel_->textRectForBounds(unbounded, 0).size.height;
    }
    if (messageLabel_) {
        parts.messageContent = messageLabel_->sizeThatFits({textWidth, CGFLOAT_MAX}).height;
        parts.message = parts.messageContent;
    }
    parts.titleGap = titleLabel_ && messageLabel_ ? kTitleMessageGap : 0;
    const bool labels = titleLabel_ || messageLabel_;
    if (!textFields_.empty()) {
        const auto count = static_cast<CGFloat>(textFields_.size());
        parts.fields =
            (labels ? kTextFieldSpacing : 0) + count * kTextFieldHeight + (count - 1) * kTextFieldSpacing;
    }
    const auto headerHeight = [&] {
        return labels || !textFields_.empty()
                   ? 2 * kHeaderPadding + parts.title + parts.titleGap + parts.message + parts.fields
                   : 0;
    };
    const CGFloat rows = buttonsSideBySide() ? 1 : static_cast<CGFloat>(buttons_.size());
    parts.buttonsContent = rows * buttonHeight();
    parts.buttons = parts.buttonsContent;
    parts.pinned = pinned_ ? buttonHeight() : 0;
    parts.header = headerHeight();

    // Too tall: the message gives way first, then the column of buttons, then the title.
    CGFloat overflow = parts.total() - maximumHeight;
    if (overflow > 0 && messageLabel_) {
        const CGFloat kept =
            std::min(parts.messageContent, kMinimumMessageLines * messageLabel_->font().lineHeight());
        const CGFloat cut = std::min(overflow, parts.messageContent - kept);
        parts.message -= cut;
        overflow -= cut;
    }
    if (overflow > 0 && rows > 1) {
        const CGFloat kept = std::min(parts.buttonsContent, kMinimumButtonRows * buttonHeight());
        const CGFloat cut = std::min(overflow, parts.buttonsContent - kept);
        parts.buttons -= cut;
        overflow -= cut;
    }
    if (overflow > 0 && titleLabel_) {
        const CGFloat lineHeight = titleLabel_->font().lineHeight();
        parts.titleLines = std::max(1, static_cast<int>(std::floor((parts.title - overflow) / lineHeight)));
        parts.title = titleLabel_->textRectForBounds(unbounded, parts.titleLines).size.height;
    }
    parts.header = headerHeight();
    return parts;
}

CGFloat UIAlertCardView::fittingHeight(CGFloat width, CGFloat maximumHeight) const {
    return sections(width, maximumHeight).total();
}

void UIAlertCardView::flashScrollIndicators() {
    for (const auto& scroll : {messageScroll_, buttonScroll_}) {
        if (scroll && scroll->contentSize().height > scroll->bounds().height() + 0.5) {
            scroll->flashScrollIndicators();
        }
    }
}

void UIAlertCardView::layoutSubviews() {
    UIView::layoutSubviews();
    const CGFloat width = bounds().width();
    const Sections parts = sections(width, bounds().height());
    const CGFloat textWidth = std::max<CGFloat>(0, width - 2 * kHeaderPadding);
    CGFloat y = kHeaderPadding;
    if (titleLabel_) {
        titleLabel_->setNumberOfLines(parts.titleLines);
        titleLabel_->setFrame({{kHeaderPadding, y}, {textWidth, parts.title}});
        y += parts.title + parts.titleGap;
    }
    if (messageScroll_) {
        // The scroll view spans the card, so that its indicator runs along the card's edge.
        messageScroll_->setFrame({{0, y}, {width, parts.message}});
        messageScroll_->setContentSize({width, parts.messageContent});
        messageLabel_->setFrame({{kHeaderPadding, 0}, {textWidth, parts.messageContent}});
        y += parts.message;
    }
    y += titleLabel_ || messageLabel_ ? kTextFieldSpacing : 0;
    for (const auto& field : textFields_) {
        field->setFrame({{kTextFieldInset, y}, {width - 2 * kTextFieldInset, kTextFieldHeight}});
        y += kTextFieldHeight + kTextFieldSpacing;
    }

    const bool header = parts.header > 0;
    buttonScroll_->setFrame({{0, parts.header}, {width, parts.buttons}});
    buttonScroll_->setContentSize({width, parts.buttonsContent});
    const CGFloat rowHeight = buttonHeight();
    for (std::size_t index = 0; index < buttons_.size(); ++index) {
        const auto& button = buttons_[index];
        if (buttonsSideBySide()) {
            button->setFrame({{index * width / 2, 0}, {width / 2, rowHeight}});
            button->setSeparators(header, index > 0);
        } else {
            button->setFrame({{0, index * rowHeight}, {width, rowHeight}});
            button->setSeparators(header || index > 0, false);
        }
    }
    if (pinned_) {
        pinned_->setFrame({{0, parts.header + parts.buttons}, {width, parts.pinned}});
        pinned_->setSeparators(header || !buttons_.empty(), false);
    }
}
