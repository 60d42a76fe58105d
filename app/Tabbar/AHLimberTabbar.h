#pragma once

#include "app/Tabbar/AHLimberTabBarItemView.h"
#include "app/Tabbar/AHLimberTabbarBackgroundView.h"
#include "app/Tabbar/AHSelectedTabItem.h"
#include "platform/Foundation/KeyValueObserving.h"
#include "platform/UIKit/Controllers/UITabBar.h"
#include "platform/UIKit/UIStackView.h"

#include <memory>
#include <optional>
#include <vector>

// The application's tab bar, which draws its items itself: a row of icons, a bubble that
// carries the selected tab's icon 10 points above the bar, and a background whose top
// edge dips into a pit under the bubble. Selecting a tab recolours icons, bubble and
// background, slides the pit, blinks the icons the bubble passes over and moves the
// bubble along a dipping arc. The platform bar never receives the items, so it shows no
// buttons of its own. Made by the interface file, which then calls awakeFromNib; a tap
// reaches the bar's delegate (the tab bar controller).
class AHLimberTabbar : public UITabBar {
  public:
    explicit AHLimberTabbar(const CGRect& frame = CGRectZero);

    // Whether the bubble's size counts the bottom safe-area inset (default true).
    bool observeSafeAreaInsets() const { return observeSafeAreaInsets_; }
    void setObserveSafeAreaInsets(bool observe) { observeSafeAreaInsets_ = observe; }
    // The colour of bubble and background for items without their own: the bar's tint
    // colour or background colour as the interface file gave them, else white.
    const UIColor& defaultBackgroundColor() const { return defaultBackgroundColor_; }

    const std::vector<std::shared_ptr<UITabBarItem>>& items() const override { return items_; }
    void setItems(std::vector<std::shared_ptr<UITabBarItem>> items, bool animated) override;

    // Builds the views and selects the first tab (the bar needs its items by then).
    void awakeFromNib() override;
    // Adds "observeSafeAreaInsets" (switch); "barTintColor" and "backgroundColor" become
    // the default background colour while the bar itself stays clear.
    bool setValue(const UIRuntimeAttributeValue& value, const std::string& key) override;

    bool isInitialized() const { return isInitialized_; }
    const std::vector<std::shared_ptr<AHLimberTabBarItemView>>& tabs() const { return tabs_; }
    const std::shared_ptr<UIStackView>& tabsHolderView() const { return tabsHolderView_; }
    const std::shared_ptr<AHLimberTabbarBackgroundView>& backgroundView() const { return backgroundView_; }
    const std::shared_ptr<AHSelectedTabItem>& selectedTabHolder() const { return selectedTabHolder_; }
    const std::shared_ptr<AHLimberTabBarItemView>& selectedTab() const { return selectedTab_; }

    // Queues a new sizing of bubble and pit for the bar's height and inset, then replays
    // the selection with it.
    void recalculatePitHeight();
    // Rebuilds the row of icons for the items.
    void reloadTabs();
    // Shows `tab` as selected.
    void select(const std::shared_ptr<AHLimberTabBarItemView>& tab);

  private:
    CGFloat bubbleSize() const;
    void tabTapped(AHLimberTabBarItemView& tab);
    void selectedItemChanged();
    void safeAreaInsetsChanged(const NSKeyValueObservedChange<UIEdgeInsets>& change);
    void captureDefaultBackgroundColor();

    bool observeSafeAreaInsets_ = true;
    std::shared_ptr<NSKeyValueObservation> safeViewInsetsObserver_;
    std::shared_ptr<NSKeyValueObservation> itemObserver_;
    // The colours the interface file gave the bar (construction reads them).
    std::optional<UIColor> givenBarTintColor_;
    std::optional<UIColor> givenBackgroundColor_;
    UIColor defaultBackgroundColor_ = UIColor::whiteColor();
    std::vector<std::shared_ptr<UITabBarItem>> items_;
    bool isInitialized_ = false;
    std::vector<std::shared_ptr<AHLimberTabBarItemView>> tabs_;
    std::shared_ptr<UIStackView> tabsHolderView_;
    std::shared_ptr<AHLimberTabbarBackgroundView> backgroundView_;
    std::shared_ptr<AHSelectedTabItem> selectedTabHolder_;
    std::shared_ptr<AHLimberTabBarItemView> selectedTab_;
};
