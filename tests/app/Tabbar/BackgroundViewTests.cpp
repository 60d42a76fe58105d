#include "app/Tabbar/AHLimberTabbarBackgroundView.h"
#include "app/Tabbar/AHPitView.h"
#include "app/Tabbar/PitPath.h"
#include "platform/Foundation/RunLoop.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

class BackgroundView : public testing::Test {
  protected:
    void SetUp() override {
        testsupport::useVirtualClock();
        RunLoop::main().advance(10);
        bar = std::make_shared<UIView>(CGRectMake(0, 0, 375, 49));
        background = AHLimberTabbarBackgroundView::makePinned(*bar);
    }

    std::optional<CGPath> presentedPath() const {
        auto value = background->borderLayer()->presentationValueForKeyPath("path");
        return value ? std::get<std::optional<CGPath>>(*value) : std::nullopt;
    }

    std::shared_ptr<UIView> bar;
    std::shared_ptr<AHLimberTabbarBackgroundView> background;
};

TEST_F(BackgroundView, PinnedOverItsSuperviewAsTheLastSubview) {
    EXPECT_EQ(bar->subviews().back(), background);
    EXPECT_EQ(background->frame(), bar->bounds());
    bar->setFrame(CGRectMake(0, 0, 390, 83));
    bar->layoutIfNeeded();
    EXPECT_EQ(background->frame(), CGRectMake(0, 0, 390, 83));
}

TEST_F(BackgroundView, ShapeStartsEmptyWithTheDefaultFillAndAnUpwardShadow) {
    const auto& shape = *background->borderLayer();
    EXPECT_FALSE(shape.path().has_value());
    EXPECT_EQ(shape.fillColor(), UIColor::whiteColor());
    EXPECT_EQ(shape.anchorPoint(), (CGPoint{0, 0}));
    EXPECT_EQ(shape.shadowOffset(), (CGSize{0, -2}));
    EXPECT_FLOAT_EQ(shape.shadowOpacity(), 0.3f);
    EXPECT_EQ(background->pitDepth(), 40);
}

TEST_F(BackgroundView, PitSlidesShallowerHalfWayAndHoldsItsLastShape) {
    background->animatePit(47, 328);
    auto animation =
        std::dynamic_pointer_cast<CAKeyframeAnimation>(background->borderLayer()->animationForKey("path"));
    ASSERT_NE(animation, nullptr);
    EXPECT_EQ(animation->keyTimes, (std::vector<double>{0, 0.5, 1}));
    EXPECT_DOUBLE_EQ(animation->duration, 0.5);
    EXPECT_FALSE(animation->removedOnCompletion);
    EXPECT_EQ(animation->fillMode, kCAFillModeBoth);
    ASSERT_EQ(animation->values.size(), 3u);
    const CGFloat middleScale = pitMiddleDepthScale(47, 328, 375);
    EXPECT_EQ(std::get<std::optional<CGPath>>(animation->values[1]), background->pitPath(187.5, middleScale));

    RunLoop::main().advance(1);
    EXPECT_FALSE(background->borderLayer()->path().has_value()) << "the layer's own path is never set";
    EXPECT_EQ(presentedPath(), background->pitPath(328, 1.0));
}

TEST_F(BackgroundView, PitInPlacePulsesToFourFifthsDepth) {
    background->animatePit(100, 100);
    RunLoop::main().advance(0.25);
    const auto path = presentedPath();
    ASSERT_TRUE(path.has_value());
    EXPECT_NEAR(path->elements()[2].points[2].y, 0.8 * 40, 1e-9); // the pit's bottom point
    EXPECT_NEAR(path->elements()[2].points[2].x, 100, 1e-9);
}

TEST_F(BackgroundView, NewSlideReplacesTheRunningOne) {
    background->animatePit(47, 328);
    RunLoop::main().advance(0.2);
    background->animatePit(328, 140);
    EXPECT_EQ(background->borderLayer()->animationKeys(), (std::vector<std::string>{"path"}));
    RunLoop::main().advance(1);
    EXPECT_EQ(presentedPath(), background->pitPath(140, 1.0));
}

TEST_F(BackgroundView, ZeroWidthBarAnimatesWithoutNaN) {
    auto empty = std::make_shared<AHLimberTabbarBackgroundView>();
    empty->animatePit(0, 50);
    auto animation =
        std::dynamic_pointer_cast<CAKeyframeAnimation>(empty->borderLayer()->animationForKey("path"));
    ASSERT_NE(animation, nullptr);
    for (const CAValue& value : animation->values) {
        for (const auto& element : std::get<std::optional<CGPath>>(value)->elements()) {
            for (const CGPoint& point : element.points) {
                EXPECT_TRUE(std::isfinite(point.x) && std::isfinite(point.y));
            }
        }
    }
}

TEST(PitView, RunTimeDefaultsShowAFlatLineAndDesignTimeACentredPit) {
    auto view = std::make_shared<AHPitView>(CGRectMake(0, 0, 300, 60));
    const auto& guides = view->guideRectsLayer()->path();
    ASSERT_TRUE(guides.has_value());
    EXPECT_EQ(guides->boundingBox().size.height, 0);
    EXPECT_EQ(view->borderLayer()->path()->elements()[2].points[2], (CGPoint{45, 0}));

    view->prepareForInterfaceBuilder();
    const CGFloat left = (300 - 90) * 0.5;
    EXPECT_EQ(view->borderLayer()->path(), pitOutline({300, 60}, left, 40, 1.0));
    EXPECT_EQ(view->guideRectsLayer()->path()->boundingBox(), CGRectMake(left, 0, 80, 40));

    view->setShowRects(false);
    EXPECT_FALSE(view->guideRectsLayer()->path().has_value());
    view->setShowRects(true);
    EXPECT_TRUE(view->guideRectsLayer()->path().has_value());
}

} // namespace
