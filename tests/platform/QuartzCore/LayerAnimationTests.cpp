#include "platform/Foundation/RunLoop.h"
#include "platform/QuartzCore/CAAnimationRegistry.h"
#include "platform/QuartzCore/CADisplayLink.h"
#include "platform/QuartzCore/CALayer.h"
#include "platform/QuartzCore/CAShapeLayer.h"
#include "platform/QuartzCore/LayerCompositor.h"
#include "tests/platform/QuartzCore/PixelProbe.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

class RecordingDelegate : public CAAnimationDelegate {
  public:
    void animationDidStop(CAAnimation&, bool finished) override {
        stops.push_back(finished);
        stoppedAt.push_back(CACurrentMediaTime());
    }
    std::vector<bool> stops;
    std::vector<double> stoppedAt;
};

double presentedOpacity(const CALayer& layer) {
    return std::get<double>(*layer.presentationValueForKeyPath("opacity"));
}

class LayerAnimation : public testing::Test {
  protected:
    void SetUp() override {
        testsupport::useVirtualClock();
        RunLoop::main().advance(10); // start away from zero, as a running program would
    }
};

} // namespace

TEST_F(LayerAnimation, BasicAnimationMovesThePresentationAndEndsOnTime) {
    auto layer = CALayer::layer();
    layer->setOpacity(0);
    auto fade = CABasicAnimation::animationWithKeyPath("opacity");
    fade->fromValue = 1.0;
    fade->toValue = 0.0;
    fade->duration = 0.3;
    auto delegate = std::make_shared<RecordingDelegate>();
    fade->delegate = delegate;
    const double start = CACurrentMediaTime();
    layer->addAnimation(fade, "fade");

    EXPECT_EQ(layer->opacity(), 0) << "the model changes at once";
    EXPECT_DOUBLE_EQ(presentedOpacity(*layer), 1);
    RunLoop::main().advance(0.15);
    EXPECT_NEAR(presentedOpacity(*layer), 0.5, 1e-9);
    RunLoop::main().advance(0.149);
    EXPECT_TRUE(delegate->stops.empty());
    EXPECT_EQ(layer->animationKeys().size(), 1u);
    RunLoop::main().advance(0.001);
    ASSERT_EQ(delegate->stops.size(), 1u);
    EXPECT_TRUE(delegate->stops[0]);
    EXPECT_NEAR(delegate->stoppedAt[0] - start, 0.3, 1e-9);
    EXPECT_TRUE(layer->animationKeys().empty()) << "removed on completion";
    EXPECT_DOUBLE_EQ(presentedOpacity(*layer), 0);
}

TEST_F(LayerAnimation, AddingUnderTheSameKeyStopsThePreviousAnimationUnfinished) {
    auto layer = CALayer::layer();
    auto first = CABasicAnimation::animationWithKeyPath("opacity");
    first->toValue = 0.0;
    first->duration = 1;
    auto firstDelegate = std::make_shared<RecordingDelegate>();
    first->delegate = firstDelegate;
    layer->addAnimation(first, "opacity");
    RunLoop::main().advance(0.5);
    auto second = CABasicAnimation::animationWithKeyPath("opacity");
    second->toValue = 0.0;
    second->duration = 1;
    layer->addAnimation(second, "opacity");
    ASSERT_EQ(firstDelegate->stops.size(), 1u);
    EXPECT_FALSE(firstDelegate->stops[0]);
    RunLoop::main().advance(2);
    EXPECT_EQ(firstDelegate->stops.size(), 1u) << "a replaced animation never reports again";
}

// Every animation tells its delegate once that it stopped, also when its layer goes first
// or when it is replaced after its end but before that end was reported: a view
// animation's completion waits for all of its animations.
TEST_F(LayerAnimation, AnimationsReportTheirStopWhenTheirLayerGoesOrTheyAreReplacedAtTheirEnd) {
    auto fadeOn = [](CALayer& layer, const std::shared_ptr<RecordingDelegate>& delegate) {
        auto fade = CABasicAnimation::animationWithKeyPath("opacity");
        fade->toValue = 0.0;
        fade->duration = 0.3;
        fade->delegate = delegate;
        layer.addAnimation(fade, "opacity");
    };
    auto goneEarly = std::make_shared<RecordingDelegate>();
    auto goneLate = std::make_shared<RecordingDelegate>();
    auto early = CALayer::layer();
    auto late = CALayer::layer();
    fadeOn(*early, goneEarly);
    fadeOn(*late, goneLate);
    RunLoop::main().advance(0.1);
    early.reset();
    RunLoop::main().advance(0.2 - 8e-10);
    // At its end (within the clock's tolerance), before its end was reported.
    late.reset();
    RunLoop::main().advance(1);
    EXPECT_EQ(goneEarly->stops, std::vector<bool>{false});
    EXPECT_EQ(goneLate->stops, std::vector<bool>{true});

    auto replaced = std::make_shared<RecordingDelegate>();
    auto layer = CALayer::layer();
    fadeOn(*layer, replaced);
    RunLoop::main().advance(0.3 - 8e-10);
    fadeOn(*layer, std::make_shared<RecordingDelegate>());
    RunLoop::main().advance(1);
    EXPECT_EQ(replaced->stops, std::vector<bool>{true});
}

TEST_F(LayerAnimation, KeyframesFollowTheirKeyTimesAndTimingFunctions) {
    auto layer = CALayer::layer();
    auto keyframes = CAKeyframeAnimation::animationWithKeyPath("position.x");
    keyframes->values = {0.0, 100.0, 50.0};
    keyframes->keyTimes = {0, 0.25, 1};
    keyframes->duration = 1;
    layer->addAnimation(keyframes, "x");
    auto x = [&] { return std::get<double>(*layer->presentationValueForKeyPath("position.x")); };
    RunLoop::main().advance(0.125);
    EXPECT_NEAR(x(), 50, 1e-9);
    RunLoop::main().advance(0.125);
    EXPECT_NEAR(x(), 100, 1e-9);
    RunLoop::main().advance(0.375);
    EXPECT_NEAR(x(), 75, 1e-9);

    auto eased = CAKeyframeAnimation::animationWithKeyPath("position.y");
    eased->values = {0.0, 10.0};
    eased->duration = 1;
    eased->timingFunctions = {CAMediaTimingFunction::functionWithName(kCAMediaTimingFunctionEaseInEaseOut)};
    layer->addAnimation(eased, "y");
    auto y = [&] { return std::get<double>(*layer->presentationValueForKeyPath("position.y")); };
    RunLoop::main().advance(0.25);
    EXPECT_LT(y(), 2.5) << "slow start";
    RunLoop::main().advance(0.25);
    EXPECT_NEAR(y(), 5, 1e-6) << "symmetric curve: half way at half time";
}

TEST_F(LayerAnimation, FillModeBothHoldsTheValuesBeforeAndAfter) {
    auto shape = CAShapeLayer::layer();
    CGPath from;
    from.move({0, 0});
    from.addLine({10, 0});
    CGPath to;
    to.move({0, 0});
    to.addLine({10, 20});
    auto animation = CAKeyframeAnimation::animationWithKeyPath("path");
    animation->values = {std::optional<CGPath>(from), std::optional<CGPath>(to)};
    animation->keyTimes = {0, 1};
    animation->duration = 0.5;
    animation->beginTime = CACurrentMediaTime() + 1;
    animation->fillMode = kCAFillModeBoth;
    animation->removedOnCompletion = false;
    shape->addAnimation(animation, "path");
    auto presentedPath = [&] {
        return std::get<std::optional<CGPath>>(*shape->presentationValueForKeyPath("path"));
    };
    EXPECT_FALSE(shape->path().has_value()) << "the model path is never set";
    EXPECT_EQ(presentedPath(), from) << "held before the start";
    RunLoop::main().advance(1.25);
    ASSERT_TRUE(presentedPath());
    EXPECT_NEAR(presentedPath()->currentPoint()->y, 10, 1e-9);
    RunLoop::main().advance(5);
    EXPECT_EQ(presentedPath(), to) << "held after the end";
    EXPECT_EQ(shape->animationKeys().size(), 1u);
}

TEST_F(LayerAnimation, RepeatingAndReversingAnimations) {
    auto layer = CALayer::layer();
    auto pulse = CABasicAnimation::animationWithKeyPath("opacity");
    pulse->fromValue = 0.0;
    pulse->toValue = 1.0;
    pulse->duration = 1;
    pulse->autoreverses = true;
    pulse->repeatCount = 2;
    auto delegate = std::make_shared<RecordingDelegate>();
    pulse->delegate = delegate;
    layer->addAnimation(pulse, "pulse");
    RunLoop::main().advance(1.5);
    EXPECT_NEAR(presentedOpacity(*layer), 0.5, 1e-9) << "on its way back";
    RunLoop::main().advance(1.0);
    EXPECT_NEAR(presentedOpacity(*layer), 0.5, 1e-9) << "second pass, going up";
    RunLoop::main().advance(1.49);
    EXPECT_TRUE(delegate->stops.empty());
    RunLoop::main().advance(0.01);
    EXPECT_EQ(delegate->stops.size(), 1u);
}

TEST_F(LayerAnimation, CompositorShowsTheAnimationFrameByFrame) {
    auto root = CALayer::layer();
    root->setFrame(CGRectMake(0, 0, 10, 10));
    auto box = CALayer::layer();
    box->setFrame(CGRectMake(0, 0, 10, 10));
    box->setBackgroundColor(UIColor::whiteColor());
    root->addSublayer(box);
    LayerCompositor compositor(10, 10, 1);
    compositor.render(*root);
    box->setOpacity(0);
    auto fade = CABasicAnimation::animationWithKeyPath("opacity");
    fade->fromValue = 1.0;
    fade->toValue = 0.0;
    fade->duration = 1;
    box->addAnimation(fade, "opacity");
    compositor.render(*root);
    EXPECT_EQ(pixelAt(compositor.surface(), 5, 5).a, 255);
    RunLoop::main().advance(0.5);
    EXPECT_FALSE(compositor.render(*root).empty());
    EXPECT_NEAR(pixelAt(compositor.surface(), 5, 5).a, 128, 2);
    RunLoop::main().advance(0.6);
    compositor.render(*root);
    EXPECT_EQ(pixelAt(compositor.surface(), 5, 5).a, 0);
    EXPECT_TRUE(compositor.render(*root).empty()) << "no more frames once it is over";
}

TEST_F(LayerAnimation, DisplayLinkFiresEveryFrameUntilInvalidated) {
    int frames = 0;
    auto link = CADisplayLink::displayLinkWithTarget([&](CADisplayLink&) { ++frames; });
    link->addToRunLoop(RunLoop::main());
    RunLoop::main().advance(1.0);
    EXPECT_EQ(frames, 60);
    link->setPaused(true);
    RunLoop::main().advance(1.0);
    EXPECT_EQ(frames, 60);
    link->setPaused(false);
    RunLoop::main().advance(0.5);
    EXPECT_EQ(frames, 90);
    link->invalidate();
    RunLoop::main().advance(1.0);
    EXPECT_EQ(frames, 90);
}

TEST_F(LayerAnimation, OnlyAnimationsThatShowUnderTheRootKeepFramesComing) {
    auto root = CALayer::layer();
    root->setFrame(CGRectMake(0, 0, 100, 100));
    auto page = CALayer::layer();
    page->setFrame(CGRectMake(0, 0, 100, 100));
    page->setMasksToBounds(true);
    root->addSublayer(page);
    auto spinner = CALayer::layer();
    spinner->setFrame(CGRectMake(40, 40, 20, 20));
    page->addSublayer(spinner);
    auto spin = CABasicAnimation::animationWithKeyPath("opacity");
    spin->fromValue = 0.0;
    spin->toValue = 1.0;
    spin->duration = 1;
    spin->repeatCount = HUGE_VAL;
    spinner->addAnimation(spin, "spin");
    EXPECT_TRUE(CAAnimationRegistry::hasRunningAnimations(*root));

    // Not under the root at all, as a view that is in no window.
    EXPECT_FALSE(CAAnimationRegistry::hasRunningAnimations(*CALayer::layer()));
    page->setHidden(true);
    EXPECT_FALSE(CAAnimationRegistry::hasRunningAnimations(*root)) << "inside a hidden page";
    page->setHidden(false);
    page->setOpacity(0);
    EXPECT_FALSE(CAAnimationRegistry::hasRunningAnimations(*root)) << "inside a transparent page";
    page->setOpacity(1);
    spinner->setFrame(CGRectMake(120, 40, 20, 20));
    EXPECT_FALSE(CAAnimationRegistry::hasRunningAnimations(*root)) << "clipped away by the page";
    page->setMasksToBounds(false);
    EXPECT_FALSE(CAAnimationRegistry::hasRunningAnimations(*root)) << "beyond the root's bounds";
    page->setFrame(CGRectMake(-60, 0, 100, 100));
    EXPECT_TRUE(CAAnimationRegistry::hasRunningAnimations(*root)) << "its page moved it into sight";

    // A layer sliding out shows until its slide ends, though its model place is outside.
    spinner->removeAllAnimations();
    EXPECT_FALSE(CAAnimationRegistry::hasRunningAnimations(*root));
    auto slide = CABasicAnimation::animationWithKeyPath("position");
    slide->fromValue = CGPointMake(110, 50);
    slide->toValue = CGPointMake(300, 50);
    slide->duration = 0.5;
    spinner->setPosition(CGPointMake(300, 50));
    spinner->addAnimation(slide, "slide");
    EXPECT_TRUE(CAAnimationRegistry::hasRunningAnimations(*root));
    RunLoop::main().advance(0.6);
    EXPECT_FALSE(CAAnimationRegistry::hasRunningAnimations(*root));
}
