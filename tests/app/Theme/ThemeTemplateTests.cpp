#include "app/Theme/QMUIConfigurationTemplate.h"
#include "platform/QMUIKit/Controllers/QMUIHelper.h"
#include "platform/UIKit/Controllers/UINavigationBar.h"
#include "platform/UIKit/UIDevice.h"
#include "platform/UIKit/UIImage.h"
#include "platform/UIKit/UIScreen.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// The configuration is one per process: each case applies the template in a child process
// whose configuration is fresh, and reports through its exit status.
template <class Check> void inFreshProcess(Check check) {
    EXPECT_EXIT(
        {
            const bool passed = check();
            std::exit(passed ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}

void applyTheme(bool systemAtLeast15 = true) {
    QMUIConfiguration::registerTemplate(std::make_shared<QMUIConfigurationTemplate>(systemAtLeast15));
    QMUIConfiguration::sharedInstance()->applyInitialTemplate();
}

TEST(ThemeTemplate, ValuesReadBackFromEarlierSettings) {
    inFreshProcess([] {
        applyTheme();
        const QMUIConfiguration& c = QMUICMI();
        return c.buttonHighlightedAlpha.get() == 0.5 && c.buttonDisabledAlpha.get() == 0.5 &&
               c.updatesIndicatorOffset.get() == CGPoint{4, 7} &&
               c.updatesIndicatorOffsetLandscape.get() == CGPoint{4, 7} &&
               !c.toolBarTintColorHighlighted.get() && !c.toolBarTintColorDisabled.get() &&
               c.disabledColor.get() == c.grayColor.get() &&
               c.clearColor.get() == UIColor::colorWithRed(1, 1, 1, 0);
    });
}

TEST(ThemeTemplate, InsetGroupedFooterFollowsTheHeaderButNotForItsHeight) {
    inFreshProcess([] {
        applyTheme();
        const QMUIConfiguration& c = QMUICMI();
        return c.tableViewInsetGroupedSectionFooterContentInset.get() == UIEdgeInsets{16, 15, 8, 15} &&
               c.tableViewGroupedSectionFooterContentInset.get() == UIEdgeInsets{8, 15, 2, 15} &&
               c.tableViewInsetGroupedSectionFooterDefaultHeight.get() ==
                   c.tableViewGroupedSectionFooterDefaultHeight.get() &&
               c.tableViewSectionHeaderFont.get() == UIFont::boldSystemFontOfSize(12) &&
               c.tableViewGroupedSectionHeaderFont.get() == UIFont::systemFontOfSize(12) &&
               c.tableViewInsetGroupedSectionFooterFont.get() == UIFont::systemFontOfSize(12);
    });
}

TEST(ThemeTemplate, NavigationBarCarriesTheApplicationsLook) {
    inFreshProcess([] {
        applyTheme();
        const QMUIConfiguration& c = QMUICMI();
        const auto& background = c.navBarBackgroundImage.get();
        return c.navBarTitleColor.get() == UIColor::whiteColor() &&
               c.navBarTitleFont.get() == UIFont::systemFontOfSize(18) && c.navBarBackIndicatorImage.get() &&
               c.navBarBackIndicatorImage.get()->CGImage() == UIImage::imageNamed("back")->CGImage() &&
               c.navBarBackIndicatorImage.get()->renderingMode() == UIImageRenderingMode::alwaysOriginal &&
               background && background->CGImage() && c.navBarCloseButtonImage.get() &&
               c.navBarAccessoryViewTypeDisclosureIndicatorImage->get()->renderingMode() ==
                   UIImageRenderingMode::alwaysTemplate &&
               UINavigationBar::appearance().backgroundImage == background;
    });
}

TEST(ThemeTemplate, SettingsOfNewerSystemsAreSkippedOnOlderOnes) {
    inFreshProcess([] {
        QMUIConfiguration::sharedInstance()->navBarUsesStandardAppearanceOnly = true;
        QMUIConfiguration::sharedInstance()->tableViewSectionHeaderTopPadding = 7;
        applyTheme(false);
        const QMUIConfiguration& c = QMUICMI();
        return c.navBarUsesStandardAppearanceOnly.get() && c.tableViewSectionHeaderTopPadding.get() == 7 &&
               c.navBarTitleColor.get() == UIColor::whiteColor();
    });
    inFreshProcess([] {
        QMUIConfiguration::sharedInstance()->navBarUsesStandardAppearanceOnly = true;
        applyTheme(true);
        return !QMUICMI().navBarUsesStandardAppearanceOnly.get();
    });
}

TEST(ThemeTemplate, InsetGroupedMarginFollowsTheScreenSize) {
    inFreshProcess([] {
        applyTheme();
        return !QMUIHelper::isRegularScreen() && QMUICMI().tableViewInsetGroupedHorizontalInset.get() == 15;
    });
    inFreshProcess([] {
        UIScreen::configureMainScreen({{414, 896}, 2, 47, 34});
        applyTheme();
        return QMUIHelper::isRegularScreen() && QMUICMI().tableViewInsetGroupedHorizontalInset.get() == 20;
    });
    inFreshProcess([] {
        UIScreen::configureMainScreen(UIScreen::Metrics::tablet());
        applyTheme();
        return UIDevice::currentDevice().userInterfaceIdiom() == UIUserInterfaceIdiom::pad &&
               QMUIHelper::isRegularScreen() && QMUICMI().tableViewInsetGroupedHorizontalInset.get() == 20;
    });
}

} // namespace
