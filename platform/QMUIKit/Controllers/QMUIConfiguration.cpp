#include "platform/QMUIKit/Controllers/QMUIConfiguration.h"

#include "platform/UIKit/Controllers/UINavigationBar.h"
#include "platform/UIKit/Controllers/UITabBar.h"
#include "platform/UIKit/UIImage.h"

namespace {

std::vector<std::shared_ptr<QMUIConfigurationTemplateProtocol>>& templates() {
    static std::vector<std::shared_ptr<QMUIConfigurationTemplateProtocol>> registered;
    return registered;
}

} // namespace

QMUIConfiguration* QMUIConfiguration::sharedInstance() {
    static QMUIConfiguration* instance = new QMUIConfiguration();
    return instance;
}

QMUIConfiguration& QMUICMI() {
    QMUIConfiguration* configuration = QMUIConfiguration::sharedInstance();
    configuration->applyInitialTemplate();
    return *configuration;
}

QMUIConfiguration::QMUIConfiguration() {
    disabledColor = grayColor;
    buttonTintColor = blueColor;
    searchBarPlaceholderColor = placeholderColor;
    tableViewSeparatorColor = separatorColor;
    tableViewGroupedSeparatorColor = tableViewSeparatorColor;
    tableViewInsetGroupedSeparatorColor = tableViewGroupedSeparatorColor;
    badgeBackgroundColor = redColor;
    badgeTextColor = whiteColor;
    badgeFont = UIFont::boldSystemFontOfSize(11);
    updatesIndicatorColor = redColor;

    const auto navigationBar = [this] { applyNavigationBarAppearance(); };
    for (auto* image : {&navBarBackgroundImage, &navBarShadowImage, &navBarBackIndicatorImage}) {
        image->setDidSet(navigationBar);
    }
    for (auto* color : {&navBarShadowImageColor, &navBarBarTintColor, &navBarTintColor, &navBarTitleColor}) {
        color->setDidSet(navigationBar);
    }
    navBarTitleFont.setDidSet(navigationBar);
    navBarStyle.setDidSet(navigationBar);

    const auto tabBar = [this] { applyTabBarAppearance(); };
    tabBarBackgroundImage.setDidSet(tabBar);
    tabBarStyle.setDidSet(tabBar);
    for (auto* color :
         {&tabBarBarTintColor, &tabBarShadowImageColor, &tabBarItemTitleColor, &tabBarItemTitleColorSelected,
          &tabBarItemImageColor, &tabBarItemImageColorSelected}) {
        color->setDidSet(tabBar);
    }
    for (auto* font : {&tabBarItemTitleFont, &tabBarItemTitleFontSelected}) {
        font->setDidSet(tabBar);
    }
}

void QMUIConfiguration::registerTemplate(
    std::shared_ptr<QMUIConfigurationTemplateProtocol> configurationTemplate) {
    if (!configurationTemplate) {
        return;
    }
    templates().push_back(configurationTemplate);
    // A template that comes after the initial one was applied is applied at once, as it
    // would have been with the others.
    if (sharedInstance()->initialTemplateApplied_ &&
        configurationTemplate->shouldApplyTemplateAutomatically()) {
        configurationTemplate->applyConfigurationTemplate();
    }
}

void QMUIConfiguration::applyInitialTemplate() {
    if (initialTemplateApplied_) {
        return;
    }
    initialTemplateApplied_ = true;
    for (const auto& configurationTemplate : templates()) {
        if (configurationTemplate->shouldApplyTemplateAutomatically()) {
            configurationTemplate->applyConfigurationTemplate();
        }
    }
}

void QMUIConfiguration::applyNavigationBarAppearance() {
    auto& appearance = UINavigationBar::appearance();
    appearance.backgroundImage = navBarBackgroundImage;
    appearance.shadowImage = navBarShadowImage.get();
    if (!appearance.shadowImage && navBarShadowImageColor.get()) {
        appearance.shadowImage = UIImage::qmui_imageWithColor(*navBarShadowImageColor.get());
    }
    appearance.barTintColor = navBarBarTintColor;
    appearance.barStyle = navBarStyle.get();
    appearance.tintColor = navBarTintColor;
    appearance.titleTextAttributes.foregroundColor = navBarTitleColor;
    appearance.titleTextAttributes.font = navBarTitleFont;
    appearance.backIndicatorImage = navBarBackIndicatorImage;
    UINavigationBar::appearanceDidChange();
}

void QMUIConfiguration::applyTabBarAppearance() {
    auto& appearance = UITabBar::appearance();
    appearance.backgroundImage = tabBarBackgroundImage;
    appearance.barTintColor = tabBarBarTintColor;
    appearance.barStyle = tabBarStyle.get();
    const auto& shadowColor = tabBarShadowImageColor.get();
    appearance.shadowImage = shadowColor ? UIImage::qmui_imageWithColor(*shadowColor) : nullptr;
    appearance.itemTitleFont = tabBarItemTitleFont;
    appearance.itemTitleFontSelected = tabBarItemTitleFontSelected;
    appearance.itemTitleColor = tabBarItemTitleColor;
    appearance.itemTitleColorSelected = tabBarItemTitleColorSelected;
    appearance.itemImageColor = tabBarItemImageColor;
    appearance.itemImageColorSelected = tabBarItemImageColorSelected;
    UITabBar::appearanceDidChange();
}
