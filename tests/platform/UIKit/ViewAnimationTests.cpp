#include "platform/Foundation/RunLoop.h"
#include "platform/QuartzCore/CAShapeLayer.h"
#include "platform/SnapKit/ConstraintMaker.h"
#include "platform/UIKit/UIView.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

double presentedAlpha(const UIView& view) {
    return std::get<double>(*view.layer()->presentationValueForKeyPath("opacity"));
}

CGPoint presentedCenter(const UIView& view) {
    return std::get<CGPoint>(*view.layer()->presentationValueForKeyPath("position"));
}

class ViewAnimation : public testing::Test {
  protected:
    void SetUp() override {
        testsupport::useVirtualClock();
        RunLoop::main().advance(1);
    }
};

} // namespace

TEST_F(ViewAnimation, FadeReachesHalfWayAtHalfTimeAndCompletesAtTheEnd) {
    auto view = std::make_shared<UIView>(CGRectMake(0, 0, 10, 10));
    int completions = 0;
    bool finishedFlag = false;
    double completedAt = -1;
    const double start = RunLoop::main().now();
    UIView::animateWithDuration(
        0.3, [&] { view->setAlpha(0); },
        [&](bool finished) {
            ++completions;
            finishedFlag = finished;
            completedAt = RunLoop::main().now() - start;
        });
    EXPECT_EQ(view->alpha(), 0) << "the model value changes at once";
    EXPECT_DOUBLE_EQ(presentedAlpha(*view), 1);
    RunLoop::main().advance(0.15);
    EXPECT_NEAR(presentedAlpha(*view), 0.5, 1e-9);
    EXPECT_EQ(completions, 0);
    RunLoop::main().advance(0.15);
    EXPECT_EQ(completions, 1);
    EXPECT_TRUE(finishedFlag);
    EXPECT_NEAR(completedAt, 0.3, 1e-9);
    EXPECT_TRUE(view->layer()->animationKeys().empty()) << "removed after completion";
    EXPECT_DOUBLE_EQ(presentedAlpha(*view), 0);
}

TEST_F(ViewAnimation, LayoutPassInsideABlockAnimatesTheNewFrames) {
    auto page = std::make_shared<UIView>(CGRectMake(0, 0, 390, 844));
    auto panel = std::make_shared<UIView>();
    page->addSubview(panel);
    std::shared_ptr<Constraint> right;
    panel->snp.makeConstraints([&](ConstraintMaker& make) {
        make.top.bottom().equalToSuperview();
        make.width.equalTo(200);
        right = make.right.equalToSuperview().offset(200).constraint();
    });
    page->layoutIfNeeded();
    right->updateOffset(0);
    bool done = false;
    UIView::animateWithDuration(
        0.3, [&] { page->layoutIfNeeded(); }, [&](bool) { done = true; });
    EXPECT_DOUBLE_EQ(panel->frame().origin.x, 190);
    EXPECT_DOUBLE_EQ(presentedCenter(*panel).x, 490) << "still off screen on the display";
    RunLoop::main().advance(0.15);
    EXPECT_NEAR(presentedCenter(*panel).x, 390, 1e-6);
    RunLoop::main().advance(0.15);
    EXPECT_TRUE(done);
    EXPECT_DOUBLE_EQ(presentedCenter(*panel).x, 290);
}

TEST_F(ViewAnimation, BlockThatChangesNothingCompletesOnTheNextTurn) {
    auto view = std::make_shared<UIView>();
    bool done = false;
    UIView::animateWithDuration(
        0.3, [&] { view->layoutIfNeeded(); }, [&](bool finished) { done = finished; });
    EXPECT_FALSE(done);
    RunLoop::main().runPending();
    EXPECT_TRUE(done);
}

TEST_F(ViewAnimation, DelayKeepsTheOldValueOnScreen) {
    auto view = std::make_shared<UIView>();
    UIView::animateWithDuration(
        0.2, 0.1, UIViewAnimationOptionCurveLinear, [&] { view->setAlpha(0); }, nullptr);
    RunLoop::main().advance(0.05);
    EXPECT_DOUBLE_EQ(presentedAlpha(*view), 1);
    RunLoop::main().advance(0.15);
    EXPECT_NEAR(presentedAlpha(*view), 0.5, 1e-9);
}

TEST_F(ViewAnimation, KeyframesChangeValuesAtTheirRelativeTimes) {
    // A tab icon that blinks: out in the first half, back in the second.
    auto icon = std::make_shared<UIView>(CGRectMake(0, 0, 20, 20));
    auto bubble = std::make_shared<UIView>(CGRectMake(0, -10, 40, 40));
    bool done = false;
    UIView::animateKeyframesWithDuration(
        0.5, 0, 0,
        [&] {
            UIView::addKeyframeWithRelativeStartTime(0, 0.5, [&] { icon->setAlpha(0); });
            UIView::addKeyframeWithRelativeStartTime(0.5, 0.5, [&] { icon->setAlpha(1); });
            UIView::addKeyframeWithRelativeStartTime(0, 0.5, [&] { bubble->setCenter({100, 20 + 50}); });
            UIView::addKeyframeWithRelativeStartTime(0.5, 0.5, [&] { bubble->setCenter({200, 20 - 10}); });
        },
        [&](bool finished) { done = finished; });
    EXPECT_EQ(icon->alpha(), 1);
    EXPECT_EQ(bubble->center(), (CGPoint{200, 10}));
    RunLoop::main().advance(0.125);
    EXPECT_NEAR(presentedAlpha(*icon), 0.5, 1e-9);
    EXPECT_NEAR(presentedCenter(*bubble).x, 60, 1e-9);
    RunLoop::main().advance(0.125);
    EXPECT_NEAR(presentedAlpha(*icon), 0, 1e-9);
    EXPECT_NEAR(presentedCenter(*bubble).y, 70, 1e-9) << "the dip at half time";
    RunLoop::main().advance(0.125);
    EXPECT_NEAR(presentedAlpha(*icon), 0.5, 1e-9);
    EXPECT_FALSE(done);
    RunLoop::main().advance(0.125);
    EXPECT_TRUE(done);
    EXPECT_DOUBLE_EQ(presentedAlpha(*icon), 1);
}

TEST_F(ViewAnimation, NewAnimationStartsFromWhatIsOnScreen) {
    auto view = std::make_shared<UIView>();
    bool firstFinished = true;
    UIView::animateWithDuration(
        1, 0, UIViewAnimationOptionCurveLinear, [&] { view->setAlpha(0); },
        [&](bool finished) { firstFinished = finished; });
    RunLoop::main().advance(0.5);
    UIView::animateWithDuration(
        1, 0, UIViewAnimationOptionCurveLinear, [&] { view->setAlpha(1); }, nullptr);
    EXPECT_FALSE(firstFinished) << "the interrupted animation reports that it did not finish";
    EXPECT_NEAR(presentedAlpha(*view), 0.5, 1e-9);
    RunLoop::main().advance(0.5);
    EXPECT_NEAR(presentedAlpha(*view), 0.75, 1e-9);
}

TEST_F(ViewAnimation, ChangesOutsideBlocksAndWithoutAnimationJump) {
    auto view = std::make_shared<UIView>();
    view->setAlpha(0.2);
    EXPECT_TRUE(view->layer()->animationKeys().empty());
    UIView::animateWithDuration(1, [&] { UIView::performWithoutAnimation([&] { view->setAlpha(0.4); }); });
    EXPECT_TRUE(view->layer()->animationKeys().empty());
    EXPECT_NEAR(presentedAlpha(*view), 0.4, 1e-6);
}

TEST_F(ViewAnimation, SublayerPropertiesChangedInABlockAnimateWithIt) {
    // A bar background whose shape layer changes colour inside a half-second view animation.
    auto bar = std::make_shared<UIView>(CGRectMake(0, 0, 390, 83));
    auto shape = CAShapeLayer::layer();
    shape->setFillColor(UIColor::whiteColor());
    bar->layer()->addSublayer(shape);
    UIView::animateWithDuration(
        0.5, 0, UIViewAnimationOptionCurveLinear, [&] { shape->setFillColor(UIColor::blackColor()); },
        nullptr);
    EXPECT_EQ(shape->fillColor(), UIColor::blackColor());
    RunLoop::main().advance(0.25);
    auto shown = std::get<std::optional<UIColor>>(*shape->presentationValueForKeyPath("fillColor"));
    ASSERT_TRUE(shown.has_value());
    EXPECT_NEAR(shown->red, 0.5, 1e-9);
    RunLoop::main().advance(0.25);
    EXPECT_TRUE(shape->animationKeys().empty());
}
