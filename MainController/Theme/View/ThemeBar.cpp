#include "MainController/Theme/View/ThemeBar.h"

#include "app/Extensions/UIColorExtensions.h"
#include "platform/UIKit/Controllers/UINavigationController.h"

std::shared_ptr<UIView> makeThemeBar() {
    auto bar = std::make_shared<UIView>();
    bar->setBackgroundColor(hexColor("1C1B20", 0));
    return bar;
}

std::shared_ptr<QMUIButton> makeThemeBackButton(UIViewController& page) {
    auto button = std::make_shared<QMUIButton>();
    button->setImage(UIImage::imageNamed("back"), UIControlStateNormal);
    button->setAccessibilityIdentifier("theme.back");
    std::weak_ptr<UIViewController> weakPage = page.sharedController();
    button->setQmui_tapBlock([weakPage](UIControl&) {
        auto page = weakPage.lock();
        if (auto navigation = page ? page->navigationController() : nullptr) {
            navigation->popViewControllerAnimated(true);
        }
    });
    return button;
}

void fadeThemeBar(UIView& bar, const UIScrollView& list) {
    bar.setBackgroundColor(hexColor("1C1B20", list.contentOffset().y / 100));
}
