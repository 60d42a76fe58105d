#include "app/Theme/QMUIConfigurationTemplate.h"

#include "platform/QMUIKit/Controllers/QMUIHelper.h"
#include "platform/QMUIKit/Controllers/UIColor+QMUI.h"
#include "platform/QMUIKit/Controllers/UIImage+QMUI.h"
#include "platform/UIKit/UIImage.h"

namespace {

// The shared configuration, with the kit's initial template applied first, before every
// setting written and every setting read back.
QMUIConfiguration& configuration() {
    QMUIConfiguration* shared = QMUIConfiguration::sharedInstance();
    shared->applyInitialTemplate();
    return *shared;
}

UIColor rgba(double red, double green, double blue, double alpha) {
    return UIColor::colorWithRed(red, green, blue, alpha);
}

UIColor gray(int level) {
    return rgba(level / 255.0, level / 255.0, level / 255.0, 1);
}

// The resource "back", a white arrow drawn for the dark bar: shown in its own colours
// rather than tinted (the resource's rendering, which an asset catalogue would carry).
std::shared_ptr<UIImage> backIndicator() {
    const auto image = UIImage::imageNamed("back");
    return image ? image->imageWithRenderingMode(UIImageRenderingMode::alwaysOriginal) : nullptr;
}

std::optional<UIColor> withAlpha(const std::optional<UIColor>& color, double alpha) {
    return color ? std::optional<UIColor>(color->colorWithAlphaComponent(alpha)) : std::nullopt;
}

} // namespace

void QMUIConfigurationTemplate::applyConfigurationTemplate() {
    // Global colours.
    configuration().clearColor = rgba(1, 1, 1, 0);
    configuration().whiteColor = rgba(1, 1, 1, 1);
    configuration().blackColor = rgba(0, 0, 0, 1);
    configuration().grayColor = gray(179);
    configuration().grayDarkenColor = gray(163);
    configuration().grayLightenColor = gray(198);
    configuration().redColor = rgba(250 / 255.0, 58 / 255.0, 58 / 255.0, 1);
    configuration().greenColor = rgba(159 / 255.0, 214 / 255.0, 97 / 255.0, 1);
    configuration().blueColor = rgba(49 / 255.0, 189 / 255.0, 243 / 255.0, 1);
    configuration().yellowColor = rgba(1, 207 / 255.0, 71 / 255.0, 1);
    configuration().linkColor = rgba(56 / 255.0, 116 / 255.0, 171 / 255.0, 1);
    configuration().disabledColor = configuration().grayColor.get();
    configuration().backgroundColor = std::nullopt;
    configuration().maskDarkColor = rgba(0, 0, 0, 0.35);
    configuration().maskLightColor = rgba(1, 1, 1, 0.5);
    configuration().separatorColor = rgba(222 / 255.0, 224 / 255.0, 226 / 255.0, 1);
    configuration().separatorDashedColor = gray(17);
    configuration().placeholderColor = rgba(196 / 255.0, 200 / 255.0, 208 / 255.0, 1);
    configuration().testColorRed = rgba(1, 0, 0, 0.3);
    configuration().testColorGreen = rgba(0, 1, 0, 0.3);
    configuration().testColorBlue = rgba(0, 0, 1, 0.3);

    // Logging.
    configuration().shouldPrintDefaultLog = true;
    configuration().shouldPrintInfoLog = true;
    configuration().shouldPrintWarnLog = true;
    configuration().shouldPrintQMUIWarnLogToConsole = false;

    // Controls and buttons.
    configuration().controlHighlightedAlpha = 0.5;
    configuration().controlDisabledAlpha = 0.5;
    configuration().buttonHighlightedAlpha = configuration().controlHighlightedAlpha.get();
    configuration().buttonDisabledAlpha = configuration().controlDisabledAlpha.get();
    configuration().buttonTintColor = configuration().blueColor.get();

    // Text fields, keyboard, switches.
    configuration().textFieldTextColor = std::nullopt;
    configuration().textFieldTintColor = std::nullopt;
    configuration().textFieldTextInsets = UIEdgeInsets{0, 7, 0, 7};
    configuration().keyboardAppearance = 0;
    configuration().switchOnTintColor = std::nullopt;
    configuration().switchOffTintColor = std::nullopt;
    configuration().switchThumbTintColor = std::nullopt;

    // Navigation bar.
    if (systemAtLeast15_) {
        configuration().navBarUsesStandardAppearanceOnly = false;
    }
    configuration().navBarContainerClasses = std::vector<std::string>{};
    configuration().navBarHighlightedAlpha = 0.2;
    configuration().navBarDisabledAlpha = 0.2;
    configuration().navBarButtonFont = std::nullopt;
    configuration().navBarButtonFontBold = std::nullopt;
    configuration().navBarBackgroundImage = UIImage::qmui_imageWithColor(*qmui_colorWithHexString("1C1B20"));
    if (systemAtLeast15_) {
        configuration().navBarRemoveBackgroundEffectAutomatically = false;
    }
    configuration().navBarShadowImage = nullptr;
    configuration().navBarShadowImageColor = std::nullopt;
    configuration().navBarBarTintColor = std::nullopt;
    configuration().navBarStyle = UIBarStyle::defaultStyle;
    configuration().navBarTintColor = std::nullopt;
    configuration().navBarTitleColor = UIColor::whiteColor();
    configuration().navBarTitleFont = UIFont::systemFontOfSize(18);
    configuration().navBarLargeTitleColor = std::nullopt;
    configuration().navBarLargeTitleFont = std::nullopt;
    configuration().navBarBackButtonTitlePositionAdjustment = UIOffsetZero;
    configuration().sizeNavBarBackIndicatorImageAutomatically = true;
    configuration().navBarBackIndicatorImage = backIndicator();
    configuration().navBarCloseButtonImage =
        qmui_imageWithShape(QMUIImageShape::navClose, {16, 16}, configuration().navBarTintColor.get());
    configuration().navBarLoadingMarginRight = 3;
    configuration().navBarAccessoryViewMarginLeft = 5;
    configuration().navBarActivityIndicatorViewStyle = 2;
    configuration().navBarAccessoryViewTypeDisclosureIndicatorImage =
        qmui_imageWithShape(QMUIImageShape::triangle, {8, 5}, std::nullopt)
            ->imageWithRenderingMode(UIImageRenderingMode::alwaysTemplate);

    // Tab bar.
    if (systemAtLeast15_) {
        configuration().tabBarUsesStandardAppearanceOnly = false;
    }
    configuration().tabBarContainerClasses = std::vector<std::string>{};
    configuration().tabBarBackgroundImage = nullptr;
    if (systemAtLeast15_) {
        configuration().tabBarRemoveBackgroundEffectAutomatically = false;
    }
    configuration().tabBarBarTintColor = std::nullopt;
    configuration().tabBarShadowImageColor = std::nullopt;
    configuration().tabBarStyle = UIBarStyle::defaultStyle;
    configuration().tabBarItemTitleFont = std::nullopt;
    configuration().tabBarItemTitleFontSelected = std::nullopt;
    configuration().tabBarItemTitleColor = std::nullopt;
    configuration().tabBarItemTitleColorSelected = std::nullopt;
    configuration().tabBarItemImageColor = std::nullopt;
    configuration().tabBarItemImageColorSelected = std::nullopt;

    // Tool bar.
    if (systemAtLeast15_) {
        configuration().toolBarUsesStandardAppearanceOnly = false;
    }
    configuration().toolBarContainerClasses = std::vector<std::string>{};
    configuration().toolBarHighlightedAlpha = 0.4;
    configuration().toolBarDisabledAlpha = 0.4;
    configuration().toolBarTintColor = std::nullopt;
    configuration().toolBarTintColorHighlighted =
        withAlpha(configuration().toolBarTintColor.get(), configuration().toolBarHighlightedAlpha.get());
    configuration().toolBarTintColorDisabled =
        withAlpha(configuration().toolBarTintColor.get(), configuration().toolBarDisabledAlpha.get());
    configuration().toolBarBackgroundImage = nullptr;
    if (systemAtLeast15_) {
        configuration().toolBarRemoveBackgroundEffectAutomatically = false;
    }
    configuration().toolBarBarTintColor = std::nullopt;
    configuration().toolBarShadowImageColor = std::nullopt;
    configuration().toolBarStyle = UIBarStyle::defaultStyle;
    configuration().toolBarButtonFont = std::nullopt;

    // Search bar.
    configuration().searchBarTextFieldBackgroundImage = nullptr;
    configuration().searchBarTextFieldBorderColor = std::nullopt;
    configuration().searchBarTextFieldCornerRadius = 2;
    configuration().searchBarBackgroundImage = nullptr;
    configuration().searchBarTintColor = std::nullopt;
    configuration().searchBarTextColor = std::nullopt;
    configuration().searchBarPlaceholderColor = configuration().placeholderColor.get();
    configuration().searchBarFont = std::nullopt;
    configuration().searchBarSearchIconImage = nullptr;
    configuration().searchBarClearIconImage = nullptr;

    // Table views.
    configuration().tableViewEstimatedHeightEnabled = true;
    configuration().tableViewBackgroundColor = std::nullopt;
    configuration().tableSectionIndexColor = std::nullopt;
    configuration().tableSectionIndexBackgroundColor = std::nullopt;
    configuration().tableSectionIndexTrackingBackgroundColor = std::nullopt;
    configuration().tableViewSeparatorColor = configuration().separatorColor.get();
    configuration().tableViewCellNormalHeight = UITableViewAutomaticDimension;
    configuration().tableViewCellTitleLabelColor = std::nullopt;
    configuration().tableViewCellDetailLabelColor = std::nullopt;
    configuration().tableViewCellBackgroundColor = std::nullopt;
    configuration().tableViewCellSelectedBackgroundColor = rgba(238 / 255.0, 239 / 255.0, 241 / 255.0, 1);
    configuration().tableViewCellWarningBackgroundColor = configuration().yellowColor.get();
    configuration().tableViewCellDisclosureIndicatorImage = nullptr;
    configuration().tableViewCellCheckmarkImage = nullptr;
    configuration().tableViewCellDetailButtonImage = nullptr;
    configuration().tableViewCellSpacingBetweenDetailButtonAndDisclosureIndicator = 12;
    configuration().tableViewSectionHeaderBackgroundColor = gray(244);
    configuration().tableViewSectionFooterBackgroundColor = gray(244);
    configuration().tableViewSectionHeaderFont = UIFont::boldSystemFontOfSize(12);
    configuration().tableViewSectionFooterFont = UIFont::boldSystemFontOfSize(12);
    configuration().tableViewSectionHeaderTextColor = configuration().grayDarkenColor.get();
    configuration().tableViewSectionFooterTextColor = configuration().grayColor.get();
    configuration().tableViewSectionHeaderAccessoryMargins = UIEdgeInsets{0, 15, 0, 0};
    configuration().tableViewSectionFooterAccessoryMargins = UIEdgeInsets{0, 15, 0, 0};
    configuration().tableViewSectionHeaderContentInset = UIEdgeInsets{4, 15, 4, 15};
    configuration().tableViewSectionFooterContentInset = UIEdgeInsets{4, 15, 4, 15};
    if (systemAtLeast15_) {
        configuration().tableViewSectionHeaderTopPadding = UITableViewAutomaticDimension;
    }

    // Table views, grouped style.
    configuration().tableViewGroupedBackgroundColor = std::nullopt;
    configuration().tableViewGroupedSeparatorColor = configuration().tableViewSeparatorColor.get();
    configuration().tableViewGroupedCellTitleLabelColor = configuration().tableViewCellTitleLabelColor.get();
    configuration().tableViewGroupedCellDetailLabelColor =
        configuration().tableViewCellDetailLabelColor.get();
    configuration().tableViewGroupedCellBackgroundColor = configuration().tableViewCellBackgroundColor.get();
    configuration().tableViewGroupedCellSelectedBackgroundColor =
        configuration().tableViewCellSelectedBackgroundColor.get();
    configuration().tableViewGroupedCellWarningBackgroundColor =
        configuration().tableViewCellWarningBackgroundColor.get();
    configuration().tableViewGroupedSectionHeaderFont = UIFont::systemFontOfSize(12);
    configuration().tableViewGroupedSectionFooterFont = UIFont::systemFontOfSize(12);
    configuration().tableViewGroupedSectionHeaderTextColor = configuration().grayDarkenColor.get();
    configuration().tableViewGroupedSectionFooterTextColor = configuration().grayColor.get();
    configuration().tableViewGroupedSectionHeaderAccessoryMargins = UIEdgeInsets{0, 15, 0, 0};
    configuration().tableViewGroupedSectionFooterAccessoryMargins = UIEdgeInsets{0, 15, 0, 0};
    configuration().tableViewGroupedSectionHeaderDefaultHeight = UITableViewAutomaticDimension;
    configuration().tableViewGroupedSectionFooterDefaultHeight = UITableViewAutomaticDimension;
    configuration().tableViewGroupedSectionHeaderContentInset = UIEdgeInsets{16, 15, 8, 15};
    configuration().tableViewGroupedSectionFooterContentInset = UIEdgeInsets{8, 15, 2, 15};
    if (systemAtLeast15_) {
        configuration().tableViewGroupedSectionHeaderTopPadding = UITableViewAutomaticDimension;
    }

    // Table views, inset grouped style.
    configuration().tableViewInsetGroupedCornerRadius = 10;
    configuration().tableViewInsetGroupedHorizontalInset = QMUIHelper::isRegularScreen() ? 20 : 15;
    configuration().tableViewInsetGroupedBackgroundColor =
        configuration().tableViewGroupedBackgroundColor.get();
    configuration().tableViewInsetGroupedSeparatorColor =
        configuration().tableViewGroupedSeparatorColor.get();
    configuration().tableViewInsetGroupedCellTitleLabelColor =
        configuration().tableViewGroupedCellTitleLabelColor.get();
    configuration().tableViewInsetGroupedCellDetailLabelColor =
        configuration().tableViewGroupedCellDetailLabelColor.get();
    configuration().tableViewInsetGroupedCellBackgroundColor =
        configuration().tableViewGroupedCellBackgroundColor.get();
    configuration().tableViewInsetGroupedCellSelectedBackgroundColor =
        configuration().tableViewGroupedCellSelectedBackgroundColor.get();
    configuration().tableViewInsetGroupedCellWarningBackgroundColor =
        configuration().tableViewGroupedCellWarningBackgroundColor.get();
    configuration().tableViewInsetGroupedSectionHeaderFont =
        configuration().tableViewGroupedSectionHeaderFont.get();
    configuration().tableViewInsetGroupedSectionFooterFont =
        configuration().tableViewInsetGroupedSectionHeaderFont.get();
    configuration().tableViewInsetGroupedSectionHeaderTextColor =
        configuration().tableViewGroupedSectionHeaderTextColor.get();
    configuration().tableViewInsetGroupedSectionFooterTextColor =
        configuration().tableViewInsetGroupedSectionHeaderTextColor.get();
    configuration().tableViewInsetGroupedSectionHeaderAccessoryMargins =
        configuration().tableViewGroupedSectionHeaderAccessoryMargins.get();
    configuration().tableViewInsetGroupedSectionFooterAccessoryMargins =
        configuration().tableViewInsetGroupedSectionHeaderAccessoryMargins.get();
    configuration().tableViewInsetGroupedSectionHeaderDefaultHeight =
        configuration().tableViewGroupedSectionHeaderDefaultHeight.get();
    configuration().tableViewInsetGroupedSectionFooterDefaultHeight =
        configuration().tableViewGroupedSectionFooterDefaultHeight.get();
    configuration().tableViewInsetGroupedSectionHeaderContentInset =
        configuration().tableViewGroupedSectionHeaderContentInset.get();
    configuration().tableViewInsetGroupedSectionFooterContentInset =
        configuration().tableViewInsetGroupedSectionHeaderContentInset.get();
    if (systemAtLeast15_) {
        configuration().tableViewInsetGroupedSectionHeaderTopPadding = UITableViewAutomaticDimension;
    }

    // Window levels.
    configuration().windowLevelQMUIAlertView = UIWindowLevelAlert - 4;
    configuration().windowLevelQMUIConsole = 1;

    // Badges.
    configuration().badgeBackgroundColor = configuration().redColor.get();
    configuration().badgeTextColor = configuration().whiteColor.get();
    configuration().badgeFont = UIFont::boldSystemFontOfSize(11);
    configuration().badgeContentEdgeInsets = UIEdgeInsets{2, 4, 2, 4};
    configuration().badgeOffset = CGPoint{-9, 11};
    configuration().badgeOffsetLandscape = CGPoint{-9, 6};
    configuration().badgeCenterOffset = CGPoint{14, -10};
    configuration().badgeCenterOffsetLandscape = CGPoint{16, -7};

    // Update indicators.
    configuration().updatesIndicatorColor = configuration().redColor.get();
    configuration().updatesIndicatorSize = CGSize{7, 7};
    configuration().updatesIndicatorOffset = CGPoint{4, configuration().updatesIndicatorSize->height};
    configuration().updatesIndicatorOffsetLandscape = configuration().updatesIndicatorOffset.get();
    configuration().updatesIndicatorCenterOffset = CGPoint{14, -10};
    configuration().updatesIndicatorCenterOffsetLandscape = CGPoint{14, -10};

    // Navigation, orientation and behaviour switches.
    configuration().automaticCustomNavigationBarTransitionStyle = false;
    configuration().supportedOrientationMask = UIInterfaceOrientationMaskAll;
    configuration().automaticallyRotateDeviceOrientation = false;
    configuration().defaultStatusBarStyle = UIStatusBarStyle::defaultStyle;
    configuration().needsBackBarButtonItemTitle = false;
    configuration().hidesBottomBarWhenPushedInitially = false;
    configuration().preventConcurrentNavigationControllerTransitions = true;
    configuration().navigationBarHiddenInitially = false;
    configuration().shouldFixTabBarTransitionBugInIPhoneX = false;
    configuration().shouldFixTabBarSafeAreaInsetsBug = false;
    configuration().shouldFixSearchBarMaskViewLayoutBug = false;
    configuration().sendAnalyticsToQMUITeam = true;
    configuration().dynamicPreferredValueForIPad = false;
    configuration().ignoreKVCAccessProhibited = false;
    configuration().adjustScrollIndicatorInsetsByContentInsetAdjustment = false;
}
