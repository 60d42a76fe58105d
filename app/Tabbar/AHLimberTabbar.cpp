#include "app/Tabbar/AHLimberTabbar.h"

#include "app/Tabbar/AHLimberTabbarItem.h"
#include "app/Tabbar/BubbleGeometry.h"
#include "platform/Foundation/DispatchQueue.h"
#include "platform/Foundation/Log.h"
#include "platform/UIKit/UIImage.h"

#include <algorithm>

namespace {

constexpr double kTintDuration = 1.0 / 6;
constexpr double kSelectionDuration = 0.5;

template <class T> std::weak_ptr<T> weakOf(T& object) {
    return std::static_pointer_cast<T>(object.shared_from_this());
}

// Whether a view's tint was given to it or an ancestor, rather than the platform's default.
bool hasGivenTint(const UIView& view) {
    static const UIColor platformDefault = UIView().tintColor();
    return view.tintColor() != platformDefault;
}

} // namespace

AHLimberTabbar::AHLimberTabbar(const CGRect& frame) : UITabBar(frame) {
    // The observation belongs to the bar, so its handler never outlives it.
    itemObserver_ = selectedItemObservable().observe(0, [this](const auto&) { selectedItemChanged(); });
    captureDefaultBackgroundColor();
}

void AHLimberTabbar::captureDefaultBackgroundColor() {
    if (givenBarTintColor_) {
        defaultBackgroundColor_ = *givenBarTintColor_;
    } else if (givenBackgroundColor_) {
        defaultBackgroundColor_ = *givenBackgroundColor_;
    } else if (auto tint = barTintColor()) {
        defaultBackgroundColor_ = *tint;
    } else if (auto background = backgroundColor()) {
        defaultBackgroundColor_ = *background;
    } else {
        defaultBackgroundColor_ = UIColor::whiteColor();
    }
    setBarTintColor(UIColor::clearColor());
    setBackgroundColor(UIColor::clearColor());
    setBackgroundImage(std::make_shared<UIImage>());
    setShadowImage(std::make_shared<UIImage>());
}

bool AHLimberTabbar::setValue(const UIRuntimeAttributeValue& value, const std::string& key) {
    if (key == "observeSafeAreaInsets") {
        const bool* observe = runtimeAttribute<bool>(value);
        if (observe != nullptr) {
            observeSafeAreaInsets_ = *observe;
        }
        return observe != nullptr;
    }
    if (key == "barTintColor" || key == "backgroundColor") {
        const UIColor* color = runtimeAttribute<UIColor>(value);
        if (color == nullptr) {
            return false;
        }
        (key == "barTintColor" ? givenBarTintColor_ : givenBackgroundColor_) = *color;
        captureDefaultBackgroundColor();
        return true;
    }
    return UITabBar::setValue(value, key);
}

void AHLimberTabbar::setItems(std::vector<std::shared_ptr<UITabBarItem>> items, bool) {
    items_ = std::move(items);
    if (!isInitialized_) {
        return;
    }
    reloadTabs();
    std::size_t index = 0;
    if (selectedTab_ && selectedTab_->tabBarItem()) {
        auto found = std::find(items_.begin(), items_.end(), selectedTab_->tabBarItem());
        index = found == items_.end() ? 0 : static_cast<std::size_t>(found - items_.begin());
    }
    if (index < tabs_.size()) {
        selectedTab_ = tabs_[index];
        select(selectedTab_);
    }
}

CGFloat AHLimberTabbar::bubbleSize() const {
    return limberBubbleSize(bounds().size.height, safeAreaInsets().bottom, observeSafeAreaInsets_);
}

void AHLimberTabbar::awakeFromNib() {
    if (observeSafeAreaInsets_) {
        safeViewInsetsObserver_ = safeAreaInsetsObservable().observe(
            NSKeyValueObservingOptionNew | NSKeyValueObservingOptionOld,
            [this](const NSKeyValueObservedChange<UIEdgeInsets>& change) { safeAreaInsetsChanged(change); });
    }
    const CGFloat size = bubbleSize();

    selectedTabHolder_ = AHSelectedTabItem::make(CGRectMake(0, -10, size, size));
    selectedTabHolder_->setTintColor(tintColor());
    selectedTabHolder_->setDefaultBackgroundColor(defaultBackgroundColor_);
    addSubview(selectedTabHolder_);

    backgroundView_ = AHLimberTabbarBackgroundView::makePinned(*this);
    backgroundView_->setDefaultBackgroundColor(defaultBackgroundColor_);

    tabsHolderView_ = std::make_shared<UIStackView>();
    tabsHolderView_->setDistribution(UIStackViewDistribution::fillEqually);
    tabsHolderView_->setAxis(UILayoutConstraintAxis::horizontal);
    tabsHolderView_->setAlignment(UIStackViewAlignment::fill);
    addSubview(tabsHolderView_);
    tabsHolderView_->setTranslatesAutoresizingMaskIntoConstraints(false);
    NSLayoutConstraint::activateConstraints({
        tabsHolderView_->topAnchor().constraintEqualToAnchor(topAnchor()),
        tabsHolderView_->leadingAnchor().constraintEqualToAnchor(leadingAnchor()),
        tabsHolderView_->trailingAnchor().constraintEqualToAnchor(trailingAnchor()),
        tabsHolderView_->bottomAnchor().constraintEqualToAnchor(bottomAnchor()),
    });

    isInitialized_ = true;
    reloadTabs();

    // A bar without items has no tab to select.
    if (!tabs_.empty()) {
        selectedTab_ = tabs_.front();
        select(selectedTab_);
    }

    std::weak_ptr<AHLimberTabbar> weakSelf = weakOf(*this);
    DispatchQueue::main().asyncAfter(0.1, [weakSelf] {
        if (auto self = weakSelf.lock()) {
            self->recalculatePitHeight();
        }
    });
}

void AHLimberTabbar::safeAreaInsetsChanged(const NSKeyValueObservedChange<UIEdgeInsets>& change) {
    const std::optional<CGFloat> oldBottom =
        change.oldValue ? std::optional<CGFloat>(change.oldValue->bottom) : std::nullopt;
    const std::optional<CGFloat> newBottom =
        change.newValue ? std::optional<CGFloat>(change.newValue->bottom) : std::nullopt;
    if (oldBottom == newBottom) {
        return;
    }
    consoleLog("Recalc pit height");
    recalculatePitHeight();
}

void AHLimberTabbar::recalculatePitHeight() {
    std::weak_ptr<AHLimberTabbar> weakSelf = weakOf(*this);
    DispatchQueue::main().async([weakSelf] {
        auto self = weakSelf.lock();
        if (!self || !self->isInitialized_) {
            return;
        }
        const CGFloat size = self->bubbleSize();
        self->backgroundView_->setPitDepth(size);
        auto& bubble = *self->selectedTabHolder_;
        bubble.setFrame({bubble.frame().origin, {size, size}});
        bubble.layer()->setCornerRadius(bubble.frame().size.width / 2);
        if (self->selectedTab_) {
            self->select(self->selectedTab_);
        }
    });
}

void AHLimberTabbar::reloadTabs() {
    for (const auto& tab : tabs_) {
        tabsHolderView_->removeArrangedSubview(tab);
        tab->removeFromSuperview();
    }
    tabs_.clear();
    std::weak_ptr<AHLimberTabbar> weakSelf = weakOf(*this);
    for (const auto& item : items_) {
        auto tab = AHLimberTabBarItemView::make(CGRectZero);
        tab->setTabBarItem(item);
        tab->setupView();
        tab->onSelected = [weakSelf](AHLimberTabBarItemView& tapped) {
            if (auto self = weakSelf.lock()) {
                self->tabTapped(tapped);
            }
        };
        tab->setIconTintColor(tintColor());
        UIView::animateWithDuration(kTintDuration,
                                    [&tab] { tab->imgIcon()->setTintColor(tab->iconTintColor()); });
        tabsHolderView_->addArrangedSubview(tab);
        tabs_.push_back(tab);
    }
    tabsHolderView_->layoutIfNeeded();
}

void AHLimberTabbar::tabTapped(AHLimberTabBarItemView& tapped) {
    auto tab = std::static_pointer_cast<AHLimberTabBarItemView>(tapped.shared_from_this());
    selectedTab_ = tab;
    select(tab);
    if (auto listener = delegate.lock()) {
        listener->didSelectItem(*this, tab->tabBarItem());
    }
}

void AHLimberTabbar::selectedItemChanged() {
    const auto& item = selectedItem();
    auto found = std::find(items_.begin(), items_.end(), item);
    if (!item || found == items_.end()) {
        return;
    }
    const auto index = static_cast<std::size_t>(found - items_.begin());
    // The platform reports every set of the selected item, also the one with which the tab
    // bar controller follows a selection this bar made itself; that one has nothing to show.
    if (index >= tabs_.size() || tabs_[index] == selectedTab_) {
        return;
    }
    selectedTab_ = tabs_[index];
    select(selectedTab_);
}

void AHLimberTabbar::select(const std::shared_ptr<AHLimberTabBarItemView>& tab) {
    auto limberItem = std::dynamic_pointer_cast<AHLimberTabbarItem>(tab->tabBarItem());
    UIColor iconColor = UIColor::systemGrayColor();
    if (limberItem && limberItem->iconTintColor()) {
        iconColor = *limberItem->iconTintColor();
    } else if (hasGivenTint(*this)) {
        iconColor = tintColor();
    }
    const UIColor backgroundColor = limberItem && limberItem->backgroundColor()
                                        ? *limberItem->backgroundColor()
                                        : defaultBackgroundColor_;

    auto& bubble = *selectedTabHolder_;
    const auto current = bubble.currentTab();
    if (current) {
        UIView::animateWithDuration(kSelectionDuration, [&current] { current->setAlpha(1); });
    }
    UIView::animateWithDuration(kSelectionDuration, [&tab] { tab->setAlpha(0); });

    bubble.setIconTintColor(iconColor);
    UIView::animateWithDuration(kTintDuration,
                                [&bubble, iconColor] { bubble.imgTabIcon()->setTintColor(iconColor); });

    UIView::animateWithDuration(kSelectionDuration,
                                [this, backgroundColor] { backgroundView_->setFillColor(backgroundColor); });

    for (const auto& each : tabs_) {
        each->setIconTintColor(iconColor);
        UIView::animateWithDuration(kTintDuration,
                                    [&each, iconColor] { each->imgIcon()->setTintColor(iconColor); });
    }

    const auto& from = current ? current : (tabs_.empty() ? tab : tabs_.front());
    backgroundView_->animatePit(from->center().x, tab->center().x);

    if (current) {
        const auto currentAt = std::find(tabs_.begin(), tabs_.end(), current);
        const auto tabAt = std::find(tabs_.begin(), tabs_.end(), tab);
        if (currentAt != tabs_.end() && tabAt != tabs_.end()) {
            for (const std::size_t index : tabsPassedOver(static_cast<std::size_t>(currentAt - tabs_.begin()),
                                                          static_cast<std::size_t>(tabAt - tabs_.begin()))) {
                const auto& passed = tabs_[index];
                UIView::animateKeyframesWithDuration(
                    kSelectionDuration, 0, 0,
                    [&passed] {
                        UIView::addKeyframeWithRelativeStartTime(0, 0.5, [&passed] { passed->setAlpha(0); });
                        UIView::addKeyframeWithRelativeStartTime(0.5, 0.5,
                                                                 [&passed] { passed->setAlpha(1); });
                    },
                    nullptr);
            }
        }
    }

    bubble.setCurrentTab(tab);
    bubble.moveToCurrentTab();
}
