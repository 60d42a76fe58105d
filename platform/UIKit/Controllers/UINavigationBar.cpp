#include "platform/UIKit/Controllers/UINavigationBar.h"

#include "platform/QuartzCore/CALayer.h"
#include "platform/UIKit/Controllers/BarBackground.h"
#include "platform/UIKit/Controllers/UIBarButtonControl.h"
#include "platform/UIKit/Controllers/UIBarButtonItem.h"
#include "platform/UIKit/Controllers/UINavigationItem.h"
#include "platform/UIKit/UIGraphics.h"
#include "platform/UIKit/UIImage.h"
#include "platform/UIKit/UILabel.h"
#include "platform/UIKit/UIScreen.h"

#include <algorithm>

namespace {

constexpr CGFloat kTitleMargin = 8;
constexpr double kTitleFadeDuration = 0.25;

std::vector<UINavigationBar*>& liveBars() {
    static std::vector<UINavigationBar*> bars;
    return bars;
}

// UIKit's back chevron, drawn once: 13 x 21 points, a template image.
std::shared_ptr<UIImage> defaultBackIndicatorImage() {
    static const std::shared_ptr<UIImage> image = [] {
        UIGraphicsBeginImageContextWithOptions({13, 21}, false, 0);
        if (CGContext* context = UIGraphicsGetCurrentContext()) {
            cairo_t* cr = context->cairo();
            cairo_set_source_rgba(cr, 0, 0, 0, 1);
            cairo_set_line_width(cr, 3);
            cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
            cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
            cairo_move_to(cr, 11, 2);
            cairo_line_to(cr, 2.5, 10.5);
            cairo_line_to(cr, 11, 19);
            cairo_stroke(cr);
        }
        auto drawn = UIGraphicsGetImageFromCurrentImageContext();
        UIGraphicsEndImageContext();
        return drawn ? drawn->imageWithRenderingMode(UIImageRenderingMode::alwaysTemplate) : nullptr;
    }();
    return image;
}

} // namespace

UINavigationBar::Appearance& UINavigationBar::appearance() {
    static Appearance shared;
    return shared;
}

void UINavigationBar::appearanceDidChange() {
    for (UINavigationBar* bar : liveBars()) {
        bar->applyAppearance();
    }
}

UINavigationBar::UINavigationBar(const CGRect& frame)
    : UIView(frame), backgroundLayer_(CALayer::layer()), shadowLayer_(CALayer::layer()),
      titleLabel_(std::make_shared<UILabel>()), backButton_(std::make_shared<UIBarButtonControl>()) {
    liveBars().push_back(this);
    layer()->insertSublayer(backgroundLayer_, 0);
    layer()->insertSublayer(shadowLayer_, 1);
    titleLabel_->setTextAlignment(NSTextAlignment::center);
    backButton_->setAccessibilityIdentifier("Back");
    backButton_->setAccessibilityLabel("Back");
    backButton_->setHidden(true);
    backButton_->addTarget(
        [this](UIControl&) {
            auto top = topItem();
            auto listener = delegate.lock();
            if (top && listener) {
                listener->backButtonTapped(*this, *top);
            }
        },
        UIControlEventTouchUpInside);
    applyAppearance();
}

void UINavigationBar::attachContent() {
    if (contentAttached_ || weak_from_this().expired()) {
        return;
    }
    contentAttached_ = true;
    insertSubview(titleLabel_, 0);
    insertSubview(backButton_, 1);
    for (const auto& button : {leftButton_, rightButton_}) {
        if (button) {
            addSubview(button);
        }
    }
}

void UINavigationBar::didMoveToSuperview() {
    UIView::didMoveToSuperview();
    attachContent();
}

UINavigationBar::~UINavigationBar() {
    auto& bars = liveBars();
    bars.erase(std::remove(bars.begin(), bars.end(), this), bars.end());
    for (const auto& item : items_) {
        item->setChangeHandler(nullptr);
    }
    for (const auto& item : {leftItem_, rightItem_}) {
        if (item) {
            item->setChangeHandler(nullptr);
        }
    }
}

// ---- Items ---------------------------------------------------------------------------

void UINavigationBar::setItems(std::vector<std::shared_ptr<UINavigationItem>> items, bool animated) {
    if (items_ == items) {
        return;
    }
    const auto previousTop = topItem();
    for (const auto& item : items_) {
        item->setChangeHandler(nullptr);
    }
    items_ = std::move(items);
    for (const auto& item : items_) {
        item->setChangeHandler([this] { itemsChanged(); });
    }
    itemsChanged();
    if (animated && topItem() != previousTop) {
        UIView::performWithoutAnimation([&] { titleLabel_->setAlpha(0); });
        UIView::animateWithDuration(kTitleFadeDuration, [label = titleLabel_] { label->setAlpha(1); });
    }
}

std::shared_ptr<UINavigationItem> UINavigationBar::topItem() const {
    return items_.empty() ? nullptr : items_.back();
}

std::shared_ptr<UINavigationItem> UINavigationBar::backItem() const {
    return items_.size() < 2 ? nullptr : items_[items_.size() - 2];
}

std::shared_ptr<UIBarButtonControl>
UINavigationBar::makeButton(const std::shared_ptr<UIBarButtonItem>& item) {
    auto button = std::make_shared<UIBarButtonControl>();
    button->setTitle(item->title());
    button->setImage(item->image());
    button->setEnabled(item->isEnabled());
    button->setTintColor(item->tintColor());
    std::weak_ptr<UIBarButtonItem> weakItem = item;
    button->addTarget(
        [weakItem](UIControl&) {
            if (auto target = weakItem.lock()) {
                target->performAction();
            }
        },
        UIControlEventTouchUpInside);
    item->setChangeHandler([this] { itemsChanged(); });
    return button;
}

void UINavigationBar::itemsChanged() {
    auto top = topItem();
    titleLabel_->setText(top ? top->title() : std::string());

    for (const auto& item : {leftItem_, rightItem_}) {
        if (item) {
            item->setChangeHandler(nullptr);
        }
    }
    for (const auto& button : {leftButton_, rightButton_}) {
        if (button) {
            button->removeFromSuperview();
        }
    }
    leftItem_ = top ? top->leftBarButtonItem() : nullptr;
    rightItem_ = top ? top->rightBarButtonItem() : nullptr;
    leftButton_ = leftItem_ ? makeButton(leftItem_) : nullptr;
    rightButton_ = rightItem_ ? makeButton(rightItem_) : nullptr;
    attachContent();
    for (const auto& button : {leftButton_, rightButton_}) {
        if (button && contentAttached_) {
            addSubview(button);
        }
    }
    backButton_->setHidden(!top || !backItem() || top->hidesBackButton() || leftItem_ != nullptr);
    setNeedsLayout();
}

// ---- Look ----------------------------------------------------------------------------

void UINavigationBar::setTranslucent(bool translucent) {
    if (translucent_ == translucent) {
        return;
    }
    translucent_ = translucent;
    applyAppearance();
    // Pages sit under a translucent bar and below an opaque one.
    if (auto container = superview()) {
        container->setNeedsLayout();
    }
}

UIBarStyle UINavigationBar::barStyle() const {
    return barStyle_.value_or(appearance().barStyle.value_or(UIBarStyle::defaultStyle));
}

void UINavigationBar::setBarStyle(std::optional<UIBarStyle> style) {
    if (barStyle_ == style) {
        return;
    }
    barStyle_ = style;
    applyAppearance();
}

std::optional<UIColor> UINavigationBar::barTintColor() const {
    return barTintColor_ ? barTintColor_ : appearance().barTintColor;
}

void UINavigationBar::setBarTintColor(std::optional<UIColor> color) {
    if (barTintColor_ == color) {
        return;
    }
    barTintColor_ = color;
    applyAppearance();
}

std::shared_ptr<UIImage> UINavigationBar::backgroundImage() const {
    return backgroundImage_ ? backgroundImage_ : appearance().backgroundImage;
}

void UINavigationBar::setBackgroundImage(std::shared_ptr<UIImage> image) {
    if (backgroundImage_ == image) {
        return;
    }
    backgroundImage_ = std::move(image);
    applyAppearance();
}

std::shared_ptr<UIImage> UINavigationBar::shadowImage() const {
    return shadowImage_ ? shadowImage_ : appearance().shadowImage;
}

void UINavigationBar::setShadowImage(std::shared_ptr<UIImage> image) {
    if (shadowImage_ == image) {
        return;
    }
    shadowImage_ = std::move(image);
    applyAppearance();
}

NSAttributedString::Attributes UINavigationBar::titleTextAttributes() const {
    return titleTextAttributes_.value_or(appearance().titleTextAttributes);
}

void UINavigationBar::setTitleTextAttributes(const NSAttributedString::Attributes& attributes) {
    if (titleTextAttributes_ == attributes) {
        return;
    }
    titleTextAttributes_ = attributes;
    applyAppearance();
}

std::shared_ptr<UIImage> UINavigationBar::backIndicatorImage() const {
    return backIndicatorImage_ ? backIndicatorImage_ : appearance().backIndicatorImage;
}

void UINavigationBar::setBackIndicatorImage(std::shared_ptr<UIImage> image) {
    if (backIndicatorImage_ == image) {
        return;
    }
    backIndicatorImage_ = std::move(image);
    applyAppearance();
}

void UINavigationBar::applyAppearance() {
    const bool dark = barStyle() == UIBarStyle::black;
    applyBarBackground(*backgroundLayer_, *shadowLayer_,
                       {backgroundImage(), barTintColor(), dark, translucent_, shadowImage()});

    const auto attributes = titleTextAttributes();
    titleLabel_->setFont(attributes.font.value_or(UIFont::systemFontOfSize(17, UIFontWeightSemibold)));
    titleLabel_->setTextColor(
        attributes.foregroundColor.value_or(dark ? UIColor::whiteColor() : UIColor::blackColor()));

    setTintColor(appearance().tintColor);
    auto indicator = backIndicatorImage();
    backButton_->setImage(indicator ? indicator : defaultBackIndicatorImage());
    setNeedsLayout();
}

// ---- Layout --------------------------------------------------------------------------

CGSize UINavigationBar::sizeThatFits(CGSize size) const {
    return {size.width, kContentHeight};
}

void UINavigationBar::layoutSubviews() {
    attachContent();
    UIView::layoutSubviews();
    const CGRect bounds = this->bounds();
    const CGFloat contentTop = std::max(0.0, bounds.height() - kContentHeight);
    UIView::performWithoutAnimation([&] {
        backgroundLayer_->setFrame(bounds);
        shadowLayer_->setFrame({{0, bounds.height()}, {bounds.width(), 1 / UIScreen::mainScreen().scale()}});
    });

    CGFloat leftWidth = 0;
    if (leftButton_) {
        leftWidth = leftButton_->intrinsicContentSize().width;
        leftButton_->setFrame({{0, contentTop}, {leftWidth, kContentHeight}});
    } else if (!backButton_->isHidden()) {
        leftWidth = backButton_->intrinsicContentSize().width;
        backButton_->setFrame({{0, contentTop}, {leftWidth, kContentHeight}});
    }
    CGFloat rightWidth = 0;
    if (rightButton_) {
        rightWidth = rightButton_->intrinsicContentSize().width;
        rightButton_->setFrame({{bounds.width() - rightWidth, contentTop}, {rightWidth, kContentHeight}});
    }

    const CGSize title = titleLabel_->intrinsicContentSize();
    const CGFloat side = std::max(leftWidth, rightWidth) + kTitleMargin;
    const CGFloat width = std::max(0.0, std::min(title.width, bounds.width() - 2 * side));
    titleLabel_->setFrame({{(bounds.width() - width) / 2, contentTop + (kContentHeight - title.height) / 2},
                           {width, title.height}});
}
