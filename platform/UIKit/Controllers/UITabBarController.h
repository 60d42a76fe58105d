#pragma once

#include "platform/Foundation/NSRange.h"
#include "platform/UIKit/Controllers/UITabBar.h"
#include "platform/UIKit/Controllers/UIViewController.h"

#include <memory>
#include <vector>

class UITabBarController;

class UITabBarControllerDelegate {
  public:
    virtual ~UITabBarControllerDelegate() = default;
    virtual bool shouldSelectViewController(UITabBarController& tabBarController,
                                            UIViewController& controller) {
        return true;
    }
    virtual void didSelectViewController(UITabBarController& tabBarController, UIViewController& controller) {
    }
};

// Shows one of several child controllers at a time, with a tab bar to switch between
// them. The selected child's view fills the controller's view and extends under the
// bar; while the bar shows, the child's safe area ends above it. The bar may be any
// UITabBar subclass, set before the view loads.
class UITabBarController : public UIViewController, public UITabBarDelegate {
  public:
    UITabBarController();
    ~UITabBarController() override;

    // The bar; a plain UITabBar unless one was set.
    const std::shared_ptr<UITabBar>& tabBar();
    // Replaces the bar (for interface files and subclasses); before the view loads.
    void setTabBar(std::shared_ptr<UITabBar> tabBar);

    const std::vector<std::shared_ptr<UIViewController>>& viewControllers() const {
        return childViewControllers();
    }
    // The children and the bar's items (their tabBarItem). The selection stays at its
    // index when there is one, else goes to the first child.
    void setViewControllers(std::vector<std::shared_ptr<UIViewController>> controllers, bool animated);

    // NSNotFound when there are no children.
    std::size_t selectedIndex() const;
    void setSelectedIndex(std::size_t index);
    std::shared_ptr<UIViewController> selectedViewController() const;
    void setSelectedViewController(const std::shared_ptr<UIViewController>& controller);

    std::weak_ptr<UITabBarControllerDelegate> delegate;

    // A tap on a bar item: asks the delegate, selects the item's child (a tap on the tab
    // already shown takes its navigation stack back to the root) and tells the delegate.
    void didSelectItem(UITabBar& tabBar, const std::shared_ptr<UITabBarItem>& item) override;

    // For navigation controllers inside: the height the bar takes from a page's safe
    // area while it shows, and the bar's visibility after their stack changed.
    CGFloat tabBarContentHeight() const { return UITabBar::kContentHeight; }
    void updateTabBarVisibility();
    // A child's tabBarItem was replaced.
    void childTabBarItemChanged();

  protected:
    void loadView() override;
    void layoutChildViews() override;
    std::vector<std::shared_ptr<UIViewController>> childViewControllersForAppearance() const override;

  private:
    bool tabBarHiddenForSelection() const;
    void showSelectedChild(const std::shared_ptr<UIViewController>& previous);
    void updateItems(bool animated);

    std::shared_ptr<UITabBar> tabBar_;
    std::size_t selectedIndex_ = NSNotFound;
};
