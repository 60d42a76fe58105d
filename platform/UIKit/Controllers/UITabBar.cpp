#include "platform/UIKit/Controllers/UITabBar.h"

#include "platform/QuartzCore/CALayer.h"
#include "platform/UIKit/Controllers/BarBackground.h"
#include "platform/UIKit/Controllers/UITabBarItem.h"
#include "platform/UIKit/UIImage.h"
#include "platform/UIKit/UIImageView.h"
#include "platform/UIKit/UILabel.h"
#include "platform/UIKit/UIScreen.h"

#include <algorithm>

namespace {

constexpr CGFloat kImageSide = 28;
constexpr CGFloat kTitleFontSize = 10;

std::vector<UITabBar*>& liveBars() {
    static std::vector<UITabBar*> bars;
    return bars;
}

UIColor defaultUnselectedColor() {
    return UIColor::colorWithWhite(0.6, 1);
}

} // namespace

UITabBar::Appearance& UITabBar::appearance() {
    static Appearance shared;
    return shared;
}

void UITabBar::appearanceDidChange() {
    for (UITabBar* bar : liveBars()) {
        bar->applyAppearance();
    }
}

UITabBar::UITabBar(const CGRect& frame)
    : UIView(frame), backgroundLayer_(CALayer::layer()), shadowLayer_(CALayer::layer()) {
    liveBars().push_back(this);
    layer()->insertSublayer(backgroundLayer_, 0);
    layer()->insertSublayer(shadowLayer_, 1);
    applyAppearance();
}

UITabBar::~UITabBar() {
    auto& bars = liveBars();
    bars.erase(std::remove(bars.begin(), bars.end(), this), bars.end());
    for (const auto& item : items_) {
        item->setChangeHandler(nullptr);
    }
}

// ---- Items ---------------------------------------------------------------------------

void UITabBar::setItems(std::vector<std::shared_ptr<UITabBarItem>> items, bool) {
    if (items_ == items) {
        return;
    }
    for (const auto& item : items_) {
        item->setChangeHandler(nullptr);
    }
    items_ = std::move(items);
    for (const auto& item : items_) {
        item->setChangeHandler([this] { updateButtons(); });
    }
    rebuildButtons();
}

void UITabBar::setSelectedItem(std::shared_ptr<UITabBarItem> item) {
    selectedItem_.setValue(std::move(item));
    updateButtons();
}

void UITabBar::buttonTapped(const std::shared_ptr<UITabBarItem>& item) {
    if (!item->isEnabled()) {
        return;
    }
    setSelectedItem(item);
    if (auto listener = delegate.lock()) {
        listener->didSelectItem(*this, item);
    }
}

void UITabBar::rebuildButtons() {
    if (weak_from_this().expired()) {
        buttonsNeedRebuild_ = true;
        return;
    }
    buttonsNeedRebuild_ = false;
    for (const auto& button : buttons_) {
        button->removeFromSuperview();
    }
    buttons_.clear();
    for (const auto& item : items_) {
        auto button = std::make_shared<UITabBarButton>(item);
        std::weak_ptr<UITabBarItem> weakItem = item;
        button->addTarget(
            [this, weakItem](UIControl&) {
                if (auto tapped = weakItem.lock()) {
                    buttonTapped(tapped);
                }
            },
            UIControlEventTouchUpInside);
        addSubview(button);
        buttons_.push_back(std::move(button));
    }
    updateButtons();
    setNeedsLayout();
}

void UITabBar::updateButtons() {
    const auto& look = appearance();
    const UIColor selectedColor = tintColor();
    const UIColor unselectedColor = unselectedItemTintColor_.value_or(defaultUnselectedColor());
    const UIFont font =
        look.itemTitleFont.value_or(UIFont::systemFontOfSize(kTitleFontSize, UIFontWeightMedium));
    const UIFont selectedFont = look.itemTitleFontSelected.value_or(font);
    for (const auto& button : buttons_) {
        const bool selected = button->item() == selectedItem();
        if (selected) {
            button->update(true, look.itemImageColorSelected.value_or(selectedColor),
                           look.itemTitleColorSelected.value_or(selectedColor), selectedFont);
        } else {
            button->update(false, look.itemImageColor.value_or(unselectedColor),
                           look.itemTitleColor.value_or(unselectedColor), font);
        }
    }
}

// ---- Look ----------------------------------------------------------------------------

std::optional<UIColor> UITabBar::barTintColor() const {
    return barTintColor_ ? barTintColor_ : appearance().barTintColor;
}

void UITabBar::setBarTintColor(std::optional<UIColor> color) {
    if (barTintColor_ == color) {
        return;
    }
    barTintColor_ = color;
    applyAppearance();
}

std::shared_ptr<UIImage> UITabBar::backgroundImage() const {
    return backgroundImage_ ? backgroundImage_ : appearance().backgroundImage;
}

void UITabBar::setBackgroundImage(std::shared_ptr<UIImage> image) {
    if (backgroundImage_ == image) {
        return;
    }
    backgroundImage_ = std::move(image);
    applyAppearance();
}

std::shared_ptr<UIImage> UITabBar::shadowImage() const {
    return shadowImage_ ? shadowImage_ : appearance().shadowImage;
}

void UITabBar::setShadowImage(std::shared_ptr<UIImage> image) {
    if (shadowImage_ == image) {
        return;
    }
    shadowImage_ = std::move(image);
    applyAppearance();
}

void UITabBar::setUnselectedItemTintColor(std::optional<UIColor> color) {
    if (unselectedItemTintColor_ == color) {
        return;
    }
    unselectedItemTintColor_ = color;
    updateButtons();
}

void UITabBar::applyAppearance() {
    const bool dark = appearance().barStyle == UIBarStyle::black;
    applyBarBackground(*backgroundLayer_, *shadowLayer_,
                       {backgroundImage(), barTintColor(), dark, translucent_, shadowImage()});
    updateButtons();
}

void UITabBar::tintColorDidChange() {
    updateButtons();
}

bool UITabBar::setValue(const UIRuntimeAttributeValue& value, const std::string& key) {
    const auto* color = runtimeAttribute<UIColor>(value);
    const auto* image = runtimeAttribute<std::shared_ptr<UIImage>>(value);
    if (key == "tintColor" && color != nullptr) {
        setTintColor(*color);
    } else if (key == "barTintColor" && color != nullptr) {
        setBarTintColor(*color);
    } else if (key == "backgroundColor" && color != nullptr) {
        setBackgroundColor(*color);
    } else if (key == "unselectedItemTintColor" && color != nullptr) {
        setUnselectedItemTintColor(*color);
    } else if (key == "backgroundImage" && image != nullptr) {
        setBackgroundImage(*image);
    } else if (key == "shadowImage" && image != nullptr) {
        setShadowImage(*image);
    } else if (const auto* flag = runtimeAttribute<bool>(value); key == "translucent" && flag != nullptr) {
        setTranslucent(*flag);
    } else {
        return UINibLoadable::setValue(value, key);
    }
    return true;
}

// ---- Layout --------------------------------------------------------------------------

CGSize UITabBar::sizeThatFits(CGSize size) const {
    return {size.width, kContentHeight + safeAreaInsets().bottom};
}

void UITabBar::safeAreaInsetsDidChange() {
    observedSafeAreaInsets_.setValue(safeAreaInsets());
}

void UITabBar::didMoveToSuperview() {
    UIView::didMoveToSuperview();
    if (buttonsNeedRebuild_) {
        rebuildButtons();
    }
}

void UITabBar::layoutSubviews() {
    if (buttonsNeedRebuild_) {
        rebuildButtons();
    }
    UIView::layoutSubviews();
    const CGRect bounds = this->bounds();
    const CGFloat hairline = 1 / UIScreen::mainScreen().scale();
    UIView::performWithoutAnimation([&] {
        backgroundLayer_->setFrame(bounds);
        shadowLayer_->setFrame({{0, -hairline}, {bounds.width(), hairline}});
    });
    if (buttons_.empty()) {
        return;
    }
    const CGFloat width = bounds.width() / static_cast<CGFloat>(buttons_.size());
    const CGFloat height = std::min(kContentHeight, bounds.height());
    for (std::size_t index = 0; index < buttons_.size(); ++index) {
        buttons_[index]->setFrame({{width * static_cast<CGFloat>(index), 0}, {width, height}});
    }
}

// ---- Buttons -------------------------------------------------------------------------

UITabBarButton::UITabBarButton(std::shared_ptr<UITabBarItem> item)
    : item_(std::move(item)), imageView_(std::make_shared<UIImageView>()),
      titleLabel_(std::make_shared<UILabel>()) {
    imageView_->setContentMode(UIViewContentMode::scaleAspectFit);
    titleLabel_->setTextAlignment(NSTextAlignment::center);
    titleLabel_->setUserInteractionEnabled(false);
}

void UITabBarButton::attachContent() {
    if (contentAttached_ || weak_from_this().expired()) {
        return;
    }
    contentAttached_ = true;
    addSubview(imageView_);
    addSubview(titleLabel_);
}

void UITabBarButton::didMoveToSuperview() {
    UIControl::didMoveToSuperview();
    attachContent();
}

UITabBarButton::~UITabBarButton() = default;

void UITabBarButton::update(bool selected, const UIColor& imageColor, const UIColor& titleColor,
                            const UIFont& titleFont) {
    auto image = selected && item_->selectedImage() ? item_->selectedImage() : item_->image();
    if (image && image->renderingMode() == UIImageRenderingMode::automatic) {
        image = image->imageWithRenderingMode(UIImageRenderingMode::alwaysTemplate);
    }
    imageView_->setImage(image);
    imageView_->setTintColor(imageColor);
    titleLabel_->setText(item_->title());
    titleLabel_->setTextColor(titleColor);
    titleLabel_->setFont(titleFont);
    setAccessibilityLabel(item_->title());
    setSelected(selected);
    setEnabled(item_->isEnabled());
    setNeedsLayout();
}

void UITabBarButton::layoutSubviews() {
    attachContent();
    UIControl::layoutSubviews();
    const CGRect bounds = this->bounds();
    const bool hasTitle = !titleLabel_->text().empty();
    const CGFloat titleHeight = hasTitle ? titleLabel_->intrinsicContentSize().height : 0;
    const CGFloat imageSide = std::min(kImageSide, bounds.height() - titleHeight - 4);
    const CGFloat top = (bounds.height() - imageSide - titleHeight) / 2;
    imageView_->setFrame({{(bounds.width() - imageSide) / 2, top}, {imageSide, imageSide}});
    titleLabel_->setFrame({{0, top + imageSide}, {bounds.width(), titleHeight}});
}
