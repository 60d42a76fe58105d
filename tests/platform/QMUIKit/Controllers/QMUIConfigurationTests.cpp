#include "platform/QMUIKit/Controllers/QMUIConfiguration.h"
#include "platform/QMUIKit/Controllers/QMUIHelper.h"
#include "platform/QMUIKit/Controllers/UIColor+QMUI.h"
#include "platform/QMUIKit/Controllers/UIImage+QMUI.h"
#include "platform/UIKit/Controllers/UINavigationBar.h"
#include "platform/UIKit/Controllers/UITabBar.h"
#include "platform/UIKit/UIImage.h"
#include "platform/UIKit/UILabel.h"

#include <gtest/gtest.h>

namespace {

// Writes a few settings the way the application's theme does: each preceded by
// applyInitialTemplate, some read back from earlier rows.
class ThemeTemplate : public QMUIConfigurationTemplateProtocol {
  public:
    void applyConfigurationTemplate() override {
        ++runs;
        auto* configuration = QMUIConfiguration::sharedInstance();
        configuration->applyInitialTemplate();
        configuration->grayColor = UIColor::colorWithRed(0.5, 0.5, 0.5, 1);
        configuration->applyInitialTemplate();
        configuration->disabledColor = configuration->grayColor;
        configuration->applyInitialTemplate();
        configuration->toolBarTintColor = std::nullopt;
        configuration->applyInitialTemplate();
        configuration->toolBarTintColorHighlighted =
            configuration->toolBarTintColor.get()
                ? std::optional(configuration->toolBarTintColor.get()->colorWithAlphaComponent(0.4))
                : std::nullopt;
        configuration->applyInitialTemplate();
        configuration->navBarBackgroundImage =
            UIImage::qmui_imageWithColor(*qmui_colorWithHexString("1C1B20"));
        configuration->applyInitialTemplate();
        configuration->navBarTitleColor = UIColor::whiteColor();
        configuration->applyInitialTemplate();
        configuration->navBarTitleFont = UIFont::systemFontOfSize(18);
    }
    bool shouldApplyTemplateAutomatically() override { return true; }
    int runs = 0;
};

} // namespace

TEST(QMUIConfiguration, TheInitialTemplateIsAppliedOnceAndItsSettingsStay) {
    auto bar = std::make_shared<UINavigationBar>();
    auto theme = std::make_shared<ThemeTemplate>();
    QMUIConfiguration::registerTemplate(theme);

    QMUIConfiguration& configuration = QMUICMI();
    EXPECT_EQ(theme->runs, 1);
    EXPECT_EQ(configuration.disabledColor.get(), UIColor::colorWithRed(0.5, 0.5, 0.5, 1))
        << "read back from grayColor";
    EXPECT_EQ(configuration.toolBarTintColorHighlighted.get(), std::nullopt);

    configuration.applyInitialTemplate();
    QMUICMI();
    EXPECT_EQ(theme->runs, 1) << "later calls do not apply anything again";
    EXPECT_EQ(configuration.navBarTitleColor.get(), UIColor::whiteColor());

    // The bar made before the theme ran follows it.
    EXPECT_EQ(bar->titleLabel()->textColor(), UIColor::whiteColor());
    EXPECT_EQ(bar->titleLabel()->font(), UIFont::systemFontOfSize(18));
    EXPECT_EQ(bar->backgroundImage(), configuration.navBarBackgroundImage.get());

    auto tabBar = std::make_shared<UITabBar>();
    EXPECT_EQ(tabBar->shadowImage(), nullptr);
    configuration.tabBarShadowImageColor = UIColor::clearColor();
    ASSERT_NE(tabBar->shadowImage(), nullptr) << "a clear hairline instead of the default one";
    configuration.tabBarShadowImageColor = std::nullopt;
    EXPECT_EQ(tabBar->shadowImage(), nullptr);
}

TEST(QMUIConfiguration, ATemplateRegisteredLateIsAppliedAtOnce) {
    QMUICMI();
    auto late = std::make_shared<ThemeTemplate>();
    QMUIConfiguration::registerTemplate(late);
    EXPECT_EQ(late->runs, 1);
    EXPECT_EQ(QMUICMI().navBarTitleColor.get(), UIColor::whiteColor());
}

TEST(QMUIConfiguration, TheDefaultsAreTheKitsPalette) {
    QMUIConfiguration& configuration = QMUICMI();
    EXPECT_EQ(configuration.clearColor.get(), UIColor::colorWithRed(1, 1, 1, 0))
        << "white at alpha 0, not black";
    EXPECT_EQ(configuration.windowLevelQMUIAlertView.get(), UIWindowLevelAlert - 4);
    EXPECT_FALSE(configuration.sendAnalyticsToQMUITeam.get());
    EXPECT_EQ(configuration.updatesIndicatorOffset.get(), (CGPoint{4, 7}));
}

TEST(QMUIConfiguration, HexColoursReadWithAndWithoutHashAndAlphaFirst) {
    EXPECT_EQ(qmui_colorWithHexString("1C1B20"),
              UIColor::colorWithRed(0x1C / 255.0, 0x1B / 255.0, 0x20 / 255.0, 1));
    EXPECT_EQ(qmui_colorWithHexString("#1c1b20"), qmui_colorWithHexString("1C1B20"));
    EXPECT_EQ(qmui_colorWithHexString("80FF0000"), UIColor::colorWithRed(1, 0, 0, 0x80 / 255.0));
    EXPECT_EQ(qmui_colorWithHexString("#F00"), UIColor::redColor());
    EXPECT_EQ(qmui_colorWithHexString("12345"), std::nullopt);
    EXPECT_EQ(qmui_colorWithHexString("GG0000"), std::nullopt);
    EXPECT_EQ(qmui_colorWithHexString(""), std::nullopt);
}

TEST(QMUIConfiguration, ShapeImagesHaveTheirSizeAndTakeTheTintWhenDrawnWithout) {
    auto close = qmui_imageWithShape(QMUIImageShape::navClose, {16, 16}, std::nullopt);
    ASSERT_NE(close, nullptr);
    EXPECT_EQ(close->size(), (CGSize{16, 16}));
    EXPECT_EQ(close->renderingMode(), UIImageRenderingMode::alwaysTemplate);
    auto triangle = qmui_imageWithShape(QMUIImageShape::triangle, {8, 5}, UIColor::redColor());
    ASSERT_NE(triangle, nullptr);
    EXPECT_EQ(triangle->renderingMode(), UIImageRenderingMode::automatic);
    EXPECT_EQ(qmui_imageWithShape(QMUIImageShape::triangle, {0, 5}, std::nullopt), nullptr);
}

TEST(QMUIConfiguration, ThePhoneScreenIsNotARegularOne) {
    EXPECT_FALSE(QMUIHelper::isRegularScreen());
}
