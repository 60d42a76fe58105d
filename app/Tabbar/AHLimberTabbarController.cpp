#include "app/Tabbar/AHLimberTabbarController.h"

#include <algorithm>

void AHLimberTabbarController::didSelectItem(UITabBar& tabBar, const std::shared_ptr<UITabBarItem>& item) {
    const auto& items = tabBar.items();
    const auto found = std::find(items.begin(), items.end(), item);
    if (found == items.end()) {
        return;
    }
    const auto index = static_cast<std::size_t>(found - items.begin());
    setSelectedIndex(index);
    const auto& controllers = viewControllers();
    if (index >= controllers.size()) {
        return;
    }
    const auto controller = controllers[index];
    setSelectedViewController(controller);
    if (auto listener = delegate.lock()) {
        listener->didSelectViewController(*this, *controller);
    }
}
