#pragma once

#include "platform/CoreGraphics/CGGeometry.h"
#include "platform/UIKit/Controllers/UIViewControllerTypes.h"
#include "platform/UIKit/UIColor.h"
#include "platform/UIKit/UIFont.h"
#include "platform/UIKit/UIWindow.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class UIImage;

// UITableViewAutomaticDimension: a height the table works out itself.
inline constexpr CGFloat UITableViewAutomaticDimension = -1;

// One setting of the configuration: assign a value, read it back (it converts to its
// value). Settings that bars draw with apply themselves to the bars when assigned.
template <class T> class QMUISetting {
  public:
    QMUISetting() = default;
    QMUISetting(T value) : value_(std::move(value)) {}
    QMUISetting(const QMUISetting&) = delete;

    QMUISetting& operator=(T value) {
        value_ = std::move(value);
        if (didSet_) {
            didSet_();
        }
        return *this;
    }
    // Assigning one setting from another copies the value (and applies it).
    QMUISetting& operator=(const QMUISetting& other) { return *this = T(other.value_); }

    operator const T&() const { return value_; }
    const T& get() const { return value_; }
    const T* operator->() const { return &value_; }

    void setDidSet(std::function<void()> didSet) { didSet_ = std::move(didSet); }

  private:
    T value_{};
    std::function<void()> didSet_;
};

using QMUIColorSetting = QMUISetting<std::optional<UIColor>>;
using QMUIFontSetting = QMUISetting<std::optional<UIFont>>;
using QMUIImageSetting = QMUISetting<std::shared_ptr<UIImage>>;
using QMUIClassesSetting = QMUISetting<std::vector<std::string>>;

// A theme: writes its settings into the shared configuration.
class QMUIConfigurationTemplateProtocol {
  public:
    virtual ~QMUIConfigurationTemplateProtocol() = default;
    virtual void applyConfigurationTemplate() = 0;
    virtual bool shouldApplyTemplateAutomatically() { return false; }
};

// The UI kit's settings: palette, bars, tables, badges and behaviour switches. Every
// control of the kit starts from them. The navigation bar and tab bar settings go into
// the bars' shared appearance when assigned, so every bar follows them at once; the
// others are kept for whoever reads them (several are only bookkeeping here, and
// sendAnalyticsToQMUITeam is never acted on: nothing is ever sent).
class QMUIConfiguration {
  public:
    static QMUIConfiguration* sharedInstance();

    // Applies the kit's defaults once, then every registered template that asks to be
    // applied automatically. Later calls do nothing, so that a template may call it
    // before each setting without undoing what it wrote.
    void applyInitialTemplate();
    // Templates are found this way instead of by searching the program's classes; one
    // registered after the initial template was applied is applied at once.
    static void registerTemplate(std::shared_ptr<QMUIConfigurationTemplateProtocol> configurationTemplate);

    // ---- Global colours ----
    QMUIColorSetting clearColor{UIColor::colorWithRed(1, 1, 1, 0)};
    QMUIColorSetting whiteColor{UIColor::whiteColor()};
    QMUIColorSetting blackColor{UIColor::blackColor()};
    QMUIColorSetting grayColor{UIColor::colorWithRed(179 / 255.0, 179 / 255.0, 179 / 255.0, 1)};
    QMUIColorSetting grayDarkenColor{UIColor::colorWithRed(163 / 255.0, 163 / 255.0, 163 / 255.0, 1)};
    QMUIColorSetting grayLightenColor{UIColor::colorWithRed(198 / 255.0, 198 / 255.0, 198 / 255.0, 1)};
    QMUIColorSetting redColor{UIColor::colorWithRed(250 / 255.0, 58 / 255.0, 58 / 255.0, 1)};
    QMUIColorSetting greenColor{UIColor::colorWithRed(159 / 255.0, 214 / 255.0, 97 / 255.0, 1)};
    QMUIColorSetting blueColor{UIColor::colorWithRed(49 / 255.0, 189 / 255.0, 243 / 255.0, 1)};
    QMUIColorSetting yellowColor{UIColor::colorWithRed(1, 207 / 255.0, 71 / 255.0, 1)};
    QMUIColorSetting linkColor{UIColor::colorWithRed(56 / 255.0, 116 / 255.0, 171 / 255.0, 1)};
    QMUIColorSetting disabledColor;
    QMUIColorSetting backgroundColor;
    QMUIColorSetting maskDarkColor{UIColor::colorWithRed(0, 0, 0, 0.35)};
    QMUIColorSetting maskLightColor{UIColor::colorWithRed(1, 1, 1, 0.5)};
    QMUIColorSetting separatorColor{UIColor::colorWithRed(222 / 255.0, 224 / 255.0, 226 / 255.0, 1)};
    QMUIColorSetting separatorDashedColor{UIColor::colorWithRed(17 / 255.0, 17 / 255.0, 17 / 255.0, 1)};
    QMUIColorSetting placeholderColor{UIColor::colorWithRed(196 / 255.0, 200 / 255.0, 208 / 255.0, 1)};
    QMUIColorSetting testColorRed{UIColor::colorWithRed(1, 0, 0, 0.3)};
    QMUIColorSetting testColorGreen{UIColor::colorWithRed(0, 1, 0, 0.3)};
    QMUIColorSetting testColorBlue{UIColor::colorWithRed(0, 0, 1, 0.3)};

    // ---- Logging ----
    QMUISetting<bool> shouldPrintDefaultLog{true};
    QMUISetting<bool> shouldPrintInfoLog{true};
    QMUISetting<bool> shouldPrintWarnLog{true};
    QMUISetting<bool> shouldPrintQMUIWarnLogToConsole{false};

    // ---- Controls ----
    QMUISetting<double> controlHighlightedAlpha{0.5};
    QMUISetting<double> controlDisabledAlpha{0.5};
    QMUISetting<double> buttonHighlightedAlpha{0.5};
    QMUISetting<double> buttonDisabledAlpha{0.5};
    QMUIColorSetting buttonTintColor;

    // ---- Text fields, keyboard, switches ----
    QMUIColorSetting textFieldTextColor;
    QMUIColorSetting textFieldTintColor;
    QMUISetting<UIEdgeInsets> textFieldTextInsets{UIEdgeInsets{0, 7, 0, 7}};
    QMUISetting<int> keyboardAppearance{0};
    QMUIColorSetting switchOnTintColor;
    QMUIColorSetting switchOffTintColor;
    QMUIColorSetting switchThumbTintColor;

    // ---- Navigation bar ----
    QMUISetting<bool> navBarUsesStandardAppearanceOnly{false};
    QMUIClassesSetting navBarContainerClasses;
    QMUISetting<double> navBarHighlightedAlpha{0.2};
    QMUISetting<double> navBarDisabledAlpha{0.2};
    QMUIFontSetting navBarButtonFont;
    QMUIFontSetting navBarButtonFontBold;
    QMUIImageSetting navBarBackgroundImage;
    QMUISetting<bool> navBarRemoveBackgroundEffectAutomatically{false};
    QMUIImageSetting navBarShadowImage;
    QMUIColorSetting navBarShadowImageColor;
    QMUIColorSetting navBarBarTintColor;
    QMUISetting<UIBarStyle> navBarStyle{UIBarStyle::defaultStyle};
    QMUIColorSetting navBarTintColor;
    QMUIColorSetting navBarTitleColor;
    QMUIFontSetting navBarTitleFont;
    QMUIColorSetting navBarLargeTitleColor;
    QMUIFontSetting navBarLargeTitleFont;
    QMUISetting<UIOffset> navBarBackButtonTitlePositionAdjustment;
    QMUISetting<bool> sizeNavBarBackIndicatorImageAutomatically{true};
    QMUIImageSetting navBarBackIndicatorImage;
    QMUIImageSetting navBarCloseButtonImage;
    QMUISetting<CGFloat> navBarLoadingMarginRight{3};
    QMUISetting<CGFloat> navBarAccessoryViewMarginLeft{5};
    QMUISetting<int> navBarActivityIndicatorViewStyle{2};
    QMUIImageSetting navBarAccessoryViewTypeDisclosureIndicatorImage;

    // ---- Tab bar ----
    QMUISetting<bool> tabBarUsesStandardAppearanceOnly{false};
    QMUIClassesSetting tabBarContainerClasses;
    QMUIImageSetting tabBarBackgroundImage;
    QMUISetting<bool> tabBarRemoveBackgroundEffectAutomatically{false};
    QMUIColorSetting tabBarBarTintColor;
    QMUIColorSetting tabBarShadowImageColor;
    QMUISetting<UIBarStyle> tabBarStyle{UIBarStyle::defaultStyle};
    QMUIFontSetting tabBarItemTitleFont;
    QMUIFontSetting tabBarItemTitleFontSelected;
    QMUIColorSetting tabBarItemTitleColor;
    QMUIColorSetting tabBarItemTitleColorSelected;
    QMUIColorSetting tabBarItemImageColor;
    QMUIColorSetting tabBarItemImageColorSelected;

    // ---- Tool bar ----
    QMUISetting<bool> toolBarUsesStandardAppearanceOnly{false};
    QMUIClassesSetting toolBarContainerClasses;
    QMUISetting<double> toolBarHighlightedAlpha{0.4};
    QMUISetting<double> toolBarDisabledAlpha{0.4};
    QMUIColorSetting toolBarTintColor;
    QMUIColorSetting toolBarTintColorHighlighted;
    QMUIColorSetting toolBarTintColorDisabled;
    QMUIImageSetting toolBarBackgroundImage;
    QMUISetting<bool> toolBarRemoveBackgroundEffectAutomatically{false};
    QMUIColorSetting toolBarBarTintColor;
    QMUIColorSetting toolBarShadowImageColor;
    QMUISetting<UIBarStyle> toolBarStyle{UIBarStyle::defaultStyle};
    QMUIFontSetting toolBarButtonFont;

    // ---- Search bar ----
    QMUIImageSetting searchBarTextFieldBackgroundImage;
    QMUIColorSetting searchBarTextFieldBorderColor;
    QMUISetting<CGFloat> searchBarTextFieldCornerRadius{2};
    QMUIImageSetting searchBarBackgroundImage;
    QMUIColorSetting searchBarTintColor;
    QMUIColorSetting searchBarTextColor;
    QMUIColorSetting searchBarPlaceholderColor;
    QMUIFontSetting searchBarFont;
    QMUIImageSetting searchBarSearchIconImage;
    QMUIImageSetting searchBarClearIconImage;

    // ---- Table views ----
    QMUISetting<bool> tableViewEstimatedHeightEnabled{true};
    QMUIColorSetting tableViewBackgroundColor;
    QMUIColorSetting tableSectionIndexColor;
    QMUIColorSetting tableSectionIndexBackgroundColor;
    QMUIColorSetting tableSectionIndexTrackingBackgroundColor;
    QMUIColorSetting tableViewSeparatorColor;
    QMUISetting<CGFloat> tableViewCellNormalHeight{UITableViewAutomaticDimension};
    QMUIColorSetting tableViewCellTitleLabelColor;
    QMUIColorSetting tableViewCellDetailLabelColor;
    QMUIColorSetting tableViewCellBackgroundColor;
    QMUIColorSetting tableViewCellSelectedBackgroundColor;
    QMUIColorSetting tableViewCellWarningBackgroundColor;
    QMUIImageSetting tableViewCellDisclosureIndicatorImage;
    QMUIImageSetting tableViewCellCheckmarkImage;
    QMUIImageSetting tableViewCellDetailButtonImage;
    QMUISetting<CGFloat> tableViewCellSpacingBetweenDetailButtonAndDisclosureIndicator{12};
    QMUIColorSetting tableViewSectionHeaderBackgroundColor;
    QMUIColorSetting tableViewSectionFooterBackgroundColor;
    QMUIFontSetting tableViewSectionHeaderFont;
    QMUIFontSetting tableViewSectionFooterFont;
    QMUIColorSetting tableViewSectionHeaderTextColor;
    QMUIColorSetting tableViewSectionFooterTextColor;
    QMUISetting<UIEdgeInsets> tableViewSectionHeaderAccessoryMargins{UIEdgeInsets{0, 15, 0, 0}};
    QMUISetting<UIEdgeInsets> tableViewSectionFooterAccessoryMargins{UIEdgeInsets{0, 15, 0, 0}};
    QMUISetting<UIEdgeInsets> tableViewSectionHeaderContentInset{UIEdgeInsets{4, 15, 4, 15}};
    QMUISetting<UIEdgeInsets> tableViewSectionFooterContentInset{UIEdgeInsets{4, 15, 4, 15}};
    QMUISetting<CGFloat> tableViewSectionHeaderTopPadding{UITableViewAutomaticDimension};

    // ---- Table views, grouped ----
    QMUIColorSetting tableViewGroupedBackgroundColor;
    QMUIColorSetting tableViewGroupedSeparatorColor;
    QMUIColorSetting tableViewGroupedCellTitleLabelColor;
    QMUIColorSetting tableViewGroupedCellDetailLabelColor;
    QMUIColorSetting tableViewGroupedCellBackgroundColor;
    QMUIColorSetting tableViewGroupedCellSelectedBackgroundColor;
    QMUIColorSetting tableViewGroupedCellWarningBackgroundColor;
    QMUIFontSetting tableViewGroupedSectionHeaderFont;
    QMUIFontSetting tableViewGroupedSectionFooterFont;
    QMUIColorSetting tableViewGroupedSectionHeaderTextColor;
    QMUIColorSetting tableViewGroupedSectionFooterTextColor;
    QMUISetting<UIEdgeInsets> tableViewGroupedSectionHeaderAccessoryMargins{UIEdgeInsets{0, 15, 0, 0}};
    QMUISetting<UIEdgeInsets> tableViewGroupedSectionFooterAccessoryMargins{UIEdgeInsets{0, 15, 0, 0}};
    QMUISetting<CGFloat> tableViewGroupedSectionHeaderDefaultHeight{UITableViewAutomaticDimension};
    QMUISetting<CGFloat> tableViewGroupedSectionFooterDefaultHeight{UITableViewAutomaticDimension};
    QMUISetting<UIEdgeInsets> tableViewGroupedSectionHeaderContentInset{UIEdgeInsets{16, 15, 8, 15}};
    QMUISetting<UIEdgeInsets> tableViewGroupedSectionFooterContentInset{UIEdgeInsets{8, 15, 2, 15}};
    QMUISetting<CGFloat> tableViewGroupedSectionHeaderTopPadding{UITableViewAutomaticDimension};

    // ---- Table views, inset grouped ----
    QMUISetting<CGFloat> tableViewInsetGroupedCornerRadius{10};
    QMUISetting<CGFloat> tableViewInsetGroupedHorizontalInset{15};
    QMUIColorSetting tableViewInsetGroupedBackgroundColor;
    QMUIColorSetting tableViewInsetGroupedSeparatorColor;
    QMUIColorSetting tableViewInsetGroupedCellTitleLabelColor;
    QMUIColorSetting tableViewInsetGroupedCellDetailLabelColor;
    QMUIColorSetting tableViewInsetGroupedCellBackgroundColor;
    QMUIColorSetting tableViewInsetGroupedCellSelectedBackgroundColor;
    QMUIColorSetting tableViewInsetGroupedCellWarningBackgroundColor;
    QMUIFontSetting tableViewInsetGroupedSectionHeaderFont;
    QMUIFontSetting tableViewInsetGroupedSectionFooterFont;
    QMUIColorSetting tableViewInsetGroupedSectionHeaderTextColor;
    QMUIColorSetting tableViewInsetGroupedSectionFooterTextColor;
    QMUISetting<UIEdgeInsets> tableViewInsetGroupedSectionHeaderAccessoryMargins{UIEdgeInsets{0, 15, 0, 0}};
    QMUISetting<UIEdgeInsets> tableViewInsetGroupedSectionFooterAccessoryMargins{UIEdgeInsets{0, 15, 0, 0}};
    QMUISetting<CGFloat> tableViewInsetGroupedSectionHeaderDefaultHeight{UITableViewAutomaticDimension};
    QMUISetting<CGFloat> tableViewInsetGroupedSectionFooterDefaultHeight{UITableViewAutomaticDimension};
    QMUISetting<UIEdgeInsets> tableViewInsetGroupedSectionHeaderContentInset{UIEdgeInsets{16, 15, 8, 15}};
    QMUISetting<UIEdgeInsets> tableViewInsetGroupedSectionFooterContentInset{UIEdgeInsets{16, 15, 8, 15}};
    QMUISetting<CGFloat> tableViewInsetGroupedSectionHeaderTopPadding{UITableViewAutomaticDimension};

    // ---- Window levels ----
    QMUISetting<UIWindowLevel> windowLevelQMUIAlertView{UIWindowLevelAlert - 4};
    QMUISetting<UIWindowLevel> windowLevelQMUIConsole{1};

    // ---- Badges ----
    QMUIColorSetting badgeBackgroundColor;
    QMUIColorSetting badgeTextColor;
    QMUIFontSetting badgeFont;
    QMUISetting<UIEdgeInsets> badgeContentEdgeInsets{UIEdgeInsets{2, 4, 2, 4}};
    QMUISetting<CGPoint> badgeOffset{CGPoint{-9, 11}};
    QMUISetting<CGPoint> badgeOffsetLandscape{CGPoint{-9, 6}};
    QMUISetting<CGPoint> badgeCenterOffset{CGPoint{14, -10}};
    QMUISetting<CGPoint> badgeCenterOffsetLandscape{CGPoint{16, -7}};

    // ---- Update indicators ----
    QMUIColorSetting updatesIndicatorColor;
    QMUISetting<CGSize> updatesIndicatorSize{CGSize{7, 7}};
    QMUISetting<CGPoint> updatesIndicatorOffset{CGPoint{4, 7}};
    QMUISetting<CGPoint> updatesIndicatorOffsetLandscape{CGPoint{4, 7}};
    QMUISetting<CGPoint> updatesIndicatorCenterOffset{CGPoint{14, -10}};
    QMUISetting<CGPoint> updatesIndicatorCenterOffsetLandscape{CGPoint{14, -10}};

    // ---- Behaviour switches ----
    QMUISetting<bool> automaticCustomNavigationBarTransitionStyle{false};
    QMUISetting<UIInterfaceOrientationMask> supportedOrientationMask{UIInterfaceOrientationMaskAll};
    QMUISetting<bool> automaticallyRotateDeviceOrientation{false};
    QMUISetting<UIStatusBarStyle> defaultStatusBarStyle{UIStatusBarStyle::defaultStyle};
    QMUISetting<bool> needsBackBarButtonItemTitle{false};
    QMUISetting<bool> hidesBottomBarWhenPushedInitially{false};
    QMUISetting<bool> preventConcurrentNavigationControllerTransitions{true};
    QMUISetting<bool> navigationBarHiddenInitially{false};
    QMUISetting<bool> shouldFixTabBarTransitionBugInIPhoneX{false};
    QMUISetting<bool> shouldFixTabBarSafeAreaInsetsBug{false};
    QMUISetting<bool> shouldFixSearchBarMaskViewLayoutBug{false};
    QMUISetting<bool> sendAnalyticsToQMUITeam{false};
    QMUISetting<bool> dynamicPreferredValueForIPad{false};
    QMUISetting<bool> ignoreKVCAccessProhibited{false};
    QMUISetting<bool> adjustScrollIndicatorInsetsByContentInsetAdjustment{false};

    // Puts the bar settings into the bars' shared appearance.
    void applyNavigationBarAppearance();
    void applyTabBarAppearance();

  private:
    QMUIConfiguration();
    bool initialTemplateApplied_ = false;
};

// The shared configuration with its initial template applied (the kit's own shorthand).
QMUIConfiguration& QMUICMI();
