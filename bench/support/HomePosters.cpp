#include "bench/support/HomePosters.h"

#include "MainController/Home/Cell/KKassumefinance.h"
#include "MainController/Home/Cell/KKsymphonyassume.h"
#include "MainController/Home/Controller/KKdomaingrapeViewController.h"
#include "MainController/Home/Controller/KKelectronicbrow.h"
#include "Startup/TabbarController.h"
#include "app/Constants/ModuleConstants.h"
#include "platform/UIKit/Controllers/UINavigationController.h"

#include <algorithm>

bool homePostersDrawn(const std::shared_ptr<UIWindow>& window) {
    const auto tabs = std::dynamic_pointer_cast<TabbarController>(window->rootViewController());
    if (!tabs || tabs->viewControllers().empty()) {
        return false;
    }
    const auto navigation =
        std::dynamic_pointer_cast<UINavigationController>(tabs->viewControllers().front());
    const auto home = navigation && !navigation->viewControllers().empty()
                          ? std::dynamic_pointer_cast<KKelectronicbrow>(navigation->viewControllers().front())
                          : nullptr;
    if (!home || !home->listContainerView()) {
        return false;
    }
    const auto& lists = home->listContainerView()->validListDict();
    const auto found = lists.find(0);
    const auto recommend = found == lists.end()
                               ? nullptr
                               : std::dynamic_pointer_cast<KKdomaingrapeViewController>(found->second);
    if (!recommend || !recommend->tableView()) {
        return false;
    }
    for (const auto& row : recommend->tableView()->visibleCells()) {
        const auto shelf = std::dynamic_pointer_cast<KKsymphonyassume>(row);
        if (!shelf) {
            continue;
        }
        const auto posters = shelf->collectionView()->visibleCells();
        return !posters.empty() && std::all_of(posters.begin(), posters.end(), [](const auto& cell) {
            const auto poster = std::dynamic_pointer_cast<KKassumefinance>(cell);
            return poster && poster->kkdrainexempt()->image() != placeholderImage();
        });
    }
    return false;
}
